// Writing and reading a 1,000,000-row test data file through SaveTestData and
// OpenTestData, the functions behind Save As and Open.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/app_state.h"
#include "files/test_data_file.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
    const int rows = 1000000;
    static AppState state;
    state.PlotTorque = state.PlotAuxiliary = state.AuxCapture = 1;
    state.LastTest.SamplePeriod = 0.0001;
    state.LastTest.SampleCount = rows;
    SampleSequence* channels[] = {&state.Capture.Actual[0], &state.Capture.Optimal[0], &state.Capture.Error[0],
                                  &state.Capture.Torque[0], &state.Capture.Auxiliary[0]};
    for (int k = 0; k < 5; ++k)
        for (int j = 0; j < rows; ++j) channels[k]->Append((j % 5000) * 0.0371 - k * 12.25);

    // A plain top-level window carries the state, as the main window does.
    HWND window = CreateWindowA("STATIC", "bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));

    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "loopsmith-bench-1m.csv";

    auto start = std::chrono::steady_clock::now();
    int saved = SaveTestData(window, path.c_str());
    double write = Seconds(start);

    for (SampleSequence* c : channels) c->Clear();
    start = std::chrono::steady_clock::now();
    int read = OpenTestData(window, path.c_str());
    double readTime = Seconds(start);

    WIN32_FILE_ATTRIBUTE_DATA info = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info);
    std::printf("test data file, %d rows, %.1f MB\n", rows, info.nFileSizeLow / 1e6);
    std::printf("  write (SaveTestData): %.3f s%s\n", write, saved ? "" : "  FAILED");
    std::printf("  read  (OpenTestData): %.3f s, %d rows read%s\n", readTime, state.LastTest.SampleCount,
                read ? "" : "  FAILED");
    DeleteFileA(path.c_str());
    DestroyWindow(window);
    return saved && read && state.LastTest.SampleCount == rows ? 0 : 1;
}
