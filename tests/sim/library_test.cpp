// zqapi32.dll as the program binds it: the bench, the call journal, bad input,
// the configuration file, and a step test run on the wall clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "api_dll.h"
#include "controller/zq_library.h"
#include "journal.h"

namespace {

using simtest::ApiProc;
using simtest::AxisSnapshot;
using simtest::ErrorText;

class Library : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(LoadApiLibrary(), 0); }
    void SetUp() override {
        SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr);
        h_ = ZqOpen(0, 2, "");
        ASSERT_GT(h_, 0);
        ASSERT_EQ(ZqReset(h_, 0), 0);
    }
    void TearDown() override {
        if (h_ > 0) ZqClose(h_);
    }
    short h_ = 0;
};

struct AxisExpect {
    int controller, axis, module, flags, capture, buffer;
};

}  // namespace

TEST_F(Library, BenchDescribesItsControllersAndAxes) {
    short h1 = ZqOpen(1, 2, "");
    ASSERT_GT(h1, 0);
    short h2 = ZqOpen(2, 2, "");
    ASSERT_GT(h2, 0);
    struct { short h; int type, axes, flags; } controllers[] = {{h_, 6, 4, 4}, {h1, 4, 2, 0}, {h2, 6, 2, 4}};
    for (auto& c : controllers) {
        ControllerConfig config{};
        config.Size = kControllerConfigSize;
        ASSERT_EQ(ZqGetConfigurationEx(c.h, &config), 0);
        EXPECT_EQ(config.ControllerType, c.type);
        EXPECT_EQ(config.NumberAxes, c.axes);
        EXPECT_EQ(config.Flags, c.flags);
        ControllerParams params{};
        ASSERT_EQ(ZqGetConfiguration(c.h, &params), 0);
        EXPECT_EQ(params.AxisCount, c.axes);
    }
    const AxisExpect axes[] = {{0, 1, 1, 1, 0x380, 2048}, {0, 2, 1, 1, 0x380, 2048}, {0, 3, 1, 1, 0x380, 2048},
                               {0, 4, 2, 0, 0, 0},         {1, 1, 1, 1, 0x80, 1024},  {1, 2, 1, 1, 0x80, 1024},
                               {2, 1, 1, 1, 0x380, 2048},  {2, 2, 1, 1, 0x380, 2048}};
    for (const auto& a : axes) {
        SCOPED_TRACE(a.controller * 10 + a.axis);
        short h = a.controller == 2 ? h2 : a.controller ? h1 : h_;
        AxisConfig config{};
        config.Size = kAxisConfigSize;
        ASSERT_EQ(ZqGetAxisConfiguration(h, static_cast<unsigned short>(a.axis), &config), 0);
        EXPECT_EQ(config.ModuleType, a.module);
        EXPECT_EQ(config.Flags, a.flags);
        EXPECT_EQ(config.CaptureFlags, a.capture);
        EXPECT_EQ(config.CaptureBufferSize, a.buffer);
        EXPECT_EQ(config.HighRatePeriod, 0.0005);
        EXPECT_EQ(config.MediumRatePeriod, 0.001);
        EXPECT_EQ(config.LowRatePeriod, 0.002);
        MotionConfig motion{};
        ASSERT_EQ(ZqGetMotionConfig(h, static_cast<unsigned short>(a.axis), &motion), 0);
        EXPECT_EQ(motion.UpdateRate, 4);
        if (a.flags & 1) {
            // Gains sit well inside the program's slider full scale.
            double kp = 0;
            FilterConfig filter{};
            ASSERT_EQ(ZqGetGain(h, static_cast<unsigned short>(a.axis), &kp), 0);
            ASSERT_EQ(ZqGetFilterConfig(h, static_cast<unsigned short>(a.axis), &filter), 0);
            double full = a.controller == 1 ? 32767.0 : 20.0;  // fixed point: thousandths
            for (double g : {kp, filter.DerivativeGain, filter.IntegralGain}) {
                EXPECT_GT(g, 0.01 * full);
                EXPECT_LT(g, 0.5 * full);
            }
            EXPECT_EQ(motion.Gain, kp);
        }
        int status = ZqGetStatus(h, static_cast<unsigned short>(a.axis));
        EXPECT_EQ(ZqDecodeStatus(h, status, 1), 0);  // powers on with the motor off
        double position = -1;
        ASSERT_EQ(ZqGetPositionEx(h, static_cast<unsigned short>(a.axis), &position), 0);
        EXPECT_EQ(position, 0);
    }
    EXPECT_EQ(ZqClose(h1), 0);
    EXPECT_EQ(ZqClose(h2), 0);
    short none = ZqOpen(3, 2, "");
    EXPECT_LT(none, 0);
    EXPECT_NE(ErrorText(none).find("No such controller exists"), std::string::npos);
}

