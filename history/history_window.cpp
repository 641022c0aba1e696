// "Test History" window: a thin dialog procedure over the history's runs.
#include "history_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "../analysis/step_metrics.h"
#include "../core/wait_cursor.h"
#include "../files/file_dialogs.h"
#include "../files/replacing_file.h"
#include "../libs/plotwin/plotwin.h"
#include "../resources/history_ids.h"
#include "history_format.h"
#include "history_overlay.h"
#include "history_runs.h"

namespace {

struct WindowState {
    AppState* state = nullptr;
    int controller = -1, axis = -1;  // whose runs the list shows
    SIZE minimum = {0, 0};
};

HWND g_window = nullptr;

const char* const kColumns[kHistoryColumnCount] = {"Run",          "Time",       "P",         "I",
                                                   "D",            "Rise (ms)",  "Overshoot (%)", "Settling (ms)",
                                                   "Peak Error",   "RMS Error",  "Peak Torque",   "Skew"};
const int kColumnWidths[kHistoryColumnCount] = {40, 120, 60, 60, 60, 60, 80, 80, 70, 70, 75, 55};

WindowState* StateOfWindow(HWND window) { return reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, DWLP_USER)); }

std::string Gain(const std::optional<double>& v) {
    if (!v) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%g", *v);
    return text;
}

std::string Figure(const std::optional<double>& v) { return v ? FormatMetric(v) : ""; }

HWND List(HWND window) { return GetDlgItem(window, IDC_HISTORY_LIST); }

// Run numbers of the selected rows, in list order (newest first).
std::vector<int> SelectedNumbers(HWND window) {
    std::vector<int> numbers;
    HWND list = List(window);
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) numbers.push_back(static_cast<int>(item.lParam));
    }
    return numbers;
}

const HistoryRun* FirstSelected(HWND window, const WindowState& w) {
    std::vector<int> numbers = SelectedNumbers(window);
    if (numbers.empty() || !w.state->History) return nullptr;
    return w.state->History->Find(w.controller, w.axis, numbers.front());
}

void UpdateButtons(HWND window, const WindowState& w) {
    const HistoryRun* run = FirstSelected(window, w);
    EnableWindow(GetDlgItem(window, IDC_HISTORY_RESTORE), run && run->HasGains());
    EnableWindow(GetDlgItem(window, IDC_HISTORY_EXPORT), w.state->History && !w.state->History->RunsOf(w.controller, w.axis).empty());
}

void FillList(HWND window, WindowState& w) {
    AppState& s = *w.state;
    HWND list = List(window);
    std::vector<int> keep;
    if (w.controller == s.ControllerID && w.axis == s.Axis) keep = SelectedNumbers(window);
    w.controller = s.ControllerID;
    w.axis = s.Axis;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    if (s.History) {
        std::vector<const HistoryRun*> runs = s.History->RunsOf(w.controller, w.axis);
        int row = 0;
        for (auto it = runs.rbegin(); it != runs.rend(); ++it, ++row) {
            const HistoryRun& r = **it;
            std::string first = HistoryCell(r, 0);
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row;
            item.pszText = first.data();
            item.lParam = r.Number;
            int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            for (int c = 1; c < kHistoryColumnCount; ++c) {
                std::string text = HistoryCell(r, c);
                LVITEMA sub = {};
                sub.iSubItem = c;
                sub.pszText = text.data();
                SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
            }
            if (std::find(keep.begin(), keep.end(), r.Number) != keep.end())
                ListView_SetItemState(list, at, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateButtons(window, w);
}

void Layout(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    RECT unit = {5, 14, 60, 10};  // margin, button height, button width, check box height
    MapDialogRect(window, &unit);
    const int m = unit.left, bh = unit.top, bw = unit.right, ch = unit.bottom;
    const int buttonsY = rc.bottom - m - bh;
    HDWP defer = BeginDeferWindowPos(5);
    defer = DeferWindowPos(defer, List(window), nullptr, m, m, std::max(0L, rc.right - 2 * m),
                           std::max(0L, static_cast<LONG>(buttonsY - 2 * m)), SWP_NOZORDER);
    defer = DeferWindowPos(defer, GetDlgItem(window, IDC_HISTORY_OVERLAY), nullptr, m, buttonsY + (bh - ch) / 2,
                           bw * 2, ch, SWP_NOZORDER);
    const int ids[] = {IDC_HISTORY_RESTORE, IDC_HISTORY_EXPORT, IDCANCEL};
    int x = rc.right - m - 3 * bw - 2 * m;
    for (int id : ids) {
        defer = DeferWindowPos(defer, GetDlgItem(window, id), nullptr, x, buttonsY, bw, bh, SWP_NOZORDER);
        x += bw + m;
    }
    EndDeferWindowPos(defer);
}

void OnInit(HWND window, AppState* state) {
    auto* w = new WindowState;
    w->state = state;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(w));
    RECT rc;
    GetWindowRect(window, &rc);
    w->minimum = {(rc.right - rc.left) * 2 / 3, (rc.bottom - rc.top) * 2 / 3};
    HWND list = List(window);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int c = 0; c < kHistoryColumnCount; ++c) {
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.fmt = c == 1 ? LVCFMT_LEFT : (c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT);
        col.cx = kColumnWidths[c];
        col.pszText = const_cast<char*>(kColumns[c]);
        col.iSubItem = c;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
    }
    CheckDlgButton(window, IDC_HISTORY_OVERLAY, BST_CHECKED);
    LoadAxisHistory(*state);
    FillList(window, *w);
    Layout(window);
}

void RedrawOverlays(AppState& s) {
    ShowHistoryOverlays(s);
    if (s.PlotPanes[0]) SendMessageA(s.PlotPanes[0], PWM_UPDATE, 0, 0);
}

void OnRestore(HWND window, WindowState& w) {
    const HistoryRun* run = FirstSelected(window, w);
    if (run) RestoreRunGains(*w.state, *run);
}

void OnExport(HWND window, WindowState& w) {
    if (!w.state->History) return;
    char name[MAX_PATH] = {};
    OPENFILENAMEA request = {};
    BuildFileDialogRequest(window, &request, 1);
    static const char filter[] = "CSV Files (*.csv)\0*.csv\0";
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrTitle = "Export History";
    request.lpstrDefExt = "csv";
    request.lpstrFile = name;
    request.nMaxFile = sizeof name;
    if (!GetSaveFileNameFunction(&request) || !name[0]) return;
    WaitCursor wait;
    ExportHistory(window, *w.state->History, w.controller, w.axis, name);
}

void OnCommand(HWND window, WindowState& w, int id) {
    switch (id) {
    case IDC_HISTORY_OVERLAY: RedrawOverlays(*w.state); break;
    case IDC_HISTORY_RESTORE: OnRestore(window, w); break;
    case IDC_HISTORY_EXPORT: OnExport(window, w); break;
    case IDCANCEL: DestroyWindow(window); break;
    default: break;
    }
}

INT_PTR CALLBACK HistoryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowState* w = StateOfWindow(window);
    switch (message) {
    case WM_INITDIALOG: OnInit(window, reinterpret_cast<AppState*>(lParam)); return TRUE;
    case WM_SIZE: Layout(window); return TRUE;
    case WM_GETMINMAXINFO:
        if (w) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {w->minimum.cx, w->minimum.cy};
        }
        return TRUE;
    case WM_COMMAND:
        if (w) OnCommand(window, *w, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (w && header && header->idFrom == IDC_HISTORY_LIST && header->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
                UpdateButtons(window, *w);
                RedrawOverlays(*w->state);
            }
        }
        return FALSE;
    }
    case WM_DESTROY:
        if (w) {
            AppState* s = w->state;
            delete w;
            SetWindowLongPtrA(window, DWLP_USER, 0);
            if (g_window == window) g_window = nullptr;
            // The overlays belong to the window's selection.
            if (s && s->PlotPanes[0] && IsWindow(s->PlotPanes[0])) {
                SendMessageA(s->PlotPanes[0], PWM_CLEAROVERLAYS, 0, 0);
                SendMessageA(s->PlotPanes[0], PWM_UPDATE, 0, 0);
            }
        }
        if (g_window == window) g_window = nullptr;
        return FALSE;
    }
    return FALSE;
}

}  // namespace

