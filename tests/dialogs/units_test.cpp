// Plain functions of the dialogs library: the command file reader, the frame
// count of the derivative sample period, description texts and form rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "axis_form.h"
#include "dialog_util.h"
#include "descriptions.h"
#include "zpcl.h"
#include "zqdlg32.h"

using zpcl::Command;
using zpcl::Error;

namespace {

TEST(CommandFileReader, AcceptsTheExportedLinesAndTheirVariants) {
    struct Case { const char* line; std::vector<zpcl::Statement> expected; };
    const Case cases[] = {
        {"2SG1.50000\t\t;Proportional Gain", {{2, Command::SG, 1.5}}},
        {"1SG2\t\t;Proportional Gain", {{1, Command::SG, 2}}},
        {"4FR3\t\t;Derivative Sampling Period", {{4, Command::FR, 3}}},
        {"16DS-250.5", {{16, Command::DS, -250.5}}},
        {"  1 sv 100 ; blanks and lower case", {{1, Command::SV, 100}}},
        {"1SI.5,2SD+3e2, 3VG1E-3", {{1, Command::SI, 0.5}, {2, Command::SD, 300}, {3, Command::VG, 0.001}}},
        {"1IL7.;", {{1, Command::IL, 7}}},
        {"1SE0,1SQ9.5,1SA4e5", {{1, Command::SE, 0}, {1, Command::SQ, 9.5}, {1, Command::SA, 400000}}},
        {";Axis 1 setup", {}},
        {";", {}},
        {"", {}},
        {" \t ", {}},
    };
    for (const Case& c : cases) {
        zpcl::LineResult r = zpcl::ParseLine(c.line);
        EXPECT_EQ(r.error, Error::None) << c.line;
        ASSERT_EQ(r.statements.size(), c.expected.size()) << c.line;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(r.statements[i].axis, c.expected[i].axis) << c.line;
            EXPECT_EQ(r.statements[i].command, c.expected[i].command) << c.line;
            EXPECT_EQ(r.statements[i].value, c.expected[i].value) << c.line;
        }
    }
}

TEST(CommandFileReader, NamesTheFaultAndWhereItIs) {
    struct Case { std::string line; Error error; size_t column; };
    const Case cases[] = {
        {"SG1.5", Error::MissingAxis, 1},
        {"0SG1.5", Error::AxisOutOfRange, 1},
        {"65536SG1", Error::AxisOutOfRange, 1},
        {"99999999999999999999999SG1", Error::AxisOutOfRange, 1},
        {"1XX1.5", Error::UnknownCommand, 2},
        {"1S", Error::UnknownCommand, 2},
        {"1SG", Error::MissingValue, 4},
        {"1SG\t\t;Proportional Gain", Error::MissingValue, 6},
        {"1SG1.5x", Error::UnexpectedText, 7},
        {"1SG1.5 2SI3", Error::UnexpectedText, 8},
        {"1SGabc", Error::BadNumber, 4},
        {"1SG0x10", Error::UnexpectedText, 5},
        {"1SGinf", Error::BadNumber, 4},
        {"1SGnan", Error::BadNumber, 4},
        {"1SG1e309", Error::BadNumber, 4},
        {"1SG1e", Error::BadNumber, 4},
        {"1SG.", Error::BadNumber, 4},
        {"1SG-", Error::BadNumber, 4},
        {"1FR2.5", Error::ValueOutOfRange, 4},
        {"1FR-1", Error::ValueOutOfRange, 4},
        {"1FR32768", Error::ValueOutOfRange, 4},
        {"1SG1,,1SI2", Error::MissingAxis, 6},
        {"1SG1,", Error::MissingAxis, 6},
        {std::string("1SG1.5\0", 7), Error::BadCharacter, 7},
        {"\x1b[1m", Error::BadCharacter, 1},
        {"1SG1\t\t;" + std::string(300, 'x'), Error::LineTooLong, zpcl::kMaxLineLength + 1},
    };
    for (const Case& c : cases) {
        zpcl::LineResult r = zpcl::ParseLine(c.line);
        EXPECT_EQ(r.error, c.error) << c.line;
        EXPECT_EQ(r.column, c.column) << c.line;
        EXPECT_TRUE(r.statements.empty()) << c.line;
    }
    // The longest line accepted.
    std::string longest = "1SG1;" + std::string(zpcl::kMaxLineLength - 5, 'x');
    EXPECT_EQ(zpcl::ParseLine(longest).error, Error::None);
}

