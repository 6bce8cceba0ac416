// Listing, grouping, name rules, rename and delete of the Logfiles folder.
#include "logdata/LogFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Touch(const QString& path, const QByteArray& content = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
}

QByteArray Content(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "GROUP: file file | GROUP: file" for compact expectations.
std::string Describe(const QList<LogFileGroup>& groups)
{
    QStringList parts;
    for (const LogFileGroup& g : groups)
        parts << g.name + QStringLiteral(": ") + g.files.join(QLatin1Char(' '));
    return parts.join(QStringLiteral(" | ")).toStdString();
}

class LogFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }
    void Create(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            Touch(tmp.filePath(QString::fromUtf8(n)));
    }
    LogFolder folder() const { return LogFolder(tmp.path()); }
    bool Exists(const char* name) const { return QFile::exists(tmp.filePath(QString::fromUtf8(name))); }

    QTemporaryDir tmp;
};

struct ListingCase {
    const char* what;
    std::vector<const char*> files;
    const char* expected;
};

class LogFolderListingTest : public LogFolderTest, public ::testing::WithParamInterface<ListingCase> {};

TEST_P(LogFolderListingTest, GroupsSortedFiles)
{
    const ListingCase& k = GetParam();
    for (const char* n : k.files)
        Touch(tmp.filePath(QString::fromUtf8(n)));
    EXPECT_EQ(Describe(folder().List()), k.expected) << k.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogFolderListingTest,
    ::testing::Values(
        ListingCase{"one group per logger, sorted",
                    {"ROOM_20100316_0900.logu", "LAB_20100301_1200.logu", "ROOM_20100315_1430.logu"},
                    "LAB: LAB_20100301_1200.logu | ROOM: ROOM_20100315_1430.logu ROOM_20100316_0900.logu"},
        ListingCase{"empty logger name gives an empty group",
                    {"_20100315_1430.logu"},
                    ": _20100315_1430.logu"},
        ListingCase{"eight characters listed, seven skipped", {"A_B.logu", "A_.logu"}, "A: A_B.logu"},
        ListingCase{"names that only look alike stay apart",
                    {"A_1.logu", "A-B_1.logu", "A_2.logu", "AB_1.logu"},
                    "A-B: A-B_1.logu | AB: AB_1.logu | A: A_1.logu A_2.logu"},
        ListingCase{"grouping is case-sensitive", {"room_1.logu", "ROOM_1.logu"}, "ROOM: ROOM_1.logu | room: room_1.logu"},
        ListingCase{"other files are not logs",
                    {"ROOM.logu", "ROOM_1.log", "ROOM_1.logu.txt", "ROOM_1.logu"},
                    "ROOM: ROOM_1.logu"},
        ListingCase{"nothing to list", {}, ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(LogFolderTest, MissingFolderListsEmpty)
{
    EXPECT_TRUE(LogFolder(tmp.filePath(QStringLiteral("absent"))).List().isEmpty());
}

TEST_F(LogFolderTest, FolderMatchingThePatternIsNotListed)
{
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("ROOM_20100315_1430.logu")));
    Create({"LAB_20100301_1200.logu"});
    EXPECT_EQ(Describe(folder().List()), "LAB: LAB_20100301_1200.logu");
}

// The name on disk is what earlier installs and saved downloads rely on.
TEST(LogFolderPathTest, LogsLiveInLogfilesBelowTheProgramFolder)
{
    EXPECT_EQ(LogFolderPath(QStringLiteral("/home/lab/.local/share/Tessaview U/")),
              QStringLiteral("/home/lab/.local/share/Tessaview U/Logfiles/"));
    EXPECT_EQ(LogFolderPath(QString()), QStringLiteral("Logfiles/"));
}

struct RuleCase {
    const char* text;
    bool opens;
    bool offersMenu;
};

TEST(LogFolderRules, OpenAndMenuRules)
{
    const RuleCase cases[] = {
        {"ROOM_20100315_1430.logu", true, true},
        {"_20100315_1430.logu", false, true},  // empty logger name: listed, not opened, menu offered
        {"Logger Files", false, false},        // the root
        {"ROOM", false, false},                // a group
        {"xlogu", false, true},                // a group whose text holds "logu" after its start
        {"logu_x.logu", true, true},           // "logu" at the start, and again later
        {"logu", false, false},
        {"A_B.logu", true, true},
        {"A_.logux", true, true},
        {"A_B.log", false, false},             // seven characters
        {"", false, false},
    };
    for (const RuleCase& k : cases) {
        const QString text = QString::fromUtf8(k.text);
        EXPECT_EQ(LogFolder::CanOpen(text), k.opens) << k.text;
        EXPECT_EQ(LogFolder::OffersFileMenu(text), k.offersMenu) << k.text;
    }
}

TEST(LogFolderRules, NewNameValidation)
{
    const std::pair<const char*, bool> cases[] = {
        {"x_y.logu", true},
        {"x_y.logu.txt", true},  // ".logu" need not end the name
        {"ROOM_20100315_1430.logu", true},
        {"_x.logu", false},
        {"xy.logu", false},
        {"x_y.log", false},
        {".logu_x", false},
        {"", false},
        {"*_*.logu", false},          // the dialog's starting text is no file name
        {"../x_y.logu", false},       // would move the log out of the folder
        {"sub/x_y.logu", false},
        {"a\\x_y.logu", false},
        {"x_y\n.logu", false},
    };
    for (const auto& [name, valid] : cases)
        EXPECT_EQ(LogFolder::IsValidNewName(QString::fromUtf8(name)), valid) << name;
}

TEST(LogFolderRules, GroupIsTextBeforeFirstUnderscore)
{
    EXPECT_EQ(LogFolder::GroupOf(QStringLiteral("ROOM_20100315_1430.logu")), QStringLiteral("ROOM"));
    EXPECT_EQ(LogFolder::GroupOf(QStringLiteral("_20100315_1430.logu")), QString());
    EXPECT_EQ(LogFolder::GroupOf(QStringLiteral("nounderscore")), QString());
}

TEST_F(LogFolderTest, RenameMovesTheFile)
{
    Touch(tmp.filePath(QStringLiteral("ROOM_1.logu")), "room");
    const LogFileResult r = folder().Rename(QStringLiteral("ROOM_1.logu"), QStringLiteral("x_y.logu.txt"));
    EXPECT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_FALSE(Exists("ROOM_1.logu"));
    EXPECT_EQ(Content(tmp.filePath(QStringLiteral("x_y.logu.txt"))), "room");
    // No longer matching the pattern, it drops out of the list.
    EXPECT_TRUE(folder().List().isEmpty());
}

TEST_F(LogFolderTest, RenameOntoAnotherLogKeepsBoth)
{
    Touch(tmp.filePath(QStringLiteral("ROOM_1.logu")), "room");
    Touch(tmp.filePath(QStringLiteral("LAB_1.logu")), "lab");
    const LogFileResult r = folder().Rename(QStringLiteral("ROOM_1.logu"), QStringLiteral("LAB_1.logu"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.toStdString(),
              (QStringLiteral("Cannot rename ") + tmp.filePath(QStringLiteral("ROOM_1.logu"))
               + QStringLiteral(": a file named LAB_1.logu already exists."))
                  .toStdString());
    EXPECT_EQ(Content(tmp.filePath(QStringLiteral("ROOM_1.logu"))), "room");
    EXPECT_EQ(Content(tmp.filePath(QStringLiteral("LAB_1.logu"))), "lab");
}

TEST_F(LogFolderTest, RenameOfMissingFileNamesTheOldPathAndReason)
{
    const LogFileResult r = folder().Rename(QStringLiteral("xlogu"), QStringLiteral("x_y.logu"));
    EXPECT_FALSE(r.ok);
    const QString prefix = QStringLiteral("Cannot rename ") + tmp.filePath(QStringLiteral("xlogu")) + QStringLiteral(": ");
    EXPECT_TRUE(r.message.startsWith(prefix)) << r.message.toStdString();
    EXPECT_GT(r.message.size(), prefix.size()) << "the system's reason follows the path";
    EXPECT_FALSE(Exists("x_y.logu"));
}

TEST_F(LogFolderTest, RenameToItsOwnNameChangesNothing)
{
    Touch(tmp.filePath(QStringLiteral("ROOM_1.logu")), "room");
    EXPECT_TRUE(folder().Rename(QStringLiteral("ROOM_1.logu"), QStringLiteral("ROOM_1.logu")).ok);
    EXPECT_EQ(Content(tmp.filePath(QStringLiteral("ROOM_1.logu"))), "room");
}

TEST_F(LogFolderTest, RemoveDeletesOnlyThatFile)
{
    Create({"ROOM_1.logu", "ROOM_2.logu"});
    EXPECT_TRUE(folder().Remove(QStringLiteral("ROOM_1.logu")).ok);
    const LogFileResult again = folder().Remove(QStringLiteral("ROOM_1.logu"));  // already gone
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.message.startsWith(QStringLiteral("Cannot delete ") + tmp.filePath(QStringLiteral("ROOM_1.logu"))
                                         + QStringLiteral(": ")))
        << again.message.toStdString();
    EXPECT_EQ(Describe(folder().List()), "ROOM: ROOM_2.logu");
}

}  // namespace
