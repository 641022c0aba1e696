// The "Auto Tune" dialog (see auto_tune_dialog.h). The dialog only shows the
// run and passes the buttons on; the run itself is AutoTuneRun, advanced from
// a timer so that the dialog's own message loop keeps everything alive.
#include "auto_tune_dialog.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../core/modal_wait.h"
#include "../history/history_runs.h"
#include "../panel/dialog_helpers.h"
#include "../plot/plot_display.h"
#include "../resources/auto_tune_ids.h"
#include "tune_run.h"

namespace {

constexpr UINT_PTR kRunTimer = 1;
// Work done in one timer message before the dialog looks at its queue again.
constexpr DWORD kSliceMs = 30;

struct DialogData {
    AppState* state = nullptr;
    HWND main = nullptr;
    std::unique_ptr<AutoTuneRun> run;
};

DialogData* DataOf(HWND dialog) { return reinterpret_cast<DialogData*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

const int kStyleIds[] = {IDC_TUNE_STIFF, IDC_TUNE_MEDIUM, IDC_TUNE_SOFT};

TuneStyle ChosenStyle(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_TUNE_STIFF) == BST_CHECKED) return TuneStyle::Stiff;
    if (IsDlgButtonChecked(dialog, IDC_TUNE_SOFT) == BST_CHECKED) return TuneStyle::Soft;
    return TuneStyle::Medium;
}

void ShowGain(HWND dialog, int id, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    SetDlgItemTextA(dialog, id, text);
}

void ShowRun(HWND dialog, const AutoTuneRun& run) {
    SetDlgItemTextA(dialog, IDC_TUNE_STATUS, run.Status().c_str());
    SendDlgItemMessageA(dialog, IDC_TUNE_PROGRESS, PBM_SETPOS, run.Progress(), 0);
    if (run.HasProposal()) {
        ShowGain(dialog, IDC_TUNE_PROPOSED_P, run.Proposed().p);
        ShowGain(dialog, IDC_TUNE_PROPOSED_I, run.Proposed().i);
        ShowGain(dialog, IDC_TUNE_PROPOSED_D, run.Proposed().d);
        const StepFigures& p = run.Predicted();
        std::string text = "Predicted: " + TuneFiguresText(p.rise, p.overshoot, p.settling, p.Settled());
        if (run.Proposed().integrationLimit >= 0) {
            char line[96];
            std::snprintf(line, sizeof line, "\r\nIntegration limit %.4g (now %.4g)", run.Proposed().integrationLimit,
                          run.OriginalFilter().IntegrationLimit);
            text += line;
        }
        if (run.Proposed().derivativePeriod > 0) {
            char line[96];
            std::snprintf(line, sizeof line, "\r\nDerivative period %.4g ms (now %.4g ms)",
                          run.Proposed().derivativePeriod * 1000, run.OriginalFilter().DerivativeSamplePeriod * 1000);
            text += line;
        }
        if (run.Checks() > 0 && !run.CheckStep().actual.empty()) {
            const CheckFigures& m = run.Measured();
            text += "\r\nMeasured: " + TuneFiguresText(m.rise, m.overshoot, m.settling, m.settled);
        }
        SetDlgItemTextA(dialog, IDC_TUNE_RESULTS, text.c_str());
    }
    if (run.Finished()) {
        EnableWindow(GetDlgItem(dialog, IDC_TUNE_APPLY), run.Phase() == TunePhase::Done);
        SetDlgItemTextA(dialog, IDCANCEL, "Close");
    }
}

// The check step as the plots and the test history take it: the start
// sample, then the captured points, relative to the start target.
void StoreCheckStep(AppState& s, const AutoTuneRun& run) {
    const CapturedMove& m = run.CheckStep();
    const int axis = s.Axis;
    SampleSequence* actual = ChannelFor(s, Channel::Actual, axis);
    SampleSequence* optimal = ChannelFor(s, Channel::Optimal, axis);
    SampleSequence* torque = ChannelFor(s, Channel::Torque, axis);
    SampleSequence* error = ChannelFor(s, Channel::Error, axis);
    if (!actual || !optimal || !torque || !error || m.actual.empty()) return;
    s.Capture.ClearAxis(axis);
    const size_t n = m.actual.size();
    double firstTorque = m.torque.empty() ? 0.0 : m.torque.front();
    for (size_t j = 0; j <= n; ++j) {
        double a = j == 0 ? 0.0 : m.actual[j - 1] - m.startTarget;
        double o = (j == 0 ? m.startOptimal : m.optimal[j - 1]) - m.startTarget;
        actual->Append(a);
        optimal->Append(o);
        error->Append(a - o);
        torque->Append(j == 0 ? firstTorque : (j - 1 < m.torque.size() ? m.torque[j - 1] : 0.0));
    }
    TestSettings t = s.Test;
    t.Distance = std::fabs(m.distance);
    t.RecordTime = static_cast<double>(n) * m.period;
    t.SampleCount = static_cast<int>(n) + 1;
    t.SamplePeriod = m.period;
    t.Sampling = 1;
    t.Cycle = 0;
    t.Repeat = 0;
    t.Delay = 0;
    s.LastTest = t;
    s.TestDone = 1;
    TestOrigin o;
    o.Axis = axis;
    MotionConfig motion = {};
    ZqGetMotionConfig(s.ControllerHandle, static_cast<unsigned short>(axis), &motion);
    o.TorqueLimit = std::isfinite(motion.Torque) && motion.Torque > 0 ? motion.Torque : 0.0;
    o.SampleTime = m.period;
    s.LastOrigin = o;
}

