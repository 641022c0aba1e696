// Auto Tune on the real main window against the simulated bench: the
// refusals, whole runs through the dialog on both controllers, Apply's writes
// and history run, Cancel in every phase, a plant that trips and an unstable
// starting gain set.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "autotune/auto_tune_dialog.h"
#include "bench_step.h"
#include "autotune/tune_run.h"
#include "controller/zq_library.h"
#include "core/connection.h"
#include "history/test_history.h"
#include "core/settings.h"
#include "journal.h"
#include "registry.h"
#include "resources/app_ids.h"
#include "resources/auto_tune_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "sim_config_file.h"

namespace {

std::string Text(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

struct Gains {
    double p = 0, i = 0, d = 0;
    double integrationLimit = -1;  // -1 in an expectation: not compared
    double derivativePeriod = -1;  // -1 in an expectation: not compared
};

Gains AxisGains(const AppState& s) {
    Gains g;
    ZqGetGain(s.ControllerHandle, static_cast<unsigned short>(s.Axis), &g.p);
    FilterConfig f = {};
    ZqGetFilterConfig(s.ControllerHandle, static_cast<unsigned short>(s.Axis), &f);
    g.i = f.IntegralGain;
    g.d = f.DerivativeGain;
    g.integrationLimit = f.IntegrationLimit;
    g.derivativePeriod = f.DerivativeSamplePeriod;
    return g;
}

void SetAxisGains(const AppState& s, const Gains& g) {
    const unsigned short axis = static_cast<unsigned short>(s.Axis);
    ZqSetGain(s.ControllerHandle, axis, g.p);
    FilterConfig f = {};
    ZqGetFilterConfig(s.ControllerHandle, axis, &f);
    f.IntegralGain = g.i;
    f.DerivativeGain = g.d;
    ZqSetFilterConfig(s.ControllerHandle, axis, &f);
}

void ExpectGains(const AppState& s, const Gains& want, const char* where) {
    Gains now = AxisGains(s);
    EXPECT_DOUBLE_EQ(now.p, want.p) << where;
    EXPECT_DOUBLE_EQ(now.i, want.i) << where;
    EXPECT_DOUBLE_EQ(now.d, want.d) << where;
    if (want.integrationLimit >= 0) {
        EXPECT_DOUBLE_EQ(now.integrationLimit, want.integrationLimit) << where;
    }
    if (want.derivativePeriod >= 0) {
        EXPECT_DOUBLE_EQ(now.derivativePeriod, want.derivativePeriod) << where;
    }
}

// What the dialog showed once its run ended.
struct Outcome {
    bool opened = false;
    std::string status, results, proposedP, proposedI, proposedD, closeText, text;
    bool applyEnabled = false;
};

bool Ended(const std::string& status) { return status == "Done" || status.rfind("Stopped: ", 0) == 0; }

class AutoTuneTest : public ::testing::Test {
protected:
    void TearDown() override { CloseAnswering(app); }
    void Start(const char* commandLine = "") {
        Responder startUp;  // nothing is expected at start-up; whatever comes is recorded and closed
        ASSERT_NE(app.Start(commandLine), nullptr);
        for (const DialogRecord& d : startUp.Records()) ADD_FAILURE() << "at start-up: " << d.caption << ": " << d.text;
        AppState& s = app.State();
        BenchMotorOn(app);
        PumpMessages(150);
        s.Test.Distance = 100.0;
        s.Test.Trajectory = 0;
    }
    AppState& S() { return app.State(); }

    // Opens the dialog with command 205, picks a style, presses Start, waits
    // (generously) for the run to end, then hands the dialog to `atEnd`, which
    // must close it; `during` sees the dialog after every pump.
    Outcome RunDialog(int styleId, std::function<void(HWND)> atEnd, std::function<bool(HWND)> during = nullptr) {
        Outcome out;
        Responder responder;
        responder.Handle([&](HWND dialog) {
            out.opened = true;
            out.text = Text(dialog, IDC_TUNE_TEXT);
            SendDlgItemMessageA(dialog, styleId, BM_CLICK, 0, 0);
            PressButton(dialog, IDC_TUNE_START);
            for (int k = 0; k < 6000 && IsWindow(dialog); ++k) {  // up to 120 s on a slow machine
                if (during && during(dialog)) return;
                if (Ended(Text(dialog, IDC_TUNE_STATUS))) break;
                PumpMessages(20);
            }
            if (!IsWindow(dialog)) return;
            out.status = Text(dialog, IDC_TUNE_STATUS);
            out.results = Text(dialog, IDC_TUNE_RESULTS);
            out.proposedP = Text(dialog, IDC_TUNE_PROPOSED_P);
            out.proposedI = Text(dialog, IDC_TUNE_PROPOSED_I);
            out.proposedD = Text(dialog, IDC_TUNE_PROPOSED_D);
            out.closeText = Text(dialog, IDCANCEL);
            out.applyEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_TUNE_APPLY)) != FALSE;
            atEnd(dialog);
        });
        app.Command(IDM_AUTO_TUNE);
        responder.DropScript();
        return out;
    }

