// Time from the end of a step test's capture wait to the plot panes drawn:
// fetching the captured points one per call into the capture store, the plot
// display's messages and the panes' painting, for 1,001 and 65,535 samples.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/entry.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "plot/plot_display.h"
#include "steptest/step_run.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

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

// What follows the wait in a step test: the fetch, UpdatePlots and the paint.
Timing AfterWait(HWND main, AppState& s) {
    double t0 = Now();
    s.TestDone = FetchCapture(main, 0, 0.0, 0.0, 0.0, 1);
    double t1 = Now();
    UpdatePlots(main);
    for (HWND pane : s.PlotPanes) UpdateWindow(pane);
    double t2 = Now();
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
    std::printf("end of wait to panes drawn, %6d samples: median %8.2f ms (fetch %8.2f ms, plot and paint %7.2f ms), "
                "best %8.2f ms, %d runs\n",
                samples, Median(total), Median(fetch), Median(plot), *std::min_element(total.begin(), total.end()),
                runs);
}

}  // namespace

int main() {
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
    s.Test.RecordTime = 0.5;
    RunStepTest(main, 1);
    Pump();
    std::printf("axis %d, servo period %g s, %d points captured\n", s.Axis, s.Test.SamplePeriod, s.Test.SampleCount);

    // For reference: what the controller library's single-point reads cost alone.
    std::vector<double> reads;
    for (int run = 0; run < 11; ++run) {
        double t0 = Now();
        for (int i = 0; i < 1000; ++i)
            for (int type : {kCaptureActual, kCaptureOptimal, kCaptureTorque, kCaptureAuxiliary}) {
                double v = 0.0;
                ZqGetCaptureData(s.ControllerHandle, static_cast<unsigned short>(s.Axis), type, i, 1, &v);
            }
        reads.push_back(Now() - t0);
    }
    std::printf("4,000 single-point capture reads alone: median %8.2f ms\n", Median(reads));

    Measure(main, s, 1001, 21);
    Measure(main, s, 65535, 5);

    DestroyWindow(main);
    return 0;
}
