// Report layout: fonts, coordinates and rows of the printed report's text.
#include "report_layout.h"

#include <cstdio>
#include <ctime>

#include "../controller/zq_library.h"

const char kReportWebAddress[] = "www.quelmont.example";

namespace {

const char kVersionLine[] = "Quelmont Loopsmith Program Version 2.7.0.217";

HFONT MakeFont(int height, int weight, bool underline) {
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfUnderline = underline ? 1 : 0;
    lstrcpyA(lf.lfFaceName, "Arial");
    return CreateFontIndirectA(&lf);
}

void Text(HDC dc, double x, double y, const char* text) {
    TextOutA(dc, static_cast<int>(x), static_cast<int>(y), text, lstrlenA(text));
}

// One label and value row of a column.
struct Column {
    HDC dc;
    double x, xValue, y, step;
    void Skip() { y += step; }
    void Row(const char* label, const char* value) {
        Text(dc, x, y, label);
        Text(dc, xValue, y, value);
    }
};

void Format(char* buffer, const char* format, double value) { std::snprintf(buffer, 256, format, value); }

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
    Text(dc, H / 2 - 7 * tm.tmAveCharWidth, 2 * tm.tmAscent, "Step Response Plot");
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
    Text(dc, X1, Y0, "Test Parameters");
    SelectObject(dc, body);

    _tzset();
    time_t now = time(nullptr);
    struct tm local = *localtime(&now);

    const TestSettings& t = state.LastTest;
    char buffer[256] = {};
    Column left{dc, X1, X1 + 24 * w, y1, LH};
    strftime(buffer, sizeof buffer, "%d-%b-%Y", &local);
    left.Row("Test Date", buffer);
    left.Skip();
    strftime(buffer, sizeof buffer, "%I:%M:%S %p", &local);
    left.Row("Test Time", buffer);
    left.Skip(); left.Skip();
    buffer[0] = '\0';
    ZQDLG_ControllerDescEx(controller.ControllerType, 1, buffer, 256);
    buffer[255] = '\0';
    left.Row("Controller Type", buffer);
    left.Skip();
    buffer[0] = '\0';
    ZQDLG_ModuleDescEx(axisConfig.ModuleType, 1, buffer, 256);
    buffer[255] = '\0';
    left.Row("Axis Type", buffer);
    left.Skip();
    std::snprintf(buffer, sizeof buffer, "%-2d", state.Axis);
    left.Row("Axis Number", buffer);
    left.Skip(); left.Skip();
    Format(buffer, "%-10.10g", t.Distance);
    left.Row("Move Distance", buffer);
    left.Skip();
    Format(buffer, "%-10.10g sec", t.Delay);
    left.Row("Delay Before Capture", buffer);
    left.Skip();
    Format(buffer, "%-10.10g sec", t.RecordTime);
    left.Row("Capture Time", buffer);
    left.Skip();
    std::snprintf(buffer, sizeof buffer, "%d", t.SampleCount);
    left.Row("    Capture Points", buffer);
    left.Skip();
    Format(buffer, "%-10.10g sec", t.SamplePeriod);
    left.Row("    Capture Interval", buffer);
    left.Skip();
    left.Row("Cycle Mode", t.Cycle ? "yes" : "no");
    left.Skip();
    Format(buffer, "%-10.10g sec", t.Dwell);
    left.Row("Cycle Dwell", buffer);

    const double X2 = 0.55 * H;
    MotionConfig motion = {};
    ZqGetMotionConfig(handle, axis, &motion);
    FilterConfig filter = {};
    ZqGetFilterConfig(handle, axis, &filter);
    SelectObject(dc, heading);
    Text(dc, X2, Y0, "Axis Configuration");
    SelectObject(dc, body);

    Column right{dc, X2, X2 + 24 * w, y1, LH};
    Format(buffer, "%-10g", motion.Gain);
    right.Row("Proportional Gain", buffer);
    right.Skip();
    Format(buffer, "%-10g", filter.IntegralGain);
    right.Row("Integral Gain", buffer);
    right.Skip();
    Format(buffer, "%-10g", filter.DerivativeGain);
    right.Row("Derivative Gain", buffer);
    right.Skip();
    Format(buffer, "%-10g", filter.IntegrationLimit);
    right.Row("Integration Limit", buffer);
    right.Skip();
    Format(buffer, "%-10g sec", filter.DerivativeSamplePeriod);
    right.Row("Derivative Sample", buffer);
    right.Skip();
    Format(buffer, "%-10g", filter.VelocityGain);
    right.Row("Velocity Gain", buffer);
    right.Skip();
    right.Row("Loop Rate", LoopRateText(motion.UpdateRate, axisConfig.LowRatePeriod, axisConfig.MediumRatePeriod,
                                        axisConfig.HighRatePeriod).c_str());
    right.Skip(); right.Skip();
    right.Row("Final Position",
              FinalPositionText(ChannelFor(state, Channel::Actual, state.Axis), t.SampleCount).c_str());
    right.Skip();
    Format(buffer, "%-10g", motion.Velocity);
    right.Row("Velocity", buffer);
    right.Skip();
    Format(buffer, "%-10g", motion.Acceleration);
    right.Row("Acceleration", buffer);
    right.Skip();
    Format(buffer, "%-10g", motion.Deceleration);
    right.Row("Deceleration", buffer);
    right.Skip();
    int profile = 0;
    ZqGetProfile(handle, axis, &profile);
    right.Row("Profile", ProfileName(profile));
    right.Skip();
    Format(buffer, "%-10g", motion.Torque);
    right.Row("Maximum Torque", buffer);
    right.Skip();
    Format(buffer, "%-10g", filter.FollowingError);
    right.Row("Max. Following Error", buffer);

    HFONT footer = MakeFont(static_cast<int>(0.75 * A0), 400, false);
    SelectObject(dc, footer);
    GetTextMetricsA(dc, &tm);
    const int af = tm.tmAscent, wf = tm.tmAveCharWidth;
    Text(dc, H / 2 - (lstrlenA(kVersionLine) / 2) * wf, V - 4 * af, kVersionLine);
    Text(dc, H / 2 - (lstrlenA(kReportWebAddress) / 2) * wf, V - 2 * af, kReportWebAddress);

    SelectObject(dc, entryFont);
    DeleteObject(heading);
    DeleteObject(body);
    DeleteObject(footer);
}
