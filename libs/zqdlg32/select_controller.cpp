// Select Controller dialog: lists the controllers that can be opened with
// their descriptions, preselects the current one and returns the chosen id.
#include <string>
#include <vector>

#include "controllers.h"
#include "dialog_util.h"
#include "dialogs.h"
#include "zqdlg32.h"
#include "zqdlg32_ids.h"

namespace zqdlg {

namespace {

struct Selection {
    int current;
    std::vector<ControllerEntry> found;
};

void UpdateOk(HWND dialog) {
    LRESULT sel = SendDlgItemMessageA(dialog, IDC_CONTROLLER_LIST, LB_GETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, IDOK), sel != LB_ERR);
}

void OnInitDialog(HWND dialog, Selection& s) {
    HWND list = GetDlgItem(dialog, IDC_CONTROLLER_LIST);
    INT tabs[] = {52};
    SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(tabs));
    for (const ControllerEntry& c : s.found) {
        std::string line = "Controller " + std::to_string(c.id) + "\t" + ControllerSummary(c);
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), c.id);
        if (c.id == s.current) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    SetDlgItemTextA(dialog, IDC_CONTROLLER_NOTE,
                    s.found.empty() ? "No controller could be opened." : "");
    UpdateOk(dialog);
    CenterOnOwner(dialog);
}

// The id of the selected controller, or -1.
int SelectedId(HWND dialog) {
    LRESULT sel = SendDlgItemMessageA(dialog, IDC_CONTROLLER_LIST, LB_GETCURSEL, 0, 0);
    if (sel == LB_ERR) return -1;
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_CONTROLLER_LIST, LB_GETITEMDATA, sel, 0));
}

INT_PTR CALLBACK SelectControllerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog, *reinterpret_cast<Selection*>(lParam));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDC_CONTROLLER_LIST:
                if (HIWORD(wParam) == LBN_SELCHANGE) UpdateOk(dialog);
                if (HIWORD(wParam) == LBN_DBLCLK && SelectedId(dialog) >= 0) EndDialog(dialog, SelectedId(dialog));
                return TRUE;
            case IDOK:
                if (SelectedId(dialog) >= 0) EndDialog(dialog, SelectedId(dialog));
                return TRUE;
            case IDCANCEL:
                EndDialog(dialog, -1);
                return TRUE;
            }
            break;
        }
    } catch (...) {
    }
    return FALSE;
}

}  // namespace

int RunSelectController(HWND owner, int current) {
    Selection s{current, FindControllers()};
    INT_PTR result = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_SELECT_CONTROLLER), owner,
                                     SelectControllerProc, reinterpret_cast<LPARAM>(&s));
    return result < 0 ? -1 : static_cast<int>(result);
}

}  // namespace zqdlg
