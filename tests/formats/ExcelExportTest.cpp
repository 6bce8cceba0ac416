// The Excel export of the store: path rule, the records a sheet can take,
// the rows as xlrd reads them, replacing a file, and failures.
#include "formats/ExcelExport.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"
#include "XlrdSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

using xlrdtest::Cell;

// What the value becomes as the "%3.1f" text the export is defined by.
double AsPrintedNumber(float v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f", double(v));
    return std::strtod(text, nullptr);
}

QByteArray Date(const char* t)
{
    return QByteArray(t, 4) + '-' + QByteArray(t + 4, 2) + '-' + QByteArray(t + 6, 2);
}

QByteArray Time(const char* t)
{
    return QByteArray(t + 8, 2) + ':' + QByteArray(t + 10, 2) + ':' + QByteArray(t + 12, 2);
}

bool SameNumber(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Checks the whole sheet against the store: header, then row r holding
// record first + r − 1.
void ExpectSheetOf(const LogStore& store, const xlrdtest::Sheet& sheet, uint32_t first, int valueColumns)
{
    ASSERT_EQ(sheet.sheetNames, QStringList{QStringLiteral("logs")});
    ASSERT_EQ(sheet.rows, int(store.recordCount - first) + 1);
    ASSERT_EQ(sheet.columns, 3 + valueColumns);
    const char* names[] = {"SN", "LOGDATE", "LOGTIME", "CH1", "CH2", "CH3"};
    for (int c = 0; c < sheet.columns; ++c) {
        EXPECT_EQ(sheet.at(0, c).type, Cell::Text);
        EXPECT_EQ(sheet.at(0, c).text, QByteArray(names[c]));
    }
    for (int r = 1; r < sheet.rows; ++r) {
        const uint32_t i = first + uint32_t(r) - 1;
        const char* t = store.timestamp(i);
        const Cell& sn = sheet.at(r, 0);
        ASSERT_EQ(sn.type, Cell::Number) << "row " << r;
        ASSERT_EQ(sn.number, double(i) + 1) << "row " << r;
        ASSERT_EQ(sheet.at(r, 1).type, Cell::Text) << "row " << r;
        ASSERT_EQ(sheet.at(r, 1).text, Date(t)) << "row " << r;
        ASSERT_EQ(sheet.at(r, 2).type, Cell::Text) << "row " << r;
        ASSERT_EQ(sheet.at(r, 2).text, Time(t)) << "row " << r;
        for (int c = 1; c <= valueColumns; ++c) {
            const Cell& v = sheet.at(r, 2 + c);
            ASSERT_EQ(v.type, Cell::Number) << "row " << r << " CH" << c;
            ASSERT_TRUE(SameNumber(v.number, AsPrintedNumber(store.value[c][i])))
                << "row " << r << " CH" << c << ": " << v.number << " for " << store.value[c][i];
        }
    }
}

class ExcelExportFiles : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;
};

TEST(ExcelExportTest, PathRule)
{
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/home/lab/fridge", "/home/lab/fridge.xls"},
        {"/home/lab/data.2011/fridge", "/home/lab/data.2011/fridge.xls"},  // only the file name counts
        {"/home/lab/.local/fridge", "/home/lab/.local/fridge.xls"},
        {"/home/lab/fridge.csv", "/home/lab/fridge.csv"},
        {"/home/lab/fridge.xls", "/home/lab/fridge.xls"},
        {"/home/lab/fridge.", "/home/lab/fridge."},
    };
    for (const auto& k : cases)
        EXPECT_EQ(ExcelExportPath(QString::fromLatin1(k.chosen)), QString::fromLatin1(k.written)) << k.chosen;
}

TEST(ExcelExportTest, AtMostTheNewest65535Records)
{
    const struct {
        uint32_t count, first;
    } cases[] = {{0, 0}, {1, 0}, {65535, 0}, {65536, 1}, {70000, 4465}, {LogCapacity, LogCapacity - 65535}};
    for (const auto& k : cases)
        EXPECT_EQ(ExcelFirstExportedRecord(k.count), k.first) << k.count;
}

