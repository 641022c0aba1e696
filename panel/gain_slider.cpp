// Gain slider control: trackbar, zoom and configure buttons, limit labels and
// the controller gain readout of one gain; every trackbar move writes the gain.
#include "gain_slider.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <new>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../resources/panel_ids.h"
#include "limits_dialog.h"

BOOL (WINAPI *SliderBeepFunction)(UINT type) = MessageBeep;

// ---- Gain accessors ----

namespace {

// Notes the first failed call in result; true when r is a success.
bool Note(int r, int* result) {
    if (r < 0 && result && *result >= 0) *result = r;
    return r >= 0;
}

}  // namespace

double PropGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                      int* result) {
    if (result) *result = 0;
    double value = 0.0;
    if (!Note(ZqGetGain(handle, axis, &value), result)) value = 0.0;
    if (newValue) {
        Note(ZqSetGain(handle, axis, *newValue), result);
        if (partner) Note(ZqSetGain(handle, partner, *newValue), result);
    }
    return value;
}

namespace {

// Reads the axis's filter record and, with a new value, writes the record with
// that gain to the axis and the same whole record to the partner.
double FilterGainAccess(double FilterConfig::*gain, short handle, unsigned short axis, unsigned short partner,
                        const double* newValue, int* result) {
    if (result) *result = 0;
    FilterConfig filter = {};
    if (!Note(ZqGetFilterConfig(handle, axis, &filter), result)) {
        // Written back, the zeroed record would zero the axis's other filter settings.
        return 0.0;
    }
    double value = filter.*gain;
    if (newValue) {
        filter.*gain = *newValue;
        Note(ZqSetFilterConfig(handle, axis, &filter), result);
        if (partner) Note(ZqSetFilterConfig(handle, partner, &filter), result);
    }
    return value;
}

}  // namespace

double IntGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                     int* result) {
    return FilterGainAccess(&FilterConfig::IntegralGain, handle, axis, partner, newValue, result);
}

double DerGainAccess(short handle, unsigned short axis, unsigned short partner, const double* newValue,
                     int* result) {
    return FilterGainAccess(&FilterConfig::DerivativeGain, handle, axis, partner, newValue, result);
}

void RefreshSliders(const AppState& state) {
    // Also without an open controller: the sliders then redraw their limits and
    // thumbs from the stored values (they have no gain to re-read).
    if (!state.PanelWindow) return;
    for (int id : {IDC_SLIDER_P, IDC_SLIDER_I, IDC_SLIDER_D})
        SendDlgItemMessageA(state.PanelWindow, id, SLM_REFRESH, 0, 0);
}

// ---- Slider arithmetic ----

void FormatSliderLabel(double percent, char* buffer, size_t size) {
    std::snprintf(buffer, size, percent < 10 ? "%3.2f%%" : "%3.0f%%", percent);
}

void FormatGainReadout(double percent, double fullScale, char* buffer, size_t size) {
    std::snprintf(buffer, size, "%7.4f", percent / 100 * fullScale);
}

bool SliderLimitsValid(double lower, double upper) {
    // Written so that NaN fails every comparison and counts as not valid.
    return lower >= 0.0 && upper <= 100.0 && lower < upper;
}

bool RepairSliderLimits(GainChannel& channel) {
    if (SliderLimitsValid(channel.LowerLimit, channel.UpperLimit)) return false;
    channel.LowerLimit = 0.0;
    channel.UpperLimit = 100.0;
    return true;
}

bool FitSliderLimits(GainChannel& channel) {
    bool reset = RepairSliderLimits(channel);
    if (channel.Percent > channel.UpperLimit || channel.Percent < channel.LowerLimit) {
        channel.LowerLimit = 0.0;
        channel.UpperLimit = 100.0;
        reset = true;
    }
    return reset;
}

