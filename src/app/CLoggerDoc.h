// The log document of the main window: the open log's changes (LogDocument)
// with the messages, questions, title and panes that go with them.
#pragma once

#include "logdata/LogDocument.h"

#include <QString>

struct AppData;

class CLoggerDoc {
public:
    // What the document needs of the main window. Until the main window
    // exists the document has no host.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void ShowMessage(const QString& text) = 0;
        virtual void CloseAllPanes() = 0;
        virtual void ShowOnlyPane(int pane) = 0;
        virtual void RedrawChartNow() = 0;   // draws the store and makes currentLogName the title
        virtual void RepaintView() = 0;      // an ordinary repaint of the chart view
        virtual void DocumentTitleChanged(const QString& title) = 0;
        // The question before an unsaved download is closed or replaced.
        enum class UnsavedAnswer { Save, Discard, Stay };
        virtual UnsavedAnswer AskAboutUnsavedLog(const QString& text) = 0;
        // The file to save the log into, as Save As asks for it; empty for cancel.
        virtual QString ChooseSavePath() = 0;
    };

    explicit CLoggerDoc(AppData& data);

    void SetHost(Host* host) { host_ = host; }
    bool MainWindowExists() const { return host_ != nullptr; }

    const QString& title() const { return title_; }
    void SetTitle(const QString& title);

    // The document load (Open, a dropped file, the command line). Returns true
    // when the document counts as opened: a log was read, or the file was
    // empty (its message shown, the store unchanged). A damaged or unreadable
    // file shows its message and returns false, the store unchanged.
    bool OnOpenDocument(const QString& path);
    // True when the last OnOpenDocument read a log (not the empty-file case).
    bool lastOpenReadLog() const { return lastOpenReadLog_; }

    // Save As: the store as it is. The open log's path and name stay. Returns
    // false after reporting a file that cannot be written. An unsaved download
    // is saved whole (however narrowed the store is) and from then on is the
    // open log at that path.
    bool OnSaveDocument(const QString& path);

    // Asked before the open log is closed or replaced (another log opened, a
    // new document, the program closing): true when that may go ahead. An
    // unsaved download asks first: save it (staying when the save is
    // cancelled or fails), discard it, or stay. Always true without a host.
    bool MayCloseOpenLog();
    static constexpr const char* UnsavedLogQuestion =
        "The downloaded log %1 has not been saved. Do you want to save it first?";

    // The new, empty document (Ctrl+N and a start without a file).
    void OnNewDocument();

    // Reads the file at currentLogPath again and shows it; closes every pane.
    // An unsaved download is restored from the copy kept of it instead.
    // Returns false after reporting an empty, damaged or missing file; the
    // store then keeps what it showed.
    bool LoadCurrentLog();
    // Opens a log of the Logfiles folder (the file list) and shows it; closes
    // every pane. A file that cannot be read is reported and leaves the open
    // log, its name and path as they were.
    bool OpenLogFile(const QString& path);

    // A message that arose before the main window existed (a file named on
    // the command line), handed over once to be shown; empty when none.
    QString TakePendingMessage();

    // Texts shown for an empty file.
    static constexpr const char* EmptyDocumentText = LogDocument::EmptyDocumentText;
    static constexpr const char* EmptyLogText = LogDocument::EmptyLogText;

private:
    void showMessage(const QString& text);
    // Reports a failed read, or closes the panes and draws the log read.
    bool showLoadResult(const LogDocument::LoadResult& read);

    AppData& data_;
    Host* host_ = nullptr;
    QString title_;
    bool lastOpenReadLog_ = false;
    QString pendingMessage_;
};
