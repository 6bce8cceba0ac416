// The analysis report's page: the chart in page mode filling the printable area.
#include "chart/ReportPage.h"

#include "chart/DrawChart.h"
#include "logdata/LogStore.h"

#include <QPainter>

bool DrawReportPage(QPainter& painter, LogStore& store, QSize pageSize, const LogLimits* limits)
{
    store.EnsureStatistics();
    if (!CanDrawChart(store))
        return false;
    ChartSurface surface;
    surface.rect = QRect(QPoint(0, 0), pageSize);
    surface.pageMode = true;
    surface.defaultFont = painter.font();
    surface.limits = limits;
    DrawChart(painter, store, surface);
    return true;
}
