// Gain panel: the 220-pixel left pane with readouts, LEDs, motor, trajectory
// generator and test buttons and the three gain sliders.
#pragma once
#include <windows.h>

#include "../core/app_state.h"

#define PANEL_CLASS "CPanelClass"
LRESULT CALLBACK GainPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One child control of the panel, as created at WM_CREATE.
struct PanelControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    int x, y, width, height;
    bool panelFont;
};

// The panel's children in creation order (the three sliders are the last three).
extern const PanelControl kPanelControls[];
extern const int kPanelControlCount;

// Where the slider frame (group box 214) and the three sliders go for a panel
// client height and the tmHeight of the panel's device context. Heights never
// go below 0, however small the panel.
struct ControlPlace {
    int x, y, width, height;
};
struct SliderAreaLayout {
    ControlPlace frame;       // group box 214
    ControlPlace sliders[3];  // 215, 216, 217
};
SliderAreaLayout ComputeSliderArea(unsigned height, int textHeight);

// The axis that follows axis on a controller with axisCount axes: axis + 1, or
// 1 past the last axis. Counts above 16 are taken as 16, the most the program holds.
int NextAxis(int axis, int axisCount);

// Operating mode 2 (trajectory generator on) or 1 (off) and the panel's buttons
// and LED 207 from Test.Trajectory.
void ApplyTrajectoryMode(HWND panel);
// The Axis button: save this axis's settings, go to the next axis, load its
// settings, redraw, re-read the gains and apply its trajectory generator mode.
void CycleAxis(HWND panel);
// Step Plus (plus 1) and Step Minus (plus 0): runs a step test when the motor
// LED is lit and the axis module can capture data.
void StartStep(HWND panel, int plus);
