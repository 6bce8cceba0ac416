// The CSV export read back by an independent reader (Python's csv module).
#include "formats/CsvExport.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

// Reads the file with csv.reader (strict RFC 4180 quoting) and turns every
// field after the first two into a float and the stamp into a datetime, as
// a data tool would; prints the rows as JSON.
const char* const ReadBack = R"(
import csv, json, sys, datetime
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f, strict=True))
out = {'header': rows[0], 'rows': []}
for r in rows[1:]:
    datetime.datetime.strptime(r[1], '%Y-%m-%d %H:%M:%S')
    out['rows'].append([int(r[0]), r[1]] + [float(v) if v else None for v in r[2:]])
print(json.dumps(out))
)";

QJsonObject ReadWithPython(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(ReadBack), path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().constData();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

TEST(CsvExportTest, ReadsBackAsNumbersAndDates)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        GTEST_SKIP() << "/usr/bin/python3 is not installed";
    LogStore store;
    fixtures::FillStore(store, 3, 3, [](int c, uint32_t i) {
        const float v[3][3] = {{-0.04f, 123.456f, 25.0f}, {35.0f, 62.45f, 99.9f}, {1.0f, -2.0f, 3.0f}};
        return v[c - 1][i];
    });
    store.value[2][2] = std::numeric_limits<float>::quiet_NaN();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    const WriteResult result = ExportCsvFile(path, store);
    ASSERT_TRUE(result.ok) << result.message.toStdString();

    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_TRUE(bytes.startsWith("SN,Timestamp,CH1 (C),CH2 (%RH),CH3 (Dew Point C)\r\n1,2011-03-08 14:05:30,-0.0,35.0,1.0\r\n"))
        << bytes.constData();
    EXPECT_TRUE(bytes.endsWith("3,2011-03-08 14:07:30,25.0,,3.0\r\n")) << bytes.constData();
    EXPECT_EQ(bytes.count("\r\n"), 4);
    EXPECT_EQ(bytes.count('\n'), 4);  // no bare line feeds

    const QJsonObject back = ReadWithPython(path);
    const QJsonArray header = back[QStringLiteral("header")].toArray();
    ASSERT_EQ(header.size(), 5);
    EXPECT_EQ(header[3].toString(), QStringLiteral("CH2 (%RH)"));
    const QJsonArray rows = back[QStringLiteral("rows")].toArray();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].toArray()[0].toInt(), 2);
    EXPECT_EQ(rows[1].toArray()[1].toString(), QStringLiteral("2011-03-08 14:06:30"));
    EXPECT_DOUBLE_EQ(rows[1].toArray()[2].toDouble(), 123.5);
    EXPECT_DOUBLE_EQ(rows[1].toArray()[3].toDouble(), 62.5);  // 62.45f is a hair above 62.45
    EXPECT_TRUE(rows[2].toArray()[3].isNull());
}

TEST(CsvExportTest, ColumnsFollowTheShownChannels)
{
    struct Case {
        uint32_t channelCount;
        const char* header;
    } cases[] = {
        {1, "SN,Timestamp,CH1 (C)\r\n"},
        {2, "SN,Timestamp,CH1 (C),CH2 (%RH)\r\n"},
        {0, "SN,Timestamp\r\n"},                                   // a damaged count shows nothing
        {250, "SN,Timestamp,CH1 (C),CH2 (%RH),CH3 (Dew Point C)\r\n"},  // and never reads beyond three
    };
    for (const Case& k : cases) {
        LogStore store;
        fixtures::FillStore(store, 3, 1, [](int c, uint32_t) { return float(c); });
        store.channelCount = k.channelCount;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(WriteCsvExport(out, store));
        EXPECT_TRUE(out.data().startsWith(k.header)) << k.channelCount << ": " << out.data().constData();
        // SN and Timestamp, then one separator per channel, in the header and the row.
        EXPECT_EQ(out.data().count(','), 2 * (1 + std::min<int>(3, int(k.channelCount)))) << k.channelCount;
    }
}

TEST(CsvExportTest, DamagedStampsAreQuotedAndWrittenAsUtf8)
{
    LogStore store;
    fixtures::FillValues(store, {1.0f});
    std::memcpy(store.timestamp(0), "2011,3\"08\xe9" "40530", TimestampLength);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteCsvExport(out, store));
    EXPECT_TRUE(out.data().contains("\r\n1,\"2011-,3-\"\"0 8\xc3\xa9:40:53\",1.0\r\n")) << out.data().constData();
}

TEST(CsvExportTest, FailedWriteKeepsTheOldFileAndSaysWhy)
{
    LogStore store;
    fixtures::FillValues(store, {1.0f, 2.0f});
    QTemporaryDir dir;
    // A folder of that name is refused, not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.csv")));
    const WriteResult folder = ExportCsvFile(dir.filePath(QStringLiteral("taken.csv")), store);
    EXPECT_FALSE(folder.ok);
    EXPECT_TRUE(folder.message.startsWith(QStringLiteral("Failed to export to csv file!\r\nThe file ")))
        << folder.message.toStdString();
    EXPECT_TRUE(folder.message.contains(QStringLiteral("it is a folder")));

    const WriteResult missing = ExportCsvFile(dir.filePath(QStringLiteral("no/such/folder/x.csv")), store);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("no"))));
}

TEST(CsvExportTest, PathGetsCsvOnlyWhenTheFileNameHasNoDot)
{
    EXPECT_EQ(CsvExportPath(QStringLiteral("/data.2011/log")), QStringLiteral("/data.2011/log.csv"));
    EXPECT_EQ(CsvExportPath(QStringLiteral("/tmp/log.txt")), QStringLiteral("/tmp/log.txt"));
    EXPECT_EQ(CsvExportPath(QStringLiteral("log")), QStringLiteral("log.csv"));
}

}  // namespace
