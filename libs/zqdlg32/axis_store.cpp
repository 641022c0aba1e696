// Saving and restoring axis settings in the registry (see axis_store.h).
#include "axis_store.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "api.h"
#include "zqdlg32.h"

namespace zqdlg {

namespace {

constexpr char kStoreRoot[] = "Software\\Zephmill\\Controllers";
constexpr int kMaxAxes = 16;

// The API library reports the board id of a handle in this word of ControllerConfig.
constexpr size_t kControllerIdOffset = 4;

// Every setting the library saves for an axis.
struct AxisSettings {
    int moduleType = 0;
    MotionConfig motion{};
    FilterConfig filter{};
    AxisScale scale{};
    double gain = 0;
    int profile = 0, outputPhase = 0, outputMode = 0;
};

bool Finite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

bool WriteBinary(HKEY key, const char* name, const void* data, DWORD size) {
    return RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool WriteInt(HKEY key, const char* name, int value) {
    DWORD v = static_cast<DWORD>(value);
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) == ERROR_SUCCESS;
}

// Reads a value of exactly this type and size; false otherwise.
bool ReadExact(HKEY key, const char* name, DWORD type, void* data, DWORD size) {
    DWORD got = size, gotType = 0;
    std::vector<BYTE> buffer(size);
    if (RegQueryValueExA(key, name, nullptr, &gotType, buffer.data(), &got) != ERROR_SUCCESS) return false;
    if (gotType != type || got != size) return false;
    std::memcpy(data, buffer.data(), size);
    return true;
}

bool ReadSettings(const Api& api, short handle, unsigned short axis, AxisSettings& s) {
    AxisConfig config;
    if (!ReadAxisConfig(handle, axis, config)) return false;
    s.moduleType = config.ModuleType;
    if (api.GetMotionConfig(handle, axis, &s.motion) != 0) return false;
    if (api.GetFilterConfig(handle, axis, &s.filter) != 0) return false;
    if (api.GetScale(handle, axis, &s.scale) != 0) return false;
    if (api.GetGain(handle, axis, &s.gain) != 0) s.gain = s.motion.Gain;
    api.GetProfile(handle, axis, &s.profile);
    api.GetServoOutputPhase(handle, axis, &s.outputPhase);
    api.GetModuleOutputMode(handle, axis, &s.outputMode);
    return true;
}

bool WriteSettings(HKEY key, const AxisSettings& s) {
    return WriteInt(key, "ModuleType", s.moduleType) && WriteBinary(key, "MotionConfig", &s.motion, sizeof s.motion) &&
           WriteBinary(key, "FilterConfig", &s.filter, sizeof s.filter) &&
           WriteBinary(key, "AxisScale", &s.scale, sizeof s.scale) && WriteBinary(key, "Gain", &s.gain, sizeof s.gain) &&
           WriteInt(key, "Profile", s.profile) && WriteInt(key, "ServoOutputPhase", s.outputPhase) &&
           WriteInt(key, "ModuleOutputMode", s.outputMode);
}

// Applies what the key holds for an axis. Values missing, of the wrong size or
// holding numbers that are not finite are left out; settings saved for
// another kind of module are not applied at all. True when anything was applied.
bool RestoreAxis(const Api& api, short handle, unsigned short axis, HKEY key) {
    AxisConfig config;
    int moduleType = 0;
    if (!ReadAxisConfig(handle, axis, config) || !ReadExact(key, "ModuleType", REG_DWORD, &moduleType, 4) ||
        moduleType != config.ModuleType)
        return false;
    bool applied = false;
    MotionConfig motion{};
    if (ReadExact(key, "MotionConfig", REG_BINARY, &motion, sizeof motion) &&
        Finite({motion.Acceleration, motion.Deceleration, motion.Velocity, motion.Gain, motion.Torque}))
        applied |= api.SetMotionConfig(handle, axis, &motion) == 0;
    FilterConfig filter{};
    if (ReadExact(key, "FilterConfig", REG_BINARY, &filter, sizeof filter) &&
        Finite({filter.DerivativeGain, filter.DerivativeSamplePeriod, filter.IntegralGain, filter.IntegrationLimit,
                filter.VelocityGain, filter.FollowingError}))
        applied |= api.SetFilterConfig(handle, axis, &filter) == 0;
    AxisScale scale{};
    if (ReadExact(key, "AxisScale", REG_BINARY, &scale, sizeof scale) && Finite({scale.Scale}) && scale.Scale != 0)
        applied |= api.SetScale(handle, axis, &scale) == 0;
    double gain = 0;
    if (ReadExact(key, "Gain", REG_BINARY, &gain, sizeof gain) && Finite({gain}))
        applied |= api.SetGain(handle, axis, gain) == 0;
    int value = 0;
    if (ReadExact(key, "Profile", REG_DWORD, &value, 4)) applied |= api.SetProfile(handle, axis, value) == 0;
    if (ReadExact(key, "ServoOutputPhase", REG_DWORD, &value, 4))
        applied |= api.SetServoOutputPhase(handle, axis, value) == 0;
    if (ReadExact(key, "ModuleOutputMode", REG_DWORD, &value, 4))
        applied |= api.SetModuleOutputMode(handle, axis, value) == 0;
    return applied;
}

// The axes an export works on: all of them for 0, else the one named.
bool AxisRange(short handle, int axis, int& first, int& last) {
    ControllerConfig config;
    if (!ReadControllerConfig(handle, config)) return false;
    int count = config.NumberAxes < kMaxAxes ? config.NumberAxes : kMaxAxes;
    if (axis < 0 || axis > count) return false;
    first = axis == 0 ? 1 : axis;
    last = axis == 0 ? count : axis;
    return true;
}

}  // namespace

std::string StoreKeyName(int id) { return std::string(kStoreRoot) + "\\" + std::to_string(id); }

int ControllerIdOf(short handle) {
    const Api* api = GetApi();
    if (!api) return -1;
    ControllerConfig config{};
    config.Size = kControllerConfigSize;
    int32_t unknown = -1;
    std::memcpy(reinterpret_cast<char*>(&config) + kControllerIdOffset, &unknown, sizeof unknown);
    if (api->GetConfigurationEx(handle, &config) != 0) return -1;
    int32_t id = -1;
    std::memcpy(&id, reinterpret_cast<const char*>(&config) + kControllerIdOffset, sizeof id);
    return id >= 0 ? id : -1;
}

int SaveAxisSettings(short handle, int axis) {
    const Api* api = GetApi();
    if (!api) return kDlgErrNoApiLibrary;
    int first = 0, last = 0, id = ControllerIdOf(handle);
    if (id < 0 || !AxisRange(handle, axis, first, last)) return axis < 0 ? kDlgErrBadArgument : kDlgErrController;
    HKEY root;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, StoreKeyName(id).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &root,
                        nullptr) != ERROR_SUCCESS)
        return kDlgErrRegistry;
    int result = 0;
    for (int n = first; n <= last && result == 0; ++n) {
        AxisSettings s;
        if (!ReadSettings(*api, handle, static_cast<unsigned short>(n), s)) { result = kDlgErrController; break; }
        HKEY key;
        std::string name = "Axis" + std::to_string(n);
        if (RegCreateKeyExA(root, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            result = kDlgErrRegistry;
            break;
        }
        if (!WriteSettings(key, s)) result = kDlgErrRegistry;
        RegCloseKey(key);
    }
    RegCloseKey(root);
    return result;
}

int RestoreAxisSettings(short handle, int axis) {
    const Api* api = GetApi();
    if (!api) return kDlgErrNoApiLibrary;
    int first = 0, last = 0, id = ControllerIdOf(handle);
    if (id < 0 || !AxisRange(handle, axis, first, last)) return axis < 0 ? kDlgErrBadArgument : kDlgErrController;
    HKEY root;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, StoreKeyName(id).c_str(), 0, KEY_READ, &root) != ERROR_SUCCESS)
        return kDlgErrNoSettings;
    bool any = false;
    for (int n = first; n <= last; ++n) {
        HKEY key;
        std::string name = "Axis" + std::to_string(n);
        if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        any |= RestoreAxis(*api, handle, static_cast<unsigned short>(n), key);
        RegCloseKey(key);
    }
    RegCloseKey(root);
    return any ? 0 : kDlgErrNoSettings;
}

}  // namespace zqdlg
