// The PDF report read back with poppler's pdftotext and pdftoppm: the chart
// page, then the summary page with the values and the log file's SHA-256.
#include "formats/PdfReport.h"
#include "logdata/LogFile.h"
#include "logdata/LogStore.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool PopplerAvailable()
{
    return QFile::exists(QStringLiteral("/usr/bin/pdftotext")) && QFile::exists(QStringLiteral("/usr/bin/pdftoppm")) &&
           QFile::exists(QStringLiteral("/usr/bin/pdfinfo"));
}

QByteArray RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << ": " << p.readAllStandardError().constData();
        return {};
    }
    return p.readAllStandardOutput();
}

// The text of one page, laid out as on the page.
QString PageText(const QString& pdf, int page)
{
    return QString::fromUtf8(RunTool(QStringLiteral("/usr/bin/pdftotext"),
                                 {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                  QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")}));
}

// Two channels, an hour of records five minutes apart, with two runs above
// 8 °C on channel 1 and one run below 40 %RH on channel 2; saved as a .logu
// file so the report can name its SHA-256.
class PdfReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const float ch1[] = {5.0f, 6.0f, 8.5f, 9.0f, 7.0f, 6.5f, 10.0f, 6.0f, 5.5f, 5.0f, 4.5f, 5.0f};
        const float ch2[] = {45, 44, 43, 42, 41, 39, 38, 41, 45, 50, 55, 60};
        fixtures::FillStore(store, 2, 12, [&](int c, uint32_t i) { return c == 1 ? ch1[i] : c == 2 ? ch2[i] : 0.0f; },
                            "COLD ROOM 2", "A123456789", "20240305080000", 300);
        store.ComputeStatistics();
        logPath = dir.filePath(QStringLiteral("COLD ROOM 2_202403050855.logu"));
        QFile file(logPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(WriteLogFile(file, store));
        file.close();
        store.currentLogPath = logPath;
        store.currentLogName = QFileInfo(logPath).fileName();
        limits.channel[0].high = 8.0;
        limits.channel[0].low = 2.0;
        limits.channel[1].low = 40.0;
    }

    QTemporaryDir dir;
    LogStore store;
    QString logPath;
    LogLimits limits;
    const QDateTime madeAt = QDateTime(QDate(2024, 3, 6), QTime(9, 30, 15));
};

TEST_F(PdfReportTest, TwoPagesWithTheSummaryAndTheLogsDigest)
{
    if (!PopplerAvailable())
        GTEST_SKIP() << "poppler-utils is not installed";
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const WriteResult result = ExportPdfReport(pdf, store, limits, madeAt);
    ASSERT_TRUE(result.ok) << result.message.toStdString();

    const QString info = QString::fromUtf8(RunTool(QStringLiteral("/usr/bin/pdfinfo"), {pdf}));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+COLD ROOM 2_202403050855.logu\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\n")))) << info.toStdString();
    // A4 landscape: 842 x 595 points.
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts \\(A4\\)"))))
        << info.toStdString();

    // Page 1 is the chart page: its title and header block.
    const QString chart = PageText(pdf, 1);
    EXPECT_TRUE(chart.contains(QStringLiteral("MAX"))) << chart.toStdString();
    EXPECT_TRUE(chart.contains(QStringLiteral("10.0"))) << chart.toStdString();

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray sha = QCryptographicHash::hash(log.readAll(), QCryptographicHash::Sha256).toHex();

    const QString summary = PageText(pdf, 2);
    const std::string text = summary.toStdString();
    for (const QString& expected : {
             QStringLiteral("COLD ROOM 2"), QStringLiteral("A123456789"), QStringLiteral("2024-03-05 08:00:00"),
             QStringLiteral("2024-03-05 08:55:00"), QStringLiteral("00:05:00"),  // interval
             QStringLiteral("00:55:00"),                                         // duration
             QString::fromLatin1(sha), QStringLiteral("2024-03-06 09:30:15"), QStringLiteral("Reviewed by"),
             QStringLiteral("Date")})
        EXPECT_TRUE(summary.contains(expected)) << expected.toStdString() << " missing in\n" << text;
    // CH1: MAX 10.0 first at 08:30, MIN 4.5 at 08:50, two runs above 8 (three
    // records, 15 minutes), first at 08:10; CH2: one run below 40, 10 minutes.
    const QRegularExpression ch1Stats(
        QStringLiteral("CH1\\s+C\\s+10\\.0\\s+2024-03-05 08:30:00\\s+4\\.5\\s+2024-03-05 08:50:00\\s+6\\.5\\s+6\\.\\d"));
    EXPECT_TRUE(summary.contains(ch1Stats)) << text;
    const QRegularExpression ch1Limits(
        QStringLiteral("CH1\\s+2\\s+8\\s+2\\s+00:15:00\\s+2024-03-05 08:10:00\\s+0\\s+00:00:00\\s+-\\s*\\n"));
    EXPECT_TRUE(summary.contains(ch1Limits)) << text;
    const QRegularExpression ch2Limits(QStringLiteral("CH2\\s+40\\s+-\\s+-\\s+-\\s+-\\s+1\\s+00:10:00\\s+2024-03-05 08:25:00"));
    EXPECT_TRUE(summary.contains(ch2Limits)) << text;

    // Both pages drawn: ink on each, the chart's coloured curves on the first.
    const QString prefix = dir.filePath(QStringLiteral("page"));
    RunTool(QStringLiteral("/usr/bin/pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("50"), pdf, prefix});
    for (int page = 1; page <= 2; ++page) {
        const QImage image(QStringLiteral("%1-%2.png").arg(prefix).arg(page));
        ASSERT_FALSE(image.isNull()) << page;
        EXPECT_GT(image.width(), image.height()) << page;
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        EXPECT_GT(dark, 500) << page;
    }
}

TEST_F(PdfReportTest, UnsavedLogAndNoLimitsAreSaidPlainly)
{
    if (!PopplerAvailable())
        GTEST_SKIP() << "poppler-utils is not installed";
    store.currentLogPath.clear();
    store.currentLogName.clear();
    const QString pdf = dir.filePath(QStringLiteral("unsaved"));
    const WriteResult result = ExportPdfReport(PdfExportPath(pdf), store, LogLimits{}, madeAt);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    const QString summary = PageText(pdf + QStringLiteral(".pdf"), 2);
    EXPECT_TRUE(summary.contains(QStringLiteral("The log has not been saved to a file."))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("No alarm limits are set for this logger."))) << summary.toStdString();
}

TEST_F(PdfReportTest, UnreadableLogFileIsNamedNotHashed)
{
    if (!PopplerAvailable())
        GTEST_SKIP() << "poppler-utils is not installed";
    store.currentLogPath = dir.filePath(QStringLiteral("gone.logu"));
    const QString pdf = dir.filePath(QStringLiteral("gone.pdf"));
    ASSERT_TRUE(ExportPdfReport(pdf, store, limits, madeAt).ok);
    EXPECT_TRUE(PageText(pdf, 2).contains(QStringLiteral("The log file cannot be read")));
}

TEST(PdfReportTexts, StampsAndDurations)
{
    EXPECT_EQ(ReportStampText("20240305080000"), QStringLiteral("2024-03-05 08:00:00"));
    EXPECT_EQ(ReportStampText(QByteArray("2024\x01\x02" "05080000", 14)), QStringLiteral("2024-?\?-05 08:00:00"));
    EXPECT_EQ(ReportStampText(QByteArray()), QString());
    const struct {
        int64_t seconds;
        const char* text;
    } cases[] = {{0, "00:00:00"}, {59, "00:00:59"}, {3600 + 120 + 3, "01:02:03"}, {86399, "23:59:59"},
                 {86400, "1 d 00:00:00"}, {3 * 86400 + 7200, "3 d 02:00:00"}, {-300, "-00:05:00"}};
    for (const auto& k : cases)
        EXPECT_EQ(ReportDurationText(k.seconds), QString::fromLatin1(k.text)) << k.seconds;
}

TEST(PdfReportFiles, FailureKeepsTheOldFile)
{
    QTemporaryDir dir;
    LogStore store;
    fixtures::FillValues(store, {1.0f, 2.0f});
    const QString taken = dir.filePath(QStringLiteral("taken.pdf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.pdf")));
    const WriteResult result = ExportPdfReport(taken, store, {});
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("Failed to save to pdf file!\r\n"))) << result.message.toStdString();
    EXPECT_TRUE(QFileInfo(taken).isDir());
}

}  // namespace
