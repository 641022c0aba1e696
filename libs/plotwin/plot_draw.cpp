// Plot drawing: frame, grid, numbered axes, labels, legend and the series.
#include "plot_draw.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "plot_extras.h"
#include "plot_format.h"
#include "plot_grid.h"
#include "plot_mapping.h"
#include "plot_pane.h"
#include "plot_spans.h"

namespace {

const COLORREF kGridColor = RGB(222, 222, 222);
const COLORREF kZeroColor = RGB(160, 160, 160);
const COLORREF kFrameColor = RGB(110, 110, 110);
const COLORREF kTextColor = RGB(32, 32, 32);
const COLORREF kSurround = RGB(255, 255, 255);

// Series drawn first lie underneath; the actual position lies over the other
// curves, and the dashed target line over all, so a settled curve does not hide it.
const int kDrawOrder[] = {4, kSeriesTorque, kSeriesAuxiliary, kSeriesError, kSeriesOptimal, kSeriesActual,
                          kSeriesTarget};
const int kLegendOrder[] = {kSeriesActual, kSeriesOptimal, kSeriesAuxiliary, kSeriesError, kSeriesTorque, 4,
                            kSeriesTarget};

int Scaled(double v, double scale) { return std::max(1, static_cast<int>(std::lround(v * scale))); }

class GdiObject {
public:
    GdiObject(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
    ~GdiObject() {
        SelectObject(dc_, old_);
        DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_, old_;
};

HFONT MakeFont(double scale, int escapement) {
    int height = -std::max(6, static_cast<int>(std::lround(8.0 * 96.0 / 72.0 * scale)));
    return CreateFontA(height, 0, escapement, escapement, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
}

HPEN MakeSeriesPen(const PlotPane& pane, int series, double scale) {
    COLORREF color = pane.look.colors[series];
    int width = Scaled(pane.look.widths[series], scale);
    LOGBRUSH brush = {BS_SOLID, color, 0};
    if (pane.series[series].style == 1) {
        DWORD dash[2] = {static_cast<DWORD>(Scaled(7, scale) + 2 * (width - 1)),
                         static_cast<DWORD>(Scaled(4, scale) + 2 * (width - 1))};
        return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER, width, &brush, 2, dash);
    }
    if (width == 1) return CreatePen(PS_SOLID, 1, color);
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &brush, 0, nullptr);
}

SIZE TextSize(HDC dc, const std::string& s) {
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size;
}

void Text(HDC dc, int x, int y, UINT align, const std::string& s) {
    SetTextAlign(dc, align);
    TextOutA(dc, x, y, s.c_str(), static_cast<int>(s.size()));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// Every k-th tick is numbered, so that numbers never overlap.
int LabelStep(int divisions, int room, int needed) {
    if (room <= 0) return divisions + 1;
    int step = 1;
    while (step < divisions && needed * divisions / step > room) ++step;
    return step;
}

bool HasLegendEntry(const PlotPane& pane, int s) { return !pane.series[s].name.empty() && !pane.series[s].y.empty(); }
bool HasLegendEntry(const OverlaySeries& o) { return !o.name.empty() && !o.y.empty(); }

}  // namespace

std::vector<int> LegendRows(const std::vector<int>& widths, int room, int spacing) {
    std::vector<int> rows;
    int row = 0, used = 0;
    for (int w : widths) {
        if (used > 0 && used + spacing + w > room) {
            ++row;
            used = 0;
        }
        used += (used > 0 ? spacing : 0) + w;
        rows.push_back(row);
    }
    return rows;
}

LineDrawing LineDrawingFor(bool decimate, bool thinSolidPen) {
    if (!decimate) return LineDrawing::EveryPoint;
    // Wide and dashed pens draw joins, caps and dashes along the path, so they
    // need the path itself.
    return thinSolidPen ? LineDrawing::ColumnSpans : LineDrawing::ColumnPolyline;
}

void DrawSeriesLines(HDC dc, const RECT& plot, const PlotPane& pane, int series, LineDrawing how) {
    const std::vector<double>& y = pane.series[series].y;
    DrawPointLines(dc, plot, pane, y.data(), y.size(), pane.xMin, pane.xMax, how);
}

void DrawPointLines(HDC dc, const RECT& plot, const PlotPane& pane, const double* yData, size_t yCount, double xFirst,
                    double xLast, LineDrawing how) {
    if (!yData || yCount == 0 || plot.right - plot.left < 2 || plot.bottom - plot.top < 2) return;
    AxisRange xr = DrawnXRange(pane), yr = DrawnYRange(pane);
    AxisMap xmap{xr.lo, xr.hi, static_cast<int>(plot.left), static_cast<int>(plot.right - 1)};
    // The points lie at xFirst .. xLast (the pane's x limits for its series); the axis may have been widened.
    double x0 = std::isfinite(xFirst) ? xFirst : xr.lo, x1 = std::isfinite(xLast) ? xLast : xr.hi;
    AxisMap span{0, 1, xmap(x0), xmap(x1)};
    AxisMap ymap{yr.lo, yr.hi, static_cast<int>(plot.bottom - 1), static_cast<int>(plot.top)};

    std::vector<POINT> mapped;
    if (how == LineDrawing::ColumnSpans) {
        const SpanWriter writer(dc);
        if (writer.Ready()) {
            // The columns' lines straight into the pixels, the few other lines in one call.
            std::vector<ColumnSpan> spans;
            std::vector<DWORD> counts;
            spans.reserve(static_cast<size_t>(plot.right - plot.left) + 16);
            MapColumnSpans(yData, yCount, span, ymap, spans, mapped, counts);
            writer.Fill(spans);
            if (!counts.empty()) PolyPolyline(dc, mapped.data(), counts.data(), static_cast<DWORD>(counts.size()));
            return;
        }
        how = LineDrawing::ColumnLines;
    }
    if (how == LineDrawing::ColumnLines) {
        // All lines in one call.
        std::vector<DWORD> counts;
        mapped.reserve(2 * static_cast<size_t>(plot.right - plot.left) + 64);
        MapColumnLines(yData, yCount, span, ymap, mapped, counts);
        if (!counts.empty()) PolyPolyline(dc, mapped.data(), counts.data(), static_cast<DWORD>(counts.size()));
        return;
    }
    std::vector<size_t> runs;
    if (how == LineDrawing::ColumnPolyline) {
        mapped.reserve(4 * static_cast<size_t>(plot.right - plot.left) + 64);
        MapDecimated(yData, yCount, span, ymap, mapped, runs);
    } else {
        mapped.reserve(yCount);
        MapSeries(yData, yCount, span, ymap, mapped, runs);
    }
    size_t at = 0;
    for (size_t n : runs) {
        const POINT* p = mapped.data() + at;
        at += n;
        if (n == 1) {  // a lone point: a short mark, since a one-point line draws nothing
            Line(dc, p->x - 2, p->y, p->x + 3, p->y);
            continue;
        }
        Polyline(dc, p, static_cast<int>(n));
    }
}

RECT DrawPlot(HDC dc, const RECT& area, const PlotPane& pane, const PlotDrawOptions& options) {
    const double scale = options.scale > 0.25 ? options.scale : 1;
    {
        HBRUSH surround = CreateSolidBrush(kSurround);
        FillRect(dc, &area, surround);
        DeleteObject(surround);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColor);
    GdiObject font(dc, MakeFont(scale, 0));
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    const int th = tm.tmHeight;
    const int pad = Scaled(4, scale), tick = Scaled(3, scale);

    AxisRange xr = DrawnXRange(pane), yr = DrawnYRange(pane);
    // Grid lines and numbers at round values; the range's edges are the frame.
    const GridPlacement xGrid = PlaceGrid(xr.lo, xr.hi, pane.xDivisions);
    const GridPlacement yGrid = PlaceGrid(yr.lo, yr.hi, pane.yDivisions);
    const int xLines = static_cast<int>(xGrid.values.size()), yLines = static_cast<int>(yGrid.values.size());
    std::vector<std::string> yText(yGrid.values.size()), xText(xGrid.values.size());
    int yTextWidth = 0, xTextWidth = 0;
    for (int i = 0; i < yLines; ++i) {
        yText[i] = FormatYNumber(pane.yFormat, yGrid.values[i]);
        yTextWidth = std::max(yTextWidth, static_cast<int>(TextSize(dc, yText[i]).cx));
    }
    for (int i = 0; i < xLines; ++i) {
        xText[i] = FormatXNumber(xGrid.values[i], xr.hi - xr.lo);
        xTextWidth = std::max(xTextWidth, static_cast<int>(TextSize(dc, xText[i]).cx));
    }
    // Legend entries: the pane's series, then the overlaid runs.
    struct LegendEntry {
        int series;   // or -1 for an overlaid run
        int overlay;  // its index
        const std::string* name;
    };
    std::vector<LegendEntry> entries;
    if (pane.look.legend) {
        for (int s : kLegendOrder)
            if (HasLegendEntry(pane, s)) entries.push_back({s, -1, &pane.series[s].name});
        for (int i = 0; i < kMaxOverlays; ++i)
            if (HasLegendEntry(pane.extras.overlays[i])) entries.push_back({-1, i, &pane.extras.overlays[i].name});
    }
    const bool legend = !entries.empty();

    RECT plot;
    plot.left = area.left + pad + (pane.yLabel.empty() ? 0 : th + pad) + yTextWidth + pad / 2 + tick;
    plot.right = area.right - std::max(pad + pad / 2, (xText.empty() ? 0 : static_cast<int>(TextSize(dc, xText.back()).cx) / 2) + pad);
    // The legend flows into as many rows above the plot area as its width needs.
    const int sample = Scaled(22, scale), gap = Scaled(5, scale), spacing = Scaled(14, scale);
    std::vector<int> entryWidth;
    for (const LegendEntry& e : entries) entryWidth.push_back(sample + gap + TextSize(dc, *e.name).cx);
    const std::vector<int> entryRow = LegendRows(entryWidth, plot.right - plot.left, spacing);
    const int legendRows = entryRow.empty() ? 0 : entryRow.back() + 1;
    plot.top = area.top + (legend ? legendRows * th + pad + pad / 2 : std::max(pad, th / 2 + pad / 2));
    plot.bottom = area.bottom - pad / 2 - tick - th - (pane.xLabel.empty() ? 0 : th);
    if (plot.right - plot.left < 4 || plot.bottom - plot.top < 4) return plot;
    const int plotW = plot.right - plot.left, plotH = plot.bottom - plot.top;

    // Plot area, grid and zero line.
    {
        HBRUSH back = CreateSolidBrush(pane.look.background);
        FillRect(dc, &plot, back);
        DeleteObject(back);
    }
    AxisMap ymap{yr.lo, yr.hi, static_cast<int>(plot.bottom - 1), static_cast<int>(plot.top)};
    auto xAt = [&](int i) {
        double f = (xGrid.values[i] - xr.lo) / (xr.hi - xr.lo);
        return plot.left + static_cast<int>(std::lround((plotW - 1.0) * std::clamp(f, 0.0, 1.0)));
    };
    auto yAt = [&](int i) {
        double f = (yGrid.values[i] - yr.lo) / (yr.hi - yr.lo);
        return plot.bottom - 1 - static_cast<int>(std::lround((plotH - 1.0) * std::clamp(f, 0.0, 1.0)));
    };
    const int thin = Scaled(1, scale);
    if (pane.look.grid) {
        // A line on the frame would only thicken it.
        GdiObject pen(dc, CreatePen(PS_SOLID, thin, kGridColor));
        for (int i = 0; i < xLines; ++i)
            if (xAt(i) > plot.left && xAt(i) < plot.right - 1) Line(dc, xAt(i), plot.top, xAt(i), plot.bottom);
        for (int i = 0; i < yLines; ++i)
            if (yAt(i) > plot.top && yAt(i) < plot.bottom - 1) Line(dc, plot.left, yAt(i), plot.right, yAt(i));
    }
    if (yr.lo < 0 && yr.hi > 0) {
        GdiObject pen(dc, CreatePen(PS_SOLID, thin, kZeroColor));
        int y0 = ymap(0);
        Line(dc, plot.left, y0, plot.right, y0);
    }

    // Series, clipped to the plot area.
    {
        int saved = SaveDC(dc);
        IntersectClipRect(dc, plot.left, plot.top, plot.right, plot.bottom);
        DrawSettlingBand(dc, plot, pane, scale);
        DrawOverlays(dc, plot, pane, scale, options.decimate);
        for (int s : kDrawOrder) {
            if (pane.series[s].y.empty()) continue;
            GdiObject pen(dc, MakeSeriesPen(pane, s, scale));
            const bool thin = pane.series[s].style != 1 && Scaled(pane.look.widths[s], scale) == 1;
            DrawSeriesLines(dc, plot, pane, s, LineDrawingFor(options.decimate, thin));
        }
        DrawMarkers(dc, plot, pane, scale);
        RestoreDC(dc, saved);
    }

    // Frame, ticks and numbers.
    {
        GdiObject pen(dc, CreatePen(PS_SOLID, thin, kFrameColor));
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, plot.left, plot.top, plot.right, plot.bottom);
        SelectObject(dc, oldBrush);
        // Numbered every k-th line, counted from the line at 0 when there is one,
        // so that zero keeps its number.
        auto numbered = [](const GridPlacement& g, int i, int k) {
            long long n = std::llround(g.values[i] / g.step);
            return n % k == 0;
        };
        int yStep = LabelStep(std::max(1, yLines - 1), plotH, th + th / 4);
        for (int i = 0; i < yLines; ++i) {
            Line(dc, plot.left - tick, yAt(i), plot.left, yAt(i));
            if (numbered(yGrid, i, yStep)) Text(dc, plot.left - tick - pad / 2, yAt(i) - th / 2, TA_RIGHT | TA_TOP, yText[i]);
        }
        int xStep = LabelStep(std::max(1, xLines - 1), plotW, xTextWidth + 2 * pad);
        for (int i = 0; i < xLines; ++i) {
            Line(dc, xAt(i), plot.bottom, xAt(i), plot.bottom + tick);
            if (numbered(xGrid, i, xStep)) Text(dc, xAt(i), plot.bottom + tick, TA_CENTER | TA_TOP, xText[i]);
        }
    }

