// Controller dialogs library: a first version with the readout and LED window
// classes; the dialogs themselves refuse with a "not supported" code for now.
#include <windows.h>

#include "../../controller/zq_functions.h"
#include "../common/journal.h"

#define ZQEXPORT extern "C" __declspec(dllexport)

namespace {

constexpr int kErrNotSupported = -1;
HINSTANCE g_instance;

LRESULT CALLBACK ReadoutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return r;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT rc;
        GetClientRect(window, &rc);
        FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
        char text[128];
        GetWindowTextA(window, text, sizeof text);
        HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        SetBkMode(dc, TRANSPARENT);
        InflateRect(&rc, -4, 0);
        DrawTextA(dc, text, -1, &rc, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        EndPaint(window, &ps);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct LedState { int check; COLORREF lit; };

LRESULT CALLBACK LedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* led = reinterpret_cast<LedState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        led = new LedState{0, RGB(0, 200, 0)};
        if (cs->lpCreateParams) led->lit = *static_cast<const COLORREF*>(cs->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(led));
        return 0;
    }
    case WM_DESTROY:
        delete led;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return 0;
    case BM_SETCHECK:
        if (led && led->check != static_cast<int>(wParam)) {
            led->check = static_cast<int>(wParam);
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    case BM_GETCHECK:
        return led ? led->check : 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT rc;
        GetClientRect(window, &rc);
        COLORREF colour = RGB(64, 64, 64);
        if (led && led->check == 1) colour = led->lit;
        if (led && led->check == 2) colour = RGB(230, 0, 0);
        HBRUSH brush = CreateSolidBrush(colour);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int FillText(const char* text, char* buffer, int size) {
    if (!buffer || size <= 0) return kErrNotSupported;
    lstrcpynA(buffer, text, size);
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

ZQEXPORT int __stdcall ZQDLG_Initialize(void) {
    zqjournal::Line("ZQDLG_Initialize");
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpfnWndProc = ReadoutProc;
    wc.lpszClassName = "ZQDLG_ReadoutWindowClass";
    wc.style = CS_GLOBALCLASS;
    RegisterClassExA(&wc);
    wc.lpfnWndProc = LedProc;
    wc.lpszClassName = "ZQDLG_LEDWindowClass";
    RegisterClassExA(&wc);
    return 0;
}

ZQEXPORT int __stdcall ZQDLG_SelectController(HWND owner, int current, int reserved1, int reserved2) {
    zqjournal::Line("ZQDLG_SelectController").Window(owner).Int(current).Int(reserved1).Int(reserved2);
    return kErrNotSupported;
}

ZQEXPORT int __stdcall ZQDLG_ConfigureAxis(HWND owner, short handle, unsigned short axis, int r1, int r2) {
    zqjournal::Line("ZQDLG_ConfigureAxis").Window(owner).Int(handle).Int(axis).Int(r1).Int(r2);
    return kErrNotSupported;
}

ZQEXPORT int __stdcall ZQDLG_Scaling(HWND owner, short handle, unsigned short axis, int mode, int reserved) {
    zqjournal::Line("ZQDLG_Scaling").Window(owner).Int(handle).Int(axis).Int(mode).Int(reserved);
    return kErrNotSupported;
}

ZQEXPORT int __stdcall ZQDLG_RestoreAxis(short handle, int axis, int opening, int reserved) {
    zqjournal::Line("ZQDLG_RestoreAxis").Int(handle).Int(axis).Int(opening).Int(reserved);
    return kErrNotSupported;
}

ZQEXPORT int __stdcall ZQDLG_SaveAxis(short handle, int axis, int r1, int r2) {
    zqjournal::Line("ZQDLG_SaveAxis").Int(handle).Int(axis).Int(r1).Int(r2);
    return kErrNotSupported;
}

ZQEXPORT int __stdcall ZQDLG_DownloadFile(HWND owner, short handle, int reserved, const char* file) {
    zqjournal::Line("ZQDLG_DownloadFile").Window(owner).Int(handle).Int(reserved).Str(file);
    return kErrNotSupported;
}

ZQEXPORT int __stdcall ZQDLG_CommandFileExt(int type, int form, char* buffer, int size) {
    zqjournal::Line("ZQDLG_CommandFileExt").Int(type).Int(form).Ptr(buffer).Int(size);
    return FillText("zpc", buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_ControllerDescEx(int type, int form, char* buffer, int size) {
    zqjournal::Line("ZQDLG_ControllerDescEx").Int(type).Int(form).Ptr(buffer).Int(size);
    return FillText("Unknown", buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_ModuleDescEx(int type, int form, char* buffer, int size) {
    zqjournal::Line("ZQDLG_ModuleDescEx").Int(type).Int(form).Ptr(buffer).Int(size);
    return FillText("Unknown", buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_AboutBox(HWND owner, const char* program, int reserved) {
    zqjournal::Line("ZQDLG_AboutBox").Window(owner).Str(program).Int(reserved);
    return kErrNotSupported;
}

#define UNSUPPORTED(name) \
    ZQEXPORT int __stdcall name(void) { zqjournal::Line(#name); return kErrNotSupported; }
UNSUPPORTED(ZQDLG_ControllerDesc)
UNSUPPORTED(ZQDLG_ControllerInfo)
UNSUPPORTED(ZQDLG_ListControllers)
UNSUPPORTED(ZQDLG_ModuleDesc)
UNSUPPORTED(ZQDLG_RestoreDigitalIO)
UNSUPPORTED(ZQDLG_SaveDigitalIO)
