// Ordinal 1: the modal setup dialog that edits the appearance of the panes
// passed in (series colours and line widths, grid, legend, background) and
// applies it on OK.
#define PLOTWIN_BUILD
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <vector>

#include "plot_pane.h"
#include "plot_setup_ids.h"
#include "plot_window.h"
#include "plotwin.h"

namespace {

const int kRowSeries[] = {kSeriesActual, kSeriesOptimal, kSeriesAuxiliary, kSeriesError, kSeriesTorque, kSeriesTarget};
constexpr int kRows = sizeof kRowSeries / sizeof kRowSeries[0];

struct NamedColor {
    const char* name;
    COLORREF color;
};
const NamedColor kPalette[] = {
    {"Blue", RGB(0, 82, 204)},      {"Green", RGB(0, 150, 80)},     {"Red", RGB(214, 32, 32)},
    {"Orange", RGB(230, 120, 0)},   {"Purple", RGB(140, 60, 180)},  {"Teal", RGB(0, 150, 160)},
    {"Brown", RGB(140, 90, 40)},    {"Magenta", RGB(200, 0, 160)},  {"Navy", RGB(0, 0, 128)},
    {"Olive", RGB(120, 120, 0)},    {"Black", RGB(0, 0, 0)},        {"Dark grey", RGB(64, 64, 64)},
    {"Grey", RGB(128, 128, 128)},   {"Light grey", RGB(225, 225, 225)}, {"Light yellow", RGB(255, 255, 225)},
    {"White", RGB(255, 255, 255)},
};
constexpr LRESULT kOtherItem = 0x7FFFFFFF;  // item data of "Other..."

struct SetupState {
    std::vector<HWND> panes;
    std::vector<PlotAppearance> looks;
    int current = 0;
    COLORREF custom[16] = {};
};

// Colour combos: one item per palette colour, the shown colour when it is not
// in the palette, and "Other..." for the colour dialog.
void FillColorCombo(HWND combo, COLORREF selected) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    LRESULT pick = -1;
    for (const NamedColor& c : kPalette) {
        LRESULT i = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
        SendMessageA(combo, CB_SETITEMDATA, i, c.color);
        if (c.color == selected) pick = i;
    }
    if (pick < 0) {
        pick = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Custom"));
        SendMessageA(combo, CB_SETITEMDATA, pick, selected);
    }
    LRESULT other = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Other..."));
    SendMessageA(combo, CB_SETITEMDATA, other, kOtherItem);
    SendMessageA(combo, CB_SETCURSEL, pick, 0);
}

COLORREF ComboColor(HWND combo, COLORREF fallback) {
    LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i < 0) return fallback;
    LRESULT data = SendMessageA(combo, CB_GETITEMDATA, i, 0);
    return data == kOtherItem || data == CB_ERR ? fallback : static_cast<COLORREF>(data);
}

void ShowLook(HWND dialog, const PlotAppearance& look) {
    for (int r = 0; r < kRows; ++r) {
        int s = kRowSeries[r];
        FillColorCombo(GetDlgItem(dialog, IDC_PLOT_COLOR + r), look.colors[s]);
        SendDlgItemMessageA(dialog, IDC_PLOT_SPIN + r, UDM_SETPOS32, 0, look.widths[s]);
        SetDlgItemInt(dialog, IDC_PLOT_WIDTH + r, look.widths[s], FALSE);
    }
    CheckDlgButton(dialog, IDC_PLOT_GRID, look.grid ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_PLOT_LEGEND, look.legend ? BST_CHECKED : BST_UNCHECKED);
    FillColorCombo(GetDlgItem(dialog, IDC_PLOT_BACKGROUND), look.background);
}

void ReadLook(HWND dialog, PlotAppearance& look) {
    for (int r = 0; r < kRows; ++r) {
        int s = kRowSeries[r];
        look.colors[s] = ComboColor(GetDlgItem(dialog, IDC_PLOT_COLOR + r), look.colors[s]);
        BOOL ok = FALSE;
        UINT w = GetDlgItemInt(dialog, IDC_PLOT_WIDTH + r, &ok, FALSE);
        if (ok) look.widths[s] = static_cast<BYTE>(w < 1 ? 1 : w > kMaxLineWidth ? kMaxLineWidth : w);
    }
    look.grid = IsDlgButtonChecked(dialog, IDC_PLOT_GRID) == BST_CHECKED;
    look.legend = IsDlgButtonChecked(dialog, IDC_PLOT_LEGEND) == BST_CHECKED;
    look.background = ComboColor(GetDlgItem(dialog, IDC_PLOT_BACKGROUND), look.background);
}

