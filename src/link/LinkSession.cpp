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

// Texts of the exchanges under way; the texts they end with are those of
// OutcomeText (link/LinkOutcome).
const char* const ConnectingText = "Connecting to the logger, and the USB port is %d. Please wait...";
const char* const ReadingText = "Begin to read configuration from the logger. Please wait...";
const char* const WriteQuestionText = "Are you sure to set new configuration to the logger?";
const char* const WritingText = "Begin to set new configuration to the logger...";
const char* const SettingClockText = "Begin to set the logger time...";
const char* const EraseQuestionText = "Are you sure to delete all the logs?";
const char* const EraseCaption = "Confirm";
const char* const DownloadStartText = "Begin to download logs from the logger. Please wait...";
const char* const DownloadBytesText = "Downloading data from the logger: %6d bytes";
const char* const DownloadFinishedText = "Downloading logs finished.";

struct ExchangeTimer {
    int id;
    LinkExchange exchange;
    bool showsProgress;  // the exchange's progress window shows while it waits
};

constexpr ExchangeTimer ExchangeTimers[] = {
    {LinkSession::IdentifyTimer, LinkExchange::Connect, true},
    {LinkSession::ReadSetupTimer, LinkExchange::ReadSetup, true},
    {LinkSession::WriteSetupTimer, LinkExchange::WriteSetup, true},
    {LinkSession::SetClockTimer, LinkExchange::SetClock, true},
    {LinkSession::EraseTimer, LinkExchange::Erase, false},
};

LinkFailure failureOf(ResponseOutcome outcome)
{
    switch (outcome) {
    case ResponseOutcome::Accepted: return LinkFailure::None;
    case ResponseOutcome::WrongLength: return LinkFailure::BadAnswer;
    default: return LinkFailure::Refused;
    }
}

}  // namespace

// Tells the observer, when the entry point that made it returns, whether the
// link's state has changed; nested entry points (a chunk delivered while a
// modal message runs the event loop) each tell their own change once.
class LinkSession::StateNotice {
public:
    explicit StateNotice(LinkSession& session) : session_(session) {}
    ~StateNotice() { session_.noticeState(); }
    StateNotice(const StateNotice&) = delete;
    StateNotice& operator=(const StateNotice&) = delete;

private:
    LinkSession& session_;
};

LinkSession::LinkSession(AppData& app, ILinkTransport& transport, ILinkTimers& timers, IMessageSink& messages,
                         IPaneActions& panes, ILinkPrompts& prompts, IPortDirectory& ports)
    : app_(app),
      transport_(transport),
      timers_(timers),
      messages_(messages),
      panes_(panes),
      prompts_(prompts),
      ports_(ports),
      now_([] { return QDateTime::currentDateTime(); }),
      download_(std::make_unique_for_overwrite<uint8_t[]>(DownloadBufferSize))
{
}

LinkSession::~LinkSession()
{
    // No expiry may reach a session that is gone, the pause's least of all.
    for (int id = 0; id < 32; ++id)
        if (runningTimers_ & (1u << id))
            timers_.StopTimer(id);
    if (pausing_)
        timers_.StopTimer(DisconnectPauseTimer);
}

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

void LinkSession::noticeState()
{
    if (connected_ == toldConnected_ && activeCommand_ == toldActiveCommand_ && pausing_ == toldPausing_)
        return;
    toldConnected_ = connected_;
    toldActiveCommand_ = activeCommand_;
    toldPausing_ = pausing_;
    if (observer_)
        observer_->OnLinkStateChanged();
}

void LinkSession::OnLinkTimer(int id)
{
    StateNotice notice(*this);
    if (id == DisconnectPauseTimer) {
        if (pausing_)
            endPause();
        return;
    }
    // An expiry of a timer already stopped (queued before the stop) changes nothing.
    if (id < 0 || id >= 32 || !(runningTimers_ & (1u << id)))
        return;
    switch (id) {
    case IdentifyTimer:
        onRepeatTimer(id, LinkExchange::Connect);
        break;
    case ReadSetupTimer:
        onRepeatTimer(id, LinkExchange::ReadSetup);
        break;
    case WriteSetupTimer:
        onRepeatTimer(id, LinkExchange::WriteSetup);
        break;
    case DownloadTimer:
        OnDownloadQuiet();
        break;
    case EraseTimer:
        // activeCommand stays 'Z': Download stays disabled until another command.
        stopTimer(EraseTimer);
        endExchange({LinkExchange::Erase, LinkFailure::TimedOut, {}});
        break;
    case SetClockTimer:
        stopTimer(SetClockTimer);
        // The exchange is over: its progress window must not stay up over the message.
        messages_.HideProgress();
        activeCommand_ = NoCommand;
        endExchange({LinkExchange::SetClock, LinkFailure::TimedOut, {}});
        break;
    default:
        break;
    }
}

