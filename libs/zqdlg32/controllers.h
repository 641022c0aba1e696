// Finding the controllers the API library can open: each id from 0 to
// kMaxControllerId is opened, its configuration read, and closed again.
#pragma once
#include <string>
#include <vector>

namespace zqdlg {

constexpr int kMaxControllerId = 15;

struct ModuleEntry {
    int axis = 0;
    int moduleType = 0;
};

struct ControllerEntry {
    int id = 0;
    int type = 0;
    int axes = 0;
    int flags = 0;
    std::vector<ModuleEntry> modules;  // filled only when asked for
};

// Opens controller id, reads it and closes it: 0 and entry filled, or the
// open error (a negative code).
int ProbeController(int id, ControllerEntry& entry, bool withModules = false);
// Every controller that opens, in ascending id order.
std::vector<ControllerEntry> FindControllers(bool withModules = false);

// "ZM-6 Floating Point Servo, 4 axes" (or "Unknown, ...").
std::string ControllerSummary(const ControllerEntry& entry);

}  // namespace zqdlg
