// Axis Setup and Scaling Setup dialogs: what they show, what reaches the
// controller on OK, that Cancel writes nothing, and the messages for bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "dialogs_fixture.h"
#include "journal.h"
#include "responder.h"
#include "zqdlg32_ids.h"

namespace {

std::string ComboText(HWND dialog, int id) {
    char text[128] = {};
    HWND combo = GetDlgItem(dialog, id);
    LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i >= 0) SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return text;
}

void SelectComboText(HWND dialog, int id, const char* text) {
    SendDlgItemMessageA(dialog, id, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}

std::vector<std::string> Setters(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) {
        std::string call = l.substr(l.find_first_not_of(' '));  // made inside the dialog: indented
        if (call.rfind("ZqSet", 0) == 0) out.push_back(call);
    }
    return out;
}

class AxisSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(c0.Handle(), 0);
        MotionConfig m{};
        ASSERT_EQ(Api().GetMotionConfig(h(), 1, &m), 0);
        m.Velocity = 1000;
        m.Acceleration = 20000;
        m.Deceleration = 30000;
        m.Torque = 5;
        m.UpdateRate = 2;
        ASSERT_EQ(Api().SetMotionConfig(h(), 1, &m), 0);
        FilterConfig f{};
        ASSERT_EQ(Api().GetFilterConfig(h(), 1, &f), 0);
        f.FollowingError = 400;
        f.IntegrationLimit = 100;
        f.VelocityGain = 0.5;
        f.DerivativeSamplePeriod = 0.002;
        ASSERT_EQ(Api().SetFilterConfig(h(), 1, &f), 0);
        ASSERT_EQ(Api().SetProfile(h(), 1, 2), 0);
        AxisScale s{};
        ASSERT_EQ(Api().GetScale(h(), 1, &s), 0);
        s.Scale = 2000;
        std::memset(s.Reserved0, 0, 16);
        std::memcpy(s.Reserved0, "mm", 2);
        ASSERT_EQ(Api().SetScale(h(), 1, &s), 0);
    }
    short h() const { return c0.Handle(); }
    MotionConfig Motion() { MotionConfig m{}; Api().GetMotionConfig(h(), 1, &m); return m; }
    FilterConfig Filter() { FilterConfig f{}; Api().GetFilterConfig(h(), 1, &f); return f; }
    AxisScale Scale() { AxisScale s{}; Api().GetScale(h(), 1, &s); return s; }

    OpenController c0{0};
    OwnerWindow owner;
    Responder responder;
    Journal journal{"dialogs_axis_setup"};
};

TEST_F(AxisSetupTest, ShowsTheAxisAndWritesTheChangesOnOk) {
    std::map<int, std::string> shown;
    std::string profile, rate, caption, heading, units;
    responder.Handle([&](HWND dialog) {
        for (int id : {IDC_VELOCITY, IDC_ACCELERATION, IDC_DECELERATION, IDC_TORQUE_LIMIT, IDC_FOLLOWING_ERROR,
                       IDC_INTEGRATION_LIMIT, IDC_VELOCITY_GAIN, IDC_SAMPLE_PERIOD})
            shown[id] = ItemText(dialog, id);
        profile = ComboText(dialog, IDC_PROFILE);
        rate = ComboText(dialog, IDC_UPDATE_RATE);
        heading = ItemText(dialog, IDC_AXIS_MODULE);
        units = ItemText(dialog, IDC_UNIT_VELOCITY) + " " + ItemText(dialog, IDC_UNIT_FOLLOWING);
        Snapshot(dialog, "dialogs_axis_setup");
        SetItemText(dialog, IDC_VELOCITY, "2500");
        SetItemText(dialog, IDC_FOLLOWING_ERROR, "800.25");
        SetItemText(dialog, IDC_SAMPLE_PERIOD, "1.5");
        SelectComboText(dialog, IDC_UPDATE_RATE, "High");
        SelectComboText(dialog, IDC_PROFILE, "Parabolic");
        PressButton(dialog, IDOK);
    });
    journal.Mark();
    EXPECT_EQ(Dlg().ConfigureAxis(owner.Handle(), h(), 1, 0, 0), 0);
    EXPECT_EQ(responder.Records().at(0).caption, "Axis Setup - Axis 1");
    EXPECT_EQ(heading, "Axis 1: SV-1 Servo module");
    EXPECT_EQ(units, "mm/s mm");
    EXPECT_EQ(shown, (std::map<int, std::string>{{IDC_VELOCITY, "1000"}, {IDC_ACCELERATION, "20000"},
                                                 {IDC_DECELERATION, "30000"}, {IDC_TORQUE_LIMIT, "5"},
                                                 {IDC_FOLLOWING_ERROR, "400"}, {IDC_INTEGRATION_LIMIT, "100"},
                                                 {IDC_VELOCITY_GAIN, "0.5"}, {IDC_SAMPLE_PERIOD, "2"}}));
    EXPECT_EQ(profile, "S-Curve");
    EXPECT_EQ(rate, "Medium (1 ms)");

    MotionConfig m = Motion();
    EXPECT_EQ(m.Velocity, 2500);
    EXPECT_EQ(m.Acceleration, 20000);
    EXPECT_EQ(m.Deceleration, 30000);
    EXPECT_EQ(m.Torque, 5);
    EXPECT_EQ(m.UpdateRate, 4);
    FilterConfig f = Filter();
    EXPECT_EQ(f.FollowingError, 800.25);
    EXPECT_EQ(f.IntegrationLimit, 100);
    EXPECT_EQ(f.VelocityGain, 0.5);
    EXPECT_DOUBLE_EQ(f.DerivativeSamplePeriod, 0.0015);
    int p = 0;
    Api().GetProfile(h(), 1, &p);
    EXPECT_EQ(p, 4);
    std::string hs = std::to_string(h());
    EXPECT_EQ(Setters(journal.Since()),
              (std::vector<std::string>{"ZqSetMotionConfig(" + hs + ", 1, &)", "ZqSetProfile(" + hs + ", 1, 4)",
                                        "ZqSetFilterConfig(" + hs + ", 1, &)"}));
}

