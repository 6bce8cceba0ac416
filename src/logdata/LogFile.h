// The .logu file: a 46-byte header and 26-byte records, little-endian.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

class LogStore;
class QIODevice;

inline constexpr int LogHeaderSize = 46;
inline constexpr int LogRecordSize = 26;

// What the user is told about a file of 0 bytes: when the open log is read
// again, and when a document is opened (that text begins with a line break).
inline constexpr const char* InvalidLogFormatMessage = "The format of the log file is invalid.";
inline constexpr const char* InvalidDocumentFormatMessage = "\r\nFailed to open logu file: invalid format.";

enum class LogReadError {
    None,
    Empty,           // a file of 0 bytes; the callers show their own text for it
    OpenFailed,      // the file cannot be opened
    ShortHeader,     // fewer bytes than a header
    TooManyRecords,  // more records announced than the store holds
    ShortRecords,    // fewer bytes than the records announced
    ReadFailed,      // the device failed part-way
};

struct LogReadResult {
    LogReadError error = LogReadError::None;
    QString message;  // for the user; empty for None and Empty
    bool ok() const { return error == LogReadError::None; }
};

// Reads one file into the store, in 64 KiB chunks decoded record by record.
// The file is read into the store's scratch store and taken over only when
// it was read whole, so a refused file or a read that fails part-way leaves
// the store with the log it had. displayName names the file in messages.
// Does not compute the statistics.
LogReadResult ReadLogFile(QIODevice& stream, LogStore& store, const QString& displayName);
LogReadResult ReadLogFile(const QString& path, LogStore& store);

// Writes the store in the same order and widths as ReadLogFile reads it.
// Returns false when the device refuses a write.
bool WriteLogFile(QIODevice& stream, const LogStore& store);

// True when a name can be a file name on Windows and Linux alike: no
// <>:"/\|?* and no control characters.
bool IsValidFileNamePart(const QString& name);

// Name of a saved download, "<loggerName>_YYYYMMDD_hhmm.logu", from the last
// record's time stamp; an empty log takes the time from `now`. A stamp
// character that cannot stand in a file name (a damaged stamp) becomes '_'.
QString SavedLogName(const LogStore& store, const QDateTime& now);
// The same with "default" in place of the logger name.
QString TemporaryLogName(const LogStore& store, const QDateTime& now);

// Saves the store as a new file in <programFolder>Logfiles/ (programFolder ends
// with a separator). A file of the same name is replaced only when it is a
// sound log of the same loggerId, and only once the new one is complete;
// otherwise the log goes to the first free "<name>_2.logu", "<name>_3.logu", ….
// Sets currentLogName, and currentLogPath when a file was written. When no
// file can be written the download stays the open log, unsaved:
// currentLogPath becomes empty and the store keeps the whole log
// (LogStore::unsaved()).
struct SaveLogResult {
    enum Kind { Saved, SavedUnderTemporaryName, Failed } kind = Failed;
    QString path;     // the file written, or the one that could not be written
    QString message;  // for the user; empty when saved under its own name
};
SaveLogResult SaveDownloadedLog(LogStore& store, const QString& programFolder, const QDateTime& now);

// The document title of the open log: its file name, marked when the log is
// a download that could not be saved, or when its file is no longer on disk.
QString OpenLogTitle(const LogStore& store);
