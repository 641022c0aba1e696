// The gain panel's three sliders (ids 215, 216, 217) for window tests.
#pragma once
#include <windows.h>

#include "app_fixture.h"

// The panel's slider with this id; when the panel has none, one is created in
// the panel the way the panel creates its own (creation data, accessor, font).
HWND PanelSlider(LoopsmithApp& app, int id);
