// What the chart does with the mouse: the read-out, the zoom band, back to the whole log.
#pragma once

#include "chart/ChartLayout.h"

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class LogStore;

// The pointer the view shows after an event: unchanged, the chart's own
// arrow (over the plot), or the standard arrow.
enum class PointerShape { Keep, Chart, Arrow };

// The status-bar texts of one record: date and time (pane 4) and the values of
// channels 1 to 3 (panes 6, 8 and 10; a single blank for a channel the log has not).
struct Readout {
    QString time;
    std::array<QString, 3> value;
    bool operator==(const Readout&) const = default;
};

// Records first … end − 1 are kept (LogStore::NarrowRecords); first >= end keeps all.
struct ZoomRange {
    int32_t first = 0;
    int32_t end = 0;
    bool narrows() const { return first < end; }
    bool operator==(const ZoomRange&) const = default;
};

// What the view must do after an event. The overlay steps say what leaves the
// screen and what appears on it, for the view to repaint those places.
struct InteractionResult {
    PointerShape pointer = PointerShape::Keep;
    std::optional<QRect> bandRemoved;
    std::optional<QRect> bandDrawn;
    std::optional<QLine> lineRemoved;
    std::optional<QLine> lineDrawn;
    std::optional<Readout> readout;
    // Narrow the store to this range (only after a band with width).
    std::optional<ZoomRange> zoom;
    // Read the open log again (a right click in the plot).
    bool reload = false;
    // Repaint the whole view; nothing drawn above the chart survives it.
    bool repaintAll = false;
};

// The mouse rules of the chart view, apart from any widget: the view passes
// each event with the plot rectangle of its latest drawing and carries out the
// result. Coordinates are the view's integer pixels.
class ChartInteraction {
public:
    explicit ChartInteraction(const LogStore& store) : store_(store) {}

    InteractionResult PointerMoved(QPoint p, const PlotRect& plot);
    InteractionResult LeftPressed(QPoint p, const PlotRect& plot);
    InteractionResult LeftReleased(QPoint p, const PlotRect& plot);
    InteractionResult RightPressed(QPoint p, const PlotRect& plot);
    InteractionResult RightReleased(QPoint p, const PlotRect& plot);
    InteractionResult FocusGained();
    // The pointer left the view without a button held: as a move outside the plot.
    InteractionResult PointerLeft(const PlotRect& plot) { return PointerMoved(QPoint(-1, -1), plot); }
    // The left button came up where the view never heard of it (another window
    // took the mouse): the band goes and nothing is narrowed.
    InteractionResult DragLost();
    // The chart under the overlay was drawn anew (new size, new store): the band
    // and the line are no longer on the screen, though the drag goes on.
    void ChartRedrawn();

    bool dragging() const { return dragging_; }
    QPoint dragAnchor() const { return dragAnchor_; }
    QPoint dragCurrent() const { return dragCurrent_; }
    int cursorLineX() const { return cursorLineX_; }
    int cursorLineY() const { return cursorLineY_; }
    bool cursorLineReset() const { return cursorLineReset_; }

    // What is drawn above the chart right now.
    std::optional<QRect> shownBand() const;
    std::optional<QLine> shownLine() const;

    // In the plot: within all four bounds, bounds included, of a plot with width.
    static bool InPlot(QPoint p, const PlotRect& plot);
    // The record whose slot holds x: trunc((x − PL) / s) with s = PW / records,
    // limited to 0 … records − 1. Requires records >= 1.
    static uint32_t RecordUnderX(int x, const PlotRect& plot, uint32_t records);
    // The slot boundary of a band edge: trunc((x − PL) / s), limited to 0 … records.
    static int32_t SlotEdge(int x, const PlotRect& plot, uint32_t records);
    // The band spanned by two corners, smaller x and y first, both corners included.
    static QRect BandRect(QPoint a, QPoint b);
    // The read-out texts of record k (k < recordCount).
    static Readout ReadoutFor(const LogStore& store, uint32_t k);

private:
    void RemoveLine(InteractionResult& r);
    void RemoveBand(InteractionResult& r);
    void ScheduleRepaint(InteractionResult& r);

    const LogStore& store_;
    bool dragging_ = false;
    QPoint dragAnchor_;
    QPoint dragCurrent_;
    int cursorLineX_ = 0;
    int cursorLineY_ = 0;
    bool cursorLineReset_ = false;

    // The screen side of the state: what is drawn now. A whole repaint wipes
    // both, while cursorLineX_ still remembers where the line was.
    std::optional<QRect> band_;
    std::optional<QLine> line_;
};
