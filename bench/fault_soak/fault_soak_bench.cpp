// Fault soak: 1,000 step tests on the bench's axis 1 while the simulated
// controller fails 2 % of its calls at random and drops out for two seconds
// once in every 100 tests (the program is started anew for each hundred, so
// that the outage clock starts again). Every test that the program shows is
// compared with the capture the controller holds. Prints crashes, hangs, tests
// drawn from real data, tests reported failed, tests not run, tests shown with
// a made-up value, and the memory growth within each run after its warm-up.
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "controller/zq_library.h"
#include "core/app_state.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"
#include "sim_config_file.h"

namespace {

constexpr int kBlocks = 10;
constexpr int kTestsPerBlock = 100;
// Tests of each run before its memory is first measured.
constexpr int kWarmUpTests = 20;
// No test, start or close may take longer than this; then the soak counts a hang.
constexpr DWORD kHangMs = 180000;

std::atomic<DWORD> g_progress{0};
std::atomic<bool> g_done{false};

DWORD WINAPI Watchdog(void*) {
    while (!g_done) {
        Sleep(1000);
        if (GetTickCount() - g_progress > kHangMs) {
            std::printf("fault soak: crashes 0, hangs 1 (no progress for %lu s)\n", kHangMs / 1000);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 2);
        }
    }
    return 0;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e) {
    std::printf("fault soak: crashes 1 (exception 0x%08lx), hangs 0\n", e->ExceptionRecord->ExceptionCode);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    return memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
}

// The captured points of one type, read until the controller answers (the
// soak's own reads meet the same faults, and an outage lasts seconds).
bool ReadCaptured(short h, int type, int count, std::vector<double>& out) {
    out.assign(static_cast<size_t>(count), 0.0);
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (ZqGetCaptureData(h, 1, type, 0, count, out.data()) >= 0) return true;
        Sleep(100);
    }
    return false;
}

bool Near(double a, double b) { return std::fabs(a - b) <= 1e-9 * (1.0 + std::fabs(a) + std::fabs(b)); }

// Whether every stored sample of the shown test is what the capture holds:
// Actual and Optimal relative to the start target (found from the first
// captured point), Torque as captured.
enum class Check { Real, MadeUp, Unverified };

Check CompareWithCapture(AppState& s, int plus) {
    const SampleSequence& actual = *ChannelFor(s, Channel::Actual, 1);
    const SampleSequence& optimal = *ChannelFor(s, Channel::Optimal, 1);
    const SampleSequence& torque = *ChannelFor(s, Channel::Torque, 1);
    const int points = s.LastTest.SampleCount - 1;
    if (s.LastTest.Sampling != 1 || points < 1 || actual.Length() != static_cast<size_t>(points) + 1)
        return Check::MadeUp;
    std::vector<double> a, o, t;
    const short h = s.ControllerHandle;
    if (!ReadCaptured(h, kCaptureActual, points, a) || !ReadCaptured(h, kCaptureOptimal, points, o))
        return Check::Unverified;
    const bool withTorque = s.TorqueCapture != 0;
    if (withTorque && !ReadCaptured(h, kCaptureTorque, points, t)) return Check::Unverified;
    const double sign = plus ? 1.0 : -1.0;
    const double start = a[0] - actual.At(1) * sign;
    if (actual.At(0) != 0.0) return Check::MadeUp;
    for (int j = 1; j <= points; ++j) {
        if (!Near(actual.At(j), (a[j - 1] - start) * sign)) return Check::MadeUp;
        if (!Near(optimal.At(j), (o[j - 1] - start) * sign)) return Check::MadeUp;
        if (withTorque && !Near(torque.At(j), t[j - 1])) return Check::MadeUp;
    }
    return Check::Real;
}

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

}  // namespace

