// The simulated controller's configuration file: keys reach the hardware
// description, missing keys take the bench's values, bad lines are reported
// with file, line and reason.
#include <gtest/gtest.h>

#include <string>

#include "sim_config.h"

using zqsim::ParseConfig;
using zqsim::SimConfig;

TEST(SimConfig, KeysDescribeControllersAndAxes) {
    const char* ini =
        "; a test bench\n"
        "[controller.7]\n"
        "type = 8   ; comment after a value\n"
        "FLAGS = 0x4\n"
        "axes = 3\n"
        "[Controller.7.Axis.2]\n"
        "module = 5\nflags = 0\ncapture = 0x180\nbuffer = 064\nhigh = 0.001\nmedium = 0.002\nlow = 0.004\n"
        "update_rate = 2\ninertia = 3.5\nviscous = 0\ncoulomb = 1\ntorque_constant = 2\ntorque_limit = 4\n"
        "counts_per_unit = 0\naux_ratio = -2\naux_compliance = 0.5\n"
        "[controller.8]\naxes = 0\nopen_error = -42\n";
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseConfig(ini, "bench.ini", &config, &error)) << error;
    ASSERT_EQ(config.controllers.size(), 2u);
    const auto* c = config.Find(7);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->type, 8);
    EXPECT_EQ(c->flags, 4);
    ASSERT_EQ(c->axes.size(), 3u);
    const auto& a = c->axes[1];
    EXPECT_EQ(a.module, 5);
    EXPECT_EQ(a.flags, 0);
    EXPECT_EQ(a.capture, 0x180);
    EXPECT_EQ(a.buffer, 64);
    EXPECT_EQ(a.high, 0.001);
    EXPECT_EQ(a.medium, 0.002);
    EXPECT_EQ(a.low, 0.004);
    EXPECT_EQ(a.update_rate, 2);
    EXPECT_EQ(a.inertia, 3.5);
    EXPECT_EQ(a.viscous, 0);
    EXPECT_EQ(a.coulomb, 1);
    EXPECT_EQ(a.torque_constant, 2);
    EXPECT_EQ(a.torque_limit, 4);
    EXPECT_EQ(a.counts_per_unit, 0);
    EXPECT_EQ(a.aux_ratio, -2);
    EXPECT_EQ(a.aux_compliance, 0.5);
    // Axes without a section, and missing keys, are the bench's servo axis.
    const zqsim::AxisSpec bench = zqsim::BenchConfig().Find(0)->axes[0];
    EXPECT_EQ(c->axes[0].inertia, bench.inertia);
    EXPECT_EQ(c->axes[2].capture, bench.capture);
    EXPECT_EQ(config.Find(8)->axes.size(), 0u);
    EXPECT_EQ(config.Find(8)->open_error, -42);
    EXPECT_EQ(config.Find(9), nullptr);
}

TEST(SimConfig, AxesDefaultToTheHighestAxisSection) {
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseConfig("[controller.1]\n[controller.1.axis.6]\n[controller.2]\n", "f", &config, &error));
    EXPECT_EQ(config.Find(1)->axes.size(), 6u);
    EXPECT_EQ(config.Find(2)->axes.size(), 4u);
    EXPECT_EQ(config.Find(2)->type, 6);
}