TEST_F(Library, JournalsEveryCallWithItsArguments) {
    Journal journal("sim_library");
    double value = 0;
    MotionConfig motion{};
    ZqSetGain(h_, 1, 2.5);
    ZqGetGain(h_, 1, &value);
    ZqGetMotionConfig(h_, 1, &motion);
    ZqBlockEnd(h_, nullptr);
    ZqCaptureData(h_, 1, 10, 0.0005, 1e-05);
    ZqErrorNotify(GetDesktopWindow(), h_, 0xFFFFFFFE);
    ApiProc<int __stdcall(void)>("ZqGo")();
    ZqOpen(9, 2, "a \"b\"\r\nc%\td\\e");
    std::string h = std::to_string(h_);
    std::vector<std::string> expected = {
        "ZqSetGain(" + h + ", 1, 2.5)",
        "ZqGetGain(" + h + ", 1, &)",
        "ZqGetMotionConfig(" + h + ", 1, &)",
        "ZqBlockEnd(" + h + ", null)",
        "ZqCaptureData(" + h + ", 1, 10, 0.0005, 1e-05)",
        "ZqErrorNotify(hwnd, " + h + ", 4294967294)",
        "ZqGo()",
        // One line whatever a string holds: quotes, control characters and % as %XX.
        "ZqOpen(9, 2, \"a %22b%22%0D%0Ac%25%09d\\e\")",
    };
    EXPECT_EQ(journal.Lines(), expected);
}

