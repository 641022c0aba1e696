// Command file download (see download.h).
#include "download.h"

#include <string>

#include "api.h"
#include "zpcl.h"
#include "zqdlg32.h"

namespace zqdlg {

namespace {

constexpr char kCaption[] = "Command File Download";

std::string SystemErrorText(DWORD code) {
    char text[256] = {};
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        sizeof text, nullptr))
        wsprintfA(text, "System error %lu", code);
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

// Reads the whole file; false with the reason when it cannot be read.
bool ReadWholeFile(const char* name, std::string& content, std::string& reason) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) { reason = SystemErrorText(GetLastError()); return false; }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok && size.QuadPart > static_cast<LONGLONG>(kMaxCommandFileSize)) {
        CloseHandle(file);
        reason = "The file is larger than a command file can be.";
        return false;
    }
    if (ok) {
        content.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = content.empty() || (ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr) &&
                                 read == content.size());
    }
    if (!ok) reason = SystemErrorText(GetLastError());
    CloseHandle(file);
    return ok;
}

// The line as a message box can show it: control characters as blanks, cut
// when it is very long.
std::string Printable(std::string_view line) {
    constexpr size_t kShown = 80;
    std::string s;
    for (size_t i = 0; i < line.size() && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        s += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    }
    if (line.size() > kShown) s += "...";
    return s;
}

void ShowLineError(HWND owner, const char* fileName, size_t lineNumber, std::string_view line,
                   const std::string& reason, const std::string& undo) {
    std::string text = "The command file\n" + std::string(fileName) + "\ncould not be downloaded completely.\n\n" +
                       "Line " + std::to_string(lineNumber) + ":  " + Printable(line) + "\n\n" + reason +
                       "\n\n" + undo + "The lines before it were sent to the controller.";
    MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

bool IsFilterCommand(zpcl::Command c) {
    using zpcl::Command;
    return c == Command::SI || c == Command::SD || c == Command::IL || c == Command::FR || c == Command::VG ||
           c == Command::SE;
}

// Applies one statement; 0 or the controller's error code, with why filled.
int Apply(const Api& api, short handle, const zpcl::Statement& s, std::string& why) {
    using zpcl::Command;
    auto axis = static_cast<unsigned short>(s.axis);
    int r = 0;
    if (IsFilterCommand(s.command)) {
        FilterConfig f{};
        if ((r = api.GetFilterConfig(handle, axis, &f)) != 0) return r;
        switch (s.command) {
        case Command::SI: f.IntegralGain = s.value; break;
        case Command::SD: f.DerivativeGain = s.value; break;
        case Command::IL: f.IntegrationLimit = s.value; break;
        case Command::VG: f.VelocityGain = s.value; break;
        case Command::SE: f.FollowingError = s.value; break;
        case Command::FR: {
            double period = ServoPeriod(handle, axis);
            if (!(period > 0)) {
                why = "The servo period of the axis is not known, so the derivative sampling period cannot be set.";
                return kDlgErrController;
            }
            f.DerivativeSamplePeriod = zpcl::SamplePeriodForFrames(static_cast<int>(s.value), period);
            break;
        }
        default: break;
        }
        return api.SetFilterConfig(handle, axis, &f);
    }
    MotionConfig m{};
    if ((r = api.GetMotionConfig(handle, axis, &m)) != 0) return r;
    switch (s.command) {
    case Command::SG: m.Gain = s.value; break;
    case Command::SQ: m.Torque = s.value; break;
    case Command::SV: m.Velocity = s.value; break;
    case Command::SA: m.Acceleration = s.value; break;
    case Command::DS: m.Deceleration = s.value; break;
    default: break;
    }
    if ((r = api.SetMotionConfig(handle, axis, &m)) != 0) return r;
    // The proportional gain the loop runs with follows the motion record.
    if (s.command == Command::SG) r = api.SetGain(handle, axis, s.value);
    return r;
}

// The settings of one axis as they were before a line touched them.
struct AxisBefore {
    unsigned short axis;
    MotionConfig motion;
    FilterConfig filter;
    double gain;
    bool hasGain;  // a stepper axis has no loop gain to read or write
};

// Reads the settings of every axis the statements touch; 0 or the error code.
int SaveAxes(const Api& api, short handle, const std::vector<zpcl::Statement>& statements,
             std::vector<AxisBefore>& saved) {
    for (const zpcl::Statement& s : statements) {
        auto axis = static_cast<unsigned short>(s.axis);
        bool known = false;
        for (const AxisBefore& a : saved) known = known || a.axis == axis;
        if (known) continue;
        AxisBefore a{axis, {}, {}, 0.0, false};
        int r = api.GetMotionConfig(handle, axis, &a.motion);
        if (r == 0) r = api.GetFilterConfig(handle, axis, &a.filter);
        if (r != 0) return r;
        a.hasGain = api.GetGain(handle, axis, &a.gain) == 0;
        saved.push_back(a);
    }
    return 0;
}

// Writes the saved settings back; 0 or the first error code.
int RestoreAxes(const Api& api, short handle, const std::vector<AxisBefore>& saved) {
    int first = 0;
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
        AxisBefore a = *it;
        int r = api.SetMotionConfig(handle, a.axis, &a.motion);
        if (first == 0) first = r;
        r = api.SetFilterConfig(handle, a.axis, &a.filter);
        if (first == 0) first = r;
        if (a.hasGain) r = api.SetGain(handle, a.axis, a.gain);
        if (first == 0) first = r;
    }
    return first;
}

