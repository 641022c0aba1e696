// Test setup sheet: the three pages driven through the scripted responder,
// with AppState and the messages checked after each apply.
#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/connection.h"
#include "app_fixture.h"
#include "controller/zq_library.h"
#include "resources/app_ids.h"
#include "resources/test_setup_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "setup/test_setup.h"
#include "steptest/step_test.h"

namespace {

constexpr int kApplyButton = 0x3021;  // the sheet's Apply button
enum { kMotion = 0, kPlot = 1, kInfo = 2 };

HWND ShowPage(HWND sheet, int index) {
    SendMessageA(sheet, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}
int CurrentPage(HWND sheet) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0));
}
void Type(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }
void Click(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
void Pick(HWND page, int id, int index) {
    SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
void Press(HWND sheet, int button) { SendMessageA(sheet, PSM_PRESSBUTTON, button, 0); }
bool ApplyEnabled(HWND sheet) { return IsWindowEnabled(GetDlgItem(sheet, kApplyButton)) != FALSE; }
bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
std::string Text(HWND window, int id = 0) {
    char text[300] = {};
    if (id) GetDlgItemTextA(window, id, text, sizeof text);
    else GetWindowTextA(window, text, sizeof text);
    return text;
}

class TestSetupSheet : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(app.Start(), nullptr); }

    // Opens the sheet and hands it to steps, which must close it (OK or Cancel).
    INT_PTR Run(std::function<void(HWND)> steps) {
        responder.Handle([steps](HWND sheet) {
            steps(sheet);
            if (IsWindow(sheet) && IsWindowVisible(sheet)) Press(sheet, PSBTN_CANCEL);
        });
        return RunTestSetup(app.Main());
    }
    AppState& S() { return app.State(); }
    // Message boxes recorded after the sheet itself.
    std::vector<DialogRecord> Boxes() const {
        std::vector<DialogRecord> boxes;
        for (const auto& r : responder.Records())
            if (r.messageBox) boxes.push_back(r);
        return boxes;
    }

    IsolatedRegistry registry;
    LoopsmithApp app;
    Responder responder;
};

TEST_F(TestSetupSheet, OpensOnMotionSettingsWithThreePagesAndTakesScreenshots) {
    std::vector<std::string> tabs;
    int start = -1;
    std::string caption;
    Run([&](HWND sheet) {
        caption = Text(sheet);
        start = CurrentPage(sheet);
        HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
            char text[64] = {};
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            tabs.push_back(text);
        }
        const char* names[] = {"test_setup_motion", "test_setup_plot", "test_setup_info"};
        for (int i = 0; i < 3; ++i) {
            ShowPage(sheet, i);
            PumpMessages(50);
            SaveWindowScreenshot(sheet, names[i]);
        }
    });
    EXPECT_EQ(caption, "Test Setup");
    EXPECT_EQ(start, kMotion);
    EXPECT_EQ(tabs, (std::vector<std::string>{"Motion Settings", "Plot Settings", "Info"}));
}

// ---------------------------------------------------------------- templates

struct TemplateItem {
    DWORD style = 0;
    int x = 0, y = 0, w = 0, h = 0, id = 0;
    std::string cls, text;
};
struct PageTemplate {
    DWORD style = 0;
    int w = 0, h = 0, pointSize = 0;
    std::string caption, font;
    std::vector<TemplateItem> items;
};