TEST_F(Library, BadInputFailsWithExplainedCodeAndChangesNothing) {
    auto snapshot = [&] { return AxisSnapshot(h_, 1); };
    ASSERT_EQ(ZqEnableAxis(h_, 1, 1), 0);
    const double nan = std::nan(""), inf = INFINITY;
    short closed = ZqOpen(0, 2, "");
    ASSERT_EQ(ZqClose(closed), 0);
    MotionConfig motion{};
    ZqGetMotionConfig(h_, 1, &motion);
    MotionConfig bad_rate = motion, nan_velocity = motion;
    bad_rate.UpdateRate = 3;
    nan_velocity.Velocity = nan;
    FilterConfig filter{};
    ZqGetFilterConfig(h_, 1, &filter);
    FilterConfig inf_gain = filter;
    inf_gain.DerivativeGain = inf;
    AxisScale zero_scale{};
    ControllerConfig wrong_size{};
    wrong_size.Size = 120;
    AxisConfig axis_wrong_size{};
    axis_wrong_size.Size = 100;
    double value = 0;
    int count = 5;
    struct Case { const char* what; int code; } cases[] = {
        {"null output", ZqGetPositionEx(h_, 1, nullptr)},
        {"null record", ZqSetMotionConfig(h_, 1, nullptr)},
        {"null register value", ZqSetRegister(h_, 0, nullptr, 2)},
        {"null capture output", ZqGetCaptureData(h_, 1, 16, 0, 1, nullptr)},
        {"axis 0", ZqGetPositionEx(h_, 0, &value)},
        {"axis above NumberAxes", ZqSetGain(h_, 5, 1.0)},
        {"closed handle", ZqGetPositionEx(closed, 1, &value)},
        {"unknown handle", ZqEnableAxis(999, 1, 0)},
        {"ControllerConfig size", ZqGetConfigurationEx(h_, &wrong_size)},
        {"AxisConfig size", ZqGetAxisConfiguration(h_, 1, &axis_wrong_size)},
        {"NaN gain", ZqSetGain(h_, 1, nan)},
        {"infinite position", ZqSetPosition(h_, 1, -inf)},
        {"NaN move", ZqMoveRelative(h_, 1, nan)},
        {"update rate 3", ZqSetMotionConfig(h_, 1, &bad_rate)},
        {"NaN velocity", ZqSetMotionConfig(h_, 1, &nan_velocity)},
        {"infinite derivative gain", ZqSetFilterConfig(h_, 1, &inf_gain)},
        {"zero scale", ZqSetScale(h_, 1, &zero_scale)},
        {"gain beyond the loop's range", ZqSetGain(h_, 1, 1e10)},
        {"position beyond the loop's range", ZqSetPosition(h_, 1, 2e15)},
        {"move beyond the loop's range", ZqMoveRelative(h_, 1, -2e15)},
        {"gearing ratio beyond its range", ZqEnableGearing(h_, 2, 1, 2e6, 1)},
        {"capture read past the data", ZqGetCaptureData(h_, 1, 16, 0, 1, &value)},
        {"capture past the buffer", ZqCaptureData(h_, 1, 2049, 0.0005, 0)},
        {"capture type", ZqGetCaptureData(h_, 1, 32, 0, 1, &value)},
        {"stepper cannot capture", ZqCaptureData(h_, 4, 10, 0.0005, 0)},
        {"register type", ZqSetRegister(h_, 0, &count, 3)},
        {"operating mode 3", ZqSetOperatingMode(h_, 1, 0, 3)},
        {"status flag 0", ZqDecodeStatus(h_, 1, 0)},
        {"block end without begin", ZqBlockEnd(h_, nullptr)},
        {"unknown opcode", qlxcmdex(h_, 1, 999, &count, 2)},
        {"not supported", ApiProc<int __stdcall(void)>("ZqGoHome")()},
    };
    std::string before = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_LT(c.code, 0);
        std::string text = ErrorText(c.code);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("Unknown"), std::string::npos) << text;
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_NE(ErrorText(-1).find("not supported"), std::string::npos);
    char small[8];
    EXPECT_EQ(ZqTranslateErrorEx(-1, small, sizeof small), 0);
    EXPECT_EQ(std::string(small), "Functio");
}

TEST_F(Library, MotorStateChangesTheStatusWord) {
    int off = ZqGetStatus(h_, 1);
    ASSERT_EQ(ZqEnableAxis(h_, 1, 1), 0);
    int on = ZqGetStatus(h_, 1);
    EXPECT_NE(on, off);
    EXPECT_EQ(ZqDecodeStatus(h_, on, 1), 1);
    EXPECT_EQ(ZqDecodeStatus(h_, on, 7), 0);
    ASSERT_EQ(ZqEnableAxis(h_, 1, 0), 0);
    EXPECT_EQ(ZqGetStatus(h_, 1), off);
    // Reset returns settings to their power-on values.
    double kp = 0, kp_after = 0;
    ZqGetGain(h_, 1, &kp);
    ASSERT_EQ(ZqSetGain(h_, 1, kp + 1), 0);
    ASSERT_EQ(ZqSetPosition(h_, 1, 12.5), 0);
    ASSERT_EQ(ZqReset(h_, 0), 0);
    double position = -1;
    ZqGetGain(h_, 1, &kp_after);
    ZqGetPositionEx(h_, 1, &position);
    EXPECT_EQ(kp_after, kp);
    EXPECT_EQ(position, 0);
}

TEST_F(Library, PositionReadoutMovesInRealTime) {
    ASSERT_EQ(ZqEnableAxis(h_, 1, 1), 0);
    ASSERT_EQ(ZqSetOperatingMode(h_, 1, 0, 2), 0);
    ASSERT_EQ(ApiProc<int __stdcall(short, unsigned short, double)>("ZqSetVelocity")(h_, 1, 1000), 0);
    ASSERT_EQ(ZqMoveRelative(h_, 1, 1000), 0);
    Sleep(300);
    double p = 0;
    ZqGetPositionEx(h_, 1, &p);
    EXPECT_GT(p, 100);
    EXPECT_LT(p, 900);
    EXPECT_EQ(ZqWaitForStop(h_, 1, 0), 0);
    Sleep(300);
    ZqGetPositionEx(h_, 1, &p);
    EXPECT_NEAR(p, 1000, 2);
}

