// Dialog helpers: centring and numeric edit fields.
#include "dialog_helpers.h"

#include <cstdio>
#include <cstdlib>

void CenterDialog(HWND window) {
    HWND owner = reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_HWNDPARENT));
    if (!owner) owner = GetDesktopWindow();
    RECT ownerRect, windowRect;
    GetWindowRect(owner, &ownerRect);
    GetWindowRect(window, &windowRect);
    int x = ownerRect.left + ((ownerRect.right - ownerRect.left) - (windowRect.right - windowRect.left)) / 2;
    int y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - (windowRect.bottom - windowRect.top)) / 2;
    if (x < 0 || y < 0) x = y = 0;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

double GetDlgItemNumber(HWND dialog, int id) {
    char text[40] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::strtod(text, nullptr);
}

void FormatDlgNumber(char* buffer, size_t size, double value, int precision) {
    if (precision < 0) std::snprintf(buffer, size, "%lf", value);
    else std::snprintf(buffer, size, "%.*lf", precision, value);
}

void SetDlgItemNumber(HWND dialog, int id, double value, int precision) {
    char text[40];
    FormatDlgNumber(text, sizeof text, value, precision);
    SetDlgItemTextA(dialog, id, text);
}
