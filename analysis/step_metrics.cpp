// Step metrics over plain arrays; see step_metrics.h for the definitions.
#include "step_metrics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kRiseLow = 0.1, kRiseHigh = 0.9;
constexpr double kSettlingBand = 0.02;
constexpr double kSteadyShare = 0.1;
constexpr double kSaturationShare = 0.99;

double At(const SampleSpan& s, size_t i) { return s.data[i]; }

bool AllFinite(const SampleSpan& s, size_t first, size_t last) {
    if (!s.data || last >= s.count) return false;
    for (size_t i = first; i <= last; ++i)
        if (!std::isfinite(s.data[i])) return false;
    return true;
}

// Number of samples that every position figure can use.
size_t PositionCount(const StepInput& in) { return in.actual.data ? in.actual.count : 0; }

bool HasCommand(const StepInput& in, size_t n) {
    if (!in.optimal.data || in.optimal.count < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (in.optimal.data[i] != 0.0) return true;
    return false;
}

int Sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// First time (in samples from first, interpolated) at which the normalised
// response y = (actual - start) / size reaches level.
std::optional<double> FirstCrossing(const StepInput& in, const Move& m, double level) {
    double prev = (At(in.actual, m.first) - m.start) / m.size;
    if (prev >= level) return 0.0;
    for (size_t i = m.first + 1; i <= m.last; ++i) {
        double y = (At(in.actual, i) - m.start) / m.size;
        if (y >= level) return static_cast<double>(i - 1 - m.first) + (level - prev) / (y - prev);
        prev = y;
    }
    return std::nullopt;
}

}  // namespace

std::vector<Move> FindMoves(const StepInput& in) {
    std::vector<Move> moves;
    const size_t n = PositionCount(in);
    if (!in.servo || n == 0) return moves;
    if (!HasCommand(in, n)) {
        moves.push_back({0, n - 1, 0.0, in.distance});
        return moves;
    }
    const double* o = in.optimal.data;
    size_t i = 0;
    while (i + 1 < n) {
        // The last sample before the commanded position starts to change.
        while (i + 1 < n && !(std::isfinite(o[i + 1]) && o[i + 1] != o[i])) ++i;
        if (i + 1 >= n) break;
        Move m;
        m.first = i;
        m.start = o[i];
        const int dir = Sign(o[i + 1] - o[i]);
        // Moving while consecutive samples differ in the same direction.
        size_t j = i + 1;
        while (j + 1 < n && Sign(o[j + 1] - o[j]) == dir && std::isfinite(o[j + 1])) ++j;
        m.size = o[j] - m.start;
        moves.push_back(m);
        i = j;
    }
    if (moves.empty()) {
        // The command never changes: one move of nothing, measured as not available.
        moves.push_back({0, n - 1, o[0], 0.0});
        return moves;
    }
    for (size_t k = 0; k + 1 < moves.size(); ++k) moves[k].last = moves[k + 1].first;
    moves.back().last = n - 1;
    return moves;
}

