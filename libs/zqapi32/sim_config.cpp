// Built-in bench and INI parser of the simulated controller's hardware.
#include "sim_config.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "sim_axis.h"
#include "sim_errors.h"
#include "sim_text.h"
#include "sim_two_mass.h"

namespace zqsim {

const ControllerSpec* SimConfig::Find(int id) const {
    for (const auto& c : controllers)
        if (c.id == id) return &c;
    return nullptr;
}

namespace {

AxisSpec LightServo() {
    AxisSpec a;
    a.inertia = 0.4;
    a.viscous = 2.0;
    a.coulomb = 4000.0;
    a.torque_limit = 5.0;
    return a;
}

// A carriage on a toothed belt: the belt's stretch lets the carriage swing
// against the motor near 60 Hz, lightly damped.
AxisSpec BeltAxis() {
    AxisSpec a;
    a.inertia = 0.25;
    a.load_inertia = 0.75;
    a.coupling_stiffness = 26650.0;  // sqrt(k (1/Jm + 1/Jl)) = 377 rad/s
    a.coupling_damping = 2.8;        // damping ratio 0.02
    a.viscous = 2.0;
    a.load_viscous = 3.0;
    a.coulomb = 6000.0;
    return a;
}

// A table on a lead screw, stiffer, resonating near 300 Hz with more damping,
// and measured at the table by a linear scale: the resonance is inside the
// position loop, so too much derivative gain makes the axis sing.
AxisSpec ScrewAxis() {
    AxisSpec a;
    a.encoder_on_load = 1;
    a.inertia = 0.5;
    a.load_inertia = 0.5;
    a.coupling_stiffness = 888000.0;  // sqrt(k (1/Jm + 1/Jl)) = 1885 rad/s
    a.coupling_damping = 47.0;        // damping ratio 0.05
    a.viscous = 3.0;
    a.load_viscous = 2.0;
    a.coulomb = 8000.0;
    return a;
}

AxisSpec Stepper() {
    AxisSpec a;
    a.module = 2;
    a.flags = 0;
    a.capture = 0;
    a.buffer = 0;
    return a;
}

}  // namespace

SimConfig BenchConfig() {
    SimConfig config;
    ControllerSpec c0;
    c0.id = 0;
    c0.type = 6;
    c0.flags = 4;
    c0.axes = {AxisSpec(), AxisSpec(), LightServo(), Stepper()};
    ControllerSpec c1;
    c1.id = 1;
    c1.type = 4;
    c1.flags = 0;
    AxisSpec a;
    a.capture = 0x80;
    a.buffer = 1024;
    c1.axes = {a, a};
    ControllerSpec c2;
    c2.id = 2;
    c2.type = 6;
    c2.flags = 4;
    c2.axes = {BeltAxis(), ScrewAxis()};
    config.controllers = {c0, c1, c2};
    return config;
}

namespace {

std::string Lower(std::string s) {
    for (auto& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

bool ParseInt(const std::string& s, long long* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    // Decimal, or hex with 0x; a leading zero does not mean octal.
    size_t digits = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    bool hex = s.size() > digits + 1 && s[digits] == '0' && (s[digits + 1] == 'x' || s[digits + 1] == 'X');
    long long v = std::strtoll(s.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0') return false;
    if (v < -2147483648LL || v > 2147483647LL) return false;
    *out = v;
    return true;
}

bool ParseDouble(const std::string& s, double* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// Section name parsed into controller and axis numbers (axis 0: controller section).
bool ParseSection(const std::string& name, int* controller, int* axis) {
    int c = -1, a = -1, n = 0;
    std::string s = Lower(name);
    if (std::sscanf(s.c_str(), "controller.%d.axis.%d%n", &c, &a, &n) == 2 && n == static_cast<int>(s.size())) {
        if (c < 0 || c > 32767 || a < 1 || a > kMaxAxes) return false;
        *controller = c;
        *axis = a;
        return true;
    }
    n = 0;
    if (std::sscanf(s.c_str(), "controller.%d%n", &c, &n) == 1 && n == static_cast<int>(s.size())) {
        if (c < 0 || c > 32767) return false;
        *controller = c;
        *axis = 0;
        return true;
    }
    return false;
}

struct Pending {
    ControllerSpec spec;
    int line = 0;  // of its first section
    bool axes_given = false;
    std::map<int, AxisSpec> axes;
    std::map<int, int> axis_line;
};

std::string Where(const std::string& file, int line) {
    return file + " line " + std::to_string(line) + ": ";
}

// Servo ticks per second of one controller that a slow machine still
// simulates faster than real time (the bench's 16 axes at 8 kHz ask for half).
constexpr long long kMaxTicksPerSecond = 256000;
// Memory of all controllers' capture buffers and loop histories: what a 32-bit
// process can be sure to give beside the program.
constexpr long long kMaxSimulatedBytes = 64LL << 20;

// Plant numbers beyond these could make the servo loop overflow.
constexpr double kMaxPlantValue = 1e12;
constexpr double kMinInertia = 1e-12;

std::string CheckMagnitude(const std::string& key, double v) {
    if (key == "high" || key == "medium" || key == "low") return "";
    if (!(std::fabs(v) <= kMaxPlantValue)) return key + " is too large (at most 1e12)";
    if (key == "inertia" && v > 0 && v < kMinInertia) return "inertia must be at least 1e-12";
    return "";
}

// Applies one key to an axis; returns an empty string or the reason it failed.
std::string SetAxisKey(AxisSpec& a, const std::string& key, const std::string& value) {
    static const std::map<std::string, int AxisSpec::*> ints = {
        {"module", &AxisSpec::module}, {"flags", &AxisSpec::flags}, {"capture", &AxisSpec::capture},
        {"buffer", &AxisSpec::buffer}, {"update_rate", &AxisSpec::update_rate},
        {"encoder_on_load", &AxisSpec::encoder_on_load}};
    static const std::map<std::string, double AxisSpec::*> doubles = {
        {"high", &AxisSpec::high}, {"medium", &AxisSpec::medium}, {"low", &AxisSpec::low},
        {"inertia", &AxisSpec::inertia}, {"viscous", &AxisSpec::viscous}, {"coulomb", &AxisSpec::coulomb},
        {"torque_constant", &AxisSpec::torque_constant}, {"torque_limit", &AxisSpec::torque_limit},
        {"counts_per_unit", &AxisSpec::counts_per_unit}, {"aux_ratio", &AxisSpec::aux_ratio},
        {"aux_compliance", &AxisSpec::aux_compliance}, {"load_inertia", &AxisSpec::load_inertia},
        {"coupling_stiffness", &AxisSpec::coupling_stiffness}, {"coupling_damping", &AxisSpec::coupling_damping},
        {"load_viscous", &AxisSpec::load_viscous}};
    if (auto it = ints.find(key); it != ints.end()) {
        long long v;
        if (!ParseInt(value, &v)) return "value of " + key + " is not an integer";
        if (key == "buffer" && (v < 0 || v > 1000000)) return "buffer must be 0 to 1000000 points";
        if (key == "update_rate" && v != 1 && v != 2 && v != 4) return "update_rate must be 1, 2 or 4";
        if (key == "encoder_on_load" && v != 0 && v != 1) return "encoder_on_load must be 0 or 1";
        a.*(it->second) = static_cast<int>(v);
        return "";
    }
    if (auto it = doubles.find(key); it != doubles.end()) {
        double v;
        if (!ParseDouble(value, &v)) return "value of " + key + " is not a finite number";
        if (std::string why = CheckMagnitude(key, v); !why.empty()) return why;
        if ((key == "high" || key == "medium" || key == "low") && !(v >= 1e-6 && v <= 1.0))
            return key + " period must be between 1e-06 and 1 second";
        if ((key == "inertia" || key == "torque_constant") && !(v > 0)) return key + " must be positive";
        if ((key == "viscous" || key == "coulomb" || key == "torque_limit" || key == "counts_per_unit" ||
             key == "aux_compliance" || key == "load_inertia" || key == "coupling_stiffness" ||
             key == "coupling_damping" || key == "load_viscous") && v < 0)
            return key + " must not be negative";
        a.*(it->second) = v;
        return "";
    }
    return "unknown axis key '" + key + "'";
}

// Checks what one key alone cannot: a compliant load needs a spring, and a
// coupling that the servo period can still follow (one that swings several
// times within a servo period is rigid for every purpose).
std::string CheckAxisSpec(const AxisSpec& a, const ControllerSpec& c) {
    if (!(a.load_inertia > 0)) return "";
    if (!(a.coupling_stiffness > 0)) return "coupling_stiffness must be positive when load_inertia is set";
    double slowest = c.type == 8 ? std::max<size_t>(1, c.axes.size()) * 0.001 : std::max({a.high, a.medium, a.low});
    if (!(CouplingRate(a) * slowest <= MaxCouplingAngle()))
        return "the coupling's resonance or damping is faster than 5 times the servo rate; a rigid load "
               "(load_inertia = 0) models it";
    return "";
}

std::string SetControllerKey(Pending& p, const std::string& key, const std::string& value) {
    long long v;
    if (key != "type" && key != "flags" && key != "axes" && key != "open_error")
        return "unknown controller key '" + key + "'";
    if (!ParseInt(value, &v)) return "value of " + key + " is not an integer";
    if (key == "type") p.spec.type = static_cast<int>(v);
    if (key == "flags") p.spec.flags = static_cast<int>(v);
    if (key == "open_error") {
        // ZqOpen returns it as a short; -1 to -31 are the library's own codes with their own texts.
        if (v != 0 && (v > kFirstOpenError || v < -32768)) return "open_error must be 0 or a code from -32 to -32768";
        p.spec.open_error = static_cast<int>(v);
    }
    if (key == "axes") {
        if (v < 0 || v > kMaxAxes) return "axes must be 0 to 16";
        p.spec.axes.resize(static_cast<size_t>(v));
        p.axes_given = true;
    }
    return "";
}

// What no single key decides: the servo ticks a controller asks for per second
// (the work of catching its clock up) and the memory of all controllers.
std::string CheckCosts(const SimConfig& config, const std::map<int, Pending>& pending, const std::string& file) {
    double bytes = 0;
    for (const ControllerSpec& c : config.controllers) {
        const Pending& p = pending.at(c.id);
        int n = static_cast<int>(c.axes.size());
        double ticks = 0;
        for (int a = 1; a <= n; ++a) {
            const AxisSpec& axis = c.axes[static_cast<size_t>(a - 1)];
            ticks += 1.0 / ShortestServoPeriod(axis, c.type, n);
            bytes += 32.0 * axis.buffer + 8.0 * static_cast<double>(ErrorHistoryLength(axis, c.type, n));
            if (bytes > kMaxSimulatedBytes) {
                auto section = p.axis_line.find(a);
                return Where(file, section != p.axis_line.end() ? section->second : p.line) +
                       "the capture buffers and loop histories of all controllers need more than " +
                       std::to_string(kMaxSimulatedBytes >> 20) + " MB";
            }
        }
        if (std::llround(ticks) > kMaxTicksPerSecond)
            return Where(file, p.line) + "controller " + std::to_string(c.id) + " needs " +
                   std::to_string(std::llround(ticks)) + " servo ticks per second at its axes' fastest rates; " +
                   "the simulator keeps up with real time only up to " + std::to_string(kMaxTicksPerSecond);
    }
    return "";
}

}  // namespace

bool ParseConfig(const std::string& text, const std::string& file, SimConfig* config, std::string* error) {
    std::map<int, Pending> pending;
    std::vector<int> order;
    int controller = -1, axis = 0;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    const AxisSpec bench_axis;
    while (std::getline(in, raw)) {
        ++line;
        std::string s = raw;
        size_t comment = s.find_first_of(";#");
        if (comment != std::string::npos) s = s.substr(0, comment);
        s = Trim(s);
        if (s.empty()) continue;
        if (s.front() == '[') {
            if (s.back() != ']') { *error = Where(file, line) + "section header lacks ']'"; return false; }
            std::string name = Trim(s.substr(1, s.size() - 2));
            if (!ParseSection(name, &controller, &axis)) {
                *error = Where(file, line) + "unknown section [" + name + "]";
                return false;
            }
            if (!pending.count(controller)) {
                Pending p;
                p.spec.id = controller;
                p.line = line;
                p.spec.axes.assign(4, bench_axis);
                pending[controller] = p;
                order.push_back(controller);
            }
            Pending& p = pending[controller];
            if (axis > 0 && !p.axes.count(axis)) {
                p.axes[axis] = bench_axis;
                p.axis_line[axis] = line;
            }
            continue;
        }
        size_t eq = s.find('=');
        if (eq == std::string::npos) { *error = Where(file, line) + "expected key = value"; return false; }
        std::string key = Lower(Trim(s.substr(0, eq)));
        std::string value = Trim(s.substr(eq + 1));
        if (controller < 0) { *error = Where(file, line) + "key outside a section"; return false; }
        Pending& p = pending[controller];
        std::string why = axis > 0 ? SetAxisKey(p.axes[axis], key, value) : SetControllerKey(p, key, value);
        if (!why.empty()) { *error = Where(file, line) + why; return false; }
    }
    SimConfig result;
    for (int id : order) {
        Pending& p = pending[id];
        if (!p.axes_given) {
            int highest = p.axes.empty() ? 4 : p.axes.rbegin()->first;
            p.spec.axes.assign(static_cast<size_t>(highest), bench_axis);
        }
        for (auto& [number, spec] : p.axes) {
            if (number > static_cast<int>(p.spec.axes.size())) {
                *error = Where(file, p.axis_line[number]) + "axis " + std::to_string(number) +
                         " is beyond axes = " + std::to_string(p.spec.axes.size());
                return false;
            }
            p.spec.axes[static_cast<size_t>(number - 1)] = spec;
        }
        for (auto& [number, spec] : p.axes) {
            std::string why = CheckAxisSpec(spec, p.spec);
            if (!why.empty()) { *error = Where(file, p.axis_line[number]) + why; return false; }
        }
        result.controllers.push_back(p.spec);
    }
    if (std::string why = CheckCosts(result, pending, file); !why.empty()) { *error = why; return false; }
    if (result.controllers.empty()) { *error = Where(file, 0) + "no [controller.N] section"; return false; }
    *config = result;
    return true;
}

bool LoadConfigFile(const std::string& file, SimConfig* config, std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) { *error = Where(file, 0) + "the file cannot be read"; return false; }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseConfig(text.str(), file, config, error);
}

}  // namespace zqsim
