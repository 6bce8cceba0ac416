// The main window: menus, toolbars and status bar as built, which panes are
// open when, the keys that do nothing, and the rules applied to the commands.
#include "AppTestEnv.h"

#include "app/CLoggerView.h"
#include "app/Commands.h"
#include "panes/CDataListPane.h"
#include "panes/CDatePickerCombo.h"
#include "panes/CDatePickerDlg.h"
#include "panes/CFileListPane.h"
#include "panes/RecordTableModel.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWhatsThis>

namespace {

using apptest::WriteSampleLog;

class MainFrameTest : public apptest::StartedApp {
protected:
    // Texts of a menu's visible items, "-" for a separator.
    static QStringList MenuTexts(QMenu* menu)
    {
        QStringList texts;
        for (QAction* a : menu->actions())
            if (a->isVisible())
                texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }

    // Opens a log of four records a day from 8 to 12 March 2011 (20 records).
    void LoadFiveDayLog()
    {
        const QString name = QStringLiteral("ROOM_20110312_1800.logu");
        {
            auto store = std::make_unique<LogStore>();
            fixtures::FillStore(*store, 2, 20, [](int c, uint32_t i) { return float(c + i); }, "ROOM",
                                "0123456789", "20110308000000", 6 * 3600);
            QFile f(logPath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && WriteLogFile(f, *store));
        }
        app->data().store.currentLogName = name;
        app->data().store.currentLogPath = logPath(name);
        ASSERT_TRUE(app->doc().LoadCurrentLog());
    }

    // Opens a sample log the way the file list does.
    void OpenSampleFromFileList(int channels = 2, uint32_t n = 30)
    {
        const QString name = QStringLiteral("ROOM_20110308_1435.logu");
        ASSERT_TRUE(WriteSampleLog(logPath(name), channels, n));
        app->data().store.currentLogName = name;
        app->data().store.currentLogPath = logPath(name);
        ASSERT_TRUE(app->doc().LoadCurrentLog());
    }

