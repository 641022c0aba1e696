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
// The simulated controller marks a fault it injected after the closing
// parenthesis, e.g. "ZqGetStatus(1, 1) [fail -17]" (docs/simulator.md).
// A call that one library makes while it serves an exported call of its own
// (the dialogs library reading the controller for a dialog) is indented by two
// blanks. Who made a call is told by the module its return address lies in, so
// the indentation belongs to the call chain, not to the process: the program's
// own calls stay at the start of the line even when they run inside a dialog of
// the dialogs library (its timer, its window procedures) or on another thread.
#pragma once
#include <string>

namespace zqjournal {

// Shortest text that reads back as the same double ("15", "0.1", "1e-05").
std::string FormatDouble(double value);

// Appends text as a journal string holds it (without the quotes).
void AppendEscaped(std::string& out, const char* text);

// The return address of the function it is used in: the caller of an export.
#if defined(_MSC_VER)
#include <intrin.h>
#define ZQJOURNAL_CALLER() _ReturnAddress()
#else
#define ZQJOURNAL_CALLER() __builtin_return_address(0)
#endif

class Line {
public:
    // caller: where the export was called from (ZQJOURNAL_CALLER() in the
    // export), or null for a call that is never indented.
    explicit Line(const char* name, const void* caller = nullptr);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    Line& Int(long long value);
    Line& Double(double value);
    Line& Str(const char* text);
    Line& Window(const void* window);
    Line& Ptr(const void* pointer);
    // Text written after the closing parenthesis (the marks of injected faults).
    Line& Note(const std::string& note);

private:
    void Separator();
    std::string text_;
    std::string note_;
    bool first_ = true;
    bool enabled_;
};

}  // namespace zqjournal
