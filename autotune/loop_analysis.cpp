// Loop scaling from captured error and output. The fit runs on the sample to
// sample change of the output, which removes the integrator's value; samples
// where the output sits at its limit do not follow the linear law and are
// left out, and the few rows far off the first fit are dropped as outliers.
#include "loop_analysis.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "least_squares.h"

namespace {

struct Row {
    double c[4];
    double y;
};

LoopScale FitLag(const LoopCapture& in, const GainNumbers& g, int lag) {
    LoopScale out;
    const int m = std::max(1, in.derivativeTicks);
    const double t = in.period;
    const bool useP = g.p != 0, useI = false, useD = g.d != 0, useV = g.v != 0 && in.optimal;
    auto e = [&](long k) { return in.error[k]; };
    std::vector<Row> rows;
    const long n = static_cast<long>(in.count);
    const double limit = in.outputLimit > 0 ? in.outputLimit * 0.999 : 0;
    for (long k = m + 2 + lag; k < n; ++k) {
        double u1 = in.output[k], u0 = in.output[k - 1];
        if (limit > 0 && (std::fabs(u1) >= limit || std::fabs(u0) >= limit)) continue;
        long j = k - lag;
        Row r{};
        r.c[0] = useP ? g.p * (e(j) - e(j - 1)) : 0;
        r.c[1] = useI ? g.i * e(j) * t : 0;
        r.c[2] = useD ? g.d * ((e(j) - e(j - m)) - (e(j - 1) - e(j - 1 - m))) / (m * t) : 0;
        r.c[3] = useV ? g.v * ((in.optimal[j] - in.optimal[j - 1]) - (in.optimal[j - 1] - in.optimal[j - 2])) / t : 0;
        r.y = u1 - u0;
        rows.push_back(r);
    }
    std::vector<char> keep(rows.size(), 1);
    LeastSquaresFit fit;
    for (int pass = 0; pass < 3; ++pass) {
        LeastSquares ls(4);
        for (size_t r = 0; r < rows.size(); ++r)
            if (keep[r]) ls.Add(rows[r].c, rows[r].y);
        fit = ls.Solve();
        if (!fit.ok) return out;
        // Drop rows far off the fit (output or integrator held at a limit).
        std::vector<double> res(rows.size());
        std::vector<double> kept;
        for (size_t r = 0; r < rows.size(); ++r) {
            double p = 0;
            for (int c = 0; c < 4; ++c) p += fit.coef[c] * rows[r].c[c];
            res[r] = std::fabs(rows[r].y - p);
            if (keep[r]) kept.push_back(res[r]);
        }
        if (kept.empty()) return out;
        std::nth_element(kept.begin(), kept.begin() + kept.size() / 2, kept.end());
        double med = kept[kept.size() / 2];
        double scaleY = std::sqrt(fit.totalSquares / std::max<size_t>(1, fit.rows));
        double cut = 5 * med + 1e-6 * scaleY;
        bool changed = false;
        for (size_t r = 0; r < rows.size(); ++r) {
            char k = res[r] <= cut;
            changed |= k != keep[r];
            keep[r] = k;
        }
        if (!changed) break;
    }
    out.ok = true;
    out.lag = lag;
    out.p = fit.coef[0];
    out.i = fit.coef[1];
    out.d = fit.coef[2];
    out.v = fit.coef[3];
    out.pKnown = useP;
    out.iKnown = false;
    out.dKnown = useD;
    out.vKnown = useV;
    out.quality = fit.Quality();
    out.samples = fit.rows;
    return out;
}

}  // namespace

LoopScale AnalyseLoop(const LoopCapture& capture, const GainNumbers& gains) {
    LoopScale best;
    if (!capture.error || !capture.output || !(capture.period > 0) || gains.p == 0) return best;
    for (int lag = 0; lag <= 2; ++lag) {
        LoopScale s = FitLag(capture, gains, lag);
        if (s.ok && (!best.ok || s.quality > best.quality)) best = s;
    }
    // A loop the fit cannot explain, or one whose proportional term pushes the
    // wrong way (inverted output), gives no usable scale.
    if (best.ok && (best.quality < 0.9 || !(best.p > 0))) best.ok = false;
    return best;
}

void AnalyseIntegral(const LoopCapture& in, const GainNumbers& g, LoopScale& scale) {
    if (!scale.ok || g.i == 0 || !in.error || !in.output || !(in.period > 0)) return;
    const int m = std::max(1, in.derivativeTicks);
    const double t = in.period;
    const long n = static_cast<long>(in.count);
    const double limit = in.outputLimit > 0 ? in.outputLimit * 0.999 : 0;
    const bool useV = scale.vKnown && in.optimal;
    std::vector<double> ratios;
    double peak = 0;
    for (long k = 0; k < n; ++k) peak = std::max(peak, std::fabs(in.output[k]));
    for (long k = m + 2 + scale.lag; k < n; ++k) {
        double u1 = in.output[k], u0 = in.output[k - 1];
        if (limit > 0 && (std::fabs(u1) >= limit || std::fabs(u0) >= limit)) continue;
        long j = k - scale.lag;
        const double* e = in.error;
        double known = scale.p * g.p * (e[j] - e[j - 1]) +
                       scale.d * g.d * ((e[j] - e[j - m]) - (e[j - 1] - e[j - 1 - m])) / (m * t);
        if (useV)
            known += scale.v * g.v * ((in.optimal[j] - in.optimal[j - 1]) - (in.optimal[j - 1] - in.optimal[j - 2])) / t;
        double rest = (u1 - u0) - known;
        double x = g.i * e[j] * t;
        // Only rows where the integrator clearly moved: held rows leave nothing.
        if (x == 0 || std::fabs(rest) <= 1e-9 * (peak + 1)) continue;
        ratios.push_back(rest / x);
    }
    if (ratios.size() < 10) return;
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    double r = ratios[ratios.size() / 2];
    if (r > 0 && std::isfinite(r)) {
        scale.i = r;
        scale.iKnown = true;
    }
}
