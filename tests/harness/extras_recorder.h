// Records what a plot pane receives of the plot library's own messages (the
// metrics box text, the markers, overlaid runs) while passing every message on.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

class ExtrasRecorder {
public:
    explicit ExtrasRecorder(HWND pane);  // one recorder at a time
    ~ExtrasRecorder();
    ExtrasRecorder(const ExtrasRecorder&) = delete;
    ExtrasRecorder& operator=(const ExtrasRecorder&) = delete;

    // What the pane last holds: PWM_CLEAR removes text, markers and overlays.
    std::string text;
    bool hasText = false;
    std::vector<double> markers;
    std::map<int, std::string> overlayNames;
    std::map<int, std::vector<double>> overlays;
    int overlayClears = 0;
    void Reset();

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp);
    HWND pane_ = nullptr;
    WNDPROC previous_ = nullptr;
};
