// ZPCL command file reader: splits a command file into lines and each line into
// statements "<axis><command><value>", without touching the controller. Pure
// standard C++ so that it can be fuzzed natively and unit-tested directly.
//
// Line grammar (blanks are spaces and TABs, allowed between all tokens):
//   line      = [statement {"," statement}] [";" comment]
//   statement = axis command value
//   axis      = decimal integer 1..65535
//   command   = two letters, either case: SG SI SD IL FR VG SE SQ SV SA DS
//   value     = [+-] digits [. digits] [e [+-] digits]  (or [+-] . digits ...);
//               FR takes a whole number of servo periods, 0..kMaxFrameCount
// A line ends with LF, CR LF or a lone CR; a last line may lack its end.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zpcl {

// Longest line accepted, without its line end.
constexpr std::size_t kMaxLineLength = 255;
// Largest FR value (derivative sample period in servo periods, minus one).
constexpr int kMaxFrameCount = 32767;

enum class Command { SG, SI, SD, IL, FR, VG, SE, SQ, SV, SA, DS };

struct Statement {
    unsigned axis = 0;
    Command command = Command::SG;
    double value = 0.0;
};

enum class Error {
    None,
    LineTooLong,     // more than kMaxLineLength characters
    BadCharacter,    // a control or NUL character outside a comment
    MissingAxis,     // a statement that does not start with an axis number
    AxisOutOfRange,  // axis 0 or above 65535
    UnknownCommand,  // not one of the commands above
    MissingValue,    // the command is not followed by a number
    BadNumber,       // a number that does not parse or is not finite
    ValueOutOfRange, // FR that is negative, fractional or too large
    UnexpectedText,  // anything after a value other than "," or ";"
};

struct LineResult {
    Error error = Error::None;
    std::size_t column = 0;           // 1-based position of the fault
    std::vector<Statement> statements;
};

// Parses one line (without its line end).
LineResult ParseLine(std::string_view line);

// Splits text into lines at LF, CR LF or CR; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Two-letter name of a command ("SG").
const char* CommandName(Command command);
// Plain English text for an error ("number expected after the command").
const char* ErrorText(Error error);

// Writes one statement as a command file line would hold it ("2SG1.5"), with
// the shortest text that reads back as the same value.
std::string FormatStatement(const Statement& statement);

// The derivative sample period in seconds that an FR value stands for: (frames
// + 1) servo periods, nudged up where the product rounds low, so that the
// truncating division a command file export makes gives frames back. 0 for a
// period that is not positive and finite.
double SamplePeriodForFrames(int frames, double servoPeriod);

}  // namespace zpcl
