// Runs a fuzz target without a fuzzing engine: every file of the corpus
// folders, then a fixed number of seeded mutations of them, so that a run is
// repeatable and quick enough for every test run. For open-ended fuzzing build
// the target with clang's -fsanitize=fuzzer instead of this driver.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

uint64_t state = 0x9E3779B97F4A7C15ull;
uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}
size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }

const char* const kTokens[] = {", ", ",", "\r\n", "\n", " ", "e+", "e-", "E", "-", "+", ".", "0", "9",
                               "1e308", "1e-320", "inf", "nan", "0x1p3", "\t", "\0", "Time, Actual"};

std::string Mutate(std::string s, const std::vector<std::string>& corpus) {
    int steps = 1 + static_cast<int>(Below(4));
    for (int k = 0; k < steps; ++k) {
        switch (Below(6)) {
        case 0:
            if (!s.empty()) s[Below(s.size())] ^= static_cast<char>(1u << Below(8));
            break;
        case 1:
            if (!s.empty()) s.erase(Below(s.size()), 1 + Below(8));
            break;
        case 2: {
            std::string t = kTokens[Below(sizeof kTokens / sizeof *kTokens)];
            if (t.empty()) t.assign(1, '\0');
            s.insert(Below(s.size() + 1), t);
            break;
        }
        case 3:
            if (!s.empty()) s[Below(s.size())] = static_cast<char>(Next());
            break;
        case 4: {
            const std::string& other = corpus[Below(corpus.size())];
            size_t from = Below(other.size() + 1);
            s.insert(Below(s.size() + 1), other.substr(from, Below(64)));
            break;
        }
        default:
            if (s.size() > 1) s.resize(Below(s.size()));
            break;
        }
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> corpus;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "no corpus files found\n");
        return 1;
    }
    for (const std::string& s : corpus) LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    const int kMutations = 20000;
    for (int i = 0; i < kMutations; ++i) {
        std::string s = Mutate(corpus[Below(corpus.size())], corpus);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    }
    std::printf("%zu corpus files and %d mutations read without a fault\n", corpus.size(), kMutations);
    return 0;
}
