// Gain slider windows in the running main window: children, layout, trackbar
// moves writing the gain, messages 1025/1026, zoom buttons and the configure button.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "gain_sliders.h"
#include "journal.h"
#include "panel/gain_slider.h"
#include "resources/limits_dialog_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "screenshot.h"

namespace {

// What the responder saw, for failure messages.
std::string Seen(const Responder& responder) {
    std::string seen;
    for (const DialogRecord& r : responder.Records()) seen += "[" + r.caption + "|" + r.text + "] ";
    return seen;
}

int g_beeps = 0;
BOOL WINAPI CountBeep(UINT type) {
    if (type == MB_ICONEXCLAMATION) ++g_beeps;
    return TRUE;
}

struct TipsFound {
    HWND slider;
    std::vector<std::pair<int, std::string>> tips;
    UINT flags = 0;
};

// Collects the tools of the tooltip control whose tools are children of the slider.
BOOL CALLBACK CollectTips(HWND window, LPARAM lParam) {
    auto* found = reinterpret_cast<TipsFound*>(lParam);
    char cls[64];
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0) return TRUE;
    int n = static_cast<int>(SendMessageA(window, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[80] = {};
        TOOLINFOA info = {};
        info.cbSize = 48;
        info.lpszText = text;
        SendMessageA(window, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&info));
        if (GetParent(info.hwnd) != found->slider) break;
        EXPECT_EQ(info.uId, reinterpret_cast<UINT_PTR>(info.hwnd));
        found->flags |= info.uFlags;
        found->tips.push_back({GetDlgCtrlID(info.hwnd), text});
    }
    return TRUE;
}

class GainSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(app.Start(), nullptr);
        s = &app.State();
        for (int id : {IDC_SLIDER_P, IDC_SLIDER_I, IDC_SLIDER_D}) ASSERT_NE(PanelSlider(app, id), nullptr);
        SliderBeepFunction = CountBeep;
        g_beeps = 0;
    }
    void TearDown() override { SliderBeepFunction = MessageBeep; }

    HWND Slider(int id) { return PanelSlider(app, id); }
    static std::string Text(HWND slider, int id) {
        char text[64] = {};
        GetDlgItemTextA(slider, id, text, sizeof text);
        return text;
    }
    static int ThumbOf(HWND slider) {
        return static_cast<int>(SendDlgItemMessageA(slider, IDC_SLIDER_TRACKBAR, TBM_GETPOS, 0, 0));
    }
    // The trackbar moved to position pos, as a drag reports it.
    static void Drag(HWND slider, int pos, int code = TB_THUMBTRACK) {
        HWND trackbar = GetDlgItem(slider, IDC_SLIDER_TRACKBAR);
        SendMessageA(trackbar, TBM_SETPOS, TRUE, pos);
        SendMessageA(slider, WM_VSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(trackbar));
    }
    std::string Call(const char* name, int axis, const char* value) const {
        return std::string(name) + "(" + std::to_string(s->ControllerHandle) + ", " + std::to_string(axis) + ", " +
               value + ")";
    }
    std::vector<std::string> Writes() const {
        return Journal::Filter(journal.Since(), {"ZqSetGain", "ZqSetFilterConfig"});
    }

    IsolatedRegistry registry;
    Journal journal{"gain_slider"};
    LoopsmithApp app;
    AppState* s = nullptr;
};

