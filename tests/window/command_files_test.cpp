// ZPCL command files through the main window's Export and Import commands on
// the simulated controller bench.
#include <gtest/gtest.h>

#include <string>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "file_dialog_recorder.h"
#include "files/command_file.h"
#include "journal.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "temp_files.h"

namespace {

int CountLines(const std::string& text) {
    int n = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) n += text[i] == '\r' && text[i + 1] == '\n';
    return n;
}

class CommandFiles : public ::testing::Test {
protected:
    void SetUp() override { folder = FreshFolder("zpcl"); }
    void TearDown() override { RemoveTree(folder); }

    void Export(const std::string& path) {
        dialogs.Answer(path);
        app.Command(IDM_EXPORT_ZPCL);
    }

    // Writes one axis's settings to the controller.
    void SetAxis(unsigned short axis, double gain, double torque, double velocity, double acceleration,
                 double deceleration, short updateRate, double kd, double derivativePeriod, double ki, double il,
                 double kv, double followingError) {
        short h = app.State().ControllerHandle;
        MotionConfig m = {};
        ZqGetMotionConfig(h, axis, &m);
        m.Gain = gain;
        m.Torque = torque;
        m.Velocity = velocity;
        m.Acceleration = acceleration;
        m.Deceleration = deceleration;
        m.UpdateRate = updateRate;
        ASSERT_EQ(ZqSetMotionConfig(h, axis, &m), 0);
        FilterConfig f = {};
        ZqGetFilterConfig(h, axis, &f);
        f.DerivativeGain = kd;
        f.DerivativeSamplePeriod = derivativePeriod;
        f.IntegralGain = ki;
        f.IntegrationLimit = il;
        f.VelocityGain = kv;
        f.FollowingError = followingError;
        ASSERT_EQ(ZqSetFilterConfig(h, axis, &f), 0);
    }

    IsolatedRegistry registry;
    LoopsmithApp app;
    FileDialogRecorder dialogs;
    Responder responder;
    std::string folder;
};

// Bench controller 0: floating point, servo axes 1 to 3 and a stepper as axis 4.
TEST_F(CommandFiles, ExportWritesEveryAxisWithFivePlaces) {
    ASSERT_NE(app.Start(), nullptr);
    SetAxis(2, 1.25, 7.5, 1234.5, 50000, 60000.125, 4, 3.3, 0.002, 0.75, 2.5, 0.001, 150);
    // 0.043 s over the medium-rate period of 0.001 s is 42.99999999999999 in double precision.
    SetAxis(3, 0.5, 5, 100, 1000, 1000, 2, 1, 0.043, 0, 0, 0, 0);
    std::string path = folder + "\\bench.zpc";
    Export(path);
    std::string file = ReadAll(path);
    EXPECT_TRUE(responder.Records().empty());
    EXPECT_EQ(CountLines(file), 14 * 3 + 3);
    const std::string start = ";\r\n;Axis 1 setup\r\n;\r\n1SG";
    EXPECT_EQ(file.substr(0, start.size()), start);
    size_t axis2 = file.find(";\r\n;Axis 2 setup");
    ASSERT_NE(axis2, std::string::npos);
    EXPECT_EQ(file.substr(axis2, file.find(";\r\n;Axis 3 setup") - axis2),
              ";\r\n;Axis 2 setup\r\n;\r\n"
              "2SG1.25000\t\t;Proportional Gain\r\n"
              "2SI0.75000\t\t;Integral Gain\r\n"
              "2SD3.30000\t\t;Derivative Gain\r\n"
              "2IL2.50000\t\t;Integration Limit\r\n"
              "2FR3\t\t;Derivative Sampling Period\r\n"
              "2VG0.00100\t\t;Velocity Gain (Feed Forward)\r\n"
              "2SE150.00000\t\t;Stop on Error\r\n"
              "2SQ7.50000\t\t;Torque\r\n"
              "2SV1234.50000\t\t;Velocity\r\n"
              "2SA50000.00000\t\t;Acceleration\r\n"
              "2DS60000.12500\t\t;Deceleration\r\n");
    EXPECT_NE(file.find("\r\n3FR41\t\t;Derivative Sampling Period\r\n"), std::string::npos);
    // The stepper's three lines follow axis 3's block with no header of their own.
    size_t axis4 = file.find("4SV");
    ASSERT_NE(axis4, std::string::npos);
    const std::string before = "\r\n3DS1000.00000\t\t;Deceleration\r\n";
    ASSERT_GE(axis4, before.size());
    EXPECT_EQ(file.substr(axis4 - before.size(), before.size()), before);
    EXPECT_EQ(CountLines(file.substr(axis4)), 3);
    EXPECT_EQ(file.find("Axis 4"), std::string::npos);
}

