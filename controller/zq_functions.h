// Signatures of the controller library functions the program calls. Both our
// simulated libraries and the program's run-time binding use these types, so a
// mismatch between them fails to compile.
#pragma once
#include <windows.h>
#include "zq_records.h"

typedef short Handle16;
typedef unsigned short Axis16;

#define ZQAPI __stdcall

// API library (zqapi32.dll)
typedef short ZQAPI ZqOpen_t(int id, int mode, const char* text);
typedef int   ZQAPI ZqClose_t(short handle);
typedef int   ZQAPI ZqTranslateErrorEx_t(int code, char* buffer, int size);
typedef int   ZQAPI ZqErrorNotify_t(HWND window, short handle, unsigned long mask);
typedef int   ZQAPI ZqReopen_t(short handle, int flags);
typedef int   ZQAPI ZqReset_t(short handle, int flags);
typedef int   ZQAPI ZqGetConfiguration_t(short handle, ControllerParams* params);
typedef int   ZQAPI ZqGetConfigurationEx_t(short handle, ControllerConfig* config);
typedef int   ZQAPI ZqGetAxisConfiguration_t(short handle, unsigned short axis, AxisConfig* config);
typedef int   ZQAPI ZqGetStatus_t(short handle, unsigned short axis);
typedef int   ZQAPI ZqDecodeStatus_t(short handle, int status, int flag);
typedef int   ZQAPI ZqGetDouble_t(short handle, unsigned short axis, double* value);
typedef int   ZQAPI ZqSetDouble_t(short handle, unsigned short axis, double value);
typedef int   ZQAPI ZqScale_t(short handle, unsigned short axis, AxisScale* scale);
typedef int   ZQAPI ZqMotion_t(short handle, unsigned short axis, MotionConfig* motion);
typedef int   ZQAPI ZqFilter_t(short handle, unsigned short axis, FilterConfig* filter);
typedef int   ZQAPI ZqGetInt_t(short handle, unsigned short axis, int* value);
typedef int   ZQAPI ZqSetInt_t(short handle, unsigned short axis, int value);
typedef int   ZQAPI ZqSetOperatingMode_t(short handle, unsigned short axis, int zero, int mode);
typedef int   ZQAPI ZqEnableAxis_t(short handle, unsigned short axis, int state);
typedef int   ZQAPI ZqBlockBegin_t(short handle, int mode, int reserved);
typedef int   ZQAPI ZqBlockEnd_t(short handle, int* task);
typedef int   ZQAPI ZqCaptureData_t(short handle, unsigned short axis, int points, double period, double delay);
typedef int   ZQAPI ZqEnableGearing_t(short handle, unsigned short slave, unsigned short master, double ratio, int state);
typedef int   ZQAPI ZqSetRegister_t(short handle, int reg, void* value, int type);
typedef int   ZQAPI ZqWaitForStop_t(short handle, unsigned short axis, double dwell);
typedef int   ZQAPI ZqStop_t(short handle, unsigned short axis);
typedef int   ZQAPI qlxcmdex_t(short handle, unsigned short axis, int opcode, void* argument, int type);
typedef int   ZQAPI ZqGetCaptureData_t(short handle, unsigned short axis, int type, int first, int count, double* values);

// Dialogs library (zqdlg32.dll)
typedef int ZQAPI ZQDLG_Initialize_t(void);
typedef int ZQAPI ZQDLG_SelectController_t(HWND owner, int current, int reserved1, int reserved2);
typedef int ZQAPI ZQDLG_ConfigureAxis_t(HWND owner, short handle, unsigned short axis, int reserved1, int reserved2);
typedef int ZQAPI ZQDLG_Scaling_t(HWND owner, short handle, unsigned short axis, int mode, int reserved);
typedef int ZQAPI ZQDLG_RestoreAxis_t(short handle, int axis, int opening, int reserved);
typedef int ZQAPI ZQDLG_SaveAxis_t(short handle, int axis, int reserved1, int reserved2);
typedef int ZQAPI ZQDLG_DownloadFile_t(HWND owner, short handle, int reserved, const char* file);
typedef int ZQAPI ZQDLG_DescEx_t(int type, int form, char* buffer, int size);
typedef int ZQAPI ZQDLG_AboutBox_t(HWND owner, const char* program, int reserved);
