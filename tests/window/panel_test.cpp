// Gain panel: its controls, the slider area, the trajectory generator, motor and
// Zero buttons with the gantry partner, the Axis button and the step commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app_fixture.h"
#include "journal.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "screenshot.h"

namespace {

class PanelTest : public ::testing::Test {
protected:
    IsolatedRegistry registry;
    LoopsmithApp app;
};

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string TextOf(HWND w) {
    char text[64] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

// The panel's children in creation order.
std::vector<HWND> ChildrenInCreationOrder(HWND panel) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(panel, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    // Z order lists the newest first when each child went in at the top.
    if (children.size() > 1 && GetDlgCtrlID(children.front()) == 217) children.assign(children.rbegin(), children.rend());
    return children;
}

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    RECT rect;  // left, top, right, bottom in panel client pixels; empty for those placed at WM_SIZE
    bool panelFont;
};

TEST_F(PanelTest, CreatesEveryControlInOrderWithItsIdTextPlaceStyleAndFont) {
    constexpr DWORD group = 0x50000007, plain = 0x50000000, readout = 0x50000002;
    const ExpectedControl expected[] = {
        {-1, "Button", "", group, {10, 0, 210, 82}, false},
        {201, "Button", "Axis", plain, {20, 15, 80, 40}, true},
        {202, "ZQDLG_ReadoutWindowClass", "", readout, {100, 15, 200, 39}, false},
        {201, "Static", "Position", plain, {30, 54, 90, 79}, true},
        {203, "ZQDLG_ReadoutWindowClass", "", readout, {100, 50, 200, 74}, false},
        {-1, "Button", "Motor", group, {10, 83, 210, 129}, true},
        {204, "ZQDLG_LEDWindowClass", "", plain, {35, 105, 49, 119}, false},
        {205, "Button", "On", plain, {70, 100, 130, 122}, true},
        {206, "Button", "Off", plain, {140, 100, 200, 122}, true},
        {-1, "Button", "Trajectory Generator", group, {10, 130, 210, 176}, true},
        {207, "ZQDLG_LEDWindowClass", "", plain, {35, 152, 49, 166}, false},
        {208, "Button", "On", plain, {70, 147, 130, 169}, true},
        {209, "Button", "Off", plain, {140, 147, 200, 169}, true},
        {-1, "Button", "Test", group, {10, 176, 210, 252}, true},
        {210, "Button", "Step Plus", plain, {20, 192, 105, 214}, true},
        {211, "Button", "Step Minus", plain, {115, 192, 200, 214}, true},
        {212, "Button", "Clear", plain, {20, 220, 105, 242}, true},
        {213, "Button", "Zero", plain, {115, 220, 200, 242}, true},
        {214, "Button", "", group, {}, false},
        {215, "SliderWindowClass", "P", plain, {}, true},
        {216, "SliderWindowClass", "I", plain, {}, true},
        {217, "SliderWindowClass", "D", plain, {}, true},
    };
    ASSERT_NE(app.Start(), nullptr);
    HWND panel = app.Panel();
    ASSERT_EQ(app.State().PanelWindow, panel);
    char name[32];
    GetClassNameA(panel, name, sizeof name);
    EXPECT_STREQ(name, "CPanelClass");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(panel, GWL_STYLE)) & ~WS_CLIPSIBLINGS, 0x50000000u);

    std::vector<HWND> children = ChildrenInCreationOrder(panel);
    ASSERT_EQ(children.size(), std::size(expected));
    HFONT panelFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(panel, 201, WM_GETFONT, 0, 0));
    ASSERT_NE(panelFont, nullptr);
    LOGFONTA lf = {};
    GetObjectA(panelFont, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, 15);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_STREQ(lf.lfFaceName, "Arial");

    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& e = expected[i];
        HWND c = children[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(e.id));
        EXPECT_EQ(GetDlgCtrlID(c), e.id);
        EXPECT_STRCASEEQ(ClassOf(c).c_str(), e.className);
        EXPECT_EQ(TextOf(c), e.text);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(c, GWL_STYLE)) & ~WS_DISABLED, e.style);
        EXPECT_EQ(GetWindowLongA(c, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
        if (e.rect.right) {
            RECT r = RectInParent(c);
            EXPECT_EQ(r.left, e.rect.left);
            EXPECT_EQ(r.top, e.rect.top);
            EXPECT_EQ(r.right, e.rect.right);
            EXPECT_EQ(r.bottom, e.rect.bottom);
        }
        // The slider control keeps its own font; the standard controls report theirs.
        if (e.id < 215) {
            HFONT font = reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0));
            if (e.panelFont) EXPECT_EQ(font, panelFont);
            else EXPECT_NE(font, panelFont);
        }
    }
    SaveWindowScreenshot(app.Main(), "panel_start");
}

}  // namespace
