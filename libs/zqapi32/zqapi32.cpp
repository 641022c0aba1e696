// zqapi32.dll: the simulated motion controller. Each export writes its journal
// line, finds the controller behind the handle, catches the controller's
// simulated clock up to the wall clock and runs the operation.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

#include "controller/zq_functions.h"
#include "libs/common/journal.h"
#include "sim_config.h"
#include "sim_controller.h"
#include "sim_errors.h"
#include "sim_faults.h"
#include "sim_wait.h"

#define ZQEXPORT extern "C" __declspec(dllexport)

using zqsim::Controller;

namespace {

struct Library {
    std::recursive_mutex lock;
    std::string source;  // what the controllers were built from: "" bench, else file path and text
    zqsim::SimConfig config;
    std::string config_error;
    std::map<int, std::unique_ptr<Controller>> controllers;
    std::map<int, LARGE_INTEGER> origins;
    std::map<short, int> handles;  // open handle -> controller id
    std::map<int, short> block_owners;  // controller id -> handle that began its latest block
    short last_handle = 0;
    // Fault injection (ZQSIM_FAULTS), read with the configuration.
    zqsim::FaultPlan faults;
    zqsim::FaultDice dice;
    std::map<int, int64_t> fault_origins;  // controller id -> its first open, ClockNs
    // Whether a plan is in force: without one a call does not wait for the
    // lock before its journal line, as before fault injection existed.
    std::atomic<bool> faults_active{false};
};

Library& Lib() {
    static Library lib;
    return lib;
}

int64_t WallNs(int id) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    long long ticks = now.QuadPart - Lib().origins[id].QuadPart;
    return static_cast<int64_t>(static_cast<long double>(ticks) * 1e9L / freq.QuadPart);
}

// The performance counter in nanoseconds.
int64_t ClockNs() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return static_cast<int64_t>(static_cast<long double>(now.QuadPart) * 1e9L / freq.QuadPart);
}

// Longest real-time wait of ZqWaitForStop outside a block.
constexpr int64_t kWaitLimitNs = 10'000'000'000LL;

// The value of an environment variable, however long; false when it is unset or empty.
bool GetEnvironment(const char* name, std::string* value) {
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0) return false;
    std::string text(n, '\0');
    DWORD got = GetEnvironmentVariableA(name, text.data(), n);
    if (got == 0 || got >= n) return false;
    text.resize(got);
    value->swap(text);
    return true;
}

// Reads ZQSIM_CONFIG; rebuilds the controllers only when the description changed.
// A path that cannot be opened, however long, is the error of an unreadable file.
void LoadConfiguration() {
    Library& lib = Lib();
    std::string path, source, error;
    zqsim::SimConfig config;
    if (!GetEnvironment("ZQSIM_CONFIG", &path)) {
        config = zqsim::BenchConfig();
    } else {
        source = path + '\n';
        std::ifstream in(path, std::ios::binary);
        if (in) source.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!zqsim::LoadConfigFile(path, &config, &error)) {
            lib.config_error.swap(error);
            lib.source.clear();
            lib.controllers.clear();
            lib.config = zqsim::SimConfig();
            return;
        }
    }
    lib.config_error.clear();
    if (source == lib.source && !lib.controllers.empty()) return;
    lib.source.swap(source);
    lib.config.controllers.swap(config.controllers);
    lib.controllers.clear();
    lib.origins.clear();
}

Controller* Find(short handle) {
    Library& lib = Lib();
    auto it = lib.handles.find(handle);
    if (it == lib.handles.end()) return nullptr;
    auto c = lib.controllers.find(it->second);
    if (c == lib.controllers.end()) return nullptr;
    c->second->AdvanceTo(WallNs(it->second));
    return c->second.get();
}

// Whether a name may be named in ZQSIM_FAULTS: an export of this library that
// talks to a controller. ZqTranslateErrorEx only reads the library's own texts.
bool IsFaultableName(const std::string& name) {
    if (name == "ZqTranslateErrorEx") return false;
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&IsFaultableName), &self))
        return false;
    return GetProcAddress(self, name.c_str()) != nullptr;
}

