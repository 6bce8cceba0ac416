// The File List pane: tree of the Logfiles folder, open, rename and delete.
#include "panes/CFileListPane.h"

#include "link/AppData.h"
#include "link/LinkInterfaces.h"
#include "logdata/LogFolder.h"
#include "panes/CRenameDlg.h"

#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// An icon from the program's resources; a missing file gives no image.
QIcon ResourceIcon(const QString& path) { return QFile::exists(path) ? QIcon(path) : QIcon(); }

QIcon FileIcon()
{
    QIcon icon = ResourceIcon(QStringLiteral(":/icons/tree-file.png"));
    const QString selected = QStringLiteral(":/icons/tree-file-selected.png");
    if (QFile::exists(selected))
        icon.addFile(selected, {}, QIcon::Selected);
    return icon;
}

}  // namespace

CFileListPane::CFileListPane(AppData& data, QWidget* parent) : QWidget(parent), data_(data)
{
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    // Long names scroll sideways rather than being cut short.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree_->setRootIsDecorated(true);
    tree_->setItemsExpandable(true);
    tree_->setIconSize(QSize(16, 16));
    tree_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The selection stays visible when the tree loses the focus.
    QPalette palette = tree_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    tree_->setPalette(palette);

    menu_ = new QMenu(QStringLiteral("Operation"), this);
    openAction_ = menu_->addAction(QStringLiteral("Open"));
    connect(openAction_, &QAction::triggered, this, [this] {
        if (LogFolder::CanOpen(selectedFileName_))
            emit openLogRequested(selectedFileName_);
    });
    menu_->setDefaultAction(openAction_);
    menu_->addSeparator();
    connect(menu_->addAction(QStringLiteral("Rename")), &QAction::triggered, this, &CFileListPane::RenameLog);
    connect(menu_->addAction(QStringLiteral("Delete")), &QAction::triggered, this, &CFileListPane::DeleteLog);

    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { OpenSelectedLog(); });
    connect(tree_, &QWidget::customContextMenuRequested, this, &CFileListPane::OnContextMenu);
    // Return opens the selected log; the Menu key and Shift+F10 open the
    // context menu of the selected item.
    tree_->installEventFilter(this);
    // The pane passes the keyboard focus on to its tree.
    setFocusProxy(tree_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);

    RefreshFileList();
}

CFileListPane::~CFileListPane() = default;

void CFileListPane::setMessageSink(IMessageSink* sink) { sink_ = sink; }

void CFileListPane::setPrompts(ILinkPrompts* prompts) { prompts_ = prompts; }

LogFolder CFileListPane::Folder() const
{
    return LogFolder(data_.logFolder());
}

void CFileListPane::RefreshFileList()
{
    tree_->clear();
    auto* root = new QTreeWidgetItem(tree_, {QStringLiteral("Logger Files")});
    QFont bold = root->font(0);
    bold.setBold(true);
    root->setFont(0, bold);
    root->setIcon(0, ResourceIcon(QStringLiteral(":/icons/tree-root.png")));

    const QIcon groupIcon = ResourceIcon(QStringLiteral(":/icons/tree-group.png"));
    const QIcon fileIcon = FileIcon();
    // Start-up settles the program folder before any pane exists; without
    // one there is no log folder to list (and no guess at one).
    const QList<LogFileGroup> groups = data_.programFolder.isEmpty() ? QList<LogFileGroup>{} : Folder().List();
    for (const LogFileGroup& group : groups) {
        auto* groupItem = new QTreeWidgetItem(root, {group.name});
        groupItem->setIcon(0, groupIcon);
        for (const QString& file : group.files) {
            auto* fileItem = new QTreeWidgetItem(groupItem, {file});
            fileItem->setIcon(0, fileIcon);
        }
        groupItem->setExpanded(true);
    }
    root->setExpanded(!groups.isEmpty());
}

void CFileListPane::OpenSelectedLog()
{
    const QTreeWidgetItem* item = tree_->currentItem();
    if (!item)
        return;
    const QString text = item->text(0);
    if (LogFolder::CanOpen(text))
        emit openLogRequested(text);
}

bool CFileListPane::PrepareFileMenu(const QString& text)
{
    if (!LogFolder::OffersFileMenu(text))
        return false;
    selectedFileName_ = text;
    return true;
}

void CFileListPane::OnContextMenu(const QPoint& pos)
{
    const QTreeWidgetItem* item = tree_->itemAt(pos);
    if (!item)
        item = tree_->currentItem();
    if (item && PrepareFileMenu(item->text(0))) {
        openAction_->setEnabled(LogFolder::CanOpen(selectedFileName_));
        menu_->popup(tree_->viewport()->mapToGlobal(pos));
    }
}

void CFileListPane::ShowMenuForSelected()
{
    const QTreeWidgetItem* item = tree_->currentItem();
    if (!item || !PrepareFileMenu(item->text(0)))
        return;
    openAction_->setEnabled(LogFolder::CanOpen(selectedFileName_));
    // Below the item's text, where the keyboard user is looking.
    const QRect rect = tree_->visualItemRect(item);
    menu_->popup(tree_->viewport()->mapToGlobal(QPoint(rect.left() + 16, rect.bottom())));
}

bool CFileListPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
            OpenSelectedLog();
            return true;
        }
        if ((key->key() == Qt::Key_Menu && mods == Qt::NoModifier)
            || (key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
            ShowMenuForSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CFileListPane::RenameLog()
{
    CRenameDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    ApplyRename(dlg.newName());
}

bool CFileListPane::ApplyRename(const QString& newName)
{
    if (!LogFolder::IsValidNewName(newName)) {
        ShowMessage(QStringLiteral("Invalid new file name."));
        return false;
    }
    const LogFileResult result = Folder().Rename(selectedFileName_, newName);
    if (!result.ok) {
        ShowMessage(result.message);
        return false;
    }
    RefreshFileList();
    emit logRenamed(selectedFileName_, newName);
    return true;
}

void CFileListPane::DeleteLog()
{
    if (!AskOkCancel(QStringLiteral("Are you sure to delete the log file %1?").arg(selectedFileName_)))
        return;
    const LogFileResult result = Folder().Remove(selectedFileName_);
    RefreshFileList();
    if (!result.ok)
        ShowMessage(result.message);
    else
        emit logDeleted(selectedFileName_);
}

void CFileListPane::ShowMessage(const QString& text)
{
    if (sink_) {
        sink_->ShowMessage(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tessaview U Messages"), text, QMessageBox::Ok, this);
    box.exec();
}

bool CFileListPane::AskOkCancel(const QString& text)
{
    if (prompts_)
        return prompts_->AskOkCancel(text);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tessaview U Messages"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    return box.exec() == QMessageBox::Ok;
}