TEST(SimConfig, BadLinesNameFileLineAndReason) {
    struct Case { const char* text; const char* error; } cases[] = {
        {"[controller.0]\ninertia = 1\n", "f.ini line 2: unknown controller key 'inertia'"},
        {"[controller.0]\n[controller.0.axis.1]\ninertia = heavy\n",
         "f.ini line 3: value of inertia is not a finite number"},
        {"[controller.0]\n[controller.0.axis.1]\ninertia = 0\n", "f.ini line 3: inertia must be positive"},
        {"[controller.0]\n[controller.0.axis.1]\nhigh = nan\n", "f.ini line 3: value of high is not a finite number"},
        {"[controller.0]\n[controller.0.axis.1]\nhigh = 0\n", "f.ini line 3: high period must be"},
        {"[controller.0]\n[controller.0.axis.1]\ncoulomb = -1\n", "f.ini line 3: coulomb must not be negative"},
        {"[controller.0]\n[controller.0.axis.1]\ntorque_constant = 1e308\n",
         "f.ini line 3: torque_constant is too large (at most 1e12)"},
        {"[controller.0]\n[controller.0.axis.1]\naux_ratio = -2e12\n", "f.ini line 3: aux_ratio is too large (at most 1e12)"},
        {"[controller.0]\n[controller.0.axis.1]\ninertia = 1e-300\n", "f.ini line 3: inertia must be at least 1e-12"},
        {"[controller.0]\n[controller.0.axis.1]\nupdate_rate = 3\n", "f.ini line 3: update_rate must be 1, 2 or 4"},
        {"[controller.0]\n[controller.0.axis.1]\nbuffer = 12x\n", "f.ini line 3: value of buffer is not an integer"},
        {"[controller.0]\naxes = 17\n", "f.ini line 2: axes must be 0 to 16"},
        {"[controller.0]\naxes = 99999999999\n", "f.ini line 2: value of axes is not an integer"},
        {"[controller.0]\nopen_error = 5\n", "f.ini line 2: open_error must be 0 or a code from -32 to -32768"},
        // A short error code holds no more, and -1 to -31 are the library's own codes.
        {"[controller.0]\nopen_error = -40000\n", "f.ini line 2: open_error must be 0 or a code from -32 to -32768"},
        {"[controller.0]\nopen_error = -65536\n", "f.ini line 2: open_error must be 0 or a code from -32 to -32768"},
        {"[controller.0]\nopen_error = -3\n", "f.ini line 2: open_error must be 0 or a code from -32 to -32768"},
        {"[controller.0]\nopen_error = -31\n", "f.ini line 2: open_error must be 0 or a code from -32 to -32768"},
        {"[controller.0]\naxes = 2\n\n[controller.0.axis.3]\n", "f.ini line 4: axis 3 is beyond axes = 2"},
        {"[controller.0.axis.17]\n", "f.ini line 1: unknown section [controller.0.axis.17]"},
        {"[motor]\n", "f.ini line 1: unknown section [motor]"},
        {"[controller.0\n", "f.ini line 1: section header lacks ']'"},
        {"type = 6\n", "f.ini line 1: key outside a section"},
        {"[controller.0]\njust words\n", "f.ini line 2: expected key = value"},
        {"; nothing\n", "f.ini line 0: no [controller.N] section"},
        // More servo ticks per second than the simulator can keep up with on a slow machine.
        {"[controller.0]\naxes = 1\n[controller.0.axis.1]\nhigh = 1e-06\n",
         "f.ini line 1: controller 0 needs 1000000 servo ticks per second at its axes' fastest rates; "
         "the simulator keeps up with real time only up to 256000"},
        {"[controller.0]\n[controller.2]\naxes = 16\n[controller.2.axis.16]\nlow = 1e-6\n",
         "f.ini line 2: controller 2 needs 1030000 servo ticks per second"},
        // More memory than a 32-bit process can be sure to give.
        {"[controller.0]\naxes = 1\n[controller.0.axis.1]\nbuffer = 1000000\n"
         "[controller.1]\naxes = 2\n[controller.1.axis.1]\nbuffer = 1000000\n[controller.1.axis.2]\nbuffer = 1000000\n",
         "f.ini line 9: the capture buffers and loop histories of all controllers need more than 64 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SimConfig config = zqsim::BenchConfig();
        std::string error;
        EXPECT_FALSE(ParseConfig(c.text, "f.ini", &config, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_EQ(config.controllers.size(), zqsim::BenchConfig().controllers.size());  // left as it was
    }
}

TEST(SimConfig, CompliantLoadKeys) {
    const char* ini =
        "[controller.0]\naxes = 2\n"
        "[controller.0.axis.1]\nload_inertia = 0.75\ncoupling_stiffness = 26650\ncoupling_damping = 2.8\n"
        "load_viscous = 3\nencoder_on_load = 1\n";
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseConfig(ini, "f.ini", &config, &error)) << error;
    const auto& a = config.Find(0)->axes[0];
    EXPECT_EQ(a.load_inertia, 0.75);
    EXPECT_EQ(a.coupling_stiffness, 26650);
    EXPECT_EQ(a.coupling_damping, 2.8);
    EXPECT_EQ(a.load_viscous, 3);
    EXPECT_EQ(a.encoder_on_load, 1);
    // Without the keys the load is rigid, as before.
    const auto& b = config.Find(0)->axes[1];
    EXPECT_EQ(b.load_inertia, 0);
    EXPECT_EQ(b.encoder_on_load, 0);

    struct Case { const char* text; const char* error; } cases[] = {
        {"[controller.0]\n[controller.0.axis.1]\nload_inertia = -1\n", "f.ini line 3: load_inertia must not be negative"},
        {"[controller.0]\n[controller.0.axis.1]\ncoupling_damping = -1\n",
         "f.ini line 3: coupling_damping must not be negative"},
        {"[controller.0]\n[controller.0.axis.1]\nencoder_on_load = 2\n", "f.ini line 3: encoder_on_load must be 0 or 1"},
        // Checked once the section is complete, whatever the order of its keys.
        {"[controller.0]\n\n[controller.0.axis.2]\nload_inertia = 1\n",
         "f.ini line 3: coupling_stiffness must be positive when load_inertia is set"},
        {"[controller.0]\n[controller.0.axis.1]\ncoupling_stiffness = 1e12\nload_inertia = 1\n",
         "f.ini line 2: the coupling's resonance or damping is faster than 5 times the servo rate"},
        {"[controller.0]\ntype = 8\naxes = 16\n[controller.0.axis.1]\nload_inertia = 1\ncoupling_stiffness = 1e8\n",
         "f.ini line 4: the coupling's resonance or damping is faster than 5 times the servo rate"},
        {"[controller.0]\n[controller.0.axis.1]\nload_inertia = 1\ncoupling_stiffness = 1000\ncoupling_damping = 1e9\n",
         "f.ini line 2: the coupling's resonance or damping is faster than 5 times the servo rate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_FALSE(ParseConfig(c.text, "f.ini", &config, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
    // The same stiffness is fine on a fast loop.
    EXPECT_TRUE(ParseConfig("[controller.0]\n[controller.0.axis.1]\nload_inertia = 1\ncoupling_stiffness = 1e8\n",
                            "f.ini", &config, &error))
        << error;
}

TEST(SimConfig, DamagedFilesAreReportedNeverCrash) {
    const std::string good =
        "[controller.0]\ntype = 6\naxes = 2\n[controller.0.axis.2]\ncapture = 0x380\ninertia = 0.5\nhigh = 0.0005\n";
    const std::string alphabet = "[]=.;#x0123456789 \n\t-+eE\r\x01\xff";
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        for (int edits = 1 + next() % 4; edits > 0; --edits) {
            size_t at = next() % (text.size() + 1);
            switch (next() % 3) {
            case 0: text.insert(at, 1, alphabet[next() % alphabet.size()]); break;
            case 1: if (at < text.size()) text.erase(at, 1); break;
            default: if (at < text.size()) text[at] = alphabet[next() % alphabet.size()]; break;
            }
        }
        SimConfig config;
        std::string error;
        if (ParseConfig(text, "f.ini", &config, &error)) {
            for (const auto& c : config.controllers) ASSERT_LE(c.axes.size(), 16u);
        } else {
            ASSERT_EQ(error.rfind("f.ini line ", 0), 0u) << error;
        }
    }
}

TEST(SimConfig, FastAndLargeBenchesWithinTheLimitsAreAccepted) {
    std::string ini = "[controller.0]\naxes = 16\n";
    for (int a = 1; a <= 16; ++a)  // sixteen axes at 16 kHz
        ini += "[controller.0.axis." + std::to_string(a) + "]\nhigh = 0.0000625\nmedium = 0.000125\n";
    ini += "[controller.1]\ntype = 8\naxes = 16\n[controller.1.axis.1]\nhigh = 1e-06\n";  // runs at 16 ms
    ini += "[controller.2]\naxes = 1\n[controller.2.axis.1]\nbuffer = 1000000\n";
    SimConfig config;
    std::string error;
    EXPECT_TRUE(ParseConfig(ini, "f.ini", &config, &error)) << error;
}
