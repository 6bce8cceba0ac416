// The File List pane: the logs of the Logfiles folder as a tree grouped by
// logger; a double click opens a log, a right click offers Rename and Delete.
#pragma once

#include <QString>
#include <QWidget>

struct AppData;
class ILinkPrompts;
class IMessageSink;
class QAction;
class LogFolder;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

class CFileListPane : public QWidget {
    Q_OBJECT
public:
    explicit CFileListPane(AppData& data, QWidget* parent = nullptr);
    ~CFileListPane() override;

    // Where the pane's messages and its delete question go (the frame passes
    // the message dialog's sink and its prompts). Until one is set, a plain
    // message box is used for it.
    void setMessageSink(IMessageSink* sink);
    void setPrompts(ILinkPrompts* prompts);

    // Rebuilds the tree from <programFolder>Logfiles/. A missing folder shows
    // like an empty one: the root alone, not expanded.
    void RefreshFileList();

    // Opens the selected item when its text is a log name: emits
    // openLogRequested; otherwise nothing happens.
    void OpenSelectedLog();
    // Applies the context-menu rule to a tree text: true (and remembers it as
    // selectedFileName) when Open, Rename and Delete are to be offered.
    bool PrepareFileMenu(const QString& text);
    // The context menu of the selected item, below it (the Menu key, Shift+F10).
    void ShowMenuForSelected();

    // Rename: asks for the new name with CRenameDlg, then ApplyRename.
    void RenameLog();
    // Checks newName and moves selectedFileName to it; the list is refreshed
    // only after a rename that succeeded. Returns whether it did.
    bool ApplyRename(const QString& newName);
    // Delete: asks "Are you sure to delete the log file …?", deletes on OK and
    // refreshes the list.
    void DeleteLog();

    const QString& selectedFileName() const { return selectedFileName_; }
    QTreeWidget* tree() const { return tree_; }
    QMenu* fileMenu() const { return menu_; }
    // Open in the context menu: enabled when the item's text opens as a log.
    QAction* openAction() const { return openAction_; }

signals:
    // A log of the folder is to become the open log. The frame sets
    // currentLogName and currentLogPath (AppData::logFilePath) and loads it.
    void openLogRequested(const QString& fileName);
    // A log of the folder was renamed or deleted (the open log among them,
    // perhaps): the frame keeps the title true.
    void logRenamed(const QString& oldName, const QString& newName);
    void logDeleted(const QString& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LogFolder Folder() const;
    void OnContextMenu(const QPoint& pos);
    void ShowMessage(const QString& text);
    bool AskOkCancel(const QString& text);

    AppData& data_;
    IMessageSink* sink_ = nullptr;
    ILinkPrompts* prompts_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* openAction_ = nullptr;
    QString selectedFileName_;
};