BOOL OnInit(HWND dialog, DialogData* data) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
    AppState& s = *data->state;
    SetDlgItemTextA(dialog, IDC_TUNE_TEXT, AutoTuneMoveText(s.Test.Distance).c_str());
    const TuneStyle style = RememberedStyle(s);
    CheckRadioButton(dialog, IDC_TUNE_STIFF, IDC_TUNE_SOFT, kStyleIds[static_cast<int>(style)]);
    const short h = s.ControllerHandle;
    const unsigned short axis = static_cast<unsigned short>(s.Axis);
    double p = 0;
    ZqGetGain(h, axis, &p);
    FilterConfig f = {};
    ZqGetFilterConfig(h, axis, &f);
    ShowGain(dialog, IDC_TUNE_CURRENT_P, p);
    ShowGain(dialog, IDC_TUNE_CURRENT_I, f.IntegralGain);
    ShowGain(dialog, IDC_TUNE_CURRENT_D, f.DerivativeGain);
    SendDlgItemMessageA(dialog, IDC_TUNE_PROGRESS, PBM_SETRANGE32, 0, 100);
    CenterDialog(dialog);
    return TRUE;
}

void OnStart(HWND dialog, DialogData* data) {
    if (data->run) return;
    AppState& s = *data->state;
    AutoTuneSetup setup;
    setup.handle = s.ControllerHandle;
    setup.axis = static_cast<unsigned short>(s.Axis);
    setup.partner = GantryPartner(s);
    setup.style = ChosenStyle(dialog);
    setup.distance = s.Test.Distance;
    setup.trajectory = s.Test.Trajectory != 0;
    RememberStyle(s, setup.style);
    data->run = std::make_unique<AutoTuneRun>(setup);
    for (int id : kStyleIds) EnableWindow(GetDlgItem(dialog, id), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_TUNE_START), FALSE);
    SetFocus(GetDlgItem(dialog, IDCANCEL));
    data->run->Start();
    ShowRun(dialog, *data->run);
    if (!data->run->Finished()) SetTimer(dialog, kRunTimer, 1, nullptr);
}

void OnTimer(HWND dialog, DialogData* data) {
    KillTimer(dialog, kRunTimer);
    AutoTuneRun* run = data->run.get();
    if (!run || run->Finished()) return;
    const DWORD start = GetTickCount();
    DWORD next = 0;
    do {
        next = run->Advance();
    } while (next == 0 && !run->Finished() && GetTickCount() - start < kSliceMs);
    ShowRun(dialog, *run);
    if (!run->Finished()) SetTimer(dialog, kRunTimer, next > 0 ? next : 1, nullptr);
}

void OnApply(HWND dialog, DialogData* data) {
    AutoTuneRun* run = data->run.get();
    if (!run || run->Phase() != TunePhase::Done) return;
    AppState& s = *data->state;
    const double limit = run->Proposed().integrationLimit;
    const double derivativePeriod = run->Proposed().derivativePeriod;
    if (limit >= 0 || derivativePeriod > 0) {
        // The integration limit and the derivative sample period go in the
        // filter record first, so that the I and D writes below carry them to
        // the gantry partner with the rest.
        FilterConfig f = {};
        ZqGetFilterConfig(s.ControllerHandle, static_cast<unsigned short>(s.Axis), &f);
        if (limit >= 0) f.IntegrationLimit = limit;
        if (derivativePeriod > 0) f.DerivativeSamplePeriod = derivativePeriod;
        ZqSetFilterConfig(s.ControllerHandle, static_cast<unsigned short>(s.Axis), &f);
    }
    HistoryRun gains;
    gains.P = run->Proposed().p;
    gains.I = run->Proposed().i;
    gains.D = run->Proposed().d;
    RestoreRunGains(s, gains);  // the sliders' way, to the gantry partner too while sharing
    StoreCheckStep(s, *run);
    UpdatePlots(data->main);
    AddDisplayedRun(data->main, "auto tune", true);
    EndDialog(dialog, IDOK);
}

