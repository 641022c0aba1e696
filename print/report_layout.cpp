// Report layout: fonts, coordinates and rows of the printed report's text.
#include "report_layout.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "../analysis/test_metrics.h"
#include "../controller/zq_library.h"
#include "../resources/version.h"
#include "text_fit.h"

const char kReportWebAddress[] = "www.quelmont.example";

namespace {

const char kVersionLine[] = "Quelmont Loopsmith Program Version " LOOPSMITH_VERSION_TEXT;

HFONT MakeFont(int height, int weight, bool underline) {
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfUnderline = underline ? 1 : 0;
    lstrcpyA(lf.lfFaceName, "Arial");
    return CreateFontIndirectA(&lf);
}

// A text that ends before right: cut with an ellipsis when it is too wide.
void TextWithin(HDC dc, double x, double y, double right, const std::string& text) {
    std::string fitted = FitText(dc, text, static_cast<int>(right) - static_cast<int>(x));
    TextOutA(dc, static_cast<int>(x), static_cast<int>(y), fitted.c_str(), static_cast<int>(fitted.size()));
}

std::string Num(const char* format, double value) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Draws the rows of one column from its top line; each row is `advance`
// line steps above the next. Labels end a gap before the values, values a gap
// before right (the next column or the page edge).
void DrawColumn(HDC dc, double x, double xValue, double right, double gap, double y, double step,
                const std::vector<ReportRow>& rows) {
    for (const ReportRow& row : rows) {
        TextWithin(dc, x, y, xValue - gap, row.label);
        TextWithin(dc, xValue, y, right - gap, row.value);
        y += row.advance * step;
    }
}

}  // namespace

std::string LoopRateText(int updateRate, double low, double medium, double high) {
    char text[256];
    switch (updateRate) {
    case 1: std::snprintf(text, sizeof text, "%-10g sec (Low)", low); break;
    case 2: std::snprintf(text, sizeof text, "%-10g sec (Med)", medium); break;
    case 4: std::snprintf(text, sizeof text, "%-10g sec (High)", high); break;
    default: return "Unknown";
    }
    return text;
}

const char* ProfileName(int code) {
    switch (static_cast<short>(code)) {
    case 1: return "Trapezoidal";
    case 2: return "S-Curve";
    case 4: return "Parabolic";
    default: return "Unknown";
    }
}

std::string FinalPositionText(const SampleSequence* actual, int sampleCount) {
    if (!actual || actual->Empty()) return {};
    size_t index = actual->Length() - 1;
    if (sampleCount >= 1 && static_cast<size_t>(sampleCount) <= actual->Length()) index = sampleCount - 1;
    char text[256];
    std::snprintf(text, sizeof text, "%-10g", actual->At(index));
    return text;
}

std::vector<ReportRow> TestParameterRows(const TestSettings& t, const struct tm& local, const char* controllerType,
                                         const char* axisType, int axis) {
    char date[64] = {}, time[64] = {}, number[32] = {}, points[32] = {};
    strftime(date, sizeof date, "%d-%b-%Y", &local);
    strftime(time, sizeof time, "%I:%M:%S %p", &local);
    std::snprintf(number, sizeof number, "%-2d", axis);
    std::snprintf(points, sizeof points, "%d", t.SampleCount);
    return {
        {"Test Date", date, 1},
        {"Test Time", time, 2},
        {"Controller Type", controllerType, 1},
        {"Axis Type", axisType, 1},
        {"Axis Number", number, 2},
        {"Move Distance", Num("%-10.10g", t.Distance), 1},
        {"Delay Before Capture", Num("%-10.10g sec", t.Delay), 1},
        {"Capture Time", Num("%-10.10g sec", t.RecordTime), 1},
        {"    Capture Points", points, 1},
        {"    Capture Interval", Num("%-10.10g sec", t.SamplePeriod), 1},
        {"Cycle Mode", t.Cycle ? "yes" : "no", 1},
        {"Cycle Dwell", Num("%-10.10g sec", t.Dwell), 1},
    };
}

