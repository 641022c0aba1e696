// The simulation core built natively with the address and undefined-behaviour
// sanitizers (not for Windows): runs the controller through the arithmetic
// edges of its commands, where a fault would go unnoticed in the Windows build.
// Exits nonzero (the sanitizers abort) on the first fault.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "sim_config.h"
#include "sim_controller.h"

#define CHECK(condition)                                                                       \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

namespace {

using zqsim::Controller;

constexpr int64_t kMs = 1'000'000;

std::unique_ptr<Controller> Bench() { return std::make_unique<Controller>(*zqsim::BenchConfig().Find(0)); }

int32_t Register0(Controller& c) {
    int32_t v = 0;
    CHECK(c.GetRegister(0, &v, 2) == 0);
    return v;
}

// Runs one block that subtracts argument from register 0 once.
void Decrement(Controller& c, int32_t start, int32_t argument) {
    CHECK(c.SetRegister(0, &start, 2) == 0);
    CHECK(c.BlockBegin(0, 0) == 0);
    CHECK(c.Command(0, Controller::kOpDecrement, &argument, 2) == 0);
    CHECK(c.BlockEnd(nullptr) == 0);
    c.AdvanceTo(c.Now() + 2 * kMs);
}

// Register 0 is a 32-bit register: subtraction wraps around, as on the controller.
void RegisterArithmeticWraps() {
    auto c = Bench();
    struct Case { int32_t start, argument, result; } cases[] = {
        {10, 3, 7},
        {INT32_MIN, 1, INT32_MAX},
        {INT32_MAX, -1, INT32_MIN},
        {0, INT32_MIN, INT32_MIN},
        {-1, INT32_MAX, INT32_MIN},
    };
    for (const auto& tc : cases) {
        Decrement(*c, tc.start, tc.argument);
        CHECK(Register0(*c) == tc.result);
    }
    // The loop condition compares the wrapped value.
    int32_t start = INT32_MIN, one = 1, zero = 0;
    CHECK(c->SetRegister(0, &start, 2) == 0);
    CHECK(c->BlockBegin(0, 0) == 0);
    CHECK(c->Command(0, Controller::kOpDecrement, &one, 2) == 0);
    CHECK(c->Command(0, Controller::kOpCompare, &zero, 2) == 0);
    CHECK(c->BlockEnd(nullptr) == 0);
    c->AdvanceTo(c->Now() + 2 * kMs);
    CHECK(Register0(*c) == INT32_MAX);
}

// Steps on every servo axis of the bench with each profile, update rate and
// extreme capture period and delay, so the loop, trajectory and capture run
// under the sanitizers.
void StepsAndCaptures() {
    for (int profile : {1, 2, 4}) {
        for (int rate : {1, 2, 4}) {
            auto c = Bench();
            for (int axis = 1; axis <= 3; ++axis) {
                MotionConfig m{};
                CHECK(c->GetMotion(axis, &m) == 0);
                m.UpdateRate = static_cast<int16_t>(rate);
                CHECK(c->SetMotion(axis, &m) == 0);
                CHECK(c->SetInt(axis, Controller::kProfile, profile) == 0);
                CHECK(c->EnableAxis(axis, 1) == 0);
            }
            CHECK(c->BlockBegin(0, 0) == 0);
            CHECK(c->CaptureData(1, 1000, 0.0005, 0) == 0);
            CHECK(c->CaptureData(2, 2048, 1e9, 1e9) != 0);  // refused, not cast out of range
            CHECK(c->CaptureData(3, 10, 0.001, 0.5) == 0);
            for (int axis = 1; axis <= 3; ++axis) CHECK(c->MoveRelative(axis, 100) == 0);
            CHECK(c->WaitForStop(1, 0.01) == 0);
            CHECK(c->MoveRelative(1, -100) == 0);
            CHECK(c->BlockEnd(nullptr) == 0);
            c->AdvanceTo(c->Now() + 2500 * kMs);
            double v = 0;
            CHECK(c->GetCaptureData(1, 16, 999, 1, &v) == 0);
            CHECK(std::isfinite(v));
            CHECK(c->GetCaptureData(3, 128, 9, 1, &v) == 0);
            CHECK(std::isfinite(v));
        }
    }
}

// Clock values far apart: long idle gaps and a clock near its end.
void LongGaps() {
    auto c = Bench();
    CHECK(c->EnableAxis(1, 1) == 0);
    CHECK(c->MoveRelative(1, 50) == 0);
    c->AdvanceTo(3'600'000 * kMs);
    c->AdvanceTo(INT64_MAX / 4);
    double p = 0;
    CHECK(c->Get(1, Controller::kActual, &p) == 0);
    CHECK(std::isfinite(p));
}

}  // namespace

int main() {
    RegisterArithmeticWraps();
    StepsAndCaptures();
    LongGaps();
    std::printf("sim_sanitized: all checks passed\n");
    return 0;
}
