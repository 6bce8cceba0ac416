// Alarm limits in the main window: the dialog that edits them, the lines the
// chart, the BMP picture and the printed page draw for them, the Summary pane
// following the shown records, and a connected logger's thresholds becoming
// its limits unless the user chose others.
#include "AppTestEnv.h"
#include "ModalAnswerer.h"

#include "app/CAlarmLimitsDlg.h"
#include "app/CLoggerView.h"
#include "app/Commands.h"
#include "app/DemoLogger.h"
#include "chart/ChartLayout.h"
#include "chart/DrawChart.h"
#include "formats/BmpWriter.h"
#include "link/LinkSession.h"
#include "logdata/LimitSettings.h"
#include "panes/CDataListPane.h"
#include "panes/CDatePickerDlg.h"
#include "panes/CSummaryPane.h"
#include "panes/RecordTableModel.h"
#include "support/TestPaths.h"

#include <QAction>
#include <QDockWidget>
#include <QTreeWidget>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

using guitest::WaitUntil;

// The sample logs belong to this logger.
const QByteArray SampleId("0123456789");

// ---------------------------------------------------------------- the entries

TEST(AlarmLimitsParseTest, EntriesAreNumbersOrEmptyAndLowBelowHigh)
{
    LogLimits start;
    start.channel[2].high = 7.0;  // channel 3, not shown in the two-channel cases
    const struct {
        const char* low[3];
        const char* high[3];
        int channels;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {{"", "", ""}, {"", "", ""}, 2, nullptr},
        {{" 2.5 ", "-10", ""}, {"8", "", ""}, 2, nullptr},
        {{"", "", ""}, {"abc", "", ""}, 2, "CH1 High: \"abc\" is not a number."},
        {{"1", "x1", ""}, {"", "", ""}, 2, "CH2 Low: \"x1\" is not a number."},
        {{"2,5", "", ""}, {"", "", ""}, 2, "CH1 Low: \"2,5\" is not a number."},
        {{"", "", ""}, {"inf", "", ""}, 2, "CH1 High: \"inf\" is not a number."},
        {{"", "", ""}, {"nan", "", ""}, 2, "CH1 High: \"nan\" is not a number."},
        {{"8", "", ""}, {"8", "", ""}, 2, "CH1: the low limit must be below the high limit."},
        {{"", "90", ""}, {"", "20", ""}, 2, "CH2: the low limit must be below the high limit."},
        {{"", "", "bad"}, {"", "", ""}, 3, "CH3 Low: \"bad\" is not a number."},
    };
    for (const auto& c : cases) {
        QString low[3], high[3];
        for (int i = 0; i < 3; ++i) {
            low[i] = QString::fromLatin1(c.low[i]);
            high[i] = QString::fromLatin1(c.high[i]);
        }
        const CAlarmLimitsDlg::Parsed p = CAlarmLimitsDlg::Parse(low, high, c.channels, start);
        if (!c.message) {
            EXPECT_TRUE(p.ok) << p.message.toStdString();
        } else {
            EXPECT_FALSE(p.ok) << c.message;
            EXPECT_EQ(p.message, QString::fromLatin1(c.message));
        }
    }

    QString low[3] = {QStringLiteral(" 2.5 "), QStringLiteral("-10"), QStringLiteral("99")};
    QString high[3] = {QStringLiteral("8"), QString(), QString()};
    const CAlarmLimitsDlg::Parsed p = CAlarmLimitsDlg::Parse(low, high, 2, start);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.limits.channel[0].low, 2.5);
    EXPECT_EQ(p.limits.channel[0].high, 8.0);
    EXPECT_EQ(p.limits.channel[1].low, -10.0);
    EXPECT_FALSE(p.limits.channel[1].high);
    // The channel not shown keeps what it had, whatever its (hidden) entry says.
    EXPECT_FALSE(p.limits.channel[2].low);
    EXPECT_EQ(p.limits.channel[2].high, 7.0);
}

// ---------------------------------------------------------------- the window

uint32_t BmpPixel(const QByteArray& bmp, int width, int height, int x, int y)
{
    const qsizetype at = BmpHeaderSize + BmpRowLength(width) * (height - 1 - y) + 2 * x;
    return uint8_t(bmp[at]) | uint32_t(uint8_t(bmp[at + 1])) << 8;
}

uint32_t Rgb555(QRgb c)
{
    return uint32_t(qRed(c) >> 3) << 10 | uint32_t(qGreen(c) >> 3) << 5 | uint32_t(qBlue(c) >> 3);
}

