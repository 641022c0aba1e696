// Program processes (see process.h).
#include "process.h"

#include <vector>

ProgramProcess::ProgramProcess(const std::string& exe, const std::string& args, const std::string& cwd) {
    std::string command = "\"" + exe + "\" " + args;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.empty() ? nullptr : cwd.c_str(), &si, &info_))
        info_ = {};
}

ProgramProcess::~ProgramProcess() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) Kill();
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

DWORD ProgramProcess::WaitExit(int timeoutMs) {
    if (!info_.hProcess) return STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void ProgramProcess::Kill() {
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

namespace {
struct WindowSearch { DWORD pid; std::vector<HWND> found; };

BOOL CALLBACK CollectWindow(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<WindowSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == c->pid && IsWindowVisible(w)) c->found.push_back(w);
    return TRUE;
}
}  // namespace

std::vector<HWND> ProgramProcess::TopWindows() const {
    WindowSearch search{info_.dwProcessId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramProcess::WaitWindow(const char* className, int timeoutMs) const {
    DWORD end = GetTickCount() + timeoutMs;
    do {
        for (HWND w : TopWindows()) {
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (!className || lstrcmpA(cls, className) == 0) return w;
        }
        Sleep(50);
    } while (static_cast<int>(end - GetTickCount()) > 0);
    return nullptr;
}

std::string MakeTempFolder(const std::string& tag) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    static int n = 0;
    // Process ids come back under Wine: a folder left by an earlier run is
    // never reused, so no test finds another run's files in it.
    for (;;) {
        std::string path = std::string(dir) + "loopsmith-" + tag + "-" + std::to_string(GetCurrentProcessId()) +
                           "-" + std::to_string(++n);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return path;
    }
}

std::string BinFolder() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of("\\/"));
}

bool CopyInto(const std::string& file, const std::string& folder, const std::string& newName) {
    std::string name = newName.empty() ? file.substr(file.find_last_of("\\/") + 1) : newName;
    return CopyFileA(file.c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}
