// "Plot Settings" page: shows the plot choices and stores them when the sheet
// is applied. Only the Plotting radio buttons report a change to the sheet.
#include "plot_settings_page.h"

#include <prsht.h>

#include <cmath>
#include <new>

#include "../panel/dialog_helpers.h"
#include "../resources/test_setup_ids.h"
#include "property_page.h"

namespace {

struct PlotPage {
    AppState* state = nullptr;
    int style = kPlotMulti;  // chosen plot style, a radio id 1220..1222
    int interval = 1;        // chosen sampling interval 1, 2 or 4
};

PlotPage* PageOf(HWND page) { return reinterpret_cast<PlotPage*>(GetWindowLongPtrA(page, DWLP_USER)); }

void SetCheck(HWND page, int id, BYTE on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

void FillControls(HWND page, PlotPage& p) {
    const AppState& s = *p.state;
    SetCheck(page, IDC_PLOT_ACTUAL, s.PlotActual);
    SetCheck(page, IDC_PLOT_OPTIMAL, s.PlotOptimal);
    SetCheck(page, IDC_PLOT_ERROR, s.PlotError);
    SetCheck(page, IDC_PLOT_TORQUE, s.PlotTorque);
    SetCheck(page, IDC_PLOT_TARGET, s.PlotTarget);
    SetCheck(page, IDC_PLOT_METRICS, s.PlotMetrics);
    EnableItems(page, IDC_PLOT_ACTUAL, IDC_PLOT_ERROR, s.PlotStyle != kPlotMulti);
    EnableItems(page, IDC_PLOT_TORQUE, IDC_PLOT_TORQUE, s.TorqueCapture != 0);
    SetCheck(page, IDC_PLOT_AUXILIARY, s.AuxCapture ? s.PlotAuxiliary : 0);
    SetDlgItemNumber(page, IDC_AUX_SCALE, s.AuxiliaryScale, 3);
    EnableItems(page, IDC_PLOT_AUXILIARY, IDC_PLOT_AUXILIARY, s.AuxCapture != 0);
    EnableItems(page, IDC_AUX_SCALE_LABEL, IDC_AUX_SCALE, CheckState(page, IDC_PLOT_AUXILIARY) != 0);
    p.style = s.PlotStyle;
    CheckRadioButton(page, IDC_STYLE_SINGLE, IDC_STYLE_SEPARATE, p.style);
    p.interval = s.Test.Sampling;
    CheckRadioButton(page, IDC_SAMPLING_ALL, IDC_SAMPLING_QUARTER, IDC_SAMPLING_BASE + p.interval);
}

void ChooseStyle(HWND page, PlotPage& p, int id) {
    p.style = id;
    CheckRadioButton(page, IDC_STYLE_SINGLE, IDC_STYLE_SEPARATE, id);
    if (id == kPlotMulti) {
        // Multi draws actual, optimal and error together: all three on, not editable.
        for (int box : {IDC_PLOT_ACTUAL, IDC_PLOT_OPTIMAL, IDC_PLOT_ERROR}) SetCheck(page, box, 1);
        EnableItems(page, IDC_PLOT_ACTUAL, IDC_PLOT_ERROR, false);
    } else {
        EnableItems(page, IDC_PLOT_ACTUAL, IDC_PLOT_ERROR, true);
        EnableItems(page, IDC_PLOT_TORQUE, IDC_PLOT_TORQUE, p.state->TorqueCapture != 0);
    }
}

void OnCommand(HWND page, PlotPage& p, int id) {
    switch (id) {
    case IDC_PLOT_ACTUAL:
    case IDC_PLOT_OPTIMAL:
    case IDC_PLOT_ERROR:
    case IDC_PLOT_TORQUE:
    case IDC_PLOT_TARGET:
    case IDC_PLOT_METRICS: ToggleCheck(page, id); break;
    case IDC_PLOT_AUXILIARY: EnableItems(page, IDC_AUX_SCALE_LABEL, IDC_AUX_SCALE, ToggleCheck(page, id)); break;
    case IDC_STYLE_SINGLE:
    case IDC_STYLE_MULTI:
    case IDC_STYLE_SEPARATE: ChooseStyle(page, p, id); break;
    case IDC_SAMPLING_ALL:
    case IDC_SAMPLING_HALF:
    case IDC_SAMPLING_QUARTER:
        p.interval = id - IDC_SAMPLING_BASE;
        CheckRadioButton(page, IDC_SAMPLING_ALL, IDC_SAMPLING_QUARTER, id);
        ReportPageChanged(page);
        break;
    default: break;
    }
}

void Apply(HWND page, PlotPage& p) {
    PlotChoices c;
    c.Actual = CheckState(page, IDC_PLOT_ACTUAL);
    c.Optimal = CheckState(page, IDC_PLOT_OPTIMAL);
    c.Error = CheckState(page, IDC_PLOT_ERROR);
    c.Torque = CheckState(page, IDC_PLOT_TORQUE);
    c.Target = CheckState(page, IDC_PLOT_TARGET);
    c.Auxiliary = CheckState(page, IDC_PLOT_AUXILIARY);
    c.Metrics = CheckState(page, IDC_PLOT_METRICS);
    // An untouched scale stays exactly as stored, not rounded to the edit's three decimals.
    const double stored = p.state->AuxiliaryScale;
    c.AuxiliaryScale = std::isfinite(stored) && EntryShows(page, IDC_AUX_SCALE, stored, 3)
                           ? stored
                           : GetDlgItemNumber(page, IDC_AUX_SCALE);
    c.Style = p.style;
    c.Interval = p.interval;
    StorePlotChoices(c, *p.state);
    NotePageApplied();
}

}  // namespace

void StorePlotChoices(const PlotChoices& c, AppState& s) {
    s.PlotActual = c.Actual ? 1 : 0;
    s.PlotOptimal = c.Optimal ? 1 : 0;
    s.PlotError = c.Error ? 1 : 0;
    s.PlotTorque = c.Torque ? 1 : 0;
    s.PlotTarget = c.Target ? 1 : 0;
    s.PlotAuxiliary = c.Auxiliary ? 1 : 0;
    s.PlotMetrics = c.Metrics ? 1 : 0;
    // No range check (a negative scale mirrors the curve), but "nan" or "inf"
    // would poison every auxiliary sample.
    s.AuxiliaryScale = std::isfinite(c.AuxiliaryScale) ? c.AuxiliaryScale : 0.0;
    s.PlotStyle = c.Style;
    if (c.Interval > 0) s.Test.Sampling = c.Interval;
}

INT_PTR CALLBACK PlotSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* p = new (std::nothrow) PlotPage;
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
        if (p && (p->state = PageStateFrom(lParam))) FillControls(page, *p);
        return TRUE;
    }
    case WM_COMMAND:
        if (PlotPage* p = PageOf(page); p && p->state) OnCommand(page, *p, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        PlotPage* p = PageOf(page);
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (p && p->state && header && header->code == static_cast<UINT>(PSN_APPLY)) Apply(page, *p);
        return TRUE;
    }
    case WM_DESTROY:
        delete PageOf(page);
        SetWindowLongPtrA(page, DWLP_USER, 0);
        return FALSE;
    default: return FALSE;
    }
}