void LinkSession::onRepeatTimer(int id, LinkExchange exchange)
{
    if (retriesLeft_ > 0) {
        --retriesLeft_;
        resend();
        return;
    }
    stopTimer(id);
    messages_.HideProgress();
    endExchange({exchange, LinkFailure::TimedOut, {}});
}

void LinkSession::endExchange(const ExchangeOutcome& outcome)
{
    // The window's enabling follows the state before the modal message shows.
    noticeState();
    const QString text = OutcomeText(outcome);
    if (!text.isEmpty())
        messages_.ShowMessage(text);
    if (observer_)
        observer_->OnExchangeEnded(outcome);
}

// ---- Connection ---------------------------------------------------------

void LinkSession::Connect()
{
    if (pausing_)
        return;
    StateNotice notice(*this);
    const QStringList devices = ports_.Devices();
    const int found = std::min<int>(int(devices.size()), MaxDevices);
    if (found == 0) {
        endExchange({LinkExchange::Connect, LinkFailure::NoDevice, {}});
        return;
    }
    // The directory lists the likeliest logger first: that one is suggested.
    portNumber_ = 1;
    if (found > 1) {
        const QStringList offered = devices.mid(0, MaxOfferedDevices);
        const int chosen = prompts_.ChoosePort(offered, portNumber_);
        if (chosen < 1 || chosen > offered.size()) {
            endExchange({LinkExchange::Connect, LinkFailure::Cancelled, {}});
            return;
        }
        portNumber_ = chosen;
    }
    openAndIdentify(devices.at(portNumber_ - 1));
}

void LinkSession::ConnectDevice(const QString& device)
{
    if (pausing_)
        return;
    StateNotice notice(*this);
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
        endExchange({LinkExchange::Connect, LinkFailure::OpenFailed,
                     opened.permissionDenied ? PermissionHint(device, opened.deviceGroup) : QString()});
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
    if (pausing_)
        return;
    StateNotice notice(*this);
    endConnection(LinkFailure::Disconnected, false);
}

std::vector<LinkExchange> LinkSession::stopWaitingExchanges()
{
    std::vector<LinkExchange> waiting;
    bool progressShown = false;
    for (const ExchangeTimer& timer : ExchangeTimers) {
        if (!(runningTimers_ & (1u << timer.id)))
            continue;
        stopTimer(timer.id);
        waiting.push_back(timer.exchange);
        progressShown |= timer.showsProgress;
    }
    if (progressShown)
        messages_.HideProgress();
    return waiting;
}

void LinkSession::endConnection(LinkFailure why, bool announce)
{
    pausing_ = true;
    transport_.Shutdown();
    // Nothing can answer any more: end the waiting exchanges before the pause,
    // so that none repeats into the closed port or reports a time-out.
    pauseEnds_ = stopWaitingExchanges();
    pauseReason_ = why;
    pauseAnnounced_ = announce;
    // The port gets a second to settle before anything may use the link again.
    timers_.StartTimer(DisconnectPauseTimer, DisconnectPauseMs);
}

void LinkSession::endPause()
{
    timers_.StopTimer(DisconnectPauseTimer);
    pausing_ = false;
    connected_ = false;
    activeCommand_ = NoCommand;
    app_.config.ForgetSetup();
    panes_.EnableLoggerButtons(connected_);
    noticeState();

    const std::vector<LinkExchange> waiting = std::move(pauseEnds_);
    pauseEnds_.clear();
    const LinkFailure why = pauseReason_;
    // One message for the user, one outcome for each exchange that waited.
    if (pauseAnnounced_)
        messages_.ShowMessage(OutcomeText(ExchangeOutcome{LinkExchange::Idle, why, {}}));
    if (!observer_)
        return;
    if (waiting.empty() && pauseAnnounced_)
        observer_->OnExchangeEnded({LinkExchange::Idle, why, {}});
    for (LinkExchange exchange : waiting)
        observer_->OnExchangeEnded({exchange, why, {}});
}

