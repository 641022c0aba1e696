// The Step Test progress window shown while a long step test records.
#pragma once

#define IDD_STEP_PROGRESS "StepTestDialog"
#define IDC_STEP_PROGRESS_BAR  2401
#define IDC_STEP_PROGRESS_TEXT 2402
#define IDC_STEP_STOP          2403
