// The printed report: one landscape page of the chart in page mode, the panes
// closed by a drawn page and brought back at the end, a blank page without a
// log, a job that cannot start, and Print and Print Preview on the main
// window. Pages are printed to PDF and looked at through poppler's pdfinfo
// and pdftoppm.
#include "AppTestEnv.h"
#include "ModalAnswerer.h"

#include "app/Commands.h"
#include "app/ReportPrinter.h"
#include "panes/CDataListPane.h"
#include "panes/RecordTableModel.h"

#include <QAction>
#include <QDockWidget>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <memory>

namespace {

// A PDF file as poppler reads it.
struct PdfPages {
    int pages = 0;
    QSizeF pointSize;  // of the first page
    QImage picture;    // the first page at 100 dots an inch
};

// Empty reason: read. Otherwise why the file could not be looked at.
QString ReadPdf(const QString& pdf, PdfPages& out)
{
    const QString info = QStringLiteral("/usr/bin/pdfinfo");
    const QString toPpm = QStringLiteral("/usr/bin/pdftoppm");
    if (!QFileInfo(info).isExecutable() || !QFileInfo(toPpm).isExecutable())
        return QStringLiteral("poppler-utils is not installed");
    QProcess p;
    p.start(info, {pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("pdfinfo: ") + QString::fromLocal8Bit(p.readAllStandardError());
    const QString text = QString::fromLatin1(p.readAllStandardOutput());
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(text);
    if (!pages.hasMatch() || !size.hasMatch())
        return QStringLiteral("pdfinfo said: ") + text;
    out.pages = pages.captured(1).toInt();
    out.pointSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());

    // As a viewer shows it: lines thinner than a pixel of the picture are
    // blended in, so a chart of hairlines would all but vanish.
    const QString prefix = pdf + QStringLiteral("-page");
    p.start(toPpm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-f"),
                    QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"), pdf,
                    prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("pdftoppm: ") + QString::fromLocal8Bit(p.readAllStandardError());
    out.picture = QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    return out.picture.isNull() ? QStringLiteral("no picture from pdftoppm") : QString();
}

// Pixels of the picture for which the test holds.
int Count(const QImage& image, const std::function<bool(QRgb)>& test)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += test(line[x]);
    }
    return n;
}

// The curves are hairlines, blended with the white plot at 100 dots an inch.
bool Reddish(QRgb c)
{
    return qRed(c) > qGreen(c) + 60 && qRed(c) > qBlue(c) + 60;
}

bool Bluish(QRgb c)
{
    return qBlue(c) > qRed(c) + 60 && qBlue(c) > qGreen(c) + 60;
}

bool ChartBackground(QRgb c)
{
    return qAbs(qRed(c) - 245) <= 2 && qGreen(c) >= 253 && qAbs(qBlue(c) - 245) <= 2;
}

bool White(QRgb c)
{
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}

// Records what printing asked of the panes, in order.
class FakePanes : public IReportPanes {
public:
    void CloseAllPanes() override { calls << QStringLiteral("close"); }
    void RestoreCurrentPane() override { calls << QStringLiteral("restore"); }
    QStringList calls;
};

class ReportPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<LogStore>();
        report = std::make_unique<ReportPrinter>(*store, panes);
    }

    // A printer as the print dialog leaves it: portrait, as most printers
    // start, and a page range the user typed.
    std::unique_ptr<QPrinter> PdfPrinter(const QString& file)
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
        printer->setPrintRange(QPrinter::PageRange);
        printer->setFromTo(2, 3);
        return printer;
    }

    QString pdfPath(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::unique_ptr<LogStore> store;
    FakePanes panes;
    std::unique_ptr<ReportPrinter> report;
};

