// Test data files: saving the displayed test and reading a saved one back.
#include "test_data_file.h"

#include <new>
#include <string>

#include "replacing_file.h"

namespace {

int SamplingOf(const TestSettings& t) { return t.Sampling < 1 ? 1 : t.Sampling; }

double SampleOf(const AppState& s, Channel channel, size_t j) {
    const SampleSequence* seq = ChannelFor(s, channel, 0);
    return seq ? seq->At(j) : 0.0;
}

void ShowReadError(HWND owner, const char* fileName, const std::string& reason) {
    std::string text = std::string("Unable to open the test data file\n") + fileName + "\n\n" + reason +
                       "\n\nThe data on display is kept.";
    MessageBoxA(owner, text.c_str(), "Loopsmith", MB_ICONWARNING | MB_OK);
}

// Reads the whole file through a mapping; false with a reason when it cannot.
bool ReadColumns(const char* fileName, TestDataColumns& columns, std::string& reason) {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = SystemErrorText(GetLastError());
        return false;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bool ok = true;
    if (size.QuadPart > 0) {
        HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        const char* view = mapping ? static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
        if (!view) {
            reason = SystemErrorText(GetLastError());
            ok = false;
        } else {
            try {
                columns = ParseTestDataFile(view, view + static_cast<size_t>(size.QuadPart));
            } catch (const std::bad_alloc&) {
                columns = TestDataColumns();
                reason = "There is not enough memory to hold its data.";
                ok = false;
            }
            UnmapViewOfFile(view);
        }
        if (mapping) CloseHandle(mapping);
    }
    CloseHandle(file);
    if (ok && columns.Rows() == 0) {
        reason = "It holds no data line.";
        ok = false;
    }
    return ok;
}

}  // namespace

size_t TestDataLineCount(const TestSettings& t) {
    if (t.SampleCount <= 0) return 0;
    size_t step = static_cast<size_t>(SamplingOf(t));
    return (static_cast<size_t>(t.SampleCount) + step - 1) / step;
}

TestDataValues TestDataLineValues(const AppState& s, size_t j) {
    TestDataValues v;
    if (s.PlotActual) v.Actual = SampleOf(s, Channel::Actual, j);
    if (s.PlotOptimal) v.Optimal = SampleOf(s, Channel::Optimal, j);
    if (s.PlotError) v.Error = SampleOf(s, Channel::Error, j);
    if (s.PlotTorque) v.Torque = SampleOf(s, Channel::Torque, j);
    if (s.AuxCapture && s.PlotAuxiliary) v.Auxiliary = SampleOf(s, Channel::Auxiliary, j);
    return v;
}

void ApplyTestData(AppState& s, TestDataColumns& c) {
    // The columns are taken over, not copied: nothing here allocates, so the
    // axis's old data is never lost half-way to a failed allocation.
    std::vector<double>* from[] = {&c.Actual, &c.Optimal, &c.Error, &c.Torque, &c.Auxiliary};
    Channel to[] = {Channel::Actual, Channel::Optimal, Channel::Error, Channel::Torque, Channel::Auxiliary};
    for (int k = 0; k < 5; ++k) {
        SampleSequence* seq = ChannelFor(s, to[k], 0);
        if (!seq) continue;
        seq->Swap(*from[k]);
        from[k]->clear();
    }
    size_t rows = c.Rows();
    s.LastTest.SampleCount = rows > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(rows);
    if (rows > 0) {
        if (c.Time.front() >= 0) s.LastTest.Delay = c.Time.front();
        double span = c.Time.back() - c.Time.front();
        if (span > 0) s.LastTest.RecordTime = span;
        // The rows' spacing, so that Save As writes the time column it read.
        s.LastTest.SamplePeriod = rows > 1 && span > 0 ? span / static_cast<double>(rows - 1) : 0.0;
    }
    s.LastTest.Sampling = 1;
    s.TestDone = 1;
    // A file knows nothing of partner, torque limit or axis kind; its time
    // column gives the sample spacing.
    s.LastOrigin = TestOrigin();
    s.LastOrigin.Axis = s.Axis;
    if (rows > 1 && c.Time.back() > c.Time.front())
        s.LastOrigin.SampleTime = (c.Time.back() - c.Time.front()) / static_cast<double>(rows - 1);
}

int SaveTestData(HWND mainWindow, const char* fileName) {
    AppState* s = StateOf(mainWindow);
    if (!s) return 0;
    ReplacingFile out;
    if (!out.Open(fileName)) {
        ShowWriteError(mainWindow, fileName, out.Error());
        return 0;
    }
    out.Write(kTestDataHeader, sizeof kTestDataHeader - 1);
    const TestSettings& t = s->LastTest;
    size_t step = static_cast<size_t>(SamplingOf(t));
    size_t lines = TestDataLineCount(t);
    char line[kMaxTestDataLine];
    for (size_t j = 0; j < lines; ++j) {
        double time = t.Delay + static_cast<double>(j * step) * t.SamplePeriod;
        out.Write(line, FormatTestDataLine(line, time, TestDataLineValues(*s, j)));
    }
    if (!out.Commit()) {
        ShowWriteError(mainWindow, fileName, out.Error());
        return 0;
    }
    return 1;
}

int OpenTestData(HWND mainWindow, const char* fileName) {
    AppState* s = StateOf(mainWindow);
    if (!s) return 0;
    TestDataColumns columns;
    std::string reason;
    if (!ReadColumns(fileName, columns, reason)) {
        ShowReadError(mainWindow, fileName, reason);
        return 0;
    }
    ApplyTestData(*s, columns);
    return 1;
}
