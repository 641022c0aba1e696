// Loading the dialogs and API libraries for the dialogs tests (see dialogs_fixture.h).
#include "dialogs_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "responder.h"
#include "screenshot.h"

namespace {

template <typename F>
void Bind(HMODULE module, const char* name, F*& pointer) {
    pointer = reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!pointer) ADD_FAILURE() << "missing export " << name;
}

}  // namespace

const DialogsLibrary& Dlg() {
    static DialogsLibrary d = [] {
        DialogsLibrary x{};
        HMODULE m = LoadLibraryA("zqdlg32.dll");
        if (!m) { ADD_FAILURE() << "zqdlg32.dll cannot be loaded"; return x; }
        Bind(m, "ZQDLG_Initialize", x.Initialize);
        Bind(m, "ZQDLG_SelectController", x.SelectController);
        Bind(m, "ZQDLG_ConfigureAxis", x.ConfigureAxis);
        Bind(m, "ZQDLG_Scaling", x.Scaling);
        Bind(m, "ZQDLG_RestoreAxis", x.RestoreAxis);
        Bind(m, "ZQDLG_SaveAxis", x.SaveAxis);
        Bind(m, "ZQDLG_DownloadFile", x.DownloadFile);
        Bind(m, "ZQDLG_CommandFileExt", x.CommandFileExt);
        Bind(m, "ZQDLG_ControllerDescEx", x.ControllerDescEx);
        Bind(m, "ZQDLG_ModuleDescEx", x.ModuleDescEx);
        Bind(m, "ZQDLG_AboutBox", x.AboutBox);
        Bind(m, "ZQDLG_ListControllers", x.ListControllers);
        Bind(m, "ZQDLG_ControllerInfo", x.ControllerInfo);
        Bind(m, "ZQDLG_ControllerDesc", x.ControllerDesc);
        Bind(m, "ZQDLG_ModuleDesc", x.ModuleDesc);
        Bind(m, "ZQDLG_SaveDigitalIO", x.SaveDigitalIO);
        Bind(m, "ZQDLG_RestoreDigitalIO", x.RestoreDigitalIO);
        return x;
    }();
    return d;
}

const ApiLibrary& Api() {
    static ApiLibrary a = [] {
        ApiLibrary x{};
        HMODULE m = LoadLibraryA("zqapi32.dll");
        if (!m) { ADD_FAILURE() << "zqapi32.dll cannot be loaded"; return x; }
        Bind(m, "ZqOpen", x.Open);
        Bind(m, "ZqClose", x.Close);
        Bind(m, "ZqReset", x.Reset);
        Bind(m, "ZqGetConfigurationEx", x.GetConfigurationEx);
        Bind(m, "ZqGetAxisConfiguration", x.GetAxisConfiguration);
        Bind(m, "ZqGetMotionConfig", x.GetMotionConfig);
        Bind(m, "ZqSetMotionConfig", x.SetMotionConfig);
        Bind(m, "ZqGetFilterConfig", x.GetFilterConfig);
        Bind(m, "ZqSetFilterConfig", x.SetFilterConfig);
        Bind(m, "ZqGetScale", x.GetScale);
        Bind(m, "ZqSetScale", x.SetScale);
        Bind(m, "ZqGetGain", x.GetGain);
        Bind(m, "ZqSetGain", x.SetGain);
        Bind(m, "ZqGetProfile", x.GetProfile);
        Bind(m, "ZqSetProfile", x.SetProfile);
        return x;
    }();
    return a;
}

OpenController::OpenController(int id) : handle_(Api().Open(id, 2, "")) {
    EXPECT_GT(handle_, 0) << "controller " << id << " does not open";
}

OpenController::~OpenController() {
    if (handle_ > 0) Api().Close(handle_);
}

OwnerWindow::OwnerWindow() {
    window_ = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640, 480, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
}

OwnerWindow::~OwnerWindow() { DestroyWindow(window_); }

std::string WriteTempFile(const std::string& name, const std::string& text) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "zqdlg_" + std::to_string(GetCurrentProcessId()) + "_" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) { ADD_FAILURE() << "cannot write " << path; return path; }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

void SetItemText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

std::string ItemText(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Snapshot(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(400);
    SaveWindowScreenshot(window, name);
}
