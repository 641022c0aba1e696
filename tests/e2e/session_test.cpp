// A user's session with Loopsmith.exe on the simulated bench, driven only from
// outside the program's process: the main window, the gain panel and its
// controls are found by id, buttons are clicked and keys and menu commands are
// sent as window messages, and message boxes are answered by pressing their
// buttons. What the program leaves behind is checked: the controller call
// journal, the registry, and the placement and plot choices a second run shows.
// Each stage leaves a screenshot in bin/screenshots (e2e_session_*.png).
#include <gtest/gtest.h>

#include <commctrl.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <functional>
#include <string>
#include <vector>

#include "history/history_file.h"
#include "journal.h"
#include "process.h"
#include "registry.h"
#include "resources/app_ids.h"
#include "resources/history_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "screenshot.h"

namespace {

const char kKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith";
const char kAxisKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith\\Axis0:1";

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    DWORD end = GetTickCount() + static_cast<DWORD>(timeoutMs);
    do {
        if (done()) return true;
        Sleep(50);
    } while (static_cast<int>(end - GetTickCount()) > 0);
    return done();
}

size_t CountCalls(const Journal& journal, const char* name) {
    return Journal::Filter(journal.Lines(), {name}).size();
}

// A dialog box (#32770) of the program with this caption, waiting up to timeoutMs.
HWND WaitDialog(const ProgramProcess& program, const std::string& caption, int timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND w : program.TopWindows()) {
                char cls[64] = {}, text[256] = {};
                GetClassNameA(w, cls, sizeof cls);
                GetWindowTextA(w, text, sizeof text);
                if (lstrcmpA(cls, "#32770") == 0 && caption == text) found = w;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

// Captions and texts of every dialog box the program shows at the moment.
std::string OpenDialogs(const ProgramProcess& program) {
    std::string list;
    for (HWND w : program.TopWindows()) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") != 0) continue;
        DialogRecord r = DescribeDialog(w);
        list += "[" + r.caption + ": " + r.text + "] ";
    }
    return list;
}

// Sends a command as the menu would and waits until the window procedure has run it.
void Command(HWND main, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 60000, &result);
}

// Waits until a step test started from outside has fetched its capture and the
// window answers messages again.
bool WaitStepDone(HWND main, const Journal& journal, size_t movesBefore, size_t fetchesBefore) {
    if (!WaitFor([&] { return CountCalls(journal, "ZqMoveRelative") > movesBefore; }, 30000)) return false;
    if (!WaitFor([&] { return CountCalls(journal, "ZqGetCaptureData") > fetchesBefore; }, 30000)) return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
}

// Drags a gain slider's thumb to a fraction of its travel from the top, as the
// trackbar reports a finished drag to its parent.
void Drag(HWND slider, double fromTop) {
    HWND trackbar = GetDlgItem(slider, IDC_SLIDER_TRACKBAR);
    ASSERT_NE(trackbar, nullptr);
    int pos = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0) * fromTop);
    SendMessageA(trackbar, TBM_SETPOS, TRUE, pos);
    SendMessageA(slider, WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(trackbar));
    SendMessageA(slider, WM_VSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(trackbar));
}

std::string Shot(HWND window, const std::string& stage) {
    SetForegroundWindow(window);
    Sleep(300);
    return SaveWindowScreenshot(window, "e2e_session_" + stage);
}

BOOL CALLBACK FirstVisibleEdit(HWND child, LPARAM found) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Types a full path into the program's file name dialog and presses its OK.
void AnswerFileDialog(const ProgramProcess& program, HWND main, const char* caption, const std::string& path) {
    HWND dialog = WaitDialog(program, caption, 20000);
    ASSERT_NE(dialog, nullptr) << OpenDialogs(program);
    // The file name box: the first visible edit control, inside a combo box or not.
    HWND edit = nullptr;
    EnumChildWindows(dialog, FirstVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 20000)) << OpenDialogs(program);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<unsigned char> Bytes(const char* name) { return ReadRegValue(HKEY_CURRENT_USER, kKey, name).bytes; }

