// The Auto Tune run as a state machine over the controller library: measuring
// moves, loop scaling and plant identification, gain computation, and check
// steps with the proposed gains. Each Advance does one short piece of work and
// says when it wants to be called again, so a dialog can pump messages between
// the steps and cancel at any moment.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "../controller/zq_records.h"
#include "gain_design.h"
#include "loop_analysis.h"

enum class TunePhase { Idle, Measuring, Identifying, Computing, Checking, Done, Failed, Cancelled };

// The phase as the status line names it.
const char* TunePhaseText(TunePhase phase);

struct AutoTuneSetup {
    short handle = 0;
    unsigned short axis = 1;
    unsigned short partner = 0;  // gantry partner geared to the axis during the moves; 0: none
    TuneStyle style = TuneStyle::Medium;
    double distance = 100;       // the test distance: the check step, and the farthest any move goes
    bool trajectory = false;     // moves through the trajectory generator (operating mode 2)
};

// P, I and D as the controller holds them, and the integration limit the
// method chose (negative: the one in force is kept).
struct GainSet {
    double p = 0, i = 0, d = 0;
    double integrationLimit = -1;
    double derivativePeriod = -1;  // derivative sample period, s; below 0: as in force
};

// One captured move: points at the servo period from the move's start, and
// the target and optimal position read just before it.
struct CapturedMove {
    std::vector<double> actual, optimal, torque;
    double startTarget = 0, startOptimal = 0;
    double distance = 0;
    double period = 0;
};

// Figures of a check step as the dialog shows them; negative: not available.
struct CheckFigures {
    double rise = -1, overshoot = -1, settling = -1;
    bool settled = false;
};

// Measured figures of a captured step: the step metrics of the move as the
// test history and the plots would show it (start sample first).
CheckFigures MeasureCheck(const CapturedMove& move);

// True when the model, run with the gains of a check that missed the style,
// misses it the same way: overshooting beyond the style's limit where the
// check did, otherwise not settling or settling within a third as late. A
// model that explains the failed check may design freely again; one that
// does not is only trusted with slower gains.
bool ModelExplainsCheck(const ModelAxis& axis, const LoopGains& gains, const std::vector<double>& command,
                        size_t ticks, TuneStyle style, const CheckFigures& measured);

class AutoTuneRun {
public:
    explicit AutoTuneRun(const AutoTuneSetup& setup);
    // A run that has not finished is cancelled.
    ~AutoTuneRun();
    AutoTuneRun(const AutoTuneRun&) = delete;
    AutoTuneRun& operator=(const AutoTuneRun&) = delete;

    // Reads the gains in force and starts measuring.
    void Start();
    // Does the next piece of work. Returns the milliseconds after which it
    // wants to be called again (0: at once); nothing more happens once Finished.
    DWORD Advance();
    // Stops the axis and puts back the gains in force before Start.
    void Cancel();
    // After Done: the caller keeps the checked gains (they stay on the axis).
    // Without Keep, the destructor or Cancel restores the gains of Start.
    void Keep() { kept_ = true; }
    // Writes the gains in force before Start back to the axis (no-op before Start).
    void RestoreGains();

    bool Finished() const { return phase_ == TunePhase::Done || phase_ == TunePhase::Failed || phase_ == TunePhase::Cancelled; }
    TunePhase Phase() const { return phase_; }
    // "Measuring the loop", ..., "Done", or why the run stopped.
    std::string Status() const;
    const std::string& Reason() const { return reason_; }
    int Progress() const { return progress_; }  // 0 to 100
    const GainSet& Original() const { return original_; }
    const GainSet& Proposed() const { return proposed_; }
    bool HasProposal() const { return hasProposal_; }
    const StepFigures& Predicted() const { return predicted_; }
    const CheckFigures& Measured() const { return measured_; }
    // The last check step (plus direction), for the plots and the history.
    const CapturedMove& CheckStep() const { return check_; }
    const FilterConfig& OriginalFilter() const { return filter0_; }
    int Checks() const { return checks_; }
    // What the measuring found: the loop's scaling and the identified axis.
    const LoopScale& Scale() const { return scale_; }
    const PlantModel& Plant() const { return plant_; }
    double ServoPeriodSeconds() const { return period_; }

private:
    enum class Step {
        Begin, MoveSettle, MoveStart, MoveWait, AfterMove, Analyse, Identify, Compute, ComputeWait, Evaluate, Finish
    };
    struct MovePlan {
        double distance = 0;
        int points = 0;
        GainSet gains;
        bool integral = true;  // false: integral gain 0 for this move
    };
    struct ComputeJob;

    void Fail(const std::string& reason);
    void WriteGains(const GainSet& g, bool integral);
    bool TrippedOrOff(std::string* why);
    void BeginMove(const MovePlan& plan);
    DWORD SettleStep();
    DWORD StartMoveStep();
    DWORD WaitMoveStep();
    DWORD AfterMoveStep();
    DWORD AnalyseStep();
    DWORD IdentifyStep();
    DWORD ComputeStep();
    DWORD ComputeWaitStep();
    DWORD EvaluateStep();
    void PlanMeasuring();
    void PlanCheck();
    void EndRun();

    AutoTuneSetup setup_;
    TunePhase phase_ = TunePhase::Idle;
    Step step_ = Step::Begin;
    std::string reason_;
    int progress_ = 0;
    bool started_ = false, kept_ = false, gearing_ = false;

    GainSet original_, measuring_, proposed_;
    FilterConfig filter0_{};
    MotionConfig motion_{};
    double period_ = 0;
    int derivativeTicks_ = 1;
    int buffer_ = 0;
    double resolution_ = 0;
    double restTolerance_ = 0;

    std::vector<MovePlan> plan_;
    size_t planIndex_ = 0;
    MovePlan current_;
    CapturedMove move_;
    DWORD moveStarted_ = 0, waitLimit_ = 0, settleSince_ = 0, computeStarted_ = 0;
    double settlePosition_ = 0;
    bool settleHave_ = false;

    double tunedIntegrationLimit_ = -1;
    double restOutput_ = 0;  // largest output that held the axis at rest after a measuring move
    std::vector<CapturedMove> measured_moves_;
    std::vector<CapturedMove> check_moves_;
    int measuringAttempt_ = 0;
    bool quietDerivative_ = false;  // measuring again at a quarter of D
    size_t returnMoves_ = 0;  // moves at the head of the plan that only bring the axis back
    double offset_ = 0;       // where the completed moves left the axis, from its start
    LoopScale scale_;
    PlantModel plant_;
    DesignLimits limits_;
    Design design_;
    ModelAxis checkedAxis_;  // the model the last checked gains were designed on
    bool hasProposal_ = false;
    StepFigures predicted_;
    CheckFigures measured_;
    CapturedMove check_;
    int checks_ = 0;
    std::shared_ptr<ComputeJob> job_;
};