    DrawMetricsBox(dc, plot, pane, scale);

    // Axis labels: x centred below the numbers, y turned up the left side.
    if (!pane.xLabel.empty()) Text(dc, (plot.left + plot.right) / 2, plot.bottom + tick + th, TA_CENTER | TA_TOP, pane.xLabel);
    if (!pane.yLabel.empty()) {
        GdiObject turned(dc, MakeFont(scale, 900));
        Text(dc, area.left + pad, (plot.top + plot.bottom) / 2, TA_CENTER | TA_TOP, pane.yLabel);
    }

    // Legend: rows above the plot area, each ending at its right edge.
    for (int row = 0; row < legendRows; ++row) {
        int total = 0;
        for (size_t k = 0; k < entries.size(); ++k)
            if (entryRow[k] == row) total += (total ? spacing : 0) + entryWidth[k];
        int x = std::max(static_cast<int>(plot.left), static_cast<int>(plot.right) - total);
        int yText = plot.top - pad / 2 - (legendRows - row) * th, yLine = yText + th / 2;
        for (size_t k = 0; k < entries.size(); ++k) {
            if (entryRow[k] != row) continue;
            const LegendEntry& e = entries[k];
            {
                // Overlaid runs are drawn with their own one-pixel pen.
                GdiObject pen(dc, e.series >= 0 ? MakeSeriesPen(pane, e.series, scale)
                                                : CreatePen(PS_SOLID, Scaled(1, scale), OverlayColor(e.overlay)));
                Line(dc, x, yLine, x + sample, yLine);
            }
            Text(dc, x + sample + gap, yText, TA_LEFT | TA_TOP, *e.name);
            x += entryWidth[k] + spacing;
        }
    }
    return plot;
}
