// Hardware description of the simulated controllers: the built-in bench and
// the INI file named by ZQSIM_CONFIG (format in docs/simulator.md).
#pragma once
#include <string>
#include <vector>

namespace zqsim {

// One axis: module, capture capability, servo rates and the plant it drives.
// Plant units are consistent simulation units: position units, seconds and
// amplifier output units; force = torque_constant x output, and
// acceleration = (force - viscous x velocity - Coulomb friction) / inertia.
// With load_inertia > 0 the motor (inertia) drives a load through a spring and
// damper (coupling_*), and the auxiliary encoder reads the load.
struct AxisSpec {
    int module = 1;
    int flags = 1;                  // bit 0x1: servo axis
    int capture = 0x380;            // AxisConfig.CaptureFlags
    int buffer = 2048;              // capture buffer, points
    double high = 0.0005;           // servo periods by update rate 4, 2, 1
    double medium = 0.001;
    double low = 0.002;
    int update_rate = 4;
    double inertia = 1.0;
    double viscous = 5.0;
    double coulomb = 10000.0;
    double torque_constant = 50000.0;
    double torque_limit = 10.0;
    double counts_per_unit = 10.0;  // 0: no quantisation
    double aux_ratio = 1.0;
    double aux_compliance = 1e-6;   // load deflection per unit of force (rigid load only)
    double load_inertia = 0;        // 0: the load moves rigidly with the motor
    double coupling_stiffness = 0;  // force per unit of twist between motor and load
    double coupling_damping = 0;    // force per unit/s of twist rate
    double load_viscous = 0;        // force per unit/s of load velocity
    int encoder_on_load = 0;        // 0: the position encoder reads the motor; 1: the load
};

struct ControllerSpec {
    int id = 0;
    int type = 6;
    int flags = 4;                  // bit 0x4: floating-point controller
    int open_error = 0;
    std::vector<AxisSpec> axes;
};

struct SimConfig {
    std::vector<ControllerSpec> controllers;
    const ControllerSpec* Find(int id) const;
};

// The bench used when ZQSIM_CONFIG is unset.
SimConfig BenchConfig();

// Parses an INI text. On failure returns false and sets error to
// "<file> line <n>: <reason>" (line 0 for errors of the file as a whole).
bool ParseConfig(const std::string& text, const std::string& file, SimConfig* config, std::string* error);

// Reads and parses a file; a file that cannot be read is an error too.
bool LoadConfigFile(const std::string& file, SimConfig* config, std::string* error);

constexpr int kMaxAxes = 16;

}  // namespace zqsim
