// Axis Setup dialog: motion record, profile, update rate and the servo loop's
// following-error limit, integration limit, velocity gain and derivative
// sample period of one axis, written through the API library on OK.
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "api.h"
#include "libs/common/sim_limits.h"
#include "axis_form.h"
#include "dialog_util.h"
#include "dialogs.h"
#include "zqdlg32.h"
#include "zqdlg32_ids.h"

namespace zqdlg {

namespace {

constexpr char kCaption[] = "Axis Setup";

struct AxisSetup {
    short handle;
    unsigned short axis;
    AxisConfig config;
    MotionConfig motion;
    FilterConfig filter;
    int profile;
    bool profileKnown;
    std::map<int, std::string> shown;  // text each edit field started with
};

struct NumberField {
    int id;
    const char* name;
    NumberRule rule;
    double least;  // what the controller accepts, in the unit the field shows
    double most;
};

constexpr NumberField kFields[] = {
    {IDC_VELOCITY, "velocity", NumberRule::Positive, zqlimits::kMinMotion, zqlimits::kMaxMotion},
    {IDC_ACCELERATION, "acceleration", NumberRule::Positive, zqlimits::kMinMotion, zqlimits::kMaxMotion},
    {IDC_DECELERATION, "deceleration", NumberRule::Positive, zqlimits::kMinMotion, zqlimits::kMaxMotion},
    {IDC_TORQUE_LIMIT, "torque limit", NumberRule::NonNegative, 0, zqlimits::kMaxOutput},
    {IDC_FOLLOWING_ERROR, "following error limit", NumberRule::NonNegative, 0, HUGE_VAL},
    {IDC_INTEGRATION_LIMIT, "integration limit", NumberRule::NonNegative, 0, zqlimits::kMaxOutput},
    {IDC_VELOCITY_GAIN, "velocity gain", NumberRule::NonNegative, 0, zqlimits::kMaxGain},
    {IDC_SAMPLE_PERIOD, "derivative sample period", NumberRule::Positive, 0, zqlimits::kMaxDerivativePeriod * 1000.0},
};

// What OK writes, in order, as a refused write names them.
constexpr char kMotionPart[] = "the velocity, acceleration, deceleration, torque limit and update rate";
constexpr char kProfilePart[] = "the profile";
constexpr char kFilterPart[] =
    "the following error limit, integration limit, velocity gain and derivative sample period";

// The value a field shows, in the unit it shows it in.
double FieldValue(const AxisSetup& s, int id) {
    switch (id) {
    case IDC_VELOCITY: return s.motion.Velocity;
    case IDC_ACCELERATION: return s.motion.Acceleration;
    case IDC_DECELERATION: return s.motion.Deceleration;
    case IDC_TORQUE_LIMIT: return s.motion.Torque;
    case IDC_FOLLOWING_ERROR: return s.filter.FollowingError;
    case IDC_INTEGRATION_LIMIT: return s.filter.IntegrationLimit;
    case IDC_VELOCITY_GAIN: return s.filter.VelocityGain;
    case IDC_SAMPLE_PERIOD: return s.filter.DerivativeSamplePeriod * 1000.0;
    }
    return 0.0;
}

void StoreFieldValue(MotionConfig& m, FilterConfig& f, int id, double v) {
    switch (id) {
    case IDC_VELOCITY: m.Velocity = v; break;
    case IDC_ACCELERATION: m.Acceleration = v; break;
    case IDC_DECELERATION: m.Deceleration = v; break;
    case IDC_TORQUE_LIMIT: m.Torque = v; break;
    case IDC_FOLLOWING_ERROR: f.FollowingError = v; break;
    case IDC_INTEGRATION_LIMIT: f.IntegrationLimit = v; break;
    case IDC_VELOCITY_GAIN: f.VelocityGain = v; break;
    case IDC_SAMPLE_PERIOD: f.DerivativeSamplePeriod = v / 1000.0; break;
    }
}

std::string RateText(const char* name, double seconds) {
    return std::string(name) + " (" + FormatNumber(seconds * 1000.0) + " ms)";
}

void OnInitDialog(HWND dialog, AxisSetup& s) {
    char text[96];
    std::snprintf(text, sizeof text, "%s - Axis %u", kCaption, s.axis);
    SetWindowTextA(dialog, text);
    AxisHeading(s.handle, s.axis, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_AXIS_MODULE, text);
    for (const NumberField& f : kFields) {
        s.shown[f.id] = FormatNumber(FieldValue(s, f.id));
        SetDlgItemTextA(dialog, f.id, s.shown[f.id].c_str());
    }
    // Distances in the axis's own units when it has a units name.
    AxisScale scale{};
    std::string units;
    if (GetApi()->GetScale(s.handle, s.axis, &scale) == 0) units = UnitsOf(scale);
    while (!units.empty() && units.back() == ' ') units.pop_back();
    if (!units.empty()) {
        SetDlgItemTextA(dialog, IDC_UNIT_VELOCITY, (units + "/s").c_str());
        SetDlgItemTextA(dialog, IDC_UNIT_ACCELERATION, (units + "/s/s").c_str());
        SetDlgItemTextA(dialog, IDC_UNIT_DECELERATION, (units + "/s/s").c_str());
        SetDlgItemTextA(dialog, IDC_UNIT_FOLLOWING, units.c_str());
    }
    HWND profile = GetDlgItem(dialog, IDC_PROFILE);
    AddComboItem(profile, "Trapezoidal", 1);
    AddComboItem(profile, "S-Curve", 2);
    AddComboItem(profile, "Parabolic", 4);
    if (!s.profileKnown) {
        EnableWindow(profile, FALSE);
    } else if (!SelectComboCode(profile, s.profile)) {
        std::snprintf(text, sizeof text, "Other (%d)", s.profile);
        AddComboItem(profile, text, s.profile);
        SelectComboCode(profile, s.profile);
    }
    HWND rate = GetDlgItem(dialog, IDC_UPDATE_RATE);
    AddComboItem(rate, RateText("High", s.config.HighRatePeriod).c_str(), 4);
    AddComboItem(rate, RateText("Medium", s.config.MediumRatePeriod).c_str(), 2);
    AddComboItem(rate, RateText("Low", s.config.LowRatePeriod).c_str(), 1);
    if (!SelectComboCode(rate, s.motion.UpdateRate)) {
        std::snprintf(text, sizeof text, "Other (%d)", s.motion.UpdateRate);
        AddComboItem(rate, text, s.motion.UpdateRate);
        SelectComboCode(rate, s.motion.UpdateRate);
    }
    CenterOnOwner(dialog);
}

// Checks every field against what the controller accepts, then writes motion
// record, profile and filter record; a write the controller still refuses is
// reported with what was written before it.
bool OnOk(HWND dialog, AxisSetup& s) {
    const Api* api = GetApi();
    MotionConfig motion{};
    FilterConfig filter{};
    int r = api->GetMotionConfig(s.handle, s.axis, &motion);
    if (r == 0) r = api->GetFilterConfig(s.handle, s.axis, &filter);
    size_t written = 0;
    if (r == 0) {
        for (const NumberField& f : kFields) {
            std::string text = GetItemText(dialog, f.id);
            double value = FieldValue(s, f.id);
            if (text != s.shown[f.id]) {
                std::string message = CheckNumber(text, f.name, f.rule, value, f.least, f.most);
                if (!message.empty()) {
                    MessageBoxA(dialog, message.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
                    FocusItem(dialog, f.id);
                    return false;
                }
                StoreFieldValue(motion, filter, f.id, value);
            } else if (f.id == IDC_SAMPLE_PERIOD) {
                filter.DerivativeSamplePeriod = s.filter.DerivativeSamplePeriod;
            } else {
                StoreFieldValue(motion, filter, f.id, value);
            }
        }
        motion.UpdateRate = static_cast<int16_t>(SelectedComboCode(GetDlgItem(dialog, IDC_UPDATE_RATE), motion.UpdateRate));
        r = api->SetMotionConfig(s.handle, s.axis, &motion);
    }
    if (r == 0) ++written;
    if (r == 0 && s.profileKnown) {
        r = api->SetProfile(s.handle, s.axis, SelectedComboCode(GetDlgItem(dialog, IDC_PROFILE), s.profile));
        if (r == 0) ++written;
    }
    if (r == 0) r = api->SetFilterConfig(s.handle, s.axis, &filter);
    if (r != 0) {
        std::vector<std::string> parts = {kMotionPart};
        if (s.profileKnown) parts.push_back(kProfilePart);
        parts.push_back(kFilterPart);
        ShowControllerError(dialog, WriteFailureText(s.axis, parts, written), r, kCaption);
        return false;
    }
    return true;
}

INT_PTR CALLBACK ConfigureAxisProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        auto* s = reinterpret_cast<AxisSetup*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            OnInitDialog(dialog, *reinterpret_cast<AxisSetup*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                if (s && OnOk(dialog, *s)) EndDialog(dialog, kDlgOk);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, kDlgCancelled);
                return TRUE;
            }
            break;
        }
    } catch (...) {
    }
    return FALSE;
}

}  // namespace

int RunConfigureAxis(HWND owner, short handle, unsigned short axis) {
    const Api* api = GetApi();
    if (!api) {
        MessageBoxA(owner, ErrorText(0).c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrNoApiLibrary;
    }
    AxisSetup s{};
    s.handle = handle;
    s.axis = axis;
    int r = ReadAxisConfig(handle, axis, s.config) ? 0 : kDlgErrController;
    if (r == 0) r = api->GetMotionConfig(handle, axis, &s.motion);
    if (r == 0) r = api->GetFilterConfig(handle, axis, &s.filter);
    if (r != 0) {
        AxisConfig probe{};
        probe.Size = kAxisConfigSize;
        int code = r == kDlgErrController ? api->GetAxisConfiguration(handle, axis, &probe) : r;
        std::string text = "The settings of axis " + std::to_string(axis) + " cannot be read.\n\n" + ErrorText(code);
        MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrController;
    }
    s.profileKnown = api->GetProfile(handle, axis, &s.profile) == 0;
    INT_PTR result = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_CONFIGURE_AXIS), owner, ConfigureAxisProc,
                                     reinterpret_cast<LPARAM>(&s));
    return result == -1 ? kDlgErrBadArgument : static_cast<int>(result);
}

}  // namespace zqdlg
