// Round grid placement (see plot_grid.h).
#include "plot_grid.h"

#include <cmath>
#include <utility>

namespace {

// A value m x 10^e computed so that decimal steps come out as the nearest
// double (0.3, not 0.30000000000000004).
double Scaled(double m, int e) { return e >= 0 ? m * std::pow(10.0, e) : m / std::pow(10.0, -e); }

}  // namespace

GridPlacement PlaceGrid(double lo, double hi, int divisions) {
    GridPlacement g;
    if (!std::isfinite(lo) || !std::isfinite(hi)) return g;
    if (lo > hi) std::swap(lo, hi);
    const double range = hi - lo;
    if (!(range > 0) || !std::isfinite(range)) return g;
    if (divisions < 1) divisions = 1;
    const double most = 1.5 * divisions;

    // The step nearest range / divisions lies within a decade either side.
    const int e0 = static_cast<int>(std::floor(std::log10(range / divisions)));
    const double mantissas[] = {1, 2, 2.5, 5};
    double best = 0, bestMiss = 0;
    int bestE = 0;
    double bestM = 0;
    for (int e = e0 - 1; e <= e0 + 1; ++e) {
        for (double m : mantissas) {
            double step = Scaled(m, e);
            if (!(step > 0) || !std::isfinite(step)) continue;
            double intervals = range / step;
            if (intervals > most * (1 + 1e-12)) continue;
            double miss = std::fabs(intervals - divisions);
            if (best == 0 || miss < bestMiss - 1e-12 || (std::fabs(miss - bestMiss) <= 1e-12 && step > best)) {
                best = step;
                bestMiss = miss;
                bestE = e;
                bestM = m;
            }
        }
    }
    if (best == 0) return g;
    g.step = best;
    // Multiples k x step with lo <= k x step <= hi, allowing for rounding at the edges.
    const double slack = 1e-9;
    const double k0 = std::ceil(lo / best - slack), k1 = std::floor(hi / best + slack);
    // Far from zero the multiples cannot be told apart in a double: no lines.
    if (!(k1 - k0 <= most + 2) || k0 + 1 == k0) {
        g.step = 0;
        return g;
    }
    for (double k = k0; k <= k1; ++k) {
        double v = Scaled(k * bestM, bestE);
        if (k == 0) v = 0;
        g.values.push_back(v);
    }
    return g;
}
