// The readout and LED window classes as the gain panel creates them.
#include <gtest/gtest.h>

#include "dialogs_fixture.h"
#include "responder.h"
#include "screenshot.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Dlg().Initialize(), 0);
        ASSERT_EQ(Dlg().Initialize(), 0);  // a second call finds the classes registered
        panel = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 200, 200, 260, 120, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override { DestroyWindow(panel); }

    HWND Child(const char* cls, DWORD style, int x, int y, int w, int h, int id, void* data = nullptr) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, panel,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), data);
    }

    // The colour at the centre of a child, as drawn on the screen.
    COLORREF CentreColour(HWND child) {
        RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT rc;
        GetClientRect(child, &rc);
        HDC dc = GetDC(child);
        COLORREF c = GetPixel(dc, rc.right / 2, rc.bottom / 2);
        ReleaseDC(child, dc);
        return c;
    }

    HWND panel = nullptr;
};

TEST_F(ControlsTest, LedKeepsItsStateAndShowsTheLitColour) {
    COLORREF yellow = 0x0000DFDF;
    HWND motor = Child("ZQDLG_LEDWindowClass", 0, 35, 20, 14, 14, 204);
    HWND trajectory = Child("ZQDLG_LEDWindowClass", 0, 35, 60, 14, 14, 207, &yellow);
    ASSERT_TRUE(motor && trajectory);
    EXPECT_EQ(IsDlgButtonChecked(panel, 204), 0u);
    for (UINT state : {1u, 2u, 0u, 2u}) {
        CheckDlgButton(panel, 204, state);
        EXPECT_EQ(IsDlgButtonChecked(panel, 204), state);
    }
    SendMessageA(motor, BM_SETCHECK, 7, 0);  // not a state: ignored
    EXPECT_EQ(IsDlgButtonChecked(panel, 204), 2u);

    CheckDlgButton(panel, 207, 1);
    EXPECT_EQ(CentreColour(trajectory), yellow);
    CheckDlgButton(panel, 204, 1);
    COLORREF lit = CentreColour(motor);
    EXPECT_GT(GetGValue(lit), 150);
    EXPECT_LT(GetRValue(lit), 60);
    CheckDlgButton(panel, 204, 0);
    COLORREF off = CentreColour(motor);
    EXPECT_LT(GetGValue(off), 100);
    CheckDlgButton(panel, 204, 2);
    COLORREF warning = CentreColour(motor);
    EXPECT_NE(warning, lit);
    EXPECT_NE(warning, off);
    RECT rc;
    GetClientRect(motor, &rc);
    HDC dc = GetDC(motor);
    COLORREF ring = GetPixel(dc, rc.right / 2, 3);  // the warning lamp is red around a dark centre
    ReleaseDC(motor, dc);
    EXPECT_GT(GetRValue(ring), 180);
    EXPECT_LT(GetGValue(ring), 80);
}

TEST_F(ControlsTest, ReadoutShowsItsTextAndKeepsTheStyleBits) {
    HWND axis = Child("ZQDLG_ReadoutWindowClass", 0x2, 100, 15, 100, 24, 202);
    HWND gain = Child("ZQDLG_ReadoutWindowClass", 0x1, 100, 50, 56, 16, 504);
    ASSERT_TRUE(axis && gain);
    EXPECT_EQ(GetWindowLongA(axis, GWL_STYLE) & 0xFFFF, 0x2);
    EXPECT_EQ(GetWindowLongA(gain, GWL_STYLE) & 0xFFFF, 0x1);
    SetDlgItemInt(panel, 202, 3, FALSE);
    SetDlgItemTextA(panel, 504, " 0.5000");
    EXPECT_EQ(GetDlgItemInt(panel, 202, nullptr, FALSE), 3u);
    EXPECT_EQ(ItemText(panel, 504), " 0.5000");

    // The text is drawn at the right edge: dark pixels in the right half only.
    RedrawWindow(axis, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(axis);
    int left = 0, right = 0;
    for (int x = 4; x < 96; ++x)
        for (int y = 4; y < 20; ++y)
            if (GetRValue(GetPixel(dc, x, y)) < 100) (x < 50 ? left : right)++;
    ReleaseDC(axis, dc);
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 0);

    COLORREF green = RGB(0, 208, 0);
    Child("ZQDLG_LEDWindowClass", 0, 35, 20, 14, 14, 204);
    Child("ZQDLG_LEDWindowClass", 0, 35, 60, 14, 14, 207, &green);
    CheckDlgButton(panel, 204, 2);
    CheckDlgButton(panel, 207, 1);
    SetDlgItemTextA(panel, 202, "1");
    Child("ZQDLG_ReadoutWindowClass", 0x2, 100, 80, 100, 24, 203);
    SetDlgItemTextA(panel, 203, "-1234.567");
    UpdateWindow(panel);
    Snapshot(panel, "dialogs_readout_and_led");
}

}  // namespace
