// Busy marking of the main window and the message-pumping wait.
#include "modal_wait.h"

#include <algorithm>
#include <cmath>

namespace {

const char kBusyProperty[] = "LoopsmithModalWork";
const char kCloseProperty[] = "LoopsmithCloseAsked";

UINT_PTR Depth(HWND window) { return reinterpret_cast<UINT_PTR>(GetPropA(window, kBusyProperty)); }

bool IsInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_MOUSEWHEEL ||
           message == WM_MOUSEHWHEEL;
}

bool InWindow(HWND main, HWND window) { return window && (window == main || IsChild(main, window)); }

class Clock {
public:
    Clock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double ElapsedMs() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{}, start_{};
};

constexpr double kProgressEveryMs = 100.0;

}  // namespace

ModalWork::ModalWork(HWND mainWindow) : main_(mainWindow) {
    if (main_) SetPropA(main_, kBusyProperty, reinterpret_cast<HANDLE>(Depth(main_) + 1));
}

ModalWork::~ModalWork() {
    if (!main_ || !IsWindow(main_)) return;
    UINT_PTR depth = Depth(main_);
    if (depth > 1) {
        SetPropA(main_, kBusyProperty, reinterpret_cast<HANDLE>(depth - 1));
        return;
    }
    RemovePropA(main_, kBusyProperty);
    if (RemovePropA(main_, kCloseProperty)) PostMessageA(main_, WM_CLOSE, 0, 0);
}

bool ModalWorkRunning(HWND mainWindow) { return mainWindow && Depth(mainWindow) > 0; }

bool DeferCloseWhileBusy(HWND mainWindow) {
    if (!ModalWorkRunning(mainWindow)) return false;
    SetPropA(mainWindow, kCloseProperty, reinterpret_cast<HANDLE>(1));
    return true;
}

ModalWaitResult ModalWait(HWND mainWindow, DWORD ms, ModalWaitObserver* observer) {
    const Clock clock;
    const double total = static_cast<double>(ms);
    HWND focus = GetFocus();
    const bool focusInMain = InWindow(mainWindow, focus);
    const bool wasEnabled = mainWindow && IsWindowEnabled(mainWindow);
    if (wasEnabled) EnableWindow(mainWindow, FALSE);

    bool quit = false;
    WPARAM quitCode = 0;
    ModalWaitResult result = ModalWaitResult::Elapsed;
    double nextProgress = 0.0;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            if (IsInputMessage(msg.message) && InWindow(mainWindow, msg.hwnd)) continue;
            HWND dialog = observer ? observer->DialogWindow() : nullptr;
            if (dialog && IsDialogMessageA(dialog, &msg)) {
                if (observer->StopRequested()) break;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (observer && observer->StopRequested()) break;
        }
        if (observer && observer->StopRequested()) {
            result = ModalWaitResult::Stopped;
            break;
        }
        const double elapsed = clock.ElapsedMs();
        if (elapsed >= total) break;
        if (observer && elapsed >= nextProgress) {
            observer->Progress(static_cast<DWORD>(elapsed), ms);
            nextProgress = (std::floor(elapsed / kProgressEveryMs) + 1.0) * kProgressEveryMs;
        }
        double until = observer ? std::min(total, nextProgress) : total;
        DWORD timeout = static_cast<DWORD>(std::max(1.0, std::ceil(until - elapsed)));
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (observer) observer->Progress(static_cast<DWORD>(std::min(clock.ElapsedMs(), total)), ms);

    if (wasEnabled && IsWindow(mainWindow)) EnableWindow(mainWindow, TRUE);
    if (focusInMain && IsWindow(focus) && !GetFocus()) SetFocus(focus);
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return result;
}
