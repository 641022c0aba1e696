// Fuzz target for the test data file reader. Whatever the bytes, the reader
// stays inside them, gives columns of one length, and what it read prints and
// reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/test_data_format.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string Print(const TestDataColumns& c, size_t rows) {
    std::string text = kTestDataHeader;
    char line[kMaxTestDataLine];
    for (size_t j = 0; j < rows; ++j) {
        TestDataValues v{c.Actual[j], c.Optimal[j], c.Error[j], c.Torque[j], c.Auxiliary[j]};
        size_t n = FormatTestDataLine(line, c.Time[j], v);
        Check(n <= kMaxTestDataLine);
        text.append(line, n);
    }
    return text;
}

// The line must read exactly as the C library's printf writes it.
void CheckAgainstPrintf(double time, const TestDataValues& v) {
    char mine[kMaxTestDataLine], theirs[kMaxTestDataLine + 1];
    size_t n = FormatTestDataLine(mine, time, v);
    int m = std::snprintf(theirs, sizeof theirs, "%.6f, %g, %g, %g, %g, %g\r\n", time, v.Actual, v.Optimal, v.Error,
                          v.Torque, v.Auxiliary);
    Check(m >= 0 && static_cast<size_t>(m) == n && std::memcmp(mine, theirs, n) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past the end is caught.
    char* bytes = new char[size ? size : 1];
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(data[i]);
    TestDataColumns c = ParseTestDataFile(bytes, bytes + size);
    delete[] bytes;

    size_t rows = c.Rows();
    Check(c.Actual.size() == rows && c.Optimal.size() == rows && c.Error.size() == rows &&
          c.Torque.size() == rows && c.Auxiliary.size() == rows);
    Check(rows <= size / 9 + 1);  // a record takes at least nine characters ("0,0,0,0,0")

    for (size_t j = 0; j < rows && j < 2000; ++j)
        CheckAgainstPrintf(c.Time[j], {c.Actual[j], c.Optimal[j], c.Error[j], c.Torque[j], c.Auxiliary[j]});
    // The raw bytes taken as doubles reach every corner of the number formats.
    for (size_t i = 0; i + 48 <= size && i < 4800; i += 48) {
        double d[6];
        std::memcpy(d, data + i, sizeof d);
        CheckAgainstPrintf(d[0], {d[1], d[2], d[3], d[4], d[5]});
    }

    size_t checked = rows < 2000 ? rows : 2000;
    std::string first = Print(c, checked);
    TestDataColumns again = ParseTestDataFile(first.data(), first.data() + first.size());
    Check(again.Rows() == checked);
    Check(Print(again, checked) == first);
    return 0;
}
