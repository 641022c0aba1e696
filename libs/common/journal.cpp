// Call journal writer (see journal.h).
#include "journal.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace zqjournal {

namespace {

bool JournalPath(char* path, DWORD size) {
    DWORD n = GetEnvironmentVariableA("ZQSIM_JOURNAL", path, size);
    return n > 0 && n < size;
}

// True when address lies in the other library of the pair: a module
// other than this one that exports the controller or the dialogs functions.
bool InOtherLibrary(const void* address) {
    if (!address) return false;
    HMODULE caller = nullptr, self = nullptr;
    constexpr DWORD kFlags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(kFlags, static_cast<LPCSTR>(address), &caller) ||
        !GetModuleHandleExA(kFlags, reinterpret_cast<LPCSTR>(&InOtherLibrary), &self) || caller == self)
        return false;
    return GetProcAddress(caller, "ZqOpen") != nullptr || GetProcAddress(caller, "ZQDLG_Initialize") != nullptr;
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

Line::Line(const char* name, const void* caller) {
    char path[MAX_PATH];
    enabled_ = JournalPath(path, sizeof path);
    if (enabled_) {
        if (InOtherLibrary(caller)) text_ = "  ";
        text_ += name;
        text_ += '(';
    }
}

Line::~Line() {
    if (!enabled_) return;
    text_ += ')';
    text_ += note_;
    text_ += "\r\n";
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

Line& Line::Note(const std::string& note) {
    if (enabled_) note_ = note;
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