// ---- Sheets as xlrd reads them ----

struct SheetCase {
    const char* name;
    uint32_t channelCount;
    uint32_t records;
    int valueColumns;
    uint32_t firstSn;
};

class ExcelExportSheet : public ::testing::TestWithParam<SheetCase> {};

TEST_P(ExcelExportSheet, RowsMatchTheStore)
{
    const SheetCase& k = GetParam();
    LogStore store;
    // Values of every sign and a tenth's rounding, different per channel.
    fixtures::FillStore(store, k.channelCount, k.records, [](int c, uint32_t i) {
        return float(int(i % 2011) - 1000) * 0.037f + float(c) * 10.0f;
    });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("export.xls"));
    const WriteResult result = ExportExcelFile(file, store);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    // Only a log longer than a sheet says what it left out.
    EXPECT_EQ(result.notice, k.records > 65535 ? QStringLiteral("The sheet holds the newest 65535 of %1 records.")
                                                     .arg(k.records)
                                               : QString());

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(file, "logs", sheet);
    const uint32_t first = ExcelFirstExportedRecord(k.records);
    ExpectSheetOf(store, sheet, first, k.valueColumns);
    if (sheet.rows > 1) {
        EXPECT_EQ(sheet.at(1, 0).number, double(k.firstSn));
        EXPECT_EQ(sheet.at(sheet.rows - 1, 0).number, double(k.records));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, ExcelExportSheet,
    ::testing::Values(SheetCase{"NoRecordsHeaderOnly", 1, 0, 1, 0}, SheetCase{"OneChannel", 1, 7, 1, 1},
                      SheetCase{"TwoChannels", 2, 7, 2, 1}, SheetCase{"ThreeChannels", 3, 7, 3, 1},
                      SheetCase{"DamagedCountZeroGivesThree", 0, 3, 3, 1},
                      SheetCase{"DamagedCountSevenGivesThree", 7, 3, 3, 1},
                      SheetCase{"FullSheet", 3, 65535, 3, 1}, SheetCase{"OneRecordTooMany", 2, 65536, 2, 2},
                      SheetCase{"Seventy000", 1, 70000, 1, 4466}),
    [](const ::testing::TestParamInfo<SheetCase>& info) { return std::string(info.param.name); });

TEST_F(ExcelExportFiles, ValuesAreTheNumbersTheirTenthsText)
{
    const float values[] = {-0.04f, 123.456f, 0.05f, 25.25f, -7.95f, 25.3f, -0.0f, 1e7f, -3.4e38f};
    LogStore store;
    fixtures::FillStore(store, 1, std::size(values), [&](int, uint32_t i) { return values[i]; });
    ASSERT_TRUE(ExportExcelFile(path("values.xls"), store).ok);

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(path("values.xls"), "logs", sheet);
    ExpectSheetOf(store, sheet, 0, 1);
    EXPECT_TRUE(std::signbit(sheet.at(1, 3).number)) << "-0.04 is written -0.0";
    EXPECT_EQ(sheet.at(2, 3).number, 123.5);
    EXPECT_EQ(sheet.at(6, 3).number, 25.3);
}

TEST_F(ExcelExportFiles, ValuesThatAreNoNumberStayAsTheirText)
{
    // A damaged file can hold any bit pattern; the row is kept, the value
    // shown as the text it prints as.
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 1.25f};
    LogStore store;
    fixtures::FillStore(store, 1, std::size(values), [&](int, uint32_t i) { return values[i]; });
    ASSERT_TRUE(ExportExcelFile(path("odd.xls"), store).ok);

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(path("odd.xls"), "logs", sheet);
    ASSERT_EQ(sheet.rows, 5);
    for (int r = 1; r <= 3; ++r) {
        char text[64];
        std::snprintf(text, sizeof text, "%3.1f", double(values[r - 1]));
        EXPECT_EQ(sheet.at(r, 3).type, Cell::Text) << r;
        EXPECT_EQ(sheet.at(r, 3).text, QByteArray(text)) << r;
    }
    EXPECT_EQ(sheet.at(4, 3).number, 1.2);  // ties go to even, as printf does
}

