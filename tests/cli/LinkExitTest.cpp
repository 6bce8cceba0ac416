// Every way a logger command can end: the outcome, the text the window and
// the terminal show for it, and the exit status of tessaview-cli.
#include "CliCommon.h"
#include "LinkExit.h"

#include "link/LinkOutcome.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const char* const Unplugged = "The USB cable was unplugged and the connection was broken.";
const char* const TimeOut = "Time out, please try again.";

struct ExchangeRow {
    LinkExchange exchange;
    LinkFailure failure;
    const char* text;  // "" for no message
    int exit;
};

TEST(LinkExitTest, EveryExchangeOutcomeHasItsTextAndExitCode)
{
    using E = LinkExchange;
    using F = LinkFailure;
    const ExchangeRow rows[] = {
        {E::Connect, F::None, "", ExitOk},
        {E::Connect, F::NoDevice,
         "Did not find any devices connected to a USB port. \r\nPlease check all the connections and cables, and try "
         "again. \r\nIf a logger is connected, you may have to restart Tessaview software or your computer for the "
         "device to be recognized.",
         ExitFailure},
        {E::Connect, F::Cancelled, "", ExitFailure},
        {E::Connect, F::OpenFailed, "Failed to connect to the logger..", ExitFailure},
        {E::Connect, F::TimedOut, "Connecting failed. Try it again.", ExitFailure},
        {E::Connect, F::BadAnswer, "An error occured when connecting to the logger. Please try again.", ExitFailure},
        {E::Connect, F::Refused, "An error occured when connecting to the logger. Please try again.", ExitFailure},
        {E::Connect, F::Unplugged, Unplugged, ExitFailure},
        {E::Connect, F::Disconnected, "", ExitFailure},

        {E::ReadSetup, F::None, "", ExitOk},
        {E::ReadSetup, F::NotConnected, "", ExitFailure},
        {E::ReadSetup, F::TimedOut, TimeOut, ExitFailure},
        {E::ReadSetup, F::BadAnswer, "An error occured when reading configuration from the logger. Please try again.",
         ExitFailure},
        {E::ReadSetup, F::Refused, "An error occured when reading configuration from the logger. Please try again.",
         ExitFailure},
        {E::ReadSetup, F::Unplugged, Unplugged, ExitFailure},
        {E::ReadSetup, F::Disconnected, "", ExitFailure},

        {E::WriteSetup, F::None, "Successfully to set new configuration to the logger.", ExitOk},
        {E::WriteSetup, F::NotConnected, "", ExitFailure},
        {E::WriteSetup, F::Declined, "", ExitFailure},
        {E::WriteSetup, F::InvalidSetup, "The configuration is invalid. Please check it.", ExitFailure},
        {E::WriteSetup, F::SetupNotRead, "Please read the setup from the logger first.", ExitFailure},
        {E::WriteSetup, F::TimedOut, TimeOut, ExitFailure},
        {E::WriteSetup, F::BadAnswer, "Failed to set new configuration to the logger. Please try it again.",
         ExitFailure},
        {E::WriteSetup, F::Refused, "Failed to set new configuration to the logger. Please try it again.", ExitFailure},
        {E::WriteSetup, F::Unplugged, Unplugged, ExitFailure},

        {E::SetClock, F::None, "Successfully set the logger time.", ExitOk},
        {E::SetClock, F::NotConnected, "", ExitFailure},
        {E::SetClock, F::TimedOut, "Failed to set time to ther logger: time out.", ExitFailure},
        {E::SetClock, F::BadAnswer, "Failed to synchronize time to the logger.", ExitFailure},
        {E::SetClock, F::Refused, "Failed to synchronize time to the logger.", ExitFailure},
        {E::SetClock, F::Unplugged, Unplugged, ExitFailure},

        {E::Erase, F::None, "Successfully to delete all the logs from the logger.", ExitOk},
        {E::Erase, F::NotConnected, "", ExitFailure},
        {E::Erase, F::Declined, "", ExitFailure},
        {E::Erase, F::TimedOut, TimeOut, ExitFailure},
        {E::Erase, F::BadAnswer, "An error occured. Please try again.", ExitFailure},
        {E::Erase, F::Refused, "An error occured. Please try again.", ExitFailure},
        {E::Erase, F::Unplugged, Unplugged, ExitFailure},

        {E::Idle, F::Unplugged, Unplugged, ExitFailure},
    };
    for (const ExchangeRow& row : rows) {
        const ExchangeOutcome outcome{row.exchange, row.failure, {}};
        SCOPED_TRACE(testing::Message() << "exchange " << int(row.exchange) << ", failure " << int(row.failure));
        EXPECT_EQ(OutcomeText(outcome), QString::fromLatin1(row.text));
        EXPECT_EQ(ExitCodeFor(outcome), row.exit);
    }
}