void OnCancel(HWND dialog, DialogData* data) {
    KillTimer(dialog, kRunTimer);
    if (data->run) data->run->Cancel();  // stops the axis, puts the gains of Start back
    EndDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK AutoTuneProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogData* data = message == WM_INITDIALOG ? reinterpret_cast<DialogData*>(lParam) : DataOf(dialog);
    if (!data) return FALSE;
    try {
        switch (message) {
        case WM_INITDIALOG: return OnInit(dialog, data);
        case WM_TIMER:
            if (wParam == kRunTimer) OnTimer(dialog, data);
            return TRUE;
        case WM_CLOSE: OnCancel(dialog, data); return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDC_TUNE_START: OnStart(dialog, data); return TRUE;
            case IDC_TUNE_APPLY: OnApply(dialog, data); return TRUE;
            case IDCANCEL: OnCancel(dialog, data); return TRUE;
            default: return FALSE;
            }
        }
    } catch (...) {
        // Nothing may escape into the dialog manager: stop and close.
        OnCancel(dialog, data);
        return TRUE;
    }
    return FALSE;
}

bool AxisReady(const AppState& s, bool* motorOn, bool* servo, bool* torque) {
    const short h = s.ControllerHandle;
    const unsigned short axis = static_cast<unsigned short>(s.Axis);
    *motorOn = ZqDecodeStatus(h, ZqGetStatus(h, axis), kStatusMotorOn) > 0;
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(h, axis, &config);
    *servo = config.ModuleType != 0 && (config.Flags & 1) != 0;
    *torque = (config.CaptureFlags & kCaptureTorque) != 0;
    return *motorOn && *servo && *torque;
}

}  // namespace

std::string AutoTuneRefusal(bool controllerOpen, bool motorOn, bool servoAxis, bool torqueCapture) {
    if (!controllerOpen) return "Auto Tune needs an open controller.";
    std::vector<const char*> missing;
    if (!motorOn) missing.push_back("the motor on");
    if (!servoAxis) missing.push_back("a servo axis");
    if (!torqueCapture) missing.push_back("torque capture");
    if (missing.empty()) return "";
    std::string text = "Auto Tune needs ";
    for (size_t k = 0; k < missing.size(); ++k) {
        if (k > 0) text += k + 1 == missing.size() ? " and " : ", ";
        text += missing[k];
    }
    return text + ".";
}

std::string AutoTuneMoveText(double distance) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "The axis will move by up to the test distance (%g) either way from where it stands and come "
                  "back.",
                  std::fabs(distance));
    return text;
}

std::string TuneFiguresText(double rise, double overshoot, double settling, bool settled) {
    char text[160];
    char riseText[32] = "n/a", settleText[32] = "not settled";
    if (rise >= 0) std::snprintf(riseText, sizeof riseText, "%.1f ms", rise * 1000);
    if (settled && settling >= 0) std::snprintf(settleText, sizeof settleText, "%.1f ms", settling * 1000);
    std::snprintf(text, sizeof text, "rise %s, overshoot %.1f %%, settling %s", riseText,
                  overshoot > 0 ? overshoot : 0.0, settleText);
    return text;
}

TuneStyle RememberedStyle(const AppState& state) {
    switch (state.AutoTuneStyle) {
    case 0: return TuneStyle::Stiff;
    case 2: return TuneStyle::Soft;
    default: return TuneStyle::Medium;
    }
}

void RememberStyle(AppState& state, TuneStyle style) {
    state.AutoTuneStyle = style == TuneStyle::Stiff ? 0 : style == TuneStyle::Soft ? 2 : 1;
}

INT_PTR RunAutoTune(HWND mainWindow) {
    AppState* state = StateOf(mainWindow);
    if (!state || ModalWorkRunning(mainWindow)) return 0;
    bool motorOn = false, servo = false, torque = false;
    const bool open = state->ControllerHandle > 0;
    if (open) AxisReady(*state, &motorOn, &servo, &torque);
    std::string refusal = AutoTuneRefusal(open, motorOn, servo, torque);
    if (!refusal.empty()) {
        MessageBoxA(mainWindow, refusal.c_str(), "Auto Tune", MB_ICONINFORMATION);
        return 0;
    }
    static bool controlsReady = false;
    if (!controlsReady) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
        controlsReady = InitCommonControlsEx(&icc) != FALSE;
    }
    ModalWork busy(mainWindow);  // no other command while the axis is under the run's control
    DialogData data;
    data.state = state;
    data.main = mainWindow;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    return DialogBoxParamA(instance, IDD_AUTO_TUNE, mainWindow, AutoTuneProc, reinterpret_cast<LPARAM>(&data));
}
