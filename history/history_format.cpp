// The history's CSV lines.
#include "history_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

const char kHistoryHeader[] =
    "Run,Time,Controller,Axis,Source,P,I,D,IntegrationLimit,VelocityGain,DerivativeSamplePeriod,Distance,RecordTime,"
    "RiseTime_ms,TimeToPeak_ms,Overshoot_pct,SettlingTime_ms,SteadyStateError,PeakError,RmsError,PeakTorque,"
    "TorqueSaturation_pct,PeakSkew,RmsSkew";

namespace {

constexpr size_t kFieldCount = 24;

// The optional numbers of a run in the order of the columns after Source.
template <class Run>
auto Numbers(Run& r) {
    return std::vector<decltype(&r.P)>{&r.P,          &r.I,          &r.D,         &r.IntegrationLimit, &r.VelocityGain,     &r.DerivativeSamplePeriod,
            &r.Distance,   &r.RecordTime, &r.RiseTime,  &r.TimeToPeak,       &r.Overshoot,        &r.SettlingTime,
            &r.SteadyStateError, &r.PeakError, &r.RmsError, &r.PeakTorque, &r.TorqueSaturation, &r.PeakSkew,
            &r.RmsSkew};
}

std::string Quoted(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// Splits a CSV line; quoted fields may hold commas and doubled quotes. False
// for an unterminated quote.
bool SplitCsv(const std::string& line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else {
            field += c;
        }
    }
    if (quoted) return false;
    fields.push_back(field);
    return true;
}

bool ParseNumber(const std::string& text, std::optional<double>& out) {
    if (text.empty()) {
        out.reset();
        return true;
    }
    double v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ParseInt(const std::string& text, int& out) {
    auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && !text.empty();
}

// "YYYY-MM-DDTHH:MM:SS" with digits where digits belong.
bool ValidTime(const std::string& t) {
    static const char pattern[] = "dddd-dd-ddTdd:dd:dd";
    if (t.size() != sizeof pattern - 1) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (pattern[i] == 'd' ? (t[i] < '0' || t[i] > '9') : t[i] != pattern[i]) return false;
    }
    return true;
}

}  // namespace

std::string HistoryNumber(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value)) return "";
    char text[64];
    auto r = std::to_chars(text, text + sizeof text, *value);
    return std::string(text, r.ptr);
}

std::string FormatHistoryRow(const HistoryRun& run) {
    std::string line = std::to_string(run.Number) + "," + run.Time + "," + std::to_string(run.Controller) + "," +
                       std::to_string(run.Axis) + "," + Quoted(run.Source);
    for (const std::optional<double>* v : Numbers(run)) line += "," + HistoryNumber(*v);
    return line;
}

bool ParseHistoryRow(const std::string& line, HistoryRun& run) {
    std::vector<std::string> f;
    if (!SplitCsv(line, f) || f.size() != kFieldCount) return false;
    run = HistoryRun();
    if (!ParseInt(f[0], run.Number) || run.Number < 1 || !ValidTime(f[1]) || !ParseInt(f[2], run.Controller) ||
        !ParseInt(f[3], run.Axis))
        return false;
    run.Time = f[1];
    run.Source = f[4];
    auto numbers = Numbers(run);
    for (size_t k = 0; k < numbers.size(); ++k)
        if (!ParseNumber(f[5 + k], *numbers[k])) return false;
    return true;
}

std::vector<std::string> HistoryLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<HistoryRun> ParseHistoryText(const std::string& text, int controller, int axis) {
    std::vector<HistoryRun> runs;
    std::set<int> numbers;
    for (const std::string& line : HistoryLines(text)) {
        HistoryRun run;
        if (!ParseHistoryRow(line, run) || run.Controller != controller || run.Axis != axis) continue;
        if (!numbers.insert(run.Number).second) continue;
        runs.push_back(std::move(run));
    }
    return runs;
}
