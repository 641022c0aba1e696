// Checking the texts of the axis and scaling dialogs (see axis_form.h).
#include "axis_form.h"

#include <cstring>

#include "dialog_util.h"

namespace zqdlg {

std::string CheckNumber(const std::string& text, const char* name, NumberRule rule, double& value) {
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
    value = v;
    return {};
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
