// Response metrics and the test history on the real main window: the metrics
// box and markers after a bench test, the "Response metrics" choice, the Test
// History window's list, overlays, Restore Gains, Export and the history file.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/test_metrics.h"
#include "controller/zq_library.h"
#include "app_fixture.h"
#include "bench_step.h"
#include "extras_recorder.h"
#include "core/settings.h"
#include "file_dialog_recorder.h"
#include "history/history_file.h"
#include "history/history_format.h"
#include "history/history_runs.h"
#include "history/history_window.h"
#include "journal.h"
#include "libs/plotwin/plotwin.h"
#include "panel/gain_slider.h"
#include "plot/plot_display.h"
#include "resources/app_ids.h"
#include "resources/history_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "steptest/step_run.h"
#include "temp_files.h"

namespace {

// The message boxes the responder saw (it also sees the modeless window activated again).
std::vector<DialogRecord> MessageBoxes(const Responder& r) {
    std::vector<DialogRecord> boxes;
    for (const DialogRecord& d : r.Records())
        if (d.messageBox) boxes.push_back(d);
    return boxes;
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }
    void TearDown() override { CloseAnswering(app); }
    void Start() {
        ASSERT_NE(app.Start(""), nullptr);
        AppState& s = app.State();
        ReadyBenchStepTest(app);
        s.Test.Trajectory = 1;
        s.PlotStyle = kPlotSingle;
    }
    AppState& S() { return app.State(); }
    void SetP(double p) { S().PropGain.Access(S().ControllerHandle, static_cast<unsigned short>(S().Axis), 0, &p, nullptr); }
    HWND List() { return GetDlgItem(HistoryWindow(), IDC_HISTORY_LIST); }
    std::string Cell(int row, int column) {
        char text[128] = {};
        ListView_GetItemText(List(), row, column, text, sizeof text);
        return text;
    }
    void Select(std::initializer_list<int> rows) {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
        for (int r : rows) ListView_SetItemState(List(), r, LVIS_SELECTED, LVIS_SELECTED);
    }
    std::string HistoryFile() { return HistoryFilePath(S().ControllerID, S().Axis); }

    IsolatedRegistry registry;
    ScratchHistory history{"historyroot"};
    LoopsmithApp app;
};

TEST_F(HistoryTest, MetricsBoxAndMarkersAfterABenchTest) {
    ExtrasRecorder pane0(S().PlotPanes[0]);
    RunStepTest(app.Main(), 1);
    ASSERT_EQ(S().TestDone, 1);
    std::vector<MoveMetrics> moves = MeasureDisplayedTest(S());
    ASSERT_EQ(moves.size(), 1u);
    const MoveMetrics& m = moves[0];
    ASSERT_TRUE(m.riseTime && m.overshoot && m.peakError);
    EXPECT_TRUE(pane0.hasText);
    EXPECT_EQ(pane0.text, MetricsSummary(m));
    EXPECT_EQ(pane0.text.rfind("Rise ", 0), 0u);
    // The markers lie on the drawn curve: 10 % and 90 % of the 100-unit move,
    // the band around 100, the rise crossings in time order on the pane's x axis.
    ASSERT_EQ(pane0.markers.size(), static_cast<size_t>(kMarkerCount));
    EXPECT_DOUBLE_EQ(pane0.markers[kMarkRiseLowY], 10.0);
    EXPECT_DOUBLE_EQ(pane0.markers[kMarkRiseHighY], 90.0);
    EXPECT_DOUBLE_EQ(pane0.markers[kMarkBandLow], 98.0);
    EXPECT_DOUBLE_EQ(pane0.markers[kMarkBandHigh], 102.0);
    EXPECT_LT(pane0.markers[kMarkRiseLowX], pane0.markers[kMarkRiseHighX]);
    EXPECT_GT(pane0.markers[kMarkRiseLowX], 0.0);
    EXPECT_LT(pane0.markers[kMarkRiseHighX], 100.0);
    EXPECT_NEAR(pane0.markers[kMarkRiseHighX] - pane0.markers[kMarkRiseLowX], *m.riseTime * 1000, 0.5);
    EXPECT_DOUBLE_EQ(pane0.markers[kMarkPeakY], *m.peakValue);
    SetWindowPos(app.Main(), nullptr, 0, 0, 1000, 640, SWP_NOMOVE | SWP_NOZORDER);
    UpdatePlots(app.Main());
    EXPECT_FALSE(SaveWindowScreenshot(app.Main(), "history_metrics_pane0").empty());

    // "Response metrics" off: neither box nor markers; the choice is stored.
    S().PlotMetrics = 0;
    UpdatePlots(app.Main());
    EXPECT_FALSE(pane0.hasText);
    EXPECT_TRUE(pane0.markers.empty());
    SaveSettings(S());
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quelmont\\Draxwell\\Loopsmith", 0, KEY_READ, &key), 0);
    BYTE value = 7;
    DWORD type = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "PlotMetrics", nullptr, &type, &value, &size), 0);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(value, 0);
    S().PlotMetrics = 1;
    LoadSettings(S());
    EXPECT_EQ(S().PlotMetrics, 0);
}

