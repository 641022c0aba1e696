// Long work on the user interface thread that keeps the program alive: the
// main window is marked busy (commands refused, a close waits), and a wait of
// a fixed time pumps messages with the main window disabled, as under a modal
// dialog, so painting and timers go on.
#pragma once
#include <windows.h>

// Marks the main window busy for the object's lifetime. Nested scopes count.
// When the last scope ends and a close was asked meanwhile, WM_CLOSE is posted
// to the main window again.
class ModalWork {
public:
    explicit ModalWork(HWND mainWindow);
    ~ModalWork();
    ModalWork(const ModalWork&) = delete;
    ModalWork& operator=(const ModalWork&) = delete;

private:
    HWND main_;
};

// True while a ModalWork scope for this main window exists.
bool ModalWorkRunning(HWND mainWindow);
// For WM_CLOSE: when the window is busy, notes the close for the end of the
// work and returns true (the caller then does nothing now).
bool DeferCloseWhileBusy(HWND mainWindow);

// What a wait shows and how it can be ended early.
class ModalWaitObserver {
public:
    virtual ~ModalWaitObserver() = default;
    // About every 100 ms and once at the end, with the milliseconds waited so far.
    virtual void Progress(DWORD elapsedMs, DWORD totalMs) = 0;
    // True once the wait is to end before its time.
    virtual bool StopRequested() const = 0;
    // A modeless dialog whose keyboard navigation the wait serves, or nullptr.
    virtual HWND DialogWindow() const = 0;
};

enum class ModalWaitResult { Elapsed, Stopped };

// Waits at least ms milliseconds (measured on the performance counter) while
// dispatching messages. The main window is disabled for the wait, and input
// meant for it or its children is dropped; keyboard and mouse input of other
// windows (a progress window) is handled. A WM_QUIT that arrives is posted
// again after the wait.
ModalWaitResult ModalWait(HWND mainWindow, DWORD ms, ModalWaitObserver* observer = nullptr);
