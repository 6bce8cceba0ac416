// The chart drawn into an off-screen picture, as the BMP export writes it.
#include "chart/ChartImage.h"

#include "chart/DrawChart.h"
#include "logdata/LogStore.h"

#include <QPainter>

QImage RenderChartImage(const LogStore& store, QSize size, const QFont& defaultFont, QImage::Format format,
                        const LogLimits* limits)
{
    QImage image(size, format);
    if (image.isNull())
        return image;
    image.fill(0);
    if (!CanDrawChart(store))
        return image;
    QPainter painter(&image);
    ChartSurface surface;
    surface.rect = QRect(QPoint(0, 0), size);
    surface.defaultFont = defaultFont;
    surface.limits = limits;
    DrawChart(painter, store, surface);
    return image;
}
