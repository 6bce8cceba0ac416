// The chart view in the middle of the main window.
#pragma once

#include "chart/ChartInteraction.h"
#include "chart/ChartLayout.h"

#include <QCursor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

struct AppData;
class LogStore;
class QPainter;

// Shows the open log's chart. The finished chart is kept in a pixmap at the
// widget's size and device pixel ratio, so that a repaint (or a pointer
// moving over the plot) does not draw every record again; the pixmap is
// rebuilt when the size changes, on RedrawChartNow, on InvalidateChart and
// whenever the open log's document announces a change. With nothing to show
// the view is plain RGB(0, 192, 192).
//
// Over the plot the view follows the mouse (ChartInteraction decides): a
// dotted line and a read-out of the record under the pointer, a dotted band
// dragged with the left button that narrows the store to its time range, and
// a right click that asks for the whole log again. The line and the band are
// painted above the kept chart, so moving them never draws the chart again.
class CLoggerView : public QWidget {
    Q_OBJECT

public:
    explicit CLoggerView(AppData& data, QWidget* parent = nullptr);

    // Brings the statistics up to date, draws the chart at once and makes
    // currentLogName the document's title.
    void RedrawChartNow();
    // The chart is drawn again at the next repaint (after the store changed).
    void InvalidateChart();

    // The plot area of the latest drawing, (PL, T, PR, PB); null while there
    // is no chart.
    PlotRect plotRect() const { return plotRect_; }

    // How many times the chart has been drawn, for tests.
    int chartDrawCount() const { return drawCount_; }

    static QColor EmptyColour() { return QColor(0, 192, 192); }

    // The mouse state, for tests.
    const ChartInteraction& interaction() const { return interaction_; }

signals:
    void documentTitleChanged(const QString& title);
    // The record under the pointer, for the status-bar panes 4, 6, 8 and 10.
    void readoutChanged(const QString& time, const QString& ch1, const QString& ch2, const QString& ch3);
    // A zoom band narrowed the open log (through its document, which
    // announced it); the chart is already scheduled for a repaint.
    void storeNarrowed();
    // A right click in the plot: the open log is to be read again.
    void reloadRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool ChartIsCurrent() const;
    void RenderChart();
    void PaintOverlay(QPainter& painter) const;
    // Carries out what the interaction decided.
    void Apply(const InteractionResult& result);

    AppData& data_;
    QPixmap chart_;
    bool stale_ = true;
    PlotRect plotRect_;
    int drawCount_ = 0;
    ChartInteraction interaction_;
    QCursor chartCursor_;
};
