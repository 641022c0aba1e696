// Plot window library: a first version that registers the pane class and keeps
// the data range; drawing comes later.
#define PLOTWIN_BUILD
#include "plotwin.h"

#include <cfloat>

namespace {

struct Pane { double lo = 0, hi = 0; bool empty = true; };

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* pane = reinterpret_cast<Pane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Pane));
        return 0;
    case WM_DESTROY:
        delete pane;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return 0;
    case PWM_ADDRANGE: {
        if (!pane) return 0;
        const double* v = reinterpret_cast<const double*>(lParam);
        if (wParam == 0 || !v) { *pane = Pane(); return 0; }
        for (WPARAM i = 0; i < wParam; ++i) {
            if (pane->empty) { pane->lo = pane->hi = v[i]; pane->empty = false; }
            if (v[i] < pane->lo) pane->lo = v[i];
            if (v[i] > pane->hi) pane->hi = v[i];
        }
        return 0;
    }
    case PWM_GETMIN:
    case PWM_GETMAX:
        if (lParam && pane) *reinterpret_cast<double*>(lParam) = message == PWM_GETMIN ? pane->lo : pane->hi;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT rc;
        GetClientRect(window, &rc);
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &ps);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

PLOTWIN_API int __stdcall PlotInitialize(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PaneProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = PLOTWIN_CLASS;
    return RegisterClassExA(&wc) ? 1 : 0;
}

PLOTWIN_API int __stdcall PlotSetupDialog(HWND, HWND*, int, int, int) { return 0; }
PLOTWIN_API int __stdcall PlotLoadSettings(HWND, HKEY, const char*) { return 0; }
PLOTWIN_API int __stdcall PlotSaveSettings(HWND, HKEY, const char*) { return 0; }
