// Plot panes as the program uses them: created like the main window creates
// them, driven with the plot display's message sequence, printed through
// WM_PRINTCLIENT under a page viewport, stored and set up through the exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app_fixture.h"
#include "libs/plotwin/plot_settings.h"
#include "libs/plotwin/plot_setup_ids.h"
#include "libs/plotwin/plotwin.h"
#include "responder.h"
#include "screenshot.h"

namespace {

const COLORREF kActual = RGB(0, 82, 204), kError = RGB(214, 32, 32), kTorque = RGB(230, 120, 0);

// A borderless host window holding plot panes stacked top to bottom.
class PaneHost {
public:
    PaneHost(int width, std::vector<int> heights) {
        PlotInitialize(GetModuleHandleA(nullptr));
        int total = 0;
        for (int h : heights) total += h;
        host_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, width, total,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        int y = 0;
        for (int h : heights) {
            HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, PLOTWIN_CLASS, nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | PLOTWIN_STYLE_PANE, 0, y, width, h,
                                        host_, nullptr, GetModuleHandleA(nullptr), nullptr);
            SendMessageA(pane, PWM_SETXLABEL, 0, reinterpret_cast<LPARAM>("Time (ms)"));
            SendMessageA(pane, PWM_SETYLABEL, 0, reinterpret_cast<LPARAM>("Distance"));
            panes_.push_back(pane);
            y += h;
        }
    }
    ~PaneHost() { DestroyWindow(host_); }
    HWND host() const { return host_; }
    HWND pane(size_t i) const { return panes_[i]; }
    std::vector<HWND>& panes() { return panes_; }

private:
    HWND host_ = nullptr;
    std::vector<HWND> panes_;
};

template <class T> LPARAM Ptr(const T* p) { return reinterpret_cast<LPARAM>(p); }

void SetLimit(HWND pane, UINT message, double v) { SendMessageA(pane, message, 0, Ptr(&v)); }

void SetDivisions(HWND pane) {
    RECT rc;
    GetClientRect(pane, &rc);
    SendMessageA(pane, PWM_SETYDIVISIONS, 0, rc.bottom < 125 ? 2 : rc.bottom < 250 ? 4 : 10);
    SendMessageA(pane, PWM_SETXDIVISIONS, 0, rc.right < 200 ? 2 : rc.right < 500 ? 4 : 10);
}

// A captured step test: 500 samples over 500 ms of a move of 100 units.
struct StepData {
    std::vector<double> actual, optimal, error, torque;
    double target[2] = {100, 100};
    StepData() {
        for (int i = 0; i < 500; ++i) {
            double t = i / 1000.0;
            double ramp = t < 0.1 ? 100 * (t / 0.1) * (t / 0.1) * (3 - 2 * t / 0.1) : 100;
            double lag = t * 22;
            double a = 100 * (1 - std::exp(-lag) * (std::cos(2.2 * lag) + 0.3 * std::sin(2.2 * lag)));
            actual.push_back(a);
            optimal.push_back(ramp);
            error.push_back(ramp - a);
            torque.push_back(3.2 * std::exp(-lag) * std::cos(2.2 * lag + 0.4) + 0.05);
        }
    }
};

// The sequence the plot display sends to one pane with the given curves.
void SendCurves(HWND pane, const std::vector<std::pair<int, const std::vector<double>*>>& curves, bool target,
                double yMin, double yMax, const char* yLabel, const char* format) {
    static const char* names[] = {"Actual", "Optimal", "Error", "Torque", "", "Auxiliary", "Target"};
    static const double targetLine[2] = {100, 100};
    SendMessageA(pane, PWM_CLEAR, 1, -1);
    SendMessageA(pane, PWM_SETYFORMAT, 0, Ptr("%lg"));
    SetLimit(pane, PWM_SETXMIN, 0);
    SetLimit(pane, PWM_SETXMAX, 500);
    SendMessageA(pane, PWM_ADDRANGE, 0, 0);
    for (auto& c : curves) SendMessageA(pane, PWM_ADDRANGE, c.second->size(), Ptr(c.second->data()));
    if (target) SendMessageA(pane, PWM_ADDRANGE, 1, Ptr(targetLine));
    SendMessageA(pane, PWM_SETYLABEL, 0, Ptr(yLabel));
    SetLimit(pane, PWM_SETYMIN, yMin);
    SetLimit(pane, PWM_SETYMAX, yMax);
    if (format) SendMessageA(pane, PWM_SETYFORMAT, 0, Ptr(format));
    for (auto& c : curves) {
        SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(c.first, c.second->size()), Ptr(c.second->data()));
        SendMessageA(pane, PWM_SETSERIESNAME, c.first, Ptr(names[c.first]));
        if (target && c.first == kSeriesActual) {
            SendMessageA(pane, PWM_SETSERIESSTYLE, kSeriesTarget, 1);
            SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeriesTarget, 2), Ptr(targetLine));
            SendMessageA(pane, PWM_SETSERIESNAME, kSeriesTarget, Ptr("Target"));
        }
    }
    SetDivisions(pane);
    SendMessageA(pane, PWM_UPDATE, 0, 0);
}

