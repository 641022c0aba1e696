// Axis ranges, value-to-pixel mapping and column decimation.
#include "plot_mapping.h"

#include <algorithm>
#include <cmath>

#include "plot_pane.h"

namespace {

AxisRange Widened(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) return {0, 1};
    if (lo == hi) {
        double d = lo == 0 ? 1 : std::fabs(lo) * 0.1;
        return {lo - d, hi + d};
    }
    return {lo, hi};
}

constexpr int kClampMargin = 30000;

// floor(p + 0.5) for the clamped pixel range, without a library call: the
// offset makes the value positive, so truncation rounds down.
constexpr double kRoundOffset = 1 << 22;
inline int RoundPixel(double p) {
    return static_cast<int>(p + (0.5 + kRoundOffset)) - static_cast<int>(kRoundOffset);
}

}  // namespace

AxisRange DrawnXRange(const PlotPane& pane) { return Widened(pane.xMin, pane.xMax); }

AxisRange DrawnYRange(const PlotPane& pane) {
    double lo = pane.yMin, hi = pane.yMax;
    if (lo > hi) std::swap(lo, hi);
    return Widened(lo, hi);
}

int AxisMap::operator()(double v) const {
    double p = p0 + (v - v0) * (p1 - p0) / (v1 - v0);
    double lo = std::min(p0, p1) - static_cast<double>(kClampMargin);
    double hi = std::max(p0, p1) + static_cast<double>(kClampMargin);
    if (!(p >= lo)) p = lo;  // also catches NaN
    if (p > hi) p = hi;
    return RoundPixel(p);
}

void MapSeries(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
               std::vector<size_t>& runs) {
    if (!y || n == 0) return;
    double step = n > 1 ? static_cast<double>(x.p1 - x.p0) / static_cast<double>(n - 1) : 0;
    size_t runStart = out.size();
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(y[i])) {
            if (out.size() > runStart) runs.push_back(out.size() - runStart);
            runStart = out.size();
            continue;
        }
        POINT p;
        p.x = RoundPixel(x.p0 + step * static_cast<double>(i));  // as MapDecimated
        p.y = ymap(y[i]);
        out.push_back(p);
    }
    if (out.size() > runStart) runs.push_back(out.size() - runStart);
}