std::string HistoryCell(const HistoryRun& r, int column) {
    switch (column) {
    case 0: return std::to_string(r.Number);
    case 1: {
        std::string t = r.Time;
        if (t.size() > 10 && t[10] == 'T') t[10] = ' ';
        return t;
    }
    case 2: return Gain(r.P);
    case 3: return Gain(r.I);
    case 4: return Gain(r.D);
    case 5: return Figure(r.RiseTime);
    case 6: return Figure(r.Overshoot);
    case 7: return Figure(r.SettlingTime);
    case 8: return Figure(r.PeakError);
    case 9: return Figure(r.RmsError);
    case 10: return Figure(r.PeakTorque);
    case 11: return Figure(r.PeakSkew);
    default: return "";
    }
}

void OpenHistoryWindow(HWND mainWindow) {
    AppState* s = StateOf(mainWindow);
    if (!s) return;
    if (g_window && IsWindow(g_window)) {
        if (IsIconic(g_window)) ShowWindow(g_window, SW_RESTORE);
        SetForegroundWindow(g_window);
        SetActiveWindow(g_window);
        return;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    g_window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_HISTORY), mainWindow,
                                  HistoryProc, reinterpret_cast<LPARAM>(s));
    if (g_window) ShowWindow(g_window, SW_SHOW);
}

HWND HistoryWindow() { return g_window && IsWindow(g_window) ? g_window : nullptr; }

void RefreshHistoryWindow(AppState& s) {
    HWND window = HistoryWindow();
    WindowState* w = window ? StateOfWindow(window) : nullptr;
    if (w && w->state == &s) FillList(window, *w);
}

void FollowAxisInHistory(AppState& s) {
    LoadAxisHistory(s);
    HWND window = HistoryWindow();
    WindowState* w = window ? StateOfWindow(window) : nullptr;
    if (w && w->state == &s && (w->controller != s.ControllerID || w->axis != s.Axis)) FillList(window, *w);
}

std::vector<const HistoryRun*> OverlaidRuns(const AppState& s) {
    std::vector<const HistoryRun*> runs;
    HWND window = HistoryWindow();
    WindowState* w = window ? StateOfWindow(window) : nullptr;
    if (!w || w->state != &s || !s.History || !IsDlgButtonChecked(window, IDC_HISTORY_OVERLAY)) return runs;
    if (w->controller != s.ControllerID || w->axis != s.Axis) return runs;
    for (int n : SelectedNumbers(window))
        if (const HistoryRun* r = s.History->Find(w->controller, w->axis, n)) runs.push_back(r);
    return runs;
}

bool ExportHistory(HWND owner, const TestHistory& history, int controller, int axis, const char* fileName) {
    ReplacingFile out;
    if (!out.Open(fileName)) {
        ShowWriteError(owner, fileName, out.Error());
        return false;
    }
    out.Write(std::string(kHistoryHeader) + "\r\n");
    for (const HistoryRun* r : history.RunsOf(controller, axis)) out.Write(FormatHistoryRow(*r) + "\r\n");
    if (!out.Commit()) {
        ShowWriteError(owner, fileName, out.Error());
        return false;
    }
    return true;
}
