// Where the print job puts each plot pane on the page: a viewport per pane,
// with a negative y extent so that the plot's y grows upward from the bottom.
#pragma once
#include <vector>

struct PaneViewport {
    int pane;                // index into PlotPanes
    int originX, originY;    // device pixels
    int extentX, extentY;    // extentY is negative
};

// Viewports for a page of H x V device pixels, in printing order.
std::vector<PaneViewport> PlacePrintedPanes(int plotStyle, int paneCount, bool plotTorque, int H, int V);
