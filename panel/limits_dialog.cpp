// PID slider limits dialog: shows the six limits, enables the groups of the
// gains in LimitsDialogMask, validates on OK and stores the limits of all three.
#include "limits_dialog.h"

#include "../core/help_file.h"
#include "../resources/limits_dialog_ids.h"
#include "dialog_helpers.h"
#include "gain_slider.h"

int (WINAPI *LimitsWarningFunction)(HWND, LPCSTR, LPCSTR, UINT) = MessageBoxA;

const char* CheckGainLimits(const GainLimitPair limits[3], const double percents[3]) {
    static const char* const kOrder[3] = {
        "Proportional Gain Upper Limit must be greater than Lower Limit.",
        "Intergral Gain Upper Limit must be greater than Lower Limit.",
        "Derivative Gain Upper Limit must be greater than Lower Limit.",
    };
    static const char* const kRange[3] = {
        "Proportional Gain Limits must be between 0% and 100%.",
        "Integral Gain Limits must be between 0% and 100%.",
        "Derivative Gain Limits must be between 0% and 100%.",
    };
    static const char* const kInside[3] = {
        "Proportional Gain is not within Limits.",
        "Integral Gain is not within Limits.",
        "Derivative Gain is not within Limits.",
    };
    for (int g = 0; g < 3; ++g) {
        // "not greater" rather than "less or equal", so a limit that is not a number fails.
        if (!(limits[g].Upper > limits[g].Lower)) return kOrder[g];
        if (limits[g].Upper > 100 || limits[g].Lower < 0) return kRange[g];
    }
    for (int g = 0; g < 3; ++g)
        if (percents[g] > limits[g].Upper || percents[g] < limits[g].Lower) return kInside[g];
    return nullptr;
}

namespace {

const int kGroups[3] = {IDC_PID_P_GROUP, IDC_PID_I_GROUP, IDC_PID_D_GROUP};

GainChannel* ChannelOf(AppState& s, int g) {
    GainChannel* channels[3] = {&s.PropGain, &s.IntGain, &s.DerGain};
    return channels[g];
}

void OnInitDialog(HWND dialog, AppState& s) {
    for (int g = 0; g < 3; ++g) {
        const GainChannel& c = *ChannelOf(s, g);
        SetDlgItemNumber(dialog, kGroups[g] + PID_GROUP_UPPER, c.UpperLimit, -1);
        SetDlgItemNumber(dialog, kGroups[g] + PID_GROUP_LOWER, c.LowerLimit, -1);
    }
    for (int g = 0; g < 3; ++g) {
        if (s.LimitsDialogMask & (1 << g)) continue;
        for (int id = kGroups[g]; id < kGroups[g] + PID_GROUP_SIZE; ++id) EnableWindow(GetDlgItem(dialog, id), FALSE);
    }
    CenterDialog(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));
}

void OnOk(HWND dialog, AppState& s) {
    GainLimitPair limits[3];
    double percents[3];
    for (int g = 0; g < 3; ++g) {
        limits[g].Upper = GetDlgItemNumber(dialog, kGroups[g] + PID_GROUP_UPPER);
        limits[g].Lower = GetDlgItemNumber(dialog, kGroups[g] + PID_GROUP_LOWER);
        percents[g] = ChannelOf(s, g)->Percent;
    }
    if (const char* message = CheckGainLimits(limits, percents)) {
        if (LimitsWarningFunction(dialog, message, "Loopsmith", MB_ICONWARNING | MB_RETRYCANCEL) == IDCANCEL)
            EndDialog(dialog, 0);
        return;
    }
    for (int g = 0; g < 3; ++g) {
        ChannelOf(s, g)->UpperLimit = limits[g].Upper;
        ChannelOf(s, g)->LowerLimit = limits[g].Lower;
    }
    RefreshSliders(s);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK LimitsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *reinterpret_cast<AppState*>(lParam));
        return FALSE;  // the focus is already on OK
    }
    if (message != WM_COMMAND) return FALSE;
    auto* s = reinterpret_cast<AppState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case IDOK: if (s) OnOk(dialog, *s); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    case IDC_PID_HELP:
        ShowHelpTopic(dialog, kHelpPidSetup);
        break;
    default: break;
    }
    return TRUE;
}

}  // namespace

INT_PTR RunLimitsDialog(HWND owner, AppState& state) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), "PanelSetupDialog", owner, LimitsDialogProc,
                           reinterpret_cast<LPARAM>(&state));
}
