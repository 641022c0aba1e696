// Loopsmith.exe started 50 times over stored settings damaged at random (a
// fixed seed): random bytes, types and sizes in the values a normal run
// stores. Each run answers whatever the program asks, runs a step test when a
// controller is open and exits. No run may crash or hang, and what the program
// writes back must be usable again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "journal.h"
#include "process.h"
#include "registry.h"
#include "resources/app_ids.h"
#include "resources/panel_ids.h"
#include "responder.h"

namespace {

const char kKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith";
constexpr int kRuns = 50;
constexpr int kControllerList = 1001;  // the Select Controller dialog's list

struct StoredValue {
    std::string key, name;
    DWORD type = 0;
    std::vector<unsigned char> bytes;
};

// Every value below key, with the subkeys' values, as stored.
void ListValues(const std::string& key, std::vector<StoredValue>& out) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(h, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        out.push_back({key, name, type, ReadRegValue(HKEY_CURRENT_USER, key, name).bytes});
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(h, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.push_back(key + "\\" + name);
    }
    RegCloseKey(h);
    for (const std::string& sub : subkeys) ListValues(sub, out);
}

// A damaged value: random bytes of a random size and type, now and then a
// number that means something (a NaN, an infinity, an extreme, a small count).
StoredValue Damage(const StoredValue& v, std::mt19937& random) {
    StoredValue d = v;
    const DWORD types[] = {REG_BINARY, REG_DWORD, REG_SZ, REG_QWORD, REG_NONE, REG_EXPAND_SZ, REG_MULTI_SZ};
    if (random() % 2) d.type = types[random() % 7];
    const size_t sizes[] = {0, 1, 2, 3, 4, 7, 8, 9, 16, v.bytes.size()};
    d.bytes.assign(sizes[random() % 10], 0);
    for (unsigned char& b : d.bytes) b = static_cast<unsigned char>(random());
    if (random() % 3 == 0) {
        const double doubles[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                  -1.0, 0.0, -0.0, 1e308, 1e-300, 0.02, 250.0};
        const int ints[] = {0, -1, 2147483647, -2147483647 - 1, 17, 65536, 3, 1221, 40};
        if (d.bytes.size() >= 8 && random() % 2) {
            double x = doubles[random() % 9];
            std::memcpy(d.bytes.data(), &x, 8);
        } else if (d.bytes.size() >= 4) {
            int x = ints[random() % 9];
            std::memcpy(d.bytes.data(), &x, 4);
        }
    }
    return d;
}

// meanwhile is called by reference (std::ref): an Answerer copied into the
// std::function would record its texts in the copy.
bool WaitFor(const std::function<bool()>& done, int timeoutMs, const std::function<void()>& meanwhile) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        meanwhile();
        Sleep(50);
    }
    return true;
}

// Answers every dialog the program shows: Select Controller gets its first
// controller, a question its No, any other box its OK (or Cancel).
class Answerer {
public:
    explicit Answerer(const ProgramProcess& program) : program_(program) {}
    void operator()() {
        for (HWND w : program_.TopWindows()) {
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(w) || !IsWindowEnabled(w)) continue;
            if (w == last_ && GetTickCount() - lastAt_ < 2000) continue;  // pressed already, going away
            DialogRecord r = DescribeDialog(w);
            texts.push_back(r.caption + ": " + r.text);
            last_ = w;
            lastAt_ = GetTickCount();
            if (r.caption == "Select Controller") {
                SendDlgItemMessageA(w, kControllerList, LB_SETCURSEL, 0, 0);
                PostMessageA(w, WM_COMMAND, MAKEWPARAM(kControllerList, LBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(w, kControllerList)));
                PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, IDOK)));
                continue;
            }
            int id = GetDlgItem(w, IDNO) ? IDNO : GetDlgItem(w, IDOK) ? IDOK : IDCANCEL;
            PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
        }
    }
    std::vector<std::string> texts;

private:
    const ProgramProcess& program_;
    HWND last_ = nullptr;
    DWORD lastAt_ = 0;
};

