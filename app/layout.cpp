// Main window layout arithmetic.
#include "layout.h"

#include "../core/app_state.h"

MainLayout ComputeMainLayout(int paneCount, int plotStyle, int clientWidth, int clientHeight) {
    MainLayout layout = {};
    layout.panelHeight = clientHeight;
    int n = paneCount >= 2 ? paneCount : 1;
    if (plotStyle == kPlotMulti) ++n;  // pane 0 takes two slots
    int width = clientWidth - kPanelWidth;
    int h = (clientHeight - kPaneGap * n + kPaneGap) / n;
    int y = 0;
    for (int i = 0; i < kPaneCount; ++i) {
        PanePlace& p = layout.panes[i];
        if (i >= paneCount) continue;
        p.visible = true;
        p.x = kPanelWidth;
        p.y = y;
        p.width = width;
        if (plotStyle == kPlotMulti && i == 0) {
            p.height = 2 * h + kPaneGap;
            y += 2 * h + 2 * kPaneGap;
        } else {
            p.height = h;
            y += h + kPaneGap;
        }
    }
    return layout;
}
