// Call journal writer (see journal.h).
#include "journal.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zqjournal {

namespace {

bool JournalPath(char* path, DWORD size) {
    DWORD n = GetEnvironmentVariableA("ZQSIM_JOURNAL", path, size);
    return n > 0 && n < size;
}

// The nesting level is shared by both libraries of the process through its
// environment, as each library holds its own copy of this code.
constexpr char kDepthVariable[] = "ZQSIM_JOURNAL_DEPTH";

int Depth() {
    char text[16];
    DWORD n = GetEnvironmentVariableA(kDepthVariable, text, sizeof text);
    int depth = n > 0 && n < sizeof text ? std::atoi(text) : 0;
    return depth < 0 ? 0 : depth > 8 ? 8 : depth;
}

void SetDepth(int depth) {
    if (depth <= 0) {
        SetEnvironmentVariableA(kDepthVariable, nullptr);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", depth);
    SetEnvironmentVariableA(kDepthVariable, text);
}

}  // namespace

void AppendEscaped(std::string& out, const char* text) {
    static const char kHex[] = "0123456789ABCDEF";
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || c == '"' || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
}

Nested::Nested() {
    char path[MAX_PATH];
    active_ = JournalPath(path, sizeof path);
    if (active_) SetDepth(Depth() + 1);
}

Nested::~Nested() {
    if (active_) SetDepth(Depth() - 1);
}

std::string FormatDouble(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // The shortest text that reads back as the value: 20 is "20", not "2e+01".
    std::string best;
    char buffer[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) != value) continue;
        if (best.empty() || std::strlen(buffer) < best.size()) best = buffer;
    }
    return best.empty() ? std::string(buffer) : best;
}

Line::Line(const char* name) {
    char path[MAX_PATH];
    enabled_ = JournalPath(path, sizeof path);
    if (enabled_) {
        text_.assign(static_cast<size_t>(2 * Depth()), ' ');
        text_ += name;
        text_ += '(';
    }
}

Line::~Line() {
    if (!enabled_) return;
    text_ += ")\r\n";
    char path[MAX_PATH];
    if (!JournalPath(path, sizeof path)) return;
    // FILE_APPEND_DATA makes every write land at the end, so both libraries can
    // write to one journal without losing lines.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text_.data(), static_cast<DWORD>(text_.size()), &written, nullptr);
    CloseHandle(file);
}

void Line::Separator() {
    if (!first_) text_ += ", ";
    first_ = false;
}

Line& Line::Int(long long value) {
    if (enabled_) { Separator(); text_ += std::to_string(value); }
    return *this;
}

Line& Line::Double(double value) {
    if (enabled_) { Separator(); text_ += FormatDouble(value); }
    return *this;
}

Line& Line::Str(const char* text) {
    if (!enabled_) return *this;
    Separator();
    if (!text) { text_ += "null"; return *this; }
    text_ += '"';
    AppendEscaped(text_, text);
    text_ += '"';
    return *this;
}

Line& Line::Window(const void* window) {
    if (enabled_) { Separator(); text_ += window ? "hwnd" : "null"; }
    return *this;
}

Line& Line::Ptr(const void* pointer) {
    if (enabled_) { Separator(); text_ += pointer ? "&" : "null"; }
    return *this;
}

}  // namespace zqjournal