std::vector<ReportRow> AxisConfigurationRows(const MotionConfig& motion, const FilterConfig& filter,
                                             const AxisConfig& axisConfig, int profile,
                                             const std::string& finalPosition) {
    return {
        {"Proportional Gain", Num("%-10g", motion.Gain), 1},
        {"Integral Gain", Num("%-10g", filter.IntegralGain), 1},
        {"Derivative Gain", Num("%-10g", filter.DerivativeGain), 1},
        {"Integration Limit", Num("%-10g", filter.IntegrationLimit), 1},
        {"Derivative Sample", Num("%-10g sec", filter.DerivativeSamplePeriod), 1},
        {"Velocity Gain", Num("%-10g", filter.VelocityGain), 1},
        {"Loop Rate",
         LoopRateText(motion.UpdateRate, axisConfig.LowRatePeriod, axisConfig.MediumRatePeriod,
                      axisConfig.HighRatePeriod),
         2},
        {"Final Position", finalPosition, 1},
        {"Velocity", Num("%-10g", motion.Velocity), 1},
        {"Acceleration", Num("%-10g", motion.Acceleration), 1},
        {"Deceleration", Num("%-10g", motion.Deceleration), 1},
        {"Profile", ProfileName(profile), 1},
        {"Maximum Torque", Num("%-10g", motion.Torque), 1},
        {"Max. Following Error", Num("%-10g", filter.FollowingError), 1},
    };
}

std::vector<std::string> ResponseLines(const std::vector<MoveMetrics>& moves, const SkewMetrics* skew) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < moves.size() && i < kResponseMoveLines; ++i) {
        const double size = moves[i].move.size;
        std::string sized = FormatMetric(size);
        if (std::isfinite(size) && size > 0) sized = "+" + sized;
        lines.push_back("Move " + std::to_string(i + 1) + " (" + sized + ")  " + MetricsSummary(moves[i]));
    }
    if (moves.size() > kResponseMoveLines) {
        const size_t more = moves.size() - kResponseMoveLines;
        lines.push_back("and " + std::to_string(more) + (more == 1 ? " more move" : " more moves"));
    }
    if (moves.empty()) lines.push_back("Not available");
    if (skew) lines.push_back("Skew  Peak " + FormatMetric(skew->peak) + "  RMS " + FormatMetric(skew->rms));
    return lines;
}

ResponseBlockPlace PlaceResponseBlock(double top, double bottom, double bodyStep, size_t lines) {
    const double rows = static_cast<double>(lines + 1);  // the heading is a row too
    double step = bodyStep;
    if (rows * step > bottom - top) step = (bottom - top) / rows;
    if (!(step > 0)) step = 0;
    return {top, top + step, step};
}

