// "Info" page: module description, capture buffer size, minimum capture
// period and capture modes of the current axis.
#include "info_page.h"

#include <prsht.h>

#include <cstdio>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../panel/dialog_helpers.h"
#include "../resources/test_setup_ids.h"
#include "property_page.h"

namespace {

void FillControls(HWND page, const AppState& s) {
    short handle = s.ControllerHandle;
    unsigned short axis = static_cast<unsigned short>(s.Axis);
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(handle, axis, &config);

    char text[257];
    std::snprintf(text, sizeof text, "Axis %d Settings", s.Axis);
    SetDlgItemTextA(page, IDC_INFO_GROUP, text);

    char description[257] = {};
    ZQDLG_ModuleDescEx(config.ModuleType, 1, description, 256);
    description[256] = '\0';
    SetDlgItemTextA(page, IDC_INFO_AXIS_TYPE, description);

    SetDlgItemInt(page, IDC_INFO_BUFFER_SIZE, static_cast<UINT>(config.CaptureBufferSize), TRUE);
    double period = 0.0;
    ServoPeriod(handle, axis, &period);
    SetDlgItemNumber(page, IDC_INFO_MIN_PERIOD, period, 6);
    SetDlgItemTextA(page, IDC_INFO_ADVANCED, AdvancedCaptureText(config.CaptureFlags));
    SetDlgItemTextA(page, IDC_INFO_MODES, CaptureModesText(config.CaptureFlags).c_str());
}

}  // namespace

// The Info page reports advanced capture from the torque bit (0x80), not from
// the bit the program uses for AdvancedCapture (0x100).
const char* AdvancedCaptureText(int captureFlags) { return (captureFlags & kCapTorque) ? "Yes" : "No"; }

std::string CaptureModesText(int captureFlags) {
    std::string text = "Position, Optimal, Error";
    if (captureFlags & kCapTorque) text += ", Torque";
    if (captureFlags & kCapAuxiliary) text += ", Auxiliary";
    if (captureFlags & kCapStatus) text += ", Status";
    return text;
}

INT_PTR CALLBACK InfoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        AppState* s = PageStateFrom(lParam);
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
        if (s) FillControls(page, *s);
        return TRUE;
    }
    case WM_COMMAND: return TRUE;
    case WM_NOTIFY: SetWindowLongPtrA(page, DWLP_MSGRESULT, 0); return TRUE;
    default: return FALSE;
    }
}
