// Demo mode: finding the simulator program, starting it and learning its
// device, listing it first for Connect, stopping it at exit, and telling the
// user plainly when it cannot be started.
#include "AppTestEnv.h"
#include "ModalAnswerer.h"

#include "app/Commands.h"
#include "app/DemoLogger.h"
#include "app/DemoPortDirectory.h"
#include "link/LinkSession.h"
#include "panes/CPropertiesPane.h"
#include "panes/PropertyGrid.h"
#include "support/GuiTestSupport.h"
#include "support/TestPaths.h"

#include <QAction>
#include <QDir>
#include <QToolButton>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <unistd.h>

namespace {

using apptest::PseudoTerminalAvailable;
using guitest::WaitUntil;

bool WriteProgram(const QString& path, const QByteArray& script)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(script) != script.size())
        return false;
    f.close();
    return f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

bool ProcessGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

TEST(DemoLoggerTest, FindsTheSimulatorWhereItIsLooked)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir top(root.path());
    // A build tree: <build>/src/app/tessaview and <build>/tools/logger-sim/tessaview-logger-sim.
    ASSERT_TRUE(top.mkpath(QStringLiteral("build/src/app")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("build/tools/logger-sim")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("installed")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("empty")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("bin")));
    // An installed copy: <prefix>/bin/tessaview and <prefix>/libexec/tessaview/tessaview-logger-sim,
    // with a stray simulator beside the program that must not win.
    ASSERT_TRUE(top.mkpath(QStringLiteral("usr/bin")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("usr/libexec/tessaview")));
    const QByteArray script = "#!/bin/sh\nexit 0\n";
    const QString inTree = top.filePath(QStringLiteral("build/tools/logger-sim/tessaview-logger-sim"));
    const QString beside = top.filePath(QStringLiteral("installed/tessaview-logger-sim"));
    const QString onPath = top.filePath(QStringLiteral("bin/tessaview-logger-sim"));
    const QString named = top.filePath(QStringLiteral("bin/my-sim"));
    const QString notRunnable = top.filePath(QStringLiteral("empty/plain-file"));
    const QString installed = top.filePath(QStringLiteral("usr/libexec/tessaview/tessaview-logger-sim"));
    const QString strayBesideInstalled = top.filePath(QStringLiteral("usr/bin/tessaview-logger-sim"));
    for (const QString& p : {inTree, beside, onPath, named, installed, strayBesideInstalled})
        ASSERT_TRUE(WriteProgram(p, script)) << p.toStdString();
    {
        QFile f(notRunnable);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const ScopedVariable path("PATH", top.filePath(QStringLiteral("bin")).toLocal8Bit());

    struct Case {
        const char* what;
        QString named;
        QString programDir;
        QString found;  // empty: none, with a reason
    };
    const Case cases[] = {
        {"installed, in libexec", {}, top.filePath(QStringLiteral("usr/bin")), installed},
        {"beside the program", {}, top.filePath(QStringLiteral("installed")), beside},
        {"in the build tree", {}, top.filePath(QStringLiteral("build/src/app")), inTree},
        {"on PATH", {}, top.filePath(QStringLiteral("empty")), onPath},
        {"named by path", named, top.filePath(QStringLiteral("installed")), named},
        {"named by a name on PATH", QStringLiteral("my-sim"), top.filePath(QStringLiteral("installed")), named},
        {"named but missing", top.filePath(QStringLiteral("nothing")), top.filePath(QStringLiteral("installed")), {}},
        {"named but not runnable", notRunnable, top.filePath(QStringLiteral("installed")), {}},
    };
    for (const Case& k : cases) {
        QString error;
        const QString got = DemoLogger::FindProgram(k.named, k.programDir, &error);
        EXPECT_EQ(got, k.found) << k.what;
        if (k.found.isEmpty()) {
            EXPECT_TRUE(error.contains(QStringLiteral("TESSAVIEW_SIMULATOR"))) << k.what;
            EXPECT_TRUE(error.contains(k.named)) << k.what;
        }
    }

    // Nowhere at all: the reason names the program and the variable.
    const ScopedVariable noPath("PATH", top.filePath(QStringLiteral("empty")).toLocal8Bit());
    QString error;
    EXPECT_EQ(DemoLogger::FindProgram({}, top.filePath(QStringLiteral("empty")), &error), QString());
    EXPECT_TRUE(error.contains(QStringLiteral("tessaview-logger-sim"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("TESSAVIEW_SIMULATOR"))) << error.toStdString();
    EXPECT_TRUE(error.contains(root.path() + QStringLiteral("/libexec/tessaview"))) << error.toStdString();
}

TEST(DemoLoggerTest, ProgramsThatNameNoDeviceAreRefusedAndStopped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* what;
        QByteArray script;
        int deadlineMs;
        const char* reason;  // part of the error
    };
    const Case cases[] = {
        {"ends at once", "#!/bin/sh\necho 'cannot open a pseudo-terminal' >&2\nexit 1\n", 5000,
         "ended before it named its device: cannot open a pseudo-terminal"},
        {"prints something else", "#!/bin/sh\necho hello\nexec cat >/dev/null\n", 5000, "printed \"hello\""},
        // The deadline is short here only to keep the test quick.
        {"stays silent", "#!/bin/sh\nexec cat >/dev/null\n", 300, "named no device within 0.3 s"},
    };
    for (const Case& k : cases) {
        const QString program = dir.filePath(QStringLiteral("sim"));
        QFile::remove(program);
        ASSERT_TRUE(WriteProgram(program, k.script)) << k.what;
        DemoLogger demo;
        QString error;
        EXPECT_FALSE(demo.Start(program, {}, &error, k.deadlineMs)) << k.what;
        EXPECT_TRUE(error.contains(QString::fromLatin1(k.reason))) << k.what << ": " << error.toStdString();
        EXPECT_FALSE(demo.running()) << k.what;
        EXPECT_TRUE(demo.device().isEmpty()) << k.what;
    }
    DemoLogger demo;
    QString error;
    EXPECT_FALSE(demo.Start(dir.filePath(QStringLiteral("missing")), {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("could not be started"))) << error.toStdString();
}

TEST(DemoPortDirectoryTest, DemoDeviceFirstThenTheNamedOnes)
{
    {
        const ScopedVariable ports("TESSAVIEW_PORTS", "/dev/ttyUSB3:/dev/pts/9:/dev/ttyUSB3");
        DemoPortDirectory directory(QStringLiteral("/dev/pts/9"));
        EXPECT_EQ(directory.Devices(), (QStringList{"/dev/pts/9", "/dev/ttyUSB3"}));
    }
    const ScopedVariable none("TESSAVIEW_PORTS", "");
    DemoPortDirectory directory(QStringLiteral("/dev/pts/9"));
    // The system's own ports hold no demo logger and are not offered.
    EXPECT_EQ(directory.Devices(), QStringList{"/dev/pts/9"});
}

class DemoModeTest : public apptest::StartedApp {
protected:
    void StartDemo(const QString& simulator)
    {
        variable = std::make_unique<ScopedVariable>(DemoLogger::EnvironmentVariable, simulator.toLocal8Bit());
        MakeApp();
        CLoggerApp::Options o;
        o.home = home.path();
        o.demo = true;
        ASSERT_TRUE(app->InitInstance(o, false));
        frame = app->frame();
        ASSERT_NE(frame, nullptr);
    }

    void TearDown() override
    {
        StartedApp::TearDown();
        variable.reset();
    }

    std::unique_ptr<ScopedVariable> variable;
};

TEST_F(DemoModeTest, DemoLoggerIsConnectedReadAndStoppedAtExit)
{
    if (!PseudoTerminalAvailable())
        GTEST_SKIP() << "no pseudo-terminal here";
    StartDemo(QString::fromLatin1(testpaths::simulator()));
    DemoLogger* demo = app->demoLogger();
    ASSERT_NE(demo, nullptr) << messages.join(QStringLiteral(" | ")).toStdString();
    ASSERT_TRUE(demo->running());
    EXPECT_TRUE(demo->device().startsWith(QStringLiteral("/dev/"))) << demo->device().toStdString();
    EXPECT_EQ(app->demoDevice(), demo->device());
    EXPECT_EQ(frame->portDirectory().Devices().value(0), demo->device());

    // Connect goes straight to it, with no choice to make.
    frame->action(cmd::Connect)->trigger();
    ASSERT_TRUE(WaitUntil([this] { return frame->link().connected(); })) << messages.join(QStringLiteral(" | ")).toStdString();
    CPropertiesPane* setup = frame->setupPane();
    setup->readButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return !setup->grid()->value(CPropertiesPane::NameItem).isEmpty(); }));
    EXPECT_EQ(setup->grid()->value(CPropertiesPane::NameItem), QStringLiteral("DEMO"));
    EXPECT_EQ(setup->grid()->value(CPropertiesPane::SerialItem), QStringLiteral("DEMO000001"));
    EXPECT_EQ(setup->grid()->value(CPropertiesPane::TypeItem), QStringLiteral("Temperature and Humidity Logger"));
    EXPECT_EQ(setup->grid()->value(CPropertiesPane::LogCountItem), QStringLiteral("300"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QStringLiteral(" | ")).toStdString();

    // At exit the port closes first, then the simulator ends: no unplugged message.
    const qint64 pid = demo->processId();
    app->ExitInstance();
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_EQ(app->demoLogger(), nullptr);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(DemoModeTest, DemoThatCannotStartIsToldAndTheProgramStartsNormally)
{
    StartDemo(home.path() + QStringLiteral("/no-such-simulator"));
    EXPECT_EQ(app->demoLogger(), nullptr);
    EXPECT_TRUE(app->demoDevice().isEmpty());
    // The message waits until the window is up.
    EXPECT_TRUE(messages.isEmpty());
    ASSERT_TRUE(WaitUntil([this] { return !messages.isEmpty(); }));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().startsWith(QStringLiteral("The demo logger could not be started.\r\n")))
        << messages.first().toStdString();
    EXPECT_TRUE(messages.first().contains(QStringLiteral("no-such-simulator")));
    EXPECT_TRUE(messages.first().endsWith(QStringLiteral("Tessaview U starts without it.")));
    // Started normally: the File List alone, Connect ready.
    EXPECT_EQ(OpenPanes(), std::vector<int>{pane::FileListId});
    EXPECT_TRUE(frame->action(cmd::Connect)->isEnabled());
}

}  // namespace