TEST_F(CommandFiles, ExportReadsEachAxisFreshInOrder) {
    ASSERT_NE(app.Start(), nullptr);
    Journal journal("zpcl-export");
    std::string h = std::to_string(app.State().ControllerHandle);
    Export(folder + "\\order.zpc");
    auto calls = Journal::Filter(journal.Lines(), {"ZqGetConfigurationEx", "ZqGetAxisConfiguration",
                                                   "ZqGetMotionConfig", "ZqGetFilterConfig"});
    // The dialog's request reads the configuration once, then the export itself.
    ASSERT_GE(calls.size(), 2u);
    calls.erase(calls.begin());
    // ServoPeriod's own reads follow each servo axis's filter read.
    std::vector<std::string> expected = {"ZqGetConfigurationEx(" + h + ", &)"};
    for (int axis = 1; axis <= 4; ++axis) {
        std::string a = std::to_string(axis);
        expected.push_back("ZqGetAxisConfiguration(" + h + ", " + a + ", &)");
        expected.push_back("ZqGetMotionConfig(" + h + ", " + a + ", &)");
        if (axis == 4) break;
        expected.push_back("ZqGetFilterConfig(" + h + ", " + a + ", &)");
        expected.push_back("ZqGetConfigurationEx(" + h + ", &)");
        expected.push_back("ZqGetAxisConfiguration(" + h + ", " + a + ", &)");
        expected.push_back("ZqGetMotionConfig(" + h + ", " + a + ", &)");
    }
    EXPECT_EQ(calls, expected);
}

TEST_F(CommandFiles, IntegerControllerWritesWholeNumbers) {
    ASSERT_NE(app.Start("-b 1"), nullptr);
    ASSERT_EQ(app.State().ControllerID, 1);
    SetAxis(1, 2.0, 10, 5000, 200000, 200000, 4, 2300, 0.0005, 2000, 2, 0, 200);
    Export(folder + "\\fixed.zpc");
    std::string file = ReadAll(folder + "\\fixed.zpc");
    EXPECT_EQ(CountLines(file), 28);
    EXPECT_NE(file.find(";\r\n;Axis 1 setup\r\n;\r\n1SG2\t\t;Proportional Gain\r\n1SI2000\t\t;Integral Gain\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("\r\n1FR0\t\t;"), std::string::npos);
    EXPECT_EQ(file.find('.'), std::string::npos);
}

// The menu command needs an open controller; the export itself, given no
// controller, reads zeroed records and writes an empty file.
TEST_F(CommandFiles, ExportWithoutAControllerWritesAnEmptyFile) {
    ASSERT_NE(app.Start(), nullptr);
    std::string path = folder + "\\none.zpc";
    WriteAll(path, "earlier contents");
    EXPECT_EQ(ExportCommandFile(0, path.c_str(), app.Main()), 1);
    EXPECT_TRUE(ReadAll(path).empty()) << ReadAll(path).substr(0, 200);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"none.zpc"});
    EXPECT_TRUE(responder.Records().empty());
}

TEST_F(CommandFiles, AnExportThatCannotBeWrittenIsReportedAndTheOldFileKept) {
    ASSERT_NE(app.Start(), nullptr);
    std::string path = folder + "\\locked.zpc";
    WriteAll(path, "1SG3\t\t;Proportional Gain\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    responder.Handle([](HWND box) {
        SaveWindowScreenshot(box, "command_file_write_error");
        PressButton(box, IDOK);
    });
    Export(path);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].caption, "Loopsmith");
    EXPECT_EQ(responder.Records()[0].text, "Unable to write the file\n" + path + "\n\nThe file is read-only.");
    EXPECT_EQ(ReadAll(path), "1SG3\t\t;Proportional Gain\r\n");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"locked.zpc"});
}

