// The test history: every step test and every test data file opened becomes a
// run of its controller and axis, with its gains, loop settings, first-move
// metrics and actual curve. Plain data, no window; the program keeps one
// TestHistory in AppState::History.
//
// Other features add runs through AddRun (history_runs.h builds a run from the
// data on display), e.g. Auto Tune with the source "auto tune".
#pragma once
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct HistoryRun {
    int Number = 0;        // "Run N": 1, 2, ... per controller and axis, given by AddRun
    std::string Time;      // local time, "YYYY-MM-DDTHH:MM:SS"
    int Controller = 0;    // ControllerID
    int Axis = 1;
    std::string Source;    // "test", a file's name, "auto tune"
    // Gains and loop settings in force; empty for a file.
    std::optional<double> P, I, D, IntegrationLimit, VelocityGain, DerivativeSamplePeriod;
    std::optional<double> Distance, RecordTime;
    // Metrics of the first move: times in ms, overshoot and saturation in %.
    std::optional<double> RiseTime, TimeToPeak, Overshoot, SettlingTime, SteadyStateError;
    std::optional<double> PeakError, RmsError, PeakTorque, TorqueSaturation, PeakSkew, RmsSkew;
    // The actual curve, points spaced evenly from CurveStart to CurveEnd (ms);
    // empty for a run read back from its file or past the curve budget.
    std::vector<double> Actual;
    double CurveStart = 0.0, CurveEnd = 0.0;

    bool HasGains() const { return P && I && D; }
};

constexpr size_t kHistoryCurveLimit = 64u * 1024u * 1024u;  // bytes of curves over all runs

class TestHistory {
public:
    explicit TestHistory(size_t curveLimit = kHistoryCurveLimit) : curveLimit_(curveLimit) {}

    // Adds a run, numbered after the last run of its controller and axis, and
    // drops the curves of the oldest runs while all curves need more than the
    // limit. Returns the stored run.
    const HistoryRun& AddRun(HistoryRun run);
    // Adds runs read back from a file, keeping their numbers (and no curves);
    // read them back before the session adds runs of the same axis.
    void AddStored(std::vector<HistoryRun> runs);
    // The runs of one controller and axis, oldest first.
    std::vector<const HistoryRun*> RunsOf(int controller, int axis) const;
    // A run by controller, axis and number; nullptr when there is none.
    const HistoryRun* Find(int controller, int axis, int number) const;
    size_t CurveBytes() const { return curveBytes_; }
    size_t RunCount() const { return runs_.size(); }

    // Whether the file of a controller and axis was read back already.
    bool Loaded(int controller, int axis) const { return loaded_.count({controller, axis}) != 0; }
    void MarkLoaded(int controller, int axis) { loaded_.insert({controller, axis}); }

private:
    void TrimCurves();
    std::vector<HistoryRun> runs_;  // oldest first
    size_t curveBytes_ = 0;
    size_t curveLimit_;
    std::set<std::pair<int, int>> loaded_;
};
