// Select Controller dialog and About box, driven through the responder.
#include <gtest/gtest.h>

#include "dialogs_fixture.h"
#include "resources/version.h"
#include "responder.h"
#include "screenshot.h"
#include "zqdlg32_ids.h"

namespace {

std::vector<std::string> ListItems(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_CONTROLLER_LIST);
    std::vector<std::string> items;
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[256] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// The dialog's rectangle is centred on its owner's.
void ExpectCentredOn(HWND dialog, HWND owner) {
    RECT d, o;
    GetWindowRect(dialog, &d);
    GetWindowRect(owner, &o);
    EXPECT_NEAR((d.left + d.right) / 2, (o.left + o.right) / 2, 2);
    EXPECT_NEAR((d.top + d.bottom) / 2, (o.top + o.bottom) / 2, 2);
}

class SelectControllerTest : public ::testing::Test {
protected:
    OwnerWindow owner;
    Responder responder;
};

TEST_F(SelectControllerTest, ListsTheControllersAndReturnsTheChosenId) {
    std::vector<std::string> items;
    LRESULT preselected = -2;
    responder.Handle([&](HWND dialog) {
        items = ListItems(dialog);
        preselected = SendDlgItemMessageA(dialog, IDC_CONTROLLER_LIST, LB_GETCURSEL, 0, 0);
        ExpectCentredOn(dialog, owner.Handle());
        Snapshot(dialog, "dialogs_select_controller");
        SendDlgItemMessageA(dialog, IDC_CONTROLLER_LIST, LB_SETCURSEL, 1, 0);
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(Dlg().SelectController(owner.Handle(), 0, 0, 0), 1);
    EXPECT_EQ(items, (std::vector<std::string>{"Controller 0\tZM-6 Floating Point Servo, 4 axes",
                                               "Controller 1\tZM-4 Fixed Point Servo, 2 axes",
                                               "Controller 2\tZM-6 Floating Point Servo, 2 axes"}));
    EXPECT_EQ(preselected, 0);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].caption, "Select Controller");
    EXPECT_EQ(responder.Records()[0].owner, owner.Handle());
}

TEST_F(SelectControllerTest, CancelGivesANegativeValueAndNoCurrentSelectsNothing) {
    struct Case { int current; LRESULT selection; };
    for (Case c : {Case{-1, LB_ERR}, Case{1, 1}, Case{9, LB_ERR}}) {
        LRESULT selection = -2;
        BOOL okEnabled = TRUE;
        responder.Handle([&](HWND dialog) {
            selection = SendDlgItemMessageA(dialog, IDC_CONTROLLER_LIST, LB_GETCURSEL, 0, 0);
            okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
            if (selection == LB_ERR) PressButton(dialog, IDOK);  // ignored without a selection
            PressButton(dialog, IDCANCEL);
        });
        int r = Dlg().SelectController(owner.Handle(), c.current, 0, 0);
        EXPECT_LT(r, 0) << c.current;
        EXPECT_EQ(selection, c.selection) << c.current;
        EXPECT_EQ(okEnabled, c.selection != LB_ERR) << c.current;
    }
}

TEST_F(SelectControllerTest, DoubleClickChoosesAndLeavesNoControllerOpen) {
    responder.Handle([](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_CONTROLLER_LIST);
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CONTROLLER_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    });
    EXPECT_EQ(Dlg().SelectController(nullptr, -1, 0, 0), 0);
}

TEST_F(SelectControllerTest, AboutBoxNamesProgramVersionAndHardware) {
    std::string program, version, hardware;
    responder.Handle([&](HWND dialog) {
        program = ItemText(dialog, IDC_ABOUT_PROGRAM);
        version = ItemText(dialog, IDC_ABOUT_VERSION);
        hardware = ItemText(dialog, IDC_ABOUT_HARDWARE);
        ExpectCentredOn(dialog, owner.Handle());
        Snapshot(dialog, "dialogs_about");
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(Dlg().AboutBox(owner.Handle(), "Loopsmith", 0), 0);
    ASSERT_EQ(responder.Records().size(), 1u);
    EXPECT_EQ(responder.Records()[0].caption, "About Loopsmith");
    // The test program carries the program's version resource, as Loopsmith.exe does.
    EXPECT_EQ(program, "Loopsmith version " LOOPSMITH_VERSION_TEXT);
    EXPECT_EQ(version, "Zephmill Dialogs version " ZQDLG_VERSION_TEXT);
    EXPECT_EQ(hardware,
              "Controller 0: ZM-6 Floating Point Servo, 4 axes\r\n"
              "    Axis 1: SV-1 Servo\r\n    Axis 2: SV-1 Servo\r\n    Axis 3: SV-1 Servo\r\n"
              "    Axis 4: ST-2 Stepper\r\n"
              "Controller 1: ZM-4 Fixed Point Servo, 2 axes\r\n"
              "    Axis 1: SV-1 Servo\r\n    Axis 2: SV-1 Servo\r\n"
              "Controller 2: ZM-6 Floating Point Servo, 2 axes\r\n"
              "    Axis 1: SV-1 Servo\r\n    Axis 2: SV-1 Servo");
}

}  // namespace
