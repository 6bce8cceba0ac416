// The download through LinkSession: the request, the stream gathered until
// the line is quiet, the decoded log put into the store, saved and shown.
#include "link/Frames.h"
#include "logdata/LogFile.h"
#include "support/LinkFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>
#include <vector>

namespace {

using fakelink::Bytes;
using fakelink::Packet;
using fakelink::StreamRecord;

const uint32_t Stamp = fakelink::StampWord(2011, 3, 9, 8, 44, 44);

class LinkSessionDownloadTest : public LinkFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        app.programFolder = folder.path() + "/";
        fakelink::IdentifyFields f;
        f.id = "AB12345678";
        f.name = "ROOM";
        ConnectLogger(f);  // type 1: two channels, temperature and humidity
    }

    // Starts a download, lets the logger send stream and the line go quiet.
    void RunDownload(const Bytes& stream)
    {
        session.Download();
        if (!stream.empty())
            transport.Receive(stream);
        ASSERT_TRUE(timers.Fire(LinkSession::DownloadTimer));
    }

    static Bytes fivePackets()
    {
        return fakelink::Concat({Packet({{Stamp, 250, 600}, {Stamp, 251, 610}, {Stamp, 252, 620}}, 2, 0, 2),
                                 Packet({{Stamp, 253, 630}, {Stamp + 1, 254, 640}}, 2, 1, 2)});
    }

    // A packet that carries its number and the number of packets.
    static Bytes numbered(const std::vector<StreamRecord>& records, uint16_t number, uint16_t total)
    {
        return Packet(records, 2, number, total);
    }

    QStringList savedFiles() const { return QDir(app.logFolder()).entryList(QDir::Files); }

    QTemporaryDir folder;
};

TEST_F(LinkSessionDownloadTest, StartSendsTheRequestAndOpensTheProgressDialog)
{
    std::memcpy(app.store.loggerId, "LOG0000001", 10);
    app.store.recordCount = 7;
    session.Download();
    uint8_t tx[FrameAreaSize];
    const int n = BuildRequest(tx, letter::Download, "LOG0000001");
    EXPECT_EQ(LastWrite(), Bytes(tx, tx + n));
    EXPECT_EQ(session.activeCommand(), LinkSession::Downloading);
    EXPECT_EQ(app.store.recordCount, 0u);
    EXPECT_EQ(timers.Period(LinkSession::DownloadTimer), 5000);
    EXPECT_TRUE(messages.dialogOpen);
    EXPECT_FALSE(messages.dialogButtonsEnabled);
    EXPECT_EQ(messages.dialogText, "Begin to download logs from the logger. Please wait...");
}