TEST_F(GainSliderTest, CreatesItsChildrenTrackbarFontsAndTips) {
    HWND p = Slider(IDC_SLIDER_P);
    const struct { int id; const char* cls; const char* text; DWORD style; } children[] = {
        {500, "msctls_trackbar32", nullptr, 0x50000003},
        {501, "Button", "+", 0x50000000},
        {502, "Button", "P", 0x50000000},
        {503, "Button", "\x96", 0x50000000},
        {505, "Static", nullptr, 0x50000002},
        {507, "Static", nullptr, 0x50000002},
        {506, "Static", nullptr, 0x50000002},
        {504, "ZQDLG_ReadoutWindowClass", nullptr, 0x50000001},
    };
    for (const auto& c : children) {
        HWND child = GetDlgItem(p, c.id);
        ASSERT_NE(child, nullptr) << c.id;
        char cls[64];
        GetClassNameA(child, cls, sizeof cls);
        EXPECT_EQ(lstrcmpiA(cls, c.cls), 0) << c.id << " " << cls;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), c.style) << c.id;
        if (c.text) {
            EXPECT_EQ(Text(p, c.id), c.text) << c.id;
        }
    }
    // Creation order is the order of the table.
    HWND child = GetWindow(p, GW_CHILD);
    for (const auto& c : children) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(Text(Slider(IDC_SLIDER_I), IDC_SLIDER_CONFIGURE), "I");
    EXPECT_EQ(Text(Slider(IDC_SLIDER_D), IDC_SLIDER_CONFIGURE), "D");

    HWND trackbar = GetDlgItem(p, IDC_SLIDER_TRACKBAR);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0), 1000);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETNUMTICS, 0, 0), 11);  // 0, 100, ..., 1000

    // The small controls share the slider's own 12-pixel Arial font.
    HFONT own = reinterpret_cast<HFONT>(SendDlgItemMessageA(p, IDC_SLIDER_ZOOM_IN, WM_GETFONT, 0, 0));
    ASSERT_NE(own, nullptr);
    LOGFONTA lf = {};
    GetObjectA(own, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, 12);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    for (int id : {IDC_SLIDER_ZOOM_OUT, IDC_SLIDER_UPPER, IDC_SLIDER_MIDDLE, IDC_SLIDER_LOWER})
        EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(p, id, WM_GETFONT, 0, 0)), own) << id;
    // A font sent to the slider goes to the configure button only.
    HFONT sent = reinterpret_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    EXPECT_EQ(SendMessageA(p, WM_SETFONT, reinterpret_cast<WPARAM>(sent), FALSE), 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(p, IDC_SLIDER_CONFIGURE, WM_GETFONT, 0, 0)), sent);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(p, IDC_SLIDER_ZOOM_IN, WM_GETFONT, 0, 0)), own);

    // One tooltip control carries the four tips, each tool being the control itself.
    TipsFound found{p, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectTips, reinterpret_cast<LPARAM>(&found));
    const std::vector<std::pair<int, std::string>> tips = {
        {501, "Zoom In"}, {503, "Zoom Out"}, {502, "Configure Slider"}, {504, "Current Controller Gain Setting"}};
    EXPECT_EQ(found.tips, tips);
    EXPECT_EQ(found.flags & (TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS),
              static_cast<UINT>(TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS));
}

TEST_F(GainSliderTest, SizePlacesTheChildren) {
    HWND p = Slider(IDC_SLIDER_P);
    SetWindowPos(p, nullptr, 0, 0, 60, 328, SWP_NOMOVE | SWP_NOZORDER);
    const struct { int id, x, y, w, h; } places[] = {
        {501, 46, 2, 14, 14}, {502, 2, 2, 44, 28}, {503, 46, 16, 14, 14}, {505, 32, 32, 26, 16},
        {507, 32, 162, 26, 16}, {506, 32, 290, 26, 16}, {500, 2, 28, 30, 280}, {504, 2, 308, 56, 16},
    };
    for (const auto& c : places) {
        RECT r = RectInParent(GetDlgItem(p, c.id));
        EXPECT_EQ(r.left, c.x) << c.id;
        EXPECT_EQ(r.top, c.y) << c.id;
        EXPECT_EQ(r.right - r.left, c.w) << c.id;
        EXPECT_EQ(r.bottom - r.top, c.h) << c.id;
    }
}

