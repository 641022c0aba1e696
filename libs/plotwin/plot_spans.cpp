// Filling column spans in a DIB section's pixels.
#include "plot_spans.h"

#include <algorithm>
#include <cstddef>

namespace {

// A 32-bit DIB section's pixel layout: blue in the low byte, then green and red.
bool IsPlainRgb32(const DIBSECTION& ds) {
    if (ds.dsBm.bmBitsPixel != 32 || ds.dsBm.bmPlanes != 1 || !ds.dsBm.bmBits) return false;
    if (ds.dsBmih.biCompression == BI_RGB) return true;
    return ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[0] == 0xFF0000 &&
           ds.dsBitfields[1] == 0xFF00 && ds.dsBitfields[2] == 0xFF;
}

// The device rectangles of the DC's clip region, or the whole bitmap when it
// has none; false when the region cannot be read.
bool ClipRectangles(HDC dc, const RECT& bitmap, std::vector<RECT>& out) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region) return false;
    bool ok = false;
    // A meta region also limits drawing; such a DC is left to GDI.
    if (GetMetaRgn(dc, region) == 1) {
        RECT box;
        ok = GetRgnBox(region, &box) == NULLREGION;
    } else {
        ok = true;
    }
    const int clipped = ok ? GetClipRgn(dc, region) : -1;
    if (clipped == 0) {
        out.push_back(bitmap);
    } else if (clipped == 1) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<BYTE> data(size);
        auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
        if (size >= sizeof(RGNDATAHEADER) && GetRegionData(region, size, rgn) == size) {
            const RECT* r = reinterpret_cast<const RECT*>(rgn->Buffer);
            for (DWORD i = 0; i < rgn->rdh.nCount; ++i) {
                RECT inside;
                if (IntersectRect(&inside, &r[i], &bitmap)) out.push_back(inside);
            }
        } else {
            ok = false;
        }
    } else {
        ok = false;
    }
    DeleteObject(region);
    return ok;
}

// Whether the bitmap's first row in memory is its top row: 1, 0, or -1 when
// that cannot be told. The header's height does not say reliably (the sign of
// a top-down bitmap is not always kept), so the first pixel in memory is
// briefly given a colour that its bottom-row alternative does not have and
// GDI is asked for the colour at the top left.
int IsTopDown(HDC dc, BYTE* base, LONG rowBytes, LONG height) {
    if (height == 1) return 1;
    DWORD* first = reinterpret_cast<DWORD*>(base);
    const DWORD other = *reinterpret_cast<const DWORD*>(base + static_cast<size_t>(height - 1) * rowBytes);
    const DWORD kept = *first, probe = ~other & 0xFFFFFF;
    const int saved = SaveDC(dc);
    SelectClipRgn(dc, nullptr);
    POINT topLeft = {0, 0};
    DPtoLP(dc, &topLeft, 1);
    *first = probe;
    const COLORREF seen = GetPixel(dc, topLeft.x, topLeft.y);
    *first = kept;
    RestoreDC(dc, saved);
    if (seen == CLR_INVALID) return -1;
    const DWORD seenPixel = (static_cast<DWORD>(GetRValue(seen)) << 16) | (static_cast<DWORD>(GetGValue(seen)) << 8) |
                            GetBValue(seen);
    return seenPixel == probe ? 1 : seenPixel == (other & 0xFFFFFF) ? 0 : -1;
}

}  // namespace

SpanWriter::SpanWriter(HDC dc) {
    if (!dc || GetObjectType(dc) != OBJ_MEMDC || GetROP2(dc) != R2_COPYPEN) return;
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    LOGPEN lp = {};
    if (!pen || GetObjectType(pen) != OBJ_PEN || GetObjectA(pen, sizeof lp, &lp) != sizeof lp) return;
    if (lp.lopnStyle != PS_SOLID || lp.lopnWidth.x > 1 || (lp.lopnColor >> 24) != 0) return;
    // One logical unit one device pixel, no turn or mirror: only a shift.
    POINT p[3] = {{0, 0}, {1000, 0}, {0, 1000}};
    if (!LPtoDP(dc, p, 3) || p[1].x - p[0].x != 1000 || p[1].y != p[0].y || p[2].y - p[0].y != 1000 ||
        p[2].x != p[0].x)
        return;
    DIBSECTION ds = {};
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    if (!bitmap || GetObjectA(bitmap, sizeof ds, &ds) != sizeof ds || !IsPlainRgb32(ds)) return;
    const LONG width = ds.dsBm.bmWidth, height = ds.dsBm.bmHeight < 0 ? -ds.dsBm.bmHeight : ds.dsBm.bmHeight;
    const RECT whole = {0, 0, width, height};
    if (width <= 0 || height <= 0 || !ClipRectangles(dc, whole, clip_)) return;
    // Pending GDI drawing reaches the pixels before they are written here.
    GdiFlush();
    BYTE* base = static_cast<BYTE*>(ds.dsBm.bmBits);
    const LONG rowBytes = ds.dsBm.bmWidthBytes;
    const int topDown = IsTopDown(dc, base, rowBytes, height);
    if (topDown < 0) {
        clip_.clear();
        return;
    }
    if (topDown) {
        bits_ = base;
        stride_ = rowBytes;
    } else {
        bits_ = base + static_cast<size_t>(height - 1) * rowBytes;
        stride_ = -rowBytes;
    }
    pixel_ = (static_cast<DWORD>(GetRValue(lp.lopnColor)) << 16) | (static_cast<DWORD>(GetGValue(lp.lopnColor)) << 8) |
             GetBValue(lp.lopnColor);
    origin_ = p[0];
}

void SpanWriter::Fill(const std::vector<ColumnSpan>& spans) const {
    if (!bits_) return;
    for (const RECT& r : clip_) {
        for (const ColumnSpan& s : spans) {
            const LONG x = s.x + origin_.x;
            if (x < r.left || x >= r.right) continue;
            const LONG top = std::max<LONG>(s.top + origin_.y, r.top);
            const LONG bottom = std::min<LONG>(s.bottom + origin_.y, r.bottom - 1);
            if (top > bottom) continue;
            BYTE* at = bits_ + static_cast<ptrdiff_t>(top) * stride_ + static_cast<ptrdiff_t>(x) * 4;
            for (LONG row = top; row <= bottom; ++row, at += stride_) *reinterpret_cast<DWORD*>(at) = pixel_;
        }
    }
}
