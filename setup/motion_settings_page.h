// "Motion Settings" page of the test setup sheet: step distance, record time,
// capture delay, cycle and repeat modes and the gantry pair.
#pragma once
#include <windows.h>

#include "../core/app_state.h"
#include "../core/record_time.h"

INT_PTR CALLBACK MotionSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// What the page's controls hold when the sheet is applied. Times are the
// entries in milliseconds; indexes are combo box selections (-1: none).
struct MotionEntries {
    double Distance = 0.0;
    double TimeMs = 0.0;
    double DelayMs = 0.0;
    double DwellMs = 0.0;
    double RDwellMs = 0.0;
    int Count = 0;
    BYTE Cycle = 0;
    BYTE Repeat = 0;
    BYTE Gantry = 0;
    BYTE Share = 0;
    int MasterIndex = -1;
    int SlaveIndex = -1;
    // Edits that still show the stored value as the page filled it in: that
    // value stays exactly, not rounded to the edit's decimals.
    bool KeepDistance = false;
    bool KeepTime = false;
    bool KeepDelay = false;
    bool KeepDwell = false;
    bool KeepRDwell = false;
};

// Record time after the Time entry: entry / 1000 when above 0 (at most
// kMaxRecordTime), else the current value.
double EnteredRecordTime(double timeMs, double current);
// The longest capturable record time to report to the user, 0 when the entry
// can be kept: the controller's limit, or kMaxRecordTime for a longer entry.
double RecordTimeToReport(double controllerLimit, double timeMs);
// Gantry mode with master and slave on the same entry.
bool GantryAxesClash(const MotionEntries& entries);
// Stores distance, delay, cycle, dwell, repeat, count, repeat dwell and the
// gantry pair (everything after the record time and the checks). A kept edit
// and a combo box without a selection leave their field as it is.
void StoreMotionEntries(const MotionEntries& entries, AppState& state);
// Number of axes the gantry combo boxes offer: min(NumberAxes, 16), at least 0.
int GantryAxisChoices(int numberAxes);
