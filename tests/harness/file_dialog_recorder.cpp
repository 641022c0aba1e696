// File dialog recorder (see file_dialog_recorder.h).
#include "file_dialog_recorder.h"

#include <cstring>

#include "files/file_dialogs.h"

namespace {
FileDialogRecorder* g_recorder = nullptr;
}

FileDialogRecorder::FileDialogRecorder() {
    previousOpen_ = GetOpenFileNameFunction;
    previousSave_ = GetSaveFileNameFunction;
    GetOpenFileNameFunction = Open;
    GetSaveFileNameFunction = Save;
    g_recorder = this;
}

FileDialogRecorder::~FileDialogRecorder() {
    GetOpenFileNameFunction = previousOpen_;
    GetSaveFileNameFunction = previousSave_;
    g_recorder = nullptr;
}

BOOL WINAPI FileDialogRecorder::Open(LPOPENFILENAMEA request) { return g_recorder->Record(request, false); }
BOOL WINAPI FileDialogRecorder::Save(LPOPENFILENAMEA request) { return g_recorder->Record(request, true); }

BOOL FileDialogRecorder::Record(LPOPENFILENAMEA request, bool save) {
    FileDialogCall call;
    call.save = save;
    call.request = *request;
    call.initialName = request->lpstrFile ? request->lpstrFile : "(null)";
    if (request->lpstrFilter) call.filter.assign(request->lpstrFilter, request->lpstrFilter + kFilterTextSize);
    call.initialDir = request->lpstrInitialDir ? request->lpstrInitialDir : "(null)";
    call.defaultExt = request->lpstrDefExt ? request->lpstrDefExt : "(null)";
    calls_.push_back(call);
    if (!confirm_) return FALSE;
    if (request->lpstrFile && request->nMaxFile > answer_.size()) {
        std::memcpy(request->lpstrFile, answer_.c_str(), answer_.size() + 1);
    }
    return TRUE;
}