int SliderTrackPosition(double percent, double lower, double upper, int max) {
    double position = max - max * (percent - lower) / (upper - lower);
    // The trackbar keeps the thumb inside its range anyway; clamping first keeps
    // the conversion defined for a gain far above full scale (or not a number).
    if (!(position >= 0.0)) return std::isnan(position) ? max : 0;
    if (position > max) return max;
    return static_cast<int>(position);
}

double SliderPercentAt(int position, int max, double lower, double upper) {
    return lower + (upper - lower) * (max - position) / max;
}

bool ZoomSliderIn(double percent, double& upper, double& lower) {
    double d = upper - lower;
    if (d <= 0.1) return false;
    double a = d * 0.25;
    if (percent + a > 100) {
        upper = 100;
        lower = 100 - 2 * a;
    } else if (percent - a < 0) {
        upper = 2 * a;
        lower = 0;
    } else {
        upper = percent + a;
        lower = percent - a;
    }
    return true;
}

bool ZoomSliderOut(double percent, double& upper, double& lower) {
    double d = upper - lower;
    if (d >= 100) return false;
    if (percent + d > 100) {
        upper = 100;
        lower = 100 - 2 * d > 0 ? 100 - 2 * d : 0;
    } else if (percent - d < 0) {
        upper = 2 * d < 100 ? 2 * d : 100;
        lower = 0;
    } else {
        upper = percent + d < 100 ? percent + d : 100;
        lower = percent - d > 0 ? percent - d : 0;
    }
    return true;
}

void SliderChildPlaces(int width, int height, SliderChildPlace places[kSliderChildCount]) {
    int a = (width - 56) / 2;
    const SliderChildPlace table[kSliderChildCount] = {
        {IDC_SLIDER_ZOOM_IN, a + 44, 2},
        {IDC_SLIDER_CONFIGURE, a, 2},
        {IDC_SLIDER_ZOOM_OUT, a + 44, 16},
        {IDC_SLIDER_UPPER, 32, 32},
        {IDC_SLIDER_MIDDLE, 32, height / 2 - 2},
        {IDC_SLIDER_LOWER, 32, height - 38},
        {IDC_SLIDER_TRACKBAR, 2, 28},
        {IDC_SLIDER_READOUT, 2, height - 20},
    };
    for (int i = 0; i < kSliderChildCount; ++i) places[i] = table[i];
}

// ---- The window ----

