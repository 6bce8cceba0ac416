// The logger link's deciding logic: connection, the command exchanges with
// their time-outs and repeats, and the download with its decoding and save.
#pragma once

#include "link/Frames.h"
#include "link/LinkInterfaces.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct AppData;

// One per main window (or per CLI run). Runs on the user-interface thread
// only: commands, received chunks and timer expiries are all delivered there,
// one at a time. The transport must deliver chunks later, from the event loop,
// never from inside Send().
//
// Callers use the commands below, read connected(), activeCommand() and
// pausing() for their enabling rules (ILinkObserver::OnLinkStateChanged says
// when they change), and route the transport's chunks and failures
// (ILinkReceiver) and the timers' expiries (OnLinkTimer) here.
class LinkSession : public ILinkReceiver {
public:
    // Window-timer ids and periods of the exchanges.
    static constexpr int IdentifyTimer = 1;      // 2000 ms, 10 repeats
    static constexpr int ReadSetupTimer = 3;     // 2000 ms, 10 repeats
    static constexpr int WriteSetupTimer = 5;    // 2000 ms, 10 repeats
    static constexpr int DownloadTimer = 14;     // 5000 ms after the request, 2000 ms after each chunk
    static constexpr int EraseTimer = 16;        // 5000 ms, no repeat
    static constexpr int SetClockTimer = 19;     // 2000 ms, no repeat
    static constexpr int DisconnectPauseTimer = 21;  // 1000 ms once, after the link has been shut down
    static constexpr int RepeatPeriodMs = 2000;
    static constexpr int DownloadFirstByteMs = 5000;
    static constexpr int DownloadQuietMs = 2000;
    static constexpr int EraseWaitMs = 5000;
    static constexpr int SetClockWaitMs = 2000;
    static constexpr int Repeats = 10;           // so a request goes out at most 11 times
    static constexpr int DisconnectPauseMs = 1000;
    static constexpr int DownloadBufferSize = 2097152;
    static constexpr int MaxDevices = 30;        // devices numbered 1 … 30 are looked at
    static constexpr int MaxOfferedDevices = 16; // the manual choice offers 1 … 16

    // activeCommand() values.
    static constexpr char NoCommand = 0;
    static constexpr char Downloading = 'X';
    static constexpr char Erasing = 'Z';

    LinkSession(AppData& app, ILinkTransport& transport, ILinkTimers& timers, IMessageSink& messages,
                IPaneActions& panes, ILinkPrompts& prompts, IPortDirectory& ports);
    ~LinkSession() override;
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Hears how each exchange and download ended (may be null).
    void SetObserver(ILinkObserver* observer) { observer_ = observer; }

    // The computer's local time, for the set-clock request and the name of a
    // saved download. Defaults to QDateTime::currentDateTime.
    void SetTimeSource(std::function<QDateTime()> now);

    // Commands.
    // Finds the logger's device in the port directory (asking the user to
    // choose when there are several), opens it and identifies the logger.
    void Connect();
    // The same for a device the user named; skips the directory.
    void ConnectDevice(const QString& device);
    // Stops the transport's reader and pauses for a second (pausing()); the
    // connection ends when the pause does. An exchange still waiting ends
    // with LinkFailure::Disconnected, reported when the pause is over.
    void Disconnect();
    void ReadSetup();
    // Refuses a block not read from the connected logger since it was
    // connected; asks; refuses a block whose interval is below 2.
    void WriteSetup();
    void SetClock();
    // Asks first ("Confirm"); erases every log in the logger.
    void EraseAll();
    // Downloads every record into the store, saves it as a .logu file in the
    // program folder's Logfiles/ (none when the logger held no record) and
    // shows it. Opens the progress use of the message dialog, which a GUI runs
    // modally until the download has ended. The stream ends when the line is
    // quiet or the port fails; the result says when records may be missing.
    // Commands other than Connect send nothing while not connected.
    // While pausing() every command is ignored: it sends nothing, changes
    // nothing and reports nothing.
    void Download();

