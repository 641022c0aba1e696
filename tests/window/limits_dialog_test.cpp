// PID Setup dialog: its template, initialisation, the warnings with Retry and
// Cancel, storing on OK with the sliders refreshed, and Help.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"
#include <shellapi.h>

#include "core/help_file.h"
#include "gain_sliders.h"
#include "journal.h"
#include "panel/gain_slider.h"
#include "panel/limits_dialog.h"
#include "controller/zq_library.h"
#include "resources/app_ids.h"
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

// ---- Reading the dialog template as the resource holds it ----

struct ItemTemplate {
    int id;
    std::string cls;
    std::string text;
    DWORD style;
    short x, y, cx, cy;
};

struct DialogTemplate {
    DWORD style;
    short cx, cy;
    std::string caption;
    int pointSize;
    std::string font;
    std::vector<ItemTemplate> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* p) : p_(p) {}
    DWORD Dword() { DWORD v; memcpy(&v, p_, 4); p_ += 4; return v; }
    WORD Word() { WORD v; memcpy(&v, p_, 2); p_ += 2; return v; }
    // A string, or 0xFFFF and an ordinal (shown as the class name it stands for).
    std::string SzOrOrd() {
        std::string s;
        WORD first = Word();
        if (first == 0xFFFF) {
            WORD ord = Word();
            switch (ord) {
            case 0x80: return "button";
            case 0x81: return "edit";
            case 0x82: return "static";
            default: s = std::to_string(ord); return s;
            }
        }
        for (WORD c = first; c; c = Word()) s.push_back(static_cast<char>(c));
        return s;
    }
    void Align() { p_ = reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(p_) + 3) & ~UINT_PTR(3)); }

private:
    const BYTE* p_;
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

DialogTemplate LoadDialogTemplate(const char* name) {
    DialogTemplate t = {};
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return t;
    TemplateReader r(static_cast<const BYTE*>(LockResource(LoadResource(module, found))));
    t.style = r.Dword();
    r.Dword();  // extended style
    int count = r.Word();
    r.Word();
    r.Word();
    t.cx = static_cast<short>(r.Word());
    t.cy = static_cast<short>(r.Word());
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    t.caption = r.SzOrOrd();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        t.font = r.SzOrOrd();
    }
    for (int i = 0; i < count; ++i) {
        r.Align();
        ItemTemplate item = {};
        item.style = r.Dword();
        r.Dword();
        item.x = static_cast<short>(r.Word());
        item.y = static_cast<short>(r.Word());
        item.cx = static_cast<short>(r.Word());
        item.cy = static_cast<short>(r.Word());
        item.id = r.Word();
        item.cls = Lower(r.SzOrOrd());
        item.text = r.SzOrOrd();
        WORD extra = r.Word();
        for (WORD k = 0; k < extra; ++k) r.Word();  // never used by this template
        t.items.push_back(item);
    }
    return t;
}

TEST(LimitsDialogTemplate, HoldsEveryControlWithItsIdStyleAndRectangle) {
    DialogTemplate t = LoadDialogTemplate("PanelSetupDialog");
    EXPECT_EQ(t.style, 0x00C800C0u);
    EXPECT_EQ(t.cx, 134);
    EXPECT_EQ(t.cy, 187);
    EXPECT_EQ(t.caption, "PID Setup");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");

    std::vector<ItemTemplate> expected;
    const struct { int group, top; const char* title; } groups[] = {
        {300, 3, "P - Proportional Gain"}, {310, 56, "I - Integral Gain"}, {320, 109, "D - Derivative Gain"}};
    for (const auto& g : groups) {
        short y = static_cast<short>(g.top);
        expected.push_back({g.group, "button", g.title, 0x50000007, 5, y, 124, 50});
        expected.push_back({g.group + 1, "static", "Upper Limit", 0x50020002, 15, short(y + 14), 40, 8});
        expected.push_back({g.group + 2, "edit", "", 0x50810082, 60, short(y + 12), 50, 12});
        expected.push_back({g.group + 3, "static", "%", 0x50020000, 115, short(y + 14), 10, 8});
        expected.push_back({g.group + 4, "static", "Lower Limit", 0x50020002, 15, short(y + 31), 40, 8});
        expected.push_back({g.group + 5, "edit", "", 0x50810082, 60, short(y + 29), 50, 12});
        expected.push_back({g.group + 6, "static", "%", 0x50020000, 115, short(y + 31), 10, 8});
    }
    expected.push_back({1, "button", "OK", 0x50030001, 10, 167, 32, 14});
    expected.push_back({2, "button", "Cancel", 0x50030000, 51, 167, 32, 14});
    expected.push_back({51, "button", "Help", 0x50030000, 92, 167, 32, 14});

    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ItemTemplate& e = expected[i];
        const ItemTemplate& g = t.items[i];
        EXPECT_EQ(g.id, e.id) << i;
        EXPECT_EQ(g.cls, e.cls) << e.id;
        EXPECT_EQ(g.text, e.text) << e.id;
        EXPECT_EQ(g.style, e.style) << e.id;
        EXPECT_EQ(g.x, e.x) << e.id;
        EXPECT_EQ(g.y, e.y) << e.id;
        EXPECT_EQ(g.cx, e.cx) << e.id;
        EXPECT_EQ(g.cy, e.cy) << e.id;
    }
}

