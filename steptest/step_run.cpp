// Step-response test run: one command block that sets up the capture and moves
// the axis (and its gantry partner), a wait for the capture, then the captured
// points are read into the capture store and the plot panes redrawn.
#include "step_run.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../core/modal_wait.h"
#include "../core/record_time.h"
#include "../core/wait_cursor.h"
#include "../history/history_runs.h"
#include "../plot/plot_display.h"
#include "step_progress.h"

namespace {

// Argument type of a 32-bit integer for ZqSetRegister and qlxcmdex.
constexpr int kInt32 = 2;

// Opcodes of the command block.
constexpr int kOpCaptureStart = 212;
constexpr int kOpRepeat1 = 134;
constexpr int kOpRepeat2 = 163;
constexpr int kOpRepeat3 = 6;
constexpr int kOpRepeat4 = 120;

struct StartValues {
    double target = 0.0;
    double optimal = 0.0;
    double auxiliary = 0.0;
};

StartValues ReadStartValues(short handle, unsigned short axis, bool aux) {
    StartValues v;
    ZqGetTargetEx(handle, axis, &v.target);
    ZqGetOptimalEx(handle, axis, &v.optimal);
    if (aux) ZqGetAuxEncPosEx(handle, axis, &v.auxiliary);
    return v;
}

void Command(short handle, unsigned short axis, int opcode, int argument) {
    qlxcmdex(handle, axis, opcode, &argument, kInt32);
}

}  // namespace

std::vector<double> ReadCapturePoints(short handle, unsigned short axis, int type, const std::vector<int>& points,
                                      int blockPoints) {
    std::vector<double> values(points.size(), 0.0);
    if (blockPoints < 1) blockPoints = 1;
    std::vector<double> block;
    size_t k = 0;
    while (k < points.size()) {
        // One block: from this point up to blockPoints consecutive points, taking
        // every wanted point that falls inside it (the list is ascending).
        const int first = points[k];
        size_t end = k + 1;
        while (end < points.size() && points[end] - first < blockPoints) ++end;
        const int span = points[end - 1] - first + 1;
        bool read = false;
        if (end - k > 1 || span > 1) {
            block.assign(static_cast<size_t>(span), 0.0);
            read = ZqGetCaptureData(handle, axis, type, first, span, block.data()) >= 0;
            if (read)
                for (size_t i = k; i < end; ++i) values[i] = block[static_cast<size_t>(points[i] - first)];
        }
        if (!read) {
            // A block that cannot be read as a whole (a point not captured yet, a
            // bus error) is read one point at a time: each point that can be read
            // keeps its value, each that cannot reads as 0.0.
            for (size_t i = k; i < end; ++i) {
                double value = 0.0;
                if (ZqGetCaptureData(handle, axis, type, points[i], 1, &value) < 0) value = 0.0;
                values[i] = value;
            }
        }
        k = end;
    }
    return values;
}

bool WaitForCapture(HWND mainWindow, DWORD ms, std::function<void()> onStop) {
    StepProgress progress(mainWindow, ms, std::move(onStop));
    ModalWaitResult result = ModalWait(mainWindow, ms, &progress);
    progress.Close();
    return result == ModalWaitResult::Elapsed;
}

namespace {

// What the metrics need beyond the samples, read once the capture is in.
TestOrigin OriginOfTest(short handle, unsigned short axis, unsigned short partner, const TestSettings& test) {
    TestOrigin o;
    o.Axis = axis;
    o.Partner = partner;
    MotionConfig motion = {};
    ZqGetMotionConfig(handle, axis, &motion);
    o.TorqueLimit = std::isfinite(motion.Torque) && motion.Torque > 0 ? motion.Torque : 0.0;
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(handle, axis, &config);
    o.Stepper = config.Size == kAxisConfigSize && config.ModuleType != 0 && (config.Flags & 1) == 0;
    o.SampleTime = test.SamplePeriod * EffectiveSampling(test.Sampling);
    return o;
}

}  // namespace

