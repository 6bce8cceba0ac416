// tessaview-cli ports, setup, download, clock and erase against the simulator
// program: outputs, saved logs and exit codes.
#include "PseudoTerminal.h"
#include "SimulatorProcess.h"

#include "logdata/LogFile.h"
#include "logdata/LogStore.h"
#include "support/TestPaths.h"

#include "support/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class LinkCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        coretest::EnsureCoreApplication();
    }

    void SetUp() override
    {
        loggersim::PseudoTerminal probe;
        std::string why;
        if (!probe.Open(&why))
            GTEST_SKIP() << "no pseudo-terminal here: " << why;
    }

    void StartSimulator(const QStringList& args)
    {
        QString error;
        ASSERT_TRUE(sim.Start(QString::fromLocal8Bit(testpaths::simulator()), args, &error)) << error.toStdString();
    }

    CliRun Run(const QStringList& args, const QString& ports = QString())
    {
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESSAVIEW_PORTS"), ports.isNull() ? sim.device() : ports);
        // The link's time-outs at half their length; its real periods are
        // covered by the link's own end-to-end tests.
        env.insert(QStringLiteral("TESSAVIEW_LINK_TIMER_SCALE"), QStringLiteral("0.5"));
        cli.setProcessEnvironment(env);
        cli.start(QString::fromLocal8Bit(testpaths::cli()), args);
        CliRun run;
        if (!cli.waitForFinished(60000)) {
            cli.kill();
            cli.waitForFinished();
            return run;
        }
        run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        run.out = QString::fromUtf8(cli.readAllStandardOutput());
        run.err = QString::fromUtf8(cli.readAllStandardError());
        return run;
    }

    loggersim::SimulatorProcess sim;
};

std::string Show(const CliRun& run)
{
    return ("exit " + QString::number(run.exitCode) + "\nstdout:\n" + run.out + "stderr:\n" + run.err).toStdString();
}

TEST_F(LinkCommandsTest, PortsListsTheVariableFirstAndNumbered)
{
    const CliRun run = Run({"ports"}, QStringLiteral("/dev/pts/71:/dev/pts/70"));
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    // Each device's line, then an indented line for each detail it has.
    const QStringList all = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList lines;
    for (const QString& line : all)
        if (!line.startsWith(QLatin1String("      ")))
            lines << line;
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], " 1  /dev/pts/71");
    EXPECT_EQ(lines[1], " 2  /dev/pts/70");
    ASSERT_GE(all.size(), 2);
    EXPECT_EQ(all[1], "      Kind:           named in TESSAVIEW_PORTS");
    // Named devices are candidates: a built-in serial port is not offered beside them.
    EXPECT_FALSE(run.out.contains(QLatin1String("/dev/ttyS"))) << Show(run);
}

TEST_F(LinkCommandsTest, WithoutPortTheOnlyCandidateIsUsedAndSeveralAreListed)
{
    StartSimulator({"--records", "3"});
    // The machine's own serial ports (/dev/ttyS0 here) do not stand in the way.
    CliRun run = Run({"clock"});
    EXPECT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_EQ(run.out, "Successfully set the logger time.\n");

    run = Run({"clock"}, sim.device() + QStringLiteral(":/dev/tessaview-missing"));
    EXPECT_NE(run.exitCode, 0) << Show(run);
    EXPECT_TRUE(run.err.contains(QLatin1String("Several devices were found; name one with --port:"))) << Show(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral(" 1  ") + sim.device())) << Show(run);
    EXPECT_TRUE(run.err.contains(QLatin1String(" 2  /dev/tessaview-missing"))) << Show(run);
}

