// The File menu's PDF and CSV exports on the main window: the save dialog's
// filter, the file written from the records shown, and failures told.
#include "AppTestEnv.h"

#include "app/CLoggerView.h"
#include "app/Commands.h"

#include "logdata/LimitSettings.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

using apptest::ReadBytes;

using ReportExportsTest = apptest::StartedApp;

TEST_F(ReportExportsTest, ExportsAreEnabledWithRecordsOnly)
{
    Start();
    EXPECT_FALSE(frame->action(cmd::SaveCsv)->isEnabled());
    EXPECT_FALSE(frame->action(cmd::SavePdf)->isEnabled());
    LoadLog(2, 30);
    EXPECT_TRUE(frame->action(cmd::SaveCsv)->isEnabled());
    EXPECT_TRUE(frame->action(cmd::SavePdf)->isEnabled());
}

TEST_F(ReportExportsTest, CsvHoldsTheRecordsShown)
{
    Start(QString(), true);
    LoadLog(2, 300);
    Export(cmd::SaveCsv, file(QStringLiteral("records")));
    EXPECT_EQ(filters, QStringList{"CSV file(*.csv)"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    QByteArray csv = ReadBytes(file(QStringLiteral("records.csv")));
    QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 302);  // a header, 300 records, nothing after the last CR LF
    EXPECT_EQ(lines[0], QByteArray("SN,Timestamp,CH1 (C),CH2 (%RH)\r"));
    EXPECT_EQ(lines[1], QByteArray("1,2011-03-08 14:05:30,10.0,20.0\r"));
    EXPECT_TRUE(lines[301].isEmpty());

    // After a zoom only the records kept.
    ZoomAcrossPlot(100, 300);
    const LogStore& store = app->data().store;
    ASSERT_LT(store.recordCount, 300u);
    Export(cmd::SaveCsv, file(QStringLiteral("zoomed.csv")));
    csv = ReadBytes(file(QStringLiteral("zoomed.csv")));
    EXPECT_EQ(csv.count('\n'), qsizetype(store.recordCount) + 1);
}

TEST_F(ReportExportsTest, CsvThatCannotBeWrittenIsToldAndCancelWritesNothing)
{
    Start();
    LoadLog(1, 10);
    Export(cmd::SaveCsv, QString());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(QDir(home.path()).entryList({QStringLiteral("*.csv")}).isEmpty());

    const QString blocked = file(QStringLiteral("no-such-folder/records.csv"));
    Export(cmd::SaveCsv, blocked);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Failed to export to csv file!"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(blocked))) << messages[0].toStdString();
}

// Runs a poppler tool on a file and returns what it wrote.
QString Poppler(const QString& tool, const QStringList& arguments)
{
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(ReportExportsTest, PdfIsTheReportAndItsSummaryWithTheLimits)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Start(QString(), true);
    LoadLog(2, 300);
    LogLimits limits;
    limits.channel[0].high = 12.5;
    SaveLimits("0123456789", limits, true);
    frame->LimitsChanged();

    Export(cmd::SavePdf, file(QStringLiteral("report")));
    EXPECT_EQ(filters, QStringList{"PDF file(*.pdf)"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    const QString pdf = file(QStringLiteral("report.pdf"));
    ASSERT_TRUE(ReadBytes(pdf).startsWith("%PDF"));
    const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("ROOM_20110308_1435.logu"))) << info.toStdString();

    // The summary page names the log by the SHA-256 of its file and gives the limit.
    const QString summary = Poppler(QStringLiteral("pdftotext"),
                                    {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-layout"), pdf,
                                     QStringLiteral("-")});
    const QByteArray sha = QCryptographicHash::hash(ReadBytes(logPath(QStringLiteral("ROOM_20110308_1435.logu"))),
                                                    QCryptographicHash::Sha256)
                               .toHex();
    EXPECT_TRUE(summary.contains(QString::fromLatin1(sha))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("12.5"))) << summary.toStdString();
}

TEST_F(ReportExportsTest, PdfThatCannotBeWrittenIsTold)
{
    Start();
    LoadLog(1, 10);
    const QString blocked = file(QStringLiteral("no-such-folder/report.pdf"));
    Export(cmd::SavePdf, blocked);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Failed to save to pdf file!"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(blocked))) << messages[0].toStdString();
}

}  // namespace
