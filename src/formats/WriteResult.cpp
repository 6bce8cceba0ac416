// The outcome of writing a file, and the one way files are written.
#include "formats/WriteResult.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString Failure(const QString& headline, const char* what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1\r\nThe file %2 %3 (%4).")
        .arg(headline, QDir::toNativeSeparators(path), QLatin1String(what), reason);
}

}  // namespace

WriteResult WriteWholeFile(const QString& path, const QString& failedHeadline,
                           const std::function<bool(QIODevice&)>& write)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return {false,
                Failure(failedHeadline, "cannot be created", path,
                        existing.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file")),
                {}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, Failure(failedHeadline, "cannot be created", path, file.errorString()), {}};
    if (!write(file)) {
        const QString reason = file.errorString().isEmpty() ? QStringLiteral("a write failed") : file.errorString();
        file.cancelWriting();
        return {false, Failure(failedHeadline, "cannot be written", path, reason), {}};
    }
    if (!file.commit())
        return {false, Failure(failedHeadline, "cannot be written", path, file.errorString()), {}};
    return {true, {}, {}};
}

QString PathWithDefaultExtension(const QString& chosenPath, const QString& extension)
{
    if (QFileInfo(chosenPath).fileName().contains(QLatin1Char('.')))
        return chosenPath;
    return chosenPath + extension;
}
