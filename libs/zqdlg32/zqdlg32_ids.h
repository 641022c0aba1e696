// Dialog templates and control ids of the dialogs library, shared by its .rc,
// its dialog procedures and the tests that drive the dialogs.
#pragma once

#define IDD_SELECT_CONTROLLER   100
#define IDD_CONFIGURE_AXIS      101
#define IDD_SCALING             102
#define IDD_ABOUT               103

// Select Controller
#define IDC_CONTROLLER_LIST     1001
#define IDC_CONTROLLER_NOTE     1002

// Axis Setup
#define IDC_VELOCITY            1101
#define IDC_ACCELERATION        1102
#define IDC_DECELERATION        1103
#define IDC_TORQUE_LIMIT        1104
#define IDC_PROFILE             1105
#define IDC_UPDATE_RATE         1106
#define IDC_FOLLOWING_ERROR     1107
#define IDC_INTEGRATION_LIMIT   1108
#define IDC_VELOCITY_GAIN       1109
#define IDC_SAMPLE_PERIOD       1110
#define IDC_AXIS_MODULE         1111
#define IDC_UNIT_VELOCITY       1112
#define IDC_UNIT_ACCELERATION   1113
#define IDC_UNIT_DECELERATION   1114
#define IDC_UNIT_FOLLOWING      1115

// Scaling Setup
#define IDC_SCALE               1201
#define IDC_UNITS               1202
#define IDC_SCALE_MODULE        1203

// About
#define IDC_ABOUT_PROGRAM       1301
#define IDC_ABOUT_VERSION       1302
#define IDC_ABOUT_HARDWARE      1303
#define IDC_ABOUT_ICON          1304

#define ZQDLG_VERSION_TEXT      "1.0.0"
