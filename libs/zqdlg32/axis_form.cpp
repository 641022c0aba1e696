// Checking the texts of the axis and scaling dialogs (see axis_form.h).
#include "axis_form.h"

#include <cstring>

#include "dialog_util.h"

namespace zqdlg {

std::string CheckNumber(const std::string& text, const char* name, NumberRule rule, double& value, double least,
                        double most) {
    double v = 0.0;
    bool ok = ParseNumber(text, v);
    const char* wanted = "a number";
    switch (rule) {
    case NumberRule::Any: break;
    case NumberRule::NonNegative: wanted = "a number of 0 or more"; ok = ok && v >= 0; break;
    case NumberRule::Positive: wanted = "a number greater than 0"; ok = ok && v > 0; break;
    case NumberRule::NonZero: wanted = "a number other than 0"; ok = ok && v != 0; break;
    }
    if (!ok) return std::string("Please enter ") + wanted + " for the " + name + ".";
    if (v < least || v > most) {
        std::string range = rule == NumberRule::Positive && !(least > 0)
                                ? "a number greater than 0 and no more than " + FormatNumber(most)
                                : "a number from " + FormatNumber(least > 0 || rule != NumberRule::NonNegative ? least : 0.0) +
                                      " to " + FormatNumber(most);
        return "Please enter " + range + " for the " + name + ".";
    }
    value = v;
    return {};
}

std::string WriteFailureText(unsigned axis, const std::vector<std::string>& parts, std::size_t written) {
    std::string head = "The settings of axis " + std::to_string(axis);
    if (written == 0) return head + " could not be written to the controller. Nothing was changed.";
    auto join = [&](std::size_t from, std::size_t to) {
        std::string s;
        for (std::size_t i = from; i < to && i < parts.size(); ++i) s += (s.empty() ? "" : "; ") + parts[i];
        return s;
    };
    return head + " could not all be written to the controller.\n\nWritten: " + join(0, written) +
           ".\nNot written: " + join(written, parts.size()) + ".";
}

std::string UnitsOf(const AxisScale& scale) {
    const auto* bytes = reinterpret_cast<const char*>(scale.Reserved0);
    std::size_t n = 0;
    while (n < kMaxUnitsLength && bytes[n]) ++n;
    std::string text(bytes, n);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

void SetUnits(AxisScale& scale, const std::string& text) {
    static_assert(kMaxUnitsLength <= sizeof scale.Reserved0);
    std::memset(scale.Reserved0, 0, kMaxUnitsLength);
    std::memcpy(scale.Reserved0, text.data(), text.size() < kMaxUnitsLength ? text.size() : kMaxUnitsLength);
}

}  // namespace zqdlg
