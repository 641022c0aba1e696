// The Auto Tune run (see tune_run.h). Every controller call goes through the
// program's controller layer, the same calls a step test makes, so the run
// behaves on a card as on the simulated bench.
#include "tune_run.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>

#include "../analysis/step_metrics.h"
#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../steptest/step_run.h"
#include "identify.h"

namespace {

// Status flags of ZqDecodeStatus beyond the motor-on and fault ones.
constexpr int kStatusMoving = 2;

// Measuring: a quarter of the test distance out and back shows whether the
// gains are safe; the whole test distance out and back then gives the fit as
// many encoder counts as the run may use.
constexpr double kProbeShare = 0.25;
constexpr double kMeasureSeconds = 0.4;
constexpr double kCheckSeconds = 0.8;
constexpr int kMinPoints = 100;
// A measuring move that needs more than this share of its samples at the
// torque limit says more about the limit than about the axis.
constexpr double kSaturatedShare = 0.5;
constexpr int kMaxChecks = 3;
constexpr int kMaxDerivativeTicks = 8;  // longest derivative sample period Auto Tune chooses, in servo periods
// How long the axis may take to come to rest, and the capture to complete,
// beyond its own time (generous: a loaded machine is slow).
constexpr DWORD kRestLimitMs = 3000;
constexpr DWORD kCaptureGraceMs = 3000;
constexpr DWORD kPollMs = 20;
// The gain search ends by itself in well under a second; this only keeps a
// run from waiting for ever should it not.
constexpr DWORD kComputeLimitMs = 60000;

bool Flag(short h, int status, int flag) { return ZqDecodeStatus(h, status, flag) > 0; }

// Share of samples at the torque limit.
double SaturatedShare(const std::vector<double>& torque, double limit) {
    if (torque.empty() || !(limit > 0)) return 0;
    size_t n = 0;
    for (double t : torque)
        if (std::fabs(t) >= 0.99 * limit) ++n;
    return static_cast<double>(n) / static_cast<double>(torque.size());
}

// True when the last quarter of the move still swings far from its end.
bool StillSwinging(const CapturedMove& m) {
    if (m.actual.size() < 8 || m.distance == 0) return false;
    const double end = m.startTarget + m.distance;
    for (size_t k = m.actual.size() * 3 / 4; k < m.actual.size(); ++k)
        if (std::fabs(m.actual[k] - end) > 0.25 * std::fabs(m.distance)) return true;
    return false;
}

std::vector<double> ErrorOf(const CapturedMove& m) {
    std::vector<double> e(m.actual.size());
    for (size_t k = 0; k < e.size(); ++k) e[k] = m.optimal[k] - m.actual[k];
    return e;
}

std::string Percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f %%", share * 100);
    return text;
}

}  // namespace

const char* TunePhaseText(TunePhase phase) {
    switch (phase) {
    case TunePhase::Measuring: return "Measuring the loop";
    case TunePhase::Identifying: return "Identifying the axis";
    case TunePhase::Computing: return "Computing gains";
    case TunePhase::Checking: return "Checking the gains";
    case TunePhase::Done: return "Done";
    case TunePhase::Cancelled: return "Cancelled";
    default: return "";
    }
}

CheckFigures MeasureCheck(const CapturedMove& m) {
    CheckFigures f;
    if (m.actual.empty() || m.optimal.size() != m.actual.size()) return f;
    // As the step test stores it: the start sample, then the points, relative
    // to the start target and in the move's direction.
    const double sign = m.distance < 0 ? -1 : 1;
    std::vector<double> a, o, e;
    a.push_back(0);
    o.push_back((m.startOptimal - m.startTarget) * sign);
    for (size_t k = 0; k < m.actual.size(); ++k) {
        a.push_back((m.actual[k] - m.startTarget) * sign);
        o.push_back((m.optimal[k] - m.startTarget) * sign);
    }
    for (size_t k = 0; k < a.size(); ++k) e.push_back(a[k] - o[k]);
    StepInput in;
    in.actual = {a.data(), a.size()};
    in.optimal = {o.data(), o.size()};
    in.error = {e.data(), e.size()};
    in.samplePeriod = m.period;
    in.distance = std::fabs(m.distance);
    std::vector<MoveMetrics> moves = MeasureStep(in);
    if (moves.empty()) return f;
    const MoveMetrics& mm = moves.front();
    f.rise = mm.riseTime.value_or(-1);
    f.overshoot = mm.overshoot.value_or(-1);
    f.settled = mm.settlingTime.has_value() && !mm.notSettled;
    f.settling = f.settled ? *mm.settlingTime : -1;
    return f;
}