// "Other..." picked: ask the colour dialog, then show the answer (or the
// previous colour after Cancel) as the selection.
void PickOtherColor(HWND dialog, SetupState& state, int id, COLORREF previous) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i < 0 || SendMessageA(combo, CB_GETITEMDATA, i, 0) != kOtherItem) return;
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = dialog;
    cc.rgbResult = previous;
    cc.lpCustColors = state.custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    FillColorCombo(combo, ChooseColorA(&cc) ? cc.rgbResult : previous);
}

COLORREF& ColorOf(PlotAppearance& look, int id) {
    return id == IDC_PLOT_BACKGROUND ? look.background : look.colors[kRowSeries[id - IDC_PLOT_COLOR]];
}

void OnInitDialog(HWND dialog, SetupState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    HWND combo = GetDlgItem(dialog, IDC_PLOT_PANE);
    for (size_t i = 0; i < state.panes.size(); ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "Pane %u", static_cast<unsigned>(i + 1));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    EnableWindow(combo, state.panes.size() > 1);
    EnableWindow(GetDlgItem(dialog, IDC_PLOT_ALL_PANES), state.panes.size() > 1);
    for (int r = 0; r < kRows; ++r) SendDlgItemMessageA(dialog, IDC_PLOT_SPIN + r, UDM_SETRANGE32, 1, kMaxLineWidth);
    ShowLook(dialog, state.looks[0]);
}

void OnOk(HWND dialog, SetupState& state) {
    ReadLook(dialog, state.looks[state.current]);
    bool all = IsDlgButtonChecked(dialog, IDC_PLOT_ALL_PANES) == BST_CHECKED;
    for (size_t i = 0; i < state.panes.size(); ++i) {
        PlotPane* pane = PaneOf(state.panes[i]);
        if (!pane) continue;  // closed while the dialog was open
        pane->look = state.looks[all ? state.current : i];
        RefreshPane(state.panes[i]);
    }
    EndDialog(dialog, IDOK);
}

void OnCommand(HWND dialog, SetupState& state, int id, int code) {
    if (id == IDOK) {
        OnOk(dialog, state);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    } else if (id == IDC_PLOT_PANE && code == CBN_SELCHANGE) {
        LRESULT i = SendDlgItemMessageA(dialog, IDC_PLOT_PANE, CB_GETCURSEL, 0, 0);
        if (i < 0 || i >= static_cast<LRESULT>(state.looks.size())) return;
        ReadLook(dialog, state.looks[state.current]);
        state.current = static_cast<int>(i);
        ShowLook(dialog, state.looks[state.current]);
    } else if ((id == IDC_PLOT_BACKGROUND || (id >= IDC_PLOT_COLOR && id < IDC_PLOT_COLOR + kRows)) &&
               code == CBN_SELCHANGE) {
        PickOtherColor(dialog, state, id, ColorOf(state.looks[state.current], id));
        ColorOf(state.looks[state.current], id) = ComboColor(GetDlgItem(dialog, id), 0);
    }
}

void OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_COMBOBOX) return;
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1)) return;
    char text[64] = {};
    SendMessageA(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
    int h = rc.bottom - rc.top;
    int x = rc.left + 3;
    if (item.itemData != static_cast<ULONG_PTR>(kOtherItem)) {
        RECT swatch = {x, rc.top + 2, x + 2 * h, rc.bottom - 2};
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(item.itemData));
        FillRect(dc, &swatch, brush);
        DeleteObject(brush);
        FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        x = swatch.right + 5;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textRect = {x, rc.top, rc.right, rc.bottom};
    DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<SetupState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, *reinterpret_cast<SetupState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (state) OnCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 14;
        return TRUE;
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

PLOTWIN_API int __stdcall PlotSetupDialog(HWND owner, HWND* panes, int count, int, int) {
    SetupState state;
    for (int i = 0; panes && i < count && i < 16; ++i) {
        if (PlotPane* pane = PaneOf(panes[i])) {
            state.panes.push_back(panes[i]);
            state.looks.push_back(pane->look);
        }
    }
    if (state.panes.empty()) return 0;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    INT_PTR result = DialogBoxParamA(PlotModule(), "PlotSetupDialog", owner, SetupDialogProc,
                                     reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? 1 : 0;
}
