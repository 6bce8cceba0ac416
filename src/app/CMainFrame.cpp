// The main window: its command bars, status bar, panes, commands and their
// enabling, and what it saves when it closes.
#include "app/CMainFrame.h"

#include "app/CLoggerApp.h"
#include "app/CMsgDlg.h"
#include "app/Commands.h"

#include "app/CAlarmLimitsDlg.h"
#include "app/CCommProgressDlg.h"
#include "app/CDSLCom.h"
#include "app/CLoggerView.h"
#include "app/DemoPortDirectory.h"
#include "app/LinkTimerSwitch.h"
#include "link/CSerialPort.h"
#include "link/LinkSession.h"
#include "link/PortDirectory.h"
#include "link/QtLinkTimers.h"
#include "link/ThresholdLimits.h"
#include "logdata/DateQuery.h"
#include "logdata/LimitSettings.h"
#include "logdata/LogFile.h"
#include "logdata/Units.h"
#include "panes/CDataListPane.h"
#include "panes/CDatePickerDlg.h"
#include "panes/CFileListPane.h"
#include "panes/CPropertiesPane.h"
#include "panes/CSummaryPane.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>

namespace {

struct PaneInfo {
    int id;
    const char* title;
    int width;
};

// In the order they are created; all dock on the left.
constexpr PaneInfo Panes[] = {
    {pane::QueryId, "Query", 256},
    {pane::DataListId, "Data List", 256},
    {pane::SetupId, "Setup", 256},
    {pane::SummaryId, "Summary", 256},
    {pane::FileListId, "File List", 256},
};

int PaneIdOf(int code)
{
    switch (code) {
    case pane::FileList: return pane::FileListId;
    case pane::Setup: return pane::SetupId;
    case pane::DataList: return pane::DataListId;
    case pane::Query: return pane::QueryId;
    case pane::Summary: return pane::SummaryId;
    default: return 0;
    }
}

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

QIcon IconFor(const char* name)
{
    return name ? QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(name)) : QIcon();
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

CMainFrame::CMainFrame(CLoggerApp& app, QWidget* parent) : QMainWindow(parent), app_(app)
{
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessaview.png")));
    setAcceptDrops(true);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    CreateLink();
    CreateActions();
    CreateStatusBar();
    CreateMenus();
    CreateToolBars();
    CreateShortcuts();
    view_ = CreateView();
    setCentralWidget(view_);
    CreatePanes();
    report_ = std::make_unique<ReportPrinter>(app_.data().store, *this, &app_.data().limits);
    exports_ = std::make_unique<ChartExportCommands>(app_.data().store, *this, &app_.data().limits);

    progress_ = new CCommProgressDlg(this);
    progress_->hide();

    DocumentTitleChanged(app_.doc().title());

    // The enabling rules run while the program is idle, like the framework's
    // idle update, and at once after every command and before a menu opens.
    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(200);
    connect(idleTimer_, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    idleTimer_->start();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame()
{
    idleTimer_->stop();
    app_.doc().SetHost(nullptr);
    // The port last found or chosen is tried first at the next start.
    app_.settings().portNumber = uint8_t(link_->portNumber() & 0xFF);
    app_.WriteSettings();
    // The transport stops its worker before the link logic it hands chunks to
    // goes away; the timers go before the link as well.
    serial_->SetReceiver(nullptr);
    serial_.reset();
    windowTimers_->SetCallback({});
    timers_->Use(nullptr);
}

// ---------------------------------------------------------------- logger link

void CMainFrame::CreateLink()
{
    serial_ = std::make_unique<CSerialPort>();
    const QString demo = app_.demoDevice();
    if (demo.isEmpty())
        ports_ = std::make_unique<PortDirectory>();
    else
        ports_ = std::make_unique<DemoPortDirectory>(demo);
    windowTimers_ = std::make_unique<QtLinkTimers>();
    windowTimers_->SetScale(QtLinkTimers::ScaleFromEnvironment());  // 1 but in tests
    timers_ = std::make_unique<LinkTimerSwitch>(*windowTimers_);
    link_ = std::make_unique<LinkSession>(app_.data(), *serial_, *timers_, *this, *this, *this, *ports_);
    serial_->SetReceiver(link_.get());
    windowTimers_->SetCallback([this](int id) {
        link_->OnLinkTimer(id);
        UpdateCommandUI();
    });
}

void CMainFrame::UseLinkTimers(ILinkTimers* timers)
{
    timers_->Use(timers);
}

void CMainFrame::RunLinkCommand(void (LinkSession::*command)())
{
    if (link_->pausing())
        return;
    ((*link_).*command)();
    UpdateCommandUI();
}

bool CMainFrame::IsLoggerCommand(int id)
{
    return id == cmd::Connect || id == cmd::Disconnect || id == cmd::Setup || id == cmd::Download
           || id == cmd::DeleteAll;
}

CPropertiesPane* CMainFrame::setupPane()
{
    return qobject_cast<CPropertiesPane*>(AttachPaneWindow(pane::SetupId));
}

void CMainFrame::ShowSetupPane()
{
    // A logger has just answered: its thresholds become its alarm limits
    // unless the user chose others for it.
    if (AdoptThresholdsAsLimits(app_.data().config))
        LimitsChanged();
    ShowOnlyPane(pane::Setup);
}

void CMainFrame::EnableLoggerButtons(bool enabled)
{
    if (CPropertiesPane* setup = setupPane()) {
        setup->EnableLoggerButtons(enabled);
        // Connect and Disconnect forget the setup read before: the grid shows
        // no value of a logger that was connected earlier.
        if (!app_.data().config.setupRead)
            setup->ClearSetupValues();
    }
}

void CMainFrame::ShowSetupValues()
{
    if (CPropertiesPane* setup = setupPane())
        setup->ShowSetupValues();
}

void CMainFrame::ShowFileList()
{
    ShowOnlyPane(pane::FileList);
}

int CMainFrame::ChoosePort(const QStringList& devices, int initialNumber)
{
    // The directory knows more of each device than its path: the list shows it.
    return CDSLCom::Choose(this, CDSLCom::RecordsFor(devices, ports_->Records()), initialNumber);
}

// ---------------------------------------------------------------- commands

void CMainFrame::CreateActions()
{
    for (const cmd::CommandInfo& info : cmd::Commands) {
        const QString prompt = QString::fromLatin1(info.prompt);
        const int nl = prompt.indexOf(QLatin1Char('\n'));
        const QString statusText = nl < 0 ? prompt : prompt.left(nl);
        const QString tip = nl < 0 ? prompt : prompt.mid(nl + 1);
        auto* a = new QAction(IconFor(info.icon), QString::fromLatin1(info.menuText), this);
        a->setIconText(QString::fromLatin1(info.caption));
        a->setStatusTip(statusText);
        a->setToolTip(tip);
        a->setWhatsThis(statusText);
        a->setData(info.id);
        // The text after "\t" is only shown as a hint; the keys are bound in CreateShortcuts.
        a->setShortcutContext(Qt::WidgetShortcut);
        const int id = info.id;
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions_.insert(id, a);
    }
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("Menu Bar"));
    for (const cmd::BarLayout& popup : cmd::MenuLayout) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(popup.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        for (std::size_t i = 0; i < popup.count; ++i) {
            const int id = popup.items[i];
            if (id == cmd::Separator)
                menu->addSeparator();
            else
                menu->addAction(actions_.value(id));
        }
        if (popup.items[0] == cmd::Open)
            fileMenu_ = menu;
    }
    RebuildRecentMenu();
}

void CMainFrame::CreateToolBars()
{
    for (const cmd::BarLayout& layout : cmd::ToolbarLayout) {
        auto* tb = new QToolBar(QString::fromLatin1(layout.title), this);
        tb->setObjectName(QString::fromLatin1(layout.title));
        tb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tb->setIconSize(QSize(24, 24));
        tb->setAllowedAreas(Qt::AllToolBarAreas);
        tb->setMovable(true);
        for (std::size_t i = 0; i < layout.count; ++i) {
            const int id = layout.items[i];
            if (id == cmd::Separator)
                tb->addSeparator();
            else
                tb->addAction(actions_.value(id));
        }
        // Added one after another to the top area, they share one row.
        addToolBar(Qt::TopToolBarArea, tb);
        toolBars_ << tb;
    }
}

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

void CMainFrame::CreateShortcuts()
{
    struct Key {
        QKeySequence keys;
        std::function<void()> run;
    };
    // The keys of the exports follow the commands' enabling rules, as the
    // menu items that show them do.
    auto whenEnabled = [this](int id) {
        return [this, id] {
            UpdateCommandUI();
            if (QAction* a = action(id); a && a->isEnabled())
                OnCommand(id);
        };
    };
    const Key keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), [this] { OnCommand(cmd::New); }},
        {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OnCommand(cmd::Open); }},
        {QKeySequence(Qt::CTRL | Qt::Key_P), [this] { OnCommand(cmd::Print); }},
        {QKeySequence(Qt::CTRL | Qt::Key_E), whenEnabled(cmd::SaveExcel)},
        {QKeySequence(Qt::CTRL | Qt::Key_T), whenEnabled(cmd::SaveTxt)},
        {QKeySequence(Qt::CTRL | Qt::Key_J), whenEnabled(cmd::SaveBmp)},
        // Save has an empty handler: the key is taken and nothing happens.
        {QKeySequence(Qt::CTRL | Qt::Key_S), [] {}},
        {QKeySequence(Qt::Key_F6), [this] { FocusNextPane(true); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), [this] { FocusNextPane(false); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), [this] { OnCommand(cmd::ContextHelp); }},
        {QKeySequence(Qt::Key_F1), [this] { OnCommand(cmd::Help); }},
    };
    for (const Key& k : keys) {
        auto* s = new QShortcut(k.keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, k.run);
    }
    // Undo, cut, copy and paste have no command here; their keys are left to
    // the focused control, so text fields in the panes keep them.
}

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
    // The view, the summary and the enabled commands follow every change of
    // the open log; the record list is a snapshot filled again when its pane
    // next comes to the front.
    connect(&app_.data().document, &LogDocument::changed, this, [this] {
        RefreshSummary();
        UpdateCommandUI();
    });
    return view;
}

