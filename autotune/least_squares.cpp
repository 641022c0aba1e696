// Least squares through normal equations with column scaling and pivoting.
#include "least_squares.h"

#include <algorithm>
#include <cmath>
#include <utility>

LeastSquares::LeastSquares(size_t columns) : n_(columns), ata_(columns * columns, 0.0), atb_(columns, 0.0) {}

void LeastSquares::Add(const double* columns, double target) {
    for (size_t i = 0; i < n_; ++i) {
        atb_[i] += columns[i] * target;
        for (size_t j = 0; j < n_; ++j) ata_[i * n_ + j] += columns[i] * columns[j];
    }
    btb_ += target * target;
    ++rows_;
}

LeastSquaresFit LeastSquares::Solve() const {
    LeastSquaresFit fit;
    fit.rows = rows_;
    fit.totalSquares = btb_;
    fit.coef.assign(n_, 0.0);
    if (rows_ < n_ || n_ == 0) return fit;
    // Scale every column to unit norm so the pivots compare fairly.
    std::vector<double> scale(n_, 0.0);
    std::vector<size_t> active;
    for (size_t i = 0; i < n_; ++i) {
        double d = ata_[i * n_ + i];
        if (d > 0 && std::isfinite(d)) {
            scale[i] = 1.0 / std::sqrt(d);
            active.push_back(i);
        }
    }
    const size_t m = active.size();
    if (m == 0) return fit;
    std::vector<double> a(m * (m + 1));
    for (size_t r = 0; r < m; ++r) {
        size_t i = active[r];
        for (size_t c = 0; c < m; ++c) {
            size_t j = active[c];
            a[r * (m + 1) + c] = ata_[i * n_ + j] * scale[i] * scale[j];
        }
        a[r * (m + 1) + m] = atb_[i] * scale[i];
    }
    // Gaussian elimination with partial pivoting on the m x (m + 1) system.
    for (size_t col = 0; col < m; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < m; ++r)
            if (std::fabs(a[r * (m + 1) + col]) > std::fabs(a[pivot * (m + 1) + col])) pivot = r;
        if (std::fabs(a[pivot * (m + 1) + col]) < 1e-12) return fit;  // dependent columns
        if (pivot != col)
            for (size_t c = 0; c <= m; ++c) std::swap(a[col * (m + 1) + c], a[pivot * (m + 1) + c]);
        for (size_t r = 0; r < m; ++r) {
            if (r == col) continue;
            double f = a[r * (m + 1) + col] / a[col * (m + 1) + col];
            if (f == 0) continue;
            for (size_t c = col; c <= m; ++c) a[r * (m + 1) + c] -= f * a[col * (m + 1) + c];
        }
    }
    for (size_t r = 0; r < m; ++r) fit.coef[active[r]] = a[r * (m + 1) + m] / a[r * (m + 1) + r] * scale[active[r]];
    // Residual from the normal equations: b'b - 2 x'A'b + x'A'A x.
    double xatb = 0, xatax = 0;
    for (size_t i = 0; i < n_; ++i) {
        xatb += fit.coef[i] * atb_[i];
        for (size_t j = 0; j < n_; ++j) xatax += fit.coef[i] * ata_[i * n_ + j] * fit.coef[j];
    }
    fit.residualSquares = std::max(0.0, btb_ - 2 * xatb + xatax);
    fit.ok = std::isfinite(fit.residualSquares);
    return fit;
}
