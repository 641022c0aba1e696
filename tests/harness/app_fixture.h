// Starting the program's real main window in the test process, against the
// simulated controller, with the registry of this test process kept apart.
#pragma once
#include <windows.h>

#include <string>

#include "core/app_state.h"

// Redirects HKEY_CURRENT_USER of this process to a fresh private key for the
// object's lifetime, so tests running side by side never see each other's settings.
class IsolatedRegistry {
public:
    IsolatedRegistry();
    ~IsolatedRegistry();
    IsolatedRegistry(const IsolatedRegistry&) = delete;
    IsolatedRegistry& operator=(const IsolatedRegistry&) = delete;

private:
    HKEY root_ = nullptr;
    std::string name_;
};

class LoopsmithApp {
public:
    LoopsmithApp() = default;
    ~LoopsmithApp();
    LoopsmithApp(const LoopsmithApp&) = delete;
    LoopsmithApp& operator=(const LoopsmithApp&) = delete;

    // Runs the instance start-up with this command line (after the program name).
    // Returns the main window, or null when start-up failed.
    HWND Start(const char* commandLine = "", int show = SW_SHOWNORMAL);
    // Sends WM_CLOSE and lets the window go away; script the responder first
    // when the close asks a question.
    void Close();
    bool Alive() const { return main_ && IsWindow(main_); }
    HWND Main() const { return main_; }
    HWND Panel() const;
    AppState& State() const;
    // Sends a menu or accelerator command to the main window.
    void Command(int id);

private:
    HWND main_ = nullptr;
};

// Closes the program (when it is open) with the answer to the question it asks
// on the way; No keeps the tuning parameters a test changed out of the controller.
void CloseAnswering(LoopsmithApp& app, int answer = IDNO);

// Client size of a window as (width, height).
SIZE ClientSize(HWND window);
// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
