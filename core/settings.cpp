// Settings persistence in the per-user registry.
//
// Every value is read into a scratch buffer first and copied into its field
// only when its size is exactly the field's and its type holds raw bytes, so a
// damaged value is ignored rather than half-read. Values that would later make
// the program divide by zero, hang or address outside its arrays are put back
// to their defaults where they are read; a damaged gantry axis is kept, since
// it only ever counts as no partner.
#include "settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "../controller/zq_library.h"
#include "../libs/plotwin/plotwin.h"
#include "../resources/version.h"
#include "record_time.h"

namespace {

const char kGlobalKey[] = "Software\\Quelmont\\Draxwell\\Loopsmith";
const char kTestSubkey[] = "Test Settings";
const char kVersion[] = LOOPSMITH_VERSION_TEXT;
const char* const kPaneValueNames[4] = {"Plot0", "Plot1", "Plot2", "Plot3"};

// Reads a value of exactly `size` bytes into `field`; anything else leaves it alone.
bool ReadExact(HKEY key, const char* name, void* field, DWORD size) {
    unsigned char buffer[16];
    DWORD type = 0, got = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &type, buffer, &got) != ERROR_SUCCESS) return false;
    if (got != size || (type != REG_BINARY && type != REG_DWORD)) return false;
    std::memcpy(field, buffer, size);
    return true;
}

void ReadInt(HKEY key, const char* name, int& field) { ReadExact(key, name, &field, sizeof field); }

void ReadFlag(HKEY key, const char* name, BYTE& field) {
    BYTE value;
    if (ReadExact(key, name, &value, 1)) field = value ? 1 : 0;
}

// Doubles must be finite; `valid` may narrow them further.
void ReadDouble(HKEY key, const char* name, double& field, bool (*valid)(double) = nullptr) {
    double value;
    if (!ReadExact(key, name, &value, sizeof value) || !std::isfinite(value)) return;
    if (valid && !valid(value)) return;
    field = value;
}

void WriteDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteBinary(HKEY key, const char* name, const void* data, DWORD size) {
    RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

bool NotNegative(double v) { return v >= 0; }

bool ValidAxis(int axis) { return axis >= 1 && axis <= kMaxAxes; }

void AxisKeyName(const AppState& s, char* out, size_t size) {
    std::snprintf(out, size, "%s\\Axis%d:%u", kGlobalKey, s.ControllerID, static_cast<unsigned short>(s.Axis));
}

int HardwareIdentity(const AppState& s) {
    ControllerConfig controller = {};
    controller.Size = kControllerConfigSize;
    ZqGetConfigurationEx(s.ControllerHandle, &controller);
    AxisConfig axis = {};
    axis.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(s.ControllerHandle, static_cast<unsigned short>(s.Axis), &axis);
    return (controller.ControllerType & 0xFF) * 256 + (axis.ModuleType & 0xFF);
}

GainChannel* const* Channels(AppState& s) {
    static GainChannel* channels[3];
    channels[0] = &s.PropGain;
    channels[1] = &s.IntGain;
    channels[2] = &s.DerGain;
    return channels;
}

const char* const kLimitNames[3][2] = {
    {"PropGainMax", "PropGainMin"}, {"IntGainMax", "IntGainMin"}, {"DerGainMax", "DerGainMin"}};

void ReadTestSettings(HKEY key, TestSettings& t) {
    ReadDouble(key, "Distance", t.Distance);
    ReadDouble(key, "RecordTime", t.RecordTime, StoredRecordTimeValid);
    ReadDouble(key, "Delay", t.Delay, StoredDelayValid);
    ReadFlag(key, "Trajectory", t.Trajectory);
    int sampling = t.Sampling;
    ReadInt(key, "Sampling", sampling);
    t.Sampling = sampling < 1 ? 1 : sampling;
    ReadFlag(key, "Cycle", t.Cycle);
    ReadDouble(key, "Dwell", t.Dwell, NotNegative);
    ReadFlag(key, "Repeat", t.Repeat);
    ReadInt(key, "Count", t.Count);
    ReadDouble(key, "RDwell", t.RDwell, NotNegative);
}

void WriteTestSettings(HKEY key, const TestSettings& t) {
    WriteBinary(key, "Distance", &t.Distance, 8);
    WriteBinary(key, "RecordTime", &t.RecordTime, 8);
    WriteBinary(key, "Delay", &t.Delay, 8);
    WriteBinary(key, "Trajectory", &t.Trajectory, 1);
    WriteDword(key, "Sampling", static_cast<DWORD>(t.Sampling));
    WriteBinary(key, "Cycle", &t.Cycle, 1);
    WriteBinary(key, "Dwell", &t.Dwell, 8);
    WriteBinary(key, "Repeat", &t.Repeat, 1);
    WriteBinary(key, "Count", &t.Count, 4);
    WriteBinary(key, "RDwell", &t.RDwell, 8);
}

// Keeps a restored window reachable: a placement wholly off the desktop goes to 0, 0.
void PlaceOnScreen(int& x, int& y, int width, int height) {
    RECT desk = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    desk.right = desk.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    desk.bottom = desk.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (!PlacementMeetsDesktop(x, y, width, height, desk)) x = y = 0;
}

}  // namespace

