// Test data files through the main window's Open and Save As commands: the
// bytes written, the read-back state, and files that cannot be read or written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_fixture.h"
#include "file_dialog_recorder.h"
#include "files/replacing_file.h"
#include "files/test_data_file.h"
#include "process.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "temp_files.h"

namespace {

const char kHeader[] = "Time, Actual, Optimal, Error, Torque\r\n";

void Fill(SampleSequence& seq, std::initializer_list<double> values) {
    seq.Clear();
    for (double v : values) seq.Append(v);
}

// %g and %.6f as the C library prints them, read back as the C library reads them.
double Printed(const char* format, double v) {
    char text[400];
    std::snprintf(text, sizeof text, format, v);
    return std::strtod(text, nullptr);
}

class TestDataFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FreshFolder("testdata");
        ASSERT_NE(app.Start(), nullptr);
        s = &app.State();
    }
    void TearDown() override { RemoveTree(folder); }

    // The curves of a test on axis 1 with the plot choices of a fresh start plus torque.
    void ExampleTest() {
        s->LastTest.Delay = 0;
        s->LastTest.SamplePeriod = 0.001;
        s->LastTest.Sampling = 1;
        s->LastTest.SampleCount = 3;
        s->PlotTorque = 1;
        s->PlotAuxiliary = 0;
        s->AuxCapture = 1;
        Fill(s->Capture.Actual[0], {0, 1, 12.5});
        Fill(s->Capture.Optimal[0], {0, 1, 13});
        Fill(s->Capture.Error[0], {0, 0, -0.5});
        Fill(s->Capture.Torque[0], {0, 0.25, 0.3418});
        Fill(s->Capture.Auxiliary[0], {7, 7, 7});
        s->TestDone = 1;
    }

    void SaveAs(const std::string& path) {
        dialogs.Answer(path);
        app.Command(IDM_SAVE_AS);
    }
    void Open(const std::string& path) {
        dialogs.Answer(path);
        app.Command(IDM_OPEN);
    }

    IsolatedRegistry registry;
    LoopsmithApp app;
    FileDialogRecorder dialogs;
    Responder responder;
    std::string folder;
    AppState* s = nullptr;
};

TEST_F(TestDataFiles, SaveWritesTheHeaderAndOneLinePerSample) {
    ExampleTest();
    SaveAs(folder + "\\example.csv");
    EXPECT_EQ(ReadAll(folder + "\\example.csv"), std::string(kHeader) +
                                                     "0.000000, 0, 0, 0, 0, 0\r\n"
                                                     "0.001000, 1, 1, 0, 0.25, 0\r\n"
                                                     "0.002000, 12.5, 13, -0.5, 0.3418, 0\r\n");
    EXPECT_TRUE(responder.Records().empty());
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"example.csv"});
}

TEST_F(TestDataFiles, UnchosenChannelsAndSamplesPastAChannelsEndAreWrittenAsZero) {
    s->LastTest.Delay = 0.01;
    s->LastTest.SamplePeriod = 0.0005;
    s->LastTest.Sampling = 2;
    s->LastTest.SampleCount = 5;  // lines at capture index 0, 2 and 4
    s->PlotActual = 1;
    s->PlotOptimal = 0;
    s->PlotError = 0;
    s->PlotTorque = 0;
    s->PlotAuxiliary = 1;
    s->AuxCapture = 1;
    Fill(s->Capture.Actual[0], {1, 2});  // shorter than the test says
    Fill(s->Capture.Optimal[0], {5, 5, 5});
    Fill(s->Capture.Error[0], {6, 6, 6});
    Fill(s->Capture.Torque[0], {8, 8, 8});
    Fill(s->Capture.Auxiliary[0], {3, 4, 5});
    SaveAs(folder + "\\sampling2.csv");
    EXPECT_EQ(ReadAll(folder + "\\sampling2.csv"), std::string(kHeader) +
                                                       "0.010000, 1, 0, 0, 0, 3\r\n"
                                                       "0.011000, 2, 0, 0, 0, 4\r\n"
                                                       "0.012000, 0, 0, 0, 0, 5\r\n");
    // The auxiliary column needs the axis's auxiliary capture as well as the plot choice.
    s->AuxCapture = 0;
    SaveAs(folder + "\\noaux.csv");
    EXPECT_EQ(ReadAll(folder + "\\noaux.csv"), std::string(kHeader) +
                                                   "0.010000, 1, 0, 0, 0, 0\r\n"
                                                   "0.011000, 2, 0, 0, 0, 0\r\n"
                                                   "0.012000, 0, 0, 0, 0, 0\r\n");
}

