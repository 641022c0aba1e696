// Pane placement of the printed report: the panes share 5 % to 65 % of the
// page height and span 5 % to 93 % of its width.
#include "pane_placement.h"

#include "../core/app_state.h"

std::vector<PaneViewport> PlacePrintedPanes(int plotStyle, int paneCount, bool plotTorque, int H, int V) {
    std::vector<PaneViewport> out;
    const int x = static_cast<int>(0.05 * H);
    const int width = static_cast<int>(0.88 * H);
    auto add = [&](int pane, double extent, double origin) {
        out.push_back({pane, x, static_cast<int>(origin), width, static_cast<int>(extent)});
    };
    if (plotStyle == kPlotSingle) {
        add(0, -0.55 * V, 0.65 * V);
    } else if (plotStyle == kPlotMulti) {
        double k = plotTorque ? 0.15 : 0.2;
        double f0 = 0.05 + 2 * k, f1 = f0 + k, f2 = f1 + k;
        add(0, -V * 2 * k, V * f0);
        add(1, -V * k, V * f1);
        if (plotTorque) add(2, -V * k, V * f2);
    } else if (plotStyle == kPlotSeparate) {
        int n = paneCount < 1 ? 1 : (paneCount > kPaneCount ? kPaneCount : paneCount);
        double s = 0.6 / n, f = 0.05;
        for (int i = 0; i < n; ++i) {
            f = f + s;
            add(i, -V * s, V * f);
        }
    }
    return out;
}
