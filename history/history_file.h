// The history file of a controller and axis: the rows of its runs in the
// export format, appended after each run and read back at start. Curves are
// not kept there.
#pragma once
#include <string>
#include <vector>

#include "test_history.h"

// The folder that holds "Loopsmith\History": the user's local application data
// folder unless SetHistoryRoot chose another (tests do).
std::string HistoryRoot();
void SetHistoryRoot(const std::string& folder);
bool HistoryRootChosen();
// <root>\Loopsmith\History\<controller>_<axis>.csv
std::string HistoryFilePath(int controller, int axis);

// Appends the run's row to the file, creating the folders and, for a new or
// empty file, the header first. An existing file is never rewritten; a last
// line without its line end is ended first. False when it could not be written.
bool AppendHistoryRow(const std::string& path, const HistoryRun& run);
// The runs of the file for this controller and axis (ParseHistoryText). A
// missing or unreadable file gives no runs.
std::vector<HistoryRun> ReadHistoryFile(const std::string& path, int controller, int axis);