TEST_F(TestDataFiles, ASavedTestReadsBackIntoTheCurrentAxis) {
    s->PlotTorque = s->PlotAuxiliary = s->AuxCapture = 1;
    s->LastTest.Delay = 0.004;
    s->LastTest.SamplePeriod = 0.001;
    s->LastTest.Sampling = 1;
    s->LastTest.SampleCount = 100;
    SampleSequence* channels[] = {&s->Capture.Actual[0], &s->Capture.Optimal[0], &s->Capture.Error[0],
                                  &s->Capture.Torque[0], &s->Capture.Auxiliary[0]};
    for (int k = 0; k < 5; ++k) {
        channels[k]->Clear();
        for (int j = 0; j < 100; ++j) channels[k]->Append(std::sin(j * 0.1 + k) * std::pow(10.0, k * 2 - 3));
    }
    std::vector<std::vector<double>> saved;
    for (SampleSequence* c : channels) saved.emplace_back(c->Data(), c->Data() + c->Length());
    SaveAs(folder + "\\roundtrip.csv");

    for (SampleSequence* c : channels) Fill(*c, {42});
    s->LastTest.Delay = 0;
    s->LastTest.RecordTime = 9;
    s->LastTest.Sampling = 3;
    s->LastTest.SampleCount = 1;
    s->TestDone = 0;
    Open(folder + "\\roundtrip.csv");

    EXPECT_TRUE(responder.Records().empty());
    EXPECT_EQ(s->TestDone, 1);
    EXPECT_EQ(s->LastTest.SampleCount, 100);
    EXPECT_EQ(s->LastTest.Sampling, 1);
    EXPECT_EQ(s->LastTest.Delay, 0.004);
    volatile double span = Printed("%.6f", 0.004 + 99 * 0.001) - 0.004;  // rounded to double, not kept in x87 precision
    EXPECT_EQ(s->LastTest.RecordTime, span);
    EXPECT_NEAR(s->LastTest.SamplePeriod, 0.001, 1e-12);  // the spacing of the rows read
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(channels[k]->Length(), 100u) << k;
        for (int j = 0; j < 100; ++j) ASSERT_EQ(channels[k]->At(j), Printed("%g", saved[k][j])) << k << " " << j;
    }
    // Saving what was read gives the same file again.
    SaveAs(folder + "\\again.csv");
    EXPECT_EQ(ReadAll(folder + "\\again.csv"), ReadAll(folder + "\\roundtrip.csv"));
}

// A fresh session has run no test, so nothing but the file can give the time
// column its spacing.
TEST_F(TestDataFiles, OpenThenSaveAsInAFreshSessionWritesTheSameFile) {
    const struct { double delay, period; int rows; } cases[] = {{0.012, 0.0005, 200}, {0.0, 0.001, 3}, {0.25, 0.002, 1}};
    for (const auto& c : cases) {
        std::string bytes = kHeader;
        for (int j = 0; j < c.rows; ++j) {
            char line[200];
            std::snprintf(line, sizeof line, "%.6f, %g, %g, %g, %g, %g\r\n", c.delay + j * c.period, j * 1.5,
                          j * 1.25, -0.25 * j, 0.0, 0.0);
            bytes += line;
        }
        const std::string read = folder + "\\read.csv", written = folder + "\\written.csv";
        WriteAll(read, bytes);
        Open(read);
        SaveAs(written);
        EXPECT_TRUE(responder.Records().empty());
        EXPECT_EQ(ReadAll(written), bytes) << c.rows << " rows every " << c.period << " s";
    }
}

TEST_F(TestDataFiles, AMillionRowsSaveAndReadBack) {
    s->LastTest.Delay = 0;
    s->LastTest.SamplePeriod = 0.0001;
    s->LastTest.Sampling = 1;
    s->LastTest.SampleCount = 1000000;
    for (int j = 0; j < 1000000; ++j) s->Capture.Actual[0].Append(j * 0.5);
    SaveAs(folder + "\\million.csv");
    s->Capture.ClearAxis(1);
    Open(folder + "\\million.csv");
    EXPECT_TRUE(responder.Records().empty());
    EXPECT_EQ(s->LastTest.SampleCount, 1000000);
    ASSERT_EQ(s->Capture.Actual[0].Length(), 1000000u);
    EXPECT_EQ(s->Capture.Actual[0].At(999999), Printed("%g", 999999 * 0.5));
    EXPECT_EQ(s->LastTest.RecordTime, Printed("%.6f", 999999 * 0.0001));
}

