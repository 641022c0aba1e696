// ZPCL command file reader (see zpcl.h).
#include "zpcl.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zpcl {

namespace {

struct CommandEntry { char name[3]; Command command; };
constexpr CommandEntry kCommands[] = {
    {"SG", Command::SG}, {"SI", Command::SI}, {"SD", Command::SD}, {"IL", Command::IL},
    {"FR", Command::FR}, {"VG", Command::VG}, {"SE", Command::SE}, {"SQ", Command::SQ},
    {"SV", Command::SV}, {"SA", Command::SA}, {"DS", Command::DS},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    char PeekAt(std::size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    void Advance(std::size_t n = 1) { pos_ += n; }
    void SkipBlanks() { while (!AtEnd() && IsBlank(Peek())) ++pos_; }
    std::size_t Column() const { return pos_ + 1; }
    std::size_t Pos() const { return pos_; }
    std::string_view Slice(std::size_t from) const { return text_.substr(from, pos_ - from); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads a decimal number in the grammar of zpcl.h; false when there is none.
bool ReadNumber(Cursor& c, double& value) {
    std::size_t start = c.Pos();
    if (c.Peek() == '+' || c.Peek() == '-') c.Advance();
    int mantissaDigits = 0;
    while (IsDigit(c.Peek())) { c.Advance(); ++mantissaDigits; }
    if (c.Peek() == '.') {
        c.Advance();
        while (IsDigit(c.Peek())) { c.Advance(); ++mantissaDigits; }
    }
    if (mantissaDigits == 0) return false;
    if (c.Peek() == 'e' || c.Peek() == 'E') {
        std::size_t k = 1;
        if (c.PeekAt(k) == '+' || c.PeekAt(k) == '-') ++k;
        if (!IsDigit(c.PeekAt(k))) return false;
        c.Advance(k);
        while (IsDigit(c.Peek())) c.Advance();
    }
    std::string copy(c.Slice(start));
    value = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(value);
}

Error Fail(LineResult& r, Error error, std::size_t column) {
    r.error = error;
    r.column = column;
    r.statements.clear();
    return error;
}

}  // namespace

LineResult ParseLine(std::string_view line) {
    LineResult r;
    if (line.size() > kMaxLineLength) {
        Fail(r, Error::LineTooLong, kMaxLineLength + 1);
        return r;
    }
    Cursor c(line);
    c.SkipBlanks();
    if (c.AtEnd() || c.Peek() == ';') return r;
    for (;;) {
        c.SkipBlanks();
        Statement s;
        std::size_t axisColumn = c.Column();
        if (!IsDigit(c.Peek())) {
            unsigned char ch = static_cast<unsigned char>(c.Peek());
            bool control = !c.AtEnd() && (ch < 0x20 || ch == 0x7F);
            Fail(r, control ? Error::BadCharacter : Error::MissingAxis, axisColumn);
            return r;
        }
        unsigned long axis = 0;
        while (IsDigit(c.Peek())) {
            if (axis <= 65535) axis = axis * 10 + static_cast<unsigned>(c.Peek() - '0');
            c.Advance();
        }
        if (axis < 1 || axis > 65535) { Fail(r, Error::AxisOutOfRange, axisColumn); return r; }
        s.axis = static_cast<unsigned>(axis);

        c.SkipBlanks();
        std::size_t commandColumn = c.Column();
        char name[3] = {Upper(c.Peek()), Upper(c.PeekAt(1)), '\0'};
        bool known = false;
        for (const auto& entry : kCommands) {
            if (name[0] == entry.name[0] && name[1] == entry.name[1]) {
                s.command = entry.command;
                known = true;
                break;
            }
        }
        if (!known) { Fail(r, Error::UnknownCommand, commandColumn); return r; }
        c.Advance(2);

        c.SkipBlanks();
        std::size_t valueColumn = c.Column();
        char next = c.Peek();
        if (c.AtEnd() || next == ';' || next == ',') { Fail(r, Error::MissingValue, valueColumn); return r; }
        if (!ReadNumber(c, s.value)) { Fail(r, Error::BadNumber, valueColumn); return r; }
        if (s.command == Command::FR &&
            (s.value < 0 || s.value > kMaxFrameCount || s.value != std::floor(s.value))) {
            Fail(r, Error::ValueOutOfRange, valueColumn);
            return r;
        }
        r.statements.push_back(s);

        c.SkipBlanks();
        if (c.AtEnd() || c.Peek() == ';') return r;
        if (c.Peek() == ',') { c.Advance(); continue; }
        unsigned char ch = static_cast<unsigned char>(c.Peek());
        Fail(r, ch < 0x20 || ch == 0x7F ? Error::BadCharacter : Error::UnexpectedText, c.Column());
        return r;
    }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

const char* CommandName(Command command) {
    for (const auto& entry : kCommands)
        if (entry.command == command) return entry.name;
    return "??";
}

const char* ErrorText(Error error) {
    switch (error) {
    case Error::None: return "no error";
    case Error::LineTooLong: return "the line is too long";
    case Error::BadCharacter: return "the line holds a control character";
    case Error::MissingAxis: return "an axis number is expected";
    case Error::AxisOutOfRange: return "the axis number is out of range";
    case Error::UnknownCommand: return "unknown command";
    case Error::MissingValue: return "a value is expected after the command";
    case Error::BadNumber: return "the value is not a valid number";
    case Error::ValueOutOfRange: return "the value is out of range";
    case Error::UnexpectedText: return "unexpected text after the value";
    }
    return "unknown error";
}

std::string FormatStatement(const Statement& statement) {
    char value[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(value, sizeof value, "%.*g", precision, statement.value);
        if (std::strtod(value, nullptr) == statement.value) break;
    }
    return std::to_string(statement.axis) + CommandName(statement.command) + value;
}

double SamplePeriodForFrames(int frames, double servoPeriod) {
    if (!(servoPeriod > 0) || !std::isfinite(servoPeriod) || frames < 0) return 0.0;
    double periods = static_cast<double>(frames) + 1.0;
    double seconds = periods * servoPeriod;
    if (!std::isfinite(seconds)) return 0.0;
    while (std::trunc(seconds / servoPeriod) < periods) seconds = std::nextafter(seconds, HUGE_VAL);
    return seconds;
}

}  // namespace zpcl
