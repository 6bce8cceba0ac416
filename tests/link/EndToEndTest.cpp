// LinkSession over the real transport and timers against the simulator
// program on a pseudo-terminal: every exchange, downloads saved as .logu
// files, a pulled cable, a split answer and spoilt answers. One run of each
// flow (the exchanges, a download, a repeat after a spoilt answer) keeps the
// link's real periods; the others wait on them at half the time.
#include "link/AppData.h"
#include "link/CSerialPort.h"
#include "link/LinkSession.h"
#include "link/QtLinkTimers.h"
#include "logdata/LogFile.h"

#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "SimulatedLogger.h"
#include "SimulatorProcess.h"
#include "support/FakeLink.h"
#include "support/TestPaths.h"

#include "support/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>

namespace {

const QString UnpluggedText = QStringLiteral("The USB cable was unplugged and the connection was broken.");
const QString DownloadDoneText = QStringLiteral("Successfully downloaded all the logs from the logger.");

using coretest::WaitUntil;

std::string Texts(const QStringList& texts)
{
    return texts.join(QStringLiteral(" | ")).toStdString();
}

class EndToEndTest : public ::testing::Test {
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
        ASSERT_TRUE(folder.isValid());
        app.programFolder = folder.path() + QLatin1Char('/');
        ASSERT_TRUE(QDir().mkpath(app.logFolder()));
        transport.SetReceiver(&session);
        timers.SetCallback([this](int id) { session.OnLinkTimer(id); });
    }

    void TearDown() override
    {
        transport.SetReceiver(nullptr);
        timers.SetCallback({});
    }

    // The link's periods at half their length: for the runs that only wait
    // for a time-out or the end of a stream.
    void UseHalfPeriods()
    {
        timers.SetScale(0.5);
    }

    void StartSimulator(const QStringList& args)
    {
        QString error;
        ASSERT_TRUE(sim.Start(QString::fromLocal8Bit(testpaths::simulator()), args, &error)) << error.toStdString();
        ports.devices = {sim.device()};
    }

    void ConnectLogger()
    {
        session.Connect();
        ASSERT_TRUE(WaitUntil([&] { return session.connected(); })) << Texts(messages.messages);
    }

    // Runs a command and waits for the message it ends with.
    QString MessageAfter(const std::function<void()>& command, int timeoutMs = 5000)
    {
        const qsizetype before = messages.messages.size();
        command();
        if (!WaitUntil([&] { return messages.messages.size() > before; }, timeoutMs))
            return QStringLiteral("(no message)");
        return messages.messages.at(before);
    }

    void ReadSetupAndWait()
    {
        const int before = panes.setupValuesShown;
        session.ReadSetup();
        ASSERT_TRUE(WaitUntil([&] { return panes.setupValuesShown > before; })) << Texts(messages.messages);
    }

    QTemporaryDir folder;
    AppData app;
    CSerialPort transport;
    QtLinkTimers timers;
    fakelink::RecordingMessageSink messages;
    fakelink::FakePaneActions panes;
    fakelink::RecordingPrompts prompts;
    fakelink::FakePortDirectory ports;
    LinkSession session{app, transport, timers, messages, panes, prompts, ports};
    loggersim::SimulatorProcess sim;
};

