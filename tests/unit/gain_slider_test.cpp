// Gain slider arithmetic and gain accessors, without windows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "controller/zq_library.h"
#include "panel/gain_slider.h"
#include "resources/panel_ids.h"

namespace {

std::string Label(double v) {
    char text[32];
    FormatSliderLabel(v, text, sizeof text);
    return text;
}

std::string Readout(double percent, double fullScale) {
    char text[32];
    FormatGainReadout(percent, fullScale, text, sizeof text);
    return text;
}

TEST(SliderFormat, LabelsShowTwoDecimalsBelowTenAndNoneFromTenUp) {
    const struct { double value; const char* text; } cases[] = {
        {0, "0.00%"}, {5, "5.00%"}, {7.5, "7.50%"}, {10, " 10%"}, {12, " 12%"},
        {25, " 25%"}, {50, " 50%"}, {62.4, " 62%"}, {100, "100%"},
    };
    for (const auto& c : cases) EXPECT_EQ(Label(c.value), c.text) << c.value;
}

TEST(SliderFormat, ReadoutIsGainWithFourDecimalsInSevenCharacters) {
    const struct { double percent, fullScale; const char* text; } cases[] = {
        {75, 20, "15.0000"}, {25, 20, " 5.0000"}, {0, 20, " 0.0000"},
        {100, 32767, "32767.0000"}, {50, 10, " 5.0000"}, {0.5, 20, " 0.1000"},
    };
    for (const auto& c : cases) EXPECT_EQ(Readout(c.percent, c.fullScale), c.text) << c.percent;
}

TEST(SliderTrack, PositionAndPercentMapTopToUpperLimit) {
    const struct { double percent, lower, upper; int position; } cases[] = {
        {75, 0, 100, 250}, {25, 0, 100, 750}, {100, 0, 100, 0}, {0, 0, 100, 1000},
        {50, 25, 75, 500}, {75, 25, 75, 0}, {25, 25, 75, 1000},
        {100.0 / 3, 0, 100, 666},  // 666.67 truncated toward zero
        {150, 0, 100, 0},          // a gain above full scale keeps the thumb at the top
        {-10, 0, 100, 1000},
        {1e300, 0, 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SliderTrackPosition(c.percent, c.lower, c.upper, 1000), c.position) << c.percent;
    EXPECT_EQ(SliderTrackPosition(NAN, 0, 100, 1000), 1000);

    const struct { int position; double lower, upper, percent; } back[] = {
        {250, 0, 100, 75}, {750, 0, 100, 25}, {0, 0, 100, 100}, {1000, 0, 100, 0},
        {500, 25, 75, 50}, {0, 80, 100, 100}, {1000, 80, 100, 80}, {999, 0, 100, 0.1},
    };
    for (const auto& c : back)
        EXPECT_NEAR(SliderPercentAt(c.position, 1000, c.lower, c.upper), c.percent, 1e-12) << c.position;
}

struct ZoomCase {
    double percent, upper, lower;
    bool changed;
    double newUpper, newLower;
};

TEST(SliderZoom, InHalvesTheWindowAroundThePercentInsideZeroToHundred) {
    const ZoomCase cases[] = {
        {50, 100, 0, true, 75, 25},
        {90, 100, 0, true, 100, 50},
        {5, 100, 0, true, 50, 0},
        {50, 75, 25, true, 62.5, 37.5},
        {99, 100, 90, true, 100, 95},
        {0, 10, 0, true, 5, 0},
        {0.05, 0.1, 0, false, 0.1, 0},  // 0.1 wide: no further
        {0, 0.09765625, 0, false, 0.09765625, 0},  // ten zooms in from the whole range
        {0.01, 0.1953125, 0, true, 0.09765625, 0},
    };
    for (const auto& c : cases) {
        double upper = c.upper, lower = c.lower;
        EXPECT_EQ(ZoomSliderIn(c.percent, upper, lower), c.changed) << c.percent << " " << c.upper << " " << c.lower;
        EXPECT_DOUBLE_EQ(upper, c.newUpper) << c.percent;
        EXPECT_DOUBLE_EQ(lower, c.newLower) << c.percent;
    }
}

TEST(SliderZoom, OutDoublesTheWindowAroundThePercentInsideZeroToHundred) {
    const ZoomCase cases[] = {
        {50, 75, 25, true, 100, 0},
        {90, 100, 80, true, 100, 60},
        {50, 60, 40, true, 70, 30},
        {5, 10, 0, true, 20, 0},
        {95, 60, 0, true, 100, 0},   // 100 - 2d below 0
        {10, 60, 0, true, 100, 0},   // 2d above 100
        {30, 40, 20, true, 50, 10},
        {50, 100, 0, false, 100, 0},  // already the whole range
    };
    for (const auto& c : cases) {
        double upper = c.upper, lower = c.lower;
        EXPECT_EQ(ZoomSliderOut(c.percent, upper, lower), c.changed) << c.percent << " " << c.upper << " " << c.lower;
        EXPECT_DOUBLE_EQ(upper, c.newUpper) << c.percent;
        EXPECT_DOUBLE_EQ(lower, c.newLower) << c.percent;
    }
}

TEST(SliderLimits, OutsidePercentOrUnusableLimitsResetToWholeRange) {
    const struct { double percent, lower, upper; bool reset; } cases[] = {
        {50, 25, 75, false},
        {25, 25, 75, false},  // on a limit is inside
        {75, 25, 75, false},
        {80, 25, 75, true},
        {20, 25, 75, true},
        {150, 0, 100, true},  // above full scale: stays 0..100, reported as reset
        // Unusable limits (e.g. from the registry) are reset even when the percent fits.
        {50, 50, 50, true},
        {50, 80, 20, true},
        {50, -5, 60, true},
        {50, 40, 100.5, true},
        {50, NAN, 60, true},
        {50, 40, NAN, true},
    };
    for (const auto& c : cases) {
        GainChannel g;
        g.Percent = c.percent;
        g.LowerLimit = c.lower;
        g.UpperLimit = c.upper;
        EXPECT_EQ(FitSliderLimits(g), c.reset) << c.percent << " " << c.lower << " " << c.upper;
        if (c.reset) {
            EXPECT_EQ(g.LowerLimit, 0.0);
            EXPECT_EQ(g.UpperLimit, 100.0);
        } else {
            EXPECT_EQ(g.LowerLimit, c.lower);
            EXPECT_EQ(g.UpperLimit, c.upper);
        }
    }
    // Repairing looks at the limits only.
    GainChannel outside;
    outside.Percent = 90;
    outside.LowerLimit = 10;
    outside.UpperLimit = 20;
    EXPECT_FALSE(RepairSliderLimits(outside));
    EXPECT_EQ(outside.UpperLimit, 20.0);
}

TEST(SliderLayout, ChildrenSitAroundTheCentredConfigureButton) {
    struct Expected { int id, x, y; };
    const struct { int width, height; Expected places[kSliderChildCount]; } cases[] = {
        {60, 400, {{501, 46, 2}, {502, 2, 2}, {503, 46, 16}, {505, 32, 32}, {507, 32, 198}, {506, 32, 362},
                   {500, 2, 28}, {504, 2, 380}}},
        // a = (51 - 56) / 2 truncates toward zero to -2; an odd height halves down.
        {51, 301, {{501, 42, 2}, {502, -2, 2}, {503, 42, 16}, {505, 32, 32}, {507, 32, 148}, {506, 32, 263},
                   {500, 2, 28}, {504, 2, 281}}},
    };
    for (const auto& c : cases) {
        SliderChildPlace got[kSliderChildCount];
        SliderChildPlaces(c.width, c.height, got);
        for (int i = 0; i < kSliderChildCount; ++i) {
            bool found = false;
            for (const auto& g : got) {
                if (g.id != c.places[i].id) continue;
                found = true;
                EXPECT_EQ(g.x, c.places[i].x) << c.width << " id " << g.id;
                EXPECT_EQ(g.y, c.places[i].y) << c.width << " id " << g.id;
            }
            EXPECT_TRUE(found) << c.places[i].id;
        }
    }
}

// ---- Accessors against a recording stand-in for the controller library ----

struct Call {
    std::string name;
    int axis;
    double value;          // the gain written (SetGain) or the record's gains (SetFilterConfig)
    FilterConfig filter;
};
std::vector<Call> g_calls;

FilterConfig StoredFilter() {
    FilterConfig f = {};
    f.DerivativeGain = 1.5;
    f.DerivativeSamplePeriod = 0.002;
    f.IntegralGain = 2.5;
    f.IntegrationLimit = 300;
    f.VelocityGain = 7;
    f.FollowingError = 1000;
    return f;
}

int ZQAPI FakeGetGain(short, unsigned short axis, double* value) {
    g_calls.push_back({"ZqGetGain", axis, 0, {}});
    *value = 3.25;
    return 0;
}
int ZQAPI FakeSetGain(short, unsigned short axis, double value) {
    g_calls.push_back({"ZqSetGain", axis, value, {}});
    return 0;
}
int ZQAPI FakeGetFilter(short, unsigned short axis, FilterConfig* filter) {
    g_calls.push_back({"ZqGetFilterConfig", axis, 0, {}});
    *filter = StoredFilter();
    return 0;
}
int ZQAPI FakeSetFilter(short, unsigned short axis, FilterConfig* filter) {
    g_calls.push_back({"ZqSetFilterConfig", axis, 0, *filter});
    return 0;
}

class GainAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = {ZqGetGain, ZqSetGain, ZqGetFilterConfig, ZqSetFilterConfig};
        ZqGetGain = FakeGetGain;
        ZqSetGain = FakeSetGain;
        ZqGetFilterConfig = FakeGetFilter;
        ZqSetFilterConfig = FakeSetFilter;
        g_calls.clear();
    }
    void TearDown() override {
        ZqGetGain = saved_.getGain;
        ZqSetGain = saved_.setGain;
        ZqGetFilterConfig = saved_.getFilter;
        ZqSetFilterConfig = saved_.setFilter;
    }
    struct {
        ZqGetDouble_t* getGain;
        ZqSetDouble_t* setGain;
        ZqFilter_t* getFilter;
        ZqFilter_t* setFilter;
    } saved_;
};