bool StoredRecordTimeValid(double seconds) { return seconds > 0 && seconds <= kMaxRecordTime; }

bool StoredDelayValid(double seconds) { return seconds >= 0 && seconds <= kMaxRecordTime; }

bool PlacementMeetsDesktop(int x, int y, int width, int height, const RECT& desktop) {
    // In 64 bits: stored edges plus sizes can pass the range of an int.
    const long long left = x, top = y, right = left + width, bottom = top + height;
    return left < right && top < bottom && left < desktop.right && right > desktop.left && top < desktop.bottom &&
           bottom > desktop.top;
}

int CompareVersion(const char* stored) {
    return std::strcmp(stored, kVersion);
}

void ApplyLoadDefaults(AppState& s) {
    s.AuxiliaryScale = 1.0;
    s.ControllerID = 0;
    s.Axis = 1;
    s.AutoInit = 0;
    s.PlotActual = 1;
    s.PlotAuxiliary = 0;
    s.PlotOptimal = 1;
    s.PlotError = 1;
    s.PlotTorque = 0;
    s.PlotTarget = 1;
    s.PlotMetrics = 1;
    s.PlotStyle = kPlotMulti;
    s.Gantry = 0;
    s.GantryMaster = 1;
    s.GantrySlave = 2;
    s.GantryShare = 1;
}

void ValidateLimits(GainChannel& g) {
    if (!(g.LowerLimit >= 0.0 && g.LowerLimit < g.UpperLimit && g.UpperLimit <= 100.0)) {
        g.LowerLimit = 0.0;
        g.UpperLimit = 100.0;
    }
}

int LoadSettings(AppState& s) {
    ApplyLoadDefaults(s);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kGlobalKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        SetWindowPos(s.MainWindow, nullptr, 0, 0, 640, 480, SWP_NOZORDER);
        return 0;
    }
    ReadInt(key, "ControllerID", s.ControllerID);
    ReadInt(key, "Axis", s.Axis);
    if (!ValidAxis(s.Axis)) s.Axis = 1;
    ReadInt(key, "AutoInit", s.AutoInit);
    s.AutoInit = s.AutoInit ? 1 : 0;
    ReadDouble(key, "AuxiliaryScale", s.AuxiliaryScale);
    ReadFlag(key, "PlotActual", s.PlotActual);
    ReadFlag(key, "PlotAuxiliary", s.PlotAuxiliary);
    ReadFlag(key, "PlotOptimal", s.PlotOptimal);
    ReadFlag(key, "PlotError", s.PlotError);
    ReadFlag(key, "PlotTorque", s.PlotTorque);
    ReadFlag(key, "PlotTarget", s.PlotTarget);
    ReadFlag(key, "PlotMetrics", s.PlotMetrics);
    ReadInt(key, "PlotStyle", s.PlotStyle);
    ReadFlag(key, "Gantry", s.Gantry);
    ReadInt(key, "GantryMaster", s.GantryMaster);
    ReadInt(key, "GantrySlave", s.GantrySlave);
    ReadFlag(key, "GantryShare", s.GantryShare);
    if (s.PlotStyle < kPlotSingle || s.PlotStyle > kPlotSeparate) s.PlotStyle = kPlotMulti;
    // A damaged gantry axis stays as stored (GantryPartner counts it as no
    // partner, Test Setup shows it unselected): replacing it with a default
    // axis would pair two axes the user never paired.

    int x = 0, y = 0, width = 640, height = 480;
    ReadInt(key, "XPos", x);
    ReadInt(key, "YPos", y);
    ReadInt(key, "Width", width);
    ReadInt(key, "Height", height);
    PlaceOnScreen(x, y, width, height);
    SetWindowPos(s.MainWindow, nullptr, x, y, width, height, SWP_NOZORDER);

    char version[32] = {};
    DWORD size = sizeof version - 1;  // always terminated
    RegQueryValueExA(key, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &size);
    if (CompareVersion(version) >= 0)
        for (int i = 0; i < 4; ++i) PlotLoadSettings(s.PlotPanes[i], key, kPaneValueNames[i]);
    RegCloseKey(key);
    return 1;
}