// Reads ZQSIM_FAULTS (or, with read false, drops the plan); a bad item is a
// configuration error, as a bad line is. The call counts and the controllers'
// outage clocks start again.
void LoadFaults(bool read) {
    Library& lib = Lib();
    lib.faults = zqsim::FaultPlan();
    lib.fault_origins.clear();
    std::string text, error;
    if (read && GetEnvironment("ZQSIM_FAULTS", &text) &&
        !zqsim::ParseFaults(text, IsFaultableName, &lib.faults, &error)) {
        lib.faults = zqsim::FaultPlan();
        lib.config_error.swap(error);
    }
    lib.dice = zqsim::FaultDice(lib.faults.seed);
    lib.faults_active = !lib.faults.Empty();
}

// True while the controller behind handle is in its outage (under the lock).
bool VanishedNow(short handle) {
    Library& lib = Lib();
    if (lib.faults.vanish_after < 0) return false;
    auto it = lib.handles.find(handle);
    if (it == lib.handles.end()) return false;
    auto origin = lib.fault_origins.find(it->second);
    if (origin == lib.fault_origins.end()) return false;
    return lib.faults.Vanished(static_cast<double>(ClockNs() - origin->second) * 1e-9);
}

// What the fault plan does to one call.
struct CallFault {
    bool fails = false;
    int slow_ms = 0;
    std::string note;  // the journal's marks
};

// Decides the faults of a call; handle is null for a call that has none
// (those are neither covered by "*" nor by an outage). Closing a handle
// needs no answer from the controller, so an outage does not keep it open.
CallFault Inject(const char* name, const short* handle) noexcept {
    try {
        Library& lib = Lib();
        if (!lib.faults_active) return CallFault();
        std::lock_guard<std::recursive_mutex> guard(lib.lock);
        CallFault f;
        if (lib.faults.Empty()) return f;
        bool on_handle = handle != nullptr;
        f.slow_ms = lib.faults.SlowMs(name, on_handle);
        bool chance = lib.dice.Roll(name, lib.faults.FailProbability(name, on_handle));
        bool vanished = on_handle && std::strcmp(name, "ZqClose") != 0 && VanishedNow(*handle);
        f.fails = chance || vanished;
        if (f.slow_ms > 0) f.note += " [slow " + std::to_string(f.slow_ms) + " ms]";
        if (chance) f.note += " [fail -17]";
        else if (vanished) f.note += " [vanished -17]";
        return f;
    } catch (...) {
        return CallFault();
    }
}

CallFault OnHandle(const char* name, short handle) noexcept { return Inject(name, &handle); }
CallFault WithoutHandle(const char* name) noexcept { return Inject(name, nullptr); }

// A slow call's extra time, spent outside the lock as a slow link would.
void Delay(const CallFault& fault) {
    if (fault.slow_ms > 0) Sleep(static_cast<DWORD>(fault.slow_ms));
}

// Runs f and returns its result; no exception leaves an export. Allocation is
// the only thing in this library that throws, so any exception means that
// memory ran out.
template <typename F>
int Guarded(F f) noexcept {
    try {
        return f();
    } catch (...) {
        return zqsim::kErrNoMemory;
    }
}

// Runs op on the controller behind handle, under the library lock.
template <typename Op>
int With(short handle, Op op) noexcept {
    return Guarded([&] {
        std::lock_guard<std::recursive_mutex> guard(Lib().lock);
        Controller* c = Find(handle);
        if (!c) return static_cast<int>(zqsim::kErrBadHandle);
        return static_cast<int>(op(*c));
    });
}

// An export's operation after its faults: a failing call changes nothing.
template <typename Op>
int With(const CallFault& fault, short handle, Op op) noexcept {
    Delay(fault);
    if (fault.fails) return zqsim::kErrNoResponse;
    return With(handle, op);
}

}  // namespace

// ---- opening ------------------------------------------------------------

