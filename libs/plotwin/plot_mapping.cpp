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
    return static_cast<int>(std::floor(p + 0.5));
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
        p.x = static_cast<LONG>(std::floor(x.p0 + step * static_cast<double>(i) + 0.5));
        p.y = ymap(y[i]);
        out.push_back(p);
    }
    if (out.size() > runStart) runs.push_back(out.size() - runStart);
}

void DecimateColumns(const POINT* points, size_t n, std::vector<POINT>& out) {
    const size_t start = out.size();
    auto push = [&out, start](const POINT& p) {
        if (out.size() == start || out.back().x != p.x || out.back().y != p.y) out.push_back(p);
    };
    size_t i = 0;
    while (i < n) {
        size_t end = i + 1;
        while (end < n && points[end].x == points[i].x) ++end;
        if (end == n) {  // last column: every point
            for (size_t k = i; k < n; ++k) push(points[k]);
            break;
        }
        size_t lo = i, hi = i;
        for (size_t k = i + 1; k < end; ++k) {
            if (points[k].y < points[lo].y) lo = k;
            if (points[k].y > points[hi].y) hi = k;
        }
        push(points[i]);
        push(points[std::min(lo, hi)]);
        push(points[std::max(lo, hi)]);
        push(points[end - 1]);
        i = end;
    }
}
