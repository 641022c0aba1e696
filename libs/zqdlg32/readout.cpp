// The numeric readout window class (see controls.h).
#include <string>

#include "controls.h"

namespace zqdlg {

namespace {

struct Readout {
    HFONT font = nullptr;
};

Readout* Get(HWND window) { return reinterpret_cast<Readout*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

// A fixed-pitch font whose cell fits the client height inside the border.
void MakeFont(HWND window, Readout* r) {
    if (r->font) DeleteObject(r->font);
    RECT rc;
    GetClientRect(window, &rc);
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    int height = rc.bottom - rc.top - ((style & kReadoutThinBorder) ? 2 : 8);
    if (height > 16) height = 16;
    if (height < 8) height = 8;
    r->font = CreateFontA(-height, 0, 0, 0, (style & kReadoutBold) ? FW_BOLD : FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                          "Courier New");
}

void Paint(HWND window, HDC dc) {
    Readout* r = Get(window);
    RECT rc;
    GetClientRect(window, &rc);
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &rc, (style & kReadoutThinBorder) ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    HGDIOBJ old = SelectObject(dc, r && r->font ? static_cast<HGDIOBJ>(r->font) : GetStockObject(ANSI_FIXED_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    InflateRect(&rc, -3, 0);
    // A text wider than the window is drawn smaller rather than cut off.
    HFONT smaller = nullptr;
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), length, &extent);
    if (r && r->font && extent.cx > rc.right - rc.left && extent.cx > 0) {
        LOGFONTA lf{};
        GetObjectA(r->font, sizeof lf, &lf);
        lf.lfHeight = static_cast<LONG>(lf.lfHeight * static_cast<double>(rc.right - rc.left) / extent.cx);
        if (lf.lfHeight > -6) lf.lfHeight = -6;
        smaller = CreateFontIndirectA(&lf);
        SelectObject(dc, smaller);
    }
    DrawTextA(dc, text.c_str(), length, &rc, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    if (smaller) DeleteObject(smaller);
}

LRESULT CALLBACK ReadoutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Readout));
        break;
    case WM_CREATE:
        MakeFont(window, Get(window));
        return 0;
    case WM_SIZE:
        if (Readout* r = Get(window)) MakeFont(window, r);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_NCDESTROY:
        if (Readout* r = Get(window)) {
            if (r->font) DeleteObject(r->font);
            delete r;
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        }
        break;
    case WM_SETTEXT:
    case WM_ENABLE: {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, FALSE);
        return result;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
        Paint(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        Paint(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterReadoutClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpfnWndProc = ReadoutProc;
    wc.lpszClassName = kReadoutClass;
    return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace zqdlg
