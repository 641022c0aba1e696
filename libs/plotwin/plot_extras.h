// What a pane shows besides its seven series: the metrics box, the response
// markers and the overlaid curves of earlier runs, with the messages that set
// them and their drawing.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "plotwin.h"

struct OverlaySeries {
    std::vector<double> y;  // spaced evenly from x0 to x1
    double x0 = 0, x1 = 0;
    bool spanSet = false;   // without a span the overlay spans the pane's x range
    std::string name;
};

struct PlotExtras {
    std::string metricsText;
    bool markers = false;
    double marker[kMarkerCount] = {};
    OverlaySeries overlays[kMaxOverlays];
};

struct PlotPane;

// Pane messages of the extras. Returns true when the message is one of them;
// *result gets the message's result.
bool ExtrasHandleMessage(PlotExtras& extras, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
void ExtrasClear(PlotExtras& extras);
int OverlayCount(const PlotExtras& extras);
// Muted colour of overlay i, thin line.
COLORREF OverlayColor(int overlay);

// Drawing into the plot area (clipped by the caller): overlays lie under the
// pane's series, markers over them, the box over everything.
void DrawOverlays(HDC dc, const RECT& plot, const PlotPane& pane, double scale, bool decimate);
void DrawMarkers(HDC dc, const RECT& plot, const PlotPane& pane, double scale);
void DrawMetricsBox(HDC dc, const RECT& plot, const PlotPane& pane, double scale);