// ---- The dialog at work ----

const int kEdits[6] = {IDC_PID_P_UPPER, IDC_PID_P_LOWER, IDC_PID_I_UPPER,
                       IDC_PID_I_LOWER, IDC_PID_D_UPPER, IDC_PID_D_LOWER};

std::vector<std::string> EditTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (int id : kEdits) {
        char text[64] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        texts.push_back(text);
    }
    return texts;
}

void TypeEdits(HWND dialog, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) SetDlgItemTextA(dialog, kEdits[i], texts[i].c_str());
}

class LimitsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(app.Start(), nullptr);
        s = &app.State();
        for (int id : {IDC_SLIDER_P, IDC_SLIDER_I, IDC_SLIDER_D}) ASSERT_NE(PanelSlider(app, id), nullptr);
    }
    void SetLimits(double pu, double pl, double iu, double il, double du, double dl) {
        s->PropGain.UpperLimit = pu;
        s->PropGain.LowerLimit = pl;
        s->IntGain.UpperLimit = iu;
        s->IntGain.LowerLimit = il;
        s->DerGain.UpperLimit = du;
        s->DerGain.LowerLimit = dl;
    }
    std::vector<double> Limits() const {
        return {s->PropGain.UpperLimit, s->PropGain.LowerLimit, s->IntGain.UpperLimit,
                s->IntGain.LowerLimit,  s->DerGain.UpperLimit,  s->DerGain.LowerLimit};
    }

    IsolatedRegistry registry;
    Journal journal{"limits_dialog"};
    LoopsmithApp app;
    AppState* s = nullptr;
};

TEST_F(LimitsDialogTest, MenuCommandShowsAllLimitsCentredWithFocusOnOk) {
    SetLimits(100, 12.5, 80, 0, 0.5, 0.25);
    Responder responder;
    std::vector<std::string> shown;
    HWND focus = nullptr, ok = nullptr;
    int enabled = 0;
    RECT rect = {};
    responder.Handle([&](HWND dialog) {
        shown = EditTexts(dialog);
        focus = GetFocus();
        ok = GetDlgItem(dialog, IDOK);
        for (int g : {IDC_PID_P_GROUP, IDC_PID_I_GROUP, IDC_PID_D_GROUP})
            for (int id = g; id < g + PID_GROUP_SIZE; ++id) enabled += IsWindowEnabled(GetDlgItem(dialog, id)) ? 1 : 0;
        GetWindowRect(dialog, &rect);
        SaveWindowScreenshot(dialog, "pid_setup_dialog");
        TypeEdits(dialog, {"90", "10", "90", "10", "90", "10"});
        PressButton(dialog, IDCANCEL);
    });
    app.Command(IDM_PID_SLIDER_SETUP);
    ASSERT_EQ(responder.Records().size(), 1u) << Seen(responder);
    EXPECT_EQ(responder.Records()[0].caption, "PID Setup");
    EXPECT_EQ(responder.Records()[0].owner, app.Main());
    EXPECT_EQ(s->LimitsDialogMask, 7);
    EXPECT_EQ(shown, (std::vector<std::string>{"100.000000", "12.500000", "80.000000", "0.000000", "0.500000",
                                               "0.250000"}));
    // With other programs on the same display the dialog may not be the active
    // window, and then no window of this thread has the focus at all.
    if (focus) {
        EXPECT_EQ(focus, ok);
    }
    EXPECT_EQ(enabled, 3 * PID_GROUP_SIZE);
    RECT main;
    GetWindowRect(app.Main(), &main);
    int x = main.left + ((main.right - main.left) - (rect.right - rect.left)) / 2;
    int y = main.top + ((main.bottom - main.top) - (rect.bottom - rect.top)) / 2;
    if (x < 0 || y < 0) x = y = 0;
    EXPECT_EQ(rect.left, x);
    EXPECT_EQ(rect.top, y);
    // Cancel stores nothing.
    EXPECT_EQ(Limits(), (std::vector<double>{100, 12.5, 80, 0, 0.5, 0.25}));
}

