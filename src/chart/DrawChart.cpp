// The one drawing routine of the chart: window, printed page and picture file.
#include "chart/DrawChart.h"

#include "chart/ChartTexts.h"
#include "logdata/LogAnalysis.h"
#include "logdata/LogStore.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor BackgroundColour(245, 255, 245);
const QColor PlotOutlineColour(128, 128, 128);
const QColor GridColour(208, 208, 208);
const QColor FrameColour(0, 64, 128);
const QColor LegendFillColour(128, 128, 128);
const QColor ChannelColour[3] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 0, 0)};

// Lines keep their start pixel and leave out their end pixel, so that joined
// segments paint every pixel once and the chart's pixel positions stay put.
// Qt's flat-capped 1-pixel line does that for lines drawn left to right and
// top to bottom.
QPen LinePen(const QColor& colour, int width = 1)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A horizontal or vertical line from (x0, y0) towards (x1, y1), end pixel
// excluded whichever way it runs.
void Line(QPainter& p, int x0, int y0, int x1, int y1)
{
    if (y0 == y1 && x1 < x0)
        p.drawLine(x1 + 1, y0, x0 + 1, y0);
    else if (x0 == x1 && y1 < y0)
        p.drawLine(x0, y1 + 1, x0, y0 + 1);
    else
        p.drawLine(x0, y0, x1, y1);
}

// An outlined, filled rectangle covering left … right − 1 and top … bottom − 1.
void Box(QPainter& p, int left, int top, int right, int bottom)
{
    if (right - left < 1 || bottom - top < 1)
        return;
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

// A font of the given character cell height (ascent plus descent) in the
// painter's pixels. Pixel sizes set the em height, which is smaller than the
// cell by a ratio that depends on the face, so it is measured.
QFont WithCellHeight(QFont font, int cellHeight, QPaintDevice* device)
{
    constexpr int Probe = 100;
    font.setPixelSize(Probe);
    const double probeHeight = QFontMetricsF(font, device).height();
    int pixels = probeHeight > 0 ? qRound(cellHeight * Probe / probeHeight) : cellHeight;
    font.setPixelSize(pixels < 1 ? 1 : pixels);
    return font;
}

// One line of black text, clipped to the box and vertically centred in it.
void Text(QPainter& p, const QRect& box, Qt::Alignment horizontal, const QString& text)
{
    if (box.width() < 1 || box.height() < 1)
        return;
    p.drawText(box, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), text);
}

// Text that reads upwards: it starts at the box's left edge (or at x when
// given) with the top of its character cell at the box's mid-height less half
// a cell, and runs up from there, clipped to the box. A text longer than the
// room above its start is started lower, so that it is not cut off at the top
// of a short plot.
void UpwardText(QPainter& p, const QRect& box, const QString& text, int x)
{
    if (box.width() < 1 || box.height() < 1)
        return;
    const QFontMetrics metrics(p.font(), p.device());
    int start = box.top() + (box.height() - metrics.height()) / 2;
    const int length = metrics.horizontalAdvance(text);
    if (start - length < box.top())
        start = std::min(box.top() + length, box.top() + box.height());
    p.save();
    p.setClipRect(box.united(QRect(x, box.top(), metrics.height(), box.height())), Qt::IntersectClip);
    p.translate(x, start);
    p.rotate(-90);
    // After the turn, local x runs up the surface and local y to its right;
    // the cell's baseline lies its ascent right of the start.
    p.drawText(QPoint(0, metrics.ascent()), text);
    p.restore();
}

}  // namespace

LimitDash LimitDashFor(const ChartLayout& l)
{
    return {std::max(4, l.W12i / 10), std::max(3, l.W12i / 15)};
}

int LimitLineY(const ChartLayout& l, const LogStore& store, int channel, double limit)
{
    const int a = channel == 2 ? 1 : 0;
    const int32_t top = store.axisTop[a];
    const int32_t bottom = store.axisBottom[a];
    if (!std::isfinite(limit) || top <= bottom || limit > top || limit < bottom)
        return -1;
    return l.valueY(limit, top, bottom);
}

bool CanDrawChart(const LogStore& store)
{
    return store.recordCount > 0 && store.axisStep[0] >= 1;
}

PlotRect DrawChart(QPainter& p, const LogStore& store, const ChartSurface& surface)
{
    return DrawChart(p, store, surface, CurvePoints::PerPixelColumn);
}

