// The Logger commands of the main window against the simulated logger on a
// pseudo-terminal: connect, the setup pane's read, write and clock buttons
// with the grid's edits, download, erase, a pulled cable, and a logger that
// never answers. Every modal window is answered as a user would.
#include "AppTestEnv.h"
#include "ModalAnswerer.h"

#include "app/CCommProgressDlg.h"
#include "app/CLoggerView.h"
#include "app/Commands.h"
#include "app/DemoLogger.h"
#include "link/LinkSession.h"
#include "panes/CFileListPane.h"
#include "panes/CPropertiesPane.h"
#include "panes/PropertyGrid.h"
#include "support/FakeLink.h"
#include "support/GridEditing.h"
#include "support/GuiTestSupport.h"
#include "support/TestPaths.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QDockWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>
#include <cstring>

namespace {

using apptest::PseudoTerminalAvailable;
using apptest::SeenWindow;
using guitest::WaitUntil;
using P = CPropertiesPane;

const QString UnpluggedText = QStringLiteral("The USB cable was unplugged and the connection was broken.");
const QString TimeoutText = QStringLiteral("Time out, please try again.");
const QString WriteQuestion = QStringLiteral("Are you sure to set new configuration to the logger?");
const QString EraseQuestion = QStringLiteral("Are you sure to delete all the logs?");

// The logger named in the tests: two channels, 300 records ten minutes apart.
QStringList LoggerArguments()
{
    return {QStringLiteral("--type"),    QStringLiteral("1"),          QStringLiteral("--name"),
            QStringLiteral("LAB FRIDGE"), QStringLiteral("--id"),       QStringLiteral("LAB0000042"),
            QStringLiteral("--records"), QStringLiteral("300"),        QStringLiteral("--interval"),
            QStringLiteral("600"),       QStringLiteral("--verbose"),  QStringLiteral("--until-stdin-closes")};
}

class LoggerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        apptest::ClearProfile();
        if (!PseudoTerminalAvailable())
            GTEST_SKIP() << "no pseudo-terminal here";
        ASSERT_TRUE(home.isValid());
        answerer = std::make_unique<apptest::ModalAnswerer>();
    }

    void TearDown() override
    {
        // The port closes before the logger goes, as at the program's exit.
        app.reset();
        logger.Stop();
        answerer.reset();
        qunsetenv("TESSAVIEW_PORTS");
        qunsetenv("TESSAVIEW_LINK_TIMER_SCALE");
    }

    void StartLogger(const QStringList& faults = {})
    {
        QString why;
        ASSERT_TRUE(logger.Start(QString::fromLatin1(testpaths::simulator()), LoggerArguments() + faults, &why))
            << why.toStdString();
        qputenv("TESSAVIEW_PORTS", logger.device().toLocal8Bit());
    }

    void StartProgram(bool show = false)
    {
        // The link's time-outs and pauses at half their length, unless the
        // test needs them as a logger sees them; the link's own end-to-end
        // tests cover the real periods.
        if (realPeriods)
            qunsetenv("TESSAVIEW_LINK_TIMER_SCALE");
        else
            qputenv("TESSAVIEW_LINK_TIMER_SCALE", "0.5");
        app = std::make_unique<CLoggerApp>(&dialogs);
        CLoggerApp::Options o;
        o.home = home.path();
        if (show)
            o.size = QSize(1200, 800);
        ASSERT_TRUE(app->InitInstance(o, show));
        frame = app->frame();
        ASSERT_NE(frame, nullptr);
    }

    // Disconnect, and the second the port is given before the link is free again.
    void Disconnect()
    {
        frame->action(cmd::Disconnect)->trigger();
        ASSERT_TRUE(WaitUntil([this] { return !frame->link().pausing(); })) << Texts();
    }

    void Connect()
    {
        frame->action(cmd::Connect)->trigger();
        ASSERT_TRUE(WaitUntil([this] { return frame->link().connected(); })) << Texts();
        // Where the system has serial ports of its own, the user was asked to
        // choose (and took the first, the simulator); nothing else was shown.
        for (const SeenWindow& s : answerer->seen())
            EXPECT_EQ(s.kind, SeenWindow::PortChoice) << s.text.toStdString();
        answerer->Clear();
    }

    // How many requests with this letter the logger has taken.
    int Requests(char letter)
    {
        const QByteArray said = logger.standardError();
        return int(said.count(QByteArray("request '") + letter + '\''));
    }

    bool WaitForRequests(char letter, int count)
    {
        return WaitUntil([&] { return Requests(letter) >= count; }) && Requests(letter) == count;
    }

    CPropertiesPane& setup() { return *frame->setupPane(); }
    PropertyGrid& grid() { return *setup().grid(); }
    LoggerConfig& config() { return app->data().config; }
    bool Enabled(int id) const { return frame->action(id)->isEnabled(); }
    bool ProgressShown() const { return frame->progressWindow()->isVisible(); }
    std::string Texts() const { return answerer->texts().join(QStringLiteral(" | ")).toStdString(); }

    std::vector<int> OpenPanes() const { return apptest::OpenPanes(*frame); }

    void ReadSetup()
    {
        const QString before = grid().value(P::NameItem);
        const int asked = Requests('S');
        grid().setValue(P::NameItem, QString());
        setup().readButton()->click();
        ASSERT_TRUE(WaitUntil([&] { return !grid().value(P::NameItem).isEmpty(); }))
            << "was " << before.toStdString() << "; " << Texts();
        EXPECT_EQ(Requests('S'), asked + 1);
    }

    void Commit(int id, const QString& text)
    {
        guitest::CommitGridItem(grid(), id, text);
        // The change reaches the pane from the event loop.
        QCoreApplication::processEvents();
    }

    QTemporaryDir home;
    DemoLogger logger;
    std::unique_ptr<apptest::ModalAnswerer> answerer;
    // The real dialogs, which the answerer answers; only the file choice is the test's.
    apptest::ChosenFileDialogs dialogs;
    std::unique_ptr<CLoggerApp> app;
    CMainFrame* frame = nullptr;
    bool realPeriods = false;
};

