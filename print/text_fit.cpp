// Fitting text into a width (see text_fit.h).
#include "text_fit.h"

namespace {
const char kEllipsis[] = "...";
}

std::string FitText(const std::string& text, int width, const std::function<int(const std::string&)>& measure) {
    size_t visible = text.find_last_not_of(' ');
    if (visible == std::string::npos) return text;  // blanks only: nothing to see
    const std::string shown = text.substr(0, visible + 1);
    if (measure(shown) <= width) return text;
    if (measure(kEllipsis) > width) return std::string();
    // The longest prefix that fits with the ellipsis (widths grow with length).
    size_t lo = 0, hi = shown.size();
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        std::string candidate = shown.substr(0, mid);
        size_t end = candidate.find_last_not_of(' ');
        candidate = end == std::string::npos ? std::string() : candidate.substr(0, end + 1);
        if (measure(candidate + kEllipsis) <= width) lo = mid;
        else hi = mid - 1;
    }
    std::string kept = shown.substr(0, lo);
    size_t end = kept.find_last_not_of(' ');
    kept = end == std::string::npos ? std::string() : kept.substr(0, end + 1);
    return kept + kEllipsis;
}

std::string FitText(HDC dc, const std::string& text, int width) {
    return FitText(text, width, [dc](const std::string& s) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    });
}