TEST_F(GainSliderTest, TrackbarMoveWritesTheGainAndMarksModified) {
    s->PropGain.FullScale = s->IntGain.FullScale = s->DerGain.FullScale = 20.0;
    const struct { int slider, pos, code; const char* readout; const char* call; const char* value; } cases[] = {
        {IDC_SLIDER_P, 250, TB_THUMBTRACK, "15.0000", "ZqSetGain", "15"},
        {IDC_SLIDER_P, 750, TB_THUMBTRACK, " 5.0000", "ZqSetGain", "5"},
        {IDC_SLIDER_P, 0, TB_ENDTRACK, "20.0000", "ZqSetGain", "20"},
        {IDC_SLIDER_P, 1000, TB_THUMBPOSITION, " 0.0000", "ZqSetGain", "0"},
        {IDC_SLIDER_I, 250, TB_THUMBTRACK, "15.0000", "ZqSetFilterConfig", "&"},
        {IDC_SLIDER_D, 900, TB_PAGEDOWN, " 2.0000", "ZqSetFilterConfig", "&"},
    };
    for (const auto& c : cases) {
        HWND w = Slider(c.slider);
        std::string upper = Text(w, IDC_SLIDER_UPPER), lower = Text(w, IDC_SLIDER_LOWER);
        s->Modified = 0;
        journal.Mark();
        Drag(w, c.pos, c.code);
        EXPECT_EQ(Text(w, IDC_SLIDER_READOUT), c.readout) << c.pos;
        EXPECT_EQ(Writes(), std::vector<std::string>{Call(c.call, 1, c.value)}) << c.pos;
        EXPECT_EQ(s->Modified, 1) << c.pos;
        EXPECT_EQ(Text(w, IDC_SLIDER_UPPER), upper);
        EXPECT_EQ(Text(w, IDC_SLIDER_LOWER), lower);
    }
    EXPECT_DOUBLE_EQ(s->PropGain.Percent, 0.0);
    EXPECT_DOUBLE_EQ(s->IntGain.Percent, 75.0);
    EXPECT_DOUBLE_EQ(s->DerGain.Percent, 10.0);

    // Inside a zoomed window the thumb spans only that window.
    s->PropGain.LowerLimit = 25;
    s->PropGain.UpperLimit = 75;
    Drag(Slider(IDC_SLIDER_P), 500);
    EXPECT_DOUBLE_EQ(s->PropGain.Percent, 50.0);
}

TEST_F(GainSliderTest, KeysOnTheTrackbarWriteTheGainLikeADrag) {
    s->PropGain.FullScale = 20.0;
    HWND p = Slider(IDC_SLIDER_P);
    HWND trackbar = GetDlgItem(p, IDC_SLIDER_TRACKBAR);
    const struct { UINT key; int pos; const char* value; } keys[] = {
        {VK_UP, 499, "10.02"}, {VK_DOWN, 501, "9.98"}, {VK_PRIOR, 300, "14"},
        {VK_NEXT, 700, "6"}, {VK_HOME, 0, "20"}, {VK_END, 1000, "0"},
    };
    for (const auto& k : keys) {
        SendMessageA(trackbar, TBM_SETPOS, TRUE, 500);
        s->Modified = 0;
        journal.Mark();
        SendMessageA(trackbar, WM_KEYDOWN, k.key, 0);
        SendMessageA(trackbar, WM_KEYUP, k.key, 0);
        EXPECT_EQ(ThumbOf(p), k.pos) << k.key;
        auto writes = Writes();
        ASSERT_FALSE(writes.empty()) << k.key;
        // Every notification writes; the last one carries the final position.
        EXPECT_EQ(writes.back(), Call("ZqSetGain", 1, k.value)) << k.key;
        EXPECT_EQ(s->Modified, 1) << k.key;
    }
}

TEST_F(GainSliderTest, SetPercentWritesAndShowsWithoutMarkingModified) {
    s->PropGain.FullScale = 20.0;
    HWND p = Slider(IDC_SLIDER_P);
    s->Modified = 0;
    journal.Mark();
    double percent = 60;
    EXPECT_EQ(SendMessageA(p, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent)), 0);
    EXPECT_EQ(Writes(), std::vector<std::string>{Call("ZqSetGain", 1, "12")});
    EXPECT_DOUBLE_EQ(s->PropGain.Percent, 60.0);
    EXPECT_EQ(ThumbOf(p), 400);
    EXPECT_EQ(Text(p, IDC_SLIDER_READOUT), "12.0000");
    EXPECT_EQ(s->Modified, 0);

    // A percent outside the zoom window opens the window to 0..100 and says so.
    s->PropGain.LowerLimit = 70;
    s->PropGain.UpperLimit = 80;
    EXPECT_EQ(SendMessageA(p, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent)), 1);
    EXPECT_EQ(s->PropGain.LowerLimit, 0.0);
    EXPECT_EQ(s->PropGain.UpperLimit, 100.0);
    EXPECT_EQ(Text(p, IDC_SLIDER_UPPER), "100%");
    EXPECT_EQ(Text(p, IDC_SLIDER_MIDDLE), " 50%");
    EXPECT_EQ(Text(p, IDC_SLIDER_LOWER), "0.00%");

    journal.Mark();
    EXPECT_EQ(SendMessageA(p, SLM_REFRESH, 0, 0), 0);
    EXPECT_EQ(Journal::Filter(journal.Since(), {"ZqGetGain", "ZqSetGain"}),
              std::vector<std::string>{Call("ZqGetGain", 1, "&")});
    EXPECT_EQ(s->Modified, 0);
}