// The program's step test with a gantry partner and a repeat count, call for call.
TEST_F(Library, GantryStepTestWithRepeatRunsAfterTheBlockOnTheControllersClock) {
    const double period = 0.0005, distance = 10;
    int count = 2, n = 1000;
    for (unsigned short a : {1, 2}) {
        ASSERT_EQ(ZqEnableAxis(h_, a, 1), 0);
        ASSERT_EQ(ZqSetOperatingMode(h_, a, 0, 1), 0);
    }
    ASSERT_EQ(ZqEnableGearing(h_, 2, 1, 1.0, 1), 0);
    ASSERT_EQ(ZqSetRegister(h_, 0, &count, 2), 0);
    double start[2] = {-1, -1};
    ZqGetTargetEx(h_, 1, &start[0]);
    ZqGetAuxEncPosEx(h_, 2, &start[1]);
    ASSERT_EQ(ZqCaptureData(h_, 1, 1, period, 0), 0);
    ASSERT_EQ(ZqCaptureData(h_, 2, 1, period, 0), 0);
    ASSERT_EQ(ZqBlockBegin(h_, 0, 0), 0);
    ASSERT_EQ(qlxcmdex(h_, 1, 212, &n, 2), 0);
    ASSERT_EQ(qlxcmdex(h_, 2, 212, &n, 2), 0);
    ASSERT_EQ(ZqMoveRelative(h_, 1, distance), 0);
    ASSERT_EQ(ZqWaitForStop(h_, 1, 0.05), 0);
    int args[] = {1, 0, 2, 0}, opcodes[] = {134, 163, 6, 120};
    for (int i = 0; i < 4; ++i) ASSERT_EQ(qlxcmdex(h_, 0, opcodes[i], &args[i], 2), 0) << opcodes[i];
    ASSERT_EQ(ZqWaitForStop(h_, 1, 0.025), 0);
    ASSERT_EQ(ZqEnableGearing(h_, 2, 1, 1.0, 0), 0);
    ASSERT_EQ(ZqBlockEnd(h_, nullptr), 0);
    // Nothing has moved yet when the block is sent.
    double target = -1;
    ZqGetTargetEx(h_, 1, &target);
    EXPECT_EQ(target, 0);
    Sleep(static_cast<DWORD>(n * period * 1000 + 25));
    for (unsigned short a : {1, 2}) {
        SCOPED_TRACE(a);
        for (int type : {16, 64, 128, 512}) {
            for (int k = 0; k < n; ++k) {
                double v = NAN;
                ASSERT_EQ(ZqGetCaptureData(h_, a, type, k, 1, &v), 0) << type << " " << k;
                ASSERT_TRUE(std::isfinite(v));
            }
        }
        double v = 0;
        EXPECT_LT(ZqGetCaptureData(h_, a, 16, n, 1, &v), 0);
        // Two passes of the loop: both axes moved twice the distance.
        ZqGetCaptureData(h_, a, 64, n - 1, 1, &v);
        EXPECT_EQ(v, 2 * distance);
        ZqGetCaptureData(h_, a, 16, n - 1, 1, &v);
        EXPECT_NEAR(v, 2 * distance, 1);
    }
    int status = ZqGetStatus(h_, 2);
    EXPECT_EQ(ZqDecodeStatus(h_, status, 5), 0);  // gearing switched off at the block's end
}

