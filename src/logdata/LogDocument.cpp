// The open log as a document: open, read again, narrow, empty, save, rename
// and take a download, each announced once.
#include "logdata/LogDocument.h"

#include "logdata/DateQuery.h"
#include "logdata/LogStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

LogDocument::LogDocument(LogStore& store, QObject* parent) : QObject(parent), store_(store) {}

QString LogDocument::EmptyFileText(OpenSource source)
{
    return QString::fromLatin1(source == OpenSource::Document ? EmptyDocumentText : EmptyLogText);
}

void LogDocument::computeStatistics()
{
    store_.statsPending = false;
    if (store_.recordCount >= 1)
        store_.ComputeStatistics();
}

void LogDocument::EnsureStatistics()
{
    store_.EnsureStatistics();
}

LogDocument::LoadResult LogDocument::read(const QString& path, OpenSource source)
{
    // ReadLogFile reads into the scratch store: a failure leaves the open log as it was.
    const LogReadResult r = ReadLogFile(path, store_);
    LoadResult result;
    if (r.error == LogReadError::Empty) {
        result.kind = LoadResult::Empty;
        result.message = EmptyFileText(source);
    } else if (!r.ok()) {
        result.kind = LoadResult::Failed;
        result.message = r.message;
    } else {
        result.kind = LoadResult::Loaded;
    }
    return result;
}

LogDocument::LoadResult LogDocument::Open(const QString& path, OpenSource source, bool deferStatistics)
{
    const LoadResult result = read(path, source);
    if (!result.ok())
        return result;
    const QFileInfo info(path);
    store_.currentLogName = info.fileName();
    store_.currentLogPath = info.isAbsolute() ? path : info.absoluteFilePath();
    store_.ForgetUnsaved();
    if (deferStatistics)
        store_.statsPending = true;
    else
        computeStatistics();
    announce(ChangeKind::Opened);
    return result;
}

LogDocument::LoadResult LogDocument::Reload()
{
    // A download that could not be saved has no file to read again.
    if (!store_.RestoreUnsaved()) {
        const LoadResult result = read(store_.currentLogPath, OpenSource::LogList);
        if (!result.ok())
            return result;
    }
    computeStatistics();
    announce(ChangeKind::Reloaded);
    return LoadResult{LoadResult::Loaded, {}};
}

bool LogDocument::Narrow(int32_t first, int32_t end)
{
    if (first >= end || first < 0 || uint32_t(end) > store_.recordCount)
        return false;
    store_.NarrowRecords(first, end);
    store_.statsPending = false;
    announce(ChangeKind::Narrowed);
    return true;
}

bool LogDocument::NarrowToDates(int32_t from, int32_t to)
{
    const DateRangeIndices range = FindDateRange(store_, from, to);
    return range.found && Narrow(range.first, range.end);
}

void LogDocument::New()
{
    store_.recordCount = 0;
    store_.ForgetUnsaved();
    announce(ChangeKind::Emptied);
}

void LogDocument::ClearRecords()
{
    store_.recordCount = 0;
    announce(ChangeKind::Emptied);
}

LogDocument::SaveResult LogDocument::SaveAs(const QString& path)
{
    const LogStore* unsaved = store_.unsavedLog();
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && !WriteLogFile(file, unsaved ? *unsaved : store_)) {
        file.cancelWriting();
        ok = false;
    }
    if (ok)
        ok = file.commit();
    if (!ok) {
        return {false, QStringLiteral("The log cannot be saved into %1: %2.")
                           .arg(QDir::toNativeSeparators(path), file.errorString())};
    }
    if (unsaved) {
        // The download now has a file: it is the open log at that path.
        const QFileInfo info(path);
        store_.currentLogPath = info.absoluteFilePath();
        store_.currentLogName = info.fileName();
        store_.ForgetUnsaved();
        announce(ChangeKind::Saved);
    }
    return {true, {}};
}

void LogDocument::Rename(const QString& name, const QString& path)
{
    store_.currentLogName = name;
    store_.currentLogPath = path;
    announce(ChangeKind::Renamed);
}

SaveLogResult LogDocument::TakeDownload(const QString& programFolder, const QString& logFolder, const QDateTime& now)
{
    SaveLogResult saved;
    saved.kind = SaveLogResult::Saved;
    store_.statsPending = false;
    // A log of no records is not saved: its name would come from the
    // computer's clock and could replace a real log of the same minute.
    if (store_.recordCount >= 1) {
        store_.ComputeStatistics();
        // The folder is made at start-up; make it again rather than lose the
        // download when it has gone since.
        QDir().mkpath(logFolder);
        saved = SaveDownloadedLog(store_, programFolder, now);
    }
    announce(ChangeKind::Downloaded);
    return saved;
}
