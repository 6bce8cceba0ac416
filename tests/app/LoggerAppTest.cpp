// Start-up with and without a file, the document commands of the main window,
// the recent-file list, dropped files, the About box, the command line and
// the screenshot mode.
#include "AppTestEnv.h"

#include "app/CAboutDlg.h"
#include "app/Commands.h"
#include "support/TestPaths.h"

#include <QAction>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {

using apptest::WriteBytes;
using apptest::WriteSampleLog;

class LoggerAppTest : public apptest::StartedApp {
protected:
    QString SampleFile(const QString& name = QStringLiteral("ROOM_20110308_1435.logu"), int channels = 2,
                       uint32_t n = 40)
    {
        const QString path = home.path() + QStringLiteral("/elsewhere/") + name;
        QDir().mkpath(home.path() + QStringLiteral("/elsewhere"));
        EXPECT_TRUE(WriteSampleLog(path, channels, n));
        return path;
    }

    QStringList RecentMenuTexts() const
    {
        QMenu* file = frame->menuBar()->actions().first()->menu();
        QStringList texts;
        bool inRecent = false;
        for (QAction* a : file->actions()) {
            if (a->text() == QStringLiteral("Printer Setup(&R)..."))
                inRecent = true;
            else if (a->text() == QStringLiteral("Exit(&X)"))
                break;
            else if (inRecent && !a->isSeparator() && a->isVisible())
                texts << a->text();
        }
        return texts;
    }
};

TEST_F(LoggerAppTest, StartWithoutFileShowsAnEmptyDocument)
{
    Start();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("  - Tessaview U"));
    EXPECT_EQ(app->data().store.recordCount, 0u);
    // The main window did not exist when the empty document was made: only File List.
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
    EXPECT_EQ(frame->currentPane(), pane::FileList);
    EXPECT_EQ(RecentMenuTexts(), QStringList{QStringLiteral("File List")});
}

TEST_F(LoggerAppTest, FileOnTheCommandLineIsOpenedAsTheDocument)
{
    const QString path = SampleFile();
    Start(path);
    const LogStore& store = app->data().store;
    EXPECT_EQ(store.recordCount, 40u);
    EXPECT_EQ(store.currentLogPath, path);
    // Read while statsPending was set; computed by the end of start-up.
    EXPECT_FALSE(store.statsPending);
    EXPECT_GE(store.axisStep[0], 1);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("ROOM_20110308_1435.logu - Tessaview U"));
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
    EXPECT_EQ(app->recentFiles(), QStringList{path});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(LoggerAppTest, DamagedFileOnTheCommandLineStillStartsTheProgram)
{
    const QString empty = home.path() + QStringLiteral("/EMPTY_1.logu");
    const QString damaged = home.path() + QStringLiteral("/BAD_1.logu");
    ASSERT_TRUE(WriteBytes(empty, {}));
    ASSERT_TRUE(WriteBytes(damaged, QByteArray(3, 'x')));
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {empty, QStringLiteral("\r\nFailed to open logu file: invalid format.")},
        {damaged, QStringLiteral("BAD_1.logu")},
    };
    for (const auto& c : cases) {
        messages.clear();
        Start(c.path);
        EXPECT_EQ(app->data().store.recordCount, 0u);
        EXPECT_EQ(frame->windowTitle(), QStringLiteral("  - Tessaview U"));
        // The message waits until the main window stands.
        EXPECT_TRUE(messages.isEmpty());
        QCoreApplication::processEvents();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(c.message)) << messages[0].toStdString();
        EXPECT_TRUE(app->recentFiles().isEmpty());
        app.reset();
    }
}

