// The 16-bit BMP file: header fields, row length and padding, bottom row
// first, the RGB555 words, the path rule, and files that cannot be written;
// read back by ImageMagick as an independent reader where it is installed.
#include "formats/BmpWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t U16(const QByteArray& b, int at)
{
    return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
}

uint32_t U32(const QByteArray& b, int at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

QImage Picture(int w, int h, QColor fill = Qt::black)
{
    QImage image(w, h, QImage::Format_RGB555);
    image.fill(fill);
    return image;
}

struct SizeCase {
    int width;
    int height;
    int rowLength;
    int fileSize;
};

class BmpSizeTest : public ::testing::TestWithParam<SizeCase> {};

// Every header field, for sizes whose rows need 0 or 2 bytes of filling.
TEST_P(BmpSizeTest, HeadersCountFullRows)
{
    const SizeCase c = GetParam();
    EXPECT_EQ(BmpRowLength(c.width), c.rowLength);
    EXPECT_EQ(BmpFileSize(c.width, c.height), c.fileSize);

    const QByteArray file = EncodeBmp16(Picture(c.width, c.height));
    ASSERT_EQ(file.size(), c.fileSize);
    EXPECT_EQ(file.left(2), QByteArray("BM"));
    EXPECT_EQ(U32(file, 2), uint32_t(c.fileSize));
    EXPECT_EQ(U16(file, 6), 0u);
    EXPECT_EQ(U16(file, 8), 0u);
    EXPECT_EQ(U32(file, 10), 54u);
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), uint32_t(c.width));
    EXPECT_EQ(U32(file, 22), uint32_t(c.height));
    EXPECT_EQ(U16(file, 26), 1u);
    EXPECT_EQ(U16(file, 28), 16u);
    for (int at = 30; at < 54; at += 4)
        EXPECT_EQ(U32(file, at), 0u) << "offset " << at;
}

INSTANTIATE_TEST_SUITE_P(Sizes, BmpSizeTest,
                         ::testing::Values(SizeCase{800, 600, 1600, 54 + 960000},
                                           SizeCase{801, 600, 1604, 54 + 1604 * 600},
                                           SizeCase{1, 1, 4, 58},
                                           SizeCase{3, 2, 8, 70}));

TEST(BmpWriterTest, BottomRowFirstWithLittleEndianRgb555Words)
{
    // 3 × 2: the top row red, green, blue; the bottom row white, black, and
    // a colour whose low bits the 16-bit picture drops.
    QImage image = Picture(3, 2);
    image.setPixelColor(0, 0, QColor(255, 0, 0));
    image.setPixelColor(1, 0, QColor(0, 255, 0));
    image.setPixelColor(2, 0, QColor(0, 0, 255));
    image.setPixelColor(0, 1, QColor(255, 255, 255));
    image.setPixelColor(1, 1, QColor(0, 0, 0));
    image.setPixelColor(2, 1, QColor(245, 255, 245));
    const QByteArray file = EncodeBmp16(image);
    ASSERT_EQ(file.size(), 54 + 2 * 8);

    const uint32_t bottom[] = {0x7FFF, 0x0000, (30u << 10) | (31u << 5) | 30u};
    const uint32_t top[] = {0x7C00, 0x03E0, 0x001F};
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(U16(file, 54 + 2 * x), bottom[x]) << "bottom row, x " << x;
        EXPECT_EQ(U16(file, 54 + 8 + 2 * x), top[x]) << "top row, x " << x;
    }
    // The filling at the end of each row is zero.
    EXPECT_EQ(U16(file, 54 + 6), 0u);
    EXPECT_EQ(U16(file, 54 + 14), 0u);
}

TEST(BmpWriterTest, OtherFormatsAreReducedToFiveBitsAComponent)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixelColor(0, 0, QColor(255, 0, 0));
    image.setPixelColor(1, 0, QColor(8, 16, 24));
    const QByteArray file = EncodeBmp16(image);
    ASSERT_EQ(file.size(), 58);
    EXPECT_EQ(U16(file, 54), 0x7C00u);
    EXPECT_EQ(U16(file, 56), (1u << 10) | (2u << 5) | 3u);
}

TEST(BmpWriterTest, EmptyPictureGivesHeadersOnly)
{
    const QByteArray file = EncodeBmp16(QImage());
    ASSERT_EQ(file.size(), 54);
    EXPECT_EQ(U32(file, 2), 54u);
    EXPECT_EQ(U32(file, 18), 0u);
    EXPECT_EQ(U32(file, 22), 0u);
}

