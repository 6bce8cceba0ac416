// The main window: menu bar, three toolbars, the status bar, the chart view
// and the four docking panes along the left edge.
#pragma once

#include "app/CLoggerDoc.h"
#include "app/ChartExportCommands.h"
#include "app/ReportPrinter.h"
#include "app/CommandRules.h"
#include "link/LinkInterfaces.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class CCommProgressDlg;
class CLoggerApp;
class CLoggerView;
class CPropertiesPane;
class CSerialPort;
class LinkSession;
class LinkTimerSwitch;
class QtLinkTimers;
class QAction;
class QDockWidget;
class QFontMetrics;
class QLabel;
class QMenu;
class QPrinter;
class QPrintPreviewDialog;
class QTimer;
class QToolBar;

// Owns the logger link: the serial transport, the device list, the window
// timers and LinkSession, which decides every exchange. The frame is the
// link's message sink (the message dialog and the progress window), its
// prompts (the questions and the port choice) and its pane actions. The
// frame also runs the chart's printing and exports, lending them its panes,
// dialogs and view.
class CMainFrame : public QMainWindow,
                   public CLoggerDoc::Host,
                   public IMessageSink,
                   public IPaneActions,
                   public ILinkPrompts,
                   public IReportPanes,
                   public IExportHost {
    Q_OBJECT
public:
    explicit CMainFrame(CLoggerApp& app, QWidget* parent = nullptr);
    // Writes Logger.ini once the window is gone, as the program's last step.
    ~CMainFrame() override;

    static constexpr int StatusPaneCount = 12;
    static constexpr const char* IdleStatusText = "For Help, press F1";

    // Panes: 1 File List, 2 Setup, 3 Data List, 4 Query (pane::Code).
    void ShowOnlyPane(int pane) override;
    // Shows the pane named by currentPane again, leaving the others as they are.
    void RestoreCurrentPane() override;
    void CloseAllPanes() override;
    int currentPane() const { return currentPane_; }
    // Whether the pane with the given title id (pane::Id) is open.
    bool IsPaneOpen(int paneId) const;
    QDockWidget* paneDock(int paneId) const;
    // The window shown in a pane, or nullptr before it was first shown.
    QWidget* paneWindow(int paneId) const;

    // Commands.
    QAction* action(int id) const { return actions_.value(id); }
    QList<QToolBar*> toolBars() const { return toolBars_; }
    void OnCommand(int id);
    // Applies every enabling rule and the connection text of the status bar.
    void UpdateCommandUI();
    // What the rules read: the link's connected and activeCommand, the open
    // log's recordCount and the recent-file list.
    CommandState commandState() const;
    // Moves the keyboard focus to the next or previous open pane or the view.
    void FocusNextPane(bool forward);

    // Status bar panes by position; other parts write the chart read-out here.
    void setPaneText(int index, const QString& text);
    QString paneText(int index) const;
    QLabel* statusPane(int index) const;
    // The fixed width of a status pane in this font: wide enough for its
    // widest text; 0 for the stretching pane.
    static int StatusPaneWidth(int index, const QFontMetrics& metrics);

    // The logger link.
    LinkSession& link() const { return *link_; }
    IPortDirectory& portDirectory() const { return *ports_; }
    // Hands the link's timers to a replacement (tests drive the time-outs by
    // hand); nullptr goes back to the window timers.
    void UseLinkTimers(ILinkTimers* timers);
    // The setup pane, made when it is first needed.
    CPropertiesPane* setupPane();

    // The Summary pane analyses the shown records again (when it exists).
    void RefreshSummary();
    // The limits of the open log's logger were saved: the chart, the record
    // list's colours and the summary follow them.
    void LimitsChanged();
    // "Alarm Limits...": edits and saves the limits of the open log's logger.
    void EditAlarmLimits();

    CLoggerView* view() const { return view_; }
    CCommProgressDlg* progressWindow() const { return progress_; }
    // The printer that Printer Setup configures and printing uses; made on first use.
    QPrinter* printer();
    // Printing and the preview of the analysis report.
    ReportPrinter& reportPrinter() { return *report_; }

    // The recent-file entries of the File menu changed.
    void RebuildRecentMenu();

    // Where messages go. Tests replace the message dialog and the standard
    // message boxes with a recorder.
    std::function<void(const QString&)> messageHook;
    // Answers the OK/Cancel and Yes/No questions instead of the dialogs.
    std::function<bool(const QString&)> questionHook;
    // Picks a file for Open (save false) and Save As (save true); empty for
    // cancel. Tests replace the file dialogs.
    std::function<QString(bool save)> fileChooser;
    // Picks the file of an export (the filter tells which); empty for
    // cancel. Tests replace the save dialog.
    std::function<QString(const QString& filter)> exportPathChooser;
    // Stands in for the print dialog: false cancels. Tests choose the
    // printer's output here.
    std::function<bool(QPrinter&)> printDialogHook;

    // CLoggerDoc::Host and IMessageSink: the message dialog.
    void ShowMessage(const QString& text) override;

    // ILinkPrompts
    bool AskOkCancel(const QString& text) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    // The directory knows more of each device than its path: the list shows it.
    int ChoosePort(const QStringList& devices, int initialNumber) override;

    // IMessageSink
    void RunProgressMessage(const QString& firstText) override;
    void UpdateMessage(const QString& text, bool enableButtons) override;
    void ShowProgress(const QString& text) override;
    void HideProgress() override;

    // CLoggerDoc::Host
    void ClearRecordList() override;
    // Also IPaneActions: draw the store at once and set the title.
    void RedrawChartNow() override;
    void RepaintView() override;
    void DocumentTitleChanged(const QString& title) override;
    // Save, Discard or Cancel; the question hook answers Save (yes) or Discard (no).
    UnsavedAnswer AskAboutUnsavedLog(const QString& text) override;
    QString ChooseSavePath() override;

    // IPaneActions
    void ShowSetupPane() override;
    void EnableLoggerButtons(bool enabled) override;
    void ShowSetupValues() override;
    void ShowFileList() override;

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
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void CreatePanes();
    void CreateShortcuts();
    void CreateLink();
    // Runs a command of the logger link, then applies the enabling rules.
    void RunLinkCommand(void (LinkSession::*command)());
    static bool IsLoggerCommand(int id);
    CLoggerView* CreateView();
    // The platform's standard message box with an exclamation icon, captioned
    // with the application title.
    void ShowStandardWarning(const QString& text);
    // Makes the pane's window the first time the pane is shown.
    QWidget* AttachPaneWindow(int paneId);
    void ShowPane(int paneId);
    void RefillPane(int paneId);
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
    QHash<int, QAction*> actions_;
    QList<QToolBar*> toolBars_;
    QMenu* fileMenu_ = nullptr;
    QList<QAction*> recentActions_;
    QLabel* statusPanes_[StatusPaneCount] = {};
    QHash<int, QDockWidget*> docks_;
    CLoggerView* view_ = nullptr;
    CCommProgressDlg* progress_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<ReportPrinter> report_;
    std::unique_ptr<ChartExportCommands> exports_;
    QString exportFolder_;  // where the last export went; the next save dialog starts there
    QTimer* idleTimer_ = nullptr;
    int currentPane_ = 1;

    // The logger link; made with the frame, the transport goes first when it ends.
    std::unique_ptr<CSerialPort> serial_;
    std::unique_ptr<IPortDirectory> ports_;
    std::unique_ptr<QtLinkTimers> windowTimers_;
    std::unique_ptr<LinkTimerSwitch> timers_;
    std::unique_ptr<LinkSession> link_;
};