    IsolatedRegistry registry;
    ScratchHistory history{"autotuneroot"};
    LoopsmithApp app;
};

TEST(AutoTuneTexts, RefusalNamesWhatIsMissing) {
    struct Case {
        bool open, motor, servo, torque;
        const char* text;
    };
    const Case cases[] = {
        {false, false, false, false, "Auto Tune needs an open controller."},
        {true, false, true, true, "Auto Tune needs the motor on."},
        {true, true, false, false, "Auto Tune needs a servo axis and torque capture."},
        {true, false, false, false, "Auto Tune needs the motor on, a servo axis and torque capture."},
        {true, true, true, false, "Auto Tune needs torque capture."},
        {true, true, true, true, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(AutoTuneRefusal(c.open, c.motor, c.servo, c.torque), c.text);
    EXPECT_EQ(TuneFiguresText(0.0123, 4.06, 0.045, true), "rise 12.3 ms, overshoot 4.1 %, settling 45.0 ms");
    EXPECT_EQ(TuneFiguresText(-1, -3, -1, false), "rise n/a, overshoot 0.0 %, settling not settled");
}

TEST_F(AutoTuneTest, RefusesWithoutMotorServoAxisTorqueCaptureOrController) {
    ASSERT_NE(app.Start(""), nullptr);
    ZqReset(S().ControllerHandle, 0);  // motor off
    PumpMessages(150);
    struct Step {
        std::function<void()> prepare;
        const char* text;
    };
    const Step steps[] = {
        {[] {}, "Auto Tune needs the motor on."},
        {[&] { SelectAxis(S(), 4); }, "Auto Tune needs the motor on, a servo axis and torque capture."},
        {[&] {
             SelectAxis(S(), 1);
             ZqClose(S().ControllerHandle);
             S().ControllerHandle = 0;
         },
         "Auto Tune needs an open controller."},
    };
    for (const Step& step : steps) {
        step.prepare();
        Responder responder;
        app.Command(IDM_AUTO_TUNE);
        ASSERT_EQ(responder.Records().size(), 1u) << step.text;
        EXPECT_TRUE(responder.Records()[0].messageBox);
        EXPECT_EQ(responder.Records()[0].text, step.text);
        EXPECT_EQ(responder.Records()[0].caption, "Auto Tune");
    }
    OpenController(S());
}

TEST_F(AutoTuneTest, RefusesAServoAxisWithoutTorqueCapture) {
    SimConfigFile config(
        "[controller.0]\ntype = 6\nflags = 4\naxes = 1\n[controller.0.axis.1]\ncapture = 0x100\n");
    Start();
    Responder responder;
    app.Command(IDM_AUTO_TUNE);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].text, "Auto Tune needs torque capture.");
}

