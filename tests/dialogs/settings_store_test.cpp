// Saving every axis's settings to the library's registry store and restoring
// them, per controller id, and what a damaged store restores.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app_fixture.h"
#include "dialogs_fixture.h"

namespace {

struct AxisState {
    MotionConfig motion{};
    FilterConfig filter{};
    AxisScale scale{};
    int profile = 0;
};

AxisState Read(short h, unsigned short axis) {
    AxisState s;
    Api().GetMotionConfig(h, axis, &s.motion);
    Api().GetFilterConfig(h, axis, &s.filter);
    Api().GetScale(h, axis, &s.scale);
    Api().GetProfile(h, axis, &s.profile);
    return s;
}

bool Same(const AxisState& a, const AxisState& b) {
    return std::memcmp(&a.motion, &b.motion, sizeof a.motion) == 0 &&
           std::memcmp(&a.filter, &b.filter, sizeof a.filter) == 0 &&
           std::memcmp(&a.scale, &b.scale, sizeof a.scale) == 0 && a.profile == b.profile;
}

void Change(short h, unsigned short axis, double k) {
    MotionConfig m{};
    Api().GetMotionConfig(h, axis, &m);
    m.Velocity = 111.5 * k;
    m.Gain = 1.25 * k;
    m.UpdateRate = 2;
    ASSERT_EQ(Api().SetMotionConfig(h, axis, &m), 0);
    FilterConfig f{};
    Api().GetFilterConfig(h, axis, &f);
    f.IntegralGain = 0.03 * k;
    f.FollowingError = 321 * k;
    ASSERT_EQ(Api().SetFilterConfig(h, axis, &f), 0);
    AxisScale s{};
    Api().GetScale(h, axis, &s);
    s.Scale = 4000 * k;
    std::memcpy(s.Reserved0, "deg", 4);
    ASSERT_EQ(Api().SetScale(h, axis, &s), 0);
    ASSERT_EQ(Api().SetProfile(h, axis, 2), 0);
}

bool KeyExists(const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void SetValue(const char* keyName, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        Api().Reset(c0.Handle(), 0);
        Api().Reset(c1.Handle(), 0);
    }
    IsolatedRegistry registry;
    OpenController c0{0};
    OpenController c1{1};
};

TEST_F(SettingsStoreTest, SavedSettingsComeBackAfterAReset) {
    short h = c0.Handle();
    for (unsigned short axis = 1; axis <= 4; ++axis) Change(h, axis, axis);
    std::vector<AxisState> saved;
    for (unsigned short axis = 1; axis <= 4; ++axis) saved.push_back(Read(h, axis));
    ASSERT_EQ(Dlg().SaveAxis(h, 0, 0, 0), 0);
    for (int axis = 1; axis <= 4; ++axis)
        EXPECT_TRUE(KeyExists("Software\\Zephmill\\Controllers\\0\\Axis" + std::to_string(axis)));
    EXPECT_FALSE(KeyExists("Software\\Zephmill\\Controllers\\1"));

    // A later session: a new handle on a controller that powered up with defaults.
    Api().Reset(h, 0);
    ASSERT_FALSE(Same(Read(h, 1), saved[0]));
    OpenController again(0);
    ASSERT_EQ(Dlg().RestoreAxis(again.Handle(), 0, 1, 0), 0);
    for (unsigned short axis = 1; axis <= 4; ++axis) EXPECT_TRUE(Same(Read(h, axis), saved[axis - 1])) << axis;
    double gain = 0;
    Api().GetGain(h, 1, &gain);
    EXPECT_EQ(gain, 1.25);
}

TEST_F(SettingsStoreTest, EachControllerAndAxisHasItsOwnPlace) {
    Change(c1.Handle(), 2, 7);
    AxisState axis2 = Read(c1.Handle(), 2);
    ASSERT_EQ(Dlg().SaveAxis(c1.Handle(), 2, 0, 0), 0);  // one axis only
    EXPECT_TRUE(KeyExists("Software\\Zephmill\\Controllers\\1\\Axis2"));
    EXPECT_FALSE(KeyExists("Software\\Zephmill\\Controllers\\1\\Axis1"));
    EXPECT_EQ(Dlg().RestoreAxis(c0.Handle(), 0, 0, 0), kDlgErrNoSettings);
    Api().Reset(c1.Handle(), 0);
    AxisState axis1 = Read(c1.Handle(), 1);
    EXPECT_EQ(Dlg().RestoreAxis(c1.Handle(), 0, 0, 0), 0);
    EXPECT_TRUE(Same(Read(c1.Handle(), 2), axis2));
    EXPECT_TRUE(Same(Read(c1.Handle(), 1), axis1));
}

TEST_F(SettingsStoreTest, NothingSavedRestoresNothing) {
    AxisState before = Read(c0.Handle(), 1);
    EXPECT_EQ(Dlg().RestoreAxis(c0.Handle(), 0, 1, 0), kDlgErrNoSettings);
    EXPECT_TRUE(Same(Read(c0.Handle(), 1), before));
}

TEST_F(SettingsStoreTest, DamagedValuesAreLeftOut) {
    short h = c0.Handle();
    Change(h, 1, 3);
    Change(h, 2, 5);
    ASSERT_EQ(Dlg().SaveAxis(h, 0, 0, 0), 0);
    AxisState saved1 = Read(h, 1);
    AxisState saved2 = Read(h, 2);

    const char* axis1 = "Software\\Zephmill\\Controllers\\0\\Axis1";
    const char* axis2 = "Software\\Zephmill\\Controllers\\0\\Axis2";
    char shortRecord[10] = {};
    SetValue(axis1, "MotionConfig", REG_BINARY, shortRecord, sizeof shortRecord);
    FilterConfig nan{};
    nan.IntegralGain = NAN;
    SetValue(axis1, "FilterConfig", REG_BINARY, &nan, sizeof nan);
    DWORD otherModule = 9;
    SetValue(axis2, "ModuleType", REG_DWORD, &otherModule, sizeof otherModule);

    Api().Reset(h, 0);
    AxisState defaults1 = Read(h, 1);
    AxisState defaults2 = Read(h, 2);
    ASSERT_EQ(Dlg().RestoreAxis(h, 0, 0, 0), 0);
    AxisState now1 = Read(h, 1);
    EXPECT_EQ(now1.motion.Velocity, defaults1.motion.Velocity) << "short record left out";
    EXPECT_EQ(now1.motion.UpdateRate, defaults1.motion.UpdateRate);
    EXPECT_EQ(now1.motion.Gain, saved1.motion.Gain) << "the gain is kept apart from the record";
    EXPECT_EQ(std::memcmp(&now1.filter, &defaults1.filter, sizeof now1.filter), 0) << "NaN record left out";
    EXPECT_EQ(std::memcmp(&now1.scale, &saved1.scale, sizeof now1.scale), 0) << "the rest is restored";
    EXPECT_EQ(now1.profile, saved1.profile);
    EXPECT_TRUE(Same(Read(h, 2), defaults2)) << "settings of another module are not applied";
    EXPECT_FALSE(Same(defaults2, saved2));
}

}  // namespace