TEST_F(LinkSessionDownloadTest, EveryChunkIsCountedAndRestartsTheQuietTimer)
{
    session.Download();
    transport.Receive(Bytes(100, 0x11));
    EXPECT_EQ(messages.dialogText, "Downloading data from the logger:    100 bytes");
    EXPECT_EQ(timers.Period(LinkSession::DownloadTimer), 2000);
    transport.Receive(Bytes(1500, 0x11));  // two chunks, 1024 and 476
    EXPECT_EQ(messages.dialogText, "Downloading data from the logger:   1600 bytes");
    EXPECT_EQ(session.downloadLength(), 1600);
    EXPECT_FALSE(messages.dialogButtonsEnabled);
    // A chunk that looks like an answer is stream data too.
    transport.Receive(fakelink::StatusAnswer('Z', 1));
    EXPECT_EQ(session.downloadLength(), 1621);
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(LinkSessionDownloadTest, QuietLineEndsTheStreamAndTheLogIsSavedAndShown)
{
    app.store.currentLogPath = "old";
    RunDownload(fivePackets());

    const LogStore& store = app.store;
    EXPECT_EQ(store.recordCount, 5u);
    EXPECT_EQ(store.channelCount, 2u);
    EXPECT_EQ(std::string(store.loggerId, 10), "AB12345678");
    EXPECT_STREQ(store.loggerName, "ROOM");
    EXPECT_EQ(store.celsius, 1);
    EXPECT_EQ(store.channelKind[1], 1);
    EXPECT_EQ(store.unitText[0], "C");
    EXPECT_EQ(store.unitText[1], "%RH");
    EXPECT_FLOAT_EQ(store.maxValue[0], 25.4f);
    EXPECT_FLOAT_EQ(store.minValue[1], 60.0f);
    EXPECT_NEAR(store.value[3][0], 16.69f, 0.01);

    const QString path = app.logFilePath("ROOM_20110309_0844.logu");
    EXPECT_EQ(store.currentLogPath, path);
    EXPECT_EQ(store.currentLogName, "ROOM_20110309_0844.logu");
    EXPECT_EQ(QFileInfo(path).size(), 46 + 5 * 26);
    LogStore reread;
    ASSERT_TRUE(ReadLogFile(path, reread).ok());
    EXPECT_EQ(reread.recordCount, 5u);
    EXPECT_EQ(reread.value[2][4], store.value[2][4]);
    EXPECT_EQ(std::string(reread.timestamp(4), 14), "20110309084445");

    EXPECT_EQ(messages.dialogTexts.mid(messages.dialogTexts.size() - 2),
              (QStringList{"Downloading logs finished.", "Successfully downloaded all the logs from the logger."}));
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    EXPECT_EQ(panes.fileListShown, 1);
    EXPECT_EQ(panes.chartRedrawn, 1);
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    EXPECT_FALSE(session.busy());
    EXPECT_TRUE(session.connected());
}

// The open log's document hears of a download twice: the records dropped
// when it starts, and the downloaded log once it is complete and saved.
TEST_F(LinkSessionDownloadTest, DownloadIsAnnouncedThroughTheDocument)
{
    struct Heard {
        LogDocument::ChangeKind kind;
        uint32_t records;
        QString path;
    };
    std::vector<Heard> heard;
    QObject::connect(&app.document, &LogDocument::changed, [&](LogDocument::ChangeKind kind) {
        heard.push_back({kind, app.store.recordCount, app.store.currentLogPath});
    });

    RunDownload(fivePackets());
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].kind, LogDocument::ChangeKind::Emptied);
    EXPECT_EQ(heard[0].records, 0u);
    EXPECT_EQ(heard[1].kind, LogDocument::ChangeKind::Downloaded);
    EXPECT_EQ(heard[1].records, 5u);
    EXPECT_EQ(heard[1].path, app.logFilePath("ROOM_20110309_0844.logu"));

    // A logger with nothing to give: only the records dropped at the start.
    heard.clear();
    RunDownload(fakelink::Concat({Packet({}, 2)}));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].kind, LogDocument::ChangeKind::Emptied);
}

// An empty log would be named after the computer's clock and could replace a
// real log whose last record fell in the same minute: nothing is saved.
TEST_F(LinkSessionDownloadTest, NoByteWithinFiveSecondsSavesNoFile)
{
    const QString earlier = app.logFilePath("ROOM_20110308_1141.logu");
    ASSERT_TRUE(QDir().mkpath(app.logFolder()));
    QFile real(earlier);
    ASSERT_TRUE(real.open(QIODevice::WriteOnly));
    real.write(QByteArray(46 + 26, 'x'));
    real.close();
    app.store.currentLogPath = "old";

    RunDownload({});
    EXPECT_EQ(messages.dialogText, "No logs were found in the logger.");
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    EXPECT_EQ(app.store.recordCount, 0u);
    EXPECT_EQ(savedFiles(), QStringList{"ROOM_20110308_1141.logu"});
    EXPECT_EQ(QFileInfo(earlier).size(), 46 + 26);
    EXPECT_EQ(app.store.currentLogPath, "old");
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    ASSERT_EQ(observer.downloads.size(), 1u);
    EXPECT_TRUE(observer.downloads[0].complete());
    EXPECT_EQ(observer.downloads[0].records, 0u);
    EXPECT_EQ(observer.downloads[0].save, DownloadOutcome::Save::None);
    EXPECT_TRUE(observer.downloads[0].savedPath.isEmpty());
}

TEST_F(LinkSessionDownloadTest, PacketOfNoRecordsFirstTakesNothing)
{
    app.store.currentLogPath = "old";
    RunDownload(fakelink::Concat({Packet({}, 2), Packet({{Stamp, 250, 600}}, 2)}));
    EXPECT_EQ(app.store.recordCount, 0u);
    EXPECT_EQ(app.store.currentLogPath, "old");
    EXPECT_TRUE(savedFiles().isEmpty());
    EXPECT_EQ(messages.dialogText, "Downloading logs finished.");
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    EXPECT_EQ(panes.fileListShown, 0);
    EXPECT_EQ(panes.chartRedrawn, 0);
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
}

