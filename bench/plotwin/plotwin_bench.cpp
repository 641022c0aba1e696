// Redraw time of a 1200 x 800 plot pane holding five series of 65,535 points:
// the pane's own repaint (decimated, double-buffered, on the screen) and the
// drawing routine into a memory bitmap with the column reductions and with
// every point drawn, and the two column mappings alone.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "libs/plotwin/plot_draw.h"
#include "libs/plotwin/plot_mapping.h"
#include "libs/plotwin/plot_pane.h"
#include "libs/plotwin/plotwin.h"
#include "tests/harness/wall_clock.h"

namespace {

// The pane size and series length of the run in progress.
int kWidth = 1200, kHeight = 800, kPoints = 65535;
const int kSeries[] = {kSeriesActual, kSeriesOptimal, kSeriesError, kSeriesTorque, kSeriesAuxiliary};
const char* kNames[] = {"Actual", "Optimal", "Error", "Torque", "", "Auxiliary"};

// A damped step response; noise is the peak-to-peak noise in units of a 220-unit axis.
std::vector<double> Curve(int series, double noise) {
    std::vector<double> y(kPoints);
    unsigned random = 12345u + series;
    for (int i = 0; i < kPoints; ++i) {
        double t = 10.0 * i / kPoints;
        random = random * 1103515245u + 12345u;
        y[i] = 100 * (1 - std::exp(-t) * std::cos((2 + series) * t)) / (1 + series) +
               noise * (((random >> 16) % 1000) / 1000.0 - 0.5);
    }
    return y;
}

// CPU time of this thread in ms: on a shared machine it shows the work done
// better than the wall clock.
double CpuNow() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& f) { return ((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

template <class F> void Report(const char* what, int runs, F run) {
    std::vector<double> ms;
    run();  // warm up
    double cpu0 = CpuNow();
    for (int i = 0; i < runs; ++i) {
        double t0 = WallMs();
        run();
        ms.push_back(WallMs() - t0);
    }
    double cpu = (CpuNow() - cpu0) / runs;
    std::sort(ms.begin(), ms.end());
    std::printf("%-50s median %7.2f ms  min %7.2f ms  max %7.2f ms  cpu %7.2f ms/run  (%d runs)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), cpu, runs);
}

void Run(double noise, int width = 1200, int height = 800, int points = 65535) {
    kWidth = width;
    kHeight = height;
    kPoints = points;
    std::printf("\n== curves with %g units of noise\n", noise);
    std::vector<std::vector<double>> curves;
    for (int s : kSeries) curves.push_back(Curve(s, noise));

    // The window, created as the program creates its panes.
    PlotInitialize(GetModuleHandleA(nullptr));
    RECT frame = {0, 0, kWidth, kHeight};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, WS_EX_CLIENTEDGE);
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, PLOTWIN_CLASS, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | PLOTWIN_STYLE_PANE, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, host, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    double xMax = 500, yMin = -20, yMax = 200;
    SendMessageA(pane, PWM_SETXMAX, 0, reinterpret_cast<LPARAM>(&xMax));
    SendMessageA(pane, PWM_SETYMIN, 0, reinterpret_cast<LPARAM>(&yMin));
    SendMessageA(pane, PWM_SETYMAX, 0, reinterpret_cast<LPARAM>(&yMax));
    SendMessageA(pane, PWM_SETXLABEL, 0, reinterpret_cast<LPARAM>("Time (ms)"));
    SendMessageA(pane, PWM_SETYLABEL, 0, reinterpret_cast<LPARAM>("Distance"));
    PlotPane model;
    model.xMax = xMax;
    model.yMin = yMin;
    model.yMax = yMax;
    model.xLabel = "Time (ms)";
    model.yLabel = "Distance";
    for (size_t i = 0; i < curves.size(); ++i) {
        SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeries[i], kPoints), reinterpret_cast<LPARAM>(curves[i].data()));
        SendMessageA(pane, PWM_SETSERIESNAME, kSeries[i], reinterpret_cast<LPARAM>(kNames[kSeries[i]]));
        model.series[kSeries[i]].y = curves[i];
        model.series[kSeries[i]].name = kNames[kSeries[i]];
    }
    RECT client;
    GetClientRect(pane, &client);
    std::printf("pane client %ld x %ld, %d series of %d points\n", client.right, client.bottom,
                static_cast<int>(curves.size()), kPoints);

    Report("pane repaint (PWM_UPDATE, decimated, buffered)", 100, [&] {
        InvalidateRect(pane, nullptr, FALSE);
        SendMessageA(pane, PWM_UPDATE, 0, 0);
    });

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    // A 32-bit DIB section, as the pane paints into.
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof bi.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bitmap);
    RECT area = {0, 0, kWidth, kHeight};
    Report("DrawPlot into a memory bitmap, decimated", 100, [&] { DrawPlot(mem, area, model, {1, true}); GdiFlush(); });
    {
        // A bitmap compatible with the screen: every line goes through GDI.
        HDC ddbDc = CreateCompatibleDC(screen);
        HBITMAP ddb = CreateCompatibleBitmap(screen, kWidth, kHeight);
        HGDIOBJ oldDdb = SelectObject(ddbDc, ddb);
        Report("DrawPlot into a screen-compatible bitmap", 100, [&] { DrawPlot(ddbDc, area, model, {1, true}); GdiFlush(); });
        SelectObject(ddbDc, oldDdb);
        DeleteObject(ddb);
        DeleteDC(ddbDc);
    }
    Report("mapping to column polylines alone, five series", 50, [&] {
        std::vector<POINT> mapped;
        std::vector<size_t> runs;
        for (const auto& c : curves) {
            mapped.clear();
            runs.clear();
            MapDecimated(c.data(), c.size(), AxisMap{0, 1, 60, 1190}, AxisMap{-20, 200, 770, 20}, mapped, runs);
        }
    });
    Report("mapping to column lines alone, five series", 50, [&] {
        std::vector<POINT> mapped;
        std::vector<DWORD> counts;
        for (const auto& c : curves) {
            mapped.clear();
            counts.clear();
            MapColumnLines(c.data(), c.size(), AxisMap{0, 1, 60, 1190}, AxisMap{-20, 200, 770, 20}, mapped, counts);
        }
    });
    Report("mapping to column spans alone, five series", 50, [&] {
        std::vector<ColumnSpan> spans;
        std::vector<POINT> mapped;
        std::vector<DWORD> counts;
        for (const auto& c : curves) {
            spans.clear();
            mapped.clear();
            counts.clear();
            MapColumnSpans(c.data(), c.size(), AxisMap{0, 1, 60, 1190}, AxisMap{-20, 200, 770, 20}, spans, mapped,
                           counts);
        }
    });
    PlotPane empty = model;
    for (SeriesData& sd : empty.series) sd.y.clear();
    Report("DrawPlot into a memory bitmap, no series", 50, [&] { DrawPlot(mem, area, empty, {1, true}); GdiFlush(); });
    Report("DrawPlot into a memory bitmap, every point drawn", 10, [&] { DrawPlot(mem, area, model, {1, false}); GdiFlush(); });
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    DestroyWindow(host);
}

}  // namespace

int main() {
    Run(0.05);  // encoder-like: a count or so
    Run(4);     // noisy: every column spans several pixels
    Run(0.05, 792, 240, 1001);  // one pane of a 1,001-sample test shown in separate panes
    return 0;
}
