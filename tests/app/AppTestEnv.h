// Shared set-up of the application tests: per-user settings in a temporary
// folder, sample logs, and a started program in a temporary program folder.
// The application object comes from the shared GUI test environment.
#pragma once

#include "app/CLoggerApp.h"
#include "app/CLoggerView.h"
#include "app/CMainFrame.h"
#include "app/UserDialogs.h"
#include "logdata/LogFile.h"
#include "logdata/LogFolder.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace apptest {

// Points the per-user settings and data folders at a temporary folder. It is
// made while the test program starts, before the application object exists
// and before anything reads those folders, so no test touches the user's own
// settings.
class SettingsHome {
public:
    SettingsHome()
    {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/data")).toLocal8Bit());
    }

private:
    QTemporaryDir dir_;
};

inline const SettingsHome settingsHome;

inline void ClearProfile()
{
    QSettings(QString::fromLatin1(CLoggerApp::SettingsOrganization), QString::fromLatin1(CLoggerApp::ApplicationTitle))
        .clear();
}

// Writes a log of n records with the given channel count; returns false when the file cannot be written.
inline bool WriteSampleLog(const QString& path, int channels, uint32_t n, const char* name = "ROOM")
{
    auto store = std::make_unique<LogStore>();
    fixtures::FillStore(*store, uint32_t(channels), n,
                        [](int c, uint32_t i) { return float(c * 10) + float(i % 7) * 0.5f; }, name);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && WriteLogFile(f, *store);
}

// Whether this system can open a pseudo-terminal, the simulated logger's line.
inline bool PseudoTerminalAvailable()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The pane ids that are open, in the order of the pane table.
inline std::vector<int> OpenPanes(const CMainFrame& frame)
{
    std::vector<int> open;
    for (int id : {144, 4000, 4001, 132})
        if (frame.IsPaneOpen(id))
            open.push_back(id);
    return open;
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Answers every dialog of the main window without opening one, and records
// what each said: messages, warnings, progress texts and questions alike go
// to messages, in order.
class RecordingDialogs : public IUserDialogs {
public:
    QStringList messages;
    bool answer = true;   // to every question: OK, Yes, and Save for an unsaved log
    QString openChoice;   // the file Open picks; empty for cancel
    QString saveChoice;   // the file Save As picks; empty for cancel
    QStringList filters;  // of the export save dialogs asked, in order
    // The path an export's save dialog returns for its filter; unset: cancel.
    std::function<QString(const QString& filter)> exportChoice;
    // Stands in for the print dialog: sets up the printer and says whether
    // the user printed. Unset: the dialog is cancelled.
    std::function<bool(QPrinter&)> printChoice;

    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
    void RunProgressMessage(QWidget*, const QString& firstText) override { messages << firstText; }
    void UpdateMessage(const QString& text, bool) override { messages << text; }
    void ShowWarning(QWidget*, const QString& text) override { messages << text; }
    bool AskOkCancel(QWidget*, const QString& text) override { return Ask(text); }
    bool AskYesNo(QWidget*, const QString& text, const QString&) override { return Ask(text); }
    UnsavedAnswer AskAboutUnsavedLog(QWidget*, const QString& text) override
    {
        return Ask(text) ? UnsavedAnswer::Save : UnsavedAnswer::Discard;
    }
    QString ChooseLogFile(QWidget*, bool save, const QString&, const QString&) override
    {
        return save ? saveChoice : openChoice;
    }
    QString ChooseExportPath(QWidget*, const QString& filter, const QString&) override
    {
        filters << filter;
        return exportChoice ? exportChoice(filter) : QString();
    }
    bool RunPrintDialog(QWidget*, QPrinter& printer) override { return printChoice && printChoice(printer); }

private:
    bool Ask(const QString& text)
    {
        messages << text;
        return answer;
    }
};

// The program's real dialogs, except that the log-file choice of Open and
// Save As is taken from a test.
class ChosenFileDialogs : public QtUserDialogs {
public:
    std::function<QString(bool save)> choose;

    QString ChooseLogFile(QWidget* parent, bool save, const QString& folder, const QString& name) override
    {
        return choose ? choose(save) : QtUserDialogs::ChooseLogFile(parent, save, folder, name);
    }
};

// A program started in a temporary program folder, not shown, with its
// messages recorded instead of shown in dialogs.
class StartedApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearProfile();
        ASSERT_TRUE(home.isValid());
    }

    void TearDown() override { app.reset(); }

    QString homePath() const { return home.path() + QStringLiteral("/"); }
    QString logPath(const QString& name) const { return LogFolderPath(homePath()) + name; }

    // A program object whose messages and questions go to messages (each
    // question answered with answer) instead of dialogs.
    void MakeApp() { app = std::make_unique<CLoggerApp>(&dialogs); }

    void Start(const QString& file = QString(), bool show = false)
    {
        MakeApp();
        CLoggerApp::Options o;
        o.home = home.path();
        o.file = file;
        if (show)
            o.size = QSize(1024, 700);
        ASSERT_TRUE(app->InitInstance(o, show));
        frame = app->frame();
        ASSERT_NE(frame, nullptr);
    }

    std::vector<int> OpenPanes() const { return apptest::OpenPanes(*frame); }

    // Writes a sample log of n records into the program's log folder and
    // loads it as the current log.
    void LoadLog(int channels, uint32_t n)
    {
        const QString name = QStringLiteral("ROOM_20110308_1435.logu");
        ASSERT_TRUE(WriteSampleLog(logPath(name), channels, n));
        app->data().store.currentLogName = name;
        app->data().store.currentLogPath = logPath(name);
        ASSERT_TRUE(app->doc().LoadCurrentLog());
    }

    // Runs an export command with the path the save dialog would return; the
    // dialog's filters are kept in filters.
    void Export(int command, const QString& chosen)
    {
        dialogs.exportChoice = [chosen](const QString&) { return chosen; };
        frame->OnCommand(command);
    }

    QString file(const QString& name) const { return home.filePath(name); }

    // Drags the zoom band across the middle of the plot, from fromX to toX
    // pixels right of its left edge.
    void ZoomAcrossPlot(int fromX, int toX)
    {
        CLoggerView* view = frame->view();
        QCoreApplication::processEvents();
        const PlotRect plot = view->plotRect();
        const int y = (plot.top + plot.bottom) / 2;
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(plot.left + fromX, y));
        QTest::mouseMove(view, QPoint(plot.left + toX, y));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(plot.left + toX, y));
    }

    QTemporaryDir home;
    RecordingDialogs dialogs;  // outlives the program object made below
    std::unique_ptr<CLoggerApp> app;
    CMainFrame* frame = nullptr;
    QStringList& messages = dialogs.messages;
    bool& answer = dialogs.answer;  // to every question
    QString& openChoice = dialogs.openChoice;
    QString& saveChoice = dialogs.saveChoice;
    QStringList& filters = dialogs.filters;  // of the export save dialogs asked
};

}  // namespace apptest
