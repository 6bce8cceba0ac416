// The log document: load, Save As, the new document and reading the open
// log again, with a recording stand-in for the main window.
#include "AppTestEnv.h"

#include "app/CLoggerDoc.h"
#include "app/Commands.h"
#include "link/AppData.h"
#include "logdata/LogFile.h"
#include "support/StoreFixtures.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QDir>
#include <QFileInfo>

namespace {

using apptest::ReadBytes;
using apptest::WriteBytes;
using apptest::WriteSampleLog;

class RecordingHost : public CLoggerDoc::Host {
public:
    QStringList calls;
    QStringList messages;
    void ShowMessage(const QString& text) override { messages << text; calls << QStringLiteral("message"); }
    void CloseAllPanes() override { calls << QStringLiteral("closeAll"); }
    void ShowOnlyPane(int pane) override { calls << QStringLiteral("showOnly %1").arg(pane); }
    void RedrawChartNow() override { calls << QStringLiteral("redraw"); }
    void RepaintView() override { calls << QStringLiteral("repaint"); }
    void DocumentTitleChanged(const QString& title) override { calls << QStringLiteral("title '%1'").arg(title); }
    UnsavedAnswer AskAboutUnsavedLog(const QString& text) override
    {
        questions << text;
        calls << QStringLiteral("ask");
        return unsavedAnswer;
    }
    QString ChooseSavePath() override
    {
        calls << QStringLiteral("choose");
        return savePath;
    }
    QStringList questions;
    UnsavedAnswer unsavedAnswer = UnsavedAnswer::Stay;
    QString savePath;
};

class LoggerDocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        data = std::make_unique<AppData>();
        doc = std::make_unique<CLoggerDoc>(*data);
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    // A log already open in the store, to see that failures leave it alone.
    void OpenPrevious()
    {
        ASSERT_TRUE(WriteSampleLog(Path(QStringLiteral("OLD_20110308_1500.logu")), 1, 7, "OLD"));
        doc->SetHost(&host);
        ASSERT_TRUE(doc->OnOpenDocument(Path(QStringLiteral("OLD_20110308_1500.logu"))));
        host.calls.clear();
    }

    void ExpectPreviousKept()
    {
        EXPECT_EQ(data->store.recordCount, 7u);
        EXPECT_STREQ(data->store.loggerName, "OLD");
        EXPECT_EQ(data->store.currentLogName, QStringLiteral("OLD_20110308_1500.logu"));
    }

    QTemporaryDir dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<CLoggerDoc> doc;
    RecordingHost host;
};

TEST_F(LoggerDocTest, OpenedBeforeTheMainWindowLeavesStatisticsPending)
{
    const QString path = Path(QStringLiteral("ROOM_20110308_1435.logu"));
    ASSERT_TRUE(WriteSampleLog(path, 2, 30));
    ASSERT_TRUE(doc->OnOpenDocument(path));
    EXPECT_TRUE(doc->lastOpenReadLog());
    EXPECT_TRUE(data->store.statsPending);
    EXPECT_EQ(data->store.axisStep[0], 0);  // not computed yet
    EXPECT_EQ(data->store.recordCount, 30u);
    EXPECT_EQ(data->store.currentLogName, QStringLiteral("ROOM_20110308_1435.logu"));
    EXPECT_EQ(data->store.currentLogPath, QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(doc->title(), QStringLiteral("ROOM_20110308_1435.logu"));
    // The first drawing computes them.
    data->store.EnsureStatistics();
    EXPECT_FALSE(data->store.statsPending);
    EXPECT_GE(data->store.axisStep[0], 1);
}

TEST_F(LoggerDocTest, OpenedWithTheMainWindowComputesStatisticsAtOnce)
{
    const QString path = Path(QStringLiteral("ROOM_20110308_1435.logu"));
    ASSERT_TRUE(WriteSampleLog(path, 1, 10));
    doc->SetHost(&host);
    ASSERT_TRUE(doc->OnOpenDocument(path));
    EXPECT_FALSE(data->store.statsPending);
    EXPECT_GE(data->store.axisStep[0], 1);
    EXPECT_FLOAT_EQ(data->store.maxValue[0], 13.0f);
}

TEST_F(LoggerDocTest, EmptyFileCountsAsOpenedAndKeepsTheStore)
{
    OpenPrevious();
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("EMPTY_1.logu")), {}));
    EXPECT_TRUE(doc->OnOpenDocument(Path(QStringLiteral("EMPTY_1.logu"))));
    EXPECT_FALSE(doc->lastOpenReadLog());
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("\r\nFailed to open logu file: invalid format.")});
    ExpectPreviousKept();
}

