// Call journal reader (see journal.h).
#include "journal.h"

#include <windows.h>

#include <fstream>

Journal::Journal(const std::string& tag) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "loopsmith-journal-" + tag + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("ZQSIM_JOURNAL", path_.c_str());
}

Journal::~Journal() {
    SetEnvironmentVariableA("ZQSIM_JOURNAL", nullptr);
    DeleteFileA(path_.c_str());
}

std::vector<std::string> Journal::Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Journal::Since() const {
    auto all = Lines();
    if (mark_ >= all.size()) return {};
    return std::vector<std::string>(all.begin() + static_cast<long>(mark_), all.end());
}

void Journal::Mark() { mark_ = Lines().size(); }

std::vector<std::string> Journal::Filter(const std::vector<std::string>& lines, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        for (const auto& n : names)
            if (l.compare(0, n.size() + 1, n + "(") == 0) { out.push_back(l); break; }
    return out;
}
