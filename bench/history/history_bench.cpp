// Figures of the response metrics and the test history: the metrics of a
// 65,535-sample test, adding a run (its curve, trimming, and the row appended
// to a history file), and a 1200 x 800 repaint of pane 0 with the test, its
// markers and box and five overlaid runs of 65,535 points each.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/step_metrics.h"
#include "history/history_file.h"
#include "history/test_history.h"
#include "libs/plotwin/plot_draw.h"
#include "libs/plotwin/plot_pane.h"
#include "tests/harness/wall_clock.h"

namespace {

const size_t kPoints = 65535;

template <class F> void Report(const char* what, int runs, F run) {
    std::vector<double> ms;
    run();  // warm up
    for (int i = 0; i < runs; ++i) {
        double t0 = WallMs();
        run();
        ms.push_back(WallMs() - t0);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-62s median %7.3f ms  min %7.3f ms  max %7.3f ms  (%d runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), runs);
}

// A commanded S-curve of 100 units and an underdamped axis following it, with a count of noise.
struct Test {
    std::vector<double> actual, optimal, error, torque;
    explicit Test(double zeta) {
        const double dt = 0.5 / kPoints, wn = 120, wd = wn * std::sqrt(1 - zeta * zeta);
        unsigned random = 777u;
        for (size_t i = 0; i < kPoints; ++i) {
            double t = static_cast<double>(i) * dt, u = std::min(1.0, t / 0.05);
            random = random * 1103515245u + 12345u;
            double y = 100 * (1 - std::exp(-zeta * wn * t) * std::cos(wd * t)) + ((random >> 16) % 100) / 100.0 - 0.5;
            optimal.push_back(i == 0 ? 0 : 100 * u * u * (3 - 2 * u));
            actual.push_back(i == 0 ? 0 : y);
            error.push_back(actual.back() - optimal.back());
            torque.push_back(5 * std::exp(-zeta * wn * t) * std::cos(wd * t));
        }
    }
    StepInput Input() const {
        StepInput in;
        in.actual = {actual.data(), actual.size()};
        in.optimal = {optimal.data(), optimal.size()};
        in.error = {error.data(), error.size()};
        in.torque = {torque.data(), torque.size()};
        in.samplePeriod = 0.5 / kPoints;
        in.torqueLimit = 5;
        return in;
    }
};

}  // namespace

int main() {
    Test test(0.35);
    StepInput in = test.Input();
    Report("step metrics of a 65,535-sample test (all moves)", 200, [&] { (void)MeasureStep(in); });

    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    SetHistoryRoot(std::string(temp) + "loopsmith-bench-" + std::to_string(GetCurrentProcessId()));
    const std::string file = HistoryFilePath(0, 1);
    TestHistory history;
    HistoryRun run;
    run.Time = "2026-01-01T00:00:00";
    run.Source = "test";
    run.P = 1.5;
    std::vector<MoveMetrics> m = MeasureStep(in);
    run.RiseTime = *m[0].riseTime * 1000;
    run.Overshoot = m[0].overshoot;
    Report("adding a run of 65,535 points (curve kept, curves trimmed)", 300, [&] {
        HistoryRun r = run;
        r.Actual = test.actual;
        history.AddRun(std::move(r));
    });
    std::printf("  %zu runs held, %.1f MB of curves\n", history.RunCount(), history.CurveBytes() / 1048576.0);
    Report("appending its row to the history file", 100, [&] { AppendHistoryRow(file, run); });
    DeleteFileA(file.c_str());

    // Pane 0 as the plot display fills it: the test, target, metrics and five overlays.
    PlotPane pane;
    pane.xMin = 0;
    pane.xMax = 500;
    pane.yMin = 0;
    pane.yMax = 200;
    pane.xLabel = "Time (ms)";
    pane.yLabel = "Distance";
    pane.series[kSeriesActual].y = test.actual;
    pane.series[kSeriesActual].name = "Actual";
    pane.series[kSeriesOptimal].y = test.optimal;
    pane.series[kSeriesOptimal].name = "Optimal";
    pane.series[kSeriesTarget].y = {100, 100};
    pane.series[kSeriesTarget].style = 1;
    pane.extras.metricsText = MetricsSummary(m[0]);
    pane.extras.markers = true;
    const double markers[kMarkerCount] = {5, 10, 20, 90, 30, 130, 120, 98, 102};
    std::copy(markers, markers + kMarkerCount, pane.extras.marker);
    for (int k = 0; k < 5; ++k) {
        Test earlier(0.2 + 0.1 * k);
        pane.extras.overlays[k].y = earlier.actual;
        pane.extras.overlays[k].x0 = 0;
        pane.extras.overlays[k].x1 = 400 + 50 * k;
        pane.extras.overlays[k].spanSet = true;
        pane.extras.overlays[k].name = "Run " + std::to_string(k + 1);
    }
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    // A 32-bit DIB section, as the pane paints into.
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof bi.bmiHeader, 1200, -800, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bitmap);
    RECT area = {0, 0, 1200, 800};
    Report("pane 0 repaint 1200 x 800: test, markers and five overlays", 100, [&] {
        DrawPlot(mem, area, pane, {1, true});
        GdiFlush();
    });
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return 0;
}
