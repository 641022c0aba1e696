// One simulated controller (see sim_controller.h).
#include "sim_controller.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "libs/common/sim_limits.h"
#include "sim_errors.h"

namespace zqsim {

namespace {

bool Finite(double v) { return std::isfinite(v); }

// The ranges in which a setting cannot make the loop or the trajectory
// overflow (libs/common/sim_limits.h); NaN is in none of them.
bool IsGain(double v) { return v >= 0 && v <= zqlimits::kMaxGain; }
bool IsOutput(double v) { return v >= 0 && v <= zqlimits::kMaxOutput; }
bool IsPosition(double v) { return std::fabs(v) <= zqlimits::kMaxPosition; }
bool IsMotion(double v) { return v >= zqlimits::kMinMotion && v <= zqlimits::kMaxMotion; }

// An idle controller (no block running, no move under way, no capture armed)
// left alone for longer than this catches up only this much of the gap; the
// rest passes with its axes frozen, so a call after a long idle never stalls
// the caller. A busy controller always catches up completely.
constexpr int64_t kMaxCatchUpNs = 5'000'000'000LL;

// Commands run at one instant at most this many times, so a block that jumps
// without waiting cannot hang the controller.
constexpr int kCommandsPerInstant = 10000;

}  // namespace

Controller::Controller(const ControllerSpec& spec)
    : spec_(spec), units_(GainUnits::For((spec.flags & 4) != 0 && spec.type != 8)) {
    int n = static_cast<int>(spec.axes.size());
    for (const auto& a : spec.axes) axes_.push_back(std::make_unique<Axis>(a, units_, spec.type, n));
    Reset();
}

int Controller::Reset() {
    for (auto& a : axes_) a->PowerOn();
    gear_master_.assign(axes_.size() + 1, 0);
    capture_period_ticks_.assign(axes_.size() + 1, 1);
    capture_delay_ticks_.assign(axes_.size() + 1, 0);
    building_ = false;
    block_.clear();
    tasks_.clear();
    std::memset(registers_, 0, sizeof registers_);
    condition_ = false;
    return kOk;
}

// Gearing does not chain: a master follows nobody and a slave leads nobody.
bool Controller::CanGear(int slave, int master) const {
    if (gear_master_[static_cast<size_t>(master)] != 0) return false;
    return std::find(gear_master_.begin(), gear_master_.end(), slave) == gear_master_.end();
}

int Controller::CheckAxis(int axis) const {
    return axis >= 1 && axis <= NumberAxes() ? kOk : kErrBadAxis;
}

int Controller::CheckServo(int axis) const {
    if (int e = CheckAxis(axis)) return e;
    return axes_[static_cast<size_t>(axis - 1)]->IsServo() ? kOk : kErrNotServo;
}

bool Controller::CanSetCapturePeriod(const Axis& a) const {
    return (a.Spec().capture & 0x100) != 0 || spec_.type == 6 || spec_.type == 7 || spec_.type == 8;
}

// ---- time -------------------------------------------------------------

void Controller::TickAxes(int64_t now) {
    // Masters first, so a geared axis follows its master's command of the same
    // tick whatever the two axes' numbers (gearing does not chain: a master is never geared).
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < axes_.size(); ++i) {
            Axis& a = *axes_[i];
            int m = gear_master_[i + 1];
            if (a.NextTickNs() != now || (m != 0) != (pass == 1)) continue;
            a.Tick(m ? axes_[static_cast<size_t>(m - 1)].get() : nullptr);
        }
    }
}

bool Controller::Busy() const {
    if (!tasks_.empty()) return true;
    return std::any_of(axes_.begin(), axes_.end(),
                       [](const auto& a) { return a->Moving() || a->CaptureData().Active(); });
}