TEST(CommandFileReader, SplitsLinesAtEveryKindOfLineEnd) {
    struct Case { std::string text; std::vector<std::string> lines; };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n", {""}},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> got = zpcl::SplitLines(c.text);
        std::vector<std::string> lines(got.begin(), got.end());
        EXPECT_EQ(lines, c.lines) << c.text;
    }
}

// The period an FR line sets must export as the same FR value again, where the
// export divides by the servo period and truncates.
TEST(CommandFileReader, SamplePeriodExportsAsTheSameFrameCount) {
    const double periods[] = {0.0002, 0.0005, 0.001, 0.002, 0.0003, 1e-4 / 3, 0.004};
    for (double period : periods) {
        for (int frames = 0; frames <= 2000; ++frames) {
            double seconds = zpcl::SamplePeriodForFrames(frames, period);
            ASSERT_EQ(std::trunc(seconds / period) - 1, frames) << period << " " << frames;
            ASSERT_LE(seconds, (frames + 1) * period * (1 + 1e-12)) << period << " " << frames;
        }
    }
    EXPECT_EQ(zpcl::SamplePeriodForFrames(3, 0.0), 0.0);
    EXPECT_EQ(zpcl::SamplePeriodForFrames(3, -0.001), 0.0);
    EXPECT_EQ(zpcl::SamplePeriodForFrames(3, NAN), 0.0);
    EXPECT_EQ(zpcl::SamplePeriodForFrames(3, INFINITY), 0.0);
}

TEST(Descriptions, AlwaysTerminateAndNeverOverflow) {
    struct Case { const char* text; int size; const char* expected; int result; };
    const Case cases[] = {
        {"ZM-6 Floating Point Servo", 32, "ZM-6 Floating Point Servo", 0},
        {"abc", 4, "abc", 0},
        {"abcd", 4, "abc", kDlgErrBufferTooSmall},
        {"abc", 1, "", kDlgErrBufferTooSmall},
        {"", 1, "", 0},
    };
    for (const Case& c : cases) {
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(zqdlg::FillText(c.text, buffer, c.size), c.result) << c.text << " " << c.size;
        EXPECT_STREQ(buffer, c.expected);
        for (int i = c.size; i < static_cast<int>(sizeof buffer); ++i) ASSERT_EQ(buffer[i], '#') << "written past size";
    }
    char one = '#';
    EXPECT_EQ(zqdlg::FillText("abc", nullptr, 16), kDlgErrBadArgument);
    EXPECT_EQ(zqdlg::FillText("abc", &one, 0), kDlgErrBadArgument);
    EXPECT_EQ(zqdlg::FillText("abc", &one, -5), kDlgErrBadArgument);
    EXPECT_EQ(one, '#');
}

TEST(Descriptions, KnownTypesFitThirtyOneCharactersAndOthersAreUnknown) {
    for (int type = -2; type < 300; ++type) {
        for (int form : {zqdlg::kDescShort, zqdlg::kDescLong}) {
            const char* controller = zqdlg::ControllerDescription(type, form);
            const char* module = zqdlg::ModuleDescription(type, form);
            EXPECT_LE(std::strlen(controller ? controller : ""), 31u) << type;
            EXPECT_LE(std::strlen(module ? module : ""), 31u) << type;
        }
    }
    for (int type : {4, 6, 8}) EXPECT_NE(zqdlg::ControllerDescription(type, zqdlg::kDescLong), nullptr) << type;
    for (int type : {1, 2}) EXPECT_NE(zqdlg::ModuleDescription(type, zqdlg::kDescLong), nullptr) << type;
    char buffer[32];
    EXPECT_EQ(zqdlg::FillDescription(zqdlg::ControllerDescription(99, zqdlg::kDescLong), buffer, 32),
              kDlgErrUnknownType);
    EXPECT_STREQ(buffer, "Unknown");
}

TEST(AxisForm, NumbersMustKeepTheirFieldsRule) {
    using zqdlg::NumberRule;
    struct Case { const char* text; NumberRule rule; bool ok; double value; };
    const Case cases[] = {
        {"1.5", NumberRule::Positive, true, 1.5},
        {"  20000 ", NumberRule::Positive, true, 20000},
        {"0", NumberRule::Positive, false, 0},
        {"-1", NumberRule::Positive, false, 0},
        {"0", NumberRule::NonNegative, true, 0},
        {"-0.5", NumberRule::NonNegative, false, 0},
        {"-0.5", NumberRule::Any, true, -0.5},
        {"1e-3", NumberRule::Any, true, 0.001},
        {"0", NumberRule::NonZero, false, 0},
        {"-10", NumberRule::NonZero, true, -10},
        {"", NumberRule::Any, false, 0},
        {"abc", NumberRule::Any, false, 0},
        {"1.5 m", NumberRule::Any, false, 0},
        {"0x10", NumberRule::Any, false, 0},
        {"inf", NumberRule::Any, false, 0},
        {"nan", NumberRule::Any, false, 0},
        {"1e400", NumberRule::Any, false, 0},
    };
    for (const Case& c : cases) {
        double value = 0;
        std::string message = zqdlg::CheckNumber(c.text, "velocity", c.rule, value);
        EXPECT_EQ(message.empty(), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_NE(message.find("for the velocity."), std::string::npos) << message;
        }
    }
    double value = 0;
    EXPECT_EQ(zqdlg::CheckNumber("0", "velocity", NumberRule::Positive, value),
              "Please enter a number greater than 0 for the velocity.");
}