// What a pane draws for WM_PRINTCLIENT into a plain bitmap of its client size.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB
    size_t Count(COLORREF c) const {
        DWORD want = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        size_t n = 0;
        for (DWORD p : pixels) n += (p & 0xFFFFFF) == want;
        return n;
    }
};

struct Dib {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
    int width, height;
    Dib(int w, int h) : width(w), height(h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB};
        bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
        ReleaseDC(nullptr, screen);
        PatBlt(dc, 0, 0, w, h, WHITENESS);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    bool Ink(int x, int y) const { return (bits[y * width + x] & 0xFFFFFF) != 0xFFFFFF; }
};

// The pane's client area as draw(dc) puts it into a bitmap of that size.
template <class Draw> Picture CapturePane(HWND pane, Draw draw) {
    RECT rc;
    GetClientRect(pane, &rc);
    Dib dib(rc.right, rc.bottom);
    draw(dib.dc, rc);
    GdiFlush();
    Picture p;
    p.width = rc.right;
    p.height = rc.bottom;
    p.pixels.assign(dib.bits, dib.bits + rc.right * rc.bottom);
    return p;
}

Picture Print(HWND pane) {
    return CapturePane(pane, [pane](HDC dc, const RECT&) {
        SendMessageA(pane, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

TEST(PlotPane, StepResponseScreenshots) {
    StepData d;
    // Multi style: position curves with the target over a double-height pane,
    // then the error and the torque.
    PaneHost host(780, {400, 200, 150});
    SendCurves(host.pane(0), {{kSeriesActual, &d.actual}, {kSeriesOptimal, &d.optimal}}, true, 0, 200, "Distance",
               nullptr);
    SendCurves(host.pane(1), {{kSeriesError, &d.error}}, false, -80, 80, "Distance", nullptr);
    SendCurves(host.pane(2), {{kSeriesTorque, &d.torque}}, false, -5, 5, "Volts", "%7.3lf");
    EXPECT_FALSE(SaveWindowScreenshot(host.host(), "plotwin_step_multi").empty());

    Picture top = Print(host.pane(0)), error = Print(host.pane(1)), torque = Print(host.pane(2));
    EXPECT_GT(top.Count(kActual), 400u);
    EXPECT_GT(top.Count(RGB(0, 150, 80)), 150u);  // optimal
    EXPECT_GT(top.Count(RGB(64, 64, 64)), 150u);  // dashed target line and its legend sample
    EXPECT_GT(error.Count(kError), 300u);
    EXPECT_GT(torque.Count(kTorque), 300u);
    EXPECT_EQ(torque.Count(kActual), 0u);

    // A single small pane.
    PaneHost small(450, {150});
    SendCurves(small.pane(0), {{kSeriesActual, &d.actual}, {kSeriesOptimal, &d.optimal}, {kSeriesError, &d.error},
                               {kSeriesTorque, &d.torque}},
               true, -5, 200, "Distance", nullptr);
    EXPECT_FALSE(SaveWindowScreenshot(small.host(), "plotwin_step_small").empty());
    EXPECT_GT(Print(small.pane(0)).Count(kActual), 100u);
}

// What the pane window shows on the screen: its client area read back.
Picture Shown(HWND pane) {
    UpdateWindow(pane);
    Picture p = CapturePane(pane, [pane](HDC dc, const RECT& rc) {
        HDC window = GetDC(pane);
        BitBlt(dc, 0, 0, rc.right, rc.bottom, window, 0, 0, SRCCOPY);
        ReleaseDC(pane, window);
    });
    for (DWORD& v : p.pixels) v &= 0xFFFFFF;
    return p;
}

size_t Differing(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

Picture PrintedRgb(HWND pane) {
    Picture p = Print(pane);
    for (DWORD& v : p.pixels) v &= 0xFFFFFF;
    return p;
}

// A pane asks for one repaint per batch of changes; whatever the order of
// changes, paints, hiding and showing, the screen ends up with the pane's
// present picture.
TEST(PlotPane, ScreenFollowsEveryChange) {
    StepData d;
    PaneHost host(600, {260});
    HWND pane = host.pane(0);
    SendCurves(pane, {{kSeriesActual, &d.actual}}, true, 0, 200, "Distance", nullptr);
    std::vector<DWORD> before = PrintedRgb(pane).pixels;
    EXPECT_EQ(Differing(Shown(pane).pixels, before), 0u) << "first paint";
    const struct Step {
        const char* what;
        bool hideFirst, changeBeforeHiding;
        double yMax;
    } steps[] = {
        {"several changes, then a paint", false, false, 150},
        {"one more change after that paint", false, false, 120},
        {"a change while hidden", true, false, 180},
        {"a change, hidden before its paint, another change", true, true, 140},
    };
    for (const Step& step : steps) {
        if (step.changeBeforeHiding) SetLimit(pane, PWM_SETYMIN, -10);
        if (step.hideFirst) ShowWindow(pane, SW_HIDE);
        SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeriesError, d.error.size()), Ptr(d.error.data()));
        SetLimit(pane, PWM_SETYMAX, step.yMax);
        if (step.hideFirst) ShowWindow(pane, SW_SHOW);
        const std::vector<DWORD> now = PrintedRgb(pane).pixels;
        EXPECT_GT(Differing(now, before), 100u) << step.what << ": the change shows nothing";
        EXPECT_EQ(Differing(Shown(pane).pixels, now), 0u) << step.what << ": pixels on the screen differ";
        before = now;
    }
}

TEST(PlotPane, BadInputNeverCrashes) {
    PaneHost host(400, {200});
    HWND pane = host.pane(0);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    std::vector<double> many(65535);
    for (size_t i = 0; i < many.size(); ++i) many[i] = i % 7 == 0 ? nan : i % 11 == 0 ? inf : std::sin(i * 0.01);
    SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeriesActual, 0xFFFF), Ptr(many.data()));
    SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeriesOptimal, 0), 0);
    SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeriesError, 5), 0);
    SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(kSeriesTorque, 1), Ptr(&nan));
    for (UINT m : {PWM_SETXMIN, PWM_SETXMAX, PWM_SETYMIN, PWM_SETYMAX, PWM_GETMIN, PWM_GETMAX, PWM_SETXLABEL,
                   PWM_SETYLABEL, PWM_SETYFORMAT, PWM_SETSERIESNAME, PWM_ADDRANGE}) {
        SendMessageA(pane, m, 3, 0);
    }
    SendMessageA(pane, PWM_SETYFORMAT, 0, Ptr("%s%n"));
    struct Limits { double xMin, xMax, yMin, yMax; };
    const Limits limits[] = {{5, 5, 0, 1}, {0, 1, 10, -10}, {0, 1, 3, 3}, {1e308, -1e308, -1e308, 1e308},
                             {0, 1e-300, 0, 1e-300}};
    for (const Limits& l : limits) {
        SetLimit(pane, PWM_SETXMIN, l.xMin);
        SetLimit(pane, PWM_SETXMAX, l.xMax);
        SetLimit(pane, PWM_SETYMIN, l.yMin);
        SetLimit(pane, PWM_SETYMAX, l.yMax);
        SendMessageA(pane, PWM_UPDATE, 0, 0);
        EXPECT_GT(Print(pane).Count(RGB(255, 255, 255)), 0u);
    }
    MoveWindow(pane, 0, 0, 3, 3, TRUE);  // too small for a plot area
    SendMessageA(pane, PWM_UPDATE, 0, 0);
    SendMessageA(pane, WM_PRINTCLIENT, 0, 0);  // no DC
    EXPECT_TRUE(IsWindow(pane));
}

