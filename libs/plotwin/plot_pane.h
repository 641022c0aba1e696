// State of one plot pane (data, axes, texts, appearance) and the plain
// operations that the pane messages perform on it. No window needed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "plot_extras.h"
#include "plotwin.h"

constexpr int kMaxLineWidth = 10;
constexpr size_t kMaxTextLength = 127;

// Everything the setup dialog edits and the settings store keeps.
struct PlotAppearance {
    COLORREF background = RGB(255, 255, 255);
    COLORREF colors[kSeriesCount] = {};
    BYTE widths[kSeriesCount] = {};
    bool grid = true;
    bool legend = true;
};
PlotAppearance DefaultAppearance();
bool operator==(const PlotAppearance& a, const PlotAppearance& b);

struct SeriesData {
    std::vector<double> y;  // evenly spaced from x minimum to x maximum
    std::string name;       // legend text; unnamed series are left out of the legend
    int style = 0;          // 1: dashed (the target line)
};

struct PlotPane {
    SeriesData series[kSeriesCount];
    bool rangeEmpty = true;
    double rangeMin = 0, rangeMax = 0;
    double xMin = 0, xMax = 100, yMin = 0, yMax = 100;
    int xDivisions = 10, yDivisions = 10;
    std::string xLabel, yLabel;
    std::string yFormat = "%lg";
    PlotAppearance look = DefaultAppearance();
    PlotExtras extras;  // metrics box, markers, overlaid runs
};

// Message operations. Every pointer may be null; bad values leave the pane as it was.
void PaneAddRange(PlotPane& pane, size_t count, const double* values);
double PaneRangeMin(const PlotPane& pane);  // 0 for an empty range
double PaneRangeMax(const PlotPane& pane);
void PaneClear(PlotPane& pane, int series);  // series -1 (or out of range): all
void PaneSetData(PlotPane& pane, int series, size_t count, const double* values);
void PaneSetSeriesName(PlotPane& pane, int series, const char* name);
void PaneSetSeriesStyle(PlotPane& pane, int series, int style);
bool PaneSetDivisions(int& divisions, WPARAM value);
void PaneSetLimit(double& limit, const double* value);
void PaneSetText(std::string& text, const char* value);
bool PaneSetYFormat(PlotPane& pane, const char* format);

// Dispatches one pane message to the operations above. Returns true when the
// message belongs to the pane protocol; *redraw tells whether the picture changed.
bool PaneHandleMessage(PlotPane& pane, UINT message, WPARAM wParam, LPARAM lParam, bool* redraw,
                       LRESULT* result = nullptr);
