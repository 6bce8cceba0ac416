// The extension rule of the export save paths.
#include "logdata/SavePath.h"

QStringView FileNamePart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return QStringView(path).mid(slash + 1);
}

QString WithExtensionIfNone(const QString& path, QLatin1StringView extension)
{
    const QStringView name = FileNamePart(path);
    if (name.isEmpty() || name.contains(QLatin1Char('.')))
        return path;
    return path + extension;
}

QString WithExtensionUnlessEnding(const QString& path, QLatin1StringView extension)
{
    const QStringView name = FileNamePart(path);
    if (name.isEmpty() || name.endsWith(extension))
        return path;
    return path + extension;
}