TEST_F(AxisSetupTest, CancelWritesNothing) {
    responder.Handle([](HWND dialog) {
        SetItemText(dialog, IDC_VELOCITY, "2500");
        PressButton(dialog, IDCANCEL);
    });
    journal.Mark();
    EXPECT_NE(Dlg().ConfigureAxis(owner.Handle(), h(), 1, 0, 0), 0);
    EXPECT_EQ(Motion().Velocity, 1000);
    EXPECT_TRUE(Setters(journal.Since()).empty());
}

TEST_F(AxisSetupTest, BadInputIsNamedAndTheDialogStaysOpen) {
    struct Case { int id; const char* text; const char* message; };
    const Case cases[] = {
        {IDC_VELOCITY, "0", "Please enter a number greater than 0 for the velocity."},
        {IDC_ACCELERATION, "fast", "Please enter a number greater than 0 for the acceleration."},
        {IDC_TORQUE_LIMIT, "-1", "Please enter a number of 0 or more for the torque limit."},
        {IDC_VELOCITY_GAIN, "1e999", "Please enter a number of 0 or more for the velocity gain."},
        {IDC_SAMPLE_PERIOD, "", "Please enter a number greater than 0 for the derivative sample period."},
        // Numbers the controller would refuse are named before anything is written.
        {IDC_SAMPLE_PERIOD, "2000",
         "Please enter a number greater than 0 and no more than 1000 for the derivative sample period."},
        {IDC_VELOCITY, "1e-9", "Please enter a number from 0.000001 to 1e+15 for the velocity."},
        {IDC_INTEGRATION_LIMIT, "2e12", "Please enter a number from 0 to 1000000000000 for the integration limit."},
        {IDC_VELOCITY_GAIN, "1e10", "Please enter a number from 0 to 1000000000 for the velocity gain."},
    };
    for (const Case& c : cases) {
        responder.ClearRecords();
        bool stillOpen = false;
        HWND focus = nullptr, field = nullptr;
        responder.Handle([&](HWND dialog) {
            SetItemText(dialog, IDC_DECELERATION, "12345");
            SetItemText(dialog, c.id, c.text);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            stillOpen = IsWindow(dialog) != FALSE;
            focus = GetFocus();
            field = GetDlgItem(dialog, c.id);
            PressButton(dialog, IDCANCEL);
        });
        responder.Press(IDOK);
        journal.Mark();
        EXPECT_EQ(Dlg().ConfigureAxis(owner.Handle(), h(), 1, 0, 0), kDlgCancelled) << c.text;
        ASSERT_EQ(responder.Records().size(), 2u) << c.text;
        const DialogRecord& box = responder.Records()[1];
        EXPECT_EQ(box.caption, "Axis Setup");
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(focus, field) << c.text;
        EXPECT_TRUE(Setters(journal.Since()).empty()) << "nothing is written while a field is wrong";
        EXPECT_EQ(Motion().Deceleration, 30000);
    }
}

