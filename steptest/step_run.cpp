// Step-response test run: one command block that sets up the capture and moves
// the axis (and its gantry partner), a wait for the capture, then the captured
// points are read into the capture store and the plot panes redrawn.
#include "step_run.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
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

// The first failure of the calls it is given, so that a sequence of controller
// calls can be checked in one place.
struct CallCheck {
    int error = 0;
    bool operator()(int result) {
        if (result < 0 && !error) error = result;
        return result >= 0;
    }
};

StartValues ReadStartValues(short handle, unsigned short axis, bool aux, CallCheck& check) {
    StartValues v;
    if (!check(ZqGetTargetEx(handle, axis, &v.target))) return v;
    if (!check(ZqGetOptimalEx(handle, axis, &v.optimal))) return v;
    if (aux) check(ZqGetAuxEncPosEx(handle, axis, &v.auxiliary));
    return v;
}

int Command(short handle, unsigned short axis, int opcode, int argument) {
    return qlxcmdex(handle, axis, opcode, &argument, kInt32);
}

// Reads a capture, each failed point tried again twice.
constexpr int kReadRetries = 2;

}  // namespace

void ShowTestFailure(HWND mainWindow, int error) {
    std::string reason = ControllerErrorText(error);
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    const std::string text = "The step test failed: " + reason + ". The data of the previous test is kept.";
    MessageBoxA(mainWindow, text.c_str(), "Loopsmith", MB_ICONERROR);
}