    int DataListRows() const
    {
        auto* list = qobject_cast<CDataListPane*>(frame->paneWindow(pane::DataListId));
        return list ? list->model()->rowCount() : -1;
    }
};

TEST_F(MainFrameTest, MenusInOrderWithTheirTexts)
{
    Start();
    const QList<QAction*> popups = frame->menuBar()->actions();
    ASSERT_EQ(popups.size(), 4);
    const QStringList titles = {"File(&F)", "Logger(&L)", "View(&V)", "About(&A)"};
    const QList<QStringList> items = {
        {"Open(&O)...\tCtrl+O", "Save As(&S)", "-", "Save To &Excel...\tCtrl+E", "Save To &Txt...\tCtrl+T",
         "Save To &BMP...\tCtrl+J", "Save To PDF...", "Save To CSV...", "-", "Print(&P)...\tCtrl+P",
         "Print Preview(&V)", "Printer Setup(&R)...", "-", "File List", "-", "Exit(&X)"},
        {"Connect(&C)", "Disconnect(&D)", "-", "Setup(&S)", "-", "Download(&L)", "Delete(&D)"},
        {"File List(&F)", "Data List(&L)", "Query(&Q)", "Summary", "-", "Alarm Limits...", "-",
         "Original View(100%)"},
        {"About(&A)...", "Help(&H)"},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(popups[i]->text(), titles[i]);
        EXPECT_EQ(MenuTexts(popups[i]->menu()), items[i]) << titles[i].toStdString();
    }
    // No menu item has a check mark.
    for (QAction* popup : popups)
        for (QAction* a : popup->menu()->actions())
            EXPECT_FALSE(a->isCheckable()) << a->text().toStdString();
}

TEST_F(MainFrameTest, ToolbarsInOneRowWithCaptionsUnderIcons)
{
    Start(QString(), true);
    const QList<QToolBar*> bars = frame->toolBars();
    ASSERT_EQ(bars.size(), 3);
    const QStringList names = {"Standard", "COMM", "Help"};
    const QList<QStringList> captions = {
        {"Open", "Save As", "Print", "Preview", "-", "EXCEL", "TXT", "BMP"},
        {"Connect", "Disconnect", "-", "Setup", "-", "Download", "Delete"},
        {"File List", "Data List", "Query", "-", "About", "Help"},
    };
    int previousRight = -1;
    for (int i = 0; i < 3; ++i) {
        QToolBar* bar = bars[i];
        EXPECT_EQ(bar->windowTitle(), names[i]);
        EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
        EXPECT_TRUE(bar->isMovable());
        EXPECT_EQ(frame->toolBarArea(bar), Qt::TopToolBarArea);
        QStringList got;
        for (QAction* a : bar->actions()) {
            got << (a->isSeparator() ? QStringLiteral("-") : a->iconText());
            if (!a->isSeparator()) {
                EXPECT_FALSE(a->icon().isNull()) << a->iconText().toStdString();
            }
        }
        EXPECT_EQ(got, captions[i]) << names[i].toStdString();
        // One row: each bar stands right of the one before, at the same height.
        EXPECT_EQ(bar->geometry().top(), bars[0]->geometry().top());
        EXPECT_GT(bar->geometry().left(), previousRight);
        previousRight = bar->geometry().right();
    }
    // The same action serves the menu and the toolbar, so both follow one rule.
    EXPECT_EQ(bars[1]->actions().first(), frame->action(cmd::Connect));
}

TEST_F(MainFrameTest, StatusBarPanes)
{
    Start(QString(), true);
    frame->resize(1200, 700);
    QCoreApplication::processEvents();
    struct Pane {
        int width;
        const char* text;
        bool icon;
    };
    const Pane panes[CMainFrame::StatusPaneCount] = {
        {60, CMainFrame::IdleStatusText, false}, {16, "", true}, {80, "Disconnect", false}, {16, "", true},
        {120, " 0000-00-00 00:00:00", false}, {16, "", true}, {60, " 00.0", false}, {16, "", true},
        {60, " 00.0", false}, {16, "", true}, {150, " 00.0", false}, {0, "VORNA ELECTRONIC CO., LTD.", false},
    };
    int previousRight = -1;
    for (int i = 0; i < CMainFrame::StatusPaneCount; ++i) {
        QLabel* label = frame->statusPane(i);
        ASSERT_NE(label, nullptr) << i;
        EXPECT_EQ(frame->paneText(i).toStdString(), panes[i].text) << i;
        EXPECT_EQ(!label->pixmap().isNull(), panes[i].icon) << i;
        if (panes[i].width > 0) {
            // At least the original width; wider only as far as the starting text needs.
            EXPECT_GE(label->width(), panes[i].width) << i;
            if (panes[i].icon) {
                EXPECT_EQ(label->width(), panes[i].width) << i;
            }
        }
        EXPECT_GT(label->x(), previousRight) << "pane " << i << " is out of order";
        previousRight = label->geometry().right();
    }
    // The last pane takes the rest of the width.
    const int stretch = frame->statusPane(11)->width();
    frame->resize(1400, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->statusPane(11)->width(), stretch + 200);

    frame->setPaneText(4, QStringLiteral(" 2011-03-08 14:05:30"));
    EXPECT_EQ(frame->paneText(4), QStringLiteral(" 2011-03-08 14:05:30"));
    frame->setPaneText(12, QStringLiteral("ignored"));  // outside the bar: nothing happens
}

TEST_F(MainFrameTest, ReadoutPanesShowTheirWidestTextsWhole)
{
    Start(QString(), true);
    frame->resize(1200, 700);
    QCoreApplication::processEvents();
    const struct {
        int pane;
        const char* text;
    } cases[] = {
        {4, " 2011-03-08 14:05:30"},
        {6, "-100.0 %RH"},           {6, "-3276.8 mBar"},
        {6, "-40.0 Dew Point(F)"},  // a file may give channel 1 any kind
        {8, "-100.0 %RH"},           {8, "3276.7 Lux"},
        {10, "100.0 Dew Point(C)"},  {10, "-3276.8 Dew Point(F)"},
    };
    for (const auto& k : cases) {
        frame->setPaneText(k.pane, QString::fromLatin1(k.text));
        QCoreApplication::processEvents();
        QLabel* label = frame->statusPane(k.pane);
        EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(label->text()))
            << k.text << " is cut in pane " << k.pane;
        EXPECT_EQ(label->width(), CMainFrame::StatusPaneWidth(k.pane, label->fontMetrics())) << k.pane;
    }
    // Panes without a read-out keep their original widths.
    EXPECT_EQ(CMainFrame::StatusPaneWidth(1, frame->statusPane(1)->fontMetrics()), 16);
    EXPECT_EQ(CMainFrame::StatusPaneWidth(11, frame->statusPane(11)->fontMetrics()), 0);
}

