// What a chart drawing needs to know about the surface it draws on.
#pragma once

#include <QFont>
#include <QRect>

struct LogLimits;

// The window, a printer page and an off-screen picture all draw the same chart;
// they differ only in the rectangle, in where the text sizes come from and in
// the font the surface starts with.
struct ChartSurface {
    // The rectangle R to fill, in the painter's coordinates.
    QRect rect;
    // A printed page: the fonts are sized from the page, not from defaultFont.
    bool pageMode = false;
    // The font the surface starts with (on screen the application's default
    // font); the title is 1.5 times its cell height outside page mode.
    QFont defaultFont;
    // The alarm limits to draw as dashed lines, or none. Without limits (or
    // with none set) the chart is exactly the chart without this field.
    const LogLimits* limits = nullptr;
};
