// Program start-up in the test process (see app_fixture.h).
#include "app_fixture.h"

#include <vector>

#include "app/entry.h"
#include "history/history_file.h"
#include "temp_files.h"
#include "libs/plotwin/plotwin.h"
#include "resources/panel_ids.h"
#include "responder.h"

namespace {
int g_registryCount = 0;

void DeleteTree(HKEY parent, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char child[256];
    DWORD size;
    for (;;) {
        size = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTree(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}
}  // namespace

IsolatedRegistry::IsolatedRegistry() {
    name_ = "Software\\LoopsmithTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++g_registryCount);
    DeleteTree(HKEY_CURRENT_USER, name_.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, root_);
}

IsolatedRegistry::~IsolatedRegistry() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (root_) RegCloseKey(root_);
    DeleteTree(HKEY_CURRENT_USER, name_.c_str());
}

LoopsmithApp::~LoopsmithApp() {
    if (Alive()) {
        Responder quiet;  // answer whatever the close asks with the default button
        Close();
    }
}

HWND LoopsmithApp::Start(const char* commandLine, int show) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) registered = RegisterWindowClasses(instance);
    // Test programs keep their history files apart from the user's and from
    // each other; a test that reads them back chooses its own folder first.
    if (!HistoryRootChosen()) SetHistoryRoot(FreshFolder("history"));
    std::vector<char> text(commandLine, commandLine + lstrlenA(commandLine) + 1);
    main_ = InitInstance(instance, text.data(), show);
    PumpMessages();
    return main_;
}

void LoopsmithApp::Close() {
    if (!Alive()) return;
    SendMessageA(main_, WM_CLOSE, 0, 0);
    PumpMessages();
    if (IsWindow(main_)) DestroyWindow(main_);
    // The program posts WM_QUIT when its main window goes; the test goes on.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    main_ = nullptr;
}

HWND LoopsmithApp::Panel() const { return GetDlgItem(main_, IDC_PANEL); }

AppState& LoopsmithApp::State() const { return *StateOf(main_); }

void LoopsmithApp::Command(int id) { SendMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void CloseAnswering(LoopsmithApp& app, int answer) {
    Responder r;
    r.Press(answer);
    app.Close();
}

SIZE ClientSize(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    return SIZE{rc.right, rc.bottom};
}

RECT RectInParent(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
