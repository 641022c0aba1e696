// The three ways the plot library turns a series into lines draw the same
// pixels: one polyline through every point, that polyline reduced to four
// points per pixel column, and one vertical line per pixel column in a single
// PolyPolyline. Rendered into memory bitmaps and compared pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "libs/plotwin/plot_draw.h"
#include "libs/plotwin/plot_mapping.h"
#include "libs/plotwin/plot_pane.h"
#include "libs/plotwin/plot_spans.h"
#include "libs/plotwin/plotwin.h"
#include "screenshot.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const LineDrawing kReduced[] = {LineDrawing::ColumnPolyline, LineDrawing::ColumnLines, LineDrawing::ColumnSpans};
const char* Name(LineDrawing how) {
    switch (how) {
    case LineDrawing::ColumnLines: return "column lines";
    case LineDrawing::ColumnSpans: return "column spans";
    default: return "column polyline";
    }
}

// A white 32-bit bitmap selected into a memory DC, top-down or bottom-up.
class Canvas {
public:
    Canvas(int width, int height, bool bottomUp = false) : width_(width), height_(height), bottomUp_(bottomUp) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, width, bottomUp ? height : -height, 1, 32, BI_RGB};
        bitmap_ = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC Dc() const { return dc_; }
    std::vector<DWORD> Pixels() const {
        GdiFlush();
        std::vector<DWORD> p(bits_, bits_ + static_cast<size_t>(width_) * height_);
        for (DWORD& v : p) v &= 0xFFFFFF;
        if (bottomUp_) {  // top row first, as in a top-down bitmap
            for (int row = 0; row < height_ / 2; ++row)
                std::swap_ranges(p.begin() + row * width_, p.begin() + (row + 1) * width_,
                                 p.begin() + (height_ - 1 - row) * width_);
        }
        return p;
    }

private:
    int width_, height_;
    bool bottomUp_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

// "" when the two pictures are equal, else how many pixels differ and where the first one is.
std::string Difference(const std::vector<DWORD>& a, const std::vector<DWORD>& b, int width) {
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        if (!differ++) first = i;
    }
    if (!differ) return "";
    char text[120];
    std::snprintf(text, sizeof text, "%zu pixels differ, the first at x %d y %d", differ,
                  static_cast<int>(first % width), static_cast<int>(first / width));
    return text;
}

size_t Ink(const std::vector<DWORD>& p) {
    size_t n = 0;
    for (DWORD v : p) n += v != 0xFFFFFF;
    return n;
}

enum class Shape { Noisy, Smooth, Step, FastSine, Clipped, Gaps, Stairs, Random };

// Series of a kind, n points, values on the 0 .. 100 scale of a step response.
std::vector<double> Curve(Shape shape, int n, std::mt19937& random) {
    std::normal_distribution<double> noise(0, 1);
    std::uniform_real_distribution<double> anywhere(-30, 150);
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) {
        const double t = 8.0 * i / n;
        const double response = 100 * (1 - std::exp(-t) * std::cos(3 * t));
        switch (shape) {
        case Shape::Noisy: y[i] = response + 4 * noise(random); break;
        case Shape::Smooth: y[i] = response; break;
        case Shape::Step: y[i] = i < n / 3 ? 0 : i < 2 * n / 3 ? 100 : -10; break;  // the commanded position
        case Shape::FastSine: y[i] = 50 + 60 * std::sin(0.05 * i); break;            // steep everywhere
        case Shape::Clipped: y[i] = i % 5000 == 7 ? 1e300 : i % 5000 == 9 ? -1e300 : 3 * response - 100; break;
        case Shape::Gaps:
            // Gaps of NaN and infinities, and lone points between them.
            y[i] = i % 900 > 850 ? (i % 900 == 870 ? response : kNaN) : i % 313 == 0 ? kInf : response + noise(random);
            break;
        case Shape::Stairs: y[i] = (i % 7 == 2 || i % 7 == 5) ? kNaN : std::floor(i / 997.0) * 5; break;
        case Shape::Random: y[i] = anywhere(random); break;
        }
    }
    return y;
}

