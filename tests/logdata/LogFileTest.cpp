// The .logu reader and writer, refusal of damaged files, and saved-download names.
#include "logdata/LogFile.h"
#include "logdata/LogFolder.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

QByteArray Written(const LogStore& store)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteLogFile(buffer, store));
    return bytes;
}

LogReadResult ReadBytes(const QByteArray& bytes, LogStore& store)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadLogFile(buffer, store, QStringLiteral("test.logu"));
}

void PutFloatBits(LogStore& store, int channel, uint32_t i, uint32_t bits)
{
    std::memcpy(&store.value[channel][i], &bits, 4);
}

TEST(LogFileTest, ThreeRecordTwoChannelFileHasTheDocumentedLayout)
{
    LogStore store;
    fixtures::FillStore(store, 2, 3, [](int c, uint32_t i) { return c == 1 ? 20.5f + float(i) : c == 2 ? 45.0f : -1.0f; },
                        "ROOM", "AB12345678", "20100315143059");
    store.channelKind[2] = 5;
    const QByteArray bytes = Written(store);
    ASSERT_EQ(bytes.size(), 124);
    EXPECT_EQ(bytes.left(8), QByteArray::fromHex("0300000002000000"));
    EXPECT_EQ(bytes.mid(8, 5), QByteArray("ROOM\0", 5));
    EXPECT_EQ(bytes[32], char(1));  // celsius
    EXPECT_EQ(bytes.mid(33, 10), QByteArray("AB12345678"));
    EXPECT_EQ(bytes.mid(43, 3), QByteArray::fromHex("000105"));
    EXPECT_EQ(bytes.mid(46, 14), QByteArray("20100315143059"));
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 60), 0x41A40000u);  // 20.5f
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 64), 0x42340000u);  // 45.0f
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 68), 0xBF800000u);  // -1.0f
    EXPECT_EQ(bytes.mid(72, 14), QByteArray("20100315143159"));
    EXPECT_EQ(bytes.mid(98, 14), QByteArray("20100315143259"));
}

TEST(LogFileTest, EmptyLogIsAHeaderOnly)
{
    LogStore store;
    fixtures::FillStore(store, 1, 0, [](int, uint32_t) { return 0.0f; });
    const QByteArray bytes = Written(store);
    ASSERT_EQ(bytes.size(), LogHeaderSize);

    LogStore back;
    ASSERT_TRUE(ReadBytes(bytes, back).ok());
    EXPECT_EQ(back.recordCount, 0u);
    EXPECT_EQ(back.channelCount, 1u);
    EXPECT_STREQ(back.loggerName, "ROOM");
}

// A store whose bytes exercise everything the file carries verbatim: name
// bytes after the terminating zero, negative kinds, NaN payloads, -0.0,
// subnormals, and values in channels beyond the count.
void FillOddly(LogStore& store, uint32_t channels, uint32_t n)
{
    fixtures::FillStore(store, channels, n, [](int c, uint32_t i) { return float(c) * 1.5f + float(i % 1000) * 0.1f; },
                        "ROOM", "0123456789", "20110308000000", 7);
    std::memcpy(store.loggerName, "Cold\0\x01\xff tail bytes kept!!", 24);
    store.celsius = 0x80;
    store.channelKind[0] = -3;
    store.channelKind[1] = 127;
    store.channelKind[2] = 9;
    if (n > 0) {
        PutFloatBits(store, 1, 0, 0x7FC12345u);  // quiet NaN with a payload
        PutFloatBits(store, 2, 0, 0x7F812345u);  // signalling NaN
        PutFloatBits(store, 3, 0, 0x80000000u);  // -0.0
        PutFloatBits(store, 1, n - 1, 0x00000001u);  // smallest subnormal
    }
}