// The configuration and the fault plan are read when no handle is open; a
// fail=ZqOpen item makes an open fail (the controller does not answer it)
// without a handle being made.
ZQEXPORT short __stdcall ZqOpen(int id, int mode, const char* text) {
    int loaded = Guarded([] {
        Library& lib = Lib();
        std::lock_guard<std::recursive_mutex> guard(lib.lock);
        if (lib.handles.empty()) {
            LoadConfiguration();
            LoadFaults(lib.config_error.empty());
        }
        return lib.config_error.empty() ? 0 : static_cast<int>(zqsim::kErrConfig);
    });
    CallFault fault = loaded == 0 ? WithoutHandle("ZqOpen") : CallFault();
    zqjournal::Line("ZqOpen", ZQJOURNAL_CALLER()).Int(id).Int(mode).Str(text).Note(fault.note);
    if (loaded != 0) return static_cast<short>(loaded);
    Delay(fault);
    if (fault.fails) return zqsim::kErrNoResponse;
    return static_cast<short>(Guarded([&]() -> int {
        Library& lib = Lib();
        std::lock_guard<std::recursive_mutex> guard(lib.lock);
        if (!lib.config_error.empty()) return zqsim::kErrConfig;
        const zqsim::ControllerSpec* spec = lib.config.Find(id);
        if (!spec) return zqsim::kErrNoController;
        if (spec->open_error != 0) return spec->open_error;
        if (lib.handles.size() >= 256) return zqsim::kErrTooManyHandles;
        if (!lib.controllers.count(id)) {
            // Built first: a controller that cannot be allocated leaves the library as it was.
            auto controller = std::make_unique<Controller>(*spec);
            LARGE_INTEGER origin;
            QueryPerformanceCounter(&origin);
            lib.origins[id] = origin;
            lib.controllers[id] = std::move(controller);
        }
        // Handle numbers are not reused soon, so a closed handle stays invalid.
        short h = lib.last_handle;
        do {
            h = static_cast<short>(h >= 32767 ? 1 : h + 1);
        } while (lib.handles.count(h));
        lib.handles[h] = id;
        lib.last_handle = h;
        lib.fault_origins.emplace(id, ClockNs());
        return h;
    }));
}

ZQEXPORT int __stdcall ZqClose(short handle) {
    CallFault fault = OnHandle("ZqClose", handle);
    zqjournal::Line("ZqClose", ZQJOURNAL_CALLER()).Int(handle).Note(fault.note);
    Delay(fault);
    if (fault.fails) return zqsim::kErrNoResponse;
    return Guarded([&] {
        Library& lib = Lib();
        std::lock_guard<std::recursive_mutex> guard(lib.lock);
        auto it = lib.handles.find(handle);
        if (it == lib.handles.end()) return static_cast<int>(zqsim::kErrBadHandle);
        // A block this handle began and never ended goes with it, so that the
        // next caller's commands are not queued into it.
        auto owner = lib.block_owners.find(it->second);
        if (owner != lib.block_owners.end() && owner->second == handle) {
            auto c = lib.controllers.find(it->second);
            if (c != lib.controllers.end()) c->second->DropUnfinishedBlock();
            lib.block_owners.erase(owner);
        }
        lib.handles.erase(it);
        return 0;
    });
}

ZQEXPORT int __stdcall ZqReopen(short handle, int flags) {
    CallFault fault = OnHandle("ZqReopen", handle);
    zqjournal::Line("ZqReopen", ZQJOURNAL_CALLER()).Int(handle).Int(flags).Note(fault.note);
    return With(fault, handle, [](Controller&) { return 0; });
}

ZQEXPORT int __stdcall ZqReset(short handle, int flags) {
    CallFault fault = OnHandle("ZqReset", handle);
    zqjournal::Line("ZqReset", ZQJOURNAL_CALLER()).Int(handle).Int(flags).Note(fault.note);
    return With(fault, handle, [](Controller& c) { return c.Reset(); });
}