struct LineCase {
    const char* what;
    Shape shape;
    int count, plotWidth, plotHeight;
    double yMin, yMax;
    double x0, x1;  // span of the points on the 0 .. 500 axis
};

const LineCase kCases[] = {
    {"noisy, many points per column", Shape::Noisy, 65535, 1200, 400, -20, 120, 0, 500},
    {"noisy, tall pane", Shape::Noisy, 65535, 640, 780, -20, 120, 0, 500},
    {"smooth", Shape::Smooth, 65535, 1200, 400, -20, 120, 0, 500},
    {"steep steps", Shape::Step, 65535, 700, 300, -20, 120, 0, 500},
    {"steep sine", Shape::FastSine, 65535, 300, 400, -20, 120, 0, 500},
    {"steep sine, few points per column", Shape::FastSine, 2500, 1000, 400, -20, 120, 0, 500},
    {"clipped above and below, huge values", Shape::Clipped, 65535, 900, 300, 0, 60, 0, 500},
    {"NaN and infinite gaps, lone points", Shape::Gaps, 65535, 97, 400, -20, 120, 0, 500},
    {"gaps in a wide pane", Shape::Gaps, 20000, 1200, 200, -20, 120, 0, 500},
    {"flat steps with runs of one and two points", Shape::Stairs, 20000, 300, 400, -20, 120, 0, 500},
    {"two columns only", Shape::Noisy, 3000, 2, 400, -20, 120, 0, 500},
    {"fewer points than columns", Shape::Noisy, 150, 1200, 400, -20, 120, 0, 500},
    {"three points", Shape::Random, 3, 600, 300, -20, 120, 0, 500},
    {"one point", Shape::Smooth, 1, 600, 300, -20, 120, 0, 500},
    {"random values, every row", Shape::Random, 40000, 500, 250, -20, 120, 0, 500},
    {"reversed span", Shape::Noisy, 65535, 800, 300, -20, 120, 500, 0},
    {"span past the axis", Shape::Noisy, 65535, 800, 300, -20, 120, 100, 900},
    {"short span inside the axis", Shape::Noisy, 30000, 800, 300, -20, 120, 200, 260},
};

TEST(LineDrawing, ReductionsDrawThePixelsOfEveryPoint) {
    std::mt19937 random(7);
    for (const LineCase& c : kCases) {
        PlotPane pane;
        pane.xMin = 0;
        pane.xMax = 500;
        pane.yMin = c.yMin;
        pane.yMax = c.yMax;
        std::vector<double> y = Curve(c.shape, c.count, random);
        // A second curve, mirrored, that ends by returning to the top of its last column.
        std::vector<double> mirrored = y;
        for (double& v : mirrored) v = -v / 2 + 30;
        if (c.count >= 3) {
            mirrored[c.count - 3] = 60;
            mirrored[c.count - 2] = 50;
            mirrored[c.count - 1] = 60;
        }
        const RECT plot = {10, 5, 10 + c.plotWidth, 5 + c.plotHeight};
        const int width = c.plotWidth + 20, height = c.plotHeight + 10;
        // Also on a bottom-up bitmap whose logical origin is shifted, so that
        // pixels written straight into a bitmap land where GDI puts them.
        auto render = [&](LineDrawing how, bool bottomUp) {
            Canvas canvas(width, height, bottomUp);
            HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
            HGDIOBJ old = SelectObject(canvas.Dc(), pen);
            if (bottomUp) SetWindowOrgEx(canvas.Dc(), 3, -2, nullptr);
            // Clipped to the plot area as DrawPlot clips, so wild values show at its edges.
            IntersectClipRect(canvas.Dc(), plot.left, plot.top, plot.right, plot.bottom);
            for (const std::vector<double>* curve : {&y, &mirrored})
                DrawPointLines(canvas.Dc(), plot, pane, curve->data(), curve->size(), c.x0, c.x1, how);
            SelectObject(canvas.Dc(), old);
            DeleteObject(pen);
            return canvas.Pixels();
        };
        for (bool bottomUp : {false, true}) {
            const std::vector<DWORD> all = render(LineDrawing::EveryPoint, bottomUp);
            EXPECT_GT(Ink(all), c.count > 1 ? static_cast<size_t>(std::min(c.plotWidth, c.count)) : 4u)
                << c.what << ": nothing drawn";
            for (LineDrawing how : kReduced) {
                if (bottomUp && how != LineDrawing::ColumnSpans) continue;
                EXPECT_EQ(Difference(all, render(how, bottomUp), width), "")
                    << c.what << ", " << Name(how) << (bottomUp ? ", bottom-up and shifted" : "");
            }
        }
    }
}

