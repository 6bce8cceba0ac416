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

// Writes the file at path through write(device), which returns false when a
// write fails. Only a regular file is ever replaced: a folder, device or pipe
// of that name is refused. The old file stays as it was until the new one is
// complete, and a failed write leaves nothing behind. failedHeadline opens
// every failure message (for example "Failed to export to csv file!").
WriteResult WriteWholeFile(const QString& path, const QString& failedHeadline,
                           const std::function<bool(QIODevice&)>& write);

// The path written for a path the user chose: extension (with its dot) is
// appended when the file name itself holds no '.'; dots in folder names do
// not count.
QString PathWithDefaultExtension(const QString& chosenPath, const QString& extension);
