// Run-time binding of the controller libraries: LoadLibraryA by bare file name,
// then GetProcAddress for every name in the library's documented order.
#include "zq_library.h"

ZqOpen_t* ZqOpen = nullptr;
ZqClose_t* ZqClose = nullptr;
ZqTranslateErrorEx_t* ZqTranslateErrorEx = nullptr;
ZqErrorNotify_t* ZqErrorNotify = nullptr;
ZqReopen_t* ZqReopen = nullptr;
ZqReset_t* ZqReset = nullptr;
ZqGetConfiguration_t* ZqGetConfiguration = nullptr;
ZqGetConfigurationEx_t* ZqGetConfigurationEx = nullptr;
ZqGetAxisConfiguration_t* ZqGetAxisConfiguration = nullptr;
ZqGetStatus_t* ZqGetStatus = nullptr;
ZqDecodeStatus_t* ZqDecodeStatus = nullptr;
ZqGetDouble_t* ZqGetPositionEx = nullptr;
ZqSetDouble_t* ZqSetPosition = nullptr;
ZqScale_t* ZqGetScale = nullptr;
ZqScale_t* ZqSetScale = nullptr;
ZqMotion_t* ZqGetMotionConfig = nullptr;
ZqMotion_t* ZqSetMotionConfig = nullptr;
ZqFilter_t* ZqGetFilterConfig = nullptr;
ZqFilter_t* ZqSetFilterConfig = nullptr;
ZqGetDouble_t* ZqGetGain = nullptr;
ZqSetDouble_t* ZqSetGain = nullptr;
ZqGetInt_t* ZqGetProfile = nullptr;
ZqSetInt_t* ZqSetProfile = nullptr;
ZqGetInt_t* ZqGetServoOutputPhase = nullptr;
ZqSetInt_t* ZqSetServoOutputPhase = nullptr;
ZqGetInt_t* ZqGetModuleOutputMode = nullptr;
ZqSetInt_t* ZqSetModuleOutputMode = nullptr;
ZqSetOperatingMode_t* ZqSetOperatingMode = nullptr;
ZqEnableAxis_t* ZqEnableAxis = nullptr;
ZqBlockBegin_t* ZqBlockBegin = nullptr;
ZqBlockEnd_t* ZqBlockEnd = nullptr;
ZqCaptureData_t* ZqCaptureData = nullptr;
ZqEnableGearing_t* ZqEnableGearing = nullptr;
ZqGetDouble_t* ZqGetAuxEncPosEx = nullptr;
ZqGetDouble_t* ZqGetOptimalEx = nullptr;
ZqGetDouble_t* ZqGetTargetEx = nullptr;
ZqGetDouble_t* ZqGetTorque = nullptr;
ZqSetDouble_t* ZqMoveRelative = nullptr;
ZqSetRegister_t* ZqSetRegister = nullptr;
ZqWaitForStop_t* ZqWaitForStop = nullptr;
ZqStop_t* ZqStop = nullptr;
qlxcmdex_t* qlxcmdex = nullptr;
ZqGetCaptureData_t* ZqGetCaptureData = nullptr;
ZQDLG_Initialize_t* ZQDLG_Initialize = nullptr;
ZQDLG_SelectController_t* ZQDLG_SelectController = nullptr;
ZQDLG_ConfigureAxis_t* ZQDLG_ConfigureAxis = nullptr;
ZQDLG_Scaling_t* ZQDLG_Scaling = nullptr;
ZQDLG_RestoreAxis_t* ZQDLG_RestoreAxis = nullptr;
ZQDLG_SaveAxis_t* ZQDLG_SaveAxis = nullptr;
ZQDLG_DownloadFile_t* ZQDLG_DownloadFile = nullptr;
ZQDLG_DescEx_t* ZQDLG_CommandFileExt = nullptr;
ZQDLG_DescEx_t* ZQDLG_ControllerDescEx = nullptr;
ZQDLG_DescEx_t* ZQDLG_ModuleDescEx = nullptr;
ZQDLG_AboutBox_t* ZQDLG_AboutBox = nullptr;

