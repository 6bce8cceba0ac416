// The docking panes of the main window.
#include "app/PaneManager.h"

#include "app/Commands.h"
#include "panes/CDataListPane.h"
#include "panes/CDatePickerDlg.h"
#include "panes/CFileListPane.h"
#include "panes/CPropertiesPane.h"
#include "panes/CSummaryPane.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>

#include <algorithm>

namespace {

struct PaneInfo {
    int id;
    const char* title;
    int width;
};

// In the order they are created; all dock on the left.
constexpr PaneInfo Panes[] = {
    {pane::QueryId, "Query", 256},
    {pane::DataListId, "Data List", 256},
    {pane::SetupId, "Setup", 256},
    {pane::SummaryId, "Summary", 256},
    {pane::FileListId, "File List", 256},
};

int PaneIdOf(int code)
{
    switch (code) {
    case pane::FileList: return pane::FileListId;
    case pane::Setup: return pane::SetupId;
    case pane::DataList: return pane::DataListId;
    case pane::Query: return pane::QueryId;
    case pane::Summary: return pane::SummaryId;
    default: return 0;
    }
}

}  // namespace

PaneManager::PaneManager(QMainWindow& window, AppData& data) : QObject(&window), window_(window), data_(data)
{
    for (const PaneInfo& info : Panes) {
        auto* dock = new QDockWidget(QString::fromLatin1(info.title), &window_);
        dock->setObjectName(QStringLiteral("pane%1").arg(info.id));
        dock->setAllowedAreas(Qt::AllDockWidgetAreas);
        window_.addDockWidget(Qt::LeftDockWidgetArea, dock);
        docks_.insert(info.id, dock);
        const int id = info.id;
        // A pane the user brings back by other means still gets its window.
        connect(dock, &QDockWidget::visibilityChanged, this, [this, id](bool visible) {
            if (visible)
                AttachPaneWindow(id);
            // The store may have changed unseen (a connect empties it).
            if (visible && id == pane::SummaryId)
                RefreshSummary();
        });
    }
    AttachPaneWindow(pane::FileListId);
    for (int id : {int(pane::QueryId), int(pane::SetupId), int(pane::DataListId), int(pane::SummaryId)})
        docks_.value(id)->hide();
    window_.resizeDocks({docks_.value(pane::FileListId)}, {256}, Qt::Horizontal);
}

QDockWidget* PaneManager::paneDock(int paneId) const
{
    return docks_.value(paneId);
}

QWidget* PaneManager::paneWindow(int paneId) const
{
    QDockWidget* d = docks_.value(paneId);
    return d ? d->widget() : nullptr;
}

bool PaneManager::IsPaneOpen(int paneId) const
{
    QDockWidget* d = docks_.value(paneId);
    return d && !d->isHidden();
}

QWidget* PaneManager::AttachPaneWindow(int paneId)
{
    QDockWidget* dock = docks_.value(paneId);
    if (!dock)
        return nullptr;
    if (dock->widget())
        return dock->widget();
    QWidget* w = nullptr;
    switch (paneId) {
    case pane::FileListId: w = new CFileListPane(data_, dock); break;
    case pane::DataListId: {
        // It follows the open log from now on; until now it has seen nothing of it.
        auto* list = new CDataListPane(data_, dock);
        list->FillRecordList();
        w = list;
        break;
    }
    case pane::SetupId: w = new CPropertiesPane(data_, dock); break;
    case pane::SummaryId: w = new CSummaryPane(data_, dock); break;
    case pane::QueryId: w = new CDatePickerDlg(data_, dock); break;
    default: return nullptr;
    }
    dock->setWidget(w);
    emit paneAttached(paneId, w);
    return w;
}

CPropertiesPane* PaneManager::setupPane()
{
    return qobject_cast<CPropertiesPane*>(AttachPaneWindow(pane::SetupId));
}

void PaneManager::ShowPane(int paneId)
{
    QDockWidget* dock = docks_.value(paneId);
    if (!dock)
        return;
    QWidget* w = AttachPaneWindow(paneId);
    dock->show();
    dock->raise();
    if (w)
        w->setFocus(Qt::OtherFocusReason);
}

void PaneManager::FitDataList()
{
    auto* list = qobject_cast<CDataListPane*>(paneWindow(pane::DataListId));
    if (!list)
        return;
    // Wide enough for every value column; never narrower than the user made it.
    QDockWidget* dock = docks_.value(pane::DataListId);
    const int needed = list->FullWidth() + (dock->width() - list->width());
    if (!dock->isFloating() && dock->width() < needed)
        window_.resizeDocks({dock}, {needed}, Qt::Horizontal);
}

void PaneManager::FitSummary()
{
    // The summary's time stamps need more room than the other panes.
    if (auto* summary = qobject_cast<CSummaryPane*>(paneWindow(pane::SummaryId)))
        if (QDockWidget* dock = docks_.value(pane::SummaryId); dock->width() < summary->preferredWidth())
            window_.resizeDocks({dock}, {summary->preferredWidth()}, Qt::Horizontal);
}

void PaneManager::RefreshFileList()
{
    if (auto* list = qobject_cast<CFileListPane*>(paneWindow(pane::FileListId)))
        list->RefreshFileList();
}

void PaneManager::RefreshSummary()
{
    // Made once first shown, the pane follows every change of the records
    // from then on, shown or not; a pass over them takes a few milliseconds.
    if (auto* summary = qobject_cast<CSummaryPane*>(paneWindow(pane::SummaryId)))
        summary->Recompute();
}

void PaneManager::CloseAllPanes()
{
    for (QDockWidget* d : std::as_const(docks_))
        d->hide();
}

void PaneManager::ShowOnlyPane(int paneCode)
{
    const int id = PaneIdOf(paneCode);
    if (!id)
        return;
    CloseAllPanes();
    ShowPane(id);
    if (paneCode == pane::FileList)
        RefreshFileList();
    else if (paneCode == pane::DataList)
        FitDataList();
    else if (paneCode == pane::Summary) {
        RefreshSummary();
        FitSummary();
    }
    currentPane_ = paneCode;
}

void PaneManager::RestoreCurrentPane()
{
    const int id = PaneIdOf(currentPane_);
    if (!id)
        return;
    ShowPane(id);
    if (currentPane_ == pane::DataList)
        FitDataList();
    else if (currentPane_ == pane::Summary)
        RefreshSummary();
}

void PaneManager::FocusNextPane(bool forward, QWidget* last)
{
    // The view and the open panes, in the order they stand on screen.
    QList<QWidget*> stops;
    for (const PaneInfo& info : Panes) {
        QDockWidget* d = docks_.value(info.id);
        if (!d->isHidden() && d->widget())
            stops << d->widget();
    }
    std::reverse(stops.begin(), stops.end());
    if (last)
        stops << last;
    if (stops.isEmpty())
        return;
    QWidget* focus = QApplication::focusWidget();
    int at = -1;
    for (int i = 0; i < stops.size(); ++i)
        if (focus && (focus == stops[i] || stops[i]->isAncestorOf(focus)))
            at = i;
    const int n = int(stops.size());
    const int next = at < 0 ? 0 : (at + (forward ? 1 : n - 1)) % n;
    stops[next]->setFocus(Qt::OtherFocusReason);
}
