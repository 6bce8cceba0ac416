// Loading, saving and renewing the log document.
#include "app/CLoggerDoc.h"

#include "app/Commands.h"
#include "link/AppData.h"
#include "logdata/LogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

CLoggerDoc::CLoggerDoc(AppData& data) : data_(data) {}

void CLoggerDoc::SetTitle(const QString& title)
{
    title_ = title;
    if (host_)
        host_->DocumentTitleChanged(title_);
}

void CLoggerDoc::showMessage(const QString& text)
{
    if (host_) {
        host_->ShowMessage(text);
        return;
    }
    if (!pendingMessage_.isEmpty())
        pendingMessage_ += QStringLiteral("\r\n");
    pendingMessage_ += text;
}

QString CLoggerDoc::TakePendingMessage()
{
    QString m;
    m.swap(pendingMessage_);
    return m;
}

bool CLoggerDoc::OnOpenDocument(const QString& path)
{
    lastOpenReadLog_ = false;
    LogStore& store = data_.store;
    const LogReadResult read = ReadLogFile(path, store);
    if (read.error == LogReadError::Empty) {
        // The empty file still counts as opened; the store keeps its log.
        showMessage(QString::fromLatin1(EmptyDocumentText));
        return true;
    }
    if (!read.ok()) {
        showMessage(read.message);
        return false;
    }
    const QFileInfo info(path);
    store.currentLogName = info.fileName();
    store.currentLogPath = info.absoluteFilePath();
    lastOpenReadLog_ = true;
    if (MainWindowExists()) {
        if (store.recordCount >= 1)
            store.ComputeStatistics();
    } else {
        // Read while the program starts: the first drawing computes them.
        store.statsPending = true;
    }
    SetTitle(store.currentLogName);
    return true;
}

bool CLoggerDoc::OnSaveDocument(const QString& path)
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && !WriteLogFile(file, data_.store)) {
        file.cancelWriting();
        ok = false;
    }
    if (ok)
        ok = file.commit();
    if (!ok) {
        const QString reason = file.errorString();
        showMessage(QStringLiteral("The log cannot be saved into %1: %2.").arg(QDir::toNativeSeparators(path), reason));
    }
    return ok;
}

void CLoggerDoc::OnNewDocument()
{
    data_.store.recordCount = 0;
    SetTitle(QStringLiteral(" "));
    if (!host_)
        return;
    host_->ClearRecordList();
    host_->CloseAllPanes();
    host_->ShowOnlyPane(pane::DataList);
    host_->RepaintView();
}

bool CLoggerDoc::LoadCurrentLog()
{
    LogStore& store = data_.store;
    const LogReadResult read = ReadLogFile(store.currentLogPath, store);
    if (read.error == LogReadError::Empty) {
        showMessage(QString::fromLatin1(EmptyLogText));
        return false;
    }
    if (!read.ok()) {
        showMessage(read.message);
        return false;
    }
    if (store.recordCount >= 1)
        store.ComputeStatistics();
    if (host_) {
        host_->CloseAllPanes();
        host_->RedrawChartNow();
    }
    return true;
}
