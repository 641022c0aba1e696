// Helpers shared by the test setup sheet's pages.
#include "property_page.h"

#include <prsht.h>

#include <cmath>

#include "../panel/dialog_helpers.h"

void ReportPageChanged(HWND page) {
    SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

void EnableItems(HWND page, int first, int last, bool enable) {
    for (int id = first; id <= last; ++id)
        if (HWND item = GetDlgItem(page, id)) EnableWindow(item, enable);
}

BYTE CheckState(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0; }

bool ToggleCheck(HWND page, int id) {
    bool on = !CheckState(page, id);
    CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
    return on;
}

AppState* PageStateFrom(LPARAM initParam) {
    auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
    return sheetPage ? reinterpret_cast<AppState*>(sheetPage->lParam) : nullptr;
}

double EntryNumber(HWND page, int id) {
    double value = GetDlgItemNumber(page, id);
    return std::isfinite(value) ? value : 0.0;
}