const char* const kApiNames[151] = {
    "ZqAbort",
    "ZqArcCenter",
    "ZqBlockBegin",
    "ZqBlockEnd",
    "ZqCancelTask",
    "ZqCaptureData",
    "ZqClose",
    "ZqConfigureDigitalIO",
    "ZqContourDistance",
    "ZqContourPath",
    "ZqDecodeStatus",
    "ZqDirection",
    "ZqEnableAxis",
    "ZqEnableBacklash",
    "ZqEnableDigitalIO",
    "ZqEnableGearing",
    "ZqEnableJog",
    "ZqEnableSync",
    "ZqErrorNotify",
    "ZqFindEdge",
    "ZqFindIndex",
    "ZqGetAccelerationEx",
    "ZqGetAnalog",
    "ZqGetAuxEncIdxEx",
    "ZqGetAuxEncPosEx",
    "ZqGetBreakpointEx",
    "ZqGetCaptureData",
    "ZqGetConfiguration",
    "ZqGetContourConfig",
    "ZqGetContouringCount",
    "ZqGetDecelerationEx",
    "ZqGetError",
    "ZqGetDigitalIO",
    "ZqGetFilterConfig",
    "ZqGetFollowingError",
    "ZqGetGain",
    "ZqGetIndexEx",
    "ZqGetJogConfig",
    "ZqGetLimits",
    "ZqGetMotionConfig",
    "ZqGetOptimalEx",
    "ZqGetPositionEx",
    "ZqGetProfile",
    "ZqGetRegister",
    "ZqGetScale",
    "ZqGetServoOutputPhase",
    "ZqGetStatus",
    "ZqGetTargetEx",
    "ZqGetTorque",
    "ZqGetVectorVelocity",
    "ZqGetVelocityEx",
    "ZqGetVersion",
    "ZqGo",
    "ZqGoHome",
    "ZqLearnPoint",
    "ZqMacroCall",
    "ZqMoveAbsolute",
    "ZqMoveRelative",
    "ZqMoveToPoint",
    "ZqOpen",
    "ZqReopen",
    "ZqRepeat",
    "ZqReset",
    "ZqSetAcceleration",
    "ZqSetAnalog",
    "ZqSetAuxEncPos",
    "ZqSetContourConfig",
    "ZqSetDeceleration",
    "ZqSetFilterConfig",
    "ZqSetGain",
    "ZqSetJogConfig",
    "ZqSetLimits",
    "ZqSetModuleOutputMode",
    "ZqSetMotionConfig",
    "ZqSetOperatingMode",
    "ZqSetPosition",
    "ZqSetProfile",
    "ZqSetRegister",
    "ZqSetScale",
    "ZqSetServoOutputPhase",
    "ZqSetTimeoutEx",
    "ZqSetTorque",
    "ZqSetVectorVelocity",
    "ZqSetVelocity",
    "ZqStop",
    "ZqTranslateErrorEx",
    "ZqWait",
    "ZqWaitForDigitalIO",
    "ZqWaitForEdge",
    "ZqWaitForPosition",
    "ZqWaitForRelative",
    "ZqWaitForStop",
    "ZqWaitForTarget",
    "qlxcmd",
    "qlxgetc",
    "qlxgetram",
    "qlxgets",
    "qlxputc",
    "qlxputram",
    "qlxputs",
    "qlxrdy",
    "qlxrpy",
    "ZqGetDigitalIOConfig",
    "ZqGoEx",
    "ZqTranslateErrorEx",
    "ZqArcEndAngle",
    "ZqArcRadius",
    "ZqFindAuxEncIdx",
    "ZqGetAuxEncIdxEx",
    "ZqIndexArm",
    "ZqIsAtTarget",
    "ZqIsStopped",
    "qlxcmdex",
    "qlxrpyex",
    "ZqGetAxisConfiguration",
    "ZqGetConfigurationEx",
    "ZqGetInstalledModules",
    "ZqConfigureCompare",
    "ZqEnableCapture",
    "ZqEnableCompare",
    "ZqEnableDigitalFilter",
    "ZqGetCount",
    "ZqGetDigitalFilter",
    "ZqIsDigitalFilter",
    "ZqSetDigitalFilter",
    "ZqEdgeArm",
    "ZqGetFilterConfigEx",
    "ZqGetModuleInputMode",
    "ZqGetMotionConfigEx",
    "ZqGetOperatingMode",
    "ZqIsEdgeFound",
    "ZqIsIndexFound",
    "ZqSetCommutation",
    "ZqSetFilterConfigEx",
    "ZqSetModuleInputMode",
    "ZqSetMotionConfigEx",
    "ZqWaitForIndex",
    "ZqDecodeStatusEx",
    "ZqEnableInterrupt",
    "ZqGetStatusEx",
    "ZqInterruptOnPosition",
    "ZqEnableEncoderFault",
    "ZqGetAnalogEx",
    "ZqGetVelocityActual",
    "ZqSetAnalogEx",
    "qlxgetramex",
    "qlxputramex",
    "ZqGetModuleOutputMode",
    "ZqGetVelocityOverride",
    "ZqSetVelocityOverride",
    "ZqGetDigitalIOEx",
};

