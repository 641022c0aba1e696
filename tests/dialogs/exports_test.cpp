// The dialogs library's exports called as a program calls them: description
// texts, controller lists, digital I/O, bad arguments, and one journal line
// per call.
#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <functional>
#include <thread>

#include "dialogs_fixture.h"
#include "journal.h"
#include "responder.h"

namespace {

TEST(Exports, DescriptionsFitTheCallersBufferAndAlwaysEnd) {
    struct Case { ZQDLG_DescEx_t* DialogsLibrary::*function; int type; int form; int size; const char* text; int result; };
    const Case cases[] = {
        {&DialogsLibrary::ControllerDescEx, 6, 1, 32, "ZM-6 Floating Point Servo", 0},
        {&DialogsLibrary::ControllerDescEx, 4, 1, 256, "ZM-4 Fixed Point Servo", 0},
        {&DialogsLibrary::ControllerDescEx, 8, 1, 32, "ZM-8 Multiplexed Servo", 0},
        {&DialogsLibrary::ControllerDescEx, 6, 0, 32, "ZM-6", 0},
        {&DialogsLibrary::ControllerDescEx, 6, 1, 5, "ZM-6", kDlgErrBufferTooSmall},
        {&DialogsLibrary::ControllerDescEx, 99, 1, 32, "Unknown", kDlgErrUnknownType},
        {&DialogsLibrary::ControllerDescEx, -1, 1, 4, "Unk", kDlgErrBufferTooSmall},
        {&DialogsLibrary::ModuleDescEx, 1, 1, 32, "SV-1 Servo", 0},
        {&DialogsLibrary::ModuleDescEx, 2, 1, 256, "ST-2 Stepper", 0},
        {&DialogsLibrary::ModuleDescEx, 0, 1, 32, "Unknown", kDlgErrUnknownType},
        {&DialogsLibrary::ModuleDescEx, 2, 1, 1, "", kDlgErrBufferTooSmall},
        {&DialogsLibrary::CommandFileExt, 6, 0, 16, "zpc", 0},
        {&DialogsLibrary::CommandFileExt, 4, 0, 16, "zpc", 0},
        {&DialogsLibrary::CommandFileExt, 99, 0, 16, "zpc", kDlgErrUnknownType},
        {&DialogsLibrary::CommandFileExt, 6, 0, 3, "zp", kDlgErrBufferTooSmall},
    };
    for (const Case& c : cases) {
        char buffer[300];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ((Dlg().*c.function)(c.type, c.form, buffer, c.size), c.result) << c.text;
        EXPECT_STREQ(buffer, c.text);
        for (size_t i = static_cast<size_t>(c.size); i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], '#') << c.text;
    }
    char untouched = '#';
    EXPECT_EQ(Dlg().ControllerDescEx(6, 1, nullptr, 32), kDlgErrBadArgument);
    EXPECT_EQ(Dlg().ModuleDescEx(1, 1, &untouched, 0), kDlgErrBadArgument);
    EXPECT_EQ(Dlg().CommandFileExt(6, 0, &untouched, -16), kDlgErrBadArgument);
    EXPECT_EQ(untouched, '#');

    char buffer[32];
    EXPECT_EQ(Dlg().ControllerDesc(6, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "ZM-6 Floating Point Servo");
    EXPECT_EQ(Dlg().ModuleDesc(7, buffer, sizeof buffer), kDlgErrUnknownType);
    EXPECT_STREQ(buffer, "Unknown");
}

TEST(Exports, ListAndDescribeTheControllersThatOpen) {
    int ids[16];
    std::memset(ids, -1, sizeof ids);
    ASSERT_EQ(Dlg().ListControllers(ids, 16), 3);
    EXPECT_EQ(ids[0], 0);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ids[2], 2);
    EXPECT_EQ(ids[3], -1);
    EXPECT_EQ(Dlg().ListControllers(ids, 1), 3);  // counts all, writes what fits
    EXPECT_EQ(Dlg().ListControllers(nullptr, 0), 3);
    EXPECT_EQ(Dlg().ListControllers(nullptr, 4), kDlgErrBadArgument);
    EXPECT_EQ(Dlg().ListControllers(ids, -1), kDlgErrBadArgument);