void Controller::AdvanceTo(int64_t t) {
    if (t <= now_) return;
    if (axes_.empty()) { now_ = t; return; }
    for (;;) {
        int64_t next = std::numeric_limits<int64_t>::max();
        for (auto& a : axes_) next = std::min(next, a->NextTickNs());
        if (t - next > kMaxCatchUpNs && !Busy()) {
            // Idle with more than the catch-up still to go: skip to its start.
            int64_t skip_to = t - kMaxCatchUpNs;
            for (auto& a : axes_)
                if (a->NextTickNs() <= skip_to) a->SkipTicks((skip_to - a->NextTickNs()) / a->PeriodNs() + 1);
            continue;
        }
        if (next > t) break;
        if (tasks_.empty() &&
            std::all_of(axes_.begin(), axes_.end(), [](const auto& a) { return a->Quiet(); })) {
            // Nothing changes any more until the next call: skip the ticks.
            for (auto& a : axes_)
                if (a->NextTickNs() <= t) a->SkipTicks((t - a->NextTickNs()) / a->PeriodNs() + 1);
            break;
        }
        RunTasks(next);
        TickAxes(next);
    }
    now_ = t;
}

void Controller::RunTasks(int64_t now) {
    for (int budget = kCommandsPerInstant; budget > 0 && !tasks_.empty(); --budget) {
        Task& task = tasks_.front();
        if (task.pc >= task.cmds.size()) {
            tasks_.pop_front();
            continue;
        }
        const Cmd& c = task.cmds[task.pc];
        if (c.kind == Cmd::kWait) {
            if (!task.dwelling) {
                if (AxisAt(c.axis).Moving()) return;
                task.dwelling = true;
                task.wait_until = now + std::llround(c.x * 1e9);
            }
            if (now < task.wait_until) return;
            task.dwelling = false;
            ++task.pc;
            continue;
        }
        ++task.pc;
        Execute(c, &task);
    }
}

void Controller::Execute(const Cmd& c, Task* task) {
    switch (c.kind) {
    case Cmd::kCaptureSetPeriod: capture_period_ticks_[static_cast<size_t>(c.axis)] = c.value; break;
    case Cmd::kCaptureSetDelay: capture_delay_ticks_[static_cast<size_t>(c.axis)] = c.value; break;
    case Cmd::kCaptureArm:
        AxisAt(c.axis).ArmCapture(c.value, capture_period_ticks_[static_cast<size_t>(c.axis)],
                                  capture_delay_ticks_[static_cast<size_t>(c.axis)]);
        break;
    case Cmd::kMove: {
        Axis& a = AxisAt(c.axis);
        if (a.MotorOn() && !a.Geared()) a.MoveTo(a.Target() + c.x);
        break;
    }
    case Cmd::kMoveTo: {
        Axis& a = AxisAt(c.axis);
        if (a.MotorOn() && !a.Geared()) a.MoveTo(c.x);
        break;
    }
    case Cmd::kGear: {
        Axis& slave = AxisAt(c.axis);
        if (c.value) {
            if (!CanGear(c.axis, c.axis2)) break;
            gear_master_[static_cast<size_t>(c.axis)] = c.axis2;
            slave.Gear(true, c.x, &AxisAt(c.axis2));
        } else {
            gear_master_[static_cast<size_t>(c.axis)] = 0;
            slave.Gear(false, 1, nullptr);
        }
        break;
    }
    case Cmd::kOp:
        switch (c.opcode) {
        case kOpDecrement:
            // A 32-bit register: the subtraction wraps around as the controller's does.
            registers_[0] = static_cast<int32_t>(static_cast<uint32_t>(registers_[0]) - static_cast<uint32_t>(c.value));
            break;
        case kOpCompare: condition_ = registers_[0] > c.value; break;
        case kOpJumpIf:
            if (condition_ && task) {
                task->pc = static_cast<size_t>(c.value);
                condition_ = false;
            }
            break;
        default: break;
        }
        break;
    case Cmd::kWait: break;
    }
}

int Controller::Queue(const Cmd& cmd) {
    if (building_) {
        block_.push_back(cmd);
        return kOk;
    }
    Execute(cmd, nullptr);
    for (auto& a : axes_) a->Wake();
    return kOk;
}

// ---- configuration ----------------------------------------------------

int Controller::GetConfiguration(ControllerParams* params) {
    if (!params) return kErrNullPointer;
    std::memset(params, 0, sizeof *params);
    params->AxisCount = static_cast<int16_t>(NumberAxes());
    return kOk;
}

