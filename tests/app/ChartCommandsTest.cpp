// The chart's commands on the main window: the TXT, Excel and BMP exports
// with a chosen path (their path rules, files and failure messages), and the
// chart view's read-out and right click reaching the frame.
#include "AppTestEnv.h"

#include "app/CLoggerView.h"
#include "app/ChartExportCommands.h"
#include "app/Commands.h"
#include "formats/BmpWriter.h"
#include "formats/XlrdSheet.h"

#include <QDir>
#include <QMouseEvent>
#include <QTest>

namespace {

using apptest::ReadBytes;

using ChartCommandsTest = apptest::StartedApp;

// ---------------------------------------------------------------- TXT

TEST_F(ChartCommandsTest, TxtWritesTheRecordsTheStoreHolds)
{
    Start();
    LoadLog(1, 2);
    Export(cmd::SaveTxt, file(QStringLiteral("two")));
    EXPECT_EQ(filters, QStringList{"TXT file(*.txt)"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ReadBytes(file(QStringLiteral("two.txt"))),
              QByteArray("SN\tDATE\t\tTIME\t\tC\r\n"
                         "1\t2011-03-08\t14:05:30\t10.0\r\n"
                         "2\t2011-03-08\t14:06:30\t10.5\r\n"));

    // After a zoom only the narrowed records go out, numbered from 1.
    LoadLog(2, 300);
    app->data().store.NarrowRecords(100, 200);
    Export(cmd::SaveTxt, file(QStringLiteral("zoomed.txt")));
    const QList<QByteArray> lines = ReadBytes(file(QStringLiteral("zoomed.txt"))).split('\n');
    ASSERT_EQ(lines.size(), 102);  // header, 100 records, nothing after the last CR LF
    EXPECT_TRUE(lines[1].startsWith("1\t2011-03-08\t15:45:30\t"));
    EXPECT_TRUE(lines[100].startsWith("100\t"));
}

TEST_F(ChartCommandsTest, PathRulesOfTheExports)
{
    Start();
    LoadLog(1, 3);
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("data.2011")));
    const struct {
        int command;
        const char* chosen;
        const char* written;
    } cases[] = {
        {cmd::SaveTxt, "plain", "plain.txt"},
        // Only the file name decides: a folder's dot (/home/first.last/,
        // ~/.local/) does not keep the extension off.
        {cmd::SaveTxt, "data.2011/report", "data.2011/report.txt"},
        {cmd::SaveTxt, "report.csv", "report.csv"},
        {cmd::SaveExcel, "book", "book.xls"},
        {cmd::SaveExcel, "data.2011/book", "data.2011/book.xls"},
        {cmd::SaveExcel, "data.2011/book.v2", "data.2011/book.v2"},
        {cmd::SaveBmp, "chart", "chart.bmp"},
        {cmd::SaveBmp, "chart.bmp", "chart.bmp"},
        {cmd::SaveBmp, "data.2011/chart", "data.2011/chart.bmp"},
        {cmd::SaveBmp, "data.2011/chart.v2", "data.2011/chart.v2.bmp"},
    };
    for (const auto& c : cases) {
        const QString chosen = file(QString::fromLatin1(c.chosen));
        Export(c.command, chosen);
        EXPECT_TRUE(QFileInfo(file(QString::fromLatin1(c.written))).isFile()) << c.chosen;
        if (QString::fromLatin1(c.written) != QString::fromLatin1(c.chosen)) {
            EXPECT_FALSE(QFileInfo::exists(chosen)) << c.chosen;
        }
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

TEST_F(ChartCommandsTest, CancelledSaveDialogWritesNothing)
{
    Start();
    LoadLog(1, 3);
    for (int command : {int(cmd::SaveTxt), int(cmd::SaveExcel), int(cmd::SaveBmp)})
        Export(command, QString());
    EXPECT_EQ(filters, (QStringList{"TXT file(*.txt)", "Excel file(*.xls)", "BMP file(*.bmp)"}));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(QDir(home.path()).entryList({"*.txt", "*.xls", "*.bmp"}, QDir::AllEntries).isEmpty());
}

TEST_F(ChartCommandsTest, FilesThatCannotBeWrittenAreTold)
{
    Start();
    LoadLog(2, 20);
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("taken.xls")));
    const QString missing = file(QStringLiteral("missing"));

