// Controller connection and axis selection.
#include "connection.h"

#include <cstdio>

#include "../controller/zq_library.h"
#include "../libs/zqdlg32/zqdlg32.h"
#include "../resources/app_ids.h"
#include "plot_panes.h"
#include "record_time.h"
#include "settings.h"

namespace {

ControllerConfig ReadControllerConfig(short handle) {
    ControllerConfig config = {};
    config.Size = kControllerConfigSize;
    ZqGetConfigurationEx(handle, &config);
    return config;
}

AxisConfig ReadAxisConfig(short handle, unsigned short axis) {
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(handle, axis, &config);
    return config;
}

}  // namespace

int UsableAxisCount(short handle) {
    if (handle <= 0) return 0;
    int n = ReadControllerConfig(handle).NumberAxes;
    if (n < 0) n = 0;
    return n > kMaxAxes ? kMaxAxes : n;
}

short OpenController(AppState& state) {
    short handle = ZqOpen(state.ControllerID, 2, "");
    state.ControllerHandle = handle;
    if (handle <= 0) return handle;

    ControllerConfig config = {};
    config.Size = kControllerConfigSize;
    if (int r = ZqGetConfigurationEx(handle, &config); r < 0) {
        // Not "no motor modules": the controller did not say how many it has.
        ShowControllerError(state.MainWindow, "The controller was opened but does not answer:", r);
        ZqClose(handle);
        state.ControllerHandle = 0;
        return 0;
    }
    if (config.NumberAxes <= 0) {
        MessageBoxA(state.MainWindow,
                    "No motor modules are installed on this controller. Tuning\n"
                    "requires that at least one servo or stepper module be installed.",
                    "Loopsmith", MB_ICONWARNING);
        ZqClose(handle);
        // The closed handle must not be used or closed again (the library may
        // already have given its number to another open).
        state.ControllerHandle = 0;
        return 0;
    }
    HMENU menu = state.MainWindow ? GetMenu(state.MainWindow) : nullptr;
    if (menu && (GetMenuState(menu, IDM_AUTO_INITIALIZE, MF_BYCOMMAND) & MF_CHECKED))
        ZQDLG_RestoreAxis(handle, 0, 1, 0);

    // An axis beyond the controller (or beyond the 16 the program can hold) opens axis 1.
    unsigned short axis = static_cast<unsigned short>(state.Axis);
    int usable = config.NumberAxes > kMaxAxes ? kMaxAxes : config.NumberAxes;
    if (axis < 1 || axis > usable) axis = 1;
    SelectAxis(state, axis);
    LoadAxisSettings(state.MainWindow);
    ShareGantrySettings(state);

    double r = LimitRecordTime(state.Test, handle, static_cast<unsigned short>(state.Axis), state.AdvancedCapture);
    if (r != 0.0) {
        MessageBoxA(state.MainWindow,
                    "The current data capture settings are out of range for this\n"
                    "controller type. Select OK to correct the settings and continue.",
                    "Controller Setttings Error", MB_ICONWARNING | MB_OK);
        if (r > 0) state.Test.RecordTime = r;
    }
    ClearPlots(state);
    state.TestDone = 0;
    ZqErrorNotify(state.MainWindow, handle, 0xFFFFFFFE);
    return state.ControllerHandle;
}

void SelectAxis(AppState& state, int axis) {
    state.Axis = axis;
    if (state.ControllerHandle <= 0) return;
    AxisConfig config = ReadAxisConfig(state.ControllerHandle, static_cast<unsigned short>(axis));
    state.TorqueCapture = (config.CaptureFlags & kCapTorque) ? 1 : 0;
    if (!state.TorqueCapture) state.PlotTorque = 0;
    state.AuxCapture = (config.CaptureFlags & kCapAuxiliary) ? 1 : 0;
    state.AdvancedCapture = config.CaptureFlags & kCapAdvanced;
    if (state.AdvancedCapture) return;
    int type = ReadControllerConfig(state.ControllerHandle).ControllerType;
    state.AdvancedCapture = (type == 6 || type == 7 || type == 8) ? 1 : 0;
}