TEST(LinkExitTest, OpenFailureCarriesThePermissionHint)
{
    const ExchangeOutcome outcome{LinkExchange::Connect, LinkFailure::OpenFailed,
                                  PermissionHint("/dev/ttyUSB0", "dialout")};
    EXPECT_EQ(OutcomeText(outcome),
              "Failed to connect to the logger..\r\n"
              "Permission denied for /dev/ttyUSB0: add your user to the group dialout, then log in again.");
    EXPECT_EQ(ExitCodeFor(outcome), ExitFailure);
}

struct DownloadRow {
    const char* what;
    DownloadOutcome outcome;
    const char* text;
    int exit;
};

DownloadOutcome download(uint32_t records, std::vector<DownloadShortfall> shortfalls = {},
                         DownloadOutcome::Save save = DownloadOutcome::Save::Saved)
{
    DownloadOutcome o;
    o.records = records;
    o.shortfalls = std::move(shortfalls);
    o.save = records ? save : DownloadOutcome::Save::None;
    o.savedPath = save == DownloadOutcome::Save::Saved && records ? QStringLiteral("/logs/A.logu") : QString();
    o.bufferSize = 2097152;
    o.droppedBytes = 4000;
    o.storeCapacity = 140000;
    o.packetsReceived = 2;
    o.packetsAnnounced = 5;
    return o;
}

TEST(LinkExitTest, EveryDownloadOutcomeHasItsTextAndExitCode)
{
    using S = DownloadShortfall;
    DownloadOutcome notConnected;
    notConnected.refused = LinkFailure::NotConnected;
    DownloadOutcome nothingTaken;
    nothingTaken.taken = false;
    DownloadOutcome nothingTakenThenUnplugged = nothingTaken;
    nothingTakenThenUnplugged.linkLost = true;
    DownloadOutcome wholeThenUnplugged = download(90, {S::Unplugged});
    wholeThenUnplugged.linkLost = true;
    DownloadOutcome notSaved = download(5, {}, DownloadOutcome::Save::Failed);
    notSaved.saveMessage = "All the logs have been downloaded. But the data cannot be saved into /x/A.logu.";
    DownloadOutcome standIn = download(5, {}, DownloadOutcome::Save::SavedUnderTemporaryName);
    standIn.savedPath = "/logs/default_20110309_0844.logu";
    standIn.saveMessage = "The file name is invalid: ...";

    const DownloadRow rows[] = {
        {"whole", download(90), "Successfully downloaded all the logs from the logger.", ExitOk},
        {"no records", download(0), "No logs were found in the logger.", ExitOk},
        {"not connected", notConnected, "", ExitFailure},
        {"first packet empty", nothingTaken, "Downloading logs finished.", ExitFailure},
        {"first packet empty, then unplugged", nothingTakenThenUnplugged,
         "Downloading logs finished.\r\nThe USB cable was unplugged and the connection was broken.", ExitFailure},
        {"unplugged after the last packet", wholeThenUnplugged,
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The USB cable was unplugged and the connection was broken.",
         ExitFailure},
        {"unplugged", download(40, {S::Unplugged}),
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The USB cable was unplugged and the connection was broken.",
         ExitFailure},
        {"unplugged before a record", download(0, {S::Unplugged}),
         "No logs could be downloaded from the logger.\r\n"
         "The USB cable was unplugged and the connection was broken.",
         ExitFailure},
        {"stalled", download(40, {S::Stalled}),
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The logger stopped sending after packet 2 of 5; the records of the missing packets were not received.",
         ExitFailure},
        {"cut in a packet", download(40, {S::CutInPacket}),
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The download ended in the middle of a packet; its missing records were not decoded.",
         ExitFailure},
        {"buffer and store full", download(140000, {S::BufferFull, S::StoreFull}),
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The logger sent more than 2097152 bytes; the 4000 bytes after them were not kept.\r\n"
         "A log holds at most 140000 records; the records after them were not kept.",
         ExitFailure},
        {"not saved", notSaved,
         "Successfully downloaded all the logs from the logger.\r\n"
         "All the logs have been downloaded. But the data cannot be saved into /x/A.logu.",
         ExitFailure},
        {"saved under a stand-in name", standIn,
         "Successfully downloaded all the logs from the logger.\r\nThe file name is invalid: ...", ExitFailure},
    };
    for (const DownloadRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(OutcomeText(row.outcome), QString::fromLatin1(row.text));
        EXPECT_EQ(ExitCodeFor(row.outcome), row.exit);
    }
}

}  // namespace
