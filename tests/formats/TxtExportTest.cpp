// The TXT export: number formatting against printf, lines, header, path rule, failures.
#include "formats/TxtExport.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

std::string Fast(float v)
{
    char out[64];
    return std::string(out, FormatValue31(out, v));
}

std::string Printf(float v)
{
    char out[64];
    std::snprintf(out, sizeof out, "%3.1f", double(v));
    return out;
}

TEST(TxtExportTest, ValuesAsPrintfWritesThem)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {-0.04f, "-0.0"}, {123.456f, "123.5"}, {0.0f, "0.0"},    {-0.0f, "-0.0"}, {25.3f, "25.3"},
        {-5.5f, "-5.5"},  {0.25f, "0.2"},      {0.75f, "0.8"},   {0.05f, "0.1"},  {99.95f, "99.9"} /* 99.9499969… as a float */, {99.96f, "100.0"},
        {1e-45f, "0.0"},  {-1e-45f, "-0.0"},   {127.0f, "127.0"}, {-40.0f, "-40.0"},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(Fast(k.value), k.text) << k.value;
        EXPECT_EQ(Printf(k.value), k.text) << "the table itself is wrong for " << k.value;
    }
}

TEST(TxtExportTest, ExtremeValuesAsPrintfWritesThem)
{
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min(),
                            1e9f, -1e9f, 16777217.0f, 134217728.0f, 2147483648.0f};
    for (const float v : values)
        EXPECT_EQ(Fast(v), Printf(v)) << v;
}

TEST(TxtExportTest, SweepMatchesPrintf)
{
    int mismatches = 0;
    auto check = [&](float v) {
        if (Fast(v) != Printf(v) && ++mismatches <= 10)
            ADD_FAILURE() << "value " << v << ": " << Fast(v) << " against printf " << Printf(v);
    };
    // Every reading a logger gives (tenths up to ±10000), the halfway points
    // between them, and quarters, where the binary value sits on a tie.
    for (int k = -100000; k <= 100000; ++k) {
        check(float(k) / 10.0f);
        check((float(k) + 0.5f) / 10.0f);
        check(float(k) / 4.0f);
    }
    // A spread over every exponent and sign.
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 4093) {
        float v;
        const uint32_t b = uint32_t(bits);
        std::memcpy(&v, &b, sizeof v);
        check(v);
    }
    std::mt19937 random(20110308);
    std::uniform_real_distribution<float> readings(-200.0f, 200.0f);
    for (int k = 0; k < 200000; ++k)
        check(readings(random));
    EXPECT_EQ(mismatches, 0);
}

QByteArray Exported(const LogStore& store)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteTxtExport(buffer, store));
    return bytes;
}

// The export as a plain printf loop would write it, to compare against.
QByteArray Reference(const LogStore& store)
{
    const uint32_t n = store.channelCount;
    std::string text = "SN\tDATE\t\tTIME\t\t" + store.unitText[0];
    if (n != 1)
        text += "\t" + store.unitText[1];
    if (n != 1 && n != 2)
        text += "\t" + store.unitText[2];
    text += "\r\n";
    for (uint32_t i = 0; i < store.recordCount; ++i) {
        const char* t = store.timestamp(i);
        char line[256];
        int len = std::snprintf(line, sizeof line, "%d\t%c%c%c%c-%c%c-%c%c\t%c%c:%c%c:%c%c\t%3.1f", int(i + 1), t[0],
                                t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9], t[10], t[11], t[12], t[13],
                                double(store.value[1][i]));
        if (n != 1)
            len += std::snprintf(line + len, sizeof line - size_t(len), "\t%3.1f", double(store.value[2][i]));
        if (n != 1 && n != 2)
            len += std::snprintf(line + len, sizeof line - size_t(len), "\t%3.1f", double(store.value[3][i]));
        text.append(line, size_t(len));
        text += "\r\n";
    }
    return QByteArray::fromStdString(text);
}

TEST(TxtExportTest, OneChannelCelsiusLogOfTwoRecords)
{
    LogStore store;
    fixtures::FillValues(store, {21.34f, -0.04f});
    EXPECT_EQ(Exported(store), QByteArray("SN\tDATE\t\tTIME\t\tC\r\n"
                                          "1\t2011-03-08\t14:05:30\t21.3\r\n"
                                          "2\t2011-03-08\t14:06:30\t-0.0\r\n"));
}

