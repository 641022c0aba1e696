// Start-up with a controller library that is missing or lacks a name: the
// version message, nothing else, and exit code 0.
#include <gtest/gtest.h>

#include "process.h"
#include "responder.h"

namespace {

struct LoaderCase {
    const char* label;
    const char* api;      // file to copy as zqapi32.dll, relative to bin; null: none
    const char* dialogs;  // file to copy as zqdlg32.dll; null: none
};

class LoaderFailure : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(LoaderFailure, ShowsVersionMessageAndExitsWithZero) {
    const LoaderCase& c = GetParam();
    std::string bin = BinFolder();
    std::string folder = MakeTempFolder(c.label);
    ASSERT_TRUE(CopyInto(bin + "\\Loopsmith.exe", folder));
    ASSERT_TRUE(CopyInto(bin + "\\plotwin.dll", folder));
    if (c.api) {
        ASSERT_TRUE(CopyInto(bin + "\\" + c.api, folder, "zqapi32.dll"));
    }
    if (c.dialogs) {
        ASSERT_TRUE(CopyInto(bin + "\\" + c.dialogs, folder, "zqdlg32.dll"));
    }

    ProgramProcess program(folder + "\\Loopsmith.exe", "", folder);
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitWindow("#32770", 60000);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    // The icon is read from the screen: give a busy machine time to paint it.
    DialogRecord r = DescribeDialog(box);
    for (int i = 0; i < 50 && (r.style & MB_ICONMASK) == 0; ++i) {
        Sleep(100);
        r = DescribeDialog(box);
    }
    EXPECT_EQ(r.caption, "Loopsmith");
    EXPECT_EQ(r.text, "This application requires version 350\nor later of the Zephmill Dialogs!");
    EXPECT_EQ(r.style, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(r.owner, nullptr);
    // The message box is the only window the program shows.
    EXPECT_EQ(program.TopWindows().size(), 1u);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(program.WaitExit(60000), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, LoaderFailure,
    ::testing::Values(LoaderCase{"no_api", nullptr, "zqdlg32.dll"},
                      LoaderCase{"no_dialogs", "zqapi32.dll", nullptr},
                      LoaderCase{"api_lacks_name", "variants\\lacking_api\\zqapi32.dll", "zqdlg32.dll"},
                      LoaderCase{"dialogs_lack_name", "zqapi32.dll", "variants\\lacking_dialogs\\zqdlg32.dll"}),
    [](const ::testing::TestParamInfo<LoaderCase>& info) { return std::string(info.param.label); });

}  // namespace