TEST_F(LinkCommandsTest, SetupPrintsThePaneAndWritesChangedFields)
{
    StartSimulator({"--records", "12"});
    CliRun run = Run({"setup", "--port", "1"});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    for (const char* line : {"Configuration", "  1. Name                SIM LOGGER",
                             "  2. Type.               Temperature and Humidity Logger",
                             "  4. Serial No.          SIM0000001", "  6. Log Count           12",
                             "  7. Memory Capacity     43690", "  8. Temperature Unit    C", "Start Mode",
                             "  1. Start Mode          No delay", "Threshold", "  1. Ch1 High            30",
                             "Offset", "  1. CH1 Offset          0.0"})
        EXPECT_TRUE(run.out.contains(QLatin1String(line))) << line << "\n" << Show(run);

    run = Run({"setup", "--port", sim.device(), "--set", "name=BLAST CHILLER 1", "--set=interval=300",
               "--set", "unit=F", "--set", "offset1=-1.5", "--set", "high1=-18", "--set", "startmode=delay",
               "--set", "delay=600"});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_TRUE(run.out.startsWith(QLatin1String("Successfully to set new configuration to the logger.\n")))
        << Show(run);
    for (const char* line : {"  1. Name                BLAST CHILLER 1", "  5. LOG Interval(s)     300",
                             "  8. Temperature Unit    F", "  1. CH1 Offset          -1.5",
                             "  1. Ch1 High            -18", "  1. Start Mode          Delay",
                             "  2. Delay/Timer         600"})
        EXPECT_TRUE(run.out.contains(QLatin1String(line))) << line << "\n" << Show(run);
}

TEST_F(LinkCommandsTest, DownloadSavesTheLogInTheFolder)
{
    StartSimulator({"--type", "2", "--records", "90", "--start", "20110309084444", "--name", "DOCK"});
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const CliRun run = Run({"download", "--port", sim.device(), "--folder", folder.path()});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_TRUE(run.out.contains(QLatin1String("Successfully downloaded all the logs from the logger.\n"))) << Show(run);

    const QString path = folder.path() + QStringLiteral("/Logfiles/DOCK_20110309_1013.logu");
    EXPECT_TRUE(run.out.contains(QStringLiteral("Saved: ") + path)) << Show(run);
    auto log = std::make_unique<LogStore>();
    ASSERT_TRUE(ReadLogFile(path, *log).ok());
    EXPECT_EQ(log->recordCount, 90u);
    EXPECT_EQ(log->channelCount, 1u);
}

TEST_F(LinkCommandsTest, ClockAndEraseReportTheirResult)
{
    StartSimulator({"--records", "5"});
    CliRun run = Run({"clock", "--port", sim.device()});
    EXPECT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_EQ(run.out, "Successfully set the logger time.\n");

    run = Run({"erase", "--port", sim.device()});
    EXPECT_EQ(run.exitCode, 2) << "erase needs --yes\n" << Show(run);
    EXPECT_TRUE(run.err.contains(QLatin1String("--yes")));
    EXPECT_TRUE(Run({"setup", "--port", sim.device()}).out.contains(QLatin1String("6. Log Count           5")));

    run = Run({"erase", "--port", sim.device(), "--yes"});
    EXPECT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_EQ(run.out, "Successfully to delete all the logs from the logger.\n");
    EXPECT_TRUE(Run({"setup", "--port", sim.device()}).out.contains(QLatin1String("6. Log Count           0")));
}

