// The stored form of a pane's appearance: one REG_BINARY value per pane,
// starting with a version byte.
#pragma once
#include <windows.h>

#include <vector>

#include "plot_pane.h"

constexpr BYTE kSettingsVersion = 1;
// Version, flags (1 grid, 2 legend), two zero bytes, background, seven
// colours (little-endian COLORREF), seven line widths.
constexpr size_t kEncodedAppearanceSize = 4 + 4 + 4 * kSeriesCount + kSeriesCount;

std::vector<BYTE> EncodeAppearance(const PlotAppearance& look);
// False (and look untouched) for a value of another version, of the wrong
// size, or with values out of range.
bool DecodeAppearance(const BYTE* data, size_t size, PlotAppearance& look);
