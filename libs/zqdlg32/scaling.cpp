// Scaling Setup dialog: the position scale of one axis (counts per unit) and
// the name of its units, written with the axis's AxisScale record on OK.
#include <cstdio>
#include <string>

#include "api.h"
#include "axis_form.h"
#include "dialog_util.h"
#include "dialogs.h"
#include "zqdlg32.h"
#include "zqdlg32_ids.h"

namespace zqdlg {

namespace {

constexpr char kCaption[] = "Scaling Setup";

struct ScaleSetup {
    short handle;
    unsigned short axis;
    bool editable;
    AxisScale scale;
    std::string shownScale;
};

void OnInitDialog(HWND dialog, ScaleSetup& s) {
    char text[96];
    std::snprintf(text, sizeof text, "%s - Axis %u", kCaption, s.axis);
    SetWindowTextA(dialog, text);
    AxisHeading(s.handle, s.axis, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_SCALE_MODULE, text);
    s.shownScale = FormatNumber(s.scale.Scale);
    SetDlgItemTextA(dialog, IDC_SCALE, s.shownScale.c_str());
    SetDlgItemTextA(dialog, IDC_UNITS, UnitsOf(s.scale).c_str());
    SendDlgItemMessageA(dialog, IDC_UNITS, EM_LIMITTEXT, kMaxUnitsLength, 0);
    if (!s.editable) {
        SendDlgItemMessageA(dialog, IDC_SCALE, EM_SETREADONLY, TRUE, 0);
        SendDlgItemMessageA(dialog, IDC_UNITS, EM_SETREADONLY, TRUE, 0);
        ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
        SetDlgItemTextA(dialog, IDOK, "Close");
    }
    CenterOnOwner(dialog);
}

bool OnOk(HWND dialog, ScaleSetup& s) {
    const Api* api = GetApi();
    AxisScale scale{};
    int r = api->GetScale(s.handle, s.axis, &scale);
    if (r == 0) {
        std::string text = GetItemText(dialog, IDC_SCALE);
        double value = s.scale.Scale;
        if (text != s.shownScale) {
            std::string message = CheckNumber(text, "scale", NumberRule::NonZero, value);
            if (!message.empty()) {
                MessageBoxA(dialog, message.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
                FocusItem(dialog, IDC_SCALE);
                return false;
            }
        }
        scale.Scale = value;
        SetUnits(scale, GetItemText(dialog, IDC_UNITS));
        r = api->SetScale(s.handle, s.axis, &scale);
    }
    if (r != 0) {
        ShowControllerError(dialog, "The scale of axis " + std::to_string(s.axis) +
                                        " could not be written to the controller.", r, kCaption);
        return false;
    }
    return true;
}

INT_PTR CALLBACK ScalingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        auto* s = reinterpret_cast<ScaleSetup*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            OnInitDialog(dialog, *reinterpret_cast<ScaleSetup*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && s) {
                if (!s->editable) EndDialog(dialog, kDlgCancelled);
                else if (OnOk(dialog, *s)) EndDialog(dialog, kDlgOk);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, kDlgCancelled);
                return TRUE;
            }
            break;
        }
    } catch (...) {
    }
    return FALSE;
}

}  // namespace

int RunScaling(HWND owner, short handle, unsigned short axis, int mode) {
    const Api* api = GetApi();
    if (!api) {
        MessageBoxA(owner, ErrorText(0).c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrNoApiLibrary;
    }
    ScaleSetup s{};
    s.handle = handle;
    s.axis = axis;
    s.editable = mode != 0;
    int r = api->GetScale(handle, axis, &s.scale);
    if (r != 0) {
        std::string text = "The scale of axis " + std::to_string(axis) + " cannot be read.\n\n" + ErrorText(r);
        MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrController;
    }
    INT_PTR result = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_SCALING), owner, ScalingProc,
                                     reinterpret_cast<LPARAM>(&s));
    return result == -1 ? kDlgErrBadArgument : static_cast<int>(result);
}

}  // namespace zqdlg
