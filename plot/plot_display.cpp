// Plot display: which channel goes to which pane for each plot style, the
// axes' ranges and labels, and the y range rounded to a fixed scale table.
#include "plot_display.h"

#include <cmath>

#include "../analysis/test_metrics.h"
#include "../core/record_time.h"
#include "../history/history_overlay.h"
#include "../history/history_window.h"
#include "metrics_display.h"
#include "../libs/plotwin/plotwin.h"

namespace {

constexpr double kScaleTable[] = {0,    0.5,  1,    2,    5,     10,    25,    50,     80,     100,    200,    300,
                                  500,  800,  1000, 2000, 3000,  5000,  8000,  10000,  30000,  100000, 250000, 500000};
constexpr int kScaleCount = sizeof kScaleTable / sizeof kScaleTable[0];

void SendDouble(HWND pane, UINT message, double value) {
    SendMessageA(pane, message, 0, reinterpret_cast<LPARAM>(&value));
}

void SendText(HWND pane, UINT message, const char* text) {
    SendMessageA(pane, message, 0, reinterpret_cast<LPARAM>(text));
}

const char* SeriesName(int series) {
    switch (series) {
    case kSeriesActual: return "Actual";
    case kSeriesOptimal: return "Optimal";
    case kSeriesError: return "Error";
    case kSeriesTorque: return "Torque";
    case kSeriesAuxiliary: return "Auxiliary";
    case kSeriesSkew: return "Skew";
    default: return "Target";
    }
}

Channel ChannelOfSeries(int series) {
    switch (series) {
    case kSeriesOptimal: return Channel::Optimal;
    case kSeriesError: return Channel::Error;
    case kSeriesTorque: return Channel::Torque;
    case kSeriesAuxiliary: return Channel::Auxiliary;
    default: return Channel::Actual;
    }
}

// A channel of the current axis with at most count samples: never more than it holds.
struct Samples {
    const double* data = nullptr;
    size_t count = 0;
};

Samples SamplesOf(const AppState& s, int series, size_t count, const std::vector<double>& skew) {
    if (series == kSeriesSkew) return {skew.data(), count < skew.size() ? count : skew.size()};
    const SampleSequence* seq = ChannelFor(s, ChannelOfSeries(series), 0);
    if (!seq) return {};
    return {seq->Data(), count < seq->Length() ? count : seq->Length()};
}

bool HasData(const AppState& s, Channel channel) {
    const SampleSequence* seq = ChannelFor(s, channel, 0);
    return seq && !seq->Empty();
}

void SetSeriesData(HWND pane, int series, const double* values, size_t count) {
    if (count > 65535) {
        std::vector<double> sent = Decimate(values, count);
        SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(series, sent.size()), reinterpret_cast<LPARAM>(sent.data()));
    } else {
        SendMessageA(pane, PWM_SETDATA, MAKEWPARAM(series, count), reinterpret_cast<LPARAM>(values));
    }
    SendMessageA(pane, PWM_SETSERIESNAME, series, reinterpret_cast<LPARAM>(SeriesName(series)));
}

void RunOp(const AppState& s, const PaneOp& op, size_t count, const std::vector<double>& skew) {
    if (op.pane < 0 || op.pane >= kPaneCount || !s.PlotPanes[op.pane]) return;
    HWND pane = s.PlotPanes[op.pane];
    switch (op.kind) {
    case PaneOpKind::EmptyRange:
        SendMessageA(pane, PWM_ADDRANGE, 0, 0);
        break;
    case PaneOpKind::AddRange: {
        Samples samples = SamplesOf(s, op.series, count, skew);
        // A count of 0 would empty the range instead of widening it.
        if (samples.count > 0)
            SendMessageA(pane, PWM_ADDRANGE, samples.count, reinterpret_cast<LPARAM>(samples.data));
        break;
    }
    case PaneOpKind::AddTargetRange:
        SendMessageA(pane, PWM_ADDRANGE, 1, reinterpret_cast<LPARAM>(&s.LastTest.Distance));
        break;
    case PaneOpKind::LabelDistance: SendText(pane, PWM_SETYLABEL, "Distance"); break;
    case PaneOpKind::LabelVolts: SendText(pane, PWM_SETYLABEL, "Volts"); break;
    case PaneOpKind::FormatVolts: SendText(pane, PWM_SETYFORMAT, "%7.3lf"); break;
    case PaneOpKind::ScalePlain: ScalePaneY(pane, false); break;
    case PaneOpKind::ScaleSymmetric: ScalePaneY(pane, true); break;
    case PaneOpKind::SetData: {
        Samples samples = SamplesOf(s, op.series, count, skew);
        SetSeriesData(pane, op.series, samples.data, samples.count);
        break;
    }
    case PaneOpKind::SetTarget: {
        const double target[2] = {s.LastTest.Distance, s.LastTest.Distance};
        SendMessageA(pane, PWM_SETSERIESSTYLE, kSeriesTarget, 1);
        SetSeriesData(pane, kSeriesTarget, target, 2);
        break;
    }
    }
}

}  // namespace

