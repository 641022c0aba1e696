// The metrics box, the response markers and the overlaid runs of a pane.
#include "plot_extras.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plot_draw.h"
#include "plot_mapping.h"
#include "plot_pane.h"

namespace {

constexpr size_t kMaxMetricsText = 511;

const COLORREF kMarkerColor = RGB(20, 20, 20);
const COLORREF kSettlingColor = RGB(90, 90, 90);
const COLORREF kBandColor = RGB(175, 200, 235);
const COLORREF kBoxFill = RGB(250, 250, 242);
const COLORREF kBoxFrame = RGB(150, 150, 150);
const COLORREF kBoxText = RGB(32, 32, 32);

// Muted colours that stay apart from the series colours.
const COLORREF kOverlayColors[] = {RGB(150, 160, 190), RGB(190, 150, 140), RGB(140, 175, 150), RGB(185, 165, 110),
                                   RGB(165, 140, 185), RGB(120, 170, 180), RGB(180, 140, 160), RGB(150, 150, 150)};

int Scaled(double v, double scale) { return std::max(1, static_cast<int>(std::lround(v * scale))); }

bool ValidOverlay(WPARAM i) { return i < static_cast<WPARAM>(kMaxOverlays); }

struct Pen {
    Pen(HDC dc, HPEN pen) : dc_(dc), pen_(pen), old_(SelectObject(dc, pen)) {}
    ~Pen() {
        SelectObject(dc_, old_);
        DeleteObject(pen_);
    }
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_;
};

HPEN DashedPen(COLORREF color, double scale) {
    LOGBRUSH brush = {BS_SOLID, color, 0};
    DWORD dash[2] = {static_cast<DWORD>(Scaled(5, scale)), static_cast<DWORD>(Scaled(3, scale))};
    return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, Scaled(1, scale), &brush, 2, dash);
}

struct Maps {
    AxisMap x, y;
};
Maps MapsOf(const RECT& plot, const PlotPane& pane) {
    AxisRange xr = DrawnXRange(pane), yr = DrawnYRange(pane);
    return {{xr.lo, xr.hi, static_cast<int>(plot.left), static_cast<int>(plot.right - 1)},
            {yr.lo, yr.hi, static_cast<int>(plot.bottom - 1), static_cast<int>(plot.top)}};
}

}  // namespace

COLORREF OverlayColor(int overlay) {
    const int n = sizeof kOverlayColors / sizeof kOverlayColors[0];
    return kOverlayColors[((overlay % n) + n) % n];
}

void ExtrasClear(PlotExtras& extras) {
    extras.metricsText.clear();
    extras.markers = false;
    for (OverlaySeries& o : extras.overlays) o = OverlaySeries();
}

int OverlayCount(const PlotExtras& extras) {
    int n = 0;
    for (const OverlaySeries& o : extras.overlays) n += o.y.empty() ? 0 : 1;
    return n;
}

bool ExtrasHandleMessage(PlotExtras& extras, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const auto* doubles = reinterpret_cast<const double*>(lParam);
    const auto* text = reinterpret_cast<const char*>(lParam);
    *result = 0;
    switch (message) {
    case PWM_SETMETRICSTEXT:
        extras.metricsText = text ? std::string(text, strnlen(text, kMaxMetricsText)) : std::string();
        return true;
    case PWM_SETMARKERS:
        if (wParam == 0) {
            extras.markers = false;
        } else if (wParam == kMarkerCount && doubles) {
            std::copy(doubles, doubles + kMarkerCount, extras.marker);
            extras.markers = true;
        }
        return true;
    case PWM_SETOVERLAY: {
        WPARAM i = LOWORD(wParam), count = HIWORD(wParam);
        if (!ValidOverlay(i) || (count > 0 && !doubles)) return true;
        extras.overlays[i].y.assign(doubles, doubles + count);
        return true;
    }
    case PWM_SETOVERLAYSPAN:
        if (ValidOverlay(wParam) && doubles && std::isfinite(doubles[0]) && std::isfinite(doubles[1])) {
            extras.overlays[wParam].x0 = doubles[0];
            extras.overlays[wParam].x1 = doubles[1];
            extras.overlays[wParam].spanSet = true;
        }
        return true;
    case PWM_SETOVERLAYNAME:
        if (ValidOverlay(wParam)) PaneSetText(extras.overlays[wParam].name, text);
        return true;
    case PWM_CLEAROVERLAYS:
        for (OverlaySeries& o : extras.overlays) o = OverlaySeries();
        return true;
    case PWM_GETOVERLAYCOUNT:
        *result = OverlayCount(extras);
        return true;
    }
    return false;
}

