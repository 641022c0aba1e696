// ZPCL command file text from plain controller records.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "files/command_file_format.h"

namespace {

AxisCommandSettings ServoAxis() {
    AxisCommandSettings s;
    s.Servo = true;
    s.Motion.Gain = 1.5;
    s.Motion.Torque = 10;
    s.Motion.Velocity = 20000;
    s.Motion.Acceleration = 200000.25;
    s.Motion.Deceleration = 150000;
    s.Filter.IntegralGain = 0.02;
    s.Filter.DerivativeGain = 8.123456;
    s.Filter.IntegrationLimit = 50;
    s.Filter.DerivativeSamplePeriod = 0.0006;
    s.Filter.VelocityGain = 0;
    s.Filter.FollowingError = 1024;
    s.ServoPeriod = 0.0002;
    return s;
}

int CountLines(const std::string& text) {
    int n = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\r' && text[i + 1] == '\n') ++n;
    return n;
}

TEST(CommandFileFormat, PrecisionFollowsTheFloatingPointFlag) {
    EXPECT_EQ(CommandFilePrecision(0x4), 5);
    EXPECT_EQ(CommandFilePrecision(0x7), 5);
    EXPECT_EQ(CommandFilePrecision(0x3), 0);
    EXPECT_EQ(CommandFilePrecision(0), 0);
}

TEST(CommandFileFormat, DerivativeSampleCodeTruncatesTheQuotient) {
    struct Case {
        double derivative, servo;
        int code;
    } cases[] = {
        {0.0006, 0.0002, 1},  // 2.9999999999999996 in double precision
        {0.002, 0.0005, 3},   // exactly 4
        {0.0002, 0.0002, 0},
        {0.0, 0.0002, -1},
        {-0.0005, 0.0002, -3},  // toward zero: -2.5 gives -2
        {0.001, 0.0, 0},        // no servo period: FR0 keeps the file valid
        {0.001, -0.001, 0},
        {0.001, NAN, 0},
        {NAN, 0.001, 0},
        {1e300, 1e-300, 0},
        {INFINITY, 0.001, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DerivativeSampleCode(c.derivative, c.servo), c.code) << c.derivative << " / " << c.servo;
}

TEST(CommandFileFormat, ServoAxisBlockByteForByte) {
    EXPECT_EQ(FormatAxisCommands(2, 5, ServoAxis()),
              ";\r\n;Axis 2 setup\r\n;\r\n"
              "2SG1.50000\t\t;Proportional Gain\r\n"
              "2SI0.02000\t\t;Integral Gain\r\n"
              "2SD8.12346\t\t;Derivative Gain\r\n"
              "2IL50.00000\t\t;Integration Limit\r\n"
              "2FR1\t\t;Derivative Sampling Period\r\n"
              "2VG0.00000\t\t;Velocity Gain (Feed Forward)\r\n"
              "2SE1024.00000\t\t;Stop on Error\r\n"
              "2SQ10.00000\t\t;Torque\r\n"
              "2SV20000.00000\t\t;Velocity\r\n"
              "2SA200000.25000\t\t;Acceleration\r\n"
              "2DS150000.00000\t\t;Deceleration\r\n");
}

TEST(CommandFileFormat, IntegerControllerWritesWholeNumbersWithoutAPoint) {
    AxisCommandSettings s = ServoAxis();
    s.Motion.Gain = 2.0;
    s.Motion.Acceleration = 2.5;  // rounds to even, as printf does
    s.Motion.Deceleration = -3.6;
    std::string text = FormatAxisCommands(1, 0, s);
    EXPECT_NE(text.find("\r\n1SG2\t\t;Proportional Gain\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n1SA2\t\t;Acceleration\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n1DS-4\t\t;Deceleration\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('.'), std::string::npos) << text;
}

TEST(CommandFileFormat, OneServoAndOneOtherAxisGive14And3Lines) {
    AxisCommandSettings stepper;
    stepper.Motion.Velocity = 1;
    stepper.Motion.Acceleration = 2;
    stepper.Motion.Deceleration = 3;
    stepper.Filter.DerivativeGain = 99;  // never written for a non-servo axis
    std::string first = FormatAxisCommands(1, 5, ServoAxis());
    std::string second = FormatAxisCommands(2, 5, stepper);
    EXPECT_EQ(CountLines(first), 14);
    EXPECT_EQ(second,
              "2SV1.00000\t\t;Velocity\r\n"
              "2SA2.00000\t\t;Acceleration\r\n"
              "2DS3.00000\t\t;Deceleration\r\n");
    EXPECT_EQ(FormatAxisCommands(16, 0, stepper).substr(0, 6), "16SV1\t");
}

}  // namespace