TEST_F(AutoTuneTest, FullRunOnAxis1ThenApplyWritesTheGainsAndAddsTheRun) {
    Start();
    const Gains before = AxisGains(S());
    double startPosition = 0;
    ZqGetPositionEx(S().ControllerHandle, 1, &startPosition);
    Journal journal("autotune_apply");
    S().Modified = 0;
    std::string afterRunJournalMark;
    Gains atDone;
    Outcome out = RunDialog(IDC_TUNE_MEDIUM, [&](HWND dialog) {
        atDone = AxisGains(S());
        SaveWindowScreenshot(dialog, "auto_tune_dialog");
        journal.Mark();
        PressButton(dialog, IDC_TUNE_APPLY);
    });
    ASSERT_TRUE(out.opened);
    EXPECT_EQ(out.text, "The axis will move by up to the test distance (100) either way from where it stands and "
                        "come back.");
    ASSERT_EQ(out.status, "Done") << out.results;
    EXPECT_TRUE(out.applyEnabled);
    EXPECT_EQ(out.closeText, "Close");
    EXPECT_NE(out.results.find("Predicted: rise "), std::string::npos) << out.results;
    EXPECT_NE(out.results.find("Measured: rise "), std::string::npos) << out.results;
    // Until Apply the axis holds the gains of Start; the run came back to where it began.
    EXPECT_DOUBLE_EQ(atDone.p, before.p);
    EXPECT_DOUBLE_EQ(atDone.d, before.d);
    double endPosition = 0;
    ZqGetPositionEx(S().ControllerHandle, 1, &endPosition);
    EXPECT_NEAR(endPosition, startPosition, 2.0);

    // Apply: the proposed gains through the sliders' accessors, sliders re-read, Modified.
    const Gains after = AxisGains(S());
    EXPECT_NEAR(after.p, std::stod(out.proposedP), 1e-3 * after.p);
    EXPECT_NEAR(after.i, std::stod(out.proposedI), 1e-3 * after.i + 1e-12);
    EXPECT_NEAR(after.d, std::stod(out.proposedD), 1e-3 * after.d + 1e-12);
    EXPECT_NE(after.p, before.p);
    EXPECT_EQ(S().Modified, 1);
    // The derivative sample period stays a whole number of servo periods, one to eight.
    const double servoPeriod = before.derivativePeriod;  // the bench samples D every servo period
    const double ticks = after.derivativePeriod / servoPeriod;
    EXPECT_NEAR(ticks, std::round(ticks), 1e-6);
    EXPECT_GE(ticks, 1 - 1e-6);
    EXPECT_LE(ticks, 8 + 1e-6);
    std::vector<std::string> writes = Journal::Filter(journal.Since(), {"ZqSetGain", "ZqSetFilterConfig"});
    // The integration limit in the filter record, then P, I and D as the sliders write them.
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0].rfind("ZqSetFilterConfig(", 0), 0u);
    EXPECT_EQ(writes[1].rfind("ZqSetGain(", 0), 0u);
    EXPECT_EQ(writes[2].rfind("ZqSetFilterConfig(", 0), 0u);
    FilterConfig filter = {};
    ZqGetFilterConfig(S().ControllerHandle, 1, &filter);
    EXPECT_GT(filter.IntegrationLimit, 0.0);
    EXPECT_LE(filter.IntegrationLimit, 2.0);  // never above the limit in force (the bench's 2)
    EXPECT_NE(out.results.find("Integration limit "), std::string::npos) << out.results;

    // The check step is on display and in the history as an "auto tune" run.
    EXPECT_EQ(S().TestDone, 1);
    const SampleSequence* actual = ChannelFor(S(), Channel::Actual, 1);
    ASSERT_NE(actual, nullptr);
    EXPECT_GT(actual->Length(), 100u);
    EXPECT_NEAR(actual->At(actual->Length() - 1), 100.0, 2.0);
    ASSERT_NE(S().History, nullptr);
    std::vector<const HistoryRun*> runs = S().History->RunsOf(S().ControllerID, 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0]->Source, "auto tune");
    ASSERT_TRUE(runs[0]->P && runs[0]->Overshoot);
    EXPECT_DOUBLE_EQ(*runs[0]->P, after.p);
    EXPECT_LE(*runs[0]->Overshoot, 5.0);
    EXPECT_EQ(RememberedStyle(S()), TuneStyle::Medium);
}

TEST_F(AutoTuneTest, GantryPartnerFollowsTheMovesAndApplySharesTheGains) {
    Start();
    S().Gantry = 1;
    S().GantryMaster = 1;
    S().GantrySlave = 2;
    S().GantryShare = 1;
    const short h = S().ControllerHandle;
    ZqEnableAxis(h, 2, 1);
    PumpMessages(100);
    double partnerStart = 0;
    ZqGetPositionEx(h, 2, &partnerStart);
    Gains partnerBefore;
    ZqGetGain(h, 2, &partnerBefore.p);
    double partnerAtDone = 0, partnerPAtDone = 0;
    Outcome out = RunDialog(IDC_TUNE_MEDIUM, [&](HWND dialog) {
        ZqGetPositionEx(h, 2, &partnerAtDone);
        ZqGetGain(h, 2, &partnerPAtDone);
        PressButton(dialog, IDC_TUNE_APPLY);
    });
    ASSERT_EQ(out.status, "Done") << out.results;
    // Geared to the axis during the run, and back where it started; its gains untouched until Apply.
    EXPECT_NEAR(partnerAtDone, partnerStart, 2.0);
    EXPECT_DOUBLE_EQ(partnerPAtDone, partnerBefore.p);
    const Gains axis = AxisGains(S());
    double partnerP = 0;
    FilterConfig partnerFilter = {};
    ZqGetGain(h, 2, &partnerP);
    ZqGetFilterConfig(h, 2, &partnerFilter);
    EXPECT_DOUBLE_EQ(partnerP, axis.p);
    EXPECT_DOUBLE_EQ(partnerFilter.IntegralGain, axis.i);
    EXPECT_DOUBLE_EQ(partnerFilter.DerivativeGain, axis.d);
    EXPECT_DOUBLE_EQ(partnerFilter.IntegrationLimit, axis.integrationLimit);
    EXPECT_DOUBLE_EQ(partnerFilter.DerivativeSamplePeriod, axis.derivativePeriod);
}