TEST_F(MainFrameTest, ConnectionPaneFollowsTheConnectRule)
{
    // The connected states are reached with a logger: see LoggerCommandsTest.
    Start();
    EXPECT_EQ(frame->paneText(2), QStringLiteral("Disconnect"));
    EXPECT_TRUE(frame->action(cmd::Connect)->isEnabled());
    for (int id : {cmd::Disconnect, cmd::Setup, cmd::Download, cmd::DeleteAll})
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
}

TEST_F(MainFrameTest, RulesFollowTheOpenLog)
{
    Start();
    const int recordCommands[] = {cmd::SaveExcel, cmd::SaveTxt, cmd::SaveBmp, cmd::DataList, cmd::Query,
                                  cmd::OriginalView};
    for (int id : recordCommands)
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
    EXPECT_TRUE(frame->action(cmd::FileList)->isEnabled());
    EXPECT_FALSE(frame->action(cmd::RecentFile)->isEnabled());
    OpenSampleFromFileList();
    for (int id : recordCommands)
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id;
}

TEST_F(MainFrameTest, OnlyFileListOpenAfterStart)
{
    Start();
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
    EXPECT_EQ(frame->currentPane(), pane::FileList);
    const struct {
        int id;
        const char* title;
    } titles[] = {{144, "Query"}, {4000, "Data List"}, {4001, "Setup"}, {132, "File List"}};
    for (const auto& t : titles) {
        ASSERT_NE(frame->paneDock(t.id), nullptr);
        EXPECT_EQ(frame->paneDock(t.id)->windowTitle(), QString::fromLatin1(t.title));
        EXPECT_EQ(frame->dockWidgetArea(frame->paneDock(t.id)), Qt::LeftDockWidgetArea);
    }
    // The panes not yet shown have no window yet.
    EXPECT_EQ(frame->paneWindow(pane::DataListId), nullptr);
    EXPECT_NE(frame->paneWindow(pane::FileListId), nullptr);
}

TEST_F(MainFrameTest, LoadingALogClosesEveryPaneAndKeepsCurrentPane)
{
    Start();
    frame->OnCommand(cmd::Query);
    EXPECT_EQ(frame->currentPane(), pane::Query);
    OpenSampleFromFileList();
    EXPECT_TRUE(OpenPanes().empty());
    EXPECT_EQ(frame->currentPane(), pane::Query);
    EXPECT_EQ(app->data().store.recordCount, 30u);
}

TEST_F(MainFrameTest, ViewCommandsShowOnlyTheirPane)
{
    Start();
    OpenSampleFromFileList(2, 30);
    const struct {
        int command;
        int paneId;
        int code;
    } cases[] = {
        {cmd::DataList, pane::DataListId, pane::DataList},
        {cmd::Query, pane::QueryId, pane::Query},
        {cmd::Setup, pane::SetupId, pane::Setup},
        {cmd::FileList, pane::FileListId, pane::FileList},
    };
    for (const auto& c : cases) {
        frame->OnCommand(c.command);
        EXPECT_EQ(OpenPanes(), std::vector<int>{c.paneId}) << c.command;
        EXPECT_EQ(frame->currentPane(), c.code) << c.command;
        EXPECT_NE(frame->paneWindow(c.paneId), nullptr) << c.command;
    }
}

TEST_F(MainFrameTest, DataListShowsEveryValueColumnAtItsFirstWidth)
{
    Start(QString(), true);
    for (int channels : {3, 1}) {
        OpenSampleFromFileList(channels, 30);
        frame->OnCommand(cmd::DataList);
        QCoreApplication::processEvents();
        auto* pane = qobject_cast<CDataListPane*>(frame->paneWindow(pane::DataListId));
        ASSERT_NE(pane, nullptr);
        QTableView* view = pane->list();
        const int columns = pane->model()->columnCount();
        ASSERT_EQ(columns, channels + 3);
        for (int c = 0; c < columns; ++c) {
            EXPECT_LE(view->columnViewportPosition(c) + view->columnWidth(c), view->viewport()->width())
                << channels << " channels: column " << c << " is cut";
        }
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible()) << channels << " channels";
        // Never narrower than the pane's first width, and the chart keeps the rest.
        EXPECT_GE(frame->paneDock(pane::DataListId)->width(), 256);
        EXPECT_GT(frame->view()->width(), frame->width() / 2);
    }
}