TEST(AxisForm, NumbersBeyondTheControllersLimitsNameTheRange) {
    using zqdlg::NumberRule;
    struct Case { const char* text; NumberRule rule; double least; double most; const char* message; };
    const Case cases[] = {
        {"1000", NumberRule::Positive, 0, 1000, ""},
        {"1000.5", NumberRule::Positive, 0, 1000, "Please enter a number greater than 0 and no more than 1000 for the x."},
        {"0", NumberRule::Positive, 0, 1000, "Please enter a number greater than 0 for the x."},
        {"0.000001", NumberRule::Positive, 1e-6, 1e15, ""},
        {"1e-7", NumberRule::Positive, 1e-6, 1e15, "Please enter a number from 0.000001 to 1e+15 for the x."},
        {"2e15", NumberRule::Positive, 1e-6, 1e15, "Please enter a number from 0.000001 to 1e+15 for the x."},
        {"0", NumberRule::NonNegative, 0, 5, ""},
        {"6", NumberRule::NonNegative, 0, 5, "Please enter a number from 0 to 5 for the x."},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(zqdlg::CheckNumber(c.text, "x", c.rule, value, c.least, c.most), c.message) << c.text;
    }
}

TEST(AxisForm, ARefusedWriteSaysWhatWasWrittenBeforeIt) {
    const std::vector<std::string> parts = {"the motion settings", "the profile", "the loop settings"};
    EXPECT_EQ(zqdlg::WriteFailureText(2, parts, 0),
              "The settings of axis 2 could not be written to the controller. Nothing was changed.");
    EXPECT_EQ(zqdlg::WriteFailureText(2, parts, 1),
              "The settings of axis 2 could not all be written to the controller.\n\n"
              "Written: the motion settings.\nNot written: the profile; the loop settings.");
    EXPECT_EQ(zqdlg::WriteFailureText(2, parts, 2),
              "The settings of axis 2 could not all be written to the controller.\n\n"
              "Written: the motion settings; the profile.\nNot written: the loop settings.");
}

TEST(AxisForm, UnitsNameLivesInTheScaleRecordsFirstBytes) {
    AxisScale scale{};
    std::memset(&scale, 0x5A, sizeof scale);
    scale.Scale = 2000;
    zqdlg::SetUnits(scale, "mm");
    EXPECT_EQ(zqdlg::UnitsOf(scale), "mm");
    EXPECT_EQ(scale.Scale, 2000);
    EXPECT_EQ(scale.Reserved0[2], 0);
    EXPECT_EQ(scale.Reserved0[15], 0);
    EXPECT_EQ(scale.Reserved0[16], 0x5A);  // bytes past the name stay the controller's
    zqdlg::SetUnits(scale, "a very long units name");
    EXPECT_EQ(zqdlg::UnitsOf(scale), "a very long unit");
    EXPECT_EQ(scale.Reserved0[16], 0x5A);
    std::memset(scale.Reserved0, '\x07', 16);
    EXPECT_EQ(zqdlg::UnitsOf(scale), std::string(16, ' '));
}

}  // namespace

namespace {

TEST(AxisForm, NumbersAreShownInPlainDecimalsThatReadBackExactly) {
    struct Case { double value; const char* text; };
    const Case cases[] = {
        {1000, "1000"}, {20000, "20000"}, {0.5, "0.5"}, {0.1, "0.1"}, {-250.25, "-250.25"}, {0, "0"},
        {0.0015, "0.0015"}, {1e-9, "1e-09"}, {1e20, "1e+20"}, {123456789.125, "123456789.125"},
    };
    for (const Case& c : cases) {
        std::string text = zqdlg::FormatNumber(c.value);
        EXPECT_EQ(text, c.text);
        double back = 0;
        EXPECT_TRUE(zqdlg::ParseNumber(text, back));
        EXPECT_EQ(back, c.value);
    }
}

}  // namespace
