// Writing a file through a temporary file beside it.
#include "replacing_file.h"

#include <cstring>

namespace {
constexpr size_t kBufferSize = 1 << 16;
}

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string s = text ? text : "";
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    if (s.empty()) s = "Error " + std::to_string(code) + ".";
    return s;
}

void ShowWriteError(HWND owner, const char* fileName, const std::string& reason) {
    std::string text = std::string("Unable to write the file\n") + fileName + "\n\n" + reason;
    MessageBoxA(owner, text.c_str(), "Loopsmith", MB_ICONWARNING | MB_OK);
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Fail(const char* reason) {
    if (!failed_) error_ = reason;
    failed_ = true;
}

void ReplacingFile::FailWithSystemError(DWORD code) {
    if (!failed_) error_ = SystemErrorText(code);
    failed_ = true;
}

void ReplacingFile::Discard() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!temp_.empty()) DeleteFileA(temp_.c_str());
    temp_.clear();
}

bool ReplacingFile::Open(const char* target) {
    Discard();
    failed_ = false;
    error_.clear();
    buffer_.clear();
    target_ = target ? target : "";
    if (target_.empty()) {
        Fail("No file name was given.");
        return false;
    }
    // Refuse what could not be replaced before writing anything.
    DWORD attributes = GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            Fail("A folder has this name.");
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            Fail("The file is read-only.");
            return false;
        }
    }
    char full[MAX_PATH];
    char* namePart = nullptr;
    DWORD n = GetFullPathNameA(target_.c_str(), MAX_PATH, full, &namePart);
    if (n == 0 || n >= MAX_PATH || !namePart) {
        Fail("The file name is not valid.");
        return false;
    }
    std::string folder(full, namePart);
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "lsm", 0, temp)) {
        FailWithSystemError(GetLastError());
        return false;
    }
    temp_ = temp;
    file_ = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        FailWithSystemError(GetLastError());
        Discard();
        return false;
    }
    buffer_.reserve(kBufferSize);
    return true;
}

bool ReplacingFile::Flush() {
    if (failed_ || file_ == INVALID_HANDLE_VALUE) {
        buffer_.clear();
        return false;
    }
    const char* p = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(file_, p, static_cast<DWORD>(left), &written, nullptr) || written == 0) {
            FailWithSystemError(GetLastError());
            break;
        }
        p += written;
        left -= written;
    }
    buffer_.clear();
    return !failed_;
}

void ReplacingFile::Write(const char* data, size_t length) {
    if (failed_) return;
    if (buffer_.size() + length > kBufferSize && !Flush()) return;
    if (length >= kBufferSize) {
        buffer_.assign(data, length);
        Flush();
        return;
    }
    buffer_.append(data, length);
}

bool ReplacingFile::Commit() {
    if (file_ == INVALID_HANDLE_VALUE) {
        Fail("The file was not opened.");
        return false;
    }
    Flush();
    if (!CloseHandle(file_) && !failed_) FailWithSystemError(GetLastError());
    file_ = INVALID_HANDLE_VALUE;
    if (!failed_ && !MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        FailWithSystemError(GetLastError());
    if (failed_) {
        Discard();
        return false;
    }
    temp_.clear();
    return true;
}
