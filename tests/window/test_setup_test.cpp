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

#include "app_fixture.h"
#include "bench_step.h"
#include "controller/zq_library.h"
#include "core/connection.h"
#include "core/record_time.h"
#include "extras_recorder.h"
#include "libs/plotwin/plotwin.h"
#include "registry.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "resources/test_setup_ids.h"
#include "responder.h"
#include "screenshot.h"
#include "setup/test_setup.h"
#include "steptest/step_run.h"

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
// A sheet that accepted OK or Cancel has no current page while it closes.
bool Open(HWND sheet) { return SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0; }
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

    // Opens the sheet and hands it to steps; the message boxes that follow get
    // the answers in order. A sheet that steps leave open is cancelled.
    // Under a loaded shared display a sheet is now and then cancelled before
    // the responder reaches it (nothing is stored then): it is opened again.
    INT_PTR Run(std::function<void(HWND)> steps, std::vector<int> answers = {}) {
        INT_PTR result = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            bool ran = false;
            responder.Handle([steps, &ran](HWND sheet) {
                ran = true;
                steps(sheet);
                if (Open(sheet)) Press(sheet, PSBTN_CANCEL);
            });
            for (int answer : answers) responder.Press(answer);
            result = RunTestSetup(app.Main());
            if (ran) break;
            responder.DropScript();
        }
        EXPECT_EQ(responder.Pending(), 0u);
        return result;
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

// ---------------------------------------------------------------- motion settings

TEST_F(TestSetupSheet, MotionPageShowsTheSettingsAndEnablesByMode) {
    TestSettings& t = S().Test;
    t.Distance = 12.3456;
    t.RecordTime = 0.25;
    t.Delay = 0.0125;
    t.Dwell = 0.1;
    t.Count = 7;
    t.RDwell = 0.002;
    const struct { BYTE cycle, repeat, gantry; } modes[] = {{1, 0, 1}, {0, 1, 0}, {0, 0, 0}, {1, 1, 1}};
    for (const auto& m : modes) {
        t.Cycle = m.cycle;
        t.Repeat = m.repeat;
        S().Gantry = m.gantry;
        S().GantryMaster = 2;
        S().GantrySlave = 3;
        S().GantryShare = 0;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kMotion);
            EXPECT_EQ(Text(page, 1110), "12.346");
            EXPECT_EQ(Text(page, 1111), "250.000");
            EXPECT_EQ(Text(page, 1112), "12.5");
            EXPECT_EQ(Text(page, 1122), "100.0");
            EXPECT_EQ(Text(page, 1132), "7");
            EXPECT_EQ(Text(page, 1134), "2.0");
            const struct { int check, first, last; BYTE on; } groups[] = {
                {1120, 1121, 1123, m.cycle}, {1130, 1131, 1135, m.repeat}, {1140, 1141, 1145, m.gantry}};
            for (const auto& g : groups) {
                EXPECT_EQ(Checked(page, g.check), g.on != 0) << g.check;
                for (int id = g.first; id <= g.last; ++id) EXPECT_EQ(Enabled(page, id), g.on != 0) << id;
            }
            EXPECT_FALSE(Checked(page, 1145));
            for (int combo : {1142, 1144}) {
                ASSERT_EQ(SendDlgItemMessageA(page, combo, CB_GETCOUNT, 0, 0), 4);
                for (int i = 0; i < 4; ++i) {
                    char item[8] = {};
                    SendDlgItemMessageA(page, combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                    EXPECT_EQ(std::string(item), std::to_string(i + 1));
                }
            }
            EXPECT_EQ(SendDlgItemMessageA(page, 1142, CB_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(SendDlgItemMessageA(page, 1144, CB_GETCURSEL, 0, 0), 2);
            EXPECT_FALSE(ApplyEnabled(sheet));  // filling the page is no change
        });
    }
}

