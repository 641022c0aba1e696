// The step test's wait on the real main window: the window stays alive (timer
// readouts move, painting goes on) while nothing else can start, the Step Test
// progress window and its Stop, a close during a test, and the wait's length.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "app_ids.h"
#include "controller/zq_library.h"
#include "core/modal_wait.h"
#include "journal.h"
#include "panel_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "step_progress_ids.h"
#include "steptest/step_progress.h"
#include "steptest/step_run.h"
#include "tests/harness/wall_clock.h"

namespace {

std::string ItemText(HWND dialog, int id) {
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// What a timer saw while the test waited.
struct Observed {
    HWND main = nullptr, panel = nullptr;
    std::vector<std::string> readouts;
    int ticks = 0, enabledTicks = 0, busyTicks = 0;
    bool posted = false;
};
Observed g_seen;

void CALLBACK Observe(HWND, UINT, UINT_PTR, DWORD) {
    ++g_seen.ticks;
    g_seen.readouts.push_back(ItemText(g_seen.panel, IDC_POSITION_READOUT));
    if (IsWindowEnabled(g_seen.main)) ++g_seen.enabledTicks;
    if (ModalWorkRunning(g_seen.main)) ++g_seen.busyTicks;
    if (!g_seen.posted && g_seen.ticks == 3) {
        // A command from outside, an accelerator key and the panel's own button.
        g_seen.posted = true;
        PostMessageA(g_seen.main, WM_COMMAND, IDM_TEST_SETUP, 0);
        PostMessageA(g_seen.main, WM_COMMAND, IDM_STEP_PLUS, 0);
        PostMessageA(g_seen.main, WM_KEYDOWN, VK_F5, 0);
        PostMessageA(g_seen.panel, WM_COMMAND, IDC_STEP_PLUS, 0);
    }
}

// Time of the Stop press and of the first ZqStop after it.
double g_pressedAt = 0, g_stoppedAt = 0;
HWND g_progress = nullptr;
std::string g_progressText;
ZqStop_t* g_stop = nullptr;

int ZQAPI SpyStop(short h, unsigned short axis) {
    if (g_stoppedAt == 0) g_stoppedAt = WallMs();
    return g_stop(h, axis);
}

void CALLBACK PressStop(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!IsWindow(g_progress)) return;
    g_progressText = ItemText(g_progress, IDC_STEP_PROGRESS_TEXT);
    SaveWindowScreenshot(g_progress, "step_test_progress");
    g_pressedAt = WallMs();
    PressButton(g_progress, IDC_STEP_STOP);
}

using Lines = std::vector<std::string>;

class StepWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(app.Start(), nullptr);
        AppState& s = app.State();
        ZqReset(s.ControllerHandle, 0);
        ZqEnableAxis(s.ControllerHandle, 1, 1);
        s.Test.Delay = 0;
        s.Test.Sampling = 1;
        s.Test.Distance = 100;
        g_seen = Observed();
        g_seen.main = app.Main();
        g_seen.panel = app.Panel();
        g_pressedAt = g_stoppedAt = 0;
        g_progress = nullptr;
        g_stop = ZqStop;
        ZqStop = SpyStop;
    }
    void TearDown() override { ZqStop = g_stop; }
    AppState& S() { return app.State(); }
    Lines Calls(const std::vector<std::string>& names) { return Journal::Filter(journal.Since(), names); }

    IsolatedRegistry registry;
    Journal journal{"stepwait"};
    LoopsmithApp app;
    Responder responder;
};

