// Helpers of the library's dialogs (see dialog_util.h).
#include "dialog_util.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "libs/common/journal.h"

namespace zqdlg {

namespace {
HINSTANCE g_instance = nullptr;
}

HINSTANCE Instance() { return g_instance; }
void SetInstance(HINSTANCE instance) { g_instance = instance; }

void CenterOnOwner(HWND dialog) {
    RECT box, area;
    GetWindowRect(dialog, &box);
    HWND owner = GetWindow(dialog, GW_OWNER);
    HMONITOR monitor = MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi = {sizeof mi};
    GetMonitorInfoA(monitor, &mi);
    RECT base = mi.rcWork;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &base);
    area = mi.rcWork;
    int w = box.right - box.left, h = box.bottom - box.top;
    int x = base.left + ((base.right - base.left) - w) / 2;
    int y = base.top + ((base.bottom - base.top) - h) / 2;
    if (x + w > area.right) x = area.right - w;
    if (y + h > area.bottom) y = area.bottom - h;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string FormatNumber(double value) {
    // Plain decimals for the numbers people type; exponents only for the very
    // large and very small.
    double magnitude = std::fabs(value);
    if (value == 0) return "0";
    if (magnitude >= 1e-6 && magnitude < 1e15) {
        char text[64];
        for (int decimals = 0; decimals <= 21; ++decimals) {
            std::snprintf(text, sizeof text, "%.*f", decimals, value);
            if (std::strtod(text, nullptr) == value) return text;
        }
    }
    return zqjournal::FormatDouble(value);
}

bool ParseNumber(const std::string& text, double& value) {
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    if (!*begin) return false;
    // strtod would also take hexadecimal, "inf" and "nan": only decimal digits here.
    for (const char* p = begin; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '.' || *p == '-' || *p == '+' || *p == 'e' || *p == 'E' ||
              *p == ' ' || *p == '\t'))
            return false;
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end || !std::isfinite(v)) return false;
    value = v;
    return true;
}

std::string GetItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    int n = item ? GetWindowTextLengthA(item) : 0;
    std::string text(static_cast<size_t>(n) + 1, '\0');
    if (item) GetWindowTextA(item, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

void FocusItem(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    SendMessageA(item, EM_SETSEL, 0, -1);
}

void AddComboItem(HWND combo, const char* text, int code) {
    LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), code);
}

bool SelectComboCode(HWND combo, int code) {
    LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        if (static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == code) {
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return true;
        }
    }
    return false;
}

int SelectedComboCode(HWND combo, int fallback) {
    LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i < 0) return fallback;
    return static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
}

}  // namespace zqdlg
