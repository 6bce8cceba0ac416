// Connection, the setup, clock and erase exchanges, their time-outs and
// repeats, and port failures, driven through fakes without waiting.
#include "link/Frames.h"
#include "support/LinkFixture.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>

namespace {

using fakelink::Bytes;

const char* const NoDeviceText =
    "Did not find any devices connected to a USB port. \r\nPlease check all the connections and cables, and try "
    "again. \r\nIf a logger is connected, you may have to restart Tessaview software or your computer for the device "
    "to be recognized.";
const char* const UnpluggedText = "The USB cable was unplugged and the connection was broken.";

Bytes request(char letter, const char* identity, std::span<const uint8_t> parameters = {})
{
    uint8_t tx[FrameAreaSize];
    const int n = BuildRequest(tx, letter, identity, parameters);
    return Bytes(tx, tx + n);
}

// An answer of the given total length: the status byte, then zeros.
Bytes sized(char letter, uint8_t status, size_t length)
{
    Bytes body(length - FrameOverhead, 0);
    body[0] = status;
    return fakelink::Frame(letter, "TV00012345", body);
}

using LinkSessionTest = LinkFixture;

// What a table's case may drive.
struct Rig {
    LinkSession& session;
    fakelink::FakeTransport& transport;
    fakelink::FakeTimers& timers;
    fakelink::FakePortDirectory& ports;
};

// ---- Connect ------------------------------------------------------------

TEST_F(LinkSessionTest, NoDeviceShowsTheNotFoundMessage)
{
    ports.devices.clear();
    session.Connect();
    EXPECT_EQ(messages.messages, QStringList{NoDeviceText});
    EXPECT_TRUE(transport.openedDevices.isEmpty());
    EXPECT_FALSE(session.busy());
}

TEST_F(LinkSessionTest, OneDeviceIsOpenedAndIdentified)
{
    session.Connect();
    EXPECT_EQ(transport.openedDevices, QStringList{"/dev/ttyUSB0"});
    EXPECT_TRUE(prompts.offeredPorts.isEmpty());
    EXPECT_EQ(session.portNumber(), 1);
    EXPECT_EQ(transport.startReaderCount, 1);
    ASSERT_EQ(transport.writes.size(), 1u);
    EXPECT_EQ(LastWrite(), request(letter::Identify, nullptr));
    EXPECT_EQ(timers.Period(LinkSession::IdentifyTimer), 2000);
    EXPECT_EQ(session.retriesLeft(), 10);
    EXPECT_TRUE(messages.progressShown);
    EXPECT_EQ(messages.progressText, "Connecting to the logger, and the USB port is 1. Please wait...");
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
}

struct ChoiceCase {
    int devices;
    int choice;          // the user's answer; -1 keeps the initial selection, 0 cancels
    int offered;
    int initial;
    int opened;          // 1-based device opened, 0 for none
};

TEST_F(LinkSessionTest, SeveralDevicesLetTheUserChoose)
{
    const ChoiceCase cases[] = {
        {2, -1, 2, 1, 1},   // the first one, the likeliest logger, is suggested
        {3, 3, 3, 1, 3},
        {3, 0, 3, 1, 0},    // cancelled
        {16, -1, 16, 1, 1},
        {16, 16, 16, 1, 16},
        {20, -1, 16, 1, 1},
        {20, 17, 16, 1, 0}, // a number that was not offered counts as cancelled
        {35, 5, 16, 1, 5},  // only 30 are looked at
    };
    for (const ChoiceCase& k : cases) {
        AppData app;
        fakelink::FakeTransport transport;
        fakelink::FakeTimers timers;
        fakelink::RecordingMessageSink messages;
        fakelink::FakePaneActions panes;
        fakelink::RecordingPrompts prompts;
        fakelink::FakePortDirectory ports;
        for (int i = 1; i <= k.devices; ++i)
            ports.devices << QStringLiteral("/dev/ttyUSB%1").arg(i);
        prompts.portChoice = k.choice;
        LinkSession session(app, transport, timers, messages, panes, prompts, ports);
        session.Connect();
        const QString what = QStringLiteral("%1 devices, choice %2").arg(k.devices).arg(k.choice);
        EXPECT_EQ(prompts.offeredPorts.size(), k.offered) << qPrintable(what);
        EXPECT_EQ(prompts.initialPort, k.initial) << qPrintable(what);
        if (k.opened) {
            EXPECT_EQ(transport.openedDevices, QStringList{ports.devices.at(k.opened - 1)}) << qPrintable(what);
            EXPECT_EQ(session.portNumber(), k.opened) << qPrintable(what);
        } else {
            EXPECT_TRUE(transport.openedDevices.isEmpty()) << qPrintable(what);
            EXPECT_TRUE(messages.messages.isEmpty()) << qPrintable(what);
        }
    }
}

TEST_F(LinkSessionTest, ConnectDeviceOpensTheNamedDevice)
{
    session.ConnectDevice("/dev/pts/7");
    EXPECT_EQ(transport.openedDevices, QStringList{"/dev/pts/7"});
    EXPECT_EQ(LastWrite(), request(letter::Identify, nullptr));
    EXPECT_TRUE(timers.IsRunning(LinkSession::IdentifyTimer));
}

TEST_F(LinkSessionTest, PortThatCannotBeOpenedIsReported)
{
    transport.openResult = {false, false, {}, "No such file or directory"};
    session.Connect();
    EXPECT_EQ(messages.messages, QStringList{"Failed to connect to the logger.."});
    EXPECT_TRUE(transport.writes.empty());
    EXPECT_FALSE(session.busy());
    EXPECT_FALSE(messages.progressShown);
}

TEST_F(LinkSessionTest, PermissionDeniedNamesTheGroup)
{
    transport.openResult = {false, true, "dialout", "Permission denied"};
    session.Connect();
    EXPECT_EQ(messages.LastMessage(),
              "Failed to connect to the logger..\r\n"
              "Permission denied for /dev/ttyUSB0: add your user to the group dialout, then log in again.");
    transport.openResult.deviceGroup.clear();
    session.Connect();
    EXPECT_TRUE(messages.LastMessage().endsWith("add your user to the group that owns the device, then log in again."));
}

TEST_F(LinkSessionTest, IdentifyAnswerConnects)
{
    app.store.recordCount = 25;
    fakelink::IdentifyFields f;
    f.id = "AB12345678";
    f.type = 8;
    f.name = "FREEZER";
    session.Connect();
    transport.Receive(fakelink::IdentifyAnswer(f));
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(std::string(app.config.loggerId, 10), "AB12345678");
    EXPECT_EQ(app.config.loggerNameText(), "FREEZER");
    EXPECT_EQ(app.config.channelCount, 3);
    EXPECT_EQ(app.config.channelKind[2], 7);
    EXPECT_EQ(panes.setupPaneShown, 1);
    EXPECT_EQ(panes.loggerButtons, std::vector<bool>{true});
    EXPECT_EQ(app.store.recordCount, 0u);
    EXPECT_FALSE(messages.progressShown);
    EXPECT_FALSE(session.busy());
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(LinkSessionTest, BadIdentifyAnswersLeaveTheLinkUnconnected)
{
    for (const Bytes& answer : {fakelink::IdentifyAnswer({}, 0), sized('R', 1, 50)}) {
        session.Connect();
        NewWrites();
        transport.Receive(answer);
        EXPECT_FALSE(session.connected());
        EXPECT_EQ(messages.LastMessage(), "An error occured when connecting to the logger. Please try again.");
        EXPECT_FALSE(timers.IsRunning(LinkSession::IdentifyTimer));
        EXPECT_FALSE(messages.progressShown);
        EXPECT_EQ(NewWrites(), 0u);
    }
}

TEST_F(LinkSessionTest, ChunksThatAreNoAnswerChangeNothing)
{
    session.Connect();
    Bytes bad = fakelink::IdentifyAnswer({});
    bad[46] ^= 1;
    transport.Receive(bad);
    transport.Receive(Bytes(19, 0));
    transport.Receive(sized('Q', 1, 51));
    EXPECT_FALSE(session.connected());
    EXPECT_TRUE(timers.IsRunning(LinkSession::IdentifyTimer));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(LinkSessionTest, DisconnectStopsTheReaderAndDisablesTheButtons)
{
    ConnectLogger();
    session.Disconnect();
    EXPECT_EQ(transport.shutdownCount, 1);
    // The link ends once the port has had its second.
    EXPECT_TRUE(session.pausing());
    EXPECT_TRUE(session.connected());
    EXPECT_TRUE(panes.loggerButtons.back());
    EndPause();
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    EXPECT_EQ(panes.loggerButtons.back(), false);
}

// ---- Time-outs and repeats ------------------------------------------------

struct TimeoutCase {
    const char* what;
    std::function<void(LinkSession&)> start;
    int timer;
    int period;
    size_t sendings;
    const char* message;
    bool progressAfter;
    char activeAfter;
    LinkExchange exchange;
};

class TimeoutTest : public LinkFixture, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(TimeoutTest, RepeatsThenReports)
{
    const TimeoutCase& k = GetParam();
    ConnectLogger();
    app.config.logInterval = 60;
    app.config.setupRead = true;  // as after a read of this logger
    k.start(session);
    EXPECT_EQ(timers.Period(k.timer), k.period);
    timers.FireUntilStopped(k.timer);
    EXPECT_EQ(NewWrites(), k.sendings);
    EXPECT_EQ(messages.messages, QStringList{k.message});
    EXPECT_EQ(messages.progressShown, k.progressAfter);
    EXPECT_EQ(session.activeCommand(), k.activeAfter);
    EXPECT_FALSE(timers.IsRunning(k.timer));
    EXPECT_TRUE(session.connected());
    ASSERT_EQ(observer.exchanges.size(), 2u);  // the connect, then this exchange
    EXPECT_EQ(observer.exchanges.back().exchange, k.exchange);
    EXPECT_EQ(observer.exchanges.back().failure, LinkFailure::TimedOut);
}

INSTANTIATE_TEST_SUITE_P(
    Exchanges, TimeoutTest,
    ::testing::Values(
        TimeoutCase{"read setup", [](LinkSession& s) { s.ReadSetup(); }, 3, 2000, 11, "Time out, please try again.",
                    false, 0, LinkExchange::ReadSetup},
        TimeoutCase{"write setup", [](LinkSession& s) { s.WriteSetup(); }, 5, 2000, 11, "Time out, please try again.",
                    false, 0, LinkExchange::WriteSetup},
        // The set-clock time-out hides the progress window: the exchange is over.
        TimeoutCase{"set clock", [](LinkSession& s) { s.SetClock(); }, 19, 2000, 1,
                    "Failed to set time to ther logger: time out.", false, 0, LinkExchange::SetClock},
        // An erase that timed out keeps 'Z', so Download stays disabled.
        TimeoutCase{"erase", [](LinkSession& s) { s.EraseAll(); }, 16, 5000, 1, "Time out, please try again.", false,
                    'Z', LinkExchange::Erase}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(LinkSessionTest, IdentifyWithoutAnswerGivesUpAfterElevenSendings)
{
    session.Connect();
    timers.FireUntilStopped(LinkSession::IdentifyTimer);
    EXPECT_EQ(transport.writes.size(), 11u);
    for (const Bytes& w : transport.writes)
        EXPECT_EQ(w, request(letter::Identify, nullptr));
    EXPECT_EQ(messages.messages, QStringList{"Connecting failed. Try it again."});
    EXPECT_FALSE(messages.progressShown);
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(transport.shutdownCount, 0);  // the port stays open until the next Connect or Disconnect
}

TEST_F(LinkSessionTest, AnswerAfterTheFourthRepeatEndsTheRepeats)
{
    ConnectLogger();
    session.ReadSetup();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(timers.Fire(LinkSession::ReadSetupTimer));
    EXPECT_EQ(NewWrites(), 5u);
    EXPECT_EQ(session.retriesLeft(), 6);
    fakelink::SetupFields f;
    f.interval = 600;
    transport.Receive(fakelink::SetupAnswer(f));
    EXPECT_FALSE(timers.IsRunning(LinkSession::ReadSetupTimer));
    EXPECT_FALSE(timers.Fire(LinkSession::ReadSetupTimer));
    EXPECT_EQ(NewWrites(), 0u);
    EXPECT_EQ(app.config.logInterval, 600u);
    EXPECT_EQ(panes.setupValuesShown, 1);
    EXPECT_FALSE(messages.progressShown);
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(LinkSessionTest, StaleExpiryOfAStoppedTimerDoesNothing)
{
    ConnectLogger();
    session.ReadSetup();
    transport.Receive(fakelink::SetupAnswer({}));
    session.OnLinkTimer(LinkSession::ReadSetupTimer);
    session.OnLinkTimer(99);
    EXPECT_EQ(NewWrites(), 1u);
    EXPECT_TRUE(messages.messages.isEmpty());
}

// ---- Exchanges and their answers -----------------------------------------

TEST_F(LinkSessionTest, ReadSetupSendsTheConfigIdentityAndShowsProgress)
{
    ConnectLogger();
    session.ReadSetup();
    EXPECT_EQ(LastWrite(), request(letter::ReadSetup, "TV00012345"));
    EXPECT_EQ(messages.progressText, "Begin to read configuration from the logger. Please wait...");
    EXPECT_TRUE(messages.progressShown);
    EXPECT_EQ(session.retriesLeft(), 10);
}

TEST_F(LinkSessionTest, ReadSetupWhileNotConnectedSendsNothing)
{
    session.ReadSetup();
    EXPECT_TRUE(transport.writes.empty());
    EXPECT_FALSE(session.busy());
}

TEST_F(LinkSessionTest, WriteSetupSendsOnlyASetupReadFromTheConnectedLogger)
{
    const QString readFirst = QStringLiteral("Please read the setup from the logger first.");
    prompts.okCancelAnswer = true;
    // A fresh program: nothing read yet, so nothing (offsets 0) is sent.
    ConnectLogger();
    session.WriteSetup();
    EXPECT_EQ(messages.LastMessage(), readFirst);
    EXPECT_TRUE(prompts.questions.isEmpty()) << "refused before asking";
    EXPECT_EQ(NewWrites(), 0u);

    // The first logger's setup is read, then written: that goes out.
    fakelink::SetupFields first;
    first.interval = 600;
    first.offsetTenths[0] = -15;
    first.startMode = 2;
    session.ReadSetup();
    transport.Receive(fakelink::SetupAnswer(first));
    NewWrites();
    session.WriteSetup();
    EXPECT_EQ(NewWrites(), 1u);
    transport.Receive(fakelink::StatusAnswer('V', 1));

    // Disconnect, then another logger: the first one's interval and
    // calibration are gone, and nothing is written until a new read.
    const QStringList before = messages.messages;
    session.Disconnect();
    EndPause();
    EXPECT_FALSE(app.config.setupRead);
    fakelink::IdentifyFields second;
    second.id = "TV00099999";
    second.name = "OTHER";
    ConnectLogger(second);
    EXPECT_EQ(app.config.logInterval, 0u);
    EXPECT_EQ(app.config.channelOffset[0], 0.0f);
    EXPECT_EQ(app.config.startMode, 0);
    EXPECT_EQ(QByteArray(app.config.loggerId, 10), "TV00099999");
    EXPECT_STREQ(app.config.loggerName, "OTHER");
    session.WriteSetup();
    EXPECT_EQ(messages.LastMessage(), readFirst);
    EXPECT_EQ(NewWrites(), 0u);
    EXPECT_EQ(messages.messages.size(), before.size() + 1);
}

TEST_F(LinkSessionTest, WriteSetupAsksAndChecksTheInterval)
{
    ConnectLogger();
    prompts.okCancelAnswer = false;
    app.config.logInterval = 60;
    app.config.setupRead = true;  // as after a read of this logger
    session.WriteSetup();
    EXPECT_EQ(prompts.questions, QStringList{"Are you sure to set new configuration to the logger?"});
    EXPECT_EQ(NewWrites(), 0u);

    prompts.okCancelAnswer = true;
    for (uint32_t interval : {0u, 1u}) {
        app.config.logInterval = interval;
        session.WriteSetup();
        EXPECT_EQ(messages.LastMessage(), "The configuration is invalid. Please check it.");
        EXPECT_EQ(NewWrites(), 0u);
    }
    app.config.logInterval = 2;
    session.WriteSetup();
    ASSERT_EQ(NewWrites(), 1u);
    EXPECT_EQ(LastWrite().size(), 65u);
    EXPECT_EQ(LastWrite()[14], 'U');
    EXPECT_EQ(messages.progressText, "Begin to set new configuration to the logger...");
    EXPECT_TRUE(timers.IsRunning(LinkSession::WriteSetupTimer));
}

TEST_F(LinkSessionTest, SetClockSendsTheComputersTime)
{
    ConnectLogger();
    session.SetClock();
    EXPECT_EQ(LastWrite(), request(letter::SetClock, "TV00012345", ClockParameters(now)));
    EXPECT_EQ(Bytes(LastWrite().begin() + 16, LastWrite().begin() + 23),
              (Bytes{0x44, 0x41, 0x11, 0x08, 0x03, 0x20, 0x11}));
    EXPECT_EQ(messages.progressText, "Begin to set the logger time...");
}

TEST_F(LinkSessionTest, EraseAsksAndUsesTheOpenLogsIdentity)
{
    ConnectLogger();
    std::memcpy(app.store.loggerId, "LOG0000001", 10);
    prompts.yesNoAnswer = false;
    session.EraseAll();
    EXPECT_EQ(NewWrites(), 0u);
    EXPECT_EQ(prompts.questionCaptions, QStringList{"Confirm"});
    EXPECT_EQ(prompts.questions, QStringList{"Are you sure to delete all the logs?"});

    prompts.yesNoAnswer = true;
    session.EraseAll();
    EXPECT_EQ(LastWrite(), request(letter::Erase, "LOG0000001"));
    EXPECT_EQ(session.activeCommand(), LinkSession::Erasing);
    EXPECT_FALSE(messages.progressShown);
}

struct AnswerCase {
    const char* what;
    std::function<void(LinkSession&)> start;
    Bytes answer;
    int timer;
    const char* message;  // nullptr: no message
    LinkFailure failure;
};

class AnswerTest : public LinkFixture, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, EndsTheExchangeWithItsMessage)
{
    const AnswerCase& k = GetParam();
    ConnectLogger();
    app.config.logInterval = 60;
    app.config.setupRead = true;  // as after a read of this logger
    k.start(session);
    NewWrites();
    transport.Receive(k.answer);
    if (k.message)
        EXPECT_EQ(messages.messages, QStringList{k.message});
    else
        EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_FALSE(timers.IsRunning(k.timer));
    EXPECT_FALSE(messages.progressShown);
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    EXPECT_FALSE(session.busy());
    EXPECT_EQ(NewWrites(), 0u);
    EXPECT_TRUE(session.connected());
    ASSERT_EQ(observer.exchanges.size(), 2u);  // the connect, then this exchange
    EXPECT_EQ(observer.exchanges.back().failure, k.failure);
    EXPECT_EQ(OutcomeText(observer.exchanges.back()), k.message ? QString(k.message) : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Exchanges, AnswerTest,
    ::testing::Values(
        AnswerCase{"read_setup", [](LinkSession& s) { s.ReadSetup(); }, fakelink::SetupAnswer({}), 3, nullptr,
                   LinkFailure::None},
        // A logger that could not read its setup answers with status 0: no setup block.
        AnswerCase{"read_setup_status_0", [](LinkSession& s) { s.ReadSetup(); }, sized('T', 0, 76), 3,
                   "An error occured when reading configuration from the logger. Please try again.",
                   LinkFailure::Refused},
        AnswerCase{"read_setup_75_bytes", [](LinkSession& s) { s.ReadSetup(); }, sized('T', 1, 75), 3,
                   "An error occured when reading configuration from the logger. Please try again.",
                   LinkFailure::BadAnswer},
        AnswerCase{"write_setup", [](LinkSession& s) { s.WriteSetup(); }, sized('V', 1, 21), 5,
                   "Successfully to set new configuration to the logger.", LinkFailure::None},
        AnswerCase{"write_setup_status_0", [](LinkSession& s) { s.WriteSetup(); }, sized('V', 0, 21), 5,
                   "Failed to set new configuration to the logger. Please try it again.", LinkFailure::Refused},
        AnswerCase{"write_setup_22_bytes", [](LinkSession& s) { s.WriteSetup(); }, sized('V', 1, 22), 5,
                   "Failed to set new configuration to the logger. Please try it again.", LinkFailure::BadAnswer},
        AnswerCase{"set_clock", [](LinkSession& s) { s.SetClock(); }, sized('\\', 1, 21), 19,
                   "Successfully set the logger time.", LinkFailure::None},
        AnswerCase{"set_clock_status_0", [](LinkSession& s) { s.SetClock(); }, sized('\\', 0, 21), 19,
                   "Failed to synchronize time to the logger.", LinkFailure::Refused},
        AnswerCase{"erase", [](LinkSession& s) { s.EraseAll(); }, sized('Z', 1, 21), 16,
                   "Successfully to delete all the logs from the logger.", LinkFailure::None},
        AnswerCase{"erase_status_0", [](LinkSession& s) { s.EraseAll(); }, sized('Z', 0, 21), 16,
                   "An error occured. Please try again.", LinkFailure::Refused}),
    [](const auto& info) { return std::string(info.param.what); });

// ---- Port failures --------------------------------------------------------

TEST_F(LinkSessionTest, PortFailureWhileIdleIsTheLostConnection)
{
    ConnectLogger();
    transport.FailPort();
    EndPause();
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(transport.shutdownCount, 1);
    EXPECT_EQ(messages.messages, QStringList{UnpluggedText});
    // The other operations that failed with the same cable add nothing.
    transport.FailPort();
    EXPECT_EQ(messages.messages.size(), 1);
    EXPECT_EQ(transport.shutdownCount, 1);
}

TEST_F(LinkSessionTest, PortFailureWhileIdentifyingIsTheLostConnection)
{
    session.Connect();
    transport.FailPort();
    // The identify exchange stops at once, before the pause.
    EXPECT_FALSE(timers.IsRunning(LinkSession::IdentifyTimer));
    EndPause();
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(transport.shutdownCount, 1);
    EXPECT_EQ(messages.messages, QStringList{UnpluggedText});
    // The identify exchange ended with the connection: no repeats, no second message.
    EXPECT_FALSE(timers.IsRunning(LinkSession::IdentifyTimer));
    EXPECT_FALSE(messages.progressShown);
}

struct HangupCase {
    const char* what;
    std::function<void(LinkSession&)> start;
    int timer;
    LinkExchange exchange;
};

// A pulled cable ends the waiting exchange at once: no repeats into a closed
// port, no time-out 22 s later, and the link says it is not connected.
TEST_F(LinkSessionTest, PortFailureEndsTheWaitingExchangeAtOnce)
{
    const HangupCase cases[] = {
        {"read setup", [](LinkSession& s) { s.ReadSetup(); }, LinkSession::ReadSetupTimer, LinkExchange::ReadSetup},
        {"write setup", [](LinkSession& s) { s.WriteSetup(); }, LinkSession::WriteSetupTimer,
         LinkExchange::WriteSetup},
        {"set clock", [](LinkSession& s) { s.SetClock(); }, LinkSession::SetClockTimer, LinkExchange::SetClock},
        {"erase", [](LinkSession& s) { s.EraseAll(); }, LinkSession::EraseTimer, LinkExchange::Erase},
    };
    for (const HangupCase& k : cases) {
        SCOPED_TRACE(k.what);
        ConnectLogger();
        app.config.logInterval = 60;
        app.config.setupRead = true;  // as after a read of this logger
        messages.messages.clear();
        observer.exchanges.clear();
        const int shutdowns = transport.shutdownCount;
        k.start(session);
        NewWrites();
        const qsizetype questions = prompts.questions.size();
        transport.FailPort();
        EXPECT_FALSE(timers.IsRunning(k.timer));
        EXPECT_EQ(NewWrites(), 0u);
        EndPause();
        EXPECT_FALSE(session.connected());
        EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
        EXPECT_FALSE(session.busy());
        EXPECT_FALSE(timers.IsRunning(k.timer));
        EXPECT_FALSE(messages.progressShown);
        EXPECT_EQ(transport.shutdownCount, shutdowns + 1);
        EXPECT_EQ(panes.loggerButtons.back(), false);
        EXPECT_EQ(messages.messages, QStringList{UnpluggedText});
        ASSERT_EQ(observer.exchanges.size(), 1u);
        EXPECT_EQ(observer.exchanges[0].exchange, k.exchange);
        EXPECT_EQ(observer.exchanges[0].failure, LinkFailure::Unplugged);
        // Nothing is sent into the closed port afterwards, whatever is called.
        session.ReadSetup();
        session.WriteSetup();
        session.SetClock();
        session.EraseAll();
        session.Download();
        EXPECT_EQ(NewWrites(), 0u);
        EXPECT_FALSE(session.busy());
        EXPECT_FALSE(messages.dialogOpen);
        EXPECT_EQ(messages.messages.size(), 1);
        EXPECT_EQ(prompts.questions.size(), questions);
        ASSERT_EQ(observer.exchanges.size(), 5u);
        for (size_t i = 1; i < observer.exchanges.size(); ++i)
            EXPECT_EQ(observer.exchanges[i].failure, LinkFailure::NotConnected);
        ASSERT_FALSE(observer.downloads.empty());
        EXPECT_EQ(observer.downloads.back().refused, LinkFailure::NotConnected);
    }
}

TEST_F(LinkSessionTest, PortFailureAfterAnEraseTimedOutIsTheLostConnection)
{
    ConnectLogger();
    session.EraseAll();
    timers.FireUntilStopped(LinkSession::EraseTimer);
    ASSERT_EQ(session.activeCommand(), LinkSession::Erasing);
    messages.messages.clear();
    transport.FailPort();
    EndPause();
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    EXPECT_EQ(messages.messages, QStringList{UnpluggedText});
    EXPECT_EQ(observer.exchanges.back().exchange, LinkExchange::Idle);
    EXPECT_EQ(observer.exchanges.back().failure, LinkFailure::Unplugged);
}

TEST_F(LinkSessionTest, ReadSetupAnswerWithStatusZeroLeavesTheSetupAsItWas)
{
    ConnectLogger();
    fakelink::SetupFields f;
    f.interval = 600;
    app.config.logInterval = 60;
    session.ReadSetup();
    Bytes refused = fakelink::SetupAnswer(f);
    refused[15] = 0;
    refused[refused.size() - 5] ^= 1;  // the checksum covers the status byte
    transport.Receive(refused);
    EXPECT_EQ(app.config.logInterval, 60u);
    EXPECT_EQ(panes.setupValuesShown, 0);
    EXPECT_EQ(messages.LastMessage(),
              "An error occured when reading configuration from the logger. Please try again.");
}

TEST_F(LinkSessionTest, DisconnectEndsTheWaitingExchangeQuietly)
{
    ConnectLogger();
    session.ReadSetup();
    session.Disconnect();
    EXPECT_FALSE(timers.IsRunning(LinkSession::ReadSetupTimer));
    EXPECT_FALSE(messages.progressShown);
    EndPause();
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_EQ(observer.exchanges.back().exchange, LinkExchange::ReadSetup);
    EXPECT_EQ(observer.exchanges.back().failure, LinkFailure::Disconnected);
}

TEST_F(LinkSessionTest, PortFailureAfterTheLinkHasEndedIsIgnored)
{
    session.Connect();
    timers.FireUntilStopped(LinkSession::IdentifyTimer);
    messages.messages.clear();
    transport.FailPort();
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(LinkSessionTest, PortFailureDuringTheDisconnectPauseIsIgnored)
{
    ConnectLogger();
    session.Disconnect();
    transport.FailPort();
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_EQ(transport.shutdownCount, 1);
    EndPause();
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_EQ(transport.shutdownCount, 1);
    EXPECT_FALSE(session.connected());
}

// ---- The pause after a connection ends ------------------------------------

// Until the pause is over the link belongs to nobody: whatever is called or
// arrives sends nothing, asks nothing, shows nothing and changes no state.
TEST_F(LinkSessionTest, NothingHappensDuringThePause)
{
    const struct {
        const char* what;
        std::function<void(const Rig&)> act;
    } cases[] = {
        {"connect", [](const Rig& f) { f.session.Connect(); }},
        {"connect device", [](const Rig& f) { f.session.ConnectDevice("/dev/ttyUSB0"); }},
        {"disconnect", [](const Rig& f) { f.session.Disconnect(); }},
        {"read setup", [](const Rig& f) { f.session.ReadSetup(); }},
        {"write setup", [](const Rig& f) { f.session.WriteSetup(); }},
        {"set clock", [](const Rig& f) { f.session.SetClock(); }},
        {"erase", [](const Rig& f) { f.session.EraseAll(); }},
        {"download", [](const Rig& f) { f.session.Download(); }},
        {"an answer arriving", [](const Rig& f) { f.transport.Receive(fakelink::SetupAnswer({})); }},
        {"a port failure", [](const Rig& f) { f.transport.FailPort(); }},
    };
    ConnectLogger();
    app.config.setupRead = true;  // as after a read: a write would go out
    app.config.logInterval = 60;
    session.Disconnect();
    ASSERT_TRUE(session.pausing());
    const size_t timerEvents = timers.events.size();
    const int stateChanges = observer.stateChanges;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        k.act(Rig{session, transport, timers, ports});
        EXPECT_EQ(NewWrites(), 0u);
        EXPECT_EQ(transport.openedDevices.size(), 1);
        EXPECT_EQ(transport.startReaderCount, 1);
        EXPECT_EQ(transport.shutdownCount, 1);
        EXPECT_TRUE(prompts.questions.isEmpty());
        EXPECT_TRUE(messages.messages.isEmpty());
        EXPECT_FALSE(messages.progressShown);
        EXPECT_FALSE(messages.dialogOpen);
        EXPECT_EQ(observer.exchanges.size(), 1u);  // the connect
        EXPECT_TRUE(observer.downloads.empty());
        EXPECT_EQ(timers.events.size(), timerEvents);
        EXPECT_EQ(observer.stateChanges, stateChanges);
        EXPECT_TRUE(session.pausing());
        EXPECT_TRUE(session.connected());
        EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
        EXPECT_FALSE(session.busy());
        EXPECT_TRUE(app.config.setupRead);
    }
    // The pause still ends on its timer, as after a Disconnect.
    EndPause();
    EXPECT_FALSE(session.connected());
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_FALSE(app.config.setupRead);
    // Then the link is usable again.
    ConnectLogger();
    EXPECT_TRUE(session.connected());
}

// A pulled cable ends the waiting exchange at once, but the message and the
// outcome come when the pause is over, in the order they always had.
TEST_F(LinkSessionTest, ThePauseEndsOnItsTimerAndOnlyThenReports)
{
    ConnectLogger();
    session.ReadSetup();
    transport.FailPort();
    EXPECT_TRUE(session.pausing());
    EXPECT_FALSE(session.busy());
    EXPECT_FALSE(messages.progressShown);
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_EQ(observer.exchanges.size(), 1u);
    // Other timers' expiries do not end it.
    for (int id : {LinkSession::IdentifyTimer, LinkSession::ReadSetupTimer, LinkSession::EraseTimer, 99})
        session.OnLinkTimer(id);
    EXPECT_TRUE(session.pausing());
    EXPECT_TRUE(messages.messages.isEmpty());

    struct Order : fakelink::RecordingObserver {
        const fakelink::RecordingMessageSink* shown = nullptr;
        const fakelink::FakePaneActions* panes = nullptr;
        std::vector<qsizetype> messagesAtOutcome;
        std::vector<size_t> buttonsAtOutcome;
        void OnExchangeEnded(const ExchangeOutcome& outcome) override
        {
            messagesAtOutcome.push_back(shown->messages.size());
            buttonsAtOutcome.push_back(panes->loggerButtons.size());
            RecordingObserver::OnExchangeEnded(outcome);
        }
    } order;
    order.shown = &messages;
    order.panes = &panes;
    session.SetObserver(&order);
    const size_t buttons = panes.loggerButtons.size();
    EndPause();
    // The buttons, then the one message, then the outcome of the exchange.
    EXPECT_EQ(messages.messages, QStringList{UnpluggedText});
    ASSERT_EQ(order.exchanges.size(), 1u);
    EXPECT_EQ(order.exchanges[0].exchange, LinkExchange::ReadSetup);
    EXPECT_EQ(order.exchanges[0].failure, LinkFailure::Unplugged);
    EXPECT_EQ(order.messagesAtOutcome, std::vector<qsizetype>{1});
    EXPECT_EQ(order.buttonsAtOutcome, std::vector<size_t>{buttons + 1});
    EXPECT_FALSE(panes.loggerButtons.back());
    // A late expiry of the pause changes nothing more.
    session.OnLinkTimer(LinkSession::DisconnectPauseTimer);
    EXPECT_EQ(messages.messages.size(), 1);
    EXPECT_EQ(order.exchanges.size(), 1u);
    session.SetObserver(&observer);
}

TEST_F(LinkSessionTest, ASessionEndedDuringThePauseStopsItsTimers)
{
    {
        LinkSession other(app, transport, timers, messages, panes, prompts, ports);
        transport.Attach(&other);
        other.ConnectDevice("/dev/ttyUSB0");
        transport.Receive(fakelink::IdentifyAnswer({}));
        ASSERT_TRUE(other.connected());
        other.Disconnect();
        ASSERT_TRUE(timers.IsRunning(LinkSession::DisconnectPauseTimer));
        transport.Attach(&session);
    }
    EXPECT_TRUE(timers.running.empty());
    {
        // The same for an exchange still waiting.
        LinkSession other(app, transport, timers, messages, panes, prompts, ports);
        other.Connect();
        ASSERT_TRUE(timers.IsRunning(LinkSession::IdentifyTimer));
    }
    EXPECT_TRUE(timers.running.empty());
}

// ---- State notices ----------------------------------------------------------

struct StateStep {
    bool connected;
    char active;
    bool pausing;
    bool operator==(const StateStep&) const = default;
};

void PrintTo(const StateStep& s, std::ostream* os)
{
    *os << "{" << (s.connected ? "connected" : "not connected") << ", '"
        << (s.active ? s.active : '-') << "', " << (s.pausing ? "pausing" : "-") << "}";
}

// Each notice finds a new state: one notice per change, none for a command
// that changes nothing.
TEST_F(LinkSessionTest, StateChangesAreNoticedOncePerChange)
{
    using fakelink::Packet;
    constexpr char X = LinkSession::Downloading;
    constexpr char Z = LinkSession::Erasing;
    const StateStep idle{false, 0, false}, connected{true, 0, false};
    const struct {
        const char* what;
        bool connectFirst;
        std::function<void(const Rig&)> act;
        std::vector<StateStep> steps;
    } cases[] = {
        {"connect answered", false,
         [](const Rig& f) {
             f.session.Connect();
             f.transport.Receive(fakelink::IdentifyAnswer({}));
         },
         {connected}},
        {"connect refused", false,
         [](const Rig& f) {
             f.session.Connect();
             f.transport.Receive(fakelink::IdentifyAnswer({}, 0));
         },
         {}},
        {"connect times out", false,
         [](const Rig& f) {
             f.session.Connect();
             f.timers.FireUntilStopped(LinkSession::IdentifyTimer, 20);
         },
         {}},
        {"connect with no device", false,
         [](const Rig& f) {
             f.ports.devices.clear();
             f.session.Connect();
         },
         {}},
        {"read setup", true,
         [](const Rig& f) {
             f.session.ReadSetup();
             f.transport.Receive(fakelink::SetupAnswer({}));
         },
         {}},
        {"download of an empty logger", true,
         [](const Rig& f) {
             f.session.Download();
             f.transport.Receive(Packet({}, 1));
             f.timers.Fire(LinkSession::DownloadTimer);
         },
         {{true, X, false}, connected}},
        {"erase", true,
         [](const Rig& f) {
             f.session.EraseAll();
             f.transport.Receive(fakelink::StatusAnswer('Z', 1));
         },
         {{true, Z, false}, connected}},
        {"erase times out", true, [](const Rig& f) {
             f.session.EraseAll();
             f.timers.Fire(LinkSession::EraseTimer);
         },
         {{true, Z, false}}},
        {"disconnect", true,
         [](const Rig& f) {
             f.session.Disconnect();
             f.timers.Fire(LinkSession::DisconnectPauseTimer);
         },
         {{true, 0, true}, idle}},
        {"hang-up while idle", true,
         [](const Rig& f) {
             f.transport.FailPort();
             f.transport.FailPort();
             f.timers.Fire(LinkSession::DisconnectPauseTimer);
         },
         {{true, 0, true}, idle}},
        {"hang-up during a download", true,
         [](const Rig& f) {
             f.session.Download();
             f.transport.FailPort();
             f.timers.Fire(LinkSession::DisconnectPauseTimer);
         },
         {{true, X, false}, idle, {false, 0, true}, idle}},
    };
    struct StateLog : fakelink::RecordingObserver {
        const LinkSession* session = nullptr;
        std::vector<StateStep> steps;
        void OnLinkStateChanged() override
        {
            steps.push_back({session->connected(), session->activeCommand(), session->pausing()});
        }
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        // Each case starts from a fresh link.
        if (session.pausing())
            timers.Fire(LinkSession::DisconnectPauseTimer);
        session.Disconnect();
        timers.Fire(LinkSession::DisconnectPauseTimer);
        ports.devices = {QStringLiteral("/dev/ttyUSB0")};
        if (k.connectFirst)
            ConnectLogger();
        StateLog log;
        log.session = &session;
        session.SetObserver(&log);
        k.act(Rig{session, transport, timers, ports});
        session.SetObserver(&observer);
        EXPECT_EQ(log.steps, k.steps);
    }
}

// The window's enabling follows a change before the message it brings is
// shown (the message is modal and the window paints meanwhile).
TEST_F(LinkSessionTest, StateIsNoticedBeforeTheMessage)
{
    struct Watch : fakelink::RecordingObserver {
        const fakelink::RecordingMessageSink* shown = nullptr;
        std::vector<qsizetype> messagesAtNotice;
        void OnLinkStateChanged() override { messagesAtNotice.push_back(shown->messages.size()); }
    } watch;
    watch.shown = &messages;
    session.SetObserver(&watch);
    session.Connect();
    transport.Receive(fakelink::IdentifyAnswer({}));
    transport.FailPort();
    timers.Fire(LinkSession::DisconnectPauseTimer);
    EXPECT_EQ(messages.messages, QStringList{UnpluggedText});
    EXPECT_EQ(watch.messagesAtNotice, (std::vector<qsizetype>{0, 0, 0}));
}

}  // namespace
