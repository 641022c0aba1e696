// Helpers for the tests that call zqapi32.dll as the program binds it: an
// export looked up by name, the text of an error code, and the state of an
// axis as one comparable string.
#pragma once
#include <windows.h>

#include <string>

#include "controller/zq_library.h"

namespace simtest {

// The export of the loaded zqapi32.dll with this name, as a function of type F
// (for the calls the loader's typed pointers leave out); null when missing.
template <typename F>
F* ApiProc(const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("zqapi32.dll"), name)));
}

// What ZqTranslateErrorEx says about a code.
inline std::string ErrorText(int code) {
    char buffer[256] = {};
    ZqTranslateErrorEx(code, buffer, sizeof buffer);
    return buffer;
}

// The gain, position, motion, filter, scale and status of an axis read back
// through the library, so that "nothing changed" is one comparison.
inline std::string AxisSnapshot(short h, unsigned short axis) {
    double kp = 0, position = 0;
    MotionConfig m{};
    FilterConfig f{};
    AxisScale s{};
    ZqGetGain(h, axis, &kp);
    ZqGetPositionEx(h, axis, &position);
    ZqGetMotionConfig(h, axis, &m);
    ZqGetFilterConfig(h, axis, &f);
    ZqGetScale(h, axis, &s);
    return std::to_string(kp) + "/" + std::to_string(position) + "/" + std::to_string(m.Velocity) + "/" +
           std::to_string(m.Torque) + "/" + std::to_string(f.IntegralGain) + "/" + std::to_string(s.Scale) + "/" +
           std::to_string(ZqGetStatus(h, axis));
}

}  // namespace simtest
