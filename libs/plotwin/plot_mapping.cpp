// Axis ranges, value-to-pixel mapping and column decimation.
#include "plot_mapping.h"

#include <algorithm>
#include <cmath>

#include "plot_pane.h"

namespace {

AxisRange Widened(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) return {0, 1};
    if (lo == hi) {
        double d = lo == 0 ? 1 : std::fabs(lo) * 0.1;
        return {lo - d, hi + d};
    }
    return {lo, hi};
}

constexpr int kClampMargin = 30000;

// floor(p + 0.5) for the clamped pixel range, without a library call: the
// offset makes the value positive, so truncation rounds down.
constexpr double kRoundOffset = 1 << 22;
inline int RoundPixel(double p) {
    return static_cast<int>(p + (0.5 + kRoundOffset)) - static_cast<int>(kRoundOffset);
}

}  // namespace

AxisRange DrawnXRange(const PlotPane& pane) { return Widened(pane.xMin, pane.xMax); }

AxisRange DrawnYRange(const PlotPane& pane) {
    double lo = pane.yMin, hi = pane.yMax;
    if (lo > hi) std::swap(lo, hi);
    return Widened(lo, hi);
}

int AxisMap::operator()(double v) const {
    double p = p0 + (v - v0) * (p1 - p0) / (v1 - v0);
    double lo = std::min(p0, p1) - static_cast<double>(kClampMargin);
    double hi = std::max(p0, p1) + static_cast<double>(kClampMargin);
    if (!(p >= lo)) p = lo;  // also catches NaN
    if (p > hi) p = hi;
    return RoundPixel(p);
}

void MapSeries(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
               std::vector<size_t>& runs) {
    if (!y || n == 0) return;
    double step = n > 1 ? static_cast<double>(x.p1 - x.p0) / static_cast<double>(n - 1) : 0;
    size_t runStart = out.size();
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(y[i])) {
            if (out.size() > runStart) runs.push_back(out.size() - runStart);
            runStart = out.size();
            continue;
        }
        POINT p;
        p.x = RoundPixel(x.p0 + step * static_cast<double>(i));  // as MapDecimated
        p.y = ymap(y[i]);
        out.push_back(p);
    }
    if (out.size() > runStart) runs.push_back(out.size() - runStart);
}

void MapDecimated(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
                  std::vector<size_t>& runs) {
    if (!y || n == 0) return;
    const double step = n > 1 ? static_cast<double>(x.p1 - x.p0) / static_cast<double>(n - 1) : 0;
    size_t runStart = out.size();
    size_t runPoints = 0;  // finite points of the run, before reduction
    // Zero-length steps draw nothing, and two vertical or two horizontal steps
    // in one direction draw what one step does, so these are folded.
    auto push = [&](LONG px, double v) {
        POINT p = {px, ymap(v)};
        size_t m = out.size() - runStart;
        if (m >= 1 && out.back().x == p.x && out.back().y == p.y) return;
        if (m >= 2) {
            POINT& b = out.back();
            const POINT& a = out[out.size() - 2];
            bool vertical = a.x == p.x && b.x == p.x && ((a.y < b.y && b.y < p.y) || (a.y > b.y && b.y > p.y));
            bool horizontal = a.y == p.y && b.y == p.y && ((a.x < b.x && b.x < p.x) || (a.x > b.x && b.x > p.x));
            if (vertical || horizontal) {
                b = p;
                return;
            }
        }
        out.push_back(p);
    };
    // The run's last column: every point, since the end of a polyline is not
    // drawn and the exact path there decides the final pixel.
    auto endRun = [&](size_t from, size_t to, LONG px) {
        for (size_t k = from; k < to; ++k) push(px, y[k]);
        // A run of several points that folded to one still draws nothing.
        if (out.size() - runStart == 1 && runPoints > 1) out.push_back(out.back());
        if (out.size() > runStart) runs.push_back(out.size() - runStart);
        runStart = out.size();
        runPoints = 0;
    };
    size_t column = n;  // first index of the current column; n: no run open
    LONG columnX = 0;
    // The point's x is RoundPixel of the same expression as in MapSeries; it is
    // converted only where it reaches the next column's threshold.
    double nextColumn = 0, di = -1;
    const bool forward = x.p1 >= x.p0;
    size_t lo = 0, hi = 0;
    for (size_t i = 0; i < n; ++i) {
        double v = y[i];
        di += 1;
        if (!(v - v == 0)) {  // NaN or infinite: the run ends here
            if (column < n) endRun(column, i, columnX);
            column = n;
            continue;
        }
        ++runPoints;
        double shifted = x.p0 + step * di + (0.5 + kRoundOffset);
        if (column < n && (forward ? shifted < nextColumn : shifted >= nextColumn)) {
            if (v < y[lo]) lo = i;
            if (v > y[hi]) hi = i;
            continue;
        }
        if (column < n) {  // a column is complete: first, extremes in order, last
            push(columnX, y[column]);
            push(columnX, y[std::min(lo, hi)]);
            push(columnX, y[std::max(lo, hi)]);
            push(columnX, y[i - 1]);
        }
        column = lo = hi = i;
        columnX = static_cast<LONG>(shifted) - static_cast<LONG>(kRoundOffset);
        nextColumn = forward ? columnX + 1 + kRoundOffset : columnX + kRoundOffset;
    }
    if (column < n) endRun(column, n, columnX);
}