// Pixels are written straight into the bitmap only where they are exactly
// what the pen would draw; everywhere else the lines go through GDI.
TEST(LineDrawing, SpansAreWrittenOnlyWhereThePenWouldDrawThem) {
    HDC screen = GetDC(nullptr);
    struct Case {
        const char* what;
        bool ready;
        int bits;                  // 0: a bitmap compatible with the screen
        int penStyle, penWidth;
        int rop;
        int mapMode;
    } cases[] = {
        {"32-bit DIB, thin solid pen", true, 32, PS_SOLID, 1, R2_COPYPEN, MM_TEXT},
        {"pen of width 0", true, 32, PS_SOLID, 0, R2_COPYPEN, MM_TEXT},
        {"24-bit DIB", false, 24, PS_SOLID, 1, R2_COPYPEN, MM_TEXT},
        {"bitmap compatible with the screen", false, 0, PS_SOLID, 1, R2_COPYPEN, MM_TEXT},
        {"wide pen", false, 32, PS_SOLID, 2, R2_COPYPEN, MM_TEXT},
        {"dotted pen", false, 32, PS_DOT, 1, R2_COPYPEN, MM_TEXT},
        {"inverting drawing", false, 32, PS_SOLID, 1, R2_NOT, MM_TEXT},
        {"scaled mapping mode", false, 32, PS_SOLID, 1, R2_COPYPEN, MM_LOMETRIC},
    };
    for (const Case& c : cases) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap;
        if (c.bits) {
            BITMAPINFO bi = {};
            bi.bmiHeader = {sizeof bi.bmiHeader, 64, -32, 1, static_cast<WORD>(c.bits), BI_RGB};
            void* bits = nullptr;
            bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        } else {
            bitmap = CreateCompatibleBitmap(screen, 64, 32);
        }
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HPEN pen = CreatePen(c.penStyle, c.penWidth, RGB(10, 20, 30));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        SetROP2(dc, c.rop);
        SetMapMode(dc, c.mapMode);
        EXPECT_EQ(SpanWriter(dc).Ready(), c.ready) << c.what;
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBitmap);
        DeleteObject(pen);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    EXPECT_FALSE(SpanWriter(screen).Ready()) << "a screen DC";
    ReleaseDC(nullptr, screen);
}

// Spans clipped to a region of several rectangles, in the pen's colour.
TEST(LineDrawing, SpansKeepToTheClipRegion) {
    Canvas canvas(40, 30);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 100, 50));
    HGDIOBJ old = SelectObject(canvas.Dc(), pen);
    HRGN a = CreateRectRgn(5, 5, 15, 25), b = CreateRectRgn(20, 10, 30, 20);
    CombineRgn(a, a, b, RGN_OR);
    SelectClipRgn(canvas.Dc(), a);
    const SpanWriter writer(canvas.Dc());
    ASSERT_TRUE(writer.Ready());
    std::vector<ColumnSpan> spans;
    for (LONG x = -3; x < 45; ++x) spans.push_back({x, -100, 100});
    writer.Fill(spans);
    const std::vector<DWORD> p = canvas.Pixels();
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = (x >= 5 && x < 15 && y >= 5 && y < 25) || (x >= 20 && x < 30 && y >= 10 && y < 20);
            ASSERT_EQ(p[y * 40 + x], inside ? 0xC86432u : 0xFFFFFFu) << "x " << x << " y " << y;
        }
    }
    SelectObject(canvas.Dc(), old);
    DeleteObject(pen);
    DeleteObject(a);
    DeleteObject(b);
}