// The print job's viewports on a page: Multi style with torque (three panes
// stacked from 5 % to 65 % of the page height, 5 % to 93 % of its width).
TEST(PlotPane, PrintFillsEachViewportOfThePage) {
    StepData d;
    PaneHost host(600, {300, 150, 150});
    SendCurves(host.pane(0), {{kSeriesActual, &d.actual}, {kSeriesOptimal, &d.optimal}}, true, 0, 200, "Distance",
               nullptr);
    SendCurves(host.pane(1), {{kSeriesError, &d.error}}, false, -80, 80, "Distance", nullptr);
    SendCurves(host.pane(2), {{kSeriesTorque, &d.torque}}, false, -5, 5, "Volts", "%7.3lf");

    const int H = 1200, V = 1650;
    Dib page(H, V);
    SetMapMode(page.dc, MM_ANISOTROPIC);
    struct Viewport { int x, y, cx, cy; };
    const double k = 0.15, f0 = 0.05 + 2 * k, f1 = f0 + k, f2 = f1 + k;
    const Viewport viewports[] = {
        {int(0.05 * H), int(V * f0), int(0.88 * H), int(-V * 2 * k)},
        {int(0.05 * H), int(V * f1), int(0.88 * H), int(-V * k)},
        {int(0.05 * H), int(V * f2), int(0.88 * H), int(-V * k)},
    };
    for (int i = 0; i < 3; ++i) {
        SetViewportExtEx(page.dc, viewports[i].cx, viewports[i].cy, nullptr);
        SetViewportOrgEx(page.dc, viewports[i].x, viewports[i].y, nullptr);
        SendMessageA(host.pane(i), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(page.dc), 0);
    }
    GdiFlush();
    std::vector<unsigned char> rgb;
    for (int i = 0; i < H * V; ++i) {
        rgb.push_back(page.bits[i] >> 16);
        rgb.push_back(page.bits[i] >> 8);
        rgb.push_back(page.bits[i]);
    }
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir = dir.substr(0, dir.find_last_of("\\/") + 1) + "screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    WritePng(dir + "\\plotwin_print_page.png", H, V, rgb.data());

    // Nothing outside the viewports; inside each, the plot reaches close to
    // all four edges.
    for (int y = 0; y < V; ++y) {
        for (int x = 0; x < H; ++x) {
            if (!page.Ink(x, y)) continue;
            bool inside = false;
            for (const Viewport& v : viewports) {
                inside = inside || (x >= v.x && x < v.x + v.cx && y >= v.y + v.cy && y < v.y);
            }
            ASSERT_TRUE(inside) << "ink at " << x << "," << y;
        }
    }
    for (const Viewport& v : viewports) {
        int left = H, right = -1, top = V, bottom = -1;
        for (int y = v.y + v.cy; y < v.y; ++y) {
            for (int x = v.x; x < v.x + v.cx; ++x) {
                if (!page.Ink(x, y)) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        EXPECT_LT(left - v.x, 20) << v.y;
        EXPECT_LT(v.x + v.cx - right, 20) << v.y;
        EXPECT_LT(top - (v.y + v.cy), 20) << v.y;
        EXPECT_LT(v.y - bottom, 20) << v.y;
    }
}

PlotAppearance LookOf(HWND pane, HKEY key) {
    PlotSaveSettings(pane, key, "Probe");
    BYTE data[64];
    DWORD size = sizeof data, type = 0;
    RegQueryValueExA(key, "Probe", nullptr, &type, data, &size);
    PlotAppearance look;
    EXPECT_TRUE(DecodeAppearance(data, size, look));
    RegDeleteValueA(key, "Probe");
    return look;
}

WNDPROC g_panePrevious = nullptr;
LRESULT CALLBACK PassThroughProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(g_panePrevious, window, message, wParam, lParam);
}

class PlotSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PlotTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
    }
    void TearDown() override { RegCloseKey(key_); }
    IsolatedRegistry registry_;
    HKEY key_ = nullptr;
};

