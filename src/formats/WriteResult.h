// The outcome of writing a file, and the one way files are written: whole
// into a temporary file beside the target, which then replaces the old file.
#pragma once

#include <QString>

#include <functional>

class QIODevice;

struct WriteResult {
    bool ok = false;
    QString message;  // for the user when !ok: what failed, the path and the reason
    QString notice;   // for the user after a success that left something out; usually empty
};

// Where writing a file failed: what bears the name may not be replaced (a
// folder, a device, a protected file), the new file could not be made, or
// writing or completing it failed.
enum class WriteStage { Refused, Create, Write };

// "The file <path> cannot be created (<reason>)." (Refused, Create) or
// "... cannot be written (<reason>).", the path in the system's own separators.
QString FileFailureSentence(WriteStage stage, const QString& path, const QString& reason);

// Puts a failure into words for the user.
using WriteFailureText = std::function<QString(WriteStage stage, const QString& path, const QString& reason)>;

// Writes the file at path through write(device), which returns false when a
// write fails. Only a regular file that may be written is ever replaced: a
// folder, device or pipe of that name, or a file the user protected, is
// refused. The old file stays as it was until the new one is complete, and a
// failed write leaves nothing behind. failureText words every failure.
WriteResult WriteWholeFile(const QString& path, const WriteFailureText& failureText,
                           const std::function<bool(QIODevice&)>& write);

// As above; every failure message is failedHeadline (for example "Failed to
// export to csv file!"), CR LF, then FileFailureSentence.
WriteResult WriteWholeFile(const QString& path, const QString& failedHeadline,
                           const std::function<bool(QIODevice&)>& write);

// The path written for a path the user chose: extension (with its dot) is
// appended when the file name itself holds no '.'; dots in folder names do
// not count.
QString PathWithDefaultExtension(const QString& chosenPath, const QString& extension);
