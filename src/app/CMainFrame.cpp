// The main window: its status bar, view and drops, and the wiring of its
// command bars, panes and logger link to the document and each other.
#include "app/CMainFrame.h"

#include "app/CAlarmLimitsDlg.h"
#include "app/CCommProgressDlg.h"
#include "app/CLoggerApp.h"
#include "app/CLoggerView.h"
#include "app/CommandBars.h"
#include "app/Commands.h"
#include "app/LinkController.h"
#include "app/PaneManager.h"
#include "app/UserDialogs.h"
#include "link/LinkSession.h"
#include "logdata/DateQuery.h"
#include "logdata/LimitSettings.h"
#include "logdata/LogFile.h"
#include "logdata/Units.h"
#include "panes/CDataListPane.h"
#include "panes/CDatePickerDlg.h"
#include "panes/CFileListPane.h"
#include "panes/CSummaryPane.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>

namespace {

struct StatusPaneInfo {
    int width;          // 0: stretches over the rest
    const char* text;   // starting text
    const char* icon;   // icon panes show this image and no text
};

constexpr StatusPaneInfo StatusPanes[CMainFrame::StatusPaneCount] = {
    {60, CMainFrame::IdleStatusText, nullptr},
    {16, "", "status-link.png"},
    {80, "Disconnect", nullptr},
    {16, "", "status-clock.png"},
    {120, " 0000-00-00 00:00:00", nullptr},
    {16, "", "status-ch1.png"},
    {60, " 00.0", nullptr},
    {16, "", "status-ch2.png"},
    {60, " 00.0", nullptr},
    {16, "", "status-ch3.png"},
    {150, " 00.0", nullptr},
    {0, "VORNA ELECTRONIC CO., LTD.", nullptr},
};

// The read-out panes and the widest text each can show: a time stamp, or a
// value of "%6.1f" at its widest (-3276.8, a logger's 16-bit tenths) with the
// longest unit text; a file may give any channel any kind.
QString WidestReadoutText(int index, const QFontMetrics& metrics)
{
    if (index == 4) {
        QChar digit = QLatin1Char('0');
        for (char d = '1'; d <= '9'; ++d)
            if (metrics.horizontalAdvance(QLatin1Char(d)) > metrics.horizontalAdvance(digit))
                digit = QLatin1Char(d);
        return QStringLiteral(" %1%1%1%1-%1%1-%1%1 %1%1:%1%1:%1%1").arg(digit);
    }
    if (index != 6 && index != 8 && index != 10)
        return {};
    QString widest;
    for (int kind = 0; kind <= 8; ++kind) {
        for (uint8_t celsius : {uint8_t(0), uint8_t(1)}) {
            const QString text =
                QString::asprintf("%6.1f %s", -3276.8, UnitText(int8_t(kind), celsius).c_str());
            if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(widest))
                widest = text;
        }
    }
    return widest;
}

// The command-bar options kept at close: each toolbar's place and visibility.
QStringList ToolBarRecords(const QMainWindow& frame, const QList<QToolBar*>& bars)
{
    QStringList records;
    for (QToolBar* bar : bars)
        records << QStringLiteral("%1 area=%2 visible=%3")
                       .arg(bar->objectName())
                       .arg(int(frame.toolBarArea(bar)))
                       .arg(bar->isVisible() ? 1 : 0);
    return records;
}

}  // namespace

CMainFrame::CMainFrame(CLoggerApp& app, IUserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), app_(app), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessaview.png")));
    setAcceptDrops(true);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    bars_ = new CommandBars(*this, [this] { return commandState(); });
    CreateStatusBar();
    view_ = CreateView();
    setCentralWidget(view_);
    panes_ = new PaneManager(*this, app_.data());
    link_ = std::make_unique<LinkController>(app_.data(), app_.demoDevice(), *this, dialogs_, *panes_, *view_);
    report_ = std::make_unique<ReportPrinter>(app_.data().store, *panes_, &app_.data().limits);
    exports_ = std::make_unique<ChartExportCommands>(app_.data().store, *this, &app_.data().limits);

    connect(bars_, &CommandBars::commandTriggered, this, &CMainFrame::OnCommand);
    connect(bars_, &CommandBars::recentFileTriggered, this, [this](const QString& path) { app_.OpenDocumentFile(path); });
    connect(bars_, &CommandBars::focusCycleRequested, this, &CMainFrame::FocusNextPane);
    connect(bars_, &CommandBars::connectionTextChanged, this, [this](const QString& text) { setPaneText(2, text); });
    connect(panes_, &PaneManager::paneAttached, this, &CMainFrame::PaneAttached);
    // The window of the File List pane is made with the docks.
    if (QWidget* list = panes_->paneWindow(pane::FileListId))
        PaneAttached(pane::FileListId, list);
    connect(link_.get(), &LinkController::limitsChanged, this, &CMainFrame::LimitsChanged);
    // The enabling rules run when what they read changes: the link's state
    // here, the open log (CreateView), the recent list (RebuildRecentMenu)
    // and after every command.
    connect(link_.get(), &LinkController::stateChanged, this, &CMainFrame::UpdateCommandUI);

    DocumentTitleChanged(app_.doc().title());
    RebuildRecentMenu();
}

