// Temporary files and folders in tests (see temp_files.h).
#include "temp_files.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "process.h"

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = found.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& folder) {
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "\\" + name;
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveTree(path);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

std::string FreshFolder(const std::string& tag) {
    std::string folder = MakeTempFolder(tag);
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
