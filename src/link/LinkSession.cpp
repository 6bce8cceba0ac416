// Connection, command exchanges and download of the logger link.
#include "link/LinkSession.h"

#include "link/AppData.h"
#include "link/DownloadDecoder.h"
#include "logdata/LogFile.h"
#include "logdata/Units.h"

#include <QDir>

#include <algorithm>
#include <cstring>

namespace {

const char* const NoDeviceText =
    "Did not find any devices connected to a USB port. \r\nPlease check all the connections and cables, and try "
    "again. \r\nIf a logger is connected, you may have to restart Tessaview software or your computer for the device "
    "to be recognized.";
const char* const OpenFailedText = "Failed to connect to the logger..";
const char* const ConnectingText = "Connecting to the logger, and the USB port is %d. Please wait...";
const char* const IdentifyErrorText = "An error occured when connecting to the logger. Please try again.";
const char* const IdentifyTimeoutText = "Connecting failed. Try it again.";
const char* const UnpluggedText = "The USB cable was unplugged and the connection was broken.";
const char* const TimeoutText = "Time out, please try again.";
const char* const ReadingText = "Begin to read configuration from the logger. Please wait...";
const char* const ReadErrorText = "An error occured when reading configuration from the logger. Please try again.";
const char* const WriteQuestionText = "Are you sure to set new configuration to the logger?";
const char* const InvalidConfigText = "The configuration is invalid. Please check it.";
const char* const WritingText = "Begin to set new configuration to the logger...";
const char* const WriteDoneText = "Successfully to set new configuration to the logger.";
const char* const WriteFailedText = "Failed to set new configuration to the logger. Please try it again.";
const char* const SettingClockText = "Begin to set the logger time...";
const char* const ClockDoneText = "Successfully set the logger time.";
const char* const ClockFailedText = "Failed to synchronize time to the logger.";
const char* const ClockTimeoutText = "Failed to set time to ther logger: time out.";
const char* const EraseQuestionText = "Are you sure to delete all the logs?";
const char* const EraseCaption = "Confirm";
const char* const EraseDoneText = "Successfully to delete all the logs from the logger.";
const char* const EraseFailedText = "An error occured. Please try again.";
const char* const DownloadStartText = "Begin to download logs from the logger. Please wait...";
const char* const DownloadBytesText = "Downloading data from the logger: %6d bytes";
const char* const DownloadFinishedText = "Downloading logs finished.";
const char* const NoLogsText = "No logs were found in the logger.";
const char* const DownloadDoneText = "Successfully downloaded all the logs from the logger.";
const char* const DownloadPartText = "Only part of the logs could be downloaded from the logger.";
const QString LineBreak = QStringLiteral("\r\n");

// Exchanges whose window shows while they wait; a Disconnect hides it.
constexpr int ProgressTimers[] = {LinkSession::IdentifyTimer, LinkSession::ReadSetupTimer,
                                  LinkSession::WriteSetupTimer, LinkSession::SetClockTimer};
constexpr int ExchangeTimers[] = {LinkSession::IdentifyTimer, LinkSession::ReadSetupTimer,
                                  LinkSession::WriteSetupTimer, LinkSession::SetClockTimer,
                                  LinkSession::EraseTimer};

QString permissionHint(const QString& device, const QString& group)
{
    if (group.isEmpty())
        return QStringLiteral("Permission denied for %1: add your user to the group that owns the device, "
                              "then log in again.").arg(device);
    return QStringLiteral("Permission denied for %1: add your user to the group %2, then log in again.")
        .arg(device, group);
}

}  // namespace

LinkSession::LinkSession(AppData& app, ILinkTransport& transport, ILinkTimers& timers, IMessageSink& messages,
                         IPaneActions& panes, IPortDirectory& ports)
    : app_(app),
      transport_(transport),
      timers_(timers),
      messages_(messages),
      panes_(panes),
      ports_(ports),
      now_([] { return QDateTime::currentDateTime(); }),
      download_(std::make_unique_for_overwrite<uint8_t[]>(DownloadBufferSize))
{
}

LinkSession::~LinkSession() = default;

void LinkSession::SetTimeSource(std::function<QDateTime()> now)
{
    now_ = std::move(now);
}

// ---- Timers and sending -------------------------------------------------

void LinkSession::startTimer(int id, int milliseconds)
{
    runningTimers_ |= 1u << id;
    timers_.StartTimer(id, milliseconds);
}

void LinkSession::stopTimer(int id)
{
    runningTimers_ &= ~(1u << id);
    timers_.StopTimer(id);
}