TEST_F(Library, ConfigurationFileDescribesControllersAndReportsBadLines) {
    ZqClose(h_);
    h_ = 0;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "zqsim-test-" + std::to_string(GetCurrentProcessId()) + ".ini";
    auto write = [&](const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
    SetEnvironmentVariableA("ZQSIM_CONFIG", path.c_str());

    write("[controller.3]\ntype = 8\nflags = 4\naxes = 2\n[controller.4]\naxes = 0\n"
          "[controller.5]\nopen_error = -42\n");
    short h = ZqOpen(3, 2, "");
    ASSERT_GT(h, 0);
    ControllerConfig config{};
    config.Size = kControllerConfigSize;
    ASSERT_EQ(ZqGetConfigurationEx(h, &config), 0);
    EXPECT_EQ(config.ControllerType, 8);
    EXPECT_EQ(config.NumberAxes, 2);
    short h4 = ZqOpen(4, 2, "");
    ASSERT_GT(h4, 0);
    ASSERT_EQ(ZqGetConfigurationEx(h4, &config), 0);
    EXPECT_EQ(config.NumberAxes, 0);
    short h5 = ZqOpen(5, 2, "");
    EXPECT_EQ(h5, -42);
    EXPECT_NE(ErrorText(-42).find("could not be opened"), std::string::npos);
    EXPECT_LT(ZqOpen(0, 2, ""), 0);
    ZqClose(h);
    ZqClose(h4);

    write("[controller.0]\naxes = 2\n[controller.0.axis.1]\ninertia = heavy\n");
    short bad = ZqOpen(0, 2, "");
    ASSERT_LT(bad, 0);
    std::string text = ErrorText(bad);
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find("line 4"), std::string::npos) << text;
    EXPECT_NE(text.find("inertia"), std::string::npos) << text;

    DeleteFileA(path.c_str());
    EXPECT_LT(ZqOpen(0, 2, ""), 0);
    EXPECT_NE(ErrorText(-11).find("cannot be read"), std::string::npos);
    SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr);
}