struct RoundTrip {
    uint32_t records;
    uint32_t channels;
};

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, ReadingAndWritingAgainGivesTheSameBytes)
{
    const RoundTrip k = GetParam();
    LogStore store;
    FillOddly(store, k.channels, k.records);
    const QByteArray first = Written(store);
    ASSERT_EQ(first.size(), LogHeaderSize + qsizetype(LogRecordSize) * k.records);

    LogStore back;
    const LogReadResult read = ReadBytes(first, back);
    ASSERT_TRUE(read.ok()) << read.message.toStdString();
    EXPECT_EQ(back.recordCount, k.records);
    EXPECT_EQ(back.channelCount, k.channels);
    EXPECT_EQ(back.loggerName[24], 0);
    EXPECT_EQ(back.unitText[0], "UN");  // unit texts are set from the kinds read
    const QByteArray second = Written(back);
    EXPECT_TRUE(first == second) << "the bytes differ after a round trip";
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTripTest,
                         ::testing::Values(RoundTrip{0, 1}, RoundTrip{0, 3}, RoundTrip{1, 1}, RoundTrip{1, 2}, RoundTrip{1, 3},
                                           RoundTrip{LogCapacity, 1}, RoundTrip{LogCapacity, 2},
                                           RoundTrip{LogCapacity, 3}));

// Damaged files, each refused with a message naming it, leaving the store
// with the log it held before.
struct Damaged {
    const char* what;
    LogReadError error;
    QByteArray (*bytes)();
};

QByteArray HeaderAnnouncing(uint32_t records)
{
    QByteArray header(LogHeaderSize, '\0');
    qToLittleEndian<quint32>(records, header.data());
    qToLittleEndian<quint32>(1, header.data() + 4);
    return header;
}

class DamagedFileTest : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedFileTest, IsRefusedAndTheStoreKeepsItsLog)
{
    const Damaged& k = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("damaged_20110308_1200.logu"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(k.bytes());
    file.close();

    LogStore store;
    fixtures::FillStore(store, 2, 5, [](int c, uint32_t i) { return float(c * 10) + float(i); }, "KEEP");
    store.ComputeStatistics();

    const LogReadResult read = ReadLogFile(path, store);
    EXPECT_EQ(read.error, k.error) << k.what;
    if (k.error == LogReadError::Empty)
        EXPECT_TRUE(read.message.isEmpty()) << "the callers show their own text for an empty file";
    else
        EXPECT_TRUE(read.message.contains(QStringLiteral("damaged_20110308_1200.logu"))) << read.message.toStdString();

    EXPECT_EQ(store.recordCount, 5u) << k.what;
    EXPECT_EQ(store.channelCount, 2u);
    EXPECT_STREQ(store.loggerName, "KEEP");
    EXPECT_EQ(store.value[2][4], 24.0f);
    EXPECT_EQ(store.unitText[1], "%RH");
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFileTest,
    ::testing::Values(
        Damaged{"zero-length file", LogReadError::Empty, [] { return QByteArray(); }},
        Damaged{"one byte", LogReadError::ShortHeader, [] { return QByteArray(1, '\x03'); }},
        Damaged{"shorter than its header", LogReadError::ShortHeader, [] { return HeaderAnnouncing(0).left(45); }},
        Damaged{"shorter than its records", LogReadError::ShortRecords,
                [] { return HeaderAnnouncing(3) + QByteArray(3 * LogRecordSize - 1, '1'); }},
        Damaged{"no records at all", LogReadError::ShortRecords, [] { return HeaderAnnouncing(1); }},
        Damaged{"more records than a log holds", LogReadError::TooManyRecords,
                [] { return HeaderAnnouncing(LogCapacity + 1) + QByteArray(LogRecordSize, '1'); }},
        Damaged{"count of 2^32 - 1", LogReadError::TooManyRecords, [] { return HeaderAnnouncing(0xFFFFFFFFu); }}));

TEST(LogFileTest, MissingFileIsReportedWithItsPath)
{
    LogStore store;
    const LogReadResult read = ReadLogFile(QStringLiteral("/nonexistent/folder/x.logu"), store);
    EXPECT_EQ(read.error, LogReadError::OpenFailed);
    EXPECT_TRUE(read.message.contains(QStringLiteral("/nonexistent/folder/x.logu")));
}

TEST(LogFileTest, LongerFileReadsTheAnnouncedRecordsOnly)
{
    LogStore store;
    fixtures::FillStore(store, 1, 2, [](int, uint32_t i) { return float(i); });
    LogStore back;
    ASSERT_TRUE(ReadBytes(Written(store) + QByteArray(30, 'x'), back).ok());
    EXPECT_EQ(back.recordCount, 2u);
}

TEST(LogFileTest, ChannelCountOutsideOneToThreeIsKeptAndReadSafely)
{
    const uint32_t counts[] = {0, 4, 255, 0xFFFFFFFFu};
    for (const uint32_t count : counts) {
        LogStore store;
        fixtures::FillStore(store, count, 3, [](int c, uint32_t i) { return float(c) + float(i); });
        const QByteArray bytes = Written(store);
        LogStore back;
        ASSERT_TRUE(ReadBytes(bytes, back).ok()) << count;
        EXPECT_EQ(back.channelCount, count);
        EXPECT_LE(back.shownChannels(), 3);
        back.ComputeStatistics();
        EXPECT_EQ(Written(back), bytes) << count;
    }
}

TEST(LogFileTest, NonFiniteAndHugeValuesReadAndComputeWithoutFault)
{
    constexpr float Inf = std::numeric_limits<float>::infinity();
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), Inf, -Inf, 3.4e38f, -3.4e38f, 25.0f};
    LogStore store;
    fixtures::FillStore(store, 3, 6, [&](int c, uint32_t i) { return values[(i + uint32_t(c)) % 6]; });
    LogStore back;
    ASSERT_TRUE(ReadBytes(Written(store), back).ok());
    back.ComputeStatistics();
    EXPECT_GE(back.axisStep[0], 1);
    EXPECT_GE(back.axisStep[1], 1);
}

