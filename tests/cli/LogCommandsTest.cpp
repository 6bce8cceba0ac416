// tessaview-cli's dispatcher and its info and export subcommands, run as a program.
#include "logdata/DateQuery.h"
#include "logdata/LimitSettings.h"
#include "logdata/LogFile.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"
#include "support/TestPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// The child reads its per-user settings (the kept alarm limits) from
// configHome, or else from an empty folder: never from the user's own.
CliRun RunCli(const QStringList& args, const QString& configHome = QString())
{
    static QTemporaryDir emptyConfig;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.isEmpty() ? emptyConfig.path() : configHome);
    process.setProcessEnvironment(env);
    process.start(QString::fromLocal8Bit(testpaths::cli()), args);
    CliRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void WriteLog(const QString& path, const LogStore& store)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(WriteLogFile(file, store));
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Small fixture files in a temporary folder:
//   room.logu   two channels, six records twelve hours apart from 2011-03-08 00:00
//   empty.logu  zero bytes;  header.logu  a log of no records;  short.logu  cut short
class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        ASSERT_TRUE(dir->isValid());
        LogStore store;
        fixtures::FillStore(store, 2, 6, [](int c, uint32_t i) { return c == 1 ? 20.0f + float(i) : 50.5f + float(i); },
                            "ROOM", "AB12345678", "20110308000000", 12 * 3600);
        WriteLog(path("room.logu"), store);
        store.recordCount = 0;
        WriteLog(path("header.logu"), store);
        WriteBytes(path("empty.logu"), {});
        store.recordCount = 6;
        QByteArray cut;
        {
            QFile file(path("room.logu"));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            cut = file.readAll();
        }
        WriteBytes(path("short.logu"), cut.left(cut.size() - 1));
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QString path(const char* name) { return dir->filePath(QLatin1String(name)); }

    static QTemporaryDir* dir;
};

QTemporaryDir* CliTest::dir = nullptr;

struct CliCase {
    const char* what;
    QStringList args;  // "@name" stands for the fixture file of that name
    int exitCode;
    const char* inOut;  // expected in stdout, or nullptr
    const char* inErr;  // expected in stderr, or nullptr
};

