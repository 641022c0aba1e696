// File name dialogs: one request builder for both file kinds, two thin wrappers.
#include "file_dialogs.h"

#include <cstdio>
#include <cstring>

#include "../controller/zq_library.h"
#include "../core/app_state.h"

static_assert(sizeof(OPENFILENAMEA) == 88, "the dialog request is 88 bytes");

BOOL(WINAPI* GetOpenFileNameFunction)(LPOPENFILENAMEA) = GetOpenFileNameA;
BOOL(WINAPI* GetSaveFileNameFunction)(LPOPENFILENAMEA) = GetSaveFileNameA;

namespace {

// One set for the whole program; every request points into them.
char FilterText[kFilterTextSize];
char InitialDirectory[MAX_PATH];
char CommandFileExtension[16];

size_t CopyAt(char* filter, size_t position, const char* text) {
    if (position < kFilterTextSize - 1) std::strncpy(filter + position, text, kFilterTextSize - 1 - position);
    return position;
}

}  // namespace

size_t BuildFilterText(char* filter, int csvMode, const char* description, const char* extension) {
    std::memset(filter, 0, kFilterTextSize);
    size_t position = 0;
    if (csvMode) {
        CopyAt(filter, 0, "Comma Separated Value Files (*.csv)");
        CopyAt(filter, 36, "*.csv");
        position = 42;
    } else {
        char text[128];
        std::snprintf(text, sizeof text, "%s Files (*.%s)", description, extension);
        CopyAt(filter, position, text);
        position += std::strlen(text) + 1;
        std::snprintf(text, sizeof text, "*.%s", extension);
        CopyAt(filter, position, text);
        position += std::strlen(text) + 1;
    }
    CopyAt(filter, position, "All files (*.*)");
    position += 16;
    CopyAt(filter, position, "*.*");
    return position + 4;
}

void BuildFileDialogRequest(HWND owner, OPENFILENAMEA* request, int csvMode) {
    AppState* state = StateOf(owner);
    short handle = state ? state->ControllerHandle : 0;
    GetCurrentDirectoryA(MAX_PATH, InitialDirectory);
    std::memset(request, 0, sizeof *request);
    if (csvMode) {
        BuildFilterText(FilterText, 1, "", "");
        request->lpstrDefExt = "csv";
    } else {
        ControllerConfig config = {};
        config.Size = kControllerConfigSize;
        ZqGetConfigurationEx(handle, &config);
        char description[32] = {};
        ZQDLG_ControllerDescEx(config.ControllerType, 1, description, 32);
        description[31] = 0;
        std::memset(CommandFileExtension, 0, sizeof CommandFileExtension);
        ZQDLG_CommandFileExt(config.ControllerType, 0, CommandFileExtension, 16);
        CommandFileExtension[15] = 0;
        BuildFilterText(FilterText, 0, description, CommandFileExtension);
        request->lpstrDefExt = CommandFileExtension;
    }
    request->lStructSize = sizeof *request;
    request->hwndOwner = owner;
    request->hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    request->lpstrFilter = FilterText;
    request->nFilterIndex = 0;
    request->nMaxFile = MAX_PATH;
    request->lpstrInitialDir = InitialDirectory;
}

BOOL ChooseFileToOpen(HWND owner, char* buffer, int csvMode) {
    OPENFILENAMEA request;
    BuildFileDialogRequest(owner, &request, csvMode);
    request.lpstrFile = buffer;
    request.Flags = kOpenDialogFlags;
    return GetOpenFileNameFunction(&request);
}

BOOL ChooseFileToSave(HWND owner, char* buffer, int csvMode) {
    OPENFILENAMEA request;
    BuildFileDialogRequest(owner, &request, csvMode);
    request.lpstrFile = buffer;
    request.Flags = kSaveDialogFlags;
    return GetSaveFileNameFunction(&request);
}
