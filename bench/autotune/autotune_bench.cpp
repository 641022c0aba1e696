// Auto Tune quality on the simulated controller: for every servo axis of the
// bench and for generated plants (inertia 0.2 to 5, viscous 0 to 20, Coulomb
// friction 0 to 20,000, torque limit 3 to 20, counts per unit 1 to 100, servo
// periods 0.25 to 2 ms) the checked overshoot, rise and settling time of a
// Medium run, its wall time, and the best settling time an exhaustive search
// over P, I and D finds with the simulation core run faster than real time.
// Figures only; the goals are printed beside them, nothing is asserted.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "autotune/step_figures.h"
#include "autotune/tune_run.h"
#include "controller/zq_library.h"
#include "sim_config.h"
#include "sim_controller.h"
#include "tests/harness/wall_clock.h"

namespace {

struct Plant {
    std::string name;
    std::string ini;  // empty: the built-in bench
    int controller = 0, axis = 1;
};

struct Result {
    std::string status;
    CheckFigures check;
    double wall = 0;
    double searchSettling = -1;
    double searchOvershoot = -1;
    int checks = 0;
    StepFigures predicted;
    GainSet proposed;
    PlantModel plant;
    LoopScale scale;
};

// A 100-unit step on the simulation core with the given gains, as the step
// test captures it; figures as Auto Tune measures them.
StepFigures CoreStep(const zqsim::ControllerSpec& spec, int axis, double p, double i, double d, bool* tripped) {
    zqsim::Controller c(spec);
    FilterConfig f = {};
    c.GetFilter(axis, &f);
    f.IntegralGain = i;
    f.DerivativeGain = d;
    c.SetFilter(axis, &f);
    c.Set(axis, zqsim::Controller::kSetGain, p);
    c.EnableAxis(axis, 1);
    c.SetOperatingMode(axis, 0, 1);
    c.AdvanceTo(c.Now() + 20'000'000);
    const double period = c.AxisAt(axis).Period();
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    c.GetAxisConfiguration(axis, &config);
    const int n = std::clamp(static_cast<int>(std::lround(0.5 / period)), 100, config.CaptureBufferSize);
    double start = 0;
    c.Get(axis, zqsim::Controller::kTarget, &start);
    c.BlockBegin(0, 0);
    c.CaptureData(axis, n, period, 0);
    c.MoveRelative(axis, 100);
    c.BlockEnd(nullptr);
    c.AdvanceTo(c.Now() + static_cast<int64_t>((n + 10) * period * 1e9));
    *tripped = c.AxisAt(axis).Tripped();
    std::vector<double> a(static_cast<size_t>(n) + 1, start), o(static_cast<size_t>(n) + 1, start);
    c.GetCaptureData(axis, kCaptureActual, 0, n, a.data() + 1);
    c.GetCaptureData(axis, kCaptureOptimal, 0, n, o.data() + 1);
    return MeasureStep(a.data(), o.data(), a.size(), period);
}

// The fastest settling within 5 % overshoot over a grid of P, I and D around
// the power-on gains (factors 1/4 to 64 in P and D, 0 and 1/16 to 16 in I),
// refined once around the best point.
void Search(const zqsim::ControllerSpec& spec, int axis, Result* r) {
    zqsim::Controller c(spec);
    double p0 = 0;
    FilterConfig f = {};
    c.Get(axis, zqsim::Controller::kGain, &p0);
    c.GetFilter(axis, &f);
    const double i0 = f.IntegralGain > 0 ? f.IntegralGain : p0, d0 = f.DerivativeGain > 0 ? f.DerivativeGain : p0;
    double best = -1, bestOs = -1, bp = 0, bi = 0, bd = 0;
    auto trial = [&](double p, double i, double d) {
        bool tripped = false;
        StepFigures s = CoreStep(spec, axis, p, i, d, &tripped);
        if (tripped || !s.Settled() || s.overshoot > 5) return;
        if (best < 0 || s.settling < best) {
            best = s.settling;
            bestOs = s.overshoot;
            bp = p, bi = i, bd = d;
        }
    };
    for (int kp = -4; kp <= 12; ++kp)
        for (int kd = -4; kd <= 12; ++kd)
            for (int ki = -1; ki <= 4; ++ki) {
                double i = ki < 0 ? 0 : i0 * std::pow(4.0, ki - 2);
                trial(p0 * std::pow(2.0, kp / 2.0), i, d0 * std::pow(2.0, kd / 2.0));
            }
    if (best >= 0) {
        const double cp = bp, ci = bi, cd = bd;
        for (double fp : {0.8, 0.9, 1.1, 1.25})
            for (double fd : {0.8, 0.9, 1.1, 1.25})
                for (double fi : {0.5, 1.0, 2.0}) trial(cp * fp, ci * fi, cd * fd);
    }
    r->searchSettling = best;
    r->searchOvershoot = bestOs;
}

Result TuneThroughLibrary(const Plant& plant, const std::string& path) {
    Result r;
    SetEnvironmentVariableA("ZQSIM_CONFIG", plant.ini.empty() ? nullptr : path.c_str());
    short h = ZqOpen(plant.controller, 0, nullptr);
    if (h <= 0) {
        r.status = "open failed";
        return r;
    }
    ZqReset(h, 0);
    ZqEnableAxis(h, static_cast<unsigned short>(plant.axis), 1);
    Sleep(100);
    AutoTuneSetup setup;
    setup.handle = h;
    setup.axis = static_cast<unsigned short>(plant.axis);
    setup.style = TuneStyle::Medium;
    setup.distance = 100;
    const double start = WallSeconds();
    AutoTuneRun run(setup);
    run.Start();
    while (!run.Finished() && WallSeconds() - start < 120) {
        DWORD wait = run.Advance();
        if (wait) Sleep(wait);
    }
    if (!run.Finished()) run.Cancel();
    r.wall = WallSeconds() - start;
    r.status = run.Status();
    r.check = run.Measured();
    r.checks = run.Checks();
    r.predicted = run.Predicted();
    r.proposed = run.Proposed();
    r.plant = run.Plant();
    r.scale = run.Scale();
    ZqClose(h);
    return r;
}

std::string PlantIni(double inertia, double viscous, double coulomb, double torque, double counts, double period) {
    char text[600];
    std::snprintf(text, sizeof text,
                  "[controller.0]\ntype = 6\nflags = 4\naxes = 1\n[controller.0.axis.1]\n"
                  "high = %g\nmedium = %g\nlow = %g\ninertia = %g\nviscous = %g\ncoulomb = %g\n"
                  "torque_limit = %g\ncounts_per_unit = %g\n",
                  period, period * 2, period * 4, inertia, viscous, coulomb, torque, counts);
    return text;
}

}  // namespace

