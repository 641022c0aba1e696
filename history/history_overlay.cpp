// Earlier runs over the current test in pane 0.
#include "history_overlay.h"

#include <string>

#include "../libs/plotwin/plotwin.h"
#include "../plot/plot_display.h"
#include "history_window.h"

void SendRunOverlays(HWND pane, const std::vector<const HistoryRun*>& runs) {
    if (!pane) return;
    SendMessageA(pane, PWM_CLEAROVERLAYS, 0, 0);
    int slot = 0;
    for (const HistoryRun* run : runs) {
        if (slot >= kMaxOverlays) break;
        if (!run || run->Actual.empty()) continue;
        // The message carries its count in 16 bits: every k-th point of a longer curve.
        std::vector<double> sent;
        const double* y = run->Actual.data();
        size_t n = run->Actual.size();
        if (n > 65535) {
            sent = Decimate(y, n);
            y = sent.data();
            n = sent.size();
        }
        SendMessageA(pane, PWM_SETOVERLAY, MAKEWPARAM(slot, n), reinterpret_cast<LPARAM>(y));
        const double span[2] = {run->CurveStart, run->CurveEnd};
        SendMessageA(pane, PWM_SETOVERLAYSPAN, slot, reinterpret_cast<LPARAM>(span));
        const std::string name = "Run " + std::to_string(run->Number);
        SendMessageA(pane, PWM_SETOVERLAYNAME, slot, reinterpret_cast<LPARAM>(name.c_str()));
        ++slot;
    }
}

void ShowHistoryOverlays(AppState& s) {
    HWND pane = s.PlotPanes[0];
    if (!pane) return;
    if (!s.TestDone) {
        SendMessageA(pane, PWM_CLEAROVERLAYS, 0, 0);
        return;
    }
    SendRunOverlays(pane, OverlaidRuns(s));
}