ZQEXPORT int __stdcall ZqTranslateErrorEx(int code, char* buffer, int size) {
    zqjournal::Line("ZqTranslateErrorEx", ZQJOURNAL_CALLER()).Int(code).Ptr(buffer).Int(size);
    if (!buffer) return zqsim::kErrNullPointer;
    if (size <= 0) return zqsim::kErrBadValue;
    // The library's own texts need no memory: they are there when memory has run out.
    const char* own = zqsim::ErrorText(code);
    if (own && code != zqsim::kErrConfig) {
        lstrcpynA(buffer, own, size);
        return 0;
    }
    return Guarded([&] {
        std::lock_guard<std::recursive_mutex> guard(Lib().lock);
        std::string text;
        int result = 0;
        if (code == zqsim::kErrConfig) {
            text = Lib().config_error.empty() ? own : "Simulated controller configuration error: " + Lib().config_error;
        } else {
            for (const auto& c : Lib().config.controllers)
                if (c.open_error == code)
                    text = "Controller " + std::to_string(c.id) + " could not be opened (simulated error " +
                           std::to_string(code) + ")";
            if (text.empty()) {
                text = "Unknown error code " + std::to_string(code);
                result = zqsim::kErrBadValue;
            }
        }
        lstrcpynA(buffer, text.c_str(), size);
        return result;
    });
}

ZQEXPORT int __stdcall ZqErrorNotify(HWND window, short handle, unsigned long mask) {
    CallFault fault = OnHandle("ZqErrorNotify", handle);
    zqjournal::Line("ZqErrorNotify", ZQJOURNAL_CALLER()).Window(window).Int(handle).Int(mask).Note(fault.note);
    return With(fault, handle, [](Controller&) { return 0; });
}

ZQEXPORT int __stdcall ZqGetVersion(short handle, char* buffer, int size) {
    CallFault fault = OnHandle("ZqGetVersion", handle);
    zqjournal::Line("ZqGetVersion", ZQJOURNAL_CALLER()).Int(handle).Ptr(buffer).Int(size).Note(fault.note);
    return With(fault, handle, [&](Controller&) {
        if (!buffer) return static_cast<int>(zqsim::kErrNullPointer);
        if (size <= 0) return static_cast<int>(zqsim::kErrBadValue);
        lstrcpynA(buffer, "Loopsmith simulated controller 1.0", size);
        return 0;
    });
}

// ---- configuration --------------------------------------------------------

ZQEXPORT int __stdcall ZqGetConfiguration(short handle, ControllerParams* params) {
    CallFault fault = OnHandle("ZqGetConfiguration", handle);
    zqjournal::Line("ZqGetConfiguration", ZQJOURNAL_CALLER()).Int(handle).Ptr(params).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.GetConfiguration(params); });
}

ZQEXPORT int __stdcall ZqGetConfigurationEx(short handle, ControllerConfig* config) {
    CallFault fault = OnHandle("ZqGetConfigurationEx", handle);
    zqjournal::Line("ZqGetConfigurationEx", ZQJOURNAL_CALLER()).Int(handle).Ptr(config).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.GetConfigurationEx(config); });
}

ZQEXPORT int __stdcall ZqGetAxisConfiguration(short handle, unsigned short axis, AxisConfig* config) {
    CallFault fault = OnHandle("ZqGetAxisConfiguration", handle);
    zqjournal::Line("ZqGetAxisConfiguration", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Ptr(config).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.GetAxisConfiguration(axis, config); });
}

ZQEXPORT int __stdcall ZqGetStatus(short handle, unsigned short axis) {
    CallFault fault = OnHandle("ZqGetStatus", handle);
    zqjournal::Line("ZqGetStatus", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.GetStatus(axis); });
}

ZQEXPORT int __stdcall ZqDecodeStatus(short handle, int status, int flag) {
    CallFault fault = OnHandle("ZqDecodeStatus", handle);
    zqjournal::Line("ZqDecodeStatus", ZQJOURNAL_CALLER()).Int(handle).Int(status).Int(flag).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.DecodeStatus(status, flag); });
}