TEST_F(AutoTuneTest, FixedPointControllerAxis1RunsAndCloseKeepsTheOldGains) {
    Start("-b 1");
    ASSERT_EQ(S().ControllerID, 1);
    const Gains before = AxisGains(S());
    Outcome out = RunDialog(IDC_TUNE_STIFF, [](HWND dialog) { PressButton(dialog, IDCANCEL); });
    ASSERT_EQ(out.status, "Done") << out.results;
    // A thousand times the floating-point numbers for the same loop.
    EXPECT_GT(std::stod(out.proposedP), 100.0);
    ExpectGains(S(), before, "after Close");
    EXPECT_EQ(S().TestDone, 0);
    EXPECT_EQ(RememberedStyle(S()), TuneStyle::Stiff);
}

// The style chosen at Start is kept with the axis's settings: a restart shows
// it again on that axis, another axis and another controller's axis keep
// Medium, and a damaged stored value counts as Medium.
TEST_F(AutoTuneTest, TheChosenStyleSurvivesARestartPerControllerAndAxis) {
    auto cancelAtOnce = [](HWND dialog) {
        if (IsWindowEnabled(GetDlgItem(dialog, IDC_TUNE_START))) return false;  // Start not handled yet
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return true;
    };
    auto shownStyle = [this] {
        int checked = 0;
        Responder responder;
        responder.Handle([&](HWND dialog) {
            for (int id : {IDC_TUNE_STIFF, IDC_TUNE_MEDIUM, IDC_TUNE_SOFT})
                if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) checked = checked ? -1 : id;
            PressButton(dialog, IDCANCEL);
        });
        app.Command(IDM_AUTO_TUNE);
        return checked;
    };
    auto restart = [this](const char* commandLine) {
        CloseAnswering(app);
        Start(commandLine);
    };
    const std::string axisKey = "Software\\Quelmont\\Draxwell\\Loopsmith\\Axis0:1";

    Start();
    EXPECT_EQ(shownStyle(), IDC_TUNE_MEDIUM);
    RunDialog(IDC_TUNE_SOFT, [](HWND dialog) { PressButton(dialog, IDCANCEL); }, cancelAtOnce);
    restart("");
    EXPECT_EQ(shownStyle(), IDC_TUNE_SOFT);
    RegValue stored = ReadRegValue(HKEY_CURRENT_USER, axisKey, "AutoTuneStyle");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(stored.bytes.size(), 1u);
    EXPECT_EQ(stored.bytes[0], 2);

    // Axis 2 of the same controller has its own choice, Medium until one is made.
    SaveAxisSettings(app.Main());
    SelectAxis(S(), 2);
    LoadAxisSettings(app.Main());
    ZqEnableAxis(S().ControllerHandle, 2, 1);
    PumpMessages(150);
    EXPECT_EQ(shownStyle(), IDC_TUNE_MEDIUM);
    RunDialog(IDC_TUNE_STIFF, [](HWND dialog) { PressButton(dialog, IDCANCEL); }, cancelAtOnce);
    SaveAxisSettings(app.Main());
    SelectAxis(S(), 1);
    LoadAxisSettings(app.Main());
    ZqEnableAxis(S().ControllerHandle, 1, 1);
    PumpMessages(150);
    EXPECT_EQ(shownStyle(), IDC_TUNE_SOFT);

    // The other controller's axis 1 is a key of its own.
    restart("-b 1");
    ASSERT_EQ(S().ControllerID, 1);
    EXPECT_EQ(shownStyle(), IDC_TUNE_MEDIUM);

    // A value that is no style is read as Medium, and Medium is written back.
    const unsigned char damaged = 7;
    WriteRegValue(HKEY_CURRENT_USER, axisKey, "AutoTuneStyle", REG_BINARY, &damaged, 1);
    restart("-b 0");
    ASSERT_EQ(S().ControllerID, 0);
    EXPECT_EQ(shownStyle(), IDC_TUNE_MEDIUM);
    restart("-b 0");
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, axisKey, "AutoTuneStyle").bytes, std::vector<unsigned char>{1});
}

