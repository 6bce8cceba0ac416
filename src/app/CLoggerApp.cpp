// Start-up in its fixed order, the settings, the recent-file list and the
// screenshot mode of the application object.
#include "app/CLoggerApp.h"

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/DemoLogger.h"
#include "app/UserDialogs.h"
#include "link/LinkSession.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

// The icons live in tv_app, a static library: pull them in explicitly.
static void InitIconResources()
{
    Q_INIT_RESOURCE(tessaview);
}

namespace {

// The screenshot mode's window when no --size is given.
constexpr QSize DefaultScreenshotSize(1280, 800);

QSettings ProfileSettings()
{
    return QSettings(QString::fromLatin1(CLoggerApp::SettingsOrganization),
                     QString::fromLatin1(CLoggerApp::ApplicationTitle));
}

}  // namespace

CLoggerApp::CLoggerApp(IUserDialogs* dialogs) : dialogs_(dialogs), doc_(data_)
{
    if (!dialogs_) {
        ownDialogs_ = std::make_unique<QtUserDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    InitIconResources();
}

CLoggerApp::~CLoggerApp()
{
    ExitInstance();
}

QString CLoggerApp::UsageText()
{
    return QStringLiteral(
        "Usage: tessaview [--home DIR] [--demo] [--screenshot OUT.png [--size WxH]] [FILE.logu]\n"
        "\n"
        "  FILE.logu           open this log as the document\n"
        "  --home DIR          keep Logger.ini and Logfiles/ in DIR (also: TESSAVIEW_HOME)\n"
        "  --demo              start a simulated logger named DEMO and offer it to Connect\n"
        "                      (TESSAVIEW_SIMULATOR names the simulator program)\n"
        "  --screenshot OUT    render the main window into the PNG file OUT and exit\n"
        "  --size WxH          the window's size, e.g. 1280x800\n"
        "  --help              show this text\n");
}

bool CLoggerApp::ParseArguments(const QStringList& arguments, Options& options, QString& error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption home(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption shot(QStringLiteral("screenshot"), QString(), QStringLiteral("OUT"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption demo(QStringLiteral("demo"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({home, shot, size, demo, help});
    parser.addPositionalArgument(QStringLiteral("file"), QString());
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    options = Options();
    options.help = parser.isSet(help);
    options.demo = parser.isSet(demo);
    options.home = parser.value(home);
    options.screenshot = parser.value(shot);
    if (parser.isSet(size)) {
        static const QRegularExpression re(QStringLiteral("^(\\d{2,5})[xX](\\d{2,5})$"));
        const QRegularExpressionMatch m = re.match(parser.value(size));
        if (!m.hasMatch()) {
            error = QStringLiteral("--size wants WIDTHxHEIGHT, e.g. 1280x800, not \"%1\".").arg(parser.value(size));
            return false;
        }
        options.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        error = QStringLiteral("Name one log file at most.");
        return false;
    }
    options.file = files.value(0);
    return true;
}

bool CLoggerApp::InitInstance(const Options& options, bool show)
{
    options_ = options;

    // The per-user settings: the recent-file list and the saved layouts.
    QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsOrganization));
    QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
    LoadRecentFileList();

    // The program folder, Logger.ini and the log folder are settled before
    // any window exists, so every pane lists and saves in the right place.
    data_.programFolder = LoggerSettings::ResolveProgramFolder(
        options.home, qEnvironmentVariable("TESSAVIEW_HOME"), QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    settings_ = LoggerSettings();
    settings_.Read(LoggerSettings::FilePath(data_.programFolder));
    LoggerSettings::EnsureLogFolder(data_.programFolder);

    // The document: a file named on the command line, read before the main
    // window exists (its statistics wait for the first drawing), or an empty one.
    // A file that gave no log (empty or damaged) leaves the empty document.
    bool opened = false;
    if (!options.file.isEmpty())
        opened = OpenDocumentFile(options.file) && doc_.lastOpenReadLog();
    if (!opened)
        doc_.OnNewDocument();

    // Before the main window, which lists the demo logger's device first.
    if (options.demo)
        StartDemoLogger();

    frame_ = std::make_unique<CMainFrame>(*this, *dialogs_);
    doc_.SetHost(frame_.get());
    frame_->DocumentTitleChanged(doc_.title());

    // Painted at once; dropped files are accepted by the frame itself.
    if (show) {
        const QSize size = options.size.isValid() ? options.size
                           : options.screenshot.isEmpty() ? QSize() : DefaultScreenshotSize;
        if (size.isValid()) {
            frame_->resize(size);
            frame_->show();
        } else {
            // Without a window manager "maximised" means nothing: start at the
            // screen's size anyway, so the window never comes up small.
            if (const QScreen* screen = QGuiApplication::primaryScreen())
                frame_->resize(screen->availableGeometry().size());
            frame_->showMaximized();
        }
        QCoreApplication::processEvents();
    }

    // The port tried first, from Logger.ini; the link starts with no command.
    frame_->link().setPortNumber(settings_.portNumber);
    // Under Qt, showing the window does not paint it before this point; a
    // plain clear of statsPending could skip the statistics of a log named on
    // the command line, so settle them here instead.
    data_.document.EnsureStatistics();

    const QString pending = doc_.TakePendingMessage();
    if (!pending.isEmpty())
        ShowMessageLater(pending);
    if (!demoFailure_.isEmpty())
        ShowMessageLater(demoFailure_);
    return true;
}

void CLoggerApp::ShowMessageLater(const QString& text)
{
    if (!options_.screenshot.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(text.trimmed()));
        return;
    }
    CMainFrame* frame = frame_.get();
    QTimer::singleShot(0, frame, [frame, text] { frame->ShowMessage(text); });
}

void CLoggerApp::StartDemoLogger()
{
    demoFailure_.clear();
    auto demo = std::make_unique<DemoLogger>();
    QString why;
    if (!demo->Start(&why)) {
        demoFailure_ = QStringLiteral("The demo logger could not be started.\r\n%1\r\nTessaview U starts without it.")
                           .arg(why);
        return;
    }
    demo_ = std::move(demo);
}

QString CLoggerApp::demoDevice() const
{
    return demo_ ? demo_->device() : QString();
}

int CLoggerApp::Run()
{
    if (!frame_)
        return 1;
    int rc = 0;
    if (!options_.screenshot.isEmpty())
        rc = TakeScreenshot();
    else
        rc = QApplication::exec();
    ExitInstance();
    return rc;
}

int CLoggerApp::TakeScreenshot()
{
    // A few rounds, so that layouts settle and the chart is drawn at its final size.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const QPixmap shot = frame_->grab();
    if (shot.isNull() || !shot.save(options_.screenshot, "PNG")) {
        std::fprintf(stderr, "Cannot write the screenshot %s.\n", qPrintable(options_.screenshot));
        return 1;
    }
    return 0;
}

void CLoggerApp::ExitInstance()
{
    if (frame_) {
        if (frame_->isVisible())
            frame_->close();
        // The frame writes Logger.ini as it goes.
        frame_.reset();
    }
    // Only once the port is closed: a simulator that ended first would look
    // like a pulled cable to a link still connected.
    demo_.reset();
}

void CLoggerApp::WriteSettings()
{
    if (data_.programFolder.isEmpty())
        return;
    settings_.Write(LoggerSettings::FilePath(data_.programFolder));
}

bool CLoggerApp::OpenDocumentFile(const QString& path)
{
    // An unsaved download is not replaced without the user's word.
    if (!doc_.MayCloseOpenLog())
        return false;
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!doc_.OnOpenDocument(full)) {
        RemoveFromRecentFileList(full);
        return false;
    }
    if (doc_.lastOpenReadLog()) {
        AddToRecentFileList(full);
        if (frame_)
            frame_->RedrawChartNow();
    }
    return true;
}

void CLoggerApp::NewDocument()
{
    if (!doc_.MayCloseOpenLog())
        return;
    doc_.OnNewDocument();
}

void CLoggerApp::LoadRecentFileList()
{
    QSettings s = ProfileSettings();
    s.beginGroup(QStringLiteral("Recent File List"));
    recent_.clear();
    for (int i = 1; i <= RecentFileCount; ++i) {
        const QString f = s.value(QStringLiteral("File%1").arg(i)).toString();
        if (!f.isEmpty() && !recent_.contains(f))
            recent_ << f;
    }
}

void CLoggerApp::SaveRecentFileList() const
{
    QSettings s = ProfileSettings();
    s.remove(QStringLiteral("Recent File List"));
    s.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < recent_.size(); ++i)
        s.setValue(QStringLiteral("File%1").arg(i + 1), recent_.at(i));
}

void CLoggerApp::AddToRecentFileList(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    recent_.removeAll(full);
    recent_.prepend(full);
    while (recent_.size() > RecentFileCount)
        recent_.removeLast();
    SaveRecentFileList();
    if (frame_)
        frame_->RebuildRecentMenu();
}

void CLoggerApp::RenameInRecentFileList(const QString& oldPath, const QString& newPath)
{
    const qsizetype at = recent_.indexOf(QFileInfo(oldPath).absoluteFilePath());
    if (at < 0)
        return;
    const QString renamed = QFileInfo(newPath).absoluteFilePath();
    recent_[at] = renamed;
    // The new name may already have had an entry of its own (a file that was
    // replaced): one entry per file.
    for (qsizetype i = recent_.size() - 1; i >= 0; --i)
        if (i != at && recent_.at(i) == renamed)
            recent_.removeAt(i);
    SaveRecentFileList();
    if (frame_)
        frame_->RebuildRecentMenu();
}

void CLoggerApp::RemoveFromRecentFileList(const QString& path)
{
    if (recent_.removeAll(QFileInfo(path).absoluteFilePath()) == 0)
        return;
    SaveRecentFileList();
    if (frame_)
        frame_->RebuildRecentMenu();
}

void CLoggerApp::ShowAbout(QWidget* parent)
{
    CAboutDlg dialog(parent);
    dialog.exec();
}
