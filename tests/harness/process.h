// Running the program (or a copy of it) as its own process, as a user would,
// and finding its top-level windows from outside.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class ProgramProcess {
public:
    // Starts exe with args in folder cwd (empty: the exe's folder).
    ProgramProcess(const std::string& exe, const std::string& args, const std::string& cwd = "");
    ~ProgramProcess();
    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    // Waits for the process to end; its exit code, or STILL_ACTIVE on time-out.
    DWORD WaitExit(int timeoutMs);
    // A visible top-level window of the process with this class (or any class
    // when null), waiting up to timeoutMs; null when none appears.
    HWND WaitWindow(const char* className, int timeoutMs) const;
    std::vector<HWND> TopWindows() const;
    void Kill();

private:
    PROCESS_INFORMATION info_ = {};
};

// A fresh empty folder under the temporary folder.
std::string MakeTempFolder(const std::string& tag);
// The folder of the running test program (build/bin).
std::string BinFolder();
bool CopyInto(const std::string& file, const std::string& folder, const std::string& newName = "");
