// Command files. First version: import only.
#include "command_file.h"

#include "../controller/zq_library.h"

int ExportCommandFile(short, const char*) { return 0; }

void ImportCommandFile(HWND mainWindow, short handle, const char* fileName) {
    ZqReopen(handle, 1);
    ZQDLG_DownloadFile(mainWindow, handle, 0, fileName);
    ZqReopen(handle, 1);
}