TEST_F(TestSetupSheet, MotionPageEntriesAreStoredAsTheirMagnitudesOrIgnored) {
    const struct { int id; const char* text; double TestSettings::*field; double stored; } cases[] = {
        {1110, "-2000", &TestSettings::Distance, 2000.0},
        {1110, "abc", &TestSettings::Distance, 0.0},
        {1110, "-inf", &TestSettings::Distance, 0.0},
        {1111, "250", &TestSettings::RecordTime, 0.25},
        {1111, "abc", &TestSettings::RecordTime, 0.4},
        {1111, "-40", &TestSettings::RecordTime, 0.4},
        {1111, "nan", &TestSettings::RecordTime, 0.4},
        {1112, "-5", &TestSettings::Delay, 0.02},
        {1112, "12.5", &TestSettings::Delay, 0.0125},
        {1112, "abc", &TestSettings::Delay, 0.0},
        {1112, "nan", &TestSettings::Delay, 0.0},
        {1122, "-5", &TestSettings::Dwell, 0.005},
        {1122, "inf", &TestSettings::Dwell, 0.0},
        {1134, "-7.5", &TestSettings::RDwell, 0.0075},
        {1134, "abc", &TestSettings::RDwell, 0.0},
    };
    for (const auto& c : cases) {
        S().Test.RecordTime = 0.4;
        S().Test.Delay = 0.02;
        S().Test.Dwell = S().Test.RDwell = 0.3;
        S().Test.Distance = 50;
        INT_PTR result = Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kMotion);
            Type(page, c.id, c.text);
            EXPECT_TRUE(ApplyEnabled(sheet));
            Press(sheet, PSBTN_OK);
        });
        EXPECT_GT(result, 0) << c.text;
        EXPECT_DOUBLE_EQ(S().Test.*c.field, c.stored) << c.id << " " << c.text;
        EXPECT_TRUE(std::isfinite(S().Test.*c.field));
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TestSetupSheet, RepeatCountIsStoredAsMagnitudeAndZeroTurnsRepeatOff) {
    const struct { const char* count; BYTE repeat, storedRepeat; int storedCount; } cases[] = {
        {"-3", 1, 1, 3}, {"0", 1, 0, 0}, {"abc", 1, 0, 0}, {"5", 0, 0, 5}, {"-2147483648", 1, 1, 9},
    };
    for (const auto& c : cases) {
        S().Test.Repeat = 0;
        S().Test.Count = 9;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kMotion);
            if (c.repeat) Click(page, 1130);
            Type(page, 1132, c.count);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_EQ(S().Test.Count, c.storedCount) << c.count;
        EXPECT_EQ(S().Test.Repeat, c.storedRepeat) << c.count << " " << Boxes().size()
                                                   << (Boxes().empty() ? "" : Boxes()[0].text);
    }
}

TEST_F(TestSetupSheet, ReopenedPageShowsWhatWasStored) {
    S().Test.Repeat = 0;
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        Type(page, 1111, "250");
        Click(page, 1130);
        Type(page, 1132, "0");
        Press(sheet, PSBTN_OK);
    });
    EXPECT_DOUBLE_EQ(S().Test.RecordTime, 0.25);
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        EXPECT_EQ(Text(page, 1111), "250.000");
        EXPECT_FALSE(Checked(page, 1130));
        EXPECT_FALSE(Enabled(page, 1132));
    });
}

TEST_F(TestSetupSheet, EditsCombosAndModeBoxesEnableApply) {
    struct Action { const char* what; std::function<void(HWND)> act; };
    const Action actions[] = {
        {"distance", [](HWND p) { Type(p, 1110, "1"); }}, {"time", [](HWND p) { Type(p, 1111, "1"); }},
        {"delay", [](HWND p) { Type(p, 1112, "1"); }},    {"dwell", [](HWND p) { Type(p, 1122, "1"); }},
        {"count", [](HWND p) { Type(p, 1132, "1"); }},    {"rdwell", [](HWND p) { Type(p, 1134, "1"); }},
        {"master", [](HWND p) { Pick(p, 1142, 2); }},     {"slave", [](HWND p) { Pick(p, 1144, 3); }},
        {"cycle", [](HWND p) { Click(p, 1120); }},        {"repeat", [](HWND p) { Click(p, 1130); }},
        {"gantry", [](HWND p) { Click(p, 1140); }},
    };
    for (const auto& a : actions) {
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kMotion);
            EXPECT_FALSE(ApplyEnabled(sheet)) << a.what;
            a.act(page);
            EXPECT_TRUE(ApplyEnabled(sheet)) << a.what;
        });
    }
}

