// The plot library's own messages: the metrics box, the response markers and
// overlaid runs with their own time spans, drawn, cleared and refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "libs/plotwin/plot_extras.h"
#include "libs/plotwin/plotwin.h"
#include "screenshot.h"

namespace {

template <class T> LPARAM Ptr(const T* p) { return reinterpret_cast<LPARAM>(p); }
void SetLimit(HWND pane, UINT message, double v) { SendMessageA(pane, message, 0, Ptr(&v)); }

const COLORREF kBand = RGB(175, 200, 235), kBoxFill = RGB(250, 250, 242);

// Pixels of colour c that a pane draws for WM_PRINTCLIENT.
size_t CountPrinted(HWND pane, COLORREF c) {
    RECT rc;
    GetClientRect(pane, &rc);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof bi.bmiHeader, rc.right, -rc.bottom, 1, 32, BI_RGB};
    DWORD* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(pane, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    DWORD want = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    size_t n = 0;
    for (long i = 0; i < rc.right * rc.bottom; ++i) n += (bits[i] & 0xFFFFFF) == want;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return n;
}

struct Pane {
    HWND host, pane;
    Pane() {
        PlotInitialize(GetModuleHandleA(nullptr));
        host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 760, 380, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        pane = CreateWindowExA(WS_EX_CLIENTEDGE, PLOTWIN_CLASS, nullptr,
                               WS_CHILD | WS_VISIBLE | PLOTWIN_STYLE_PANE, 0, 0, 760, 380, host, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        SendMessageA(pane, PWM_SETXLABEL, 0, Ptr("Time (ms)"));
        SendMessageA(pane, PWM_SETYLABEL, 0, Ptr("Distance"));
    }
    ~Pane() { DestroyWindow(host); }
};

// An underdamped response of 100 units over 500 ms, sample i at i ms.
std::vector<double> Response(double zeta, double wn, size_t n) {
    std::vector<double> y;
    const double wd = wn * std::sqrt(1 - zeta * zeta), phi = std::acos(zeta);
    for (size_t i = 0; i < n; ++i) {
        double t = i / 1000.0;
        y.push_back(100 * (1 - std::exp(-zeta * wn * t) * std::sin(wd * t + phi) / std::sqrt(1 - zeta * zeta)));
    }
    return y;
}

// A curve settled on an edge of the band stays visible: the band lies under the curves.
TEST(PlotExtras, CurveOnTheBandEdgeStaysVisible) {
    Pane p;
    const std::vector<double> settled(500, 102);
    SetLimit(p.pane, PWM_SETXMIN, 0);
    SetLimit(p.pane, PWM_SETXMAX, 499);
    SetLimit(p.pane, PWM_SETYMIN, 0);
    SetLimit(p.pane, PWM_SETYMAX, 200);
    SendMessageA(p.pane, PWM_SETDATA, MAKEWPARAM(kSeriesActual, settled.size()), Ptr(settled.data()));
    const COLORREF actual = RGB(0, 82, 204);
    const size_t alone = CountPrinted(p.pane, actual);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double band[kMarkerCount] = {nan, nan, nan, nan, nan, nan, nan, 98, 102};
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, Ptr(band));
    EXPECT_GT(alone, 600u);
    EXPECT_EQ(CountPrinted(p.pane, actual), alone);
    EXPECT_GT(CountPrinted(p.pane, kBand), 600u);  // the low edge, and the high one where the curve leaves it
}

TEST(PlotExtras, MetricsBoxMarkersAndOverlays) {
    Pane p;
    std::vector<double> actual = Response(0.35, 60, 500), slower = Response(0.6, 35, 300), faster = Response(0.2, 90, 800);
    SetLimit(p.pane, PWM_SETXMIN, 0);
    SetLimit(p.pane, PWM_SETXMAX, 499);
    SetLimit(p.pane, PWM_SETYMIN, 0);
    SetLimit(p.pane, PWM_SETYMAX, 200);
    SendMessageA(p.pane, PWM_SETDATA, MAKEWPARAM(kSeriesActual, actual.size()), Ptr(actual.data()));
    SendMessageA(p.pane, PWM_SETSERIESNAME, kSeriesActual, Ptr("Actual"));
    EXPECT_EQ(CountPrinted(p.pane, kBoxFill), 0u);
    EXPECT_EQ(CountPrinted(p.pane, kBand), 0u);

    SendMessageA(p.pane, PWM_SETMETRICSTEXT, 0,
                 Ptr("Rise 20.1 ms  Overshoot 30.9 %  Settling 178 ms  Peak error 61.3  RMS error 17.0"));
    const double markers[kMarkerCount] = {6.0, 10, 26.1, 90, 56, 130.9, 178, 98, 102};
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, Ptr(markers));
    // Two earlier runs, each on its own time span: 300 ms and 800 ms.
    const double spanSlow[2] = {0, 299}, spanFast[2] = {0, 799};
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(0, slower.size()), Ptr(slower.data()));
    SendMessageA(p.pane, PWM_SETOVERLAYSPAN, 0, Ptr(spanSlow));
    SendMessageA(p.pane, PWM_SETOVERLAYNAME, 0, Ptr("Run 2"));
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(1, faster.size()), Ptr(faster.data()));
    SendMessageA(p.pane, PWM_SETOVERLAYSPAN, 1, Ptr(spanFast));
    SendMessageA(p.pane, PWM_SETOVERLAYNAME, 1, Ptr("Run 1"));
    SendMessageA(p.pane, PWM_UPDATE, 0, 0);
    EXPECT_EQ(SendMessageA(p.pane, PWM_GETOVERLAYCOUNT, 0, 0), 2);
    EXPECT_FALSE(SaveWindowScreenshot(p.host, "plotwin_metrics_overlays").empty());
    EXPECT_GT(CountPrinted(p.pane, kBoxFill), 2000u);
    EXPECT_GT(CountPrinted(p.pane, kBand), 800u);  // two lines across the plot
    EXPECT_GT(CountPrinted(p.pane, OverlayColor(0)), 200u);
    EXPECT_GT(CountPrinted(p.pane, OverlayColor(1)), 200u);

    // A marker value of NaN leaves only that marker out; count 0 removes them all.
    double noBand[kMarkerCount];
    std::copy(markers, markers + kMarkerCount, noBand);
    noBand[kMarkBandLow] = noBand[kMarkBandHigh] = std::numeric_limits<double>::quiet_NaN();
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, Ptr(noBand));
    EXPECT_EQ(CountPrinted(p.pane, kBand), 0u);
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, Ptr(markers));
    SendMessageA(p.pane, PWM_SETMARKERS, 0, 0);
    EXPECT_EQ(CountPrinted(p.pane, kBand), 0u);

    // One overlay removed, then all; the series stay.
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(1, 0), 0);
    EXPECT_EQ(SendMessageA(p.pane, PWM_GETOVERLAYCOUNT, 0, 0), 1);
    SendMessageA(p.pane, PWM_CLEAROVERLAYS, 0, 0);
    EXPECT_EQ(SendMessageA(p.pane, PWM_GETOVERLAYCOUNT, 0, 0), 0);
    EXPECT_GT(CountPrinted(p.pane, RGB(0, 82, 204)), 300u);

    // Clearing the pane takes box, markers and overlays along.
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, Ptr(markers));
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(3, slower.size()), Ptr(slower.data()));
    SendMessageA(p.pane, PWM_CLEAR, 1, -1);
    EXPECT_EQ(SendMessageA(p.pane, PWM_GETOVERLAYCOUNT, 0, 0), 0);
    EXPECT_EQ(CountPrinted(p.pane, kBoxFill), 0u);
    EXPECT_EQ(CountPrinted(p.pane, kBand), 0u);
}