TEST_F(LoggerDocTest, DamagedFilesAreRefusedWithTheirMessage)
{
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"one byte", QByteArray(1, '\x01')},
        {"short header", QByteArray(20, '\0')},
        // A header announcing 3 records followed by one.
        {"short records", QByteArray::fromHex("03000000010000") + QByteArray(39, '\0') + QByteArray(26, '0')},
    };
    OpenPrevious();
    for (const auto& c : cases) {
        host.messages.clear();
        const QString path = Path(QStringLiteral("BAD_%1.logu").arg(QString::fromLatin1(c.name).replace(' ', '_')));
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        EXPECT_FALSE(doc->OnOpenDocument(path)) << c.name;
        ASSERT_EQ(host.messages.size(), 1) << c.name;
        EXPECT_TRUE(host.messages[0].contains(QFileInfo(path).fileName())) << host.messages[0].toStdString();
        ExpectPreviousKept();
    }
}

TEST_F(LoggerDocTest, MessagesBeforeTheMainWindowWaitForIt)
{
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("EMPTY_1.logu")), {}));
    EXPECT_TRUE(doc->OnOpenDocument(Path(QStringLiteral("EMPTY_1.logu"))));
    EXPECT_EQ(doc->TakePendingMessage(), QStringLiteral("\r\nFailed to open logu file: invalid format."));
    EXPECT_TRUE(doc->TakePendingMessage().isEmpty());
}

TEST_F(LoggerDocTest, SaveAsWritesTheNarrowedStoreAndKeepsTheOpenLog)
{
    const QString original = Path(QStringLiteral("ROOM_20110308_1435.logu"));
    ASSERT_TRUE(WriteSampleLog(original, 2, 30));
    doc->SetHost(&host);
    ASSERT_TRUE(doc->OnOpenDocument(original));
    data->store.NarrowRecords(10, 14);
    const QString copy = Path(QStringLiteral("copy.logu"));
    ASSERT_TRUE(doc->OnSaveDocument(copy));
    EXPECT_EQ(ReadBytes(copy).size(), 46 + 26 * 4);
    EXPECT_EQ(data->store.currentLogPath, QFileInfo(original).absoluteFilePath());
    EXPECT_EQ(data->store.currentLogName, QStringLiteral("ROOM_20110308_1435.logu"));
    // The whole log comes back from the open file, not from the copy.
    ASSERT_TRUE(doc->LoadCurrentLog());
    EXPECT_EQ(data->store.recordCount, 30u);
}

TEST_F(LoggerDocTest, SaveAsOfAnEmptyLogIsAHeaderOnly)
{
    data->store.recordCount = 0;
    data->store.channelCount = 1;
    ASSERT_TRUE(doc->OnSaveDocument(Path(QStringLiteral("empty.logu"))));
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("empty.logu"))).size(), 46);
    ASSERT_TRUE(doc->OnOpenDocument(Path(QStringLiteral("empty.logu"))));
    EXPECT_EQ(data->store.recordCount, 0u);
}

TEST_F(LoggerDocTest, SaveAsFailureIsReported)
{
    doc->SetHost(&host);
    const QString intoMissingFolder = Path(QStringLiteral("missing/copy.logu"));
    EXPECT_FALSE(doc->OnSaveDocument(intoMissingFolder));
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].startsWith(QStringLiteral("The log cannot be saved into ")));
    EXPECT_TRUE(host.messages[0].contains(QDir::toNativeSeparators(intoMissingFolder)));
    EXPECT_FALSE(QFileInfo::exists(intoMissingFolder));
}

TEST_F(LoggerDocTest, LoadCurrentLogClosesThePanesThenDraws)
{
    OpenPrevious();
    data->store.NarrowRecords(2, 4);
    ASSERT_TRUE(doc->LoadCurrentLog());
    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("closeAll"), QStringLiteral("redraw")}));
    EXPECT_EQ(data->store.recordCount, 7u);
    EXPECT_GE(data->store.axisStep[0], 1);
}

