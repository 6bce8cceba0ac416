// The main window's commands: their actions, the menu bar, the three
// toolbars, the recent-file entries, the keys, and the enabling rules applied
// to all of them.
#pragma once

#include "app/CommandRules.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

class CommandBars : public QObject {
    Q_OBJECT
public:
    // What the enabling rules read, asked afresh each time they are applied.
    using StateSource = std::function<CommandState()>;

    // Builds the actions, the menus and the toolbars into window.
    CommandBars(QMainWindow& window, StateSource state);

    QAction* action(int id) const { return actions_.value(id); }
    QList<QToolBar*> toolBars() const { return toolBars_; }
    QList<QAction*> recentActions() const { return recentActions_; }

    // Applies every enabling rule and tells the connection text. Runs when a
    // state the rules read has changed.
    void UpdateCommandUI();
    // How many times the rules were applied, for tests.
    int updateCount() const { return updateCount_; }

    // The recent-file entries of the File menu, in this order.
    void RebuildRecentMenu(const QStringList& files);

signals:
    // A command's action, menu entry, toolbar button or key was used.
    void commandTriggered(int id);
    // An entry of the recent-file list was chosen.
    void recentFileTriggered(const QString& path);
    // F6 and Shift+F6: the focus moves to the next or previous pane.
    void focusCycleRequested(bool forward);
    // The status bar's connection text, after each application of the rules.
    void connectionTextChanged(const QString& text);

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateShortcuts();

    QMainWindow& window_;
    StateSource state_;
    QHash<int, QAction*> actions_;
    QList<QToolBar*> toolBars_;
    QMenu* fileMenu_ = nullptr;
    QList<QAction*> recentActions_;
    int updateCount_ = 0;
};