TEST_F(CliTest, ExitCodesAndMessages)
{
    const CliCase cases[] = {
        {"no command", {}, 2, nullptr, "Usage: tessaview-cli COMMAND"},
        {"program help", {"--help"}, 0, "Commands:", nullptr},
        {"unknown command", {"frobnicate"}, 2, nullptr, "unknown command frobnicate"},
        {"info help", {"info", "--help"}, 0, "Usage: tessaview-cli info FILE.logu", nullptr},
        {"export help", {"export", "-h"}, 0, "Usage: tessaview-cli export FILE.logu --txt OUT", nullptr},
        {"info without a file", {"info"}, 2, nullptr, "Usage: tessaview-cli info"},
        {"info with two files", {"info", "@room.logu", "@room.logu"}, 2, nullptr, "one log file"},
        {"unknown option", {"info", "@room.logu", "--bogus"}, 2, nullptr, "unknown option --bogus"},
        {"option given twice", {"info", "@room.logu", "--json", "--json"}, 2, nullptr, "given twice"},
        {"option without its value", {"info", "@room.logu", "--records"}, 2, nullptr, "needs a value"},
        {"info", {"info", "@room.logu"}, 0, "Logger name:   ROOM", nullptr},
        {"zero-length file", {"info", "@empty.logu"}, 1, nullptr, "The format of the log file is invalid."},
        {"file cut short", {"info", "@short.logu"}, 1, nullptr, "short.logu is damaged"},
        {"missing file", {"info", "@missing.logu"}, 1, nullptr, "cannot be opened"},
        {"date text of 8 characters", {"info", "@room.logu", "--from", "20110308", "--to", "2011-3-8"}, 1, nullptr,
         DateRangeMessage},
        {"start after end", {"info", "@room.logu", "--from", "20110309", "--to", "20110308"}, 1, nullptr,
         DateRangeMessage},
        {"no record in range", {"info", "@room.logu", "--from", "20110311", "--to", "20110320"}, 1, nullptr,
         "No matched data."},
        {"--from without --to", {"info", "@room.logu", "--from", "20110308"}, 2, nullptr, "go together"},
        {"records past the end", {"info", "@room.logu", "--records", "0:7"}, 2, nullptr, "outside the 6 records"},
        {"negative first record", {"info", "@room.logu", "--records=-1:3"}, 2, nullptr, "outside"},
        {"malformed records", {"info", "@room.logu", "--records", "2-3"}, 2, nullptr, "FIRST:END"},
        {"reversed records are a no-op", {"info", "@room.logu", "--records", "4:2"}, 0, "Records:       6", nullptr},
        {"export without --txt", {"export", "@room.logu"}, 2, nullptr, "--txt OUT"},
        {"export of no records", {"export", "@header.logu", "--txt", "@out.txt"}, 1, nullptr, "no records"},
        {"export into a missing folder", {"export", "@room.logu", "--txt", "/nonexistent/folder/x.txt"}, 1, nullptr,
         "Failed to export to txt file!"},
        {"export of a zero-length file", {"export", "@empty.logu", "--txt", "@out.txt"}, 1, nullptr,
         "The format of the log file is invalid."},
        {"export with an empty OUT", {"export", "@room.logu", "--csv="}, 2, nullptr, "--csv needs a file name"},
        {"csv into a missing folder", {"export", "@room.logu", "--csv", "/nonexistent/folder/x.csv"}, 1, nullptr,
         "Failed to export to csv file!"},
        {"pdf into a missing folder", {"export", "@room.logu", "--pdf", "/nonexistent/folder/x.pdf"}, 1, nullptr,
         "Failed to save to pdf file!"},
        {"--size without --bmp", {"export", "@room.logu", "--csv", "@o.csv", "--size", "10x10"}, 2, nullptr,
         "--size goes with --bmp"},
        {"--size of no pixels", {"export", "@room.logu", "--bmp", "@o.bmp", "--size", "0x10"}, 2, nullptr, "WxH"},
        {"--size malformed", {"export", "@room.logu", "--bmp", "@o.bmp", "--size", "640x"}, 2, nullptr, "WxH"},
        {"--size too large", {"export", "@room.logu", "--bmp", "@o.bmp", "--size", "99999x10"}, 2, nullptr, "WxH"},
        // --limit CH:LOW:HIGH
        {"limit with two parts", {"info", "@room.logu", "--limit", "1:2"}, 2, nullptr, "CH:LOW:HIGH"},
        {"limit with four parts", {"info", "@room.logu", "--limit", "1:2:3:4"}, 2, nullptr, "CH:LOW:HIGH"},
        {"limit of channel 0", {"info", "@room.logu", "--limit", "0::5"}, 2, nullptr, "channel of 1 to 3"},
        {"limit of channel 4", {"export", "@room.logu", "--csv", "@o.csv", "--limit", "4:1:2"}, 2, nullptr,
         "channel of 1 to 3"},
        {"limit that is no number", {"info", "@room.logu", "--limit", "1:cold:5"}, 2, nullptr, "a number or nothing"},
        {"limit that is not finite", {"info", "@room.logu", "--limit", "1::inf"}, 2, nullptr, "a number or nothing"},
        {"low above high", {"info", "@room.logu", "--limit", "1:9:2"}, 2, nullptr, "low limit is above the high"},
        {"channel limited twice", {"info", "@room.logu", "--limit", "1:2:8", "--limit=1::9"}, 2, nullptr,
         "channel 1 twice"},
        {"limit error before the file is read", {"info", "@missing.logu", "--limit", "x"}, 2, nullptr, "CH:LOW:HIGH"},
        {"limits in lines", {"info", "@room.logu", "--limit", "1:21:24", "--limit", "2::"}, 0,
         "Above: 1 excursion, 12:00:00, first at 2011-03-10 12:00:00", nullptr},
        {"interval in lines", {"info", "@room.logu"}, 0, "Interval:      12:00:00", nullptr},
    };
    for (const CliCase& k : cases) {
        QStringList args;
        for (const QString& a : k.args)
            args << (a.startsWith(QLatin1Char('@')) ? path(a.mid(1).toLatin1().constData()) : a);
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, k.exitCode) << k.what << "\nstderr: " << run.err.toStdString();
        if (k.inOut) {
            EXPECT_TRUE(run.out.contains(QString::fromUtf8(k.inOut))) << k.what << "\nstdout: " << run.out.toStdString();
        }
        if (k.inErr) {
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(k.inErr))) << k.what << "\nstderr: " << run.err.toStdString();
        }
        if (k.exitCode == 2) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("Usage:"))) << k.what << ": usage errors show the usage";
        }
    }
}

