// ZPCL command file text: the block of lines that puts one axis's servo and
// motion settings back. Plain functions over controller records.
#pragma once
#include <cstdint>
#include <string>

#include "../controller/zq_records.h"

// The settings of one axis as read from the controller.
struct AxisCommandSettings {
    bool Servo = false;             // AxisConfig.Flags bit 0x1
    MotionConfig Motion = {};
    FilterConfig Filter = {};       // used for a servo axis only
    double ServoPeriod = 0.0;       // seconds
};

// Digits after the decimal point for every value of the file: 5 for a
// floating-point controller (ControllerConfig.Flags bit 0x4), else 0.
int CommandFilePrecision(int32_t controllerFlags);
// The FR value: derivative sample period over servo period, truncated toward
// zero, minus one. 0 when the quotient is no usable number (a zero, negative
// or unknown servo period), so the file stays valid.
int DerivativeSampleCode(double derivativeSamplePeriod, double servoPeriod);
// The lines of one axis, each ending in CR LF: a servo axis gets a comment
// header and nine settings lines before the three motion lines.
std::string FormatAxisCommands(int axis, int precision, const AxisCommandSettings& settings);
