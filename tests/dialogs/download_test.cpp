// Command file download: a file in the exported format restores every value it
// holds, and a line that cannot be executed stops the download with a message
// naming the file, the line number and the line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <tuple>

#include "dialogs_fixture.h"
#include "journal.h"
#include "responder.h"

namespace {

// Servo period as the program's export computes it: by update rate, type 8 by
// axis count, the high rate when the update rate selects none.
double ServoPeriod(short h, unsigned short axis) {
    ControllerConfig cc{};
    cc.Size = kControllerConfigSize;
    Api().GetConfigurationEx(h, &cc);
    if (cc.ControllerType == 8) return cc.NumberAxes * 0.001;
    AxisConfig ac{};
    ac.Size = kAxisConfigSize;
    Api().GetAxisConfiguration(h, axis, &ac);
    MotionConfig m{};
    Api().GetMotionConfig(h, axis, &m);
    return m.UpdateRate == 1 ? ac.LowRatePeriod : m.UpdateRate == 2 ? ac.MediumRatePeriod : ac.HighRatePeriod;
}

// The command file text of the program's export, at precision p.
std::string ExportText(short h, int p) {
    ControllerConfig cc{};
    cc.Size = kControllerConfigSize;
    Api().GetConfigurationEx(h, &cc);
    std::string text;
    char line[256];
    auto add = [&](const char* format, auto... args) {
        std::snprintf(line, sizeof line, format, args...);
        text += line;
    };
    for (int n = 1; n <= cc.NumberAxes; ++n) {
        auto axis = static_cast<unsigned short>(n);
        AxisConfig ac{};
        ac.Size = kAxisConfigSize;
        Api().GetAxisConfiguration(h, axis, &ac);
        MotionConfig m{};
        Api().GetMotionConfig(h, axis, &m);
        if (ac.Flags & 1) {
            FilterConfig f{};
            Api().GetFilterConfig(h, axis, &f);
            int frames = static_cast<int>(f.DerivativeSamplePeriod / ServoPeriod(h, axis)) - 1;
            add(";\r\n;Axis %d setup\r\n;\r\n", n);
            add("%dSG%.*lf\t\t;Proportional Gain\r\n", n, p, m.Gain);
            add("%dSI%.*lf\t\t;Integral Gain\r\n", n, p, f.IntegralGain);
            add("%dSD%.*lf\t\t;Derivative Gain\r\n", n, p, f.DerivativeGain);
            add("%dIL%.*lf\t\t;Integration Limit\r\n", n, p, f.IntegrationLimit);
            add("%dFR%d\t\t;Derivative Sampling Period\r\n", n, frames);
            add("%dVG%.*lf\t\t;Velocity Gain (Feed Forward)\r\n", n, p, f.VelocityGain);
            add("%dSE%.*lf\t\t;Stop on Error\r\n", n, p, f.FollowingError);
            add("%dSQ%.*lf\t\t;Torque\r\n", n, p, m.Torque);
        }
        add("%dSV%.*lf\t\t;Velocity\r\n", n, p, m.Velocity);
        add("%dSA%.*lf\t\t;Acceleration\r\n", n, p, m.Acceleration);
        add("%dDS%.*lf\t\t;Deceleration\r\n", n, p, m.Deceleration);
    }
    return text;
}

// Gives every axis settings that differ from the power-on defaults and from
// axis to axis, with more decimals than a command file keeps.
void SetDistinctSettings(short h, int axes) {
    for (int n = 1; n <= axes; ++n) {
        auto axis = static_cast<unsigned short>(n);
        MotionConfig m{};
        Api().GetMotionConfig(h, axis, &m);
        m.Velocity = 1234.567891 * n;
        m.Acceleration = 45678.123456 + n;
        m.Deceleration = 56789.987654 + n;
        m.Torque = 3.14159265 + n;
        m.Gain = 2.718281828 + n;
        m.UpdateRate = static_cast<int16_t>(n == 2 ? 2 : 4);
        ASSERT_EQ(Api().SetMotionConfig(h, axis, &m), 0) << n;
        FilterConfig f{};
        Api().GetFilterConfig(h, axis, &f);
        f.IntegralGain = 0.123456789 * n;
        f.DerivativeGain = 7.654321 + n;
        f.IntegrationLimit = 987.654321 + n;
        f.VelocityGain = 0.0004567 * n;
        f.FollowingError = 1500.5 + n;
        f.DerivativeSamplePeriod = ServoPeriod(h, axis) * (n + 1.7);
        ASSERT_EQ(Api().SetFilterConfig(h, axis, &f), 0) << n;
    }
}

class DownloadTest : public ::testing::Test {
protected:
    OwnerWindow owner;
    Responder responder;
};

TEST_F(DownloadTest, ExportedTextRestoresEveryValueItHolds) {
    struct Case { int controller; int axes; int precision; };
    for (Case c : {Case{0, 4, 5}, Case{0, 4, 0}, Case{1, 2, 0}}) {
        OpenController controller(c.controller);
        short h = controller.Handle();
        Api().Reset(h, 0);
        SetDistinctSettings(h, c.axes);
        std::string text = ExportText(h, c.precision);
        std::vector<MotionConfig> motion(c.axes);
        std::vector<FilterConfig> filter(c.axes);
        std::vector<double> frames(c.axes);  // the update rate is not in the file: compare periods counted
        for (int n = 1; n <= c.axes; ++n) {
            Api().GetMotionConfig(h, static_cast<unsigned short>(n), &motion[n - 1]);
            Api().GetFilterConfig(h, static_cast<unsigned short>(n), &filter[n - 1]);
            frames[n - 1] = std::trunc(filter[n - 1].DerivativeSamplePeriod / ServoPeriod(h, static_cast<unsigned short>(n)));
        }
        ASSERT_EQ(Api().Reset(h, 0), 0);
        ASSERT_NE(ExportText(h, c.precision), text) << "the reset must change what is exported";
        std::string file = WriteTempFile("roundtrip.zpc", text);

        ASSERT_EQ(Dlg().DownloadFile(owner.Handle(), h, 0, file.c_str()), 0) << text;
        EXPECT_TRUE(responder.Records().empty()) << responder.Records()[0].text;
        EXPECT_EQ(ExportText(h, c.precision), text) << "controller " << c.controller << " P " << c.precision;

        double tolerance = 0.5 * std::pow(10.0, -c.precision) * (1 + 1e-9);
        for (int n = 1; n <= c.axes; ++n) {
            MotionConfig m{};
            FilterConfig f{};
            Api().GetMotionConfig(h, static_cast<unsigned short>(n), &m);
            Api().GetFilterConfig(h, static_cast<unsigned short>(n), &f);
            const MotionConfig& m0 = motion[n - 1];
            const FilterConfig& f0 = filter[n - 1];
            EXPECT_NEAR(m.Velocity, m0.Velocity, tolerance) << n;
            EXPECT_NEAR(m.Acceleration, m0.Acceleration, tolerance) << n;
            EXPECT_NEAR(m.Deceleration, m0.Deceleration, tolerance) << n;
            AxisConfig ac{};
            ac.Size = kAxisConfigSize;
            Api().GetAxisConfiguration(h, static_cast<unsigned short>(n), &ac);
            if (!(ac.Flags & 1)) continue;  // the file holds no loop settings for a stepper
            EXPECT_NEAR(m.Gain, m0.Gain, tolerance) << n;
            EXPECT_NEAR(m.Torque, m0.Torque, tolerance) << n;
            EXPECT_NEAR(f.IntegralGain, f0.IntegralGain, tolerance) << n;
            EXPECT_NEAR(f.DerivativeGain, f0.DerivativeGain, tolerance) << n;
            EXPECT_NEAR(f.IntegrationLimit, f0.IntegrationLimit, tolerance) << n;
            EXPECT_NEAR(f.VelocityGain, f0.VelocityGain, tolerance) << n;
            EXPECT_NEAR(f.FollowingError, f0.FollowingError, tolerance) << n;
            double period = ServoPeriod(h, static_cast<unsigned short>(n));
            EXPECT_EQ(std::trunc(f.DerivativeSamplePeriod / period), frames[n - 1]) << n;
            double gain = 0;
            Api().GetGain(h, static_cast<unsigned short>(n), &gain);
            EXPECT_EQ(gain, m.Gain) << "the loop runs with the downloaded gain";
        }
    }
}

TEST_F(DownloadTest, ABadLineStopsTheDownloadAfterTheLinesBeforeIt) {
    struct Case { std::string line; std::string reason; };
    const Case cases[] = {
        {"1SV222x", "Unexpected text after the value (column 7)."},
        {"1XY222", "Unknown command (column 2)."},
        {"SV222", "An axis number is expected (column 1)."},
        {"5SV222", "The controller has no axis 5."},
        {"1SVabc", "The value is not a valid number (column 4)."},
        {"1FR1.5", "The value is out of range (column 4)."},
        {"1SV-222", "The controller refused SV: "},
        {"1SV222 ;" + std::string(300, '-'), "The line is too long (column 256)."},
    };
    OpenController c0(0);
    short h = c0.Handle();
    for (const Case& c : cases) {
        std::string file = WriteTempFile("bad.zpc", "; settings\r\n1SV111\r\n" + c.line + "\r\n1SV333\r\n");
        responder.ClearRecords();
        responder.Handle([&](HWND box) {
            if (&c == &cases[0]) Snapshot(box, "dialogs_download_error");
            PressButton(box, IDOK);
        });
        EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), h, 0, file.c_str()), kDlgErrCommandLine) << c.line;
        ASSERT_EQ(responder.Records().size(), 1u);
        const DialogRecord& box = responder.Records()[0];
        EXPECT_EQ(box.caption, "Command File Download");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONERROR | MB_OK));
        EXPECT_EQ(box.owner, owner.Handle());
        std::string shown = c.line.size() > 80 ? c.line.substr(0, 80) + "..." : c.line;
        std::string expected = "The command file\n" + file + "\ncould not be downloaded completely.\n\nLine 3:  " + shown +
                               "\n\n" + c.reason;
        EXPECT_EQ(box.text.substr(0, expected.size()), expected);
        EXPECT_NE(box.text.find("The lines before it were sent to the controller."), std::string::npos);
        MotionConfig m{};
        Api().GetMotionConfig(h, 1, &m);
        EXPECT_EQ(m.Velocity, 111) << c.line;
    }
}

