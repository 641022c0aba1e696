// Help: the pages that Help Topics, the PID Setup dialog's Help button and F1
// in each of the program's windows open; the message for a page that is not
// there; and WinHelp when a help file stands beside the program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include "core/help_file.h"
#include "resources/app_ids.h"
#include "resources/limits_dialog_ids.h"
#include "responder.h"
#include "steptest/step_progress.h"
#include "temp_files.h"

namespace {

struct Opened { HWND window; std::string verb, file; };
std::vector<Opened> g_opened;
INT_PTR g_openResult = 42;
HINSTANCE WINAPI RecordOpen(HWND window, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
    g_opened.push_back({window, verb ? verb : "", file ? file : ""});
    return reinterpret_cast<HINSTANCE>(g_openResult);
}

struct WinHelpCall { UINT command; std::string key; };
std::vector<WinHelpCall> g_winHelp;
BOOL WINAPI RecordWinHelp(HWND, LPCSTR file, UINT command, ULONG_PTR data) {
    g_winHelp.push_back({command, command == HELP_KEY ? reinterpret_cast<const char*>(data) : ""});
    return TRUE;
}

// The page names opened, relative to the help folder.
std::vector<std::string> Pages() {
    std::vector<std::string> pages;
    for (const Opened& o : g_opened)
        pages.push_back(o.file.rfind(HelpFolder, 0) == 0 ? o.file.substr(strlen(HelpFolder)) : o.file);
    return pages;
}

// Presses F1 in the window that has the focus (or in the dialog itself) and
// lets the key reach the thread's message loop.
void PressF1(HWND dialog) {
    HWND focus = GetFocus();
    HWND target = focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
    PostMessageA(target, WM_KEYDOWN, VK_F1, 0x003B0001);
    PostMessageA(target, WM_KEYUP, VK_F1, 0xC03B0001);
    PumpMessages(60);
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_opened.clear();
        g_winHelp.clear();
        g_openResult = 42;
        HelpOpenFunction = RecordOpen;
        HelpWinHelpFunction = RecordWinHelp;
        ASSERT_NE(app.Start(), nullptr);
    }
    void TearDown() override {
        HelpOpenFunction = ShellExecuteA;
        HelpWinHelpFunction = WinHelpA;
    }
    IsolatedRegistry registry;
    LoopsmithApp app;
};

TEST_F(HelpTest, HelpTopicsAndPidSetupHelpOpenTheirPagesInTheBrowser) {
    app.Command(IDM_HELP_TOPICS);
    Responder responder;
    HWND pidSetup = nullptr;
    responder.Handle([&](HWND dialog) {
        pidSetup = dialog;
        PressButton(dialog, IDC_PID_HELP);
        PressButton(dialog, IDCANCEL);
    });
    app.Command(IDM_PID_SLIDER_SETUP);
    ASSERT_EQ(g_opened.size(), 2u);
    EXPECT_EQ(g_opened[0].window, app.Main());
    EXPECT_EQ(g_opened[1].window, pidSetup);
    for (const Opened& o : g_opened) EXPECT_EQ(o.verb, "open");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"index.html", "pid-slider-setup.html"}));
    // The pages named here are the ones the build put beside the program.
    for (const Opened& o : g_opened)
        EXPECT_NE(GetFileAttributesA(o.file.c_str()), INVALID_FILE_ATTRIBUTES) << o.file;
    EXPECT_TRUE(responder.Records().size() == 1 && !responder.Records()[0].messageBox);
}

