// The application object: start-up, the process-wide data block, the
// settings, the recent-file list, and the screenshot mode.
#pragma once

#include "app/CLoggerDoc.h"
#include "app/LoggerSettings.h"
#include "link/AppData.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class CMainFrame;
class DemoLogger;
class IUserDialogs;
class QWidget;

class CLoggerApp {
public:
    // The framework's caption and the names of the per-user settings.
    static constexpr const char* WindowTitle = "Tessaview U";
    static constexpr const char* SettingsOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* ApplicationTitle = "VORNA Logger";
    static constexpr int RecentFileCount = 8;

    struct Options {
        QString home;        // --home DIR, wins over TESSAVIEW_HOME
        QString file;        // a .logu file to open as the document
        QString screenshot;  // --screenshot OUT.png
        QSize size;          // --size WxH; empty: maximised (screenshot: 1280 × 800)
        bool demo = false;   // --demo
        bool help = false;   // --help
    };
    // Parses the command line (arguments()[0] is the program). On a usage
    // error returns false with the message in error.
    static bool ParseArguments(const QStringList& arguments, Options& options, QString& error);
    static QString UsageText();

    // Every dialog of the main window goes through dialogs; nullptr means the
    // program's real dialogs. Tests pass a recorder that answers them.
    explicit CLoggerApp(IUserDialogs* dialogs = nullptr);
    ~CLoggerApp();
    CLoggerApp(const CLoggerApp&) = delete;
    CLoggerApp& operator=(const CLoggerApp&) = delete;

    // The start-up: the demo logger (--demo), settings, the document, the
    // main window, the program folder, Logger.ini and the Logfiles folder.
    // The window is shown unless show is false (tests look at it unshown).
    bool InitInstance(const Options& options, bool show = true);
    // Runs the event loop, or in screenshot mode renders the window and
    // returns. Returns the exit status.
    int Run();
    // Writes Logger.ini into the program folder; silent when it cannot.
    void WriteSettings();
    // Closes and destroys the main window (which writes Logger.ini), then
    // stops the demo logger.
    void ExitInstance();

    AppData& data() { return data_; }
    LoggerSettings& settings() { return settings_; }
    CLoggerDoc& doc() { return doc_; }
    CMainFrame* frame() { return frame_.get(); }
    const Options& options() const { return options_; }

    // The running demo logger of --demo, or nullptr.
    DemoLogger* demoLogger() { return demo_.get(); }
    // Its device, which the main window lists first; empty without one.
    QString demoDevice() const;

    // The framework's opening of a document: load, remember in the recent
    // list, draw. Returns false when the file could not be read.
    bool OpenDocumentFile(const QString& path);
    void NewDocument();

    QStringList recentFiles() const { return recent_; }
    void AddToRecentFileList(const QString& path);
    void RemoveFromRecentFileList(const QString& path);
    // A file of the list was renamed: its entry keeps its place under the new name.
    void RenameInRecentFileList(const QString& oldPath, const QString& newPath);

    void ShowAbout(QWidget* parent);

    IUserDialogs& dialogs() { return *dialogs_; }

private:
    void LoadRecentFileList();
    void SaveRecentFileList() const;
    int TakeScreenshot();
    // Starts the demo logger; a failure is told to the user once the window is up.
    void StartDemoLogger();
    // Shows text in the message dialog once the main window is up (on the
    // console in screenshot mode, which shows no dialogs).
    void ShowMessageLater(const QString& text);

    std::unique_ptr<IUserDialogs> ownDialogs_;  // the real dialogs, when none were given
    IUserDialogs* dialogs_ = nullptr;
    AppData data_;
    LoggerSettings settings_;
    CLoggerDoc doc_;
    Options options_;
    QStringList recent_;
    std::unique_ptr<DemoLogger> demo_;
    QString demoFailure_;
    std::unique_ptr<CMainFrame> frame_;
};
