// The pointer shown over the chart's plot: a yellow arrow with a black outline.
#include "app/ChartCursor.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

QImage ChartCursor::Image()
{
    QImage image(Size, Size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // The classic arrow: tip at the top left, a notch, and a tail to the lower right.
    const QPolygonF arrow({QPointF(0, 0), QPointF(0, 22), QPointF(6, 17), QPointF(10, 27), QPointF(14, 25),
                           QPointF(10, 16), QPointF(17, 16)});
    QPainter painter(&image);
    // Half-pixel offset: the 1-pixel outline falls on whole pixels, the tip on (0, 0).
    painter.translate(0.5, 0.5);
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(QColor(255, 255, 0));
    painter.drawPolygon(arrow);
    return image;
}

QCursor ChartCursor::Cursor()
{
    return QCursor(QPixmap::fromImage(Image()), 0, 0);
}
