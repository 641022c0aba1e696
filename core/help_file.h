// The program's help: HTML pages in the help folder beside the executable,
// opened in the user's browser, or a WinHelp file when one stands there.
#pragma once
#include <windows.h>

#include <string>

// "loopsmith.hlp" beside the executable; every WinHelp call uses it.
extern char HelpFile[MAX_PATH];
// The folder of the HTML pages: "help\" beside the executable.
extern char HelpFolder[MAX_PATH];

// Fills HelpFile and HelpFolder from the running executable's path.
void BuildHelpFilePath();
// Joins the drive and directory of a module path with a file name.
void HelpPathBeside(const char* modulePath, const char* fileName, char* out, size_t size);

// One topic of the guide: its page in the help folder and the keyword a
// WinHelp file is asked for (null: the WinHelp file's contents).
struct HelpTopic {
    const char* Page;
    const char* Keyword;
};

extern const HelpTopic kHelpContents;   // index.html
extern const HelpTopic kHelpPidSetup;   // pid-slider-setup.html, keyword "pid setup"

// The topic of a window, found from its top-level window's class name and
// caption and, for a property sheet, the title of the page on show (empty
// otherwise). Returns null for a window the guide does not describe.
const HelpTopic* HelpTopicFor(const char* className, const char* caption, const char* pageTitle);

// Shows a topic: through WinHelp when HelpFile exists, otherwise by opening
// the page in the help folder with the user's browser. A page that is not
// there, or that no program opens, is reported in a message box that names
// the path. Returns true when the topic was handed on.
bool ShowHelpTopic(HWND owner, const HelpTopic& topic);

// Opens a page ("open" verb, as ShellExecuteA); tests replace it to see the target.
extern HINSTANCE (WINAPI *HelpOpenFunction)(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                            LPCSTR directory, INT show);
// Opens the WinHelp file (as WinHelpA); tests replace it to see the call.
extern BOOL (WINAPI *HelpWinHelpFunction)(HWND window, LPCSTR file, UINT command, ULONG_PTR data);

// F1 anywhere in this thread's windows (main window, dialogs, sheet pages,
// message boxes) opens the topic of the window it was pressed in. Installs a
// message hook for the calling thread once; later calls do nothing.
void InstallHelpKeyHook();
// The topic for a window that F1 was pressed in (any child of it will do).
const HelpTopic* HelpTopicForWindow(HWND window);
