// Printing: the report text on a 4800 x 6600 page recorded in a metafile, the
// refusal without test data, the print dialog's request, a failing printer
// and the cancel dialog.
#include <gtest/gtest.h>

#include <cmath>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "emf_text.h"
#include "print/print_job.h"
#include "print/report_layout.h"
#include "resources/app_ids.h"
#include "responder.h"
#include "screenshot.h"

namespace {

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(app.Start(), nullptr); }
    IsolatedRegistry registry;
    LoopsmithApp app;
};

TEST_F(PrintTest, ReportTextStandsWhereThePageLayoutPutsIt) {
    AppState& s = app.State();
    s.LastTest.Distance = 1000;
    s.LastTest.Delay = 0;
    s.LastTest.RecordTime = 0.5;
    s.LastTest.SampleCount = 512;
    s.LastTest.SamplePeriod = 0.0005;
    s.LastTest.Cycle = 0;
    s.LastTest.Dwell = 0.25;
    SampleSequence* actual = ChannelFor(s, Channel::Actual, 0);
    for (int i = 0; i < 512; ++i) actual->Append(i == 511 ? 99.875 : i);

    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ entryFont = GetCurrentObject(dc, OBJ_FONT);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    DrawReportOnPage(dc, s, 4800, 6600);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), entryFont);  // the entry font is selected again
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<DrawnText> texts = MetafileTexts(emf);
    DeleteEnhMetaFile(emf);

    const DrawnText* left = FindDrawn(texts, "Test Parameters");
    const DrawnText* right = FindDrawn(texts, "Axis Configuration");
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->x, 960);
    EXPECT_EQ(left->y, 4488);
    EXPECT_EQ(right->x, 2640);
    EXPECT_EQ(right->y, 4488);

    // Rows: labels at the column's x, values 24 body-font character widths right,
    // each label on its own value's line.
    const DrawnText* distance = FindDrawn(texts, "Move Distance");
    const DrawnText* distanceValue = FindDrawn(texts, "1000      ");
    ASSERT_TRUE(distance && distanceValue);
    EXPECT_EQ(distance->x, 960);
    EXPECT_EQ(distanceValue->y, distance->y);
    EXPECT_GT(distanceValue->x, 960);
    EXPECT_TRUE(FindDrawn(texts, "0.25       sec"));
    EXPECT_TRUE(FindDrawn(texts, "512"));
    EXPECT_TRUE(FindDrawn(texts, "no"));
    EXPECT_TRUE(FindDrawn(texts, "1 "));  // "%-2d" of axis 1
    EXPECT_TRUE(FindDrawn(texts, "    Capture Points"));
    const DrawnText* finalValue = FindDrawn(texts, "99.875    ");
    const DrawnText* finalLabel = FindDrawn(texts, "Final Position");
    ASSERT_TRUE(finalValue && finalLabel);
    EXPECT_EQ(finalValue->y, finalLabel->y);

    // The left column's rows step by LH (twice before rows 3 and 6) and end 13
    // steps below the first; the right
    // column's last row stands 14 steps below its first.
    const DrawnText* date = FindDrawn(texts, "Test Date");
    const DrawnText* dwell = FindDrawn(texts, "Cycle Dwell");
    const DrawnText* gain = FindDrawn(texts, "Proportional Gain");
    const DrawnText* error = FindDrawn(texts, "Max. Following Error");
    ASSERT_TRUE(date && dwell && gain && error);
    EXPECT_EQ(date->y, gain->y);
    EXPECT_GT(date->y, 4488);
    double lh = (dwell->y - date->y) / 13.0;
    EXPECT_NEAR(error->y - gain->y, 14 * lh, 1.0);
    EXPECT_NEAR(distance->y - date->y, 7 * lh, 1.0);

    const DrawnText* title = FindDrawn(texts, "Step Response Plot");
    const DrawnText* version = FindDrawn(texts, "Quelmont Loopsmith Program Version 2.7.0.217");
    const DrawnText* web = FindDrawn(texts, kReportWebAddress);
    ASSERT_TRUE(title && version && web);
    EXPECT_LT(title->y, 6600 * 5 / 100);          // above the plots, which start at 5 %
    EXPECT_GT(version->y, error->y);              // the footer below both columns
    EXPECT_GT(web->y, version->y);
    EXPECT_LT(web->y, 6600);
}

// Descriptions far longer than a column, as a maker's library may give them.
ZQDLG_DescEx_t* g_controllerDesc = nullptr;
ZQDLG_DescEx_t* g_moduleDesc = nullptr;
int ZQAPI LongControllerDesc(int, int, char* buffer, int size) {
    lstrcpynA(buffer, "ZM-6 Floating Point Servo Controller with Extended Capture Memory, Revision 4.2 (PCI)", size);
    return 0;
}
int ZQAPI LongModuleDesc(int, int, char* buffer, int size) {
    lstrcpynA(buffer, "SV-1 Servo Module, Differential Encoder Input, Analog Output +/-10 V", size);
    return 0;
}

