// Start options: splitting the command line and parsing -a/--axis, -b/--board.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Parsed { unsigned axis, board; };

Parsed Parse(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    DWORD p = ParseStartOptions(buffer.data());
    return {LOWORD(p), HIWORD(p)};
}

TEST(StartOptions, Table) {
    const struct { const char* line; unsigned axis, board; } cases[] = {
        {"", 0, 0x8000},
        {"-a 3 -b 1", 3, 1},
        {"--axis=3 --board=1", 3, 1},
        {"--AXIS=3 --board=1", 3, 1},
        {"--Board=2", 0, 2},
        {"-a3", 0, 0x8000},          // the value is always the next argument
        {"-a3 7", 7, 0x8000},        // ... so 7 is taken, 3 is dropped
        {"-a -b 2", 0, 0x8000},      // -b is the axis value; parsing stops at 2
        {"--axis 3", 0, 0x8000},     // no equals sign: nothing applied, stops at 3
        {"-x -a 2", 2, 0x8000},      // unknown letter stepped over
        {"2 -a 3", 0, 0x8000},       // stops at the first non-option
        {"-b 40000", 0, 40000},      // 16-bit value kept; the window ignores >= 0x8000
        {"-b -1", 0, 0xFFFF},
        {"-a 0", 0, 0x8000},
        {"-a 3  ", 3, 0x8000},       // trailing blanks add no argument
        {"\"-a\" \"3\"", 3, 0x8000}, // quotes group but mean nothing else
        {"-a \"\" -b 1", 0, 1},      // an empty quoted argument is a value like any other
        {"-a 70000", 70000 & 0xFFFF, 0x8000},
        {"-a  +5x -b\t 2", 5, 2},    // strtol: sign allowed, stops at the first non-digit
        {"- -a 2", 2, 0x8000},       // a lone dash is an unknown option
        {"--ax=4", 0, 0x8000},       // long names match only in full
        {"-a", 0, 0x8000},           // missing value
    };
    for (const auto& c : cases) {
        Parsed p = Parse(c.line);
        EXPECT_EQ(p.axis, c.axis) << "\"" << c.line << "\"";
        EXPECT_EQ(p.board, c.board) << "\"" << c.line << "\"";
    }
}

TEST(StartOptions, LongAndHostileCommandLinesStayBounded) {
    std::string many;
    for (int i = 0; i < 40; ++i) many += "-a " + std::to_string(i % 16) + " ";
    EXPECT_EQ(Parse(many).axis, 14u);  // slots 1..31 only: the 16th "-a" loses its value
    std::string huge = "-a " + std::string(100000, '9') + " -b " + std::string(5000, '1');
    Parsed p = Parse(huge);
    EXPECT_EQ(p.axis, 0xFFFFu);  // strtol saturates; only its low 16 bits are used
    EXPECT_EQ(p.board, 0xFFFFu);
    EXPECT_EQ(Parse(std::string(300, '"')).axis, 0u);
}

TEST(SplitArguments, SlotsAndQuotes) {
    char text[] = "  one \"two three\"\tfour\"five \"six";
    char* slots[32];
    int n = SplitArguments(text, slots, 32);
    ASSERT_EQ(n, 5);
    EXPECT_STREQ(slots[0], "program name");
    EXPECT_STREQ(slots[1], "one");
    EXPECT_STREQ(slots[2], "two three");
    EXPECT_STREQ(slots[3], "four\"five");
    EXPECT_STREQ(slots[4], "six");

    char unterminated[] = "\"open quote";
    n = SplitArguments(unterminated, slots, 32);
    ASSERT_EQ(n, 2);
    EXPECT_STREQ(slots[1], "open quote");
}

TEST(GetOption, ReportsOffenderAndColonMode) {
    char text[] = "-x -a";
    char* slots[32];
    int n = SplitArguments(text, slots, 32);
    ResetOptionParser();
    OptionReporting = 0;
    LongOption none[] = {{nullptr, 0, nullptr, 0}};
    EXPECT_EQ(GetOption(n, slots, ":a:b:", none, nullptr), ':');
    EXPECT_EQ(OptionOffender, 'x');
    EXPECT_EQ(GetOption(n, slots, ":a:b:", none, nullptr), ':');  // -a without a value
    EXPECT_EQ(OptionOffender, 'a');
    EXPECT_EQ(GetOption(n, slots, ":a:b:", none, nullptr), -1);
}

TEST(GetOption, LongOptionWithFlagAndIndex) {
    char text[] = "--verbose --axis=2 rest";
    char* slots[32];
    int n = SplitArguments(text, slots, 32);
    int verbose = 0, index = -1;
    LongOption options[] = {{"axis", 1, nullptr, 'a'}, {"verbose", 0, &verbose, 7}, {nullptr, 0, nullptr, 0}};
    ResetOptionParser();
    OptionReporting = 0;
    EXPECT_EQ(GetOption(n, slots, "a:", options, &index), 0);
    EXPECT_EQ(verbose, 7);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(GetOption(n, slots, "a:", options, &index), 'a');
    EXPECT_STREQ(OptionValue, "2");
    EXPECT_EQ(index, 0);
    EXPECT_EQ(GetOption(n, slots, "a:", options, &index), -1);
    EXPECT_EQ(OptionIndex, 3);  // left at "rest"
}

}  // namespace