TEST_F(TestSetupSheet, ModeBoxesToggleTheirGroups) {
    const struct { int check, first, last; } groups[] = {{1120, 1121, 1123}, {1130, 1131, 1135}, {1140, 1141, 1145}};
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        for (const auto& g : groups) {
            for (bool on : {true, false}) {
                Click(page, g.check);
                EXPECT_EQ(Checked(page, g.check), on) << g.check;
                for (int id = g.first; id <= g.last; ++id) EXPECT_EQ(Enabled(page, id), on) << id;
            }
        }
    });
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TestSetupSheet, ClearingShareMotorSettingsWarnsButIsAllowed) {
    S().Gantry = 1;
    S().GantryShare = 1;
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        Click(page, 1145);  // cleared: warning
        EXPECT_FALSE(Checked(page, 1145));
        Click(page, 1145);  // set again: no warning
        Click(page, 1145);  // cleared again: warning
        EXPECT_TRUE(ApplyEnabled(sheet));
        Press(sheet, PSBTN_OK);
    });
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& b : boxes) {
        EXPECT_EQ(b.text,
                  "Sharing PID settings in Gantry mode is recommended. Disabling\n"
                  "sharing allows the each gantry axis to have unique settings. This\n"
                  "may result in erratic or dangerous operation.");
        EXPECT_EQ(b.caption, "Warning");
        EXPECT_EQ(b.style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
    }
    EXPECT_EQ(S().GantryShare, 0);
}

TEST_F(TestSetupSheet, GantryAxesAreStoredUnlessMasterEqualsSlaveInGantryMode) {
    const struct { BYTE gantry; int master, slave; bool refused; } cases[] = {
        {1, 1, 1, true}, {0, 1, 1, false}, {1, 0, 2, false}, {1, 3, 0, false},
    };
    for (const auto& c : cases) {
        responder.ClearRecords();
        S().Gantry = 0;
        S().GantryMaster = 1;
        S().GantrySlave = 2;
        S().Test.Distance = 100;
        S().Test.RecordTime = 0.5;
        bool openAfterOk = false;
        int pageAfterOk = -1;
        Run([&](HWND sheet) {
            HWND plot = ShowPage(sheet, kPlot);
            Click(plot, 1234);
            HWND page = ShowPage(sheet, kMotion);
            if (c.gantry) Click(page, 1140);
            Pick(page, 1142, c.master);
            Pick(page, 1144, c.slave);
            Type(page, 1110, "555");
            Type(page, 1111, "300");
            Press(sheet, PSBTN_OK);
            openAfterOk = Open(sheet);
            pageAfterOk = CurrentPage(sheet);
        });
        std::string row = std::to_string(c.gantry) + " " + std::to_string(c.master) + " " + std::to_string(c.slave);
        EXPECT_EQ(openAfterOk, c.refused) << row;
        EXPECT_DOUBLE_EQ(S().Test.RecordTime, 0.3) << row;  // stored before the check
        if (c.refused) {
            EXPECT_EQ(pageAfterOk, kMotion);
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_EQ(Boxes()[0].text,
                      "The master and slave axis settings for gantry\nmode may not be set to the same axis number.");
            EXPECT_EQ(Boxes()[0].caption, "Parameter Error");
            EXPECT_EQ(Boxes()[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
            EXPECT_DOUBLE_EQ(S().Test.Distance, 100);
            EXPECT_EQ(S().Gantry, 0);
            EXPECT_EQ(S().Test.Sampling, 1);  // the plot page after it was not applied
        } else {
            EXPECT_TRUE(Boxes().empty()) << row;
            EXPECT_DOUBLE_EQ(S().Test.Distance, 555);
            EXPECT_EQ(S().Gantry, c.gantry);
            EXPECT_EQ(S().GantryMaster, c.master + 1);
            EXPECT_EQ(S().GantrySlave, c.slave + 1);
            EXPECT_EQ(S().Test.Sampling, 4);
        }
    }
}

TEST_F(TestSetupSheet, StoredGantryMasterOfZeroShowsNoSelectionAndStaysZero) {
    S().GantryMaster = 0;
    S().GantrySlave = 9;  // beyond the controller's four axes
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        EXPECT_EQ(SendDlgItemMessageA(page, 1142, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(SendDlgItemMessageA(page, 1144, CB_GETCURSEL, 0, 0), CB_ERR);
        Type(page, 1110, "10");
        Press(sheet, PSBTN_OK);
    });
    EXPECT_EQ(S().GantryMaster, 0);
    EXPECT_EQ(S().GantrySlave, 9);  // kept as stored, not made 0
    EXPECT_EQ(GantryPartner(S()), 0);
}

// One combo box left empty with the other picked: the empty one's stored axis
// stays, and a damaged one still pairs nothing on the next start.
TEST_F(TestSetupSheet, AnEmptyGantryComboKeepsItsStoredAxisAndPairsNothing) {
    S().Gantry = 1;
    S().GantryMaster = 40;
    S().GantrySlave = 3;
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        EXPECT_EQ(SendDlgItemMessageA(page, 1142, CB_GETCURSEL, 0, 0), CB_ERR);
        Pick(page, 1144, 1);
        Press(sheet, PSBTN_OK);
    });
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(S().GantryMaster, 40);
    EXPECT_EQ(S().GantrySlave, 2);
    EXPECT_EQ(GantryPartner(S()), 0);
}

