// The extension rule of the export save paths: only the file name counts, so
// a dot in a folder name (~/.local/…, /home/first.last/…) changes nothing.
#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

// What follows the last '/' of a path; empty when the path ends with '/'.
QStringView FileNamePart(const QString& path);

// The path with extension (".txt") appended when its file name holds no '.'.
// A path naming a folder (ending with '/') stays as it is.
QString WithExtensionIfNone(const QString& path, QLatin1StringView extension);

// The path with extension (".bmp") appended unless its file name already
// ends with it, in the same case. A path ending with '/' stays as it is.
QString WithExtensionUnlessEnding(const QString& path, QLatin1StringView extension);