TEST_F(LoggerAppTest, OpenCommandLoadsAndRemembersTheFile)
{
    Start();
    openChoice = SampleFile(QStringLiteral("LAB_20110308_1435.logu"), 3, 25);
    frame->OnCommand(cmd::Open);
    EXPECT_EQ(app->data().store.recordCount, 25u);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("LAB_20110308_1435.logu - Tessaview U"));
    EXPECT_EQ(RecentMenuTexts(), QStringList{QStringLiteral("&1 LAB_20110308_1435.logu")});
    EXPECT_TRUE(frame->action(cmd::DataList)->isEnabled());

    // Cancelling the dialog changes nothing.
    openChoice.clear();
    frame->OnCommand(cmd::Open);
    EXPECT_EQ(app->data().store.recordCount, 25u);

    // The list survives a restart and the entry opens the file.
    app.reset();
    Start();
    ASSERT_EQ(RecentMenuTexts(), QStringList{QStringLiteral("&1 LAB_20110308_1435.logu")});
    QMenu* file = frame->menuBar()->actions().first()->menu();
    for (QAction* a : file->actions())
        if (a->text() == QStringLiteral("&1 LAB_20110308_1435.logu")) {
            EXPECT_TRUE(a->isEnabled());
            a->trigger();
        }
    EXPECT_EQ(app->data().store.recordCount, 25u);
}

TEST_F(LoggerAppTest, RecentListHoldsEightAndDropsWhatCannotBeOpened)
{
    Start();
    for (int i = 0; i < 10; ++i)
        app->AddToRecentFileList(home.path() + QStringLiteral("/F%1_x.logu").arg(i));
    app->AddToRecentFileList(home.path() + QStringLiteral("/F5_x.logu"));
    const QStringList recent = app->recentFiles();
    ASSERT_EQ(recent.size(), 8);
    EXPECT_TRUE(recent[0].endsWith(QStringLiteral("/F5_x.logu")));
    EXPECT_TRUE(recent[1].endsWith(QStringLiteral("/F9_x.logu")));
    EXPECT_EQ(recent.count(recent[0]), 1);
    EXPECT_EQ(RecentMenuTexts().size(), 8);
    // None of them exists: opening one reports it and takes it off the list.
    EXPECT_FALSE(app->OpenDocumentFile(recent[0]));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(app->recentFiles().size(), 7);
}

TEST_F(LoggerAppTest, SaveAsReportsAFailureAndKeepsTheOpenLog)
{
    const QString path = SampleFile();
    Start(path);
    saveChoice = home.path() + QStringLiteral("/no/such/folder/copy.logu");
    frame->OnCommand(cmd::SaveAs);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The log cannot be saved into")));
    EXPECT_EQ(app->recentFiles(), QStringList{path});

    saveChoice = home.path() + QStringLiteral("/copy.logu");
    frame->OnCommand(cmd::SaveAs);
    EXPECT_EQ(QFileInfo(saveChoice).size(), 46 + 26 * 40);
    EXPECT_EQ(app->data().store.currentLogPath, path);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("ROOM_20110308_1435.logu - Tessaview U"));
}

TEST_F(LoggerAppTest, OriginalViewReadsTheOpenLogAgain)
{
    Start(SampleFile());
    app->data().store.NarrowRecords(3, 9);
    frame->OnCommand(cmd::DataList);
    frame->OnCommand(cmd::OriginalView);
    EXPECT_EQ(app->data().store.recordCount, 40u);
    EXPECT_TRUE(OpenPanes().empty());
    EXPECT_EQ(frame->currentPane(), pane::DataList);
}

TEST_F(LoggerAppTest, DroppedFilesAreOpened)
{
    Start();
    const QString first = SampleFile(QStringLiteral("A_20110308_1435.logu"), 1, 5);
    const QString second = SampleFile(QStringLiteral("B_20110308_1435.logu"), 2, 9);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &drop);
    // Each was opened in turn; the last one stays open.
    EXPECT_EQ(app->data().store.recordCount, 9u);
    EXPECT_EQ(app->data().store.currentLogPath, second);
    EXPECT_EQ(app->recentFiles(), (QStringList{second, first}));
}