TEST(TxtExportTest, HeaderAndColumnsFollowTheChannelCount)
{
    const struct {
        uint32_t channels;
        const char* header;
        int tabsPerLine;
    } cases[] = {
        {1, "SN\tDATE\t\tTIME\t\tC\r\n", 3},
        {2, "SN\tDATE\t\tTIME\t\tC\t%RH\r\n", 4},
        {3, "SN\tDATE\t\tTIME\t\tC\t%RH\tDew Point(C)\r\n", 5},
        {0, "SN\tDATE\t\tTIME\t\tC\t%RH\tDew Point(C)\r\n", 5},  // any other count: three columns
        {7, "SN\tDATE\t\tTIME\t\tC\t%RH\tDew Point(C)\r\n", 5},
    };
    for (const auto& k : cases) {
        LogStore store;
        fixtures::FillStore(store, k.channels, 3, [](int c, uint32_t i) { return float(c) * 10.0f + float(i); });
        const QByteArray bytes = Exported(store);
        EXPECT_TRUE(bytes.startsWith(k.header)) << k.channels << ": " << bytes.left(60).toStdString();
        const QList<QByteArray> lines = bytes.split('\n');
        ASSERT_EQ(lines.size(), 5);  // header, three records, nothing after the last CR LF
        EXPECT_EQ(lines[1].count('\t'), k.tabsPerLine) << k.channels;
        EXPECT_EQ(bytes, Reference(store)) << k.channels;
    }
}

TEST(TxtExportTest, FullLogMatchesAPrintfLoop)
{
    LogStore store;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> values(-60.0f, 120.0f);
    fixtures::FillStore(store, 3, 20000, [&](int, uint32_t) { return values(random); });
    fixtures::SetStamp(store, 5, std::string("20\0\xff\t\r\n:-abcde", 14));  // stamp bytes go out unchanged
    EXPECT_EQ(Exported(store), Reference(store));
}

TEST(TxtExportTest, NarrowedLogIsNumberedFromOne)
{
    LogStore store;
    fixtures::FillStore(store, 1, 300, [](int, uint32_t i) { return float(i); });
    store.NarrowRecords(100, 200);
    const QList<QByteArray> lines = Exported(store).split('\n');
    ASSERT_EQ(lines.size(), 102);
    EXPECT_TRUE(lines[1].startsWith("1\t"));
    EXPECT_TRUE(lines[1].endsWith("\t100.0\r"));
    EXPECT_TRUE(lines[100].startsWith("100\t"));
    EXPECT_TRUE(lines[100].endsWith("\t199.0\r"));
}

TEST(TxtExportTest, PathRule)
{
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/home/lab/out", "/home/lab/out.txt"},
        {"/home/lab/data.2011/out", "/home/lab/data.2011/out.txt"},  // only the file name counts
        {"/home/first.last/out.2011", "/home/first.last/out.2011"},
        {"/home/lab/out.csv", "/home/lab/out.csv"},
        {"/home/lab/out.txt", "/home/lab/out.txt"},
        {"/home/lab/out.", "/home/lab/out."},
    };
    for (const auto& k : cases)
        EXPECT_EQ(TxtExportPath(QString::fromLatin1(k.chosen)), QString::fromLatin1(k.written)) << k.chosen;
}

TEST(TxtExportTest, FileThatCannotBeCreated)
{
    LogStore store;
    fixtures::FillValues(store, {1.0f});
    const WriteResult result = ExportTxtFile(QStringLiteral("/nonexistent/folder/out.txt"), store);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QStringLiteral("Failed to export to txt file!"));
}

TEST(TxtExportTest, ExistingFileIsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();

    LogStore store;
    fixtures::FillValues(store, {1.0f, 2.0f});
    ASSERT_TRUE(ExportTxtFile(path, store).ok);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), Exported(store));
}

TEST(TxtExportTest, WriteFailingPartWayIsReported)
{
    // Accepts the first write and refuses every later one.
    class FailingDevice : public QIODevice {
    public:
        FailingDevice() { open(QIODevice::WriteOnly); }
        QByteArray accepted;

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 n) override
        {
            if (!accepted.isEmpty())
                return -1;
            accepted.append(data, n);
            return n;
        }
    };
    LogStore store;
    fixtures::FillStore(store, 3, 5000, [](int, uint32_t i) { return float(i); });
    FailingDevice device;
    EXPECT_FALSE(WriteTxtExport(device, store));
    EXPECT_FALSE(device.accepted.isEmpty());
    EXPECT_TRUE(Reference(store).startsWith(device.accepted)) << "what was written is the start of the export";
}

TEST(TxtExportTest, FullDiskIsReportedWithThePath)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    LogStore store;
    fixtures::FillStore(store, 3, 5000, [](int, uint32_t i) { return float(i); });
    const WriteResult result = ExportTxtFile(QStringLiteral("/dev/full"), store);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(QStringLiteral("/dev/full"))) << result.message.toStdString();
}

}  // namespace