// The list fills itself once for each change the document announces, shown
// or not, and is not filled again merely for being brought to the front.
TEST_F(MainFrameTest, DataListFollowsTheOpenLog)
{
    Start();
    ASSERT_NO_FATAL_FAILURE(LoadFiveDayLog());
    frame->OnCommand(cmd::DataList);
    EXPECT_EQ(DataListRows(), 20);
    auto* list = qobject_cast<CDataListPane*>(frame->paneWindow(pane::DataListId));
    ASSERT_NE(list, nullptr);
    QSignalSpy fills(list->model(), &QAbstractItemModel::modelReset);

    // One announcement, one fill.
    ASSERT_TRUE(app->data().document.Narrow(5, 15));
    EXPECT_EQ(DataListRows(), 10);
    EXPECT_EQ(fills.count(), 1);
    frame->OnCommand(cmd::DataList);
    EXPECT_EQ(fills.count(), 1) << "brought to the front, it has nothing new to show";

    // Original View reads the whole log again (one announcement), while the pane is closed.
    frame->OnCommand(cmd::FileList);
    fills.clear();
    frame->OnCommand(cmd::OriginalView);
    EXPECT_EQ(DataListRows(), 20);
    EXPECT_EQ(fills.count(), 1);

    // The date query reads the log again, then narrows it to its days: two announcements.
    frame->OnCommand(cmd::Query);
    auto* query = qobject_cast<CDatePickerDlg*>(frame->paneWindow(pane::QueryId));
    ASSERT_NE(query, nullptr);
    fills.clear();
    emit query->queryRequested(20110309, 20110309);
    EXPECT_EQ(DataListRows(), 4);
    EXPECT_EQ(fills.count(), 2);
    EXPECT_EQ(list->model()->data(list->model()->index(0, 1)).toString(), QStringLiteral("2011-03-09"));

    // New empties it.
    frame->OnCommand(cmd::New);
    EXPECT_EQ(DataListRows(), 0);
}

TEST_F(MainFrameTest, NewDocumentShowsTheEmptyDataList)
{
    Start();
    OpenSampleFromFileList(1, 12);
    frame->OnCommand(cmd::DataList);
    ASSERT_EQ(DataListRows(), 12);
    frame->OnCommand(cmd::FileList);
    frame->OnCommand(cmd::New);
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::DataListId});
    EXPECT_EQ(frame->currentPane(), pane::DataList);
    EXPECT_EQ(DataListRows(), 0);
    EXPECT_EQ(app->data().store.recordCount, 0u);
    EXPECT_EQ(app->doc().title(), QStringLiteral(" "));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("  - Tessaview U"));
}

TEST_F(MainFrameTest, RestoreCurrentPaneShowsItWithoutClosingOthers)
{
    Start();
    OpenSampleFromFileList(2, 20);
    frame->OnCommand(cmd::DataList);
    ASSERT_TRUE(app->data().document.Narrow(0, 8));  // a zoom while the list is open
    frame->CloseAllPanes();  // as printing a page does
    frame->paneDock(pane::FileListId)->show();
    frame->RestoreCurrentPane();
    EXPECT_EQ(OpenPanes(), (std::vector<int>{pane::DataListId, pane::FileListId}));
    EXPECT_EQ(DataListRows(), 8);  // it followed the zoom
    EXPECT_EQ(frame->currentPane(), pane::DataList);

    // The other panes are shown again without a refill.
    frame->OnCommand(cmd::Query);
    frame->CloseAllPanes();
    frame->RestoreCurrentPane();
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::QueryId});
}

TEST_F(MainFrameTest, PaneClosedByTheUserStaysClosed)
{
    Start();
    frame->paneDock(pane::FileListId)->close();
    EXPECT_TRUE(OpenPanes().empty());
    frame->OnCommand(cmd::FileList);
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
}

TEST_F(MainFrameTest, FileListShowsTheProgramFolderAndOpensItsLogs)
{
    // Start-up settles the program folder before the pane exists, so the
    // pane lists that folder's logs from the start, with no later refresh.
    ASSERT_TRUE(QDir().mkpath(homePath() + QStringLiteral("Logfiles")));
    ASSERT_TRUE(WriteSampleLog(logPath(QStringLiteral("LAB_20110308_1435.logu")), 3, 15, "LAB"));
    Start();
    auto* list = qobject_cast<CFileListPane*>(frame->paneWindow(pane::FileListId));
    ASSERT_NE(list, nullptr);
    const auto found = list->tree()->findItems(QStringLiteral("LAB_20110308_1435.logu"),
                                               Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    emit list->openLogRequested(QStringLiteral("LAB_20110308_1435.logu"));
    EXPECT_EQ(app->data().store.recordCount, 15u);
    EXPECT_EQ(app->data().store.currentLogPath, logPath(QStringLiteral("LAB_20110308_1435.logu")));
    EXPECT_TRUE(OpenPanes().empty());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("LAB_20110308_1435.logu - Tessaview U"));
}