TEST_F(EndToEndTest, ConnectsReadsAndWritesTheSetupSetsTheClockAndErases)
{
    StartSimulator({"--records", "20", "--name", "WAREHOUSE A", "--id", "TV12345678"});
    ConnectLogger();
    EXPECT_EQ(QByteArray(app.config.loggerId, 10), "TV12345678");
    EXPECT_STREQ(app.config.loggerName, "WAREHOUSE A");
    EXPECT_EQ(app.config.channelCount, 2);
    EXPECT_EQ(panes.setupPaneShown, 1);
    EXPECT_FALSE(messages.progressShown);

    ReadSetupAndWait();
    EXPECT_EQ(app.config.logInterval, 60u);
    EXPECT_EQ(app.config.logCount, 20u);
    EXPECT_EQ(QByteArray(app.config.model, 6), "SIM-01");

    app.config.SetLoggerName(QStringLiteral("FREEZER 2"));
    app.config.SetLogInterval(120);
    app.config.SetChannelOffset(0, QStringLiteral("-1.5"));
    app.config.SetStartMode(QStringLiteral("Delay"));
    app.config.SetStartDelay(QStringLiteral("30"));
    EXPECT_EQ(MessageAfter([&] { session.WriteSetup(); }),
              QStringLiteral("Successfully to set new configuration to the logger."));

    app.config.SetLoggerName(QStringLiteral("not sent"));
    ReadSetupAndWait();
    EXPECT_STREQ(app.config.loggerName, "FREEZER 2");
    EXPECT_EQ(app.config.logInterval, 120u);
    EXPECT_FLOAT_EQ(app.config.channelOffset[0], -1.5f);
    EXPECT_EQ(app.config.startMode, 1);
    EXPECT_EQ(app.config.startDelay, 30);

    EXPECT_EQ(MessageAfter([&] { session.SetClock(); }), QStringLiteral("Successfully set the logger time."));
    EXPECT_EQ(MessageAfter([&] { session.EraseAll(); }),
              QStringLiteral("Successfully to delete all the logs from the logger."));
    ReadSetupAndWait();
    EXPECT_EQ(app.config.logCount, 0u);

    EXPECT_TRUE(session.connected());
    EXPECT_FALSE(messages.progressShown);
    EXPECT_FALSE(messages.messages.contains(UnpluggedText));
}

struct DownloadCase {
    const char* name;
    uint8_t type;
    int channels;
    bool realPeriods;
};

void PrintTo(const DownloadCase& c, std::ostream* out) { *out << c.name; }

class EndToEndDownloadTest : public EndToEndTest, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(EndToEndDownloadTest, Downloads500RecordsIntoASavedLog)
{
    const DownloadCase& c = GetParam();
    if (!c.realPeriods)
        UseHalfPeriods();
    StartSimulator({"--type", QString::number(c.type), "--records", "500", "--start", "20110309084444"});
    ConnectLogger();
    session.Download();
    ASSERT_TRUE(WaitUntil([&] { return messages.dialogTexts.contains(DownloadDoneText); }, 15000))
        << Texts(messages.dialogTexts);
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    ASSERT_GE(messages.dialogTexts.size(), 2);
    EXPECT_TRUE(messages.dialogTexts.at(1).startsWith(QLatin1String("Downloading data from the logger: ")))
        << Texts(messages.dialogTexts);

    const QStringList saved = QDir(app.logFolder()).entryList({QStringLiteral("*.logu")}, QDir::Files);
    ASSERT_EQ(saved.size(), 1) << Texts(saved);
    EXPECT_EQ(app.store.currentLogPath, app.logFilePath(saved.first()));

    // What the file holds must be what the logger holds.
    loggersim::SimSettings settings;
    settings.type = c.type;
    settings.records = 500;
    ASSERT_TRUE(loggersim::ParseTimestamp("20110309084444", settings.start));
    const loggersim::SimulatedLogger logger(settings);