void DrawOverlays(HDC dc, const RECT& plot, const PlotPane& pane, double scale, bool decimate) {
    for (int i = kMaxOverlays; i-- > 0;) {  // the first overlay lies on top
        const OverlaySeries& o = pane.extras.overlays[i];
        if (o.y.empty()) continue;
        const int width = Scaled(1, scale);
        Pen pen(dc, CreatePen(PS_SOLID, width, OverlayColor(i)));
        double x0 = o.spanSet ? o.x0 : pane.xMin, x1 = o.spanSet ? o.x1 : pane.xMax;
        DrawPointLines(dc, plot, pane, o.y.data(), o.y.size(), x0, x1, LineDrawingFor(decimate, width == 1));
    }
}

void DrawSettlingBand(HDC dc, const RECT& plot, const PlotPane& pane, double scale) {
    if (!pane.extras.markers) return;
    const double* m = pane.extras.marker;
    Maps map = MapsOf(plot, pane);
    // The 2 % band: two light lines across the plot.
    Pen pen(dc, CreatePen(PS_SOLID, Scaled(1, scale), kBandColor));
    for (double v : {m[kMarkBandLow], m[kMarkBandHigh]}) {
        if (!std::isfinite(v)) continue;
        int y = map.y(v);
        MoveToEx(dc, plot.left, y, nullptr);
        LineTo(dc, plot.right, y);
    }
}

void DrawMarkers(HDC dc, const RECT& plot, const PlotPane& pane, double scale) {
    if (!pane.extras.markers) return;
    const double* m = pane.extras.marker;
    Maps map = MapsOf(plot, pane);
    // The settling time: a vertical dashed line.
    if (std::isfinite(m[kMarkSettlingX])) {
        Pen pen(dc, DashedPen(kSettlingColor, scale));
        int x = map.x(m[kMarkSettlingX]);
        MoveToEx(dc, x, plot.top, nullptr);
        LineTo(dc, x, plot.bottom);
    }
    // 10 % and 90 % points as small squares, the peak as a diamond.
    Pen pen(dc, CreatePen(PS_SOLID, Scaled(1, scale), kMarkerColor));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    const int r = Scaled(3, scale);
    for (int k : {kMarkRiseLowX, kMarkRiseHighX}) {
        if (!std::isfinite(m[k]) || !std::isfinite(m[k + 1])) continue;
        int x = map.x(m[k]), y = map.y(m[k + 1]);
        Rectangle(dc, x - r, y - r, x + r + 1, y + r + 1);
    }
    if (std::isfinite(m[kMarkPeakX]) && std::isfinite(m[kMarkPeakY])) {
        int x = map.x(m[kMarkPeakX]), y = map.y(m[kMarkPeakY]);
        const int d = r + Scaled(1, scale);
        POINT diamond[4] = {{x, y - d}, {x + d, y}, {x, y + d}, {x - d, y}};
        Polygon(dc, diamond, 4);
    }
    SelectObject(dc, oldBrush);
}

void DrawMetricsBox(HDC dc, const RECT& plot, const PlotPane& pane, double scale) {
    const std::string& text = pane.extras.metricsText;
    if (text.empty()) return;
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    const int pad = Scaled(4, scale), th = tm.tmHeight;
    auto measure = [dc](const std::string& l) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, l.c_str(), static_cast<int>(l.size()), &size);
        return static_cast<int>(size.cx);
    };
    // Broken into more lines where the plot is too narrow for them.
    const std::vector<std::string> lines = MetricsLines(text, (plot.right - plot.left) - 4 * pad - 2, measure);
    int width = 0;
    for (const std::string& l : lines) width = std::max(width, measure(l));
    RECT box = {plot.left + pad, plot.top + pad, plot.left + pad + width + 2 * pad,
                plot.top + pad + static_cast<LONG>(lines.size()) * th + pad};
    // A field wider than the plot is cut at its right edge rather than drawn outside.
    int saved = SaveDC(dc);
    IntersectClipRect(dc, plot.left + 1, plot.top + 1, plot.right - 1, plot.bottom - 1);
    {
        Pen pen(dc, CreatePen(PS_SOLID, Scaled(1, scale), kBoxFrame));
        HBRUSH fill = CreateSolidBrush(kBoxFill);
        HGDIOBJ oldBrush = SelectObject(dc, fill);
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        SelectObject(dc, oldBrush);
        DeleteObject(fill);
    }
    SetTextColor(dc, kBoxText);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    int y = box.top + pad / 2;
    for (const std::string& l : lines) {
        TextOutA(dc, box.left + pad, y, l.c_str(), static_cast<int>(l.size()));
        y += th;
    }
    RestoreDC(dc, saved);
}