void LinkSession::sendRequest(int length)
{
    transmitLength_ = length;
    transport_.Send(transmit_, transmitLength_);
}

void LinkSession::resend()
{
    transport_.Send(transmit_, transmitLength_);
}

void LinkSession::OnLinkTimer(int id)
{
    // An expiry of a timer already stopped (queued before the stop) changes nothing.
    if (id < 0 || id >= 32 || !(runningTimers_ & (1u << id)))
        return;
    switch (id) {
    case IdentifyTimer:
        onRepeatTimer(id, IdentifyTimeoutText);
        break;
    case ReadSetupTimer:
    case WriteSetupTimer:
        onRepeatTimer(id, TimeoutText);
        break;
    case DownloadTimer:
        OnDownloadQuiet();
        break;
    case EraseTimer:
        // activeCommand stays 'Z': Download stays disabled until another command.
        stopTimer(EraseTimer);
        messages_.ShowMessage(TimeoutText);
        break;
    case SetClockTimer:
        // The progress window is left as it is.
        stopTimer(SetClockTimer);
        activeCommand_ = NoCommand;
        messages_.ShowMessage(ClockTimeoutText);
        break;
    default:
        break;
    }
}

void LinkSession::onRepeatTimer(int id, const char* timeoutText)
{
    if (retriesLeft_ > 0) {
        --retriesLeft_;
        resend();
        return;
    }
    stopTimer(id);
    messages_.HideProgress();
    messages_.ShowMessage(timeoutText);
}

// ---- Connection ---------------------------------------------------------

void LinkSession::Connect()
{
    const QStringList devices = ports_.Devices();
    const int found = std::min<int>(int(devices.size()), MaxDevices);
    if (found == 0) {
        messages_.ShowMessage(NoDeviceText);
        return;
    }
    // The last device found is the one suggested.
    portNumber_ = found;
    if (found == 1) {
        portNumber_ = 1;
    } else {
        const QStringList offered = devices.mid(0, MaxOfferedDevices);
        const int initial = portNumber_ <= MaxOfferedDevices ? portNumber_ : 1;
        const int chosen = panes_.ChoosePort(offered, initial);
        if (chosen < 1 || chosen > offered.size())
            return;
        portNumber_ = chosen;
    }
    openAndIdentify(devices.at(portNumber_ - 1));
}

void LinkSession::ConnectDevice(const QString& device)
{
    // A device that the directory lists keeps its number for the progress text.
    const int index = int(ports_.Devices().indexOf(device));
    if (index >= 0 && index < MaxDevices)
        portNumber_ = index + 1;
    openAndIdentify(device);
}

void LinkSession::openAndIdentify(const QString& device)
{
    const PortOpenResult opened = transport_.Open(device);
    if (!opened.ok) {
        QString text = QString::fromLatin1(OpenFailedText);
        if (opened.permissionDenied)
            text += LineBreak + permissionHint(device, opened.deviceGroup);
        messages_.ShowMessage(text);
        return;
    }
    retriesLeft_ = Repeats;
    const int length = BuildRequest(transmit_, letter::Identify, nullptr);
    transport_.StartReader();
    sendRequest(length);
    startTimer(IdentifyTimer, RepeatPeriodMs);
    messages_.ShowProgress(QString::asprintf(ConnectingText, portNumber_));
    activeCommand_ = NoCommand;
}

void LinkSession::Disconnect()
{
    disconnecting_ = true;
    transport_.Shutdown();
    panes_.Pause(DisconnectPauseMs);
    // Nothing can answer any more: end the waiting exchanges so that none of
    // them reports a time-out for a link that is already gone.
    bool progressShown = false;
    for (int id : ProgressTimers)
        progressShown |= (runningTimers_ & (1u << id)) != 0;
    for (int id : ExchangeTimers) {
        if (runningTimers_ & (1u << id))
            stopTimer(id);
    }
    if (progressShown)
        messages_.HideProgress();
    connected_ = false;
    activeCommand_ = NoCommand;
    app_.config.ForgetSetup();
    panes_.EnableLoggerButtons(connected_);
    disconnecting_ = false;
}

void LinkSession::onConnectionLost()
{
    Disconnect();
    messages_.ShowMessage(UnpluggedText);
}

