// Print job: the one-page test report sent to a chosen printer, with a
// modeless "Printing" dialog to cancel it while it spools.
#pragma once
#include <windows.h>
#include <commdlg.h>

// Prints the report; 0 when printed or when the print dialog was cancelled,
// otherwise the GetLastError code of the printing call that failed.
DWORD PrintTestReport(HWND mainWindow);

BOOL CALLBACK PrintAbortProc(HDC dc, int code);
INT_PTR CALLBACK PrintCancelDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Job state, program-wide.
extern int UserAbort;
extern HWND CancelDialog;

// The printer dialog; replaced only by tests.
extern BOOL (WINAPI *PrintDlgFunction)(LPPRINTDLGA request);