TEST_F(MainFrameTest, TitleFollowsTheOpenLogThroughRenameAndDelete)
{
    ASSERT_TRUE(QDir().mkpath(homePath() + QStringLiteral("Logfiles")));
    for (const char* name : {"LAB_20110308_1435.logu", "ROOM_20110308_1435.logu"})
        ASSERT_TRUE(WriteSampleLog(logPath(QString::fromLatin1(name)), 2, 15, "LAB"));
    Start();
    auto* list = qobject_cast<CFileListPane*>(frame->paneWindow(pane::FileListId));
    ASSERT_NE(list, nullptr);
    emit list->openLogRequested(QStringLiteral("LAB_20110308_1435.logu"));
    ASSERT_EQ(frame->windowTitle(), QStringLiteral("LAB_20110308_1435.logu - Tessaview U"));
    app->AddToRecentFileList(logPath(QStringLiteral("ROOM_20110308_1435.logu")));
    app->AddToRecentFileList(logPath(QStringLiteral("LAB_20110308_1435.logu")));

    // Renaming another log leaves the title alone; its recent entry keeps its
    // place under the new name.
    ASSERT_TRUE(list->PrepareFileMenu(QStringLiteral("ROOM_20110308_1435.logu")));
    ASSERT_TRUE(list->ApplyRename(QStringLiteral("ROOM_1.logu"))) << messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("LAB_20110308_1435.logu - Tessaview U"));
    EXPECT_EQ(app->recentFiles(), (QStringList{logPath(QStringLiteral("LAB_20110308_1435.logu")),
                                               logPath(QStringLiteral("ROOM_1.logu"))}));

    // Renaming the open log: the title and the open log follow the file, so
    // reading it again (Original View) still works.
    ASSERT_TRUE(list->PrepareFileMenu(QStringLiteral("LAB_20110308_1435.logu")));
    ASSERT_TRUE(list->ApplyRename(QStringLiteral("FREEZER_2.logu")));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("FREEZER_2.logu - Tessaview U"));
    EXPECT_EQ(app->data().store.currentLogPath, logPath(QStringLiteral("FREEZER_2.logu")));
    EXPECT_EQ(app->recentFiles().value(0), logPath(QStringLiteral("FREEZER_2.logu")));
    frame->OnCommand(cmd::OriginalView);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("FREEZER_2.logu - Tessaview U"));

    // Deleting it: the chart stays, the title says the file is gone, also
    // after the chart is drawn again.
    answer = true;
    ASSERT_TRUE(list->PrepareFileMenu(QStringLiteral("FREEZER_2.logu")));
    list->DeleteLog();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("FREEZER_2.logu (deleted) - Tessaview U"));
    EXPECT_EQ(app->data().store.recordCount, 15u);
    app->data().store.NarrowRecords(2, 9);
    frame->RedrawChartNow();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("FREEZER_2.logu (deleted) - Tessaview U"));

    // Opening another log clears the mark.
    emit list->openLogRequested(QStringLiteral("ROOM_1.logu"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("ROOM_1.logu - Tessaview U"));
}

TEST_F(MainFrameTest, QueryReloadsTheLogThenKeepsTheRange)
{
    Start();
    ASSERT_NO_FATAL_FAILURE(LoadFiveDayLog());
    app->data().store.NarrowRecords(0, 2);  // a zoom before the query
    frame->OnCommand(cmd::Query);
    auto* query = qobject_cast<CDatePickerDlg*>(frame->paneWindow(pane::QueryId));
    ASSERT_NE(query, nullptr);

    emit query->queryRequested(20110309, 20110310);
    EXPECT_EQ(app->data().store.recordCount, 8u);
    EXPECT_EQ(std::string(app->data().store.timestamp(0), 8), "20110309");
    EXPECT_TRUE(OpenPanes().empty());
    EXPECT_TRUE(messages.isEmpty());

    emit query->queryRequested(20120101, 20120102);
    EXPECT_EQ(messages, QStringList{QStringLiteral("No matched data.")});
    EXPECT_EQ(app->data().store.recordCount, 20u);  // the whole log, read again
}