// What the edits show is rounded to their decimals; OK must not store that
// rounding for a field the user left alone.
TEST_F(TestSetupSheet, UntouchedFieldsKeepTheirStoredValuesExactly) {
    for (bool typeDistance : {false, true}) {
        S().Test.Distance = 0.0004;
        S().Test.RecordTime = 0.0123456;
        S().Test.Delay = 0.00004;
        S().Test.Dwell = 0.00012;
        S().Test.RDwell = 0.00034;
        S().AuxCapture = 1;
        S().PlotAuxiliary = 1;
        S().AuxiliaryScale = 0.0002;
        INT_PTR result = Run([&](HWND sheet) {
            HWND motion = ShowPage(sheet, kMotion);
            if (typeDistance) Type(motion, 1110, "0.25");
            ShowPage(sheet, kPlot);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_GT(result, 0);
        EXPECT_EQ(S().Test.Distance, typeDistance ? 0.25 : 0.0004);
        EXPECT_EQ(S().Test.RecordTime, 0.0123456);
        EXPECT_EQ(S().Test.Delay, 0.00004);
        EXPECT_EQ(S().Test.Dwell, 0.00012);
        EXPECT_EQ(S().Test.RDwell, 0.00034);
        EXPECT_EQ(S().AuxiliaryScale, 0.0002);
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TestSetupSheet, DelayBeyondTheLimitAsksToFixOrReturnsToThePage) {
    const struct { const char* delay; double stored; int answer; } cases[] = {
        {"60001", 0.02, IDCANCEL}, {"1e12", 0.02, IDOK}, {"inf", 0.02, IDOK},
        {nullptr, 1e9, IDOK},  // a damaged delay the page shows but must not keep
    };
    for (const auto& c : cases) {
        const std::string row = c.delay ? c.delay : "stored 1e9";
        responder.ClearRecords();
        S().Test.Delay = c.stored;
        S().Test.Distance = 100;
        bool openAfterOk = false;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kMotion);
            if (c.delay) Type(page, 1112, c.delay);
            Type(page, 1110, "777");
            Press(sheet, PSBTN_OK);
            openAfterOk = Open(sheet);
            if (openAfterOk) EXPECT_EQ(Text(page, 1112), c.delay);  // the entries stay for correcting
        }, {c.answer});
        ASSERT_EQ(Boxes().size(), 1u) << row;
        EXPECT_EQ(Boxes()[0].text,
                  "The delay may not be longer than 60000 ms\n"
                  "Select OK to fix the settings and continue or Cancel to return to the dialog box");
        EXPECT_EQ(Boxes()[0].caption, "Parameter Error");
        EXPECT_EQ(Boxes()[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OKCANCEL));
        EXPECT_EQ(openAfterOk, c.answer == IDCANCEL) << row;
        EXPECT_DOUBLE_EQ(S().Test.Delay, c.answer == IDOK ? 60.0 : c.stored) << row;
        EXPECT_DOUBLE_EQ(S().Test.Distance, c.answer == IDOK ? 777 : 100) << row;
    }
}