TEST_F(ReportPrinterTest, ThreeChannelLogPrintsOneLandscapePage)
{
    fixtures::FillStore(*store, 3, 500, [](int c, uint32_t i) { return float(c * 15) + float(i % 50) * 0.2f; });
    // Statistics still pending: the page brings them up to date first.
    store->statsPending = true;
    const QString pdf = pdfPath("report.pdf");
    auto printer = PdfPrinter(pdf);

    ASSERT_EQ(report->PrintJob(*printer), ReportPrinter::JobResult::Printed);
    EXPECT_FALSE(store->statsPending);
    EXPECT_EQ(panes.calls, (QStringList{"close", "restore"}));
    EXPECT_TRUE(report->pageMode());
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer->resolution(), ReportPrinter::PageResolution);
    const QRect printable = printer->pageRect(QPrinter::DevicePixel).toRect();
    EXPECT_EQ(report->pageWidth(), printable.width());
    EXPECT_EQ(report->pageHeight(), printable.height());
    EXPECT_GT(report->pageWidth(), report->pageHeight());

    PdfPages page;
    const QString unread = ReadPdf(pdf, page);
    if (!unread.isEmpty())
        GTEST_SKIP() << unread.toStdString();
    EXPECT_EQ(page.pages, 1);
    EXPECT_NEAR(page.pointSize.width(), 841.9, 1.0);
    EXPECT_NEAR(page.pointSize.height(), 595.3, 1.0);
    const QImage& picture = page.picture;
    ASSERT_GT(picture.width(), picture.height());
    // The chart fills the printable area: its background covers most of the
    // page and reaches near both corners inside the margins.
    const int pixels = picture.width() * picture.height();
    EXPECT_GT(Count(picture, ChartBackground), pixels / 5);
    EXPECT_TRUE(ChartBackground(picture.pixel(picture.width() / 8, picture.height() / 12)));
    EXPECT_TRUE(ChartBackground(picture.pixel(picture.width() * 7 / 8, picture.height() * 11 / 12)));
    // Curves of channel 1 (red) and 2 (blue); text and the black third curve darken more.
    EXPECT_GT(Count(picture, Reddish), 500);
    EXPECT_GT(Count(picture, Bluish), 500);
    EXPECT_GT(Count(picture, [](QRgb c) { return qGray(c) < 80; }), 2000);
}

TEST_F(ReportPrinterTest, NoLogGivesABlankPageAndLeavesThePanes)
{
    const QString pdf = pdfPath("blank.pdf");
    auto printer = PdfPrinter(pdf);
    ASSERT_EQ(report->PrintJob(*printer), ReportPrinter::JobResult::Printed);
    EXPECT_EQ(panes.calls, QStringList{"restore"});

    PdfPages page;
    const QString unread = ReadPdf(pdf, page);
    if (!unread.isEmpty())
        GTEST_SKIP() << unread.toStdString();
    EXPECT_EQ(page.pages, 1);
    EXPECT_GT(page.pointSize.width(), page.pointSize.height());
    EXPECT_EQ(Count(page.picture, White), page.picture.width() * page.picture.height());
}

TEST_F(ReportPrinterTest, JobThatCannotStartIsToldAndStillRestoresThePane)
{
    fixtures::FillStore(*store, 1, 10, [](int, uint32_t i) { return float(i); });
    store->ComputeStatistics();
    const QString pdf = pdfPath("no-such-folder/report.pdf");
    auto printer = PdfPrinter(pdf);
    const ReportPrinter::JobResult result = report->PrintJob(*printer);
    ASSERT_EQ(result, ReportPrinter::JobResult::NotStarted);
    EXPECT_EQ(panes.calls, QStringList{"restore"});
    const QString message = ReportPrinter::JobMessage(result, *printer);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Failed to start print job."))) << message.toStdString();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(pdf))) << message.toStdString();
    EXPECT_TRUE(ReportPrinter::JobMessage(ReportPrinter::JobResult::Printed, *printer).isEmpty());
}

// ---------------------------------------------------------------- main window

class PrintCommandTest : public apptest::StartedApp {
protected:
    // The Data List as the current pane, with the File List opened beside it
    // by hand: a drawn page closes both, and the end brings back only the
    // Data List.
    void DataListCurrentWithFileListBeside()
    {
        frame->ShowOnlyPane(pane::DataList);
        frame->paneDock(pane::FileListId)->show();
        ASSERT_EQ(OpenPanes(), (std::vector<int>{4000, 132}));
    }

    int DataListRows() const
    {
        auto* list = qobject_cast<CDataListPane*>(frame->paneWindow(pane::DataListId));
        return list ? list->model()->rowCount() : -1;
    }

    // Prints through the frame; the print dialog's place is taken by a step
    // that sends the job to a PDF file and leaves the printer portrait.
    void PrintToPdf(const QString& pdf, bool accept = true)
    {
        dialogs.printChoice = [pdf, accept](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            p.setPageOrientation(QPageLayout::Portrait);
            return accept;
        };
        frame->OnCommand(cmd::Print);
    }
};