bool ModelExplainsCheck(const ModelAxis& axis, const LoopGains& gains, const std::vector<double>& command,
                        size_t ticks, TuneStyle style, const CheckFigures& measured) {
    ModelResponse r = SimulateModel(axis, gains, command, ticks);
    StepFigures f = MeasureStep(r.actual.data(), r.optimal.data(), r.actual.size(), axis.period);
    const double limit = StyleOvershoot(style);
    if (measured.overshoot > limit) return f.overshoot > limit;
    if (!f.Settled()) return true;
    return measured.settled && f.settling >= measured.settling / 1.5;
}

struct AutoTuneRun::ComputeJob {
    ModelAxis axis;
    TuneStyle style = TuneStyle::Medium;
    std::vector<double> command;
    size_t ticks = 0;
    DesignLimits limits;
    Design result;
    std::atomic<bool> done{false};
};

AutoTuneRun::AutoTuneRun(const AutoTuneSetup& setup) : setup_(setup) {}

AutoTuneRun::~AutoTuneRun() {
    if (!Finished()) Cancel();
}

std::string AutoTuneRun::Status() const {
    if (phase_ == TunePhase::Failed) return "Stopped: " + reason_;
    return TunePhaseText(phase_);
}

void AutoTuneRun::Fail(const std::string& reason) {
    reason_ = reason;
    EndRun();
    phase_ = TunePhase::Failed;
}

void AutoTuneRun::EndRun() {
    const short h = setup_.handle;
    if (gearing_) {
        ZqEnableGearing(h, setup_.partner, setup_.axis, 1.0, 0);
        gearing_ = false;
    }
    RestoreGains();
    progress_ = 100;
    step_ = Step::Finish;
}

void AutoTuneRun::RestoreGains() {
    if (!started_) return;
    ZqSetGain(setup_.handle, setup_.axis, original_.p);
    FilterConfig f = filter0_;
    ZqSetFilterConfig(setup_.handle, setup_.axis, &f);
}

void AutoTuneRun::Cancel() {
    if (Finished()) return;
    if (started_) {
        ZqStop(setup_.handle, setup_.axis);
        if (setup_.partner) ZqStop(setup_.handle, setup_.partner);
    }
    reason_ = "cancelled";
    EndRun();
    phase_ = TunePhase::Cancelled;
}

void AutoTuneRun::WriteGains(const GainSet& g, bool integral) {
    ZqSetGain(setup_.handle, setup_.axis, g.p);
    FilterConfig f = filter0_;
    f.IntegralGain = integral ? g.i : 0;
    f.DerivativeGain = g.d;
    if (g.integrationLimit >= 0) f.IntegrationLimit = g.integrationLimit;
    if (g.derivativePeriod > 0) f.DerivativeSamplePeriod = g.derivativePeriod;
    ZqSetFilterConfig(setup_.handle, setup_.axis, &f);
}

bool AutoTuneRun::TrippedOrOff(std::string* why) {
    const short h = setup_.handle;
    int status = ZqGetStatus(h, setup_.axis);
    if (Flag(h, status, kStatusFaultLed)) {
        *why = "the axis tripped on its following error limit";
        return true;
    }
    if (!Flag(h, status, kStatusMotorOn)) {
        *why = "the motor is off";
        return true;
    }
    return false;
}

