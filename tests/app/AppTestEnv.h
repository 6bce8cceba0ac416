// Shared set-up of the application tests: one QApplication whose per-user
// settings live in a temporary folder, sample logs, and a started program in
// a temporary program folder.
#pragma once

#include "app/CLoggerApp.h"
#include "app/CMainFrame.h"
#include "logdata/LogFile.h"
#include "support/StoreFixtures.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace apptest {

// The QApplication of the test program. The settings folder is redirected
// before anything reads it, so no test touches the user's own settings.
inline QApplication& App()
{
    static QTemporaryDir configHome;
    static const bool redirected = [] {
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", (configHome.path() + QStringLiteral("/data")).toLocal8Bit());
        return true;
    }();
    (void)redirected;
    static int argc = 1;
    static char name[] = "apptest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a QApplication torn down among the exit-time statics
    // outlives parts of Qt it still needs.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

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

// A program started in a temporary program folder, not shown, with its
// messages recorded instead of shown in dialogs.
class StartedApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ClearProfile();
        ASSERT_TRUE(home.isValid());
    }

    void TearDown() override { app.reset(); }

    QString homePath() const { return home.path() + QStringLiteral("/"); }
    QString logPath(const QString& name) const { return homePath() + QStringLiteral("Logfiles/") + name; }

    void Start(const QString& file = QString(), bool show = false)
    {
        app = std::make_unique<CLoggerApp>();
        app->messageHook = [this](const QString& m) { messages << m; };
        app->questionHook = [this](const QString& q) {
            messages << q;
            return answer;
        };
        CLoggerApp::Options o;
        o.home = home.path();
        o.file = file;
        if (show)
            o.size = QSize(1024, 700);
        ASSERT_TRUE(app->InitInstance(o, show));
        frame = app->frame();
        ASSERT_NE(frame, nullptr);
        frame->fileChooser = [this](bool save) { return save ? saveChoice : openChoice; };
    }

    // The pane ids that are open, in the order of the pane table.
    std::vector<int> OpenPanes() const
    {
        std::vector<int> open;
        for (int id : {144, 4000, 4001, 132})
            if (frame->IsPaneOpen(id))
                open.push_back(id);
        return open;
    }

    QTemporaryDir home;
    std::unique_ptr<CLoggerApp> app;
    CMainFrame* frame = nullptr;
    QStringList messages;
    bool answer = true;  // to every question
    QString openChoice;
    QString saveChoice;
};

}  // namespace apptest