// The x of every dash pixel of a limit line, between the value axes' ticks.
std::vector<int> DashPixels(const ChartLayout& l)
{
    const LimitDash d = LimitDashFor(l);
    std::vector<int> xs;
    for (int x = l.PL + l.W12i / 8 + 1; x < l.PR - l.W12i / 8; ++x)
        if ((x - l.PL) % (d.dash + d.gap) < d.dash)
            xs.push_back(x);
    return xs;
}

class AlarmLimitsWindowTest : public apptest::StartedApp {
protected:
    void SetUp() override
    {
        apptest::StartedApp::SetUp();
        SaveLimits(SampleId, LogLimits(), false);
    }

    // Runs "Alarm Limits..." and lets fill act on the open dialog.
    void EditLimits(const std::function<void(CAlarmLimitsDlg*)>& fill)
    {
        bool opened = false;
        guitest::WhenOpen<CAlarmLimitsDlg>([&](CAlarmLimitsDlg* d) {
            opened = true;
            fill(d);
        });
        frame->OnCommand(cmd::AlarmLimits);
        EXPECT_TRUE(opened);
    }

    CSummaryPane* summary() const { return qobject_cast<CSummaryPane*>(frame->paneWindow(pane::SummaryId)); }
    QString Shown(const char* group, const char* item) const
    {
        return summary() ? summary()->shownValue(QString::fromLatin1(group), QString::fromLatin1(item)) : QString();
    }
};

TEST_F(AlarmLimitsWindowTest, DialogRefusesBadEntriesThenSavesTheUsersLimits)
{
    Start(QString(), true);
    EXPECT_FALSE(frame->action(cmd::AlarmLimits)->isEnabled()) << "no log, no logger to set limits for";
    LoadLog(2, 300);  // channel 1 from 10.0 to 13.0, channel 2 from 20.0 to 23.0
    ASSERT_TRUE(frame->action(cmd::AlarmLimits)->isEnabled());

    EditLimits([&](CAlarmLimitsDlg* d) {
        EXPECT_TRUE(d->lowEdit(1)->text().isEmpty());
        d->highEdit(1)->setText(QStringLiteral("12,5"));
        d->accept();
        EXPECT_TRUE(d->isVisible()) << "a refused entry keeps the dialog open";
        EXPECT_EQ(d->focusWidget(), d->highEdit(1)) << "on the field to correct";
        d->highEdit(1)->setText(QStringLiteral("12.5"));
        d->lowEdit(2)->setText(QStringLiteral("22"));
        d->highEdit(2)->setText(QStringLiteral("21"));
        d->accept();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->focusWidget(), d->lowEdit(2));
        d->highEdit(2)->clear();
        d->accept();
    });
    EXPECT_EQ(messages, (QStringList{QStringLiteral("CH1 High: \"12,5\" is not a number."),
                                     QStringLiteral("CH2: the low limit must be below the high limit.")}));

    bool userSet = false;
    const LogLimits saved = LoadLimits(SampleId, &userSet);
    EXPECT_TRUE(userSet);
    EXPECT_FALSE(saved.channel[0].low);
    EXPECT_EQ(saved.channel[0].high, 12.5);
    EXPECT_EQ(saved.channel[1].low, 22.0);
    EXPECT_FALSE(saved.channel[1].high);

    // The dialog starts from the limits saved, and Cancel changes nothing.
    EditLimits([](CAlarmLimitsDlg* d) {
        EXPECT_EQ(d->highEdit(1)->text(), QStringLiteral("12.5"));
        EXPECT_EQ(d->lowEdit(2)->text(), QStringLiteral("22"));
        d->highEdit(1)->setText(QStringLiteral("99"));
        d->reject();
    });
    EXPECT_EQ(LoadLimits(SampleId).channel[0].high, 12.5);
}

