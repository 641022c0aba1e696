// Step test run on the real main window against the simulated controller:
// the controller calls in order (from the call journal), the record-time
// warning, the capture fetch and its bad inputs.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "journal.h"
#include "panel_ids.h"
#include "plot/plot_display.h"
#include "responder.h"
#include "screenshot.h"
#include "sim_config_file.h"
#include "steptest/step_run.h"

namespace {

// The journal shows argument pointers as "&"; these two spies note the 32-bit
// value behind the pointer of qlxcmdex and ZqSetRegister, so the expected
// sequences below can show it.
std::vector<std::string> g_values;
qlxcmdex_t* g_qlxcmdex = nullptr;
ZqSetRegister_t* g_setRegister = nullptr;

int ZQAPI SpyQlxcmdex(short h, unsigned short axis, int opcode, void* argument, int type) {
    char line[96];
    std::snprintf(line, sizeof line, "qlxcmdex(%d, %u, %d, %d, %d)", h, axis, opcode,
                  argument ? *static_cast<int*>(argument) : -999, type);
    g_values.push_back(line);
    return g_qlxcmdex(h, axis, opcode, argument, type);
}

int ZQAPI SpySetRegister(short h, int reg, void* value, int type) {
    char line[96];
    std::snprintf(line, sizeof line, "ZqSetRegister(%d, %d, %d, %d)", h, reg, value ? *static_cast<int*>(value) : -999,
                  type);
    g_values.push_back(line);
    return g_setRegister(h, reg, value, type);
}

// The cursor shown when the command block is sent, just before the wait.
HCURSOR g_cursorAtBlockEnd = nullptr;
ZqBlockEnd_t* g_blockEnd = nullptr;

int ZQAPI SpyBlockEnd(short h, int* task) {
    g_cursorAtBlockEnd = GetCursor();
    return g_blockEnd(h, task);
}

// When set, the axis configuration reads as if no rate had a servo period.
bool g_noPeriods = false;
ZqGetAxisConfiguration_t* g_getAxisConfiguration = nullptr;

int ZQAPI SpyGetAxisConfiguration(short h, unsigned short axis, AxisConfig* config) {
    int result = g_getAxisConfiguration(h, axis, config);
    if (g_noPeriods && config) config->HighRatePeriod = config->MediumRatePeriod = config->LowRatePeriod = 0.0;
    return result;
}

class SpyValues {
public:
    SpyValues() {
        g_values.clear();
        g_noPeriods = false;
        g_qlxcmdex = qlxcmdex;
        g_setRegister = ZqSetRegister;
        g_blockEnd = ZqBlockEnd;
        g_getAxisConfiguration = ZqGetAxisConfiguration;
        qlxcmdex = SpyQlxcmdex;
        ZqSetRegister = SpySetRegister;
        ZqBlockEnd = SpyBlockEnd;
        ZqGetAxisConfiguration = SpyGetAxisConfiguration;
    }
    ~SpyValues() {
        qlxcmdex = g_qlxcmdex;
        ZqSetRegister = g_setRegister;
        ZqBlockEnd = g_blockEnd;
        ZqGetAxisConfiguration = g_getAxisConfiguration;
        g_noPeriods = false;
    }
};

// Journal lines with the spied values in place of "&": each qlxcmdex and
// ZqSetRegister line must match its spy line apart from the value.
std::vector<std::string> WithValues(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    size_t next = 0;
    for (const std::string& line : lines) {
        bool spied = line.rfind("qlxcmdex(", 0) == 0 || line.rfind("ZqSetRegister(", 0) == 0;
        if (!spied) {
            out.push_back(line);
            continue;
        }
        std::string value = next < g_values.size() ? g_values[next++] : "(no spy line)";
        // Replace the pointer argument (the 4th of qlxcmdex, the 3rd of ZqSetRegister) to compare.
        size_t close = value.rfind(',');
        size_t open = close == std::string::npos || close == 0 ? std::string::npos : value.rfind(',', close - 1);
        std::string masked = open == std::string::npos ? value : value.substr(0, open + 2) + "&" + value.substr(close);
        out.push_back(masked == line ? value : line + " <> " + value);
    }
    return out;
}

const std::vector<std::string> kTestCalls = {
    "ZqSetOperatingMode", "ZqEnableGearing", "ZqSetRegister", "ZqGetTargetEx", "ZqGetOptimalEx", "ZqGetAuxEncPosEx",
    "ZqCaptureData",      "ZqBlockBegin",    "qlxcmdex",      "ZqMoveRelative", "ZqWaitForStop", "ZqBlockEnd"};

using Lines = std::vector<std::string>;

// Expected lines are written with H for the controller handle, which the
// simulated library numbers anew at each open.
Lines WithHandle(const Lines& lines, short handle) {
    Lines out;
    for (std::string line : lines) {
        size_t at = line.find("(H");
        if (at != std::string::npos) line.replace(at + 1, 1, std::to_string(handle));
        out.push_back(line);
    }
    return out;
}

class StepRunTest : public ::testing::Test {
protected:
    void SetUp() override { Start(""); }
    // (Re)starts the program with a command line.
    void Start(const char* commandLine) {
        spy.reset();
        if (app.Alive()) app.Close();
        ASSERT_NE(app.Start(commandLine), nullptr);
        spy = std::make_unique<SpyValues>();  // after start-up, which binds the library
        AppState& s = app.State();
        ASSERT_EQ(s.Axis, 1);
        // The simulated controllers keep their state for the whole process: start
        // each test from power-on, without a block still repeating from an earlier one.
        ZqReset(s.ControllerHandle, 0);
        s.Test.RecordTime = 0.01;  // 20 points at 0.5 ms: a short wait
        s.Test.Delay = 0.0;
        s.Test.Distance = 100.0;
        s.Test.Sampling = 1;
    }
    AppState& S() { return app.State(); }
    // The test's controller calls since the mark, with spied values.
    Lines Calls() { return WithValues(Journal::Filter(journal.Since(), kTestCalls)); }
    std::string Handled(const std::string& line) { return WithHandle({line}, S().ControllerHandle)[0]; }
    Lines CaptureReads() { return Journal::Filter(journal.Since(), {"ZqGetCaptureData"}); }

