// The dialogs library's exported functions: each writes its line to the call
// journal and hands the work to the feature that does it.
#include <windows.h>

#include "axis_store.h"
#include "controllers.h"
#include "controls.h"
#include "descriptions.h"
#include "dialog_util.h"
#include "dialogs.h"
#include "download.h"
#include "controller/zq_functions.h"
#include "libs/common/journal.h"
#include "zqdlg32.h"

#define ZQEXPORT extern "C" __declspec(dllexport)

extern "C" {
ZQDLG_Initialize_t ZQDLG_Initialize;
ZQDLG_SelectController_t ZQDLG_SelectController;
ZQDLG_ConfigureAxis_t ZQDLG_ConfigureAxis;
ZQDLG_Scaling_t ZQDLG_Scaling;
ZQDLG_RestoreAxis_t ZQDLG_RestoreAxis;
ZQDLG_SaveAxis_t ZQDLG_SaveAxis;
ZQDLG_DownloadFile_t ZQDLG_DownloadFile;
ZQDLG_DescEx_t ZQDLG_CommandFileExt;
ZQDLG_DescEx_t ZQDLG_ControllerDescEx;
ZQDLG_DescEx_t ZQDLG_ModuleDescEx;
ZQDLG_AboutBox_t ZQDLG_AboutBox;
ZQDLG_ListControllers_t ZQDLG_ListControllers;
ZQDLG_ControllerInfo_t ZQDLG_ControllerInfo;
ZQDLG_ControllerDesc_t ZQDLG_ControllerDesc;
ZQDLG_ModuleDesc_t ZQDLG_ModuleDesc;
ZQDLG_SaveDigitalIO_t ZQDLG_SaveDigitalIO;
ZQDLG_RestoreDigitalIO_t ZQDLG_RestoreDigitalIO;
}

using namespace zqdlg;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetInstance(instance);
    return TRUE;
}

ZQEXPORT int __stdcall ZQDLG_Initialize(void) {
    zqjournal::Line("ZQDLG_Initialize", ZQJOURNAL_CALLER());
    return RegisterControlClasses(Instance()) ? kDlgOk : kDlgErrBadArgument;
}

ZQEXPORT int __stdcall ZQDLG_SelectController(HWND owner, int current, int reserved1, int reserved2) {
    zqjournal::Line("ZQDLG_SelectController", ZQJOURNAL_CALLER()).Window(owner).Int(current).Int(reserved1).Int(reserved2);
    return RunSelectController(owner, current);
}

ZQEXPORT int __stdcall ZQDLG_ConfigureAxis(HWND owner, short handle, unsigned short axis, int reserved1,
                                           int reserved2) {
    zqjournal::Line("ZQDLG_ConfigureAxis", ZQJOURNAL_CALLER()).Window(owner).Int(handle).Int(axis).Int(reserved1).Int(reserved2);
    return RunConfigureAxis(owner, handle, axis);
}

ZQEXPORT int __stdcall ZQDLG_Scaling(HWND owner, short handle, unsigned short axis, int mode, int reserved) {
    zqjournal::Line("ZQDLG_Scaling", ZQJOURNAL_CALLER()).Window(owner).Int(handle).Int(axis).Int(mode).Int(reserved);
    return RunScaling(owner, handle, axis, mode);
}

