// Helpers for the simulated controller's tests: a controller built from an INI
// text and a step response run the way the step test runs it.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim_config.h"
#include "sim_controller.h"

namespace simtest {

inline std::unique_ptr<zqsim::Controller> FromIni(const std::string& ini, int id = 0) {
    zqsim::SimConfig config;
    std::string error;
    EXPECT_TRUE(zqsim::ParseConfig(ini, "test.ini", &config, &error)) << error;
    const zqsim::ControllerSpec* spec = config.Find(id);
    EXPECT_NE(spec, nullptr);
    return spec ? std::make_unique<zqsim::Controller>(*spec) : nullptr;
}

inline std::unique_ptr<zqsim::Controller> Bench(int id = 0) {
    return std::make_unique<zqsim::Controller>(*zqsim::BenchConfig().Find(id));
}

struct Response {
    std::vector<double> actual, optimal, torque, aux;
};

// Motor on, settle, then one block: capture n points at the servo period and
// move by distance; the controller then runs for the capture time plus margin.
inline Response Step(zqsim::Controller& c, int axis, double distance, int mode, int n = 1000) {
    EXPECT_EQ(c.EnableAxis(axis, 1), 0);
    EXPECT_EQ(c.SetOperatingMode(axis, 0, mode), 0);
    c.AdvanceTo(c.Now() + 50'000'000);
    double period = c.AxisAt(axis).Period();
    EXPECT_EQ(c.BlockBegin(0, 0), 0);
    EXPECT_EQ(c.CaptureData(axis, n, period, 0), 0);
    EXPECT_EQ(c.MoveRelative(axis, distance), 0);
    EXPECT_EQ(c.BlockEnd(nullptr), 0);
    c.AdvanceTo(c.Now() + static_cast<int64_t>((n + 10) * period * 1e9));
    Response r;
    const int types[4] = {16, 64, 128, 512};
    std::vector<double>* out[4] = {&r.actual, &r.optimal, &r.torque, &r.aux};
    for (int t = 0; t < 4; ++t) {
        out[t]->assign(static_cast<size_t>(n), 0.0);
        if (c.GetCaptureData(axis, types[t], 0, n, out[t]->data()) != 0) out[t]->clear();
    }
    EXPECT_EQ(r.actual.size(), static_cast<size_t>(n));
    return r;
}

}  // namespace simtest
