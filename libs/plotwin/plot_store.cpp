// Ordinals 3 and 4: a pane's appearance kept as one REG_BINARY value.
#define PLOTWIN_BUILD
#include "plot_settings.h"
#include "plot_window.h"
#include "plotwin.h"

PLOTWIN_API int __stdcall PlotLoadSettings(HWND window, HKEY key, const char* name) {
    PlotPane* pane = PaneOf(window);
    if (!pane || !key || !name) return 0;
    BYTE data[kEncodedAppearanceSize + 1];
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS || type != REG_BINARY) return 0;
    if (!DecodeAppearance(data, size, pane->look)) return 0;
    RefreshPane(window);
    return 1;
}

PLOTWIN_API int __stdcall PlotSaveSettings(HWND window, HKEY key, const char* name) {
    PlotPane* pane = PaneOf(window);
    if (!pane || !key || !name) return 0;
    std::vector<BYTE> data = EncodeAppearance(pane->look);
    return RegSetValueExA(key, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}