TEST_F(LoggerCommandsTest, ConnectBringsTheSetupPaneAndEmptiesTheShownLog)
{
    StartLogger();
    StartProgram();
    const QString sample = home.path() + QStringLiteral("/Logfiles/ROOM_20110308_1435.logu");
    ASSERT_TRUE(apptest::WriteSampleLog(sample, 2, 40));
    ASSERT_TRUE(app->OpenDocumentFile(sample));
    ASSERT_TRUE(Enabled(cmd::DataList));

    Connect();
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::SetupId});
    EXPECT_EQ(frame->currentPane(), pane::Setup);
    EXPECT_EQ(frame->paneText(2), QStringLiteral("Connected"));
    EXPECT_EQ(app->data().store.recordCount, 0u) << "the log shown so far counts as empty";
    EXPECT_FALSE(ProgressShown());
    EXPECT_TRUE(answerer->texts().isEmpty()) << Texts();
    for (QToolButton* b : {setup().readButton(), setup().writeButton(), setup().clockButton()})
        EXPECT_TRUE(b->isEnabled()) << b->toolTip().toStdString();
    // The setup is not read on its own: the grid still shows nothing.
    EXPECT_EQ(grid().value(P::NameItem), QString());

    EXPECT_FALSE(Enabled(cmd::Connect));
    for (int id : {cmd::Disconnect, cmd::Setup, cmd::Download, cmd::DeleteAll})
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : {cmd::DataList, cmd::Query, cmd::OriginalView, cmd::SaveExcel, cmd::SaveTxt, cmd::SaveBmp})
        EXPECT_FALSE(Enabled(id)) << id;

    Disconnect();
    EXPECT_FALSE(frame->link().connected());
    EXPECT_EQ(frame->paneText(2), QStringLiteral("Disconnect"));
    EXPECT_TRUE(Enabled(cmd::Connect));
    for (int id : {cmd::Disconnect, cmd::Setup, cmd::Download, cmd::DeleteAll})
        EXPECT_FALSE(Enabled(id)) << id;
    for (QToolButton* b : {setup().readButton(), setup().writeButton(), setup().clockButton()})
        EXPECT_FALSE(b->isEnabled()) << b->toolTip().toStdString();
    EXPECT_TRUE(answerer->texts().isEmpty()) << Texts();
}

TEST_F(LoggerCommandsTest, SeveralDevicesAskWhichOne)
{
    StartLogger();
    const QString missing = home.path() + QStringLiteral("/no-such-device");
    qputenv("TESSAVIEW_PORTS", (missing + QLatin1Char(':') + logger.device()).toLocal8Bit());
    StartProgram();
    // The two named devices are the candidates; the machine's built-in port
    // is not offered beside them.
    const QStringList devices = frame->portDirectory().Devices();
    ASSERT_EQ(devices, (QStringList{missing, logger.device()}));

    // Cancel ends the command; the list started on the first device.
    answerer->decide = [](const SeenWindow& s) { return s.kind != SeenWindow::PortChoice; };
    frame->action(cmd::Connect)->trigger();
    ASSERT_EQ(answerer->seen().size(), 1u);
    EXPECT_EQ(answerer->seen().front().kind, SeenWindow::PortChoice);
    EXPECT_EQ(answerer->seen().front().title, QStringLiteral("Select a port manually"));
    EXPECT_EQ(answerer->seen().front().text, QStringLiteral("1: %1").arg(missing));
    EXPECT_FALSE(frame->link().connected());
    EXPECT_FALSE(ProgressShown());

    // A device that cannot be opened.
    answerer->decide = nullptr;
    answerer->Clear();
    frame->action(cmd::Connect)->trigger();
    EXPECT_EQ(answerer->texts(), QStringList{QStringLiteral("Failed to connect to the logger..")});
    EXPECT_FALSE(frame->link().connected());
    EXPECT_FALSE(ProgressShown());

    // The logger.
    answerer->portIndex = 1;
    answerer->Clear();
    frame->action(cmd::Connect)->trigger();
    ASSERT_TRUE(WaitUntil([this] { return frame->link().connected(); })) << Texts();
    EXPECT_EQ(frame->link().portNumber(), 2);
    EXPECT_TRUE(answerer->texts().isEmpty()) << Texts();
}