    Export(cmd::SaveTxt, missing + QStringLiteral("/out.txt"));
    Export(cmd::SaveExcel, file(QStringLiteral("taken.xls")));
    Export(cmd::SaveBmp, missing + QStringLiteral("/chart"));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[0], QStringLiteral("Failed to export to txt file!"));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Failed: "))) << messages[1].toStdString();
    EXPECT_TRUE(messages[1].contains(QDir::toNativeSeparators(file(QStringLiteral("taken.xls")))));
    // The picture's failure names the file it could not make.
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("Failed to export to bmp file!\r\nThe file ")))
        << messages[2].toStdString();
    EXPECT_TRUE(messages[2].contains(QDir::toNativeSeparators(missing + QStringLiteral("/chart.bmp"))));
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("taken.xls"))).isDir());
}

// ---------------------------------------------------------------- Excel

TEST_F(ChartCommandsTest, ExcelWorkbookReplacesAnOldFile)
{
    Start();
    LoadLog(2, 30);
    const QString path = file(QStringLiteral("logs.xls"));
    ASSERT_TRUE(apptest::WriteBytes(path, QByteArray(5000, 'x')));
    Export(cmd::SaveExcel, path);
    EXPECT_EQ(filters, QStringList{"Excel file(*.xls)"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ReadBytes(path).left(8), QByteArray::fromHex("d0cf11e0a1b11ae1"));  // a compound file

    xlrdtest::Sheet sheet;
    QString error;
    const xlrdtest::Status status = xlrdtest::Read(path, "logs", sheet, error);
    if (status == xlrdtest::Status::Unavailable)
        GTEST_SKIP() << "python3-xlrd is not installed";
    ASSERT_EQ(status, xlrdtest::Status::Ok) << error.toStdString();
    EXPECT_EQ(sheet.sheetNames, QStringList{"logs"});
    ASSERT_EQ(sheet.rows, 31);
    ASSERT_EQ(sheet.columns, 5);
    const char* names[] = {"SN", "LOGDATE", "LOGTIME", "CH1", "CH2"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(sheet.at(0, c).text, QByteArray(names[c]));
    EXPECT_EQ(sheet.at(1, 0).number, 1.0);
    EXPECT_EQ(sheet.at(1, 1).text, QByteArray("2011-03-08"));
    EXPECT_EQ(sheet.at(1, 2).text, QByteArray("14:05:30"));
    EXPECT_EQ(sheet.at(2, 3).number, 10.5);
    EXPECT_EQ(sheet.at(2, 4).number, 20.5);
    EXPECT_EQ(sheet.at(30, 0).number, 30.0);
}

TEST_F(ChartCommandsTest, ExcelSaysWhenTheLogIsLongerThanASheet)
{
    Start();
    LoadLog(1, 65536);
    Export(cmd::SaveExcel, file(QStringLiteral("long.xls")));
    // The workbook is written, and the user learns that the oldest record is not in it.
    EXPECT_TRUE(QFile::exists(file(QStringLiteral("long.xls"))));
    EXPECT_EQ(messages, QStringList{"The sheet holds the newest 65535 of 65536 records."});
}

// ---------------------------------------------------------------- BMP

// The BMP's pixel word at (x, y), y counted from the top as on screen.
uint32_t BmpPixel(const QByteArray& bmp, int width, int height, int x, int y)
{
    const qsizetype at = BmpHeaderSize + BmpRowLength(width) * (height - 1 - y) + 2 * x;
    return uint8_t(bmp[at]) | uint32_t(uint8_t(bmp[at + 1])) << 8;
}

uint32_t Rgb555(QRgb c)
{
    return uint32_t(qRed(c) >> 3) << 10 | uint32_t(qGreen(c) >> 3) << 5 | uint32_t(qBlue(c) >> 3);
}

TEST_F(ChartCommandsTest, BmpIsTheChartAsTheViewShowsIt)
{
    Start(QString(), true);
    LoadLog(2, 300);
    CLoggerView* view = frame->view();
    // An odd width, so that every row is filled up to a multiple of 4 bytes.
    view->setFixedSize(801, 500);
    QCoreApplication::processEvents();
    ASSERT_EQ(view->size(), QSize(801, 500));
    const QImage screen = view->grab().toImage().convertToFormat(QImage::Format_RGB32);

    Export(cmd::SaveBmp, file(QStringLiteral("chart")));
    EXPECT_EQ(filters, QStringList{"BMP file(*.bmp)"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    const QByteArray bmp = ReadBytes(file(QStringLiteral("chart.bmp")));
    ASSERT_EQ(bmp.size(), 54 + 1604 * 500);
    EXPECT_EQ(bmp.mid(18, 8), QByteArray::fromHex("21030000f4010000"));

    // The same picture, reduced to 5 bits a component: lines and fills
    // exactly, the smoothed edges of the text within a step or two.
    ASSERT_EQ(screen.size(), QSize(801, 500));
    int differing = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 801; ++x)
            differing += BmpPixel(bmp, 801, 500, x, y) != Rgb555(screen.pixel(x, y));
    EXPECT_LT(differing, 801 * 500 / 100);
    const PlotRect plot = view->plotRect();
    EXPECT_EQ(BmpPixel(bmp, 801, 500, 0, 499), 0u);            // the black outline of the background
    EXPECT_EQ(BmpPixel(bmp, 801, 500, 5, 250), Rgb555(qRgb(245, 255, 245)));
    EXPECT_EQ(BmpPixel(bmp, 801, 500, plot.left + 3, plot.top + 3), 0x7FFFu);  // the white plot
}

TEST_F(ChartCommandsTest, BmpOfAnEmptyStoreIsBlack)
{
    Start(QString(), true);
    const QSize size = frame->view()->size();
    ASSERT_FALSE(size.isEmpty());
    Export(cmd::SaveBmp, file(QStringLiteral("empty.bmp")));
    const QByteArray bmp = ReadBytes(file(QStringLiteral("empty.bmp")));
    ASSERT_EQ(bmp.size(), BmpFileSize(size.width(), size.height()));
    EXPECT_EQ(bmp.mid(BmpHeaderSize).count('\0'), bmp.size() - BmpHeaderSize);
}

// ---------------------------------------------------------------- view signals

TEST_F(ChartCommandsTest, ReadoutFillsTheStatusPanesAndRightClickBringsTheWholeLogBack)
{
    Start(QString(), true);
    LoadLog(1, 200);
    CLoggerView* view = frame->view();
    QCoreApplication::processEvents();
    const PlotRect plot = view->plotRect();
    ASSERT_FALSE(plot.isNull());

    // A move with no button held, as the offscreen platform would not make one from QTest.
    const auto hover = [view](QPoint p) {
        QMouseEvent e(QEvent::MouseMove, QPointF(p), view->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    };
    hover(QPoint(plot.left + 1, plot.top + 10));
    hover(QPoint(plot.right, plot.top + 10));  // the right edge reads out the last record
    EXPECT_EQ(frame->paneText(4), QStringLiteral("2011-03-08 17:24:30"));
    EXPECT_EQ(frame->paneText(6), QStringLiteral("  11.5 C"));
    EXPECT_EQ(frame->paneText(8), QStringLiteral(" "));
    EXPECT_EQ(frame->paneText(10), QStringLiteral(" "));

    // Every change of the open log takes the read-out back to its starting
    // texts: the record it named may be gone; the next move reads out again.
    frame->OnCommand(cmd::OriginalView);
    EXPECT_EQ(frame->paneText(4), QStringLiteral(" 0000-00-00 00:00:00"));
    for (int pane : {6, 8, 10})
        EXPECT_EQ(frame->paneText(pane), QStringLiteral(" 00.0")) << pane;
    hover(QPoint(plot.right, plot.top + 10));
    EXPECT_EQ(frame->paneText(4), QStringLiteral("2011-03-08 17:24:30"));

    // A zoom band, then a right click in the plot: the whole log again.
    const int y = (plot.top + plot.bottom) / 2;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(plot.left + 50, y));
    QTest::mouseMove(view, QPoint(plot.left + 250, y));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(plot.left + 250, y));
    ASSERT_LT(app->data().store.recordCount, 200u);
    frame->ShowOnlyPane(pane::FileList);
    QTest::mouseClick(view, Qt::RightButton, {}, QPoint(plot.left + 100, y));
    EXPECT_EQ(app->data().store.recordCount, 200u);
    EXPECT_TRUE(OpenPanes().empty());  // reading the log closes the panes, as Original View does
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

}  // namespace
