// Run-time binding of the controller API library (see api.h).
#include "api.h"

#include <windows.h>

namespace zqdlg {

namespace {

template <typename F>
bool Bind(HMODULE module, const char* name, F*& pointer) {
    pointer = reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return pointer != nullptr;
}

bool BindAll(Api& a) {
    HMODULE m = GetModuleHandleA("zqapi32.dll");
    if (!m) m = LoadLibraryA("zqapi32.dll");
    if (!m) return false;
    return Bind(m, "ZqOpen", a.Open) && Bind(m, "ZqClose", a.Close) &&
           Bind(m, "ZqTranslateErrorEx", a.TranslateError) &&
           Bind(m, "ZqGetConfigurationEx", a.GetConfigurationEx) &&
           Bind(m, "ZqGetAxisConfiguration", a.GetAxisConfiguration) &&
           Bind(m, "ZqGetMotionConfig", a.GetMotionConfig) && Bind(m, "ZqSetMotionConfig", a.SetMotionConfig) &&
           Bind(m, "ZqGetFilterConfig", a.GetFilterConfig) && Bind(m, "ZqSetFilterConfig", a.SetFilterConfig) &&
           Bind(m, "ZqGetScale", a.GetScale) && Bind(m, "ZqSetScale", a.SetScale) &&
           Bind(m, "ZqGetGain", a.GetGain) && Bind(m, "ZqSetGain", a.SetGain) &&
           Bind(m, "ZqGetProfile", a.GetProfile) && Bind(m, "ZqSetProfile", a.SetProfile) &&
           Bind(m, "ZqGetServoOutputPhase", a.GetServoOutputPhase) &&
           Bind(m, "ZqSetServoOutputPhase", a.SetServoOutputPhase) &&
           Bind(m, "ZqGetModuleOutputMode", a.GetModuleOutputMode) &&
           Bind(m, "ZqSetModuleOutputMode", a.SetModuleOutputMode);
}

}  // namespace

const Api* GetApi() {
    static Api api;
    static int state = 0;  // 0 not tried, 1 bound, -1 missing
    if (state == 0) state = BindAll(api) ? 1 : -1;
    return state > 0 ? &api : nullptr;
}

std::string ErrorText(int code) {
    const Api* api = GetApi();
    if (!api) return "The controller library zqapi32.dll is not available";
    char text[129] = {};
    if (api->TranslateError(code, text, 128) != 0 || !text[0])
        wsprintfA(text, "Error %d", code);
    return text;
}

bool ReadControllerConfig(short handle, ControllerConfig& config) {
    const Api* api = GetApi();
    config = ControllerConfig{};
    config.Size = kControllerConfigSize;
    return api && api->GetConfigurationEx(handle, &config) == 0;
}

bool ReadAxisConfig(short handle, unsigned short axis, AxisConfig& config) {
    const Api* api = GetApi();
    config = AxisConfig{};
    config.Size = kAxisConfigSize;
    return api && api->GetAxisConfiguration(handle, axis, &config) == 0;
}

double ServoPeriod(short handle, unsigned short axis) {
    const Api* api = GetApi();
    ControllerConfig controller;
    if (!api || !ReadControllerConfig(handle, controller)) return 0.0;
    if (controller.ControllerType == 8) return controller.NumberAxes * 0.001;
    AxisConfig config;
    MotionConfig motion{};
    if (!ReadAxisConfig(handle, axis, config) || api->GetMotionConfig(handle, axis, &motion) != 0) return 0.0;
    switch (motion.UpdateRate) {
    case 1: return config.LowRatePeriod;
    case 2: return config.MediumRatePeriod;
    case 4: return config.HighRatePeriod;
    default: return config.HighRatePeriod;
    }
}

void ShowControllerError(HWND owner, const std::string& sentence, int code, const char* caption) {
    std::string text = sentence + "\n\n" + ErrorText(code);
    MessageBoxA(owner, text.c_str(), caption, MB_OK | MB_ICONERROR);
}

}  // namespace zqdlg
