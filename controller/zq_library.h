// Run-time binding of the two controller libraries. Each looked-up name gets a
// process-wide function pointer, filled by the loaders and never reset.
#pragma once
#include "zq_functions.h"

// Loads zqapi32.dll and looks up all its names in order; 0 on success, 7 when
// the library cannot be loaded or a name is missing (the rest are not looked up).
int LoadApiLibrary();
// The same for zqdlg32.dll.
int LoadDialogsLibrary();

// Names the loaders look up, in order (for tests and diagnostics).
extern const char* const kApiNames[151];
extern const char* const kDialogsNames[17];

// API library functions the program calls.
extern ZqOpen_t* ZqOpen;
extern ZqClose_t* ZqClose;
extern ZqTranslateErrorEx_t* ZqTranslateErrorEx;
extern ZqErrorNotify_t* ZqErrorNotify;
extern ZqReopen_t* ZqReopen;
extern ZqReset_t* ZqReset;
extern ZqGetConfiguration_t* ZqGetConfiguration;
extern ZqGetConfigurationEx_t* ZqGetConfigurationEx;
extern ZqGetAxisConfiguration_t* ZqGetAxisConfiguration;
extern ZqGetStatus_t* ZqGetStatus;
extern ZqDecodeStatus_t* ZqDecodeStatus;
extern ZqGetDouble_t* ZqGetPositionEx;
extern ZqSetDouble_t* ZqSetPosition;
extern ZqScale_t* ZqGetScale;
extern ZqScale_t* ZqSetScale;
extern ZqMotion_t* ZqGetMotionConfig;
extern ZqMotion_t* ZqSetMotionConfig;
extern ZqFilter_t* ZqGetFilterConfig;
extern ZqFilter_t* ZqSetFilterConfig;
extern ZqGetDouble_t* ZqGetGain;
extern ZqSetDouble_t* ZqSetGain;
extern ZqGetInt_t* ZqGetProfile;
extern ZqSetInt_t* ZqSetProfile;
extern ZqGetInt_t* ZqGetServoOutputPhase;
extern ZqSetInt_t* ZqSetServoOutputPhase;
extern ZqGetInt_t* ZqGetModuleOutputMode;
extern ZqSetInt_t* ZqSetModuleOutputMode;
extern ZqSetOperatingMode_t* ZqSetOperatingMode;
extern ZqEnableAxis_t* ZqEnableAxis;
extern ZqBlockBegin_t* ZqBlockBegin;
extern ZqBlockEnd_t* ZqBlockEnd;
extern ZqCaptureData_t* ZqCaptureData;
extern ZqEnableGearing_t* ZqEnableGearing;
extern ZqGetDouble_t* ZqGetAuxEncPosEx;
extern ZqGetDouble_t* ZqGetOptimalEx;
extern ZqGetDouble_t* ZqGetTargetEx;
extern ZqGetDouble_t* ZqGetTorque;
extern ZqSetDouble_t* ZqMoveRelative;
extern ZqSetRegister_t* ZqSetRegister;
extern ZqWaitForStop_t* ZqWaitForStop;
extern ZqStop_t* ZqStop;
extern qlxcmdex_t* qlxcmdex;
extern ZqGetCaptureData_t* ZqGetCaptureData;

// Dialogs library functions the program calls.
extern ZQDLG_Initialize_t* ZQDLG_Initialize;
extern ZQDLG_SelectController_t* ZQDLG_SelectController;
extern ZQDLG_ConfigureAxis_t* ZQDLG_ConfigureAxis;
extern ZQDLG_Scaling_t* ZQDLG_Scaling;
extern ZQDLG_RestoreAxis_t* ZQDLG_RestoreAxis;
extern ZQDLG_SaveAxis_t* ZQDLG_SaveAxis;
extern ZQDLG_DownloadFile_t* ZQDLG_DownloadFile;
extern ZQDLG_DescEx_t* ZQDLG_CommandFileExt;
extern ZQDLG_DescEx_t* ZQDLG_ControllerDescEx;
extern ZQDLG_DescEx_t* ZQDLG_ModuleDescEx;
extern ZQDLG_AboutBox_t* ZQDLG_AboutBox;