// Reads a DIALOG resource of this program as the dialog manager sees it.
PageTemplate LoadPageTemplate(int id) {
    PageTemplate t;
    HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!res) return t;
    auto* p = static_cast<const WORD*>(LockResource(LoadResource(nullptr, res)));
    auto dword = [&p] { DWORD v = p[0] | (static_cast<DWORD>(p[1]) << 16); p += 2; return v; };
    auto text = [&p]() -> std::string {
        if (*p == 0xFFFF) {
            static const char* atoms[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
            WORD atom = p[1];
            p += 2;
            return atom >= 0x80 && atom <= 0x85 ? atoms[atom - 0x80] : "#" + std::to_string(atom);
        }
        std::string s;
        while (*p) s += static_cast<char>(*p++);
        ++p;
        return s;
    };
    t.style = dword();
    dword();
    int count = *p++;
    p += 2;
    t.w = static_cast<short>(*p++);
    t.h = static_cast<short>(*p++);
    text();  // menu
    text();  // class
    t.caption = text();
    if (t.style & DS_SETFONT) {
        t.pointSize = *p++;
        t.font = text();
    }
    for (int i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~static_cast<UINT_PTR>(3));
        TemplateItem item;
        item.style = dword();
        dword();
        item.x = static_cast<short>(*p++);
        item.y = static_cast<short>(*p++);
        item.w = static_cast<short>(*p++);
        item.h = static_cast<short>(*p++);
        item.id = static_cast<short>(*p++);
        item.cls = text();
        item.text = text();
        p += 1 + (*p + 1) / 2;  // creation data
        t.items.push_back(item);
    }
    return t;
}