void LinkSession::onIdentifyAnswer(const uint8_t* frame, ResponseOutcome outcome)
{
    messages_.HideProgress();
    stopTimer(IdentifyTimer);
    if (outcome == ResponseOutcome::WrongLength) {
        connected_ = false;
        activeCommand_ = NoCommand;
        messages_.ShowMessage(IdentifyErrorText);
        return;
    }
    if (outcome != ResponseOutcome::Accepted) {
        messages_.ShowMessage(IdentifyErrorText);
        return;
    }
    LoggerConfig& config = app_.config;
    // Nothing read from a logger connected before may be written to this one.
    config.ForgetSetup();
    config.TakeIdentifyAnswer(frame);
    ApplyLoggerType(config, config.loggerType);
    connected_ = true;
    panes_.ShowSetupPane();
    panes_.EnableLoggerButtons(true);
    // The log shown so far belongs to no connected logger any more.
    app_.store.recordCount = 0;
}

// ---- Receiving ----------------------------------------------------------

void LinkSession::OnLinkData(const uint8_t* data, int count)
{
    if (activeCommand_ == Downloading) {
        OnDownloadChunk(data, count);
        return;
    }
    if (!data || count <= 0)
        return;
    const ResponseCheck check = CheckResponse(data, count);
    if (check.outcome == ResponseOutcome::Ignored)
        return;
    switch (check.letter) {
    case letter::IdentifyAnswer: onIdentifyAnswer(data, check.outcome); break;
    case letter::ReadSetupAnswer: onReadSetupAnswer(data, check.outcome); break;
    case letter::WriteSetupAnswer: onWriteSetupAnswer(check.outcome); break;
    case letter::SetClockAnswer: onSetClockAnswer(check.outcome); break;
    case letter::EraseAnswer: onEraseAnswer(check.outcome); break;
    default: break;
    }
}

void LinkSession::OnPortFailure()
{
    // During a download a failure carries no bytes of the stream: appending
    // anything would corrupt the log. The quiet timer ends the stream.
    if (activeCommand_ == Downloading)
        return;
    // A request awaiting its answer keeps waiting for its own time-out.
    if (activeCommand_ == Erasing)
        return;
    for (int id : {ReadSetupTimer, WriteSetupTimer, SetClockTimer}) {
        if (runningTimers_ & (1u << id))
            return;
    }
    // One pulled cable makes several operations fail; the first one ends the
    // connection, the others find nothing left to lose.
    if (disconnecting_ || (!connected_ && !(runningTimers_ & (1u << IdentifyTimer))))
        return;
    onConnectionLost();
}

// ---- Setup, clock and erase exchanges -----------------------------------

void LinkSession::ReadSetup()
{
    if (!connected_) {
        activeCommand_ = NoCommand;
        return;
    }
    sendRequest(BuildRequest(transmit_, letter::ReadSetup, app_.config.loggerId));
    startTimer(ReadSetupTimer, RepeatPeriodMs);
    retriesLeft_ = Repeats;
    messages_.ShowProgress(ReadingText);
    activeCommand_ = NoCommand;
}

void LinkSession::onReadSetupAnswer(const uint8_t* frame, ResponseOutcome outcome)
{
    stopTimer(ReadSetupTimer);
    messages_.HideProgress();
    if (outcome != ResponseOutcome::Accepted) {
        messages_.ShowMessage(ReadErrorText);
        return;
    }
    app_.config.TakeSetupAnswer(frame);
    panes_.ShowSetupValues();
}

void LinkSession::WriteSetup()
{
    if (!app_.config.setupRead) {
        messages_.ShowMessage(ReadSetupFirstMessage);
        return;
    }
    if (!messages_.AskOkCancel(WriteQuestionText))
        return;
    if (app_.config.logInterval < 2) {
        messages_.ShowMessage(InvalidConfigText);
        return;
    }
    sendRequest(app_.config.BuildWriteRequest(transmit_));
    retriesLeft_ = Repeats;
    startTimer(WriteSetupTimer, RepeatPeriodMs);
    messages_.ShowProgress(WritingText);
    activeCommand_ = NoCommand;
}

void LinkSession::onWriteSetupAnswer(ResponseOutcome outcome)
{
    stopTimer(WriteSetupTimer);
    messages_.HideProgress();
    messages_.ShowMessage(outcome == ResponseOutcome::Accepted ? WriteDoneText : WriteFailedText);
}

void LinkSession::SetClock()
{
    const auto parameters = ClockParameters(now_());
    sendRequest(BuildRequest(transmit_, letter::SetClock, app_.config.loggerId, parameters));
    retriesLeft_ = Repeats;
    startTimer(SetClockTimer, SetClockWaitMs);
    messages_.ShowProgress(SettingClockText);
    activeCommand_ = NoCommand;
}

void LinkSession::onSetClockAnswer(ResponseOutcome outcome)
{
    stopTimer(SetClockTimer);
    messages_.HideProgress();
    // State first: the message is modal and the event loop runs meanwhile.
    activeCommand_ = NoCommand;
    messages_.ShowMessage(outcome == ResponseOutcome::Accepted ? ClockDoneText : ClockFailedText);
}