TEST_F(LinkSessionDownloadTest, PacketOfNoRecordsAfterRecordsEndsTheStreamAndKeepsThem)
{
    RunDownload(fakelink::Concat({Packet({{Stamp, 250, 600}, {Stamp, 251, 610}}, 2), Packet({}, 2),
                                  Packet({{Stamp, 252, 620}}, 2)}));
    EXPECT_EQ(app.store.recordCount, 2u);
    EXPECT_FLOAT_EQ(app.store.value[1][1], 25.1f);
    EXPECT_EQ(savedFiles(), QStringList{"ROOM_20110309_0844.logu"});
    EXPECT_EQ(messages.dialogText, "Successfully downloaded all the logs from the logger.");
    EXPECT_EQ(panes.fileListShown, 1);
}

TEST_F(LinkSessionDownloadTest, SecondDownloadStartsAgainAtIndexZero)
{
    RunDownload(fivePackets());
    RunDownload(Packet({{Stamp, -15, 400}, {Stamp, -16, 410}}, 2));
    EXPECT_EQ(app.store.recordCount, 2u);
    EXPECT_EQ(session.decodedCount(), 2);
    EXPECT_FLOAT_EQ(app.store.value[1][0], -1.5f);
    EXPECT_FLOAT_EQ(app.store.maxValue[0], -1.5f);
}

// The bytes read before a hang-up arrive first; the failure then ends the
// stream at once, the records that arrived are saved, the result says the
// download was cut short, and the link is not connected.
TEST_F(LinkSessionDownloadTest, PortFailureEndsTheDownloadWithWhatArrived)
{
    const Bytes stream = fakelink::Concat({numbered({{Stamp, 250, 600}, {Stamp, 251, 610}}, 1, 3),
                                           numbered({{Stamp, 252, 620}, {Stamp + 1, 253, 630}}, 2, 3),
                                           numbered({{Stamp + 2, 254, 640}}, 3, 3)});
    const size_t cut = stream.size() - 10;  // inside the last packet's record
    session.Download();
    transport.Receive(Bytes(stream.begin(), stream.begin() + long(cut)));
    transport.FailPort();
    // The download's result is there at once; the link ends after its pause.
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    EndPause();

    EXPECT_EQ(app.store.recordCount, 4u);
    EXPECT_FLOAT_EQ(app.store.value[2][3], 63.0f);
    EXPECT_EQ(messages.dialogText,
              "Only part of the logs could be downloaded from the logger.\r\n"
              "The download ended in the middle of a packet; its missing records were not decoded.\r\n"
              "The USB cable was unplugged and the connection was broken.");
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    EXPECT_FALSE(messages.dialogTexts.contains("Successfully downloaded all the logs from the logger."));
    EXPECT_EQ(savedFiles(), QStringList{"ROOM_20110309_0844.logu"});
    LogStore reread;
    ASSERT_TRUE(ReadLogFile(app.store.currentLogPath, reread).ok());
    EXPECT_EQ(reread.recordCount, 4u);

    EXPECT_FALSE(session.connected());
    EXPECT_FALSE(session.busy());
    EXPECT_EQ(session.activeCommand(), LinkSession::NoCommand);
    EXPECT_FALSE(timers.IsRunning(LinkSession::DownloadTimer));
    EXPECT_EQ(transport.shutdownCount, 1);
    EXPECT_EQ(panes.loggerButtons.back(), false);
    EXPECT_TRUE(messages.messages.isEmpty());  // the download's dialog said it
    ASSERT_EQ(observer.downloads.size(), 1u);
    const DownloadOutcome& outcome = observer.downloads[0];
    EXPECT_FALSE(outcome.complete());
    EXPECT_EQ(outcome.shortfalls,
              (std::vector<DownloadShortfall>{DownloadShortfall::CutInPacket, DownloadShortfall::Unplugged}));
    EXPECT_EQ(outcome.savedPath, app.store.currentLogPath);
    EXPECT_EQ(observer.exchanges.size(), 1u);  // only the connect: the download's outcome told it all

    // A later chunk or expiry finds nothing running.
    transport.Receive(Bytes(stream.begin() + long(cut), stream.end()));
    EXPECT_FALSE(timers.Fire(LinkSession::DownloadTimer));
    EXPECT_EQ(app.store.recordCount, 4u);
}