TEST(LogFileTest, DeviceThatFailsPartWayIsReported)
{
    // A sequential device that claims more bytes than it delivers.
    class ShortDevice : public QIODevice {
    public:
        explicit ShortDevice(QByteArray data) : data_(std::move(data)) { open(QIODevice::ReadOnly); }
        qint64 size() const override { return data_.size() + 1000; }
        bool isSequential() const override { return false; }

    protected:
        qint64 readData(char* out, qint64 max) override
        {
            const qint64 n = std::min<qint64>(max, data_.size() - at_);
            if (n <= 0) {
                setErrorString(QStringLiteral("device gone"));
                return -1;
            }
            std::memcpy(out, data_.constData() + at_, size_t(n));
            at_ += n;
            return n;
        }
        qint64 writeData(const char*, qint64) override { return -1; }

    private:
        QByteArray data_;
        qint64 at_ = 0;
    };

    LogStore store;
    fixtures::FillStore(store, 1, 40, [](int, uint32_t i) { return float(i); });
    QByteArray bytes = Written(store);
    qToLittleEndian<quint32>(78, bytes.data());  // announce more than there is
    ShortDevice device(bytes);
    LogStore back;
    fixtures::FillStore(back, 2, 5, [](int c, uint32_t i) { return float(c * 100) + float(i); }, "OPEN", "9876543210");
    back.ComputeStatistics();
    back.currentLogPath = QStringLiteral("/logs/OPEN_20110308_1409.logu");
    const QByteArray before = Written(back);
    const LogReadResult read = ReadLogFile(device, back, QStringLiteral("gone.logu"));
    EXPECT_EQ(read.error, LogReadError::ReadFailed);
    EXPECT_TRUE(read.message.contains(QStringLiteral("gone.logu")));
    // The open log stays exactly as it was: nothing of the part read shows.
    EXPECT_EQ(Written(back), before);
    EXPECT_EQ(back.maxValue[1], 204.0f);
    EXPECT_EQ(back.currentLogPath, QStringLiteral("/logs/OPEN_20110308_1409.logu"));

    // A sound read afterwards takes the new log whole.
    ASSERT_TRUE(ReadBytes(Written(store), back).ok());
    EXPECT_EQ(Written(back), Written(store));
}

TEST(LogFileTest, WriteToARefusingDeviceReportsFailure)
{
    LogStore store;
    fixtures::FillStore(store, 1, 1000, [](int, uint32_t i) { return float(i); });
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_FALSE(WriteLogFile(readOnly, store));
}

// Names of saved downloads.
struct NameCase {
    const char* loggerName;  // up to 24 bytes
    const char* lastStamp;
    const char* savedName;
};

