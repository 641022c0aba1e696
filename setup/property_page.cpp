// Helpers shared by the test setup sheet's pages.
#include "property_page.h"

#include <prsht.h>

#include <cmath>
#include <cstdio>
#include <cstring>

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

namespace {
// The size of the buffer SetDlgItemNumber formats into.
constexpr size_t kDlgNumberChars = 40;
}  // namespace

bool TextShowsNumber(const char* text, double value, int precision) {
    char shown[kDlgNumberChars];
    // SetDlgItemNumber formats into a buffer of the same size: what does not fit was cut.
    int n = precision < 0 ? std::snprintf(shown, sizeof shown, "%lf", value)
                          : std::snprintf(shown, sizeof shown, "%.*lf", precision, value);
    return n >= 0 && n < static_cast<int>(sizeof shown) && std::strcmp(shown, text) == 0;
}

bool EntryShows(HWND page, int id, double value, int precision) {
    char text[kDlgNumberChars + 1] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return TextShowsNumber(text, value, precision);
}

double EntryNumber(HWND page, int id) {
    double value = GetDlgItemNumber(page, id);
    return std::isfinite(value) ? value : 0.0;
}