int main() {
    if (LoadApiLibrary() != 0) {
        std::printf("zqapi32.dll cannot be loaded\n");
        return 1;
    }
    std::vector<Plant> plants = {
        {"bench 0.1", "", 0, 1}, {"bench 0.2", "", 0, 2}, {"bench 0.3", "", 0, 3},
        {"bench 1.1", "", 1, 1}, {"bench 1.2", "", 1, 2},
    };
    // Generated plants: a fixed sequence, log-spread where the range spans decades.
    unsigned seed = 12345;
    auto uniform = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) & 0xFFFF) / 65535.0;
    };
    const double periods[] = {0.00025, 0.0005, 0.001, 0.002};
    int generated = 30;
    if (const char* n = std::getenv("AUTOTUNE_BENCH_PLANTS")) generated = std::max(0, std::atoi(n));
    for (int k = 0; k < generated; ++k) {
        double inertia = 0.2 * std::pow(25.0, uniform());
        double viscous = 20 * uniform();
        double coulomb = 20000 * uniform();
        double torque = 3 + 17 * uniform();
        double counts = std::round(std::pow(100.0, uniform()));
        double period = periods[k % 4];
        char name[32];
        std::snprintf(name, sizeof name, "plant %02d", k + 1);
        plants.push_back({name, PlantIni(inertia, viscous, coulomb, torque, counts, period), 0, 1});
    }

    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::printf("Auto Tune quality, style Medium, 100-unit check step. Goals: overshoot <= 5 %%, no trip,\n"
                "settling <= 1.5 x the search's, wall time <= 15 s.\n\n");
    std::printf("%-9s %-62s %6s %7s %8s %6s %8s %6s %s\n", "plant", "parameters", "os %", "rise ms", "settle", "wall s",
                "search", "ratio", "status");
    int met = 0, total = 0;
    double worstRatio = 0, worstWall = 0;
    size_t first = 0;  // AUTOTUNE_BENCH_FIRST: skip to a plant (1 = the first)
    if (const char* f = std::getenv("AUTOTUNE_BENCH_FIRST")) first = static_cast<size_t>(std::max(1, std::atoi(f)) - 1);
    for (size_t k = first; k < plants.size(); ++k) {
        const Plant& plant = plants[k];
        std::string path = std::string(dir) + "loopsmith-autotune-bench-" + std::to_string(GetCurrentProcessId()) +
                           "-" + std::to_string(k) + ".ini";
        if (!plant.ini.empty()) std::ofstream(path, std::ios::binary) << plant.ini;
        Result r = TuneThroughLibrary(plant, path);
        zqsim::SimConfig config;
        std::string error;
        const bool parsed = plant.ini.empty() ? (config = zqsim::BenchConfig(), true)
                                              : zqsim::ParseConfig(plant.ini, "bench", &config, &error);
        if (parsed && config.Find(plant.controller)) Search(*config.Find(plant.controller), plant.axis, &r);
        if (!plant.ini.empty()) DeleteFileA(path.c_str());

        std::string params = "bench axis";
        if (!plant.ini.empty()) {
            const zqsim::AxisSpec& a = config.Find(0)->axes[0];
            char text[96];
            std::snprintf(text, sizeof text, "J %.2f b %.1f Fc %.0f limit %.1f cpu %.0f T %.2f ms", a.inertia,
                          a.viscous, a.coulomb, a.torque_limit, a.counts_per_unit, a.high * 1000);
            params = text;
        }
        const bool done = r.status == "Done";
        double ratio = done && r.searchSettling > 0 ? r.check.settling / r.searchSettling : -1;
        ++total;
        if (done && r.check.overshoot <= 5 && ratio >= 0 && ratio <= 1.5 && r.wall <= 15) ++met;
        if (ratio > worstRatio) worstRatio = ratio;
        worstWall = std::max(worstWall, r.wall);
        std::printf("%-9s %-62s %6.1f %7.1f %8.1f %6.1f %8.1f %6.2f %s (%d check%s)\n", plant.name.c_str(),
                    params.c_str(), r.check.overshoot, r.check.rise * 1000, r.check.settling * 1000, r.wall,
                    r.searchSettling * 1000, ratio, r.status.c_str(), r.checks, r.checks == 1 ? "" : "s");
        if (r.checks > 0)
            std::printf("          last proposal P %.4g I %.4g D %.4g, predicted overshoot %.1f %% settling %.1f ms\n",
                        r.proposed.p, r.proposed.i, r.proposed.d, r.predicted.overshoot, r.predicted.settling * 1000);
        if (r.plant.ok)
            std::printf("          identified gain %.4g viscous %.3g coulomb %.4g delay %d fit %.3f; scale P %.3g I %.3g D %.3g\n",
                        r.plant.gain, r.plant.viscous, r.plant.coulomb, r.plant.delay, r.plant.quality, r.scale.p,
                        r.scale.i, r.scale.d);
        std::fflush(stdout);
    }
    std::printf("\n%d of %d plants meet every goal; worst settling ratio %.2f, longest run %.1f s\n", met, total,
                worstRatio, worstWall);
    return 0;
}
