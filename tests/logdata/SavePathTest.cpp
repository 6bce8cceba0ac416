// The extension rule of the export save paths: the file name decides, never
// the folders above it.
#include "logdata/SavePath.h"

#include <gtest/gtest.h>

namespace {

TEST(SavePathTest, AppendsWhenTheFileNameHasNoDot)
{
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/home/lab/fridge", "/home/lab/fridge.txt"},
        {"/home/first.last/fridge", "/home/first.last/fridge.txt"},
        {"/home/lab/.local/share/tessaview/fridge", "/home/lab/.local/share/tessaview/fridge.txt"},
        {"/home/lab/data.2011/fridge.csv", "/home/lab/data.2011/fridge.csv"},
        {"/home/lab/fridge.", "/home/lab/fridge."},
        {"/home/lab/.fridge", "/home/lab/.fridge"},
        {"fridge", "fridge.txt"},
        {"week.2/fridge", "week.2/fridge.txt"},
        {"/home/first.last/", "/home/first.last/"},  // a folder, not a file: left for the write to refuse
        {"", ""},
    };
    for (const auto& k : cases)
        EXPECT_EQ(WithExtensionIfNone(QString::fromLatin1(k.chosen), QLatin1StringView(".txt")),
                  QString::fromLatin1(k.written))
            << k.chosen;
}

TEST(SavePathTest, AppendsUnlessTheFileNameEndsWithTheExtension)
{
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/data/chart", "/data/chart.bmp"},
        {"/data/chart.bmp", "/data/chart.bmp"},
        {"/data/old.bmp.d/chart", "/data/old.bmp.d/chart.bmp"},
        {"/home/first.last/chart", "/home/first.last/chart.bmp"},
        {"/data/chart.bmpx", "/data/chart.bmpx.bmp"},
        {"/data/chart.png", "/data/chart.png.bmp"},
        {"/data/chart.BMP", "/data/chart.BMP.bmp"},  // case counts
        {"/data/.bmp", "/data/.bmp"},
        {"/data/", "/data/"},
    };
    for (const auto& k : cases)
        EXPECT_EQ(WithExtensionUnlessEnding(QString::fromLatin1(k.chosen), QLatin1StringView(".bmp")),
                  QString::fromLatin1(k.written))
            << k.chosen;
}

TEST(SavePathTest, FileNamePart)
{
    EXPECT_EQ(FileNamePart(QStringLiteral("/home/first.last/fridge")), u"fridge");
    EXPECT_EQ(FileNamePart(QStringLiteral("fridge.txt")), u"fridge.txt");
    EXPECT_TRUE(FileNamePart(QStringLiteral("/tmp/")).isEmpty());
}

}  // namespace
