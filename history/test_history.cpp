// The test history's runs and their curve budget.
#include "test_history.h"

#include <algorithm>
#include <utility>

namespace {

size_t CurveSize(const HistoryRun& r) { return r.Actual.size() * sizeof(double); }

}  // namespace

const HistoryRun& TestHistory::AddRun(HistoryRun run) {
    int last = 0;
    for (const HistoryRun& r : runs_)
        if (r.Controller == run.Controller && r.Axis == run.Axis) last = std::max(last, r.Number);
    run.Number = last + 1;
    curveBytes_ += CurveSize(run);
    runs_.push_back(std::move(run));
    TrimCurves();
    return runs_.back();
}

void TestHistory::AddStored(std::vector<HistoryRun> runs) {
    for (HistoryRun& r : runs) {
        r.Actual.clear();
        runs_.push_back(std::move(r));
    }
}

void TestHistory::TrimCurves() {
    for (HistoryRun& r : runs_) {
        if (curveBytes_ <= curveLimit_) return;
        curveBytes_ -= CurveSize(r);
        r.Actual.clear();
        r.Actual.shrink_to_fit();
    }
}

std::vector<const HistoryRun*> TestHistory::RunsOf(int controller, int axis) const {
    std::vector<const HistoryRun*> out;
    for (const HistoryRun& r : runs_)
        if (r.Controller == controller && r.Axis == axis) out.push_back(&r);
    return out;
}

const HistoryRun* TestHistory::Find(int controller, int axis, int number) const {
    for (const HistoryRun& r : runs_)
        if (r.Controller == controller && r.Axis == axis && r.Number == number) return &r;
    return nullptr;
}