TEST_F(LoggerDocTest, LoadCurrentLogFailuresKeepStoreAndPanes)
{
    OpenPrevious();
    data->store.NarrowRecords(2, 5);
    const struct {
        const char* name;
        bool create;
        QByteArray bytes;
        const char* message;  // nullptr: the reader's own message
    } cases[] = {
        {"empty", true, {}, "The format of the log file is invalid."},
        {"one byte", true, QByteArray(1, '\x02'), nullptr},
        {"deleted", false, {}, nullptr},
    };
    for (const auto& c : cases) {
        host.calls.clear();
        host.messages.clear();
        const QString path = Path(QStringLiteral("open_%1.logu").arg(QString::fromLatin1(c.name).replace(' ', '_')));
        if (c.create) {
            ASSERT_TRUE(WriteBytes(path, c.bytes));
        }
        data->store.currentLogPath = path;
        EXPECT_FALSE(doc->LoadCurrentLog()) << c.name;
        ASSERT_EQ(host.messages.size(), 1) << c.name;
        if (c.message) {
            EXPECT_EQ(host.messages[0].toStdString(), c.message);
        } else {
            EXPECT_TRUE(host.messages[0].contains(QFileInfo(path).fileName())) << host.messages[0].toStdString();
        }
        EXPECT_EQ(host.calls, QStringList{QStringLiteral("message")}) << c.name;
        EXPECT_EQ(data->store.recordCount, 3u) << c.name;  // still the narrowed log
    }
}

// A download whose save failed: the store holds it, no file is named as the
// open log, and the store keeps it whole.
class UnsavedDownloadTest : public LoggerDocTest {
protected:
    void SetUp() override
    {
        LoggerDocTest::SetUp();
        OpenPrevious();
        LogStore& store = data->store;
        fixtures::FillStore(store, 2, 5, [](int c, uint32_t i) { return float(c * 100) + float(i); }, "NEW",
                            "2222222222", "20120101120000");
        download = Written(store);
        // The program folder has no Logfiles folder, so the save fails.
        const SaveLogResult saved = SaveDownloadedLog(store, Path(QStringLiteral("nofolder/")), QDateTime());
        ASSERT_EQ(saved.kind, SaveLogResult::Failed);
        host.calls.clear();
    }

    static QByteArray Written(const LogStore& store)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(WriteLogFile(buffer, store));
        return bytes;
    }

    QByteArray download;
};

TEST_F(UnsavedDownloadTest, ReloadsRestoreTheDownloadNeverThePreviousFile)
{
    LogStore& store = data->store;
    EXPECT_EQ(OpenLogTitle(store), QStringLiteral("NEW_20120101_1204.logu (not saved)"));
    // Original View, a right click and every date query read the open log
    // again: each gets the whole download, not the log opened before.
    for (const auto& [first, end] : {std::pair{1, 3}, std::pair{0, 1}, std::pair{2, 5}}) {
        store.NarrowRecords(first, end);
        host.calls.clear();
        ASSERT_TRUE(doc->LoadCurrentLog());
        EXPECT_EQ(host.calls, (QStringList{QStringLiteral("closeAll"), QStringLiteral("redraw")}));
        EXPECT_EQ(Written(store), download);
        EXPECT_STREQ(store.loggerName, "NEW");
        EXPECT_EQ(store.maxValue[1], 204.0f);
        EXPECT_TRUE(store.currentLogPath.isEmpty());
        EXPECT_EQ(OpenLogTitle(store), QStringLiteral("NEW_20120101_1204.logu (not saved)"));
    }
}

