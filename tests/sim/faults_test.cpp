// Fault injection of the simulated controller: the ZQSIM_FAULTS parser and the
// plan's decisions as plain functions, then zqapi32.dll failing, vanishing,
// coming back and running slow as the program meets it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "api_dll.h"
#include "controller/zq_library.h"
#include "journal.h"
#include "sim_errors.h"
#include "sim_faults.h"
#include "tests/harness/wall_clock.h"

namespace {

bool KnownName(const std::string& name) {
    static const std::set<std::string> names = {"ZqOpen", "ZqGetStatus", "ZqGetGain", "ZqSetGain"};
    return names.count(name) > 0;
}

zqsim::FaultPlan Parse(const std::string& text, std::string* error) {
    zqsim::FaultPlan plan;
    plan.seed = 12345;  // not the default, so a failed parse is seen not to touch it
    if (!zqsim::ParseFaults(text, KnownName, &plan, error)) plan.seed = 0;
    return plan;
}

}  // namespace

TEST(FaultParser, ReadsEveryKindOfItem) {
    std::string error;
    zqsim::FaultPlan none = Parse("", &error);
    EXPECT_TRUE(none.Empty());
    EXPECT_EQ(none.seed, 1u);

    zqsim::FaultPlan p = Parse(
        " seed = 18446744073709551615 ; fail=ZqGetStatus:0.25;fail = * : 1e-2;;slow=ZqGetGain:250; "
        "slow=*:0;vanish_after=1.5;reappear_after=4;",
        &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(p.seed, 18446744073709551615ull);
    EXPECT_EQ(p.FailProbability("ZqGetStatus", true), 0.25);
    EXPECT_EQ(p.FailProbability("ZqGetGain", true), 0.01);
    // "*" covers the calls on a handle only; a named item covers its call either way.
    EXPECT_EQ(p.FailProbability("ZqOpen", false), 0);
    EXPECT_EQ(p.FailProbability("ZqGetStatus", false), 0.25);
    EXPECT_EQ(p.SlowMs("ZqGetGain", true), 250);
    EXPECT_EQ(p.SlowMs("ZqSetGain", true), 0);
    EXPECT_EQ(p.vanish_after, 1.5);
    EXPECT_EQ(p.reappear_after, 4);

    // A named item overrides "*", also to spare a call.
    zqsim::FaultPlan spare = Parse("fail=*:1;fail=ZqGetStatus:0", &error);
    EXPECT_EQ(spare.FailProbability("ZqGetStatus", true), 0);
    EXPECT_EQ(spare.FailProbability("ZqSetGain", true), 1);
}

TEST(FaultParser, ReportsABadItemByNumberTextAndReason) {
    struct Case { const char* text; const char* error; } cases[] = {
        {"nothing", "ZQSIM_FAULTS item 1 'nothing': expected name=value"},
        {"seed=1;;bogus=3", "ZQSIM_FAULTS item 3 'bogus=3': unknown item 'bogus'"},
        {"seed=-1", "item 1 'seed=-1': seed must be a whole number"},
        {"seed=1e3", "seed must be a whole number"},
        {"seed=18446744073709551616", "seed must be a whole number"},
        {"seed=1;seed=2", "item 2 'seed=2': seed is given twice"},
        {"fail=ZqNoSuchCall:1", "'ZqNoSuchCall' is not a call that can fail or be slowed"},
        {"fail=zqgetstatus:1", "'zqgetstatus' is not a call"},
        {"fail=ZqGetStatus", "fail needs NAME:P"},
        {"fail=:0.5", "fail needs a call name or *"},
        {"fail=ZqGetStatus:1.5", "the probability of ZqGetStatus must be 0 to 1"},
        {"fail=ZqGetStatus:-0.1", "must be 0 to 1"},
        {"fail=ZqGetStatus:nan", "must be 0 to 1"},
        {"fail=ZqGetStatus:", "must be 0 to 1"},
        {"fail=ZqGetStatus:0.5x", "must be 0 to 1"},
        {"fail=*:0.1;fail=*:0.2", "item 2 'fail=*:0.2': fail=* is given twice"},
        {"slow=ZqGetGain:-5", "the delay of ZqGetGain must be 0 to 60000 milliseconds"},
        {"slow=ZqGetGain:60001", "must be 0 to 60000"},
        {"slow=ZqGetGain:1.5", "must be 0 to 60000"},
        {"slow=ZqGetGain", "slow needs NAME:MS"},
        {"vanish_after=-1", "vanish_after must be a number of seconds"},
        {"vanish_after=inf", "vanish_after must be a number of seconds"},
        {"vanish_after=", "vanish_after must be a number of seconds"},
        {"vanish_after=1;vanish_after=2", "vanish_after is given twice"},
        {"reappear_after=2", "item 1 'reappear_after=2': reappear_after needs vanish_after"},
        {"reappear_after=2;vanish_after=3", "item 2 'vanish_after=3': reappear_after must be later than vanish_after"},
        {"vanish_after=2;reappear_after=2", "reappear_after must be later"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        zqsim::FaultPlan plan = Parse(c.text, &error);
        EXPECT_EQ(plan.seed, 0u) << "accepted";
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(FaultPlan, OutageLastsFromVanishToReappear) {
    zqsim::FaultPlan forever, back;
    forever.vanish_after = 2;
    back.vanish_after = 2;
    back.reappear_after = 5;
    struct Case { double t; bool forever, back; } cases[] = {
        {0, false, false}, {1.999, false, false}, {2, true, true}, {4.999, true, true}, {5, true, false}, {1e9, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(forever.Vanished(c.t), c.forever);
        EXPECT_EQ(back.Vanished(c.t), c.back);
        EXPECT_FALSE(zqsim::FaultPlan().Vanished(c.t));
    }
}

TEST(FaultPlan, ChanceDependsOnSeedNameAndCountOnly) {
    for (uint64_t n = 0; n < 1000; ++n) {
        EXPECT_FALSE(zqsim::ChanceFails(1, "ZqGetStatus", n, 0));
        EXPECT_TRUE(zqsim::ChanceFails(1, "ZqGetStatus", n, 1));
    }
    const int kCalls = 20000;
    for (double p : {0.02, 0.3, 0.9}) {
        int fails = 0;
        for (uint64_t n = 0; n < kCalls; ++n) fails += zqsim::ChanceFails(7, "ZqGetGain", n, p);
        // A fixed sequence, so this is not a chance of flaking: the rate lies near p.
        EXPECT_NEAR(static_cast<double>(fails) / kCalls, p, 0.02) << p;
    }
    auto pattern = [](uint64_t seed, const char* name) {
        std::string s;
        for (uint64_t n = 0; n < 64; ++n) s += zqsim::ChanceFails(seed, name, n, 0.5) ? 'x' : '.';
        return s;
    };
    EXPECT_EQ(pattern(3, "ZqGetStatus"), pattern(3, "ZqGetStatus"));
    EXPECT_NE(pattern(3, "ZqGetStatus"), pattern(4, "ZqGetStatus"));
    EXPECT_NE(pattern(3, "ZqGetStatus"), pattern(3, "ZqGetGain"));

    // The dice count each name apart: other calls in between change nothing.
    zqsim::FaultDice alone(3), mixed(3);
    std::string a, b;
    for (int n = 0; n < 64; ++n) {
        a += alone.Roll("ZqGetStatus", 0.5) ? 'x' : '.';
        mixed.Roll("ZqGetGain", 0.5);
        b += mixed.Roll("ZqGetStatus", 0.5) ? 'x' : '.';
    }
    EXPECT_EQ(a, pattern(3, "ZqGetStatus"));
    EXPECT_EQ(b, a);
}

// ---- through the library ----------------------------------------------------

namespace {

using simtest::ApiProc;
using simtest::AxisSnapshot;
using simtest::ErrorText;

// Every test opens controller 0 with its own ZQSIM_FAULTS while no handle is
// open, so the plan is read afresh, and closes all it opened.
class Faults : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(LoadApiLibrary(), 0); }
    void SetUp() override { SetEnvironmentVariableA("ZQSIM_CONFIG", nullptr); }
    void TearDown() override {
        for (short h : opened_) ZqClose(h);
        SetEnvironmentVariableA("ZQSIM_FAULTS", nullptr);
    }
    short Open(const char* faults, int id = 0) {
        SetEnvironmentVariableA("ZQSIM_FAULTS", faults);
        short h = ZqOpen(id, 2, "");
        if (h > 0) opened_.push_back(h);
        return h;
    }
    void CloseAll() {
        for (short h : opened_) EXPECT_EQ(ZqClose(h), 0);
        opened_.clear();
    }
    // Calls f until it returns a code other than the current one (at most limit seconds).
    static int WaitForChange(const std::function<int()>& f, int from, double limit) {
        double start = WallSeconds();
        int r = f();
        while (r == from && WallSeconds() - start < limit) {
            Sleep(20);
            r = f();
        }
        return r;
    }
    std::vector<short> opened_;
};

}  // namespace

TEST_F(Faults, ANamedCallFailsWithTheNewCodeAndOthersAnswer) {
    short h = Open("fail=ZqGetGain:1");
    ASSERT_GT(h, 0);
    double gain = -123;
    EXPECT_EQ(ZqGetGain(h, 1, &gain), -17);
    EXPECT_EQ(gain, -123);
    EXPECT_EQ(ErrorText(-17), "The controller does not respond (simulated fault)");
    double position = -1;
    EXPECT_EQ(ZqGetPositionEx(h, 1, &position), 0);
    EXPECT_EQ(position, 0);
    EXPECT_GE(ZqGetStatus(h, 1), 0);
    FilterConfig filter{};
    EXPECT_EQ(ZqGetFilterConfig(h, 1, &filter), 0);
}

TEST_F(Faults, StarFailsEveryCallOnAHandleButNotTheOpenOrTheTexts) {
    // ZqClose spared by name, so the test can close what it opened.
    short h = Open("fail=*:1;fail=ZqClose:0");
    ASSERT_GT(h, 0);
    double value = -5;
    MotionConfig motion{};
    motion.Velocity = -5;
    ControllerConfig config{};
    config.Size = kControllerConfigSize;
    struct Case { const char* what; int code; } cases[] = {
        {"ZqGetStatus", ZqGetStatus(h, 1)},
        {"ZqGetPositionEx", ZqGetPositionEx(h, 1, &value)},
        {"ZqGetMotionConfig", ZqGetMotionConfig(h, 1, &motion)},
        {"ZqGetConfigurationEx", ZqGetConfigurationEx(h, &config)},
        {"ZqReset", ZqReset(h, 0)},
        {"ZqBlockBegin", ZqBlockBegin(h, 0, 0)},
        {"ZqWaitForStop", ZqWaitForStop(h, 1, 0)},
        {"ZqGetCaptureData", ZqGetCaptureData(h, 1, 16, 0, 1, &value)},
        {"on a closed handle too", ZqGetStatus(999, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.code, -17);
    }
    EXPECT_EQ(value, -5);
    EXPECT_EQ(motion.Velocity, -5);
    EXPECT_EQ(config.NumberAxes, 0);
    // Calls without a handle are outside "*": not supported stays not supported.
    EXPECT_EQ(ApiProc<int __stdcall(void)>("ZqGoHome")(), -1);
    short second = ZqOpen(1, 2, "");
    EXPECT_GT(second, 0);
    if (second > 0) opened_.push_back(second);
}

TEST_F(Faults, ProbabilityZeroNeverFailsAndLeavesTheJournalAsItWas) {
    Journal journal("sim_faults_zero");
    short h = Open("fail=*:0;fail=ZqOpen:0;slow=*:0");
    ASSERT_GT(h, 0);
    double value = 0;
    for (int i = 0; i < 200; ++i) {
        ASSERT_GE(ZqGetStatus(h, 1), 0);
        ASSERT_EQ(ZqGetPositionEx(h, 1, &value), 0);
    }
    for (const std::string& line : journal.Lines()) EXPECT_EQ(line.back(), ')') << line;
}

TEST_F(Faults, ASeedRepeatsItsFaultsWhateverElseIsCalled) {
    auto run = [&](const char* faults, bool interleave) {
        short h = Open(faults);
        EXPECT_GT(h, 0);
        std::string pattern;
        double value = 0;
        for (int i = 0; i < 64; ++i) {
            if (interleave && i % 3 == 0) ZqGetGain(h, 1, &value);
            int r = ZqGetStatus(h, 1);
            EXPECT_TRUE(r >= 0 || r == -17) << r;
            pattern += r == -17 ? 'x' : '.';
        }
        CloseAll();
        return pattern;
    };
    std::string first = run("seed=5;fail=ZqGetStatus:0.5;fail=ZqGetGain:0.5", false);
    EXPECT_NE(first.find('x'), std::string::npos);
    EXPECT_NE(first.find('.'), std::string::npos);
    EXPECT_EQ(run("seed=5;fail=ZqGetStatus:0.5;fail=ZqGetGain:0.5", true), first);
    EXPECT_EQ(run("fail=ZqGetStatus:0.5;seed=5", false), first);
    EXPECT_NE(run("seed=6;fail=ZqGetStatus:0.5", false), first);
}

TEST_F(Faults, AFailingCallChangesNothing) {
    short h = Open("");
    ASSERT_GT(h, 0);
    ASSERT_EQ(ZqReset(h, 0), 0);
    ASSERT_EQ(ZqEnableAxis(h, 2, 1), 0);
    auto snapshot = [&] { return AxisSnapshot(h, 2); };
    std::string before = snapshot();
    CloseAll();

    // The same controller, every call failing (closing spared).
    short f = Open("fail=*:1;fail=ZqClose:0");
    ASSERT_GT(f, 0);
    MotionConfig motion{};
    motion.Velocity = 77;
    motion.UpdateRate = 2;
    FilterConfig filter{};
    filter.IntegralGain = 3;
    AxisScale scale{};
    scale.Scale = 9;
    EXPECT_EQ(ZqSetGain(f, 2, 7.5), -17);
    EXPECT_EQ(ZqSetPosition(f, 2, 100), -17);
    EXPECT_EQ(ZqMoveRelative(f, 2, 50), -17);
    EXPECT_EQ(ZqEnableAxis(f, 2, 0), -17);
    EXPECT_EQ(ZqSetMotionConfig(f, 2, &motion), -17);
    EXPECT_EQ(ZqSetFilterConfig(f, 2, &filter), -17);
    EXPECT_EQ(ZqSetScale(f, 2, &scale), -17);
    EXPECT_EQ(ZqSetOperatingMode(f, 2, 0, 1), -17);
    EXPECT_EQ(ZqBlockBegin(f, 0, 0), -17);
    EXPECT_EQ(ZqReset(f, 0), -17);
    CloseAll();

    short again = Open("");
    ASSERT_GT(again, 0);
    h = again;
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(ZqBlockEnd(h, nullptr), -9);  // no block was begun
}

TEST_F(Faults, AnOpenCanFailAndMakesNoHandle) {
    Journal journal("sim_faults_open");
    EXPECT_EQ(Open("fail=ZqOpen:1"), -17);
    EXPECT_EQ(ErrorText(-17), "The controller does not respond (simulated fault)");
    // No handle was made: the next open with no faults reads the plan afresh.
    EXPECT_GT(Open(""), 0);
    std::vector<std::string> expected = {"ZqOpen(0, 2, \"\") [fail -17]", "ZqOpen(0, 2, \"\")"};
    EXPECT_EQ(Journal::Filter(journal.Lines(), {"ZqOpen"}), expected);
}

TEST_F(Faults, ABadItemIsReportedAtTheOpenLikeABadConfigurationLine) {
    struct Case { const char* faults; const char* text; } cases[] = {
        {"seed=1;fail=ZqNoSuchCall:1", "ZQSIM_FAULTS item 2 'fail=ZqNoSuchCall:1': 'ZqNoSuchCall' is not a call"},
        {"fail=ZqTranslateErrorEx:1", "'ZqTranslateErrorEx' is not a call"},
        {"slow=ZqGetGain:fast", "the delay of ZqGetGain"},
        {"vanish=3", "unknown item 'vanish'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        EXPECT_EQ(Open(c.faults), -11);
        std::string text = ErrorText(-11);
        EXPECT_EQ(text.find("Simulated controller configuration error: "), 0u) << text;
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
    EXPECT_GT(Open("slow=ZqGetGain:1"), 0);
}

TEST_F(Faults, AControllerVanishesAndComesBackOnTheWallClock) {
    Journal journal("sim_faults_vanish");
    const double kVanish = 0.5, kReappear = 2.0;
    double before_open = WallSeconds();
    short h = Open("vanish_after=0.5;reappear_after=2");
    double after_open = WallSeconds();
    ASSERT_GT(h, 0);
    // Each answer must agree with the time it was given at, however slow the machine.
    auto status = [&](short handle, double* start, double* end) {
        *start = WallSeconds();
        int r = ZqGetStatus(handle, 1);
        *end = WallSeconds();
        return r;
    };
    double start, end;
    int r = status(h, &start, &end);
    if (end - before_open < kVanish) {
        EXPECT_GE(r, 0);
    }

    r = WaitForChange([&] { return status(h, &start, &end) == -17 ? -17 : 0; }, 0, 60);
    ASSERT_EQ(r, -17) << "the controller never vanished";
    EXPECT_GE(end - before_open, kVanish);
    double position = -1;
    int read = ZqGetPositionEx(h, 1, &position);
    if (WallSeconds() - after_open < kReappear) {
        EXPECT_EQ(read, -17);
        EXPECT_EQ(position, -1);
    }
    // Opening needs no answer, and the outage belongs to the controller: a
    // second handle on it fails as well, while another controller answers.
    short h2 = ZqOpen(0, 2, "");
    ASSERT_GT(h2, 0);
    opened_.push_back(h2);
    r = status(h2, &start, &end);
    if (end - after_open < kReappear) {
        EXPECT_EQ(r, -17);
    }
    short other = ZqOpen(1, 2, "");
    ASSERT_GT(other, 0);
    opened_.push_back(other);
    double other_open = WallSeconds();
    r = status(other, &start, &end);
    if (end - other_open < kVanish) {
        EXPECT_GE(r, 0);
    }

    r = WaitForChange([&] { return status(h, &start, &end) == -17 ? -17 : 0; }, -17, 60);
    ASSERT_GE(r, 0) << "the controller never came back";
    EXPECT_GE(end - before_open, kReappear);
    EXPECT_EQ(ZqGetPositionEx(h, 1, &position), 0);
    EXPECT_EQ(position, 0);

    auto lines = Journal::Filter(journal.Lines(), {"ZqGetStatus"});
    std::string vanished = "ZqGetStatus(" + std::to_string(h) + ", 1) [vanished -17]";
    EXPECT_NE(std::find(lines.begin(), lines.end(), vanished), lines.end());
}

TEST_F(Faults, WithoutReappearTheOutageLastsAndClosingStillWorks) {
    short h = Open("vanish_after=0.2");
    ASSERT_GT(h, 0);
    ASSERT_EQ(WaitForChange([&] { return ZqGetStatus(h, 1) == -17 ? -17 : 0; }, 0, 60), -17);
    Sleep(1000);
    EXPECT_EQ(ZqGetStatus(h, 1), -17);
    EXPECT_EQ(ZqWaitForStop(h, 1, 0), -17);
    EXPECT_EQ(ZqSetGain(h, 1, 1), -17);
    // Releasing a handle needs no answer from the controller.
    CloseAll();
    EXPECT_EQ(ZqGetStatus(h, 1), -3);
}

TEST_F(Faults, ASlowCallTakesItsExtraTimeAndStillAnswers) {
    Journal journal("sim_faults_slow");
    short h = Open("slow=ZqGetGain:300;fail=ZqGetStatus:1;slow=ZqGetStatus:1");
    ASSERT_GT(h, 0);
    double gain = 0;
    double start = WallSeconds();
    EXPECT_EQ(ZqGetGain(h, 1, &gain), 0);
    EXPECT_GE(WallSeconds() - start, 0.3);
    EXPECT_GT(gain, 0);
    double position = -1;
    EXPECT_EQ(ZqGetPositionEx(h, 1, &position), 0);
    EXPECT_EQ(ZqGetStatus(h, 1), -17);
    std::string n = std::to_string(h);
    std::vector<std::string> expected = {
        "ZqOpen(0, 2, \"\")",
        "ZqGetGain(" + n + ", 1, &) [slow 300 ms]",
        "ZqGetPositionEx(" + n + ", 1, &)",
        "ZqGetStatus(" + n + ", 1) [slow 1 ms] [fail -17]",
    };
    EXPECT_EQ(journal.Lines(), expected);
}
