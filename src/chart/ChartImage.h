// The chart drawn into an off-screen picture, as the BMP export writes it.
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>

class LogStore;
struct LogLimits;

// Draws the chart at the given size with the window's geometry into a new
// image; the default 16-bit format holds 5 bits per colour component, as the
// BMP file does. An image of a store with nothing to draw stays black, as a
// fresh 16-bit bitmap is. The caller runs EnsureStatistics first. With
// limits, their dashed lines are drawn as on screen.
QImage RenderChartImage(const LogStore& store, QSize size, const QFont& defaultFont,
                        QImage::Format format = QImage::Format_RGB555, const LogLimits* limits = nullptr);
