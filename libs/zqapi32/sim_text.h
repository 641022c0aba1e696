// Small text helpers shared by the simulated controller's parsers.
#pragma once
#include <string>

namespace zqsim {

// s without leading and trailing blanks, tabs and line ends.
inline std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

}  // namespace zqsim