void CMainFrame::OnCommand(int id)
{
    // The link is half way through a Disconnect: a command started now would
    // run on a transport already shut down, so the logger commands wait.
    if (link_->pausing() && IsLoggerCommand(id))
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
            link_->Connect();
        break;
    case cmd::Disconnect:
        link_->Disconnect();
        break;
    case cmd::Setup:
        ShowOnlyPane(pane::Setup);
        break;
    case cmd::Download:
        // A new download takes the place of the open log: an unsaved one is
        // asked about first. Returns once the user has closed the message
        // dialog of the download.
        if (app_.doc().MayCloseOpenLog())
            link_->Download();
        break;
    case cmd::DeleteAll:
        link_->EraseAll();
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
    if (printDialogHook) {
        if (!printDialogHook(p))
            return;
    } else {
        QPrintDialog dialog(&p, this);
        // The report is one page: there is no range to choose.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setMinMax(1, 1);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
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
    UpdateCommandUI();
}

CommandState CMainFrame::commandState() const
{
    CommandState s;
    s.connected = link_->connected();
    s.activeCommand = link_->activeCommand();
    s.recordCount = app_.data().store.recordCount;
    s.recentHasFile = !app_.recentFiles().isEmpty();
    return s;
}

void CMainFrame::UpdateCommandUI()
{
    const CommandState s = commandState();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it)
        it.value()->setEnabled(CommandRules::IsEnabled(it.key(), s) && !(link_->pausing() && IsLoggerCommand(it.key())));
    for (QAction* a : recentActions_)
        a->setEnabled(CommandRules::IsEnabled(cmd::RecentFile, s));
    setPaneText(2, CommandRules::ConnectionText(s));
}

