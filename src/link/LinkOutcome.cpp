// The texts of the link's outcomes: one table, looked up by exchange and failure.
#include "link/LinkOutcome.h"

#include <QStringList>

namespace {

const char* const UnpluggedText = "The USB cable was unplugged and the connection was broken.";
const char* const TimeoutText = "Time out, please try again.";

struct OutcomeRow {
    LinkExchange exchange;
    LinkFailure failure;
    const char* text;  // nullptr: the exchange ends without a message
};

// Every way an exchange ends. A pulled cable reads the same in every exchange
// and is looked up apart; a pair missing here ends without a message.
const OutcomeRow OutcomeTable[] = {
    {LinkExchange::Connect, LinkFailure::None, nullptr},
    {LinkExchange::Connect, LinkFailure::NoDevice,
     "Did not find any devices connected to a USB port. \r\nPlease check all the connections and cables, and try "
     "again. \r\nIf a logger is connected, you may have to restart Tessaview software or your computer for the "
     "device to be recognized."},
    {LinkExchange::Connect, LinkFailure::Cancelled, nullptr},
    {LinkExchange::Connect, LinkFailure::OpenFailed, "Failed to connect to the logger.."},
    {LinkExchange::Connect, LinkFailure::TimedOut, "Connecting failed. Try it again."},
    {LinkExchange::Connect, LinkFailure::BadAnswer,
     "An error occured when connecting to the logger. Please try again."},
    {LinkExchange::Connect, LinkFailure::Refused, "An error occured when connecting to the logger. Please try again."},

    {LinkExchange::ReadSetup, LinkFailure::None, nullptr},
    {LinkExchange::ReadSetup, LinkFailure::TimedOut, TimeoutText},
    {LinkExchange::ReadSetup, LinkFailure::BadAnswer,
     "An error occured when reading configuration from the logger. Please try again."},
    {LinkExchange::ReadSetup, LinkFailure::Refused,
     "An error occured when reading configuration from the logger. Please try again."},

    {LinkExchange::WriteSetup, LinkFailure::None, "Successfully to set new configuration to the logger."},
    {LinkExchange::WriteSetup, LinkFailure::InvalidSetup, "The configuration is invalid. Please check it."},
    {LinkExchange::WriteSetup, LinkFailure::SetupNotRead, "Please read the setup from the logger first."},
    {LinkExchange::WriteSetup, LinkFailure::TimedOut, TimeoutText},
    {LinkExchange::WriteSetup, LinkFailure::BadAnswer,
     "Failed to set new configuration to the logger. Please try it again."},
    {LinkExchange::WriteSetup, LinkFailure::Refused,
     "Failed to set new configuration to the logger. Please try it again."},

    {LinkExchange::SetClock, LinkFailure::None, "Successfully set the logger time."},
    {LinkExchange::SetClock, LinkFailure::TimedOut, "Failed to set time to ther logger: time out."},
    {LinkExchange::SetClock, LinkFailure::BadAnswer, "Failed to synchronize time to the logger."},
    {LinkExchange::SetClock, LinkFailure::Refused, "Failed to synchronize time to the logger."},

    {LinkExchange::Erase, LinkFailure::None, "Successfully to delete all the logs from the logger."},
    {LinkExchange::Erase, LinkFailure::TimedOut, TimeoutText},
    {LinkExchange::Erase, LinkFailure::BadAnswer, "An error occured. Please try again."},
    {LinkExchange::Erase, LinkFailure::Refused, "An error occured. Please try again."},
};

const char* const DownloadFinishedText = "Downloading logs finished.";
const char* const DownloadDoneText = "Successfully downloaded all the logs from the logger.";
const char* const DownloadPartText = "Only part of the logs could be downloaded from the logger.";
const char* const NoLogsText = "No logs were found in the logger.";
const char* const NoLogsReceivedText = "No logs could be downloaded from the logger.";

QString shortfallText(DownloadShortfall shortfall, const DownloadOutcome& o)
{
    switch (shortfall) {
    case DownloadShortfall::BufferFull:
        return QStringLiteral("The logger sent more than %1 bytes; the %2 bytes after them were not kept.")
            .arg(o.bufferSize)
            .arg(o.droppedBytes);
    case DownloadShortfall::StoreFull:
        return QStringLiteral("A log holds at most %1 records; the records after them were not kept.")
            .arg(o.storeCapacity);
    case DownloadShortfall::CutInPacket:
        return QStringLiteral("The download ended in the middle of a packet; its missing records were not decoded.");
    case DownloadShortfall::Stalled:
        return QStringLiteral("The logger stopped sending after packet %1 of %2; the records of the missing "
                              "packets were not received.")
            .arg(o.packetsReceived)
            .arg(o.packetsAnnounced);
    case DownloadShortfall::Unplugged:
        return QString::fromLatin1(UnpluggedText);
    }
    return {};
}

}  // namespace

QString OutcomeText(const ExchangeOutcome& outcome)
{
    QString text;
    if (outcome.failure == LinkFailure::Unplugged) {
        text = QString::fromLatin1(UnpluggedText);
    } else {
        for (const OutcomeRow& row : OutcomeTable) {
            if (row.exchange == outcome.exchange && row.failure == outcome.failure) {
                if (row.text)
                    text = QString::fromLatin1(row.text);
                break;
            }
        }
    }
    if (!text.isEmpty() && !outcome.detail.isEmpty())
        text += QStringLiteral("\r\n") + outcome.detail;
    return text;
}

QString OutcomeText(const DownloadOutcome& outcome)
{
    if (outcome.refused != LinkFailure::None)
        return {};
    QStringList lines;
    if (!outcome.taken) {
        // The logger's first packet announced no records: the dialog keeps the
        // end of the stream as its text.
        lines << QString::fromLatin1(DownloadFinishedText);
        if (outcome.linkLost)
            lines << QString::fromLatin1(UnpluggedText);
        return lines.join(QStringLiteral("\r\n"));
    }
    if (outcome.shortfalls.empty())
        lines << QString::fromLatin1(outcome.records == 0 ? NoLogsText : DownloadDoneText);
    else
        lines << QString::fromLatin1(outcome.records == 0 ? NoLogsReceivedText : DownloadPartText);
    for (DownloadShortfall shortfall : outcome.shortfalls)
        lines << shortfallText(shortfall, outcome);
    if (!outcome.saveMessage.isEmpty())
        lines << outcome.saveMessage;
    return lines.join(QStringLiteral("\r\n"));
}

QString PermissionHint(const QString& device, const QString& deviceGroup)
{
    if (deviceGroup.isEmpty())
        return QStringLiteral("Permission denied for %1: add your user to the group that owns the device, "
                              "then log in again.")
            .arg(device);
    return QStringLiteral("Permission denied for %1: add your user to the group %2, then log in again.")
        .arg(device, deviceGroup);
}
