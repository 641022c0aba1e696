// "PlotWindowClass": a thin window procedure over the pane state and the
// drawing routine, with double-buffered painting and WM_PRINTCLIENT.
#define PLOTWIN_BUILD
#include "plot_window.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "plot_draw.h"
#include "plot_pane.h"
#include "plotwin.h"

namespace {

HINSTANCE g_module = nullptr;

// Window data: the pane state and the paint buffer kept between paints.
struct PaneWindow {
    PlotPane pane;
    HBITMAP buffer = nullptr;
    SIZE bufferSize = {0, 0};
    bool repaintPending = false;  // the whole window was invalidated and has not been painted since
    ~PaneWindow() {
        if (buffer) DeleteObject(buffer);
    }
};

PaneWindow* WindowData(HWND window) { return reinterpret_cast<PaneWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

double DeviceScale(HDC dc) {
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    return dpi > 0 ? std::max(0.5, dpi / 96.0) : 1.0;
}

// A 32-bit top-down DIB section: the plot writes the pixels of its thin
// lines straight into it, and it shows the same colours on any display.
HBITMAP CreatePaintBuffer(HDC dc, int cx, int cy) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    return bitmap ? bitmap : CreateCompatibleBitmap(dc, cx, cy);
}

// Asks for a repaint of the whole pane. InvalidateRect is a round trip to the
// window manager, and a program changes a pane with many messages in a row, so
// the pane is invalidated once until its next paint; a hidden pane is painted
// whole when it is shown.
void Invalidate(HWND window, PaneWindow& w) {
    if (w.repaintPending || !IsWindowVisible(window)) return;
    InvalidateRect(window, nullptr, FALSE);
    w.repaintPending = true;
}

void Paint(HWND window, PaneWindow& w) {
    w.repaintPending = false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    int cx = client.right, cy = client.bottom;
    bool buffered = (GetWindowLongPtrA(window, GWL_STYLE) & PLOTWIN_STYLE_PANE) != 0;
    HDC mem = buffered && cx > 0 && cy > 0 ? CreateCompatibleDC(dc) : nullptr;
    if (mem) {
        if (!w.buffer || w.bufferSize.cx != cx || w.bufferSize.cy != cy) {
            if (w.buffer) DeleteObject(w.buffer);
            w.buffer = CreatePaintBuffer(dc, cx, cy);
            w.bufferSize = {w.buffer ? cx : 0, w.buffer ? cy : 0};
        }
        if (!w.buffer) {
            DeleteDC(mem);
            mem = nullptr;
        }
    }
    if (mem) {
        HGDIOBJ old = SelectObject(mem, w.buffer);
        DrawPlot(mem, client, w.pane, {DeviceScale(dc), true});
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    } else {
        DrawPlot(dc, client, w.pane, {DeviceScale(dc), true});
    }
    EndPaint(window, &ps);
}

// Draws into the caller's DC. Under a scaling mapping mode the caller has set
// the viewport (a page region, y extent usually negative); the window origin
// and extent chosen here make one logical unit one device pixel, y downward,
// with (0, 0) at the viewport's top left, so the plot fills the viewport.
void PrintClient(HWND window, PaneWindow& w, HDC dc) {
    if (!dc) return;
    int saved = SaveDC(dc);
    RECT area;
    int mode = GetMapMode(dc);
    if (mode == MM_ANISOTROPIC || mode == MM_ISOTROPIC) {
        SIZE ext;
        GetViewportExtEx(dc, &ext);
        SetWindowExtEx(dc, ext.cx, ext.cy, nullptr);
        SetWindowOrgEx(dc, ext.cx < 0 ? -ext.cx : 0, ext.cy < 0 ? -ext.cy : 0, nullptr);
        area = {0, 0, std::abs(ext.cx), std::abs(ext.cy)};
    } else {
        GetClientRect(window, &area);
    }
    DrawPlot(dc, area, w.pane, {DeviceScale(dc), true});
    RestoreDC(dc, saved);
}

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PaneWindow* w = WindowData(window);
    if (w) {
        bool redraw = false;
        LRESULT result = 0;
        if (PaneHandleMessage(w->pane, message, wParam, lParam, &redraw, &result)) {
            if (redraw) Invalidate(window, *w);
            if (message == PWM_UPDATE) UpdateWindow(window);
            return result;
        }
    }
    switch (message) {
    case WM_NCCREATE: {
        auto* data = new (std::nothrow) PaneWindow;
        if (!data) return FALSE;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
        break;
    }
    case WM_NCDESTROY:
        delete w;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_SIZE:
        if (w) Invalidate(window, *w);
        return 0;
    case WM_PAINT:
        if (w) {
            Paint(window, *w);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (w) PrintClient(window, *w, reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

PlotPane* PaneOf(HWND window) {
    char name[64] = {};
    if (!window || !IsWindow(window) || !GetClassNameA(window, name, sizeof name) ||
        lstrcmpiA(name, PLOTWIN_CLASS) != 0) {
        return nullptr;
    }
    // The class's procedure, not the window's: a pane subclassed by its
    // owner (to watch its messages, say) is still a pane.
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)) != PaneProc) return nullptr;
    PaneWindow* w = WindowData(window);
    return w ? &w->pane : nullptr;
}

void RefreshPane(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

HINSTANCE PlotModule() { return g_module; }

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

PLOTWIN_API int __stdcall PlotInitialize(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PaneProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = PLOTWIN_CLASS;
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, PLOTWIN_CLASS, &existing)) return 1;  // already there
    return RegisterClassExA(&wc) ? 1 : 0;
}
