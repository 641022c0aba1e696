// Main window: classes, plot panes, layout, minimum size, start-up failures.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_fixture.h"
#include "journal.h"
#include "registry.h"
#include "core/app_state.h"
#include "libs/plotwin/plotwin.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "screenshot.h"

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    IsolatedRegistry registry;
    LoopsmithApp app;
};

// Resizes the main window so that its client area is exactly width x height.
void SetClientSize(HWND window, int width, int height) {
    RECT rc = {0, 0, width, height};
    AdjustWindowRectEx(&rc, GetWindowLongA(window, GWL_STYLE), TRUE, GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    // A menu bar that wraps changes the client height; correct once more.
    SIZE got = ClientSize(window);
    if (got.cy != height || got.cx != width)
        SetWindowPos(window, nullptr, 0, 0, rc.right - rc.left + width - got.cx, rc.bottom - rc.top + height - got.cy,
                     SWP_NOMOVE | SWP_NOZORDER);
}

TEST_F(MainWindowTest, CreatesWindowClassesPanesAndTitle) {
    HWND main = app.Start();
    ASSERT_NE(main, nullptr);
    char text[64];
    GetWindowTextA(main, text, sizeof text);
    EXPECT_STREQ(text, "Loopsmith");
    GetClassNameA(main, text, sizeof text);
    EXPECT_STREQ(text, "Loopsmith");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE)) & 0x02CF0000u, 0x02CF0000u);
    EXPECT_EQ(GetClassLongA(main, GCL_STYLE) & 0xFFFF, CS_HREDRAW | CS_VREDRAW);

    WNDCLASSEXA wc = {sizeof wc};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_TRUE(GetClassInfoExA(instance, "SliderWindowClass", &wc));
    EXPECT_EQ(wc.hCursor, nullptr);
    EXPECT_TRUE(GetClassInfoExA(instance, "CPanelClass", &wc));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

    AppState& s = app.State();
    EXPECT_EQ(s.MainWindow, main);
    EXPECT_GT(s.ControllerHandle, 0);
    for (HWND pane : s.PlotPanes) {
        ASSERT_TRUE(IsWindow(pane));
        GetClassNameA(pane, text, sizeof text);
        EXPECT_STREQ(text, "PlotWindowClass");
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(pane, GWL_STYLE)) & ~WS_DISABLED & ~WS_VISIBLE,
                  0x54000004u & ~WS_VISIBLE);
        EXPECT_EQ(GetWindowLongA(pane, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
        EXPECT_EQ(GetParent(pane), main);
    }
    EXPECT_EQ(GetDlgCtrlID(s.PanelWindow), 200);
    EXPECT_NE(GetMenu(main), nullptr);
    SaveWindowScreenshot(main, "main_window");
}

TEST_F(MainWindowTest, FirstRunPlacesWindowAt640x480) {
    HWND main = app.Start();
    RECT rc;
    GetWindowRect(main, &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right - rc.left, 640);
    EXPECT_EQ(rc.bottom - rc.top, 480);
}

TEST_F(MainWindowTest, LayoutOfMultiStyleAt860x600) {
    HWND main = app.Start();
    AppState& s = app.State();
    ASSERT_EQ(s.PlotStyle, kPlotMulti);
    ASSERT_EQ(s.PlotPaneCount(), 2);
    SetClientSize(main, 860, 600);
    ASSERT_EQ(ClientSize(main).cx, 860);
    ASSERT_EQ(ClientSize(main).cy, 600);

    RECT panel = RectInParent(s.PanelWindow);
    EXPECT_EQ(panel.left, 0);
    EXPECT_EQ(panel.right, 220);
    EXPECT_EQ(panel.bottom - panel.top, 600);
    RECT p0 = RectInParent(s.PlotPanes[0]), p1 = RectInParent(s.PlotPanes[1]);
    EXPECT_EQ(p0.left, 220);
    EXPECT_EQ(p0.top, 0);
    EXPECT_EQ(p0.right - p0.left, 640);
    EXPECT_EQ(p0.bottom - p0.top, 398);
    EXPECT_EQ(p1.top, 402);
    EXPECT_EQ(p1.bottom - p1.top, 197);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(IsWindowVisible(s.PlotPanes[i]) && IsWindowEnabled(s.PlotPanes[i]));
    for (int i = 2; i < 5; ++i) EXPECT_FALSE(IsWindowVisible(s.PlotPanes[i]) || IsWindowEnabled(s.PlotPanes[i]));
    SaveWindowScreenshot(main, "main_window_860x600");
}

