// The "Step Test" progress window over a long capture wait: a bar, how far the
// recording is, and Stop.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "../core/modal_wait.h"

// Waits of this length or longer show the progress window.
constexpr DWORD kStepProgressFromMs = 1000;

// "Recording 3.2 s of 10.5 s" for 3,200 of 10,525 ms.
std::string StepProgressText(DWORD elapsedMs, DWORD totalMs);

class StepProgress : public ModalWaitObserver {
public:
    // Shows the window, owned by and centred on the main window, when the wait
    // is long enough; otherwise the object only answers that nobody stopped.
    // onStop runs once, at the moment Stop is pressed.
    StepProgress(HWND mainWindow, DWORD totalMs, std::function<void()> onStop = nullptr);
    ~StepProgress() override;
    StepProgress(const StepProgress&) = delete;
    StepProgress& operator=(const StepProgress&) = delete;

    void Progress(DWORD elapsedMs, DWORD totalMs) override;
    bool StopRequested() const override { return stop_; }
    HWND DialogWindow() const override { return window_; }
    // Destroys the window (also done by the destructor).
    void Close();

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void RequestStop();

    HWND window_ = nullptr;
    bool stop_ = false;
    std::function<void()> onStop_;
};