    int type = 0, axes = 0;
    char text[64];
    EXPECT_EQ(Dlg().ControllerInfo(0, &type, &axes, text, sizeof text), 0);
    EXPECT_EQ(type, 6);
    EXPECT_EQ(axes, 4);
    EXPECT_STREQ(text, "ZM-6 Floating Point Servo");
    EXPECT_EQ(Dlg().ControllerInfo(1, &type, &axes, text, sizeof text), 0);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(axes, 2);
    EXPECT_STREQ(text, "ZM-4 Fixed Point Servo");
    EXPECT_EQ(Dlg().ControllerInfo(2, &type, &axes, text, sizeof text), 0);
    EXPECT_EQ(type, 6);
    EXPECT_EQ(axes, 2);
    EXPECT_STREQ(text, "ZM-6 Floating Point Servo");
    EXPECT_LT(Dlg().ControllerInfo(7, &type, &axes, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(Dlg().ControllerInfo(0, nullptr, nullptr, nullptr, 0), 0);
}

TEST(Exports, ControllerProbesLeaveTheCallersHandleOpen) {
    OpenController c0(0);
    int ids[4];
    Dlg().ListControllers(ids, 4);
    ControllerConfig config{};
    config.Size = kControllerConfigSize;
    EXPECT_EQ(Api().GetConfigurationEx(c0.Handle(), &config), 0);
    EXPECT_EQ(config.NumberAxes, 4);
}

TEST(Exports, NoDigitalIOOnTheSimulatedControllers) {
    OpenController c0(0);
    EXPECT_EQ(Dlg().SaveDigitalIO(c0.Handle(), 0, 0, 0), kDlgErrNoDigitalIO);
    EXPECT_EQ(Dlg().RestoreDigitalIO(c0.Handle(), 0, 0, 0), kDlgErrNoDigitalIO);
}

TEST(Exports, EveryCallWritesOneJournalLine) {
    Journal journal("dialogs_exports");
    char buffer[32];
    int ids[2];
    struct Case { std::function<void()> call; const char* line; };
    const Case cases[] = {
        {[] { Dlg().Initialize(); }, "ZQDLG_Initialize()"},
        {[&] { Dlg().ControllerDescEx(6, 1, buffer, 32); }, "ZQDLG_ControllerDescEx(6, 1, &, 32)"},
        {[&] { Dlg().ModuleDescEx(2, 1, buffer, 256); }, "ZQDLG_ModuleDescEx(2, 1, &, 256)"},
        {[&] { Dlg().CommandFileExt(6, 0, nullptr, 16); }, "ZQDLG_CommandFileExt(6, 0, null, 16)"},
        {[&] { Dlg().ControllerDesc(4, buffer, 32); }, "ZQDLG_ControllerDesc(4, &, 32)"},
        {[&] { Dlg().ModuleDesc(1, buffer, 32); }, "ZQDLG_ModuleDesc(1, &, 32)"},
        {[&] { Dlg().ListControllers(ids, 2); }, "ZQDLG_ListControllers(&, 2)"},
        {[&] { Dlg().ControllerInfo(3, nullptr, nullptr, buffer, 32); }, "ZQDLG_ControllerInfo(3, null, null, &, 32)"},
        {[] { Dlg().SaveDigitalIO(5, 0, 0, 0); }, "ZQDLG_SaveDigitalIO(5, 0, 0, 0)"},
        {[] { Dlg().RestoreDigitalIO(5, 0, 0, 0); }, "ZQDLG_RestoreDigitalIO(5, 0, 0, 0)"},
        {[] { Dlg().SaveAxis(-3, 0, 0, 0); }, "ZQDLG_SaveAxis(-3, 0, 0, 0)"},
        {[] { Dlg().RestoreAxis(-3, 0, 1, 0); }, "ZQDLG_RestoreAxis(-3, 0, 1, 0)"},
        {[] { Dlg().DownloadFile(nullptr, 1, 0, nullptr); }, "ZQDLG_DownloadFile(null, 1, 0, null)"},
    };
    for (const Case& c : cases) {
        journal.Mark();
        c.call();
        std::vector<std::string> lines;
        for (const std::string& line : journal.Since())
            if (line.rfind("ZQDLG_", 0) == 0) lines.push_back(line);
        ASSERT_EQ(lines.size(), 1u) << c.line;
        EXPECT_EQ(lines[0], c.line);
    }
}

TEST(Exports, ControllerCallsMadeForAnExportAreIndented) {
    Journal journal("dialogs_nested");
    int ids[2];
    Dlg().ListControllers(ids, 2);
    std::vector<std::string> lines = journal.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "ZQDLG_ListControllers(&, 2)");
    EXPECT_EQ(lines[1], "  ZqOpen(0, 2, \"\")");
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind("  Zq", 0), 0u) << lines[i];
    journal.Mark();
    OpenController c0(0);
    EXPECT_EQ(journal.Since().at(0), "ZqOpen(0, 2, \"\")") << "the caller's own calls stay at the line start";
}

TEST(Exports, TheProgramsOwnCallsInsideADialogAreNotIndented) {
    OpenController c0(0);
    OwnerWindow owner;
    Responder responder;
    Journal journal("dialogs_nested_inside");
    short h = c0.Handle();
    responder.Handle([&](HWND dialog) {
        // Runs from the dialog's message loop, as the program's timer does.
        double gain = 0;
        Api().GetGain(h, 1, &gain);
        std::thread([&] { int profile = 0; Api().GetProfile(h, 2, &profile); }).join();
        PressButton(dialog, IDCANCEL);
    });
    journal.Mark();
    EXPECT_EQ(Dlg().ConfigureAxis(owner.Handle(), h, 1, 0, 0), kDlgCancelled);
    std::vector<std::string> lines = journal.Since();
    std::string hs = std::to_string(h);
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("  ZqGetMotionConfig(" + hs + ", 1, &)")) << "the dialog's own reads are indented";
    EXPECT_TRUE(has("ZqGetGain(" + hs + ", 1, &)")) << "a call of the program's timer";
    EXPECT_TRUE(has("ZqGetProfile(" + hs + ", 2, &)")) << "a call of another thread";
    journal.Mark();
    double gain = 0;
    Api().GetGain(h, 1, &gain);
    EXPECT_EQ(journal.Since().at(0), "ZqGetGain(" + hs + ", 1, &)") << "nothing is left over after the dialog";
}

TEST(Exports, ClosedOrUnknownHandlesGiveErrorCodes) {
    short closed = Api().Open(0, 2, "");
    Api().Close(closed);
    for (short handle : {closed, static_cast<short>(0), static_cast<short>(-7)}) {
        EXPECT_EQ(Dlg().SaveAxis(handle, 0, 0, 0), kDlgErrController) << handle;
        EXPECT_EQ(Dlg().RestoreAxis(handle, 0, 1, 0), kDlgErrController) << handle;
    }
    OpenController c0(0);
    EXPECT_EQ(Dlg().SaveAxis(c0.Handle(), 5, 0, 0), kDlgErrController);
    EXPECT_EQ(Dlg().SaveAxis(c0.Handle(), -1, 0, 0), kDlgErrBadArgument);
}

}  // namespace