int Controller::GetConfigurationEx(ControllerConfig* config) {
    if (!config) return kErrNullPointer;
    if (config->Size != kControllerConfigSize) return kErrBadSize;
    std::memset(config, 0, sizeof *config);
    config->Size = kControllerConfigSize;
    config->Reserved4 = spec_.id;
    config->ControllerType = spec_.type;
    config->NumberAxes = NumberAxes();
    config->Flags = spec_.flags;
    return kOk;
}

int Controller::GetAxisConfiguration(int axis, AxisConfig* config) {
    if (!config) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    if (config->Size != kAxisConfigSize) return kErrBadSize;
    const AxisSpec& s = AxisAt(axis).Spec();
    std::memset(config, 0, sizeof *config);
    config->Size = kAxisConfigSize;
    config->ModuleType = s.module;
    config->Reserved8 = axis;
    config->Flags = s.flags;
    config->CaptureFlags = s.capture;
    config->CaptureBufferSize = s.buffer;
    config->HighRatePeriod = s.high;
    config->MediumRatePeriod = s.medium;
    config->LowRatePeriod = s.low;
    return kOk;
}

int Controller::GetStatus(int axis) {
    if (int e = CheckAxis(axis)) return e;
    return AxisAt(axis).Status();
}

int Controller::DecodeStatus(int status, int flag) {
    if (status < 0 || flag < 1 || flag > 31) return kErrBadValue;
    return (status >> (flag - 1)) & 1;
}

// ---- plain values -----------------------------------------------------

int Controller::Get(int axis, Reading what, double* value) {
    if (!value) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    if (what == kAuxiliary && !(a.Spec().capture & 0x200)) return kErrNotSupported;
    switch (what) {
    case kActual: *value = a.Actual(); break;
    case kTarget: *value = a.Target(); break;
    case kOptimal: *value = a.Optimal(); break;
    case kAuxiliary: *value = a.Auxiliary(); break;
    case kTorque: *value = a.Torque(); break;
    case kFollowingError: *value = a.FollowingError(); break;
    case kGain: *value = a.gains.kp; break;
    case kVelocity: *value = a.velocity; break;
    case kAcceleration: *value = a.acceleration; break;
    case kDeceleration: *value = a.deceleration; break;
    case kTorqueLimit: *value = a.torque_limit; break;
    case kActualVelocity: *value = a.ActualVelocity(); break;
    }
    return kOk;
}

int Controller::Set(int axis, Setting what, double value) {
    if (int e = CheckAxis(axis)) return e;
    if (!Finite(value)) return kErrBadValue;
    Axis& a = AxisAt(axis);
    switch (what) {
    case kSetPosition: {
        if (!IsPosition(value)) return kErrBadValue;
        double shift = value - a.Actual();
        a.SetPosition(value);
        // A new readout of the master is no move: its slaves stay where they are.
        for (size_t s = 1; s < gear_master_.size(); ++s)
            if (gear_master_[s] == axis) AxisAt(static_cast<int>(s)).MasterShifted(shift);
        break;
    }
    case kSetAuxPosition:
        if (!(a.Spec().capture & 0x200)) return kErrNotSupported;
        if (!IsPosition(value)) return kErrBadValue;
        a.SetAuxPosition(value);
        break;
    case kSetGain:
        if (!a.IsServo()) return kErrNotServo;
        if (!IsGain(value)) return kErrBadValue;
        a.gains.kp = value;
        break;
    case kSetVelocity:
    case kSetAcceleration:
    case kSetDeceleration:
        if (!IsMotion(value)) return kErrBadValue;
        (what == kSetVelocity ? a.velocity : what == kSetAcceleration ? a.acceleration : a.deceleration) = value;
        break;
    case kSetTorqueLimit:
        if (!IsOutput(value)) return kErrBadValue;
        a.torque_limit = value;
        break;
    }
    a.Wake();
    return kOk;
}

int Controller::GetInt(int axis, IntSetting what, int* value) {
    if (!value) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    switch (what) {
    case kProfile: *value = a.profile; break;
    case kOutputPhase: *value = a.output_phase; break;
    case kOutputMode: *value = a.output_mode; break;
    case kOperatingMode: *value = a.mode; break;
    }
    return kOk;
}