DWORD CaptureWaitMs(double recordTime, double delay) {
    double ms = std::trunc((recordTime + delay) * 1000.0 + 25.0);
    if (!(ms > 0.0)) return 0;  // also NaN
    if (ms >= static_cast<double>(INFINITE)) return INFINITE - 1;
    return static_cast<DWORD>(ms);
}

int FetchCapture(HWND mainWindow, int axis, double startTarget, double startOptimal, double startAuxiliary,
                 int plus) {
    AppState* state = StateOf(mainWindow);
    if (!state) return 1;
    AppState& s = *state;
    SampleSequence* actual = ChannelFor(s, Channel::Actual, axis);
    SampleSequence* optimal = ChannelFor(s, Channel::Optimal, axis);
    SampleSequence* torque = ChannelFor(s, Channel::Torque, axis);
    SampleSequence* auxiliary = ChannelFor(s, Channel::Auxiliary, axis);
    SampleSequence* error = ChannelFor(s, Channel::Error, axis);
    s.LastTest = s.Test;
    if (!actual) return 1;  // an axis without a slot in the store
    s.Capture.ClearAxis(axis > 0 ? axis : s.Axis);

    const short h = s.ControllerHandle;
    const unsigned short ax = static_cast<unsigned short>(axis > 0 ? axis : s.Axis);
    const double sign = plus ? 1.0 : -1.0;
    const int step = EffectiveSampling(s.Test.Sampling);
    const int count = s.Test.SampleCount;
    const bool withTorque = s.TorqueCapture != 0;
    const bool withAux = s.AuxCapture != 0;
    const bool errorFromAux = withAux && s.PlotAuxiliary;
    if (count <= 0) return 1;

    // Stored sample j > 0 comes from captured point j x step - 1; the start sample
    // is the start value, except for torque, which takes captured point 0.
    const size_t n = static_cast<size_t>((static_cast<long long>(count) + step - 1) / step);
    std::vector<int> points(n);
    points[0] = 0;
    for (size_t j = 1; j < n; ++j) points[j] = static_cast<int>(j * step - 1);
    const std::vector<int> captured(points.begin() + 1, points.end());

    const std::vector<double> a = ReadCapturePoints(h, ax, kCaptureActual, captured);
    const std::vector<double> o = ReadCapturePoints(h, ax, kCaptureOptimal, captured);
    std::vector<double> t, x;
    if (withTorque) t = ReadCapturePoints(h, ax, kCaptureTorque, points);
    if (withAux) x = ReadCapturePoints(h, ax, kCaptureAuxiliary, captured);

    actual->Reserve(n);
    optimal->Reserve(n);
    error->Reserve(n);
    if (withTorque) torque->Reserve(n);
    if (withAux) auxiliary->Reserve(n);
    for (size_t j = 0; j < n; ++j) {
        double a1 = ((j == 0 ? startTarget : a[j - 1]) - startTarget) * sign;
        actual->Append(a1);
        double o1 = ((j == 0 ? startOptimal : o[j - 1]) - startTarget) * sign;
        optimal->Append(o1);
        if (withTorque) torque->Append(t[j]);
        double x1 = 0.0;
        if (withAux) {
            x1 = ((j == 0 ? startAuxiliary : x[j - 1]) - startAuxiliary) * sign * s.AuxiliaryScale;
            auxiliary->Append(x1);
        }
        error->Append((errorFromAux ? x1 : a1) - o1);
    }
    return 1;
}