std::vector<PaneOp> PlanPlots(const PlotInputs& in) {
    std::vector<PaneOp> ops;
    const bool single = in.style == kPlotSingle;
    const bool multi = in.style == kPlotMulti;
    const bool separate = in.style == kPlotSeparate;
    const bool aux = in.auxCapture && in.plotAuxiliary;
    int cursor = 0;
    bool open = false;  // the cursor pane's range was emptied in this pass
    auto op = [&](PaneOpKind kind, int series = -1) { ops.push_back({cursor, kind, series}); };
    auto next = [&] { ++cursor; open = false; };
    // A position curve that joins the cursor pane: the first one empties the
    // range and adds the target to it.
    auto position = [&](int series) {
        if (!open) {
            op(PaneOpKind::EmptyRange);
            open = true;
            if (in.plotTarget) op(PaneOpKind::AddTargetRange);
        }
        op(PaneOpKind::AddRange, series);
        op(PaneOpKind::LabelDistance);
    };

    // Range pass.
    if (in.plotActual) {
        if (in.hasActual) position(kSeriesActual);  // the cursor is at pane 0 here
        if (separate) { op(PaneOpKind::ScalePlain); next(); }
    }
    if (in.plotOptimal) {
        if (in.hasOptimal && in.trajectory) position(kSeriesOptimal);
        if (separate) { op(PaneOpKind::ScalePlain); next(); }
    }
    if (aux) {
        if (in.hasAuxiliary) position(kSeriesAuxiliary);
        if (separate) { op(PaneOpKind::ScalePlain); next(); }
    }
    if (multi) { op(PaneOpKind::ScalePlain); next(); }
    if (in.plotError) {
        const bool error = in.hasError && in.trajectory;
        if (error || in.hasSkew) {
            if (!open) { op(PaneOpKind::EmptyRange); open = true; }
            if (error) op(PaneOpKind::AddRange, kSeriesError);
            if (in.hasSkew) op(PaneOpKind::AddRange, kSeriesSkew);
            op(PaneOpKind::LabelDistance);
        }
        if (!single) { op(PaneOpKind::ScaleSymmetric); next(); }
    }
    if (in.plotTorque) {
        if (in.hasTorque) {
            if (!open) op(PaneOpKind::EmptyRange);
            op(PaneOpKind::AddRange, kSeriesTorque);
        }
        if (!single) {
            op(PaneOpKind::ScaleSymmetric);
            op(PaneOpKind::LabelVolts);
            op(PaneOpKind::FormatVolts);
        }
    }
    if (single) op(PaneOpKind::ScalePlain);

    // Series pass.
    cursor = 0;
    if (in.plotActual) {
        if (in.hasActual) {
            op(PaneOpKind::SetData, kSeriesActual);
            if (in.plotTarget) op(PaneOpKind::SetTarget);
        }
        if (separate) ++cursor;
    }
    if (in.plotOptimal) {
        if (in.hasOptimal && in.trajectory) {
            op(PaneOpKind::SetData, kSeriesOptimal);
            if (separate && in.plotTarget) op(PaneOpKind::SetTarget);
        }
        if (separate) ++cursor;
    }
    if (aux) {
        if (in.hasAuxiliary) {
            op(PaneOpKind::SetData, kSeriesAuxiliary);
            if (separate && in.plotTarget) op(PaneOpKind::SetTarget);
        }
        if (separate) ++cursor;
    }
    if (multi) ++cursor;
    if (in.plotError) {
        if (in.hasError && in.trajectory) op(PaneOpKind::SetData, kSeriesError);
        if (in.hasSkew) op(PaneOpKind::SetData, kSeriesSkew);
        if (!single) ++cursor;
    }
    if (in.plotTorque && in.hasTorque) op(PaneOpKind::SetData, kSeriesTorque);
    return ops;
}

std::vector<double> Decimate(const double* values, size_t count, size_t limit) {
    std::vector<double> out;
    if (!values || count == 0 || limit == 0) return out;
    size_t stride = (count + limit - 1) / limit;
    out.reserve((count + stride - 1) / stride);
    for (size_t i = 0; i < count; i += stride) out.push_back(values[i]);
    return out;
}