TEST(BmpWriterTest, PathGetsBmpUnlessItsFileNameEndsWithIt)
{
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/data/chart", "/data/chart.bmp"},
        {"/data/chart.bmp", "/data/chart.bmp"},
        // Only the file name's ending counts, not a folder's name.
        {"/data/old.bmp.d/chart", "/data/old.bmp.d/chart.bmp"},
        {"/data/chart.bmpx", "/data/chart.bmpx.bmp"},
        {"/data.2011/chart", "/data.2011/chart.bmp"},
        {"/data/chart.png", "/data/chart.png.bmp"},
        {"/data/chart.BMP", "/data/chart.BMP.bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BmpExportPath(QString::fromLatin1(c.chosen)), QString::fromLatin1(c.written)) << c.chosen;
}

class BmpFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(BmpFileTest, WritesTheFileAndReplacesAnOldOne)
{
    const QString p = path("chart.bmp");
    QFile old(p);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();

    const QImage image = Picture(801, 3, QColor(0, 0, 255));
    const WriteResult result = WriteBmpFile(p, image);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), EncodeBmp16(image));
}

TEST_F(BmpFileTest, RefusalsNameTheFileAndKeepWhatWasThere)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.bmp")));
    const QString locked = path("locked.bmp");
    QFile f(locked);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep");
    f.close();
    ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner));

    struct Case {
        QString path;
        const char* reason;
    };
    std::vector<Case> cases = {
        {path("folder.bmp"), "it is a folder"},
        {path("no-such-folder/chart.bmp"), ""},
    };
    // The superuser may write any file, so there is nothing to refuse then.
    if (!QFileInfo(locked).isWritable())
        cases.push_back({locked, "may not be written"});
    for (const Case& c : cases) {
        const WriteResult result = WriteBmpFile(c.path, Picture(4, 4));
        EXPECT_FALSE(result.ok) << c.path.toStdString();
        EXPECT_TRUE(result.message.startsWith(QStringLiteral("Failed to export to bmp file!\r\nThe file ")))
            << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QDir::toNativeSeparators(c.path))) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QString::fromLatin1(c.reason))) << result.message.toStdString();
    }
    EXPECT_TRUE(QFileInfo(path("folder.bmp")).isDir());
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep"));
}

TEST(BmpWriterTest, RefusedWriteIsReported)
{
    QBuffer readOnly;
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_FALSE(WriteBmp16(readOnly, Picture(2, 2)));
}

// ImageMagick reads the file back: its size, depth and the colours of the
// corners prove the row order and the pixel layout to a reader of its own.
TEST_F(BmpFileTest, ImageMagickReadsThePicture)
{
    const QString identify = QStringLiteral("/usr/bin/identify");
    if (!QFileInfo(identify).isExecutable())
        GTEST_SKIP() << "ImageMagick is not installed";
    QImage image = Picture(801, 5, QColor(255, 255, 255));
    image.setPixelColor(0, 0, QColor(255, 0, 0));    // top left
    image.setPixelColor(800, 4, QColor(0, 0, 255));  // bottom right
    const QString p = path("read-back.bmp");
    ASSERT_TRUE(WriteBmpFile(p, image).ok);

    // Each pixel as "r,g,b" in 0 … 255.
    QString format = QStringLiteral("%m %w %h");
    for (const char* at : {"p{0,0}", "p{800,4}", "p{400,2}"})
        for (const char* component : {" %[fx:int(255*%1.r+0.5)]", ",%[fx:int(255*%1.g+0.5)]", ",%[fx:int(255*%1.b+0.5)]"})
            format += QString::fromLatin1(component).arg(QLatin1String(at));
    QProcess magick;
    magick.start(identify, {QStringLiteral("-format"), format, p});
    ASSERT_TRUE(magick.waitForFinished(60000));
    ASSERT_EQ(magick.exitCode(), 0) << magick.readAllStandardError().toStdString();
    const QStringList fields = QString::fromLatin1(magick.readAllStandardOutput()).simplified().split(QLatin1Char(' '));
    ASSERT_EQ(fields.size(), 6) << fields.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(fields[0].startsWith(QStringLiteral("BMP"))) << fields[0].toStdString();
    EXPECT_EQ(fields[1], QStringLiteral("801"));
    EXPECT_EQ(fields[2], QStringLiteral("5"));
    EXPECT_EQ(fields[3], QStringLiteral("255,0,0")) << "top left";
    EXPECT_EQ(fields[4], QStringLiteral("0,0,255")) << "bottom right";
    EXPECT_EQ(fields[5], QStringLiteral("255,255,255"));
}

}  // namespace