TEST_F(HistoryTest, ListOverlaysRestoreAndExport) {
    ExtrasRecorder pane0(S().PlotPanes[0]);
    const double gains[] = {0.5, 0.8, 1.2};
    for (double p : gains) {
        SetP(p);
        RunStepTest(app.Main(), 1);
    }
    app.Command(IDM_HISTORY);
    ASSERT_NE(HistoryWindow(), nullptr);
    HWND window = HistoryWindow();
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Test History");
    EXPECT_EQ(GetWindow(window, GW_OWNER), app.Main());
    app.Command(IDM_HISTORY);  // brings the same window forward
    EXPECT_EQ(HistoryWindow(), window);

    ASSERT_EQ(ListView_GetItemCount(List()), 3);
    HWND header = ListView_GetHeader(List());
    ASSERT_EQ(Header_GetItemCount(header), kHistoryColumnCount);
    const char* names[] = {"Run", "Time", "P", "I", "D", "Rise (ms)", "Overshoot (%)", "Settling (ms)",
                           "Peak Error", "RMS Error", "Peak Torque", "Skew"};
    for (int c = 0; c < kHistoryColumnCount; ++c) {
        char text[64] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, c, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, names[c]);
    }
    // Newest first, with the gains in force.
    EXPECT_EQ(Cell(0, 0), "3");
    EXPECT_EQ(Cell(0, 2), "1.2");
    EXPECT_EQ(Cell(2, 0), "1");
    EXPECT_EQ(Cell(2, 2), "0.5");
    EXPECT_FALSE(Cell(0, 5).empty());
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_HISTORY_OVERLAY), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_HISTORY_RESTORE)));

    // Selecting runs 1 and 2 overlays their curves, the metrics box stays.
    const std::string box = pane0.text;
    Select({1, 2});
    ASSERT_EQ(pane0.overlayNames.size(), 2u);
    EXPECT_EQ(pane0.overlayNames[0], "Run 2");
    EXPECT_EQ(pane0.overlayNames[1], "Run 1");
    EXPECT_EQ(pane0.overlays[0].size(), ChannelFor(S(), Channel::Actual, 0)->Length());
    EXPECT_EQ(pane0.text, box);
    EXPECT_EQ(SendMessageA(S().PlotPanes[0], PWM_GETOVERLAYCOUNT, 0, 0), 2);
    Select({0, 1, 2});
    EXPECT_EQ(SendMessageA(S().PlotPanes[0], PWM_GETOVERLAYCOUNT, 0, 0), 3);
    {
        // The main window with its overlaid pane, the history window set beside it for the picture.
        RECT history, main;
        GetWindowRect(window, &history);
        GetWindowRect(app.Main(), &main);
        SetWindowPos(window, nullptr, main.right + 10, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_FALSE(SaveWindowScreenshot(app.Main(), "history_overlay_three_runs").empty());
        SetWindowPos(window, nullptr, history.left, history.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EXPECT_FALSE(SaveWindowScreenshot(window, "history_window").empty());
    // Unchecking the box takes the overlays away.
    SendMessageA(GetDlgItem(window, IDC_HISTORY_OVERLAY), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(S().PlotPanes[0], PWM_GETOVERLAYCOUNT, 0, 0), 0);
    SendMessageA(GetDlgItem(window, IDC_HISTORY_OVERLAY), BM_CLICK, 0, 0);

    // Restore Gains writes run 1's P, I and D as the sliders do, with and without sharing.
    Select({2});
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_HISTORY_RESTORE)));
    for (int gantry : {0, 1}) {
        SCOPED_TRACE(gantry);
        S().Gantry = static_cast<BYTE>(gantry);
        S().GantryMaster = 1;
        S().GantrySlave = 2;
        S().GantryShare = 1;
        S().Modified = 0;
        Journal journal(gantry ? "restoregantry" : "restore");
        SendMessageA(GetDlgItem(window, IDC_HISTORY_RESTORE), BM_CLICK, 0, 0);
        std::vector<std::string> writes = Journal::Filter(journal.Lines(), {"ZqSetGain", "ZqSetFilterConfig"});
        const std::string h = std::to_string(S().ControllerHandle);
        std::vector<std::string> want = {"ZqSetGain(" + h + ", 1, 0.5)"};
        if (gantry) want.push_back("ZqSetGain(" + h + ", 2, 0.5)");
        for (int k = 0; k < 2; ++k) {
            want.push_back("ZqSetFilterConfig(" + h + ", 1, &)");
            if (gantry) want.push_back("ZqSetFilterConfig(" + h + ", 2, &)");
        }
        EXPECT_EQ(writes, want);
        EXPECT_EQ(S().Modified, 1);
        EXPECT_DOUBLE_EQ(S().PropGain.Access(S().ControllerHandle, 1, 0, nullptr, nullptr), 0.5);
        if (gantry) EXPECT_DOUBLE_EQ(S().PropGain.Access(S().ControllerHandle, 2, 0, nullptr, nullptr), 0.5);
    }
    S().Gantry = 0;

    // Export: the save dialog, then the runs oldest first in the header's columns.
    const std::string exported = history.Folder() + "\\export.csv";
    {
        FileDialogRecorder dialogs;
        dialogs.Answer(exported);
        SendMessageA(GetDlgItem(window, IDC_HISTORY_EXPORT), BM_CLICK, 0, 0);
        ASSERT_EQ(dialogs.Calls().size(), 1u);
        const FileDialogCall& call = dialogs.Calls()[0];
        EXPECT_TRUE(call.save);
        EXPECT_EQ(std::string(call.filter.data()), "CSV Files (*.csv)");
        EXPECT_EQ(std::string(call.filter.data() + 18), "*.csv");
        EXPECT_EQ(call.defaultExt, "csv");
    }
    std::string bytes = ReadAll(exported);
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], kHistoryHeader);
    for (int k = 0; k < 3; ++k) {
        HistoryRun run;
        ASSERT_TRUE(ParseHistoryRow(lines[k + 1], run)) << lines[k + 1];
        EXPECT_EQ(run.Number, k + 1);
        EXPECT_EQ(run.Source, "test");
        EXPECT_EQ(*run.P, gains[k]);
        EXPECT_EQ(*run.Distance, 100.0);
        EXPECT_TRUE(run.RiseTime.has_value());
        EXPECT_EQ(lines[k + 1], FormatHistoryRow(*S().History->Find(S().ControllerID, S().Axis, k + 1)));
    }
    EXPECT_EQ(ReadAll(HistoryFile()), bytes);  // the history file holds the same rows

    // A failing export says so and leaves the existing file as it was.
    {
        FileDialogRecorder dialogs;
        dialogs.Answer(history.Folder() + "\\no such folder\\export.csv");
        Responder responder;
        responder.Press(IDOK);
        SendMessageA(GetDlgItem(window, IDC_HISTORY_EXPORT), BM_CLICK, 0, 0);
        std::vector<DialogRecord> boxes = MessageBoxes(responder);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Loopsmith");
        EXPECT_NE(boxes[0].text.find("Unable to write"), std::string::npos);
    }
    {
        WriteAll(exported, "keep me");
        SetFileAttributesA(exported.c_str(), FILE_ATTRIBUTE_READONLY);
        FileDialogRecorder dialogs;
        dialogs.Answer(exported);
        Responder responder;
        responder.Press(IDOK);
        SendMessageA(GetDlgItem(window, IDC_HISTORY_EXPORT), BM_CLICK, 0, 0);
        EXPECT_EQ(MessageBoxes(responder).size(), 1u);
        SetFileAttributesA(exported.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadAll(exported), "keep me");
    }

    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(HistoryWindow(), nullptr);
    EXPECT_EQ(SendMessageA(S().PlotPanes[0], PWM_GETOVERLAYCOUNT, 0, 0), 0);
}