void AutoTuneRun::Start() {
    if (phase_ != TunePhase::Idle) return;
    const short h = setup_.handle;
    const unsigned short axis = setup_.axis;
    phase_ = TunePhase::Measuring;
    progress_ = 0;
    ZqGetGain(h, axis, &original_.p);
    ZqGetFilterConfig(h, axis, &filter0_);
    ZqGetMotionConfig(h, axis, &motion_);
    original_.i = filter0_.IntegralGain;
    original_.d = filter0_.DerivativeGain;
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(h, axis, &config);
    ServoPeriod(h, axis, &period_);
    if (!(period_ > 0)) period_ = config.HighRatePeriod;
    buffer_ = config.CaptureBufferSize;
    AxisScale scale = {};
    ZqGetScale(h, axis, &scale);
    resolution_ = std::isfinite(scale.Scale) && scale.Scale != 0 ? 1.0 / std::fabs(scale.Scale) : 0;
    restTolerance_ = std::max(2 * resolution_, 1e-3 * std::fabs(setup_.distance));
    step_ = Step::Finish;
    if (!(period_ > 0)) return Fail("the servo period of the axis cannot be determined");
    if (!(motion_.Torque > 0)) return Fail("the torque limit of the axis is not known");
    if (!(original_.p > 0)) return Fail("the axis has no proportional gain to measure with");
    if (!(std::fabs(setup_.distance) > 0)) return Fail("the test distance is 0");
    if (buffer_ < kMinPoints) return Fail("the capture buffer of the axis is too small");
    derivativeTicks_ = std::max(1, static_cast<int>(std::lround(filter0_.DerivativeSamplePeriod / period_)));
    started_ = true;

    const int mode = setup_.trajectory ? 2 : 1;
    ZqSetOperatingMode(h, axis, 0, mode);
    if (setup_.partner) {
        ZqSetOperatingMode(h, setup_.partner, 0, mode);
        ZqEnableGearing(h, setup_.partner, axis, 1.0, 1);
        gearing_ = true;
    }
    PlanMeasuring();
}

void AutoTuneRun::PlanMeasuring() {
    // Measuring gains: the ones in force, or a quarter of P once they proved
    // unsafe, and a quarter of the bandwidth once the noise of D hid it.
    // Integral and derivative terms that are 0 cannot be scaled, so a small
    // one stands in (in the proportions of P a servo loop usually has).
    GainSet g = original_;
    if (measuringAttempt_ > 0) g.p *= 0.25;
    if (quietDerivative_) {
        // The same loop shape at a quarter of the bandwidth: P, I and D go
        // with its square, cube and first power.
        g.p /= 16;
        g.i /= 64;
        g.d /= 4;
    }
    if (g.i == 0) g.i = 0.1 * g.p;
    if (g.d == 0) g.d = g.p;
    measuring_ = g;
    const double dm = kProbeShare * std::fabs(setup_.distance), d = std::fabs(setup_.distance);
    const int n = std::clamp(static_cast<int>(std::lround(kMeasureSeconds / period_)), kMinPoints, buffer_);
    plan_.clear();
    returnMoves_ = 0;
    if (offset_ != 0) {
        plan_.push_back({-offset_, n, g, true});  // back to the start first
        returnMoves_ = 1;
    }
    plan_.push_back({dm, n, g, false});
    plan_.push_back({-dm, n, g, true});
    plan_.push_back({d, n, g, false});
    plan_.push_back({-d, n, g, true});
    planIndex_ = 0;
    measured_moves_.clear();
    BeginMove(plan_[0]);
}

void AutoTuneRun::PlanCheck() {
    const int n = std::clamp(static_cast<int>(std::lround(kCheckSeconds / period_)), kMinPoints, buffer_);
    const double d = std::fabs(setup_.distance);
    plan_.clear();
    // The integrator still holds what the last move left in it, against the
    // direction of the check step, while the model starts it at 0. A step
    // test starts from an axis at rest: the measuring gains with no
    // integration limit empty it while the axis settles, so the check starts
    // as the model does.
    GainSet clean = measuring_;
    clean.integrationLimit = 0;
    WriteGains(clean, true);
    plan_.push_back({d, n, proposed_, true});
    // Back to the start at the measuring gains: they are known to be safe.
    plan_.push_back({-d, n, measuring_, true});
    planIndex_ = 0;
    BeginMove(plan_[0]);
}

void AutoTuneRun::BeginMove(const MovePlan& plan) {
    current_ = plan;
    settleHave_ = false;
    settleSince_ = GetTickCount();
    step_ = Step::MoveSettle;
}

