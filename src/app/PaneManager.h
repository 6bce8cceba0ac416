// The four docking panes along the left edge of the main window (and the
// Summary pane beside them): their docks, their windows made on first show,
// which one is current, and the keyboard focus cycling through them.
#pragma once

#include "app/ReportPrinter.h"

#include <QHash>
#include <QObject>

struct AppData;
class CPropertiesPane;
class QDockWidget;
class QMainWindow;
class QWidget;

class PaneManager : public QObject, public IReportPanes {
    Q_OBJECT
public:
    // Makes the docks in window; only the File List pane shows at first.
    PaneManager(QMainWindow& window, AppData& data);

    // Panes: 1 File List, 2 Setup, 3 Data List, 4 Query, 5 Summary (pane::Code).
    void ShowOnlyPane(int paneCode);
    // IReportPanes: shows the pane named by currentPane again, leaving the
    // others as they are; closes every pane.
    void RestoreCurrentPane() override;
    void CloseAllPanes() override;
    int currentPane() const { return currentPane_; }

    // Whether the pane with the given title id (pane::Id) is open.
    bool IsPaneOpen(int paneId) const;
    QDockWidget* paneDock(int paneId) const;
    // The window shown in a pane, or nullptr before it was first shown.
    QWidget* paneWindow(int paneId) const;
    // Makes the pane's window the first time it is needed (announced by
    // paneAttached); returns it.
    QWidget* AttachPaneWindow(int paneId);
    // The setup pane, made when it is first needed.
    CPropertiesPane* setupPane();

    // The File List reads its folder again; the Summary analyses the shown
    // records again (each only once its window exists).
    void RefreshFileList();
    void RefreshSummary();

    // Moves the keyboard focus to the next or previous open pane or to last
    // (the view), in the order they stand on screen.
    void FocusNextPane(bool forward, QWidget* last);

signals:
    // A pane's window was just made; the frame connects its requests.
    void paneAttached(int paneId, QWidget* window);

private:
    void ShowPane(int paneId);
    // The Data List dock grows to show every column of its table.
    void FitDataList();
    void FitSummary();

    QMainWindow& window_;
    AppData& data_;
    QHash<int, QDockWidget*> docks_;
    int currentPane_ = 1;
};