TEST_F(PrintCommandTest, PrintClosesThePanesForThePageAndBringsTheCurrentOneBack)
{
    Start();
    LoadLog(2, 300);
    DataListCurrentWithFileListBeside();
    ASSERT_TRUE(app->data().document.Narrow(0, 120));  // a zoom: the list follows
    const QString pdf = home.filePath(QStringLiteral("frame.pdf"));

    PrintToPdf(pdf);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(OpenPanes(), std::vector<int>{4000});
    EXPECT_EQ(DataListRows(), 120);  // as it was before the page
    EXPECT_EQ(frame->currentPane(), int(pane::DataList));
    EXPECT_EQ(frame->printer()->pageLayout().orientation(), QPageLayout::Landscape);

    PdfPages page;
    const QString unread = ReadPdf(pdf, page);
    if (!unread.isEmpty())
        GTEST_SKIP() << unread.toStdString();
    EXPECT_EQ(page.pages, 1);
    EXPECT_GT(page.picture.width(), page.picture.height());
    EXPECT_GT(Count(page.picture, ChartBackground), page.picture.width() * page.picture.height() / 5);
}

TEST_F(PrintCommandTest, PrintWithoutALogLeavesThePanesOpen)
{
    Start();
    DataListCurrentWithFileListBeside();
    const QString pdf = home.filePath(QStringLiteral("blank.pdf"));
    PrintToPdf(pdf);
    EXPECT_TRUE(QFileInfo::exists(pdf));
    EXPECT_EQ(OpenPanes(), (std::vector<int>{4000, 132}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PrintCommandTest, CancelledPrintDialogDoesNothing)
{
    Start();
    LoadLog(1, 50);
    DataListCurrentWithFileListBeside();
    const QString pdf = home.filePath(QStringLiteral("cancelled.pdf"));
    PrintToPdf(pdf, false);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_EQ(OpenPanes(), (std::vector<int>{4000, 132}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PrintCommandTest, PrintThatCannotStartIsToldInTheMessageDialog)
{
    Start();
    LoadLog(1, 50);
    frame->ShowOnlyPane(pane::FileList);
    const QString pdf = home.filePath(QStringLiteral("missing/report.pdf"));
    PrintToPdf(pdf);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Failed to start print job.\r\n"))) << messages[0].toStdString();
    EXPECT_EQ(OpenPanes(), std::vector<int>{132});
}

// What the preview showed while it was open, read by a look at the active
// modal window, which is then closed.
struct PreviewSeen {
    bool seen = false;
    std::vector<int> openPanes;
    int pages = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    bool portraitChoice = true;
};

TEST_F(PrintCommandTest, PreviewShowsOneLandscapePageWithThePanesClosed)
{
    for (const bool withLog : {true, false}) {
        SCOPED_TRACE(withLog ? "with a log" : "without a log");
        Start();
        if (withLog)
            LoadLog(3, 200);
        DataListCurrentWithFileListBeside();
        frame->printer()->setOutputFormat(QPrinter::PdfFormat);
        frame->printer()->setPageOrientation(QPageLayout::Portrait);

        PreviewSeen seen;
        QTimer look;
        look.setInterval(5);
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || seen.seen)
                return;
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            if (!preview || preview->pageCount() == 0)
                return;
            seen.seen = true;
            seen.openPanes = OpenPanes();
            seen.pages = preview->pageCount();
            seen.orientation = dialog->printer()->pageLayout().orientation();
            for (QAction* a : dialog->findChildren<QAction*>())
                if (a->text() == QStringLiteral("Portrait"))
                    seen.portraitChoice = a->isEnabled();
            dialog->reject();
        });
        look.start();
        frame->OnCommand(cmd::PrintPreview);
        look.stop();

        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(seen.openPanes, withLog ? std::vector<int>{} : (std::vector<int>{4000, 132}));
        EXPECT_EQ(seen.pages, 1);
        EXPECT_EQ(seen.orientation, QPageLayout::Landscape);
        EXPECT_FALSE(seen.portraitChoice);
        // Closing the preview brings the current pane back.
        EXPECT_EQ(OpenPanes(), withLog ? std::vector<int>{4000} : (std::vector<int>{4000, 132}));
        app.reset();
    }
}

}  // namespace