TEST_F(DownloadTest, AFailingStatementAppliesNothingOfItsLine) {
    struct Case { std::string line; std::string reason; };
    const Case cases[] = {
        {"1SG2, 9SI1", "The controller has no axis 9."},            // found before anything is sent
        {"1SG2, 2SV5, 1SE-5", "The controller refused SE: "},    // refused after two were sent
        {"1FR3, 1SQ1e300", "The controller refused SQ: "},
    };
    OpenController c0(0);
    short h = c0.Handle();
    Journal journal("dialogs_download_line");
    for (const Case& c : cases) {
        ASSERT_EQ(Api().Reset(h, 0), 0);
        auto read = [&](unsigned short axis) {
            MotionConfig m{};
            FilterConfig f{};
            double gain = 0;
            Api().GetMotionConfig(h, axis, &m);
            Api().GetFilterConfig(h, axis, &f);
            Api().GetGain(h, axis, &gain);
            return std::make_tuple(m.Gain, m.Velocity, m.Torque, f.DerivativeSamplePeriod, f.FollowingError, gain);
        };
        auto axis2 = read(2);
        std::string file = WriteTempFile("line.zpc", "1SV111\r\n" + c.line + "\r\n1SV333\r\n");
        auto axis1 = read(1);
        responder.ClearRecords();
        responder.Press(IDOK);
        journal.Mark();
        EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), h, 0, file.c_str()), kDlgErrCommandLine) << c.line;
        ASSERT_EQ(responder.Records().size(), 1u);
        const std::string& text = responder.Records()[0].text;
        EXPECT_NE(text.find("Line 2:  " + c.line + "\n\n" + c.reason), std::string::npos) << text;
        EXPECT_NE(text.find("Nothing of this line was applied. The lines before it were sent to the controller."),
                  std::string::npos)
            << text;
        MotionConfig m{};
        Api().GetMotionConfig(h, 1, &m);
        EXPECT_EQ(m.Velocity, 111) << "the line before stays applied";
        std::get<1>(axis1) = 111;
        EXPECT_EQ(read(1), axis1) << c.line;
        EXPECT_EQ(read(2), axis2) << c.line;
        if (&c == &cases[0]) {
            int setters = 0;
            for (const std::string& line : journal.Since()) setters += line.find("ZqSet") != std::string::npos;
            EXPECT_EQ(setters, 1) << "only the first line's SV is sent";
        }
    }
}