TEST_F(AlarmLimitsWindowTest, WindowBmpAndPageDrawTheSameLimitLines)
{
    Start(QString(), true);
    LoadLog(2, 300);
    CLoggerView* view = frame->view();
    view->setFixedSize(801, 500);
    QCoreApplication::processEvents();
    const QImage plain = view->grab().toImage().convertToFormat(QImage::Format_RGB32);

    EditLimits([](CAlarmLimitsDlg* d) {
        d->highEdit(1)->setText(QStringLiteral("12.5"));
        d->lowEdit(2)->setText(QStringLiteral("21"));
        d->accept();
    });
    QCoreApplication::processEvents();
    const QImage screen = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const LogStore& store = app->data().store;
    const ChartLayout l = ChartLayout::ForStore(QRect(0, 0, 801, 500), store);
    const int red = LimitLineY(l, store, 1, 12.5);
    const int blue = LimitLineY(l, store, 2, 21.0);
    ASSERT_GT(red, l.T);
    ASSERT_LT(blue, l.PB);
    ASSERT_NE(red, blue);
    // Every dash pixel that no curve crosses has the channel's colour.
    const auto underCurve = [&plain](int x, int y) {
        const QColor c(plain.pixel(x, y));
        return c != QColor(Qt::white) && c != QColor(208, 208, 208);
    };
    int dashes = 0;
    for (int x : DashPixels(l)) {
        if (!underCurve(x, red)) {
            EXPECT_EQ(QColor(screen.pixel(x, red)), QColor(255, 0, 0)) << x;
            ++dashes;
        }
        if (!underCurve(x, blue)) {
            EXPECT_EQ(QColor(screen.pixel(x, blue)), QColor(0, 0, 255)) << x;
            ++dashes;
        }
    }
    EXPECT_GT(dashes, 500);
    // Only those two rows changed.
    for (int y = 0; y < 500; ++y) {
        if (y == red || y == blue)
            continue;
        for (int x = 0; x < 801; ++x) {
            ASSERT_EQ(screen.pixel(x, y), plain.pixel(x, y)) << x << ", " << y;
        }
    }

    // The BMP picture has the same lines.
    const QString bmpPath = home.filePath(QStringLiteral("limits.bmp"));
    dialogs.exportChoice = [&](const QString&) { return bmpPath; };
    frame->OnCommand(cmd::SaveBmp);
    const QByteArray bmp = apptest::ReadBytes(bmpPath);
    ASSERT_EQ(bmp.size(), BmpFileSize(801, 500));
    for (int x = l.PL; x < l.PR; ++x) {
        EXPECT_EQ(BmpPixel(bmp, 801, 500, x, red), Rgb555(screen.pixel(x, red))) << x;
        EXPECT_EQ(BmpPixel(bmp, 801, 500, x, blue), Rgb555(screen.pixel(x, blue))) << x;
    }

    // So has the printed page, at the page's own rows.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(home.filePath(QStringLiteral("page.pdf")));
    ReportPrinter& report = frame->reportPrinter();
    report.PreparePage(printer);
    QImage page(report.pageWidth(), report.pageHeight(), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        ASSERT_TRUE(report.PrintPage(painter));
    }
    report.EndPrinting();
    const ChartLayout pl = ChartLayout::ForStore(QRect(0, 0, page.width(), page.height()), store);
    const int pageRed = LimitLineY(pl, store, 1, 12.5);
    ASSERT_GT(pageRed, 0);
    int redOnPage = 0;
    for (int x : DashPixels(pl))
        redOnPage += QColor(page.pixel(x, pageRed)) == QColor(255, 0, 0);
    // The curves cross the line here and there; most of its dashes show.
    EXPECT_GT(redOnPage, int(DashPixels(pl).size()) * 9 / 10);
}

TEST_F(AlarmLimitsWindowTest, RecordListColoursFollowTheLimits)
{
    Start(QString(), true);
    LoadLog(1, 14);  // channel 1: 10.0, 10.5, … 13.0, then again
    SaveLimits(SampleId, [] {
        LogLimits l;
        l.channel[0].low = 10.5;
        l.channel[0].high = 12.5;
        return l;
    }(), true);
    frame->LimitsChanged();
    frame->OnCommand(cmd::DataList);
    auto* list = qobject_cast<CDataListPane*>(frame->paneWindow(pane::DataListId));
    ASSERT_NE(list, nullptr);
    RecordTableModel* model = list->model();
    ASSERT_EQ(model->rowCount(), 14);
    const auto colour = [model](int row) { return model->data(model->index(row, 3), Qt::ForegroundRole); };
    EXPECT_EQ(colour(0), QVariant(QColor(0, 0, 255)));  // 10.0 < 10.5
    EXPECT_FALSE(colour(1).isValid());                  // 10.5: on the limit is within
    EXPECT_FALSE(colour(5).isValid());                  // 12.5
    EXPECT_EQ(colour(6), QVariant(QColor(255, 0, 0)));  // 13.0 > 12.5
    EXPECT_FALSE(model->data(model->index(6, 0), Qt::ForegroundRole).isValid()) << "only the values are coloured";

    // New limits recolour the rows shown without filling them again.
    EditLimits([](CAlarmLimitsDlg* d) {
        d->lowEdit(1)->clear();
        d->highEdit(1)->setText(QStringLiteral("11.2"));
        d->accept();
    });
    EXPECT_FALSE(colour(0).isValid());
    EXPECT_FALSE(colour(2).isValid());                  // 11.0
    EXPECT_EQ(colour(3), QVariant(QColor(255, 0, 0)));  // 11.5
}