// F1 in the main window and in every dialog, sheet page and message box the
// menu commands bring up opens that window's own topic.
TEST_F(HelpTest, F1OpensTheTopicOfTheWindowItIsPressedIn) {
    PressF1(app.Main());
    EXPECT_EQ(Pages(), (std::vector<std::string>{"gain-panel.html"}));

    const struct { int command; std::vector<std::string> pages; bool sheet; } cases[] = {
        {IDM_PID_SLIDER_SETUP, {"pid-slider-setup.html"}, false},
        {IDM_TEST_SETUP, {"test-setup-motion.html", "test-setup-plot.html", "test-setup-info.html"}, true},
        {IDM_PLOT_WINDOW_SETUP, {"plots.html"}, false},
        {IDM_AUTO_TUNE, {"auto-tune.html"}, false},  // the dialog, or its refusal with the motor off
        {IDM_SELECT_CONTROLLER, {"controller-dialogs.html"}, false},
        {IDM_AXIS_SETUP, {"controller-dialogs.html"}, false},
        {IDM_SCALING_SETUP, {"controller-dialogs.html"}, false},
        {IDM_ABOUT, {"controller-dialogs.html"}, false},
        {IDM_PRINT, {"messages.html"}, false},  // "Cannot print - No tests have been performed"
        {IDM_RESET_CONTROLLER, {"messages.html"}, false},
    };
    for (const auto& c : cases) {
        g_opened.clear();
        Responder responder;
        std::string caption;
        responder.Handle([&](HWND dialog) {
            char text[128] = {};
            GetWindowTextA(dialog, text, sizeof text);
            caption = text;
            if (c.sheet) {
                for (int page = 0; page < 3; ++page) {
                    SendMessageA(dialog, PSM_SETCURSEL, page, 0);
                    HWND current = reinterpret_cast<HWND>(SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
                    SetFocus(GetNextDlgTabItem(current, nullptr, FALSE));
                    PressF1(dialog);
                }
            } else {
                PressF1(dialog);
            }
            PressButton(dialog, IDCANCEL);
        });
        app.Command(c.command);
        EXPECT_EQ(Pages(), c.pages) << "command " << c.command << " \"" << caption << "\"";
    }
}

// The program's modeless windows: the Test History window and the Step Test
// progress window shown over a long recording.
TEST_F(HelpTest, F1OpensTheTopicsOfTheModelessWindows) {
    app.Command(IDM_HISTORY);
    HWND history = FindWindowA("#32770", "Test History");
    ASSERT_NE(history, nullptr);
    SetFocus(GetNextDlgTabItem(history, nullptr, FALSE));
    PressF1(history);
    DestroyWindow(history);
    EXPECT_EQ(Pages(), (std::vector<std::string>{"test-history.html"}));

    g_opened.clear();
    {
        StepProgress progress(app.Main(), 10525);
        ASSERT_NE(progress.DialogWindow(), nullptr);
        PressF1(progress.DialogWindow());
        EXPECT_FALSE(progress.StopRequested()) << "F1 is not taken for the Stop button";
    }
    EXPECT_EQ(Pages(), (std::vector<std::string>{"step-test.html"}));
}

TEST_F(HelpTest, PageThatIsNotThereOrCannotBeOpenedSaysWhere) {
    const std::string folder = HelpFolder;
    const std::string empty = FreshFolder("help") + "\\";
    const struct { std::string folder; INT_PTR result; const char* start; std::string page; } cases[] = {
        {empty, 42, "Cannot find the help page\n", empty + "index.html"},
        {folder, SE_ERR_NOASSOC, "Cannot open the help page\n", folder + "index.html"},
    };
    for (const auto& c : cases) {
        lstrcpyA(HelpFolder, c.folder.c_str());
        g_openResult = c.result;
        Responder responder;
        responder.Press(IDOK);
        app.Command(IDM_HELP_TOPICS);
        ASSERT_EQ(responder.Records().size(), 1u);
        const DialogRecord& box = responder.Records()[0];
        EXPECT_EQ(box.text.rfind(c.start, 0), 0u) << box.text;
        EXPECT_NE(box.text.find(c.page + "\n"), std::string::npos) << box.text;
        EXPECT_EQ(box.caption, "Loopsmith");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
        EXPECT_EQ(box.owner, app.Main());
    }
    lstrcpyA(HelpFolder, folder.c_str());
    RemoveTree(empty);
    EXPECT_EQ(g_opened.size(), 1u);  // the missing page is never handed to the browser
}

// A WinHelp file beside the program is used as before: contents for Help
// Topics, the "pid setup" keyword for the PID Setup dialog, and the window's
// keyword for F1; the browser is not asked.
TEST_F(HelpTest, HelpFileBesideTheProgramIsOpenedThroughWinHelp) {
    WriteAll(HelpFile, "stand-in help file");
    app.Command(IDM_HELP_TOPICS);
    Responder responder;
    responder.Handle([&](HWND dialog) {
        PressButton(dialog, IDC_PID_HELP);
        PressButton(dialog, IDCANCEL);
    });
    app.Command(IDM_PID_SLIDER_SETUP);
    PressF1(app.Main());
    DeleteFileA(HelpFile);
    ASSERT_EQ(g_winHelp.size(), 3u);
    EXPECT_EQ(g_winHelp[0].command, static_cast<UINT>(HELP_CONTENTS));
    EXPECT_EQ(g_winHelp[1].command, static_cast<UINT>(HELP_KEY));
    EXPECT_EQ(g_winHelp[1].key, "pid setup");
    EXPECT_EQ(g_winHelp[2].command, static_cast<UINT>(HELP_KEY));
    EXPECT_EQ(g_winHelp[2].key, "gain panel");
    EXPECT_TRUE(g_opened.empty());
}

TEST(HelpTopicFor, WindowsTheGuideDoesNotDescribeHaveNoTopic) {
    EXPECT_EQ(HelpTopicFor("Edit", "Loopsmith", ""), nullptr);
    EXPECT_EQ(HelpTopicFor("#32770", "Some other program", ""), nullptr);
    EXPECT_EQ(HelpTopicFor("#32770", "Axis Setupx", ""), nullptr);
    EXPECT_STREQ(HelpTopicFor("#32770", "Test Setup", "")->Page, "test-setup-motion.html");
}

}  // namespace
