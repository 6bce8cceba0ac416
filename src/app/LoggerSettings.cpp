// Reading and writing Logger.ini and settling the program folder.
#include "app/LoggerSettings.h"

#include "logdata/LogFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// The name of the folder the install rules put the programs in.
#ifndef TV_INSTALL_BINDIR_NAME
#define TV_INSTALL_BINDIR_NAME "bin"
#endif

int LoggerSettings::Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // Defaults first, so that a short file changes only the bytes it holds.
    uint8_t bytes[FileSize] = {3, uint8_t(19200 & 0xFF), uint8_t(19200 >> 8), 1};
    const qint64 got = file.read(reinterpret_cast<char*>(bytes), FileSize);
    const int taken = got > 0 ? int(got) : 0;
    portNumber = bytes[0];
    lineSpeed = uint16_t(bytes[1] + 256 * bytes[2]);
    interval = bytes[3];
    return taken;
}

bool LoggerSettings::Write(const QString& path) const
{
    QSaveFile file(path);
    // A folder we may not create files in can still hold a writable Logger.ini.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const char bytes[FileSize] = {char(portNumber), char(lineSpeed & 0xFF), char(lineSpeed / 256), char(interval)};
    if (file.write(bytes, FileSize) != FileSize) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

namespace {

QString withSlash(const QString& folder)
{
    QString f = QDir::fromNativeSeparators(folder);
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

QString madeAbsolute(const QString& folder)
{
    const QString abs = QFileInfo(folder).absoluteFilePath();
    QDir().mkpath(abs);
    return withSlash(abs);
}

}  // namespace

QString LoggerSettings::ResolveProgramFolder(const QString& explicitHome, const QString& environmentHome,
                                             const QString& programDir, const QString& userDataDir)
{
    if (!explicitHome.isEmpty())
        return madeAbsolute(explicitHome);
    if (!environmentHome.isEmpty())
        return madeAbsolute(environmentHome);
    const QFileInfo program(programDir);
    if (program.isDir() && program.isWritable() && !IsInstalledProgramDir(programDir))
        return withSlash(program.absoluteFilePath());
    return madeAbsolute(userDataDir);
}

bool LoggerSettings::IsInstalledProgramDir(const QString& programDir)
{
    if (programDir.isEmpty())
        return false;
    // The folder's own name, whatever the prefix, so that a relocated install
    // counts as one too.
    const QString name = QFileInfo(QDir::cleanPath(QFileInfo(programDir).absoluteFilePath())).fileName();
    return name == QStringLiteral(TV_INSTALL_BINDIR_NAME);
}

void LoggerSettings::EnsureLogFolder(const QString& programFolder)
{
    const QString folder = programFolder + QLatin1String(LogFolderName);
    if (!QFileInfo::exists(folder))
        QDir().mkdir(folder);
}
