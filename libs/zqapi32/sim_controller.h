// One simulated controller: its axes, its clock, command blocks run on that
// clock, registers, and every operation of the library with its checks. Axis
// numbers start at 1; every operation returns 0 or a negative error code.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "controller/zq_records.h"
#include "sim_axis.h"
#include "sim_config.h"

namespace zqsim {

class Controller {
public:
    explicit Controller(const ControllerSpec& spec);

    const ControllerSpec& Spec() const { return spec_; }
    int NumberAxes() const { return static_cast<int>(axes_.size()); }
    bool FloatingPoint() const { return (spec_.flags & 4) != 0 && spec_.type != 8; }
    Axis& AxisAt(int axis) { return *axes_[static_cast<size_t>(axis - 1)]; }

    // Simulated time in nanoseconds since power-on; runs every servo tick and
    // command up to and including time t. Never goes back.
    void AdvanceTo(int64_t t);
    int64_t Now() const { return now_; }
    bool BlockRunning() const { return !tasks_.empty(); }
    bool Building() const { return building_; }

    int Reset();
    int GetConfiguration(ControllerParams* params);
    int GetConfigurationEx(ControllerConfig* config);
    int GetAxisConfiguration(int axis, AxisConfig* config);
    int GetStatus(int axis);
    int DecodeStatus(int status, int flag);

    enum Reading { kActual, kTarget, kOptimal, kAuxiliary, kTorque, kFollowingError, kGain, kVelocity,
                   kAcceleration, kDeceleration, kTorqueLimit, kActualVelocity };
    int Get(int axis, Reading what, double* value);
    enum Setting { kSetPosition, kSetGain, kSetVelocity, kSetAcceleration, kSetDeceleration, kSetTorqueLimit,
                   kSetAuxPosition };
    int Set(int axis, Setting what, double value);
    enum IntSetting { kProfile, kOutputPhase, kOutputMode, kOperatingMode };
    int GetInt(int axis, IntSetting what, int* value);
    int SetInt(int axis, IntSetting what, int value);

    int GetScale(int axis, AxisScale* scale);
    int SetScale(int axis, const AxisScale* scale);
    int GetMotion(int axis, MotionConfig* motion);
    int SetMotion(int axis, const MotionConfig* motion);
    int GetFilter(int axis, FilterConfig* filter);
    int SetFilter(int axis, const FilterConfig* filter);

    int SetOperatingMode(int axis, int zero, int mode);
    int EnableAxis(int axis, int state);
    int IsAtTarget(int axis);
    int IsStopped(int axis);

    // Commands that a command block queues; outside a block they act at once
    // (a wait outside a block only reports whether the axis has stopped).
    int BlockBegin(int mode, int reserved);
    int BlockEnd(int* task);
    // Forgets a block begun and not ended (its caller went away).
    void DropUnfinishedBlock();
    int CaptureData(int axis, int points, double period, double delay);
    int MoveRelative(int axis, double distance);
    int MoveAbsolute(int axis, double position);
    int WaitForStop(int axis, double dwell);
    int EnableGearing(int slave, int master, double ratio, int state);
    int Command(int axis, int opcode, const void* argument, int type);
    int SetRegister(int reg, const void* value, int type);
    int GetRegister(int reg, void* value, int type);
    int Stop(int axis);
    int Abort();
    int CancelTask(int task);

    int GetCaptureData(int axis, int type, int first, int count, double* values);

    // Opcodes of the controller's command language (qlxcmdex).
    enum Opcode {
        kOpJumpIf = 6,          // jump to block command argument while the loop condition holds
        kOpLoopEnd = 120,       // marks the end of a loop body; no effect
        kOpDecrement = 134,     // register 0 -= argument
        kOpCompare = 163,       // loop condition = register 0 > argument
        kOpCapture = 212,       // capture argument points with the axis's set period and delay
    };

private:
    struct Cmd {
        enum Kind { kCaptureSetPeriod, kCaptureSetDelay, kCaptureArm, kMove, kMoveTo, kWait, kGear, kOp } kind;
        int axis = 0, axis2 = 0, opcode = 0, value = 0;
        double x = 0, y = 0;
    };
    struct Task {
        int id = 0;
        std::vector<Cmd> cmds;
        size_t pc = 0;
        bool dwelling = false;
        int64_t wait_until = 0;
    };

    int CheckAxis(int axis) const;
    bool CanGear(int slave, int master) const;
    int CheckServo(int axis) const;
    int Queue(const Cmd& cmd);
    void Execute(const Cmd& cmd, Task* task);
    void RunTasks(int64_t now);
    void TickAxes(int64_t now);
    bool CanSetCapturePeriod(const Axis& a) const;
    // A block runs, a move is under way or a capture is armed.
    bool Busy() const;

    ControllerSpec spec_;
    GainUnits units_;
    std::vector<std::unique_ptr<Axis>> axes_;
    std::vector<int> gear_master_;  // per axis, 0: not geared
    std::vector<int> capture_period_ticks_, capture_delay_ticks_;
    int64_t now_ = 0;
    bool building_ = false;
    std::vector<Cmd> block_;
    std::deque<Task> tasks_;
    int next_task_ = 1;
    int32_t registers_[256] = {};
    bool condition_ = false;
};

}  // namespace zqsim
