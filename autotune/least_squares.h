// Small dense least-squares fits for the Auto Tune analysis: a handful of
// columns, many rows, solved through scaled normal equations.
#pragma once
#include <cstddef>
#include <vector>

struct LeastSquaresFit {
    bool ok = false;                // false: too few rows or the columns are dependent
    std::vector<double> coef;       // one per column
    double residualSquares = 0.0;   // sum of squared residuals
    double totalSquares = 0.0;      // sum of squared targets (about zero, not the mean)
    size_t rows = 0;
    // Share of the target explained by the fit, 1 - residual / total (0 when total is 0).
    double Quality() const { return totalSquares > 0 ? 1.0 - residualSquares / totalSquares : 0.0; }
};

// Accumulates rows of a fit target ~ sum coef[c] x column[c].
class LeastSquares {
public:
    explicit LeastSquares(size_t columns);
    void Add(const double* columns, double target);
    size_t Rows() const { return rows_; }
    // Columns whose scale is zero (never excited) get coefficient 0 and do
    // not make the fit fail.
    LeastSquaresFit Solve() const;

private:
    size_t n_;
    size_t rows_ = 0;
    std::vector<double> ata_, atb_;
    double btb_ = 0.0;
};
