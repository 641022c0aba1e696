// Response metrics in pane 0: the first move's figures and markers.
#include "metrics_display.h"

#include <cmath>
#include <limits>

#include "../analysis/test_metrics.h"

MarkerValues MarkersFor(const MoveMetrics& m, double sampleTime, double xMin, double xMax, size_t drawn) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    MarkerValues r;
    for (double& v : r.v) v = nan;
    if (!(sampleTime > 0) || !std::isfinite(sampleTime) || drawn < 2 || !std::isfinite(xMin) || !std::isfinite(xMax))
        return r;
    const double perSample = (xMax - xMin) / static_cast<double>(drawn - 1);
    auto x = [&](const std::optional<double>& seconds) {
        if (!seconds) return nan;
        return xMin + (static_cast<double>(m.move.first) + *seconds / sampleTime) * perSample;
    };
    const double s = m.move.size, start = m.move.start;
    if (!std::isfinite(s) || s == 0) return r;
    if (m.time10) {
        r.v[kMarkRiseLowX] = x(m.time10);
        r.v[kMarkRiseLowY] = start + 0.1 * s;
    }
    if (m.time90) {
        r.v[kMarkRiseHighX] = x(m.time90);
        r.v[kMarkRiseHighY] = start + 0.9 * s;
    }
    if (m.timeToPeak && m.peakValue) {
        r.v[kMarkPeakX] = x(m.timeToPeak);
        r.v[kMarkPeakY] = *m.peakValue;
    }
    if (m.settlingTime) r.v[kMarkSettlingX] = x(m.settlingTime);
    if (m.overshoot) {  // the band belongs to a move whose position figures exist
        const double end = start + s, band = 0.02 * std::fabs(s);
        r.v[kMarkBandLow] = end - band;
        r.v[kMarkBandHigh] = end + band;
    }
    return r;
}

void ShowResponseMetrics(const AppState& s, size_t drawn) {
    HWND pane = s.PlotPanes[0];
    if (!pane || !s.TestDone || !s.PlotMetrics || !s.PlotActual) return;
    const SampleSequence* actual = ChannelFor(s, Channel::Actual, 0);
    if (!actual || actual->Empty()) return;
    std::vector<MoveMetrics> moves = MeasureDisplayedTest(s);
    if (moves.empty()) return;
    const std::string text = MetricsSummary(moves.front());
    SendMessageA(pane, PWM_SETMETRICSTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const double xMin = s.LastTest.Delay * 1000.0, xMax = (s.LastTest.RecordTime + s.LastTest.Delay) * 1000.0;
    size_t points = drawn < actual->Length() ? drawn : actual->Length();
    MarkerValues m = MarkersFor(moves.front(), StoredSampleTime(s), xMin, xMax, points);
    SendMessageA(pane, PWM_SETMARKERS, kMarkerCount, reinterpret_cast<LPARAM>(m.v));
}
