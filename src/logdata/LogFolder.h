// The Logfiles folder: listing its logs grouped by logger, and the name rules,
// renaming and deletion that the file list pane offers.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Name of the folder below the program folder that holds the .logu logs.
inline constexpr const char* LogFolderName = "Logfiles";

// <programFolder>Logfiles/; programFolder ends with a separator (an empty one
// gives the relative "Logfiles/").
QString LogFolderPath(const QString& programFolder);

// Logs whose names share the text before their first "_" (normally the logger
// name that a download puts there).
struct LogFileGroup {
    QString name;
    QStringList files;
};

// Outcome of a rename or delete.
struct LogFileResult {
    bool ok = false;
    QString message;  // for the user, naming the file and the reason; empty when done
};

class LogFolder {
public:
    // folder is the Logfiles folder; with or without a trailing separator.
    explicit LogFolder(const QString& folder);

    const QString& folder() const { return folder_; }
    QString PathOf(const QString& fileName) const;

    // The files matching "*_*.logu", sorted by name so that every logger
    // forms one group, without names shorter than 8 characters. A missing
    // folder lists as an empty one.
    QList<LogFileGroup> List() const;

    // Moves fileName to newName inside the folder. Refuses to replace an
    // existing file, so a rename never destroys another log.
    LogFileResult Rename(const QString& fileName, const QString& newName) const;
    LogFileResult Remove(const QString& fileName) const;

    // The text before the first "_"; empty when there is none.
    static QString GroupOf(const QString& fileName);
    // A tree text opens as a log when it has 8 characters or more and its
    // first "_" exists and is not its first character.
    static bool CanOpen(const QString& text);
    // The Rename/Delete menu is offered when the text holds "logu" anywhere
    // but at its very start.
    static bool OffersFileMenu(const QString& text);
    // A new name needs a first "_" and a first ".logu", neither at the start,
    // and must be usable as a single file name (no folder separators or other
    // characters a file name cannot hold).
    static bool IsValidNewName(const QString& name);

private:
    QString folder_;  // ends with '/'
};
