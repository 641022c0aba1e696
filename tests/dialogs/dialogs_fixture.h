// The dialogs library as a program sees it: zqdlg32.dll and zqapi32.dll loaded
// by name from the test's folder, every export looked up once.
#pragma once
#include <windows.h>

#include <string>

#include "controller/zq_functions.h"
#include "zqdlg32.h"

struct DialogsLibrary {
    ZQDLG_Initialize_t* Initialize;
    ZQDLG_SelectController_t* SelectController;
    ZQDLG_ConfigureAxis_t* ConfigureAxis;
    ZQDLG_Scaling_t* Scaling;
    ZQDLG_RestoreAxis_t* RestoreAxis;
    ZQDLG_SaveAxis_t* SaveAxis;
    ZQDLG_DownloadFile_t* DownloadFile;
    ZQDLG_DescEx_t* CommandFileExt;
    ZQDLG_DescEx_t* ControllerDescEx;
    ZQDLG_DescEx_t* ModuleDescEx;
    ZQDLG_AboutBox_t* AboutBox;
    ZQDLG_ListControllers_t* ListControllers;
    ZQDLG_ControllerInfo_t* ControllerInfo;
    ZQDLG_ControllerDesc_t* ControllerDesc;
    ZQDLG_ModuleDesc_t* ModuleDesc;
    ZQDLG_SaveDigitalIO_t* SaveDigitalIO;
    ZQDLG_RestoreDigitalIO_t* RestoreDigitalIO;
};

struct ApiLibrary {
    ZqOpen_t* Open;
    ZqClose_t* Close;
    ZqReset_t* Reset;
    ZqGetConfigurationEx_t* GetConfigurationEx;
    ZqGetAxisConfiguration_t* GetAxisConfiguration;
    ZqMotion_t* GetMotionConfig;
    ZqMotion_t* SetMotionConfig;
    ZqFilter_t* GetFilterConfig;
    ZqFilter_t* SetFilterConfig;
    ZqScale_t* GetScale;
    ZqScale_t* SetScale;
    ZqGetDouble_t* GetGain;
    ZqSetDouble_t* SetGain;
    ZqGetInt_t* GetProfile;
    ZqSetInt_t* SetProfile;
};

// Loaded once per process; a missing name fails the calling test.
const DialogsLibrary& Dlg();
const ApiLibrary& Api();

// A controller of the simulated bench, open for the object's lifetime.
class OpenController {
public:
    explicit OpenController(int id);
    ~OpenController();
    short Handle() const { return handle_; }

private:
    short handle_;
};

// A visible top-level window to own dialogs, destroyed with the object.
class OwnerWindow {
public:
    OwnerWindow();
    ~OwnerWindow();
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

// Writes text to a fresh file in the temporary folder; returns its path.
std::string WriteTempFile(const std::string& name, const std::string& text);

// Sets the text of a dialog control, as typing would.
void SetItemText(HWND dialog, int id, const char* text);
std::string ItemText(HWND dialog, int id);

// Paints a window and its children completely, then saves its screenshot.
void Snapshot(HWND window, const std::string& name);
