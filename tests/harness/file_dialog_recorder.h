// Stands in for the system's open and save file dialogs: records every request
// the program makes and answers with a scripted file name, or cancels.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

struct FileDialogCall {
    bool save = false;
    OPENFILENAMEA request = {};    // as passed; its pointers are not valid after the call
    std::string initialName;       // the name buffer on entry
    std::vector<char> filter;      // the full 256-character filter buffer
    std::string initialDir;
    std::string defaultExt;        // "(null)" when none was set
};

class FileDialogRecorder {
public:
    FileDialogRecorder();   // takes the place of the system dialogs
    ~FileDialogRecorder();  // puts them back
    FileDialogRecorder(const FileDialogRecorder&) = delete;
    FileDialogRecorder& operator=(const FileDialogRecorder&) = delete;

    // Every following dialog confirms this name (copied into the caller's buffer).
    void Answer(const std::string& fileName) { answer_ = fileName; confirm_ = true; }
    // Every following dialog is cancelled.
    void Cancel() { confirm_ = false; }
    const std::vector<FileDialogCall>& Calls() const { return calls_; }

private:
    static BOOL WINAPI Open(LPOPENFILENAMEA request);
    static BOOL WINAPI Save(LPOPENFILENAMEA request);
    BOOL Record(LPOPENFILENAMEA request, bool save);

    std::string answer_;
    bool confirm_ = false;
    std::vector<FileDialogCall> calls_;
    BOOL(WINAPI* previousOpen_)(LPOPENFILENAMEA) = nullptr;
    BOOL(WINAPI* previousSave_)(LPOPENFILENAMEA) = nullptr;
};
