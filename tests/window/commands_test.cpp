// Menu and accelerator commands of the main window, the File popup and the
// 110 ms status timer.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "core/connection.h"
#include "journal.h"
#include "journal_handle.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"

namespace {

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(app.Start(), nullptr); }
    HWND Main() const { return app.Main(); }
    HWND Panel() const { return app.Panel(); }
    AppState& S() const { return app.State(); }
    void Tick() const { SendMessageA(Main(), WM_TIMER, LOOPSMITH_TIMER_ID, 0); }
    std::string Text(int id) const {
        char text[64] = {};
        GetDlgItemTextA(Panel(), id, text, sizeof text);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Panel(), id)) != 0; }

    IsolatedRegistry registry;
    LoopsmithApp app;
};

// Records the WM_COMMAND ids that reach a window, then passes them on.
class CommandSpy {
public:
    explicit CommandSpy(HWND window) : window_(window) {
        spy_ = this;
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommandSpy::Proc)));
    }
    ~CommandSpy() {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        spy_ = nullptr;
    }
    std::vector<int> ids;

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_COMMAND) spy_->ids.push_back(LOWORD(wp));
        return CallWindowProcA(spy_->original_, w, m, wp, lp);
    }
    static inline CommandSpy* spy_ = nullptr;
    HWND window_;
    WNDPROC original_;
};

TEST_F(CommandsTest, SaveAsIsGrayedUntilATestIsHeld) {
    HMENU menu = GetMenu(Main());
    HMENU file = GetSubMenu(menu, 0);
    auto grayed = [&] { return (GetMenuState(menu, IDM_SAVE_AS, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    EXPECT_EQ(SendMessageA(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0), 0);
    EXPECT_TRUE(grayed());
    S().TestDone = 1;
    SendMessageA(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_FALSE(grayed());
    // Another popup (index 1, or the window menu) leaves the item alone.
    S().TestDone = 0;
    SendMessageA(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(menu, 1)), 1);
    SendMessageA(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSystemMenu(Main(), FALSE)), MAKELPARAM(0, 1));
    EXPECT_FALSE(grayed());
}

TEST_F(CommandsTest, PrintWithoutATestSaysSo) {
    Responder responder;
    app.Command(IDM_PRINT);
    ASSERT_EQ(responder.Records().size(), 1u);
    const DialogRecord& r = responder.Records()[0];
    EXPECT_EQ(r.text, "Cannot print - No tests have been performed");
    EXPECT_EQ(r.caption, "Print Error");
    EXPECT_EQ(r.style, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(r.owner, Main());
}

TEST_F(CommandsTest, AcceleratorsSendTheirCommands) {
    struct Case { UINT message; WPARAM key; bool control; int command; };
    const Case cases[] = {
        {WM_CHAR, 0x0E, false, 212},     // Ctrl+N
        {WM_CHAR, 0x10, false, 108},     // Ctrl+P
        {WM_CHAR, 0x1A, false, 213},     // Ctrl+Z
        {WM_KEYDOWN, VK_F5, false, 210},
        {WM_KEYDOWN, VK_F5, true, 211},
        {WM_KEYDOWN, 'H', true, 220},    // Ctrl+H: the Test History window
    };
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), "Loopsmith");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 6);
    Responder responder;  // Ctrl+P answers "Cannot print"
    for (const Case& c : cases) {
        BYTE keys[256] = {};
        if (c.control) keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        CommandSpy spy(Main());
        // Sent to the panel: accelerators are translated for the main window whatever window had the key.
        MSG msg = {Panel(), c.message, c.key, 0};
        EXPECT_NE(TranslateAcceleratorA(Main(), table, &msg), 0) << c.command;
        ASSERT_EQ(spy.ids.size(), 1u) << c.command;
        EXPECT_EQ(spy.ids[0], c.command);
    }
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

TEST_F(CommandsTest, MenuHoldsEveryCommandInOrder) {
    struct Item { int popup; const char* text; int id; };  // id 0: separator
    const char* popups[] = {"&File", "&Setup", "&Test", "&Help"};
    const Item items[] = {
        {0, "&New\tCtrl+N", 212}, {0, "&Open...", 102}, {0, "Save &As...", 103}, {0, "", 0},
        {0, "&Select Controller", 100}, {0, "&Reset Controller", 101}, {0, "", 0},
        {0, "Au&to Initialize", 104}, {0, "Save All Axis Settings", 105}, {0, "&Import ZPCL...", 106},
        {0, "&Export ZPCL...", 107}, {0, "", 0}, {0, "&Print...\tCtrl+P", 108}, {0, "", 0}, {0, "E&xit", 109},
        {1, "&Axis Setup...", 200}, {1, "S&caling Setup...", 201}, {1, "", 0}, {1, "&PID Slider Setup...", 202},
        {1, "&Test Setup...", 203}, {1, "Auto &Tune...", 205}, {1, "", 0}, {1, "P&lot Window Setup...", 204},
        {2, "Step &Plus\tF5", 210}, {2, "Step &Minus\tCtrl+F5", 211}, {2, "", 0}, {2, "&Clear Plot\tCtrl+N", 212},
        {2, "&Zero Position\tCtrl+Z", 213}, {2, "", 0}, {2, "&History...\tCtrl+H", 220},
        {3, "&Help Topics", 300}, {3, "", 0}, {3, "A&bout", 301},
    };
    HMENU menu = GetMenu(Main());
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    int position[4] = {};
    for (int p = 0; p < 4; ++p) {
        char text[64] = {};
        GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, popups[p]);
    }
    for (const Item& it : items) {
        HMENU popup = GetSubMenu(menu, it.popup);
        int at = position[it.popup]++;
        char text[64] = {};
        GetMenuStringA(popup, at, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, it.text) << popups[it.popup] << " " << at;
        if (it.id) EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, at)), it.id) << it.text;
        else EXPECT_TRUE(GetMenuState(popup, at, MF_BYPOSITION) & MF_SEPARATOR) << popups[it.popup] << " " << at;
    }
    for (int p = 0; p < 4; ++p) EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, p)), position[p]) << popups[p];
}