TEST_F(TestSetupSheet, RecordTimeTooLongAsksToFixOrReturnsToThePage) {
    const struct { const char* time; int answer; } cases[] = {
        {"100000000", IDCANCEL}, {"100000000", IDOK}, {"1e999", IDOK}, {"60001", IDCANCEL},
    };
    for (const auto& c : cases) {
        responder.ClearRecords();
        S().Test.RecordTime = 0.5;
        S().Test.Distance = 100;
        bool openAfterOk = false;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kMotion);
            Type(page, 1111, c.time);
            Type(page, 1110, "777");
            Press(sheet, PSBTN_OK);
            openAfterOk = Open(sheet);
            if (openAfterOk) EXPECT_EQ(Text(page, 1111), c.time);  // the entries stay for correcting
        }, {c.answer});
        ASSERT_EQ(Boxes().size(), 1u) << c.time;
        EXPECT_EQ(Boxes()[0].text,
                  "This controller cannot support data capture times of longer than 60.000000 seconds\n"
                  "Select OK to fix the settings and continue or Cancel to return to the dialog box");
        EXPECT_EQ(Boxes()[0].caption, "Parameter Error");
        EXPECT_EQ(Boxes()[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OKCANCEL));
        EXPECT_EQ(openAfterOk, c.answer == IDCANCEL);
        EXPECT_DOUBLE_EQ(S().Test.RecordTime, 60.0) << c.time;
        EXPECT_DOUBLE_EQ(S().Test.Distance, c.answer == IDOK ? 777 : 100) << c.time;
    }
}

TEST_F(TestSetupSheet, RecordTimeBeyondTheCaptureBufferIsReportedWithTheLongestTime) {
    S().AdvancedCapture = 0;  // the capture runs at the servo period
    TestSettings probe = S().Test;
    probe.RecordTime = 30.0;
    double limit = LimitRecordTime(probe, S().ControllerHandle, static_cast<unsigned short>(S().Axis), 0);
    Run([&](HWND sheet) {
        Type(ShowPage(sheet, kMotion), 1111, "30000");
        Press(sheet, PSBTN_OK);
    }, {IDOK});
    if (limit == 0.0) {
        EXPECT_TRUE(Boxes().empty());
        EXPECT_DOUBLE_EQ(S().Test.RecordTime, 30.0);
        return;
    }
    char text[300];
    std::snprintf(text, sizeof text,
                  "This controller cannot support data capture times of longer than %f seconds\n"
                  "Select OK to fix the settings and continue or Cancel to return to the dialog box",
                  limit);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, text);
    EXPECT_DOUBLE_EQ(S().Test.RecordTime, limit > 0 ? limit : 30.0);
}

TEST_F(TestSetupSheet, CancelStoresNothingButAnEarlierApplyStays) {
    INT_PTR cancelled = Run([&](HWND sheet) {
        Type(ShowPage(sheet, kMotion), 1110, "321");
        Press(sheet, PSBTN_CANCEL);
    });
    EXPECT_LE(cancelled, 0);
    EXPECT_DOUBLE_EQ(S().Test.Distance, 100);
    bool applyAfterApply = true;
    INT_PTR applied = Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kMotion);
        Type(page, 1110, "321");
        Press(sheet, PSBTN_APPLYNOW);
        applyAfterApply = ApplyEnabled(sheet);
        EXPECT_TRUE(Open(sheet));
        Type(page, 1110, "654");
        Press(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(applyAfterApply);
    EXPECT_GT(applied, 0);
    EXPECT_DOUBLE_EQ(S().Test.Distance, 321);
}

// ---------------------------------------------------------------- plot settings

