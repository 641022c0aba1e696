// Run-time binding of the controller API library: the dialogs library talks to
// the controller only through zqapi32.dll, found in the process (or loaded
// beside it) on first use.
#pragma once
#include <string>

#include "controller/zq_functions.h"

namespace zqdlg {

struct Api {
    ZqOpen_t* Open;
    ZqClose_t* Close;
    ZqTranslateErrorEx_t* TranslateError;
    ZqGetConfigurationEx_t* GetConfigurationEx;
    ZqGetAxisConfiguration_t* GetAxisConfiguration;
    ZqMotion_t* GetMotionConfig;
    ZqMotion_t* SetMotionConfig;
    ZqFilter_t* GetFilterConfig;
    ZqFilter_t* SetFilterConfig;
    ZqScale_t* GetScale;
    ZqScale_t* SetScale;
    ZqGetDouble_t* GetGain;
    ZqSetDouble_t* SetGain;
    ZqGetInt_t* GetProfile;
    ZqSetInt_t* SetProfile;
    ZqGetInt_t* GetServoOutputPhase;
    ZqSetInt_t* SetServoOutputPhase;
    ZqGetInt_t* GetModuleOutputMode;
    ZqSetInt_t* SetModuleOutputMode;
};

// The bound API, or nullptr when the library or one of its names is missing.
const Api* GetApi();

// The API library's text for an error code ("Invalid controller handle").
std::string ErrorText(int code);
// Error box for a controller call that failed: the sentence, a blank line and
// the API library's explanation of code.
void ShowControllerError(HWND owner, const std::string& sentence, int code, const char* caption);

// A controller's configuration read fresh; false when the read failed.
bool ReadControllerConfig(short handle, ControllerConfig& config);
bool ReadAxisConfig(short handle, unsigned short axis, AxisConfig& config);

// Servo loop period of an axis in seconds, chosen by its update rate (type 8:
// NumberAxes x 1 ms); an update rate that selects no period falls back to the
// high-rate period. 0 when it cannot be read.
double ServoPeriod(short handle, unsigned short axis);

}  // namespace zqdlg