TEST(PlotExtras, BadValuesChangeNothing) {
    Pane p;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double y[3] = {1, 2, 3}, badSpan[2] = {nan, inf};
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(kMaxOverlays, 3), Ptr(y));  // no such overlay
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(0, 5), 0);                  // no values
    EXPECT_EQ(SendMessageA(p.pane, PWM_GETOVERLAYCOUNT, 0, 0), 0);
    SendMessageA(p.pane, PWM_SETOVERLAY, MAKEWPARAM(0, 3), Ptr(y));
    SendMessageA(p.pane, PWM_SETOVERLAYSPAN, 0, Ptr(badSpan));
    SendMessageA(p.pane, PWM_SETOVERLAYSPAN, 0, 0);
    SendMessageA(p.pane, PWM_SETOVERLAYSPAN, 99, Ptr(y));
    SendMessageA(p.pane, PWM_SETOVERLAYNAME, 99, Ptr("Run 9"));
    SendMessageA(p.pane, PWM_SETOVERLAYNAME, 0, 0);
    SendMessageA(p.pane, PWM_SETMARKERS, 3, Ptr(y));  // wrong count: ignored
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, 0);
    const double wild[kMarkerCount] = {inf, -inf, 1e300, -1e300, nan, 5, 1e308, -1e308, 1e308};
    SendMessageA(p.pane, PWM_SETMARKERS, kMarkerCount, Ptr(wild));
    SendMessageA(p.pane, PWM_SETMETRICSTEXT, 0, 0);
    std::string longText(5000, 'x');
    longText[100] = '\n';
    SendMessageA(p.pane, PWM_SETMETRICSTEXT, 0, Ptr(longText.c_str()));
    SendMessageA(p.pane, PWM_UPDATE, 0, 0);
    EXPECT_EQ(SendMessageA(p.pane, PWM_GETOVERLAYCOUNT, 0, 0), 1);
    EXPECT_GT(CountPrinted(p.pane, kBoxFill), 0u);  // cut at the plot's edge, drawn all the same
    EXPECT_TRUE(IsWindow(p.pane));
}

}  // namespace
