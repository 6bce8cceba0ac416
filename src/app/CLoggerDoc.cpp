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
    store.ForgetUnsaved();
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
    LogStore& store = data_.store;
    const LogStore* unsaved = store.unsavedLog();
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && !WriteLogFile(file, unsaved ? *unsaved : store)) {
        file.cancelWriting();
        ok = false;
    }
    if (ok)
        ok = file.commit();
    if (!ok) {
        const QString reason = file.errorString();
        showMessage(QStringLiteral("The log cannot be saved into %1: %2.").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    if (unsaved) {
        // The download now has a file: it is the open log at that path.
        const QFileInfo info(path);
        store.currentLogPath = info.absoluteFilePath();
        store.currentLogName = info.fileName();
        store.ForgetUnsaved();
        SetTitle(OpenLogTitle(store));
    }
    return true;
}

bool CLoggerDoc::MayCloseOpenLog()
{
    LogStore& store = data_.store;
    if (!store.unsaved() || !host_)
        return true;
    const QString question = QString::fromLatin1(UnsavedLogQuestion).arg(store.currentLogName);
    switch (host_->AskAboutUnsavedLog(question)) {
    case Host::UnsavedAnswer::Discard:
        return true;
    case Host::UnsavedAnswer::Stay:
        return false;
    case Host::UnsavedAnswer::Save:
        break;
    }
    const QString path = host_->ChooseSavePath();
    return !path.isEmpty() && OnSaveDocument(path);
}

void CLoggerDoc::OnNewDocument()
{
    data_.store.recordCount = 0;
    data_.store.ForgetUnsaved();
    SetTitle(QStringLiteral(" "));
    if (!host_)
        return;
    host_->ClearRecordList();
    host_->CloseAllPanes();
    host_->ShowOnlyPane(pane::DataList);
    host_->RepaintView();
}

bool CLoggerDoc::readLog(const QString& path)
{
    // The file is read into a scratch store: a failure leaves the open log as it was.
    const LogReadResult read = ReadLogFile(path, data_.store);
    if (read.error == LogReadError::Empty) {
        showMessage(QString::fromLatin1(EmptyLogText));
        return false;
    }
    if (!read.ok()) {
        showMessage(read.message);
        return false;
    }
    return true;
}

void CLoggerDoc::showLoadedLog()
{
    LogStore& store = data_.store;
    if (store.recordCount >= 1)
        store.ComputeStatistics();
    if (host_) {
        host_->CloseAllPanes();
        host_->RedrawChartNow();
    }
}

bool CLoggerDoc::LoadCurrentLog()
{
    LogStore& store = data_.store;
    // A download that could not be saved has no file to read again.
    if (!store.RestoreUnsaved() && !readLog(store.currentLogPath))
        return false;
    showLoadedLog();
    return true;
}

bool CLoggerDoc::OpenLogFile(const QString& path)
{
    if (!readLog(path))
        return false;
    LogStore& store = data_.store;
    store.currentLogPath = path;
    store.currentLogName = QFileInfo(path).fileName();
    store.ForgetUnsaved();
    showLoadedLog();
    return true;
}