// Warnings answered in place of the message box, so the dialog's reaction to
// each answer is seen without a second modal loop.
struct Warning { HWND owner; std::string text, caption; UINT type; };
std::vector<Warning> g_warnings;
int g_answer = IDRETRY;
int WINAPI AnswerWarning(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_warnings.push_back({owner, text, caption, type});
    return g_answer;
}

TEST_F(LimitsDialogTest, FailedCheckWarnsAndRetryKeepsTheTypedValues) {
    const struct {
        int mask;
        std::vector<std::string> typed;  // empty: leave what the dialog shows
        double percent;                  // of P
        const char* message;
    } cases[] = {
        {7, {"50", "50", "100", "0", "100", "0"}, 0, "Proportional Gain Upper Limit must be greater than Lower Limit."},
        {7, {"100", "0", "abc", "0", "100", "0"}, 0, "Intergral Gain Upper Limit must be greater than Lower Limit."},
        {7, {"100", "0", "100", "0", "100.5", "0"}, 0, "Derivative Gain Limits must be between 0% and 100%."},
        {7, {"100", "70", "100", "0", "100", "0"}, 60, "Proportional Gain is not within Limits."},
        // A disabled group still takes part: the P limits loaded below fail.
        {2, {}, 60, "Proportional Gain is not within Limits."},
    };
    LimitsWarningFunction = AnswerWarning;
    g_answer = IDRETRY;
    for (const auto& c : cases) {
        SetLimits(100, 80, 100, 0, 100, 0);
        s->PropGain.Percent = c.percent;
        s->LimitsDialogMask = c.mask;
        g_warnings.clear();
        Responder responder;
        std::vector<std::string> before, after;
        std::vector<double> limitsAfterWarning;
        HWND pid = nullptr;
        responder.Handle([&](HWND dialog) {
            pid = dialog;
            if (!c.typed.empty()) TypeEdits(dialog, c.typed);
            before = EditTexts(dialog);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            after = EditTexts(dialog);
            limitsAfterWarning = Limits();
            // Still open: corrected values go through.
            TypeEdits(dialog, {"100", "0", "100", "0", "100", "0"});
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        });
        EXPECT_EQ(RunLimitsDialog(app.Main(), *s), 1) << c.message << " " << Seen(responder);
        ASSERT_EQ(g_warnings.size(), 1u) << c.message;
        EXPECT_EQ(g_warnings[0].owner, pid);
        EXPECT_EQ(g_warnings[0].text, c.message);
        EXPECT_EQ(g_warnings[0].caption, "Loopsmith");
        EXPECT_EQ(g_warnings[0].type, static_cast<UINT>(MB_ICONWARNING | MB_RETRYCANCEL));
        EXPECT_EQ(after, before) << c.message;
        EXPECT_EQ(limitsAfterWarning, (std::vector<double>{100, 80, 100, 0, 100, 0})) << c.message;
        EXPECT_EQ(Limits(), (std::vector<double>{100, 0, 100, 0, 100, 0})) << c.message;
    }
    LimitsWarningFunction = MessageBoxA;
}

TEST_F(LimitsDialogTest, CancelOnTheWarningClosesTheDialogWithoutStoring) {
    SetLimits(100, 0, 100, 0, 100, 0);
    Responder responder;
    responder.Handle([&](HWND dialog) {
        TypeEdits(dialog, {"100", "-0.1", "100", "0", "100", "0"});
        PressButton(dialog, IDOK);
    });
    responder.Press(IDCANCEL);
    EXPECT_EQ(RunLimitsDialog(app.Main(), *s), 0);
    ASSERT_EQ(responder.Records().size(), 2u) << Seen(responder);
    EXPECT_EQ(responder.Records()[1].text, "Proportional Gain Limits must be between 0% and 100%.");
    EXPECT_EQ(Limits(), (std::vector<double>{100, 0, 100, 0, 100, 0}));
}

