// Test data file format: formatting and scanning of the comma-separated lines.
#include "test_data_format.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void SkipSpace(const char*& p, const char* end) {
    while (p < end && IsSpace(*p)) ++p;
}

char* AppendGeneral(char* p, double value) {
    return std::to_chars(p, p + 40, value, std::chars_format::general, 6).ptr;
}

// One "%lg": 1 converted, 0 no number here, -1 the input ended first.
int ScanNumber(const char*& p, const char* end, double& value) {
    SkipSpace(p, end);
    if (p == end) return -1;
    const char* s = p;
    if (*s == '+') {
        ++s;
        if (s < end && (*s == '+' || *s == '-')) return 0;
    }
    auto r = std::from_chars(s, end, value, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return 0;
    if (r.ec == std::errc::result_out_of_range) {
        // The C library gives HUGE_VAL or a value near zero here rather than
        // refusing the number; ask it for the same.
        std::string text(s, r.ptr);
        value = std::strtod(text.c_str(), nullptr);
    }
    p = r.ptr;
    return 1;
}

}  // namespace

size_t FormatTestDataLine(char* out, double time, const TestDataValues& v) {
    char* p = std::to_chars(out, out + 340, time, std::chars_format::fixed, 6).ptr;
    for (double value : {v.Actual, v.Optimal, v.Error, v.Torque, v.Auxiliary}) {
        *p++ = ',';
        *p++ = ' ';
        p = AppendGeneral(p, value);
    }
    *p++ = '\r';
    *p++ = '\n';
    return static_cast<size_t>(p - out);
}

size_t FirstLineLength(const char* begin, const char* end) {
    size_t limit = static_cast<size_t>(end - begin);
    if (limit > 255) limit = 255;
    const void* lf = std::memchr(begin, '\n', limit);
    return lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) + 1 : limit;
}

int ScanTestDataRecord(const char*& pos, const char* end, double out[6]) {
    int count = 0;
    for (int k = 0; k < 6; ++k) {
        if (k > 0) {
            // ", ": the comma right after the number, then any whitespace.
            if (pos == end || *pos != ',') return count;
            ++pos;
        }
        int r = ScanNumber(pos, end, out[k]);
        if (r < 0) return count == 0 ? -1 : count;
        if (r == 0) return count;
        ++count;
    }
    SkipSpace(pos, end);
    return count;
}

TestDataColumns ParseTestDataRows(const char* begin, const char* end) {
    TestDataColumns c;
    const char* p = begin;
    double v[6] = {};
    for (;;) {
        double previousAuxiliary = v[5];
        int n = ScanTestDataRecord(p, end, v);
        if (n < 5) break;
        if (n == 5) v[5] = previousAuxiliary;
        c.Time.push_back(v[0]);
        c.Actual.push_back(v[1]);
        c.Optimal.push_back(v[2]);
        c.Error.push_back(v[3]);
        c.Torque.push_back(v[4]);
        c.Auxiliary.push_back(v[5]);
    }
    return c;
}

TestDataColumns ParseTestDataFile(const char* begin, const char* end) {
    return ParseTestDataRows(begin + FirstLineLength(begin, end), end);
}