// Every text of the report ends before the next column (values of the right
// column before the page edge); a cut text ends with "...".
TEST_F(PrintTest, LongTextsStayInsideTheirColumns) {
    AppState& s = app.State();
    s.LastTest.SampleCount = 1;
    g_controllerDesc = ZQDLG_ControllerDescEx;
    g_moduleDesc = ZQDLG_ModuleDescEx;
    ZQDLG_ControllerDescEx = LongControllerDesc;
    ZQDLG_ModuleDescEx = LongModuleDesc;
    const int H = 4800, V = 6600;
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    const int A0 = tm.tmAscent < V / 110.0 ? tm.tmAscent : V / 110;
    DrawReportOnPage(dc, s, H, V);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<DrawnText> texts = MetafileTexts(emf);
    DeleteEnhMetaFile(emf);
    ZQDLG_ControllerDescEx = g_controllerDesc;
    ZQDLG_ModuleDescEx = g_moduleDesc;

    // Measure as the report's body font does.
    HDC screen = GetDC(nullptr);
    HDC measure = CreateCompatibleDC(screen);
    LOGFONTA lf = {};
    lf.lfHeight = static_cast<int>(1.25 * A0);
    lf.lfWeight = 400;
    lstrcpyA(lf.lfFaceName, "Arial");
    HFONT body = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(measure, body);
    GetTextMetricsA(measure, &tm);
    const double w = tm.tmAveCharWidth;
    const double X1 = 0.2 * H, X2 = 0.55 * H, XV1 = X1 + 24 * w;
    int cut = 0;
    for (const DrawnText& t : texts) {
        if (t.y <= 0.68 * V || t.y >= V - 8 * A0) continue;  // the two columns' rows
        if (t.text == "Test Parameters" || t.text == "Axis Configuration") continue;
        SIZE size = {};
        std::string visible = t.text.substr(0, t.text.find_last_not_of(' ') + 1);
        GetTextExtentPoint32A(measure, visible.c_str(), static_cast<int>(visible.size()), &size);
        double right = t.x < XV1 - 1 ? XV1 : t.x < X2 - 1 ? X2 : t.x < X2 + 24 * w - 1 ? X2 + 24 * w : H;
        EXPECT_LE(t.x + size.cx, right) << t.text;
        if (t.text.size() > 3 && t.text.compare(t.text.size() - 3, 3, "...") == 0) ++cut;
    }
    SelectObject(measure, old);
    DeleteObject(body);
    DeleteDC(measure);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(cut, 2);
    const DrawnText* controller = nullptr;
    for (const DrawnText& t : texts)
        if (t.text.rfind("ZM-6 Floating Point", 0) == 0) controller = &t;
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->text.substr(controller->text.size() - 3), "...");
}

// A cycle test of a gantry pair: the "Response" block below the columns holds
// a line per move and the skew, inside the page and above the footer.
TEST_F(PrintTest, ResponseBlockStandsBelowTheColumns) {
    AppState& s = app.State();
    const int n = 1000;
    s.LastTest.SampleCount = n;
    s.LastTest.SamplePeriod = 0.0005;
    s.LastTest.Sampling = 1;
    s.LastTest.Distance = 1000;
    s.LastTest.Cycle = 1;
    s.LastOrigin.Axis = s.Axis;
    s.LastOrigin.Partner = s.Axis == 1 ? 2 : 1;
    double y = 0;
    for (int i = 0; i < n; ++i) {
        double command = i < 10 ? 0 : i < 500 ? 1000 : 0;  // out and back
        y += (command - y) * 0.05;                       // a first-order follower
        ChannelFor(s, Channel::Optimal, 0)->Append(command);
        ChannelFor(s, Channel::Actual, 0)->Append(y);
        ChannelFor(s, Channel::Error, 0)->Append(command - y);
        ChannelFor(s, Channel::Actual, s.LastOrigin.Partner)->Append(y + (i % 100 == 0 ? 3 : 0));
    }
    s.TestDone = 1;

    const int H = 4800, V = 6600;
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    DrawReportOnPage(dc, s, H, V);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<DrawnText> texts = MetafileTexts(emf);
    DeleteEnhMetaFile(emf);

    const DrawnText* heading = FindDrawn(texts, "Response");
    const DrawnText* last = FindDrawn(texts, "Max. Following Error");
    const DrawnText* version = FindDrawn(texts, "Quelmont Loopsmith Program Version 2.7.0.217");
    ASSERT_TRUE(heading && last && version);
    EXPECT_EQ(heading->x, 960);
    EXPECT_GT(heading->y, last->y);
    std::vector<const DrawnText*> lines;
    for (const DrawnText& t : texts)
        if (t.y > heading->y && t.y < version->y) lines.push_back(&t);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->text.rfind("Move 1 (+1000)  Rise ", 0), 0u) << lines[0]->text;
    EXPECT_EQ(lines[1]->text.rfind("Move 2 (-1000)  Rise ", 0), 0u) << lines[1]->text;
    EXPECT_EQ(lines[2]->text, "Skew  Peak 3.00  RMS 0.300");
    for (const DrawnText* t : lines) {
        EXPECT_EQ(t->x, 960);
        EXPECT_EQ(t->text.find("..."), std::string::npos) << t->text;
    }
    EXPECT_GT(lines[1]->y, lines[0]->y);
    EXPECT_GT(lines[2]->y, lines[1]->y);
}