TEST(LogFileTest, SavedAndTemporaryNames)
{
    const NameCase cases[] = {
        {"ROOM", "20100315143059", "ROOM_20100315_1430.logu"},
        {"ABCDEFGHIJKLMNOPQRSTUVWX", "20991231235959", "ABCDEFGHIJKLMNOPQRSTUVWX_20991231_2359.logu"},
        {"", "20100315143059", "_20100315_1430.logu"},
        {"Cold room 2", "20100315143059", "Cold room 2_20100315_1430.logu"},
        // A damaged stamp cannot lead the file out of its folder.
        {"ROOM", "2010/../..\\000", "ROOM_2010_..__.._0.logu"},
    };
    for (const NameCase& k : cases) {
        LogStore store;
        fixtures::FillStore(store, 1, 2, [](int, uint32_t) { return 1.0f; });
        std::memset(store.loggerName, 0, sizeof store.loggerName);
        std::memcpy(store.loggerName, k.loggerName, std::strlen(k.loggerName));
        fixtures::SetStamp(store, 1, k.lastStamp);
        const QDateTime now(QDate(2000, 1, 1), QTime(0, 0));
        EXPECT_EQ(SavedLogName(store, now).toStdString(), std::string(k.savedName));
    }

    LogStore store;
    fixtures::FillStore(store, 1, 1, [](int, uint32_t) { return 1.0f; }, "A/B", "0123456789", "20100315143059");
    const QDateTime now(QDate(2000, 1, 1), QTime(0, 0));
    EXPECT_EQ(TemporaryLogName(store, now), QStringLiteral("default_20100315_1430.logu"));
    store.recordCount = 0;  // no last record: the time comes from now
    EXPECT_EQ(SavedLogName(store, QDateTime(QDate(2012, 7, 4), QTime(9, 5))), QStringLiteral("A/B_20120704_0905.logu"));
}

TEST(LogFileTest, FileNamePartValidity)
{
    const struct {
        QString name;
        bool valid;
    } cases[] = {
        {QStringLiteral("ROOM"), true},
        {QStringLiteral("Cold room 2.b"), true},
        {QString(), true},
        {QString::fromLatin1("K\xe4lte"), true},
        {QStringLiteral("a<b"), false},
        {QStringLiteral("a>b"), false},
        {QStringLiteral("a:b"), false},
        {QStringLiteral("a\"b"), false},
        {QStringLiteral("a/b"), false},
        {QStringLiteral("a\\b"), false},
        {QStringLiteral("a|b"), false},
        {QStringLiteral("a?b"), false},
        {QStringLiteral("a*b"), false},
        {QStringLiteral("a\tb"), false},
        {QString::fromLatin1("a\x01"), false},
        {QString::fromLatin1("\x1f"), false},
        {QString::fromLatin1("a\x7f"), false},
    };
    for (const auto& k : cases)
        EXPECT_EQ(IsValidFileNamePart(k.name), k.valid) << k.name.toStdString();
}

// Saving a download into <programFolder>Logfiles/.
class SaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        programFolder = dir.path() + QLatin1Char('/');
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Logfiles")));
        fixtures::FillStore(store, 2, 3, [](int c, uint32_t i) { return float(c) + float(i); }, "ROOM", "0123456789",
                            "20100315142859");
    }
    QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString programFolder;
    LogStore store;
    const QDateTime now{QDate(2011, 1, 1), QTime(0, 0)};
};

TEST_F(SaveTest, SavesUnderTheLoggersNameAndReplacesTheSameMinute)
{
    const SaveLogResult first = SaveDownloadedLog(store, programFolder, now);
    ASSERT_EQ(first.kind, SaveLogResult::Saved);
    const QString path = programFolder + QStringLiteral("Logfiles/ROOM_20100315_1430.logu");
    EXPECT_EQ(first.path, path);
    EXPECT_EQ(store.currentLogPath, path);
    EXPECT_EQ(store.currentLogName, QStringLiteral("ROOM_20100315_1430.logu"));
    EXPECT_TRUE(first.message.isEmpty());
    EXPECT_EQ(fileBytes(path), Written(store));

    store.value[1][0] = 77.0f;  // a second download whose last record falls in the same minute
    ASSERT_EQ(SaveDownloadedLog(store, programFolder, now).kind, SaveLogResult::Saved);
    EXPECT_EQ(fileBytes(path), Written(store));
    EXPECT_EQ(QDir(programFolder + QStringLiteral("Logfiles")).entryList(QDir::Files).size(), 1);
}