// However large the numbers a caller sends, the loop never overflows: what it
// cannot hold is refused, and the axis stays usable without a reset.
TEST_F(Library, HugeNumbersNeverReachTheAxisState) {
    using SetDouble = int __stdcall(short, unsigned short, double);
    MotionConfig motion{};
    FilterConfig filter{};
    ASSERT_EQ(ZqGetMotionConfig(h_, 1, &motion), 0);
    ASSERT_EQ(ZqGetFilterConfig(h_, 1, &filter), 0);
    double gain = 0;
    ASSERT_EQ(ZqGetGain(h_, 1, &gain), 0);
    struct Case { const char* what; std::function<int()> send; } cases[] = {
        {"proportional gain", [&] { return ZqSetGain(h_, 1, 1e308); }},
        {"motion record gain", [&] { MotionConfig m = motion; m.Gain = 1e308; return ZqSetMotionConfig(h_, 1, &m); }},
        {"derivative gain", [&] { FilterConfig f = filter; f.DerivativeGain = 1e308; return ZqSetFilterConfig(h_, 1, &f); }},
        {"integral gain and limit", [&] {
             FilterConfig f = filter;
             f.IntegralGain = f.IntegrationLimit = 1e308;
             return ZqSetFilterConfig(h_, 1, &f);
         }},
        {"velocity gain", [&] { FilterConfig f = filter; f.VelocityGain = 1e308; return ZqSetFilterConfig(h_, 1, &f); }},
        {"torque limit", [&] { return ApiProc<SetDouble>("ZqSetTorque")(h_, 1, 1e308); }},
        {"velocity and acceleration", [&] {
             MotionConfig m = motion;
             m.Velocity = 1e308;
             m.Acceleration = 1e-300;
             return ZqSetMotionConfig(h_, 1, &m);
         }},
        {"position", [&] { return ZqSetPosition(h_, 1, -1e308); }},
        {"move", [&] { return ZqMoveRelative(h_, 1, 1.5e308); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ZqEnableAxis(h_, 1, 1), 0);
        ASSERT_EQ(ZqSetOperatingMode(h_, 1, 0, 2), 0);
        int result = c.send();
        EXPECT_EQ(result, -7);
        ZqMoveRelative(h_, 1, 100);
        Sleep(30);
        double values[4] = {};
        ZqGetPositionEx(h_, 1, &values[0]);
        ZqGetOptimalEx(h_, 1, &values[1]);
        ZqGetTorque(h_, 1, &values[2]);
        ZqGetTargetEx(h_, 1, &values[3]);
        for (double v : values) EXPECT_TRUE(std::isfinite(v)) << v;
        // Sane settings again, the motor on and the position zeroed: the axis holds 0.
        ASSERT_EQ(ZqSetMotionConfig(h_, 1, &motion), 0);
        ASSERT_EQ(ZqSetFilterConfig(h_, 1, &filter), 0);
        ASSERT_EQ(ZqSetGain(h_, 1, gain), 0);
        ASSERT_EQ(ZqEnableAxis(h_, 1, 0), 0);
        ASSERT_EQ(ZqEnableAxis(h_, 1, 1), 0);
        // The axis was moving when the motor went off and coasts on; the servo
        // brings it to rest before the zeroing, however slow this machine is.
        double before = 1e9, now = 0;
        for (int i = 0; i < 60 && now != before; ++i) {
            before = now;
            Sleep(50);
            ZqGetPositionEx(h_, 1, &now);
        }
        ASSERT_EQ(now, before) << "the axis did not come to rest";
        ASSERT_EQ(ZqSetPosition(h_, 1, 0), 0);
        double position = -1;
        ZqGetPositionEx(h_, 1, &position);
        EXPECT_EQ(position, 0);
    }
}

// The free address space of a 32-bit process reserved (not committed) in
// blocks down to 4 MB, so that no allocation of 4 MB or more can succeed while
// small ones still find room; released on destruction.
class AddressSpaceFilled {
public:
    AddressSpaceFilled() {
        blocks_.reserve(4096);
        for (SIZE_T size = SIZE_T(1) << 30; size >= (SIZE_T(4) << 20) && blocks_.size() < blocks_.capacity();) {
            if (void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) blocks_.push_back(p);
            else size /= 2;
        }
    }
    ~AddressSpaceFilled() {
        for (void* p : blocks_) VirtualFree(p, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> blocks_;
};

// A controller whose capture buffers cannot be allocated is refused with its
// own error code and text; the library and the process go on.
TEST_F(Library, AnAllocationThatFailsIsAnErrorCodeNotTheEndOfTheProcess) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "fills the address space of a 32-bit process";
    ZqClose(h_);
    h_ = 0;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "zqsim-memory-" + std::to_string(GetCurrentProcessId()) + ".ini";
    std::ofstream(path, std::ios::binary) << "[controller.0]\naxes = 1\n"
                                             "[controller.1]\naxes = 1\n[controller.1.axis.1]\nbuffer = 1000000\n";
    SetEnvironmentVariableA("ZQSIM_CONFIG", path.c_str());
    short small = ZqOpen(0, 2, "");  // reads the description while memory is plentiful
    ASSERT_GT(small, 0);
    short big;
    {
        AddressSpaceFilled full;
        big = ZqOpen(1, 2, "");  // its 8 MB capture channels no longer fit
    }
    EXPECT_EQ(big, -18);
    EXPECT_EQ(ErrorText(-18), "Not enough memory for the simulated controller");
    short again = ZqOpen(1, 2, "");
    EXPECT_GT(again, 0);
    double position = -1;
    EXPECT_EQ(ZqGetPositionEx(again, 1, &position), 0);
    EXPECT_EQ(position, 0);
    ZqClose(again);
    ZqClose(small);
    SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr);
    DeleteFileA(path.c_str());
}

// A configuration path too long for a plain Windows path is not silently the
// built-in bench: it is a file that cannot be read.
TEST_F(Library, AConfigurationPathOfAnyLengthIsReadOrReported) {
    ZqClose(h_);
    h_ = 0;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    for (size_t length : {259u, 260u, 400u, 1000u}) {
        SCOPED_TRACE(length);
        std::string path = std::string(dir) + "zqsim-";
        path += std::string(length - path.size() - 4, 'x') + ".ini";
        ASSERT_EQ(path.size(), length);
        SetEnvironmentVariableA("ZQSIM_CONFIG", path.c_str());
        short h = ZqOpen(0, 2, "");
        EXPECT_EQ(h, -11);
        if (h > 0) ZqClose(h);
        std::vector<char> buffer(8192);
        ASSERT_EQ(ZqTranslateErrorEx(-11, buffer.data(), static_cast<int>(buffer.size())), 0);
        EXPECT_EQ(std::string(buffer.data()),
                  "Simulated controller configuration error: " + path + " line 0: the file cannot be read");
    }
    SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr);
    h_ = ZqOpen(0, 2, "");
    EXPECT_GT(h_, 0);
}