std::vector<double> ReadCapturePoints(short handle, unsigned short axis, int type, const std::vector<int>& points,
                                      int blockPoints, int* error, int retries) {
    std::vector<double> values(points.size(), 0.0);
    if (blockPoints < 1) blockPoints = 1;
    if (retries < 0) retries = 0;
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
            // bus error) is read one point at a time, each point tried again up to
            // retries times. A point that still cannot be read holds no value: it
            // is noted in error, and with retries the reading ends there, since
            // the capture is of no use any more.
            for (size_t i = k; i < end; ++i) {
                double value = 0.0;
                int r = -1;
                for (int attempt = 0; attempt <= retries && r < 0; ++attempt) {
                    value = 0.0;
                    r = ZqGetCaptureData(handle, axis, type, points[i], 1, &value);
                }
                if (r < 0) {
                    value = 0.0;
                    if (error) *error = r;
                    if (retries > 0) return values;
                }
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

namespace {

// The captured points of one axis as read from the controller, before they are
// stored: a capture with a point that could not be read is never stored.
struct AxisCapture {
    unsigned short axis = 0;
    double startTarget = 0.0, startOptimal = 0.0, startAuxiliary = 0.0;
    std::vector<double> actual, optimal, torque, auxiliary;  // captured points, torque from point 0
    int error = 0;  // the controller's code for the first point that could not be read
};

// Stored sample j > 0 comes from captured point j x step - 1; the start sample is
// the start value, except for torque, which takes captured point 0.
std::vector<int> StoredPoints(int count, int step) {
    const size_t n = static_cast<size_t>((static_cast<long long>(count) + step - 1) / step);
    std::vector<int> points(n);
    if (n) points[0] = 0;
    for (size_t j = 1; j < n; ++j) points[j] = static_cast<int>(j * step - 1);
    return points;
}

// Reads every channel the axis captures; retries as for ReadCapturePoints.
AxisCapture ReadAxisCapture(const AppState& s, unsigned short axis, int retries) {
    AxisCapture c;
    c.axis = axis;
    const int count = s.Test.SampleCount;
    if (count <= 0) return c;
    const std::vector<int> points = StoredPoints(count, EffectiveSampling(s.Test.Sampling));
    const std::vector<int> captured(points.begin() + 1, points.end());
    const short h = s.ControllerHandle;
    auto read = [&](int type, const std::vector<int>& which, std::vector<double>& into) {
        if (c.error && retries > 0) return;
        int error = 0;
        into = ReadCapturePoints(h, axis, type, which, kCaptureBlockPoints, &error, retries);
        if (error && !c.error) c.error = error;
    };
    read(kCaptureActual, captured, c.actual);
    read(kCaptureOptimal, captured, c.optimal);
    if (s.TorqueCapture) read(kCaptureTorque, points, c.torque);
    if (s.AuxCapture) read(kCaptureAuxiliary, captured, c.auxiliary);
    return c;
}

// Replaces the axis's channels with a capture that was read in full.
void StoreAxisCapture(AppState& s, const AxisCapture& c, int plus) {
    SampleSequence* actual = ChannelFor(s, Channel::Actual, c.axis);
    if (!actual) return;
    SampleSequence* optimal = ChannelFor(s, Channel::Optimal, c.axis);
    SampleSequence* torque = ChannelFor(s, Channel::Torque, c.axis);
    SampleSequence* auxiliary = ChannelFor(s, Channel::Auxiliary, c.axis);
    SampleSequence* error = ChannelFor(s, Channel::Error, c.axis);
    s.Capture.ClearAxis(c.axis);
    const int count = s.Test.SampleCount;
    if (count <= 0) return;
    const size_t n = c.actual.size() + 1;
    const double sign = plus ? 1.0 : -1.0;
    const bool withTorque = s.TorqueCapture != 0;
    const bool withAux = s.AuxCapture != 0;
    const bool errorFromAux = withAux && s.PlotAuxiliary;
    actual->Reserve(n);
    optimal->Reserve(n);
    error->Reserve(n);
    if (withTorque) torque->Reserve(n);
    if (withAux) auxiliary->Reserve(n);
    for (size_t j = 0; j < n; ++j) {
        double a1 = ((j == 0 ? c.startTarget : c.actual[j - 1]) - c.startTarget) * sign;
        actual->Append(a1);
        double o1 = ((j == 0 ? c.startOptimal : c.optimal[j - 1]) - c.startTarget) * sign;
        optimal->Append(o1);
        if (withTorque) torque->Append(c.torque[j]);
        double x1 = 0.0;
        if (withAux) {
            x1 = ((j == 0 ? c.startAuxiliary : c.auxiliary[j - 1]) - c.startAuxiliary) * sign * s.AuxiliaryScale;
            auxiliary->Append(x1);
        }
        error->Append((errorFromAux ? x1 : a1) - o1);
    }
}

}  // namespace

int FetchCapture(HWND mainWindow, int axis, double startTarget, double startOptimal, double startAuxiliary,
                 int plus) {
    AppState* state = StateOf(mainWindow);
    if (!state) return 1;
    AppState& s = *state;
    const int ax = axis > 0 ? axis : s.Axis;
    if (!ChannelFor(s, Channel::Actual, ax)) {  // an axis without a slot in the store
        s.LastTest = s.Test;
        return 1;
    }
    AxisCapture c = ReadAxisCapture(s, static_cast<unsigned short>(ax), 0);
    if (c.error) return 0;
    c.startTarget = startTarget;
    c.startOptimal = startOptimal;
    c.startAuxiliary = startAuxiliary;
    s.LastTest = s.Test;
    StoreAxisCapture(s, c, plus);
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

    // A call that fails ends the test: before the command block nothing has
    // moved yet; a block that could not be queued whole is ended and its axes
    // stopped, so no part of it runs; a gearing switched on is switched off.
    CallCheck check;
    bool geared = false;
    auto release = [&] {
        if (geared) ZqEnableGearing(h, partner, axis, 1.0, 0);
    };
    auto stopAxes = [h, axis, partner] {
        ZqStop(h, axis);
        if (partner) ZqStop(h, partner);
    };
    auto setUpFailed = [&] {
        release();
        ShowTestFailure(mainWindow, check.error);
    };

    const int mode = s.Test.Trajectory ? 2 : 1;
    if (!check(ZqSetOperatingMode(h, axis, 0, mode))) return setUpFailed();
    if (partner) {
        if (!check(ZqSetOperatingMode(h, partner, 0, mode))) return setUpFailed();
        geared = check(ZqEnableGearing(h, partner, axis, 1.0, 1));
        if (!geared) return setUpFailed();
    }
    if (s.Test.Repeat && !check(ZqSetRegister(h, 0, &s.Test.Count, kInt32))) return setUpFailed();

    StartValues axisStart = ReadStartValues(h, axis, aux, check);
    if (check.error) return setUpFailed();
    StartValues partnerStart;
    if (partner) {
        partnerStart = ReadStartValues(h, partner, aux, check);
        if (check.error) return setUpFailed();
        if (!check(ZqCaptureData(h, axis, 1, s.Test.SamplePeriod, s.Test.Delay))) return setUpFailed();
        if (!check(ZqCaptureData(h, partner, 1, s.Test.SamplePeriod, s.Test.Delay))) return setUpFailed();
    }

    if (!check(ZqBlockBegin(h, 0, 0))) return setUpFailed();
    // Inside the block the commands are queued until one fails.
    int points = s.Test.SampleCount - 1;
    const double d = plus ? s.Test.Distance : -s.Test.Distance;
    [&] {
        if (partner) {
            if (!check(qlxcmdex(h, axis, kOpCaptureStart, &points, kInt32))) return;
            if (!check(qlxcmdex(h, partner, kOpCaptureStart, &points, kInt32))) return;
        } else if (!check(ZqCaptureData(h, axis, points, s.Test.SamplePeriod, s.Test.Delay))) {
            return;
        }
        if (!check(ZqMoveRelative(h, axis, d))) return;
        if (s.Test.Cycle) {
            if (!check(ZqWaitForStop(h, axis, s.Test.Dwell))) return;
            if (!check(ZqMoveRelative(h, axis, -d))) return;
        }
        if (s.Test.Repeat) {
            if (!check(ZqWaitForStop(h, axis, s.Test.RDwell))) return;
            if (!check(Command(h, 0, kOpRepeat1, 1))) return;
            if (!check(Command(h, 0, kOpRepeat2, 0))) return;
            if (!check(Command(h, 0, kOpRepeat3, partner ? 2 : 3))) return;
            if (!check(Command(h, 0, kOpRepeat4, 0))) return;
        }
        if (partner) {
            if (!check(ZqWaitForStop(h, axis, 0.025))) return;
            check(ZqEnableGearing(h, partner, axis, 1.0, 0));
        }
    }();
    const bool queued = !check.error;
    if (!check(ZqBlockEnd(h, nullptr)) || !queued) {
        stopAxes();
        return setUpFailed();
    }

    // Stopping the axes, at the press, ends the command block on the
    // controller, so neither the move back nor a repeat runs.
    if (!WaitForCapture(mainWindow, CaptureWaitMs(s.Test.RecordTime, s.Test.Delay), stopAxes)) {
        // The partner is released from the gearing the block would have switched off at its end.
        if (partner) ZqEnableGearing(h, partner, axis, 1.0, 0);
        MessageBoxA(mainWindow, "The step test was stopped. The data of the previous test is kept.", "Loopsmith",
                    MB_ICONINFORMATION);
        return;
    }

    // The capture becomes the test only when every point of the axis (and of
    // the partner) was read; until then the data of the previous test stays.
    AxisCapture axisCapture = ReadAxisCapture(s, axis, kReadRetries);
    AxisCapture partnerCapture;
    if (!axisCapture.error && partner) partnerCapture = ReadAxisCapture(s, partner, kReadRetries);
    if (int error = axisCapture.error ? axisCapture.error : partnerCapture.error) {
        ShowTestFailure(mainWindow, error);
        return;
    }
    axisCapture.startTarget = axisStart.target;
    axisCapture.startOptimal = axisStart.optimal;
    axisCapture.startAuxiliary = axisStart.auxiliary;
    s.LastTest = s.Test;
    StoreAxisCapture(s, axisCapture, plus);
    if (partner) {
        partnerCapture.startTarget = partnerStart.target;
        partnerCapture.startOptimal = partnerStart.optimal;
        partnerCapture.startAuxiliary = partnerStart.auxiliary;
        StoreAxisCapture(s, partnerCapture, plus);
    }
    s.TestDone = 1;
    s.LastOrigin = OriginOfTest(h, axis, partner, s.LastTest);
    UpdatePlots(mainWindow);
    AddDisplayedRun(mainWindow, "test", true);
}
