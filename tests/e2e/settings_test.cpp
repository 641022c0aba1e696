// Loopsmith.exe run twice in one Wine prefix: the placement the first run
// leaves in the registry is what the second run shows, and the stored values
// read back the same through the registry API and through reg.exe.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "process.h"
#include "registry.h"
#include "responder.h"

namespace {

const char kKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith";

void DeleteSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

// Output of `reg.exe query HKCU\<key>`.
std::string RegQuery(const std::string& key) {
    std::string folder = MakeTempFolder("regquery");
    std::string out = folder + "\\out.txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = file;
    si.hStdError = file;
    PROCESS_INFORMATION pi = {};
    std::string command = "reg.exe query \"HKCU\\" + key + "\"";
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(file);
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value column of one line of reg.exe output, e.g. "0x32" for XPos.
std::string RegQueryValue(const std::string& output, const std::string& name, const std::string& type) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string n, t, v;
        if (words >> n >> t >> v && n == name && t == type) return v;
    }
    return {};
}

HWND StartAndWaitForMain(ProgramProcess& program) {
    EXPECT_TRUE(program.Started());
    return program.WaitWindow("Loopsmith", 30000);
}

TEST(SettingsAcrossRuns, PlacementSurvivesARestart) {
    DeleteSettings();
    std::string exe = BinFolder() + "\\Loopsmith.exe";
    {
        ProgramProcess first(exe, "");
        HWND main = StartAndWaitForMain(first);
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, nullptr, 50, 60, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(200);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitExit(30000), 0u);
    }
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "XPos").AsInt(), 50);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "YPos").AsInt(), 60);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Width").AsInt(), 800);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Height").AsInt(), 600);
    RegValue style = ReadRegValue(HKEY_CURRENT_USER, kKey, "PlotStyle");
    EXPECT_EQ(style.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(style.bytes.size(), 4u);

    std::string query = RegQuery(kKey);
    EXPECT_EQ(RegQueryValue(query, "XPos", "REG_DWORD"), "0x32") << query;
    EXPECT_EQ(RegQueryValue(query, "Width", "REG_DWORD"), "0x320") << query;
    EXPECT_EQ(RegQueryValue(query, "PlotStyle", "REG_BINARY"), "C5040000") << query;  // 1221, little-endian
    EXPECT_EQ(RegQueryValue(query, "Version", "REG_SZ"), "2.7.0.217") << query;
    EXPECT_EQ(RegQueryValue(query, "AuxiliaryScale", "REG_BINARY"), "000000000000F03F") << query;  // 1.0

    {
        ProgramProcess second(exe, "");
        HWND main = StartAndWaitForMain(second);
        ASSERT_NE(main, nullptr);
        RECT rc;
        GetWindowRect(main, &rc);
        EXPECT_EQ(rc.left, 50);
        EXPECT_EQ(rc.top, 60);
        EXPECT_EQ(rc.right - rc.left, 800);
        EXPECT_EQ(rc.bottom - rc.top, 600);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(second.WaitExit(30000), 0u);
    }
    DeleteSettings();
}

}  // namespace
