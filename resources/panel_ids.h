// Control ids of the gain panel and of each gain slider's children.
#pragma once

#define IDC_PANEL          200
#define IDC_AXIS_BUTTON    201
#define IDC_POSITION_LABEL 201
#define IDC_AXIS_READOUT   202
#define IDC_POSITION_READOUT 203
#define IDC_MOTOR_LED      204
#define IDC_MOTOR_ON       205
#define IDC_MOTOR_OFF      206
#define IDC_TRAJ_LED       207
#define IDC_TRAJ_ON        208
#define IDC_TRAJ_OFF       209
#define IDC_STEP_PLUS      210
#define IDC_STEP_MINUS     211
#define IDC_CLEAR          212
#define IDC_ZERO           213
#define IDC_SLIDER_FRAME   214
#define IDC_SLIDER_P       215
#define IDC_SLIDER_I       216
#define IDC_SLIDER_D       217

#define IDC_SLIDER_TRACKBAR  500
#define IDC_SLIDER_ZOOM_IN   501
#define IDC_SLIDER_CONFIGURE 502
#define IDC_SLIDER_ZOOM_OUT  503
#define IDC_SLIDER_READOUT   504
#define IDC_SLIDER_UPPER     505
#define IDC_SLIDER_LOWER     506
#define IDC_SLIDER_MIDDLE    507

// Messages to a gain slider.
#define SLM_REFRESH    (WM_USER + 1)  // re-read the gain from the controller
#define SLM_SETPERCENT (WM_USER + 2)  // lParam: const double* percent
