// Logger.ini across a start and an exit of the program, the Logfiles folder,
// and the choice of the program folder.
#include "AppTestEnv.h"

#include "app/LoggerSettings.h"
#include "link/LinkSession.h"

#include <QDir>
#include <QFileInfo>

namespace {

using apptest::ReadBytes;
using apptest::WriteBytes;

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

struct IniCase {
    const char* name;
    bool present;
    QByteArray before;
    int port;
    int lineSpeed;
    int interval;
    QByteArray after;
};

class LoggerIniTest : public apptest::StartedApp, public ::testing::WithParamInterface<IniCase> {};

TEST_P(LoggerIniTest, ReadAtStartAndWrittenAtExit)
{
    const IniCase& c = GetParam();
    const QString ini = homePath() + QStringLiteral("Logger.ini");
    if (c.present) {
        ASSERT_TRUE(WriteBytes(ini, c.before));
    }
    Start();
    EXPECT_EQ(app->settings().portNumber, c.port);
    EXPECT_EQ(app->settings().lineSpeed, c.lineSpeed);
    EXPECT_EQ(app->settings().interval, c.interval);
    app.reset();  // closes the window; the settings are written as the program ends
    EXPECT_EQ(ReadBytes(ini).toHex(' ').toStdString(), c.after.toHex(' ').toStdString());
}

const IniCase IniCases[] = {
    {"first start", false, {}, 3, 19200, 1, Bytes({0x03, 0x00, 0x4B, 0x01})},
    {"kept unchanged", true, Bytes({0x05, 0x80, 0x25, 0x02}), 5, 9600, 2, Bytes({0x05, 0x80, 0x25, 0x02})},
    {"empty file: all defaults", true, {}, 3, 19200, 1, Bytes({0x03, 0x00, 0x4B, 0x01})},
    {"one byte: the port only", true, Bytes({0x07}), 7, 19200, 1, Bytes({0x07, 0x00, 0x4B, 0x01})},
    {"three bytes: no interval", true, Bytes({0x09, 0x80, 0x25}), 9, 9600, 1, Bytes({0x09, 0x80, 0x25, 0x01})},
    {"longer file: the first four bytes", true, Bytes({0x04, 0x00, 0x4B, 0x05, 0xFF, 0xFF}), 4, 19200, 5,
     Bytes({0x04, 0x00, 0x4B, 0x05})},
};

INSTANTIATE_TEST_SUITE_P(Files, LoggerIniTest, ::testing::ValuesIn(IniCases),
                         [](const ::testing::TestParamInfo<IniCase>& info) { return "case" + std::to_string(info.index); });

class StartFolderTest : public apptest::StartedApp {};

TEST_F(StartFolderTest, ChangedPortIsWrittenAsItsLowByte)
{
    Start();
    // The port search changes the link's port number; the frame writes it back.
    app->frame()->link().setPortNumber(12);
    app->settings().lineSpeed = 38400;
    app.reset();
    EXPECT_EQ(ReadBytes(homePath() + QStringLiteral("Logger.ini")), Bytes({12, 0x00, 0x96, 0x01}));
}

TEST_F(StartFolderTest, LogfilesFolderIsCreated)
{
    Start();
    EXPECT_TRUE(QFileInfo(homePath() + QStringLiteral("Logfiles")).isDir());
    EXPECT_EQ(app->data().programFolder, homePath());
}

TEST_F(StartFolderTest, LogfilesThatIsAFileIsLeftAlone)
{
    ASSERT_TRUE(WriteBytes(homePath() + QStringLiteral("Logfiles"), "not a folder"));
    Start();
    const QFileInfo logfiles(homePath() + QStringLiteral("Logfiles"));
    EXPECT_TRUE(logfiles.isFile());
    EXPECT_EQ(ReadBytes(logfiles.filePath()), QByteArray("not a folder"));
}

TEST_F(StartFolderTest, UnwritableSettingsKeepTheOldFile)
{
    // A folder named Logger.ini cannot be replaced by the file: nothing is
    // written and nothing is reported.
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Logger.ini")));
    Start();
    EXPECT_EQ(app->settings().portNumber, 3);
    app.reset();
    EXPECT_TRUE(QFileInfo(homePath() + QStringLiteral("Logger.ini")).isDir());
    EXPECT_TRUE(messages.isEmpty());
}

TEST(LoggerSettingsTest, ProgramFolderPrecedence)
{
    QTemporaryDir a, b, program, data;
    const QString slash = QStringLiteral("/");
    // --home wins over the environment, which wins over the program's folder.
    EXPECT_EQ(LoggerSettings::ResolveProgramFolder(a.path(), b.path(), program.path(), data.path()), a.path() + slash);
    EXPECT_EQ(LoggerSettings::ResolveProgramFolder({}, b.path(), program.path(), data.path()), b.path() + slash);
    EXPECT_EQ(LoggerSettings::ResolveProgramFolder({}, {}, program.path(), data.path()), program.path() + slash);
    // An installed copy whose folder is missing or read-only keeps its files per user.
    EXPECT_EQ(LoggerSettings::ResolveProgramFolder({}, {}, program.path() + QStringLiteral("/missing"), data.path()),
              data.path() + slash);
    ASSERT_TRUE(QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool readOnlyHolds = !QFileInfo(program.path()).isWritable();  // root can write anyway
    if (readOnlyHolds) {
        EXPECT_EQ(LoggerSettings::ResolveProgramFolder({}, {}, program.path(), data.path()), data.path() + slash);
    }
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(LoggerSettingsTest, InstalledCopyKeepsItsFilesPerUserEvenWhenItsFolderIsWritable)
{
    // Root can write /usr/bin, and a prefix of one's own is writable too: an
    // installed program must still not put Logger.ini and Logfiles there.
    QTemporaryDir root, data;
    const QDir top(root.path());
    struct Case {
        const char* folder;  // below the temporary root, created writable
        bool installed;
    };
    const Case cases[] = {
        {"usr/bin", true},
        {"usr/local/bin/", true},
        {"home/me/.local/bin", true},
        {"opt/tessaview/bin/../bin", true},
        {"build/src/app", false},
        {"cabin", false},
        {"bin/tessaview", false},
        {"bin/../portable", false},
    };
    const QString slash = QStringLiteral("/");
    for (const Case& c : cases) {
        const QString folder = top.filePath(QString::fromLatin1(c.folder));
        ASSERT_TRUE(QDir().mkpath(folder)) << c.folder;
        ASSERT_TRUE(QFileInfo(folder).isWritable()) << c.folder;
        EXPECT_EQ(LoggerSettings::IsInstalledProgramDir(folder), c.installed) << c.folder;
        const QString expected = c.installed ? data.path() + slash : QFileInfo(folder).absoluteFilePath() + slash;
        EXPECT_EQ(LoggerSettings::ResolveProgramFolder({}, {}, folder, data.path()), expected) << c.folder;
    }
    // --home and TESSAVIEW_HOME still win over an installed copy's choice.
    QTemporaryDir home, environment;
    const QString installed = top.filePath(QStringLiteral("usr/bin"));
    EXPECT_EQ(LoggerSettings::ResolveProgramFolder(home.path(), environment.path(), installed, data.path()),
              home.path() + slash);
    EXPECT_EQ(LoggerSettings::ResolveProgramFolder({}, environment.path(), installed, data.path()),
              environment.path() + slash);
    EXPECT_FALSE(LoggerSettings::IsInstalledProgramDir(QString()));
}

TEST(LoggerSettingsTest, ExplicitHomeIsCreatedAndMadeAbsolute)
{
    QTemporaryDir base;
    const QString nested = base.path() + QStringLiteral("/portable/copy");
    const QString folder = LoggerSettings::ResolveProgramFolder(nested, {}, {}, {});
    EXPECT_EQ(folder, nested + QStringLiteral("/"));
    EXPECT_TRUE(QFileInfo(nested).isDir());
}

}  // namespace