TEST_F(CommandsTest, ClearFromEitherMenuAndThePanelButtonDropsTheTest) {
    const std::vector<std::function<void()>> routes = {
        [&] { app.Command(IDM_CLEAR_PLOT); },
        [&] { SendMessageA(GetDlgItem(Panel(), IDC_CLEAR), BM_CLICK, 0, 0); },
    };
    for (size_t i = 0; i < routes.size(); ++i) {
        S().TestDone = 1;
        CommandSpy spy(Panel());
        routes[i]();
        EXPECT_EQ(S().TestDone, 0) << i;
        ASSERT_EQ(spy.ids.size(), 1u) << i;
        EXPECT_EQ(spy.ids[0], IDC_CLEAR) << i;
    }
}

TEST_F(CommandsTest, UnhandledIdsAreForwardedUnchangedToThePanel) {
    CommandSpy spy(Panel());
    for (int id : {210, 211, 212, 213, 218, 999}) app.Command(id);
    EXPECT_EQ(spy.ids, (std::vector<int>{210, 211, 212, 213, 218, 999}));
    spy.ids.clear();
    for (int id : {100, 102, 103, 104, 105, 200, 201, 202, 203, 204, 205, 301}) {
        Responder closeEveryDialog;
        app.Command(id);
    }
    EXPECT_TRUE(spy.ids.empty());
}

TEST_F(CommandsTest, ExitClosesTheWindow) {
    app.Command(IDM_EXIT);
    EXPECT_TRUE(app.Alive());  // posted, not sent
    PumpMessages(50);
    EXPECT_FALSE(app.Alive());
}

TEST_F(CommandsTest, ResetAsksFirstAndOnlyOkResets) {
    Journal journal("reset");
    Responder responder;
    responder.Press(IDCANCEL);
    responder.Press(IDOK);
    app.Command(IDM_RESET_CONTROLLER);
    EXPECT_TRUE(Journal::Filter(journal.Lines(), {"ZqReset"}).empty());
    EXPECT_EQ(S().Modified, 0);
    app.Command(IDM_RESET_CONTROLLER);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqReset"}), WithHandle({"ZqReset(H, 0)"}, S().ControllerHandle));
    EXPECT_EQ(S().Modified, 1);
    ASSERT_EQ(responder.Records().size(), 2u);
    for (const DialogRecord& r : responder.Records()) {
        EXPECT_EQ(r.text, "This will reset all controller settings to their default values. Proceed?");
        EXPECT_EQ(r.caption, "Reset");
        EXPECT_EQ(r.style, static_cast<UINT>(MB_ICONQUESTION | MB_OKCANCEL));
        EXPECT_EQ(r.owner, Main());
    }
}

