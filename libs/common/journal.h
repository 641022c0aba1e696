// Call journal shared by the controller libraries: when the environment variable
// ZQSIM_JOURNAL names a file, every exported call appends one line
//   Name(arg, arg, ...)
// with integers in decimal, doubles in shortest round-trip form, strings in
// double quotes, window handles as hwnd, record and output pointers as & and
// null pointers as null. Each line is appended and flushed at once.
// Inside a string, a quote, a percent sign and every control character (CR,
// LF, TAB, ...) are written as % and two hex digits (%22, %25, %0D, %0A, %09),
// so a call is always one line; everything else, backslashes of paths
// included, stands as it is.
// Calls that one library makes while an exported call of the other is running
// (the dialogs library reading the controller for a dialog) are indented by two
// blanks per level, so the program's own calls stay at the start of the line.
#pragma once
#include <string>

namespace zqjournal {

// Shortest text that reads back as the same double ("15", "0.1", "1e-05").
std::string FormatDouble(double value);

// Appends text as a journal string holds it (without the quotes).
void AppendEscaped(std::string& out, const char* text);

// Marks the calls made while it lives as made on behalf of an exported call.
class Nested {
public:
    Nested();
    ~Nested();
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;

private:
    bool active_;
};

class Line {
public:
    explicit Line(const char* name);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    Line& Int(long long value);
    Line& Double(double value);
    Line& Str(const char* text);
    Line& Window(const void* window);
    Line& Ptr(const void* pointer);

private:
    void Separator();
    std::string text_;
    bool first_ = true;
    bool enabled_;
};

}  // namespace zqjournal