unsigned short GantryPartner(const AppState& state) {
    if (!state.Gantry) return 0;
    int partner = 0;
    if (state.Axis == state.GantryMaster) partner = state.GantrySlave;
    else if (state.Axis == state.GantrySlave) partner = state.GantryMaster;
    // A stored partner outside the usable axes, or the axis itself, counts as no partner.
    if (partner < 1 || partner > kMaxAxes || partner == state.Axis) return 0;
    if (state.ControllerHandle > 0 && partner > UsableAxisCount(state.ControllerHandle)) return 0;
    return static_cast<unsigned short>(partner);
}

void ShareGantrySettings(AppState& state) {
    if (!state.GantryShare || state.ControllerHandle <= 0) return;
    unsigned short p = GantryPartner(state);
    if (!p) return;
    short h = state.ControllerHandle;
    unsigned short axis = static_cast<unsigned short>(state.Axis);
    AxisScale scale = {};
    ZqGetScale(h, axis, &scale);
    ZqSetScale(h, p, &scale);
    MotionConfig motion = {};
    ZqGetMotionConfig(h, axis, &motion);
    ZqSetMotionConfig(h, p, &motion);
    FilterConfig filter = {};
    ZqGetFilterConfig(h, axis, &filter);
    ZqSetFilterConfig(h, p, &filter);
    double position = 0.0;
    ZqGetPositionEx(h, axis, &position);
    ZqSetPosition(h, p, position);
    int value = 0;
    ZqGetProfile(h, axis, &value);
    ZqSetProfile(h, p, value);
    value = 0;
    ZqGetServoOutputPhase(h, axis, &value);
    ZqSetServoOutputPhase(h, p, value);
    value = 0;
    ZqGetModuleOutputMode(h, axis, &value);
    ZqSetModuleOutputMode(h, p, value);
}

void SetGainFullScale(AppState& state) {
    ControllerConfig config = ReadControllerConfig(state.ControllerHandle);
    double full = ((config.Flags & 0x4) && config.ControllerType != 8) ? 20.0 : 32767.0;
    state.PropGain.FullScale = full;
    state.IntGain.FullScale = full;
    state.DerGain.FullScale = full;
}

int ServoPeriod(short handle, unsigned short axis, double* seconds) {
    ControllerConfig config = ReadControllerConfig(handle);
    if (config.ControllerType == 8) {
        *seconds = config.NumberAxes * 0.001;
        return 0;
    }
    AxisConfig axisConfig = ReadAxisConfig(handle, axis);
    MotionConfig motion = {};
    ZqGetMotionConfig(handle, axis, &motion);
    switch (motion.UpdateRate) {
    case 1: *seconds = axisConfig.LowRatePeriod; break;
    case 2: *seconds = axisConfig.MediumRatePeriod; break;
    case 4: *seconds = axisConfig.HighRatePeriod; break;
    default: break;
    }
    return 0;
}

void ShowOpenError(HWND owner, const AppState& state) {
    char reason[129] = {};
    ZqTranslateErrorEx(state.ControllerHandle, reason, 128);
    char text[300];
    std::snprintf(text, sizeof text, "Unable to open controller for the following reason:\n\nID %d  -  %s\n",
                  state.ControllerID, reason);
    MessageBoxA(owner, text, "Loopsmith", MB_ICONWARNING);
}

std::string ControllerErrorText(int code) {
    char text[129] = {};
    ZqTranslateErrorEx(code, text, 128);
    text[128] = 0;
    if (!text[0]) std::snprintf(text, sizeof text, "error %d", code);
    return text;
}

void ShowControllerError(HWND owner, const char* what, int code) {
    const std::string text = std::string(what) + "\n\n" + ControllerErrorText(code);
    MessageBoxA(owner, text.c_str(), "Loopsmith", MB_ICONWARNING);
}

void ShowAxisSaveError(HWND owner, int code) {
    if (code == kDlgErrRegistry) return;
    const char* what = "The axis settings could not be saved:";
    if (code <= kDlgErrBadArgument && code >= kDlgErrNoDigitalIO) {
        // The dialogs library's codes are not the API library's: its text would be wrong.
        char text[200];
        std::snprintf(text, sizeof text, "%s\n\nThe controller did not answer the dialogs library (error %d).", what,
                      code);
        MessageBoxA(owner, text, "Loopsmith", MB_ICONWARNING);
        return;
    }
    ShowControllerError(owner, what, code);
}
