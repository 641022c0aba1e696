// The pane messages as operations on the pane's state.
#include "plot_pane.h"

#include <cmath>
#include <cstring>

#include "plot_format.h"

PlotAppearance DefaultAppearance() {
    PlotAppearance a;
    a.colors[kSeriesActual] = RGB(0, 82, 204);
    a.colors[kSeriesOptimal] = RGB(0, 150, 80);
    a.colors[kSeriesError] = RGB(214, 32, 32);
    a.colors[kSeriesTorque] = RGB(230, 120, 0);
    a.colors[4] = RGB(128, 128, 128);
    a.colors[kSeriesAuxiliary] = RGB(140, 60, 180);
    a.colors[kSeriesTarget] = RGB(64, 64, 64);
    for (BYTE& w : a.widths) w = 1;
    return a;
}

bool operator==(const PlotAppearance& a, const PlotAppearance& b) {
    return a.background == b.background && a.grid == b.grid && a.legend == b.legend &&
           std::memcmp(a.colors, b.colors, sizeof a.colors) == 0 && std::memcmp(a.widths, b.widths, sizeof a.widths) == 0;
}

namespace {

bool ValidSeries(int series) { return series >= 0 && series < kSeriesCount; }

}  // namespace

void PaneAddRange(PlotPane& pane, size_t count, const double* values) {
    if (count == 0) {
        pane.rangeEmpty = true;
        pane.rangeMin = pane.rangeMax = 0;
        return;
    }
    if (!values) return;
    for (size_t i = 0; i < count; ++i) {
        double v = values[i];
        if (!std::isfinite(v)) continue;
        if (pane.rangeEmpty) {
            pane.rangeMin = pane.rangeMax = v;
            pane.rangeEmpty = false;
        } else if (v < pane.rangeMin) {
            pane.rangeMin = v;
        } else if (v > pane.rangeMax) {
            pane.rangeMax = v;
        }
    }
}

double PaneRangeMin(const PlotPane& pane) { return pane.rangeEmpty ? 0 : pane.rangeMin; }
double PaneRangeMax(const PlotPane& pane) { return pane.rangeEmpty ? 0 : pane.rangeMax; }

void PaneClear(PlotPane& pane, int series) {
    // Clearing all series takes the metrics box, markers and overlays along.
    if (series < 0 || series >= kSeriesCount) ExtrasClear(pane.extras);
    for (int i = 0; i < kSeriesCount; ++i) {
        if (series >= 0 && series < kSeriesCount && i != series) continue;
        pane.series[i].y.clear();
        pane.series[i].y.shrink_to_fit();
        pane.series[i].name.clear();
    }
}

void PaneSetData(PlotPane& pane, int series, size_t count, const double* values) {
    if (!ValidSeries(series) || (count > 0 && !values)) return;
    pane.series[series].y.assign(values, values + count);
}

void PaneSetSeriesName(PlotPane& pane, int series, const char* name) {
    if (ValidSeries(series)) PaneSetText(pane.series[series].name, name);
}

void PaneSetSeriesStyle(PlotPane& pane, int series, int style) {
    if (ValidSeries(series)) pane.series[series].style = style;
}

bool PaneSetDivisions(int& divisions, WPARAM value) {
    if (value < 1 || value > 100) return false;
    divisions = static_cast<int>(value);
    return true;
}

void PaneSetLimit(double& limit, const double* value) {
    if (value && std::isfinite(*value)) limit = *value;
}

void PaneSetText(std::string& text, const char* value) {
    text = value ? std::string(value, strnlen(value, kMaxTextLength)) : std::string();
}

bool PaneSetYFormat(PlotPane& pane, const char* format) {
    if (!IsSafeYFormat(format)) return false;
    pane.yFormat = format;
    return true;
}

bool PaneHandleMessage(PlotPane& pane, UINT message, WPARAM wParam, LPARAM lParam, bool* redraw,
                       LRESULT* result) {
    LRESULT extrasResult = 0;
    if (ExtrasHandleMessage(pane.extras, message, wParam, lParam, &extrasResult)) {
        if (redraw) *redraw = message != PWM_GETOVERLAYCOUNT;
        if (result) *result = extrasResult;
        return true;
    }
    if (result) *result = 0;
    const auto* doubles = reinterpret_cast<const double*>(lParam);
    const auto* text = reinterpret_cast<const char*>(lParam);
    bool changed = true;
    switch (message) {
    case PWM_ADDRANGE: PaneAddRange(pane, wParam, doubles); changed = false; break;
    case PWM_CLEAR: PaneClear(pane, static_cast<int>(lParam)); break;
    case PWM_SETDATA: PaneSetData(pane, LOWORD(wParam), HIWORD(wParam), doubles); break;
    case PWM_GETMIN:
    case PWM_GETMAX:
        if (lParam) {
            *reinterpret_cast<double*>(lParam) = message == PWM_GETMIN ? PaneRangeMin(pane) : PaneRangeMax(pane);
        }
        changed = false;
        break;
    case PWM_SETSERIESNAME: PaneSetSeriesName(pane, static_cast<int>(wParam), text); break;
    case PWM_SETSERIESSTYLE: PaneSetSeriesStyle(pane, static_cast<int>(wParam), static_cast<int>(lParam)); break;
    case PWM_SETXDIVISIONS: PaneSetDivisions(pane.xDivisions, static_cast<WPARAM>(lParam)); break;
    case PWM_SETYDIVISIONS: PaneSetDivisions(pane.yDivisions, static_cast<WPARAM>(lParam)); break;
    case PWM_SETXLABEL: PaneSetText(pane.xLabel, text); break;
    case PWM_SETYLABEL: PaneSetText(pane.yLabel, text); break;
    case PWM_SETXMIN: PaneSetLimit(pane.xMin, doubles); break;
    case PWM_SETXMAX: PaneSetLimit(pane.xMax, doubles); break;
    case PWM_SETYMIN: PaneSetLimit(pane.yMin, doubles); break;
    case PWM_SETYMAX: PaneSetLimit(pane.yMax, doubles); break;
    case PWM_SETYFORMAT: PaneSetYFormat(pane, text); break;
    case PWM_UPDATE: break;
    default: return false;
    }
    if (redraw) *redraw = changed;
    return true;
}
