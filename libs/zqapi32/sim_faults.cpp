// ZQSIM_FAULTS parser and the decisions of a fault plan (see sim_faults.h).
#include "sim_faults.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "sim_text.h"

namespace zqsim {

double FaultPlan::FailProbability(const std::string& name, bool covered_by_star) const {
    if (auto it = fail.find(name); it != fail.end()) return it->second;
    if (auto it = fail.find("*"); covered_by_star && it != fail.end()) return it->second;
    return 0;
}

int FaultPlan::SlowMs(const std::string& name, bool covered_by_star) const {
    if (auto it = slow.find(name); it != slow.end()) return it->second;
    if (auto it = slow.find("*"); covered_by_star && it != slow.end()) return it->second;
    return 0;
}

bool FaultPlan::Vanished(double seconds) const {
    if (vanish_after < 0 || seconds < vanish_after) return false;
    return reappear_after < 0 || seconds < reappear_after;
}

namespace {

bool ParseNumber(const std::string& s, double* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

bool ParseUnsigned(const std::string& s, uint64_t* out) {
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

// Splits "NAME:VALUE" at its last colon.
bool SplitNameValue(const std::string& s, std::string* name, std::string* value) {
    size_t colon = s.rfind(':');
    if (colon == std::string::npos) return false;
    *name = Trim(s.substr(0, colon));
    *value = Trim(s.substr(colon + 1));
    return true;
}

// Applies one item; returns an empty string or the reason it is bad.
std::string ApplyItem(const std::string& key, const std::string& value,
                      const std::function<bool(const std::string&)>& known, FaultPlan& plan,
                      std::map<std::string, bool>& given) {
    if (key == "seed" || key == "vanish_after" || key == "reappear_after") {
        if (given[key]) return key + " is given twice";
        given[key] = true;
    }
    if (key == "seed") {
        if (!ParseUnsigned(value, &plan.seed)) return "seed must be a whole number from 0 to 18446744073709551615";
        return "";
    }
    if (key == "vanish_after" || key == "reappear_after") {
        double s;
        if (!ParseNumber(value, &s) || s < 0 || s > 1e9) return key + " must be a number of seconds from 0 to 1e9";
        (key == "vanish_after" ? plan.vanish_after : plan.reappear_after) = s;
        return "";
    }
    if (key == "fail" || key == "slow") {
        std::string name, number;
        if (!SplitNameValue(value, &name, &number)) return key + " needs NAME:" + (key == "fail" ? "P" : "MS");
        if (name.empty()) return key + " needs a call name or *";
        if (name != "*" && !known(name)) return "'" + name + "' is not a call that can fail or be slowed";
        if (key == "fail") {
            double p;
            if (!ParseNumber(number, &p) || p < 0 || p > 1) return "the probability of " + name + " must be 0 to 1";
            if (!plan.fail.emplace(name, p).second) return "fail=" + name + " is given twice";
        } else {
            uint64_t ms;
            if (!ParseUnsigned(number, &ms) || ms > static_cast<uint64_t>(kMaxSlowMs))
                return "the delay of " + name + " must be 0 to " + std::to_string(kMaxSlowMs) + " milliseconds";
            if (!plan.slow.emplace(name, static_cast<int>(ms)).second) return "slow=" + name + " is given twice";
        }
        return "";
    }
    return "unknown item '" + key + "' (seed, fail, vanish_after, reappear_after or slow)";
}

}  // namespace

bool ParseFaults(const std::string& text, const std::function<bool(const std::string&)>& known, FaultPlan* plan,
                 std::string* error) {
    FaultPlan result;
    std::map<std::string, bool> given;
    int number = 0;
    size_t start = 0;
    std::string last_timing_item;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string item = Trim(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (item.empty()) continue;
        auto bad = [&](const std::string& why) {
            *error = "ZQSIM_FAULTS item " + std::to_string(number) + " '" + item + "': " + why;
            return false;
        };
        size_t eq = item.find('=');
        if (eq == std::string::npos) return bad("expected name=value");
        std::string key = Trim(item.substr(0, eq));
        std::string why = ApplyItem(key, Trim(item.substr(eq + 1)), known, result, given);
        if (!why.empty()) return bad(why);
        if (key == "vanish_after" || key == "reappear_after")
            last_timing_item = "ZQSIM_FAULTS item " + std::to_string(number) + " '" + item + "': ";
    }
    if (result.reappear_after >= 0 && !(result.vanish_after >= 0)) {
        *error = last_timing_item + "reappear_after needs vanish_after";
        return false;
    }
    if (result.reappear_after >= 0 && !(result.reappear_after > result.vanish_after)) {
        *error = last_timing_item + "reappear_after must be later than vanish_after (both count from the open)";
        return false;
    }
    *plan = result;
    return true;
}

namespace {

// SplitMix64's finaliser: every input bit reaches every output bit.
uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t NameHash(const std::string& name) {
    uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
    for (unsigned char c : name) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

}  // namespace

bool ChanceFails(uint64_t seed, const std::string& name, uint64_t n, double p) {
    if (!(p > 0)) return false;
    if (p >= 1) return true;
    uint64_t r = Mix(Mix(Mix(seed) ^ NameHash(name)) + n);
    double u = static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);  // [0, 1) from 53 bits
    return u < p;
}

bool FaultDice::Roll(const std::string& name, double p) {
    if (!(p > 0)) return false;
    uint64_t n = calls_[name]++;
    return ChanceFails(seed_, name, n, p);
}

}  // namespace zqsim