CMainFrame::~CMainFrame()
{
    app_.doc().SetHost(nullptr);
    // The port last found or chosen is tried first at the next start.
    app_.settings().portNumber = uint8_t(link_->link().portNumber() & 0xFF);
    app_.WriteSettings();
    link_.reset();
}

// ---------------------------------------------------------------- parts

void CMainFrame::ShowOnlyPane(int pane) { panes_->ShowOnlyPane(pane); }
void CMainFrame::CloseAllPanes() { panes_->CloseAllPanes(); }
void CMainFrame::RestoreCurrentPane() { panes_->RestoreCurrentPane(); }
int CMainFrame::currentPane() const { return panes_->currentPane(); }
bool CMainFrame::IsPaneOpen(int paneId) const { return panes_->IsPaneOpen(paneId); }
QDockWidget* CMainFrame::paneDock(int paneId) const { return panes_->paneDock(paneId); }
QWidget* CMainFrame::paneWindow(int paneId) const { return panes_->paneWindow(paneId); }
CPropertiesPane* CMainFrame::setupPane() { return panes_->setupPane(); }
void CMainFrame::FocusNextPane(bool forward) { panes_->FocusNextPane(forward, view_); }
void CMainFrame::RefreshSummary() { panes_->RefreshSummary(); }

QAction* CMainFrame::action(int id) const { return bars_->action(id); }
QList<QToolBar*> CMainFrame::toolBars() const { return bars_->toolBars(); }
void CMainFrame::UpdateCommandUI() { bars_->UpdateCommandUI(); }
void CMainFrame::RebuildRecentMenu() { bars_->RebuildRecentMenu(app_.recentFiles()); }

LinkSession& CMainFrame::link() const { return link_->link(); }
IPortDirectory& CMainFrame::portDirectory() const { return link_->portDirectory(); }
void CMainFrame::UseLinkTimers(ILinkTimers* timers) { link_->UseLinkTimers(timers); }
CCommProgressDlg* CMainFrame::progressWindow() const { return link_->progressWindow(); }

CommandState CMainFrame::commandState() const
{
    CommandState s;
    // The command bars are made before the link; until then nothing is connected.
    if (link_) {
        s.connected = link_->link().connected();
        s.activeCommand = link_->link().activeCommand();
        s.pausing = link_->link().pausing();
    }
    s.recordCount = app_.data().store.recordCount;
    s.recentHasFile = !app_.recentFiles().isEmpty();
    return s;
}

void CMainFrame::PaneAttached(int paneId, QWidget* window)
{
    if (auto* list = qobject_cast<CFileListPane*>(window); list && paneId == pane::FileListId) {
        list->setMessageSink(link_.get());
        list->setPrompts(link_.get());
        connect(list, &CFileListPane::openLogRequested, this, &CMainFrame::OpenFromFileList);
        connect(list, &CFileListPane::logRenamed, this, &CMainFrame::OpenLogRenamed);
        connect(list, &CFileListPane::logDeleted, this, [this](const QString& name) {
            if (IsOpenLog(name))
                app_.doc().SetTitle(OpenLogTitle(app_.data().store));
        });
    } else if (auto* query = qobject_cast<CDatePickerDlg*>(window); query && paneId == pane::QueryId) {
        connect(query, &CDatePickerDlg::queryRequested, this, &CMainFrame::RunDateQuery);
    }
}

// ---------------------------------------------------------------- commands

