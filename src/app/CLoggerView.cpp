// The chart view in the middle of the main window.
#include "app/CLoggerView.h"

#include "app/ChartCursor.h"
#include "chart/DrawChart.h"
#include "link/AppData.h"
#include "logdata/LogFile.h"
#include "logdata/LogStore.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

// The pixel under the pointer; positions are fractional on scaled screens.
QPoint PixelOf(const QMouseEvent* event)
{
    const QPointF p = event->position();
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

// The pixels a dotted outline or line covers, with a pixel to spare.
QRect Around(const QRect& r)
{
    return r.adjusted(-1, -1, 1, 1);
}

QRect Around(const QLine& l)
{
    return Around(QRect(l.p1(), l.p2()).normalized());
}

}  // namespace

CLoggerView::CLoggerView(AppData& data, QWidget* parent)
    : QWidget(parent), data_(data), interaction_(data.store), chartCursor_(ChartCursor::Cursor())
{
    // Moves without a button held drive the cursor line and the read-out.
    setMouseTracking(true);
    // A click into the chart gives it the focus, as a view has.
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::ArrowCursor);
    // Every repaint covers the whole widget: the chart's own background or
    // the empty colour.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, EmptyColour());
    setPalette(pal);
    // Every change of the open log is drawn at the next repaint.
    connect(&data_.document, &LogDocument::changed, this, &CLoggerView::InvalidateChart);
}

void CLoggerView::RedrawChartNow()
{
    LogStore& store = data_.store;
    data_.document.EnsureStatistics();
    stale_ = true;
    if (CanDrawChart(store) && isVisible() && !size().isEmpty())
        RenderChart();
    else
        plotRect_ = CanDrawChart(store) ? ChartLayout::ForStore(rect(), store).plotRect() : PlotRect();
    repaint();
    emit documentTitleChanged(OpenLogTitle(store));
}

void CLoggerView::InvalidateChart()
{
    stale_ = true;
    update();
}

bool CLoggerView::ChartIsCurrent() const
{
    const qreal ratio = devicePixelRatioF();
    return !stale_ && !chart_.isNull() && chart_.devicePixelRatio() == ratio &&
           chart_.size() == (QSizeF(size()) * ratio).toSize();
}

void CLoggerView::RenderChart()
{
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap((QSizeF(size()) * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    {
        QPainter painter(&pixmap);
        ChartSurface surface;
        surface.rect = rect();
        surface.defaultFont = font();
        surface.limits = &data_.limits.get();
        plotRect_ = DrawChart(painter, data_.store, surface);
    }
    ++drawCount_;
    interaction_.ChartRedrawn();
    chart_ = pixmap;
    stale_ = false;
}

void CLoggerView::paintEvent(QPaintEvent* event)
{
    LogStore& store = data_.store;
    // A log opened before the window existed still waits for its statistics.
    if (store.statsPending) {
        data_.document.EnsureStatistics();
        stale_ = true;
    }
    QPainter painter(this);
    if (!CanDrawChart(store) || size().isEmpty()) {
        chart_ = QPixmap();
        plotRect_ = PlotRect();
        interaction_.ChartRedrawn();
        painter.fillRect(event->rect(), EmptyColour());
        return;
    }
    if (!ChartIsCurrent())
        RenderChart();
    painter.drawPixmap(QPoint(0, 0), chart_);
    PaintOverlay(painter);
}

void CLoggerView::PaintOverlay(QPainter& painter) const
{
    const std::optional<QRect> band = interaction_.shownBand();
    const std::optional<QLine> line = interaction_.shownLine();
    if (!band && !line)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Inverted dots, one on and one off: they show on the white plot and on
    // every curve colour alike.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    QPen pen(Qt::white, 0);
    pen.setDashPattern({1.0, 1.0});
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (band) {
        // QRect(topLeft, bottomRight) includes both corners; drawRect would
        // reach one pixel beyond them.
        if (band->width() > 1 && band->height() > 1)
            painter.drawRect(band->adjusted(0, 0, -1, -1));
        else
            painter.drawLine(band->topLeft(), band->bottomRight());
    }
    if (line)
        painter.drawLine(*line);
    painter.restore();
}

void CLoggerView::Apply(const InteractionResult& r)
{
    if (r.pointer == PointerShape::Chart)
        setCursor(chartCursor_);
    else if (r.pointer == PointerShape::Arrow)
        setCursor(Qt::ArrowCursor);

    for (const std::optional<QRect>& band : {r.bandRemoved, r.bandDrawn})
        if (band)
            update(Around(*band));
    for (const std::optional<QLine>& line : {r.lineRemoved, r.lineDrawn})
        if (line)
            update(Around(*line));

    if (r.readout)
        emit readoutChanged(r.readout->time, r.readout->value[0], r.readout->value[1], r.readout->value[2]);

    // The document announces the narrowing, which schedules the new chart.
    const bool narrowed = r.zoom && r.zoom->narrows() && data_.document.Narrow(r.zoom->first, r.zoom->end);
    if (!narrowed && r.repaintAll)
        update();
    if (narrowed)
        emit storeNarrowed();
    if (r.reload)
        emit reloadRequested();
}

void CLoggerView::mouseMoveEvent(QMouseEvent* event)
{
    // A drag whose release went to another window (a dialog that opened
    // meanwhile) ends here, without a zoom the user never finished.
    if (interaction_.dragging() && !(event->buttons() & Qt::LeftButton))
        Apply(interaction_.DragLost());
    Apply(interaction_.PointerMoved(PixelOf(event), plotRect_));
    event->accept();
}

void CLoggerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Apply(interaction_.LeftPressed(PixelOf(event), plotRect_));
    else if (event->button() == Qt::RightButton)
        Apply(interaction_.RightPressed(PixelOf(event), plotRect_));
    // Accepted, so the view keeps the mouse until the button comes up.
    event->accept();
}

void CLoggerView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Apply(interaction_.LeftReleased(PixelOf(event), plotRect_));
    else if (event->button() == Qt::RightButton)
        Apply(interaction_.RightReleased(PixelOf(event), plotRect_));
    event->accept();
}

void CLoggerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click is no second press: it starts no band.
    event->accept();
}

void CLoggerView::focusInEvent(QFocusEvent* event)
{
    Apply(interaction_.FocusGained());
    QWidget::focusInEvent(event);
}

void CLoggerView::leaveEvent(QEvent* event)
{
    // Leaving the view is leaving the plot: the line must not stay behind.
    Apply(interaction_.PointerLeft(plotRect_));
    QWidget::leaveEvent(event);
}

void CLoggerView::resizeEvent(QResizeEvent* event)
{
    stale_ = true;
    QWidget::resizeEvent(event);
}

void CLoggerView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        stale_ = true;
    QWidget::changeEvent(event);
}