TEST_F(LimitsDialogTest, OkStoresAllSixLimitsAndRefreshesTheSliders) {
    // Every gain at 0 on the controller, so the re-read keeps the new windows.
    const double zero = 0;
    for (int id : {IDC_SLIDER_P, IDC_SLIDER_I, IDC_SLIDER_D})
        SendMessageA(PanelSlider(app, id), SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&zero));
    SetLimits(100, 0, 100, 0, 60, 0);
    s->LimitsDialogMask = 2;  // only I editable; P and D are stored as loaded
    Responder responder;
    responder.Handle([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PID_I_UPPER, "80");
        SetDlgItemTextA(dialog, IDC_PID_I_LOWER, "0");
        PressButton(dialog, IDOK);
    });
    journal.Mark();
    EXPECT_EQ(RunLimitsDialog(app.Main(), *s), 1);
    EXPECT_EQ(responder.Records().size(), 1u) << Seen(responder);
    EXPECT_EQ(Limits(), (std::vector<double>{100, 0, 80, 0, 60, 0}));
    // Sliders 215, 216, 217 re-read their gains, in that order, and show the new windows.
    std::vector<std::string> reads;
    for (const std::string& line : Journal::Filter(journal.Since(), {"ZqGetGain", "ZqGetFilterConfig"}))
        reads.push_back(line.substr(0, line.find('(')));
    EXPECT_EQ(reads, (std::vector<std::string>{"ZqGetGain", "ZqGetFilterConfig", "ZqGetFilterConfig"}));
    char text[16];
    GetDlgItemTextA(PanelSlider(app, IDC_SLIDER_I), IDC_SLIDER_UPPER, text, sizeof text);
    EXPECT_STREQ(text, " 80%");
    GetDlgItemTextA(PanelSlider(app, IDC_SLIDER_D), IDC_SLIDER_MIDDLE, text, sizeof text);
    EXPECT_STREQ(text, " 30%");
}

// A cancelled controller selection leaves the program without a controller;
// the sliders then have no gain to re-read but must still show the new limits.
TEST_F(LimitsDialogTest, OkWithoutAControllerRedrawsTheSlidersFromTheStoredLimits) {
    const double percent = 40;
    HWND p = PanelSlider(app, IDC_SLIDER_P);
    SendMessageA(p, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent));
    ZqClose(s->ControllerHandle);
    s->ControllerHandle = 0;
    SetLimits(100, 0, 100, 0, 100, 0);
    s->LimitsDialogMask = 7;
    Responder responder;
    responder.Handle([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PID_P_UPPER, "80");
        SetDlgItemTextA(dialog, IDC_PID_P_LOWER, "20");
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(RunLimitsDialog(app.Main(), *s), 1);
    EXPECT_EQ(s->PropGain.Percent, 40.0);
    const struct { int id; const char* text; } labels[] = {
        {IDC_SLIDER_UPPER, " 80%"}, {IDC_SLIDER_MIDDLE, " 50%"}, {IDC_SLIDER_LOWER, " 20%"}};
    for (const auto& l : labels) {
        char text[16] = {};
        GetDlgItemTextA(p, l.id, text, sizeof text);
        EXPECT_STREQ(text, l.text) << l.id;
    }
    HWND trackbar = GetDlgItem(p, IDC_SLIDER_TRACKBAR);
    int max = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), SliderTrackPosition(40, 20, 80, max));
}

struct HelpCall { HWND window; std::string verb; std::string file; };
std::vector<HelpCall> g_help;
HINSTANCE WINAPI RecordHelp(HWND window, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
    g_help.push_back({window, verb, file});
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(LimitsDialogTest, HelpOpensThePidSetupTopicAndCloseBoxCancels) {
    g_help.clear();
    HelpOpenFunction = RecordHelp;
    Responder responder;
    HWND shown = nullptr;
    responder.Handle([&](HWND dialog) {
        shown = dialog;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PID_HELP, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PID_HELP)));
        SetDlgItemTextA(dialog, IDC_PID_P_UPPER, "90");
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    s->LimitsDialogMask = 7;
    EXPECT_EQ(RunLimitsDialog(app.Main(), *s), 0);
    HelpOpenFunction = ShellExecuteA;
    ASSERT_EQ(g_help.size(), 1u);
    EXPECT_EQ(g_help[0].window, shown);
    EXPECT_EQ(g_help[0].verb, "open");
    EXPECT_EQ(g_help[0].file, std::string(HelpFolder) + "pid-slider-setup.html");
    EXPECT_EQ(s->PropGain.UpperLimit, 100.0);
}

}  // namespace
