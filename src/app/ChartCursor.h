// The pointer shown over the chart's plot: a yellow arrow with a black outline.
#pragma once

#include <QCursor>
#include <QImage>

// Cursor 104 of the program: 32 × 32 pixels, hot spot at the tip (0, 0). It is
// drawn when asked for rather than loaded, so no picture file ships with it.
class ChartCursor {
public:
    static constexpr int Size = 32;

    // The arrow on a transparent background.
    static QImage Image();
    // The cursor made from Image(); needs a GUI application object.
    static QCursor Cursor();
};