int Controller::SetInt(int axis, IntSetting what, int value) {
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    switch (what) {
    case kProfile:
        if (value != kTrapezoidal && value != kSCurve && value != kParabolic) return kErrBadValue;
        a.profile = value;
        break;
    case kOutputPhase:
        if (value != 0 && value != 1) return kErrBadValue;
        a.output_phase = value;
        break;
    case kOutputMode:
        if (value < 0 || value > 3) return kErrBadValue;
        a.output_mode = value;
        break;
    case kOperatingMode:
        if (value != 1 && value != 2) return kErrBadValue;
        a.SetMode(value);
        break;
    }
    a.Wake();
    return kOk;
}

// ---- records ----------------------------------------------------------

int Controller::GetScale(int axis, AxisScale* scale) {
    if (!scale) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    std::memcpy(scale, a.scale_bytes.data(), sizeof *scale);
    scale->Scale = a.scale;
    return kOk;
}

int Controller::SetScale(int axis, const AxisScale* scale) {
    if (!scale) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    if (!Finite(scale->Scale) || scale->Scale == 0) return kErrBadValue;
    Axis& a = AxisAt(axis);
    std::memcpy(a.scale_bytes.data(), scale, sizeof *scale);
    a.scale = scale->Scale;
    return kOk;
}

int Controller::GetMotion(int axis, MotionConfig* motion) {
    if (!motion) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    std::memcpy(motion, a.motion_bytes.data(), sizeof *motion);
    motion->Acceleration = a.acceleration;
    motion->Deceleration = a.deceleration;
    motion->Velocity = a.velocity;
    motion->Gain = a.gains.kp;
    motion->Torque = a.torque_limit;
    motion->UpdateRate = static_cast<int16_t>(a.update_rate);
    return kOk;
}

int Controller::SetMotion(int axis, const MotionConfig* m) {
    if (!m) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    if (!IsMotion(m->Acceleration) || !IsMotion(m->Deceleration) || !IsMotion(m->Velocity) || !IsGain(m->Gain) ||
        !IsOutput(m->Torque))
        return kErrBadValue;
    if (m->UpdateRate != 1 && m->UpdateRate != 2 && m->UpdateRate != 4) return kErrBadValue;
    Axis& a = AxisAt(axis);
    std::memcpy(a.motion_bytes.data(), m, sizeof *m);
    a.acceleration = m->Acceleration;
    a.deceleration = m->Deceleration;
    a.velocity = m->Velocity;
    a.gains.kp = m->Gain;
    a.torque_limit = m->Torque;
    if (a.update_rate != m->UpdateRate) {
        a.update_rate = m->UpdateRate;
        a.Retime();
    }
    a.Wake();
    return kOk;
}

int Controller::GetFilter(int axis, FilterConfig* filter) {
    if (!filter) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    std::memcpy(filter, a.filter_bytes.data(), sizeof *filter);
    filter->DerivativeGain = a.gains.kd;
    filter->DerivativeSamplePeriod = a.gains.derivative_period;
    filter->IntegralGain = a.gains.ki;
    filter->IntegrationLimit = a.gains.il;
    filter->VelocityGain = a.gains.kv;
    filter->FollowingError = a.gains.following_error;
    return kOk;
}

int Controller::SetFilter(int axis, const FilterConfig* f) {
    if (!f) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    for (double v : {f->DerivativeGain, f->DerivativeSamplePeriod, f->IntegralGain, f->IntegrationLimit,
                     f->VelocityGain, f->FollowingError})
        if (!Finite(v) || v < 0) return kErrBadValue;
    if (!IsGain(f->DerivativeGain) || !IsGain(f->IntegralGain) || !IsGain(f->VelocityGain) ||
        !IsOutput(f->IntegrationLimit) || f->DerivativeSamplePeriod > zqlimits::kMaxDerivativePeriod)
        return kErrBadValue;
    Axis& a = AxisAt(axis);
    std::memcpy(a.filter_bytes.data(), f, sizeof *f);
    a.gains.kd = f->DerivativeGain;
    a.gains.derivative_period = f->DerivativeSamplePeriod;
    a.gains.ki = f->IntegralGain;
    a.gains.il = f->IntegrationLimit;
    a.gains.kv = f->VelocityGain;
    a.gains.following_error = f->FollowingError;
    a.Wake();
    return kOk;
}

// ---- motor and motion -------------------------------------------------

