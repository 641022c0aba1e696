// Runs from the data on display, their file and Restore Gains.
#include "history_runs.h"

#include <cstdio>

#include "../analysis/test_metrics.h"
#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "../panel/gain_slider.h"
#include "history_file.h"
#include "history_window.h"

namespace {

std::optional<double> Ms(const std::optional<double>& seconds) {
    if (!seconds) return std::nullopt;
    return *seconds * 1000.0;
}

std::optional<double> ReadGain(const AppState& s, const GainChannel& g) {
    if (!g.Access || s.ControllerHandle <= 0) return std::nullopt;
    int result = 0;
    double gain = g.Access(s.ControllerHandle, static_cast<unsigned short>(s.Axis), 0, nullptr, &result);
    if (result < 0) return std::nullopt;  // a gain the controller did not deliver is no gain
    return gain;
}

}  // namespace

void CreateHistory(AppState& s) {
    if (!s.History) s.History = new TestHistory();
}

void ReleaseHistory(AppState& s) {
    delete s.History;
    s.History = nullptr;
}

void LoadAxisHistory(AppState& s) {
    if (!s.History || s.History->Loaded(s.ControllerID, s.Axis)) return;
    s.History->MarkLoaded(s.ControllerID, s.Axis);
    s.History->AddStored(ReadHistoryFile(HistoryFilePath(s.ControllerID, s.Axis), s.ControllerID, s.Axis));
}

std::string FileNamePart(const std::string& path) {
    size_t at = path.find_last_of("\\/:");
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string HistoryTimeText(const SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear % 10000u, t.wMonth % 100u,
                  t.wDay % 100u, t.wHour % 100u, t.wMinute % 100u, t.wSecond % 100u);
    return text;
}

HistoryRun RunFromDisplay(const AppState& s, const std::string& source, bool withGains) {
    HistoryRun r;
    SYSTEMTIME now;
    GetLocalTime(&now);
    r.Time = HistoryTimeText(now);
    r.Controller = s.ControllerID;
    r.Axis = s.Axis;
    r.Source = source;
    if (withGains) {
        r.P = ReadGain(s, s.PropGain);
        r.I = ReadGain(s, s.IntGain);
        r.D = ReadGain(s, s.DerGain);
        if (s.ControllerHandle > 0) {
            FilterConfig filter = {};
            ZqGetFilterConfig(s.ControllerHandle, static_cast<unsigned short>(s.Axis), &filter);
            r.IntegrationLimit = filter.IntegrationLimit;
            r.VelocityGain = filter.VelocityGain;
            r.DerivativeSamplePeriod = filter.DerivativeSamplePeriod;
        }
    }
    r.Distance = s.LastTest.Distance;
    r.RecordTime = s.LastTest.RecordTime;
    std::vector<MoveMetrics> moves = MeasureDisplayedTest(s);
    if (!moves.empty()) {
        const MoveMetrics& m = moves.front();
        r.RiseTime = Ms(m.riseTime);
        r.TimeToPeak = Ms(m.timeToPeak);
        r.Overshoot = m.overshoot;
        r.SettlingTime = Ms(m.settlingTime);
        r.SteadyStateError = m.steadyStateError;
        r.PeakError = m.peakError;
        r.RmsError = m.rmsError;
        r.PeakTorque = m.peakTorque;
        r.TorqueSaturation = m.torqueSaturation;
    }
    SkewMetrics skew = MeasureDisplayedSkew(s);
    r.PeakSkew = skew.peak;
    r.RmsSkew = skew.rms;
    if (const SampleSequence* actual = ChannelFor(s, Channel::Actual, 0)) {
        r.Actual.assign(actual->Data(), actual->Data() + actual->Length());
        // The stored samples span the time axis the way the plot display draws them.
        r.CurveStart = s.LastTest.Delay * 1000.0;
        double dt = StoredSampleTime(s);
        r.CurveEnd = r.Actual.size() > 1 && dt > 0
                         ? r.CurveStart + static_cast<double>(r.Actual.size() - 1) * dt * 1000.0
                         : (s.LastTest.RecordTime + s.LastTest.Delay) * 1000.0;
    }
    return r;
}

int AddDisplayedRun(HWND mainWindow, const std::string& source, bool withGains) {
    AppState* s = StateOf(mainWindow);
    if (!s || !s->History || !s->TestDone) return 0;
    LoadAxisHistory(*s);
    const HistoryRun& run = s->History->AddRun(RunFromDisplay(*s, source, withGains));
    AppendHistoryRow(HistoryFilePath(run.Controller, run.Axis), run);
    int number = run.Number;
    RefreshHistoryWindow(*s);
    return number;
}

bool RestoreRunGains(AppState& s, const HistoryRun& run) {
    if (!run.HasGains()) return false;
    const unsigned short axis = static_cast<unsigned short>(s.Axis);
    const unsigned short partner = s.GantryShare ? GantryPartner(s) : 0;
    const std::pair<GainChannel*, double> gains[] = {{&s.PropGain, *run.P}, {&s.IntGain, *run.I}, {&s.DerGain, *run.D}};
    for (const auto& g : gains) {
        if (!g.first->Access) continue;
        double value = g.second;
        g.first->Access(s.ControllerHandle, axis, partner, &value, nullptr);
    }
    RefreshSliders(s);
    s.Modified = 1;
    return true;
}