namespace {

// Appends pixel points to one polyline, folding steps that draw nothing more:
// a zero-length step draws nothing, and two vertical or two horizontal steps in
// one direction draw what one step does.
class FoldedPolyline {
public:
    explicit FoldedPolyline(std::vector<POINT>& out) : out_(out), start_(out.size()) {}
    size_t Size() const { return out_.size() - start_; }
    void Restart() { start_ = out_.size(); }
    void Push(POINT p) {
        size_t m = Size();
        if (m >= 1 && out_.back().x == p.x && out_.back().y == p.y) return;
        if (m >= 2) {
            POINT& b = out_.back();
            const POINT& a = out_[out_.size() - 2];
            bool vertical = a.x == p.x && b.x == p.x && ((a.y < b.y && b.y < p.y) || (a.y > b.y && b.y > p.y));
            bool horizontal = a.y == p.y && b.y == p.y && ((a.x < b.x && b.x < p.x) || (a.x > b.x && b.x > p.x));
            if (vertical || horizontal) {
                b = p;
                return;
            }
        }
        out_.push_back(p);
    }

private:
    std::vector<POINT>& out_;
    size_t start_;
};

// Walks the runs of finite values of a series pixel column by column, with x
// positions exactly as MapSeries computes them. Every column of a run but its
// last goes to column(px, first, lo, hi, last) with the indices of its first,
// lowest, highest (the earlier of equals) and last point; the run's last column
// goes to lastColumn(px, from, to, earlier) with its index range and whether
// the run had columns before it.
template <class Column, class LastColumn>
void WalkColumns(const double* y, size_t n, const AxisMap& x, Column column, LastColumn lastColumn) {
    const double step = n > 1 ? static_cast<double>(x.p1 - x.p0) / static_cast<double>(n - 1) : 0;
    size_t first = n;  // first index of the current column; n: no run open
    bool earlier = false;
    LONG columnX = 0;
    // The point's x is RoundPixel of the same expression as in MapSeries; it is
    // converted only where it reaches the next column's threshold.
    double nextColumn = 0, di = -1;
    const bool forward = x.p1 >= x.p0;
    size_t lo = 0, hi = 0;
    for (size_t i = 0; i < n; ++i) {
        double v = y[i];
        di += 1;
        if (!(v - v == 0)) {  // NaN or infinite: the run ends here
            if (first < n) lastColumn(columnX, first, i, earlier);
            first = n;
            earlier = false;
            continue;
        }
        double shifted = x.p0 + step * di + (0.5 + kRoundOffset);
        if (first < n && (forward ? shifted < nextColumn : shifted >= nextColumn)) {
            if (v < y[lo]) lo = i;
            if (v > y[hi]) hi = i;
            continue;
        }
        if (first < n) {
            column(columnX, first, lo, hi, i - 1);
            earlier = true;
        }
        first = lo = hi = i;
        columnX = static_cast<LONG>(shifted) - static_cast<LONG>(kRoundOffset);
        nextColumn = forward ? columnX + 1 + kRoundOffset : columnX + kRoundOffset;
    }
    if (first < n) lastColumn(columnX, first, n, earlier);
}

// Whether the polyline's step from column a's last point to column b's first
// draws only pixels of the two columns' vertical lines: the step draws only
// pixels inside the box of its two ends, and into the neighbouring column no
// more than one row apart it draws just its start.
bool StepInsideColumns(const ColumnSpan& a, POINT from, const ColumnSpan& b, POINT to) {
    if (a.x - b.x != 1 && b.x - a.x != 1) return false;
    const int rowLo = std::min(from.y, to.y), rowHi = std::max(from.y, to.y);
    return rowHi - rowLo <= 1 ||
           (rowLo >= a.top && rowHi <= a.bottom && rowLo >= b.top && rowHi <= b.bottom);
}

// The end of a run as the polyline draws it: from the previous column's last
// point (when the run has one) through every point of its last column, since
// the end of a polyline is not drawn and the exact path there decides the
// final pixel. Appended to out as one line; a lone point becomes a short
// mark, since a one-point line draws nothing.
void PushRunEnd(const double* y, size_t from, size_t to, LONG px, const AxisMap& ymap, const POINT* previous,
                bool earlier, std::vector<POINT>& out, std::vector<DWORD>& counts) {
    FoldedPolyline chain(out);
    if (previous) chain.Push(*previous);
    for (size_t k = from; k < to; ++k) chain.Push({px, ymap(y[k])});
    if (chain.Size() == 1) {
        if (earlier || to - from > 1) {
            out.pop_back();  // several points folded to one draw nothing
            return;
        }
        POINT p = out.back();
        out.back() = {p.x - 2, p.y};
        out.push_back({p.x + 3, p.y});
    }
    if (chain.Size() > 0) counts.push_back(static_cast<DWORD>(chain.Size()));
}

}  // namespace

void MapDecimated(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
                  std::vector<size_t>& runs) {
    if (!y || n == 0) return;
    FoldedPolyline line(out);
    auto column = [&](LONG px, size_t first, size_t lo, size_t hi, size_t last) {
        // First, extremes in the order they come, last.
        line.Push({px, ymap(y[first])});
        line.Push({px, ymap(y[std::min(lo, hi)])});
        line.Push({px, ymap(y[std::max(lo, hi)])});
        line.Push({px, ymap(y[last])});
    };
    // The run's last column: every point, since the end of a polyline is not
    // drawn and the exact path there decides the final pixel.
    auto lastColumn = [&](LONG px, size_t from, size_t to, bool earlier) {
        for (size_t k = from; k < to; ++k) line.Push({px, ymap(y[k])});
        // A run of several points that folded to one still draws nothing.
        if (line.Size() == 1 && (earlier || to - from > 1)) out.push_back(out.back());
        if (line.Size() > 0) runs.push_back(line.Size());
        line.Restart();
    };
    WalkColumns(y, n, x, column, lastColumn);
}