void LinkSession::EraseAll()
{
    if (!messages_.AskYesNo(EraseQuestionText, EraseCaption))
        return;
    sendRequest(BuildRequest(transmit_, letter::Erase, app_.store.loggerId));
    activeCommand_ = Erasing;
    startTimer(EraseTimer, EraseWaitMs);
}

void LinkSession::onEraseAnswer(ResponseOutcome outcome)
{
    stopTimer(EraseTimer);
    messages_.HideProgress();
    activeCommand_ = NoCommand;
    messages_.ShowMessage(outcome == ResponseOutcome::Accepted ? EraseDoneText : EraseFailedText);
}

// ---- Download -----------------------------------------------------------

void LinkSession::Download()
{
    sendRequest(BuildRequest(transmit_, letter::Download, app_.store.loggerId));
    activeCommand_ = Downloading;
    app_.store.recordCount = 0;
    downloadLength_ = 0;
    decodedCount_ = 0;
    downloadDropped_ = 0;
    startTimer(DownloadTimer, DownloadFirstByteMs);
    messages_.RunProgressMessage(DownloadStartText);
}

void LinkSession::OnDownloadChunk(const uint8_t* data, int count)
{
    stopTimer(DownloadTimer);
    if (data && count > 0) {
        // Beyond the buffer the stream is counted but not kept.
        const int room = DownloadBufferSize - downloadLength_;
        const int taken = std::min(count, room);
        std::memcpy(download_.get() + downloadLength_, data, size_t(taken));
        downloadLength_ += taken;
        downloadDropped_ += count - taken;
    }
    messages_.UpdateMessage(QString::asprintf(DownloadBytesText, int(downloadLength_)), false);
    startTimer(DownloadTimer, DownloadQuietMs);
}

void LinkSession::OnDownloadQuiet()
{
    stopTimer(DownloadTimer);
    messages_.UpdateMessage(DownloadFinishedText, true);
    DecodeDownload();
    activeCommand_ = NoCommand;
}

void LinkSession::DecodeDownload()
{
    LogStore& store = app_.store;
    const LoggerConfig& config = app_.config;

    DecodeResult decoded;
    if (downloadLength_ > 0) {
        decoded = DownloadDecoder(config.channelCount, config.celsius).Decode(download_.get(), downloadLength_, store);
        decodedCount_ = int32_t(decoded.recordCount);
        // A packet of no records ends the stream. When it comes first the
        // logger had nothing and nothing is taken; after records it only marks
        // the end, and the records before it are kept rather than thrown away.
        if (decoded.emptyPacket && decoded.recordCount == 0)
            return;
    }

    std::memcpy(store.loggerId, config.loggerId, sizeof store.loggerId);
    store.recordCount = uint32_t(decodedCount_);
    store.channelCount = uint32_t(std::max(config.channelCount, 0));
    std::memcpy(store.loggerName, config.loggerName, sizeof store.loggerName);
    store.loggerName[24] = 0;
    for (int c = 0; c < 3; ++c)
        store.channelKind[c] = int8_t(config.channelKind[c]);
    store.celsius = config.celsius;
    SetUnitTexts(store);
    if (store.recordCount >= 1)
        store.ComputeStatistics();

    // The folder is made at start-up; make it again rather than lose the
    // download when it has gone since.
    QDir().mkpath(app_.logFolder());
    const SaveLogResult saved = SaveDownloadedLog(store, app_.programFolder, now_());
    panes_.ShowFileList();

    QStringList lines;
    const bool partial = downloadDropped_ > 0 || decoded.storeFull || decoded.cutShort;
    if (store.recordCount == 0)
        lines << QString::fromLatin1(NoLogsText);
    else
        lines << QString::fromLatin1(partial ? DownloadPartText : DownloadDoneText);
    if (downloadDropped_ > 0)
        lines << QStringLiteral("The logger sent more than %1 bytes; the %2 bytes after them were not kept.")
                     .arg(DownloadBufferSize)
                     .arg(downloadDropped_);
    if (decoded.storeFull)
        lines << QStringLiteral("A log holds at most %1 records; the records after them were not kept.")
                     .arg(LogCapacity);
    if (decoded.cutShort)
        lines << QStringLiteral("The download ended in the middle of a packet; its missing records were not "
                                "decoded.");
    if (!saved.message.isEmpty())
        lines << saved.message;
    messages_.UpdateMessage(lines.join(LineBreak), true);
    activeCommand_ = NoCommand;
    panes_.RedrawChartNow();
}
