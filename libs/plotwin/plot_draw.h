// Drawing a whole plot into a device context: one routine for the screen
// buffer, WM_PRINTCLIENT and the printer.
#pragma once
#include <windows.h>

#include <cstddef>

struct PlotPane;

struct PlotDrawOptions {
    double scale = 1;      // device pixels per screen pixel (1 on the screen, 6.25 at 600 dpi)
    bool decimate = true;  // false draws every point (for comparisons)
};

// Draws the plot to fill area (logical units equal to device pixels) and
// returns the plot area: the framed rectangle that the series are drawn in.
RECT DrawPlot(HDC dc, const RECT& area, const PlotPane& pane, const PlotDrawOptions& options = {});

// Draws one series as its pen would, clipped to nothing: the polyline path
// alone, decimated or not. Used by DrawPlot and by pixel comparisons.
void DrawSeriesLines(HDC dc, const RECT& plot, const PlotPane& pane, int series, bool decimate);

// Draws n points spaced evenly from x0 to x1 (x axis units) with the pen
// selected: the series lines and the overlaid runs.
void DrawPointLines(HDC dc, const RECT& plot, const PlotPane& pane, const double* y, size_t n, double x0, double x1,
                    bool decimate);