int SaveSettings(AppState& s) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kGlobalKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    WriteDword(key, "ControllerID", static_cast<DWORD>(s.ControllerID));
    WriteDword(key, "Axis", static_cast<DWORD>(s.Axis));
    WriteDword(key, "AutoInit", static_cast<DWORD>(s.AutoInit));
    WriteBinary(key, "AuxiliaryScale", &s.AuxiliaryScale, 8);
    WriteBinary(key, "PlotActual", &s.PlotActual, 1);
    WriteBinary(key, "PlotAuxiliary", &s.PlotAuxiliary, 1);
    WriteBinary(key, "PlotOptimal", &s.PlotOptimal, 1);
    WriteBinary(key, "PlotError", &s.PlotError, 1);
    WriteBinary(key, "PlotTorque", &s.PlotTorque, 1);
    WriteBinary(key, "PlotTarget", &s.PlotTarget, 1);
    WriteBinary(key, "PlotMetrics", &s.PlotMetrics, 1);
    WriteBinary(key, "PlotStyle", &s.PlotStyle, 4);
    WriteBinary(key, "Gantry", &s.Gantry, 1);
    WriteBinary(key, "GantryMaster", &s.GantryMaster, 4);
    WriteBinary(key, "GantrySlave", &s.GantrySlave, 4);
    WriteBinary(key, "GantryShare", &s.GantryShare, 1);
    if (!IsIconic(s.MainWindow)) {
        RECT rc;
        GetWindowRect(s.MainWindow, &rc);
        WriteDword(key, "XPos", static_cast<DWORD>(rc.left));
        WriteDword(key, "YPos", static_cast<DWORD>(rc.top));
        WriteDword(key, "Width", static_cast<DWORD>(rc.right - rc.left));
        WriteDword(key, "Height", static_cast<DWORD>(rc.bottom - rc.top));
    }
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kVersion), sizeof kVersion);
    for (int i = 0; i < 4; ++i) PlotSaveSettings(s.PlotPanes[i], key, kPaneValueNames[i]);
    RegCloseKey(key);
    return 1;
}

int LoadAxisSettings(HWND mainWindow) {
    AppState* s = StateOf(mainWindow);
    if (!s) return 0;
    GainChannel* const* channels = Channels(*s);
    for (int i = 0; i < 3; ++i) {
        channels[i]->UpperLimit = 100.0;
        channels[i]->LowerLimit = 0.0;
    }
    s->AutoTuneStyle = 1;
    char name[128];
    AxisKeyName(*s, name, sizeof name);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    int stored = 0;
    ReadInt(key, "Identity", stored);
    if (stored != 0 && stored != HardwareIdentity(*s)) {
        RegCloseKey(key);
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        ReadDouble(key, kLimitNames[i][0], channels[i]->UpperLimit);
        ReadDouble(key, kLimitNames[i][1], channels[i]->LowerLimit);
        ValidateLimits(*channels[i]);
    }
    BYTE style = 0;
    if (ReadExact(key, "AutoTuneStyle", &style, 1) && style <= 2) s->AutoTuneStyle = style;
    HKEY test;
    if (RegOpenKeyExA(key, kTestSubkey, 0, KEY_READ, &test) == ERROR_SUCCESS) {
        ReadTestSettings(test, s->Test);
        RegCloseKey(test);
    }
    RegCloseKey(key);
    return 1;
}

int SaveAxisSettings(HWND mainWindow) {
    AppState* s = StateOf(mainWindow);
    if (!s) return 0;
    char name[128];
    AxisKeyName(*s, name, sizeof name);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    int identity = HardwareIdentity(*s);
    WriteBinary(key, "Identity", &identity, 4);
    GainChannel* const* channels = Channels(*s);
    for (int i = 0; i < 3; ++i) {
        WriteBinary(key, kLimitNames[i][0], &channels[i]->UpperLimit, 8);
        WriteBinary(key, kLimitNames[i][1], &channels[i]->LowerLimit, 8);
    }
    WriteBinary(key, "AutoTuneStyle", &s->AutoTuneStyle, 1);
    HKEY test;
    if (RegCreateKeyExA(key, kTestSubkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &test, nullptr) ==
        ERROR_SUCCESS) {
        WriteTestSettings(test, s->Test);
        RegCloseKey(test);
    }
    RegCloseKey(key);
    return 1;
}
