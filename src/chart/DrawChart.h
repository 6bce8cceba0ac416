// The one drawing routine of the chart: window, printed page and picture file.
#pragma once

#include "chart/ChartLayout.h"
#include "chart/ChartSurface.h"
#include "chart/CurveDecimation.h"

class LogStore;
class QPainter;

// True when the store holds something to draw: at least one record and a
// scale with a step of 1 or more. Callers run EnsureStatistics first.
bool CanDrawChart(const LogStore& store);

// Draws the chart of the store's records on the surface: background, title,
// header block, plot with grid, ticks, labels and axis titles, curves and
// legend. Returns the plot rectangle (PL, T, PR, PB) that the mouse handling
// hit-tests against; draws nothing and returns a null rectangle when
// CanDrawChart is false. The painter's pen, brush, font and render hints are
// as they were when it returns. A printed page's caller closes the docking
// panes afterwards.
PlotRect DrawChart(QPainter& painter, const LogStore& store, const ChartSurface& surface);

// The same drawing with the curves' points chosen explicitly; EveryRecord
// draws the reference that the reduced curves must match pixel for pixel.
PlotRect DrawChart(QPainter& painter, const LogStore& store, const ChartSurface& surface, CurvePoints curvePoints);

// The dashes of a limit line: dash pixels on, then gap pixels off, from PL
// rightwards, scaled with the plot so that a printed page shows dashes too.
struct LimitDash {
    int dash = 0;
    int gap = 0;
};
LimitDash LimitDashFor(const ChartLayout& layout);
// The y of a limit line of a channel (1 … 3) against its axis, or -1 when
// the limit lies outside that axis's range and no line is drawn.
int LimitLineY(const ChartLayout& layout, const LogStore& store, int channel, double limit);
