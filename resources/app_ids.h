// Resource and command ids of the main window: icon, menu, accelerators.
#pragma once

#define IDI_LOOPSMITH 52

// Menu and accelerator commands.
#define IDM_SELECT_CONTROLLER 100
#define IDM_RESET_CONTROLLER  101
#define IDM_OPEN              102
#define IDM_SAVE_AS           103
#define IDM_AUTO_INITIALIZE   104
#define IDM_SAVE_ALL_AXES     105
#define IDM_IMPORT_ZPCL       106
#define IDM_EXPORT_ZPCL       107
#define IDM_PRINT             108
#define IDM_EXIT              109
#define IDM_AXIS_SETUP        200
#define IDM_SCALING_SETUP     201
#define IDM_PID_SLIDER_SETUP  202
#define IDM_TEST_SETUP        203
#define IDM_PLOT_WINDOW_SETUP 204
#define IDM_AUTO_TUNE         205
#define IDM_STEP_PLUS         210
#define IDM_STEP_MINUS        211
#define IDM_CLEAR_PLOT        212
#define IDM_ZERO_POSITION     213
#define IDM_HISTORY           220
#define IDM_HELP_TOPICS       300
#define IDM_ABOUT             301

#define LOOPSMITH_TIMER_ID 50
#define LOOPSMITH_TIMER_MS 110
