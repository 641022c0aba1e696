// The program against a simulated controller that fails (ZQSIM_FAULTS): a
// controller that stops answering and comes back, capture reads that fail,
// and commands whose calls fail. Nothing made up is shown or kept, and every
// failure is told once.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "file_dialog_recorder.h"
#include "journal.h"
#include "panel/gain_slider.h"
#include "panel_ids.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "sim_config_file.h"
#include "steptest/step_run.h"
#include "temp_files.h"

namespace {

const char kSilent[] = "The controller does not respond (simulated fault)";

std::string ReadoutText(HWND panel, int id) {
    char text[64] = {};
    GetDlgItemTextA(panel, id, text, sizeof text);
    return text;
}

// Pumps messages until done() or about limitMs; the limit is generous, the
// wait ends as soon as the condition holds.
bool PumpUntil(const std::function<bool()>& done, int limitMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) > limitMs) return false;
        PumpMessages(20);
    }
    return true;
}

// The program started with the given faults in force from its controller's open.
class ControllerFaults : public ::testing::Test {
protected:
    void Start(const char* faults, const char* commandLine = "") {
        faults_ = std::make_unique<SimFaults>(faults);
        ASSERT_NE(app.Start(commandLine), nullptr);
        started_ = GetTickCount();
    }
    void TearDown() override {
        responder.DropScript();
        if (app.Alive()) {
            responder.Press(IDNO);  // the exit question, when there is one
            app.Close();
        }
    }
    AppState& S() { return app.State(); }
    HWND Panel() { return app.Panel(); }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const DialogRecord& r : responder.Records()) texts.push_back(r.caption + ": " + r.text);
        return texts;
    }

    IsolatedRegistry registry;
    Journal journal{"faults"};
    Responder responder;
    std::unique_ptr<SimFaults> faults_;
    LoopsmithApp app;
    DWORD started_ = 0;
};

// The controller answers for 5 s after its open, then not for 5 s, then again.
// While it is silent the readouts show "---", the motor LED is dark and Step
// is disabled; one message says so, however many ticks run while it is open;
// afterwards everything comes back without the user doing anything.
TEST_F(ControllerFaults, AnOutageIsToldOnceAndTheReadoutsComeBackByThemselves) {
    Start("vanish_after=5;reappear_after=10");
    ASSERT_LT(GetTickCount() - started_, 4000u) << "start-up took too long for the outage to come after it";
    ZqEnableAxis(S().ControllerHandle, 1, 1);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return IsWindowEnabled(GetDlgItem(Panel(), IDC_STEP_PLUS)) && !ReadoutText(Panel(), IDC_POSITION_READOUT).empty();
        },
        3000));
    const std::string before = ReadoutText(Panel(), IDC_POSITION_READOUT);
    EXPECT_EQ(before, "0.0");

    struct During {
        std::string position, axis;
        bool stepPlus = true, stepMinus = true;
        UINT led = 1;
        size_t boxes = 0;
    } during;
    responder.Handle([&](HWND box) {
        // The timer goes on ticking inside the box: no second box, the readouts stay dark.
        PumpMessages(1500);
        during.position = ReadoutText(Panel(), IDC_POSITION_READOUT);
        during.axis = ReadoutText(Panel(), IDC_AXIS_READOUT);
        during.stepPlus = IsWindowEnabled(GetDlgItem(Panel(), IDC_STEP_PLUS)) != FALSE;
        during.stepMinus = IsWindowEnabled(GetDlgItem(Panel(), IDC_STEP_MINUS)) != FALSE;
        during.led = IsDlgButtonChecked(Panel(), IDC_MOTOR_LED);
        during.boxes = responder.Records().size();
        SaveWindowScreenshot(app.Main(), "controller_outage_main");
        SaveWindowScreenshot(box, "controller_outage_message");
        PressButton(box, IDOK);
    });
    ASSERT_TRUE(PumpUntil([&] { return !responder.Records().empty(); }, 30000));
    ASSERT_TRUE(PumpUntil([&] { return responder.Pending() == 0 && ReadoutText(Panel(), IDC_POSITION_READOUT) != "---"; },
                          30000));
    EXPECT_EQ(during.position, "---");
    EXPECT_EQ(during.axis, "1");
    EXPECT_FALSE(during.stepPlus);
    EXPECT_FALSE(during.stepMinus);
    EXPECT_EQ(during.led, 0u);
    EXPECT_EQ(during.boxes, 1u);

    // Back: the position is read again, the motor (still on) lights the LED and enables Step.
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(Panel(), IDC_STEP_PLUS)) != FALSE; }, 5000));
    EXPECT_EQ(ReadoutText(Panel(), IDC_POSITION_READOUT), before);
    EXPECT_EQ(IsDlgButtonChecked(Panel(), IDC_MOTOR_LED), 1u);
    SaveWindowScreenshot(app.Main(), "controller_outage_recovered");
    ASSERT_EQ(responder.Records().size(), 1u);
    const DialogRecord& box = responder.Records()[0];
    EXPECT_EQ(box.caption, "Loopsmith");
    EXPECT_EQ(box.text, std::string("The controller does not respond:\n\n") + kSilent +
                            "\n\nCheck its cable and power. Loopsmith keeps trying; choose File > Select Controller "
                            "to open another.");
    EXPECT_EQ(box.owner, app.Main());
    // The outage really happened where the readouts say it did.
    size_t silent = 0;
    for (const std::string& line : Journal::Filter(journal.Lines(), {"ZqGetPositionEx"}))
        silent += line.find("[vanished -17]") != std::string::npos;
    EXPECT_GT(silent, 0u);
}

