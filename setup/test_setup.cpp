// The modal "Test Setup" property sheet. It holds no data: each page reads
// AppState when it is first shown and stores its values on PSN_APPLY.
#include "test_setup.h"

#include <commctrl.h>
#include <prsht.h>

#include "../core/app_state.h"
#include "../resources/test_setup_ids.h"
#include "info_page.h"
#include "motion_settings_page.h"
#include "plot_settings_page.h"
#include "property_page.h"

namespace {
// A page record of the full 56-byte layout: the V3 fields and the header bitmap
// (newer SDKs call this PROPSHEETPAGEA; some headers stop at V3). The sheet
// steps through the array by each record's dwSize.
struct SheetPage {
    PROPSHEETPAGEA_V3 page;
    HBITMAP headerBitmap;
};
static_assert(sizeof(SheetPage) == 56, "page records of 56 bytes");

// Stores made by the pages during the running sheet (one modal sheet at a time).
int g_applied = 0;
}  // namespace

void NotePageApplied() { ++g_applied; }

INT_PTR RunTestSetup(HWND mainWindow) {
    AppState* state = StateOf(mainWindow);
    if (!state) return 0;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    const struct { int templateId; DLGPROC proc; } kPages[3] = {
        {IDD_MOTION_PAGE, MotionSettingsPageProc},
        {IDD_PLOT_PAGE, PlotSettingsPageProc},
        {IDD_INFO_PAGE, InfoPageProc},
    };
    SheetPage pages[3] = {};
    for (int i = 0; i < 3; ++i) {
        PROPSHEETPAGEA_V3& p = pages[i].page;
        p.dwSize = sizeof(SheetPage);
        p.dwFlags = PSP_DEFAULT;  // tab titles come from the templates' captions
        p.hInstance = instance;
        p.pszTemplate = MAKEINTRESOURCEA(kPages[i].templateId);
        p.pfnDlgProc = kPages[i].proc;
        p.lParam = reinterpret_cast<LPARAM>(state);
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = mainWindow;
    header.hInstance = instance;
    header.pszCaption = "Test Setup";
    header.nPages = 3;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(&pages[0].page);

    g_applied = 0;
    INT_PTR result = PropertySheetA(&header);
    // Values stored by Apply stay when the sheet is then cancelled; the caller
    // must still lay out and redraw for them.
    if (result <= 0 && g_applied > 0) result = 1;
    return result;
}
