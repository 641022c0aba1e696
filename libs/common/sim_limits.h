// The largest numbers the simulated controller accepts for its settings. The
// controller library refuses anything beyond them with -7, so that no setting
// can make the servo loop or the trajectory overflow; the dialogs library
// checks typed values against the same numbers before it writes anything.
#pragma once

namespace zqlimits {

constexpr double kMaxGain = 1e9;              // proportional, integral, derivative and velocity gains
constexpr double kMaxOutput = 1e12;           // torque limit and integration limit (amplifier output units)
constexpr double kMaxPosition = 1e15;         // positions, move targets and distances (position units)
constexpr double kMinMotion = 1e-6;           // velocity, acceleration and deceleration: at least
constexpr double kMaxMotion = 1e15;           // ... and at most
constexpr double kMaxGearRatio = 1e6;         // magnitude of an electronic gearing ratio
constexpr double kMaxDerivativePeriod = 1.0;  // derivative sample period, seconds

}  // namespace zqlimits
