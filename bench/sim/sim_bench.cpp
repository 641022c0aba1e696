// Simulated servo steps per second for one and for sixteen busy axes at 8 kHz,
// rigid and resonant (a load on a belt): every axis is on, moving back and
// forth with integral action, capturing.
#include <windows.h>

#include <cstdio>
#include <string>

#include "sim_config.h"
#include "sim_controller.h"
#include "tests/harness/wall_clock.h"

namespace {

// The bench's belt axis: a load on a spring resonating near 60 Hz.
const char* const kResonantKeys =
    "inertia = 0.25\nload_inertia = 0.75\ncoupling_stiffness = 26650\ncoupling_damping = 2.8\n"
    "viscous = 2\nload_viscous = 3\ncoulomb = 6000\n";

double AxisStepsPerSecond(int axes, double simulated_seconds, const char* axis_keys) {
    std::string ini = "[controller.0]\naxes = " + std::to_string(axes) + "\n";
    for (int a = 1; a <= axes; ++a)
        ini += "[controller.0.axis." + std::to_string(a) + "]\nhigh = 0.000125\n" + axis_keys;
    zqsim::SimConfig config;
    std::string error;
    if (!zqsim::ParseConfig(ini, "bench", &config, &error)) {
        std::printf("%s\n", error.c_str());
        return 0;
    }
    zqsim::Controller c(config.controllers[0]);
    for (int a = 1; a <= axes; ++a) c.EnableAxis(a, 1);
    const int64_t slice = 50'000'000;  // 50 ms of controller time per move
    int64_t end = static_cast<int64_t>(simulated_seconds * 1e9);
    double start = WallSeconds();
    double sign = 1;
    for (int64_t t = slice; t <= end; t += slice) {
        for (int a = 1; a <= axes; ++a) {
            c.MoveRelative(a, 50 * sign);
            c.CaptureData(a, 2000, 0.000125, 0);
        }
        sign = -sign;
        c.AdvanceTo(t);
    }
    double elapsed = WallSeconds() - start;
    double steps = simulated_seconds * 8000.0 * axes;
    return steps / elapsed;
}

}  // namespace

int main() {
    for (bool resonant : {false, true}) {
        for (int axes : {1, 16}) {
            double rate = AxisStepsPerSecond(axes, axes == 1 ? 200.0 : 20.0, resonant ? kResonantKeys : "");
            std::printf("sim: %2d %s axes at 8 kHz: %.0f axis-steps per second (%.1f x real time)\n", axes,
                        resonant ? "resonant" : "rigid", rate, rate / (8000.0 * axes));
        }
    }
    return 0;
}
