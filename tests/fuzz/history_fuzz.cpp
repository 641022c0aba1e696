// Fuzz target for the test history's file reader. Whatever the bytes, every run
// it takes is of the asked controller and axis, numbered once, and writes back
// to a line that reads as the same run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "history/history_format.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameRun(const HistoryRun& a, const HistoryRun& b) {
    return a.Number == b.Number && a.Time == b.Time && a.Controller == b.Controller && a.Axis == b.Axis &&
           a.Source == b.Source && FormatHistoryRow(a) == FormatHistoryRow(b);
}

void CheckRuns(const std::string& text, int controller, int axis) {
    std::vector<HistoryRun> runs = ParseHistoryText(text, controller, axis);
    std::set<int> numbers;
    for (const HistoryRun& run : runs) {
        Check(run.Controller == controller && run.Axis == axis && run.Number >= 1);
        Check(numbers.insert(run.Number).second);
        Check(run.Actual.empty());
        std::string line = FormatHistoryRow(run);
        HistoryRun back;
        Check(ParseHistoryRow(line, back));
        Check(SameRun(run, back));
    }
    // Written out again, the runs read back as they are.
    std::string file = std::string(kHistoryHeader) + "\r\n";
    for (const HistoryRun& run : runs) file += FormatHistoryRow(run) + "\r\n";
    std::vector<HistoryRun> again = ParseHistoryText(file, controller, axis);
    Check(again.size() == runs.size());
    for (size_t k = 0; k < runs.size(); ++k) Check(SameRun(again[k], runs[k]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // The axis of the first row that reads, so that runs are taken, and one of no row.
    int controller = 0, axis = 1;
    for (const std::string& line : HistoryLines(text)) {
        HistoryRun run;
        if (ParseHistoryRow(line, run)) {
            controller = run.Controller;
            axis = run.Axis;
            break;
        }
    }
    CheckRuns(text, controller, axis);
    CheckRuns(text, -7, 99);
    return 0;
}