// Applies the statements of one line, all or none: an axis the controller does
// not have is found before anything is sent, and when the controller refuses a
// statement, the settings the earlier ones changed are written back. Fills why
// and undo (what became of the line) when it fails.
bool ApplyLine(const Api& api, short handle, int axes, const std::vector<zpcl::Statement>& statements,
               std::string& why, std::string& undo) {
    for (const zpcl::Statement& s : statements) {
        if (static_cast<int>(s.axis) > axes) {
            why = "The controller has no axis " + std::to_string(s.axis) + ".";
            undo = "Nothing of this line was applied. ";
            return false;
        }
    }
    std::vector<AxisBefore> saved;
    if (int r = SaveAxes(api, handle, statements, saved)) {
        why = "The settings of the axes it changes cannot be read: " + ErrorText(r);
        undo = "Nothing of this line was applied. ";
        return false;
    }
    for (size_t i = 0; i < statements.size(); ++i) {
        const zpcl::Statement& s = statements[i];
        int r = Apply(api, handle, s, why);
        if (r == 0) continue;
        if (why.empty())
            why = std::string("The controller refused ") + zpcl::CommandName(s.command) + ": " + ErrorText(r);
        int back = i == 0 ? 0 : RestoreAxes(api, handle, saved);
        undo = back == 0 ? "Nothing of this line was applied. "
                         : "The statements before it on its line could not be taken back (" + ErrorText(back) +
                               "): check the settings of its axes. ";
        return false;
    }
    return true;
}

}  // namespace

int DownloadCommandFile(HWND owner, short handle, const char* fileName) {
    if (!fileName || !*fileName) return kDlgErrBadArgument;
    const Api* api = GetApi();
    if (!api) {
        MessageBoxA(owner, ErrorText(0).c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrNoApiLibrary;
    }
    ControllerConfig controller;
    if (!ReadControllerConfig(handle, controller)) {
        ControllerConfig probe{};
        probe.Size = kControllerConfigSize;
        std::string text = "The command file\n" + std::string(fileName) +
                           "\ncannot be downloaded: the controller does not answer.\n\n" +
                           ErrorText(api->GetConfigurationEx(handle, &probe));
        MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrController;
    }
    std::string content, reason;
    if (!ReadWholeFile(fileName, content, reason)) {
        std::string text = "The command file\n" + std::string(fileName) + "\ncannot be read.\n\n" + reason;
        MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kDlgErrFile;
    }
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    std::vector<std::string_view> lines = zpcl::SplitLines(content);
    for (size_t i = 0; i < lines.size(); ++i) {
        zpcl::LineResult parsed = zpcl::ParseLine(lines[i]);
        std::string why;
        if (parsed.error != zpcl::Error::None) {
            why = zpcl::ErrorText(parsed.error);
            why[0] = static_cast<char>(why[0] - 'a' + 'A');
            why += " (column " + std::to_string(parsed.column) + ").";
        }
        std::string undo = "Nothing of this line was applied. ";
        if (why.empty()) ApplyLine(*api, handle, controller.NumberAxes, parsed.statements, why, undo);
        if (!why.empty()) {
            SetCursor(previous);
            ShowLineError(owner, fileName, i + 1, lines[i], why, undo);
            return kDlgErrCommandLine;
        }
    }
    SetCursor(previous);
    return 0;
}

}  // namespace zqdlg