    // ILinkReceiver: one received chunk, or a failed port operation. A port
    // failure ends the link: a download keeps what arrived and says it may be
    // incomplete, a waiting exchange ends at once, and the link is not
    // connected afterwards.
    void OnLinkData(const uint8_t* data, int count) override;
    void OnPortFailure() override;
    // Expiry of one of the timers above; other ids are ignored.
    void OnLinkTimer(int id);

    // State.
    bool connected() const { return connected_; }
    // NoCommand, Downloading or Erasing: the command whose answer decides how
    // a received chunk is taken.
    char activeCommand() const { return activeCommand_; }
    // True from the end of a connection (Disconnect, a failed port) until
    // its pause is over; the link is not usable meanwhile.
    bool pausing() const { return pausing_; }
    int retriesLeft() const { return retriesLeft_; }
    // 1-based number of the device last chosen in the port directory; its
    // start value comes from the settings file.
    int portNumber() const { return portNumber_; }
    void setPortNumber(int number) { portNumber_ = number; }
    // True while any exchange waits for an answer or a time-out.
    bool busy() const { return runningTimers_ != 0; }

    // Bytes of the download stream received so far, and records decoded.
    int32_t downloadLength() const { return downloadLength_; }
    int32_t decodedCount() const { return decodedCount_; }

private:
    void openAndIdentify(const QString& device);
    void sendRequest(int length);
    void resend();
    void startTimer(int id, int milliseconds);
    void stopTimer(int id);
    void onRepeatTimer(int id, LinkExchange exchange);
    // Shows the outcome's text, if any, and tells the observer.
    void endExchange(const ExchangeOutcome& outcome);
    // Stops the reader and every waiting exchange and starts the pause; its
    // end (endPause) leaves the link not connected, and the waiting exchanges
    // end with why. announce: show why's text, and tell the observer even
    // when no exchange waited.
    void endConnection(LinkFailure why, bool announce);
    void endPause();
    // Tells the observer when connected(), activeCommand() or pausing()
    // differ from what it was last told.
    void noticeState();
    class StateNotice;
    // Stops the timers of the exchanges still waiting, hides the progress
    // window when one of them showed it, and returns those exchanges.
    std::vector<LinkExchange> stopWaitingExchanges();
    void onIdentifyAnswer(const uint8_t* frame, ResponseOutcome outcome);
    void onReadSetupAnswer(const uint8_t* frame, ResponseOutcome outcome);
    void onWriteSetupAnswer(ResponseOutcome outcome);
    void onSetClockAnswer(ResponseOutcome outcome);
    void onEraseAnswer(ResponseOutcome outcome);
    void OnDownloadChunk(const uint8_t* data, int count);
    void OnDownloadQuiet();
    void DecodeDownload();

    AppData& app_;
    ILinkTransport& transport_;
    ILinkTimers& timers_;
    IMessageSink& messages_;
    IPaneActions& panes_;
    ILinkPrompts& prompts_;
    IPortDirectory& ports_;
    std::function<QDateTime()> now_;
    ILinkObserver* observer_ = nullptr;

    bool connected_ = false;
    char activeCommand_ = NoCommand;
    int retriesLeft_ = 0;
    int portNumber_ = 3;
    uint32_t runningTimers_ = 0;  // bit per exchange timer id
    bool pausing_ = false;

    // What the observer was last told.
    bool toldConnected_ = false;
    char toldActiveCommand_ = NoCommand;
    bool toldPausing_ = false;

    // Why the pause started, and the exchanges it ends.
    LinkFailure pauseReason_ = LinkFailure::None;
    bool pauseAnnounced_ = false;
    std::vector<LinkExchange> pauseEnds_;

    uint8_t transmit_[FrameAreaSize] = {};
    int transmitLength_ = 0;

    // Reserved once; a download never writes past it.
    std::unique_ptr<uint8_t[]> download_;
    int32_t downloadLength_ = 0;
    int32_t decodedCount_ = 0;
    int64_t downloadDropped_ = 0;  // stream bytes that did not fit the buffer
    bool downloadLinkLost_ = false;  // the port failed before the stream was over
};