TEST_F(MainWindowTest, SeparateStyleWithFiveCurvesStacksFivePanes) {
    HWND main = app.Start();
    AppState& s = app.State();
    s.PlotStyle = kPlotSeparate;
    s.PlotTorque = 1;
    s.PlotAuxiliary = 1;
    s.AuxCapture = 1;
    SetClientSize(main, 900, 616);
    for (int i = 0; i < 5; ++i) {
        RECT r = RectInParent(s.PlotPanes[i]);
        EXPECT_EQ(r.top, i * 124) << i;
        EXPECT_EQ(r.bottom - r.top, 120) << i;
        EXPECT_TRUE(IsWindowVisible(s.PlotPanes[i]));
    }
}

TEST_F(MainWindowTest, CannotBeTrackedBelow640x480) {
    HWND main = app.Start();
    MINMAXINFO info = {};
    EXPECT_EQ(SendMessageA(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 640);
    EXPECT_EQ(info.ptMinTrackSize.y, 480);
    SetWindowPos(main, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    RECT rc;
    GetWindowRect(main, &rc);
    EXPECT_GE(rc.right - rc.left, 640);
    EXPECT_GE(rc.bottom - rc.top, 480);
}

TEST_F(MainWindowTest, CloseDestroysWindowAndClosesController) {
    Responder responder;
    app.Start();
    app.Close();
    EXPECT_FALSE(app.Alive());
    EXPECT_TRUE(responder.Records().empty());
}

UINT_PTR WINAPI FailingTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }
int g_timerAttempts = 0;
UINT_PTR WINAPI TimerFailingOnce(HWND w, UINT_PTR id, UINT ms, TIMERPROC p) {
    return ++g_timerAttempts == 1 ? 0 : SetTimer(w, id, ms, p);
}

// Cancel closes the window as the user would: the settings are saved, every
// axis is left in trajectory mode and the controller is closed.
TEST_F(MainWindowTest, TimerFailureOffersRetryThenCancelClosesTheWindowProperly) {
    Journal journal("timercancel");
    Responder responder;
    responder.Press(IDRETRY);
    responder.Press(IDCANCEL);
    StartTimerFunction = FailingTimer;
    HWND main = app.Start();
    StartTimerFunction = SetTimer;
    EXPECT_EQ(main, nullptr);
    ASSERT_EQ(responder.Records().size(), 2u);  // and no "Could not stop Timer!": none ran
    for (const DialogRecord& r : responder.Records()) {
        EXPECT_EQ(r.text, "Too many clocks or timers!");
        EXPECT_EQ(r.caption, "Loopsmith");
        EXPECT_EQ(r.style, static_cast<UINT>(MB_ICONWARNING | MB_RETRYCANCEL));
    }
    HWND left = FindWindowA("Loopsmith", "Loopsmith");
    EXPECT_EQ(left, nullptr);
    if (left) DestroyWindow(left);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    PumpMessages();
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Software\\Quelmont\\Draxwell\\Loopsmith", "Version").bytes.size(),
              10u);
    std::vector<std::string> closing = Journal::Filter(journal.Lines(), {"ZqSetOperatingMode", "ZqClose"});
    ASSERT_GE(closing.size(), 5u);
    const size_t last = closing.size() - 1;
    for (int axis = 1; axis <= 4; ++axis) {
        const std::string& line = closing[last - 5 + axis];
        EXPECT_EQ(line.substr(line.find(',')), ", " + std::to_string(axis) + ", 0, 2)") << line;
    }
    EXPECT_EQ(closing[last].rfind("ZqClose(", 0), 0u) << closing[last];
}

TEST_F(MainWindowTest, TimerRetrySucceedsAndStartUpGoesOn) {
    Responder responder;
    responder.Press(IDRETRY);
    g_timerAttempts = 0;
    StartTimerFunction = TimerFailingOnce;
    HWND main = app.Start();
    StartTimerFunction = SetTimer;
    EXPECT_NE(main, nullptr);
    EXPECT_EQ(g_timerAttempts, 2);
    EXPECT_EQ(responder.Records().size(), 1u);
}

AppState* NoMemory() { return nullptr; }

TEST_F(MainWindowTest, StateAllocationFailureFailsCreation) {
    Responder responder;
    AllocateAppState = NoMemory;
    HWND main = app.Start();
    AllocateAppState = [] { return new AppState(); };
    EXPECT_EQ(main, nullptr);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].text, "Fatal Error: Cannot allocate memory for user window data.");
    EXPECT_EQ(responder.Records()[0].caption, "Loopsmith");
    EXPECT_EQ(responder.Records()[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
}

}  // namespace