TEST_F(GainSliderTest, RefreshShowsTheControllerGainAndOpensTheWindowWhenItLiesOutside) {
    s->PropGain.FullScale = s->IntGain.FullScale = 20.0;
    const short h = s->ControllerHandle;
    HWND p = Slider(IDC_SLIDER_P);
    const struct { double gain, lower, upper; LRESULT reset; double newLower, newUpper; int thumb; const char* readout; }
        cases[] = {
            {5, 25, 75, 0, 25, 75, 1000, " 5.0000"},   // 25 % sits on the lower limit
            {10, 25, 75, 0, 25, 75, 500, "10.0000"},
            {2, 25, 75, 1, 0, 100, 900, " 2.0000"},    // 10 % lies below the window
            {30, 0, 100, 1, 0, 100, 0, "30.0000"},     // above full scale: thumb at the top
        };
    for (const auto& c : cases) {
        ZqSetGain(h, 1, c.gain);
        s->PropGain.LowerLimit = c.lower;
        s->PropGain.UpperLimit = c.upper;
        s->Modified = 0;
        journal.Mark();
        EXPECT_EQ(SendMessageA(p, SLM_REFRESH, 0, 0), c.reset) << c.gain;
        EXPECT_DOUBLE_EQ(s->PropGain.Percent, c.gain / 20.0 * 100) << c.gain;
        EXPECT_EQ(s->PropGain.LowerLimit, c.newLower) << c.gain;
        EXPECT_EQ(s->PropGain.UpperLimit, c.newUpper) << c.gain;
        EXPECT_EQ(ThumbOf(p), c.thumb) << c.gain;
        EXPECT_EQ(Text(p, IDC_SLIDER_READOUT), c.readout) << c.gain;
        EXPECT_TRUE(Writes().empty());
        EXPECT_EQ(s->Modified, 0);
    }
    FilterConfig filter = {};
    ZqGetFilterConfig(h, 1, &filter);
    filter.IntegralGain = 4;
    ZqSetFilterConfig(h, 1, &filter);
    SendMessageA(Slider(IDC_SLIDER_I), SLM_REFRESH, 0, 0);
    EXPECT_DOUBLE_EQ(s->IntGain.Percent, 20.0);
}

TEST_F(GainSliderTest, GantrySharingSendsTheGainToThePartnerAxis) {
    s->PropGain.FullScale = s->IntGain.FullScale = 20.0;
    const short h = s->ControllerHandle;
    s->Gantry = 1;
    s->GantryMaster = 1;
    s->GantrySlave = 2;
    ASSERT_EQ(s->Axis, 1);
    // The partner starts with a filter record of its own.
    FilterConfig partner = {};
    ZqGetFilterConfig(h, 2, &partner);
    partner.DerivativeGain += 3;
    partner.IntegrationLimit += 50;
    ZqSetFilterConfig(h, 2, &partner);
    FilterConfig partnerBefore = {};
    ZqGetFilterConfig(h, 2, &partnerBefore);

    const struct { int slider; BYTE share; std::vector<std::string> writes; } cases[] = {
        {IDC_SLIDER_I, 0, {Call("ZqSetFilterConfig", 1, "&")}},
        {IDC_SLIDER_P, 0, {Call("ZqSetGain", 1, "10")}},
        {IDC_SLIDER_P, 1, {Call("ZqSetGain", 1, "10"), Call("ZqSetGain", 2, "10")}},
    };
    for (const auto& c : cases) {
        s->GantryShare = c.share;
        journal.Mark();
        Drag(Slider(c.slider), 500);
        EXPECT_EQ(Writes(), c.writes) << c.slider << " share " << int(c.share);
    }
    FilterConfig now = {};
    ZqGetFilterConfig(h, 2, &now);
    EXPECT_EQ(std::memcmp(&now, &partnerBefore, sizeof now), 0) << "partner written without sharing";

    s->GantryShare = 1;
    journal.Mark();
    Drag(Slider(IDC_SLIDER_I), 250);
    EXPECT_EQ(Writes(), (std::vector<std::string>{Call("ZqSetFilterConfig", 1, "&"), Call("ZqSetFilterConfig", 2, "&")}));
    FilterConfig master = {};
    ZqGetFilterConfig(h, 1, &master);
    ZqGetFilterConfig(h, 2, &now);
    EXPECT_DOUBLE_EQ(master.IntegralGain, 15.0);
    // The partner received the master's whole record, not just the integral gain.
    EXPECT_EQ(std::memcmp(&now, &master, sizeof now), 0);
}

