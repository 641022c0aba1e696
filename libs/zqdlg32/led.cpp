// The LED lamp window class (see controls.h).
#include "controls.h"

namespace zqdlg {

namespace {

struct Led {
    int state = 0;
    COLORREF lit = kLedDefaultColour;
};

Led* Get(HWND window) { return reinterpret_cast<Led*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

COLORREF Shade(COLORREF c, int percent) {
    return RGB(GetRValue(c) * percent / 100, GetGValue(c) * percent / 100, GetBValue(c) * percent / 100);
}

COLORREF Tint(COLORREF c, int percent) {
    auto up = [percent](int v) { return v + (255 - v) * percent / 100; };
    return RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

void DrawDisc(HDC dc, COLORREF fill, COLORREF edge, int l, int t, int r, int b) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    ::Ellipse(dc, l, t, r, b);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Paint(HWND window, HDC dc) {
    Led* led = Get(window);
    int state = led ? led->state : 0;
    COLORREF lit = led ? led->lit : kLedDefaultColour;
    RECT rc;
    GetClientRect(window, &rc);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    FillRect(mem, &rc, GetSysColorBrush(COLOR_BTNFACE));
    int size = rc.right < rc.bottom ? rc.right : rc.bottom;
    int l = (rc.right - size) / 2, t = (rc.bottom - size) / 2;
    COLORREF face = LedFaceColour(state, lit);
    DrawDisc(mem, face, GetSysColor(COLOR_BTNSHADOW), l, t, l + size, t + size);
    if (state != 0 && size >= 8) {
        int d = size / 4;
        DrawDisc(mem, Tint(face, 60), Tint(face, 60), l + d, t + d, l + d + size / 4 + 1, t + d + size / 4 + 1);
    }
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

LRESULT CALLBACK LedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* led = new Led;
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs->lpCreateParams) led->lit = *static_cast<const COLORREF*>(cs->lpCreateParams) & 0x00FFFFFF;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(led));
        break;
    }
    case WM_NCDESTROY:
        delete Get(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    case BM_SETCHECK: {
        Led* led = Get(window);
        int state = static_cast<int>(wParam);
        if (led && state >= 0 && state <= 2 && state != led->state) {
            led->state = state;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    case BM_GETCHECK:
        return Get(window) ? Get(window)->state : 0;
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

COLORREF LedFaceColour(int state, COLORREF lit) {
    if (state == 1) return lit;
    if (state == 2) return kLedWarningColour;
    return Shade(lit, 30);
}

bool RegisterLedClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpfnWndProc = LedProc;
    wc.lpszClassName = kLedClass;
    return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool RegisterControlClasses(HINSTANCE instance) {
    bool readout = RegisterReadoutClass(instance);
    return RegisterLedClass(instance) && readout;
}

}  // namespace zqdlg