TEST_F(GainAccessTest, ProportionalReadsThenWritesAxisAndPartner) {
    const struct { unsigned short partner; bool write; std::vector<std::pair<std::string, int>> calls; } cases[] = {
        {0, false, {{"ZqGetGain", 3}}},
        {4, false, {{"ZqGetGain", 3}}},
        {0, true, {{"ZqGetGain", 3}, {"ZqSetGain", 3}}},
        {4, true, {{"ZqGetGain", 3}, {"ZqSetGain", 3}, {"ZqSetGain", 4}}},
    };
    for (const auto& c : cases) {
        g_calls.clear();
        double gain = 15;
        EXPECT_EQ(PropGainAccess(1, 3, c.partner, c.write ? &gain : nullptr), 3.25);
        ASSERT_EQ(g_calls.size(), c.calls.size()) << c.partner << c.write;
        for (size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(g_calls[i].name, c.calls[i].first);
            EXPECT_EQ(g_calls[i].axis, c.calls[i].second);
            if (g_calls[i].name == "ZqSetGain") {
                EXPECT_EQ(g_calls[i].value, 15.0);
            }
        }
    }
}

TEST_F(GainAccessTest, IntegralAndDerivativeWriteTheAxisWholeFilterRecordToThePartner) {
    const struct {
        GainAccessor access;
        double FilterConfig::*gain;
        double read;
    } accessors[] = {
        {IntGainAccess, &FilterConfig::IntegralGain, 2.5},
        {DerGainAccess, &FilterConfig::DerivativeGain, 1.5},
    };
    for (const auto& a : accessors) {
        for (unsigned short partner : {0, 2}) {
            g_calls.clear();
            EXPECT_EQ(a.access(1, 1, partner, nullptr, nullptr), a.read);
            ASSERT_EQ(g_calls.size(), 1u);
            EXPECT_EQ(g_calls[0].name, "ZqGetFilterConfig");

            g_calls.clear();
            double gain = 42;
            EXPECT_EQ(a.access(1, 1, partner, &gain, nullptr), a.read);
            ASSERT_EQ(g_calls.size(), partner ? 3u : 2u);
            EXPECT_EQ(g_calls[0].name, "ZqGetFilterConfig");
            FilterConfig expected = StoredFilter();
            expected.*a.gain = 42;
            for (size_t i = 1; i < g_calls.size(); ++i) {
                EXPECT_EQ(g_calls[i].name, "ZqSetFilterConfig");
                EXPECT_EQ(g_calls[i].axis, i == 1 ? 1 : 2);
                EXPECT_EQ(std::memcmp(&g_calls[i].filter, &expected, sizeof expected), 0) << "record to axis "
                                                                                           << g_calls[i].axis;
            }
        }
    }
}

}  // namespace
