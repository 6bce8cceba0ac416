// How each exchange with the logger ended, as plain values, and the one table
// of the texts the user is shown for them. The window shows the texts; the
// command-line tool decides its exit code from the values, never from a text.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// The exchange that ended.
enum class LinkExchange {
    Connect,     // finding, opening and identifying the logger
    ReadSetup,
    WriteSetup,
    SetClock,
    Erase,
    Idle,        // no exchange waited: the link itself ended (the cable was pulled)
};

// Why an exchange did not succeed; None when it did.
enum class LinkFailure {
    None,
    NoDevice,       // no serial device that may be a logger was found
    Cancelled,      // the user cancelled the choice among several devices
    OpenFailed,     // the device could not be opened
    NotConnected,   // a logger command while no logger is connected: nothing was sent
    Declined,       // the user answered the command's question with no
    InvalidSetup,   // the setup to write was refused before sending (interval below 2)
    SetupNotRead,   // the setup to write was not read from this logger since connecting
    TimedOut,       // no answer, after the repeats the exchange allows
    BadAnswer,      // an answer of the wrong length
    Refused,        // the logger answered with a status other than 1
    Unplugged,      // the port failed while the exchange waited: the link is gone
    Disconnected,   // the user disconnected while the exchange waited
};

struct ExchangeOutcome {
    LinkExchange exchange = LinkExchange::Idle;
    LinkFailure failure = LinkFailure::None;
    // A further line for the user (the permission hint of OpenFailed); may be empty.
    QString detail;

    bool ok() const { return failure == LinkFailure::None; }
};

// Why a download may lack records the logger holds.
enum class DownloadShortfall {
    BufferFull,   // the stream passed the download buffer; the bytes after it were not kept
    StoreFull,    // the stream held more records than a log holds
    CutInPacket,  // the stream ended inside a packet
    Stalled,      // the logger stopped before its last packet, by the packets' own numbers
    Unplugged,    // the port failed during the download
};

struct DownloadOutcome {
    enum class Save {
        None,                     // nothing to save (no records, or nothing taken)
        Saved,
        SavedUnderTemporaryName,  // the logger's name is no file name: saved under another name
        Failed,                   // the log is in the store but not in a file
    };

    // NotConnected: no download was started; nothing was sent or changed.
    LinkFailure refused = LinkFailure::None;
    // False when the stream began with a packet of no records: the store took
    // nothing and nothing was saved.
    bool taken = true;
    uint32_t records = 0;
    std::vector<DownloadShortfall> shortfalls;
    int64_t droppedBytes = 0;      // BufferFull: stream bytes not kept
    int32_t bufferSize = 0;        // BufferFull: the download buffer's size
    uint32_t storeCapacity = 0;    // StoreFull: records a log holds
    int packetsReceived = 0;       // Stalled: packets that arrived
    int packetsAnnounced = 0;      // Stalled: packets the logger announced
    // The port failed before the stream was over. With no shortfall, the
    // packets' numbers show that every packet had arrived.
    bool linkLost = false;
    Save save = Save::None;
    QString savedPath;    // the file written; empty when none
    QString saveMessage;  // the writer's word for the user; empty when saved under its own name

    // Every record the logger announced is in the store.
    bool complete() const { return refused == LinkFailure::None && taken && shortfalls.empty(); }
};

// The text the message dialog shows when an exchange ends this way; empty
// when it ends without a message (a good connect or read, a question
// answered no, a command refused while not connected, a user's disconnect).
QString OutcomeText(const ExchangeOutcome& outcome);

// The download dialog's last text: the result line, then one line per
// shortfall and the save's message, joined with "\r\n". Empty when no
// download was started.
QString OutcomeText(const DownloadOutcome& outcome);

// The hint that follows the open failure when the user may not use the device.
QString PermissionHint(const QString& device, const QString& deviceGroup);
