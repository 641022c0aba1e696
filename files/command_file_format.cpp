// ZPCL command file text.
#include "command_file_format.h"

#include <charconv>
#include <cmath>

namespace {

// "%dXX%.*lf\t\t;Comment\r\n"
void AppendLine(std::string& out, int axis, const char* command, int precision, double value, const char* comment) {
    char number[400];
    auto r = std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, precision);
    out += std::to_string(axis);
    out += command;
    out.append(number, r.ptr);
    out += "\t\t;";
    out += comment;
    out += "\r\n";
}

}  // namespace

int CommandFilePrecision(int32_t controllerFlags) { return (controllerFlags & 0x4) ? 5 : 0; }

int DerivativeSampleCode(double derivativeSamplePeriod, double servoPeriod) {
    if (!(servoPeriod > 0.0)) return 0;
    double quotient = std::trunc(derivativeSamplePeriod / servoPeriod);
    if (!(quotient > -2147483647.0 && quotient < 2147483647.0)) return 0;
    return static_cast<int>(quotient) - 1;
}

std::string FormatAxisCommands(int axis, int p, const AxisCommandSettings& s) {
    std::string out;
    if (s.Servo) {
        out += ";\r\n;Axis " + std::to_string(axis) + " setup\r\n;\r\n";
        AppendLine(out, axis, "SG", p, s.Motion.Gain, "Proportional Gain");
        AppendLine(out, axis, "SI", p, s.Filter.IntegralGain, "Integral Gain");
        AppendLine(out, axis, "SD", p, s.Filter.DerivativeGain, "Derivative Gain");
        AppendLine(out, axis, "IL", p, s.Filter.IntegrationLimit, "Integration Limit");
        out += std::to_string(axis) + "FR" +
               std::to_string(DerivativeSampleCode(s.Filter.DerivativeSamplePeriod, s.ServoPeriod)) +
               "\t\t;Derivative Sampling Period\r\n";
        AppendLine(out, axis, "VG", p, s.Filter.VelocityGain, "Velocity Gain (Feed Forward)");
        AppendLine(out, axis, "SE", p, s.Filter.FollowingError, "Stop on Error");
        AppendLine(out, axis, "SQ", p, s.Motion.Torque, "Torque");
    }
    AppendLine(out, axis, "SV", p, s.Motion.Velocity, "Velocity");
    AppendLine(out, axis, "SA", p, s.Motion.Acceleration, "Acceleration");
    AppendLine(out, axis, "DS", p, s.Motion.Deceleration, "Deceleration");
    return out;
}
