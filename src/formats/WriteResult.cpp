// The outcome of writing a file, and the one way files are written.
#include "formats/WriteResult.h"

#include "logdata/SavePath.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

QString FileFailureSentence(WriteStage stage, const QString& path, const QString& reason)
{
    return QStringLiteral("The file %1 %2 (%3).")
        .arg(QDir::toNativeSeparators(path),
             stage == WriteStage::Write ? QStringLiteral("cannot be written") : QStringLiteral("cannot be created"),
             reason);
}

WriteResult WriteWholeFile(const QString& path, const WriteFailureText& failureText,
                           const std::function<bool(QIODevice&)>& write)
{
    const auto failed = [&](WriteStage stage, const QString& reason) {
        return WriteResult{false, failureText(stage, path, reason), {}};
    };
    const QFileInfo existing(path);
    if (existing.exists()) {
        if (existing.isDir())
            return failed(WriteStage::Refused, QStringLiteral("it is a folder"));
        if (!existing.isFile())
            return failed(WriteStage::Refused, QStringLiteral("it is not a regular file"));
        // Renaming a finished file over a file the user protected would
        // replace it all the same, so it is refused here.
        if (!existing.isWritable())
            return failed(WriteStage::Refused, QStringLiteral("the file may not be written"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(WriteStage::Create, file.errorString());
    if (!write(file)) {
        // A writer may stop without an error of the file itself (the device
        // then says only "Unknown error").
        const QString reason =
            file.error() == QFileDevice::NoError ? QStringLiteral("a write failed") : file.errorString();
        file.cancelWriting();
        return failed(WriteStage::Write, reason);
    }
    if (!file.commit())
        return failed(WriteStage::Write, file.errorString());
    return {true, {}, {}};
}

WriteResult WriteWholeFile(const QString& path, const QString& failedHeadline,
                           const std::function<bool(QIODevice&)>& write)
{
    return WriteWholeFile(
        path,
        [&failedHeadline](WriteStage stage, const QString& failedPath, const QString& reason) {
            return failedHeadline + QStringLiteral("\r\n") + FileFailureSentence(stage, failedPath, reason);
        },
        write);
}

QString PathWithDefaultExtension(const QString& chosenPath, const QString& extension)
{
    return WithExtensionIfNone(chosenPath, QLatin1StringView(extension.toLatin1()));
}