TEST_F(GainSliderTest, UnusableLimitsAreResetBeforeTheyDivide) {
    HWND p = Slider(IDC_SLIDER_P);
    const struct { double lower, upper; } limits[] = {{50, 50}, {80, 20}, {-10, 50}, {0, 250}, {NAN, 60}};
    for (const auto& l : limits) {
        s->PropGain.LowerLimit = l.lower;
        s->PropGain.UpperLimit = l.upper;
        double percent = 40;
        EXPECT_EQ(SendMessageA(p, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent)), 1) << l.lower;
        EXPECT_EQ(s->PropGain.LowerLimit, 0.0);
        EXPECT_EQ(s->PropGain.UpperLimit, 100.0);
        EXPECT_EQ(ThumbOf(p), 600);

        s->PropGain.LowerLimit = l.lower;
        s->PropGain.UpperLimit = l.upper;
        Drag(p, 250);
        EXPECT_DOUBLE_EQ(s->PropGain.Percent, 75.0) << l.lower;
        EXPECT_EQ(Text(p, IDC_SLIDER_UPPER), "100%");
        EXPECT_EQ(Text(p, IDC_SLIDER_LOWER), "0.00%");
        EXPECT_EQ(ThumbOf(p), 250);

        s->PropGain.LowerLimit = l.lower;
        s->PropGain.UpperLimit = l.upper;
        SetDlgItemTextA(p, IDC_SLIDER_UPPER, "");
        SendMessageA(GetDlgItem(p, IDC_SLIDER_ZOOM_OUT), BM_CLICK, 0, 0);  // beeps: already 0..100
        EXPECT_EQ(s->PropGain.UpperLimit, 100.0) << l.lower;
        EXPECT_EQ(Text(p, IDC_SLIDER_UPPER), "100%");

        s->PropGain.LowerLimit = l.lower;
        s->PropGain.UpperLimit = l.upper;
        SendMessageA(GetDlgItem(p, IDC_SLIDER_ZOOM_IN), BM_CLICK, 0, 0);
        EXPECT_EQ(s->PropGain.LowerLimit, 50.0) << l.lower;
        EXPECT_EQ(s->PropGain.UpperLimit, 100.0) << l.lower;
    }
}

