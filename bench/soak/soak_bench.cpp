// Soak run: 1,000 step tests on the bench's axis 1 with a slider move before
// each, then every menu command that opens a dialog, opened and cancelled.
// Reports the process's GDI and USER object counts and private memory after
// the first test and at the end, and the longest test against its sleep.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "tests/harness/wall_clock.h"

namespace {

struct Usage {
    DWORD gdi, user;
    SIZE_T privateBytes;
};

Usage Measure() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // PagefileUsage is the private committed memory; it is what Wine reports.
    return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
            memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage};
}

void Print(const char* when, const Usage& u) {
    std::printf("%-28s GDI objects %5lu   USER objects %5lu   private bytes %10lu\n", when, u.gdi, u.user,
                static_cast<unsigned long>(u.privateBytes));
}

}  // namespace

int main() {
    IsolatedRegistry registry;
    LoopsmithApp app;
    if (!app.Start()) {
        std::printf("soak: the program did not start\n");
        return 1;
    }
    AppState& s = app.State();
    // Short captures keep a thousand tests within minutes; the sleep is what
    // the program computes from the record time, so "sleep + 50 ms" holds as is.
    s.Test.RecordTime = 0.05;
    ZqEnableAxis(s.ControllerHandle, static_cast<unsigned short>(s.Axis), 1);
    PumpMessages(300);

    const int tests = 1000;
    const double sleepMs = (s.Test.RecordTime + s.Test.Delay) * 1000 + 25;
    HWND slider = GetDlgItem(s.PanelWindow, IDC_SLIDER_P);
    Usage first = {};
    double longest = 0, total = 0;
    for (int i = 0; i < tests; ++i) {
        double percent = 20.0 + (i % 10);
        if (slider) SendMessageA(slider, SLM_SETPERCENT, 0, reinterpret_cast<LPARAM>(&percent));
        double start = WallSeconds();
        app.Command(i % 2 ? IDM_STEP_MINUS : IDM_STEP_PLUS);
        double ms = (WallSeconds() - start) * 1000;
        PumpMessages();
        longest = ms > longest ? ms : longest;
        total += ms;
        if (i == 0) first = Measure();
    }
    Usage afterTests = Measure();

    Responder responder;  // every dialog is cancelled
    const int commands[] = {IDM_SELECT_CONTROLLER, IDM_RESET_CONTROLLER, IDM_OPEN, IDM_SAVE_AS, IDM_IMPORT_ZPCL,
                            IDM_EXPORT_ZPCL, IDM_PRINT, IDM_AXIS_SETUP, IDM_SCALING_SETUP, IDM_PID_SLIDER_SETUP,
                            IDM_TEST_SETUP, IDM_PLOT_WINDOW_SETUP, IDM_ABOUT};
    // The first round loads the system's dialog and printer libraries once;
    // growth is judged over the rounds after it.
    Usage warm = {};
    for (int round = 0; round < 4; ++round) {
        for (int id : commands) {
            app.Command(id);
            PumpMessages(20);
        }
        if (round == 0) warm = Measure();
    }
    Usage end = Measure();

    std::printf("soak: %d step tests, record time %.3f s, sleep %.0f ms each\n", tests, s.Test.RecordTime, sleepMs);
    std::printf("soak: longest test %.1f ms (sleep + %.1f ms), mean %.1f ms\n", longest, longest - sleepMs,
                total / tests);
    std::printf("soak: %zu dialogs opened and cancelled\n", responder.Records().size());
    Print("after the first test", first);
    Print("after all tests", afterTests);
    Print("after one round of dialogs", warm);
    Print("after three more rounds", end);
    long gdi = static_cast<long>(end.gdi) - static_cast<long>(first.gdi);
    long user = static_cast<long>(end.user) - static_cast<long>(first.user);
    long memory = static_cast<long>(end.privateBytes) - static_cast<long>(warm.privateBytes) +
                  static_cast<long>(afterTests.privateBytes) - static_cast<long>(first.privateBytes);
    if (first.gdi == 0 && first.user == 0)
        std::printf("soak: this platform does not report GDI and USER object counts\n");
    std::printf("soak: growth over the tests and the later dialog rounds: GDI %+ld, USER %+ld, private bytes %+ld%s\n",
                gdi, user, memory,
                (gdi == 0 && user == 0 && memory <= 4096) ? " (steady)" : " (GROWTH)");
    if (longest < sleepMs) std::printf("soak: the step command did not run a test (is the motor on?)\n");
    app.Close();
    return 0;
}
