// The test history's runs, their curve budget and the CSV lines of its export
// and file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "history/history_format.h"
#include "history/test_history.h"

namespace {

HistoryRun FullRun() {
    HistoryRun r;
    r.Number = 12;
    r.Time = "2026-03-04T05:06:07";
    r.Controller = 1;
    r.Axis = 3;
    r.Source = "test";
    r.P = 0.1;
    r.I = 2.5;
    r.D = 1e-05;
    r.IntegrationLimit = 1;
    r.VelocityGain = 0;
    r.DerivativeSamplePeriod = 0.0005;
    r.Distance = -100;
    r.RecordTime = 0.5;
    r.RiseTime = 12.345678901234567;
    r.TimeToPeak = 30;
    r.Overshoot = 18.2;
    r.SettlingTime = 46;
    r.SteadyStateError = -0.003;
    r.PeakError = 19.6;
    r.RmsError = 5.21;
    r.PeakTorque = 4.95;
    r.TorqueSaturation = 12.5;
    r.PeakSkew = 0.25;
    r.RmsSkew = 0.125;
    return r;
}

TEST(HistoryFormat, RowsInShortestFormReadBackExactly) {
    HistoryRun r = FullRun();
    EXPECT_EQ(FormatHistoryRow(r),
              "12,2026-03-04T05:06:07,1,3,test,0.1,2.5,1e-05,1,0,5e-04,-100,0.5,12.345678901234567,30,18.2,46,-0.003,"
              "19.6,5.21,4.95,12.5,0.25,0.125");
    HistoryRun back;
    ASSERT_TRUE(ParseHistoryRow(FormatHistoryRow(r), back));
    EXPECT_EQ(FormatHistoryRow(back), FormatHistoryRow(r));
    EXPECT_EQ(*back.RiseTime, *r.RiseTime);

    // Not available: empty fields, also for a file's run without gains.
    HistoryRun file;
    file.Number = 1;
    file.Time = "2026-03-04T05:06:07";
    file.Source = "step, \"fast\".csv";
    file.Distance = 100;
    file.P = std::nan("");  // never written as "nan"
    EXPECT_EQ(FormatHistoryRow(file), "1,2026-03-04T05:06:07,0,1,\"step, \"\"fast\"\".csv\",,,,,,,100,,,,,,,,,,,,");
    ASSERT_TRUE(ParseHistoryRow(FormatHistoryRow(file), back));
    EXPECT_EQ(back.Source, "step, \"fast\".csv");
    EXPECT_FALSE(back.P);
    EXPECT_FALSE(back.HasGains());
    EXPECT_EQ(*back.Distance, 100);
}

TEST(HistoryFormat, HeaderAndDamagedLinesAreRefused) {
    EXPECT_EQ(std::string(kHistoryHeader),
              "Run,Time,Controller,Axis,Source,P,I,D,IntegrationLimit,VelocityGain,DerivativeSamplePeriod,Distance,"
              "RecordTime,RiseTime_ms,TimeToPeak_ms,Overshoot_pct,SettlingTime_ms,SteadyStateError,PeakError,RmsError,"
              "PeakTorque,TorqueSaturation_pct,PeakSkew,RmsSkew");
    const std::string good = FormatHistoryRow(FullRun());
    HistoryRun r;
    const std::string bad[] = {
        kHistoryHeader,
        "",
        good.substr(0, good.size() - 6),                             // a field short
        good + ",1",                                                 // one too many
        "x" + good,                                                  // run number not a number
        "0" + good.substr(2),                                        // run 0
        "12,2026-3-4 5:06:07" + good.substr(22),                     // time in another form
        "12,2026-03-04T05:06:07,1,3,\"open quote,0.1" + good.substr(good.find(",2.5")),
        "12,2026-03-04T05:06:07,1,3,test,0.1x" + good.substr(good.find(",2.5")),   // a gain with letters after it
        "12,2026-03-04T05:06:07,1,3,test,inf" + good.substr(good.find(",2.5")),    // not finite
    };
    for (const std::string& line : bad) EXPECT_FALSE(ParseHistoryRow(line, r)) << line;
}

TEST(HistoryFormat, LinesEndAtCrLfOrLf) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\nb\n", {"a", "", "b"}},
        {"\n", {""}},
        {"a\rb\r\r\n", {"a\rb\r"}},  // only the CR before the LF belongs to the line end
    };
    for (const Case& c : cases) EXPECT_EQ(HistoryLines(c.text), c.lines) << c.text;
}

TEST(TestHistory, NumbersPerAxisAndTheCurveBudget) {
    const size_t curve = 1000;  // doubles per run
    TestHistory h(3 * curve * sizeof(double));
    for (int k = 0; k < 5; ++k) {
        HistoryRun r;
        r.Axis = k % 2 ? 2 : 1;
        r.Actual.assign(curve, k);
        const HistoryRun& added = h.AddRun(r);
        EXPECT_EQ(added.Number, k / 2 + 1);
    }
    // Five runs, room for three curves: the two oldest lose theirs, not their rows.
    EXPECT_EQ(h.RunCount(), 5u);
    EXPECT_EQ(h.CurveBytes(), 3 * curve * sizeof(double));
    std::vector<const HistoryRun*> axis1 = h.RunsOf(0, 1);
    ASSERT_EQ(axis1.size(), 3u);
    EXPECT_TRUE(axis1[0]->Actual.empty());   // run 1 of axis 1, the oldest
    EXPECT_FALSE(axis1[1]->Actual.empty());
    EXPECT_TRUE(h.RunsOf(0, 2)[0]->Actual.empty());
    EXPECT_EQ(h.Find(0, 2, 2)->Actual.front(), 3);
    EXPECT_EQ(h.Find(0, 2, 3), nullptr);

    // Rows read back keep their numbers; the session goes on after them.
    TestHistory back;
    HistoryRun stored;
    stored.Axis = 4;
    stored.Number = 41;
    stored.Actual.assign(10, 1.0);
    back.AddStored({stored});
    EXPECT_TRUE(back.RunsOf(0, 4)[0]->Actual.empty());
    EXPECT_EQ(back.AddRun(HistoryRun{.Axis = 4}).Number, 42);
}

}  // namespace
