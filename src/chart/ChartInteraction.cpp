// What the chart does with the mouse: the read-out, the zoom band, back to the whole log.
#include "chart/ChartInteraction.h"

#include "logdata/LogStore.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// printf into a byte string that ends at its first zero byte, as the status
// texts always have: a time stamp holding a zero character ends there.
QString Printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[128];
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    QString text;
    if (length >= 0 && size_t(length) < sizeof small) {
        text = QString::fromLatin1(small, int(strnlen(small, size_t(length))));
    } else if (length >= 0) {
        // A huge value ("%6.1f" of 3e38) or a long unit text.
        std::vector<char> large(size_t(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        text = QString::fromLatin1(large.data(), int(strnlen(large.data(), size_t(length))));
    }
    va_end(again);
    return text;
}

// (x − PL) / s with s = PW / records, in slots; NaN never comes out because
// callers hand in a plot with width and at least one record.
double SlotsFromLeft(int x, const PlotRect& plot, uint32_t records)
{
    const double s = plot.width() / double(records);
    return (x - plot.left) / s;
}

}  // namespace

bool ChartInteraction::InPlot(QPoint p, const PlotRect& plot)
{
    // A null plot (nothing drawn) would otherwise "contain" the point (0, 0).
    return plot.width() > 0 && plot.height() >= 0 && plot.contains(p.x(), p.y());
}

uint32_t ChartInteraction::RecordUnderX(int x, const PlotRect& plot, uint32_t records)
{
    if (records == 0 || plot.width() <= 0)
        return 0;
    const double q = SlotsFromLeft(x, plot, records);
    if (!(q > 0))
        return 0;
    // The right edge PR ends the last slot, and rounding of s may put it a
    // hair beyond: both read out the last record.
    if (q >= double(records - 1))
        return records - 1;
    return uint32_t(q);
}

int32_t ChartInteraction::SlotEdge(int x, const PlotRect& plot, uint32_t records)
{
    if (records == 0 || plot.width() <= 0)
        return 0;
    const uint32_t limit = std::min<uint32_t>(records, uint32_t(std::numeric_limits<int32_t>::max()));
    const double q = SlotsFromLeft(x, plot, records);
    if (!(q > 0))
        return 0;
    if (q >= double(limit))
        return int32_t(limit);
    return int32_t(q);
}

QRect ChartInteraction::BandRect(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

Readout ChartInteraction::ReadoutFor(const LogStore& store, uint32_t k)
{
    Readout r;
    const char* t = store.timestamp(k);
    r.time = Printf("%c%c%c%c-%c%c-%c%c %c%c:%c%c:%c%c", t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8],
                    t[9], t[10], t[11], t[12], t[13]);
    const int shown = store.shownChannels();
    for (int c = 1; c <= 3; ++c) {
        // Channel 1 is always written; the others only when the log has them.
        if (c == 1 || c <= shown)
            r.value[size_t(c - 1)] = Printf("%6.1f %s", double(store.value[c][k]), store.unitText[c - 1].c_str());
        else
            r.value[size_t(c - 1)] = QStringLiteral(" ");
    }
    return r;
}

std::optional<QRect> ChartInteraction::shownBand() const
{
    return band_;
}

std::optional<QLine> ChartInteraction::shownLine() const
{
    return line_;
}

void ChartInteraction::RemoveLine(InteractionResult& r)
{
    // Only a line that is on the screen is taken off it; after a whole repaint
    // the remembered x names a line that is already gone.
    if (line_) {
        r.lineRemoved = line_;
        line_.reset();
    }
}

void ChartInteraction::RemoveBand(InteractionResult& r)
{
    if (band_) {
        r.bandRemoved = band_;
        band_.reset();
    }
}

void ChartInteraction::ScheduleRepaint(InteractionResult& r)
{
    r.repaintAll = true;
    cursorLineReset_ = true;
    band_.reset();
    line_.reset();
}

InteractionResult ChartInteraction::PointerMoved(QPoint p, const PlotRect& plot)
{
    InteractionResult r;
    const uint32_t records = store_.recordCount;
    if (records > 0 && InPlot(p, plot)) {
        r.pointer = PointerShape::Chart;
        if (dragging_) {
            // The read-out waits while a band is dragged.
            RemoveBand(r);
            dragCurrent_ = p;
            band_ = BandRect(dragAnchor_, dragCurrent_);
            r.bandDrawn = band_;
            return r;
        }
        RemoveLine(r);
        if (cursorLineReset_) {
            // The view was repainted in full: this move only forgets the old line.
            cursorLineReset_ = false;
            cursorLineX_ = 0;
            cursorLineY_ = 0;
        } else {
            line_ = QLine(p.x(), plot.top, p.x(), plot.bottom);
            r.lineDrawn = line_;
            cursorLineX_ = p.x();
            cursorLineY_ = p.y();
        }
        r.readout = ReadoutFor(store_, RecordUnderX(p.x(), plot, records));
        return r;
    }
    // Outside the plot the line goes; a band being dragged stays as last drawn.
    RemoveLine(r);
    cursorLineX_ = 0;
    cursorLineY_ = 0;
    r.pointer = PointerShape::Arrow;
    return r;
}

InteractionResult ChartInteraction::LeftPressed(QPoint p, const PlotRect& plot)
{
    InteractionResult r;
    if (store_.recordCount >= 2 && InPlot(p, plot)) {
        r.pointer = PointerShape::Chart;
        RemoveBand(r);  // left over from a drag whose release never arrived
        dragging_ = true;
        dragAnchor_ = p;
        dragCurrent_ = p;
    }
    return r;
}

InteractionResult ChartInteraction::LeftReleased(QPoint p, const PlotRect& plot)
{
    InteractionResult r;
    const uint32_t records = store_.recordCount;
    r.pointer = records > 0 && InPlot(p, plot) ? PointerShape::Chart : PointerShape::Arrow;
    if (!dragging_)
        return r;
    dragging_ = false;
    RemoveBand(r);
    if (dragCurrent_ != dragAnchor_) {
        // Only x matters, and a band dragged leftwards is the same band.
        QPoint from = dragAnchor_;
        QPoint to = dragCurrent_;
        if (from.x() > to.x())
            std::swap(from, to);
        r.zoom = ZoomRange{SlotEdge(from.x(), plot, records), SlotEdge(to.x(), plot, records)};
    }
    ScheduleRepaint(r);
    return r;
}

InteractionResult ChartInteraction::RightPressed(QPoint p, const PlotRect& plot)
{
    InteractionResult r;
    if (store_.recordCount >= 2 && InPlot(p, plot))
        r.pointer = PointerShape::Chart;
    return r;
}

InteractionResult ChartInteraction::RightReleased(QPoint p, const PlotRect& plot)
{
    InteractionResult r;
    if (store_.recordCount >= 1 && InPlot(p, plot)) {
        r.pointer = PointerShape::Chart;
        r.reload = true;
    }
    RemoveLine(r);
    cursorLineX_ = 0;
    cursorLineY_ = 0;
    return r;
}

InteractionResult ChartInteraction::FocusGained()
{
    InteractionResult r;
    ScheduleRepaint(r);
    return r;
}

InteractionResult ChartInteraction::DragLost()
{
    InteractionResult r;
    if (dragging_) {
        dragging_ = false;
        RemoveBand(r);
    }
    return r;
}

void ChartInteraction::ChartRedrawn()
{
    band_.reset();
    line_.reset();
}