TEST_F(PlotSettingsTest, StoredValuesRestoreAndForeignValuesAreIgnored) {
    PaneHost host(300, {150, 150});
    PlotAppearance changed = DefaultAppearance();
    changed.colors[kSeriesActual] = RGB(1, 2, 3);
    changed.widths[kSeriesError] = 4;
    changed.legend = false;
    std::vector<BYTE> blob = EncodeAppearance(changed);
    RegSetValueExA(key_, "Plot1", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));

    EXPECT_EQ(PlotLoadSettings(host.pane(0), key_, "Plot1"), 1);
    EXPECT_TRUE(LookOf(host.pane(0), key_) == changed);
    // What ordinal 4 stores, ordinal 3 restores on another pane, also on one
    // that its owner has subclassed.
    g_panePrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host.pane(1), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassThroughProc)));
    EXPECT_EQ(PlotSaveSettings(host.pane(0), key_, "Plot0"), 1);
    EXPECT_EQ(PlotLoadSettings(host.pane(1), key_, "Plot0"), 1);
    EXPECT_TRUE(LookOf(host.pane(1), key_) == changed);

    struct Foreign { const char* name; DWORD type; std::vector<BYTE> data; };
    std::vector<BYTE> otherVersion = blob, shorter(blob.begin(), blob.end() - 1), longer = blob;
    otherVersion[0] = kSettingsVersion + 1;
    longer.push_back(0);
    const Foreign foreign[] = {{"Plot2", REG_BINARY, otherVersion}, {"Plot2", REG_BINARY, shorter},
                               {"Plot2", REG_BINARY, longer}, {"Plot2", REG_DWORD, {1, 0, 0, 0}}};
    PaneHost fresh(300, {150});
    for (const Foreign& f : foreign) {
        RegSetValueExA(key_, f.name, 0, f.type, f.data.data(), static_cast<DWORD>(f.data.size()));
        EXPECT_EQ(PlotLoadSettings(fresh.pane(0), key_, f.name), 0);
        EXPECT_TRUE(LookOf(fresh.pane(0), key_) == DefaultAppearance());
    }
    EXPECT_EQ(PlotLoadSettings(fresh.pane(0), key_, "Missing"), 0);
    EXPECT_EQ(PlotLoadSettings(nullptr, key_, "Plot0"), 0);
    EXPECT_EQ(PlotLoadSettings(fresh.pane(0), key_, nullptr), 0);
    EXPECT_EQ(PlotSaveSettings(host.host(), key_, "Plot3"), 0);  // not a plot pane
}