TEST_F(SaveTest, SameNamedLoggersNeverReplaceEachOthersLogs)
{
    const QString folder = programFolder + QStringLiteral("Logfiles/");
    // Download by download: the logger's id, a value that marks the download,
    // and the file it must land in.
    struct Step {
        const char* id;
        float mark;
        const char* file;
    };
    const Step steps[] = {
        {"0123456789", 1.0f, "ROOM_20100315_1430.logu"},
        {"AAAAAAAAAA", 2.0f, "ROOM_20100315_1430_2.logu"},    // another logger of the same name and minute
        {"BBBBBBBBBB", 3.0f, "ROOM_20100315_1430_3.logu"},    // and a third
        {"AAAAAAAAAA", 4.0f, "ROOM_20100315_1430_2.logu"},    // the second again replaces its own file
        {"0123456789", 5.0f, "ROOM_20100315_1430.logu"},      // and so does the first
    };
    QHash<QString, QByteArray> expected;
    for (const Step& step : steps) {
        std::memcpy(store.loggerId, step.id, 10);
        store.value[1][0] = step.mark;
        const SaveLogResult saved = SaveDownloadedLog(store, programFolder, now);
        ASSERT_EQ(saved.kind, SaveLogResult::Saved) << step.mark;
        EXPECT_EQ(saved.path, folder + QLatin1String(step.file)) << step.mark;
        EXPECT_EQ(store.currentLogName, QLatin1String(step.file));
        EXPECT_EQ(store.currentLogPath, saved.path);
        expected[QLatin1String(step.file)] = Written(store);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(fileBytes(folder + it.key()), it.value()) << it.key().toStdString() << " after " << step.mark;
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 3);

    // The file list shows them in the one group of the logger name.
    const QList<LogFileGroup> groups = LogFolder(folder).List();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0].name, QStringLiteral("ROOM"));
    EXPECT_EQ(groups[0].files, QStringList({"ROOM_20100315_1430.logu", "ROOM_20100315_1430_2.logu",
                                            "ROOM_20100315_1430_3.logu"}));
}

TEST_F(SaveTest, ExistingFileThatIsNoSoundLogIsNotReplaced)
{
    const QString folder = programFolder + QStringLiteral("Logfiles/");
    const QString taken = folder + QStringLiteral("ROOM_20100315_1430.logu");
    QByteArray header = Written(store).left(LogHeaderSize);  // the same logger's header
    struct Case {
        const char* what;
        QByteArray content;
    };
    QByteArray tooMany = header;
    qToLittleEndian<quint32>(LogCapacity + 1, tooMany.data());
    const Case cases[] = {
        {"shorter than a header", QByteArray(10, 'x')},
        {"header of this logger, records missing", header},
        {"more records than a log holds", tooMany + QByteArray(LogRecordSize, '1')},
    };
    for (const Case& k : cases) {
        QFile file(taken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(k.content);
        file.close();
        QFile::remove(folder + QStringLiteral("ROOM_20100315_1430_2.logu"));

        const SaveLogResult saved = SaveDownloadedLog(store, programFolder, now);
        ASSERT_EQ(saved.kind, SaveLogResult::Saved) << k.what;
        EXPECT_EQ(saved.path, folder + QStringLiteral("ROOM_20100315_1430_2.logu")) << k.what;
        EXPECT_EQ(fileBytes(taken), k.content) << k.what << ": the damaged file is left as it was";
        EXPECT_EQ(fileBytes(saved.path), Written(store)) << k.what;
    }

    // A folder of that name is no log either.
    ASSERT_TRUE(QFile::remove(taken));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("ROOM_20100315_1430.logu")));
    QFile::remove(folder + QStringLiteral("ROOM_20100315_1430_2.logu"));
    EXPECT_EQ(SaveDownloadedLog(store, programFolder, now).path, folder + QStringLiteral("ROOM_20100315_1430_2.logu"));
}

TEST_F(SaveTest, LogWithoutRecordsNeverReplacesAFile)
{
    const QString folder = programFolder + QStringLiteral("Logfiles/");
    // A real log of this logger whose last record fell in the minute of the computer's clock.
    fixtures::FillStore(store, 1, 2, [](int, uint32_t i) { return float(i); }, "ROOM", "0123456789",
                        "20110101000000", 1);
    ASSERT_EQ(SaveDownloadedLog(store, programFolder, now).path, folder + QStringLiteral("ROOM_20110101_0000.logu"));
    const QByteArray real = Written(store);

    store.recordCount = 0;
    const SaveLogResult empty = SaveDownloadedLog(store, programFolder, now);
    EXPECT_EQ(empty.path, folder + QStringLiteral("ROOM_20110101_0000_2.logu"));
    EXPECT_EQ(fileBytes(folder + QStringLiteral("ROOM_20110101_0000.logu")), real);
}

