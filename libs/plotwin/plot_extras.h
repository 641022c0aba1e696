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

// Drawing into the plot area (clipped by the caller): the settling band and the
// overlays lie under the pane's series, the other markers over them, the box
// over everything.
void DrawOverlays(HDC dc, const RECT& plot, const PlotPane& pane, double scale, bool decimate);
// The band lies under the curves like the grid, so that a curve settled on
// its edge stays visible.
void DrawSettlingBand(HDC dc, const RECT& plot, const PlotPane& pane, double scale);
void DrawMarkers(HDC dc, const RECT& plot, const PlotPane& pane, double scale);
void DrawMetricsBox(HDC dc, const RECT& plot, const PlotPane& pane, double scale);

// The metrics box's lines: the text's lines, each broken where it is wider
// than room at the double spaces between its fields, fields kept whole.
// width measures a string.
template <class Width>
std::vector<std::string> MetricsLines(const std::string& text, int room, Width width) {
    std::vector<std::string> lines;
    for (size_t at = 0; at <= text.size();) {
        size_t nl = text.find('\n', at);
        if (nl == std::string::npos) nl = text.size();
        const std::string line = text.substr(at, nl - at);
        at = nl + 1;
        std::string current;
        for (size_t f = 0; f <= line.size();) {
            size_t sep = line.find("  ", f);
            if (sep == std::string::npos) sep = line.size();
            std::string field = line.substr(f, sep - f);
            f = sep + 2;
            while (!field.empty() && field.front() == ' ') field.erase(field.begin());
            if (field.empty() && f <= line.size()) continue;  // more spaces between fields
            const std::string joined = current.empty() ? field : current + "  " + field;
            if (!current.empty() && width(joined) > room) {
                lines.push_back(current);
                current = field;
            } else {
                current = joined;
            }
        }
        lines.push_back(current);
    }
    return lines;
}