TEST(TestSetupTemplates, PagesHaveTheirSizeFontCaptionAndControls) {
    const struct { int id; const char* caption; } pages[] = {
        {1100, "Motion Settings"}, {1200, "Plot Settings"}, {1000, "Info"}};
    for (const auto& page : pages) {
        PageTemplate t = LoadPageTemplate(page.id);
        EXPECT_EQ(t.style, 0x00C800C0u) << page.id;
        EXPECT_EQ(t.w, 266) << page.id;
        EXPECT_EQ(t.h, 138) << page.id;
        EXPECT_EQ(t.pointSize, 8) << page.id;
        EXPECT_EQ(t.font, "MS Sans Serif") << page.id;
        EXPECT_EQ(t.caption, page.caption);
    }

    const DWORD edit = 0x50810082, label = 0x50020002, unit = 0x50020000, check = 0x50010002,
                combo = 0x50230003, group = 0x50000007, radio = 0x50000004, firstRadio = 0x50030004;
    const TemplateItem controls[] = {
        {group, 5, 5, 124, 68, -1, "Button", "Motion"}, {label, 15, 20, 35, 8, -1, "Static", "Distance"},
        {edit, 55, 18, 50, 12, 1110, "Edit", ""}, {label, 15, 38, 35, 8, -1, "Static", "Time"},
        {edit, 55, 36, 50, 12, 1111, "Edit", ""}, {unit, 107, 38, 10, 8, -1, "Static", "ms"},
        {label, 15, 56, 35, 8, -1, "Static", "Delay"}, {edit, 55, 54, 50, 12, 1112, "Edit", ""},
        {unit, 107, 56, 10, 8, -1, "Static", "ms"}, {group, 5, 77, 124, 34, -1, "Button", "      Cycle"},
        {check, 12, 76, 10, 10, 1120, "Button", ""}, {label, 15, 92, 35, 8, 1121, "Static", "Dwell"},
        {edit, 55, 90, 50, 12, 1122, "Edit", ""}, {unit, 107, 92, 10, 8, 1123, "Static", "ms"},
        {group, 136, 5, 124, 52, -1, "Button", "      Repeat"}, {check, 143, 4, 10, 10, 1130, "Button", ""},
        {label, 149, 20, 35, 8, 1131, "Static", "Count"}, {edit, 189, 18, 50, 12, 1132, "Edit", ""},
        {label, 149, 38, 35, 8, 1133, "Static", "Dwell"}, {edit, 189, 36, 50, 12, 1134, "Edit", ""},
        {unit, 241, 38, 10, 8, 1135, "Static", "ms"}, {group, 136, 61, 124, 70, -1, "Button", "      Gantry Mode"},
        {check, 143, 60, 10, 10, 1140, "Button", ""}, {label, 146, 76, 38, 8, 1141, "Static", "Master Axis"},
        {combo, 189, 74, 60, 49, 1142, "ComboBox", ""}, {label, 146, 94, 38, 8, 1143, "Static", "Slave Axis"},
        {combo, 189, 92, 60, 49, 1144, "ComboBox", ""},
        {check, 161, 112, 80, 10, 1145, "Button", " Share Motor Settings"},

        {group, 5, 5, 124, 118, -1, "Button", "Plot"},
        {check, 15, 19, 70, 10, 1210, "Button", " Actual position"},
        {check, 15, 33, 70, 10, 1211, "Button", " Optimal position"},
        {check, 15, 47, 70, 10, 1212, "Button", " Following error"},
        {0x58010002, 15, 61, 70, 10, 1213, "Button", " Torque"},
        {check, 15, 75, 70, 10, 1214, "Button", " Target position"},
        {0x58010002, 15, 89, 70, 10, 1215, "Button", " Auxiliary Encoder"},
        {0x58020002, 25, 103, 32, 8, 1216, "Static", "Scaling"}, {0x58810082, 60, 101, 50, 12, 1217, "Edit", ""},
        {group, 136, 5, 124, 58, -1, "Button", "Plot Style"},
        {firstRadio, 149, 19, 50, 10, 1220, "Button", "Single"}, {radio, 149, 33, 50, 10, 1221, "Button", "Multi"},
        {radio, 149, 47, 50, 10, 1222, "Button", "Separate"}, {group, 136, 65, 124, 58, -1, "Button", "Plotting"},
        {firstRadio, 149, 79, 100, 10, 1231, "Button", " Plot all points"},
        {radio, 149, 93, 100, 10, 1232, "Button", " Plot every other point"},
        {radio, 149, 107, 100, 10, 1234, "Button", " Plot every fourth point"},

        {group, 5, 5, 256, 125, 1001, "Button", ""},
        {label, 15, 20, 65, 8, -1, "Static", "Axis Type"}, {0x58810000, 85, 18, 50, 12, 1002, "Edit", ""},
        {label, 15, 38, 65, 8, -1, "Static", "Capture Buffer Size"},
        {0x58810002, 85, 36, 50, 12, 1003, "Edit", ""}, {unit, 140, 38, 75, 8, -1, "Static", "(points)"},
        {label, 15, 56, 65, 8, -1, "Static", "Min. Capture Period"},
        {0x58810002, 85, 54, 50, 12, 1004, "Edit", ""}, {unit, 140, 56, 75, 8, -1, "Static", "(seconds)"},
        {label, 15, 74, 65, 8, -1, "Static", "Advanced Capture"}, {0x58810000, 85, 72, 50, 12, 1005, "Edit", ""},
        {unit, 140, 74, 75, 8, -1, "Static", "(can set period/delay)"},
        {label, 15, 92, 65, 8, -1, "Static", "Capture Modes"}, {0x58810000, 85, 90, 165, 12, 1006, "Edit", ""},
    };
    std::vector<TemplateItem> all;
    for (int id : {1100, 1200, 1000})
        for (const auto& item : LoadPageTemplate(id).items) all.push_back(item);
    ASSERT_EQ(all.size(), std::size(controls));
    for (size_t i = 0; i < all.size(); ++i) {
        const TemplateItem &got = all[i], &want = controls[i];
        std::string where = std::to_string(i) + " id " + std::to_string(want.id) + " " + want.text;
        EXPECT_EQ(got.id, want.id) << where;
        EXPECT_EQ(lstrcmpiA(got.cls.c_str(), want.cls.c_str()), 0) << where << " " << got.cls;
        EXPECT_EQ(got.text, want.text) << where;
        EXPECT_EQ(got.style, want.style) << where;
        EXPECT_EQ((std::vector<int>{got.x, got.y, got.w, got.h}), (std::vector<int>{want.x, want.y, want.w, want.h}))
            << where;
    }
}

}  // namespace