// Zeroing a gearing master is a change of its position readout, not a move:
// its slaves stay where they are and go on following its moves.
TEST_F(Library, ShiftingAMastersPositionLeavesItsSlavesWhereTheyAre) {
    for (unsigned short a : {1, 2, 3}) {
        ASSERT_EQ(ZqEnableAxis(h_, a, 1), 0);
        ASSERT_EQ(ZqSetOperatingMode(h_, a, 0, 2), 0);
    }
    ASSERT_EQ(ZqEnableGearing(h_, 2, 1, 1.0, 1), 0);
    ASSERT_EQ(ZqEnableGearing(h_, 3, 1, -0.5, 1), 0);
    ASSERT_EQ(ZqMoveRelative(h_, 1, 500), 0);
    ASSERT_EQ(ZqWaitForStop(h_, 1, 0.1), 0);
    auto optimal = [&](unsigned short a) {
        double v = NAN;
        ZqGetOptimalEx(h_, a, &v);
        return v;
    };
    ASSERT_EQ(optimal(2), 500);
    ASSERT_EQ(optimal(3), -250);
    ASSERT_EQ(ZqSetPosition(h_, 1, 0), 0);
    Sleep(100);
    EXPECT_NEAR(optimal(1), 0, 5);  // the command moves with the readout, keeping the following error
    EXPECT_NEAR(optimal(2), 500, 1e-9);
    EXPECT_NEAR(optimal(3), -250, 1e-9);
    for (unsigned short a : {2, 3}) {
        int status = ZqGetStatus(h_, a);
        EXPECT_EQ(ZqDecodeStatus(h_, status, 1), 1) << a;  // still on: no following error
        EXPECT_EQ(ZqDecodeStatus(h_, status, 5), 1) << a;  // still geared
    }
    ASSERT_EQ(ZqMoveRelative(h_, 1, 100), 0);
    ASSERT_EQ(ZqWaitForStop(h_, 1, 0.05), 0);
    EXPECT_NEAR(optimal(2), 600, 1e-9);
    EXPECT_NEAR(optimal(3), -300, 1e-9);
}

// A handle closed inside the block it began takes the unfinished block with it:
// the next caller's commands act at once and it can begin a block of its own.
TEST_F(Library, ClosingAHandleEndsTheUnfinishedBlockItBegan) {
    ASSERT_EQ(ZqEnableAxis(h_, 1, 1), 0);
    ASSERT_EQ(ZqSetOperatingMode(h_, 1, 0, 1), 0);  // moves step the command at once
    auto target = [&] {
        double v = NAN;
        ZqGetTargetEx(h_, 1, &v);
        return v;
    };
    short other = ZqOpen(0, 2, "");
    ASSERT_GT(other, 0);
    ASSERT_EQ(ZqBlockBegin(other, 0, 0), 0);
    ASSERT_EQ(ZqMoveRelative(other, 1, 50), 0);
    ASSERT_EQ(ZqClose(other), 0);
    ASSERT_EQ(ZqMoveRelative(h_, 1, 10), 0);
    EXPECT_EQ(target(), 10);
    EXPECT_EQ(ZqBlockBegin(h_, 0, 0), 0);
    ASSERT_EQ(ZqBlockEnd(h_, nullptr), 0);
    Sleep(20);
    EXPECT_EQ(target(), 10);  // the dropped move never runs
    // Closing another handle leaves a block begun here alone.
    ASSERT_EQ(ZqBlockBegin(h_, 0, 0), 0);
    short third = ZqOpen(0, 2, "");
    ASSERT_GT(third, 0);
    ASSERT_EQ(ZqClose(third), 0);
    ASSERT_EQ(ZqMoveRelative(h_, 1, 5), 0);
    EXPECT_EQ(target(), 10);
    ASSERT_EQ(ZqBlockEnd(h_, nullptr), 0);
    Sleep(20);
    EXPECT_EQ(target(), 15);
}
