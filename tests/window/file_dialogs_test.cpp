// File name dialogs: the request for each file kind, the four menu commands
// that ask for a name, and the system dialog itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "file_dialog_recorder.h"
#include "files/file_dialogs.h"
#include "journal.h"
#include "process.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "temp_files.h"

namespace {

std::string Bytes(const char* text, size_t n) { return std::string(text, n); }

// The expected filter: the strings with their zero bytes, zeros up to 256.
std::string FilterOf(std::initializer_list<std::string> strings) {
    std::string f;
    for (const std::string& s : strings) f += s + '\0';
    f.resize(kFilterTextSize, '\0');
    return f;
}

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FreshFolder("dialogs");
        GetCurrentDirectoryA(MAX_PATH, previousDir);
        SetCurrentDirectoryA(folder.c_str());
        main = app.Start();
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        SetCurrentDirectoryA(previousDir);
        RemoveTree(folder);
    }

    std::string CurrentDir() {
        char dir[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, dir);
        return dir;
    }

    IsolatedRegistry registry;
    LoopsmithApp app;
    HWND main = nullptr;
    std::string folder;
    char previousDir[MAX_PATH] = {};
};

TEST_F(FileDialogs, TestDataRequest) {
    OPENFILENAMEA r;
    std::memset(&r, 0xCD, sizeof r);
    BuildFileDialogRequest(main, &r, 1);
    EXPECT_EQ(r.lStructSize, 88u);
    EXPECT_EQ(r.hwndOwner, main);
    EXPECT_EQ(r.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(Bytes(r.lpstrFilter, kFilterTextSize),
              FilterOf({"Comma Separated Value Files (*.csv)", "*.csv", "All files (*.*)", "*.*"}));
    EXPECT_EQ(r.nFilterIndex, 0u);
    EXPECT_EQ(r.nMaxFile, 260u);
    EXPECT_STREQ(r.lpstrInitialDir, CurrentDir().c_str());
    EXPECT_STREQ(r.lpstrDefExt, "csv");
    // Everything else stays zero: no custom filter, title, hook or template.
    OPENFILENAMEA rest = r;
    rest.lStructSize = 0;
    rest.hwndOwner = nullptr;
    rest.hInstance = nullptr;
    rest.lpstrFilter = nullptr;
    rest.nMaxFile = 0;
    rest.lpstrInitialDir = nullptr;
    rest.lpstrDefExt = nullptr;
    OPENFILENAMEA zero = {};
    EXPECT_EQ(std::memcmp(&rest, &zero, sizeof zero), 0);
}

TEST_F(FileDialogs, CommandFileRequestNamesTheControllersTypeAndExtension) {
    Journal journal("dialogs-command");
    short h = app.State().ControllerHandle;
    ControllerConfig config = {};
    config.Size = kControllerConfigSize;
    ZqGetConfigurationEx(h, &config);
    char description[32] = {}, extension[16] = {};
    ZQDLG_ControllerDescEx(config.ControllerType, 1, description, 32);
    ZQDLG_CommandFileExt(config.ControllerType, 0, extension, 16);
    ASSERT_NE(extension[0], 0);
    journal.Mark();

    OPENFILENAMEA r;
    BuildFileDialogRequest(main, &r, 0);
    EXPECT_EQ(Bytes(r.lpstrFilter, kFilterTextSize),
              FilterOf({std::string(description) + " Files (*." + extension + ")", std::string("*.") + extension,
                        "All files (*.*)", "*.*"}));
    EXPECT_STREQ(r.lpstrDefExt, extension);
    EXPECT_EQ(r.Flags, 0u);
    std::string type = std::to_string(config.ControllerType);
    // Calls the dialogs library makes inside its own functions are left out.
    auto calls = Journal::Filter(journal.Since(), {"ZqGetConfigurationEx", "ZQDLG_ControllerDescEx", "ZQDLG_CommandFileExt"});
    EXPECT_EQ(calls, (std::vector<std::string>{
                                   "ZqGetConfigurationEx(" + std::to_string(h) + ", &)",
                                   "ZQDLG_ControllerDescEx(" + type + ", 1, &, 32)",
                                   "ZQDLG_CommandFileExt(" + type + ", 0, &, 16)",
                               }));
}

TEST(FileDialogFilter, LongestLibraryTextsStayInsideTheBuffer) {
    char filter[kFilterTextSize];
    std::memset(filter, 'x', sizeof filter);
    std::string description(31, 'D'), extension(15, 'e');
    size_t end = BuildFilterText(filter, 0, description.c_str(), extension.c_str());
    EXPECT_EQ(Bytes(filter, kFilterTextSize),
              FilterOf({description + " Files (*." + extension + ")", "*." + extension, "All files (*.*)", "*.*"}));
    EXPECT_EQ(end, 58u + 18u + 16u + 4u);
    EXPECT_EQ(BuildFilterText(filter, 0, "", ""), 12u + 3u + 16u + 4u);
    EXPECT_EQ(Bytes(filter, 36), Bytes(" Files (*.)\0*.\0All files (*.*)\0*.*\0", 36));
}

TEST_F(FileDialogs, MenuCommandsAskWithTheirModeFlagsAndInitialName) {
    struct Case {
        int command;
        bool save;
        bool csv;
        const char* initialName;
    } cases[] = {
        {IDM_OPEN, false, true, "*.csv"},
        {IDM_SAVE_AS, true, true, ""},
        {IDM_IMPORT_ZPCL, false, false, ""},
        {IDM_EXPORT_ZPCL, true, false, ""},
    };
    Journal journal("dialogs-cancel");
    FileDialogRecorder recorder;
    recorder.Cancel();
    Responder responder;
    app.State().TestDone = 1;
    for (const Case& c : cases) {
        journal.Mark();
        app.Command(c.command);
        ASSERT_EQ(recorder.Calls().size(), static_cast<size_t>(&c - cases + 1));
        const FileDialogCall& call = recorder.Calls().back();
        EXPECT_EQ(call.save, c.save) << c.command;
        EXPECT_EQ(call.request.Flags, c.save ? 0x0006u : 0x2004u) << c.command;
        EXPECT_EQ(call.initialName, c.initialName) << c.command;
        EXPECT_EQ(call.request.nMaxFile, 260u);
        EXPECT_EQ(call.defaultExt == "csv", c.csv) << c.command;
        EXPECT_EQ(call.filter[0] == 'C', c.csv) << c.command;
        // A cancelled dialog changes nothing: no download, no reopen, no file.
        EXPECT_TRUE(Journal::Filter(journal.Since(), {"ZqReopen", "ZQDLG_DownloadFile"}).empty()) << c.command;
    }
    EXPECT_EQ(app.State().Modified, 0);
    EXPECT_TRUE(responder.Records().empty());
    EXPECT_TRUE(FolderEntries(folder).empty());
}

// The system dialog: the typed name gets the default extension, the folder
// becomes the current one, and an existing file is replaced only after asking.
TEST_F(FileDialogs, SystemSaveDialogAddsCsvAndAsksBeforeReplacing) {
    Responder responder;
    // Types the name into the dialog's name box and presses Save; a dialog that
    // stays open (the replace question was answered No) is then cancelled.
    auto typeName = [](const char* name) {
        return [name](HWND dialog) {
            SaveWindowScreenshot(dialog, "save_test_data_dialog");
            HWND box = GetDlgItem(dialog, 0x47c);
            HWND edit = FindWindowExA(FindWindowExA(box, nullptr, "ComboBox", nullptr), nullptr, "Edit", nullptr);
            SetWindowTextA(edit ? edit : box, name);
            PressButton(dialog, IDOK);
            if (IsWindow(dialog)) PressButton(dialog, IDCANCEL);
        };
    };
    responder.Handle(typeName("run7"));
    char name[MAX_PATH] = {};
    ASSERT_TRUE(ChooseFileToSave(main, name, 1));
    EXPECT_EQ(std::string(name), folder + "\\run7.csv");

    // Now that the file exists the dialog asks before replacing it.
    HANDLE f = CreateFileA((folder + "\\run7.csv").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    responder.ClearRecords();
    responder.Handle(typeName("run7"));
    responder.Press(IDNO);
    name[0] = 0;
    EXPECT_FALSE(ChooseFileToSave(main, name, 1));
    ASSERT_GE(responder.Records().size(), 2u);
    EXPECT_TRUE(responder.Records()[1].messageBox);
    EXPECT_NE(responder.Records()[1].text.find("exists"), std::string::npos) << responder.Records()[1].text;
}

}  // namespace