// ---- plain values -------------------------------------------------------------

#define GET_DOUBLE(name, what)                                                              \
    ZQEXPORT int __stdcall name(short handle, unsigned short axis, double* value) {         \
        CallFault fault = OnHandle(#name, handle); zqjournal::Line(#name, ZQJOURNAL_CALLER()).Int(handle).Int(axis).Ptr(value).Note(fault.note);                             \
        return With(fault, handle, [&](Controller& c) { return c.Get(axis, Controller::what, value); }); \
    }
#define SET_DOUBLE(name, what)                                                              \
    ZQEXPORT int __stdcall name(short handle, unsigned short axis, double value) {          \
        CallFault fault = OnHandle(#name, handle); zqjournal::Line(#name, ZQJOURNAL_CALLER()).Int(handle).Int(axis).Double(value).Note(fault.note);                          \
        return With(fault, handle, [&](Controller& c) { return c.Set(axis, Controller::what, value); }); \
    }
#define GET_INT(name, what)                                                                 \
    ZQEXPORT int __stdcall name(short handle, unsigned short axis, int* value) {            \
        CallFault fault = OnHandle(#name, handle); zqjournal::Line(#name, ZQJOURNAL_CALLER()).Int(handle).Int(axis).Ptr(value).Note(fault.note);                             \
        return With(fault, handle, [&](Controller& c) { return c.GetInt(axis, Controller::what, value); }); \
    }
#define SET_INT(name, what)                                                                 \
    ZQEXPORT int __stdcall name(short handle, unsigned short axis, int value) {             \
        CallFault fault = OnHandle(#name, handle); zqjournal::Line(#name, ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(value).Note(fault.note);                             \
        return With(fault, handle, [&](Controller& c) { return c.SetInt(axis, Controller::what, value); }); \
    }

GET_DOUBLE(ZqGetPositionEx, kActual)
GET_DOUBLE(ZqGetTargetEx, kTarget)
GET_DOUBLE(ZqGetOptimalEx, kOptimal)
GET_DOUBLE(ZqGetAuxEncPosEx, kAuxiliary)
GET_DOUBLE(ZqGetTorque, kTorque)
GET_DOUBLE(ZqGetFollowingError, kFollowingError)
GET_DOUBLE(ZqGetGain, kGain)
GET_DOUBLE(ZqGetVelocityEx, kVelocity)
GET_DOUBLE(ZqGetAccelerationEx, kAcceleration)
GET_DOUBLE(ZqGetDecelerationEx, kDeceleration)
GET_DOUBLE(ZqGetVelocityActual, kActualVelocity)
SET_DOUBLE(ZqSetPosition, kSetPosition)
SET_DOUBLE(ZqSetAuxEncPos, kSetAuxPosition)
SET_DOUBLE(ZqSetGain, kSetGain)
SET_DOUBLE(ZqSetVelocity, kSetVelocity)
SET_DOUBLE(ZqSetAcceleration, kSetAcceleration)
SET_DOUBLE(ZqSetDeceleration, kSetDeceleration)
SET_DOUBLE(ZqSetTorque, kSetTorqueLimit)
GET_INT(ZqGetProfile, kProfile)
SET_INT(ZqSetProfile, kProfile)
GET_INT(ZqGetServoOutputPhase, kOutputPhase)
SET_INT(ZqSetServoOutputPhase, kOutputPhase)
GET_INT(ZqGetModuleOutputMode, kOutputMode)
SET_INT(ZqSetModuleOutputMode, kOutputMode)
GET_INT(ZqGetOperatingMode, kOperatingMode)

// ---- records ------------------------------------------------------------------

#define RECORD(name, type, method)                                                          \
    ZQEXPORT int __stdcall name(short handle, unsigned short axis, type* record) {          \
        CallFault fault = OnHandle(#name, handle); zqjournal::Line(#name, ZQJOURNAL_CALLER()).Int(handle).Int(axis).Ptr(record).Note(fault.note);                            \
        return With(fault, handle, [&](Controller& c) { return c.method(axis, record); });          \
    }

RECORD(ZqGetScale, AxisScale, GetScale)
RECORD(ZqSetScale, AxisScale, SetScale)
RECORD(ZqGetMotionConfig, MotionConfig, GetMotion)
RECORD(ZqSetMotionConfig, MotionConfig, SetMotion)
RECORD(ZqGetFilterConfig, FilterConfig, GetFilter)
RECORD(ZqSetFilterConfig, FilterConfig, SetFilter)

// ---- motor and motion ---------------------------------------------------------

ZQEXPORT int __stdcall ZqSetOperatingMode(short handle, unsigned short axis, int zero, int mode) {
    CallFault fault = OnHandle("ZqSetOperatingMode", handle);
    zqjournal::Line("ZqSetOperatingMode", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(zero).Int(mode).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.SetOperatingMode(axis, zero, mode); });
}

ZQEXPORT int __stdcall ZqEnableAxis(short handle, unsigned short axis, int state) {
    CallFault fault = OnHandle("ZqEnableAxis", handle);
    zqjournal::Line("ZqEnableAxis", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(state).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.EnableAxis(axis, state); });
}

ZQEXPORT int __stdcall ZqMoveRelative(short handle, unsigned short axis, double distance) {
    CallFault fault = OnHandle("ZqMoveRelative", handle);
    zqjournal::Line("ZqMoveRelative", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Double(distance).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.MoveRelative(axis, distance); });
}

ZQEXPORT int __stdcall ZqMoveAbsolute(short handle, unsigned short axis, double position) {
    CallFault fault = OnHandle("ZqMoveAbsolute", handle);
    zqjournal::Line("ZqMoveAbsolute", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Double(position).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.MoveAbsolute(axis, position); });
}

ZQEXPORT int __stdcall ZqStop(short handle, unsigned short axis) {
    CallFault fault = OnHandle("ZqStop", handle);
    zqjournal::Line("ZqStop", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.Stop(axis); });
}

