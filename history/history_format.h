// The history's CSV format, shared by Export and the history file: one header
// line, one line per run, CR LF line ends.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "test_history.h"

// "Run,Time,Controller,Axis,Source,P,I,D,...,PeakSkew,RmsSkew" without the line end.
extern const char kHistoryHeader[];
// One run as a CSV line without the line end: numbers in shortest round-trip
// form, an empty field where a value is not available, a Source with a comma,
// quote or line break quoted as CSV does.
std::string FormatHistoryRow(const HistoryRun& run);
// Reads a line written by FormatHistoryRow (line end already removed). False
// for the header, a line of another layout or one with a field that is not a
// number where a number belongs; run is then not defined.
bool ParseHistoryRow(const std::string& line, HistoryRun& run);
// The lines of a history file's text without their line ends: CR LF and LF
// both end a line, and a last line ending at the end of the text adds none.
std::vector<std::string> HistoryLines(const std::string& text);
// The runs of one controller and axis in the text of a history file, oldest
// first: the header, damaged lines, lines of other axes and repeated run
// numbers are skipped; lines as HistoryLines splits them.
std::vector<HistoryRun> ParseHistoryText(const std::string& text, int controller, int axis);
// The shortest text that reads back as the same double; "" when not available or not finite.
std::string HistoryNumber(const std::optional<double>& value);