void LinkSession::onIdentifyAnswer(const uint8_t* frame, ResponseOutcome outcome)
{
    messages_.HideProgress();
    stopTimer(IdentifyTimer);
    if (outcome == ResponseOutcome::WrongLength) {
        connected_ = false;
        activeCommand_ = NoCommand;
        endExchange({LinkExchange::Connect, LinkFailure::BadAnswer, {}});
        return;
    }
    if (outcome != ResponseOutcome::Accepted) {
        endExchange({LinkExchange::Connect, LinkFailure::Refused, {}});
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
    app_.document.ClearRecords();
    endExchange({LinkExchange::Connect, LinkFailure::None, {}});
}

// ---- Receiving ----------------------------------------------------------

void LinkSession::OnLinkData(const uint8_t* data, int count)
{
    // The link has been shut down: a chunk still under way answers nothing.
    if (pausing_)
        return;
    StateNotice notice(*this);
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
    // One pulled cable makes several operations fail; the first one ends the
    // connection, the others find nothing left to lose.
    if (pausing_)
        return;
    StateNotice notice(*this);
    if (activeCommand_ == Downloading) {
        // The stream ends here. The bytes that were read before the failure
        // have already arrived as data: keep and save them, say that the log
        // may be incomplete, then end the link.
        downloadLinkLost_ = true;
        connected_ = false;
        OnDownloadQuiet();
        // The download's own result told the user why.
        endConnection(LinkFailure::Unplugged, false);
        return;
    }
    bool waiting = false;
    for (const ExchangeTimer& timer : ExchangeTimers)
        waiting |= (runningTimers_ & (1u << timer.id)) != 0;
    if (!connected_ && !waiting)
        return;
    endConnection(LinkFailure::Unplugged, true);
}

// ---- Setup, clock and erase exchanges -----------------------------------

void LinkSession::ReadSetup()
{
    if (pausing_)
        return;
    StateNotice notice(*this);
    if (!connected_) {
        activeCommand_ = NoCommand;
        endExchange({LinkExchange::ReadSetup, LinkFailure::NotConnected, {}});
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
        endExchange({LinkExchange::ReadSetup, LinkFailure::BadAnswer, {}});
        return;
    }
    // A logger that could not read its setup says so in the status byte; the
    // rest of such a frame is no setup block and must not reach the pane.
    if (frame[FrameStatusOffset] != 1) {
        endExchange({LinkExchange::ReadSetup, LinkFailure::Refused, {}});
        return;
    }
    app_.config.TakeSetupAnswer(frame);
    panes_.ShowSetupValues();
    endExchange({LinkExchange::ReadSetup, LinkFailure::None, {}});
}

void LinkSession::WriteSetup()
{
    if (pausing_)
        return;
    StateNotice notice(*this);
    if (!connected_) {
        endExchange({LinkExchange::WriteSetup, LinkFailure::NotConnected, {}});
        return;
    }
    // Only a setup read from this logger since connecting may go back to it.
    if (!app_.config.setupRead) {
        endExchange({LinkExchange::WriteSetup, LinkFailure::SetupNotRead, {}});
        return;
    }
    if (!prompts_.AskOkCancel(WriteQuestionText)) {
        endExchange({LinkExchange::WriteSetup, LinkFailure::Declined, {}});
        return;
    }
    if (app_.config.logInterval < 2) {
        endExchange({LinkExchange::WriteSetup, LinkFailure::InvalidSetup, {}});
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
    endExchange({LinkExchange::WriteSetup, failureOf(outcome), {}});
}

void LinkSession::SetClock()
{
    if (pausing_)
        return;
    StateNotice notice(*this);
    if (!connected_) {
        endExchange({LinkExchange::SetClock, LinkFailure::NotConnected, {}});
        return;
    }
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
    endExchange({LinkExchange::SetClock, failureOf(outcome), {}});
}

void LinkSession::EraseAll()
{
    if (pausing_)
        return;
    StateNotice notice(*this);
    if (!connected_) {
        endExchange({LinkExchange::Erase, LinkFailure::NotConnected, {}});
        return;
    }
    if (!prompts_.AskYesNo(EraseQuestionText, EraseCaption)) {
        endExchange({LinkExchange::Erase, LinkFailure::Declined, {}});
        return;
    }
    sendRequest(BuildRequest(transmit_, letter::Erase, app_.store.loggerId));
    activeCommand_ = Erasing;
    startTimer(EraseTimer, EraseWaitMs);
}

void LinkSession::onEraseAnswer(ResponseOutcome outcome)
{
    stopTimer(EraseTimer);
    messages_.HideProgress();
    activeCommand_ = NoCommand;
    endExchange({LinkExchange::Erase, failureOf(outcome), {}});
}

// ---- Download -----------------------------------------------------------

void LinkSession::Download()
{
    if (pausing_)
        return;
    StateNotice notice(*this);
    if (!connected_) {
        // Nothing would answer: no request, no dialog, the open log untouched.
        DownloadOutcome refused;
        refused.refused = LinkFailure::NotConnected;
        if (observer_)
            observer_->OnDownloadEnded(refused);
        return;
    }
    sendRequest(BuildRequest(transmit_, letter::Download, app_.store.loggerId));
    activeCommand_ = Downloading;
    app_.document.ClearRecords();
    downloadLength_ = 0;
    decodedCount_ = 0;
    downloadDropped_ = 0;
    downloadLinkLost_ = false;
    startTimer(DownloadTimer, DownloadFirstByteMs);
    // A GUI runs the dialog modally until the download is over.
    noticeState();
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

    DownloadOutcome outcome;
    outcome.linkLost = downloadLinkLost_;
    DecodeResult decoded;
    if (downloadLength_ > 0) {
        decoded = DownloadDecoder(config.channelCount, config.celsius).Decode(download_.get(), downloadLength_, store);
        decodedCount_ = int32_t(decoded.recordCount);
    }
    // A packet of no records ends the stream. When it comes first the logger
    // had nothing and nothing is taken; after records it only marks the end,
    // and the records before it are kept rather than thrown away.
    if (decoded.emptyPacket && decoded.recordCount == 0) {
        outcome.taken = false;
        activeCommand_ = NoCommand;
        noticeState();
        if (outcome.linkLost)
            messages_.UpdateMessage(OutcomeText(outcome), true);
        if (observer_)
            observer_->OnDownloadEnded(outcome);
        return;
    }

    // Why the log may lack records. Where the decoding stopped for a reason
    // of its own, the packets' numbers say nothing about the logger.
    if (downloadDropped_ > 0) {
        outcome.shortfalls.push_back(DownloadShortfall::BufferFull);
        outcome.droppedBytes = downloadDropped_;
        outcome.bufferSize = DownloadBufferSize;
    }
    if (decoded.storeFull) {
        outcome.shortfalls.push_back(DownloadShortfall::StoreFull);
        outcome.storeCapacity = LogCapacity;
    }
    if (decoded.cutShort)
        outcome.shortfalls.push_back(DownloadShortfall::CutInPacket);
    const bool counted = decoded.numbered && downloadDropped_ == 0 && !decoded.storeFull;
    const bool allPackets = counted && decoded.packets == decoded.packetTotal;
    if (counted && !allPackets && !downloadLinkLost_) {
        outcome.shortfalls.push_back(DownloadShortfall::Stalled);
        outcome.packetsReceived = decoded.packets;
        outcome.packetsAnnounced = decoded.packetTotal;
    }
    // A stream cut by a failed port is always reported as cut short: even
    // when every numbered packet seems to have arrived, the logger may have
    // had more to say than its numbers promised.
    if (downloadLinkLost_)
        outcome.shortfalls.push_back(DownloadShortfall::Unplugged);

    std::memcpy(store.loggerId, config.loggerId, sizeof store.loggerId);
    store.recordCount = uint32_t(decodedCount_);
    store.channelCount = uint32_t(std::max(config.channelCount, 0));
    std::memcpy(store.loggerName, config.loggerName, sizeof store.loggerName);
    store.loggerName[24] = 0;
    for (int c = 0; c < 3; ++c)
        store.channelKind[c] = int8_t(config.channelKind[c]);
    store.celsius = config.celsius;
    SetUnitTexts(store);
    outcome.records = store.recordCount;

    const SaveLogResult saved = app_.document.TakeDownload(app_.programFolder, app_.logFolder(), now_());
    // A log of no records is not saved.
    if (store.recordCount >= 1) {
        switch (saved.kind) {
        case SaveLogResult::Saved: outcome.save = DownloadOutcome::Save::Saved; break;
        case SaveLogResult::SavedUnderTemporaryName:
            outcome.save = DownloadOutcome::Save::SavedUnderTemporaryName;
            break;
        case SaveLogResult::Failed: outcome.save = DownloadOutcome::Save::Failed; break;
        }
        if (saved.kind != SaveLogResult::Failed)
            outcome.savedPath = saved.path;
        outcome.saveMessage = saved.message;
    }
    panes_.ShowFileList();

    messages_.UpdateMessage(OutcomeText(outcome), true);
    activeCommand_ = NoCommand;
    noticeState();
    panes_.RedrawChartNow();
    if (observer_)
        observer_->OnDownloadEnded(outcome);
}