TEST_F(LoggerAppTest, AboutBox)
{
    Start();
    QString title;
    QStringList texts;
    bool okHasImage = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        for (QLabel* l : dialog->findChildren<QLabel*>())
            if (!l->text().isEmpty())
                texts << l->text();
        okHasImage = !dialog->okButton()->icon().isNull() && dialog->okButton()->iconSize() == QSize(24, 24);
        dialog->okButton()->click();
    });
    frame->OnCommand(cmd::About);
    EXPECT_EQ(title, QStringLiteral("About Tessaview U"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Tessaview U for USB data logger.")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Rev:1.30")));
    EXPECT_EQ(texts.size(), 4);
    EXPECT_TRUE(okHasImage);
}

TEST(LoggerAppArguments, CommandLine)
{
    const struct {
        QStringList args;
        bool ok;
        QString file, home, screenshot;
        QSize size;
        bool demo;
    } cases[] = {
        {{}, true, {}, {}, {}, {}, false},
        {{"ROOM_1.logu"}, true, "ROOM_1.logu", {}, {}, {}, false},
        {{"--home", "/tmp/h", "--demo"}, true, {}, "/tmp/h", {}, {}, true},
        {{"--screenshot", "out.png", "--size", "900x600", "a.logu"}, true, "a.logu", {}, "out.png", QSize(900, 600), false},
        {{"--size", "900"}, false, {}, {}, {}, {}, false},
        {{"--size", "x600"}, false, {}, {}, {}, {}, false},
        {{"--bogus"}, false, {}, {}, {}, {}, false},
        {{"a.logu", "b.logu"}, false, {}, {}, {}, {}, false},
        {{"--home"}, false, {}, {}, {}, {}, false},
    };
    for (const auto& c : cases) {
        CLoggerApp::Options o;
        QString error;
        const bool ok = CLoggerApp::ParseArguments(QStringList{QStringLiteral("tessaview")} + c.args, o, error);
        const std::string what = c.args.join(' ').toStdString();
        ASSERT_EQ(ok, c.ok) << what;
        if (!ok) {
            EXPECT_FALSE(error.isEmpty()) << what;
            continue;
        }
        EXPECT_EQ(o.file, c.file) << what;
        EXPECT_EQ(o.home, c.home) << what;
        EXPECT_EQ(o.screenshot, c.screenshot) << what;
        EXPECT_EQ(o.size, c.size) << what;
        EXPECT_EQ(o.demo, c.demo) << what;
    }
}

#ifdef TV_GUI_PATH
TEST(LoggerAppScreenshot, RendersTheWindowIntoAPicture)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("ROOM_20110308_1435.logu"));
    ASSERT_TRUE(WriteSampleLog(log, 2, 100));
    const QString out = dir.filePath(QStringLiteral("shot.png"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(QString::fromLocal8Bit(testpaths::gui()),
            {QStringLiteral("--home"), dir.filePath(QStringLiteral("home")), QStringLiteral("--screenshot"), out,
             QStringLiteral("--size"), QStringLiteral("900x600"), log});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QImage shot(out);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(900, 600));
    // The program folder was settled as for a normal run.
    EXPECT_EQ(apptest::ReadBytes(dir.filePath(QStringLiteral("home/Logger.ini"))).toHex(), QByteArray("03004b01"));

    // A picture that cannot be written is an error, not a silent success.
    QProcess bad;
    bad.setProcessEnvironment(env);
    bad.start(QString::fromLocal8Bit(testpaths::gui()),
              {QStringLiteral("--home"), dir.filePath(QStringLiteral("home")), QStringLiteral("--screenshot"),
               dir.filePath(QStringLiteral("missing/shot.png"))});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_NE(bad.exitCode(), 0);
    EXPECT_TRUE(bad.readAllStandardError().contains("Cannot write the screenshot"));
}
#endif

}  // namespace
