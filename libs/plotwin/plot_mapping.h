// From data values to pixels: the axis ranges as drawn and the mapping of
// series points onto the plot area, plus the column reductions that keep
// large series fast to draw.
#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

struct PlotPane;

struct AxisRange {
    double lo = 0, hi = 1;
};
// The ranges the pane draws: an empty range is widened around its value and a
// reversed y range is put right way up; non-finite limits fall back to 0 .. 1.
AxisRange DrawnXRange(const PlotPane& pane);
AxisRange DrawnYRange(const PlotPane& pane);

// Maps values onto pixel positions; v0 lands on p0 and v1 on p1 (p1 < p0 for y).
// Results are clamped well outside the plot area, so wild values never reach GDI.
struct AxisMap {
    double v0, v1;
    int p0, p1;
    int operator()(double v) const;
};

// Pixel points of one series: x of point i out of n spaced evenly from x.p0 to
// x.p1, y mapped; runs of finite values are appended to out one after the
// other, and runs receives the number of points of each run.
void MapSeries(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
               std::vector<size_t>& runs);

// MapSeries reduced to at most four points per pixel column: the first
// point, the lowest and highest in the order they come, and the last. The
// last column of each run keeps all its points; steps that draw nothing more
// are folded. A one-pixel pen draws the same pixels for the result as for
// MapSeries' points.
void MapDecimated(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
                  std::vector<size_t>& runs);

// The pixels that a one-pixel solid pen draws for MapSeries' polyline, as
// PolyPolyline input (points, and the number of points of each line): per
// pixel column one vertical line from the lowest to the highest row the
// polyline covers there, the step to the next column only where it reaches
// pixels that those lines do not, a run's last column with the step into it as
// the polyline draws it, and a run of one point as a short horizontal mark.
void MapColumnLines(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
                    std::vector<DWORD>& counts);

// The rows a one-pixel line covers in one pixel column, both ends included.
struct ColumnSpan {
    LONG x;
    int top, bottom;
};
// The same pixels as MapColumnLines, split by how they are drawn fastest:
// each column's vertical line as a span of rows (spans, to be filled
// directly), and what is left as PolyPolyline input (points, and the number of
// points of each line): the steps between columns that reach pixels the spans
// do not, each run's last column with the step into it, and lone-point marks.
void MapColumnSpans(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<ColumnSpan>& spans,
                    std::vector<POINT>& out, std::vector<DWORD>& counts);
