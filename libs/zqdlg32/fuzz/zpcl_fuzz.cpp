// Fuzz target of the ZPCL command file reader, built natively (not for Windows)
// with the address and undefined-behaviour sanitizers.
//
// With libFuzzer (clang -fsanitize=fuzzer -DZPCL_LIBFUZZER) the usual entry
// point is used. Without it, main() runs every file of the corpus folders
// given, and with --mutate N also N deterministic mutations of them, so the
// same run can be repeated by anyone:
//   zpcl_fuzz [--mutate N] corpus_dir_or_file...
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "zpcl.h"

#define CHECK(condition)                                                               \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

namespace {

void CheckStatement(const zpcl::Statement& s) {
    CHECK(s.axis >= 1 && s.axis <= 65535);
    CHECK(std::isfinite(s.value));
    if (s.command == zpcl::Command::FR) {
        CHECK(s.value >= 0 && s.value <= zpcl::kMaxFrameCount && s.value == std::floor(s.value));
    }
    // What the reader accepted, written back, reads as the same statement.
    zpcl::LineResult again = zpcl::ParseLine(zpcl::FormatStatement(s));
    CHECK(again.error == zpcl::Error::None);
    CHECK(again.statements.size() == 1);
    CHECK(again.statements[0].axis == s.axis);
    CHECK(again.statements[0].command == s.command);
    CHECK(again.statements[0].value == s.value);
}

void CheckSamplePeriod(const uint8_t* data, size_t size) {
    if (size < 10) return;
    double period;
    std::memcpy(&period, data, sizeof period);
    int frames = (data[8] | (data[9] << 8)) & 0x7FFF;
    double seconds = zpcl::SamplePeriodForFrames(frames, period);
    if (!(period > 0) || !std::isfinite(period)) {
        CHECK(seconds == 0.0);
        return;
    }
    // The export divides and truncates: it must give frames back.
    if (seconds > 0) CHECK(std::trunc(seconds / period) - 1 == frames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t covered = 0;
    for (std::string_view line : zpcl::SplitLines(text)) {
        CHECK(line.find('\n') == std::string_view::npos && line.find('\r') == std::string_view::npos);
        covered += line.size();
        zpcl::LineResult r = zpcl::ParseLine(line);
        if (r.error != zpcl::Error::None) {
            CHECK(r.statements.empty());
            CHECK(r.column >= 1 && r.column <= line.size() + 1);
            CHECK(std::strlen(zpcl::ErrorText(r.error)) > 0);
        }
        for (const zpcl::Statement& s : r.statements) CheckStatement(s);
    }
    CHECK(covered <= size);
    CheckSamplePeriod(data, size);
    return 0;
}

#ifndef ZPCL_LIBFUZZER

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool ReadFile(const std::string& path, std::string& content) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    content.clear();
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
    std::fclose(f);
    return true;
}

void Collect(const std::string& path, std::vector<std::string>& inputs) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        std::fprintf(stderr, "zpcl_fuzz: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    if (S_ISDIR(st.st_mode)) {
        DIR* dir = opendir(path.c_str());
        std::vector<std::string> names;
        while (dirent* e = readdir(dir))
            if (e->d_name[0] != '.') names.push_back(path + "/" + e->d_name);
        closedir(dir);
        std::sort(names.begin(), names.end());
        for (const auto& name : names) Collect(name, inputs);
        return;
    }
    std::string content;
    if (ReadFile(path, content)) inputs.push_back(content);
}

// xorshift64*: the same mutations on every machine.
uint64_t g_state = 0x9E3779B97F4A7C15ull;
uint64_t Next() {
    g_state ^= g_state >> 12;
    g_state ^= g_state << 25;
    g_state ^= g_state >> 27;
    return g_state * 2685821657736338717ull;
}

std::string Mutate(const std::vector<std::string>& seeds) {
    std::string s = seeds[Next() % seeds.size()];
    static const char* const kTokens[] = {"SG", "FR", "ds", ";", ",", "\r\n", "\n", "\r", "\t", "-", "+", ".",
                                          "e", "E-", "1e309", "65536", "0", "32767", "32768", "9999999999",
                                          "nan", "inf", "0x1p3", " ", "\0", "1SG", "1.5.5", "..."};
    int edits = 1 + static_cast<int>(Next() % 4);
    for (int k = 0; k < edits; ++k) {
        size_t at = s.empty() ? 0 : Next() % (s.size() + 1);
        switch (Next() % 5) {
        case 0: if (!s.empty() && at < s.size()) s[at] = static_cast<char>(Next()); break;
        case 1: if (at < s.size()) s.erase(at, 1 + Next() % 8); break;
        case 2: {
            const char* t = kTokens[Next() % (sizeof kTokens / sizeof *kTokens)];
            s.insert(at, t, *t ? std::strlen(t) : 1);
            break;
        }
        case 3: s.insert(at, std::string(1 + Next() % 300, static_cast<char>('0' + Next() % 10))); break;
        case 4: if (!s.empty()) { size_t from = Next() % s.size(); s.insert(at, s.substr(from, Next() % 40)); } break;
        }
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    long mutations = 0;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mutate") == 0 && i + 1 < argc) mutations = std::atol(argv[++i]);
        else Collect(argv[i], inputs);
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: zpcl_fuzz [--mutate N] corpus_dir_or_file...\n");
        return 2;
    }
    for (const std::string& input : inputs)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    for (long i = 0; i < mutations; ++i) {
        std::string input = Mutate(inputs);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::printf("zpcl_fuzz: %zu corpus inputs and %ld mutations passed\n", inputs.size(), mutations);
    return 0;
}

#endif