TEST_F(CommandsTest, AutoInitializeTogglesAndRestoresOnlyWhenTurnedOn) {
    Journal journal("autoinit");
    HMENU menu = GetMenu(Main());
    auto checked = [&] { return (GetMenuState(menu, IDM_AUTO_INITIALIZE, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    ASSERT_FALSE(checked());
    app.Command(IDM_AUTO_INITIALIZE);
    EXPECT_TRUE(checked());
    EXPECT_EQ(S().AutoInit, 1);
    EXPECT_EQ(S().Modified, 0);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZQDLG_RestoreAxis"}),
              WithHandle({"ZQDLG_RestoreAxis(H, 0, 0, 0)"}, S().ControllerHandle));
    journal.Mark();
    app.Command(IDM_AUTO_INITIALIZE);
    EXPECT_FALSE(checked());
    EXPECT_EQ(S().AutoInit, 0);
    EXPECT_TRUE(Journal::Filter(journal.Since(), {"ZQDLG_RestoreAxis"}).empty());
}

TEST_F(CommandsTest, SaveAllAxisSettingsClearsModified) {
    Journal journal("saveall");
    S().Modified = 1;
    app.Command(IDM_SAVE_ALL_AXES);
    EXPECT_EQ(S().Modified, 0);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZQDLG_SaveAxis"}),
              WithHandle({"ZQDLG_SaveAxis(H, 0, 0, 0)"}, S().ControllerHandle));
}

TEST_F(CommandsTest, CancelledAxisAndScalingSetupChangeNothing) {
    Journal journal("setupcancel");
    Responder responder;
    responder.Press(IDCANCEL);
    responder.Press(IDCANCEL);
    app.Command(IDM_AXIS_SETUP);
    app.Command(IDM_SCALING_SETUP);
    EXPECT_EQ(S().Modified, 0);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZQDLG_ConfigureAxis", "ZQDLG_Scaling"}),
              WithHandle({"ZQDLG_ConfigureAxis(hwnd, H, 1, 0, 0)", "ZQDLG_Scaling(hwnd, H, 1, 1, 0)"}, S().ControllerHandle));
}

TEST_F(CommandsTest, AboutShowsTheLibraryAboutBox) {
    Journal journal("about");
    Responder responder;
    app.Command(IDM_ABOUT);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZQDLG_AboutBox"}),
              (std::vector<std::string>{"ZQDLG_AboutBox(hwnd, \"Loopsmith\", 0)"}));
}

TEST_F(CommandsTest, TimerShowsTheAxisWithItsGantryMark) {
    Tick();
    EXPECT_EQ(Text(IDC_AXIS_READOUT), "1");
    // The gantry mark appears once the axis readout is recomputed.
    S().Gantry = 1;
    Tick();
    EXPECT_EQ(Text(IDC_AXIS_READOUT), "1");
    ResetAxisReadout();
    Tick();
    EXPECT_EQ(Text(IDC_AXIS_READOUT), "1  gantry");
    S().Axis = 3;
    Tick();
    EXPECT_EQ(Text(IDC_AXIS_READOUT), "3");
}

TEST_F(CommandsTest, TimerRewritesThePositionOnlyWhenItChanges) {
    Tick();
    std::string shown = Text(IDC_POSITION_READOUT);
    EXPECT_FALSE(shown.empty());
    SetDlgItemTextA(Panel(), IDC_POSITION_READOUT, "untouched");
    Tick();
    EXPECT_EQ(Text(IDC_POSITION_READOUT), "untouched");
    // A new axis rewrites the axis readout, not the unchanged position.
    S().Axis = 2;
    Tick();
    EXPECT_EQ(Text(IDC_AXIS_READOUT), "2");
    EXPECT_EQ(Text(IDC_POSITION_READOUT), "untouched");
}

TEST_F(CommandsTest, PositionReadoutFollowsTheAxisWithTheScaleDecimals) {
    Tick();
    AxisScale scale = {};
    ZqGetScale(S().ControllerHandle, 1, &scale);
    const int decimals = PositionDecimals(scale.Scale);
    for (double position : {12.5, -3.25, 0.0}) {
        ZqSetPosition(S().ControllerHandle, 1, position);
        double now = 0;
        ZqGetPositionEx(S().ControllerHandle, 1, &now);
        Tick();
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.*f", decimals, now);
        EXPECT_EQ(Text(IDC_POSITION_READOUT), expected) << position;
    }
}

}  // namespace
