// Simulated motion controller library: a first, minimal bench that opens,
// describes its controllers and axes, and refuses everything it does not
// model yet with a "not supported" code.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "../../controller/zq_functions.h"
#include "../common/journal.h"

#define ZQEXPORT extern "C" __declspec(dllexport)

namespace {

constexpr int kErrNotSupported = -1;
constexpr int kErrNoController = -2;
constexpr int kErrBadHandle = -3;
constexpr int kErrBadArgument = -4;

struct BenchController { int type; int flags; int axes; };
const BenchController kBench[2] = { {6, 4, 4}, {6, 0, 2} };

int ControllerOf(short handle) {
    return (handle >= 1 && handle <= 2) ? handle - 1 : -1;
}

}  // namespace

ZQEXPORT short __stdcall ZqOpen(int id, int mode, const char* text) {
    zqjournal::Line("ZqOpen").Int(id).Int(mode).Str(text);
    if (id < 0 || id > 1) return kErrNoController;
    return static_cast<short>(id + 1);
}

ZQEXPORT int __stdcall ZqClose(short handle) {
    zqjournal::Line("ZqClose").Int(handle);
    return ControllerOf(handle) < 0 ? kErrBadHandle : 0;
}

ZQEXPORT int __stdcall ZqTranslateErrorEx(int code, char* buffer, int size) {
    zqjournal::Line("ZqTranslateErrorEx").Int(code).Ptr(buffer).Int(size);
    if (!buffer || size <= 0) return kErrBadArgument;
    const char* text = "Unknown error";
    switch (code) {
    case 0: text = "No error"; break;
    case kErrNotSupported: text = "Function not supported by the simulated controller"; break;
    case kErrNoController: text = "No such controller exists"; break;
    case kErrBadHandle: text = "Invalid controller handle"; break;
    case kErrBadArgument: text = "Invalid argument"; break;
    }
    lstrcpynA(buffer, text, size);
    return 0;
}

ZQEXPORT int __stdcall ZqGetConfiguration(short handle, ControllerParams* params) {
    zqjournal::Line("ZqGetConfiguration").Int(handle).Ptr(params);
    int c = ControllerOf(handle);
    if (c < 0) return kErrBadHandle;
    if (!params) return kErrBadArgument;
    params->AxisCount = static_cast<int16_t>(kBench[c].axes);
    return 0;
}

ZQEXPORT int __stdcall ZqGetConfigurationEx(short handle, ControllerConfig* config) {
    zqjournal::Line("ZqGetConfigurationEx").Int(handle).Ptr(config);
    int c = ControllerOf(handle);
    if (c < 0) return kErrBadHandle;
    if (!config || config->Size != kControllerConfigSize) return kErrBadArgument;
    config->ControllerType = kBench[c].type;
    config->NumberAxes = kBench[c].axes;
    config->Flags = kBench[c].flags;
    return 0;
}

ZQEXPORT int __stdcall ZqGetAxisConfiguration(short handle, unsigned short axis, AxisConfig* config) {
    zqjournal::Line("ZqGetAxisConfiguration").Int(handle).Int(axis).Ptr(config);
    int c = ControllerOf(handle);
    if (c < 0) return kErrBadHandle;
    if (!config || config->Size != kAxisConfigSize || axis < 1 || axis > kBench[c].axes) return kErrBadArgument;
    config->ModuleType = 1;
    config->Flags = 1;
    config->CaptureFlags = c == 0 ? 0x380 : 0x80;
    config->CaptureBufferSize = c == 0 ? 2048 : 1024;
    config->HighRatePeriod = 0.0005;
    config->MediumRatePeriod = 0.001;
    config->LowRatePeriod = 0.002;
    return 0;
}

#define UNSUPPORTED(name, ...) \
    ZQEXPORT int __stdcall name(__VA_ARGS__) { zqjournal::Line(#name); return kErrNotSupported; }

#include "unsupported.inc"