// A 2 s test: the position readout moves while the main window is disabled,
// and neither a posted command, F5 nor the panel's button starts anything.
TEST_F(StepWaitTest, WindowStaysAliveAndRefusesCommands) {
    AppState& s = S();
    s.Test.RecordTime = 2.0;
    PumpMessages(300);
    const std::string before = ItemText(app.Panel(), IDC_POSITION_READOUT);
    journal.Mark();
    UINT_PTR timer = SetTimer(nullptr, 0, 150, Observe);
    RunStepTest(app.Main(), 1);
    KillTimer(nullptr, timer);
    PumpMessages(50);

    EXPECT_GE(g_seen.ticks, 10);
    EXPECT_EQ(g_seen.enabledTicks, 0);
    EXPECT_EQ(g_seen.busyTicks, g_seen.ticks);
    // Only the status timer writes the readout: it moved while the test waited.
    ASSERT_FALSE(g_seen.readouts.empty());
    EXPECT_NE(g_seen.readouts.back(), before);
    EXPECT_EQ(g_seen.readouts.back(), ItemText(app.Panel(), IDC_POSITION_READOUT));
    EXPECT_TRUE(IsWindowEnabled(app.Main()));
    EXPECT_FALSE(ModalWorkRunning(app.Main()));
    // One test only, no Test Setup sheet: the one dialog was the progress window.
    EXPECT_EQ(Calls({"ZqBlockBegin"}).size(), 1u);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].caption, "Step Test");
    EXPECT_EQ(s.TestDone, 1);
    EXPECT_EQ(ChannelFor(s, Channel::Actual, 0)->Length(), static_cast<size_t>(s.LastTest.SampleCount));
    EXPECT_EQ(s.LastTest.RecordTime, 2.0);
    ZqStop(s.ControllerHandle, 1);
}

// Stop during a 10 s test ends it within 200 ms, stops the axis so the move
// back never comes, says so, and keeps the previous test's data.
TEST_F(StepWaitTest, StopEndsTheTestAndKeepsThePreviousData) {
    AppState& s = S();
    s.Test.RecordTime = 0.05;
    RunStepTest(app.Main(), 1);
    ASSERT_EQ(s.TestDone, 1);
    const std::vector<double> before(ChannelFor(s, Channel::Actual, 0)->Data(),
                                     ChannelFor(s, Channel::Actual, 0)->Data() + 101);
    double target0 = 0;
    ZqGetTargetEx(s.ControllerHandle, 1, &target0);

    s.Test.RecordTime = 10.0;
    s.Test.Cycle = 1;
    s.Test.Dwell = 6.0;  // the move back would come after about 6.5 s
    responder.Handle([](HWND d) {
        g_progress = d;
        SetTimer(nullptr, 0, 700, PressStop);
    });
    responder.Press(IDOK);
    journal.Mark();
    RunStepTest(app.Main(), 1);

    ASSERT_GT(g_pressedAt, 0);
    EXPECT_LT(g_stoppedAt - g_pressedAt, 200.0);
    EXPECT_EQ(g_progressText.rfind("Recording ", 0), 0u) << g_progressText;
    EXPECT_NE(g_progressText.find(" s of 10.0 s"), std::string::npos) << g_progressText;
    ASSERT_EQ(responder.Records().size(), 2u);
    EXPECT_EQ(responder.Records()[0].caption, "Step Test");
    EXPECT_EQ(responder.Records()[0].owner, app.Main());
    const DialogRecord& box = responder.Records()[1];
    EXPECT_EQ(box.caption, "Loopsmith");
    EXPECT_EQ(box.text, "The step test was stopped. The data of the previous test is kept.");
    EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_FALSE(IsWindow(g_progress));

    EXPECT_EQ(s.LastTest.RecordTime, 0.05);
    const SampleSequence* actual = ChannelFor(s, Channel::Actual, 0);
    ASSERT_EQ(actual->Length(), 101u);
    EXPECT_EQ(std::vector<double>(actual->Data(), actual->Data() + 101), before);
    EXPECT_TRUE(Calls({"ZqGetCaptureData"}).empty());
    const std::string stop = "ZqStop(" + std::to_string(s.ControllerHandle) + ", 1)";
    EXPECT_EQ(Calls({"ZqStop"}), Lines{stop});

    // The block ended with the stop: no move back.
    PumpMessages(500);
    double target = 0;
    ZqGetTargetEx(s.ControllerHandle, 1, &target);
    EXPECT_NEAR(target, target0 + 100, 1e-9);
    EXPECT_TRUE(IsWindowEnabled(app.Main()));
}