TEST_F(MainFrameTest, ExportKeysRunTheExportsWhileTheyAreEnabled)
{
    Start(QString(), true);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    // The save dialogs the keys open are cancelled: nothing is written.
    filters.clear();
    const struct {
        Qt::Key key;
        int command;
        const char* filter;
    } cases[] = {
        {Qt::Key_E, cmd::SaveExcel, "Excel file(*.xls)"},
        {Qt::Key_T, cmd::SaveTxt, "TXT file(*.txt)"},
        {Qt::Key_J, cmd::SaveBmp, "BMP file(*.bmp)"},
    };
    // Without records the exports are disabled, and so are their keys.
    QSignalSpy spy(frame, &CMainFrame::commandRun);
    for (const auto& k : cases)
        QTest::keyClick(frame, k.key, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(filters.isEmpty());

    OpenSampleFromFileList(1, 5);
    spy.clear();
    for (const auto& k : cases) {
        filters.clear();
        QTest::keyClick(frame, k.key, Qt::ControlModifier);
        EXPECT_EQ(filters, QStringList{QString::fromLatin1(k.filter)}) << k.filter;
    }
    ASSERT_EQ(spy.count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(spy.at(i).at(0).toInt(), cases[i].command);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MainFrameTest, KeysWithoutCommandsDoNothing)
{
    Start(QString(), true);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    OpenSampleFromFileList(1, 5);
    QSignalSpy spy(frame, &CMainFrame::commandRun);
    const QString title = frame->windowTitle();
    QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(frame->windowTitle(), title);
    EXPECT_EQ(app->data().store.recordCount, 5u);
    // Ctrl+N is bound: it makes the new document.
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), int(cmd::New));
    EXPECT_EQ(app->data().store.recordCount, 0u);
}

TEST_F(MainFrameTest, ViewCommandsPutTheFocusWhereTheKeysWork)
{
    Start(QString(), true);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    OpenSampleFromFileList(1, 5);
    const struct {
        int command;
        int pane;
        const char* focus;  // class of the widget that takes the keys
    } cases[] = {
        {cmd::FileList, pane::FileListId, "QTreeWidget"},
        {cmd::DataList, pane::DataListId, "QTableView"},
        {cmd::Query, pane::QueryId, "CDatePickerCombo"},  // "From", the first field
    };
    for (const auto& k : cases) {
        frame->OnCommand(k.command);
        QCoreApplication::processEvents();
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << k.focus;
        // An editable combo hands the focus on to its line edit.
        if (qobject_cast<QLineEdit*>(focus) && focus->parentWidget())
            focus = focus->parentWidget();
        EXPECT_STREQ(focus->metaObject()->className(), k.focus);
        EXPECT_TRUE(frame->paneWindow(k.pane)->isAncestorOf(focus)) << k.focus;
    }
    auto* query = qobject_cast<CDatePickerDlg*>(frame->paneWindow(pane::QueryId));
    ASSERT_NE(query, nullptr);
    EXPECT_TRUE(query->fromCombo()->hasFocus());
}

TEST_F(MainFrameTest, PaneKeysMoveTheFocusAndShiftF1AsksWhatThisIs)
{
    Start(QString(), true);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    frame->OnCommand(cmd::FileList);
    QWidget* list = frame->paneWindow(pane::FileListId);
    ASSERT_NE(list, nullptr);
    auto focusIn = [](QWidget* w) { return w == QApplication::focusWidget() || w->isAncestorOf(QApplication::focusWidget()); };
    ASSERT_TRUE(focusIn(list));
    // Two stops, the pane and the chart: F6 and Shift+F6 go back and forth.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(focusIn(frame->view()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(focusIn(list));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(focusIn(frame->view()));

    QTest::keyClick(frame, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}

TEST_F(MainFrameTest, CloseSavesTheLayoutsThatTheNextStartIgnores)
{
    Start(QString(), true);
    frame->OnCommand(cmd::DataList);  // disabled in the menu, but a direct call still shows the pane
    frame->paneDock(pane::FileListId)->show();
    frame->toolBars()[1]->hide();
    frame->close();
    {
        QSettings s(QString::fromLatin1(CLoggerApp::SettingsOrganization), QString::fromLatin1(CLoggerApp::ApplicationTitle));
        EXPECT_TRUE(s.contains(QStringLiteral("CommandBars")));
        EXPECT_TRUE(s.contains(QStringLiteral("NormalLayout")));
    }
    app.reset();
    Start(QString(), true);
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
    EXPECT_TRUE(frame->toolBars()[1]->isVisible());
}

}  // namespace
