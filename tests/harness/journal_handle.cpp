// Expected journal lines with the controller handle filled in (see journal_handle.h).
#include "journal_handle.h"

std::vector<std::string> WithHandle(std::vector<std::string> lines, short handle) {
    for (std::string& line : lines) {
        for (const std::string mark : {"(H, ", ", H, ", "(H)"}) {
            size_t at = line.find(mark);
            if (at == std::string::npos) continue;
            line.replace(at + 1 + (mark[0] == ',' ? 1 : 0), 1, std::to_string(handle));
            break;
        }
    }
    return lines;
}