TEST_F(TestSetupSheet, PlotPageShowsChoicesAndEnablesByStyleAndCapture) {
    const struct {
        int style;
        int torqueCapture, auxCapture;
        BYTE actual, torque, auxiliary;
        bool curvesEnabled, torqueChecked, auxChecked;
    } cases[] = {
        {kPlotMulti, 1, 1, 0, 0, 1, false, false, true},   // stored states shown greyed, not forced on
        {kPlotSingle, 0, 0, 1, 1, 1, true, true, false},   // no capture: torque kept, auxiliary cleared
        {kPlotSeparate, 1, 0, 1, 1, 0, true, true, false},
    };
    for (const auto& c : cases) {
        AppState& s = S();
        s.PlotStyle = c.style;
        s.TorqueCapture = c.torqueCapture;
        s.AuxCapture = c.auxCapture;
        s.PlotActual = c.actual;
        s.PlotOptimal = 1;
        s.PlotError = 0;
        s.PlotTarget = 1;
        s.PlotTorque = c.torque;
        s.PlotAuxiliary = c.auxiliary;
        s.AuxiliaryScale = -2.5;
        s.Test.Sampling = 2;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kPlot);
            std::string row = std::to_string(c.style);
            EXPECT_EQ(Checked(page, 1210), c.actual != 0) << row;
            EXPECT_TRUE(Checked(page, 1211)) << row;
            EXPECT_FALSE(Checked(page, 1212)) << row;
            EXPECT_TRUE(Checked(page, 1214)) << row;
            for (int id : {1210, 1211, 1212}) EXPECT_EQ(Enabled(page, id), c.curvesEnabled) << row << " " << id;
            EXPECT_EQ(Checked(page, 1213), c.torqueChecked) << row;
            EXPECT_EQ(Enabled(page, 1213), c.torqueCapture != 0) << row;
            EXPECT_EQ(Checked(page, 1215), c.auxChecked) << row;
            EXPECT_EQ(Enabled(page, 1215), c.auxCapture != 0) << row;
            EXPECT_EQ(Enabled(page, 1216), c.auxChecked) << row;
            EXPECT_EQ(Enabled(page, 1217), c.auxChecked) << row;
            EXPECT_EQ(Text(page, 1217), "-2.500");
            for (int id : {1220, 1221, 1222}) EXPECT_EQ(Checked(page, id), id == c.style) << row << " " << id;
            for (int id : {1231, 1232, 1234}) EXPECT_EQ(Checked(page, id), id == 1232) << row << " " << id;
            EXPECT_FALSE(ApplyEnabled(sheet));
            Press(sheet, PSBTN_OK);
        });
        // Disabled boxes are stored as they stand.
        EXPECT_EQ(s.PlotTorque, c.torqueChecked ? 1 : 0);
        EXPECT_EQ(s.PlotAuxiliary, c.auxChecked ? 1 : 0);
        EXPECT_EQ(s.PlotActual, c.actual);
        EXPECT_EQ(s.PlotStyle, c.style);
        EXPECT_DOUBLE_EQ(s.AuxiliaryScale, -2.5);
    }
}

TEST_F(TestSetupSheet, MultiChecksAndGreysTheSharedCurvesAndOtherStylesFreeThem) {
    S().PlotStyle = kPlotSingle;
    S().PlotActual = S().PlotOptimal = S().PlotError = 0;
    S().TorqueCapture = 0;
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kPlot);
        Click(page, 1221);
        for (int id : {1210, 1211, 1212}) {
            EXPECT_TRUE(Checked(page, id)) << id;
            EXPECT_FALSE(Enabled(page, id)) << id;
        }
        EXPECT_TRUE(Checked(page, 1221));
        EXPECT_FALSE(Checked(page, 1220));
        Click(page, 1222);
        for (int id : {1210, 1211, 1212}) {
            EXPECT_TRUE(Checked(page, id)) << id;
            EXPECT_TRUE(Enabled(page, id)) << id;
        }
        EXPECT_FALSE(Enabled(page, 1213));  // still no torque capture
        Click(page, 1210);
        EXPECT_FALSE(Checked(page, 1210));
        EXPECT_FALSE(ApplyEnabled(sheet));  // styles and curves do not report a change
        Press(sheet, PSBTN_OK);
    });
    EXPECT_EQ(S().PlotStyle, kPlotSeparate);
    EXPECT_EQ(S().PlotActual, 0);
    EXPECT_EQ(S().PlotOptimal, 1);
    EXPECT_EQ(S().PlotError, 1);
}

TEST_F(TestSetupSheet, AuxiliaryEncoderBoxTogglesItsScaling) {
    S().AuxCapture = 1;
    S().PlotAuxiliary = 0;
    Run([&](HWND sheet) {
        HWND page = ShowPage(sheet, kPlot);
        for (bool on : {true, false}) {
            Click(page, 1215);
            EXPECT_EQ(Checked(page, 1215), on);
            EXPECT_EQ(Enabled(page, 1216), on);
            EXPECT_EQ(Enabled(page, 1217), on);
        }
    });
}