struct HangupCase {
    const char* what;
    size_t received;        // bytes of the three-packet stream before the hang-up
    const char* text;       // the dialog's last text
    uint32_t records;
    bool saved;
};

TEST_F(LinkSessionDownloadTest, PortFailureAtEachPointOfTheStream)
{
    const Bytes stream = fakelink::Concat({numbered({{Stamp, 250, 600}, {Stamp, 251, 610}}, 1, 3),
                                           numbered({{Stamp, 252, 620}}, 2, 3), numbered({{Stamp, 253, 630}}, 3, 3)});
    const size_t firstPacket = 21 + 2 * 8 + 5;
    const HangupCase cases[] = {
        {"before any byte", 0,
         "No logs could be downloaded from the logger.\r\n"
         "The USB cable was unplugged and the connection was broken.",
         0, false},
        {"between packets", firstPacket,
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The USB cable was unplugged and the connection was broken.",
         2, true},
        // Even when the numbers say the last packet had arrived, a pulled
        // cable is never reported as a whole download.
        {"after the last packet", stream.size(),
         "Only part of the logs could be downloaded from the logger.\r\n"
         "The USB cable was unplugged and the connection was broken.",
         4, true},
    };
    for (const HangupCase& k : cases) {
        SCOPED_TRACE(k.what);
        if (!session.connected())
            ConnectLogger();
        observer.downloads.clear();
        session.Download();
        if (k.received)
            transport.Receive(Bytes(stream.begin(), stream.begin() + long(k.received)));
        transport.FailPort();
        EndPause();
        EXPECT_EQ(messages.dialogText, k.text);
        EXPECT_EQ(app.store.recordCount, k.records);
        EXPECT_FALSE(session.connected());
        ASSERT_EQ(observer.downloads.size(), 1u);
        EXPECT_FALSE(observer.downloads[0].complete());
        EXPECT_TRUE(observer.downloads[0].linkLost);
        EXPECT_EQ(observer.downloads[0].savedPath.isEmpty(), !k.saved);
    }
}