struct FailureCase {
    const char* name;
    QStringList simulator;  // empty: no simulator
    QStringList command;    // DEVICE stands for the simulator's device, FOLDER for a new folder
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class LinkCommandsFailureTest : public LinkCommandsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LinkCommandsFailureTest, PrintsTheMessageAndExitsWithOne)
{
    const FailureCase& c = GetParam();
    if (!c.simulator.isEmpty())
        StartSimulator(c.simulator);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QStringList command = c.command;
    command.replaceInStrings(QStringLiteral("DEVICE"), sim.device());
    command.replaceInStrings(QStringLiteral("FOLDER"), folder.path());
    const CliRun run = Run(command);
    EXPECT_EQ(run.exitCode, 1) << Show(run);
    EXPECT_TRUE((run.out + run.err).contains(QLatin1String(c.message))) << Show(run);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkCommandsFailureTest,
    ::testing::Values(
        FailureCase{"NoSuchDevice", {}, {"clock", "--port", "/dev/tessaview-missing"}, "Failed to connect to the logger.."},
        FailureCase{"NoSuchDeviceNumber", {}, {"clock", "--port", "7"}, "There is no device 7"},
        FailureCase{"ClockRefused", {"--fault", "status0", "--fault-on", "["}, {"clock", "--port", "DEVICE"},
                    "Failed to synchronize time to the logger."},
        FailureCase{"SetupReadOfWrongLength", {"--fault", "wrong-length", "--fault-on", "S"},
                    {"setup", "--port", "DEVICE"},
                    "An error occured when reading configuration from the logger. Please try again."},
        FailureCase{"WriteRefused", {"--fault", "status0", "--fault-on", "U"},
                    {"setup", "--port", "DEVICE", "--set", "interval=120"},
                    "Failed to set new configuration to the logger. Please try it again."},
        FailureCase{"IntervalTooShort", {"--records", "1"}, {"setup", "--port", "DEVICE", "--set", "interval=1"},
                    "The configuration is invalid. Please check it."},
        FailureCase{"CablePulledDuringTheDownload", {"--fault", "hangup-after-identify", "--records", "0"},
                    {"download", "--port", "DEVICE", "--folder", "FOLDER"},
                    "No logs could be downloaded from the logger.\n"
                    "The USB cable was unplugged and the connection was broken."}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// A logger's name (here with an escape sequence that would turn the terminal
// red) reaches the terminal escaped in every command that shows it.
TEST_F(LinkCommandsTest, TextsFromTheLoggerReachTheTerminalEscaped)
{
    const QString name = QStringLiteral("A\x1b[31mB");
    const QString shown = QStringLiteral("A\\x1b[31mB");
    StartSimulator({"--name", name, "--records", "3", "--start", "20110309084444"});
    auto noControls = [](const CliRun& run) {
        return !(run.out + run.err).contains(QChar(0x1b)) && !(run.out + run.err).contains(QChar('\r'));
    };

    CliRun run = Run({"setup", "--port", sim.device()});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_TRUE(run.out.contains("  1. Name                " + shown + "\n")) << Show(run);
    EXPECT_TRUE(noControls(run)) << Show(run);

    // The name is no file name: the log is saved under a stand-in name, and
    // the message naming the file it could not use shows the name escaped.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    run = Run({"download", "--port", sim.device(), "--folder", folder.path()});
    EXPECT_EQ(run.exitCode, 1) << Show(run);
    EXPECT_TRUE(run.out.contains("The file name is invalid: " + folder.path() + "/Logfiles/" + shown
                                 + "_20110309_0846.logu."))
        << Show(run);
    const QString saved = folder.path() + QStringLiteral("/Logfiles/default_20110309_0846.logu");
    EXPECT_TRUE(run.out.contains("Saved: " + saved)) << Show(run);
    EXPECT_TRUE(noControls(run)) << Show(run);

    run = Run({"info", saved});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_TRUE(run.out.contains("Logger name:   " + shown + "\n")) << Show(run);
    EXPECT_TRUE(noControls(run)) << Show(run);

    run = Run({"ports"}, QStringLiteral("/dev/pts/70\x1b]0;owned\x07"));
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_TRUE(run.out.startsWith(" 1  /dev/pts/70\\x1b]0;owned\\x07\n")) << Show(run);
    EXPECT_FALSE(run.out.contains(QChar(0x07))) << Show(run);
    EXPECT_TRUE(noControls(run)) << Show(run);
}

TEST_F(LinkCommandsTest, WrongUsageExitsWithTwoBeforeTouchingTheLogger)
{
    const std::vector<QStringList> cases = {
        {"setup", "--port", "/dev/pts/70", "--set", "colour=red"},
        {"setup", "--port", "/dev/pts/70", "--set", "high1=300"},
        {"setup", "--port", "/dev/pts/70", "--set", "unit=K"},
        {"setup", "--port", "/dev/pts/70", "--set", "interval"},
        {"setup", "--port", "/dev/pts/70", "--set"},
        {"download", "--port"},
        {"download", "--port", "/dev/pts/70", "extra"},
        {"ports", "--bogus"},
    };
    for (const QStringList& args : cases) {
        const CliRun run = Run(args, QStringLiteral("/dev/pts/70"));
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString() << "\n" << Show(run);
        EXPECT_FALSE(run.err.contains(QLatin1String("Connecting to the logger"))) << args.join(' ').toStdString();
    }
    const CliRun shortId = Run({"setup", "--port", "/dev/pts/70", "--set", "id=123456789"}, "/dev/pts/70");
    EXPECT_EQ(shortId.exitCode, 2);
    EXPECT_TRUE(shortId.err.contains(
        QLatin1String("Failed to synchronize configuration to the logger: The SN must includes 10 characters.")))
        << Show(shortId);
}

}  // namespace
