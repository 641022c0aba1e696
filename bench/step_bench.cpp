// Time from the end of a step test's capture wait to the plot panes drawn:
// fetching the captured points into the capture store (block reads, and one
// read per point beside them for comparison), the plot display's messages and
// the panes' painting, for 1,001 and 65,535 samples; and what the modal wait
// adds to its time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/entry.h"
#include "core/modal_wait.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "plot/plot_display.h"
#include "steptest/step_run.h"
#include "tests/harness/wall_clock.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Timing {
    double total, fetch, plot;
};

// The fetch as one ZqGetCaptureData call per point did it, for comparison.
void FetchOnePerPoint(AppState& s) {
    const short h = s.ControllerHandle;
    const unsigned short axis = static_cast<unsigned short>(s.Axis);
    s.Capture.ClearAxis(s.Axis);
    auto read = [&](int type, int point) {
        double v = 0.0;
        if (ZqGetCaptureData(h, axis, type, point, 1, &v) < 0) return 0.0;
        return v;
    };
    for (int i = 0; i < s.Test.SampleCount; ++i) {
        double a = i == 0 ? 0.0 : read(kCaptureActual, i - 1);
        double o = i == 0 ? 0.0 : read(kCaptureOptimal, i - 1);
        ChannelFor(s, Channel::Actual, 0)->Append(a);
        ChannelFor(s, Channel::Optimal, 0)->Append(o);
        if (s.TorqueCapture) ChannelFor(s, Channel::Torque, 0)->Append(read(kCaptureTorque, i == 0 ? 0 : i - 1));
        if (s.AuxCapture) ChannelFor(s, Channel::Auxiliary, 0)->Append(i == 0 ? 0.0 : read(kCaptureAuxiliary, i - 1));
        ChannelFor(s, Channel::Error, 0)->Append(a - o);
    }
    s.LastTest = s.Test;
}

bool g_onePerPoint = false;

// What follows the wait in a step test: the fetch, UpdatePlots and the paint.
Timing AfterWait(HWND main, AppState& s) {
    double t0 = WallMs();
    if (g_onePerPoint) FetchOnePerPoint(s);
    else s.TestDone = FetchCapture(main, 0, 0.0, 0.0, 0.0, 1);
    double t1 = WallMs();
    UpdatePlots(main);
    for (HWND pane : s.PlotPanes) UpdateWindow(pane);
    double t2 = WallMs();
    return {t2 - t0, t1 - t0, t2 - t1};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Measure(HWND main, AppState& s, int samples, int runs) {
    s.Test.SampleCount = samples;
    s.Test.Sampling = 1;
    s.Test.RecordTime = (samples - 1) * s.Test.SamplePeriod;
    std::vector<double> total, fetch, plot;
    for (int i = 0; i < runs; ++i) {
        Timing t = AfterWait(main, s);
        total.push_back(t.total);
        fetch.push_back(t.fetch);
        plot.push_back(t.plot);
        Pump();
    }
    std::printf("%s, %6d samples: median %8.2f ms (fetch %8.2f ms, plot and paint %7.2f ms), "
                "best %8.2f ms, %d runs\n",
                g_onePerPoint ? "one read per point (before)" : "block reads                ", samples, Median(total), Median(fetch), Median(plot), *std::min_element(total.begin(), total.end()),
                runs);
}

}  // namespace

int main() {
    // An axis whose buffer holds 65,535 points at a 0.1 ms servo period, so that
    // both sizes are read from a real capture.
    char ini[MAX_PATH];
    GetTempPathA(MAX_PATH, ini);
    lstrcatA(ini, "loopsmith_step_bench.ini");
    if (FILE* f = std::fopen(ini, "w")) {
        std::fputs("[controller.0]\ntype = 6\nflags = 4\naxes = 1\n[controller.0.axis.1]\nbuffer = 65535\nhigh = 0.0001\n", f);
        std::fclose(f);
        SetEnvironmentVariableA("ZQSIM_CONFIG", ini);
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterWindowClasses(instance)) return 1;
    char commandLine[] = "";
    HWND main = InitInstance(instance, commandLine, SW_SHOWNORMAL);
    if (!main) {
        std::printf("the main window could not be created\n");
        return 1;
    }
    Pump();
    AppState& s = *StateOf(main);
    s.PlotStyle = kPlotSeparate;
    s.PlotActual = s.PlotOptimal = s.PlotError = s.PlotTarget = 1;
    s.Test.Trajectory = 1;
    SetWindowPos(main, nullptr, 0, 0, 1024, 768, SWP_NOMOVE | SWP_NOZORDER);
    Pump();

    // One real test first, so that the controller holds a captured response.
    ZqEnableAxis(s.ControllerHandle, static_cast<unsigned short>(s.Axis), 1);
    s.Test.RecordTime = 6.5534;  // 65,534 points
    RunStepTest(main, 1);
    Pump();
    std::printf("axis %d, servo period %g s, %d points captured\n", s.Axis, s.Test.SamplePeriod, s.Test.SampleCount);

    // For reference: what the controller library's single-point reads cost alone.
    std::vector<double> reads;
    for (int run = 0; run < 11; ++run) {
        double t0 = WallMs();
        for (int i = 0; i < 1000; ++i)
            for (int type : {kCaptureActual, kCaptureOptimal, kCaptureTorque, kCaptureAuxiliary}) {
                double v = 0.0;
                ZqGetCaptureData(s.ControllerHandle, static_cast<unsigned short>(s.Axis), type, i, 1, &v);
            }
        reads.push_back(WallMs() - t0);
    }
    std::printf("4,000 single-point capture reads alone: median %8.2f ms\n", Median(reads));

    for (bool onePerPoint : {false, true}) {
        g_onePerPoint = onePerPoint;
        Measure(main, s, 1001, 21);
        Measure(main, s, 65535, 5);
    }
    g_onePerPoint = false;

    // The modal wait against the time it was asked for.
    for (DWORD ms : {100u, 1000u}) {
        std::vector<double> extra;
        for (int run = 0; run < (ms < 1000 ? 11 : 3); ++run) {
            double t0 = WallMs();
            ModalWait(main, ms);
            extra.push_back(WallMs() - t0 - ms);
        }
        std::printf("modal wait of %4lu ms: median %6.2f ms longer, at most %6.2f ms\n", ms, Median(extra),
                    *std::max_element(extra.begin(), extra.end()));
    }

    DestroyWindow(main);
    return 0;
}