TEST_F(SaveTest, TemporaryNameFollowsTheSameRule)
{
    std::strcpy(store.loggerName, "Lab|3");
    ASSERT_EQ(SaveDownloadedLog(store, programFolder, now).kind, SaveLogResult::SavedUnderTemporaryName);
    std::memcpy(store.loggerId, "ZZZZZZZZZZ", 10);
    const SaveLogResult second = SaveDownloadedLog(store, programFolder, now);
    ASSERT_EQ(second.kind, SaveLogResult::SavedUnderTemporaryName);
    const QString tempPath = programFolder + QStringLiteral("Logfiles/default_20100315_1430_2.logu");
    EXPECT_EQ(second.path, tempPath);
    EXPECT_TRUE(second.message.endsWith(QStringLiteral("temporary file: %1.").arg(tempPath)))
        << second.message.toStdString();
    EXPECT_EQ(store.currentLogName, QStringLiteral("default_20100315_1430_2.logu"));
}

TEST_F(SaveTest, InvalidNameGoesToTheTemporaryFileWithTheMessage)
{
    std::strcpy(store.loggerName, "Lab|3");
    const SaveLogResult result = SaveDownloadedLog(store, programFolder, now);
    ASSERT_EQ(result.kind, SaveLogResult::SavedUnderTemporaryName);
    const QString ownPath = programFolder + QStringLiteral("Logfiles/Lab|3_20100315_1430.logu");
    const QString tempPath = programFolder + QStringLiteral("Logfiles/default_20100315_1430.logu");
    EXPECT_EQ(result.path, tempPath);
    EXPECT_EQ(result.message,
              QStringLiteral("The file name is invalid: %1. Please change the logger name in the setup panel. All the "
                             "logs have been saved in the temporary file: %2.")
                  .arg(ownPath, tempPath));
    EXPECT_EQ(store.currentLogName, QStringLiteral("default_20100315_1430.logu"));
    EXPECT_EQ(store.currentLogPath, tempPath);
    EXPECT_EQ(fileBytes(tempPath), Written(store));
}

TEST_F(SaveTest, UnwritableFolderIsReportedAndKeepsTheDownloadAsTheUnsavedOpenLog)
{
    ASSERT_TRUE(QDir(programFolder + QStringLiteral("Logfiles")).removeRecursively());
    store.currentLogPath = QStringLiteral("/old/open.logu");
    const QByteArray download = Written(store);
    const SaveLogResult result = SaveDownloadedLog(store, programFolder, now);
    ASSERT_EQ(result.kind, SaveLogResult::Failed);
    const QString path = programFolder + QStringLiteral("Logfiles/ROOM_20100315_1430.logu");
    EXPECT_EQ(result.message,
              QStringLiteral("All the logs have been downloaded. But the data cannot be saved into %1.").arg(path));
    // The previous file is no longer named as the open log; the download is
    // kept whole and the title says it is not saved.
    EXPECT_TRUE(store.currentLogPath.isEmpty());
    EXPECT_EQ(store.currentLogName, QStringLiteral("ROOM_20100315_1430.logu"));
    ASSERT_TRUE(store.unsaved());
    ASSERT_NE(store.unsavedLog(), nullptr);
    EXPECT_EQ(Written(*store.unsavedLog()), download);
    EXPECT_EQ(OpenLogTitle(store), QStringLiteral("ROOM_20100315_1430.logu (not saved)"));

    // Narrowed, then restored: the whole download is back.
    store.NarrowRecords(1, 2);
    ASSERT_TRUE(store.RestoreUnsaved());
    EXPECT_EQ(Written(store), download);

    // A later save that works makes it an ordinary saved log.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Logfiles")));
    ASSERT_EQ(SaveDownloadedLog(store, programFolder, now).kind, SaveLogResult::Saved);
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(store.currentLogPath, path);
    EXPECT_EQ(OpenLogTitle(store), QStringLiteral("ROOM_20100315_1430.logu"));
}

}  // namespace
