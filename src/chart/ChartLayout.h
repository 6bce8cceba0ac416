// Where every part of the chart goes, from the surface rectangle and the scale.
#pragma once

#include <QRect>

#include <cstdint>

class LogStore;

// The plot area of a drawing: left, top, right, bottom in surface pixels. A
// point is in the plot when it lies within all four bounds, bounds included.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool contains(int x, int y) const { return left <= x && x <= right && top <= y && y <= bottom; }
    bool operator==(const PlotRect&) const = default;
};

// Converts a real pixel position to an integer rounding toward zero. NaN gives
// 0 and the magnitude is limited, so that damaged values can neither overflow
// an int nor reach the painter as absurd coordinates.
int TruncPixel(double x);

// A rectangle given as left, top, right, bottom with right and bottom
// exclusive, as QRect(left, top, right - left, bottom - top).
QRect BoxFromEdges(int left, int top, int right, int bottom);

// The chart geometry. Reals are truncated toward zero and "÷" between integers
// truncates too, exactly as the picture has always been laid out, so a chart of
// a given size puts every line on the same pixel on screen, on paper and in a
// picture file.
struct ChartLayout {
    // The largest number of value divisions drawn; more only comes from a
    // scale that no statistics run produced.
    static constexpr int64_t MaxDivisions = 100000;

    QRect R;                // the surface rectangle
    int channels = 0;       // channels drawn, 0 … 3
    uint32_t records = 0;   // records drawn
    int32_t axisTop0 = 0;
    int32_t axisStep0 = 0;

    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;  // title band
    int Y2 = 0;                           // bottom of the header block
    int rh = 0;                           // header row height
    int xt = 0;                           // left edge of the header texts
    int T = 0;                            // plot top
    int B0 = 0;                           // bottom of the drawing
    double W12 = 0;                       // a twelfth of the title band's width
    int W12i = 0;
    int N = 0;                            // value divisions of axis 0
    double labelH = 0;
    int PL = 0, PR = 0, PB = 0;           // plot left, right, bottom
    int PW = 0, PH = 0;
    // Pixels from one record to the next; infinite for a single record.
    double ppr = 0;
    // False when there is nothing to draw: no records, no scale step, or a
    // scale without divisions.
    bool drawable = false;

    // channelCount is clamped to 0 … 3 by the caller (LogStore::shownChannels).
    static ChartLayout Compute(const QRect& R, int channelCount, uint32_t recordCount,
                               int32_t axisTop0, int32_t axisBottom0, int32_t axisStep0);
    static ChartLayout ForStore(const QRect& R, const LogStore& store);

    PlotRect plotRect() const { return {PL, T, PR, PB}; }

    // Header rows: row 0 is the summary, row c belongs to channel c.
    int rowTop(int row) const { return Y1 + row * rh; }
    int rowBottom(int row) const { return Y1 + (row + 1) * rh; }
    QRect rowBox(int row) const { return BoxFromEdges(xt, rowTop(row), X1, rowBottom(row)); }
    QRect titleBox() const { return BoxFromEdges(X0, Y0, X1, Y1); }

    // Grid lines: vertical k = 1 … 10, horizontal j = 0 … N − 1.
    int gridX(int k) const;
    int gridY(int j) const;

    // Value ticks m = 0 … 5·N, a long one (with a label) at every fifth.
    int valueTickY(int m) const;
    int tickLength(int m) const { return m % 5 == 0 ? W12i / 8 : W12i / 16; }
    QRect leftLabelBox(int y) const;
    QRect rightLabelBox(int y) const;

    // Time ticks m = 0 … 50 from right to left.
    static constexpr int TimeTicks = 50;
    int timeTickX(int m) const;
    // The record whose time is written under the tick at x.
    uint32_t recordAtTick(int x) const;
    // The time box reaches trunc(labelH / 3) below the plot; with many value
    // divisions on a short surface that is less than a line of text, and the
    // box is then made cellHeight high (and the date box starts below it) so
    // the times are not cut in half.
    QRect timeLabelBox(int x, int cellHeight = 0) const;
    QRect dateLabelBox(int x, int cellHeight = 0) const;

    QRect leftTitleBox() const;
    QRect rightTitleBox() const;

    // Curves: x of record j and y of a value against the scale (top, bottom).
    int recordX(uint32_t j) const;
    int valueY(double v, int32_t top, int32_t bottom) const;

    // Legend square and line of a channel, in its header row.
    int legendX() const;
    int legendY(int channel) const { return (rowTop(channel) + rowBottom(channel)) / 2; }
    int legendHalfLine() const { return channels == 1 ? 2 * (rh / 4) : 4 * (rh / 4); }

    // Font cell heights in surface pixels. defaultCellHeight is that of the
    // surface's starting font; page mode sizes the fonts from the title band.
    int titleFontHeight(bool pageMode, int defaultCellHeight) const;
    int bodyFontHeight(bool pageMode, int titleHeight) const;
};
