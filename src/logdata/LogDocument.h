// The open log as a document: every change of the one store goes through
// here, and each change is announced once to whoever shows the log.
#pragma once

#include "logdata/LogFile.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>

class LogStore;

class LogDocument : public QObject {
    Q_OBJECT

public:
    // What changed; one announcement per change.
    enum class ChangeKind {
        Opened,      // another log was read and is now the open log
        Reloaded,    // the open log was read again whole (or restored, when unsaved)
        Narrowed,    // the records were narrowed to a range (zoom, date query)
        Emptied,     // the new, empty document, or the records were dropped (a connect, a download starting)
        Downloaded,  // a downloaded log became the open log (saved or kept unsaved)
        Saved,       // the unsaved download was saved and is the open log at that path
        Renamed,     // the open log's file was renamed: new name and path, same records
    };
    Q_ENUM(ChangeKind)

    // How a log was asked for; only the text for an empty file differs.
    enum class OpenSource {
        Document,  // Open, a dropped file, the command line
        LogList,   // a log of the Logfiles folder, or the open log read again
    };

    // The outcome of reading a log. Empty and Failed leave the store as it
    // was and announce nothing.
    struct LoadResult {
        enum Kind { Loaded, Empty, Failed } kind = Failed;
        QString message;  // for Empty and Failed, the text to show
        bool ok() const { return kind == Loaded; }
    };

    // The outcome of Save As.
    struct SaveResult {
        bool ok = false;
        QString message;  // the reason, when not ok
    };

    explicit LogDocument(LogStore& store, QObject* parent = nullptr);

    LogStore& store() { return store_; }
    const LogStore& store() const { return store_; }

    // Shown for a file of no bytes.
    static constexpr const char* EmptyDocumentText = InvalidDocumentFormatMessage;
    static constexpr const char* EmptyLogText = InvalidLogFormatMessage;
    static QString EmptyFileText(OpenSource source);

    // Reads the file at path and makes it the open log (name, absolute path),
    // forgetting an unsaved download. Statistics are computed, unless
    // deferStatistics asks to leave them for the first drawing (statsPending).
    LoadResult Open(const QString& path, OpenSource source, bool deferStatistics = false);
    // Reads the open log again whole; an unsaved download is restored from the
    // copy kept of it instead. A failure leaves the store as it was.
    LoadResult Reload();
    // Keeps records first … end − 1 (0 <= first < end <= recordCount) and
    // computes their statistics; false, nothing changed, for any other range.
    bool Narrow(int32_t first, int32_t end);
    // Keeps the records of the days from … to; false, the store as it was,
    // when no record falls in the range.
    bool NarrowToDates(int32_t from, int32_t to);
    // The new, empty document: no records, no unsaved download.
    void New();
    // The records are dropped (the open log's name and path stay).
    void ClearRecords();
    // Writes the log into path (complete first, then replacing the file). An
    // unsaved download is saved whole, however narrowed the store is, and
    // from then on is the open log at that path (announced as Saved).
    SaveResult SaveAs(const QString& path);
    // The open log's file now has another name.
    void Rename(const QString& name, const QString& path);
    // The store now holds a downloaded log: computes its statistics and saves
    // it into logFolder, programFolder's log folder, made again when it has
    // gone (a log of no records is not saved; kind is then Saved and path
    // empty). Announces Downloaded once.
    SaveLogResult TakeDownload(const QString& programFolder, const QString& logFolder, const QDateTime& now);
    // Brings statistics left for the first drawing up to date.
    void EnsureStatistics();

signals:
    void changed(LogDocument::ChangeKind kind);

private:
    void announce(ChangeKind kind) { emit changed(kind); }
    LoadResult read(const QString& path, OpenSource source);
    void computeStatistics();

    LogStore& store_;
};