TEST_F(DownloadTest, MissingFilesClosedHandlesAndEmptyFiles) {
    OpenController c0(0);
    Journal journal("dialogs_download");
    std::string missing = WriteTempFile("missing.zpc", "") + ".none";
    responder.Press(IDOK);
    EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), c0.Handle(), 0, missing.c_str()), kDlgErrFile);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].text.rfind("The command file\n" + missing + "\ncannot be read.\n\n", 0), 0u)
        << responder.Records()[0].text;
    EXPECT_EQ(journal.Lines().at(0), "ZQDLG_DownloadFile(hwnd, " + std::to_string(c0.Handle()) + ", 0, \"" + missing + "\")");

    short closed = Api().Open(0, 2, "");
    Api().Close(closed);
    std::string file = WriteTempFile("good.zpc", "1SV100\r\n");
    responder.ClearRecords();
    responder.Press(IDOK);
    EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), closed, 0, file.c_str()), kDlgErrController);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_NE(responder.Records()[0].text.find("cannot be downloaded"), std::string::npos);

    responder.ClearRecords();
    EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), c0.Handle(), 0, nullptr), kDlgErrBadArgument);
    EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), c0.Handle(), 0, ""), kDlgErrBadArgument);
    std::string empty = WriteTempFile("empty.zpc", "");
    EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), c0.Handle(), 0, empty.c_str()), 0);
    std::string lf = WriteTempFile("lf.zpc", "; unix line ends\n1SV321\n2SV654");
    EXPECT_EQ(Dlg().DownloadFile(owner.Handle(), c0.Handle(), 0, lf.c_str()), 0);
    EXPECT_TRUE(responder.Records().empty());
    MotionConfig m{};
    Api().GetMotionConfig(c0.Handle(), 2, &m);
    EXPECT_EQ(m.Velocity, 654);
}

}  // namespace
