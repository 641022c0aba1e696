// Plot display on the real main window: the messages each pane receives from
// UpdatePlots, recorded by subclassing the panes.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "core/app_state.h"
#include "libs/plotwin/plotwin.h"
#include "plot/plot_display.h"

namespace {

// Records the plot messages of the five panes as short texts, then passes
// each message on to the pane.
class PaneRecorder {
public:
    explicit PaneRecorder(const AppState& s) {
        for (int i = 0; i < kPaneCount; ++i) {
            panes_[i] = s.PlotPanes[i];
            Slot& slot = slots()[panes_[i]];
            slot.log = &logs_[i];
            slot.previous = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(panes_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
        }
    }
    ~PaneRecorder() {
        for (HWND pane : panes_) {
            SetWindowLongPtrA(pane, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slots()[pane].previous));
            slots().erase(pane);
        }
    }
    const std::vector<std::string>& Log(int pane) const { return logs_[pane]; }
    void Clear() {
        for (auto& l : logs_) l.clear();
    }
    // Only the entries of a pane that start with one of the prefixes.
    std::vector<std::string> Only(int pane, std::initializer_list<const char*> prefixes) const {
        std::vector<std::string> out;
        for (const std::string& e : logs_[pane])
            for (const char* p : prefixes)
                if (e.rfind(p, 0) == 0) { out.push_back(e); break; }
        return out;
    }

private:
    struct Slot {
        std::vector<std::string>* log = nullptr;
        WNDPROC previous = nullptr;
    };
    static std::map<HWND, Slot>& slots() {
        static std::map<HWND, Slot> s;
        return s;
    }
    static std::string Num(double v) {
        char b[32];
        std::snprintf(b, sizeof b, "%g", v);
        return b;
    }
    static std::string Describe(UINT m, WPARAM w, LPARAM l) {
        auto d = [&] { return Num(*reinterpret_cast<const double*>(l)); };
        auto text = [&] { return std::string(reinterpret_cast<const char*>(l)); };
        switch (m) {
        case PWM_CLEAR: return "CLEAR " + std::to_string(w) + " " + std::to_string(static_cast<int>(l));
        case PWM_SETYFORMAT: return "YFORMAT " + text();
        case PWM_SETYLABEL: return "YLABEL " + text();
        case PWM_SETXMIN: return "XMIN " + d();
        case PWM_SETXMAX: return "XMAX " + d();
        case PWM_SETYMIN: return "YMIN " + d();
        case PWM_SETYMAX: return "YMAX " + d();
        case PWM_ADDRANGE: {
            std::string e = "RANGE " + std::to_string(w);
            const double* v = reinterpret_cast<const double*>(l);
            if (w && v) e += " " + Num(v[0]) + ".." + Num(v[w - 1]);
            return e;
        }
        case PWM_SETDATA: {
            std::string e = "DATA " + std::to_string(LOWORD(w)) + " " + std::to_string(HIWORD(w));
            const double* v = reinterpret_cast<const double*>(l);
            if (HIWORD(w) && v) e += " " + Num(v[0]) + ".." + Num(v[HIWORD(w) - 1]);
            return e;
        }
        case PWM_SETSERIESNAME: return "NAME " + std::to_string(w) + " " + text();
        case PWM_SETSERIESSTYLE: return "STYLE " + std::to_string(w) + " " + std::to_string(l);
        case PWM_UPDATE: return "UPDATE";
        default: return "";
        }
    }
    static LRESULT CALLBACK Proc(HWND window, UINT m, WPARAM w, LPARAM l) {
        Slot& slot = slots()[window];
        std::string e = Describe(m, w, l);
        if (!e.empty() && slot.log) slot.log->push_back(e);
        return CallWindowProcA(slot.previous, window, m, w, l);
    }
    HWND panes_[kPaneCount] = {};
    std::vector<std::string> logs_[kPaneCount];
};

using Log = std::vector<std::string>;

class PlotDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(app.Start(), nullptr);
        AppState& s = app.State();
        s.LastTest.SampleCount = 4;
        s.LastTest.Sampling = 1;
        s.LastTest.RecordTime = 0.5;
        s.LastTest.Delay = 0.0;
        s.LastTest.Distance = 100.0;
        s.PlotActual = s.PlotOptimal = s.PlotError = s.PlotTarget = 1;
        s.PlotTorque = s.PlotAuxiliary = 0;
        s.Test.Trajectory = 1;
    }
    // Four samples in every channel of the current axis.
    void Fill() {
        AppState& s = app.State();
        const double actual[] = {0, 50, 104, 99}, optimal[] = {0, 60, 100, 100}, torque[] = {0.5, 2, -1.5, 0.1},
                     aux[] = {0, 40, 90, 101};
        for (int j = 0; j < 4; ++j) {
            ChannelFor(s, Channel::Actual, 0)->Append(actual[j]);
            ChannelFor(s, Channel::Optimal, 0)->Append(optimal[j]);
            ChannelFor(s, Channel::Error, 0)->Append(actual[j] - optimal[j]);
            ChannelFor(s, Channel::Torque, 0)->Append(torque[j]);
            ChannelFor(s, Channel::Auxiliary, 0)->Append(aux[j]);
        }
        s.TestDone = 1;
    }
    IsolatedRegistry registry;
    LoopsmithApp app;
};

TEST_F(PlotDisplayTest, WithoutTestDataPanesAreOnlyCleared) {
    Fill();
    AppState& s = app.State();
    s.TestDone = 0;
    PaneRecorder rec(s);
    UpdatePlots(app.Main());
    for (int i = 0; i < kPaneCount; ++i) EXPECT_EQ(rec.Log(i), (Log{"CLEAR 1 -1", "YFORMAT %lg"})) << i;
}

