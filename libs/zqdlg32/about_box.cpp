// About box: the calling program's name and version, the library's version
// and the controllers (with their axis modules) that the API library can open.
#include <cstdio>
#include <string>
#include <vector>

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

// "<program> version a.b.c.d" from the product version of the running
// program's version resource; the name alone when it has none.
std::string ProgramLine(const std::string& program) {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return program;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof *info)
        return program;
    char version[64];
    std::snprintf(version, sizeof version, " version %u.%u.%u.%u", HIWORD(info->dwProductVersionMS),
                  LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS), LOWORD(info->dwProductVersionLS));
    return program + version;
}

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
    SetDlgItemTextA(dialog, IDC_ABOUT_PROGRAM, ProgramLine(a.program).c_str());
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