int Controller::SetOperatingMode(int axis, int zero, int mode) {
    if (zero != 0) return kErrBadValue;
    return SetInt(axis, kOperatingMode, mode);
}

int Controller::EnableAxis(int axis, int state) {
    if (int e = CheckAxis(axis)) return e;
    if (state != 0 && state != 1) return kErrBadValue;
    Axis& a = AxisAt(axis);
    a.Enable(state == 1);
    return kOk;
}

int Controller::IsAtTarget(int axis) {
    if (int e = CheckAxis(axis)) return e;
    return (AxisAt(axis).Status() & kStatusAtTarget) ? 1 : 0;
}

int Controller::IsStopped(int axis) {
    if (int e = CheckAxis(axis)) return e;
    return AxisAt(axis).Moving() ? 0 : 1;
}

int Controller::BlockBegin(int mode, int reserved) {
    if (mode != 0 || reserved != 0) return kErrBadValue;
    if (building_) return kErrBlockState;
    building_ = true;
    block_.clear();
    return kOk;
}

int Controller::BlockEnd(int* task) {
    if (!building_) return kErrBlockState;
    building_ = false;
    Task t;
    t.id = next_task_++;
    t.cmds.swap(block_);
    if (task) *task = t.id;
    tasks_.push_back(std::move(t));
    return kOk;
}

void Controller::DropUnfinishedBlock() {
    building_ = false;
    block_.clear();
}

int Controller::CaptureData(int axis, int points, double period, double delay) {
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    if (a.Spec().capture == 0) return kErrNotSupported;
    if (!Finite(period) || !Finite(delay) || period < 0 || delay < 0 || points < 1 || points > a.CaptureBufferSize())
        return kErrBadValue;
    int period_ticks = 1, delay_ticks = 0;
    if (CanSetCapturePeriod(a)) {
        double p = std::round(period / a.Period());
        double d = std::round(delay / a.Period());
        if (p > 1e6 || d > 1e9) return kErrBadValue;
        period_ticks = std::max(1, static_cast<int>(p));
        delay_ticks = static_cast<int>(d);
    }
    Cmd c{};
    c.axis = axis;
    c.kind = Cmd::kCaptureSetPeriod;
    c.value = period_ticks;
    Queue(c);
    c.kind = Cmd::kCaptureSetDelay;
    c.value = delay_ticks;
    Queue(c);
    c.kind = Cmd::kCaptureArm;
    c.value = points;
    return Queue(c);
}

int Controller::MoveRelative(int axis, double distance) {
    if (int e = CheckAxis(axis)) return e;
    if (!IsPosition(distance)) return kErrBadValue;
    Axis& a = AxisAt(axis);
    if (!building_ && !a.MotorOn()) return kErrMotorOff;
    if (!building_ && a.Geared()) return kErrGeared;
    Cmd c{};
    c.kind = Cmd::kMove;
    c.axis = axis;
    c.x = distance;
    return Queue(c);
}

int Controller::MoveAbsolute(int axis, double position) {
    if (int e = CheckAxis(axis)) return e;
    if (!IsPosition(position)) return kErrBadValue;
    Axis& a = AxisAt(axis);
    if (!building_ && !a.MotorOn()) return kErrMotorOff;
    if (!building_ && a.Geared()) return kErrGeared;
    Cmd c{};
    c.kind = Cmd::kMoveTo;
    c.axis = axis;
    c.x = position;
    return Queue(c);
}

int Controller::WaitForStop(int axis, double dwell) {
    if (int e = CheckAxis(axis)) return e;
    if (!Finite(dwell) || dwell < 0 || dwell > 3600) return kErrBadValue;
    if (!building_) return AxisAt(axis).Moving() ? kErrTimeout : kOk;
    Cmd c{};
    c.kind = Cmd::kWait;
    c.axis = axis;
    c.x = dwell;
    return Queue(c);
}

int Controller::EnableGearing(int slave, int master, double ratio, int state) {
    if (int e = CheckAxis(slave)) return e;
    if (int e = CheckAxis(master)) return e;
    if (slave == master) return kErrBadAxis;
    if (!(std::fabs(ratio) <= zqlimits::kMaxGearRatio)) return kErrBadValue;
    if (state != 0 && state != 1) return kErrBadValue;
    if (state == 1 && !CanGear(slave, master)) return kErrGeared;
    Cmd c{};
    c.kind = Cmd::kGear;
    c.axis = slave;
    c.axis2 = master;
    c.x = ratio;
    c.value = state;
    return Queue(c);
}

