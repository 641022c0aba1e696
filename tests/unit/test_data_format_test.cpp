// Test data file format: data lines as written, records as scanned, whole files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "files/test_data_format.h"

namespace {

std::string Line(double time, TestDataValues v) {
    char buffer[kMaxTestDataLine];
    return std::string(buffer, FormatTestDataLine(buffer, time, v));
}

TestDataColumns Parse(const std::string& text) { return ParseTestDataFile(text.data(), text.data() + text.size()); }

TEST(TestDataFormat, DataLinesAsPrintfWouldWriteThem) {
    struct Case {
        double time;
        TestDataValues v;
        const char* expected;
    } cases[] = {
        {0.002, {12.5, 13, -0.5, 0.3418, 0}, "0.002000, 12.5, 13, -0.5, 0.3418, 0\r\n"},
        {1.5, {1234567.0, 0.000012345, 1e-5, -0.0, 123456.0}, "1.500000, 1.23457e+06, 1.2345e-05, 1e-05, -0, 123456\r\n"},
        {-0.0000004, {1e300, -2.5e-300, 100, 0.1 + 0.2, 99999.95}, "-0.000000, 1e+300, -2.5e-300, 100, 0.3, 99999.9\r\n"},
        {12345.6789124, {0, 0, 0, 0, 0}, "12345.678912, 0, 0, 0, 0, 0\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Line(c.time, c.v), c.expected);
    // Even the longest line fits the buffer the callers provide.
    EXPECT_LE(Line(-1.7e308, {-1.7e308, -1e-300, -1e-300, -1e-300, -1e-300}).size(), kMaxTestDataLine);
}

TEST(TestDataFormat, RecordScanFollowsTheScanFormat) {
    struct Case {
        const char* text;
        int count;
        size_t consumed;  // characters taken by the record
    } cases[] = {
        {"1, 2, 3, 4, 5, 6\r\n7", 6, 18},
        {"1,2,3,4,5,6\n", 6, 12},
        {"  1,\t2,\r\n3, 4, 5, 6", 6, 19},  // whitespace after a comma may even hold line ends
        {"1, 2, 3, 4, 5\r\n6, 7", 5, 13},   // a line end where the comma should be stays for the next record
        {"1, 2 , 3, 4, 5, 6\r\n", 2, 4},    // a blank before a comma ends the record there
        {"1, 2, 3, 4, 5,", 5, 14},
        {"1e3, -2.5E-2, +3, .5, 5., 6e+0", 6, 30},
        {"1, 2, 3, 4, +-5, 6", 4, 12},
        {"Time, Actual", 0, 0},
        {"", -1, 0},
        {" \r\n\r\n", -1, 5},
    };
    for (const Case& c : cases) {
        const char* p = c.text;
        const char* end = c.text + std::char_traits<char>::length(c.text);
        double v[6] = {};
        EXPECT_EQ(ScanTestDataRecord(p, end, v), c.count) << c.text;
        EXPECT_EQ(static_cast<size_t>(p - c.text), c.consumed) << c.text;
    }
    const char* text = "1e3, -2.5E-2, +3, .5, 5., 6e+0";
    double v[6];
    ScanTestDataRecord(text, text + 30, v);
    const double expected[6] = {1000, -0.025, 3, 0.5, 5, 6};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(v[k], expected[k]) << k;
}

TEST(TestDataFormat, FilesWithCrLfLfAndBlankLinesReadAlike) {
    const char* files[] = {
        "Time, Actual, Optimal, Error, Torque\r\n0.000000, 1, 2, 3, 4, 5\r\n0.001000, 6, 7, 8, 9, 10\r\n",
        "Time, Actual, Optimal, Error, Torque\n0.000000, 1, 2, 3, 4, 5\n0.001000, 6, 7, 8, 9, 10\n",
        "Time, Actual, Optimal, Error, Torque\r\n\r\n0.000000, 1, 2, 3, 4, 5\r\n\n\n0.001000, 6, 7, 8, 9, 10",
    };
    for (const char* f : files) {
        TestDataColumns c = Parse(f);
        ASSERT_EQ(c.Rows(), 2u) << f;
        EXPECT_EQ(c.Time, (std::vector<double>{0, 0.001}));
        EXPECT_EQ(c.Actual, (std::vector<double>{1, 6}));
        EXPECT_EQ(c.Optimal, (std::vector<double>{2, 7}));
        EXPECT_EQ(c.Error, (std::vector<double>{3, 8}));
        EXPECT_EQ(c.Torque, (std::vector<double>{4, 9}));
        EXPECT_EQ(c.Auxiliary, (std::vector<double>{5, 10}));
    }
}

TEST(TestDataFormat, FiveNumberLinesRepeatTheAuxiliaryValueBeforeThem) {
    TestDataColumns five = Parse("Time\r\n0, 1, 2, 3, 4\r\n0.5, 1, 2, 3, 4\r\n");
    EXPECT_EQ(five.Rows(), 2u);
    EXPECT_EQ(five.Auxiliary, (std::vector<double>{0, 0}));
    TestDataColumns mixed = Parse("Time\r\n0, 1, 2, 3, 4, 7.5\r\n1, 1, 2, 3, 4\r\n2, 1, 2, 3, 4, 8\r\n3, 1, 2, 3, 4\r\n");
    EXPECT_EQ(mixed.Auxiliary, (std::vector<double>{7.5, 7.5, 8, 8}));
}

TEST(TestDataFormat, TheFirstBadLineEndsTheRead) {
    struct Case {
        const char* text;
        size_t rows;
    } cases[] = {
        {"Time, Actual, Optimal, Error, Torque\r\n", 0},
        {"", 0},
        {"0, 1, 2, 3, 4, 5\r\n1, 1, 2, 3, 4, 5\r\n", 1},  // no header: the first line is skipped anyway
        {"H\r\n0, 1, 2, 3, 4, 5\r\n1, 1 , 2, 3, 4, 5\r\n2, 1, 2, 3, 4, 5\r\n", 1},
        {"H\r\n0, 1, 2, 3, 4, 5\r\n1, 1, 2, 3\r\n2, 1, 2, 3, 4, 5\r\n", 1},
        {"H\r\n0, 1, 2, 3, 4, 5\r\nend\r\n2, 1, 2, 3, 4, 5\r\n", 1},
        {"H\r\n0; 1; 2; 3; 4; 5\r\n", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.text).Rows(), c.rows) << c.text;
}

TEST(TestDataFormat, AFirstLineOver255CharactersLeavesItsRestToTheParser) {
    std::string longHeader(300, 'x');
    EXPECT_EQ(Parse(longHeader + "\r\n0, 1, 2, 3, 4, 5\r\n").Rows(), 0u);
    // The 256th character starts the data when the first line is that long.
    TestDataColumns c = Parse(std::string(255, 'H') + "9, 1, 2, 3, 4, 5\r\n10, 1, 2, 3, 4, 5\r\n");
    ASSERT_EQ(c.Rows(), 2u);
    EXPECT_EQ(c.Time[0], 9);
    EXPECT_EQ(FirstLineLength(longHeader.data(), longHeader.data() + longHeader.size()), 255u);
}

TEST(TestDataFormat, BinaryGarbageReadsNoRowAndStaysInBounds) {
    std::string garbage = "H\n";
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919 + 13) & 0xFF);
    garbage += "1, 2, 3, 4, 5";  // ends without a line end right at the buffer's end
    EXPECT_EQ(Parse(garbage).Rows(), 0u);
    std::string cut = "H\n1, 2, 3, 4, 5, 6";
    EXPECT_EQ(Parse(cut).Rows(), 1u);
    std::string nul("H\n1, 2, 3, 4, 5, 6\n\0\n7, 1, 2, 3, 4, 5\n", 38);
    EXPECT_EQ(Parse(nul).Rows(), 1u);
}

TEST(TestDataFormat, ValuesOutOfDoubleRangeBecomeInfinityOrZeroAsInC) {
    TestDataColumns c = Parse("H\n1e999, -1e999, 1e-999, 4, 5, 6\n");
    ASSERT_EQ(c.Rows(), 1u);
    EXPECT_TRUE(std::isinf(c.Time[0]) && c.Time[0] > 0);
    EXPECT_TRUE(std::isinf(c.Actual[0]) && c.Actual[0] < 0);
    EXPECT_EQ(c.Optimal[0], 0.0);
}

TEST(TestDataFormat, WrittenLinesReadBackAsPrinted) {
    std::string file = kTestDataHeader;
    for (int j = 0; j < 50; ++j) {
        double x = j * 0.123456789;
        file += Line(j * 0.0005, {x * 1000, -x, x / 7, std::sin(x), x * x});
    }
    TestDataColumns c = Parse(file);
    ASSERT_EQ(c.Rows(), 50u);
    std::string again = kTestDataHeader;
    for (size_t j = 0; j < c.Rows(); ++j)
        again += Line(c.Time[j], {c.Actual[j], c.Optimal[j], c.Error[j], c.Torque[j], c.Auxiliary[j]});
    EXPECT_EQ(again, file);
}

}  // namespace