const char* const kDialogsNames[17] = {
    "ZQDLG_AboutBox",
    "ZQDLG_ConfigureAxis",
    "ZQDLG_ControllerDesc",
    "ZQDLG_ControllerInfo",
    "ZQDLG_DownloadFile",
    "ZQDLG_Initialize",
    "ZQDLG_ListControllers",
    "ZQDLG_ModuleDesc",
    "ZQDLG_RestoreAxis",
    "ZQDLG_RestoreDigitalIO",
    "ZQDLG_SaveAxis",
    "ZQDLG_SaveDigitalIO",
    "ZQDLG_Scaling",
    "ZQDLG_SelectController",
    "ZQDLG_CommandFileExt",
    "ZQDLG_ControllerDescEx",
    "ZQDLG_ModuleDescEx",
};

namespace {

// Untyped slots of the names the program looks up but never calls.
FARPROC g_untypedApi[151];
FARPROC g_untypedDialogs[17];

template <typename F>
void Assign(F*& slot, FARPROC address) { slot = reinterpret_cast<F*>(reinterpret_cast<void*>(address)); }

bool StoreApi(const char* name, FARPROC address) {
    if (!lstrcmpA(name, "ZqOpen")) { Assign(ZqOpen, address); return true; }
    if (!lstrcmpA(name, "ZqClose")) { Assign(ZqClose, address); return true; }
    if (!lstrcmpA(name, "ZqTranslateErrorEx")) { Assign(ZqTranslateErrorEx, address); return true; }
    if (!lstrcmpA(name, "ZqErrorNotify")) { Assign(ZqErrorNotify, address); return true; }
    if (!lstrcmpA(name, "ZqReopen")) { Assign(ZqReopen, address); return true; }
    if (!lstrcmpA(name, "ZqReset")) { Assign(ZqReset, address); return true; }
    if (!lstrcmpA(name, "ZqGetConfiguration")) { Assign(ZqGetConfiguration, address); return true; }
    if (!lstrcmpA(name, "ZqGetConfigurationEx")) { Assign(ZqGetConfigurationEx, address); return true; }
    if (!lstrcmpA(name, "ZqGetAxisConfiguration")) { Assign(ZqGetAxisConfiguration, address); return true; }
    if (!lstrcmpA(name, "ZqGetStatus")) { Assign(ZqGetStatus, address); return true; }
    if (!lstrcmpA(name, "ZqDecodeStatus")) { Assign(ZqDecodeStatus, address); return true; }
    if (!lstrcmpA(name, "ZqGetPositionEx")) { Assign(ZqGetPositionEx, address); return true; }
    if (!lstrcmpA(name, "ZqSetPosition")) { Assign(ZqSetPosition, address); return true; }
    if (!lstrcmpA(name, "ZqGetScale")) { Assign(ZqGetScale, address); return true; }
    if (!lstrcmpA(name, "ZqSetScale")) { Assign(ZqSetScale, address); return true; }
    if (!lstrcmpA(name, "ZqGetMotionConfig")) { Assign(ZqGetMotionConfig, address); return true; }
    if (!lstrcmpA(name, "ZqSetMotionConfig")) { Assign(ZqSetMotionConfig, address); return true; }
    if (!lstrcmpA(name, "ZqGetFilterConfig")) { Assign(ZqGetFilterConfig, address); return true; }
    if (!lstrcmpA(name, "ZqSetFilterConfig")) { Assign(ZqSetFilterConfig, address); return true; }
    if (!lstrcmpA(name, "ZqGetGain")) { Assign(ZqGetGain, address); return true; }
    if (!lstrcmpA(name, "ZqSetGain")) { Assign(ZqSetGain, address); return true; }
    if (!lstrcmpA(name, "ZqGetProfile")) { Assign(ZqGetProfile, address); return true; }
    if (!lstrcmpA(name, "ZqSetProfile")) { Assign(ZqSetProfile, address); return true; }
    if (!lstrcmpA(name, "ZqGetServoOutputPhase")) { Assign(ZqGetServoOutputPhase, address); return true; }
    if (!lstrcmpA(name, "ZqSetServoOutputPhase")) { Assign(ZqSetServoOutputPhase, address); return true; }
    if (!lstrcmpA(name, "ZqGetModuleOutputMode")) { Assign(ZqGetModuleOutputMode, address); return true; }
    if (!lstrcmpA(name, "ZqSetModuleOutputMode")) { Assign(ZqSetModuleOutputMode, address); return true; }
    if (!lstrcmpA(name, "ZqSetOperatingMode")) { Assign(ZqSetOperatingMode, address); return true; }
    if (!lstrcmpA(name, "ZqEnableAxis")) { Assign(ZqEnableAxis, address); return true; }
    if (!lstrcmpA(name, "ZqBlockBegin")) { Assign(ZqBlockBegin, address); return true; }
    if (!lstrcmpA(name, "ZqBlockEnd")) { Assign(ZqBlockEnd, address); return true; }
    if (!lstrcmpA(name, "ZqCaptureData")) { Assign(ZqCaptureData, address); return true; }
    if (!lstrcmpA(name, "ZqEnableGearing")) { Assign(ZqEnableGearing, address); return true; }
    if (!lstrcmpA(name, "ZqGetAuxEncPosEx")) { Assign(ZqGetAuxEncPosEx, address); return true; }
    if (!lstrcmpA(name, "ZqGetOptimalEx")) { Assign(ZqGetOptimalEx, address); return true; }
    if (!lstrcmpA(name, "ZqGetTargetEx")) { Assign(ZqGetTargetEx, address); return true; }
    if (!lstrcmpA(name, "ZqGetTorque")) { Assign(ZqGetTorque, address); return true; }
    if (!lstrcmpA(name, "ZqMoveRelative")) { Assign(ZqMoveRelative, address); return true; }
    if (!lstrcmpA(name, "ZqSetRegister")) { Assign(ZqSetRegister, address); return true; }
    if (!lstrcmpA(name, "ZqWaitForStop")) { Assign(ZqWaitForStop, address); return true; }
    if (!lstrcmpA(name, "ZqStop")) { Assign(ZqStop, address); return true; }
    if (!lstrcmpA(name, "qlxcmdex")) { Assign(qlxcmdex, address); return true; }
    if (!lstrcmpA(name, "ZqGetCaptureData")) { Assign(ZqGetCaptureData, address); return true; }
    return false;
}

bool StoreDialogs(const char* name, FARPROC address) {
    if (!lstrcmpA(name, "ZQDLG_Initialize")) { Assign(ZQDLG_Initialize, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_SelectController")) { Assign(ZQDLG_SelectController, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_ConfigureAxis")) { Assign(ZQDLG_ConfigureAxis, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_Scaling")) { Assign(ZQDLG_Scaling, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_RestoreAxis")) { Assign(ZQDLG_RestoreAxis, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_SaveAxis")) { Assign(ZQDLG_SaveAxis, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_DownloadFile")) { Assign(ZQDLG_DownloadFile, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_CommandFileExt")) { Assign(ZQDLG_CommandFileExt, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_ControllerDescEx")) { Assign(ZQDLG_ControllerDescEx, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_ModuleDescEx")) { Assign(ZQDLG_ModuleDescEx, address); return true; }
    if (!lstrcmpA(name, "ZQDLG_AboutBox")) { Assign(ZQDLG_AboutBox, address); return true; }
    return false;
}

int LoadLibraryNames(const char* file, const char* const* names, int count, FARPROC* untyped,
                     bool (*store)(const char*, FARPROC)) {
    HMODULE module = LoadLibraryA(file);
    if (!module) return 7;
    for (int i = 0; i < count; ++i) {
        FARPROC address = GetProcAddress(module, names[i]);
        if (!address) return 7;  // the library stays loaded, as it would on a real machine
        if (!store(names[i], address)) untyped[i] = address;
    }
    return 0;
}

}  // namespace

int LoadApiLibrary() {
    return LoadLibraryNames("zqapi32.dll", kApiNames, 151, g_untypedApi, StoreApi);
}

int LoadDialogsLibrary() {
    return LoadLibraryNames("zqdlg32.dll", kDialogsNames, 17, g_untypedDialogs, StoreDialogs);
}