QJsonObject InfoJson(const QStringList& extra)
{
    const CliRun run = RunCli(QStringList{QStringLiteral("info")} + extra + QStringList{QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return doc.object();
}

TEST_F(CliTest, JsonCarriesEveryKey)
{
    const QJsonObject o = InfoJson({path("room.logu")});
    const char* keys[] = {"loggerName", "loggerId", "celsius",  "recordCount", "channelCount", "channelKind",
                          "unitText",   "maxValue", "minValue", "aveValue",    "axisTop",      "axisBottom",
                          "axisStep",   "first",    "last",     "intervalSeconds", "durationSeconds",
                          "maxTime",    "minTime",  "mkt"};
    for (const char* key : keys)
        EXPECT_TRUE(o.contains(QLatin1String(key))) << key;
    EXPECT_EQ(o.size(), int(std::size(keys)));

    EXPECT_EQ(o["loggerName"].toString(), QStringLiteral("ROOM"));
    EXPECT_EQ(o["loggerId"].toString(), QStringLiteral("AB12345678"));
    EXPECT_EQ(o["celsius"].toBool(), true);
    EXPECT_EQ(o["recordCount"].toInt(), 6);
    EXPECT_EQ(o["channelCount"].toInt(), 2);
    EXPECT_EQ(o["channelKind"].toArray(), QJsonArray({0, 1, 8}));
    EXPECT_EQ(o["unitText"].toArray(), QJsonArray({"C", "%RH", "Dew Point(C)"}));
    EXPECT_EQ(o["maxValue"].toArray().size(), 3);
    EXPECT_EQ(o["maxValue"][0].toDouble(), 25.0);
    EXPECT_EQ(o["minValue"][1].toDouble(), 50.5);
    EXPECT_EQ(float(o["aveValue"][1].toDouble()), 53.0f);
    EXPECT_EQ(o["axisTop"].toArray().size(), 2);
    EXPECT_EQ(o["axisStep"][0].toInt(), 1);
    EXPECT_EQ(o["first"].toString(), QStringLiteral("20110308000000"));
    EXPECT_EQ(o["last"].toString(), QStringLiteral("20110310120000"));
    EXPECT_EQ(o["intervalSeconds"].toInt(), 12 * 3600);
    EXPECT_EQ(o["durationSeconds"].toInt(), 5 * 12 * 3600);
    EXPECT_EQ(o["maxTime"].toArray(), QJsonArray({"20110310120000", "20110310120000", QJsonValue()}));
    EXPECT_EQ(o["minTime"].toArray(), QJsonArray({"20110308000000", "20110308000000", QJsonValue()}));
    // MKT only for the temperature channel; a shown humidity channel and a
    // channel not shown have none.
    ASSERT_EQ(o["mkt"].toArray().size(), 3);
    EXPECT_GT(o["mkt"][0].toDouble(), 22.5);  // above the mean: the warm records weigh more
    EXPECT_LT(o["mkt"][0].toDouble(), 25.0);
    EXPECT_TRUE(o["mkt"][1].isNull());
    EXPECT_TRUE(o["mkt"][2].isNull());
}

TEST_F(CliTest, JsonLimitsComeFromTheOptionOrElseFromTheKeptOnes)
{
    // room.logu: channel 1 is 20 … 25, channel 2 is 50.5 … 55.5, twelve hours apart.
    const QStringList limitKeys{"limitLow",     "limitHigh",    "excursionsAbove", "excursionsBelow",
                                "secondsAbove", "secondsBelow", "firstAbove",      "firstBelow"};
    const QJsonObject none = InfoJson({path("room.logu")});
    for (const QString& key : limitKeys)
        EXPECT_FALSE(none.contains(key)) << key.toStdString() << ": no limits, no limit fields";

    const QJsonObject o = InfoJson({path("room.logu"), "--limit", "1:21:24", "--limit", "2::52"});
    EXPECT_EQ(o["limitLow"].toArray(), QJsonArray({21, QJsonValue(), QJsonValue()}));
    EXPECT_EQ(o["limitHigh"].toArray(), QJsonArray({24, 52, QJsonValue()}));
    EXPECT_EQ(o["excursionsAbove"].toArray(), QJsonArray({1, 1, QJsonValue()}));
    EXPECT_EQ(o["excursionsBelow"].toArray(), QJsonArray({1, QJsonValue(), QJsonValue()}));
    EXPECT_EQ(o["secondsAbove"].toArray(), QJsonArray({12 * 3600, 4 * 12 * 3600, QJsonValue()}));
    EXPECT_EQ(o["secondsBelow"].toArray(), QJsonArray({12 * 3600, QJsonValue(), QJsonValue()}));
    EXPECT_EQ(o["firstAbove"].toArray(), QJsonArray({"20110310120000", "20110309000000", QJsonValue()}));
    EXPECT_EQ(o["firstBelow"].toArray(), QJsonArray({"20110308000000", QJsonValue(), QJsonValue()}));

    // Limits kept for the logger AB12345678 are used when no --limit is given.
    QTemporaryDir config;
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        LogLimits kept;
        kept.channel[1].low = 51.0;
        SaveLimits("AB12345678", kept, true);
    }
    const auto infoWith = [&](const QStringList& extra) {
        const CliRun run = RunCli(QStringList{"info", path("room.logu"), "--json"} + extra, config.path());
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    };
    const QJsonObject stored = infoWith({});
    EXPECT_EQ(stored["limitLow"].toArray(), QJsonArray({QJsonValue(), 51, QJsonValue()}));
    EXPECT_EQ(stored["excursionsBelow"].toArray(), QJsonArray({QJsonValue(), 1, QJsonValue()}));
    EXPECT_EQ(stored["firstBelow"][1].toString(), QStringLiteral("20110308000000"));
    // --limit replaces them.
    const QJsonObject given = infoWith({"--limit", "1::30"});
    EXPECT_EQ(given["limitLow"].toArray(), QJsonArray({QJsonValue(), QJsonValue(), QJsonValue()}));
    EXPECT_EQ(given["excursionsAbove"].toArray(), QJsonArray({0, QJsonValue(), QJsonValue()}));
}

TEST_F(CliTest, JsonFloatsReadBackAsTheSameFloat)
{
    LogStore store;
    const float tricky[] = {0.1f, 16777215.0f, -1e-7f, 3.4028235e38f, 1.17549435e-38f};
    fixtures::FillStore(store, 3, 5, [&](int, uint32_t i) { return tricky[i]; });
    WriteLog(path("tricky.logu"), store);
    store.ComputeStatistics();
    const QJsonObject o = InfoJson({path("tricky.logu")});
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(float(o["maxValue"][c].toDouble()), store.maxValue[c]) << c;
        EXPECT_EQ(float(o["minValue"][c].toDouble()), store.minValue[c]) << c;
        EXPECT_EQ(float(o["aveValue"][c].toDouble()), store.aveValue[c]) << c;
    }
}