DWORD AutoTuneRun::Advance() {
    switch (step_) {
    case Step::MoveSettle: return SettleStep();
    case Step::MoveStart: return StartMoveStep();
    case Step::MoveWait: return WaitMoveStep();
    case Step::AfterMove: return AfterMoveStep();
    case Step::Analyse: return AnalyseStep();
    case Step::Identify: return IdentifyStep();
    case Step::Compute: return ComputeStep();
    case Step::ComputeWait: return ComputeWaitStep();
    case Step::Evaluate: return EvaluateStep();
    default: return 0;
    }
}

DWORD AutoTuneRun::SettleStep() {
    // Before every move: motor on, no trip, trajectory ended, position still.
    std::string why;
    if (TrippedOrOff(&why)) {
        Fail(why);
        return 0;
    }
    const short h = setup_.handle;
    double position = 0;
    ZqGetPositionEx(h, setup_.axis, &position);
    const bool moving = Flag(h, ZqGetStatus(h, setup_.axis), kStatusMoving);
    if (!moving && settleHave_ && std::fabs(position - settlePosition_) <= restTolerance_) {
        step_ = Step::MoveStart;
        return 0;
    }
    settlePosition_ = position;
    settleHave_ = !moving;
    if (GetTickCount() - settleSince_ > kRestLimitMs) {
        Fail("the axis does not come to rest");
        return 0;
    }
    return kPollMs;
}

DWORD AutoTuneRun::StartMoveStep() {
    const short h = setup_.handle;
    const unsigned short axis = setup_.axis;
    WriteGains(current_.gains, current_.integral);
    move_ = CapturedMove();
    move_.distance = current_.distance;
    move_.period = period_;
    ZqGetTargetEx(h, axis, &move_.startTarget);
    ZqGetOptimalEx(h, axis, &move_.startOptimal);
    ZqBlockBegin(h, 0, 0);
    ZqCaptureData(h, axis, current_.points, period_, 0.0);
    ZqMoveRelative(h, axis, current_.distance);
    ZqBlockEnd(h, nullptr);
    moveStarted_ = GetTickCount();
    waitLimit_ = CaptureWaitMs(current_.points * period_, 0.0);
    step_ = Step::MoveWait;
    return std::min<DWORD>(waitLimit_, 50);
}

DWORD AutoTuneRun::WaitMoveStep() {
    const DWORD elapsed = GetTickCount() - moveStarted_;
    if (elapsed < waitLimit_) return std::min<DWORD>(waitLimit_ - elapsed, 50);
    const short h = setup_.handle;
    const unsigned short axis = setup_.axis;
    double last = 0;
    if (ZqGetCaptureData(h, axis, kCaptureActual, current_.points - 1, 1, &last) < 0) {
        if (elapsed > waitLimit_ + kCaptureGraceMs) Fail("the capture did not complete");
        return kPollMs;
    }
    std::vector<int> points(static_cast<size_t>(current_.points));
    for (int k = 0; k < current_.points; ++k) points[static_cast<size_t>(k)] = k;
    move_.actual = ReadCapturePoints(h, axis, kCaptureActual, points);
    move_.optimal = ReadCapturePoints(h, axis, kCaptureOptimal, points);
    move_.torque = ReadCapturePoints(h, axis, kCaptureTorque, points);
    step_ = Step::AfterMove;
    return 0;
}

DWORD AutoTuneRun::AfterMoveStep() {
    offset_ += move_.distance;
    std::string why;
    const bool checking = phase_ == TunePhase::Checking;
    if (TrippedOrOff(&why)) {
        Fail(why + (checking ? " during a check step" : " during a measuring move"));
        return 0;
    }
    ++planIndex_;
    if (!checking) {
        progress_ = 5 + static_cast<int>(35 * planIndex_ / plan_.size());
        const bool saturated = SaturatedShare(move_.torque, motion_.Torque) > kSaturatedShare;
        if (saturated || StillSwinging(move_)) {
            if (measuringAttempt_ > 0) {
                Fail(saturated ? "the loop output stayed at the torque limit for most of a measuring move"
                               : "the axis does not settle even at a quarter of its gains");
                return 0;
            }
            // The gains in force are not safe to measure with: a quarter of P.
            ++measuringAttempt_;
            PlanMeasuring();
            return 0;
        }
        // The first move of a retry only brings the axis back.
        if (planIndex_ > returnMoves_) {
            measured_moves_.push_back(move_);
            // What holds the axis at rest (friction, a steady load): the mean
            // output over the last tenth of the move.
            const size_t n = move_.torque.size(), from = n - n / 10;
            double sum = 0;
            for (size_t k = from; k < n; ++k) sum += move_.torque[k];
            if (n > from) restOutput_ = std::max(restOutput_, std::fabs(sum / static_cast<double>(n - from)));
        }
        if (planIndex_ < plan_.size()) {
            BeginMove(plan_[planIndex_]);
        } else {
            phase_ = TunePhase::Identifying;
            progress_ = 45;
            step_ = Step::Analyse;
        }
        return 0;
    }
    check_moves_.push_back(move_);
    if (planIndex_ == 1) {
        check_ = move_;
        measured_ = MeasureCheck(move_);
        progress_ = 80;
        BeginMove(plan_[1]);
        return 0;
    }
    step_ = Step::Evaluate;
    return 0;
}

