// Command file download: reads a ZPCL file and applies it line by line through
// the API library. The first line that cannot be executed stops the download
// with a message box naming the file, the line number and the line; the lines
// before it stay applied.
#pragma once
#include <windows.h>

namespace zqdlg {

// Largest command file read, in bytes.
constexpr unsigned long kMaxCommandFileSize = 1u << 20;

// 0 when every line was applied, else a kDlgErr code (after the message box).
int DownloadCommandFile(HWND owner, short handle, const char* fileName);

}  // namespace zqdlg
