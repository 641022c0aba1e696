// Fault injection of the simulated controller: the ZQSIM_FAULTS text parsed
// into a plan, and the decisions the plan makes for each call (format and
// meaning in docs/simulator.md). Plain C++, no Windows headers, so the parser
// is tested and fuzzed natively.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zqsim {

struct FaultPlan {
    uint64_t seed = 1;
    std::map<std::string, double> fail;  // call name or "*" -> probability 0 to 1
    std::map<std::string, int> slow;     // call name or "*" -> extra milliseconds
    double vanish_after = -1;            // seconds after the open; negative: never
    double reappear_after = -1;          // seconds after the open; negative: never

    bool Empty() const { return fail.empty() && slow.empty() && vanish_after < 0; }
    // The probability that a call of name fails: its own item, else "*" when the
    // call is one that "*" covers, else 0.
    double FailProbability(const std::string& name, bool covered_by_star) const;
    int SlowMs(const std::string& name, bool covered_by_star) const;
    // True while a controller opened seconds ago does not answer.
    bool Vanished(double seconds) const;
};

// Longest slow= delay: longer would make a slow call a hang.
constexpr int kMaxSlowMs = 60000;

// Parses ZQSIM_FAULTS. known tells whether a name may appear in fail= and slow=.
// On failure returns false and sets error to "ZQSIM_FAULTS item <n> '<item>': <reason>",
// the way a bad configuration line is reported.
bool ParseFaults(const std::string& text, const std::function<bool(const std::string&)>& known, FaultPlan* plan,
                 std::string* error);

// Whether the n-th call (from 0) of name fails with probability p under seed:
// the same seed, name and n always decide the same, whatever other calls were
// made in between, so a run repeats even when a timer's calls interleave differently.
bool ChanceFails(uint64_t seed, const std::string& name, uint64_t n, double p);

// Counts the calls of each name and decides their random failures.
class FaultDice {
public:
    explicit FaultDice(uint64_t seed = 1) : seed_(seed) {}
    bool Roll(const std::string& name, double p);

private:
    uint64_t seed_;
    std::map<std::string, uint64_t> calls_;
};

}  // namespace zqsim