DWORD AutoTuneRun::AnalyseStep() {
    if (measured_moves_.size() < 4) {
        Fail("the measuring moves were not captured");
        return 0;
    }
    // The loop's scaling from the long moves: the most error to see it in.
    const CapturedMove& out = measured_moves_[2];
    const CapturedMove& back = measured_moves_[3];
    std::vector<double> eOut = ErrorOf(out), eBack = ErrorOf(back);
    const double v = filter0_.VelocityGain;
    scale_ = AnalyseLoop({eOut.data(), out.torque.data(), out.optimal.data(), eOut.size(), period_, derivativeTicks_,
                          motion_.Torque},
                         {measuring_.p, 0, measuring_.d, v});
    if (!scale_.ok) {
        Fail("the loop output does not follow the error as a PID loop does");
        return 0;
    }
    AnalyseIntegral({eBack.data(), back.torque.data(), back.optimal.data(), eBack.size(), period_, derivativeTicks_,
                     motion_.Torque},
                    {measuring_.p, measuring_.i, measuring_.d, v}, scale_);
    if ((!scale_.dKnown || !(scale_.d > 0)) && !quietDerivative_) {
        // On a coarse encoder the derivative term can throw the output to its
        // limit at every count, and those samples cannot show it: measure
        // again at a quarter of the bandwidth, where D is a quarter.
        quietDerivative_ = true;
        phase_ = TunePhase::Measuring;
        PlanMeasuring();
        return 0;
    }
    if (!scale_.iKnown || !scale_.dKnown || !(scale_.d > 0)) {
        Fail("the integral and derivative terms of the loop could not be measured");
        return 0;
    }
    step_ = Step::Identify;
    return 0;
}

DWORD AutoTuneRun::IdentifyStep() {
    std::vector<MotionCapture> caps;
    for (const auto* list : {&measured_moves_, &check_moves_})
        for (const CapturedMove& m : *list) caps.push_back({m.actual.data(), m.torque.data(), m.actual.size()});
    plant_ = IdentifyPlant(caps, period_);
    if (!plant_.ok || plant_.quality < 0.8) {
        Fail(plant_.ok ? "the measured motion does not fit a model of the axis (the fit explains " +
                             Percent(std::max(0.0, plant_.quality)) + ")"
                       : "the measured motion does not fit a model of the axis");
        return 0;
    }
    phase_ = TunePhase::Computing;
    progress_ = 50;
    step_ = Step::Compute;
    return 0;
}