HWND MainWindowOf(const ProgramProcess& program) {
    for (HWND w : program.TopWindows()) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpA(cls, "Loopsmith") == 0) return w;
    }
    return nullptr;
}

size_t Count(const Journal& journal, const char* name) { return Journal::Filter(journal.Lines(), {name}).size(); }

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts) all += "[" + t + "] ";
    return all;
}

// What the program wrote back must be usable: the checks of the values the
// next start validates, on the global key and, when a controller was open (the
// axis settings are kept only then), on the axis it last showed.
void ExpectSound(int run, bool controllerOpen) {
    SCOPED_TRACE("run " + std::to_string(run));
    const int axis = ReadRegValue(HKEY_CURRENT_USER, kKey, "Axis").AsInt();
    EXPECT_GE(axis, 1);
    EXPECT_LE(axis, 16);
    const int style = ReadRegValue(HKEY_CURRENT_USER, kKey, "PlotStyle").AsInt();
    EXPECT_GE(style, 1220);
    EXPECT_LE(style, 1222);
    if (!controllerOpen) return;
    const int id = ReadRegValue(HKEY_CURRENT_USER, kKey, "ControllerID").AsInt();
    const std::string axisKey = std::string(kKey) + "\\Axis" + std::to_string(id) + ":" + std::to_string(axis);
    const std::string test = axisKey + "\\Test Settings";
    const double record = ReadRegValue(HKEY_CURRENT_USER, test, "RecordTime").AsDouble();
    EXPECT_TRUE(record > 0 && record <= 60) << record;
    const double delay = ReadRegValue(HKEY_CURRENT_USER, test, "Delay").AsDouble();
    EXPECT_TRUE(delay >= 0 && delay <= 60) << delay;
    EXPECT_GE(ReadRegValue(HKEY_CURRENT_USER, test, "Sampling").AsInt(), 1);
    for (const char* name : {"Dwell", "RDwell"}) {
        const double t = ReadRegValue(HKEY_CURRENT_USER, test, name).AsDouble();
        EXPECT_TRUE(t >= 0) << name << " " << t;
    }
    for (const char* gain : {"Prop", "Int", "Der"}) {
        const double upper = ReadRegValue(HKEY_CURRENT_USER, axisKey, std::string(gain) + "GainMax").AsDouble();
        const double lower = ReadRegValue(HKEY_CURRENT_USER, axisKey, std::string(gain) + "GainMin").AsDouble();
        EXPECT_TRUE(lower >= 0 && lower < upper && upper <= 100) << gain << " " << lower << " " << upper;
    }
}

