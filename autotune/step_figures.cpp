// Step figures over plain arrays (see step_figures.h).
#include "step_figures.h"

#include <algorithm>
#include <cmath>

StepFigures MeasureStep(const double* actual, const double* optimal, size_t count, double samplePeriod) {
    StepFigures f;
    if (!actual || !optimal || count < 3 || !(samplePeriod > 0)) return f;
    size_t start = 0;
    while (start + 1 < count && optimal[start + 1] == optimal[0]) ++start;
    if (start + 1 >= count) return f;
    const double from = optimal[start], to = optimal[count - 1], s = to - from;
    if (s == 0 || !std::isfinite(s)) return f;
    f.ok = true;
    const double dir = s > 0 ? 1 : -1, size = std::fabs(s);
    auto progress = [&](size_t k) { return (actual[k] - from) * dir / size; };
    // Crossing time of a level, interpolated between samples, from the move's start.
    auto crossing = [&](double level) {
        for (size_t k = start + 1; k < count; ++k)
            if (progress(k) >= level) {
                double p0 = progress(k - 1), p1 = progress(k);
                double frac = p1 > p0 ? (level - p0) / (p1 - p0) : 1.0;
                return (static_cast<double>(k - 1 - start) + std::clamp(frac, 0.0, 1.0)) * samplePeriod;
            }
        return -1.0;
    };
    double t10 = crossing(0.1), t90 = crossing(0.9);
    f.rise = t10 >= 0 && t90 >= 0 ? t90 - t10 : -1;
    double peak = 0;
    for (size_t k = start; k < count; ++k) peak = std::max(peak, progress(k) - 1.0);
    f.overshoot = peak * 100;
    size_t last = count;  // last sample outside the band
    for (size_t k = count; k-- > start;)
        if (std::fabs(actual[k] - to) > 0.02 * size) {
            last = k;
            break;
        }
    if (last == count) f.settling = 0;
    else if (last == count - 1) f.settling = -1;
    else f.settling = static_cast<double>(last + 1 - start) * samplePeriod;
    return f;
}