TEST_F(UnsavedDownloadTest, SaveAsSavesTheWholeDownloadAndMakesItTheOpenLog)
{
    LogStore& store = data->store;
    store.NarrowRecords(1, 3);
    const QString path = Path(QStringLiteral("NEW_saved.logu"));
    ASSERT_TRUE(doc->OnSaveDocument(path));
    EXPECT_EQ(ReadBytes(path), download) << "the whole download, not the narrowed store";
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(store.currentLogPath, QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(store.currentLogName, QStringLiteral("NEW_saved.logu"));
    EXPECT_EQ(doc->title(), QStringLiteral("NEW_saved.logu"));
    // From now on the open log is that file.
    ASSERT_TRUE(doc->LoadCurrentLog());
    EXPECT_EQ(Written(store), download);
}

TEST_F(UnsavedDownloadTest, ClosingOrReplacingItAsksFirst)
{
    using Answer = CLoggerDoc::Host::UnsavedAnswer;
    LogStore& store = data->store;
    // Stay: nothing may close it.
    host.unsavedAnswer = Answer::Stay;
    EXPECT_FALSE(doc->MayCloseOpenLog());
    ASSERT_EQ(host.questions.size(), 1);
    EXPECT_EQ(host.questions[0],
              QStringLiteral("The downloaded log NEW_20120101_1204.logu has not been saved. Do you want to save it first?"));
    // Save, but the file choice is cancelled, or the save fails: stay.
    host.unsavedAnswer = Answer::Save;
    EXPECT_FALSE(doc->MayCloseOpenLog());
    host.savePath = Path(QStringLiteral("missing/NEW.logu"));
    EXPECT_FALSE(doc->MayCloseOpenLog());
    EXPECT_TRUE(store.unsaved());
    // Discard: it may close; until another log has taken its place it stays.
    host.unsavedAnswer = Answer::Discard;
    EXPECT_TRUE(doc->MayCloseOpenLog());
    EXPECT_TRUE(store.unsaved());
    // A file that cannot be opened leaves it the open log.
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("BAD_1.logu")), QByteArray(3, 'x')));
    EXPECT_FALSE(doc->OpenLogFile(Path(QStringLiteral("BAD_1.logu"))));
    EXPECT_TRUE(store.unsaved());
    EXPECT_EQ(Written(store), download);
    // Save with a path: saved, and nothing is asked any more.
    host.unsavedAnswer = Answer::Save;
    host.savePath = Path(QStringLiteral("NEW.logu"));
    EXPECT_TRUE(doc->MayCloseOpenLog());
    EXPECT_EQ(ReadBytes(host.savePath), download);
    host.questions.clear();
    EXPECT_TRUE(doc->MayCloseOpenLog());
    EXPECT_TRUE(host.questions.isEmpty());
}

TEST_F(UnsavedDownloadTest, OpeningAnotherLogOrANewDocumentEndsIt)
{
    ASSERT_TRUE(doc->OpenLogFile(Path(QStringLiteral("OLD_20110308_1500.logu"))));
    EXPECT_FALSE(data->store.unsaved());
    EXPECT_STREQ(data->store.loggerName, "OLD");
    EXPECT_EQ(OpenLogTitle(data->store), QStringLiteral("OLD_20110308_1500.logu"));

    SetUp();  // a failed download again
    ASSERT_TRUE(data->store.unsaved());
    doc->OnNewDocument();
    EXPECT_FALSE(data->store.unsaved());
    EXPECT_TRUE(doc->MayCloseOpenLog());
}

TEST_F(LoggerDocTest, OpenLogFileFailureKeepsTheOpenLogsNameAndPath)
{
    OpenPrevious();
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("BAD_1.logu")), QByteArray(60, '\x05')));
    EXPECT_FALSE(doc->OpenLogFile(Path(QStringLiteral("BAD_1.logu"))));
    ExpectPreviousKept();
    EXPECT_EQ(data->store.currentLogPath, Path(QStringLiteral("OLD_20110308_1500.logu")));
    ASSERT_TRUE(doc->LoadCurrentLog()) << "the open log is still the previous file";
    ExpectPreviousKept();
}

TEST_F(LoggerDocTest, NewDocument)
{
    data->store.recordCount = 12;
    doc->OnNewDocument();
    EXPECT_EQ(doc->title(), QStringLiteral(" "));
    EXPECT_EQ(data->store.recordCount, 0u);

    data->store.recordCount = 12;
    doc->SetHost(&host);
    QSignalSpy announced(&data->document, &LogDocument::changed);
    doc->OnNewDocument();
    EXPECT_EQ(data->store.recordCount, 0u);
    // The record list hears of the emptying from the document's one
    // announcement; the host is not asked to clear it.
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced.at(0).at(0).value<LogDocument::ChangeKind>(), LogDocument::ChangeKind::Emptied);
    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("title ' '"), QStringLiteral("closeAll"),
                                       QStringLiteral("showOnly %1").arg(pane::DataList), QStringLiteral("repaint")}));
}

}  // namespace
