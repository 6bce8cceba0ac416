// The analysis report's page: the chart in page mode filling the printable
// area. The printer and the PDF report draw it through this one routine.
#pragma once

#include <QSize>

class LogStore;
struct LogLimits;
class QPainter;

// Dots an inch of the page's pixels. The chart's lines, legend squares and
// gaps are sized in those pixels: at 300 a 1-pixel line prints as a fine but
// plain line and shows in a preview; at the 1200 of a high-resolution page it
// is a hairline a preview all but loses.
inline constexpr int ReportPageResolution = 300;

// Brings the statistics up to date, then draws the chart in page mode filling
// (0, 0, pageSize), the painter's origin being the top left of the printable
// area and its font the surface's starting font. With nothing to draw (no log
// open) the page stays blank. Returns whether a chart was drawn. With limits,
// their dashed lines are drawn as in the window.
bool DrawReportPage(QPainter& painter, LogStore& store, QSize pageSize, const LogLimits* limits = nullptr);
