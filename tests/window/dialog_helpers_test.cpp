// Dialog helpers: centring over the owner and numbers in dialog items.
#include <gtest/gtest.h>

#include <string>

#include "panel/dialog_helpers.h"

namespace {

HWND Popup(int x, int y, int w, int h, HWND owner) {
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, w, h, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(CenterDialog, CentresOverTheOwnerOrTheDesktopAndNeverOffTheTopLeft) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    const struct { bool owned; RECT owner; int w, h, x, y; } cases[] = {
        {true, {100, 100, 500, 400}, 200, 100, 200, 200},
        {true, {0, 0, 101, 101}, 50, 50, 25, 25},
        {true, {10, 10, 110, 110}, 101, 101, 10, 10},   // -1 / 2 truncates toward zero
        {true, {0, 0, 100, 100}, 300, 50, 0, 0},        // x would be -100
        {true, {500, 10, 600, 110}, 50, 300, 0, 0},     // only y negative: both go to 0
        {false, {}, 200, 100, (desktop.right - 200) / 2, (desktop.bottom - 100) / 2},
    };
    for (const auto& c : cases) {
        HWND owner = c.owned ? Popup(c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                                     c.owner.bottom - c.owner.top, nullptr)
                             : nullptr;
        HWND window = Popup(3, 4, c.w, c.h, owner);
        CenterDialog(window);
        RECT r;
        GetWindowRect(window, &r);
        EXPECT_EQ(r.left, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(r.top, c.y) << c.w << "x" << c.h;
        EXPECT_EQ(r.right - r.left, c.w);
        EXPECT_EQ(r.bottom - r.top, c.h);
        DestroyWindow(window);
        if (owner) DestroyWindow(owner);
    }
}

TEST(DlgItemNumber, ReadsAtMost39CharactersAsANumberAndWritesInTheGivenPrecision) {
    HWND parent = Popup(0, 0, 200, 50, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 150, 20, parent,
                                reinterpret_cast<HMENU>(302), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    const struct { const char* text; double value; } reads[] = {
        {"12.5", 12.5}, {"  7", 7}, {"3.5%", 3.5}, {"-0.1", -0.1}, {"1e2", 100},
        {"", 0}, {"abc", 0}, {"%50", 0},
        // The 40th character and later are not read.
        {"1234567890123456789012345678901234567890123", 123456789012345678901234567890123456789.0},
    };
    for (const auto& r : reads) {
        SetWindowTextA(edit, r.text);
        EXPECT_DOUBLE_EQ(GetDlgItemNumber(parent, 302), r.value) << r.text;
    }

    const struct { double value; int precision; const char* text; } writes[] = {
        {100, -1, "100.000000"}, {12.5, -1, "12.500000"}, {12.5, 3, "12.500"}, {0.26, 1, "0.3"},
    };
    for (const auto& w : writes) {
        SetDlgItemNumber(parent, 302, w.value, w.precision);
        char text[64];
        GetWindowTextA(edit, text, sizeof text);
        EXPECT_STREQ(text, w.text) << w.value << " " << w.precision;
    }
    SetDlgItemNumber(parent, 302, 1e100, -1);
    EXPECT_EQ(GetWindowTextLengthA(edit), 39);
    DestroyWindow(parent);
}

}  // namespace