ZQEXPORT int __stdcall ZqAbort(short handle) {
    CallFault fault = OnHandle("ZqAbort", handle);
    zqjournal::Line("ZqAbort", ZQJOURNAL_CALLER()).Int(handle).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.Abort(); });
}

ZQEXPORT int __stdcall ZqIsAtTarget(short handle, unsigned short axis) {
    CallFault fault = OnHandle("ZqIsAtTarget", handle);
    zqjournal::Line("ZqIsAtTarget", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.IsAtTarget(axis); });
}

ZQEXPORT int __stdcall ZqIsStopped(short handle, unsigned short axis) {
    CallFault fault = OnHandle("ZqIsStopped", handle);
    zqjournal::Line("ZqIsStopped", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.IsStopped(axis); });
}

// Outside a command block the wait blocks the caller in real time (at most
// ten seconds) until the axis's trajectory has ended, then dwells.
ZQEXPORT int __stdcall ZqWaitForStop(short handle, unsigned short axis, double dwell) {
    CallFault fault = OnHandle("ZqWaitForStop", handle);
    zqjournal::Line("ZqWaitForStop", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Double(dwell).Note(fault.note);
    Delay(fault);
    if (fault.fails) return zqsim::kErrNoResponse;
    // A controller that vanishes while the caller waits stops answering the wait as well.
    int r = zqsim::PollUntilDone(
        [&] {
            return With(handle, [&](Controller& c) {
                return VanishedNow(handle) ? static_cast<int>(zqsim::kErrNoResponse) : c.WaitForStop(axis, dwell);
            });
        },
        [] { return ClockNs(); }, [] { Sleep(5); }, kWaitLimitNs);
    if (r != 0) return r;
    bool queued = With(handle, [](Controller& c) { return c.Building() ? 1 : 0; }) == 1;
    if (!queued && dwell > 0) Sleep(static_cast<DWORD>(dwell * 1000));
    return r;
}

ZQEXPORT int __stdcall ZqBlockBegin(short handle, int mode, int reserved) {
    CallFault fault = OnHandle("ZqBlockBegin", handle);
    zqjournal::Line("ZqBlockBegin", ZQJOURNAL_CALLER()).Int(handle).Int(mode).Int(reserved).Note(fault.note);
    return With(fault, handle, [&](Controller& c) {
        int r = c.BlockBegin(mode, reserved);
        if (r == 0) Lib().block_owners[Lib().handles.at(handle)] = handle;
        return r;
    });
}

ZQEXPORT int __stdcall ZqBlockEnd(short handle, int* task) {
    CallFault fault = OnHandle("ZqBlockEnd", handle);
    zqjournal::Line("ZqBlockEnd", ZQJOURNAL_CALLER()).Int(handle).Ptr(task).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.BlockEnd(task); });
}