TEST(UserSession, TunesAnAxisAndFindsItsSettingsAgainAfterARestart) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    Journal journal("session");  // the program inherits ZQSIM_JOURNAL from this process
    std::string exe = BinFolder() + "\\Loopsmith.exe";
    const char* plotValues[] = {"PlotActual", "PlotAuxiliary", "PlotOptimal", "PlotError",
                                "PlotTorque", "PlotTarget", "PlotStyle"};
    std::vector<std::vector<unsigned char>> plotChoices;

    {
        ProgramProcess program(exe, "");
        ASSERT_TRUE(program.Started());
        HWND main = program.WaitWindow("Loopsmith", 30000);
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, nullptr, 40, 30, 960, 680, SWP_NOZORDER);
        HWND panel = GetDlgItem(main, IDC_PANEL);
        ASSERT_NE(panel, nullptr);
        auto control = [&](int id) { return GetDlgItem(panel, id); };
        EXPECT_TRUE(WaitFor([&] { return CountCalls(journal, "ZqOpen") == 1; }, 10000));
        Shot(main, "01_started");

        // Motor On: the lamp's timer turns the step buttons on.
        ASSERT_FALSE(IsWindowEnabled(control(IDC_STEP_PLUS)));
        SendMessageA(control(IDC_MOTOR_ON), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(control(IDC_STEP_PLUS)) && IsWindowEnabled(control(IDC_STEP_MINUS)); },
                            10000))
            << OpenDialogs(program);
        auto enables = Journal::Filter(journal.Lines(), {"ZqEnableAxis"});
        ASSERT_FALSE(enables.empty());
        EXPECT_EQ(enables.back().substr(enables.back().find(',')), ", 1, 1)") << enables.back();
        Shot(main, "02_motor_on");

        // The P slider dragged to a quarter of its travel from the top writes a new
        // gain; more D damps the ringing.
        size_t writes = CountCalls(journal, "ZqSetGain");
        Drag(control(IDC_SLIDER_P), 0.25);
        EXPECT_GT(CountCalls(journal, "ZqSetGain"), writes);
        size_t filters = CountCalls(journal, "ZqSetFilterConfig");
        Drag(control(IDC_SLIDER_D), 0.6);
        EXPECT_GT(CountCalls(journal, "ZqSetFilterConfig"), filters);
        char readout[64] = {};
        GetDlgItemTextA(control(IDC_SLIDER_P), IDC_SLIDER_READOUT, readout, sizeof readout);
        EXPECT_STREQ(readout, "15.0000");  // 75 % of the floating-point full scale 20
        Shot(main, "03_p_slider");

        // F5 through the accelerator table: a plus step with its capture.
        size_t moves = CountCalls(journal, "ZqMoveRelative"), fetches = CountCalls(journal, "ZqGetCaptureData");
        const size_t plusFrom = moves;
        PostMessageA(main, WM_KEYDOWN, VK_F5, 0x003F0001);
        PostMessageA(main, WM_KEYUP, VK_F5, 0xC03F0001);
        ASSERT_TRUE(WaitStepDone(main, journal, moves, fetches)) << OpenDialogs(program);
        auto plus = Journal::Filter(journal.Lines(), {"ZqMoveRelative"});
        Shot(main, "04_step_plus");

        // Ctrl+F5 as its menu command: the minus step moves the other way.
        moves = CountCalls(journal, "ZqMoveRelative");
        fetches = CountCalls(journal, "ZqGetCaptureData");
        Command(main, IDM_STEP_MINUS);
        ASSERT_TRUE(WaitStepDone(main, journal, moves, fetches)) << OpenDialogs(program);
        auto minus = Journal::Filter(journal.Lines(), {"ZqMoveRelative"});
        ASSERT_GT(minus.size(), plus.size());
        std::string firstPlus = plus[plusFrom];
        std::string firstMinus = minus[plus.size()];
        EXPECT_NE(firstPlus, firstMinus);
        EXPECT_NE(firstMinus.find("-"), std::string::npos) << firstMinus;
        Shot(main, "05_step_minus");
        EXPECT_EQ(OpenDialogs(program), "");

        // Save As CSV: the header and one line per sample, each ending in CR LF.
        std::string folder = MakeTempFolder("session");
        std::string csv = folder + "\\tuned.csv", zpcl = folder + "\\axes.zpcl";
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_SAVE_AS, 0), 0);
        AnswerFileDialog(program, main, "Save As", csv);
        std::string saved = ReadFile(csv);
        ASSERT_EQ(saved.rfind("Time, Actual, Optimal, Error, Torque\r\n", 0), 0u) << saved.substr(0, 200);
        std::istringstream lines(saved.substr(saved.find('\n') + 1));
        std::string line;
        size_t rows = 0;
        while (std::getline(lines, line)) {
            ASSERT_FALSE(line.empty());
            ASSERT_EQ(line.back(), '\r') << rows;
            double t, a, o, e, q, x;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf, %lf, %lf, %lf, %lf, %lf", &t, &a, &o, &e, &q, &x), 6) << line;
            char time[32];
            std::snprintf(time, sizeof time, "%.6f, ", t);
            EXPECT_EQ(line.rfind(time, 0), 0u) << line;
            ++rows;
        }
        EXPECT_GT(rows, 100u);
        Shot(main, "06_saved");

        // Clear, then Open brings the saved curves back.
        SendMessageA(control(IDC_CLEAR), BM_CLICK, 0, 0);
        Shot(main, "07_cleared");
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_OPEN, 0), 0);
        AnswerFileDialog(program, main, "Open", csv);
        EXPECT_EQ(OpenDialogs(program), "");
        Shot(main, "08_opened");

        // Export ZPCL: the axis's gains as the sliders set them, 5 decimals on this controller.
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_EXPORT_ZPCL, 0), 0);
        AnswerFileDialog(program, main, "Save As", zpcl);
        std::string exported = ReadFile(zpcl);
        EXPECT_NE(exported.find(";Axis 1 setup\r\n"), std::string::npos) << exported;
        EXPECT_NE(exported.find("\n1SG15.00000\t\t;Proportional Gain\r\n"), std::string::npos) << exported;
        EXPECT_NE(exported.find("\n1SD8.00000\t\t;Derivative Gain\r\n"), std::string::npos) << exported;

        // Switching plot styles in Test Setup joins this session once the setup sheet is in the program.

        // Print to the default printer when there is one: the print dialog's OK.
        DWORD needed = 0, count = 0;
        EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
        if (needed > 0) {
            PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_PRINT, 0), 0);
            HWND print = WaitDialog(program, "Print", 20000);
            ASSERT_NE(print, nullptr) << OpenDialogs(program);
            Shot(print, "09_print_dialog");
            SendMessageA(GetDlgItem(print, IDOK), BM_CLICK, 0, 0);
            DWORD_PTR result = 0;
            EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) && !WaitDialog(program, "Print", 0); }, 60000));
            SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
            EXPECT_EQ(WaitDialog(program, "Printer Error", 500), nullptr) << OpenDialogs(program);
        }

        // Clear empties the plot; printing then has nothing to report.
        SendMessageA(control(IDC_CLEAR), BM_CLICK, 0, 0);
        Shot(main, "10_cleared_again");
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_PRINT, 0), 0);
        HWND nothing = WaitDialog(program, "Print Error", 10000);
        ASSERT_NE(nothing, nullptr) << OpenDialogs(program);
        EXPECT_EQ(DescribeDialog(nothing).text, "Cannot print - No tests have been performed");
        SendMessageA(GetDlgItem(nothing, IDOK), BM_CLICK, 0, 0);

        // Reset Controller, answered OK.
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_RESET_CONTROLLER, 0), 0);
        HWND reset = WaitDialog(program, "Reset", 10000);
        ASSERT_NE(reset, nullptr) << OpenDialogs(program);
        EXPECT_EQ(DescribeDialog(reset).text, "This will reset all controller settings to their default values. Proceed?");
        Shot(reset, "11_reset_question");
        SendMessageA(GetDlgItem(reset, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return CountCalls(journal, "ZqReset") == 1; }, 10000));
        auto resets = Journal::Filter(journal.Lines(), {"ZqReset"});
        ASSERT_EQ(resets.size(), 1u);
        EXPECT_EQ(resets[0].substr(resets[0].find(',')), ", 0)");

        // Import ZPCL hands the exported file to the dialogs library's download,
        // between two reopens of the controller. (Gains read back on the sliders
        // after the import join this check once the library's download applies files.)
        size_t reopens = CountCalls(journal, "ZqReopen");
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_IMPORT_ZPCL, 0), 0);
        AnswerFileDialog(program, main, "Open", zpcl);
        auto downloads = Journal::Filter(journal.Lines(), {"ZQDLG_DownloadFile"});
        ASSERT_EQ(downloads.size(), 1u);
        EXPECT_NE(downloads[0].find("axes.zpcl"), std::string::npos) << downloads[0];
        EXPECT_EQ(CountCalls(journal, "ZqReopen"), reopens + 2);
        Shot(main, "12_imported");

        // Exit: the tuning parameters changed, so the program asks; Yes saves the axis.
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
        HWND question = WaitDialog(program, "Exit", 10000);
        ASSERT_NE(question, nullptr) << OpenDialogs(program);
        EXPECT_EQ(DescribeDialog(question).text, "Do you wish to save the changes you\n have made to your tuning parameters?");
        Shot(question, "13_exit_question");
        SendMessageA(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
        ASSERT_EQ(program.WaitExit(30000), 0u);
    }
    EXPECT_EQ(CountCalls(journal, "ZQDLG_SaveAxis"), 1u);
    EXPECT_EQ(CountCalls(journal, "ZqClose"), 1u);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "XPos").AsInt(), 40);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "YPos").AsInt(), 30);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "ControllerID").AsInt(), 0);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Axis").AsInt(), 1);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kAxisKey));
    for (const char* name : plotValues) {
        plotChoices.push_back(Bytes(name));
        EXPECT_FALSE(plotChoices.back().empty()) << name;
    }

    // A second run shows the window where the first one left it and keeps its
    // plot choices: closing it writes the same values back.
    {
        ProgramProcess program(exe, "");
        ASSERT_TRUE(program.Started());
        HWND main = program.WaitWindow("Loopsmith", 30000);
        ASSERT_NE(main, nullptr);
        RECT rc;
        GetWindowRect(main, &rc);
        EXPECT_EQ(rc.left, 40);
        EXPECT_EQ(rc.top, 30);
        EXPECT_EQ(rc.right - rc.left, 960);
        EXPECT_EQ(rc.bottom - rc.top, 680);
        Shot(main, "14_restarted");
        for (const char* name : plotValues) RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, name);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
        // Nothing was changed in this run: no save question.
        ASSERT_EQ(program.WaitExit(30000), 0u) << OpenDialogs(program);
    }
    for (size_t i = 0; i < plotChoices.size(); ++i) EXPECT_EQ(Bytes(plotValues[i]), plotChoices[i]) << plotValues[i];
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

