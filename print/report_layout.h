// The text of the printed test report: title, the "Test Parameters" and
// "Axis Configuration" columns, the "Response" block below them, and the footer.
#pragma once
#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "../analysis/step_metrics.h"
#include "../controller/zq_records.h"
#include "../core/app_state.h"

// Draws the report text on the page that the print job has started (MM_TEXT).
void DrawReport(HDC dc, AppState& state);
// The same for a page of H x V device pixels given by the caller.
void DrawReportOnPage(HDC dc, AppState& state, int H, int V);

// "%-10g sec (Low)" and friends, or "Unknown" for any other update rate.
std::string LoopRateText(int updateRate, double low, double medium, double high);
// "Trapezoidal", "S-Curve", "Parabolic" or "Unknown", by the 16-bit profile code.
const char* ProfileName(int code);
// The "Final Position" value: element SampleCount - 1 of the Actual samples,
// the last stored sample when there are fewer, or empty when there are none.
std::string FinalPositionText(const SampleSequence* actual, int sampleCount);

// One label and value row of a report column; the next row is `advance` line
// steps below it.
struct ReportRow {
    const char* label;
    std::string value;
    int advance = 1;
};
// The "Test Parameters" column for the test on display and the print time.
std::vector<ReportRow> TestParameterRows(const TestSettings& t, const struct tm& local, const char* controllerType,
                                         const char* axisType, int axis);
// The "Axis Configuration" column from the axis's records read at printing.
std::vector<ReportRow> AxisConfigurationRows(const MotionConfig& motion, const FilterConfig& filter,
                                             const AxisConfig& axisConfig, int profile,
                                             const std::string& finalPosition);

// The lines of the "Response" block: one per move, "Move 2 (-1000)  Rise
// 12.5 ms  Overshoot ..." with the box's figures, at most kResponseMoveLines
// of them and then "and N more moves"; "Skew  Peak 1.23  RMS 0.456" when skew
// is given (a gantry test). Without a move: "Not available".
constexpr size_t kResponseMoveLines = 6;
std::vector<std::string> ResponseLines(const std::vector<MoveMetrics>& moves, const SkewMetrics* skew);

// Where the "Response" block stands: its heading at top, then its lines. The
// block fills the room from top to bottom; when its lines do not fit there at
// the body line step, the step (and with it the font) shrinks to fit.
struct ResponseBlockPlace {
    double headingY;
    double firstLineY;
    double step;  // from line to line
};
ResponseBlockPlace PlaceResponseBlock(double top, double bottom, double bodyStep, size_t lines);

extern const char kReportWebAddress[];