CLoggerView* CMainFrame::CreateView()
{
    auto* view = new CLoggerView(app_.data(), this);
    connect(view, &CLoggerView::documentTitleChanged, this,
            [this](const QString& t) { app_.doc().SetTitle(t); });
    connect(view, &CLoggerView::readoutChanged, this,
            [this](const QString& time, const QString& ch1, const QString& ch2, const QString& ch3) {
                setPaneText(4, time);
                setPaneText(6, ch1);
                setPaneText(8, ch2);
                setPaneText(10, ch3);
            });
    connect(view, &CLoggerView::reloadRequested, this, &CMainFrame::ReloadWholeLog);
    // The view and the record list follow every change of the open log by
    // themselves; the summary, the read-out and the enabled commands follow
    // it here.
    connect(&app_.data().document, &LogDocument::changed, this, [this] {
        RefreshSummary();
        ClearReadout();
        UpdateCommandUI();
    });
    return view;
}

void CMainFrame::OnCommand(int id)
{
    // The link pauses after a connection ended: a command started now would
    // run on a transport already shut down, so the logger commands wait.
    if (link_->link().pausing() && CommandRules::IsLoggerCommand(id))
        return;
    emit commandRun(id);
    switch (id) {
    case cmd::New:
        app_.NewDocument();
        break;
    case cmd::Open: {
        const QString path = ChooseFile(false);
        if (!path.isEmpty())
            app_.OpenDocumentFile(path);
        break;
    }
    case cmd::SaveAs: {
        const QString path = ChooseFile(true);
        if (!path.isEmpty() && app_.doc().OnSaveDocument(path))
            app_.AddToRecentFileList(path);
        break;
    }
    case cmd::Exit:
        close();
        break;
    case cmd::PrintSetup: {
        QPageSetupDialog dialog(printer(), this);
        dialog.exec();
        break;
    }
    case cmd::Print:
        PrintReport();
        break;
    case cmd::PrintPreview:
        PreviewReport();
        break;
    case cmd::SaveTxt:
        exports_->ExportTxt();
        break;
    case cmd::SaveExcel:
        exports_->ExportExcel();
        break;
    case cmd::SaveBmp:
        exports_->ExportBmp();
        break;
    case cmd::SaveCsv:
        exports_->ExportCsv();
        break;
    case cmd::SavePdf:
        exports_->ExportPdf();
        break;
    case cmd::Connect:
        // A new connection empties the chart: an unsaved download is asked about first.
        if (app_.doc().MayCloseOpenLog())
            link_->Run(&LinkSession::Connect);
        break;
    case cmd::Disconnect:
        link_->Run(&LinkSession::Disconnect);
        break;
    case cmd::Setup:
        ShowOnlyPane(pane::Setup);
        break;
    case cmd::Download:
        // A new download takes the place of the open log: an unsaved one is
        // asked about first. Returns once the user has closed the message
        // dialog of the download.
        if (app_.doc().MayCloseOpenLog())
            link_->Run(&LinkSession::Download);
        break;
    case cmd::DeleteAll:
        link_->Run(&LinkSession::EraseAll);
        break;
    case cmd::FileList:
        ShowOnlyPane(pane::FileList);
        break;
    case cmd::DataList:
        ShowOnlyPane(pane::DataList);
        break;
    case cmd::Query:
        ShowOnlyPane(pane::Query);
        break;
    case cmd::Summary:
        ShowOnlyPane(pane::Summary);
        break;
    case cmd::AlarmLimits:
        EditAlarmLimits();
        break;
    case cmd::OriginalView:
        ReloadWholeLog();
        break;
    case cmd::About:
        app_.ShowAbout(this);
        break;
    case cmd::ContextHelp:
        QWhatsThis::enterWhatsThisMode();
        break;
    case cmd::Help:
        ShowHelp();
        break;
    default:
        break;
    }
    UpdateCommandUI();
}

QPrinter* CMainFrame::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The analysis report is a landscape page.
        printer_->setPageOrientation(QPageLayout::Landscape);
    }
    return printer_.get();
}

void CMainFrame::PrintReport()
{
    QPrinter& p = *printer();
    if (!dialogs_.RunPrintDialog(this, p))
        return;
    const ReportPrinter::JobResult result = report_->PrintJob(p);
    if (result != ReportPrinter::JobResult::Printed)
        ShowMessage(ReportPrinter::JobMessage(result, p));
}