TEST_F(PlotDisplayTest, MultiStyleMessagesOfEachPane) {
    Fill();
    AppState& s = app.State();
    s.PlotStyle = kPlotMulti;
    s.PlotTorque = 1;
    s.TorqueCapture = 1;
    PaneRecorder rec(s);
    UpdatePlots(app.Main());
    EXPECT_EQ(rec.Log(0), (Log{"CLEAR 1 -1", "YFORMAT %lg", "XMIN 0", "XMAX 500",
                               "RANGE 0", "RANGE 1 100..100", "RANGE 4 0..99", "YLABEL Distance",
                               "RANGE 4 0..100", "YLABEL Distance", "YMIN 0", "YMAX 200",
                               "DATA 0 4 0..99", "NAME 0 Actual", "STYLE 6 1", "DATA 6 2 100..100",
                               "NAME 6 Target", "DATA 1 4 0..100", "NAME 1 Optimal", "UPDATE"}));
    EXPECT_EQ(rec.Log(1), (Log{"CLEAR 1 -1", "YFORMAT %lg", "XMIN 0", "XMAX 500", "RANGE 0", "RANGE 4 0..-1",
                               "YLABEL Distance", "YMAX 10", "YMIN -10", "DATA 2 4 0..-1", "NAME 2 Error",
                               "UPDATE"}));
    EXPECT_EQ(rec.Log(2), (Log{"CLEAR 1 -1", "YFORMAT %lg", "XMIN 0", "XMAX 500", "RANGE 0", "RANGE 4 0.5..0.1",
                               "YMAX 2", "YMIN -2", "YLABEL Volts", "YFORMAT %7.3lf", "DATA 3 4 0.5..0.1",
                               "NAME 3 Torque", "UPDATE"}));
    for (int i = 3; i < kPaneCount; ++i) EXPECT_EQ(rec.Log(i), (Log{"CLEAR 1 -1", "YFORMAT %lg", "UPDATE"})) << i;
}

// Which series each pane receives, for every style, read from the messages.
TEST_F(PlotDisplayTest, PaneAssignmentOfEveryStyle) {
    Fill();
    AppState& s = app.State();
    s.PlotTorque = 1;
    s.TorqueCapture = 1;
    s.AuxCapture = 1;
    s.PlotAuxiliary = 1;
    const struct { int style; BYTE trajectory; const char* panes[kPaneCount]; } cases[] = {
        {kPlotSingle, 1, {"0 6 1 5 2 3", "", "", "", ""}},
        {kPlotMulti, 1, {"0 6 1 5", "2", "3", "", ""}},
        {kPlotSeparate, 1, {"0 6", "1 6", "5 6", "2", "3"}},
        {kPlotSeparate, 0, {"0 6", "", "5 6", "", "3"}},
    };
    for (const auto& c : cases) {
        s.PlotStyle = c.style;
        s.Test.Trajectory = c.trajectory;
        PaneRecorder rec(s);
        UpdatePlots(app.Main());
        for (int i = 0; i < kPaneCount; ++i) {
            std::string series;
            for (const std::string& e : rec.Only(i, {"DATA "})) {
                if (!series.empty()) series += ' ';
                series += e.substr(5, e.find(' ', 5) - 5);
            }
            EXPECT_EQ(series, c.panes[i]) << "style " << c.style << " trajectory " << int(c.trajectory) << " pane " << i;
        }
    }
}

// The count comes from LastTest, but no pane is ever sent more samples than
// the sequence holds, and PWM_SETDATA's 16-bit count is never overrun.
TEST_F(PlotDisplayTest, CountsNeverPassTheStoredSamples) {
    AppState& s = app.State();
    s.PlotStyle = kPlotSingle;
    s.PlotOptimal = s.PlotError = s.PlotTarget = 0;
    const struct { int sampleCount, sampling, stored; const char* range; const char* data; } cases[] = {
        {4, 1, 4, "RANGE 4 0..3", "DATA 0 4 0..3"},
        {1001, 2, 501, "RANGE 500 0..499", "DATA 0 500 0..499"},  // count = 1001 div 2
        {4, 0, 4, "RANGE 4 0..3", "DATA 0 4 0..3"},               // Sampling 0 counts as 1
        {10, 3, 4, "RANGE 3 0..2", "DATA 0 3 0..2"},
        {1001, 1, 3, "RANGE 3 0..2", "DATA 0 3 0..2"},           // a shorter sequence of an earlier test
        {0, 1, 4, "", "DATA 0 0"},                                // no samples: no range, nothing read
        {65535, 1, 65535, "RANGE 65535 0..65534", "DATA 0 65535 0..65534"},
        {70001, 1, 70001, "RANGE 70001 0..70000", "DATA 0 35001 0..70000"},  // every 2nd sample
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sampleCount << " / " << c.sampling << ", " << c.stored << " stored");
        SampleSequence* actual = ChannelFor(s, Channel::Actual, 0);
        actual->Clear();
        for (int j = 0; j < c.stored; ++j) actual->Append(j);
        s.LastTest.SampleCount = c.sampleCount;
        s.LastTest.Sampling = c.sampling;
        s.TestDone = 1;
        PaneRecorder rec(s);
        UpdatePlots(app.Main());
        Log ranges = rec.Only(0, {"RANGE "});
        ASSERT_EQ(ranges.size(), c.range[0] ? 2u : 1u);
        EXPECT_EQ(ranges[0], "RANGE 0");
        if (c.range[0]) {
            EXPECT_EQ(ranges[1], c.range);
        }
        EXPECT_EQ(rec.Only(0, {"DATA "}), Log{c.data});
    }
}

}  // namespace