    IsolatedRegistry registry;
    Journal journal{"steprun"};
    LoopsmithApp app;
    std::unique_ptr<SpyValues> spy;
    Responder responder;
};

TEST_F(StepRunTest, CallSequences) {
    struct Case {
        const char* name;
        int plus;
        BYTE trajectory, cycle, repeat, gantry;
        Lines expected;
    };
    const Case cases[] = {
        {"plain", 1, 0, 0, 0, 0,
         {"ZqSetOperatingMode(H, 1, 0, 1)", "ZqGetTargetEx(H, 1, &)", "ZqGetOptimalEx(H, 1, &)",
          "ZqGetAuxEncPosEx(H, 1, &)", "ZqBlockBegin(H, 0, 0)", "ZqCaptureData(H, 1, 20, 0.0005, 0)",
          "ZqMoveRelative(H, 1, 100)", "ZqBlockEnd(H, null)"}},
        {"cycle, minus, trajectory generator on", 0, 1, 1, 0, 0,
         {"ZqSetOperatingMode(H, 1, 0, 2)", "ZqGetTargetEx(H, 1, &)", "ZqGetOptimalEx(H, 1, &)",
          "ZqGetAuxEncPosEx(H, 1, &)", "ZqBlockBegin(H, 0, 0)", "ZqCaptureData(H, 1, 20, 0.0005, 0)",
          "ZqMoveRelative(H, 1, -100)", "ZqWaitForStop(H, 1, 0.2)", "ZqMoveRelative(H, 1, 100)",
          "ZqBlockEnd(H, null)"}},
        {"repeat", 1, 0, 0, 1, 0,
         {"ZqSetOperatingMode(H, 1, 0, 1)", "ZqSetRegister(H, 0, 7, 2)", "ZqGetTargetEx(H, 1, &)",
          "ZqGetOptimalEx(H, 1, &)", "ZqGetAuxEncPosEx(H, 1, &)", "ZqBlockBegin(H, 0, 0)",
          "ZqCaptureData(H, 1, 20, 0.0005, 0)", "ZqMoveRelative(H, 1, 100)", "ZqWaitForStop(H, 1, 0.3)",
          "qlxcmdex(H, 0, 134, 1, 2)", "qlxcmdex(H, 0, 163, 0, 2)", "qlxcmdex(H, 0, 6, 3, 2)",
          "qlxcmdex(H, 0, 120, 0, 2)", "ZqBlockEnd(H, null)"}},
        {"gantry partner beyond the controller's axes", 1, 0, 0, 0, 2,
         {"ZqSetOperatingMode(H, 1, 0, 1)", "ZqGetTargetEx(H, 1, &)", "ZqGetOptimalEx(H, 1, &)",
          "ZqGetAuxEncPosEx(H, 1, &)", "ZqBlockBegin(H, 0, 0)", "ZqCaptureData(H, 1, 20, 0.0005, 0)",
          "ZqMoveRelative(H, 1, 100)", "ZqBlockEnd(H, null)"}},
        {"gantry", 1, 0, 0, 0, 1,
         {"ZqSetOperatingMode(H, 1, 0, 1)", "ZqSetOperatingMode(H, 2, 0, 1)", "ZqEnableGearing(H, 2, 1, 1, 1)",
          "ZqGetTargetEx(H, 1, &)", "ZqGetOptimalEx(H, 1, &)", "ZqGetAuxEncPosEx(H, 1, &)",
          "ZqGetTargetEx(H, 2, &)", "ZqGetOptimalEx(H, 2, &)", "ZqGetAuxEncPosEx(H, 2, &)",
          "ZqCaptureData(H, 1, 1, 0.0005, 0)", "ZqCaptureData(H, 2, 1, 0.0005, 0)", "ZqBlockBegin(H, 0, 0)",
          "qlxcmdex(H, 1, 212, 20, 2)", "qlxcmdex(H, 2, 212, 20, 2)", "ZqMoveRelative(H, 1, 100)",
          "ZqWaitForStop(H, 1, 0.025)", "ZqEnableGearing(H, 2, 1, 1, 0)", "ZqBlockEnd(H, null)"}},
        {"gantry, repeat, cycle", 1, 0, 1, 1, 1,
         {"ZqSetOperatingMode(H, 1, 0, 1)", "ZqSetOperatingMode(H, 2, 0, 1)", "ZqEnableGearing(H, 2, 1, 1, 1)",
          "ZqSetRegister(H, 0, 7, 2)", "ZqGetTargetEx(H, 1, &)", "ZqGetOptimalEx(H, 1, &)",
          "ZqGetAuxEncPosEx(H, 1, &)", "ZqGetTargetEx(H, 2, &)", "ZqGetOptimalEx(H, 2, &)",
          "ZqGetAuxEncPosEx(H, 2, &)", "ZqCaptureData(H, 1, 1, 0.0005, 0)", "ZqCaptureData(H, 2, 1, 0.0005, 0)",
          "ZqBlockBegin(H, 0, 0)", "qlxcmdex(H, 1, 212, 20, 2)", "qlxcmdex(H, 2, 212, 20, 2)",
          "ZqMoveRelative(H, 1, 100)", "ZqWaitForStop(H, 1, 0.2)", "ZqMoveRelative(H, 1, -100)",
          "ZqWaitForStop(H, 1, 0.3)", "qlxcmdex(H, 0, 134, 1, 2)", "qlxcmdex(H, 0, 163, 0, 2)",
          "qlxcmdex(H, 0, 6, 2, 2)", "qlxcmdex(H, 0, 120, 0, 2)", "ZqWaitForStop(H, 1, 0.025)",
          "ZqEnableGearing(H, 2, 1, 1, 0)", "ZqBlockEnd(H, null)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppState& s = S();
        s.Test.Trajectory = c.trajectory;
        s.Test.Cycle = c.cycle;
        s.Test.Repeat = c.repeat;
        s.Test.Count = 7;
        s.Test.Dwell = 0.2;
        s.Test.RDwell = 0.3;
        s.Gantry = c.gantry != 0;
        s.GantryMaster = 1;
        s.GantrySlave = c.gantry == 2 ? 9 : 2;  // the bench controller has 4 axes
        s.TestDone = 0;
        // A repeating block of the case before would still hold the command
        // queue, so that this case's capture had not run when it is read.
        ZqReset(s.ControllerHandle, 0);
        journal.Mark();
        g_values.clear();
        RunStepTest(app.Main(), c.plus);
        EXPECT_EQ(Calls(), WithHandle(c.expected, s.ControllerHandle));
        EXPECT_EQ(s.TestDone, 1);
        EXPECT_EQ(s.LastTest.SampleCount, 21);
        EXPECT_EQ(ChannelFor(s, Channel::Actual, 1)->Length(), 21u);
        EXPECT_EQ(ChannelFor(s, Channel::Actual, 2)->Length(), c.gantry == 1 ? 21u : 0u);
        // The wait cursor is up while the test waits, and gone afterwards.
        EXPECT_EQ(g_cursorAtBlockEnd, LoadCursor(nullptr, IDC_WAIT));
        EXPECT_NE(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
        ChannelFor(s, Channel::Actual, 2)->Clear();
        for (const DialogRecord& box : responder.Records()) ADD_FAILURE() << box.caption << ": " << box.text;
        responder.ClearRecords();
    }
}

// A record time the buffer cannot hold without a longer capture period is
// shortened, with the warning, and the test goes on with the shorter time.
TEST_F(StepRunTest, RecordTimeWarningShortensTheTest) {
    Start("-b 1");  // 1,024 points at 0.5 ms, no settable capture period; torque but no auxiliary capture
    AppState& s = S();
    ASSERT_EQ(s.AdvancedCapture, 0);
    ASSERT_EQ(s.AuxCapture, 0);
    s.Test.RecordTime = 2.0;
    journal.Mark();
    responder.Press(IDOK);
    RunStepTest(app.Main(), 1);
    ASSERT_EQ(responder.Records().size(), 1u);
    const DialogRecord& box = responder.Records()[0];
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.text,
              "The current record time of 2.000000 seconds is longer than this controller is capable of with the "
              "selected moduleupdate rate. Loopsmith will set the record time to 0.512000 seconds and proceed with "
              "the step response test.");
    EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(box.owner, app.Main());
    EXPECT_EQ(s.Test.RecordTime, 0.512);
    EXPECT_EQ(s.LastTest.SampleCount, 1025);
    EXPECT_EQ(Calls(), WithHandle({"ZqSetOperatingMode(H, 1, 0, 1)", "ZqGetTargetEx(H, 1, &)", "ZqGetOptimalEx(H, 1, &)",
                                   "ZqBlockBegin(H, 0, 0)", "ZqCaptureData(H, 1, 1024, 0.0005, 0)",
                                   "ZqMoveRelative(H, 1, 100)", "ZqBlockEnd(H, null)"},
                                  s.ControllerHandle));
    // Without auxiliary capture that channel stays empty and the error comes from Actual.
    EXPECT_EQ(ChannelFor(s, Channel::Torque, 0)->Length(), 1025u);
    EXPECT_TRUE(ChannelFor(s, Channel::Auxiliary, 0)->Empty());
    const SampleSequence& a = *ChannelFor(s, Channel::Actual, 0);
    const SampleSequence& o = *ChannelFor(s, Channel::Optimal, 0);
    const SampleSequence& e = *ChannelFor(s, Channel::Error, 0);
    for (size_t j : {size_t{0}, size_t{100}, size_t{1024}}) EXPECT_EQ(e.At(j), a.At(j) - o.At(j)) << j;
}

// No servo period for any rate: the test says so and moves nothing.
TEST_F(StepRunTest, UnknownServoPeriodIsReportedNotDividedBy) {
    AppState& s = S();
    s.TestDone = 0;
    g_noPeriods = true;
    journal.Mark();
    RunStepTest(app.Main(), 1);
    g_noPeriods = false;
    ASSERT_EQ(responder.Records().size(), 1u);
    const DialogRecord& box = responder.Records()[0];
    EXPECT_EQ(box.caption, "Loopsmith");
    EXPECT_EQ(box.text,
              "The servo period of axis 1 cannot be determined from its update rate, so no data capture can be "
              "set up. The step response test was not run.");
    EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(s.TestDone, 0);
    EXPECT_EQ(s.Test.SampleCount, 1);
    EXPECT_EQ(s.Test.SamplePeriod, 0.0);
}

// The stored channels as one ZqGetCaptureData call per point gives them: the
// independent reference for the block reads.
struct Stored {
    std::vector<double> actual, optimal, torque, auxiliary, error;
};

double OnePoint(short h, unsigned short axis, int type, int point) {
    double value = 0.0;
    if (ZqGetCaptureData(h, axis, type, point, 1, &value) < 0) return 0.0;
    return value;
}

Stored OnePointPerRead(const AppState& s, unsigned short axis, double st, double so, double sa, int plus) {
    Stored r;
    const double sign = plus ? 1.0 : -1.0;
    const short h = s.ControllerHandle;
    const int step = s.Test.Sampling < 1 ? 1 : s.Test.Sampling;
    for (int i = 0; i < s.Test.SampleCount; i += step) {
        double a = ((i == 0 ? st : OnePoint(h, axis, kCaptureActual, i - 1)) - st) * sign;
        double o = ((i == 0 ? so : OnePoint(h, axis, kCaptureOptimal, i - 1)) - st) * sign;
        r.actual.push_back(a);
        r.optimal.push_back(o);
        if (s.TorqueCapture) r.torque.push_back(OnePoint(h, axis, kCaptureTorque, i == 0 ? 0 : i - 1));
        double x = 0.0;
        if (s.AuxCapture) {
            x = ((i == 0 ? sa : OnePoint(h, axis, kCaptureAuxiliary, i - 1)) - sa) * sign * s.AuxiliaryScale;
            r.auxiliary.push_back(x);
        }
        r.error.push_back((s.AuxCapture && s.PlotAuxiliary ? x : a) - o);
    }
    return r;
}

std::vector<double> Values(const SampleSequence* q) { return std::vector<double>(q->Data(), q->Data() + q->Length()); }

Stored StoredOf(AppState& s, int axis) {
    return {Values(ChannelFor(s, Channel::Actual, axis)), Values(ChannelFor(s, Channel::Optimal, axis)),
            Values(ChannelFor(s, Channel::Torque, axis)), Values(ChannelFor(s, Channel::Auxiliary, axis)),
            Values(ChannelFor(s, Channel::Error, axis))};
}

void ExpectSame(const Stored& got, const Stored& want) {
    EXPECT_EQ(got.actual, want.actual);
    EXPECT_EQ(got.optimal, want.optimal);
    EXPECT_EQ(got.torque, want.torque);
    EXPECT_EQ(got.auxiliary, want.auxiliary);
    EXPECT_EQ(got.error, want.error);
}

// When set, a ZqGetCaptureData call of more than one point that covers this
// point fails, as a bus error would; single reads of other points succeed, and
// g_failSingle also fails the single read of that point.
int g_failPoint = -1;
bool g_failSingle = false;
ZqGetCaptureData_t* g_getCaptureData = nullptr;
int g_captureCalls = 0;

int ZQAPI FailingGetCaptureData(short h, unsigned short axis, int type, int first, int count, double* values) {
    ++g_captureCalls;
    bool covers = first <= g_failPoint && g_failPoint < first + count;
    if (covers && (count > 1 || g_failSingle)) return -8;
    return g_getCaptureData(h, axis, type, first, count, values);
}

// A real 1,001-sample capture read back for Sampling 1, 2 and 4, with and
// without torque and auxiliary capture: the block reads store exactly what one
// read per point stores, in one call per channel.
TEST_F(StepRunTest, BlockReadsStoreWhatSinglePointReadsStore) {
    AppState& s = S();
    s.Test.RecordTime = 0.5;
    s.PlotAuxiliary = 1;
    s.AuxiliaryScale = 0.5;
    ZqEnableAxis(s.ControllerHandle, 1, 1);
    RunStepTest(app.Main(), 1);
    ASSERT_EQ(s.Test.SampleCount, 1001);
    const struct { int sampling, torque, aux, plus; } cases[] = {
        {1, 1, 1, 1}, {2, 1, 1, 0}, {4, 1, 1, 1}, {1, 0, 0, 1}, {2, 0, 1, 1}, {4, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "sampling " << c.sampling << " torque " << c.torque << " aux " << c.aux);
        s.Test.Sampling = c.sampling;
        s.TorqueCapture = c.torque;
        s.AuxCapture = c.aux;
        journal.Mark();
        FetchCapture(app.Main(), 0, 1.5, 2.5, 3.5, c.plus);
        Lines reads = CaptureReads();
        ExpectSame(StoredOf(s, 1), OnePointPerRead(s, 1, 1.5, 2.5, 3.5, c.plus));
        EXPECT_EQ(ChannelFor(s, Channel::Actual, 0)->Length(), static_cast<size_t>((1001 + c.sampling - 1) / c.sampling));
        // One call per channel: the captured points from the first kept one to the last.
        const int first = c.sampling - 1, last = 1000 / c.sampling * c.sampling - 1;
        Lines expected = {Handled("ZqGetCaptureData(H, 1, 16, " + std::to_string(first) + ", " +
                                  std::to_string(last - first + 1) + ", &)"),
                          Handled("ZqGetCaptureData(H, 1, 64, " + std::to_string(first) + ", " +
                                  std::to_string(last - first + 1) + ", &)")};
        if (c.torque) expected.push_back(Handled("ZqGetCaptureData(H, 1, 128, 0, " + std::to_string(last + 1) + ", &)"));
        if (c.aux)
            expected.push_back(Handled("ZqGetCaptureData(H, 1, 512, " + std::to_string(first) + ", " +
                                       std::to_string(last - first + 1) + ", &)"));
        EXPECT_EQ(reads, expected);
    }
}

// A block whose read fails in the middle of the capture is read again point by
// point: the stored channels still equal the single-point reads. A point that
// cannot be read at all makes the fetch fail and keeps what was stored.
TEST_F(StepRunTest, FailedBlockIsReadAgainPointByPoint) {
    AppState& s = S();
    s.Test.RecordTime = 0.5;
    ZqEnableAxis(s.ControllerHandle, 1, 1);
    RunStepTest(app.Main(), 1);
    const Stored before = StoredOf(s, 1);
    g_getCaptureData = ZqGetCaptureData;
    ZqGetCaptureData = FailingGetCaptureData;
    for (bool single : {false, true}) {
        SCOPED_TRACE(single ? "the point itself fails" : "only the block fails");
        g_failPoint = 500;
        g_failSingle = single;
        g_captureCalls = 0;
        EXPECT_EQ(FetchCapture(app.Main(), 0, 0.0, 0.0, 0.0, 1), single ? 0 : 1);
        const int reads = g_captureCalls;
        if (single) ExpectSame(StoredOf(s, 1), before);
        else ExpectSame(StoredOf(s, 1), OnePointPerRead(s, 1, 0.0, 0.0, 0.0, 1));
        // Each channel: the failed block, then 1,000 single reads.
        EXPECT_EQ(reads, 4 * 1001 + 1);  // torque also reads point 0 twice
    }
    ZqGetCaptureData = g_getCaptureData;
    g_failPoint = -1;
}

// A capture larger than the read buffer is read in blocks of kCaptureBlockPoints.
TEST(StepRunBlocks, CaptureLargerThanTheReadBufferIsReadInBlocks) {
    // 0.1 ms servo period: 9,000 points in 0.9 s, more than one block.
    SimConfigFile config("[controller.0]\ntype = 6\nflags = 4\naxes = 1\n[controller.0.axis.1]\nbuffer = 20000\n"
                         "high = 0.0001\n");
    IsolatedRegistry registry;
    Journal journal("blocks");
    Responder responder;
    LoopsmithApp app;
    ASSERT_NE(app.Start(), nullptr);
    AppState& s = app.State();
    ZqReset(s.ControllerHandle, 0);
    ZqEnableAxis(s.ControllerHandle, 1, 1);
    s.Test.RecordTime = 0.9;
    s.Test.Delay = 0;
    s.Test.Sampling = 1;
    RunStepTest(app.Main(), 1);
    ASSERT_EQ(s.Test.SampleCount, 9001);
    journal.Mark();
    FetchCapture(app.Main(), 0, 0.0, 0.0, 0.0, 1);
    const Lines reads = Journal::Filter(journal.Since(), {"ZqGetCaptureData"});
    ExpectSame(StoredOf(s, 1), OnePointPerRead(s, 1, 0.0, 0.0, 0.0, 1));
    const short h = s.ControllerHandle;
    EXPECT_EQ(reads,
              WithHandle({"ZqGetCaptureData(H, 1, 16, 0, 8192, &)", "ZqGetCaptureData(H, 1, 16, 8192, 808, &)",
                          "ZqGetCaptureData(H, 1, 64, 0, 8192, &)", "ZqGetCaptureData(H, 1, 64, 8192, 808, &)",
                          "ZqGetCaptureData(H, 1, 128, 0, 8192, &)", "ZqGetCaptureData(H, 1, 128, 8192, 808, &)",
                          "ZqGetCaptureData(H, 1, 512, 0, 8192, &)", "ZqGetCaptureData(H, 1, 512, 8192, 808, &)"},
                         h));
    EXPECT_TRUE(responder.Records().empty());
}

// Bad inputs to the fetch: nothing is read past an end, nothing hangs. With no
// capture held every read fails, so only the fetches of no sample store anything;
// the others keep what the channels held.
TEST_F(StepRunTest, FetchBadInputs) {
    AppState& s = S();
    // reads: the read calls with no capture held (each block fails and is read point by point).
    const struct { const char* name; int sampleCount, sampling, torque, aux, result; size_t reads; } cases[] = {
        {"no samples", 0, 1, 1, 1, 1, 0},
        {"negative count", -5, 1, 1, 1, 1, 0},
        {"sampling 0 counts as 1", 3, 0, 1, 1, 0, 3 * (1 + 2) + (1 + 3)},
        {"sampling 3", 10, 3, 1, 1, 0, 3 * (1 + 3) + (1 + 4)},
        {"one sample: the start values and torque point 0", 1, 1, 1, 0, 0, 1},
        {"no torque, no auxiliary", 5, 1, 0, 0, 0, 2 * (1 + 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (Channel ch : {Channel::Actual, Channel::Torque, Channel::Auxiliary}) ChannelFor(s, ch, 0)->Append(42.0);
        const size_t held = ChannelFor(s, Channel::Actual, 0)->Length();
        s.Test.SampleCount = c.sampleCount;
        s.Test.Sampling = c.sampling;
        s.TorqueCapture = c.torque;
        s.AuxCapture = c.aux;
        journal.Mark();
        EXPECT_EQ(FetchCapture(app.Main(), 0, 0.0, 0.0, 0.0, 1), c.result);
        const size_t kept = c.result ? 0 : held;
        EXPECT_EQ(ChannelFor(s, Channel::Actual, 0)->Length(), kept);
        EXPECT_EQ(ChannelFor(s, Channel::Torque, 0)->Length(), kept);
        EXPECT_EQ(ChannelFor(s, Channel::Auxiliary, 0)->Length(), kept);
        EXPECT_EQ(CaptureReads().size(), c.reads);
    }
}

// Failed capture reads store nothing: the channels and LastTest stay as they
// were, so no curve holds a value the controller did not deliver. An axis with
// no slot in the store reads nothing.
TEST_F(StepRunTest, FailedReadsStoreNothing) {
    AppState& s = S();
    s.Test.SampleCount = 3;
    s.Test.Sampling = 1;
    s.PlotAuxiliary = 0;
    s.LastTest.SampleCount = 77;
    for (Channel ch : {Channel::Actual, Channel::Optimal, Channel::Error}) ChannelFor(s, ch, 0)->Append(42.0);
    short handle = s.ControllerHandle;
    s.ControllerHandle = 99;  // every read fails
    EXPECT_EQ(FetchCapture(app.Main(), 0, 5.0, 2.0, 1.0, 1), 0);
    s.ControllerHandle = handle;
    EXPECT_EQ(s.LastTest.SampleCount, 77);
    for (Channel ch : {Channel::Actual, Channel::Optimal, Channel::Error}) {
        ASSERT_EQ(ChannelFor(s, ch, 0)->Length(), 1u);
        EXPECT_EQ(ChannelFor(s, ch, 0)->At(0), 42.0);
    }

    journal.Mark();
    EXPECT_EQ(FetchCapture(app.Main(), 17, 0.0, 0.0, 0.0, 1), 1);
    EXPECT_TRUE(CaptureReads().empty());
}

}  // namespace

namespace {

// First sample at which a curve reaches 90 % of the distance; -1 when it never does.
int RiseSamples(const SampleSequence& curve, double distance) {
    for (size_t j = 0; j < curve.Length(); ++j)
        if (curve.At(j) >= 0.9 * distance) return static_cast<int>(j);
    return -1;
}

double Peak(const SampleSequence& curve) {
    double peak = 0.0;
    for (size_t j = 0; j < curve.Length(); ++j) peak = curve.At(j) > peak ? curve.At(j) : peak;
    return peak;
}

// A real step on the bench's axis 1 with the motor on: the curve rises to the
// target within the record time, Step Minus draws the same rising curve, and
// a higher P rises sooner and overshoots more.
TEST_F(StepRunTest, HigherProportionalGainRisesSoonerAndOvershootsMore) {
    AppState& s = S();
    s.Test.RecordTime = 0.5;
    const short h = s.ControllerHandle;
    ZqEnableAxis(h, 1, 1);
    struct Response { int rise; double peak, last; };
    auto step = [&](double gain, int plus) {
        ZqSetGain(h, 1, gain);
        RunStepTest(app.Main(), plus);
        const SampleSequence& a = *ChannelFor(s, Channel::Actual, 0);
        EXPECT_EQ(a.Length(), 1001u);
        return Response{RiseSamples(a, s.Test.Distance), Peak(a), a.At(a.Length() - 1)};
    };
    Response low = step(1.0, 1), lowMinus = step(1.0, 0), high = step(4.0, 1);
    for (const Response& r : {low, lowMinus, high}) {
        EXPECT_GT(r.rise, 0);
        EXPECT_NEAR(r.last, s.Test.Distance, 0.02 * s.Test.Distance);
    }
    EXPECT_NEAR(lowMinus.rise, low.rise, 2);
    EXPECT_NEAR(lowMinus.peak, low.peak, 0.02 * s.Test.Distance);
    EXPECT_LT(high.rise, low.rise);
    EXPECT_GT(high.peak, low.peak);
}

// Screenshots of the three plot styles after a real step, for people to look at.
TEST_F(StepRunTest, ScreenshotsOfThePlotStyles) {
    AppState& s = S();
    HWND main = app.Main();
    s.Test.RecordTime = 0.5;
    s.PlotTorque = 1;
    SetWindowPos(main, nullptr, 0, 0, 900, 640, SWP_NOMOVE | SWP_NOZORDER);
    ZqEnableAxis(s.ControllerHandle, 1, 1);
    ZqSetGain(s.ControllerHandle, 1, 4.0);
    RunStepTest(main, 1);
    const struct { int style; BYTE trajectory; const char* name; } shots[] = {
        {kPlotSingle, 0, "step_single"},
        {kPlotMulti, 0, "step_multi"},
        {kPlotSeparate, 0, "step_separate"},
        {kPlotSeparate, 1, "step_separate_trajectory"},
    };
    for (const auto& shot : shots) {
        s.PlotStyle = shot.style;
        if (s.Test.Trajectory != shot.trajectory) {
            s.Test.Trajectory = shot.trajectory;
            RunStepTest(main, 1);
        }
        RECT rc;
        GetClientRect(main, &rc);
        SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
        UpdatePlots(main);
        PumpMessages(50);
        EXPECT_FALSE(SaveWindowScreenshot(main, shot.name).empty());
    }
}

}  // namespace

namespace {

// The engineer's way through the gain panel: Motor On, the P slider, F5 and
// Ctrl+F5 (the Step Plus and Step Minus commands), with screenshots.
TEST_F(StepRunTest, MotorOnStepPlusAndMinusFromThePanel) {
    AppState& s = S();
    HWND main = app.Main();
    s.Test.RecordTime = 0.5;
    s.PlotStyle = kPlotMulti;
    SetWindowPos(main, nullptr, 0, 0, 900, 640, SWP_NOMOVE | SWP_NOZORDER);
    // The panel's own On button (its id 205 is also the main window's Auto Tune command).
    SendMessageA(GetDlgItem(app.Panel(), IDC_MOTOR_ON), BM_CLICK, 0, 0);
    PumpMessages(400);  // the status timer lights the motor lamp
    HWND slider = GetDlgItem(app.Panel(), IDC_SLIDER_P);
    ASSERT_NE(slider, nullptr);
    auto step = [&](double percent, int command, const char* shot) {
        SendMessageA(slider, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent));
        s.TestDone = 0;
        app.Command(command);
        PumpMessages(50);
        EXPECT_EQ(s.TestDone, 1) << shot;
        SaveWindowScreenshot(main, shot);
        const SampleSequence& a = *ChannelFor(s, Channel::Actual, 0);
        return std::pair<int, double>(RiseSamples(a, s.Test.Distance), Peak(a));
    };
    auto low = step(5.0, IDC_STEP_PLUS, "step_panel_p5");  // P = 1 of full scale 20
    auto high = step(20.0, IDC_STEP_PLUS, "step_panel_p20");
    auto minus = step(20.0, IDC_STEP_MINUS, "step_panel_p20_minus");
    EXPECT_GT(low.first, 0);
    EXPECT_LT(high.first, low.first);
    EXPECT_GT(high.second, low.second);
    EXPECT_NEAR(minus.first, high.first, 2);
}

}  // namespace
