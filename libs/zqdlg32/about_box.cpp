// About box: the calling program's name, the library's version and the
// controllers (with their axis modules) that the API library can open.
#include <string>

#include "controllers.h"
#include "descriptions.h"
#include "dialog_util.h"
#include "dialogs.h"
#include "zqdlg32.h"
#include "zqdlg32_ids.h"

namespace zqdlg {

namespace {

struct About {
    std::string program;
    std::string hardware;
};

std::string HardwareText(const std::vector<ControllerEntry>& found) {
    if (found.empty()) return "No controller could be opened.";
    std::string text;
    for (const ControllerEntry& c : found) {
        if (!text.empty()) text += "\r\n";
        text += "Controller " + std::to_string(c.id) + ": " + ControllerSummary(c);
        for (const ModuleEntry& m : c.modules) {
            const char* module = ModuleDescription(m.moduleType, kDescLong);
            text += "\r\n    Axis " + std::to_string(m.axis) + ": " + (module ? module : "Unknown");
        }
    }
    return text;
}

void OnInitDialog(HWND dialog, const About& a) {
    SetWindowTextA(dialog, ("About " + a.program).c_str());
    SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
    SetDlgItemTextA(dialog, IDC_ABOUT_PROGRAM, a.program.c_str());
    SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, "Zephmill Dialogs version " ZQDLG_VERSION_TEXT);
    SetDlgItemTextA(dialog, IDC_ABOUT_HARDWARE, a.hardware.c_str());
    CenterOnOwner(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog, *reinterpret_cast<const About*>(lParam));
            return FALSE;  // focus set on OK
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, kDlgOk);
                return TRUE;
            }
            break;
        }
    } catch (...) {
    }
    return FALSE;
}

}  // namespace

int RunAboutBox(HWND owner, const char* program) {
    About a;
    a.program = program && *program ? program : "Zephmill Dialogs";
    a.hardware = HardwareText(FindControllers(true));
    INT_PTR result =
        DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, reinterpret_cast<LPARAM>(&a));
    return result == -1 ? kDlgErrBadArgument : kDlgOk;
}

}  // namespace zqdlg
