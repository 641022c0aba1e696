// Finding the controllers the API library can open (see controllers.h).
#include "controllers.h"

#include "api.h"
#include "descriptions.h"
#include "dialogs.h"
#include "zqdlg32.h"

namespace zqdlg {

int ProbeController(int id, ControllerEntry& entry, bool withModules) {
    const Api* api = GetApi();
    if (!api) return kDlgErrNoApiLibrary;
    short handle = api->Open(id, 2, "");
    if (handle <= 0) return handle < 0 ? static_cast<int>(handle) : static_cast<int>(kDlgErrController);
    ControllerConfig config;
    int r = ReadControllerConfig(handle, config) ? 0 : kDlgErrController;
    if (r == 0) {
        entry = ControllerEntry{};
        entry.id = id;
        entry.type = config.ControllerType;
        entry.axes = config.NumberAxes;
        entry.flags = config.Flags;
        for (int axis = 1; withModules && axis <= config.NumberAxes && axis <= 16; ++axis) {
            AxisConfig axisConfig;
            if (ReadAxisConfig(handle, static_cast<unsigned short>(axis), axisConfig))
                entry.modules.push_back({axis, axisConfig.ModuleType});
        }
    }
    api->Close(handle);
    return r;
}

std::vector<ControllerEntry> FindControllers(bool withModules) {
    std::vector<ControllerEntry> found;
    for (int id = 0; id <= kMaxControllerId; ++id) {
        ControllerEntry entry;
        if (ProbeController(id, entry, withModules) == 0) found.push_back(entry);
    }
    return found;
}

std::string ControllerSummary(const ControllerEntry& entry) {
    const char* text = ControllerDescription(entry.type, kDescLong);
    std::string s = text ? text : "Unknown";
    s += ", " + std::to_string(entry.axes) + (entry.axes == 1 ? " axis" : " axes");
    return s;
}

void AxisHeading(short handle, unsigned short axis, char* text, int size) {
    AxisConfig config;
    const char* module = ReadAxisConfig(handle, axis, config) ? ModuleDescription(config.ModuleType, kDescLong)
                                                              : nullptr;
    std::string line = "Axis " + std::to_string(axis) + ": " + (module ? module : "Unknown") + " module";
    FillText(line.c_str(), text, size);
}

}  // namespace zqdlg
