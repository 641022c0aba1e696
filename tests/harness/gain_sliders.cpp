// Gain sliders for window tests (see gain_sliders.h).
#include "gain_sliders.h"

#include "panel/gain_slider.h"

HWND PanelSlider(LoopsmithApp& app, int id) {
    HWND panel = app.Panel();
    if (HWND existing = GetDlgItem(panel, id)) return existing;
    AppState& s = app.State();
    struct { GainChannel* channel; GainAccessor access; const char* text; int gainId; } gains[] = {
        {&s.PropGain, PropGainAccess, "P", 1},
        {&s.IntGain, IntGainAccess, "I", 2},
        {&s.DerGain, DerGainAccess, "D", 4},
    };
    int k = id - 215;
    if (k < 0 || k > 2) return nullptr;
    if (!gains[k].channel->Access) gains[k].channel->Access = gains[k].access;
    SliderCreateData data = {gains[k].channel, gains[k].gainId, &s};
    RECT rc;
    GetClientRect(panel, &rc);
    HWND slider = CreateWindowExA(0, SLIDER_CLASS, gains[k].text, WS_CHILD | WS_VISIBLE, 10 + 70 * k, 262, 60,
                                  rc.bottom - 272, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), &data);
    SendMessageA(slider, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return slider;
}