void SelectComboItem(HWND dialog, int id, const char* text) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT i = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), Ptr(text));
    ASSERT_GE(i, 0) << text;
    SendMessageA(combo, CB_SETCURSEL, i, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

TEST_F(PlotSettingsTest, SetupDialogAppliesEditsOnOkOnly) {
    StepData d;
    PaneHost host(500, {250, 250});
    SendCurves(host.pane(0), {{kSeriesActual, &d.actual}, {kSeriesOptimal, &d.optimal}}, true, 0, 200, "Distance",
               nullptr);
    Responder responder;
    responder.Handle([](HWND dialog) {
        SelectComboItem(dialog, IDC_PLOT_COLOR + 0, "Red");  // Actual
        SendMessageA(GetDlgItem(dialog, IDC_PLOT_GRID), BM_CLICK, 0, 0);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(PlotSetupDialog(host.host(), host.panes().data(), 2, 0, 0), 0);
    EXPECT_TRUE(LookOf(host.pane(0), key_) == DefaultAppearance());

    responder.Handle([](HWND dialog) {
        SaveWindowScreenshot(dialog, "plotwin_setup_dialog");
        SelectComboItem(dialog, IDC_PLOT_COLOR + 0, "Red");
        SetDlgItemTextA(dialog, IDC_PLOT_WIDTH + 0, "3");
        SetDlgItemTextA(dialog, IDC_PLOT_WIDTH + 5, "99");  // target: clamped to the widest line
        SendMessageA(GetDlgItem(dialog, IDC_PLOT_GRID), BM_CLICK, 0, 0);
        SelectComboItem(dialog, IDC_PLOT_BACKGROUND, "Light yellow");
        SelectComboItem(dialog, IDC_PLOT_PANE, "Pane 2");  // pane 1 keeps what was edited
        SendMessageA(GetDlgItem(dialog, IDC_PLOT_LEGEND), BM_CLICK, 0, 0);
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(PlotSetupDialog(host.host(), host.panes().data(), 2, 0, 0), 1);
    EXPECT_EQ(responder.Records().size(), 2u);
    EXPECT_EQ(responder.Records().back().caption, "Plot Window Setup");
    PlotAppearance first = LookOf(host.pane(0), key_), second = LookOf(host.pane(1), key_);
    EXPECT_EQ(first.colors[kSeriesActual], RGB(214, 32, 32));
    EXPECT_EQ(first.widths[kSeriesActual], 3);
    EXPECT_EQ(first.widths[kSeriesTarget], kMaxLineWidth);
    EXPECT_FALSE(first.grid);
    EXPECT_TRUE(first.legend);
    EXPECT_EQ(first.background, RGB(255, 255, 225));
    PlotAppearance expectSecond = DefaultAppearance();
    expectSecond.legend = false;
    EXPECT_TRUE(second == expectSecond);
    EXPECT_GT(Print(host.pane(0)).Count(RGB(255, 255, 225)), 10000u);  // the new background is drawn

    // "Same settings for all panes" gives every pane the shown pane's settings.
    responder.Handle([](HWND dialog) {
        SelectComboItem(dialog, IDC_PLOT_COLOR + 3, "Black");  // Error
        CheckDlgButton(dialog, IDC_PLOT_ALL_PANES, BST_CHECKED);
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(PlotSetupDialog(host.host(), host.panes().data(), 2, 0, 0), 1);
    EXPECT_TRUE(LookOf(host.pane(0), key_) == LookOf(host.pane(1), key_));
    EXPECT_EQ(LookOf(host.pane(1), key_).colors[kSeriesError], RGB(0, 0, 0));

    // A colour from outside the palette shows as "Custom"; "Other..." asks the
    // colour dialog, and neither its Cancel nor its OK loses the colour.
    PlotAppearance custom = DefaultAppearance();
    custom.colors[kSeriesTorque] = RGB(1, 2, 3);
    std::vector<BYTE> blob = EncodeAppearance(custom);
    RegSetValueExA(key_, "Custom", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
    ASSERT_EQ(PlotLoadSettings(host.pane(0), key_, "Custom"), 1);
    for (int button : {IDCANCEL, IDOK}) {
        responder.Handle([&responder, button](HWND dialog) {
            HWND combo = GetDlgItem(dialog, IDC_PLOT_COLOR + 4);  // Torque
            char text[32] = {};
            SendMessageA(combo, CB_GETLBTEXT, SendMessageA(combo, CB_GETCURSEL, 0, 0), Ptr(text));
            EXPECT_STREQ(text, "Custom");
            responder.Press(button);  // for the colour dialog
            SelectComboItem(dialog, IDC_PLOT_COLOR + 4, "Other...");
            SendMessageA(combo, CB_GETLBTEXT, SendMessageA(combo, CB_GETCURSEL, 0, 0), Ptr(text));
            EXPECT_STREQ(text, "Custom");
            PressButton(dialog, IDOK);
        });
        EXPECT_EQ(PlotSetupDialog(host.host(), host.panes().data(), 1, 0, 0), 1);
        EXPECT_EQ(LookOf(host.pane(0), key_).colors[kSeriesTorque], RGB(1, 2, 3)) << button;
    }
    EXPECT_EQ(responder.Records().size(), 7u);  // two setup dialogs, each with a colour dialog

    HWND none[] = {nullptr, host.host()};
    EXPECT_EQ(PlotSetupDialog(host.host(), none, 2, 0, 0), 0);  // no plot pane: no dialog
    EXPECT_EQ(PlotSetupDialog(host.host(), nullptr, 5, 0, 0), 0);
    EXPECT_EQ(responder.Records().size(), 7u);
}

}  // namespace