namespace {

struct SliderState {
    GainChannel* Channel;
    HFONT Font;
    int GainId;
    AppState* State;
};

SliderState* SliderOf(HWND window) {
    return reinterpret_cast<SliderState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

unsigned short PartnerFor(const AppState& state) {
    return state.GantryShare ? GantryPartner(state) : 0;
}

double AccessGain(const SliderState& s, const double* newValue, int* result = nullptr) {
    if (result) *result = 0;
    if (!s.Channel->Access) return 0.0;
    return s.Channel->Access(s.State->ControllerHandle, static_cast<unsigned short>(s.State->Axis),
                             PartnerFor(*s.State), newValue, result);
}

// Writes the channel's percent as the gain. When the write fails the channel
// goes back to the gain the controller holds, or, when that cannot be read
// either, to the percent shown before (given).
void WriteGain(const SliderState& s, double previousPercent) {
    GainChannel& c = *s.Channel;
    double gain = c.FullScale * c.Percent / 100;
    int result = 0;
    AccessGain(s, &gain, &result);
    if (result >= 0 || s.State->ControllerHandle <= 0) return;
    double held = AccessGain(s, nullptr, &result);
    c.Percent = result >= 0 && c.FullScale != 0 ? held / c.FullScale * 100 : previousPercent;
}

void ShowReadout(HWND window, const GainChannel& channel) {
    char text[64];
    FormatGainReadout(channel.Percent, channel.FullScale, text, sizeof text);
    SetDlgItemTextA(window, IDC_SLIDER_READOUT, text);
}

void ShowLabel(HWND window, int id, double percent) {
    char text[64];
    FormatSliderLabel(percent, text, sizeof text);
    SetDlgItemTextA(window, id, text);
}

int UpdateSliderDisplay(HWND window, SliderState& s) {
    GainChannel& c = *s.Channel;
    int reset = FitSliderLimits(c) ? 1 : 0;
    ShowLabel(window, IDC_SLIDER_UPPER, c.UpperLimit);
    ShowLabel(window, IDC_SLIDER_MIDDLE, c.LowerLimit + (c.UpperLimit - c.LowerLimit) * 0.5);
    ShowLabel(window, IDC_SLIDER_LOWER, c.LowerLimit);
    HWND trackbar = GetDlgItem(window, IDC_SLIDER_TRACKBAR);
    int max = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
    SendMessageA(trackbar, TBM_SETPOS, TRUE, SliderTrackPosition(c.Percent, c.LowerLimit, c.UpperLimit, max));
    ShowReadout(window, c);
    return reset;
}

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int width, int height, int id,
                 HFONT font) {
    HWND child = CreateWindowExA(0, cls, text, style, 0, 0, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

void AddTips(HWND window) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance,
                               nullptr);
    if (!tip) return;
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const struct { int id; const char* text; } tips[] = {
        {IDC_SLIDER_ZOOM_IN, "Zoom In"},
        {IDC_SLIDER_ZOOM_OUT, "Zoom Out"},
        {IDC_SLIDER_CONFIGURE, "Configure Slider"},
        {IDC_SLIDER_READOUT, "Current Controller Gain Setting"},
    };
    for (const auto& t : tips) {
        TOOLINFOA info = {};
        info.cbSize = 48;  // the size of the record with lpReserved, as 32-bit callers pass it
        info.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS;
        info.hwnd = GetDlgItem(window, t.id);
        info.uId = reinterpret_cast<UINT_PTR>(info.hwnd);
        info.lpszText = const_cast<char*>(t.text);
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA* cs) {
    const auto* data = static_cast<const SliderCreateData*>(cs->lpCreateParams);
    if (!data || !data->Channel || !data->State) return -1;
    static bool controlsReady = false;
    if (!controlsReady) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
        controlsReady = InitCommonControlsEx(&icc) != FALSE;
    }

    LOGFONTA lf = {};
    lf.lfHeight = 12;
    lf.lfWeight = 400;
    lstrcpyA(lf.lfFaceName, "Arial");
    auto* s = new (std::nothrow) SliderState{data->Channel, nullptr, data->GainId, data->State};
    if (!s) return -1;
    s->Font = CreateFontIndirectA(&lf);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));

    char own[16] = {};
    GetWindowTextA(window, own, sizeof own);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD label = child | SS_RIGHT;
    HWND trackbar = CreateChild(window, TRACKBAR_CLASSA, "", child | TBS_VERT | TBS_AUTOTICKS, 0, 0,
                                IDC_SLIDER_TRACKBAR, nullptr);
    CreateChild(window, "button", "+", child, 14, 14, IDC_SLIDER_ZOOM_IN, s->Font);
    CreateChild(window, "button", own, child, 44, 28, IDC_SLIDER_CONFIGURE, nullptr);
    CreateChild(window, "button", "\x96", child, 14, 14, IDC_SLIDER_ZOOM_OUT, s->Font);
    CreateChild(window, "static", "", label, 26, 16, IDC_SLIDER_UPPER, s->Font);
    CreateChild(window, "static", "", label, 26, 16, IDC_SLIDER_MIDDLE, s->Font);
    CreateChild(window, "static", "", label, 26, 16, IDC_SLIDER_LOWER, s->Font);
    CreateChild(window, "ZQDLG_ReadoutWindowClass", "50%", child | 0x1, 56, 16, IDC_SLIDER_READOUT, nullptr);

    SendMessageA(trackbar, TBM_SETRANGE, FALSE, MAKELONG(0, kSliderTrackMax));
    SendMessageA(trackbar, TBM_SETTICFREQ, 100, 0);
    AddTips(window);
    UpdateSliderDisplay(window, *s);
    return 0;
}

