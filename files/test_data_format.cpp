// Test data file format: formatting and scanning of the comma-separated lines.
#include "test_data_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void SkipSpace(const char*& p, const char* end) {
    while (p < end && IsSpace(*p)) ++p;
}

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// x rounded to the nearest integer when that rounding is certain despite the
// one rounding error of the operation that made x; false near a tie.
bool CertainRound(double x, uint64_t& n) {
    double f = std::floor(x);
    double frac = x - f;
    if (std::fabs(frac - 0.5) < 1e-6) return false;
    n = static_cast<uint64_t>(f) + (frac > 0.5 ? 1 : 0);
    return true;
}

char* AppendDigits(char* p, uint64_t n, int width) {
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    return p + width;
}

// "%g": six significant digits. Values of everyday size take a fast path that
// gives the same text; the rest, and values near a rounding tie, go through
// the exact conversion.
char* AppendGeneral(char* p, double value) {
    double a = std::fabs(value);
    if (!(a >= 1e-16 && a < 1e16)) return std::to_chars(p, p + 40, value, std::chars_format::general, 6).ptr;
    int e = static_cast<int>(std::floor(std::log10(a)));
    uint64_t m = 0;
    for (int attempt = 0;; ++attempt) {
        int k = 5 - e;  // scale so that six digits stand before the point
        double y = k >= 0 ? a * kPow10[k] : a / kPow10[-k];
        if (k > 22 || -k > 22 || attempt > 2 || !CertainRound(y, m))
            return std::to_chars(p, p + 40, value, std::chars_format::general, 6).ptr;
        if (m < 100000) { --e; continue; }
        if (m >= 1000000) {
            if (m == 1000000 && y < 1000000.0) { m = 100000; ++e; break; }
            ++e;
            continue;
        }
        break;
    }
    char digits[6];
    AppendDigits(digits, m, 6);
    int count = 6;
    while (count > 1 && digits[count - 1] == '0') --count;
    if (value < 0) *p++ = '-';
    if (e >= -4 && e < 6) {
        if (e >= 0) {
            for (int i = 0; i <= e; ++i) *p++ = i < count ? digits[i] : '0';
            if (count > e + 1) {
                *p++ = '.';
                for (int i = e + 1; i < count; ++i) *p++ = digits[i];
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < -e - 1; ++i) *p++ = '0';
            for (int i = 0; i < count; ++i) *p++ = digits[i];
        }
        return p;
    }
    *p++ = digits[0];
    if (count > 1) {
        *p++ = '.';
        for (int i = 1; i < count; ++i) *p++ = digits[i];
    }
    *p++ = 'e';
    *p++ = e < 0 ? '-' : '+';
    int x = e < 0 ? -e : e;
    return AppendDigits(p, static_cast<uint64_t>(x), x >= 100 ? 3 : 2);
}

// "%.6f", with the same fast path for times of everyday size.
char* AppendFixed6(char* p, double value) {
    double a = std::fabs(value);
    uint64_t n = 0;
    if (!(a < 1e3) || !CertainRound(a * 1e6, n)) return std::to_chars(p, p + 340, value, std::chars_format::fixed, 6).ptr;
    if (std::signbit(value)) *p++ = '-';
    uint64_t whole = n / 1000000;
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* q = end;
    do {
        *--q = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    while (q < end) *p++ = *q++;
    *p++ = '.';
    return AppendDigits(p, n % 1000000, 6);
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
    char* p = AppendFixed6(out, time);
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