int main() {
    SetUnhandledExceptionFilter(OnCrash);
    g_progress = GetTickCount();
    HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    IsolatedRegistry registry;
    Responder responder;  // every box is answered; Select Controller is cancelled

    int real = 0, failed = 0, notRun = 0, madeUp = 0, unverified = 0, restarts = 0, outageMessages = 0;
    SIZE_T warm = 0, end = 0;
    long runGrowthMax = 0, runGrowthSum = 0;
    int measuredRuns = 0;
    double record = 0.05;
    for (int block = 0; block < kBlocks; ++block) {
        const std::string faults = "seed=" + std::to_string(block + 1) +
                                   ";fail=*:0.02;fail=ZqClose:0;vanish_after=4;reappear_after=6";
        SimFaults plan(faults);
        LoopsmithApp app;
        // A start whose own calls failed may end without an open controller: start again.
        for (int attempt = 0; attempt < 50; ++attempt) {
            g_progress = GetTickCount();
            if (app.Start() && app.State().ControllerHandle > 0) break;
            ++restarts;
            if (app.Alive()) app.Close();
        }
        if (!app.Alive() || app.State().ControllerHandle <= 0) {
            std::printf("fault soak: block %d found no controller\n", block);
            continue;
        }
        AppState& s = app.State();
        s.Test.RecordTime = record;
        while (ZqEnableAxis(s.ControllerHandle, 1, 1) < 0) Sleep(10);
        PumpMessages(300);

        SIZE_T runWarm = 0;
        for (int i = 0; i < kTestsPerBlock; ++i) {
            g_progress = GetTickCount();
            if (i == kWarmUpTests) runWarm = PrivateBytes();
            const int plus = i % 2 ? 0 : 1;
            s.TestDone = 0;
            s.Test.RecordTime = record;
            responder.ClearRecords();
            app.Command(plus ? IDM_STEP_PLUS : IDM_STEP_MINUS);
            PumpMessages();
            bool reported = false;
            for (const DialogRecord& r : responder.Records()) {
                reported |= StartsWith(r.text, "The step test failed:");
                outageMessages += StartsWith(r.text, "The controller does not respond:");
            }
            if (s.TestDone) {
                switch (CompareWithCapture(s, plus)) {
                case Check::Real: ++real; break;
                case Check::MadeUp: ++madeUp; break;
                case Check::Unverified: ++unverified; break;
                }
            } else if (reported) {
                ++failed;
            } else {
                ++notRun;  // refused: the motor LED was dark during an outage
            }
            // A motor that an injected fault or the outage left off is switched on again.
            if (!IsWindowEnabled(GetDlgItem(app.Panel(), IDC_STEP_PLUS))) {
                ZqEnableAxis(s.ControllerHandle, 1, 1);
                PumpMessages(120);
            }
        }
        const long runGrowth = static_cast<long>(PrivateBytes()) - static_cast<long>(runWarm);
        runGrowthMax = runGrowth > runGrowthMax ? runGrowth : runGrowthMax;
        runGrowthSum += runGrowth;
        ++measuredRuns;
        g_progress = GetTickCount();
        responder.DropScript();
        responder.Press(IDNO);  // the exit question
        app.Close();
        responder.ClearRecords();
        if (block == 0) warm = PrivateBytes();
        end = PrivateBytes();
    }
    g_done = true;
    WaitForSingleObject(watchdog, 5000);

    std::printf("fault soak: %d step tests in %d runs, ZQSIM_FAULTS fail=*:0.02 and a 2 s outage each run\n",
                kBlocks * kTestsPerBlock, kBlocks);
    std::printf("fault soak: crashes 0, hangs 0\n");
    std::printf("fault soak: tests drawn from real data %d, reported failed %d, not run (outage) %d\n", real, failed,
                notRun);
    std::printf("fault soak: tests shown with a made-up value %d%s\n", madeUp, madeUp ? " (FAULT)" : "");
    if (unverified) std::printf("fault soak: %d shown tests could not be compared (capture unreadable)\n", unverified);
    std::printf("fault soak: outage messages %d, start-ups repeated after a failed call %d\n", outageMessages,
                restarts);
    if (measuredRuns)
        std::printf("fault soak: private bytes within a run, test %d to test %d: growth mean %+ld, largest %+ld%s\n",
                    kWarmUpTests, kTestsPerBlock, runGrowthSum / measuredRuns, runGrowthMax,
                    runGrowthMax <= 65536 ? " (within 64 KB)" : " (GROWTH)");
    std::printf("fault soak: private bytes after the first run %lu, after the last %lu (%+ld over %d restarts of "
                "the program)\n",
                static_cast<unsigned long>(warm), static_cast<unsigned long>(end),
                static_cast<long>(end) - static_cast<long>(warm), kBlocks - 1);
    return 0;
}
