// The Logfiles folder: listing, name rules, rename and delete.
#include "logdata/LogFolder.h"

#include "logdata/LogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int MinimumListedLength = 8;

}  // namespace

QString LogFolderPath(const QString& programFolder)
{
    return programFolder + QLatin1String(LogFolderName) + QLatin1Char('/');
}

LogFolder::LogFolder(const QString& folder) : folder_(folder)
{
    if (!folder_.isEmpty() && !folder_.endsWith(QLatin1Char('/')) && !folder_.endsWith(QLatin1Char('\\')))
        folder_ += QLatin1Char('/');
}

QString LogFolder::PathOf(const QString& fileName) const { return folder_ + fileName; }

QList<LogFileGroup> LogFolder::List() const
{
    QDir dir(folder_);
    // Hidden files count too, as on a system without a hidden-name convention;
    // folders whose names happen to match are not logs.
    QStringList names = dir.entryList({QStringLiteral("*_*.logu")}, QDir::Files | QDir::Hidden, QDir::NoSort);
    // Plain code-unit order: every name of one group starts with "<group>_",
    // so sorting puts each group's files next to each other.
    std::sort(names.begin(), names.end());

    QList<LogFileGroup> groups;
    for (const QString& name : names) {
        if (name.size() < MinimumListedLength)
            continue;
        const QString group = GroupOf(name);
        if (groups.isEmpty() || groups.last().name != group)
            groups.append({group, {}});
        groups.last().files.append(name);
    }
    return groups;
}

LogFileResult LogFolder::Rename(const QString& fileName, const QString& newName) const
{
    const QString from = PathOf(fileName);
    const QString to = PathOf(newName);
    if (fileName == newName)
        return {true, {}};
    const QFileInfo target(to);
    // A case-only change on a case-insensitive file system finds the file
    // itself under the new name; that is not another log.
    if ((target.exists() || target.isSymLink()) && !(QFileInfo(from).exists() && target == QFileInfo(from)))
        return {false, QStringLiteral("Cannot rename %1: a file named %2 already exists.").arg(from, newName)};
    QFile file(from);
    if (!file.rename(to))
        return {false, QStringLiteral("Cannot rename %1: %2").arg(from, file.errorString())};
    return {true, {}};
}

LogFileResult LogFolder::Remove(const QString& fileName) const
{
    QFile file(PathOf(fileName));
    if (!file.remove())
        return {false, QStringLiteral("Cannot delete %1: %2").arg(file.fileName(), file.errorString())};
    return {true, {}};
}

QString LogFolder::GroupOf(const QString& fileName)
{
    const qsizetype underscore = fileName.indexOf(QLatin1Char('_'));
    return underscore < 0 ? QString() : fileName.left(underscore);
}

bool LogFolder::CanOpen(const QString& text)
{
    return text.size() >= MinimumListedLength && text.indexOf(QLatin1Char('_')) > 0;
}

bool LogFolder::OffersFileMenu(const QString& text) { return text.indexOf(QLatin1String("logu"), 1) >= 0; }

bool LogFolder::IsValidNewName(const QString& name)
{
    return name.indexOf(QLatin1Char('_')) > 0 && name.indexOf(QLatin1String(".logu")) > 0
           && IsValidFileNamePart(name);
}
