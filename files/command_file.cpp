// Controller command files: export reads each axis's records fresh from the
// controller; import leaves reading and sending the file to the dialogs library.
#include "command_file.h"

#include <cstdio>
#include <string>

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "command_file_format.h"
#include "replacing_file.h"

namespace {

// Axis numbers are unsigned 16-bit; a count beyond that is no real controller's.
constexpr int kMaxAxisNumber = 65535;

// Reads one axis's records; the first failed call's code, 0 when all were read.
int ReadAxisSettings(short handle, unsigned short axis, AxisCommandSettings& s) {
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    if (int r = ZqGetAxisConfiguration(handle, axis, &config); r < 0) return r;
    if (int r = ZqGetMotionConfig(handle, axis, &s.Motion); r < 0) return r;
    s.Servo = (config.Flags & 0x1) != 0;
    if (s.Servo) {
        if (int r = ZqGetFilterConfig(handle, axis, &s.Filter); r < 0) return r;
        // An update rate that selects no period leaves the high-rate period.
        s.ServoPeriod = config.HighRatePeriod;
        ServoPeriod(handle, axis, &s.ServoPeriod);
    }
    return 0;
}

}  // namespace

int ExportCommandFile(short handle, const char* fileName, HWND owner) {
    ReplacingFile out;
    if (!out.Open(fileName)) {
        ShowWriteError(owner, fileName, out.Error());
        return 0;
    }
    ControllerConfig controller = {};
    controller.Size = kControllerConfigSize;
    ZqGetConfigurationEx(handle, &controller);
    int precision = CommandFilePrecision(controller.Flags);
    int axes = controller.NumberAxes > kMaxAxisNumber ? kMaxAxisNumber : controller.NumberAxes;
    // Every axis is read before anything is written: a file of zeroed records
    // would, downloaded later, zero the tuning of a machine.
    std::string text;
    for (int n = 1; n <= axes; ++n) {
        AxisCommandSettings settings;
        if (int r = ReadAxisSettings(handle, static_cast<unsigned short>(n), settings); r < 0) {
            char what[160];
            std::snprintf(what, sizeof what,
                          "The settings of axis %d cannot be read from the controller. Nothing was exported; the "
                          "file was left as it was.",
                          n);
            ShowControllerError(owner, what, r);
            return 0;
        }
        text += FormatAxisCommands(n, precision, settings);
    }
    out.Write(text);
    if (!out.Commit()) {
        ShowWriteError(owner, fileName, out.Error());
        return 0;
    }
    return 1;
}

int ImportCommandFile(HWND mainWindow, short handle, const char* fileName) {
    int r = ZqReopen(handle, 1);
    if (r < 0) return r;
    // The dialogs library tells the user itself why a download failed.
    ZQDLG_DownloadFile(mainWindow, handle, 0, fileName);
    return ZqReopen(handle, 1);
}
