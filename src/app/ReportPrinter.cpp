// The printed analysis report: the chart on one landscape page, for printing
// and for the print preview alike.
#include "app/ReportPrinter.h"

#include "logdata/LogStore.h"
#include "logdata/OpenLogLimits.h"

#include <QDir>
#include <QPainter>
#include <QPrinter>

ReportPrinter::ReportPrinter(LogStore& store, IReportPanes& panes, const OpenLogLimits* limits)
    : store_(store), panes_(panes), limits_(limits)
{
}

void ReportPrinter::PreparePage(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setResolution(PageResolution);
    // The report is one page: a range the user entered would otherwise ask
    // for pages that never come, and a printer told to print page 2 of a
    // one-page job prints nothing.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    pageWidth_ = printable.width();
    pageHeight_ = printable.height();
}

bool ReportPrinter::PrintPage(QPainter& painter)
{
    pageMode_ = true;
    // The painter's origin is the top left of the printable area, in the
    // printer's own pixels.
    if (!DrawReportPage(painter, store_, QSize(pageWidth_, pageHeight_), limits_ ? &limits_->get() : nullptr))
        return false;
    panes_.CloseAllPanes();
    return true;
}

void ReportPrinter::EndPrinting()
{
    panes_.RestoreCurrentPane();
}

ReportPrinter::JobResult ReportPrinter::PrintJob(QPrinter& printer)
{
    PreparePage(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        EndPrinting();
        return JobResult::NotStarted;
    }
    PrintPage(painter);
    const bool sent = painter.end();
    EndPrinting();
    return sent ? JobResult::Printed : JobResult::Failed;
}

void ReportPrinter::PaintPreview(QPrinter& printer)
{
    PreparePage(printer);
    QPainter painter;
    if (painter.begin(&printer))
        PrintPage(painter);
}

QString ReportPrinter::JobMessage(JobResult result, const QPrinter& printer)
{
    const QString where = printer.outputFileName().isEmpty() ? printer.printerName()
                                                              : QDir::toNativeSeparators(printer.outputFileName());
    switch (result) {
    case JobResult::Printed:
        return {};
    case JobResult::NotStarted:
        return QStringLiteral("Failed to start print job.\r\n%1").arg(where);
    case JobResult::Failed:
        return QStringLiteral("Failed to print the report: the page did not reach %1.").arg(where);
    }
    return {};
}