// Every capture read fails: the test is not a test. The message says why, and
// TestDone, LastTest and the stored curves are those of the test before.
TEST_F(ControllerFaults, AFailedCaptureKeepsThePreviousTest) {
    Start("fail=ZqGetCaptureData:1");
    AppState& s = S();
    s.Test.RecordTime = 0.01;
    for (int done : {0, 1}) {
        SCOPED_TRACE(done ? "a test was shown before" : "no test before");
        s.TestDone = static_cast<BYTE>(done);
        s.LastTest.SampleCount = 77;
        SampleSequence* actual = ChannelFor(s, Channel::Actual, 1);
        actual->Clear();
        actual->Append(12.5);
        responder.ClearRecords();
        journal.Mark();
        RunStepTest(app.Main(), 1);
        EXPECT_EQ(Texts(), std::vector<std::string>{std::string("Loopsmith: The step test failed: ") + kSilent +
                                                    ". The data of the previous test is kept."});
        EXPECT_EQ(s.TestDone, done);
        EXPECT_EQ(s.LastTest.SampleCount, 77);
        ASSERT_EQ(actual->Length(), 1u);
        EXPECT_EQ(actual->At(0), 12.5);
        // The block read, then the first point three times; no later point or channel is asked for.
        const auto reads = Journal::Filter(journal.Since(), {"ZqGetCaptureData"});
        ASSERT_EQ(reads.size(), 4u);
        for (const std::string& line : reads) EXPECT_NE(line.find("[fail -17]"), std::string::npos) << line;
        EXPECT_NE(reads[1].find(", 16, 0, 1, &)"), std::string::npos) << reads[1];
        EXPECT_EQ(reads[3], reads[1]);
    }
}

// A command the controller refuses inside the block (a stored distance no
// axis can travel): the block is ended, the axis stopped, the refusal told in
// the test's failure message, and the previous test kept.
TEST_F(ControllerFaults, AMoveTheControllerRefusesFailsTheTest) {
    Start("seed=1");
    AppState& s = S();
    s.Test.RecordTime = 0.01;
    s.Test.Distance = 2.46e256;
    s.TestDone = 1;
    s.LastTest.SampleCount = 77;
    ZqEnableAxis(s.ControllerHandle, 1, 1);
    journal.Mark();
    RunStepTest(app.Main(), 1);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("Loopsmith: The step test failed: ", 0), 0u) << texts[0];
    EXPECT_EQ(s.TestDone, 1);
    EXPECT_EQ(s.LastTest.SampleCount, 77);
    EXPECT_TRUE(Journal::Filter(journal.Since(), {"ZqGetCaptureData"}).empty());
    EXPECT_FALSE(Journal::Filter(journal.Since(), {"ZqStop"}).empty());
}