TEST_F(GainSliderTest, ZoomButtonsChangeTheWindowNotTheGain) {
    HWND p = Slider(IDC_SLIDER_P);
    const struct {
        int button;
        double percent, upper, lower;
        double newUpper, newLower;
        const char* labels[3];  // upper, middle, lower
        int thumb, beeps;
    } cases[] = {
        {IDC_SLIDER_ZOOM_IN, 50, 100, 0, 75, 25, {" 75%", " 50%", " 25%"}, 500, 0},
        {IDC_SLIDER_ZOOM_IN, 90, 100, 0, 100, 50, {"100%", " 75%", " 50%"}, 200, 0},
        {IDC_SLIDER_ZOOM_IN, 5, 100, 0, 50, 0, {" 50%", " 25%", "0.00%"}, 900, 0},
        {IDC_SLIDER_ZOOM_IN, 5, 10, 0, 7.5, 2.5, {"7.50%", "5.00%", "2.50%"}, 500, 0},
        {IDC_SLIDER_ZOOM_IN, 0.05, 0.1, 0, 0.1, 0, {"0.10%", "0.05%", "0.00%"}, 500, 1},
        {IDC_SLIDER_ZOOM_OUT, 50, 75, 25, 100, 0, {"100%", " 50%", "0.00%"}, 500, 0},
        {IDC_SLIDER_ZOOM_OUT, 90, 100, 80, 100, 60, {"100%", " 80%", " 60%"}, 250, 0},
        {IDC_SLIDER_ZOOM_OUT, 50, 100, 0, 100, 0, {"100%", " 50%", "0.00%"}, 500, 1},
    };
    for (const auto& c : cases) {
        s->PropGain.Percent = c.percent;
        s->PropGain.UpperLimit = c.upper;
        s->PropGain.LowerLimit = c.lower;
        g_beeps = 0;
        journal.Mark();
        SendMessageA(GetDlgItem(p, c.button), BM_CLICK, 0, 0);
        EXPECT_DOUBLE_EQ(s->PropGain.UpperLimit, c.newUpper) << c.percent;
        EXPECT_DOUBLE_EQ(s->PropGain.LowerLimit, c.newLower) << c.percent;
        EXPECT_EQ(g_beeps, c.beeps) << c.percent;
        EXPECT_DOUBLE_EQ(s->PropGain.Percent, c.percent);
        EXPECT_TRUE(Writes().empty());
        if (c.beeps) continue;  // a beep changes nothing on the screen either
        EXPECT_EQ(Text(p, IDC_SLIDER_UPPER), c.labels[0]) << c.percent;
        EXPECT_EQ(Text(p, IDC_SLIDER_MIDDLE), c.labels[1]) << c.percent;
        EXPECT_EQ(Text(p, IDC_SLIDER_LOWER), c.labels[2]) << c.percent;
        EXPECT_EQ(ThumbOf(p), c.thumb) << c.percent;
    }
    // A command that does not come from a control is ignored.
    s->PropGain.UpperLimit = 100;
    s->PropGain.LowerLimit = 0;
    SendMessageA(p, WM_COMMAND, IDC_SLIDER_ZOOM_IN, 0);
    EXPECT_EQ(s->PropGain.UpperLimit, 100.0);
}

TEST_F(GainSliderTest, ConfigureOpensTheLimitsDialogForItsOwnGain) {
    const struct { int slider, mask; } cases[] = {
        {IDC_SLIDER_P, 1}, {IDC_SLIDER_I, 2}, {IDC_SLIDER_D, 4}};
    for (const auto& c : cases) {
        Responder responder;
        std::vector<int> enabled;
        responder.Handle([&](HWND dialog) {
            for (int g : {IDC_PID_P_GROUP, IDC_PID_I_GROUP, IDC_PID_D_GROUP}) {
                int n = 0;
                for (int id = g; id < g + PID_GROUP_SIZE; ++id) n += IsWindowEnabled(GetDlgItem(dialog, id)) ? 1 : 0;
                enabled.push_back(n);
            }
            PressButton(dialog, IDCANCEL);
        });
        s->LimitsDialogMask = 7;
        SendMessageA(GetDlgItem(Slider(c.slider), IDC_SLIDER_CONFIGURE), BM_CLICK, 0, 0);
        ASSERT_EQ(responder.Records().size(), 1u) << Seen(responder);
        EXPECT_EQ(responder.Records()[0].caption, "PID Setup");
        EXPECT_EQ(s->LimitsDialogMask, c.mask);
        std::vector<int> expected;
        for (int bit : {1, 2, 4}) expected.push_back(bit == c.mask ? PID_GROUP_SIZE : 0);
        EXPECT_EQ(enabled, expected) << c.mask;
    }
}

TEST_F(GainSliderTest, Screenshot) {
    HWND main = app.Main();
    SetWindowPos(main, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    s->PropGain.FullScale = s->IntGain.FullScale = s->DerGain.FullScale = 20.0;
    const double percents[3] = {62.5, 7.5, 100};
    for (int k = 0; k < 3; ++k) {
        HWND w = Slider(IDC_SLIDER_P + k);
        SetWindowPos(w, nullptr, 0, 0, 60, ClientSize(app.Panel()).cy - 272, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageA(w, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percents[k]));
    }
    SendMessageA(GetDlgItem(Slider(IDC_SLIDER_I), IDC_SLIDER_ZOOM_IN), BM_CLICK, 0, 0);
    PumpMessages(100);
    EXPECT_FALSE(SaveWindowScreenshot(app.Panel(), "gain_sliders").empty());
}

}  // namespace