TEST_F(ExcelExportFiles, OddBytesInStampsAndNameLoseNothing)
{
    LogStore store;
    fixtures::FillStore(store, 2, 3, [](int c, uint32_t i) { return float(c * 10 + int(i)); },
                        "Kühl\xFF'raum;\"x\"");
    fixtures::SetStamp(store, 1, std::string("20\x00\xFF" "12'3\xE9" "0;5\"9", 14));
    ASSERT_TRUE(ExportExcelFile(path("bytes.xls"), store).ok);

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(path("bytes.xls"), "logs", sheet);
    ExpectSheetOf(store, sheet, 0, 2);
    EXPECT_EQ(sheet.at(2, 1).text, QByteArray("20\x00\xFF-12-'3", 10));
    EXPECT_EQ(sheet.at(2, 2).text, QByteArray("\xE9" "0:;5:\"9"));
}

TEST_F(ExcelExportFiles, AnExistingFileIsReplaced)
{
    const QString file = path("old.xls");
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(3 * 1024 * 1024, 'x'));
    old.close();

    LogStore store;
    fixtures::FillValues(store, {1.0f, 2.0f});
    ASSERT_TRUE(ExportExcelFile(file, store).ok);
    EXPECT_LT(QFileInfo(file).size(), 100000);

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(file, "logs", sheet);
    ExpectSheetOf(store, sheet, 0, 1);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.xls")})
        << "nothing else left in the folder";
}

TEST_F(ExcelExportFiles, FailuresSayWhatAndLeaveNoFile)
{
    LogStore store;
    fixtures::FillValues(store, {1.0f});
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.xls")));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.xls")).constData(), 0600), 0);

    const struct {
        QString target;
        const char* reason;  // a part of the message
    } cases[] = {
        {path("missing/out.xls"), "cannot be created"},
        {path("plain/out.xls"), "cannot be created"},  // a file where a folder should be
        {path("folder.xls"), "it is a folder"},
        {path("pipe.xls"), "it is not a regular file"},
    };
    for (const auto& k : cases) {
        const WriteResult result = ExportExcelFile(k.target, store);
        EXPECT_FALSE(result.ok) << k.target.toStdString();
        const std::string message = result.message.toStdString();
        EXPECT_TRUE(result.message.startsWith(QStringLiteral("Failed: "))) << message;
        EXPECT_TRUE(result.message.contains(QDir::toNativeSeparators(k.target))) << message;
        EXPECT_TRUE(result.message.contains(QLatin1String(k.reason))) << message;
    }
    EXPECT_TRUE(QFileInfo(path("folder.xls")).isDir()) << "the folder is left alone";
    EXPECT_FALSE(QFileInfo(path("pipe.xls")).isFile()) << "the pipe is left alone";
    EXPECT_TRUE(QFileInfo::exists(path("pipe.xls")));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::System).size(), 2) << "no half-written file";
}

TEST(ExcelExportTest, DeviceRefusingWritesIsReported)
{
    class RefusingDevice : public QIODevice {
    public:
        RefusingDevice() { open(QIODevice::WriteOnly); }
        qint64 accepted = 0;

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64 n) override
        {
            if (accepted > 0)
                return -1;  // the first write goes through, the rest fail
            accepted += n;
            return n;
        }
    };
    LogStore store;
    fixtures::FillStore(store, 3, 5000, [](int, uint32_t i) { return float(i); });
    RefusingDevice device;
    EXPECT_FALSE(WriteExcelExport(device, store));
}

}  // namespace