void RunStepTest(HWND mainWindow, int plus) {
    AppState* state = StateOf(mainWindow);
    if (!state) return;
    AppState& s = *state;
    if (ModalWorkRunning(mainWindow)) return;  // one test at a time
    ModalWork busy(mainWindow);
    WaitCursor wait;
    const short h = s.ControllerHandle;
    const unsigned short axis = static_cast<unsigned short>(s.Axis);
    const unsigned short partner = GantryPartner(s);
    const bool aux = s.AuxCapture != 0;

    double r = LimitRecordTime(s.Test, h, axis, s.AdvancedCapture);
    if (r != 0.0) {
        char text[400];
        std::snprintf(text, sizeof text,
                      "The current record time of %f seconds is longer than this controller is capable of with "
                      "the selected moduleupdate rate. Loopsmith will set the record time to %f seconds and "
                      "proceed with the step response test.",
                      s.Test.RecordTime, r);
        MessageBoxA(mainWindow, text, "Warning", MB_ICONEXCLAMATION);
        if (r > 0) s.Test.RecordTime = r;
    }
    if (!(s.Test.SamplePeriod > 0.0)) {
        // Without a servo period there is no capture period and no time axis.
        char text[300];
        std::snprintf(text, sizeof text,
                      "The servo period of axis %d cannot be determined from its update rate, so no data "
                      "capture can be set up. The step response test was not run.",
                      s.Axis);
        MessageBoxA(mainWindow, text, "Loopsmith", MB_ICONERROR);
        return;
    }

    const int mode = s.Test.Trajectory ? 2 : 1;
    ZqSetOperatingMode(h, axis, 0, mode);
    if (partner) {
        ZqSetOperatingMode(h, partner, 0, mode);
        ZqEnableGearing(h, partner, axis, 1.0, 1);
    }
    if (s.Test.Repeat) ZqSetRegister(h, 0, &s.Test.Count, kInt32);

    StartValues axisStart = ReadStartValues(h, axis, aux);
    StartValues partnerStart;
    if (partner) {
        partnerStart = ReadStartValues(h, partner, aux);
        ZqCaptureData(h, axis, 1, s.Test.SamplePeriod, s.Test.Delay);
        ZqCaptureData(h, partner, 1, s.Test.SamplePeriod, s.Test.Delay);
    }

    ZqBlockBegin(h, 0, 0);
    int points = s.Test.SampleCount - 1;
    if (partner) {
        qlxcmdex(h, axis, kOpCaptureStart, &points, kInt32);
        qlxcmdex(h, partner, kOpCaptureStart, &points, kInt32);
    } else {
        ZqCaptureData(h, axis, points, s.Test.SamplePeriod, s.Test.Delay);
    }
    const double d = plus ? s.Test.Distance : -s.Test.Distance;
    ZqMoveRelative(h, axis, d);
    if (s.Test.Cycle) {
        ZqWaitForStop(h, axis, s.Test.Dwell);
        ZqMoveRelative(h, axis, -d);
    }
    if (s.Test.Repeat) {
        ZqWaitForStop(h, axis, s.Test.RDwell);
        Command(h, 0, kOpRepeat1, 1);
        Command(h, 0, kOpRepeat2, 0);
        Command(h, 0, kOpRepeat3, partner ? 2 : 3);
        Command(h, 0, kOpRepeat4, 0);
    }
    if (partner) {
        ZqWaitForStop(h, axis, 0.025);
        ZqEnableGearing(h, partner, axis, 1.0, 0);
    }
    ZqBlockEnd(h, nullptr);

    // Stopping the axes, at the press, ends the command block on the
    // controller, so neither the move back nor a repeat runs.
    auto stopAxes = [h, axis, partner] {
        ZqStop(h, axis);
        if (partner) ZqStop(h, partner);
    };
    if (!WaitForCapture(mainWindow, CaptureWaitMs(s.Test.RecordTime, s.Test.Delay), stopAxes)) {
        // The partner is released from the gearing the block would have switched off at its end.
        if (partner) ZqEnableGearing(h, partner, axis, 1.0, 0);
        MessageBoxA(mainWindow, "The step test was stopped. The data of the previous test is kept.", "Loopsmith",
                    MB_ICONINFORMATION);
        return;
    }

    s.TestDone = FetchCapture(mainWindow, axis, axisStart.target, axisStart.optimal, axisStart.auxiliary, plus);
    if (partner)
        s.TestDone =
            FetchCapture(mainWindow, partner, partnerStart.target, partnerStart.optimal, partnerStart.auxiliary, plus);
    s.LastOrigin = OriginOfTest(h, axis, partner, s.LastTest);
    UpdatePlots(mainWindow);
    AddDisplayedRun(mainWindow, "test", true);
}