// The progress window: shown from one second up, centred on and owned by the
// main window; a shorter wait shows none.
TEST_F(StepWaitTest, ProgressWindowPlacement) {
    HWND main = app.Main();
    SetWindowPos(main, nullptr, 40, 30, 900, 640, SWP_NOZORDER);
    {
        StepProgress none(main, 999);
        EXPECT_EQ(none.DialogWindow(), nullptr);
    }
    StepProgress shown(main, 10525);
    HWND w = shown.DialogWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetWindow(w, GW_OWNER), main);
    char caption[64] = {};
    GetWindowTextA(w, caption, sizeof caption);
    EXPECT_STREQ(caption, "Step Test");
    EXPECT_EQ(ItemText(w, IDC_STEP_STOP), "Stop");
    EXPECT_NE(GetDlgItem(w, IDC_STEP_PROGRESS_BAR), nullptr);
    shown.Progress(3200, 10525);
    EXPECT_EQ(ItemText(w, IDC_STEP_PROGRESS_TEXT), "Recording 3.2 s of 10.5 s");
    RECT a, b;
    GetWindowRect(main, &a);
    GetWindowRect(w, &b);
    EXPECT_NEAR((a.left + a.right) / 2, (b.left + b.right) / 2, 2);
    EXPECT_NEAR((a.top + a.bottom) / 2, (b.top + b.bottom) / 2, 2);
    EXPECT_FALSE(shown.StopRequested());
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);  // Escape stops too
    EXPECT_TRUE(shown.StopRequested());
    EXPECT_EQ(StepProgressText(12000, 10525), "Recording 10.5 s of 10.5 s");
    EXPECT_EQ(StepProgressText(0, 1025), "Recording 0.0 s of 1.0 s");
}

// A close during a test waits for its end; the data is stored, then the
// window closes as usual.
TEST_F(StepWaitTest, CloseDuringATestWaitsForItsEnd) {
    AppState& s = S();
    s.Test.RecordTime = 1.2;
    HWND main = app.Main();
    responder.Handle([main](HWND) { PostMessageA(main, WM_CLOSE, 0, 0); });
    RunStepTest(main, 1);
    ASSERT_TRUE(IsWindow(main));
    EXPECT_EQ(s.TestDone, 1);
    EXPECT_GT(s.LastTest.SampleCount, 1000);
    EXPECT_EQ(ChannelFor(s, Channel::Actual, 0)->Length(), static_cast<size_t>(s.LastTest.SampleCount));
    EXPECT_EQ(s.LastTest.RecordTime, 1.2);
    PumpMessages(200);  // the close comes back now
    EXPECT_FALSE(IsWindow(main));
}

// The wait lasts at least its time, with the main window disabled meanwhile.
TEST_F(StepWaitTest, WaitIsNeverShorter) {
    HWND main = app.Main();
    for (DWORD ms : {0u, 1u, 30u, 260u}) {
        g_seen = Observed();
        g_seen.main = main;
        g_seen.panel = app.Panel();
        g_seen.posted = true;
        UINT_PTR timer = SetTimer(nullptr, 0, 10, Observe);
        double t0 = WallMs();
        EXPECT_EQ(ModalWait(main, ms), ModalWaitResult::Elapsed);
        double waited = WallMs() - t0;
        KillTimer(nullptr, timer);
        EXPECT_GE(waited, static_cast<double>(ms)) << ms;
        EXPECT_EQ(g_seen.enabledTicks, 0) << ms;
        EXPECT_TRUE(IsWindowEnabled(main));
    }
}

}  // namespace
