// Where every part of the chart goes, from the surface rectangle and the scale.
#include "chart/ChartLayout.h"

#include "logdata/LogStore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Far beyond any real surface (a page at printer resolution is some ten
// thousand pixels), small enough that sums of a few of them stay in an int.
constexpr double PixelLimit = 1.0e6;

}  // namespace

int TruncPixel(double x)
{
    if (std::isnan(x))
        return 0;
    if (x > PixelLimit)
        return int(PixelLimit);
    if (x < -PixelLimit)
        return -int(PixelLimit);
    return int(x);  // toward zero
}

QRect BoxFromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

ChartLayout ChartLayout::Compute(const QRect& rect, int channelCount, uint32_t recordCount,
                                 int32_t axisTop, int32_t axisBottom, int32_t axisStep)
{
    ChartLayout l;
    l.R = rect;
    l.channels = channelCount < 0 ? 0 : channelCount > 3 ? 3 : channelCount;
    l.records = recordCount;
    l.axisTop0 = axisTop;
    l.axisStep0 = axisStep;

    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width();   // exclusive, as the window's client rectangle
    const int bottom = rect.top() + rect.height();
    const double w = rect.width();
    const double h = rect.height();

    l.X0 = TruncPixel(left + 0.002 * w);
    l.Y0 = TruncPixel(top + 0.002 * h);
    l.X1 = TruncPixel(right - 0.002 * w);
    l.Y1 = TruncPixel(l.Y0 + 0.08 * h);
    l.Y2 = TruncPixel(0.12 * h + l.Y1);
    l.rh = (l.Y2 - l.Y1) / (l.channels + 1);
    l.xt = TruncPixel(1.5 * ((l.X1 - l.X0) / 9.0) + l.X0);

    l.T = l.Y2 + 10;
    l.B0 = TruncPixel(bottom - 0.002 * h);
    l.W12 = (l.X1 - l.X0) / 12.0;
    l.W12i = TruncPixel(l.W12);

    // In 64 bits: a scale that no statistics run made could overflow int32.
    int64_t divisions = 0;
    if (axisStep >= 1)
        divisions = (int64_t(axisTop) - int64_t(axisBottom)) / axisStep;
    l.drawable = recordCount >= 1 && axisStep >= 1 && divisions >= 1 && divisions <= MaxDivisions;
    l.N = l.drawable ? int(divisions) : 1;

    l.labelH = (l.B0 - l.T) / double(l.N + 1);
    l.PL = l.X0 + l.W12i;
    l.PR = l.X1 - l.W12i;
    l.PB = TruncPixel(l.T + 0.9 * (l.B0 - l.T));
    l.PW = l.PR - l.PL;
    l.PH = l.PB - l.T;

    // One record has no spacing; the division is left out rather than made.
    l.ppr = recordCount > 1 ? l.PW / double(recordCount - 1) : std::numeric_limits<double>::infinity();
    return l;
}

ChartLayout ChartLayout::ForStore(const QRect& rect, const LogStore& store)
{
    return Compute(rect, store.shownChannels(), store.recordCount, store.axisTop[0], store.axisBottom[0],
                   store.axisStep[0]);
}

int ChartLayout::gridX(int k) const
{
    return TruncPixel(k * (PW / 10.0) + PL) + 1;
}

int ChartLayout::gridY(int j) const
{
    return TruncPixel(j * (PH / double(N)) + T);
}

int ChartLayout::valueTickY(int m) const
{
    return T + TruncPixel(m * ((PH / double(N)) / 5));
}

QRect ChartLayout::leftLabelBox(int y) const
{
    const int lh = TruncPixel(labelH);
    return BoxFromEdges(R.left(), y - lh, R.left() + TruncPixel(0.95 * W12), y + lh);
}

QRect ChartLayout::rightLabelBox(int y) const
{
    const int lh = TruncPixel(labelH);
    const int right = R.left() + R.width();
    return BoxFromEdges(TruncPixel(right - 0.95 * W12i), y - lh, right, y + lh);
}

int ChartLayout::timeTickX(int m) const
{
    // The last tick sits on the frame's left line rather than where the
    // twelfths would put it, one pixel inside the plot.
    if (m == TimeTicks)
        return PL - 1;
    return PR - TruncPixel(m * W12 / 5);
}

uint32_t ChartLayout::recordAtTick(int x) const
{
    if (records <= 1)
        return 0;
    const double k = (x - PL) / ppr;
    if (!(k > 0))
        return 0;
    const double last = double(records - 1);
    return k >= last ? records - 1 : uint32_t(k);
}

QRect ChartLayout::timeLabelBox(int x, int cellHeight) const
{
    const int bottom = std::max(TruncPixel(labelH / 3 + PB), PB + 5 + cellHeight);
    return BoxFromEdges(x - W12i, PB + 5, x + W12i, bottom);
}

QRect ChartLayout::dateLabelBox(int x, int cellHeight) const
{
    const int top = std::max(TruncPixel(PB + labelH / 3), PB + 5 + cellHeight);
    return BoxFromEdges(x - W12i, top, x + W12i, R.top() + R.height());
}

QRect ChartLayout::leftTitleBox() const
{
    return BoxFromEdges(TruncPixel(R.left() + W12 / 3), T, TruncPixel(R.left() + W12), PB);
}

QRect ChartLayout::rightTitleBox() const
{
    const int right = R.left() + R.width();
    return BoxFromEdges(TruncPixel(right - 2 * W12 / 3), T, right, PB);
}

int ChartLayout::recordX(uint32_t j) const
{
    if (j == 0)
        return PL;
    return TruncPixel(j * ppr + PL);
}

int ChartLayout::valueY(double v, int32_t top, int32_t bottom) const
{
    // A value that is not a number, or a scale without height, is put on the
    // bottom line instead of an undefined position.
    const int64_t height = int64_t(top) - int64_t(bottom);
    if (height == 0)
        return PB;
    const double y = PB - ((v - bottom) / double(height)) * PH;
    if (std::isnan(y))
        return PB;
    return TruncPixel(y);
}

int ChartLayout::legendX() const
{
    return TruncPixel(R.left() + ((X1 - X0) / 9.0) / 1.2);
}

int ChartLayout::titleFontHeight(bool pageMode, int defaultCellHeight) const
{
    if (pageMode)
        return TruncPixel((Y1 - Y0) / 2.5);
    return TruncPixel(defaultCellHeight * 1.5);
}

int ChartLayout::bodyFontHeight(bool pageMode, int titleHeight) const
{
    if (pageMode)
        return (Y1 - Y0) / 5;
    return TruncPixel(titleHeight / 1.5);
}
