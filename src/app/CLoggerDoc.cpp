// The main window's log document: the open log's changes with their messages,
// questions, title and panes.
#include "app/CLoggerDoc.h"

#include "app/Commands.h"
#include "link/AppData.h"
#include "logdata/LogDocument.h"
#include "logdata/LogFile.h"

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
    // Read while the program starts, the statistics wait for the first drawing.
    const LogDocument::LoadResult read =
        data_.document.Open(path, LogDocument::OpenSource::Document, !MainWindowExists());
    if (read.kind == LogDocument::LoadResult::Empty) {
        // The empty file still counts as opened; the store keeps its log.
        showMessage(read.message);
        return true;
    }
    if (!read.ok()) {
        showMessage(read.message);
        return false;
    }
    lastOpenReadLog_ = true;
    SetTitle(data_.store.currentLogName);
    return true;
}

bool CLoggerDoc::OnSaveDocument(const QString& path)
{
    const bool wasUnsaved = data_.store.unsaved();
    const LogDocument::SaveResult saved = data_.document.SaveAs(path);
    if (!saved.ok) {
        showMessage(saved.message);
        return false;
    }
    if (wasUnsaved)
        SetTitle(OpenLogTitle(data_.store));
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
    data_.document.New();
    SetTitle(QStringLiteral(" "));
    if (!host_)
        return;
    host_->CloseAllPanes();
    host_->ShowOnlyPane(pane::DataList);
    host_->RepaintView();
}

bool CLoggerDoc::showLoadResult(const LogDocument::LoadResult& read)
{
    if (!read.ok()) {
        showMessage(read.message);
        return false;
    }
    if (host_) {
        host_->CloseAllPanes();
        host_->RedrawChartNow();
    }
    return true;
}

bool CLoggerDoc::LoadCurrentLog()
{
    return showLoadResult(data_.document.Reload());
}

bool CLoggerDoc::OpenLogFile(const QString& path)
{
    return showLoadResult(data_.document.Open(path, LogDocument::OpenSource::LogList));
}