TEST_F(LoggerCommandsTest, LoggerCommandsWaitWhileDisconnecting)
{
    StartLogger();
    StartProgram();
    Connect();
    // The Disconnect returns at once; its pause runs on in the event loop.
    frame->action(cmd::Disconnect)->trigger();
    ASSERT_TRUE(frame->link().pausing());
    EXPECT_TRUE(frame->link().connected()) << "still in the Disconnect";
    for (int id : {cmd::Connect, cmd::Disconnect, cmd::Setup, cmd::Download, cmd::DeleteAll})
        EXPECT_FALSE(Enabled(id)) << id;
    // A click that got through anyway starts nothing, now or once the event
    // loop turns.
    frame->OnCommand(cmd::Download);
    setup().readButton()->click();
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);
    EXPECT_FALSE(ProgressShown());
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->link().pausing());
    EXPECT_FALSE(ProgressShown());
    ASSERT_TRUE(WaitUntil([this] { return !frame->link().pausing(); }));
    EXPECT_FALSE(frame->link().connected());
    EXPECT_TRUE(answerer->texts().isEmpty()) << Texts();
    EXPECT_TRUE(QDir(home.path() + QStringLiteral("/Logfiles")).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(Requests('W'), 0);
    EXPECT_EQ(Requests('S'), 0);
    EXPECT_TRUE(Enabled(cmd::Connect));
}

TEST_F(LoggerCommandsTest, ReadSetupFillsTheGrid)
{
    StartLogger();
    StartProgram();
    Connect();
    ReadSetup();
    const struct {
        int id;
        const char* shown;
    } items[] = {
        {P::NameItem, "LAB FRIDGE"},
        {P::TypeItem, "Temperature and Humidity Logger"},
        {P::ModelItem, "SIM-01"},
        {P::SerialItem, "LAB0000042"},
        {P::IntervalItem, "600"},
        {P::LogCountItem, "300"},
        {P::CapacityItem, "43690"},  // records of 6 bytes in 262144 bytes
        {P::UnitItem, "C"},
        {P::StartModeItem, "No delay"},
        {P::DelayItem, "0"},
        {P::Offset1Item, "0.0"},
    };
    for (const auto& item : items)
        EXPECT_EQ(grid().value(item.id), QString::fromLatin1(item.shown)) << item.id;
    EXPECT_FALSE(ProgressShown());
    EXPECT_TRUE(answerer->texts().isEmpty()) << Texts();
}

TEST_F(LoggerCommandsTest, ReconnectShowsNothingOfTheSetupReadBeforeAndWritesNothingUntilRead)
{
    StartLogger();
    StartProgram();
    Connect();
    ReadSetup();
    ASSERT_EQ(grid().value(P::IntervalItem), QStringLiteral("600"));

    Disconnect();
    for (int id : grid().itemIds())
        EXPECT_EQ(grid().value(id), id == P::IntervalItem ? "0" : "") << "after Disconnect: " << id;
    Connect();
    for (int id : grid().itemIds())
        EXPECT_EQ(grid().value(id), id == P::IntervalItem ? "0" : "") << "after Connect: " << id;

    // Write before a read of this connection: the message, no question, nothing sent.
    setup().writeButton()->click();
    ASSERT_TRUE(answerer->WaitForText(QStringLiteral("Please read the setup from the logger first."))) << Texts();
    EXPECT_FALSE(answerer->Saw(WriteQuestion)) << Texts();
    EXPECT_EQ(Requests('U'), 0);
}