TEST_F(CliTest, JsonOfAnEmptyLogHasNulls)
{
    const QJsonObject o = InfoJson({path("header.logu")});
    EXPECT_EQ(o["recordCount"].toInt(-1), 0);
    for (const char* key : {"maxValue", "minValue", "aveValue", "axisTop", "axisBottom", "axisStep", "first", "last"})
        EXPECT_TRUE(o[QLatin1String(key)].isNull()) << key;
}

TEST_F(CliTest, JsonEscapesEveryByteOfTheName)
{
    LogStore store;
    fixtures::FillStore(store, 1, 1, [](int, uint32_t) { return std::numeric_limits<float>::quiet_NaN(); });
    std::memcpy(store.loggerName, "a\"b\\c\n\x01\x7f\xe9\xff/", 12);
    std::memcpy(store.loggerId, "12\0\x80" "567890", 10);
    WriteLog(path("odd.logu"), store);
    const QJsonObject o = InfoJson({path("odd.logu")});
    EXPECT_EQ(o["loggerName"].toString(), QString::fromLatin1("a\"b\\c\n\x01\x7f\xe9\xff/"));
    EXPECT_EQ(o["loggerId"].toString(), QString::fromLatin1("12\0\x80" "567890", 10));
    EXPECT_TRUE(o["maxValue"][0].isNull()) << "NaN is not a JSON number";
}