// The whole pane, with legend, markers, metrics box, overlaid runs, a dashed
// target and a wide pen beside the thin ones, as on the screen and as the
// reference that draws every point.
TEST(LineDrawing, WholePlotIsTheSameAsDrawingEveryPoint) {
    std::mt19937 random(11);
    PlotPane pane;
    pane.xMin = 0;
    pane.xMax = 500;
    pane.yMin = -20;
    pane.yMax = 150;
    pane.xLabel = "Time (ms)";
    pane.yLabel = "Distance";
    const int kinds[] = {kSeriesActual, kSeriesOptimal, kSeriesError, kSeriesTorque, kSeriesAuxiliary};
    const char* names[] = {"Actual", "Optimal", "Error", "Torque", "Skew", "Auxiliary", "Target"};
    for (int s : kinds) {
        pane.series[s].y = Curve(s == kSeriesOptimal ? Shape::Step : Shape::Noisy, 65535, random);
        pane.series[s].name = names[s];
        for (double& v : pane.series[s].y) v = v / (1 + s) + 5 * s;
    }
    pane.look.widths[kSeriesTorque] = 3;  // drawn along its path, not by columns
    pane.series[kSeriesTarget].y = {100, 100};
    pane.series[kSeriesTarget].name = names[kSeriesTarget];
    pane.series[kSeriesTarget].style = 1;
    pane.extras.metricsText = "Rise 12.5 ms  Overshoot 18.2 %  Settling 46.0 ms  Peak error 19.6  RMS error 5.21";
    pane.extras.markers = true;
    const double markers[kMarkerCount] = {20, 10, 60, 90, 110, 118, 240, 98, 102};
    std::copy(markers, markers + kMarkerCount, pane.extras.marker);
    for (int i = 0; i < 3; ++i) {
        OverlaySeries& o = pane.extras.overlays[i];
        o.y = Curve(Shape::Noisy, 30000 + 10000 * i, random);
        o.name = "Run " + std::to_string(i + 1);
        o.spanSet = i == 1;  // one run with its own, longer record time
        o.x0 = 0;
        o.x1 = 700;
    }
    const SIZE sizes[] = {{1200, 800}, {760, 380}, {300, 160}};
    for (SIZE size : sizes) {
        const RECT area = {0, 0, size.cx, size.cy};
        auto render = [&](bool decimate) {
            Canvas canvas(size.cx, size.cy);
            DrawPlot(canvas.Dc(), area, pane, {1, decimate});
            return canvas.Pixels();
        };
        const std::vector<DWORD> all = render(false), fast = render(true);
        EXPECT_EQ(Difference(all, fast, size.cx), "") << size.cx << " x " << size.cy;
        EXPECT_GT(Ink(all), static_cast<size_t>(size.cx * 5)) << size.cx << " x " << size.cy;
    }
}

