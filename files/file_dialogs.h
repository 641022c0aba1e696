// File name dialogs for test data files (csvMode nonzero) and controller
// command files (csvMode 0), over the system's open and save dialogs.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <cstddef>

inline constexpr DWORD kOpenDialogFlags = OFN_CREATEPROMPT | OFN_HIDEREADONLY;     // 0x2004
inline constexpr DWORD kSaveDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 0x0006
inline constexpr size_t kFilterTextSize = 256;

// Writes the filter pairs into filter (kFilterTextSize characters, cleared
// first): each string ends in a zero byte and the list in an extra one; the
// last byte always stays zero. Command file mode names the controller's
// description and extension. Returns the running position after the last string.
size_t BuildFilterText(char* filter, int csvMode, const char* description, const char* extension);

// Fills request for the owner (the main window) and the file kind: filter,
// initial directory (the current directory), default extension and instance.
// The filter, directory and extension live in buffers that each call rebuilds.
void BuildFileDialogRequest(HWND owner, OPENFILENAMEA* request, int csvMode);

// buffer holds MAX_PATH characters and the initial name; nonzero when the user
// confirmed a name, which is then in buffer as a full path.
BOOL ChooseFileToOpen(HWND owner, char* buffer, int csvMode);
BOOL ChooseFileToSave(HWND owner, char* buffer, int csvMode);

// The system dialogs the wrappers show; tests put recorders here.
extern BOOL(WINAPI* GetOpenFileNameFunction)(LPOPENFILENAMEA);
extern BOOL(WINAPI* GetSaveFileNameFunction)(LPOPENFILENAMEA);