TEST_F(AlarmLimitsWindowTest, SummaryFollowsZoomQueryAndLimits)
{
    Start(QString(), true);
    LoadLog(2, 300);
    frame->OnCommand(cmd::Summary);
    EXPECT_TRUE(OpenPanes().empty());
    EXPECT_TRUE(frame->IsPaneOpen(pane::SummaryId));
    EXPECT_EQ(frame->currentPane(), pane::Summary);
    ASSERT_NE(summary(), nullptr);
    EXPECT_EQ(Shown("Log", "Records"), QStringLiteral("300"));
    EXPECT_EQ(Shown("Log", "First record"), QStringLiteral("2011-03-08 14:05:30"));
    EXPECT_EQ(Shown("Log", "Interval"), QStringLiteral("00:01:00"));
    EXPECT_EQ(Shown("CH1 (C)", "MAX"), QStringLiteral("13.0"));
    EXPECT_EQ(Shown("CH1 (C)", "High limit"), QStringLiteral("not set"));
    EXPECT_EQ(Shown("CH1 (C)", "Excursions above"), QString());

    // A zoom: the pane shows the records kept.
    ZoomAcrossPlot(100, 300);
    const LogStore& store = app->data().store;
    ASSERT_LT(store.recordCount, 300u);
    EXPECT_TRUE(frame->IsPaneOpen(pane::SummaryId));
    EXPECT_EQ(Shown("Log", "Records"), QString::number(store.recordCount));
    EXPECT_EQ(Shown("Log", "First record"),
              CSummaryPane::StampText(QByteArray(store.timestamp(0), TimestampLength)));

    // Limits: the excursions appear.
    EditLimits([](CAlarmLimitsDlg* d) {
        d->highEdit(1)->setText(QStringLiteral("12.5"));
        d->accept();
    });
    EXPECT_EQ(Shown("CH1 (C)", "High limit"), QStringLiteral("12.5"));
    EXPECT_FALSE(Shown("CH1 (C)", "Excursions above").isEmpty());
    EXPECT_EQ(Shown("CH1 (C)", "Excursions above"),
              QString::number(summary()->summary().channel[0].excursionsAbove));

    // The whole log again.
    frame->OnCommand(cmd::OriginalView);
    EXPECT_EQ(Shown("Log", "Records"), QStringLiteral("300"));
}

TEST_F(AlarmLimitsWindowTest, SummaryFollowsTheDateQuery)
{
    Start(QString(), true);
    // 72 records six hours apart from 2011-03-08 14:05:30: 18 days.
    auto log = std::make_unique<LogStore>();
    fixtures::FillStore(*log, 1, 72, [](int, uint32_t i) { return float(i % 5); }, "ROOM", "0123456789",
                        "20110308140530", 6 * 3600);
    const QString name = QStringLiteral("ROOM_20110326_0805.logu");
    {
        QFile f(logPath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && WriteLogFile(f, *log));
    }
    app->data().store.currentLogName = name;
    app->data().store.currentLogPath = logPath(name);
    ASSERT_TRUE(app->doc().LoadCurrentLog());
    frame->OnCommand(cmd::Summary);
    EXPECT_EQ(Shown("Log", "Records"), QStringLiteral("72"));
    EXPECT_EQ(Shown("Log", "Duration"), QStringLiteral("17 d 18:00:00"));

    frame->OnCommand(cmd::Query);
    auto* query = qobject_cast<CDatePickerDlg*>(frame->paneWindow(pane::QueryId));
    ASSERT_NE(query, nullptr);
    emit query->queryRequested(20110310, 20110310);
    EXPECT_EQ(Shown("Log", "Records"), QStringLiteral("4"));
    EXPECT_EQ(Shown("Log", "First record"), QStringLiteral("2011-03-10 02:05:30"));
    EXPECT_EQ(Shown("Log", "Last record"), QStringLiteral("2011-03-10 20:05:30"));
    EXPECT_EQ(Shown("Log", "Interval"), QStringLiteral("06:00:00"));
}