ZQEXPORT int __stdcall ZqCancelTask(short handle, int task) {
    CallFault fault = OnHandle("ZqCancelTask", handle);
    zqjournal::Line("ZqCancelTask", ZQJOURNAL_CALLER()).Int(handle).Int(task).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.CancelTask(task); });
}

ZQEXPORT int __stdcall ZqCaptureData(short handle, unsigned short axis, int points, double period, double delay) {
    CallFault fault = OnHandle("ZqCaptureData", handle);
    zqjournal::Line("ZqCaptureData", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(points).Double(period).Double(delay).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.CaptureData(axis, points, period, delay); });
}

ZQEXPORT int __stdcall ZqEnableGearing(short handle, unsigned short slave, unsigned short master, double ratio,
                                       int state) {
    CallFault fault = OnHandle("ZqEnableGearing", handle);
    zqjournal::Line("ZqEnableGearing", ZQJOURNAL_CALLER()).Int(handle).Int(slave).Int(master).Double(ratio).Int(state).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.EnableGearing(slave, master, ratio, state); });
}

ZQEXPORT int __stdcall ZqSetRegister(short handle, int reg, void* value, int type) {
    CallFault fault = OnHandle("ZqSetRegister", handle);
    zqjournal::Line("ZqSetRegister", ZQJOURNAL_CALLER()).Int(handle).Int(reg).Ptr(value).Int(type).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.SetRegister(reg, value, type); });
}

ZQEXPORT int __stdcall ZqGetRegister(short handle, int reg, void* value, int type) {
    CallFault fault = OnHandle("ZqGetRegister", handle);
    zqjournal::Line("ZqGetRegister", ZQJOURNAL_CALLER()).Int(handle).Int(reg).Ptr(value).Int(type).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.GetRegister(reg, value, type); });
}

ZQEXPORT int __stdcall qlxcmdex(short handle, unsigned short axis, int opcode, void* argument, int type) {
    CallFault fault = OnHandle("qlxcmdex", handle);
    zqjournal::Line("qlxcmdex", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(opcode).Ptr(argument).Int(type).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.Command(axis, opcode, argument, type); });
}

