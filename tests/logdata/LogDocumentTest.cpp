// The open log's document: every change of the store announced once, failed
// reads that leave the log alone, narrowing and reading again, and a
// downloaded log that could not be saved.
#include "logdata/LogDocument.h"
#include "logdata/LogFile.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using Kind = LogDocument::ChangeKind;

// Two channels; channel 1 rises 10.0, 10.5, … so that a narrowed range has
// statistics of its own. Stamped one hour apart from 2011-03-08 14:00.
void FillSample(LogStore& store, uint32_t n, const char* name = "ROOM")
{
    fixtures::FillStore(store, 2, n, [](int c, uint32_t i) { return float(c * 10) + float(i) * 0.5f; }, name,
                        "0123456789", "20110308140000", 3600);
}

class LogDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<LogStore>();
        document = std::make_unique<LogDocument>(*store);
        QObject::connect(document.get(), &LogDocument::changed, [this](Kind k) { changes.push_back(k); });
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    // Writes a log of n records into the folder; its path.
    QString WriteLog(const QString& name, uint32_t n, const char* logger = "ROOM")
    {
        auto source = std::make_unique<LogStore>();
        FillSample(*source, n, logger);
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && WriteLogFile(f, *source));
        return Path(name);
    }

    bool WriteBytes(const QString& name, const QByteArray& bytes)
    {
        QFile f(Path(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    // A log opened from a file, its announcement forgotten.
    void OpenPrevious()
    {
        ASSERT_TRUE(document->Open(WriteLog(QStringLiteral("OLD_20110308_1500.logu"), 7, "OLD"),
                                   LogDocument::OpenSource::Document)
                        .ok());
        changes.clear();
    }

    void ExpectPreviousKept()
    {
        EXPECT_EQ(store->recordCount, 7u);
        EXPECT_STREQ(store->loggerName, "OLD");
        EXPECT_EQ(store->currentLogName, QStringLiteral("OLD_20110308_1500.logu"));
        EXPECT_EQ(store->currentLogPath, Path(QStringLiteral("OLD_20110308_1500.logu")));
        EXPECT_FLOAT_EQ(store->maxValue[0], 13.0f);
    }

    // A download decoded into the store, taken into a program folder.
    SaveLogResult Download(uint32_t n, const QString& programFolder)
    {
        FillSample(*store, n, "FRIDGE");
        return document->TakeDownload(programFolder, programFolder + QStringLiteral("Logfiles/"),
                                      QDateTime(QDate(2011, 3, 9), QTime(8, 0)));
    }

    // A program folder where no log can be written: its "Logfiles" is a file.
    QString UnwritableProgramFolder()
    {
        const QString folder = Path(QStringLiteral("blocked/"));
        EXPECT_TRUE(QDir().mkpath(folder));
        QFile block(folder + QStringLiteral("Logfiles"));
        EXPECT_TRUE(block.open(QIODevice::WriteOnly));
        return folder;
    }

    QTemporaryDir dir;
    std::unique_ptr<LogStore> store;
    std::unique_ptr<LogDocument> document;
    std::vector<Kind> changes;
};

TEST_F(LogDocumentTest, EachChangeIsAnnouncedOnce)
{
    const QString path = WriteLog(QStringLiteral("ROOM_20110308_1435.logu"), 48);
    const struct {
        const char* what;
        std::function<void()> change;
        Kind announced;
    } cases[] = {
        {"open",
         [&] {
             ASSERT_TRUE(document->Open(path, LogDocument::OpenSource::Document).ok());
         },
         Kind::Opened},
        {"narrow", [this] { ASSERT_TRUE(document->Narrow(10, 20)); }, Kind::Narrowed},
        {"reload", [this] { ASSERT_TRUE(document->Reload().ok()); }, Kind::Reloaded},
        // 2011-03-09 covers records 10 … 33 of the hourly stamps.
        {"date query", [this] { ASSERT_TRUE(document->NarrowToDates(20110309, 20110309)); },
         Kind::Narrowed},
        {"rename",
         [this] { document->Rename(QStringLiteral("B.logu"), Path(QStringLiteral("B.logu"))); },
         Kind::Renamed},
        {"records dropped", [this] { document->ClearRecords(); }, Kind::Emptied},
        {"new", [this] { document->New(); }, Kind::Emptied},
        {"download", [this] { Download(5, Path(QStringLiteral("prog/"))); },
         Kind::Downloaded},
    };
    for (const auto& c : cases) {
        changes.clear();
        c.change();
        EXPECT_EQ(changes, std::vector<Kind>{c.announced}) << c.what;
    }
    // The download is the open log now.
    EXPECT_STREQ(store->loggerName, "FRIDGE");
    EXPECT_EQ(store->recordCount, 5u);
}

TEST_F(LogDocumentTest, OpenNamesTheLogAndComputesItsStatistics)
{
    const QString path = WriteLog(QStringLiteral("ROOM_20110308_1435.logu"), 10);
    ASSERT_TRUE(document->Open(path, LogDocument::OpenSource::LogList).ok());
    EXPECT_EQ(store->recordCount, 10u);
    EXPECT_EQ(store->currentLogName, QStringLiteral("ROOM_20110308_1435.logu"));
    EXPECT_EQ(store->currentLogPath, path);
    EXPECT_FALSE(store->statsPending);
    EXPECT_FLOAT_EQ(store->maxValue[0], 14.5f);
    EXPECT_FLOAT_EQ(store->minValue[1], 20.0f);
    EXPECT_GE(store->axisStep[0], 1);

    // Left for the first drawing when asked, then brought up to date.
    const QString other = WriteLog(QStringLiteral("ROOM_20110308_1500.logu"), 4);
    ASSERT_TRUE(document->Open(other, LogDocument::OpenSource::Document, true).ok());
    EXPECT_TRUE(store->statsPending);
    document->EnsureStatistics();
    EXPECT_FALSE(store->statsPending);
    EXPECT_FLOAT_EQ(store->maxValue[0], 11.5f);

    // A relative path names the log by its absolute path.
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_TRUE(document->Open(QStringLiteral("ROOM_20110308_1435.logu"), LogDocument::OpenSource::Document).ok());
    QDir::setCurrent(here);
    EXPECT_EQ(store->currentLogPath, QFileInfo(path).absoluteFilePath());
}

TEST_F(LogDocumentTest, FailedOpenLeavesTheLogAndAnnouncesNothing)
{
    OpenPrevious();
    ASSERT_TRUE(WriteBytes(QStringLiteral("EMPTY.logu"), {}));
    ASSERT_TRUE(WriteBytes(QStringLiteral("SHORT.logu"), QByteArray(20, '\0')));
    // A header announcing 3 records followed by one.
    ASSERT_TRUE(WriteBytes(QStringLiteral("CUT.logu"), QByteArray::fromHex("03000000010000") + QByteArray(39, '\0') +
                                                           QByteArray(26, '0')));
    const struct {
        const char* file;
        LogDocument::OpenSource source;
        LogDocument::LoadResult::Kind kind;
        QString message;  // exact, or empty: names the file
    } cases[] = {
        {"EMPTY.logu", LogDocument::OpenSource::Document, LogDocument::LoadResult::Empty,
         QStringLiteral("\r\nFailed to open logu file: invalid format.")},
        {"EMPTY.logu", LogDocument::OpenSource::LogList, LogDocument::LoadResult::Empty,
         QStringLiteral("The format of the log file is invalid.")},
        {"SHORT.logu", LogDocument::OpenSource::Document, LogDocument::LoadResult::Failed, {}},
        {"CUT.logu", LogDocument::OpenSource::LogList, LogDocument::LoadResult::Failed, {}},
        {"MISSING.logu", LogDocument::OpenSource::Document, LogDocument::LoadResult::Failed, {}},
    };
    for (const auto& c : cases) {
        const LogDocument::LoadResult r = document->Open(Path(QString::fromLatin1(c.file)), c.source);
        EXPECT_EQ(r.kind, c.kind) << c.file;
        EXPECT_FALSE(r.ok()) << c.file;
        if (c.message.isEmpty())
            EXPECT_TRUE(r.message.contains(QString::fromLatin1(c.file))) << r.message.toStdString();
        else
            EXPECT_EQ(r.message, c.message) << c.file;
        EXPECT_TRUE(changes.empty()) << c.file;
        ExpectPreviousKept();
    }
}

TEST_F(LogDocumentTest, NarrowThenReloadGivesTheWholeLogBack)
{
    OpenPrevious();
    ASSERT_TRUE(document->Narrow(2, 5));
    EXPECT_EQ(store->recordCount, 3u);
    EXPECT_FLOAT_EQ(store->minValue[0], 11.0f);
    EXPECT_FLOAT_EQ(store->maxValue[0], 12.0f);
    EXPECT_EQ(std::string(store->timestamp(0), TimestampLength), "20110308160000");

    // Ranges that narrow nothing or reach outside the records change nothing.
    const std::initializer_list<std::pair<int, int>> ranges = {{2, 2}, {2, 1}, {-1, 2}, {0, 4}, {0, 3}};
    for (const auto& [first, end] : ranges)
        EXPECT_EQ(document->Narrow(first, end), first == 0 && end == 3) << first << ":" << end;
    EXPECT_EQ(changes, (std::vector<Kind>{Kind::Narrowed, Kind::Narrowed}));
    EXPECT_EQ(store->recordCount, 3u);  // the last one kept 3 of 3
    EXPECT_FALSE(document->NarrowToDates(20120101, 20120131));
    EXPECT_EQ(store->recordCount, 3u);

    changes.clear();
    ASSERT_TRUE(document->Reload().ok());
    EXPECT_EQ(changes, std::vector<Kind>{Kind::Reloaded});
    ExpectPreviousKept();
    EXPECT_EQ(std::string(store->timestamp(0), TimestampLength), "20110308140000");
}

TEST_F(LogDocumentTest, ReloadOfAGoneFileKeepsWhatIsShown)
{
    OpenPrevious();
    ASSERT_TRUE(document->Narrow(0, 3));
    ASSERT_TRUE(QFile::remove(store->currentLogPath));
    changes.clear();
    const LogDocument::LoadResult r = document->Reload();
    EXPECT_EQ(r.kind, LogDocument::LoadResult::Failed);
    EXPECT_TRUE(r.message.contains(QStringLiteral("OLD_20110308_1500.logu"))) << r.message.toStdString();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(store->recordCount, 3u);
}

TEST_F(LogDocumentTest, UnsavedDownloadIsRestoredByReloadAndSavedWhole)
{
    OpenPrevious();
    const SaveLogResult saved = Download(30, UnwritableProgramFolder());
    EXPECT_EQ(saved.kind, SaveLogResult::Failed);
    EXPECT_TRUE(store->unsaved());
    EXPECT_TRUE(store->currentLogPath.isEmpty());
    EXPECT_EQ(store->currentLogName, QStringLiteral("FRIDGE_20110309_1900.logu"));
    EXPECT_FLOAT_EQ(store->maxValue[0], 24.5f);

    // Narrowed and read again: the whole download comes back, not the log
    // opened before it.
    ASSERT_TRUE(document->Narrow(5, 10));
    ASSERT_TRUE(document->Reload().ok());
    EXPECT_EQ(store->recordCount, 30u);
    EXPECT_STREQ(store->loggerName, "FRIDGE");
    EXPECT_FLOAT_EQ(store->maxValue[0], 24.5f);
    EXPECT_TRUE(store->unsaved());

    // Save As while narrowed writes the whole download, which from then on is
    // the open log at that path.
    ASSERT_TRUE(document->Narrow(0, 2));
    const QString path = Path(QStringLiteral("kept.logu"));
    ASSERT_TRUE(document->SaveAs(path).ok);
    EXPECT_FALSE(store->unsaved());
    EXPECT_EQ(store->currentLogPath, path);
    EXPECT_EQ(store->currentLogName, QStringLiteral("kept.logu"));
    EXPECT_EQ(changes, (std::vector<Kind>{Kind::Downloaded, Kind::Narrowed, Kind::Reloaded, Kind::Narrowed,
                                          Kind::Saved}));
    ASSERT_TRUE(document->Reload().ok());
    EXPECT_EQ(store->recordCount, 30u);
}

TEST_F(LogDocumentTest, SaveAsOfAFiledLogChangesNothingOpen)
{
    OpenPrevious();
    ASSERT_TRUE(document->Narrow(1, 4));
    changes.clear();
    const QString copy = Path(QStringLiteral("copy.logu"));
    ASSERT_TRUE(document->SaveAs(copy).ok);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(store->currentLogName, QStringLiteral("OLD_20110308_1500.logu"));
    // The store as shown is what was written.
    auto reread = std::make_unique<LogStore>();
    ASSERT_TRUE(ReadLogFile(copy, *reread).ok());
    EXPECT_EQ(reread->recordCount, 3u);

    // A file that cannot be written is reported with its path; nothing changes.
    const QString blocked = UnwritableProgramFolder() + QStringLiteral("Logfiles/x.logu");
    const LogDocument::SaveResult failed = document->SaveAs(blocked);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.message.startsWith(QStringLiteral("The log cannot be saved into ")))
        << failed.message.toStdString();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(store->recordCount, 3u);
}

TEST_F(LogDocumentTest, DownloadOfNoRecordsIsNotSaved)
{
    OpenPrevious();
    const QString program = Path(QStringLiteral("prog/"));
    document->ClearRecords();
    changes.clear();
    const SaveLogResult r = Download(0, program);
    EXPECT_EQ(r.kind, SaveLogResult::Saved);
    EXPECT_TRUE(r.path.isEmpty());
    EXPECT_EQ(changes, std::vector<Kind>{Kind::Downloaded});
    EXPECT_FALSE(QFileInfo::exists(program + QStringLiteral("Logfiles")));

    // With records the log is saved under its own name, the folder made.
    const SaveLogResult saved = Download(3, program);
    EXPECT_EQ(saved.kind, SaveLogResult::Saved);
    EXPECT_EQ(saved.path, program + QStringLiteral("Logfiles/FRIDGE_20110308_1600.logu"));
    EXPECT_TRUE(QFileInfo::exists(saved.path));
    EXPECT_EQ(store->currentLogPath, saved.path);
}

}  // namespace
