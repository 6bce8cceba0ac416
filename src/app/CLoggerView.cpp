// The chart view in the middle of the main window.
#include "app/CLoggerView.h"

#include "chart/DrawChart.h"
#include "link/AppData.h"
#include "logdata/LogStore.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

CLoggerView::CLoggerView(AppData& data, QWidget* parent)
    : QWidget(parent), data_(data)
{
    // Every repaint covers the whole widget: the chart's own background or
    // the empty colour.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, EmptyColour());
    setPalette(pal);
}

void CLoggerView::RedrawChartNow()
{
    LogStore& store = data_.store;
    store.EnsureStatistics();
    stale_ = true;
    if (CanDrawChart(store) && isVisible() && !size().isEmpty())
        RenderChart();
    else
        plotRect_ = CanDrawChart(store) ? ChartLayout::ForStore(rect(), store).plotRect() : PlotRect();
    repaint();
    emit documentTitleChanged(store.currentLogName);
}

void CLoggerView::InvalidateChart()
{
    stale_ = true;
    update();
}

CLoggerView::DrawnFrom CLoggerView::Describe(const LogStore& s)
{
    DrawnFrom d;
    d.store = &s;
    d.recordCount = s.recordCount;
    d.channelCount = s.channelCount;
    d.scale = {s.axisTop[0], s.axisBottom[0], s.axisStep[0], s.axisTop[1], s.axisBottom[1], s.axisStep[1]};
    for (int c = 0; c < 3; ++c) {
        d.statistics[size_t(c)] = s.maxValue[c];
        d.statistics[size_t(c) + 3] = s.minValue[c];
        d.statistics[size_t(c) + 6] = s.aveValue[c];
    }
    d.identity.assign(s.loggerName, sizeof s.loggerName);
    d.identity.append(s.loggerId, sizeof s.loggerId);
    for (const std::string& unit : s.unitText)
        d.identity += unit + '\n';
    if (s.recordCount > 0) {
        d.identity.append(s.timestamp(0), TimestampLength);
        d.identity.append(s.timestamp(s.recordCount - 1), TimestampLength);
    }
    return d;
}

bool CLoggerView::ChartIsCurrent() const
{
    const qreal ratio = devicePixelRatioF();
    return !stale_ && !chart_.isNull() && chart_.devicePixelRatio() == ratio &&
           chart_.size() == (QSizeF(size()) * ratio).toSize() && drawnFrom_ == Describe(data_.store);
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
        plotRect_ = DrawChart(painter, data_.store, surface);
    }
    ++drawCount_;
    chart_ = pixmap;
    stale_ = false;
    drawnFrom_ = Describe(data_.store);
}

void CLoggerView::paintEvent(QPaintEvent* event)
{
    LogStore& store = data_.store;
    // A log opened before the window existed still waits for its statistics.
    if (store.statsPending) {
        store.EnsureStatistics();
        stale_ = true;
    }
    QPainter painter(this);
    if (!CanDrawChart(store) || size().isEmpty()) {
        chart_ = QPixmap();
        plotRect_ = PlotRect();
        painter.fillRect(event->rect(), EmptyColour());
        return;
    }
    if (!ChartIsCurrent())
        RenderChart();
    painter.drawPixmap(QPoint(0, 0), chart_);
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
