// The installer built by `make package`, run as a user would in the test
// prefix: silent install into Program Files, the installed program started to
// its main window and closed, silent uninstall. The uninstaller removes the
// program folder, the shortcut and its registration, and keeps the user's
// settings and test history.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "process.h"
#include "screenshot.h"
#include "resources/version.h"
#include "temp_files.h"

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Loopsmith";
const char kSettingsKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith";

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadString(HKEY root, const char* key, const char* name) {
    char value[512] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
    return value;
}

bool KeyExists(HKEY root, const char* key) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::string SetupPath() { return BinFolder() + "\\..\\dist\\Loopsmith-" LOOPSMITH_VERSION_TEXT "-setup.exe"; }

struct EditSearch { std::vector<std::string> texts; };
BOOL CALLBACK CollectEdits(HWND child, LPARAM lParam) {
    char cls[32] = {}, text[MAX_PATH] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Edit") == 0 && IsWindowVisible(child)) {
        // Another process's edit answers WM_GETTEXT; GetWindowText gives only its caption.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                            &ignored);
        reinterpret_cast<EditSearch*>(lParam)->texts.push_back(text);
    }
    return TRUE;
}

// The installer's own windows as a user sees them: the welcome page with the
// version in its caption, then the folder page offering Program Files\Loopsmith.
// Cancel leaves nothing installed.
TEST(Package, InstallerAsksForTheFolderUnderProgramFiles) {
    const std::string folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Loopsmith";
    ASSERT_TRUE(Exists(SetupPath())) << SetupPath() << " is missing: `make package` builds it";
    const bool installedBefore = Exists(folder);  // left by an interrupted run
    ProgramProcess installer(SetupPath(), "");
    ASSERT_TRUE(installer.Started());
    HWND wizard = installer.WaitWindow(nullptr, 60000);
    ASSERT_NE(wizard, nullptr);
    Sleep(1500);
    char caption[128] = {};
    GetWindowTextA(wizard, caption, sizeof caption);
    EXPECT_EQ(std::string(caption), "Loopsmith " LOOPSMITH_VERSION_TEXT " Setup");
    EXPECT_FALSE(SaveWindowScreenshot(wizard, "installer_welcome").empty());
    PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(wizard, IDOK)));
    EditSearch edits;
    // The folder page is built after the click; its edit may show up empty first.
    for (int waited = 0; waited < 30000; waited += 250) {
        Sleep(250);
        edits.texts.clear();
        EnumChildWindows(wizard, CollectEdits, reinterpret_cast<LPARAM>(&edits));
        if (!edits.texts.empty() && !edits.texts.front().empty()) break;
    }
    Sleep(500);
    edits.texts.clear();
    EnumChildWindows(wizard, CollectEdits, reinterpret_cast<LPARAM>(&edits));
    EXPECT_EQ(edits.texts, (std::vector<std::string>{folder}));
    EXPECT_FALSE(SaveWindowScreenshot(wizard, "installer_folder").empty());
    PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(wizard, IDCANCEL)));
    EXPECT_NE(installer.WaitExit(30000), static_cast<DWORD>(STILL_ACTIVE));
    if (!installedBefore) EXPECT_FALSE(Exists(folder));
}

TEST(Package, SilentInstallRunsTheProgramAndSilentUninstallRemovesIt) {
    const std::string setup = SetupPath();
    ASSERT_TRUE(Exists(setup)) << setup << " is missing: `make package` builds it";
    const std::string folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Loopsmith";
    const std::string shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Loopsmith.lnk";

    {
        ProgramProcess installer(setup, "/S");
        ASSERT_TRUE(installer.Started());
        ASSERT_EQ(installer.WaitExit(180000), 0u);
    }
    // The program, its libraries, the guide and the uninstaller; no test programs.
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"Loopsmith.exe", "Uninstall.exe", "help",
                                                               "plotwin.dll", "zqapi32.dll", "zqdlg32.dll"}));
    EXPECT_TRUE(Exists(folder + "\\help\\index.html"));
    EXPECT_TRUE(Exists(folder + "\\help\\pid-slider-setup.html"));
    EXPECT_TRUE(Exists(shortcut)) << shortcut;
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), LOOPSMITH_VERSION_TEXT);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              "\"" + folder + "\\Uninstall.exe\"");

    // A first start: no settings yet, so the program opens the bench's controller 0.
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    {
        ProgramProcess program(folder + "\\Loopsmith.exe", "");
        ASSERT_TRUE(program.Started());
        HWND main = program.WaitWindow("Loopsmith", 60000);
        ASSERT_NE(main, nullptr) << "the installed program showed no main window";
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitExit(60000), 0u);
    }
    // The closed program stored its settings with the version it carries.
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kSettingsKey, "Version"), LOOPSMITH_VERSION_TEXT);

    // A test history the user collected meanwhile.
    const std::string history = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Loopsmith\\History";
    SHCreateDirectoryExA(nullptr, history.c_str(), nullptr);
    WriteAll(history + "\\package_test.csv", "kept\r\n");

    {
        ProgramProcess uninstaller(folder + "\\Uninstall.exe", "/S");
        ASSERT_TRUE(uninstaller.Started());
        EXPECT_EQ(uninstaller.WaitExit(60000), 0u);
    }
    // The uninstaller finishes from a copy of itself in the temporary folder:
    // wait until the folder, the shortcut and the registration are all gone.
    for (int waited = 0; (Exists(folder) || Exists(shortcut) || KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) &&
                         waited < 60000;
         waited += 250)
        Sleep(250);
    EXPECT_FALSE(Exists(folder)) << folder;
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kSettingsKey, "Version"), LOOPSMITH_VERSION_TEXT);
    EXPECT_EQ(ReadAll(history + "\\package_test.csv"), "kept\r\n");
    DeleteFileA((history + "\\package_test.csv").c_str());
}

}  // namespace