TEST_F(LoggerCommandsTest, GridEditsAreWrittenAndReadBack)
{
    StartLogger();
    StartProgram(true);
    Connect();
    ReadSetup();

    Commit(P::NameItem, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_STREQ(config().loggerName, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(grid().value(P::NameItem), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    Commit(P::UnitItem, QStringLiteral("F"));
    EXPECT_EQ(config().celsius, 0);
    Commit(P::UnitItem, QStringLiteral("C"));
    EXPECT_EQ(config().celsius, 1);
    Commit(P::UnitItem, QStringLiteral("F"));
    // A threshold that does not fit the logger's byte is refused, not wrapped.
    const int8_t high1 = config().alarmHigh1;
    answerer->Clear();
    Commit(P::Ch1HighItem, QStringLiteral("300"));
    ASSERT_TRUE(answerer->WaitForText(
        QStringLiteral("Ch1 High must be a whole number from -128 to 127; \"300\" was not taken.")))
        << Texts();
    EXPECT_EQ(config().alarmHigh1, high1);
    EXPECT_EQ(grid().value(P::Ch1HighItem), QString::number(high1));
    Commit(P::Ch1HighItem, QStringLiteral("44"));
    EXPECT_EQ(config().alarmHigh1, 44);
    answerer->Clear();
    Commit(P::Offset1Item, QStringLiteral("-1.25"));
    EXPECT_FLOAT_EQ(config().channelOffset[0], -1.25f);

    // Interval 1 is refused after the question, and nothing is sent.
    Commit(P::IntervalItem, QStringLiteral("1"));
    setup().writeButton()->click();
    ASSERT_TRUE(answerer->WaitForText(QStringLiteral("The configuration is invalid. Please check it."))) << Texts();
    EXPECT_EQ(answerer->texts().first(), WriteQuestion);
    // Cancel on the question ends the command as well.
    answerer->Clear();
    answerer->decide = [](const SeenWindow& s) { return s.text != WriteQuestion; };
    setup().writeButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return answerer->Saw(WriteQuestion); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(answerer->texts(), QStringList{WriteQuestion});
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(Requests('U'), 0);
    answerer->decide = nullptr;

    // A serial number of 9 characters: the message, and the identity kept.
    answerer->Clear();
    Commit(P::SerialItem, QStringLiteral("123456789"));
    ASSERT_TRUE(answerer->WaitForText(
        QStringLiteral("Failed to synchronize configuration to the logger: The SN must includes 10 characters.")))
        << Texts();
    EXPECT_EQ(answerer->seen().back().title, QStringLiteral("VORNA Logger"));
    EXPECT_EQ(std::memcmp(config().loggerId, "LAB0000042", 10), 0);
    EXPECT_EQ(grid().value(P::SerialItem), QStringLiteral("LAB0000042"));

    Commit(P::IntervalItem, QStringLiteral("2"));
    answerer->Clear();
    setup().writeButton()->click();
    ASSERT_TRUE(answerer->WaitForText(QStringLiteral("Successfully to set new configuration to the logger.")))
        << Texts();
    EXPECT_EQ(Requests('U'), 1);
    EXPECT_FALSE(ProgressShown());

    // The logger reports the new setup and its own serial number.
    ReadSetup();
    EXPECT_EQ(grid().value(P::NameItem), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(grid().value(P::UnitItem), QStringLiteral("F"));
    EXPECT_EQ(grid().value(P::IntervalItem), QStringLiteral("2"));
    EXPECT_EQ(grid().value(P::Ch1HighItem), QStringLiteral("44"));
    EXPECT_EQ(grid().value(P::Offset1Item), QStringLiteral("-1.2"));
    EXPECT_EQ(grid().value(P::SerialItem), QStringLiteral("LAB0000042"));

    // The pane's children follow its size in the dock.
    QDockWidget* dock = frame->paneDock(pane::SetupId);
    for (int width : {180, 300}) {
        frame->resizeDocks({dock}, {width}, Qt::Horizontal);
        ASSERT_TRUE(WaitUntil([&] { return std::abs(setup().width() - width) < 40; })) << setup().width();
        const int w = setup().width();
        const int h = setup().height();
        EXPECT_EQ(setup().readButton()->geometry(), QRect(w / 9, 5, 29, 29));
        EXPECT_EQ(setup().writeButton()->geometry(), QRect(3 * (w / 9), 5, 29, 29));
        EXPECT_EQ(setup().clockButton()->geometry(), QRect(7 * (w / 9), 5, 29, 29));
        EXPECT_EQ(grid().geometry(), P::LayoutFor(w, h).grid);
        EXPECT_EQ(grid().descriptionHeight(), std::max(10, int(h * 0.2)));
    }
}

TEST_F(LoggerCommandsTest, SetClockAnswersWithItsMessage)
{
    StartLogger();
    StartProgram();
    Connect();
    setup().clockButton()->click();
    ASSERT_TRUE(answerer->WaitForText(QStringLiteral("Successfully set the logger time."))) << Texts();
    EXPECT_EQ(Requests('['), 1);
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);
}

TEST_F(LoggerCommandsTest, DownloadSavesListsAndDrawsTheLog)
{
    StartLogger();
    StartProgram(true);
    Connect();
    const int drawnBefore = frame->view()->chartDrawCount();

    // While the stream comes in, Setup waits and Download stays enabled.
    bool looked = false;
    answerer->whileProgress = [&] {
        if (frame->link().activeCommand() != LinkSession::Downloading)
            return;
        EXPECT_FALSE(Enabled(cmd::Setup));
        EXPECT_TRUE(Enabled(cmd::Download));
        looked = true;
    };
    frame->action(cmd::Download)->trigger();
    // The command returns once the user has closed its dialog.
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    const SeenWindow& dialog = answerer->seen().front();
    EXPECT_EQ(dialog.kind, SeenWindow::Progress);
    EXPECT_EQ(dialog.title, QStringLiteral("Tessaview U Messages"));
    EXPECT_EQ(dialog.text, QStringLiteral("Successfully downloaded all the logs from the logger."));
    ASSERT_GE(dialog.texts.size(), 3) << dialog.texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(dialog.texts.first(), QStringLiteral("Begin to download logs from the logger. Please wait..."));
    // 8 packets of up to 40 records of 8 bytes, 26 bytes around each.
    EXPECT_TRUE(dialog.texts.contains(QStringLiteral("Downloading data from the logger:   2608 bytes")))
        << dialog.texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(looked);

    const LogStore& store = app->data().store;
    EXPECT_EQ(store.recordCount, 300u);
    EXPECT_EQ(store.channelCount, 2u);
    EXPECT_STREQ(store.loggerName, "LAB FRIDGE");
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);

    const QStringList saved = QDir(home.path() + QStringLiteral("/Logfiles"))
                                  .entryList({QStringLiteral("*.logu")}, QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved.first().startsWith(QStringLiteral("LAB FRIDGE_"))) << saved.first().toStdString();
    EXPECT_EQ(store.currentLogName, saved.first());
    auto reread = std::make_unique<LogStore>();
    ASSERT_TRUE(ReadLogFile(home.path() + QStringLiteral("/Logfiles/") + saved.first(), *reread).ok());
    EXPECT_EQ(reread->recordCount, 300u);

    // The file list is in front with the new log in it; the chart is drawn.
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
    auto* list = qobject_cast<CFileListPane*>(frame->paneWindow(pane::FileListId));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->tree()->findItems(saved.first(), Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    EXPECT_GT(frame->view()->chartDrawCount(), drawnBefore);
    EXPECT_TRUE(frame->windowTitle().startsWith(saved.first())) << frame->windowTitle().toStdString();

    for (int id : {cmd::DataList, cmd::Query, cmd::SaveTxt, cmd::Setup, cmd::Download})
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(LoggerCommandsTest, FailedSaveKeepsTheDownloadOpenUntilSavedOrDiscarded)
{
    StartLogger();
    StartProgram(true);
    // A log opened before, whose file must never come back in the download's place.
    const QString previous = home.path() + QStringLiteral("/Logfiles/OLD_20110308_1500.logu");
    ASSERT_TRUE(apptest::WriteSampleLog(previous, 1, 7, "OLD"));
    ASSERT_TRUE(app->OpenDocumentFile(previous));
    // A file where the Logfiles folder should be: the download cannot be saved.
    ASSERT_TRUE(QFile::rename(home.path() + QStringLiteral("/Logfiles"), home.path() + QStringLiteral("/kept")));
    ASSERT_TRUE(apptest::WriteBytes(home.path() + QStringLiteral("/Logfiles"), "not a folder"));
    Connect();

    frame->action(cmd::Download)->trigger();
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    EXPECT_TRUE(answerer->seen().front().text.contains(QStringLiteral("But the data cannot be saved into"))) << Texts();
    LogStore& store = app->data().store;
    ASSERT_EQ(store.recordCount, 300u);
    const QString name = store.currentLogName;
    EXPECT_TRUE(name.startsWith(QStringLiteral("LAB FRIDGE_"))) << name.toStdString();
    const QString title = name + QStringLiteral(" (not saved) - Tessaview U");
    EXPECT_EQ(frame->windowTitle(), title);

    auto expectWholeDownload = [&](const char* after) {
        EXPECT_EQ(store.recordCount, 300u) << after;
        EXPECT_STREQ(store.loggerName, "LAB FRIDGE") << after;
        EXPECT_EQ(frame->windowTitle(), title) << after;
    };
    // Original View(100%) after a zoom.
    store.NarrowRecords(10, 20);
    frame->action(cmd::OriginalView)->trigger();
    expectWholeDownload("Original View");
    // A right click in the plot after a zoom.
    store.NarrowRecords(10, 20);
    frame->view()->RedrawChartNow();
    QCoreApplication::processEvents();
    const PlotRect plot = frame->view()->plotRect();
    ASSERT_FALSE(plot.isNull());
    QTest::mouseClick(frame->view(), Qt::RightButton, {}, QPoint((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2));
    expectWholeDownload("right click");
    // A date query starts from the whole download too.
    frame->ShowOnlyPane(pane::Query);
    auto* query = frame->paneWindow(pane::QueryId);
    ASSERT_NE(query, nullptr);
    const int32_t firstDay = std::atoi(std::string(store.timestamp(0), 8).c_str());
    QMetaObject::invokeMethod(query, "queryRequested", Q_ARG(int32_t, firstDay), Q_ARG(int32_t, firstDay));
    EXPECT_GT(store.recordCount, 0u);
    EXPECT_LT(store.recordCount, 300u);
    EXPECT_STREQ(store.loggerName, "LAB FRIDGE") << "the query narrowed the download, not the previous log";

    // Closing asks; Save with the file choice cancelled stays open and unsaved.
    answerer->Clear();
    QString saveChoice;
    dialogs.choose = [&saveChoice](bool save) { return save ? saveChoice : QString(); };
    frame->close();
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    EXPECT_EQ(answerer->seen().front().text,
              QStringLiteral("The downloaded log %1 has not been saved. Do you want to save it first?").arg(name));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(store.unsaved());
    // Opening another log asks the same, and staying keeps the download.
    answerer->Clear();
    EXPECT_FALSE(app->OpenDocumentFile(previous));
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    EXPECT_TRUE(answerer->seen().front().text.startsWith(QStringLiteral("The downloaded log "))) << Texts();
    EXPECT_TRUE(store.unsaved());
    EXPECT_STREQ(store.loggerName, "LAB FRIDGE");
    // So do a second download and a new connection, which would replace it;
    // staying keeps the download and starts neither.
    const uint32_t shown = store.recordCount;
    for (int command : {cmd::Download, cmd::Disconnect, cmd::Connect}) {
        answerer->Clear();
        ASSERT_TRUE(Enabled(command)) << command;
        frame->action(command)->trigger();
        if (command == cmd::Disconnect) {
            ASSERT_TRUE(WaitUntil([this] { return !frame->link().pausing(); }));
            EXPECT_FALSE(frame->link().connected());
            continue;
        }
        ASSERT_EQ(answerer->seen().size(), 1u) << command << Texts();
        EXPECT_TRUE(answerer->seen().front().text.startsWith(QStringLiteral("The downloaded log "))) << Texts();
        EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);
        EXPECT_TRUE(store.unsaved());
        EXPECT_EQ(store.recordCount, shown);
        EXPECT_STREQ(store.loggerName, "LAB FRIDGE");
    }
    EXPECT_FALSE(frame->link().connected());

    // Save As saves the whole download, however narrowed the store is.
    saveChoice = home.path() + QStringLiteral("/kept/saved.logu");
    frame->action(cmd::SaveAs)->trigger();
    auto reread = std::make_unique<LogStore>();
    ASSERT_TRUE(ReadLogFile(saveChoice, *reread).ok());
    EXPECT_EQ(reread->recordCount, 300u);
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("saved.logu - Tessaview U"));
    answerer->Clear();
    frame->close();
    EXPECT_TRUE(answerer->seen().empty()) << Texts();
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(LoggerCommandsTest, EraseAsksFirstAndEmptiesTheLogger)
{
    StartLogger();
    StartProgram();
    Connect();

    answerer->decide = [](const SeenWindow&) { return false; };
    frame->action(cmd::DeleteAll)->trigger();
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    EXPECT_EQ(answerer->seen().front().kind, SeenWindow::Box);
    EXPECT_EQ(answerer->seen().front().title, QStringLiteral("Confirm"));
    EXPECT_EQ(answerer->seen().front().text, EraseQuestion);
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);

    answerer->decide = nullptr;
    answerer->Clear();
    frame->action(cmd::DeleteAll)->trigger();
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::Erasing);
    EXPECT_FALSE(ProgressShown()) << "the erase shows no progress window";
    ASSERT_TRUE(answerer->WaitForText(QStringLiteral("Successfully to delete all the logs from the logger.")))
        << Texts();
    EXPECT_EQ(Requests('Y'), 1);
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);

    // Nothing is left: the stream never starts, and no file is saved (an
    // empty log named after the computer's clock could replace a real one).
    answerer->Clear();
    const QDir logs(home.path() + QStringLiteral("/Logfiles"));
    const QStringList before = logs.entryList(QDir::Files);
    frame->action(cmd::Download)->trigger();
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    EXPECT_EQ(answerer->seen().front().text, QStringLiteral("No logs were found in the logger."));
    EXPECT_EQ(app->data().store.recordCount, 0u);
    EXPECT_EQ(logs.entryList(QDir::Files), before);
}

TEST_F(LoggerCommandsTest, PulledCableEndsTheConnection)
{
    StartLogger({QStringLiteral("--fault"), QStringLiteral("hangup-after-identify")});
    StartProgram();
    frame->action(cmd::Connect)->trigger();
    ASSERT_TRUE(answerer->WaitForText(UnpluggedText)) << Texts();
    EXPECT_EQ(answerer->texts(), QStringList{UnpluggedText});
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::SetupId}) << "it was connected";
    EXPECT_FALSE(frame->link().connected());
    EXPECT_EQ(frame->paneText(2), QStringLiteral("Disconnect"));
    EXPECT_TRUE(Enabled(cmd::Connect));
    EXPECT_FALSE(Enabled(cmd::Download));
    EXPECT_FALSE(setup().readButton()->isEnabled());
}