ZQEXPORT int __stdcall ZqGetCaptureData(short handle, unsigned short axis, int type, int first, int count,
                                        double* values) {
    CallFault fault = OnHandle("ZqGetCaptureData", handle);
    zqjournal::Line("ZqGetCaptureData", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(type).Int(first).Int(count).Ptr(values).Note(fault.note);
    return With(fault, handle, [&](Controller& c) { return c.GetCaptureData(axis, type, first, count, values); });
}

// ---- names the simulation cannot honour -------------------------------------------

#define UNSUPPORTED(name, ...) \
    ZQEXPORT int __stdcall name(__VA_ARGS__) {                                          \
        CallFault fault = WithoutHandle(#name);                                             \
        zqjournal::Line(#name, ZQJOURNAL_CALLER()).Note(fault.note);                        \
        Delay(fault);                                                                       \
        return fault.fails ? zqsim::kErrNoResponse : zqsim::kErrNotSupported;               \
    }

#include "unsupported.inc"

// The exports the program binds have exactly the program's types.
static_assert(std::is_same_v<decltype(&ZqOpen), ZqOpen_t*>);
static_assert(std::is_same_v<decltype(&ZqClose), ZqClose_t*>);
static_assert(std::is_same_v<decltype(&ZqTranslateErrorEx), ZqTranslateErrorEx_t*>);
static_assert(std::is_same_v<decltype(&ZqErrorNotify), ZqErrorNotify_t*>);
static_assert(std::is_same_v<decltype(&ZqReopen), ZqReopen_t*>);
static_assert(std::is_same_v<decltype(&ZqReset), ZqReset_t*>);
static_assert(std::is_same_v<decltype(&ZqGetConfiguration), ZqGetConfiguration_t*>);
static_assert(std::is_same_v<decltype(&ZqGetConfigurationEx), ZqGetConfigurationEx_t*>);
static_assert(std::is_same_v<decltype(&ZqGetAxisConfiguration), ZqGetAxisConfiguration_t*>);
static_assert(std::is_same_v<decltype(&ZqGetStatus), ZqGetStatus_t*>);
static_assert(std::is_same_v<decltype(&ZqDecodeStatus), ZqDecodeStatus_t*>);
static_assert(std::is_same_v<decltype(&ZqGetPositionEx), ZqGetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqSetPosition), ZqSetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqGetScale), ZqScale_t*>);
static_assert(std::is_same_v<decltype(&ZqSetScale), ZqScale_t*>);
static_assert(std::is_same_v<decltype(&ZqGetMotionConfig), ZqMotion_t*>);
static_assert(std::is_same_v<decltype(&ZqSetMotionConfig), ZqMotion_t*>);
static_assert(std::is_same_v<decltype(&ZqGetFilterConfig), ZqFilter_t*>);
static_assert(std::is_same_v<decltype(&ZqSetFilterConfig), ZqFilter_t*>);
static_assert(std::is_same_v<decltype(&ZqGetGain), ZqGetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqSetGain), ZqSetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqGetProfile), ZqGetInt_t*>);
static_assert(std::is_same_v<decltype(&ZqSetProfile), ZqSetInt_t*>);
static_assert(std::is_same_v<decltype(&ZqGetServoOutputPhase), ZqGetInt_t*>);
static_assert(std::is_same_v<decltype(&ZqSetServoOutputPhase), ZqSetInt_t*>);
static_assert(std::is_same_v<decltype(&ZqGetModuleOutputMode), ZqGetInt_t*>);
static_assert(std::is_same_v<decltype(&ZqSetModuleOutputMode), ZqSetInt_t*>);
static_assert(std::is_same_v<decltype(&ZqSetOperatingMode), ZqSetOperatingMode_t*>);
static_assert(std::is_same_v<decltype(&ZqEnableAxis), ZqEnableAxis_t*>);
static_assert(std::is_same_v<decltype(&ZqBlockBegin), ZqBlockBegin_t*>);
static_assert(std::is_same_v<decltype(&ZqBlockEnd), ZqBlockEnd_t*>);
static_assert(std::is_same_v<decltype(&ZqCaptureData), ZqCaptureData_t*>);
static_assert(std::is_same_v<decltype(&ZqEnableGearing), ZqEnableGearing_t*>);
static_assert(std::is_same_v<decltype(&ZqSetRegister), ZqSetRegister_t*>);
static_assert(std::is_same_v<decltype(&ZqWaitForStop), ZqWaitForStop_t*>);
static_assert(std::is_same_v<decltype(&qlxcmdex), qlxcmdex_t*>);
static_assert(std::is_same_v<decltype(&ZqGetCaptureData), ZqGetCaptureData_t*>);
static_assert(std::is_same_v<decltype(&ZqGetTargetEx), ZqGetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqGetOptimalEx), ZqGetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqGetAuxEncPosEx), ZqGetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqGetTorque), ZqGetDouble_t*>);
static_assert(std::is_same_v<decltype(&ZqMoveRelative), ZqSetDouble_t*>);
