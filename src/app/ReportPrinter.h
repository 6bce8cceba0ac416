// The printed analysis report: the chart on one landscape page, for printing
// and for the print preview alike.
#pragma once

#include "chart/ReportPage.h"

#include <QString>

class LogStore;
class OpenLogLimits;
class QPainter;
class QPrinter;

// What printing needs of the main window: its docking panes.
class IReportPanes {
public:
    virtual ~IReportPanes() = default;
    virtual void CloseAllPanes() = 0;
    // Shows the pane of the current mode again, leaving the others as they are.
    virtual void RestoreCurrentPane() = 0;
};

// The steps of printing in the order they run: PreparePage, PrintPage,
// EndPrinting. A print job runs them once (PrintJob); the preview runs the
// first two each time it paints (PaintPreview) and the last when it closes.
class ReportPrinter {
public:
    // Dots an inch of the page's pixels (see ReportPageResolution).
    static constexpr int PageResolution = ReportPageResolution;

    // With limits, the page draws the open log's alarm limits as the window does.
    ReportPrinter(LogStore& store, IReportPanes& panes, const OpenLogLimits* limits = nullptr);

    // Before a page: landscape whatever the printer's own orientation, one
    // page whatever range was chosen, pixels of PageResolution, and
    // pageWidth × pageHeight taken from the printable area in those pixels.
    void PreparePage(QPrinter& printer);
    // Draws the chart in page mode filling (0, 0, pageWidth, pageHeight),
    // with the statistics brought up to date first, then closes the docking
    // panes. With nothing to draw (no log open) the page stays blank and the
    // panes stay as they are. Returns whether a chart was drawn.
    bool PrintPage(QPainter& painter);
    // The end of printing or of the preview: the current pane comes back.
    void EndPrinting();

    enum class JobResult { Printed, NotStarted, Failed };
    // One job on the printer, as chosen in the print dialog: prepare, one
    // page, end. The current pane comes back whatever happened.
    JobResult PrintJob(QPrinter& printer);
    // The preview's paint request: prepare and draw its one page.
    void PaintPreview(QPrinter& printer);

    // What the user is told when a job cannot start or its page is not sent.
    static QString JobMessage(JobResult result, const QPrinter& printer);

    int pageWidth() const { return pageWidth_; }
    int pageHeight() const { return pageHeight_; }
    // True from the first page drawn on.
    bool pageMode() const { return pageMode_; }

private:
    LogStore& store_;
    IReportPanes& panes_;
    const OpenLogLimits* limits_ = nullptr;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    bool pageMode_ = false;
};
