// Appending to and reading back the history file.
#include "history_file.h"

#include <windows.h>
#include <shlobj.h>

#include "history_format.h"

namespace {

std::string g_root;

// Files larger than this are not history files we wrote; reading them would
// only cost memory.
constexpr LONGLONG kMaxHistoryFile = 256ll * 1024 * 1024;

bool WriteAllBytes(HANDLE file, const std::string& data) {
    DWORD written = 0;
    return WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
           written == data.size();
}

}  // namespace

std::string HistoryRoot() {
    if (!g_root.empty()) return g_root;
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path) != S_OK) return "";
    return path;
}

void SetHistoryRoot(const std::string& folder) { g_root = folder; }

bool HistoryRootChosen() { return !g_root.empty(); }

std::string HistoryFilePath(int controller, int axis) {
    return HistoryRoot() + "\\Loopsmith\\History\\" + std::to_string(controller) + "_" + std::to_string(axis) + ".csv";
}

bool AppendHistoryRow(const std::string& path, const HistoryRun& run) {
    // Create the folders on the way, one level at a time.
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    std::string data;
    if (size.QuadPart == 0) {
        data = std::string(kHistoryHeader) + "\r\n";
    } else {
        char last = '\n';
        DWORD read = 0;
        LARGE_INTEGER back;
        back.QuadPart = -1;
        if (SetFilePointerEx(file, back, nullptr, FILE_END) && ReadFile(file, &last, 1, &read, nullptr) && read == 1 &&
            last != '\n')
            data = "\r\n";
    }
    data += FormatHistoryRow(run) + "\r\n";
    LARGE_INTEGER zero = {};
    bool ok = SetFilePointerEx(file, zero, nullptr, FILE_END) && WriteAllBytes(file, data);
    ok = CloseHandle(file) && ok;
    return ok;
}

std::vector<HistoryRun> ReadHistoryFile(const std::string& path, int controller, int axis) {
    std::vector<HistoryRun> runs;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return runs;
    LARGE_INTEGER size = {};
    std::string text;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxHistoryFile) {
        text.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) read = 0;
        text.resize(read);
    }
    CloseHandle(file);
    return ParseHistoryText(text, controller, axis);
}
