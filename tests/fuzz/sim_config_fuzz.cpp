// Fuzz target for the simulated controller's configuration: the INI parser and
// the ZQSIM_FAULTS parser read the same bytes. Whatever they hold, a parse
// either fails with a located reason or gives a description that stays inside
// its limits, and a small controller built from it runs without a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "sim_config.h"
#include "sim_controller.h"
#include "sim_errors.h"
#include "sim_faults.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Known(const std::string& name) { return name == "ZqGetStatus" || name == "ZqOpen" || name == "ZqGetGain"; }

// Runs a controller briefly: every servo axis on, moving, capturing.
void Exercise(const zqsim::ControllerSpec& spec) {
    zqsim::Controller c(spec);
    for (int a = 1; a <= c.NumberAxes(); ++a) {
        if (!(spec.axes[static_cast<size_t>(a - 1)].flags & 1)) continue;
        c.EnableAxis(a, 1);
        c.CaptureData(a, 16, 0, 0);
        c.MoveRelative(a, 100);
    }
    c.AdvanceTo(20'000'000);
    for (int a = 1; a <= c.NumberAxes(); ++a) {
        double v = 0;
        if (c.Get(a, zqsim::Controller::kActual, &v) == 0) Check(v == v);  // never NaN
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    zqsim::SimConfig config;
    std::string error;
    if (!zqsim::ParseConfig(text, "fuzz.ini", &config, &error)) {
        Check(error.rfind("fuzz.ini line ", 0) == 0);
    } else {
        Check(error.empty() && !config.controllers.empty());
        std::set<int> ids;
        long long points = 0;
        for (const auto& c : config.controllers) {
            Check(ids.insert(c.id).second && c.id >= 0 && c.id <= 32767);
            Check(c.axes.size() <= static_cast<size_t>(zqsim::kMaxAxes));
            Check(c.open_error == 0 || (c.open_error <= zqsim::kFirstOpenError && c.open_error >= -32768));
            for (const auto& a : c.axes) {
                Check(a.buffer >= 0 && a.inertia > 0 && a.torque_constant > 0);
                points += a.buffer;
            }
        }
        // Building a controller allocates its buffers; large ones only cost time here.
        if (points <= 20000)
            for (const auto& c : config.controllers) Exercise(c);
    }

    zqsim::FaultPlan plan;
    std::string fault_error;
    if (!zqsim::ParseFaults(text, Known, &plan, &fault_error)) {
        Check(fault_error.rfind("ZQSIM_FAULTS item ", 0) == 0);
    } else {
        for (const auto& [name, p] : plan.fail) Check((name == "*" || Known(name)) && p >= 0 && p <= 1);
        for (const auto& [name, ms] : plan.slow) Check((name == "*" || Known(name)) && ms >= 0 && ms <= zqsim::kMaxSlowMs);
        Check(plan.reappear_after < 0 || plan.reappear_after > plan.vanish_after);
        zqsim::FaultDice dice(plan.seed);
        for (int n = 0; n < 4; ++n) dice.Roll("ZqGetStatus", plan.FailProbability("ZqGetStatus", true));
    }
    return 0;
}
