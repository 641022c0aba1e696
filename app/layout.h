// Main window layout arithmetic: the gain panel on the left, up to five plot
// panes stacked on the right.
#pragma once

constexpr int kPanelWidth = 220;
constexpr int kPaneGap = 4;
constexpr int kMinTrackWidth = 640;
constexpr int kMinTrackHeight = 480;

struct PanePlace {
    bool visible;
    int x, y, width, height;
};

struct MainLayout {
    int panelHeight;
    PanePlace panes[5];
};

// paneCount is PlotPaneCount() (1 to 5); clientWidth and clientHeight the client size.
MainLayout ComputeMainLayout(int paneCount, int plotStyle, int clientWidth, int clientHeight);
