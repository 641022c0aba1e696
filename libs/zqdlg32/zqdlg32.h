// The dialogs library's own interface beyond the functions the program binds
// (controller/zq_functions.h): result codes and the functions only other
// callers use. All functions are stdcall and exported under their plain names.
#pragma once
#include <windows.h>

// Result codes. 0 is success; a dialog the user cancelled returns
// kDlgCancelled (ZQDLG_SelectController: a negative value).
enum ZqdlgResult {
    kDlgOk = 0,
    kDlgCancelled = 1,
    kDlgErrBadArgument = -101,     // null pointer, size < 1 or a value out of range
    kDlgErrBufferTooSmall = -102,  // text cut to fit the caller's buffer
    kDlgErrUnknownType = -103,     // controller or module type not known: "Unknown"
    kDlgErrNoApiLibrary = -104,    // zqapi32.dll or one of its functions is missing
    kDlgErrController = -105,      // the controller refused a call (closed handle, ...)
    kDlgErrFile = -106,            // a command file that cannot be opened or read
    kDlgErrCommandLine = -107,     // a command file line that cannot be executed
    kDlgErrNoSettings = -108,      // nothing saved for this controller or axis
    kDlgErrRegistry = -109,        // the settings store cannot be written
    kDlgErrNoDigitalIO = -110,     // the controller has no digital inputs or outputs
};

// Ids of the controllers that can be opened, in ascending order: up to
// capacity ids are written to ids; the result is how many there are
// (kDlgErrBadArgument for a null ids with capacity > 0 or a negative capacity).
typedef int __stdcall ZQDLG_ListControllers_t(int* ids, int capacity);
// Type, number of axes and description of controller id. Returns 0, or the
// open error code of the controller; description always terminated.
typedef int __stdcall ZQDLG_ControllerInfo_t(int id, int* type, int* axes, char* description, int size);
// Description texts, the long form (as the Ex functions with form 1).
typedef int __stdcall ZQDLG_ControllerDesc_t(int type, char* buffer, int size);
typedef int __stdcall ZQDLG_ModuleDesc_t(int type, char* buffer, int size);
// Digital I/O settings: the simulated controllers have none (kDlgErrNoDigitalIO).
typedef int __stdcall ZQDLG_SaveDigitalIO_t(short handle, int reserved1, int reserved2, int reserved3);
typedef int __stdcall ZQDLG_RestoreDigitalIO_t(short handle, int reserved1, int reserved2, int reserved3);
