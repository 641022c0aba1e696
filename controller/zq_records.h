// Records exchanged with the controller API library. The library fixes their
// layout: byte offsets, little-endian, packed on 4-byte boundaries. Bytes that
// the program does not name belong to the library and are passed through.
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)

struct ControllerConfig {
    int32_t Size;                // 124, set by the caller before the read
    int32_t Reserved4;
    int32_t ControllerType;      // model code
    int32_t NumberAxes;
    int32_t Reserved16[2];
    int32_t Flags;               // bit 0x4: floating-point controller
    uint8_t Reserved28[96];
};

struct ControllerParams {
    int32_t Reserved0;
    int16_t AxisCount;
    int16_t Reserved6;
    uint8_t Reserved8[24];
};

struct AxisConfig {
    int32_t Size;                // 104, set by the caller before the read
    int32_t ModuleType;
    int32_t Reserved8;
    int32_t Flags;               // bit 0x1: servo axis
    int32_t CaptureFlags;        // 0x80 torque, 0x100 advanced, 0x200 auxiliary, 0x400 status
    int32_t CaptureBufferSize;   // points
    int32_t Reserved24;
    double HighRatePeriod;       // seconds, update rate 4
    double MediumRatePeriod;     // seconds, update rate 2
    double LowRatePeriod;        // seconds, update rate 1
    uint8_t Reserved52[52];
};

struct MotionConfig {
    double Acceleration;
    double Deceleration;
    double Velocity;
    uint8_t Reserved24[12];
    double Gain;                 // proportional gain as kept in the motion record
    double Torque;               // torque limit
    uint8_t Reserved52[42];
    int16_t UpdateRate;          // 1 low, 2 medium, 4 high
};

struct FilterConfig {
    double DerivativeGain;
    double DerivativeSamplePeriod;  // seconds
    double IntegralGain;
    double IntegrationLimit;
    double VelocityGain;
    uint8_t Reserved40[16];
    double FollowingError;          // following error limit
};

struct AxisScale {
    uint8_t Reserved0[24];
    double Scale;
};

#pragma pack(pop)

constexpr int32_t kControllerConfigSize = 124;
constexpr int32_t kAxisConfigSize = 104;

static_assert(sizeof(ControllerConfig) == 124, "ControllerConfig is 124 bytes");
static_assert(offsetof(ControllerConfig, ControllerType) == 8);
static_assert(offsetof(ControllerConfig, NumberAxes) == 12);
static_assert(offsetof(ControllerConfig, Flags) == 24);

static_assert(offsetof(ControllerParams, AxisCount) == 4);
static_assert(sizeof(ControllerParams) == 32);

static_assert(sizeof(AxisConfig) == 104, "AxisConfig is 104 bytes");
static_assert(offsetof(AxisConfig, ModuleType) == 4);
static_assert(offsetof(AxisConfig, Flags) == 12);
static_assert(offsetof(AxisConfig, CaptureFlags) == 16);
static_assert(offsetof(AxisConfig, CaptureBufferSize) == 20);
static_assert(offsetof(AxisConfig, HighRatePeriod) == 28);
static_assert(offsetof(AxisConfig, MediumRatePeriod) == 36);
static_assert(offsetof(AxisConfig, LowRatePeriod) == 44);

static_assert(offsetof(MotionConfig, Acceleration) == 0);
static_assert(offsetof(MotionConfig, Deceleration) == 8);
static_assert(offsetof(MotionConfig, Velocity) == 16);
static_assert(offsetof(MotionConfig, Gain) == 36);
static_assert(offsetof(MotionConfig, Torque) == 44);
static_assert(offsetof(MotionConfig, UpdateRate) == 94);
static_assert(sizeof(MotionConfig) == 96);

static_assert(offsetof(FilterConfig, DerivativeGain) == 0);
static_assert(offsetof(FilterConfig, DerivativeSamplePeriod) == 8);
static_assert(offsetof(FilterConfig, IntegralGain) == 16);
static_assert(offsetof(FilterConfig, IntegrationLimit) == 24);
static_assert(offsetof(FilterConfig, VelocityGain) == 32);
static_assert(offsetof(FilterConfig, FollowingError) == 56);
static_assert(sizeof(FilterConfig) == 64);

static_assert(offsetof(AxisScale, Scale) == 24);
static_assert(sizeof(AxisScale) == 32);

// Codes passed as plain arguments.
enum CaptureType { kCaptureActual = 16, kCaptureOptimal = 64, kCaptureTorque = 128, kCaptureAuxiliary = 512 };
enum CaptureFlagBits { kCapTorque = 0x80, kCapAdvanced = 0x100, kCapAuxiliary = 0x200, kCapStatus = 0x400 };
enum StatusFlag { kStatusMotorOn = 1, kStatusFaultLed = 7 };
enum OperatingMode { kModeTrajectoryOff = 1, kModeTrajectoryOn = 2 };
enum ValueType { kValueInt32 = 2 };