TEST(RegistryFuzz, FiftyStartsOverDamagedSettingsNeitherCrashNorHang) {
    const std::string exe = BinFolder() + "\\Loopsmith.exe";
    Journal journal("registryfuzz");  // inherited by the program

    // A clean run stores every value once: those are the values to damage.
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    {
        ProgramProcess program(exe, "");
        Answerer answer(program);
        ASSERT_TRUE(WaitFor([&] { return MainWindowOf(program) != nullptr; }, 30000, std::ref(answer)));
        PostMessageA(MainWindowOf(program), WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
        ASSERT_TRUE(WaitFor([&] { return program.WaitExit(0) != STILL_ACTIVE; }, 30000, std::ref(answer)));
    }
    std::vector<StoredValue> stored;
    ListValues(kKey, stored);
    ASSERT_GT(stored.size(), 30u);

    std::mt19937 random(19);
    int stepped = 0, captured = 0, withoutController = 0;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        for (const StoredValue& v : stored) {
            const unsigned roll = random() % 10;
            if (roll == 0) continue;  // missing
            const StoredValue d = roll < 5 ? Damage(v, random) : v;
            WriteRegValue(HKEY_CURRENT_USER, d.key, d.name, d.type, d.bytes.data(), static_cast<DWORD>(d.bytes.size()));
        }

        const DWORD runStart = GetTickCount();
        const size_t firstLine = journal.Lines().size();
        ProgramProcess program(exe, "");
        ASSERT_TRUE(program.Started());
        Answerer answer(program);
        HWND main = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (main = MainWindowOf(program)) != nullptr && IsWindowVisible(main); }, 60000,
                            std::ref(answer)))
            << "no main window; " << Joined(answer.texts);
        HWND panel = GetDlgItem(main, IDC_PANEL);

        // The buttons are created enabled; the first timer tick disables Step
        // while the motor is off. Then Motor On: with an open controller the
        // timer enables Step Plus.
        WaitFor([&] { return panel && !IsWindowEnabled(GetDlgItem(panel, IDC_STEP_PLUS)); }, 10000, std::ref(answer));
        DWORD_PTR result = 0;
        if (panel)
            SendMessageTimeoutA(GetDlgItem(panel, IDC_MOTOR_ON), BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &result);
        const bool open = WaitFor([&] { return panel && IsWindowEnabled(GetDlgItem(panel, IDC_STEP_PLUS)); }, 10000, std::ref(answer));
        if (open) {
            const size_t modes = Count(journal, "ZqSetOperatingMode"), reads = Count(journal, "ZqGetCaptureData");
            const size_t boxes = answer.texts.size();
            PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_STEP_PLUS, 0), 0);
            // The test ends with its capture read or with a message; a record
            // time up to 60 s and a delay as long are allowed, so the limit is long.
            const DWORD posted = GetTickCount();
            bool ended = WaitFor(
                [&] {
                    if (Count(journal, "ZqGetCaptureData") > reads || answer.texts.size() > boxes) return true;
                    // A test that did not begin within 10 s was refused.
                    if (GetTickCount() - posted > 10000 && Count(journal, "ZqSetOperatingMode") == modes) return true;
                    // The main window is disabled while a test runs: enabled
                    // again after the command was handled, the test is over
                    // (one that captured nothing reads nothing).
                    return GetTickCount() - posted > 3000 && Count(journal, "ZqSetOperatingMode") > modes &&
                           IsWindowEnabled(main);
                },
                150000, std::ref(answer));
            if (!ended) {
                // Still waiting (a stored record time and delay of up to a minute
                // each are allowed): what the program did meanwhile.
                const auto lines = journal.Lines();
                std::string recent;
                for (size_t i = lines.size() > 400 ? lines.size() - 400 : 0; i < lines.size(); ++i)
                    if (lines[i].rfind("ZqGetStatus", 0) && lines[i].rfind("ZqGetPositionEx", 0) &&
                        lines[i].rfind("ZqDecodeStatus", 0))
                        recent += lines[i] + "\n";
                std::printf("run %d: the step test has not ended after 150 s; calls:\n%s", run, recent.c_str());
            }
            ++stepped;
            if (Count(journal, "ZqGetCaptureData") > reads) ++captured;
            else {
                const auto lines = journal.Lines();
                std::string calls;
                for (size_t i = firstLine; i < lines.size(); ++i)
                    if (lines[i].rfind("ZqGetStatus", 0) && lines[i].rfind("ZqGetPositionEx", 0) &&
                        lines[i].rfind("ZqDecodeStatus", 0))
                        calls += lines[i] + "\n";
                std::printf("run %d: a step test that read no capture; calls:\n%s", run, calls.c_str());
            }
        } else {
            ++withoutController;
        }
        EXPECT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) << "not responding";

        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
        DWORD code = STILL_ACTIVE;
        // A close during a test waits for its end, up to two stored minutes.
        WaitFor([&] { return (code = program.WaitExit(0)) != STILL_ACTIVE; }, 180000, std::ref(answer));
        if (code == STILL_ACTIVE) program.Kill();
        ASSERT_EQ(code, 0u) << "the program did not exit cleanly; " << Joined(answer.texts);
        std::printf("run %2d: %s, %.1f s; %s\n", run, open ? "step test" : "no open controller",
                    (GetTickCount() - runStart) / 1000.0, Joined(answer.texts).c_str());
        std::fflush(stdout);
        ExpectSound(run, open);
    }
    std::printf("registry fuzz: %d runs with a step test (%d of them read a capture), %d without an open "
                "controller\n",
                stepped, captured, withoutController);
    EXPECT_GT(stepped, kRuns / 2);
    EXPECT_GT(captured, 0);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

}  // namespace