// The packets carry their total and their own number. When those count 1, 2,
// 3 … with one total, a stream that goes quiet before the last packet is
// partial; numbers that do not count so say nothing and are ignored.
TEST_F(LinkSessionDownloadTest, PacketNumbersTellAStalledStream)
{
    const std::vector<StreamRecord> two = {{Stamp, 250, 600}, {Stamp + 1, 251, 610}};
    struct Case {
        const char* what;
        Bytes stream;
        bool partial;
    };
    const Case cases[] = {
        {"all of three", fakelink::Concat({numbered(two, 1, 3), numbered(two, 2, 3), numbered(two, 3, 3)}), false},
        {"two of three", fakelink::Concat({numbered(two, 1, 3), numbered(two, 2, 3)}), true},
        {"one of five", numbered(two, 1, 5), true},
        {"numbered from 0", fakelink::Concat({numbered(two, 0, 3), numbered(two, 1, 3)}), false},
        {"a number skipped", fakelink::Concat({numbered(two, 1, 4), numbered(two, 3, 4)}), false},
        {"totals differ", fakelink::Concat({numbered(two, 1, 3), numbered(two, 2, 4)}), false},
        {"no total", fakelink::Concat({numbered(two, 1, 0), numbered(two, 2, 0)}), false},
        {"beyond the total", fakelink::Concat({numbered(two, 1, 1), numbered(two, 2, 1)}), false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        observer.downloads.clear();
        RunDownload(k.stream);
        ASSERT_EQ(observer.downloads.size(), 1u);
        const DownloadOutcome& outcome = observer.downloads[0];
        EXPECT_EQ(outcome.records, uint32_t(k.stream.size() / (21 + 2 * 8 + 5) * 2));
        EXPECT_EQ(app.store.recordCount, outcome.records);
        EXPECT_EQ(outcome.complete(), !k.partial);
        EXPECT_EQ(outcome.save, DownloadOutcome::Save::Saved);
        if (k.partial) {
            EXPECT_EQ(outcome.shortfalls, std::vector<DownloadShortfall>{DownloadShortfall::Stalled});
            EXPECT_TRUE(messages.dialogText.startsWith("Only part of the logs could be downloaded from the logger.\r\n"
                                                       "The logger stopped sending after packet "))
                << qPrintable(messages.dialogText);
        } else {
            EXPECT_EQ(messages.dialogText, "Successfully downloaded all the logs from the logger.");
        }
        EXPECT_TRUE(session.connected());
    }
    RunDownload(fakelink::Concat({numbered(two, 1, 3), numbered(two, 2, 3)}));
    EXPECT_EQ(messages.dialogText,
              "Only part of the logs could be downloaded from the logger.\r\n"
              "The logger stopped sending after packet 2 of 3; the records of the missing packets were not received.");
}

TEST_F(LinkSessionDownloadTest, StreamLargerThanTheBufferKeepsWhatFitsAndSaysSo)
{
    app.config.channelCount = 1;
    const Bytes packet = Packet(std::vector<StreamRecord>(255, StreamRecord{Stamp, 215}), 1);
    Bytes stream;
    while (stream.size() < size_t(LinkSession::DownloadBufferSize) + 5000)
        stream.insert(stream.end(), packet.begin(), packet.end());
    RunDownload(stream);
    EXPECT_EQ(session.downloadLength(), LinkSession::DownloadBufferSize);
    EXPECT_EQ(app.store.recordCount, LogCapacity);
    const QStringList lines = messages.dialogText.split("\r\n");
    ASSERT_EQ(lines.size(), 3) << qPrintable(messages.dialogText);
    EXPECT_EQ(lines[0], "Only part of the logs could be downloaded from the logger.");
    EXPECT_TRUE(lines[1].contains("more than 2097152 bytes")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[2].contains("at most 140000 records")) << qPrintable(lines[2]);
    EXPECT_EQ(QFileInfo(app.store.currentLogPath).size(), 46 + 26 * qint64(LogCapacity));
}

TEST_F(LinkSessionDownloadTest, StreamCutInsideAPacketSaysSo)
{
    Bytes stream = fivePackets();
    stream.resize(stream.size() - 5 - 4);  // the stream stops inside the last record
    RunDownload(stream);
    EXPECT_EQ(app.store.recordCount, 4u);
    EXPECT_EQ(messages.dialogText,
              "Only part of the logs could be downloaded from the logger.\r\n"
              "The download ended in the middle of a packet; its missing records were not decoded.");
}

TEST_F(LinkSessionDownloadTest, SaveThatFailsKeepsTheLogAndSaysWhere)
{
    // A program folder below a plain file: nothing can be created there.
    QFile blocker(folder.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    app.programFolder = blocker.fileName() + "/";
    app.store.currentLogPath = "old";
    RunDownload(fivePackets());
    EXPECT_EQ(app.store.recordCount, 5u);
    // The download stays the open log, unsaved; the old file is no longer named as it.
    EXPECT_TRUE(app.store.currentLogPath.isEmpty());
    EXPECT_TRUE(app.store.unsaved());
    EXPECT_EQ(messages.dialogText,
              "Successfully downloaded all the logs from the logger.\r\n"
              "All the logs have been downloaded. But the data cannot be saved into "
                  + app.logFilePath("ROOM_20110309_0844.logu") + ".");
    EXPECT_TRUE(messages.dialogButtonsEnabled);
    EXPECT_EQ(panes.chartRedrawn, 1);
}

TEST_F(LinkSessionDownloadTest, NameThatIsNoFileNameSavesUnderTheTemporaryName)
{
    app.config.SetLoggerName("ROOM/2");
    RunDownload(fivePackets());
    EXPECT_EQ(savedFiles(), QStringList{"default_20110309_0844.logu"});
    EXPECT_EQ(messages.dialogText,
              "Successfully downloaded all the logs from the logger.\r\n"
              "The file name is invalid: "
                  + app.logFilePath("ROOM/2_20110309_0844.logu")
                  + ". Please change the logger name in the setup panel. All the logs have been saved in the "
                    "temporary file: "
                  + app.logFilePath("default_20110309_0844.logu") + ".");
}

TEST_F(LinkSessionDownloadTest, MissingLogFolderIsMadeAgain)
{
    ASSERT_FALSE(QFileInfo::exists(app.logFolder()));
    RunDownload(fivePackets());
    EXPECT_EQ(savedFiles(), QStringList{"ROOM_20110309_0844.logu"});
}

}  // namespace