int g_dialogs = 0;
PRINTDLGA g_request;
BOOL WINAPI NoPrinter(LPPRINTDLGA request) {
    ++g_dialogs;
    g_request = *request;
    return FALSE;
}

TEST_F(PrintTest, WithoutTestDataRefusesBeforeAnyDialog) {
    Responder r;
    g_dialogs = 0;
    PrintDlgFunction = NoPrinter;
    app.State().TestDone = 0;
    app.Command(IDM_PRINT);
    PrintDlgFunction = PrintDlgA;
    EXPECT_EQ(g_dialogs, 0);
    ASSERT_EQ(r.Records().size(), 1u);
    EXPECT_EQ(r.Records()[0].text, "Cannot print - No tests have been performed");
    EXPECT_EQ(r.Records()[0].caption, "Print Error");
    EXPECT_EQ(r.Records()[0].style, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(r.Records()[0].owner, app.Main());
}

TEST_F(PrintTest, CancelledPrintDialogPrintsNothingAndSaysNothing) {
    Responder r;
    g_dialogs = 0;
    PrintDlgFunction = NoPrinter;
    app.State().TestDone = 1;
    EXPECT_EQ(PrintTestReport(app.Main()), 0u);
    app.Command(IDM_PRINT);
    PrintDlgFunction = PrintDlgA;
    EXPECT_EQ(g_dialogs, 2);
    EXPECT_TRUE(r.Records().empty());
    EXPECT_EQ(g_request.lStructSize, 66u);
    EXPECT_EQ(g_request.hwndOwner, app.Main());
    EXPECT_EQ(g_request.Flags, 0x10Cu);
    EXPECT_TRUE(IsWindowEnabled(app.Main()));
}

// A "printer" whose StartDocA fails: a metafile DC has no spooler behind it.
BOOL WINAPI FailingPrinter(LPPRINTDLGA request) {
    request->hDC = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    request->hDevMode = GlobalAlloc(GMEM_MOVEABLE, 16);
    request->hDevNames = GlobalAlloc(GMEM_MOVEABLE, 16);
    return TRUE;
}

TEST_F(PrintTest, FailingStartDocIsReportedAndLeavesTheWindowUsable) {
    Responder r;
    PrintDlgFunction = FailingPrinter;
    app.State().TestDone = 1;
    app.Command(IDM_PRINT);
    PrintDlgFunction = PrintDlgA;
    EXPECT_TRUE(IsWindowEnabled(app.Main()));
    EXPECT_EQ(CancelDialog, nullptr);
    // The cancel dialog came and went; then the error box with the system's text.
    ASSERT_EQ(r.Records().size(), 2u);
    EXPECT_EQ(r.Records()[0].caption, "Printing");
    const DialogRecord& box = r.Records()[1];
    EXPECT_EQ(box.caption, "Printer Error");
    EXPECT_FALSE(box.text.empty());
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
    EXPECT_EQ(box.owner, nullptr);
}

TEST_F(PrintTest, CancelButtonStopsTheJobAndEnablesTheMainWindowAtOnce) {
    HWND main = app.Main();
    EnableWindow(main, FALSE);
    UserAbort = 0;
    CancelDialog = CreateDialogParamA(GetModuleHandleA(nullptr), "PrintDialog", main, PrintCancelDialogProc, 0);
    ASSERT_NE(CancelDialog, nullptr);
    char caption[32];
    GetWindowTextA(CancelDialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Printing");
    EXPECT_NE(GetDlgItem(CancelDialog, IDCANCEL), nullptr);
    MENUITEMINFOA item = {sizeof item, MIIM_STATE};
    GetMenuItemInfoA(GetSystemMenu(CancelDialog, FALSE), SC_CLOSE, FALSE, &item);
    EXPECT_TRUE(item.fState & MFS_GRAYED);
    SaveWindowScreenshot(CancelDialog, "print_cancel_dialog");
    HWND dialog = CancelDialog;

    EXPECT_TRUE(PrintAbortProc(nullptr, 0));  // nothing pressed yet: spooling goes on
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(PrintAbortProc(nullptr, 0));  // the pump delivers the click
    EXPECT_EQ(UserAbort, 1);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(CancelDialog, nullptr);
    EXPECT_FALSE(PrintAbortProc(nullptr, 0));
}

}  // namespace
