// Writing a file so that a failure never leaves a half-written file in place of
// a good one: the data goes to a temporary file beside the target, which
// replaces the target only once everything was written.
#pragma once
#include <windows.h>

#include <string>

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();  // discards the temporary file unless Commit succeeded
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Checks the target and creates the temporary file. False on failure; then
    // Error() tells why.
    bool Open(const char* target);
    // Buffered; a failed write is remembered and makes Commit fail.
    void Write(const char* data, size_t length);
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    // Flushes, closes and moves the temporary file over the target.
    bool Commit();

    // Why the last step failed, as a sentence for the user.
    const std::string& Error() const { return error_; }

private:
    bool Flush();
    void Fail(const char* reason);
    void FailWithSystemError(DWORD code);
    void Discard();

    std::string target_;
    std::string temp_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string buffer_;
    bool failed_ = false;
    std::string error_;
};

// The system's text for an error code, without the trailing line end.
std::string SystemErrorText(DWORD code);
// Shows "Unable to write the file ..." with the reason, caption "Loopsmith".
void ShowWriteError(HWND owner, const char* fileName, const std::string& reason);
