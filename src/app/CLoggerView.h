// The chart view in the middle of the main window.
#pragma once

#include "chart/ChartLayout.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>

struct AppData;
class LogStore;

// Shows the open log's chart. The finished chart is kept in a pixmap at the
// widget's size and device pixel ratio, so that a repaint (or a pointer
// moving over the plot) does not draw every record again; the pixmap is
// rebuilt when the size changes, on RedrawChartNow, on InvalidateChart and
// when the store no longer holds what it was drawn from. With nothing to show
// the view is plain RGB(0, 192, 192).
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

signals:
    void documentTitleChanged(const QString& title);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What the pixmap was drawn from; a store that differs from it is drawn
    // again even when nobody asked for it.
    struct DrawnFrom {
        uint32_t recordCount = 0;
        uint32_t channelCount = 0;
        std::array<int32_t, 6> scale{};
        std::array<float, 9> statistics{};
        std::string identity;
        const LogStore* store = nullptr;
        bool operator==(const DrawnFrom&) const = default;
    };
    static DrawnFrom Describe(const LogStore& store);

    bool ChartIsCurrent() const;
    void RenderChart();

    AppData& data_;
    QPixmap chart_;
    bool stale_ = true;
    DrawnFrom drawnFrom_;
    PlotRect plotRect_;
    int drawCount_ = 0;
};