void DrawReport(HDC dc, AppState& state) {
    DrawReportOnPage(dc, state, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
}

void DrawReportOnPage(HDC dc, AppState& state, int H, int V) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    // The fonts scale with the ascent of the DC's entry font. Some printer
    // drivers start with a large default font (Wine's PostScript driver: 24 pt),
    // with which the columns run into each other and off the page; capped at
    // V / 110, the text block always fits between the plots and the footer.
    const double A0 = tm.tmAscent < V / 110.0 ? tm.tmAscent : V / 110.0;
    const double X1 = 0.2 * H, Y0 = 0.68 * V;
    HGDIOBJ entryFont = GetCurrentObject(dc, OBJ_FONT);

    HFONT title = MakeFont(static_cast<int>(2 * A0), 700, false);
    SelectObject(dc, title);
    GetTextMetricsA(dc, &tm);
    TextWithin(dc, H / 2 - 7 * tm.tmAveCharWidth, 2 * tm.tmAscent, H, "Step Response Plot");
    SelectObject(dc, entryFont);
    DeleteObject(title);

    HFONT heading = MakeFont(static_cast<int>(1.75 * A0), 500, true);
    HFONT body = MakeFont(static_cast<int>(1.25 * A0), 400, false);
    SelectObject(dc, body);
    GetTextMetricsA(dc, &tm);
    const double LH = 1.25 * tm.tmAscent;
    const double y1 = Y0 + 2 * LH;
    const double w = tm.tmAveCharWidth;

    const short handle = state.ControllerHandle;
    const unsigned short axis = static_cast<unsigned short>(state.Axis);
    AxisConfig axisConfig = {};
    axisConfig.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(handle, axis, &axisConfig);
    ControllerConfig controller = {};
    controller.Size = kControllerConfigSize;
    ZqGetConfigurationEx(handle, &controller);

    SelectObject(dc, heading);
    const double X2 = 0.55 * H;
    TextWithin(dc, X1, Y0, X2 - w, "Test Parameters");
    SelectObject(dc, body);

    _tzset();
    time_t now = time(nullptr);
    struct tm local = *localtime(&now);

    char controllerType[256] = {};
    ZQDLG_ControllerDescEx(controller.ControllerType, 1, controllerType, 256);
    controllerType[255] = '\0';
    char axisType[256] = {};
    ZQDLG_ModuleDescEx(axisConfig.ModuleType, 1, axisType, 256);
    axisType[255] = '\0';
    const TestSettings& t = state.LastTest;
    DrawColumn(dc, X1, X1 + 24 * w, X2, w, y1, LH, TestParameterRows(t, local, controllerType, axisType, state.Axis));

    MotionConfig motion = {};
    ZqGetMotionConfig(handle, axis, &motion);
    FilterConfig filter = {};
    ZqGetFilterConfig(handle, axis, &filter);
    SelectObject(dc, heading);
    TextWithin(dc, X2, Y0, H - w, "Axis Configuration");
    SelectObject(dc, body);

    int profile = 0;
    ZqGetProfile(handle, axis, &profile);
    const std::string finalPosition = FinalPositionText(ChannelFor(state, Channel::Actual, state.Axis), t.SampleCount);
    DrawColumn(dc, X2, X2 + 24 * w, H, w, y1, LH, AxisConfigurationRows(motion, filter, axisConfig, profile, finalPosition));

    HFONT footer = MakeFont(static_cast<int>(0.75 * A0), 400, false);
    SelectObject(dc, footer);
    GetTextMetricsA(dc, &tm);
    const int af = tm.tmAscent, wf = tm.tmAveCharWidth;

    // The "Response" block: from a line and a half below the right column's
    // last row (y1 + 14 LH) to half a footer line above the footer.
    const std::vector<MoveMetrics> moves = MeasureDisplayedTest(state);
    const bool gantry = !DisplayedSkew(state).empty();
    const SkewMetrics skew = gantry ? MeasureDisplayedSkew(state) : SkewMetrics{};
    const std::vector<std::string> lines = ResponseLines(moves, gantry ? &skew : nullptr);
    const ResponseBlockPlace place = PlaceResponseBlock(y1 + 15.5 * LH, V - 4.5 * af, LH, lines.size());
    if (place.step > 0) {
        // The block's font keeps the body font's proportion of height to line step.
        const int height = static_cast<int>(1.25 * A0 * (place.step < LH ? place.step / LH : 1.0));
        HFONT blockHeading = MakeFont(height, 500, true);
        HFONT blockBody = MakeFont(height, 400, false);
        SelectObject(dc, blockHeading);
        TextWithin(dc, X1, place.headingY, H - w, "Response");
        SelectObject(dc, blockBody);
        double y = place.firstLineY;
        for (const std::string& line : lines) {
            TextWithin(dc, X1, y, H - w, line);
            y += place.step;
        }
        SelectObject(dc, footer);
        DeleteObject(blockHeading);
        DeleteObject(blockBody);
    }
    TextWithin(dc, H / 2 - (lstrlenA(kVersionLine) / 2) * wf, V - 4 * af, H, kVersionLine);
    TextWithin(dc, H / 2 - (lstrlenA(kReportWebAddress) / 2) * wf, V - 2 * af, H, kReportWebAddress);

    SelectObject(dc, entryFont);
    DeleteObject(heading);
    DeleteObject(body);
    DeleteObject(footer);
}