TEST_F(HistoryTest, RowsSurviveARestartAndDamagedLinesAreSkipped) {
    SetP(0.7);
    RunStepTest(app.Main(), 1);
    RunStepTest(app.Main(), 0);
    const std::string file = HistoryFile();
    std::string before = ReadAll(file);
    ASSERT_FALSE(before.empty());
    // Damage: a foreign line, a cut line, a line of another axis, a repeated number.
    WriteAll(file, before + "garbage,1,2\r\n3,2026-01-01T00:00:00,0,1,test,1,2\r\n" +
                       "9,2026-01-01T00:00:00,0,3,test,,,,,,,,,,,,,,,,,,,\r\n" +
                       "1,2026-01-01T00:00:00,0,1,other,,,,,,,,,,,,,,,,,,,\r\n\x01\xff\r\n" + "cut at the end");
    CloseAnswering(app);
    Start();
    app.Command(IDM_HISTORY);
    ASSERT_NE(HistoryWindow(), nullptr);
    ASSERT_EQ(ListView_GetItemCount(List()), 2);
    EXPECT_EQ(Cell(0, 0), "2");
    EXPECT_EQ(Cell(1, 2), "0.7");
    std::vector<const HistoryRun*> runs = S().History->RunsOf(S().ControllerID, S().Axis);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0]->Actual.empty());  // rows only, no curves
    // The next run continues the numbers; the file is appended to, never rewritten.
    RunStepTest(app.Main(), 1);
    EXPECT_EQ(ListView_GetItemCount(List()), 3);
    EXPECT_EQ(Cell(0, 0), "3");
    std::string after = ReadAll(file);
    EXPECT_EQ(after.rfind(before, 0), 0u);
    EXPECT_NE(after.find("cut at the end\r\n3,"), std::string::npos);
    // A run without a curve is not overlaid; a run without gains cannot be restored.
    Select({1});
    EXPECT_EQ(SendMessageA(S().PlotPanes[0], PWM_GETOVERLAYCOUNT, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(HistoryWindow(), IDC_HISTORY_RESTORE)));
}

}  // namespace
