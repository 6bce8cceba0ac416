// The points a chart curve is drawn through: every record, or only the few per
// pixel column that paint the same pixels.
#pragma once

#include <QPoint>

#include <cstddef>
#include <cstdint>
#include <vector>

class QPainter;

// How DrawChart puts a curve through the records.
enum class CurvePoints {
    // At most seven points per pixel column where that paints the same
    // pixels (see ColumnReductionIsExact), every record otherwise.
    PerPixelColumn,
    // A line between every pair of consecutive records: the reference the
    // reduced curve is compared with.
    EveryRecord,
};

// True when a curve drawn on the painter with a 1-pixel pen paints the same
// pixels from the reduced points as from every record: aliased lines of the
// raster engine in device pixels. Under a scaling transform (a high-density
// screen) or with antialiasing the line is stroked as an outline whose joins
// depend on every point, and a printer or PDF rasterises the lines itself, so
// there the curve keeps them all.
bool ColumnReductionIsExact(const QPainter& painter);

// The polyline of one curve, record j at (xOf(j), yOf(values[j])).
//
// Consecutive equal points are always dropped: they add no pixel. When
// reducing, each pixel column keeps its first two rows and its last three, as
// they come, and between them only the highest and the lowest row (in the
// order they came). An aliased 1-pixel polyline through these paints the same
// pixels as through every record:
// - the vertical steps in the middle of a column paint every row from its
//   highest to its lowest point, whichever way and in whatever order they run;
// - the first and last steps of a column, and the lines between columns, are
//   the same lines as before, entered in the same direction. Qt's line drawer
//   adds or drops a pixel where one line meets the next depending on the
//   direction and last pixel of the line before, so these must not change.
//
// Requirements: xOf never decreases with j, so that a column's records are
// one run; yOf is monotone over the values that are numbers (either way), so
// that a column's highest and lowest points belong to its largest and
// smallest value or to a value that is not a number. Most values of a busy
// column are only compared, never turned into a y.
class CurvePolyline {
public:
    explicit CurvePolyline(bool reduce) : reduce_(reduce) {}

    template <typename XOf, typename YOf>
    const std::vector<QPoint>& Build(uint32_t count, const float* values, XOf xOf, YOf yOf);

private:
    void Append(QPoint p)
    {
        if (points_.empty() || points_.back() != p)
            points_.push_back(p);
    }
    template <typename YOf>
    void AddColumn(int x, uint32_t first, uint32_t end, const float* values, YOf yOf);

    bool reduce_;
    std::vector<QPoint> points_;
};

template <typename XOf, typename YOf>
const std::vector<QPoint>& CurvePolyline::Build(uint32_t count, const float* values, XOf xOf, YOf yOf)
{
    points_.clear();
    if (!reduce_) {
        points_.reserve(count);
        for (uint32_t j = 0; j < count; ++j)
            Append(QPoint(xOf(j), yOf(values[j])));
        return points_;
    }
    uint32_t first = 0;
    int x = count > 0 ? xOf(0) : 0;
    while (first < count) {
        // The column ends at the first record on another x. As x never
        // decreases it is found by doubling steps and halving, without
        // asking every record of a busy column for its x.
        uint64_t inside = first, outside = count;
        for (uint64_t step = 1;; step *= 2) {
            const uint64_t probe = first + step;
            if (probe >= count)
                break;
            if (xOf(uint32_t(probe)) != x) {
                outside = probe;
                break;
            }
            inside = probe;
        }
        while (outside - inside > 1) {
            const uint64_t middle = inside + (outside - inside) / 2;
            if (xOf(uint32_t(middle)) == x)
                inside = middle;
            else
                outside = middle;
        }
        const uint32_t end = uint32_t(outside);
        AddColumn(x, first, end, values, yOf);
        first = end;
        if (first < count)
            x = xOf(first);
    }
    return points_;
}

// The records first … end − 1, all on column x.
template <typename YOf>
void CurvePolyline::AddColumn(int x, uint32_t first, uint32_t end, const float* values, YOf yOf)
{
    auto all = [&] {
        for (uint32_t k = first; k < end; ++k)
            Append(QPoint(x, yOf(values[k])));
    };

    // The first two rows: the first record and the next one on another row.
    const int y0 = yOf(values[first]);
    uint32_t second = first + 1;
    int y1 = y0;
    while (second < end && (y1 = yOf(values[second])) == y0)
        ++second;
    if (second >= end) {
        Append(QPoint(x, y0));
        return;
    }

    // The last three rows, walking back; a column with few rows is kept whole.
    int tailY[3];
    uint32_t k = end - 1;
    tailY[0] = yOf(values[k]);
    for (int n = 1; n < 3; ++n) {
        int y;
        do {
            if (k <= second) {
                all();
                return;
            }
            y = yOf(values[--k]);
        } while (y == tailY[n - 1]);
        tailY[n] = y;
    }
    const uint32_t middleEnd = k + 1;  // the middle runs from second to k

    // The middle's highest and lowest rows, from its smallest and largest
    // value and its first value that is not a number (which compares with
    // nothing); on equal rows the earlier record.
    uint32_t smallest = end, largest = end, notNumber = end;
    for (uint32_t j = second; j < middleEnd; ++j) {
        const float v = values[j];
        if (v != v) {
            if (notNumber == end)
                notNumber = j;
        } else if (smallest == end) {
            smallest = largest = j;
        } else if (v < values[smallest]) {
            smallest = j;
        } else if (v > values[largest]) {
            largest = j;
        }
    }
    uint32_t high = second, low = second;
    int highY = y1, lowY = y1;
    for (uint32_t j : {smallest, largest, notNumber}) {
        if (j == end)
            continue;
        const int y = yOf(values[j]);
        if (y < highY || (y == highY && j < high)) {
            highY = y;
            high = j;
        }
        if (y > lowY || (y == lowY && j < low)) {
            lowY = y;
            low = j;
        }
    }

    Append(QPoint(x, y0));
    Append(QPoint(x, y1));
    Append(QPoint(x, high < low ? highY : lowY));
    Append(QPoint(x, high < low ? lowY : highY));
    Append(QPoint(x, tailY[2]));
    Append(QPoint(x, tailY[1]));
    Append(QPoint(x, tailY[0]));
}
