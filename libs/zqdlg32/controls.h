// The two window classes the dialogs library offers its callers.
//
// "ZQDLG_ReadoutWindowClass": a sunken numeric readout showing its window text
// right-aligned in a fixed-pitch font sized to the window. Style bits of the
// class (the low word of the window style): kReadoutThinBorder draws a thin
// sunken border for small readouts, kReadoutBold draws the digits bold.
//
// "ZQDLG_LEDWindowClass": a round lamp. BM_SETCHECK sets its state (0 off, 1 lit,
// 2 warning: lit red whatever the lit colour), BM_GETCHECK reads it; other values are
// ignored. Creation data, when given, points to the lit colour as a COLORREF;
// without it the lamp lights green.
#pragma once
#include <windows.h>

namespace zqdlg {

constexpr char kReadoutClass[] = "ZQDLG_ReadoutWindowClass";
constexpr char kLedClass[] = "ZQDLG_LEDWindowClass";
constexpr DWORD kReadoutThinBorder = 0x1;
constexpr DWORD kReadoutBold = 0x2;
constexpr COLORREF kLedDefaultColour = RGB(0, 208, 0);
constexpr COLORREF kLedWarningColour = RGB(232, 24, 24);

bool RegisterReadoutClass(HINSTANCE instance);
bool RegisterLedClass(HINSTANCE instance);
// Registers both classes for every module of the process; true when both exist.
bool RegisterControlClasses(HINSTANCE instance);

// Colour of the lamp's face in a state: the lit colour, the warning colour, or
// a dark shade of the lit colour when off.
COLORREF LedFaceColour(int state, COLORREF lit);

}  // namespace zqdlg