TEST_F(AutoTuneTest, CancelInTheDialogStopsAtOnceAndRestores) {
    Start();
    const Gains before = AxisGains(S());
    Journal journal("autotune_cancel");
    bool cancelled = false;
    RunDialog(
        IDC_TUNE_MEDIUM, [](HWND dialog) { PressButton(dialog, IDCANCEL); },
        [&](HWND dialog) {
            if (Text(dialog, IDC_TUNE_STATUS) != "Measuring the loop") return false;
            PumpMessages(150);  // a measuring move under way
            journal.Mark();
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            cancelled = true;
            // Handled within the button press: the axis stopped, the gains back.
            std::vector<std::string> lines = journal.Since();
            EXPECT_FALSE(Journal::Filter(lines, {"ZqStop"}).empty());
            ExpectGains(S(), before, "right after Cancel");
            return true;
        });
    EXPECT_TRUE(cancelled);
    ExpectGains(S(), before, "after the dialog");
}

TEST_F(AutoTuneTest, CancelInEveryPhaseRestoresTheGains) {
    Start();
    const Gains before = AxisGains(S());
    for (TunePhase phase : {TunePhase::Measuring, TunePhase::Identifying, TunePhase::Computing, TunePhase::Checking}) {
        SCOPED_TRACE(TunePhaseText(phase));
        AutoTuneSetup setup;
        setup.handle = S().ControllerHandle;
        setup.axis = 1;
        AutoTuneRun run(setup);
        run.Start();
        bool reached = false;
        for (int k = 0; k < 20000 && !run.Finished(); ++k) {
            if (run.Phase() == phase) {
                // Checking: wait for the proposed gains to be on the axis.
                if (phase != TunePhase::Checking || AxisGains(S()).p != before.p) {
                    reached = true;
                    break;
                }
            }
            DWORD wait = run.Advance();
            if (wait) Sleep(std::min<DWORD>(wait, 20));
        }
        ASSERT_TRUE(reached);
        run.Cancel();
        EXPECT_EQ(run.Phase(), TunePhase::Cancelled);
        ExpectGains(S(), before, "after Cancel");
        // Let the axis come to rest for the next run.
        for (int k = 0; k < 50; ++k) PumpMessages(20);
    }
}

TEST_F(AutoTuneTest, APlantThatTripsStopsWithTheReasonAndRestores) {
    // A light axis of its own description, and a test distance of 250 moved
    // straight to the target (no trajectory): on the first move of the whole
    // distance the error at once exceeds the following error limit of 200 and
    // the motor is switched off.
    SimConfigFile config(
        "[controller.0]\ntype = 6\nflags = 4\naxes = 1\n"
        "[controller.0.axis.1]\ninertia = 0.5\ntorque_limit = 5\ncoulomb = 5000\n");
    Start();
    S().Test.Distance = 250;
    S().Test.Trajectory = 0;
    const Gains before = AxisGains(S());
    Outcome out = RunDialog(IDC_TUNE_MEDIUM, [](HWND dialog) { PressButton(dialog, IDCANCEL); });
    EXPECT_EQ(out.status, "Stopped: the axis tripped on its following error limit during a measuring move");
    EXPECT_FALSE(out.applyEnabled);
    EXPECT_EQ(out.closeText, "Close");
    ExpectGains(S(), before, "after the trip");
    // The trip switched the motor off; the run left it so.
    int status = ZqGetStatus(S().ControllerHandle, 1);
    EXPECT_EQ(ZqDecodeStatus(S().ControllerHandle, status, 1), 0);
}

TEST_F(AutoTuneTest, AnUnstableStartingGainSetIsMeasuredAtAFraction) {
    Start();
    const Gains unstable = {8.0, 2.0, 0.0};  // no derivative: the axis rings
    SetAxisGains(S(), unstable);
    Outcome out = RunDialog(IDC_TUNE_MEDIUM, [](HWND dialog) { PressButton(dialog, IDCANCEL); });
    ASSERT_EQ(out.status, "Done") << out.results;
    EXPECT_GT(std::stod(out.proposedD), 0.0);
    ExpectGains(S(), unstable, "after Close");
}

}  // namespace
