// Test data file format: the header, the data lines and the scanner that reads
// them back. Plain functions over text, no window and no file.
#pragma once
#include <cstddef>
#include <vector>

// Every line ends with CR LF. The header names five columns; data lines carry a
// sixth, the auxiliary encoder channel.
inline constexpr char kTestDataHeader[] = "Time, Actual, Optimal, Error, Torque\r\n";

// Longest data line FormatTestDataLine writes (fixed notation of a huge time included).
inline constexpr size_t kMaxTestDataLine = 512;

// Values of one data line after the time, in file column order.
struct TestDataValues {
    double Actual = 0.0;
    double Optimal = 0.0;
    double Error = 0.0;
    double Torque = 0.0;
    double Auxiliary = 0.0;
};

// Writes "%.6f, %g, %g, %g, %g, %g" and CR LF into out (room for
// kMaxTestDataLine characters, no terminating zero) and returns its length.
// The numbers are formatted as the C library's printf would in the C locale.
size_t FormatTestDataLine(char* out, double time, const TestDataValues& values);

// Columns read from a test data file, all of the same length.
struct TestDataColumns {
    std::vector<double> Time, Actual, Optimal, Error, Torque, Auxiliary;
    size_t Rows() const { return Time.size(); }
};

// Length of the first line as a line reader with a 256-character buffer takes
// it: up to and including the first LF, at most 255 characters.
size_t FirstLineLength(const char* begin, const char* end);

// Scans one record with the rules of the scan format
// "%lg, %lg, %lg, %lg, %lg, %lg\n" applied to a stream: a comma must follow a
// number directly, whitespace (line ends included) may follow the comma, and
// trailing whitespace is consumed. Returns the count of numbers converted, or
// -1 when the input ended before the first one. pos advances past what was
// consumed; a character that did not match stays for the next record.
int ScanTestDataRecord(const char*& pos, const char* end, double out[6]);

// Parses everything after the header: records are taken while they convert at
// least five numbers. A five-number record repeats the auxiliary value of the
// record before it (0 for the first).
TestDataColumns ParseTestDataRows(const char* begin, const char* end);
// The whole file: the first line is skipped, the rest parsed.
TestDataColumns ParseTestDataFile(const char* begin, const char* end);