PlotRect DrawChart(QPainter& p, const LogStore& store, const ChartSurface& surface, CurvePoints curvePoints)
{
    const ChartLayout l = ChartLayout::ForStore(surface.rect, store);
    if (!CanDrawChart(store) || !l.drawable)
        return PlotRect();

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPen blackPen = LinePen(Qt::black);
    const QPen greyPen = LinePen(PlotOutlineColour);
    const int channels = l.channels;
    const uint32_t n = store.recordCount;
    const QRect& R = surface.rect;

    // Background with the surface's black outline.
    p.setPen(blackPen);
    p.setBrush(BackgroundColour);
    Box(p, R.left(), R.top(), R.left() + R.width(), R.top() + R.height());
    p.setBrush(Qt::white);
    p.setBackgroundMode(Qt::TransparentMode);

    // Fonts: the title from the page or from the surface's font, the body a
    // thin face of two thirds its height (a fifth of the band on a page).
    QFont titleFont = surface.pageMode ? QFont(QStringLiteral("Arial")) : surface.defaultFont;
    titleFont.setFamily(QStringLiteral("Arial"));
    titleFont.setWeight(QFont::Bold);
    titleFont.setItalic(false);
    titleFont.setUnderline(false);
    titleFont.setStrikeOut(false);
    const int defaultCell = QFontMetrics(surface.defaultFont, p.device()).height();
    const int titleHeight = l.titleFontHeight(surface.pageMode, defaultCell);
    titleFont = WithCellHeight(titleFont, titleHeight, p.device());
    QFont bodyFont = titleFont;
    bodyFont.setWeight(QFont::Thin);
    bodyFont = WithCellHeight(bodyFont, l.bodyFontHeight(surface.pageMode, titleHeight), p.device());

    // Title band and header block.
    p.setFont(titleFont);
    Text(p, l.titleBox(), Qt::AlignHCenter, charttext::Title(store));
    p.setFont(bodyFont);
    Text(p, l.rowBox(0), Qt::AlignLeft, charttext::Summary(store));
    for (int c = 1; c <= channels; ++c)
        Text(p, l.rowBox(c), Qt::AlignLeft, charttext::ChannelRow(store, c));

    // Plot area, white inside a grey outline.
    p.setPen(greyPen);
    p.setBrush(Qt::white);
    Box(p, l.PL, l.T, l.PR, l.PB);

    // Grid: ten vertical lines (the tenth one pixel right of PR) and one
    // horizontal line per value division from the top; the bottom edge has
    // none of its own.
    p.setPen(LinePen(GridColour));
    for (int k = 1; k <= 10; ++k) {
        const int x = l.gridX(k);
        Line(p, x, l.T, x, l.PB);
    }
    for (int j = 0; j < l.N; ++j) {
        const int y = l.gridY(j);
        Line(p, l.PL, y, l.PR, y);
    }

    // Alarm limits: a dashed line in the channel's colour at each limit that
    // lies within its channel's axis, under the ticks, the frame and the curves.
    if (surface.limits && surface.limits->any()) {
        const LimitDash d = LimitDashFor(l);
        for (int c = 1; c <= channels; ++c) {
            p.setPen(LinePen(ChannelColour[c - 1]));
            const ChannelLimits& limits = surface.limits->channel[c - 1];
            for (const std::optional<double>& limit : {limits.low, limits.high}) {
                const int y = limit ? LimitLineY(l, store, c, *limit) : -1;
                if (y < 0)
                    continue;
                for (int x = l.PL; x < l.PR; x += d.dash + d.gap)
                    Line(p, x, y, std::min(x + d.dash, l.PR), y);
            }
        }
    }

    // Value axes: ticks every fifth of a division, a label at each division.
    const bool rightAxis = channels > 1;
    const QFontMetrics bodyMetrics(bodyFont, p.device());
    int leftLabelsFrom = l.leftLabelBox(0).right() + 1;  // leftmost pixel of a left label
    int rightLabelsTo = l.rightLabelBox(0).left();       // just right of the widest right label
    for (int m = 0; m <= 5 * l.N; ++m) {
        const int y = l.valueTickY(m);
        const int len = l.tickLength(m);
        p.setPen(blackPen);
        Line(p, l.PL + len, y, l.PL, y);
        if (rightAxis)
            Line(p, l.PR - len, y, l.PR, y);
        if (m % 5 != 0)
            continue;
        const int64_t division = m / 5;
        const QRect leftBox = l.leftLabelBox(y);
        const QString left = charttext::ValueLabel(int64_t(store.axisTop[0]) - division * store.axisStep[0]);
        Text(p, leftBox, Qt::AlignRight, left);
        leftLabelsFrom = std::min(leftLabelsFrom, leftBox.right() + 1 - bodyMetrics.horizontalAdvance(left));
        if (rightAxis) {
            const QRect rightBox = l.rightLabelBox(y);
            const QString right = charttext::ValueLabel(int64_t(store.axisTop[1]) - division * store.axisStep[1]);
            Text(p, rightBox, Qt::AlignLeft, right);
            rightLabelsTo = std::max(rightLabelsTo, rightBox.left() + bodyMetrics.horizontalAdvance(right));
        }
    }

    // Time axis: 50 tick intervals from right to left, a time under every
    // fifth tick and a date under every tenth.
    p.setPen(blackPen);
    for (int m = 0; m <= ChartLayout::TimeTicks; ++m) {
        const int x = l.timeTickX(m);
        Line(p, x, l.PB - l.tickLength(m), x, l.PB);
        if (m % 5 != 0)
            continue;
        const char* stamp = store.timestamp(l.recordAtTick(x));
        Text(p, l.timeLabelBox(x, bodyMetrics.height()), Qt::AlignHCenter, charttext::TimeLabel(stamp));
        if (m % 10 == 0)
            Text(p, l.dateLabelBox(x, bodyMetrics.height()), Qt::AlignHCenter, charttext::DateLabel(stamp));
    }

    // Axis titles, reading upwards. Where wide value labels would run into a
    // title, the title moves outwards, as far as the surface's edge allows.
    p.setFont(bodyFont);
    constexpr int Gap = 2;
    const int cell = bodyMetrics.height();
    const QRect leftTitle = l.leftTitleBox();
    int leftX = leftTitle.left();
    if (leftX + cell + Gap > leftLabelsFrom)
        leftX = std::max(R.left() + 1, leftLabelsFrom - Gap - cell);
    UpwardText(p, leftTitle, charttext::LeftAxisTitle(store), leftX);
    if (rightAxis) {
        const QRect rightTitle = l.rightTitleBox();
        int rightX = rightTitle.left();
        if (rightX < rightLabelsTo + Gap)
            rightX = std::min(rightLabelsTo + Gap, R.left() + R.width() - 1 - cell);
        UpwardText(p, rightTitle, charttext::RightAxisTitle(store), std::max(rightX, rightTitle.left()));
    }

    // The plot frame, 2 pixels wide, its left line one pixel outside PL.
    p.setPen(LinePen(FrameColour, 2));
    p.setBrush(Qt::NoBrush);
    const QPoint frame[5] = {{l.PL - 1, l.T}, {l.PL - 1, l.PB}, {l.PR, l.PB}, {l.PR, l.T}, {l.PL - 1, l.T}};
    p.drawPolyline(frame, 5);

    // Curves and legend. Each curve is one polyline through the records, the
    // same pixels as one line per pair of records. Where many records share a
    // pixel column only the few that paint it are kept (see CurvePolyline).
    const bool reduce = curvePoints == CurvePoints::PerPixelColumn && ColumnReductionIsExact(p);
    CurvePolyline curve(reduce);
    const int xm = l.legendX();
    const int halfLine = l.legendHalfLine();
    for (int c = 1; c <= channels; ++c) {
        const int a = c == 2 ? 1 : 0;
        const int32_t top = store.axisTop[a];
        const int32_t bottom = store.axisBottom[a];
        const float* v = store.value[c];
        const QPen pen = LinePen(ChannelColour[c - 1]);
        p.setPen(pen);
        if (n > 1) {
            const std::vector<QPoint>& points = curve.Build(
                n, v, [&l](uint32_t j) { return l.recordX(j); },
                [&l, top, bottom](float value) { return l.valueY(value, top, bottom); });
            p.drawPolyline(points.data(), int(points.size()));
        }

        const int ym = l.legendY(c);
        p.setBrush(LegendFillColour);
        Box(p, xm - 4, ym - 4, xm + 4, ym + 4);
        Line(p, xm - halfLine, ym, xm + halfLine, ym);
    }

    p.restore();
    return l.plotRect();
}