// The pane window itself: five noisy 65,535-point series at 1200 x 800, as
// the screen shows them (WM_PRINTCLIENT runs the paint's drawing) and as
// every point drawn gives them.
TEST(LineDrawing, NoisyPaneWindowShowsThePixelsOfEveryPoint) {
    std::mt19937 random(5);
    PlotInitialize(GetModuleHandleA(nullptr));
    RECT frame = {0, 0, 1200, 800};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, WS_EX_CLIENTEDGE);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, w, h, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, PLOTWIN_CLASS, nullptr, WS_CHILD | WS_VISIBLE | PLOTWIN_STYLE_PANE,
                                  0, 0, w, h, host, nullptr, GetModuleHandleA(nullptr), nullptr);
    PlotPane model;
    auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
        SendMessageA(window, message, wParam, lParam);
        PaneHandleMessage(model, message, wParam, lParam, nullptr);
    };
    const double xMax = 500, yMin = -20, yMax = 200;
    send(PWM_SETXMAX, 0, reinterpret_cast<LPARAM>(&xMax));
    send(PWM_SETYMIN, 0, reinterpret_cast<LPARAM>(&yMin));
    send(PWM_SETYMAX, 0, reinterpret_cast<LPARAM>(&yMax));
    send(PWM_SETXLABEL, 0, reinterpret_cast<LPARAM>("Time (ms)"));
    send(PWM_SETYLABEL, 0, reinterpret_cast<LPARAM>("Distance"));
    const char* names[] = {"Actual", "Optimal", "Error", "Torque", "", "Auxiliary"};
    std::vector<std::vector<double>> curves;
    for (int s : {kSeriesActual, kSeriesOptimal, kSeriesError, kSeriesTorque, kSeriesAuxiliary}) {
        curves.push_back(Curve(Shape::Noisy, 65535, random));
        for (double& v : curves.back()) v = v / (1 + s) + 10 * s;
        send(PWM_SETDATA, MAKEWPARAM(s, 65535), reinterpret_cast<LPARAM>(curves.back().data()));
        send(PWM_SETSERIESNAME, s, reinterpret_cast<LPARAM>(names[s]));
    }
    SendMessageA(window, PWM_UPDATE, 0, 0);
    RECT client;
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, 1200);
    ASSERT_EQ(client.bottom, 800);
    Canvas shown(1200, 800), reference(1200, 800);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shown.Dc()), PRF_CLIENT);
    DrawPlot(reference.Dc(), client, model, {1, false});
    EXPECT_EQ(Difference(reference.Pixels(), shown.Pixels(), 1200), "");
    EXPECT_FALSE(SaveWindowScreenshot(host, "plotwin_noisy_curves").empty());
    DestroyWindow(host);
}

TEST(LineDrawing, ColumnLinesChainNeighbouringColumns) {
    std::mt19937 random(3);
    const AxisMap x{0, 1, 0, 999}, ymap{-20, 120, 399, 0};
    // A smooth curve is one chained line (and its last column's path); noise
    // still needs fewer lines than there are columns.
    const struct { Shape shape; size_t most; } cases[] = {{Shape::Smooth, 4}, {Shape::Noisy, 800}};
    for (const auto& c : cases) {
        std::vector<double> y = Curve(c.shape, 65535, random);
        std::vector<POINT> points;
        std::vector<DWORD> counts;
        MapColumnLines(y.data(), y.size(), x, ymap, points, counts);
        EXPECT_LE(counts.size(), c.most) << static_cast<int>(c.shape);
        size_t total = 0;
        for (DWORD n : counts) total += n;
        EXPECT_EQ(total, points.size());
        EXPECT_LT(points.size(), 3u * 1000) << static_cast<int>(c.shape);
    }
    // A lone point between gaps is a short mark, as the polyline drawing shows it.
    const double lone[] = {kNaN, 50, kNaN};
    std::vector<POINT> points;
    std::vector<DWORD> counts;
    MapColumnLines(lone, 3, AxisMap{0, 1, 0, 20}, ymap, points, counts);
    ASSERT_EQ(counts, (std::vector<DWORD>{2}));
    EXPECT_EQ(points[0].x, 8);
    EXPECT_EQ(points[1].x, 13);
    EXPECT_EQ(points[0].y, points[1].y);
}

TEST(LineDrawing, ColumnPolylineKeepsAtMostFourPointsPerColumnAndEveryPointOfTheLast) {
    std::vector<double> y(1000);
    for (int i = 0; i < 1000; ++i) y[i] = (i * 37) % 91;
    y[500] = kNaN;  // two runs
    std::vector<POINT> out;
    std::vector<size_t> runs;
    MapDecimated(y.data(), y.size(), AxisMap{0, 1, 0, 9}, AxisMap{0, 100, 100, 0}, out, runs);
    ASSERT_EQ(runs.size(), 2u);
    // Columns of 111 points (56 at the ends); a run's last column keeps its
    // points, less those that draw nothing more.
    EXPECT_LE(runs[0], 4u * 4 + 111);
    EXPECT_GT(runs[0], 4u * 4 + 50);
    EXPECT_LE(runs[1], 4u * 4 + 56);
    EXPECT_EQ(out.front().x, 0);
    EXPECT_EQ(out.back().x, 9);
    EXPECT_EQ(out.back().y, 100 - 999 * 37 % 91);
}

}  // namespace