void CMainFrame::PreviewReport()
{
    QPrintPreviewDialog dialog(printer(), this);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { report_->PaintPreview(*p); });
    // Every page is drawn landscape, so the portrait choice would only redraw
    // the same page.
    for (QAction* a : dialog.findChildren<QAction*>())
        if (a->text() == QLatin1String("Portrait"))
            a->setEnabled(false);
    dialog.exec();
    report_->EndPrinting();
}

void CMainFrame::ReloadWholeLog()
{
    app_.doc().LoadCurrentLog();
}

QString CMainFrame::ChooseExportPath(const QString& filter)
{
    const QString path = dialogs_.ChooseExportPath(this, filter, exportFolder_);
    if (!path.isEmpty())
        exportFolder_ = QFileInfo(path).absolutePath();
    return path;
}

QSize CMainFrame::ChartSize() const
{
    return view_->size();
}

QFont CMainFrame::ChartFont() const
{
    return view_->font();
}

QString CMainFrame::ChooseFile(bool save)
{
    return dialogs_.ChooseLogFile(this, save, app_.data().logFolder(), save ? app_.doc().title().trimmed() : QString());
}

void CMainFrame::ShowHelp()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tessaview U Help"),
                    QStringLiteral("Connect a logger with Logger > Connect; its setup appears in the Setup pane.\n"
                                   "Download saves the logger's records as a .logu file in the Logfiles folder and shows "
                                   "them as a chart.\n"
                                   "Double-click a file in the File List to open it; drag across the chart to zoom and "
                                   "right-click it to see the whole log again.\n"
                                   "Shift+F1, then click an item, tells what that item does."),
                    QMessageBox::Ok, this);
    box.exec();
}

// ---------------------------------------------------------------- status bar

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < StatusPaneCount; ++i) {
        const StatusPaneInfo& info = StatusPanes[i];
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("statusPane%1").arg(i));
        if (info.icon) {
            label->setPixmap(QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(info.icon)).pixmap(16, 16));
            label->setAlignment(Qt::AlignCenter);
        } else {
            label->setText(QString::fromLatin1(info.text));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (info.width > 0)
            label->setFixedWidth(StatusPaneWidth(i, label->fontMetrics()));
        else
            label->setMinimumWidth(0);
        // All panes are permanent: the prompts go to pane 0 (see event()),
        // so a prompt never hides the read-out.
        bar->addPermanentWidget(label, info.width > 0 ? 0 : 1);
        statusPanes_[i] = label;
    }
}

void CMainFrame::ClearReadout()
{
    // The record last read out may be gone or elsewhere in the new chart: the
    // panes show their starting texts until the pointer next moves over it.
    for (int index : {4, 6, 8, 10})
        setPaneText(index, QString::fromLatin1(StatusPanes[index].text));
}

int CMainFrame::StatusPaneWidth(int index, const QFontMetrics& metrics)
{
    if (index < 0 || index >= StatusPaneCount)
        return 0;
    const StatusPaneInfo& info = StatusPanes[index];
    if (info.width <= 0)
        return 0;
    // At least the original width; a pane grows to show its starting text
    // and, for the read-out, its widest value whole in the font in use.
    constexpr int paddingPx = 8;
    int needed = metrics.horizontalAdvance(QString::fromLatin1(info.text));
    needed = std::max(needed, metrics.horizontalAdvance(WidestReadoutText(index, metrics)));
    return std::max(info.width, needed + paddingPx);
}

void CMainFrame::setPaneText(int index, const QString& text)
{
    if (QLabel* l = statusPane(index); l && l->text() != text)
        l->setText(text);
}

QString CMainFrame::paneText(int index) const
{
    const QLabel* l = statusPane(index);
    return l ? l->text() : QString();
}

QLabel* CMainFrame::statusPane(int index) const
{
    return index >= 0 && index < StatusPaneCount ? statusPanes_[index] : nullptr;
}

bool CMainFrame::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip) {
        // Prompts show in the message pane; an empty tip brings back the idle text.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        setPaneText(0, tip.isEmpty() ? QString::fromLatin1(IdleStatusText) : tip);
        return true;
    }
    return QMainWindow::event(e);
}

void CMainFrame::LimitsChanged()
{
    app_.data().limits.Reload();
    view_->InvalidateChart();
    if (auto* list = qobject_cast<CDataListPane*>(paneWindow(pane::DataListId)))
        list->LimitsChanged();
    RefreshSummary();
}

