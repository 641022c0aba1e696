// The program's help: the HTML guide in the help folder, opened in the
// user's browser, or a WinHelp file beside the program when there is one.
#include "help_file.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

char HelpFile[MAX_PATH];
char HelpFolder[MAX_PATH];

HINSTANCE (WINAPI *HelpOpenFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = ShellExecuteA;
BOOL (WINAPI *HelpWinHelpFunction)(HWND, LPCSTR, UINT, ULONG_PTR) = WinHelpA;

const HelpTopic kHelpContents = {"index.html", nullptr};
const HelpTopic kHelpPidSetup = {"pid-slider-setup.html", "pid setup"};

namespace {

const HelpTopic kMainWindow = {"gain-panel.html", "gain panel"};
const HelpTopic kMotionPage = {"test-setup-motion.html", "motion settings"};
const HelpTopic kPlotPage = {"test-setup-plot.html", "plot settings"};
const HelpTopic kInfoPage = {"test-setup-info.html", "info"};
const HelpTopic kPlots = {"plots.html", "plot window setup"};
const HelpTopic kPrinting = {"printing.html", "printing"};
const HelpTopic kFiles = {"files.html", "test data files"};
const HelpTopic kControllerDialogs = {"controller-dialogs.html", "controller dialogs"};
const HelpTopic kMessages = {"messages.html", "messages"};
const HelpTopic kHistory = {"test-history.html", "test history"};
const HelpTopic kStepTest = {"step-test.html", "step test"};
const HelpTopic kAutoTune = {"auto-tune.html", "auto tune"};

// Dialogs and message boxes by caption; a dialog that names its axis after a
// dash ("Axis Setup - Axis 1") counts under its plain caption. Message boxes
// carry the captions the program gives its messages.
struct CaptionTopic {
    const char* Caption;
    const HelpTopic* Topic;
};
const CaptionTopic kByCaption[] = {
    {"PID Setup", &kHelpPidSetup},
    {"Plot Window Setup", &kPlots},
    {"Printing", &kPrinting},
    {"Print", &kPrinting},
    {"Open", &kFiles},
    {"Save As", &kFiles},
    {"Select Controller", &kControllerDialogs},
    {"Axis Setup", &kControllerDialogs},
    {"Scaling Setup", &kControllerDialogs},
    {"About", &kControllerDialogs},
    {"About Loopsmith", &kControllerDialogs},
    {"Test History", &kHistory},
    {"Export History", &kHistory},
    {"Step Test", &kStepTest},
    {"Auto Tune", &kAutoTune},
    {"Loopsmith", &kMessages},
    {"Parameter Error", &kMessages},
    {"Warning", &kMessages},
    {"Print Error", &kMessages},
    {"Printer Error", &kMessages},
    {"Exit", &kMessages},
    {"Reset", &kMessages},
    {"Controller Setttings Error", &kMessages},
};

bool FileExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HHOOK g_keyHook = nullptr;

LRESULT CALLBACK HelpKeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1 && GetKeyState(VK_SHIFT) >= 0 &&
            GetKeyState(VK_CONTROL) >= 0 && msg->hwnd) {
            if (const HelpTopic* topic = HelpTopicForWindow(msg->hwnd)) {
                HWND root = GetAncestor(msg->hwnd, GA_ROOT);
                msg->message = WM_NULL;  // taken: no window sees this F1 as well
                ShowHelpTopic(root, *topic);
            }
        }
    }
    return CallNextHookEx(g_keyHook, code, wParam, lParam);
}

}  // namespace

void HelpPathBeside(const char* modulePath, const char* fileName, char* out, size_t size) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(modulePath, drive, dir, name, ext);
    std::snprintf(out, size, "%s%s%s", drive, dir, fileName);
}

void BuildHelpFilePath() {
    char module[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    HelpPathBeside(module, "loopsmith.hlp", HelpFile, sizeof HelpFile);
    HelpPathBeside(module, "help\\", HelpFolder, sizeof HelpFolder);
}

const HelpTopic* HelpTopicFor(const char* className, const char* caption, const char* pageTitle) {
    if (!className || !caption) return nullptr;
    if (std::strcmp(className, "Loopsmith") == 0) return &kMainWindow;
    if (std::strcmp(className, "#32770") != 0) return nullptr;
    if (std::strcmp(caption, "Test Setup") == 0) {
        if (pageTitle && std::strcmp(pageTitle, "Plot Settings") == 0) return &kPlotPage;
        if (pageTitle && std::strcmp(pageTitle, "Info") == 0) return &kInfoPage;
        return &kMotionPage;
    }
    for (const CaptionTopic& entry : kByCaption) {
        size_t n = std::strlen(entry.Caption);
        if (std::strncmp(caption, entry.Caption, n) == 0 &&
            (caption[n] == '\0' || std::strncmp(caption + n, " - ", 3) == 0))
            return entry.Topic;
    }
    return nullptr;
}

const HelpTopic* HelpTopicForWindow(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    if (!root) return nullptr;
    char className[64] = {}, caption[128] = {}, pageTitle[128] = {};
    GetClassNameA(root, className, sizeof className);
    GetWindowTextA(root, caption, sizeof caption);
    // A property sheet shows its pages' titles on its tab control.
    if (HWND tabs = FindWindowExA(root, nullptr, WC_TABCONTROLA, nullptr)) {
        int current = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = pageTitle;
        item.cchTextMax = sizeof pageTitle;
        if (current >= 0) SendMessageA(tabs, TCM_GETITEMA, current, reinterpret_cast<LPARAM>(&item));
    }
    return HelpTopicFor(className, caption, pageTitle);
}

bool ShowHelpTopic(HWND owner, const HelpTopic& topic) {
    if (FileExists(HelpFile)) {
        if (topic.Keyword && &topic != &kHelpContents)
            return HelpWinHelpFunction(owner, HelpFile, HELP_KEY, reinterpret_cast<ULONG_PTR>(topic.Keyword)) != 0;
        return HelpWinHelpFunction(owner, HelpFile, HELP_CONTENTS, 0) != 0;
    }
    char page[MAX_PATH + 64];
    std::snprintf(page, sizeof page, "%s%s", HelpFolder, topic.Page);
    char text[MAX_PATH + 256];
    if (!FileExists(page)) {
        std::snprintf(text, sizeof text,
                      "Cannot find the help page\n%s\n\nThe help folder belongs beside Loopsmith.exe; "
                      "installing Loopsmith again restores it.",
                      page);
        MessageBoxA(owner, text, "Loopsmith", MB_ICONWARNING | MB_OK);
        return false;
    }
    INT_PTR result = reinterpret_cast<INT_PTR>(HelpOpenFunction(owner, "open", page, nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        std::snprintf(text, sizeof text,
                      "Cannot open the help page\n%s\n\nNo program to show web pages is set up (error %d). "
                      "Open the page in a web browser yourself.",
                      page, static_cast<int>(result));
        MessageBoxA(owner, text, "Loopsmith", MB_ICONWARNING | MB_OK);
        return false;
    }
    return true;
}

void InstallHelpKeyHook() {
    if (!g_keyHook) g_keyHook = SetWindowsHookExA(WH_GETMESSAGE, HelpKeyHook, nullptr, GetCurrentThreadId());
}