TEST_F(TestDataFiles, AFileThatCannotBeReadKeepsTheDataOnDisplay) {
    std::string missing = folder + "\\vanished.csv";
    WriteAll(missing, std::string(kHeader) + "0, 1, 2, 3, 4, 5\r\n");
    DeleteFileA(missing.c_str());  // chosen in the dialog, gone before the read
    WriteAll(folder + "\\header.csv", kHeader);
    WriteAll(folder + "\\empty.csv", "");
    std::string garbage = "\x7f" "ELF\x01\x01";
    for (int i = 0; i < 2000; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
    WriteAll(folder + "\\garbage.csv", garbage);
    CreateDirectoryA((folder + "\\folder.csv").c_str(), nullptr);
    struct Case {
        std::string name;
        const char* reason;  // null: the system's words
    } cases[] = {
        {"vanished.csv", nullptr}, {"header.csv", "It holds no data line."}, {"empty.csv", "It holds no data line."},
        {"garbage.csv", "It holds no data line."}, {"folder.csv", nullptr},
    };
    ExampleTest();
    s->LastTest.Sampling = 2;
    s->LastTest.RecordTime = 0.25;
    const TestSettings before = s->LastTest;
    for (const Case& c : cases) {
        responder.ClearRecords();
        if (&c == cases) {
            responder.Handle([](HWND box) {
                SaveWindowScreenshot(box, "test_data_open_error");
                PressButton(box, IDOK);
            });
        }
        std::string path = folder + "\\" + c.name;
        Open(path);
        ASSERT_EQ(responder.Records().size(), 1u) << c.name;
        const DialogRecord& box = responder.Records()[0];
        EXPECT_EQ(box.caption, "Loopsmith");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONWARNING | MB_OK)) << c.name;
        std::string start = "Unable to open the test data file\n" + path + "\n\n";
        EXPECT_EQ(box.text.substr(0, start.size()), start) << box.text;
        if (c.reason) EXPECT_EQ(box.text, start + c.reason + "\n\nThe data on display is kept.");
        EXPECT_EQ(s->Capture.Actual[0].Length(), 3u) << c.name;
        EXPECT_EQ(s->Capture.Actual[0].At(2), 12.5) << c.name;
        EXPECT_EQ(s->TestDone, 1) << c.name;
        EXPECT_EQ(s->LastTest.SampleCount, before.SampleCount) << c.name;
        EXPECT_EQ(s->LastTest.Sampling, before.Sampling) << c.name;
        EXPECT_EQ(s->LastTest.Delay, before.Delay) << c.name;
        EXPECT_EQ(s->LastTest.RecordTime, before.RecordTime) << c.name;
    }
}

TEST_F(TestDataFiles, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
    std::string readOnly = folder + "\\readonly.csv";
    WriteAll(readOnly, "old contents");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((folder + "\\folder.csv").c_str(), nullptr);
    struct Case {
        std::string path;
        const char* reason;
    } cases[] = {
        {readOnly, "The file is read-only."},
        {folder + "\\folder.csv", "A folder has this name."},
        {folder + "\\no such folder\\a.csv", nullptr},
    };
    ExampleTest();
    for (const Case& c : cases) {
        responder.ClearRecords();
        if (&c == cases) {
            responder.Handle([](HWND box) {
                SaveWindowScreenshot(box, "test_data_write_error");
                PressButton(box, IDOK);
            });
        }
        SaveAs(c.path);
        ASSERT_EQ(responder.Records().size(), 1u) << c.path;
        const DialogRecord& box = responder.Records()[0];
        EXPECT_EQ(box.caption, "Loopsmith");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
        std::string start = "Unable to write the file\n" + c.path + "\n\n";
        EXPECT_EQ(box.text.substr(0, start.size()), start) << box.text;
        if (c.reason) EXPECT_EQ(box.text, start + c.reason);
    }
    EXPECT_EQ(ReadAll(readOnly), "old contents");
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"folder.csv", "readonly.csv"}));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ReplacingFile, TheTargetChangesOnlyWhenTheWholeFileWasWritten) {
    std::string folder = FreshFolder("replace");
    std::string target = folder + "\\settings.zpc";
    WriteAll(target, "good old file");
    {
        ReplacingFile out;
        ASSERT_TRUE(out.Open(target.c_str()));
        out.Write(std::string(200000, 'x'));  // more than one buffer's worth reaches the disk
        EXPECT_EQ(FolderEntries(folder).size(), 2u);
        EXPECT_EQ(ReadAll(target), "good old file");
    }  // abandoned before Commit: as if the program stopped half-way
    EXPECT_EQ(ReadAll(target), "good old file");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"settings.zpc"});

    ReplacingFile out;
    ASSERT_TRUE(out.Open(target.c_str()));
    out.Write("new ");
    out.Write(std::string(70000, 'y'));
    ASSERT_TRUE(out.Commit()) << out.Error();
    EXPECT_EQ(ReadAll(target), "new " + std::string(70000, 'y'));
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"settings.zpc"});
    RemoveTree(folder);
}

}  // namespace