ZQEXPORT int __stdcall ZQDLG_RestoreAxis(short handle, int axis, int opening, int reserved) {
    zqjournal::Line("ZQDLG_RestoreAxis", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(opening).Int(reserved);
    return RestoreAxisSettings(handle, axis);
}

ZQEXPORT int __stdcall ZQDLG_SaveAxis(short handle, int axis, int reserved1, int reserved2) {
    zqjournal::Line("ZQDLG_SaveAxis", ZQJOURNAL_CALLER()).Int(handle).Int(axis).Int(reserved1).Int(reserved2);
    int r = SaveAxisSettings(handle, axis);
    // Settings that could not be stored would be lost without a word.
    if (r == kDlgErrRegistry)
        MessageBoxA(GetActiveWindow(), "The axis settings could not be saved in the registry.", "Save Axis Settings",
                    MB_OK | MB_ICONERROR);
    return r;
}

ZQEXPORT int __stdcall ZQDLG_DownloadFile(HWND owner, short handle, int reserved, const char* file) {
    zqjournal::Line("ZQDLG_DownloadFile", ZQJOURNAL_CALLER()).Window(owner).Int(handle).Int(reserved).Str(file);
    return DownloadCommandFile(owner, handle, file);
}

ZQEXPORT int __stdcall ZQDLG_CommandFileExt(int type, int form, char* buffer, int size) {
    zqjournal::Line("ZQDLG_CommandFileExt", ZQJOURNAL_CALLER()).Int(type).Int(form).Ptr(buffer).Int(size);
    int r = FillText(CommandFileExtension(type), buffer, size);
    return r == 0 && !ControllerDescription(type, kDescShort) ? kDlgErrUnknownType : r;
}

ZQEXPORT int __stdcall ZQDLG_ControllerDescEx(int type, int form, char* buffer, int size) {
    zqjournal::Line("ZQDLG_ControllerDescEx", ZQJOURNAL_CALLER()).Int(type).Int(form).Ptr(buffer).Int(size);
    return FillDescription(ControllerDescription(type, form), buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_ModuleDescEx(int type, int form, char* buffer, int size) {
    zqjournal::Line("ZQDLG_ModuleDescEx", ZQJOURNAL_CALLER()).Int(type).Int(form).Ptr(buffer).Int(size);
    return FillDescription(ModuleDescription(type, form), buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_ControllerDesc(int type, char* buffer, int size) {
    zqjournal::Line("ZQDLG_ControllerDesc", ZQJOURNAL_CALLER()).Int(type).Ptr(buffer).Int(size);
    return FillDescription(ControllerDescription(type, kDescLong), buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_ModuleDesc(int type, char* buffer, int size) {
    zqjournal::Line("ZQDLG_ModuleDesc", ZQJOURNAL_CALLER()).Int(type).Ptr(buffer).Int(size);
    return FillDescription(ModuleDescription(type, kDescLong), buffer, size);
}

ZQEXPORT int __stdcall ZQDLG_AboutBox(HWND owner, const char* program, int reserved) {
    zqjournal::Line("ZQDLG_AboutBox", ZQJOURNAL_CALLER()).Window(owner).Str(program).Int(reserved);
    return RunAboutBox(owner, program);
}

ZQEXPORT int __stdcall ZQDLG_ListControllers(int* ids, int capacity) {
    zqjournal::Line("ZQDLG_ListControllers", ZQJOURNAL_CALLER()).Ptr(ids).Int(capacity);
    if (capacity < 0 || (!ids && capacity > 0)) return kDlgErrBadArgument;
    std::vector<ControllerEntry> found = FindControllers();
    for (size_t i = 0; i < found.size() && static_cast<int>(i) < capacity; ++i) ids[i] = found[i].id;
    return static_cast<int>(found.size());
}

ZQEXPORT int __stdcall ZQDLG_ControllerInfo(int id, int* type, int* axes, char* description, int size) {
    zqjournal::Line("ZQDLG_ControllerInfo", ZQJOURNAL_CALLER()).Int(id).Ptr(type).Ptr(axes).Ptr(description).Int(size);
    if (description && size > 0) description[0] = '\0';
    ControllerEntry entry;
    int r = ProbeController(id, entry);
    if (r != 0) return r;
    if (type) *type = entry.type;
    if (axes) *axes = entry.axes;
    if (!description) return 0;
    return FillDescription(ControllerDescription(entry.type, kDescLong), description, size);
}

ZQEXPORT int __stdcall ZQDLG_SaveDigitalIO(short handle, int reserved1, int reserved2, int reserved3) {
    zqjournal::Line("ZQDLG_SaveDigitalIO", ZQJOURNAL_CALLER()).Int(handle).Int(reserved1).Int(reserved2).Int(reserved3);
    return kDlgErrNoDigitalIO;
}

ZQEXPORT int __stdcall ZQDLG_RestoreDigitalIO(short handle, int reserved1, int reserved2, int reserved3) {
    zqjournal::Line("ZQDLG_RestoreDigitalIO", ZQJOURNAL_CALLER()).Int(handle).Int(reserved1).Int(reserved2).Int(reserved3);
    return kDlgErrNoDigitalIO;
}