void CMainFrame::EditAlarmLimits()
{
    AppData& data = app_.data();
    const LogStore& store = data.store;
    if (store.recordCount == 0)
        return;
    const int channels = store.shownChannels();
    QStringList captions;
    for (int c = 1; c <= channels; ++c)
        captions << CSummaryPane::ChannelCaption(data, c);
    const QByteArray id = data.limits.loggerId();
    const QString logger =
        QStringLiteral("%1 (%2)").arg(QString::fromLatin1(store.loggerName),
                                      QString::fromLatin1(store.loggerId, qsizetype(qstrnlen(store.loggerId, 10))));
    CAlarmLimitsDlg dialog(logger, channels, captions, data.limits.get(), this);
    dialog.messageSink = [this](const QString& text) { ShowMessage(text); };
    if (dialog.exec() != QDialog::Accepted)
        return;
    SaveLimits(id, dialog.limits(), true);
    LimitsChanged();
}

// ---------------------------------------------------------------- document

void CMainFrame::ShowMessage(const QString& text)
{
    dialogs_.ShowMessage(this, text);
}

void CMainFrame::RedrawChartNow()
{
    view_->RedrawChartNow();
}

void CMainFrame::RepaintView()
{
    view_->InvalidateChart();
}

void CMainFrame::DocumentTitleChanged(const QString& title)
{
    // The framework's caption: the document title before the program's.
    setWindowTitle(title + QStringLiteral(" - ") + QString::fromLatin1(CLoggerApp::WindowTitle));
}

bool CMainFrame::IsOpenLog(const QString& fileName) const
{
    const QString open = app_.data().store.currentLogPath;
    if (open.isEmpty() || fileName.isEmpty())
        return false;
    const auto clean = [](const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); };
    return clean(open) == clean(app_.data().logFilePath(fileName));
}

void CMainFrame::OpenLogRenamed(const QString& oldName, const QString& newName)
{
    // The File menu's recent entry goes on opening the file under its new name.
    app_.RenameInRecentFileList(app_.data().logFilePath(oldName), app_.data().logFilePath(newName));
    if (!IsOpenLog(oldName))
        return;
    // The open log follows its file, so reading it again still works.
    app_.data().document.Rename(newName, app_.data().logFilePath(newName));
    app_.doc().SetTitle(OpenLogTitle(app_.data().store));
}

CLoggerDoc::Host::UnsavedAnswer CMainFrame::AskAboutUnsavedLog(const QString& text)
{
    return dialogs_.AskAboutUnsavedLog(this, text);
}

QString CMainFrame::ChooseSavePath()
{
    return ChooseFile(true);
}

void CMainFrame::OpenFromFileList(const QString& fileName)
{
    CLoggerDoc& doc = app_.doc();
    if (doc.MayCloseOpenLog())
        doc.OpenLogFile(app_.data().logFilePath(fileName));
}

void CMainFrame::RunDateQuery(int fromDate, int toDate)
{
    CLoggerDoc& doc = app_.doc();
    // The whole log first, then its range.
    if (!doc.LoadCurrentLog())
        return;
    if (!app_.data().document.NarrowToDates(fromDate, toDate)) {
        // The store keeps the whole log read above.
        dialogs_.ShowWarning(this, QString::fromUtf8(NoMatchedDataMessage));
        return;
    }
    RedrawChartNow();
}

// ---------------------------------------------------------------- close

void CMainFrame::SaveLayouts()
{
    QSettings settings(QString::fromLatin1(CLoggerApp::SettingsOrganization),
                       QString::fromLatin1(CLoggerApp::ApplicationTitle));
    // Kept for the record only: every start builds the arrangement afresh.
    settings.setValue(QStringLiteral("CommandBars"), ToolBarRecords(*this, bars_->toolBars()));
    settings.setValue(QStringLiteral("NormalLayout"), saveState());
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    // An unsaved download is not closed without the user's word.
    if (!app_.doc().MayCloseOpenLog()) {
        e->ignore();
        return;
    }
    SaveLayouts();
    e->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        for (const QUrl& url : e->mimeData()->urls())
            if (url.isLocalFile()) {
                e->acceptProposedAction();
                return;
            }
}

void CMainFrame::dropEvent(QDropEvent* e)
{
    // Each dropped file is opened as the document in turn; the last one stays.
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile())
            app_.OpenDocumentFile(url.toLocalFile());
    e->acceptProposedAction();
}