DWORD AutoTuneRun::ComputeStep() {
    auto job = std::make_shared<ComputeJob>();
    job->axis.plant = plant_;
    job->axis.period = period_;
    job->axis.derivativeTicks = derivativeTicks_;
    job->axis.outputLimit = motion_.Torque;
    // The integrator only has to overcome friction and what holds the axis at
    // rest; a limit much above that winds up during the move and overshoots.
    // Never above the limit in force.
    double limit = std::max({3 * plant_.coulomb / plant_.gain, 2 * restOutput_, 0.01 * motion_.Torque});
    if (filter0_.IntegrationLimit > 0) limit = std::min(limit, filter0_.IntegrationLimit);
    tunedIntegrationLimit_ = limit;
    job->axis.integrationLimit = limit;
    job->style = setup_.style;
    const int n = std::clamp(static_cast<int>(std::lround(kCheckSeconds / period_)), kMinPoints, buffer_);
    job->ticks = static_cast<size_t>(n) + 1;
    const double d = std::fabs(setup_.distance);
    job->command = setup_.trajectory ? TrapezoidCommand(d, motion_.Velocity, motion_.Acceleration,
                                                        motion_.Deceleration, period_, job->ticks)
                                     : StepCommand(d, job->ticks);
    if (checks_ > 0) {
        // A refined model that shows why the last check failed is trusted as
        // any model is; otherwise the design stays below what failed.
        ModelAxis replay = checkedAxis_;
        replay.plant = plant_;
        if (ModelExplainsCheck(replay, design_.gains, job->command, job->ticks, setup_.style, measured_))
            limits_ = DesignLimits();
    }
    job->limits = limits_;
    // A coarse encoder at a fast servo rate lets only a small D through its
    // noise bound; sampling the derivative over a few servo periods divides
    // that noise, at the cost of some phase, which the design weighs.
    job->limits.maxDerivativeTicks = std::max(derivativeTicks_, kMaxDerivativeTicks);
    job_ = job;
    // The search runs apart from the window's thread, so Cancel acts at once
    // however long it takes; the job owns everything it reads.
    std::thread([job] {
        job->result = DesignGains(job->axis, job->style, job->command, job->ticks, job->limits);
        job->done = true;
    }).detach();
    computeStarted_ = GetTickCount();
    step_ = Step::ComputeWait;
    return kPollMs;
}

DWORD AutoTuneRun::ComputeWaitStep() {
    if (!job_->done) {
        if (GetTickCount() - computeStarted_ > kComputeLimitMs) Fail("the gain computation did not end");
        return kPollMs;
    }
    design_ = job_->result;
    checkedAxis_ = job_->axis;
    checkedAxis_.derivativeTicks = design_.derivativeTicks;
    job_.reset();
    if (!design_.ok) {
        Fail("no gains found: " + design_.reason);
        return 0;
    }
    if (!(scale_.p > 0) || !(scale_.i > 0) || !(scale_.d > 0)) {
        Fail("the loop scaling is not usable");
        return 0;
    }
    proposed_ = {design_.gains.kp / scale_.p, design_.gains.ki / scale_.i, design_.gains.kd / scale_.d,
                 tunedIntegrationLimit_,
                 design_.derivativeTicks != derivativeTicks_ ? design_.derivativeTicks * period_ : -1.0};
    predicted_ = design_.predicted;
    hasProposal_ = true;
    ++checks_;
    phase_ = TunePhase::Checking;
    progress_ = 60;
    PlanCheck();
    return 0;
}

DWORD AutoTuneRun::EvaluateStep() {
    const double limit = StyleOvershoot(setup_.style);
    const bool overshoots = measured_.overshoot > limit;
    const bool late = measured_.settled && predicted_.Settled() && measured_.settling > 1.5 * predicted_.settling + 0.01;
    if (measured_.settled && !overshoots && !late) {
        EndRun();
        phase_ = TunePhase::Done;
        return 0;
    }
    if (checks_ >= kMaxChecks) {
        char text[160];
        if (!measured_.settled)
            std::snprintf(text, sizeof text,
                          measured_.overshoot > 2 ? "the check step rings and does not settle"
                                                  : "the check step does not settle within its record time");
        else if (overshoots)
            std::snprintf(text, sizeof text, "the check step overshoots by %.1f %% (the style allows %.0f %%)",
                          measured_.overshoot, limit);
        else std::snprintf(text, sizeof text, "the check step settles much later than predicted");
        Fail(text);
        return 0;
    }
    // Refine: the check steps join the identification, the design aims lower
    // by what the check overshot beyond the prediction, and no faster.
    const double excess = std::max(0.0, measured_.overshoot - predicted_.overshoot);
    const double target = limits_.overshootTarget >= 0 ? limits_.overshootTarget : limit;
    if (overshoots || !measured_.settled) limits_.overshootTarget = std::max(0.1, target - excess - 0.5);
    limits_.omegaCap = 0.8 * design_.omega;
    phase_ = TunePhase::Identifying;
    step_ = Step::Identify;
    return 0;
}
