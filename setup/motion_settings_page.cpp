// "Motion Settings" page: shows the current axis's test settings and the
// gantry pair, and stores them when the sheet is applied.
#include "motion_settings_page.h"

#include <commctrl.h>
#include <prsht.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "../controller/zq_library.h"
#include "../core/capture_data.h"
#include "../core/record_time.h"
#include "../core/settings.h"
#include "../panel/dialog_helpers.h"
#include "../resources/test_setup_ids.h"
#include "property_page.h"

namespace {

struct MotionPage {
    AppState* state = nullptr;
    // The page's own filling of its edits during WM_INITDIALOG is no change by the user.
    bool filling = false;
};

MotionPage* PageOf(HWND page) { return reinterpret_cast<MotionPage*>(GetWindowLongPtrA(page, DWLP_USER)); }

double Magnitude(double value) { return std::isfinite(value) ? std::fabs(value) : 0.0; }

void FillControls(HWND page, const AppState& s) {
    const TestSettings& t = s.Test;
    SetDlgItemNumber(page, IDC_MOTION_DISTANCE, t.Distance, 3);
    SetDlgItemNumber(page, IDC_MOTION_TIME, t.RecordTime * 1000.0, 3);
    SetDlgItemNumber(page, IDC_MOTION_DELAY, t.Delay * 1000.0, 1);
    CheckDlgButton(page, IDC_CYCLE_CHECK, t.Cycle ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemNumber(page, IDC_CYCLE_DWELL, t.Dwell * 1000.0, 1);
    EnableItems(page, IDC_CYCLE_DWELL_LABEL, IDC_CYCLE_DWELL_UNIT, t.Cycle != 0);

    CheckDlgButton(page, IDC_REPEAT_CHECK, t.Repeat ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(page, IDC_REPEAT_COUNT, static_cast<UINT>(t.Count), TRUE);
    SetDlgItemNumber(page, IDC_REPEAT_DWELL, t.RDwell * 1000.0, 1);
    EnableItems(page, IDC_REPEAT_COUNT_LABEL, IDC_REPEAT_DWELL_UNIT, t.Repeat != 0);

    ControllerConfig config = {};
    config.Size = kControllerConfigSize;
    ZqGetConfigurationEx(s.ControllerHandle, &config);
    int axes = GantryAxisChoices(config.NumberAxes);
    for (int n = 1; n <= axes; ++n) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", n);
        SendDlgItemMessageA(page, IDC_GANTRY_MASTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendDlgItemMessageA(page, IDC_GANTRY_SLAVE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    CheckDlgButton(page, IDC_GANTRY_CHECK, s.Gantry ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(page, IDC_GANTRY_MASTER, CB_SETCURSEL, static_cast<WPARAM>(s.GantryMaster - 1), 0);
    SendDlgItemMessageA(page, IDC_GANTRY_SLAVE, CB_SETCURSEL, static_cast<WPARAM>(s.GantrySlave - 1), 0);
    CheckDlgButton(page, IDC_GANTRY_SHARE, s.GantryShare ? BST_CHECKED : BST_UNCHECKED);
    EnableItems(page, IDC_GANTRY_MASTER_LABEL, IDC_GANTRY_SHARE, s.Gantry != 0);
}

MotionEntries ReadEntries(HWND page, const TestSettings& t) {
    MotionEntries e;
    e.Distance = EntryNumber(page, IDC_MOTION_DISTANCE);
    // "inf" is an enormous time, not 0
    e.TimeMs = GetDlgItemNumber(page, IDC_MOTION_TIME);
    // "inf" is a delay beyond the limit (reported); text that is no number counts as 0.
    const double delayMs = GetDlgItemNumber(page, IDC_MOTION_DELAY);
    e.DelayMs = std::isnan(delayMs) ? 0.0 : delayMs;
    e.DwellMs = EntryNumber(page, IDC_CYCLE_DWELL);
    e.RDwellMs = EntryNumber(page, IDC_REPEAT_DWELL);
    e.Count = static_cast<int>(GetDlgItemInt(page, IDC_REPEAT_COUNT, nullptr, TRUE));
    e.Cycle = CheckState(page, IDC_CYCLE_CHECK);
    e.Repeat = CheckState(page, IDC_REPEAT_CHECK);
    e.Gantry = CheckState(page, IDC_GANTRY_CHECK);
    e.Share = CheckState(page, IDC_GANTRY_SHARE);
    e.MasterIndex = static_cast<int>(SendDlgItemMessageA(page, IDC_GANTRY_MASTER, CB_GETCURSEL, 0, 0));
    e.SlaveIndex = static_cast<int>(SendDlgItemMessageA(page, IDC_GANTRY_SLAVE, CB_GETCURSEL, 0, 0));
    // Only a sound stored value is kept: a damaged one is replaced by what the edit shows.
    e.KeepDistance = t.Distance >= 0 && EntryShows(page, IDC_MOTION_DISTANCE, t.Distance, 3);
    e.KeepTime = StoredRecordTimeValid(t.RecordTime) && EntryShows(page, IDC_MOTION_TIME, t.RecordTime * 1000.0, 3);
    e.KeepDelay = StoredDelayValid(t.Delay) && EntryShows(page, IDC_MOTION_DELAY, t.Delay * 1000.0, 1);
    e.KeepDwell = t.Dwell >= 0 && EntryShows(page, IDC_CYCLE_DWELL, t.Dwell * 1000.0, 1);
    e.KeepRDwell = t.RDwell >= 0 && EntryShows(page, IDC_REPEAT_DWELL, t.RDwell * 1000.0, 1);
    return e;
}

// Stores the page's values; false when the user must correct them first.
bool Apply(HWND page, AppState& s) {
    MotionEntries e = ReadEntries(page, s.Test);
    if (!e.KeepTime) s.Test.RecordTime = EnteredRecordTime(e.TimeMs, s.Test.RecordTime);
    double limit = LimitRecordTime(s.Test, s.ControllerHandle, static_cast<unsigned short>(s.Axis),
                                   s.AdvancedCapture);
    limit = RecordTimeToReport(limit, e.TimeMs);
    if (limit != 0.0) {
        char text[400];
        std::snprintf(text, sizeof text,
                      "This controller cannot support data capture times of longer than %f seconds\n"
                      "Select OK to fix the settings and continue or Cancel to return to the dialog box",
                      limit);
        if (MessageBoxA(page, text, "Parameter Error", MB_OKCANCEL | MB_ICONWARNING) == IDCANCEL) return false;
        if (limit > 0) s.Test.RecordTime = limit;
    }
    if (!e.KeepDelay && e.DelayMs / 1000.0 > kMaxRecordTime) {
        char text[400];
        std::snprintf(text, sizeof text,
                      "The delay may not be longer than %.0f ms\n"
                      "Select OK to fix the settings and continue or Cancel to return to the dialog box",
                      kMaxRecordTime * 1000.0);
        if (MessageBoxA(page, text, "Parameter Error", MB_OKCANCEL | MB_ICONWARNING) == IDCANCEL) return false;
        e.DelayMs = kMaxRecordTime * 1000.0;
    }
    if (GantryAxesClash(e)) {
        MessageBoxA(page,
                    "The master and slave axis settings for gantry\n"
                    "mode may not be set to the same axis number.",
                    "Parameter Error", MB_ICONWARNING);
        return false;
    }
    StoreMotionEntries(e, s);
    NotePageApplied();
    return true;
}

void OnCommand(HWND page, MotionPage& p, int id, int code) {
    switch (id) {
    case IDC_MOTION_DISTANCE:
    case IDC_MOTION_TIME:
    case IDC_MOTION_DELAY:
    case IDC_CYCLE_DWELL:
    case IDC_REPEAT_COUNT:
    case IDC_REPEAT_DWELL:
        if (code == EN_CHANGE && !p.filling) ReportPageChanged(page);
        break;
    case IDC_GANTRY_MASTER:
    case IDC_GANTRY_SLAVE:
        if (code == CBN_SELCHANGE) ReportPageChanged(page);
        break;
    case IDC_CYCLE_CHECK:
        EnableItems(page, IDC_CYCLE_DWELL_LABEL, IDC_CYCLE_DWELL_UNIT, ToggleCheck(page, id));
        ReportPageChanged(page);
        break;
    case IDC_REPEAT_CHECK:
        EnableItems(page, IDC_REPEAT_COUNT_LABEL, IDC_REPEAT_DWELL_UNIT, ToggleCheck(page, id));
        ReportPageChanged(page);
        break;
    case IDC_GANTRY_CHECK:
        EnableItems(page, IDC_GANTRY_MASTER_LABEL, IDC_GANTRY_SHARE, ToggleCheck(page, id));
        ReportPageChanged(page);
        break;
    case IDC_GANTRY_SHARE:
        if (!ToggleCheck(page, id))
            MessageBoxA(page,
                        "Sharing PID settings in Gantry mode is recommended. Disabling\n"
                        "sharing allows the each gantry axis to have unique settings. This\n"
                        "may result in erratic or dangerous operation.",
                        "Warning", MB_ICONWARNING);
        ReportPageChanged(page);
        break;
    default: break;
    }
}

}  // namespace

double EnteredRecordTime(double timeMs, double current) {
    double t = timeMs / 1000.0;
    if (!(t > 0)) return current;
    return t > kMaxRecordTime ? kMaxRecordTime : t;
}

double RecordTimeToReport(double controllerLimit, double timeMs) {
    if (controllerLimit != 0.0) return controllerLimit;
    return timeMs / 1000.0 > kMaxRecordTime ? kMaxRecordTime : 0.0;
}

bool GantryAxesClash(const MotionEntries& e) { return e.Gantry && e.MasterIndex == e.SlaveIndex; }

void StoreMotionEntries(const MotionEntries& e, AppState& s) {
    TestSettings& t = s.Test;
    if (!e.KeepDistance) t.Distance = Magnitude(e.Distance);
    double delay = e.DelayMs / 1000.0;
    // A negative delay is ignored; so is one the step test could not wait for.
    if (!e.KeepDelay && delay >= 0 && delay <= kMaxRecordTime) t.Delay = delay;
    t.Cycle = e.Cycle ? 1 : 0;
    if (!e.KeepDwell) t.Dwell = Magnitude(e.DwellMs / 1000.0);
    t.Repeat = e.Repeat ? 1 : 0;
    long long count = std::llabs(static_cast<long long>(e.Count));
    if (count >= 0 && count <= 0x7FFFFFFF) t.Count = static_cast<int>(count);
    if (!e.KeepRDwell) t.RDwell = Magnitude(e.RDwellMs / 1000.0);
    if (t.Count == 0) t.Repeat = 0;
    s.Gantry = e.Gantry ? 1 : 0;
    // An empty combo box shows a stored axis that is not on the list: it stays as
    // stored (and counts as no partner), never 0 that a later start would repair
    // into a pair.
    if (e.MasterIndex >= 0) s.GantryMaster = e.MasterIndex + 1;
    if (e.SlaveIndex >= 0) s.GantrySlave = e.SlaveIndex + 1;
    s.GantryShare = e.Share ? 1 : 0;
}

int GantryAxisChoices(int numberAxes) {
    if (numberAxes < 0) return 0;
    return numberAxes > kMaxAxes ? kMaxAxes : numberAxes;
}

INT_PTR CALLBACK MotionSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* p = new (std::nothrow) MotionPage;
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
        AppState* s = PageStateFrom(lParam);
        if (p && s) {
            p->state = s;
            p->filling = true;
            FillControls(page, *s);
            p->filling = false;
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (MotionPage* p = PageOf(page); p && p->state) OnCommand(page, *p, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        MotionPage* p = PageOf(page);
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (p && p->state && header && header->code == static_cast<UINT>(PSN_APPLY) && !Apply(page, *p->state))
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    }
    case WM_DESTROY:
        delete PageOf(page);
        SetWindowLongPtrA(page, DWLP_USER, 0);
        return FALSE;
    default: return FALSE;
    }
}