MoveMetrics MeasureMove(const StepInput& in, const Move& m) {
    MoveMetrics r;
    r.move = m;
    if (!in.servo || m.last < m.first) return r;
    const size_t count = m.last - m.first + 1;
    const bool timed = std::isfinite(in.samplePeriod) && in.samplePeriod > 0;
    const double dt = in.samplePeriod;

    // Following error and torque do not depend on the move's size.
    if (AllFinite(in.error, m.first, m.last)) {
        double peak = 0, sum = 0;
        for (size_t i = m.first; i <= m.last; ++i) {
            double e = At(in.error, i);
            peak = std::max(peak, std::fabs(e));
            sum += e * e;
        }
        r.peakError = peak;
        r.rmsError = std::sqrt(sum / static_cast<double>(count));
    }
    if (AllFinite(in.torque, m.first, m.last)) {
        double peak = 0;
        size_t saturated = 0;
        const bool limited = std::isfinite(in.torqueLimit) && in.torqueLimit > 0;
        for (size_t i = m.first; i <= m.last; ++i) {
            double t = std::fabs(At(in.torque, i));
            peak = std::max(peak, t);
            if (limited && t >= kSaturationShare * in.torqueLimit) ++saturated;
        }
        r.peakTorque = peak;
        if (limited) r.torqueSaturation = 100.0 * static_cast<double>(saturated) / static_cast<double>(count);
    }

    // Position figures need a real move and clean samples; two samples at least.
    if (count < 2 || !std::isfinite(m.size) || m.size == 0.0 || !std::isfinite(m.start) ||
        !AllFinite(in.actual, m.first, m.last))
        return r;
    const double end = m.start + m.size;
    const double span = std::fabs(m.size);

    // Peak: the sample farthest in the move's direction.
    size_t peakAt = m.first;
    double peakY = -INFINITY;
    for (size_t i = m.first; i <= m.last; ++i) {
        double y = (At(in.actual, i) - m.start) / m.size;
        if (y > peakY) { peakY = y; peakAt = i; }
    }
    r.overshoot = peakY > 1.0 ? 100.0 * (peakY - 1.0) : 0.0;
    r.peakValue = At(in.actual, peakAt);

    // Steady-state error over the last tenth of the move.
    size_t tail = std::max<size_t>(1, static_cast<size_t>(std::ceil(kSteadyShare * static_cast<double>(count))));
    double sum = 0;
    for (size_t i = m.last + 1 - tail; i <= m.last; ++i) sum += At(in.actual, i) - end;
    r.steadyStateError = sum / static_cast<double>(tail);

    // Settling: the last sample outside the band, then the crossing into it.
    const double band = kSettlingBand * span;
    size_t lastOut = m.last + 1;
    for (size_t i = m.last + 1; i-- > m.first;) {
        if (std::fabs(At(in.actual, i) - end) > band) { lastOut = i; break; }
    }
    if (lastOut == m.last) r.notSettled = true;

    if (!timed) return r;
    r.timeToPeak = static_cast<double>(peakAt - m.first) * dt;
    std::optional<double> t10 = FirstCrossing(in, m, kRiseLow), t90 = FirstCrossing(in, m, kRiseHigh);
    if (t10) r.time10 = *t10 * dt;
    if (t90) r.time90 = *t90 * dt;
    if (t10 && t90) r.riseTime = (*t90 - *t10) * dt;
    if (lastOut > m.last) {
        r.settlingTime = 0.0;  // inside the band from the first sample on
    } else if (!r.notSettled) {
        double d0 = std::fabs(At(in.actual, lastOut) - end), d1 = std::fabs(At(in.actual, lastOut + 1) - end);
        double f = d0 > d1 ? (d0 - band) / (d0 - d1) : 0.0;
        r.settlingTime = (static_cast<double>(lastOut - m.first) + f) * dt;
    }
    return r;
}

std::vector<MoveMetrics> MeasureStep(const StepInput& in) {
    std::vector<MoveMetrics> out;
    for (const Move& m : FindMoves(in)) out.push_back(MeasureMove(in, m));
    return out;
}

std::vector<double> SkewCurve(SampleSpan axis, SampleSpan partner) {
    std::vector<double> skew;
    if (!axis.data || !partner.data) return skew;
    size_t n = std::min(axis.count, partner.count);
    skew.resize(n);
    for (size_t i = 0; i < n; ++i) skew[i] = partner.data[i] - axis.data[i];
    return skew;
}

SkewMetrics MeasureSkew(SampleSpan axis, SampleSpan partner) {
    SkewMetrics r;
    if (!axis.data || !partner.data) return r;
    size_t n = std::min(axis.count, partner.count);
    if (n == 0) return r;
    double peak = 0, sum = 0;
    for (size_t i = 0; i < n; ++i) {
        double d = partner.data[i] - axis.data[i];
        if (!std::isfinite(d)) return r;
        peak = std::max(peak, std::fabs(d));
        sum += d * d;
    }
    r.peak = peak;
    r.rms = std::sqrt(sum / static_cast<double>(n));
    return r;
}

std::string FormatMetric(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value)) return "n/a";
    double v = *value;
    double a = std::fabs(v);
    int decimals = 0;
    if (a > 0) {
        int digits = static_cast<int>(std::floor(std::log10(a)));  // 1.x -> 0, 12.x -> 1
        decimals = std::clamp(2 - digits, 0, 9);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    // Rounding may have carried into another digit ("9.995" -> "10.00"); one decimal less then.
    if (decimals > 0 && a > 0) {
        double shown = std::fabs(std::atof(text));
        if (shown >= std::pow(10.0, 3 - decimals)) std::snprintf(text, sizeof text, "%.*f", decimals - 1, v);
    }
    if (std::string(text) == "-0" || std::string(text).find_first_not_of("-0.") == std::string::npos) {
        if (text[0] == '-') return std::string(text + 1);
    }
    return text;
}

std::string MetricsSummary(const MoveMetrics& m) {
    auto ms = [](const std::optional<double>& s) -> std::optional<double> {
        if (!s) return std::nullopt;
        return *s * 1000.0;
    };
    std::string t = "Rise " + FormatMetric(ms(m.riseTime));
    if (m.riseTime) t += " ms";
    t += "  Overshoot " + FormatMetric(m.overshoot);
    if (m.overshoot) t += " %";
    if (m.notSettled) {
        t += "  Settling not settled";
    } else {
        t += "  Settling " + FormatMetric(ms(m.settlingTime));
        if (m.settlingTime) t += " ms";
    }
    t += "  Peak error " + FormatMetric(m.peakError);
    t += "  RMS error " + FormatMetric(m.rmsError);
    return t;
}