// Capture reads that fail now and then: a failed block is read point by point
// and a failed point is tried again, so the test is drawn from the controller's
// data alone, equal to what the capture holds.
TEST_F(ControllerFaults, AReadThatFailsOnceIsTriedAgain) {
    Start("seed=3;fail=ZqGetCaptureData:0.3");
    AppState& s = S();
    s.Test.RecordTime = 0.01;
    s.PlotAuxiliary = 0;
    ZqEnableAxis(s.ControllerHandle, 1, 1);
    journal.Mark();
    RunStepTest(app.Main(), 1);
    EXPECT_TRUE(responder.Records().empty()) << Texts()[0];
    ASSERT_EQ(s.TestDone, 1);
    // Some single-point read failed and its repetition answered.
    const auto reads = Journal::Filter(journal.Since(), {"ZqGetCaptureData"});
    bool retried = false;
    for (size_t i = 0; i + 1 < reads.size(); ++i)
        retried |= reads[i].find(", 1, &) [fail -17]") != std::string::npos && reads[i + 1].find('[') == std::string::npos &&
                   reads[i + 1] == reads[i].substr(0, reads[i].find(" ["));
    EXPECT_TRUE(retried);
    // The stored curve is the capture relative to its first stored sample.
    const SampleSequence& actual = *ChannelFor(s, Channel::Actual, 1);
    ASSERT_EQ(actual.Length(), 21u);
    std::vector<double> captured(20);
    int r = -1;
    for (int attempt = 0; attempt < 50 && r < 0; ++attempt)
        r = ZqGetCaptureData(s.ControllerHandle, 1, kCaptureActual, 0, 20, captured.data());
    ASSERT_GE(r, 0);
    const double start = captured[0] - actual.At(1);
    for (size_t j = 1; j < actual.Length(); ++j) EXPECT_EQ(actual.At(j), captured[j - 1] - start) << j;
}

// Commands whose controller calls fail say so; Export writes nothing and keeps
// the old file; the slider whose write fails shows the gain the controller holds.
TEST_F(ControllerFaults, FailedCommandsAreReported) {
    Start("fail=ZqGetFilterConfig:1;fail=ZqReset:1;fail=ZqSetGain:1");
    const std::string folder = FreshFolder("faultexport");
    const std::string path = folder + "\\old.zpc";
    WriteAll(path, "1SG3\t\t;Proportional Gain\r\n");
    {
        FileDialogRecorder dialogs;
        dialogs.Answer(path);
        app.Command(IDM_EXPORT_ZPCL);
    }
    responder.Press(IDOK);  // "This will reset all controller settings ..."
    app.Command(IDM_RESET_CONTROLLER);
    app.Command(IDM_SAVE_ALL_AXES);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           std::string("Loopsmith: The settings of axis 1 cannot be read from the controller. Nothing "
                                       "was exported; the file was left as it was.\n\n") +
                               kSilent,
                           "Reset: This will reset all controller settings to their default values. Proceed?",
                           std::string("Loopsmith: The controller could not be reset:\n\n") + kSilent,
                           "Loopsmith: The axis settings could not be saved:\n\nThe controller did not answer the "
                           "dialogs library (error -105)."}));
    EXPECT_EQ(ReadAll(path), "1SG3\t\t;Proportional Gain\r\n");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"old.zpc"});
    RemoveTree(folder);

    // P at 50 % cannot be written: the slider goes back to the gain the axis holds.
    double held = 0.0;
    ASSERT_EQ(ZqGetGain(S().ControllerHandle, 1, &held), 0);
    double percent = 50.0;
    SendDlgItemMessageA(Panel(), IDC_SLIDER_P, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent));
    EXPECT_DOUBLE_EQ(S().PropGain.Percent, held / S().PropGain.FullScale * 100);
    char readout[64] = {};
    GetDlgItemTextA(GetDlgItem(Panel(), IDC_SLIDER_P), IDC_SLIDER_READOUT, readout, sizeof readout);
    char expected[64];
    FormatGainReadout(S().PropGain.Percent, S().PropGain.FullScale, expected, sizeof expected);
    EXPECT_STREQ(readout, expected);
}

}  // namespace