void UpdatePlots(HWND mainWindow) {
    AppState* state = StateOf(mainWindow);
    if (!state) return;
    AppState& s = *state;
    FollowAxisInHistory(s);
    ClearPlots(s);
    if (!s.TestDone) return;

    const double xmin = s.LastTest.Delay * 1000.0;
    const double xmax = (s.LastTest.RecordTime + s.LastTest.Delay) * 1000.0;
    const int used = s.PlotPaneCount();
    for (int i = 0; i < used && i < kPaneCount; ++i) {
        if (!s.PlotPanes[i]) continue;
        SendDouble(s.PlotPanes[i], PWM_SETXMIN, xmin);
        SendDouble(s.PlotPanes[i], PWM_SETXMAX, xmax);
    }

    const int samples = s.LastTest.SampleCount / EffectiveSampling(s.LastTest.Sampling);
    const size_t count = samples > 0 ? static_cast<size_t>(samples) : 0;
    PlotInputs in;
    in.style = s.PlotStyle;
    in.plotActual = s.PlotActual != 0;
    in.plotOptimal = s.PlotOptimal != 0;
    in.plotError = s.PlotError != 0;
    in.plotTorque = s.PlotTorque != 0;
    in.plotTarget = s.PlotTarget != 0;
    in.plotAuxiliary = s.PlotAuxiliary != 0;
    in.auxCapture = s.AuxCapture != 0;
    in.trajectory = s.Test.Trajectory != 0;
    in.hasActual = HasData(s, Channel::Actual);
    in.hasOptimal = HasData(s, Channel::Optimal);
    in.hasError = HasData(s, Channel::Error);
    in.hasTorque = HasData(s, Channel::Torque);
    in.hasAuxiliary = HasData(s, Channel::Auxiliary);
    const std::vector<double> skew = DisplayedSkew(s);
    in.hasSkew = !skew.empty();
    for (const PaneOp& op : PlanPlots(in)) RunOp(s, op, count, skew);
    ShowResponseMetrics(s, count);
    ShowHistoryOverlays(s);

    for (HWND pane : s.PlotPanes)
        if (pane) SendMessageA(pane, PWM_UPDATE, 0, 0);
}

YScale ScaleY(double lo, double hi, bool symmetric) {
    int top = -1, bottom = -1;
    for (int i = 0; i < kScaleCount; ++i)
        if (std::fabs(hi) <= kScaleTable[i]) { top = i; break; }
    for (int i = 0; i < kScaleCount; ++i)
        if (std::fabs(lo) <= kScaleTable[i]) {
            // A positive low end rounds down to the entry below.
            bottom = lo > 0 ? i - 1 : i;
            break;
        }
    YScale y;
    if (symmetric) {
        double b = bottom >= 0 ? kScaleTable[bottom] : 1.0;
        double t = top >= 0 ? kScaleTable[top] : 1.0;
        double m = b > t ? b : t;
        y.hasMin = y.hasMax = true;
        y.min = -m;
        y.max = m;
        return y;
    }
    if (bottom >= 0) {
        y.hasMin = true;
        y.min = lo < 0 ? -kScaleTable[bottom] : kScaleTable[bottom];
    }
    if (top >= 0) {
        y.hasMax = true;
        y.max = hi < 0 ? -kScaleTable[top] : kScaleTable[top];
    }
    return y;
}

void ScalePaneY(HWND pane, bool symmetric) {
    double lo = 0.0, hi = 0.0;
    SendMessageA(pane, PWM_GETMIN, 0, reinterpret_cast<LPARAM>(&lo));
    SendMessageA(pane, PWM_GETMAX, 0, reinterpret_cast<LPARAM>(&hi));
    YScale y = ScaleY(lo, hi, symmetric);
    if (symmetric) {
        SendDouble(pane, PWM_SETYMAX, y.max);
        SendDouble(pane, PWM_SETYMIN, y.min);
        return;
    }
    if (y.hasMin) SendDouble(pane, PWM_SETYMIN, y.min);
    if (y.hasMax) SendDouble(pane, PWM_SETYMAX, y.max);
}

int PaneDivisions(int extent, int small, int large) {
    if (extent < small) return 2;
    if (extent < large) return 4;
    return 10;
}

void SetPaneDivisions(HWND pane, int width, int height) {
    SendMessageA(pane, PWM_SETYDIVISIONS, 0, PaneDivisions(height, 125, 250));
    SendMessageA(pane, PWM_SETXDIVISIONS, 0, PaneDivisions(width, 200, 500));
}
