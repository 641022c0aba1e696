// Controller command files: export reads each axis's records fresh from the
// controller; import leaves reading and sending the file to the dialogs library.
#include "command_file.h"

#include "../controller/zq_library.h"
#include "../core/connection.h"
#include "command_file_format.h"
#include "replacing_file.h"

namespace {

// Axis numbers are unsigned 16-bit; a count beyond that is no real controller's.
constexpr int kMaxAxisNumber = 65535;

AxisCommandSettings ReadAxisSettings(short handle, unsigned short axis) {
    AxisCommandSettings s;
    AxisConfig config = {};
    config.Size = kAxisConfigSize;
    ZqGetAxisConfiguration(handle, axis, &config);
    ZqGetMotionConfig(handle, axis, &s.Motion);
    s.Servo = (config.Flags & 0x1) != 0;
    if (s.Servo) {
        ZqGetFilterConfig(handle, axis, &s.Filter);
        // An update rate that selects no period leaves the high-rate period.
        s.ServoPeriod = config.HighRatePeriod;
        ServoPeriod(handle, axis, &s.ServoPeriod);
    }
    return s;
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
    for (int n = 1; n <= axes; ++n)
        out.Write(FormatAxisCommands(n, precision, ReadAxisSettings(handle, static_cast<unsigned short>(n))));
    if (!out.Commit()) {
        ShowWriteError(owner, fileName, out.Error());
        return 0;
    }
    return 1;
}

void ImportCommandFile(HWND mainWindow, short handle, const char* fileName) {
    ZqReopen(handle, 1);
    ZQDLG_DownloadFile(mainWindow, handle, 0, fileName);
    ZqReopen(handle, 1);
}
