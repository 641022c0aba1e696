// Drawing a whole plot into a device context: one routine for the screen
// buffer, WM_PRINTCLIENT and the printer.
#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

struct PlotPane;

struct PlotDrawOptions {
    double scale = 1;      // device pixels per screen pixel (1 on the screen, 6.25 at 600 dpi)
    bool decimate = true;  // false draws every point (for comparisons)
};

// Draws the plot to fill area (logical units equal to device pixels) and
// returns the plot area: the framed rectangle that the series are drawn in.
RECT DrawPlot(HDC dc, const RECT& area, const PlotPane& pane, const PlotDrawOptions& options = {});

// The legend's row (0, 1, ...) for each entry of the given widths, in order:
// a row holds entries with spacing between them up to room, and an entry
// wider than room has a row of its own.
std::vector<int> LegendRows(const std::vector<int>& widths, int room, int spacing);

// How the points of a series become lines. All three draw the same pixels
// where they apply; the reductions exist for speed.
enum class LineDrawing {
    EveryPoint,      // one polyline through every point
    ColumnPolyline,  // that polyline reduced to four points per pixel column: any pen
    ColumnLines,     // one vertical line per pixel column: a one-pixel solid pen only
    ColumnSpans,     // those lines' pixels written into a 32-bit DIB section where the DC allows, else ColumnLines
};
// What the plot uses for a pen: the fastest drawing that gives its pixels.
LineDrawing LineDrawingFor(bool decimate, bool thinSolidPen);

// Draws one series with the pen selected, clipped to nothing: the lines
// alone. Used by DrawPlot and by pixel comparisons.
void DrawSeriesLines(HDC dc, const RECT& plot, const PlotPane& pane, int series, LineDrawing how);

// Draws n points spaced evenly from x0 to x1 (x axis units) with the pen
// selected: the series lines and the overlaid runs.
void DrawPointLines(HDC dc, const RECT& plot, const PlotPane& pane, const double* y, size_t n, double x0, double x1,
                    LineDrawing how);