TEST_F(AxisSetupTest, AWriteTheControllerRefusesIsReportedWithWhatWasWritten) {
    short second = Api().Open(0, 2, "");
    ASSERT_GT(second, 0);
    bool stillOpen = false;
    responder.Handle([&](HWND dialog) {
        SetItemText(dialog, IDC_VELOCITY, "2500");
        Api().Close(second);  // the controller goes away while the dialog is open
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        stillOpen = IsWindow(dialog) != FALSE;
        PressButton(dialog, IDCANCEL);
    });
    responder.Press(IDOK);
    EXPECT_EQ(Dlg().ConfigureAxis(owner.Handle(), second, 1, 0, 0), kDlgCancelled);
    ASSERT_EQ(responder.Records().size(), 2u);
    EXPECT_EQ(responder.Records()[1].text.rfind(
                  "The settings of axis 1 could not be written to the controller. Nothing was changed.\n\n", 0),
              0u)
        << responder.Records()[1].text;
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Motion().Velocity, 1000);
}

TEST_F(AxisSetupTest, UnreadableAxisIsReportedWithoutADialog) {
    short closed = Api().Open(0, 2, "");
    Api().Close(closed);
    struct Case { short handle; unsigned short axis; };
    for (Case c : {Case{closed, 1}, Case{h(), 5}, Case{h(), 0}}) {
        responder.ClearRecords();
        responder.Press(IDOK);
        EXPECT_EQ(Dlg().ConfigureAxis(owner.Handle(), c.handle, c.axis, 0, 0), kDlgErrController);
        ASSERT_EQ(responder.Records().size(), 1u);
        EXPECT_EQ(responder.Records()[0].caption, "Axis Setup");
        EXPECT_EQ(responder.Records()[0].text.rfind("The settings of axis " + std::to_string(c.axis) +
                                                     " cannot be read.\n\n", 0), 0u)
            << responder.Records()[0].text;
        responder.ClearRecords();
        responder.Press(IDOK);
        EXPECT_EQ(Dlg().Scaling(owner.Handle(), c.handle, c.axis, 1, 0), kDlgErrController);
        ASSERT_EQ(responder.Records().size(), 1u);
        EXPECT_EQ(responder.Records()[0].caption, "Scaling Setup");
    }
}

TEST_F(AxisSetupTest, ScalingEditsScaleAndUnits) {
    std::string scale, units;
    responder.Handle([&](HWND dialog) {
        scale = ItemText(dialog, IDC_SCALE);
        units = ItemText(dialog, IDC_UNITS);
        Snapshot(dialog, "dialogs_scaling");
        SetItemText(dialog, IDC_SCALE, "4096.5");
        SetItemText(dialog, IDC_UNITS, "inch");
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(Dlg().Scaling(owner.Handle(), h(), 1, 1, 0), 0);
    EXPECT_EQ(responder.Records().at(0).caption, "Scaling Setup - Axis 1");
    EXPECT_EQ(scale, "2000");
    EXPECT_EQ(units, "mm");
    AxisScale s = Scale();
    EXPECT_EQ(s.Scale, 4096.5);
    EXPECT_STREQ(reinterpret_cast<const char*>(s.Reserved0), "inch");
}

TEST_F(AxisSetupTest, ScalingRefusesZeroAndCancelKeepsTheScale) {
    responder.Handle([](HWND dialog) {
        SetItemText(dialog, IDC_SCALE, "0");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        PressButton(dialog, IDCANCEL);
    });
    responder.Press(IDOK);
    EXPECT_EQ(Dlg().Scaling(owner.Handle(), h(), 1, 1, 0), kDlgCancelled);
    ASSERT_EQ(responder.Records().size(), 2u);
    EXPECT_EQ(responder.Records()[1].text, "Please enter a number other than 0 for the scale.");
    EXPECT_EQ(Scale().Scale, 2000);
}

TEST_F(AxisSetupTest, ScalingModeZeroOnlyShowsTheScale) {
    BOOL readOnly = FALSE;
    std::string button;
    responder.Handle([&](HWND dialog) {
        readOnly = (GetWindowLongA(GetDlgItem(dialog, IDC_SCALE), GWL_STYLE) & ES_READONLY) != 0;
        button = ItemText(dialog, IDOK);
        PressButton(dialog, IDOK);
    });
    journal.Mark();
    EXPECT_EQ(Dlg().Scaling(owner.Handle(), h(), 1, 0, 0), kDlgCancelled);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(button, "Close");
    EXPECT_TRUE(Setters(journal.Since()).empty());
}

}  // namespace
