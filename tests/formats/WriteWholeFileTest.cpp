// Every file writer replaces an old file the same way: only once the new one
// is complete, never a folder, device or protected file.
#include "formats/BmpWriter.h"
#include "formats/CsvExport.h"
#include "formats/ExcelExport.h"
#include "formats/TxtExport.h"
#include "formats/WriteResult.h"
#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <signal.h>
#include <sys/resource.h>

namespace {

// Every file writer, with the file it writes and how its failure message starts.
struct Writer {
    const char* name;
    const char* headline;
    std::function<WriteResult(const QString&)> write;
};

std::vector<Writer> EveryWriter(const LogStore& store, const QImage& picture)
{
    return {
        {"out.txt", "Failed to export to txt file!\r\nThe file ", [&](const QString& p) { return ExportTxtFile(p, store); }},
        {"out.csv", "Failed to export to csv file!\r\nThe file ", [&](const QString& p) { return ExportCsvFile(p, store); }},
        {"out.xls", "Failed: The file ", [&](const QString& p) { return ExportExcelFile(p, store); }},
        {"out.bmp", "Failed to export to bmp file!\r\nThe file ", [&](const QString& p) { return WriteBmpFile(p, picture); }},
    };
}

class WriteWholeFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    void put(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QStringList entries() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

    QTemporaryDir dir_;
};

TEST_F(WriteWholeFileTest, FailedWriteKeepsTheOldFileAndLeavesNothingElse)
{
    const QString file = path("old.txt");
    put(file, "old contents");
    std::vector<WriteStage> stages;
    const WriteResult result = WriteWholeFile(
        file,
        [&stages](WriteStage stage, const QString& failedPath, const QString& reason) {
            stages.push_back(stage);
            return FileFailureSentence(stage, failedPath, reason);
        },
        [](QIODevice& device) {
            device.write("half of the new");
            return false;
        });
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(stages, std::vector<WriteStage>{WriteStage::Write});
    EXPECT_EQ(result.message,
              QStringLiteral("The file %1 cannot be written (a write failed).").arg(QDir::toNativeSeparators(file)));
    EXPECT_EQ(read(file), QByteArray("old contents"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("old.txt")}) << "no temporary file left behind";
}

TEST_F(WriteWholeFileTest, HeadlineOpensEveryFailure)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    const WriteResult refused = WriteWholeFile(path("folder"), QStringLiteral("Headline!"),
                                               [](QIODevice&) { return true; });
    EXPECT_EQ(refused.message, QStringLiteral("Headline!\r\nThe file %1 cannot be created (it is a folder).")
                                   .arg(QDir::toNativeSeparators(path("folder"))));
    const WriteResult written = WriteWholeFile(path("new"), QStringLiteral("Headline!"), [](QIODevice& device) {
        return device.write("abc") == 3;
    });
    EXPECT_TRUE(written.ok);
    EXPECT_TRUE(written.message.isEmpty());
    EXPECT_EQ(read(path("new")), QByteArray("abc"));
}

// A protected file used to be deleted and written anew by the workbook
// export; no writer may replace it now.
TEST_F(WriteWholeFileTest, EveryWriterRefusesAProtectedFileAndKeepsIt)
{
    LogStore store;
    fixtures::FillValues(store, {1.0f, 2.0f});
    const QImage picture(4, 4, QImage::Format_RGB32);
    const std::vector<Writer> writers = EveryWriter(store, picture);
    for (const auto& w : writers) {
        const QString file = path(w.name);
        put(file, "keep");
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner));
        // The superuser may write any file, so there is nothing to refuse then.
        if (QFileInfo(file).isWritable())
            GTEST_SKIP() << "protected files are writable for this user";
        const WriteResult result = w.write(file);
        EXPECT_FALSE(result.ok) << w.name;
        EXPECT_TRUE(result.message.startsWith(QString::fromLatin1(w.headline))) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QStringLiteral("(the file may not be written)")))
            << result.message.toStdString();
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(read(file), QByteArray("keep")) << w.name;
    }
}

// Files of this process may not grow past a few kilobytes while it lives, as
// on a disk that fills up: writes past the limit fail instead of raising
// SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    sighandler_t oldHandler_ = SIG_DFL;
    bool active_ = false;
};

// The text export used to truncate the old file first and the workbook export
// to delete it: a write failing half way lost the earlier file.
TEST_F(WriteWholeFileTest, EveryWriterKeepsTheOldFileWhenAWriteFailsHalfWay)
{
    LogStore store;
    fixtures::FillStore(store, 3, 5000, [](int, uint32_t i) { return float(i % 400) / 10.0f; });
    const QImage picture(300, 200, QImage::Format_RGB32);
    const std::vector<Writer> writers = EveryWriter(store, picture);
    for (const auto& w : writers)
        put(path(w.name), "the earlier export");
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            GTEST_SKIP() << "the file size limit cannot be set here";
        for (const auto& w : writers) {
            const WriteResult result = w.write(path(w.name));
            EXPECT_FALSE(result.ok) << w.name;
            EXPECT_TRUE(result.message.startsWith(QString::fromLatin1(w.headline))) << result.message.toStdString();
            EXPECT_TRUE(result.message.contains(QStringLiteral(" cannot be written ("))) << result.message.toStdString();
        }
    }
    for (const auto& w : writers)
        EXPECT_EQ(read(path(w.name)), QByteArray("the earlier export")) << w.name;
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("out.bmp"), QStringLiteral("out.csv"), QStringLiteral("out.txt"),
                                      QStringLiteral("out.xls")}))
        << "no temporary file left behind";
}

}  // namespace
