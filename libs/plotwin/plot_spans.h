// Column spans written straight into the pixels of a 32-bit DIB section: the
// pixels a one-pixel solid pen draws for the same vertical lines, without the
// cost of a GDI line per column.
#pragma once
#include <windows.h>

#include <vector>

#include "plot_mapping.h"

class SpanWriter {
public:
    // Ready when dc is a memory DC with a 32-bit DIB section selected, one
    // logical unit is one device pixel, and the pen selected is a one-pixel
    // solid pen of a plain RGB colour drawn by copying. Otherwise the lines
    // must go through GDI.
    explicit SpanWriter(HDC dc);
    bool Ready() const { return bits_ != nullptr; }
    // Fills the spans (logical coordinates) in the pen's colour, clipped to
    // the DC's clip region and the bitmap.
    void Fill(const std::vector<ColumnSpan>& spans) const;

private:
    BYTE* bits_ = nullptr;  // the top row
    LONG stride_ = 0;       // bytes from one row to the next one down (negative for a bottom-up bitmap)
    DWORD pixel_ = 0;
    POINT origin_ = {0, 0};  // device position of logical (0, 0)
    std::vector<RECT> clip_;  // device rectangles, inside the bitmap
};