void OnDestroy(HWND window, SliderState* s) {
    if (!s) return;
    DeleteObject(s->Font);
    delete s;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

void OnSize(HWND window, int width, int height) {
    SliderChildPlace places[kSliderChildCount];
    SliderChildPlaces(width, height, places);
    for (const SliderChildPlace& p : places) {
        HWND child = GetDlgItem(window, p.id);
        if (p.id == IDC_SLIDER_TRACKBAR) {
            int h = height - 48;
            SetWindowPos(child, nullptr, p.x, p.y, 30, h > 0 ? h : 0, SWP_NOZORDER);
        } else {
            SetWindowPos(child, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
}

// The user moved the trackbar (drag, keys or click): the gain follows the thumb.
void OnTrackbarMoved(HWND window, SliderState& s) {
    GainChannel& c = *s.Channel;
    bool repaired = RepairSliderLimits(c);
    HWND trackbar = GetDlgItem(window, IDC_SLIDER_TRACKBAR);
    int max = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
    int pos = static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    if (max <= 0) max = kSliderTrackMax;
    const double previous = c.Percent;
    c.Percent = SliderPercentAt(pos, max, c.LowerLimit, c.UpperLimit);
    ShowReadout(window, c);
    WriteGain(s, previous);
    s.State->Modified = 1;
    if (repaired || c.Percent != SliderPercentAt(pos, max, c.LowerLimit, c.UpperLimit))
        UpdateSliderDisplay(window, s);  // the labels or the thumb still show something else
}

LRESULT OnRefresh(HWND window, SliderState& s) {
    GainChannel& c = *s.Channel;
    if (s.State->ControllerHandle > 0) c.Percent = AccessGain(s, nullptr) / c.FullScale * 100;
    return UpdateSliderDisplay(window, s);
}

LRESULT OnSetPercent(HWND window, SliderState& s, const double* percent) {
    if (!percent) return 0;
    GainChannel& c = *s.Channel;
    const double previous = c.Percent;
    c.Percent = *percent;
    WriteGain(s, previous);
    return UpdateSliderDisplay(window, s);
}

void Zoom(HWND window, SliderState& s, bool in) {
    GainChannel& c = *s.Channel;
    bool repaired = RepairSliderLimits(c);
    bool changed = in ? ZoomSliderIn(c.Percent, c.UpperLimit, c.LowerLimit)
                      : ZoomSliderOut(c.Percent, c.UpperLimit, c.LowerLimit);
    if (!changed) SliderBeepFunction(MB_ICONEXCLAMATION);
    if (changed || repaired) UpdateSliderDisplay(window, s);
}

void Configure(HWND window, SliderState& s) {
    s.State->LimitsDialogMask = s.GainId;
    RunLimitsDialog(window, *s.State);
    UpdateSliderDisplay(window, s);
}

void OnCommand(HWND window, SliderState& s, int id, LPARAM lParam) {
    if (lParam == 0) return;
    switch (id) {
    case IDC_SLIDER_ZOOM_IN: Zoom(window, s, true); break;
    case IDC_SLIDER_CONFIGURE: Configure(window, s); break;
    case IDC_SLIDER_ZOOM_OUT: Zoom(window, s, false); break;
    default: break;
    }
}

}  // namespace

LRESULT CALLBACK GainSliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    SliderState* s = SliderOf(window);
    switch (message) {
    case WM_DESTROY: OnDestroy(window, s); return 0;
    case WM_SIZE: OnSize(window, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_SETFONT: SendDlgItemMessageA(window, IDC_SLIDER_CONFIGURE, WM_SETFONT, wParam, lParam); return 0;
    }
    if (!s) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: OnCommand(window, *s, LOWORD(wParam), lParam); return 0;
    case WM_VSCROLL: OnTrackbarMoved(window, *s); return 0;
    case SLM_REFRESH: return OnRefresh(window, *s);
    case SLM_SETPERCENT: return OnSetPercent(window, *s, reinterpret_cast<const double*>(lParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
