// Application state record: plot pane count and access from any window.
#include "app_state.h"

int AppState::PlotPaneCount() const {
    int aux = AuxCapture ? PlotAuxiliary : 0;
    int sum = PlotError + PlotTorque + PlotActual + aux + PlotOptimal;
    int count = (PlotStyle == kPlotSingle || sum < 1) ? 1 : sum;
    if (PlotStyle == kPlotMulti && PlotActual && PlotOptimal) {
        --count;  // actual and optimal share a pane
        if (AuxCapture && PlotAuxiliary) --count;  // and the auxiliary curve joins them
    }
    return count;
}

AppState* StateOf(HWND window) {
    // Walk up to the top-level main window, which owns the record.
    HWND top = window;
    while (top && (GetWindowLongA(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
    return top ? reinterpret_cast<AppState*>(GetWindowLongPtrA(top, GWLP_USERDATA)) : nullptr;
}
