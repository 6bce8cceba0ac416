// The points a chart curve is drawn through: every record, or only the few per
// pixel column that paint the same pixels.
#include "chart/CurveDecimation.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

bool ColumnReductionIsExact(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster && !painter.testRenderHint(QPainter::Antialiasing) &&
           painter.deviceTransform().type() <= QTransform::TxTranslate &&
           painter.combinedTransform().type() <= QTransform::TxTranslate;
}