// Two bench tests with different P, then the history window's export: one
// row per test, oldest first, each with the gain the P slider showed.
TEST(UserSession, HistoryExportHoldsTheGainsOfEachTest) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    DeleteFileA(HistoryFilePath(0, 1).c_str());  // rows of earlier sessions would be read back
    Journal journal("history");
    ProgramProcess program(BinFolder() + "\\Loopsmith.exe", "");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitWindow("Loopsmith", 30000);
    ASSERT_NE(main, nullptr);
    HWND panel = GetDlgItem(main, IDC_PANEL);
    ASSERT_NE(panel, nullptr);
    SetWindowPos(main, nullptr, 40, 30, 960, 680, SWP_NOZORDER);
    auto control = [&](int id) { return GetDlgItem(panel, id); };
    EXPECT_TRUE(WaitFor([&] { return CountCalls(journal, "ZqOpen") == 1; }, 10000));
    Shot(main, "15_history_started");
    SendMessageA(control(IDC_MOTOR_ON), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(control(IDC_STEP_PLUS)) && IsWindowEnabled(control(IDC_STEP_MINUS)); },
                        10000))
        << OpenDialogs(program);

    std::vector<std::string> shown;
    for (double fromTop : {0.25, 0.5}) {
        Drag(control(IDC_SLIDER_P), fromTop);
        char readout[64] = {};
        GetDlgItemTextA(control(IDC_SLIDER_P), IDC_SLIDER_READOUT, readout, sizeof readout);
        shown.push_back(readout);
        size_t moves = CountCalls(journal, "ZqMoveRelative"), fetches = CountCalls(journal, "ZqGetCaptureData");
        Command(main, IDM_STEP_PLUS);
        ASSERT_TRUE(WaitStepDone(main, journal, moves, fetches))
            << OpenDialogs(program) << " calls " << journal.Lines().size() << " last "
            << (journal.Lines().empty() ? "" : journal.Lines().back());
    }
    ASSERT_NE(shown[0], shown[1]);

    // Ctrl+H through the accelerator table opens the history window.
    SetForegroundWindow(main);
    Sleep(300);
    PostMessageA(main, WM_KEYDOWN, VK_CONTROL, 0x001D0001);
    PostMessageA(main, WM_KEYDOWN, 'H', 0x00230001);
    PostMessageA(main, WM_KEYUP, 'H', 0xC0230001);
    PostMessageA(main, WM_KEYUP, VK_CONTROL, 0xC01D0001);
    HWND history = WaitDialog(program, "Test History", 20000);
    if (!history) {  // keys posted before the window had the focus: the menu command
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_HISTORY, 0), 0);
        history = WaitDialog(program, "Test History", 20000);
    }
    ASSERT_NE(history, nullptr) << OpenDialogs(program);
    EXPECT_EQ(SendDlgItemMessageA(history, IDC_HISTORY_LIST, LVM_GETITEMCOUNT, 0, 0), 2);
    Shot(history, "16_history");

    std::string path = MakeTempFolder("history") + "\\runs.csv";
    PostMessageA(history, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_EXPORT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(history, IDC_HISTORY_EXPORT)));
    AnswerFileDialog(program, main, "Export History", path);
    std::string exported = ReadFile(path);
    std::istringstream lines(exported);
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line)) rows.push_back(line);
    ASSERT_EQ(rows.size(), 3u) << exported;
    EXPECT_EQ(rows[0].rfind("Run,Time,Controller,Axis,Source,P,I,D,", 0), 0u) << rows[0];
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(rows[i + 1]);
        std::vector<std::string> fields;
        std::stringstream split(rows[i + 1]);
        std::string field;
        while (std::getline(split, field, ',')) fields.push_back(field);
        ASSERT_GE(fields.size(), 8u);
        EXPECT_EQ(fields[3], "1");                               // Axis
        EXPECT_DOUBLE_EQ(std::atof(fields[5].c_str()), std::atof(shown[i].c_str()));  // P, oldest first
        EXPECT_EQ(rows[i + 1].back(), '\r');
    }
    // Close ends the history window; no other box is left open.
    PostMessageA(history, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(history); }, 10000));
    EXPECT_EQ(OpenDialogs(program), "");

    // Leave without saving the changed tuning parameters.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    HWND question = WaitDialog(program, "Exit", 10000);
    if (question) SendMessageA(GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitExit(30000), 0u);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

}  // namespace