// ---------------------------------------------------------------- connecting

// The simulated logger of these tests: two channels, thresholds 0 … 30 on
// channel 1 and 20 … 80 on channel 2.
const QByteArray LoggerId("LAB0000042");

class ConnectLimitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        apptest::ClearProfile();
        if (!apptest::PseudoTerminalAvailable())
            GTEST_SKIP() << "no pseudo-terminal here";
        ASSERT_TRUE(home.isValid());
        answerer = std::make_unique<apptest::ModalAnswerer>();
        QString why;
        ASSERT_TRUE(logger.Start(QString::fromLatin1(testpaths::simulator()),
                                 {QStringLiteral("--type"), QStringLiteral("1"), QStringLiteral("--id"),
                                  QString::fromLatin1(LoggerId), QStringLiteral("--until-stdin-closes")},
                                 &why))
            << why.toStdString();
        qputenv("TESSAVIEW_PORTS", logger.device().toLocal8Bit());
        app = std::make_unique<CLoggerApp>();
        CLoggerApp::Options o;
        o.home = home.path();
        ASSERT_TRUE(app->InitInstance(o, false));
        frame = app->frame();
    }

    void TearDown() override
    {
        app.reset();
        logger.Stop();
        answerer.reset();
        qunsetenv("TESSAVIEW_PORTS");
    }

    void Connect()
    {
        frame->action(cmd::Connect)->trigger();
        ASSERT_TRUE(WaitUntil([this] { return frame->link().connected(); }));
    }

    QTemporaryDir home;
    DemoLogger logger;
    std::unique_ptr<apptest::ModalAnswerer> answerer;
    std::unique_ptr<CLoggerApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(ConnectLimitsTest, ThresholdsBecomeTheLimitsOfANewLogger)
{
    Connect();
    bool userSet = true;
    const LogLimits l = LoadLimits(LoggerId, &userSet);
    EXPECT_FALSE(userSet);
    EXPECT_EQ(l.channel[0].low, 0.0);
    EXPECT_EQ(l.channel[0].high, 30.0);
    EXPECT_EQ(l.channel[1].low, 20.0);
    EXPECT_EQ(l.channel[1].high, 80.0);
    EXPECT_FALSE(l.channel[2].low || l.channel[2].high);
}

TEST_F(ConnectLimitsTest, ThresholdsReplaceEarlierThresholdsButNotTheUsersLimits)
{
    LogLimits earlier;
    earlier.channel[0].high = 5.0;
    SaveLimits(LoggerId, earlier, false);
    Connect();
    EXPECT_EQ(LoadLimits(LoggerId).channel[0].high, 30.0);
    frame->action(cmd::Disconnect)->trigger();
    ASSERT_TRUE(WaitUntil([this] { return !frame->link().pausing(); }));

    LogLimits chosen;
    chosen.channel[0].low = 2.0;
    chosen.channel[0].high = 8.0;
    SaveLimits(LoggerId, chosen, true);
    Connect();
    bool userSet = false;
    const LogLimits l = LoadLimits(LoggerId, &userSet);
    EXPECT_TRUE(userSet);
    EXPECT_EQ(l.channel[0].low, 2.0);
    EXPECT_EQ(l.channel[0].high, 8.0);
    EXPECT_FALSE(l.channel[1].low || l.channel[1].high);
}

TEST_F(ConnectLimitsTest, SummaryShownAgainAfterConnectingShowsTheEmptiedLog)
{
    frame->show();
    QCoreApplication::processEvents();
    const QString sample = home.path() + QStringLiteral("/Logfiles/ROOM_20110308_1435.logu");
    ASSERT_TRUE(apptest::WriteSampleLog(sample, 2, 40));
    ASSERT_TRUE(app->OpenDocumentFile(sample));
    frame->OnCommand(cmd::Summary);
    auto* summary = qobject_cast<CSummaryPane*>(frame->paneWindow(pane::SummaryId));
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->summary().recordCount, 40u);
    Connect();
    EXPECT_FALSE(frame->IsPaneOpen(pane::SummaryId));
    // Brought back by the window's own pane menu, not by a command.
    frame->paneDock(pane::SummaryId)->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(summary->summary().recordCount, 0u);
    ASSERT_EQ(summary->tree()->topLevelItemCount(), 1);
    EXPECT_EQ(summary->tree()->topLevelItem(0)->text(0), QStringLiteral("No records are shown."));
}

}  // namespace
