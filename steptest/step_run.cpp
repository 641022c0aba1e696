// Step-response test run: one command block that sets up the capture and moves
// the axis (and its gantry partner), a wait for the capture, then the captured
// points are read into the capture store and the plot panes redrawn.
#include "step_run.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../core/record_time.h"
#include "../core/wait_cursor.h"
#include "../plot/plot_display.h"

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

// One captured point; a read that fails gives 0.0.
double CapturePoint(short handle, unsigned short axis, int type, int point) {
    double value = 0.0;
    if (ZqGetCaptureData(handle, axis, type, point, 1, &value) < 0) return 0.0;
    return value;
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
    if (count > 0) {
        size_t n = static_cast<size_t>((static_cast<long long>(count) + step - 1) / step);
        actual->Reserve(n);
        optimal->Reserve(n);
        error->Reserve(n);
        if (withTorque) torque->Reserve(n);
        if (withAux) auxiliary->Reserve(n);
    }
    for (long long i = 0; i < count; i += step) {
        const int point = static_cast<int>(i) - 1;
        double a = i == 0 ? startTarget : CapturePoint(h, ax, kCaptureActual, point);
        double a1 = (a - startTarget) * sign;
        actual->Append(a1);
        double o = i == 0 ? startOptimal : CapturePoint(h, ax, kCaptureOptimal, point);
        double o1 = (o - startTarget) * sign;
        optimal->Append(o1);
        if (withTorque) torque->Append(CapturePoint(h, ax, kCaptureTorque, i == 0 ? 0 : point));
        double x1 = 0.0;
        if (withAux) {
            double x = i == 0 ? startAuxiliary : CapturePoint(h, ax, kCaptureAuxiliary, point);
            x1 = (x - startAuxiliary) * sign * s.AuxiliaryScale;
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

    Sleep(CaptureWaitMs(s.Test.RecordTime, s.Test.Delay));

    s.TestDone = FetchCapture(mainWindow, axis, axisStart.target, axisStart.optimal, axisStart.auxiliary, plus);
    if (partner)
        s.TestDone =
            FetchCapture(mainWindow, partner, partnerStart.target, partnerStart.optimal, partnerStart.auxiliary, plus);
    UpdatePlots(mainWindow);
}
