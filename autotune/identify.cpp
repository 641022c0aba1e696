// Plant identification. With the output held over each servo period, a double
// integrator gives exactly x[k+1] - 2x[k] + x[k-1] = gain T^2 (u[k-1] + u[k]) / 2.
// Summing that over a triangle of half-width h gives x[k+h] - 2x[k] + x[k-h] on
// the left, which averages out encoder counts; the regressors are summed with
// the same weights, so the fit stays unbiased. Windows in which the axis stands
// still or turns round are left out: static friction does not follow the law.
#include "identify.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "least_squares.h"

double PositionResolution(const double* actual, size_t count) {
    double q = 0;
    for (size_t k = 1; k < count; ++k) {
        double d = std::fabs(actual[k] - actual[k - 1]);
        if (d > 0 && (q == 0 || d < q)) q = d;
    }
    return q;
}

namespace {

int Sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Every delay up to `maxDelay` is fitted over the same windows: a longer delay
// left to drop the first windows of each move (where the axis breaks away)
// would leave out the data worst explained and win on less of it.
LeastSquaresFit FitDelay(const std::vector<MotionCapture>& caps, double t, int delay, int maxDelay, int h,
                         size_t* rowsOut) {
    LeastSquares ls(3);
    for (const MotionCapture& c : caps) {
        const long n = static_cast<long>(c.count);
        const double* x = c.actual;
        const double* u = c.output;
        const int s = std::max(1, h / 2);  // half-width of the velocity sign window
        for (long k = h + maxDelay + s + 1; k + h + s < n; ++k) {
            // Every velocity sign in the window must be the same and nonzero.
            int sign0 = Sign(x[k + s] - x[k - s]);
            bool steady = sign0 != 0;
            for (long j = k - h; j <= k + h && steady; ++j) steady = Sign(x[j + s] - x[j - s]) == sign0;
            if (!steady) continue;
            double cols[3] = {0, 0, 0};
            for (long j = k - h + 1; j <= k + h - 1; ++j) {
                double w = h - std::labs(j - k);
                cols[0] += w * t * t * 0.5 * (u[j - delay] + u[j - 1 - delay]);
                cols[1] -= w * t * 0.5 * (x[j + 1] - x[j - 1]);
                cols[2] -= w * t * t * sign0;
            }
            ls.Add(cols, x[k + h] - 2 * x[k] + x[k - h]);
        }
    }
    *rowsOut = ls.Rows();
    return ls.Solve();
}

}  // namespace

PlantModel IdentifyPlant(const std::vector<MotionCapture>& captures, double period, int maxDelay) {
    PlantModel best;
    if (!(period > 0)) return best;
    double travel = 0;  // largest move in any capture
    for (const MotionCapture& c : captures) {
        if (!c.actual || !c.output || c.count == 0) continue;
        double q = PositionResolution(c.actual, c.count);
        if (q > 0 && (best.resolution == 0 || q < best.resolution)) best.resolution = q;
        double lo = c.actual[0], hi = c.actual[0];
        for (size_t k = 0; k < c.count; ++k) {
            best.peakOutput = std::max(best.peakOutput, std::fabs(c.output[k]));
            lo = std::min(lo, c.actual[k]);
            hi = std::max(hi, c.actual[k]);
        }
        travel = std::max(travel, hi - lo);
    }
    if (best.resolution == 0) return best;
    // The window: about 2 ms either side, wider when the move spans few
    // encoder counts (the smoothed difference must stand well above one count).
    double counts = travel / best.resolution;
    double wanted = 0.002 * std::max(1.0, std::sqrt(2000.0 / std::max(counts, 1.0)));
    const int widest = std::clamp(static_cast<int>(std::lround(wanted / period)), 2, 40);
    // A window must fit inside the moves: narrow it until enough windows do.
    const PlantModel seen = best;
    // The shortest delay whose residual is within 2 % of the best: a delay the
    // data cannot tell from a shorter one (the window too wide to see it, or
    // friction breaking away at the start of a move) counts as none.
    auto fitWindow = [&](int h) {
        PlantModel m = seen;
        std::vector<LeastSquaresFit> fits(static_cast<size_t>(maxDelay + 1));
        std::vector<size_t> rowCounts(fits.size(), 0);
        double least = -1;
        for (int d = 0; d <= maxDelay; ++d) {
            fits[d] = FitDelay(captures, period, d, maxDelay, h, &rowCounts[d]);
            if (fits[d].ok && rowCounts[d] >= 30 && (least < 0 || fits[d].residualSquares < least))
                least = fits[d].residualSquares;
        }
        for (int d = 0; d <= maxDelay && !m.ok; ++d) {
            const LeastSquaresFit& fit = fits[d];
            const size_t rows = rowCounts[d];
            if (!fit.ok || rows < 30 || fit.residualSquares > 1.02 * least) continue;
            m.gain = fit.coef[0];
            m.viscous = fit.coef[1];
            m.coulomb = fit.coef[2];
            m.delay = d;
            m.quality = fit.Quality();
            m.samples = rows;
            m.ok = true;
        }
        return m;
    };
    int h = widest;
    for (;; h = std::max(2, h * 2 / 3)) {
        best = fitWindow(h);
        if ((best.ok && best.samples >= 60) || h == 2) break;
    }
    // Slow moves on a coarse encoder: over the window the acceleration moves
    // the axis by little more than a count, so the fit mostly sees counts.
    // The smoothed difference grows with the window's square and the count
    // noise does not, so wider windows (up to 20 ms) are tried while they
    // explain the data better and enough of them fit inside the moves.
    const int widestSlow = std::max(widest, static_cast<int>(0.02 / period));
    while (best.ok && best.quality < 0.9 && h < widestSlow) {
        h = std::min(widestSlow, h * 3 / 2 + 1);
        PlantModel wider = fitWindow(h);
        if (!wider.ok || wider.samples < 60 || wider.quality <= best.quality) break;
        best = wider;
    }
    if (best.ok) {
        // Friction terms come out slightly negative on a frictionless axis.
        best.viscous = std::max(0.0, best.viscous);
        best.coulomb = std::max(0.0, best.coulomb);
        if (!(best.gain > 0)) best.ok = false;
    }
    return best;
}
