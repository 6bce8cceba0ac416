// The main window: menu bar, three toolbars, the status bar, the chart view
// and the docking panes along the left edge.
#pragma once

#include "app/CLoggerDoc.h"
#include "app/ChartExportCommands.h"
#include "app/CommandRules.h"
#include "app/ReportPrinter.h"

#include <QList>
#include <QMainWindow>

#include <memory>

class CCommProgressDlg;
class CLoggerApp;
class CLoggerView;
class CPropertiesPane;
class CommandBars;
class ILinkTimers;
class IPortDirectory;
class IUserDialogs;
class LinkController;
class LinkSession;
class PaneManager;
class QAction;
class QDockWidget;
class QFontMetrics;
class QLabel;
class QPrinter;
class QToolBar;

// Composes the window from its parts: the command bars (CommandBars), the
// panes (PaneManager) and the logger link (LinkController), and wires them
// to the document, the view and each other. Every dialog goes through the
// IUserDialogs it was given. The frame is the document's host and lends the
// exports its dialogs and view; printing and exports run in ReportPrinter and
// ChartExportCommands.
class CMainFrame : public QMainWindow, public CLoggerDoc::Host, public IExportHost {
    Q_OBJECT
public:
    CMainFrame(CLoggerApp& app, IUserDialogs& dialogs, QWidget* parent = nullptr);
    // Writes Logger.ini once the window is gone, as the program's last step.
    ~CMainFrame() override;

    static constexpr int StatusPaneCount = 12;
    static constexpr const char* IdleStatusText = "For Help, press F1";

    // The parts.
    CommandBars& commandBars() const { return *bars_; }
    PaneManager& panes() const { return *panes_; }
    LinkController& linkController() const { return *link_; }
    IUserDialogs& dialogs() const { return dialogs_; }

    // Panes (PaneManager): 1 File List, 2 Setup, 3 Data List, 4 Query (pane::Code).
    void ShowOnlyPane(int pane) override;
    void CloseAllPanes() override;
    void RestoreCurrentPane();
    int currentPane() const;
    bool IsPaneOpen(int paneId) const;
    QDockWidget* paneDock(int paneId) const;
    QWidget* paneWindow(int paneId) const;
    CPropertiesPane* setupPane();
    // Moves the keyboard focus to the next or previous open pane or the view.
    void FocusNextPane(bool forward);

    // Commands (CommandBars).
    QAction* action(int id) const;
    QList<QToolBar*> toolBars() const;
    void OnCommand(int id);
    // Applies every enabling rule and the connection text of the status bar;
    // runs by itself whenever a state the rules read changes.
    void UpdateCommandUI();
    // What the rules read: the link's connected, activeCommand and pause, the
    // open log's recordCount and the recent-file list.
    CommandState commandState() const;
    // The recent-file entries of the File menu changed.
    void RebuildRecentMenu();

    // Status bar panes by position; other parts write the chart read-out here.
    void setPaneText(int index, const QString& text);
    QString paneText(int index) const;
    QLabel* statusPane(int index) const;
    // The fixed width of a status pane in this font: wide enough for its
    // widest text; 0 for the stretching pane.
    static int StatusPaneWidth(int index, const QFontMetrics& metrics);

    // The logger link (LinkController).
    LinkSession& link() const;
    IPortDirectory& portDirectory() const;
    void UseLinkTimers(ILinkTimers* timers);
    CCommProgressDlg* progressWindow() const;

    // The Summary pane analyses the shown records again (when it exists).
    void RefreshSummary();
    // The limits of the open log's logger were saved: the chart, the record
    // list's colours and the summary follow them.
    void LimitsChanged();
    // "Alarm Limits...": edits and saves the limits of the open log's logger.
    void EditAlarmLimits();

    CLoggerView* view() const { return view_; }
    // The printer that Printer Setup configures and printing uses; made on first use.
    QPrinter* printer();
    // Printing and the preview of the analysis report.
    ReportPrinter& reportPrinter() { return *report_; }

    // CLoggerDoc::Host and IExportHost: the message dialog.
    void ShowMessage(const QString& text) override;

    // CLoggerDoc::Host
    // Draws the store at once and sets the title.
    void RedrawChartNow() override;
    void RepaintView() override;
    void DocumentTitleChanged(const QString& title) override;
    UnsavedAnswer AskAboutUnsavedLog(const QString& text) override;
    QString ChooseSavePath() override;

    // IExportHost
    QString ChooseExportPath(const QString& filter) override;
    QSize ChartSize() const override;
    QFont ChartFont() const override;

signals:
    // A command reached its handler (for those that watch the commands).
    void commandRun(int id);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateStatusBar();
    // The chart read-out (panes 4, 6, 8 and 10) back to its starting texts.
    void ClearReadout();
    CLoggerView* CreateView();
    // Connects the requests of a pane's window made just now.
    void PaneAttached(int paneId, QWidget* window);
    void OpenFromFileList(const QString& fileName);
    // Whether a file of the Logfiles folder is the open log.
    bool IsOpenLog(const QString& fileName) const;
    // The open log follows a rename of its file.
    void OpenLogRenamed(const QString& oldName, const QString& newName);
    void RunDateQuery(int fromDate, int toDate);
    void SaveLayouts();
    void ShowHelp();
    QString ChooseFile(bool save);
    // The whole open log again, as after "Original View(100%)".
    void ReloadWholeLog();
    void PrintReport();
    void PreviewReport();

    CLoggerApp& app_;
    IUserDialogs& dialogs_;
    QLabel* statusPanes_[StatusPaneCount] = {};
    CLoggerView* view_ = nullptr;
    CommandBars* bars_ = nullptr;
    PaneManager* panes_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<ReportPrinter> report_;
    std::unique_ptr<ChartExportCommands> exports_;
    QString exportFolder_;  // where the last export went; the next save dialog starts there
    // Made with the frame; goes first when it ends, so the port closes while
    // the window still exists.
    std::unique_ptr<LinkController> link_;
};