int Controller::Command(int axis, int opcode, const void* argument, int type) {
    if (!argument) return kErrNullPointer;
    if (type != kValueInt32) return kErrBadType;
    int32_t arg;
    std::memcpy(&arg, argument, sizeof arg);
    Cmd c{};
    c.axis = axis;
    c.value = arg;
    switch (opcode) {
    case kOpCapture: {
        if (int e = CheckAxis(axis)) return e;
        Axis& a = AxisAt(axis);
        if (a.Spec().capture == 0) return kErrNotSupported;
        if (arg < 1 || arg > a.CaptureBufferSize()) return kErrBadValue;
        c.kind = Cmd::kCaptureArm;
        return Queue(c);
    }
    case kOpDecrement:
    case kOpCompare:
        c.kind = Cmd::kOp;
        c.opcode = opcode;
        return Queue(c);
    case kOpLoopEnd:
    case kOpJumpIf:
        // Loop structure only means something inside a block; a jump goes to one of its commands.
        if (!building_) return kErrBlockState;
        if (opcode == kOpJumpIf && (arg < 0 || static_cast<size_t>(arg) > block_.size())) return kErrBadValue;
        c.kind = Cmd::kOp;
        c.opcode = opcode;
        return Queue(c);
    }
    return kErrNotSupported;
}

int Controller::SetRegister(int reg, const void* value, int type) {
    if (!value) return kErrNullPointer;
    if (type != kValueInt32) return kErrBadType;
    if (reg < 0 || reg >= 256) return kErrBadValue;
    std::memcpy(&registers_[reg], value, sizeof(int32_t));
    return kOk;
}

int Controller::GetRegister(int reg, void* value, int type) {
    if (!value) return kErrNullPointer;
    if (type != kValueInt32) return kErrBadType;
    if (reg < 0 || reg >= 256) return kErrBadValue;
    std::memcpy(value, &registers_[reg], sizeof(int32_t));
    return kOk;
}

int Controller::Stop(int axis) {
    if (int e = CheckAxis(axis)) return e;
    // As on a card, a stop ends every running block that commands this axis, so
    // no later move, dwell or repeat of such a block runs. A capture already
    // armed goes on recording.
    auto commandsAxis = [axis](const Task& t) {
        return std::any_of(t.cmds.begin(), t.cmds.end(),
                           [axis](const Cmd& c) { return c.axis == axis || (c.kind == Cmd::kGear && c.axis2 == axis); });
    };
    tasks_.erase(std::remove_if(tasks_.begin(), tasks_.end(), commandsAxis), tasks_.end());
    AxisAt(axis).Stop();
    return kOk;
}

int Controller::Abort() {
    tasks_.clear();
    for (auto& a : axes_) a->Stop();
    return kOk;
}

int Controller::CancelTask(int task) {
    for (auto it = tasks_.begin(); it != tasks_.end(); ++it)
        if (it->id == task) {
            tasks_.erase(it);
            return kOk;
        }
    return kErrBadValue;
}

int Controller::GetCaptureData(int axis, int type, int first, int count, double* values) {
    if (!values) return kErrNullPointer;
    if (int e = CheckAxis(axis)) return e;
    Axis& a = AxisAt(axis);
    int caps = a.Spec().capture;
    const Capture& cap = a.CaptureData();
    const std::vector<double>* source = nullptr;
    switch (type) {
    case kCaptureActual: source = &cap.actual; break;
    case kCaptureOptimal: source = &cap.optimal; break;
    case kCaptureTorque: if (caps & kCapTorque) source = &cap.torque; break;
    case kCaptureAuxiliary: if (caps & kCapAuxiliary) source = &cap.aux; break;
    default: return kErrBadType;
    }
    if (!source) return kErrNotSupported;
    if (first < 0 || count < 1 || count > cap.recorded || first > cap.recorded - count) return kErrCaptureRange;
    std::copy(source->begin() + first, source->begin() + first + count, values);
    return kOk;
}

}  // namespace zqsim