void MapColumnLines(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<POINT>& out,
                    std::vector<DWORD>& counts) {
    if (!y || n == 0) return;
    // A column of a run: the rows the polyline covers there (its points are
    // joined by vertical steps, so every row from the lowest to the highest
    // point), and its first and last point.
    struct Column {
        LONG x;
        int top, bottom;
        POINT first, last;
        bool Holds(int row) const { return row >= top && row <= bottom; }
        int EndFrom(int start) const { return start == top ? bottom : top; }
    };
    // Neighbouring columns' vertical lines are chained into one polyline where
    // the line from one's end to the next one's start draws nothing else; the
    // steps between columns that reach other pixels are kept apart.
    std::vector<POINT> steps;
    FoldedPolyline chain(out);
    bool waiting = false;  // column w waits for the next one to choose its direction
    Column w = {};
    int wStart = 0;
    bool wStartFixed = false;
    auto put = [&](const Column& c, int start) {
        chain.Push({c.x, start});
        chain.Push({c.x, c.EndFrom(start)});
    };
    auto close = [&](const Column& c, int start) {
        put(c, start);
        const int end = c.EndFrom(start);
        chain.Push({c.x, end < start ? end - 1 : end + 1});  // the end of a line is not drawn
        counts.push_back(static_cast<DWORD>(chain.Size()));
        chain.Restart();
    };
    auto column = [&](LONG px, size_t first, size_t lo, size_t hi, size_t last) {
        const int a = ymap(y[lo]), b = ymap(y[hi]);
        const Column c = {px, std::min(a, b), std::max(a, b), {px, ymap(y[first])}, {px, ymap(y[last])}};
        if (!waiting) {
            w = c;
            waiting = true;
            wStartFixed = false;
            return;
        }
        // The step from w's last point to c's first draws only pixels inside
        // the box of its two ends, and into the neighbouring column no more
        // than one row apart it draws just its start. It needs no line of its
        // own where the two columns' lines cover those pixels already.
        const bool neighbour = w.x - c.x == 1 || c.x - w.x == 1;
        const bool covered = StepInsideColumns({w.x, w.top, w.bottom}, w.last, {c.x, c.top, c.bottom}, c.first);
        // A join from w's end to c's start may be that step itself, or a line
        // that draws only pixels of the two columns' lines; the step is taken
        // first (it saves its own line), else the shortest such line.
        bool joined = false, joinIsStep = false;
        int start = wStartFixed ? wStart : w.top, next = c.top, length = 0;
        for (int ws : {w.top, w.bottom}) {
            if (wStartFixed && ws != wStart) continue;
            const int we = w.EndFrom(ws);
            for (int cs : {c.top, c.bottom}) {
                const int d = we > cs ? we - cs : cs - we;
                const bool isStep = !covered && we == w.last.y && cs == c.first.y;
                const bool inside = neighbour && (d <= 1 || (c.Holds(we) && w.Holds(cs)));
                if (!isStep && !inside) continue;
                if (joined && (joinIsStep || (!isStep && d >= length))) continue;
                joined = true;
                joinIsStep = isStep;
                start = ws;
                next = cs;
                length = d;
            }
        }
        if (!covered && !joinIsStep) {
            steps.push_back(w.last);
            steps.push_back(c.first);
        }
        if (joined) {
            put(w, start);
        } else {
            close(w, start);
        }
        w = c;
        wStart = next;
        wStartFixed = joined;
    };
    // The run's last column as the polyline draws it, from the previous
    // column's last point on: the end of the polyline is not drawn, so the
    // exact path there decides the final pixel.
    auto lastColumn = [&](LONG px, size_t from, size_t to, bool earlier) {
        if (waiting) close(w, wStartFixed ? wStart : w.top);
        PushRunEnd(y, from, to, px, ymap, waiting ? &w.last : nullptr, earlier, out, counts);
        chain.Restart();
        waiting = false;
    };
    WalkColumns(y, n, x, column, lastColumn);
    out.insert(out.end(), steps.begin(), steps.end());
    counts.insert(counts.end(), steps.size() / 2, 2);
}

void MapColumnSpans(const double* y, size_t n, const AxisMap& x, const AxisMap& ymap, std::vector<ColumnSpan>& spans,
                    std::vector<POINT>& out, std::vector<DWORD>& counts) {
    if (!y || n == 0) return;
    bool open = false;  // a column of the run before this one: its span and last point
    ColumnSpan w = {};
    POINT wLast = {};
    auto column = [&](LONG px, size_t first, size_t lo, size_t hi, size_t last) {
        const int a = ymap(y[lo]), b = ymap(y[hi]);
        const ColumnSpan c = {px, std::min(a, b), std::max(a, b)};
        const POINT cFirst = {px, ymap(y[first])};
        // Within a column the points are joined by vertical steps: every row
        // from the lowest to the highest is drawn.
        spans.push_back(c);
        if (open && !StepInsideColumns(w, wLast, c, cFirst)) {
            out.push_back(wLast);
            out.push_back(cFirst);
            counts.push_back(2);
        }
        w = c;
        wLast = {px, ymap(y[last])};
        open = true;
    };
    auto lastColumn = [&](LONG px, size_t from, size_t to, bool earlier) {
        PushRunEnd(y, from, to, px, ymap, open ? &wLast : nullptr, earlier, out, counts);
        open = false;
    };
    WalkColumns(y, n, x, column, lastColumn);
}