void CMainFrame::RebuildRecentMenu()
{
    if (!fileMenu_)
        return;
    QAction* placeholder = actions_.value(cmd::RecentFile);
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    const QStringList files = app_.recentFiles();
    // The placeholder "File List" stands where the entries go and shows, disabled, while there are none.
    placeholder->setVisible(files.isEmpty());
    const QList<QAction*> items = fileMenu_->actions();
    const int at = int(items.indexOf(placeholder));
    QAction* before = at + 1 < items.size() ? items.at(at + 1) : nullptr;
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), this);
        a->setStatusTip(QStringLiteral("Open this document"));
        a->setToolTip(QDir::toNativeSeparators(path));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] {
            app_.OpenDocumentFile(path);
            UpdateCommandUI();
        });
        fileMenu_->insertAction(before, a);
        recentActions_ << a;
    }
    UpdateCommandUI();
}

QString CMainFrame::ChooseExportPath(const QString& filter)
{
    QString path;
    if (exportPathChooser) {
        path = exportPathChooser(filter);
    } else {
        // No suggested name and no default suffix; the dialog asks before an
        // existing file is replaced.
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), exportFolder_, filter);
    }
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
    if (fileChooser)
        return fileChooser(save);
    const QString filter = QStringLiteral("Vorna Logger Files (*.logu);;All Files (*)");
    const QString folder = app_.data().logFolder();
    if (!save)
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open"), folder, filter);
    QFileDialog dialog(this, QStringLiteral("Save As"), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without extension gets the program's own one.
    dialog.setDefaultSuffix(QStringLiteral("logu"));
    const QString name = app_.doc().title().trimmed();
    if (!name.isEmpty())
        dialog.selectFile(name);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
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

// ---------------------------------------------------------------- panes

void CMainFrame::CreatePanes()
{
    for (const PaneInfo& info : Panes) {
        auto* dock = new QDockWidget(QString::fromLatin1(info.title), this);
        dock->setObjectName(QStringLiteral("pane%1").arg(info.id));
        dock->setAllowedAreas(Qt::AllDockWidgetAreas);
        addDockWidget(Qt::LeftDockWidgetArea, dock);
        docks_.insert(info.id, dock);
        const int id = info.id;
        // A pane the user brings back by other means still gets its window.
        connect(dock, &QDockWidget::visibilityChanged, this, [this, id](bool visible) {
            if (visible)
                AttachPaneWindow(id);
            // The store may have changed unseen (a connect empties it).
            if (visible && id == pane::SummaryId)
                RefillPane(id);
        });
    }
    AttachPaneWindow(pane::FileListId);
    for (int id : {int(pane::QueryId), int(pane::SetupId), int(pane::DataListId), int(pane::SummaryId)})
        docks_.value(id)->hide();
    resizeDocks({docks_.value(pane::FileListId)}, {256}, Qt::Horizontal);
}

QDockWidget* CMainFrame::paneDock(int paneId) const
{
    return docks_.value(paneId);
}

QWidget* CMainFrame::paneWindow(int paneId) const
{
    QDockWidget* d = docks_.value(paneId);
    return d ? d->widget() : nullptr;
}

bool CMainFrame::IsPaneOpen(int paneId) const
{
    QDockWidget* d = docks_.value(paneId);
    return d && !d->isHidden();
}

QWidget* CMainFrame::AttachPaneWindow(int paneId)
{
    QDockWidget* dock = docks_.value(paneId);
    if (!dock)
        return nullptr;
    if (dock->widget())
        return dock->widget();
    QWidget* w = nullptr;
    AppData& data = app_.data();
    switch (paneId) {
    case pane::FileListId: {
        auto* list = new CFileListPane(data, dock);
        list->setMessageSink(this);
        list->setPrompts(this);
        connect(list, &CFileListPane::openLogRequested, this, &CMainFrame::OpenFromFileList);
        connect(list, &CFileListPane::logRenamed, this, &CMainFrame::OpenLogRenamed);
        connect(list, &CFileListPane::logDeleted, this, [this](const QString& name) {
            if (IsOpenLog(name))
                app_.doc().SetTitle(OpenLogTitle(app_.data().store));
        });
        w = list;
        break;
    }
    case pane::DataListId:
        w = new CDataListPane(data, dock);
        break;
    case pane::SetupId: {
        auto* setup = new CPropertiesPane(data, dock);
        connect(setup, &CPropertiesPane::readSetupRequested, this, [this] { RunLinkCommand(&LinkSession::ReadSetup); });
        connect(setup, &CPropertiesPane::writeSetupRequested, this,
                [this] { RunLinkCommand(&LinkSession::WriteSetup); });
        connect(setup, &CPropertiesPane::setClockRequested, this, [this] { RunLinkCommand(&LinkSession::SetClock); });
        // A pane first made while a logger is connected starts with its buttons enabled.
        setup->EnableLoggerButtons(link_->connected());
        w = setup;
        break;
    }
    case pane::SummaryId:
        w = new CSummaryPane(data, dock);
        break;
    case pane::QueryId: {
        auto* query = new CDatePickerDlg(data, dock);
        connect(query, &CDatePickerDlg::queryRequested, this, &CMainFrame::RunDateQuery);
        w = query;
        break;
    }
    default:
        return nullptr;
    }
    dock->setWidget(w);
    return w;
}

void CMainFrame::ShowPane(int paneId)
{
    QDockWidget* dock = docks_.value(paneId);
    if (!dock)
        return;
    QWidget* w = AttachPaneWindow(paneId);
    dock->show();
    dock->raise();
    if (w)
        w->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::RefillPane(int paneId)
{
    QWidget* w = paneWindow(paneId);
    if (!w)
        return;
    if (paneId == pane::DataListId) {
        if (auto* list = qobject_cast<CDataListPane*>(w)) {
            list->FillRecordList();
            // Wide enough for every value column; never narrower than the
            // user made it.
            QDockWidget* dock = docks_.value(paneId);
            const int needed = list->FullWidth() + (dock->width() - list->width());
            if (!dock->isFloating() && dock->width() < needed)
                resizeDocks({dock}, {needed}, Qt::Horizontal);
        }
    } else if (paneId == pane::FileListId) {
        if (auto* list = qobject_cast<CFileListPane*>(w))
            list->RefreshFileList();
    } else if (paneId == pane::SummaryId) {
        if (auto* summary = qobject_cast<CSummaryPane*>(w))
            summary->Recompute();
    }
}

void CMainFrame::CloseAllPanes()
{
    for (QDockWidget* d : std::as_const(docks_))
        d->hide();
}

void CMainFrame::ShowOnlyPane(int paneCode)
{
    const int id = PaneIdOf(paneCode);
    if (!id)
        return;
    CloseAllPanes();
    ShowPane(id);
    if (paneCode == pane::DataList || paneCode == pane::FileList || paneCode == pane::Summary)
        RefillPane(id);
    // The summary's time stamps need more room than the other panes.
    if (auto* summary = qobject_cast<CSummaryPane*>(paneWindow(id)))
        if (QDockWidget* dock = docks_.value(id); dock->width() < summary->preferredWidth())
            resizeDocks({dock}, {summary->preferredWidth()}, Qt::Horizontal);
    currentPane_ = paneCode;
}

void CMainFrame::RestoreCurrentPane()
{
    const int id = PaneIdOf(currentPane_);
    if (!id)
        return;
    ShowPane(id);
    if (currentPane_ == pane::DataList || currentPane_ == pane::Summary)
        RefillPane(id);
}

void CMainFrame::FocusNextPane(bool forward)
{
    // The view and the open panes, in the order they stand on screen.
    QList<QWidget*> stops;
    for (const PaneInfo& info : Panes) {
        QDockWidget* d = docks_.value(info.id);
        if (!d->isHidden() && d->widget())
            stops << d->widget();
    }
    std::reverse(stops.begin(), stops.end());
    stops << view_;
    QWidget* focus = QApplication::focusWidget();
    int at = -1;
    for (int i = 0; i < stops.size(); ++i)
        if (focus && (focus == stops[i] || stops[i]->isAncestorOf(focus)))
            at = i;
    const int n = int(stops.size());
    const int next = at < 0 ? 0 : (at + (forward ? 1 : n - 1)) % n;
    stops[next]->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::ClearRecordList()
{
    RefillPane(pane::DataListId);
}

void CMainFrame::RefreshSummary()
{
    // Made once first shown, the pane follows every change of the records
    // from then on, shown or not; a pass over them takes a few milliseconds.
    RefillPane(pane::SummaryId);
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
    if (messageHook) {
        messageHook(text);
        return;
    }
    CMsgDlg::ShowMessage(this, text);
}

bool CMainFrame::AskOkCancel(const QString& text)
{
    if (questionHook)
        return questionHook(text);
    return CMsgDlg::AskOkCancel(this, text);
}

bool CMainFrame::AskYesNo(const QString& text, const QString& caption)
{
    if (questionHook)
        return questionHook(text);
    return QMessageBox::question(this, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void CMainFrame::RunProgressMessage(const QString& firstText)
{
    if (messageHook) {
        messageHook(firstText);
        return;
    }
    CMsgDlg::RunProgress(this, firstText);
}

void CMainFrame::UpdateMessage(const QString& text, bool enableButtons)
{
    if (messageHook) {
        messageHook(text);
        return;
    }
    CMsgDlg::UpdateCurrentMessage(text, enableButtons);
}

void CMainFrame::ShowProgress(const QString& text)
{
    progress_->showText(text);
}

void CMainFrame::HideProgress()
{
    progress_->hide();
}

void CMainFrame::RedrawChartNow()
{
    view_->RedrawChartNow();
}

void CMainFrame::RepaintView()
{
    view_->InvalidateChart();
}

void CMainFrame::ShowStandardWarning(const QString& text)
{
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox::warning(this, QString::fromLatin1(CLoggerApp::ApplicationTitle), text);
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
    if (!IsOpenLog(oldName))
        return;
    // The open log follows its file, so reading it again still works.
    app_.data().document.Rename(newName, app_.data().logFilePath(newName));
    app_.doc().SetTitle(OpenLogTitle(app_.data().store));
}

CLoggerDoc::Host::UnsavedAnswer CMainFrame::AskAboutUnsavedLog(const QString& text)
{
    if (questionHook)
        return questionHook(text) ? UnsavedAnswer::Save : UnsavedAnswer::Discard;
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(CLoggerApp::ApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    // Plain words on the buttons: save it, discard it, or stay.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Save"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Discard"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return UnsavedAnswer::Save;
    case QMessageBox::No: return UnsavedAnswer::Discard;
    default: return UnsavedAnswer::Stay;
    }
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
    UpdateCommandUI();
}

void CMainFrame::RunDateQuery(int fromDate, int toDate)
{
    CLoggerDoc& doc = app_.doc();
    // The whole log first, then its range.
    if (!doc.LoadCurrentLog())
        return;
    if (!app_.data().document.NarrowToDates(fromDate, toDate)) {
        // The store keeps the whole log read above.
        ShowStandardWarning(QString::fromUtf8(NoMatchedDataMessage));
        UpdateCommandUI();
        return;
    }
    RedrawChartNow();
    UpdateCommandUI();
}

// ---------------------------------------------------------------- close

void CMainFrame::SaveLayouts()
{
    QSettings settings(QString::fromLatin1(CLoggerApp::SettingsOrganization),
                       QString::fromLatin1(CLoggerApp::ApplicationTitle));
    // Kept for the record only: every start builds the arrangement afresh.
    settings.setValue(QStringLiteral("CommandBars"), ToolBarRecords(*this, toolBars_));
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
    UpdateCommandUI();
}