TEST_F(CommandFiles, ImportReopensAroundTheDownloadAndMarksTheSettingsChanged) {
    ASSERT_NE(app.Start(), nullptr);
    Journal journal("zpcl-import");
    std::string path = folder + "\\in.zpc";
    WriteAll(path, "1SG2\r\n");
    std::string h = std::to_string(app.State().ControllerHandle);
    app.State().Modified = 0;
    dialogs.Answer(path);
    app.Command(IDM_IMPORT_ZPCL);
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqReopen", "ZQDLG_DownloadFile"}),
              (std::vector<std::string>{"ZqReopen(" + h + ", 1)",
                                        "ZQDLG_DownloadFile(hwnd, " + h + ", 0, \"" + path + "\")",
                                        "ZqReopen(" + h + ", 1)"}));
    EXPECT_EQ(app.State().Modified, 1);
}

// Exported settings put back by importing the file: every value of every axis
// returns after the controller was reset to its power-on settings.
TEST_F(CommandFiles, ExportThenImportRestoresEveryValue) {
    ASSERT_NE(app.Start(), nullptr);
    short h = app.State().ControllerHandle;
    std::string empty = folder + "\\empty.zpc";
    WriteAll(empty, "");
    if (ZQDLG_DownloadFile(app.Main(), h, 0, empty.c_str()) < 0)
        GTEST_SKIP() << "this dialogs library cannot download command files";
    // Values with at most five decimals, and derivative periods that are whole
    // servo periods, survive the file exactly. The file carries no update rate,
    // so the axes keep the power-on rate (servo period 0.0005 s).
    SetAxis(1, 1.75, 8.5, 4321.5, 123456.75, 98765.25, 4, 2.125, 0.002, 0.375, 1.5, 0.0625, 99.5);
    SetAxis(2, 0.5, 6, 2500, 50000, 60000, 4, 4.5, 0.001, 1.25, 3, 0, 0);
    SetAxis(3, 3.25, 2.5, 800, 7000.5, 9000.5, 4, 0.75, 0.004, 0.5, 0.25, 0.03125, 12);
    MotionConfig stepper = {};
    ZqGetMotionConfig(h, 4, &stepper);
    stepper.Velocity = 1500.5;
    stepper.Acceleration = 30000.25;
    stepper.Deceleration = 40000.75;
    ASSERT_EQ(ZqSetMotionConfig(h, 4, &stepper), 0);
    MotionConfig motion[5] = {};
    FilterConfig filter[5] = {};
    for (unsigned short a = 1; a <= 4; ++a) {
        ZqGetMotionConfig(h, a, &motion[a]);
        ZqGetFilterConfig(h, a, &filter[a]);
    }
    std::string path = folder + "\\roundtrip.zpc";
    Export(path);
    ASSERT_EQ(CountLines(ReadAll(path)), 45);

    ASSERT_EQ(ZqReset(h, 0), 0);
    MotionConfig reset = {};
    ZqGetMotionConfig(h, 1, &reset);
    ASSERT_NE(reset.Gain, motion[1].Gain);

    dialogs.Answer(path);
    app.Command(IDM_IMPORT_ZPCL);
    EXPECT_TRUE(responder.Records().empty()) << responder.Records()[0].text;
    for (unsigned short a = 1; a <= 4; ++a) {
        MotionConfig m = {};
        FilterConfig f = {};
        ZqGetMotionConfig(h, a, &m);
        ZqGetFilterConfig(h, a, &f);
        EXPECT_EQ(m.Velocity, motion[a].Velocity) << a;
        EXPECT_EQ(m.Acceleration, motion[a].Acceleration) << a;
        EXPECT_EQ(m.Deceleration, motion[a].Deceleration) << a;
        if (a == 4) continue;  // a stepper's file holds only its motion values
        EXPECT_EQ(m.Gain, motion[a].Gain) << a;
        EXPECT_EQ(m.Torque, motion[a].Torque) << a;
        EXPECT_EQ(f.IntegralGain, filter[a].IntegralGain) << a;
        EXPECT_EQ(f.DerivativeGain, filter[a].DerivativeGain) << a;
        EXPECT_EQ(f.IntegrationLimit, filter[a].IntegrationLimit) << a;
        EXPECT_EQ(f.DerivativeSamplePeriod, filter[a].DerivativeSamplePeriod) << a;
        EXPECT_EQ(f.VelocityGain, filter[a].VelocityGain) << a;
        EXPECT_EQ(f.FollowingError, filter[a].FollowingError) << a;
    }
    // Exporting again gives the same file.
    Export(folder + "\\again.zpc");
    EXPECT_EQ(ReadAll(folder + "\\again.zpc"), ReadAll(path));
}

}  // namespace