TEST_F(CliTest, RangeOptionsNarrowAsTheQueryAndTheZoomDo)
{
    const QJsonObject day = InfoJson({path("room.logu"), "--from", "20110309", "--to", "20110309"});
    EXPECT_EQ(day["recordCount"].toInt(), 2);
    EXPECT_EQ(day["first"].toString(), QStringLiteral("20110309000000"));
    EXPECT_EQ(day["minValue"][0].toDouble(), 22.0);

    const QJsonObject tail = InfoJson({path("room.logu"), "--from", "20110309", "--to", "99999999"});
    EXPECT_EQ(tail["recordCount"].toInt(), 4);

    // The zoom applies to the records the query kept.
    const QJsonObject both =
        InfoJson({path("room.logu"), "--from", "20110309", "--to", "99999999", "--records", "1:3"});
    EXPECT_EQ(both["recordCount"].toInt(), 2);
    EXPECT_EQ(both["first"].toString(), QStringLiteral("20110309120000"));
}

TEST_F(CliTest, ExportWritesTheTextFileAndAppendsTxt)
{
    const QString out = path("export-a");  // the temporary folder's name may itself hold a '.'
    const CliRun run = RunCli({"export", path("room.logu"), "--txt", out, "--records", "1:3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString written = out.contains(QLatin1Char('.')) ? out : out + QStringLiteral(".txt");
    EXPECT_TRUE(run.out.contains(written)) << run.out.toStdString();
    EXPECT_EQ(ReadBytes(written), QByteArray("SN\tDATE\t\tTIME\t\tC\t%RH\r\n"
                                             "1\t2011-03-08\t12:00:00\t21.0\t51.5\r\n"
                                             "2\t2011-03-09\t00:00:00\t22.0\t52.5\r\n"));
}

TEST_F(CliTest, ExportWritesEveryFormatInOneRun)
{
    QTemporaryDir out;
    const auto at = [&](const char* name) { return out.filePath(QLatin1String(name)); };
    const CliRun run = RunCli({"export", path("room.logu"), "--csv", at("log"), "--xls", at("log"), "--bmp", at("log"),
                               "--size", "320x200", "--pdf", at("log"), "--txt", at("log.text"), "--limit", "1::24"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char* name : {"log.csv", "log.xls", "log.bmp", "log.pdf", "log.text"})
        EXPECT_TRUE(run.out.contains(QDir::toNativeSeparators(at(name)))) << name << "\n" << run.out.toStdString();

    EXPECT_TRUE(ReadBytes(at("log.csv")).startsWith("SN,Timestamp,CH1 (C),CH2 (%RH)\r\n1,2011-03-08 00:00:00,20.0,50.5\r\n"));
    EXPECT_EQ(ReadBytes(at("log.xls")).left(8), QByteArray::fromHex("d0cf11e0a1b11ae1"));
    const QByteArray bmp = ReadBytes(at("log.bmp"));
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(bmp.size(), 54 + 200 * 640);  // 320 pixels of 2 bytes a row
    EXPECT_TRUE(ReadBytes(at("log.pdf")).startsWith("%PDF-"));
    EXPECT_TRUE(ReadBytes(at("log.text")).startsWith("SN\tDATE"));

    if (QFile::exists(QStringLiteral("/usr/bin/pdftotext"))) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("/usr/bin/pdftotext"),
                        {QStringLiteral("-f"), QStringLiteral("2"), at("log.pdf"), QStringLiteral("-")});
        ASSERT_TRUE(pdftotext.waitForFinished(30000));
        const QString summary = QString::fromUtf8(pdftotext.readAllStandardOutput());
        const QByteArray sha = QCryptographicHash::hash(ReadBytes(path("room.logu")), QCryptographicHash::Sha256).toHex();
        EXPECT_TRUE(summary.contains(QString::fromLatin1(sha))) << summary.toStdString();
        EXPECT_TRUE(summary.contains(QStringLiteral("AB12345678"))) << summary.toStdString();
    }
}

TEST_F(CliTest, OneFailedOutputDoesNotStopTheOthers)
{
    QTemporaryDir out;
    const CliRun run = RunCli({"export", path("room.logu"), "--csv", "/nonexistent/folder/x.csv", "--txt",
                               out.filePath(QStringLiteral("kept.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Failed to export to csv file!"))) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("kept.txt"))));
}

TEST_F(CliTest, ExcelSaysOnStderrWhenTheLogIsLongerThanASheet)
{
    LogStore store;
    fixtures::FillStore(store, 1, 65540, [](int, uint32_t i) { return float(i % 100); });
    WriteLog(path("long.logu"), store);
    QTemporaryDir out;
    const CliRun run = RunCli({"export", path("long.logu"), "--xls", out.filePath(QStringLiteral("long.xls"))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("The sheet holds the newest 65535 of 65540 records.")))
        << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("long.xls"))));
}

}  // namespace
