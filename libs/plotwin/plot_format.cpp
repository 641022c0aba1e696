// Checking and applying the axis number formats.
#include "plot_format.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxFormatLength = 63;

// Reads up to two digits; false when there are more.
bool SkipDigits(const char*& p) {
    int n = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        ++p;
        if (++n > 2) return false;
    }
    return true;
}

std::string Trim(const char* text) {
    std::string s(text);
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return std::string();
    size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

}  // namespace

bool IsSafeYFormat(const char* format) {
    if (!format || std::strlen(format) > kMaxFormatLength) return false;
    int conversions = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p && std::strchr("-+ #0", *p)) ++p;
        if (!SkipDigits(p)) return false;
        if (*p == '.') {
            ++p;
            if (!SkipDigits(p)) return false;
        }
        if (*p == 'l') ++p;
        if (!*p || !std::strchr("fFeEgGaA", *p)) return false;  // %s, %n, %d, '*', 'L', ...
        ++conversions;
    }
    return conversions == 1;
}

std::string FormatYNumber(const std::string& format, double v) {
    char text[128];
    if (v == 0) v = 0;  // no "-0"
    std::snprintf(text, sizeof text, format.c_str(), v);
    return Trim(text);
}

std::string FormatXNumber(double v, double span) {
    if (std::fabs(v) < std::fabs(span) * 1e-9) v = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}