// The cable is pulled while the stream comes in: the window keeps and saves
// what arrived, says the download was cut short, and is no longer connected.
TEST_F(LoggerCommandsTest, PulledCableDuringADownloadKeepsWhatArrived)
{
    // The stream's 400 ms gaps must stay well inside the real 2000 ms of quiet
    // that end a download.
    realPeriods = true;
    StartLogger({QStringLiteral("--packet-gap"), QStringLiteral("400")});
    StartProgram();
    Connect();
    bool pulled = false;
    answerer->whileProgress = [&] {
        if (!pulled && frame->link().downloadLength() > 0) {
            pulled = true;
            logger.Stop();
        }
    };
    frame->action(cmd::Download)->trigger();
    ASSERT_TRUE(pulled);
    ASSERT_EQ(answerer->seen().size(), 1u) << Texts();
    const QString result = answerer->seen().front().text;
    EXPECT_TRUE(result.startsWith(QStringLiteral("Only part of the logs could be downloaded from the logger.")))
        << result.toStdString();
    EXPECT_TRUE(result.contains(UnpluggedText)) << result.toStdString();
    EXPECT_FALSE(result.contains(QStringLiteral("Successfully"))) << result.toStdString();

    const LogStore& store = app->data().store;
    EXPECT_GT(store.recordCount, 0u);
    EXPECT_LT(store.recordCount, 300u);
    const QStringList saved = QDir(home.path() + QStringLiteral("/Logfiles"))
                                  .entryList({QStringLiteral("*.logu")}, QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    auto reread = std::make_unique<LogStore>();
    ASSERT_TRUE(ReadLogFile(home.path() + QStringLiteral("/Logfiles/") + saved.first(), *reread).ok());
    EXPECT_EQ(reread->recordCount, store.recordCount);

    EXPECT_FALSE(frame->link().connected());
    EXPECT_EQ(frame->link().activeCommand(), LinkSession::NoCommand);
    // Connect waits for the second the port is given after the link ended;
    // the commands follow the pause's end without being told.
    ASSERT_TRUE(WaitUntil([this] { return !frame->link().pausing(); }));
    EXPECT_TRUE(Enabled(cmd::Connect));
    EXPECT_FALSE(Enabled(cmd::Download));
    EXPECT_FALSE(Enabled(cmd::DeleteAll));
}

// The time-outs, driven by hand: the frame's link runs on fake timers here.
class SilentLoggerTest : public LoggerCommandsTest {
protected:
    void StartSilent(const char* letters)
    {
        StartLogger({QStringLiteral("--fault"), QStringLiteral("never-answer"), QStringLiteral("--fault-on"),
                     QString::fromLatin1(letters)});
        StartProgram();
        timers.onExpiry = [this](int id) { frame->link().OnLinkTimer(id); };
        frame->UseLinkTimers(&timers);
    }

    // Fires a repeat timer ten times, each time once the logger has taken the
    // request before (a write purges what the line has not sent yet, as the
    // 2000 ms between repeats would allow); the request has then gone out 11 times.
    void RunOutTheRepeats(int id, char letter)
    {
        ASSERT_TRUE(WaitForRequests(letter, 1));
        for (int i = 0; i < LinkSession::Repeats; ++i) {
            ASSERT_TRUE(timers.Fire(id)) << i;
            ASSERT_TRUE(WaitForRequests(letter, i + 2)) << i << ": " << Requests(letter);
        }
        EXPECT_TRUE(answerer->texts().isEmpty()) << Texts();
        EXPECT_TRUE(ProgressShown());
    }

    fakelink::FakeTimers timers;
};

TEST_F(SilentLoggerTest, ConnectGivesUpAfterElevenIdentifyRequests)
{
    StartSilent("Q");
    frame->action(cmd::Connect)->trigger();
    EXPECT_EQ(timers.Period(LinkSession::IdentifyTimer), 2000);
    EXPECT_EQ(frame->progressWindow()->text(),
              QStringLiteral("Connecting to the logger, and the USB port is 1. Please wait..."));
    RunOutTheRepeats(LinkSession::IdentifyTimer, 'Q');
    ASSERT_TRUE(timers.Fire(LinkSession::IdentifyTimer));
    EXPECT_EQ(answerer->texts(), QStringList{QStringLiteral("Connecting failed. Try it again.")});
    EXPECT_FALSE(timers.IsRunning(LinkSession::IdentifyTimer));
    EXPECT_FALSE(ProgressShown());
    EXPECT_FALSE(frame->link().connected());
    EXPECT_TRUE(Enabled(cmd::Connect));
}

// The commands follow the link's state the moment it changes: here the pause
// after a Disconnect ends on its (fake) timer, and nothing else runs between
// that expiry and the look at the commands.
TEST_F(SilentLoggerTest, CommandsFollowThePauseEndingOnItsTimer)
{
    StartSilent("S");
    Connect();
    frame->action(cmd::Disconnect)->trigger();
    ASSERT_TRUE(frame->link().pausing());
    EXPECT_EQ(timers.Period(LinkSession::DisconnectPauseTimer), LinkSession::DisconnectPauseMs);
    for (int id : {cmd::Connect, cmd::Disconnect, cmd::Setup, cmd::Download, cmd::DeleteAll})
        EXPECT_FALSE(Enabled(id)) << id;

    ASSERT_TRUE(timers.Fire(LinkSession::DisconnectPauseTimer));
    EXPECT_FALSE(frame->link().pausing());
    EXPECT_TRUE(Enabled(cmd::Connect));
    for (int id : {cmd::Disconnect, cmd::Setup, cmd::Download, cmd::DeleteAll})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(frame->paneText(2), QStringLiteral("Disconnect"));
    EXPECT_FALSE(setup().readButton()->isEnabled());
}

TEST_F(SilentLoggerTest, ExchangesTimeOutWithTheirMessages)
{
    StartSilent("S[Y");
    Connect();

    // Read setup: eleven requests, then the time-out, and the window goes.
    setup().readButton()->click();
    EXPECT_EQ(timers.Period(LinkSession::ReadSetupTimer), 2000);
    EXPECT_EQ(frame->progressWindow()->text(),
              QStringLiteral("Begin to read configuration from the logger. Please wait..."));
    RunOutTheRepeats(LinkSession::ReadSetupTimer, 'S');
    ASSERT_TRUE(timers.Fire(LinkSession::ReadSetupTimer));
    EXPECT_EQ(answerer->texts(), QStringList{TimeoutText});
    EXPECT_FALSE(ProgressShown());

    // Set clock: one request, no repeat; the exchange is over, so its window
    // does not stay up over the time-out message.
    answerer->Clear();
    setup().clockButton()->click();
    EXPECT_EQ(timers.Period(LinkSession::SetClockTimer), 2000);
    ASSERT_TRUE(timers.Fire(LinkSession::SetClockTimer));
    EXPECT_EQ(answerer->texts(), QStringList{QStringLiteral("Failed to set time to ther logger: time out.")});
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(frame->progressWindow()->text(), QStringLiteral("Begin to set the logger time..."));
    EXPECT_TRUE(WaitForRequests('[', 1));

    // Erase: Download and Setup wait for an answer that never comes, also
    // after the time-out, until another command.
    answerer->Clear();
    frame->action(cmd::DeleteAll)->trigger();
    EXPECT_EQ(timers.Period(LinkSession::EraseTimer), 5000);
    EXPECT_FALSE(Enabled(cmd::Download));
    EXPECT_FALSE(Enabled(cmd::Setup));
    EXPECT_TRUE(Enabled(cmd::DeleteAll));
    EXPECT_TRUE(Enabled(cmd::Disconnect));
    ASSERT_TRUE(timers.Fire(LinkSession::EraseTimer));
    EXPECT_EQ(answerer->texts(), (QStringList{EraseQuestion, TimeoutText}));
    EXPECT_TRUE(WaitForRequests('Y', 1));
    EXPECT_FALSE(Enabled(cmd::Download));
    setup().readButton()->click();
    EXPECT_TRUE(Enabled(cmd::Download));
    EXPECT_TRUE(Enabled(cmd::Setup));
}

TEST_F(LoggerCommandsTest, PortNumberComesFromLoggerIniAndGoesBack)
{
    const QString ini = home.path() + QStringLiteral("/Logger.ini");
    ASSERT_TRUE(apptest::WriteBytes(ini, QByteArray::fromHex("05802502")));
    StartLogger();
    StartProgram();
    EXPECT_EQ(frame->link().portNumber(), 5);
    Connect();
    EXPECT_EQ(frame->link().portNumber(), 1) << "the simulator is listed first";
    app.reset();
    EXPECT_EQ(apptest::ReadBytes(ini), QByteArray::fromHex("01802502"));
}

}  // namespace