    auto log = std::make_unique<LogStore>();
    const LogReadResult read = ReadLogFile(app.logFilePath(saved.first()), *log);
    ASSERT_TRUE(read.ok()) << read.message.toStdString();
    ASSERT_EQ(log->recordCount, 500u);
    EXPECT_EQ(log->channelCount, uint32_t(c.channels));
    EXPECT_EQ(QByteArray(log->loggerId, 10), "SIM0000001");
    EXPECT_STREQ(log->loggerName, "SIM LOGGER");
    EXPECT_EQ(QByteArray(log->timestamp(0), 14), "20110309084444");
    EXPECT_EQ(QByteArray(log->timestamp(499), 14), "20110309170344");
    for (uint32_t i = 0; i < 500; i += 7) {
        ASSERT_FLOAT_EQ(log->value[1][i], float(logger.Reading(1, int(i)) / 10.0)) << i;
        if (c.channels == 2) {
            ASSERT_FLOAT_EQ(log->value[2][i], float(logger.Reading(2, int(i)) / 10.0)) << i;
            // The dew point lies below the air temperature at any humidity under 100 %.
            ASSERT_TRUE(std::isfinite(log->value[3][i]) && log->value[3][i] < log->value[1][i]) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Loggers, EndToEndDownloadTest,
                         ::testing::Values(DownloadCase{"TemperatureAndHumidity", 1, 2, true},
                                           DownloadCase{"TemperatureOnly", 2, 1, false}),
                         [](const ::testing::TestParamInfo<DownloadCase>& info) { return std::string(info.param.name); });

TEST_F(EndToEndTest, APulledCableWhileIdleEndsTheConnection)
{
    StartSimulator({"--fault", "hangup-after-identify"});
    ConnectLogger();
    ASSERT_TRUE(WaitUntil([&] { return messages.messages.contains(UnpluggedText); })) << Texts(messages.messages);
    EXPECT_FALSE(session.connected());
    ASSERT_FALSE(panes.loggerButtons.empty());
    EXPECT_FALSE(panes.loggerButtons.back());
    EXPECT_EQ(messages.messages.count(UnpluggedText), 1);
}

// On the real periods: the halves come far apart (beyond the 200 ms of
// silence that ends a chunk, so each is a chunk of its own), and the repeat
// comes long after both.
TEST_F(EndToEndTest, ASplitAnswerIsDroppedAndTheRepeatSucceeds)
{
    StartSimulator({"--fault", "split", "--fault-on", "S", "--fault-times", "1", "--split-pause", "800"});
    ConnectLogger();
    QElapsedTimer clock;
    clock.start();
    ReadSetupAndWait();
    // Both halves were ignored; the answer came to the repeat 2000 ms later.
    EXPECT_GE(clock.elapsed(), LinkSession::RepeatPeriodMs);
    EXPECT_EQ(session.retriesLeft(), LinkSession::Repeats - 1);
    EXPECT_TRUE(messages.messages.isEmpty()) << Texts(messages.messages);
}

struct SpoiltCase {
    const char* name;
    QStringList simulator;
    void (LinkSession::*command)();
    const char* message;
};

void PrintTo(const SpoiltCase& c, std::ostream* out) { *out << c.name; }

class EndToEndSpoiltTest : public EndToEndTest, public ::testing::WithParamInterface<SpoiltCase> {};

TEST_P(EndToEndSpoiltTest, ReportsTheFailureAndStaysConnected)
{
    const SpoiltCase& c = GetParam();
    UseHalfPeriods();
    StartSimulator(c.simulator);
    ConnectLogger();
    EXPECT_EQ(MessageAfter([&] { (session.*c.command)(); }), QString::fromLatin1(c.message));
    EXPECT_TRUE(session.connected());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EndToEndSpoiltTest,
    ::testing::Values(
        SpoiltCase{"ReadSetupOfWrongLength", {"--fault", "wrong-length", "--fault-on", "S"}, &LinkSession::ReadSetup,
                   "An error occured when reading configuration from the logger. Please try again."},
        SpoiltCase{"SetClockRefused", {"--fault", "status0", "--fault-on", "["}, &LinkSession::SetClock,
                   "Failed to synchronize time to the logger."},
        SpoiltCase{"SetClockAnswerWithBadChecksum", {"--fault", "bad-checksum", "--fault-on", "["},
                   &LinkSession::SetClock, "Failed to set time to ther logger: time out."},
        SpoiltCase{"EraseRefused", {"--fault", "status0", "--fault-on", "Y"}, &LinkSession::EraseAll,
                   "An error occured. Please try again."}),
    [](const ::testing::TestParamInfo<SpoiltCase>& info) { return std::string(info.param.name); });

TEST_F(EndToEndTest, AWriteRefusedByTheLoggerIsReported)
{
    StartSimulator({"--fault", "status0", "--fault-on", "U"});
    ConnectLogger();
    ReadSetupAndWait();  // a valid interval to send
    EXPECT_EQ(MessageAfter([&] { session.WriteSetup(); }),
              QStringLiteral("Failed to set new configuration to the logger. Please try it again."));
}

TEST_F(EndToEndTest, AnIdentifyAnswerWithFailedStatusLeavesItUnconnected)
{
    StartSimulator({"--fault", "status0", "--fault-on", "Q"});
    EXPECT_EQ(MessageAfter([&] { session.Connect(); }),
              QStringLiteral("An error occured when connecting to the logger. Please try again."));
    EXPECT_FALSE(session.connected());
}

}  // namespace