TEST_F(TestSetupSheet, PlottingRadiosChooseTheSamplingAndEnableApply) {
    const struct { int stored; int click; int expected; } cases[] = {
        {1, 1234, 4}, {4, 1232, 2}, {2, 1231, 1}, {3, 0, 3}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        S().Test.Sampling = c.stored;
        bool applyBefore = true, applyAfter = false;
        int checkedBefore = 0;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kPlot);
            for (int id : {1231, 1232, 1234})
                if (Checked(page, id)) checkedBefore = id;
            applyBefore = ApplyEnabled(sheet);
            if (c.click) Click(page, c.click);
            applyAfter = ApplyEnabled(sheet);
            Press(sheet, PSBTN_OK);
        });
        std::string row = std::to_string(c.stored) + " " + std::to_string(c.click);
        EXPECT_EQ(checkedBefore, c.stored == 1 || c.stored == 2 || c.stored == 4 ? 1230 + c.stored : 0) << row;
        EXPECT_FALSE(applyBefore) << row;
        EXPECT_EQ(applyAfter, c.click != 0) << row;
        EXPECT_EQ(S().Test.Sampling, c.expected) << row;
    }
}

TEST_F(TestSetupSheet, AuxiliaryScaleIsStoredWithoutRangeButAlwaysFinite) {
    const struct { const char* text; double stored; } cases[] = {
        {"-2.5", -2.5}, {"abc", 0.0}, {"12.125", 12.125}, {"nan", 0.0}, {"1e999", 0.0},
    };
    for (const auto& c : cases) {
        S().AuxCapture = 1;
        S().PlotAuxiliary = 1;
        Run([&](HWND sheet) {
            Type(ShowPage(sheet, kPlot), 1217, c.text);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_DOUBLE_EQ(S().AuxiliaryScale, c.stored) << c.text;
    }
}

TEST_F(TestSetupSheet, AppliedPlotChoicesRelayTheMainWindowOut) {
    AppState& s = S();
    ASSERT_EQ(s.PlotStyle, kPlotMulti);
    ASSERT_EQ(s.PlotPaneCount(), 2);
    responder.Handle([](HWND sheet) {
        HWND page = ShowPage(sheet, kPlot);
        Click(page, 1222);
        Press(sheet, PSBTN_OK);
    });
    app.Command(IDM_TEST_SETUP);
    EXPECT_EQ(s.PlotStyle, kPlotSeparate);
    ASSERT_EQ(s.PlotPaneCount(), 3);
    for (int i = 0; i < kPaneCount; ++i) EXPECT_EQ(IsWindowVisible(s.PlotPanes[i]) != FALSE, i < 3) << i;

    responder.Handle([](HWND sheet) {
        Click(ShowPage(sheet, kPlot), 1220);
        Press(sheet, PSBTN_CANCEL);
    });
    app.Command(IDM_TEST_SETUP);
    EXPECT_EQ(s.PlotStyle, kPlotSeparate);
    for (int i = 0; i < kPaneCount; ++i) EXPECT_EQ(IsWindowVisible(s.PlotPanes[i]) != FALSE, i < 3) << i;
}

// "Response metrics" turns pane 0's metrics box and markers off and on; the
// choice is a global setting, written at close and read at the next start.
TEST_F(TestSetupSheet, ResponseMetricsBoxHidesAndRestoresBoxAndMarkersAndIsStored) {
    ScratchHistory history("metricshistory");  // the bench tests' history rows go to a scratch folder
    auto benchTest = [&] {
        ReadyBenchStepTest(app);
        RunStepTest(app.Main(), 1);
        ASSERT_EQ(S().TestDone, 1);
    };
    // Clicks the box as a user does, then OK; returns whether it was checked before.
    auto clickMetrics = [&] {
        bool before = false;
        responder.Handle([&before](HWND sheet) {
            HWND page = ShowPage(sheet, kPlot);
            before = Checked(page, IDC_PLOT_METRICS);
            SendDlgItemMessageA(page, IDC_PLOT_METRICS, BM_CLICK, 0, 0);
            Press(sheet, PSBTN_OK);
        });
        app.Command(IDM_TEST_SETUP);
        EXPECT_EQ(responder.Pending(), 0u);
        return before;
    };
    auto storedMetrics = [] {
        return ReadRegValue(HKEY_CURRENT_USER, "Software\\Quelmont\\Draxwell\\Loopsmith", "PlotMetrics");
    };
    auto close = [&] {
        responder.Press(IDNO);  // tuning parameters changed by the tests: not saved to the controller
        app.Close();
        responder.DropScript();
    };
    {
        ExtrasRecorder pane0(S().PlotPanes[0]);
        benchTest();
        ASSERT_TRUE(pane0.hasText);
        ASSERT_EQ(pane0.markers.size(), static_cast<size_t>(kMarkerCount));
        const std::string shown = pane0.text;
        const std::vector<double> marked = pane0.markers;

        EXPECT_TRUE(clickMetrics());
        EXPECT_EQ(S().PlotMetrics, 0);
        EXPECT_FALSE(pane0.hasText);
        EXPECT_TRUE(pane0.markers.empty());

        EXPECT_FALSE(clickMetrics());
        EXPECT_EQ(S().PlotMetrics, 1);
        EXPECT_EQ(pane0.text, shown);
        ASSERT_EQ(pane0.markers.size(), marked.size());
        for (size_t i = 0; i < marked.size(); ++i)  // a marker left out is NaN both times
            EXPECT_TRUE(pane0.markers[i] == marked[i] || (std::isnan(pane0.markers[i]) && std::isnan(marked[i]))) << i;

        EXPECT_TRUE(clickMetrics());
        EXPECT_FALSE(pane0.hasText);
    }
    close();
    RegValue off = storedMetrics();
    EXPECT_TRUE(off.exists);
    EXPECT_EQ(off.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(off.bytes, (std::vector<unsigned char>{0}));

    // The next start reads it back: the box shows unchecked and a test draws no box.
    ASSERT_NE(app.Start(), nullptr);
    {
        ExtrasRecorder pane0(S().PlotPanes[0]);
        benchTest();
        EXPECT_FALSE(pane0.hasText);
        EXPECT_TRUE(pane0.markers.empty());
        EXPECT_FALSE(clickMetrics());
        EXPECT_TRUE(pane0.hasText);
        EXPECT_EQ(pane0.markers.size(), static_cast<size_t>(kMarkerCount));
    }
    close();
    EXPECT_EQ(storedMetrics().bytes, (std::vector<unsigned char>{1}));
}

// ---------------------------------------------------------------- info

TEST_F(TestSetupSheet, InfoPageDescribesTheCurrentAxisAndStoresNothing) {
    const struct { int axis; const char* buffer; const char* advanced; const char* modes; } cases[] = {
        {1, "2048", "Yes", "Position, Optimal, Error, Torque, Auxiliary"},  // bench axis 1: 0x380
        {4, "0", "No", "Position, Optimal, Error"},                          // the stepper: no capture
    };
    for (const auto& c : cases) {
        SelectAxis(S(), c.axis);
        AxisConfig config = {};
        config.Size = kAxisConfigSize;
        ZqGetAxisConfiguration(S().ControllerHandle, static_cast<unsigned short>(c.axis), &config);
        char description[257] = {};
        ZQDLG_ModuleDescEx(config.ModuleType, 1, description, 256);
        TestSettings before = S().Test;
        Run([&](HWND sheet) {
            HWND page = ShowPage(sheet, kInfo);
            EXPECT_EQ(Text(page, 1001), "Axis " + std::to_string(c.axis) + " Settings");
            EXPECT_EQ(Text(page, 1002), description);
            EXPECT_EQ(Text(page, 1003), c.buffer);
            EXPECT_EQ(Text(page, 1004), "0.000500");  // the servo period at update rate 4
            EXPECT_EQ(Text(page, 1005), c.advanced);
            EXPECT_EQ(Text(page, 1006), c.modes);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_DOUBLE_EQ(S().Test.RecordTime, before.RecordTime);
        EXPECT_DOUBLE_EQ(S().Test.Distance, before.Distance);
    }
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
        {check, 10, 126, 100, 10, 1218, "Button", "Response metrics"},

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
