// A small property sheet: categories of captioned items with in-place editors.
#include "panes/PropertyGrid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <climits>
#include <functional>

namespace {

constexpr int CaptionColumn = 0;
constexpr int ValueColumn = 1;

// Kept on the value cell, where the delegate reads them.
constexpr int IdRole = Qt::UserRole + 1;
constexpr int KindRole = Qt::UserRole + 2;
constexpr int EntriesRole = Qt::UserRole + 3;
// Kept on the caption cell.
constexpr int DescriptionRole = Qt::UserRole + 4;

constexpr int DefaultDescriptionHeight = 60;

QColor GutterColor(const QPalette& palette)
{
    return palette.color(QPalette::Button);
}

QColor LineColor(const QPalette& palette)
{
    return palette.color(QPalette::Button).darker(108);
}

}  // namespace

// The tree under the grid: the category gutter with its own +/- boxes, and the
// caption column kept at half the width.
class PropertyGrid::Tree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

    QModelIndex indexOf(QTreeWidgetItem* item, int column) const { return indexFromItem(item, column); }
    bool isEditing() const { return state() == EditingState; }

    // Told of every editor the view closes, however it closes (a commit, Escape,
    // or the current cell moving away).
    std::function<void(QWidget*)> editorClosed;

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTreeWidget::closeEditor(editor, hint);
        if (editorClosed)
            editorClosed(editor);
    }

    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override
    {
        painter->fillRect(rect, GutterColor(palette()));
        if (!model()->hasChildren(index))
            return;
        const int side = 9;
        const QRect box(rect.right() - (indentation() + side) / 2 + 1, rect.center().y() - side / 2, side, side);
        painter->save();
        painter->setPen(palette().color(QPalette::Dark));
        painter->fillRect(box, palette().color(QPalette::Base));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        painter->setPen(palette().color(QPalette::Text));
        const int cy = box.center().y();
        painter->drawLine(box.left() + 2, cy, box.right() - 2, cy);
        if (!isExpanded(index)) {
            const int cx = box.center().x();
            painter->drawLine(cx, box.top() + 2, cx, box.bottom() - 2);
        }
        painter->restore();
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QTreeWidget::resizeEvent(event);
        FitCaptionColumn();
    }

public:
    // Wide enough for the longest caption, but leaving the values at least 40 %.
    void FitCaptionColumn()
    {
        const int available = viewport()->width();
        const int wanted = sizeHintForColumn(CaptionColumn) + 6;
        setColumnWidth(CaptionColumn, qBound(available * 35 / 100, wanted, available * 62 / 100));
    }
};

// Makes the editor of each item kind and hands its text back to the grid.
class PropertyGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(PropertyGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (index.column() != ValueColumn)
            return nullptr;
        QWidget* editor = nullptr;
        switch (Kind(index.data(KindRole).toInt())) {
        case Kind::ReadOnly:
            return nullptr;
        case Kind::Text: {
            auto* edit = new QLineEdit(parent);
            edit->setFrame(false);
            editor = edit;
            break;
        }
        case Kind::Integer: {
            auto* spin = new QSpinBox(parent);
            spin->setRange(INT_MIN, INT_MAX);
            spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
            spin->setFrame(false);
            editor = spin;
            break;
        }
        case Kind::List: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            combo->setFrame(false);
            combo->addItems(index.data(EntriesRole).toStringList());
            // A pick from the list is a commit, as in a property sheet; the
            // editor need not lose the focus first.
            auto* self = const_cast<Delegate*>(this);
            connect(combo, &QComboBox::activated, self, [self, combo](int) {
                emit self->commitData(combo);
                emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            });
            editor = combo;
            break;
        }
        }
        editor_ = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(text);
            edit->selectAll();
        } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
            spin->setValue(text.toInt());
            spin->selectAll();
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            // No entry chosen when the shown text is none of them, so that
            // leaving the editor untouched commits nothing.
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QString text;
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            text = edit->text();
        } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
            spin->interpretText();
            text = QString::number(spin->value());
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            if (combo->currentIndex() < 0)
                return;
            text = combo->currentText();
        } else {
            return;
        }
        grid_->commitFromEditor(index, text);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        editor->setGeometry(option.rect);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(LineColor(option.palette));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        const bool category = index.model()->hasChildren(index);
        if (index.column() == CaptionColumn && !category)
            painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), option.fontMetrics.height() + 6));
        return size;
    }

    mutable QPointer<QWidget> editor_;

private:
    PropertyGrid* grid_;
};

PropertyGrid::PropertyGrid(QWidget* parent) : QWidget(parent)
{
    tree_ = new Tree(this);
    delegate_ = new Delegate(this);
    tree_->setObjectName(QStringLiteral("propertyTree"));
    tree_->setColumnCount(2);
    tree_->setHeaderHidden(true);
    tree_->header()->setStretchLastSection(true);
    tree_->setRootIsDecorated(true);
    tree_->setIndentation(14);
    tree_->setAlternatingRowColors(true);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setAllColumnsShowFocus(true);
    tree_->setTextElideMode(Qt::ElideRight);
    // Captions and values are elided to the width, with the whole text as tip.
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree_->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked
                           | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    tree_->setItemDelegate(delegate_);

    descriptionArea_ = new QLabel(this);
    descriptionArea_->setObjectName(QStringLiteral("descriptionArea"));
    descriptionArea_->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    descriptionArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    descriptionArea_->setWordWrap(true);
    descriptionArea_->setTextFormat(Qt::RichText);
    descriptionArea_->setMargin(3);
    descriptionArea_->setAutoFillBackground(true);
    descriptionArea_->setBackgroundRole(QPalette::Window);
    descriptionArea_->setFixedHeight(DefaultDescriptionHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(tree_, 1);
    layout->addWidget(descriptionArea_);

    setFocusProxy(tree_);

    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { showDescriptionOf(current); });
    // Enter on a caption opens the value's editor.
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int column) {
        if (column == CaptionColumn && item->parent())
            editItem(item->data(ValueColumn, IdRole).toInt());
    });
    tree_->editorClosed = [this](QWidget* editor) {
        if (delegate_->editor_ == editor)
            delegate_->editor_ = nullptr;
    };
}

PropertyGrid::~PropertyGrid() = default;

int PropertyGrid::addCategory(const QString& caption)
{
    auto* category = new QTreeWidgetItem(tree_);
    category->setText(CaptionColumn, caption);
    category->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QFont bold = font();
    bold.setBold(true);
    category->setFont(CaptionColumn, bold);
    category->setBackground(CaptionColumn, GutterColor(palette()));
    category->setFirstColumnSpanned(true);
    categories_.append(category);
    return int(categories_.size()) - 1;
}

bool PropertyGrid::addItem(int id, Kind kind, const QString& caption, const QString& description,
                           const QStringList& entries)
{
    if (items_.contains(id))
        return false;
    if (categories_.isEmpty())
        addCategory(QString());
    QTreeWidgetItem* category = categories_.last();
    auto* item = new QTreeWidgetItem(category);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (kind != Kind::ReadOnly)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    item->setText(CaptionColumn, caption);
    item->setToolTip(CaptionColumn, caption);
    item->setData(CaptionColumn, DescriptionRole, description);
    item->setData(ValueColumn, IdRole, id);
    item->setData(ValueColumn, KindRole, int(kind));
    item->setData(ValueColumn, EntriesRole, entries);
    item->setText(ValueColumn, kind == Kind::Integer ? QStringLiteral("0") : QString());
    if (kind == Kind::ReadOnly)
        item->setForeground(ValueColumn, palette().color(QPalette::Disabled, QPalette::Text));
    items_.insert(id, item);
    order_.append(id);
    tree_->FitCaptionColumn();
    if (category->childCount() == 1)
        category->setExpanded(true);
    return true;
}

int PropertyGrid::categoryCount() const
{
    return int(categories_.size());
}

QString PropertyGrid::categoryCaption(int category) const
{
    if (category < 0 || category >= categoryCount())
        return QString();
    return categories_[category]->text(CaptionColumn);
}

QList<int> PropertyGrid::categoryItems(int category) const
{
    QList<int> ids;
    if (category < 0 || category >= categoryCount())
        return ids;
    QTreeWidgetItem* parent = categories_[category];
    for (int i = 0; i < parent->childCount(); ++i)
        ids.append(parent->child(i)->data(ValueColumn, IdRole).toInt());
    return ids;
}

void PropertyGrid::setCategoryExpanded(int category, bool expanded)
{
    if (category >= 0 && category < categoryCount())
        categories_[category]->setExpanded(expanded);
}

bool PropertyGrid::isCategoryExpanded(int category) const
{
    return category >= 0 && category < categoryCount() && categories_[category]->isExpanded();
}

QList<int> PropertyGrid::itemIds() const
{
    return order_;
}

bool PropertyGrid::hasItem(int id) const
{
    return items_.contains(id);
}

QTreeWidgetItem* PropertyGrid::itemFor(int id) const
{
    return items_.value(id, nullptr);
}

PropertyGrid::Kind PropertyGrid::kind(int id) const
{
    QTreeWidgetItem* item = itemFor(id);
    return item ? Kind(item->data(ValueColumn, KindRole).toInt()) : Kind::ReadOnly;
}

QString PropertyGrid::caption(int id) const
{
    QTreeWidgetItem* item = itemFor(id);
    return item ? item->text(CaptionColumn) : QString();
}

QString PropertyGrid::description(int id) const
{
    QTreeWidgetItem* item = itemFor(id);
    return item ? item->data(CaptionColumn, DescriptionRole).toString() : QString();
}

QStringList PropertyGrid::entries(int id) const
{
    QTreeWidgetItem* item = itemFor(id);
    return item ? item->data(ValueColumn, EntriesRole).toStringList() : QStringList();
}

void PropertyGrid::setValue(int id, const QString& text)
{
    QTreeWidgetItem* item = itemFor(id);
    if (!item)
        return;
    QString shown = text;
    if (kind(id) == Kind::Integer) {
        bool ok = false;
        const int number = text.trimmed().toInt(&ok);
        shown = QString::number(ok ? number : 0);
    }
    item->setText(ValueColumn, shown);
    item->setToolTip(ValueColumn, shown);
}

QString PropertyGrid::value(int id) const
{
    QTreeWidgetItem* item = itemFor(id);
    return item ? item->text(ValueColumn) : QString();
}

int PropertyGrid::intValue(int id) const
{
    return value(id).toInt();
}

void PropertyGrid::setDescriptionHeight(int pixels)
{
    descriptionArea_->setFixedHeight(qMax(0, pixels));
}

int PropertyGrid::descriptionHeight() const
{
    return descriptionArea_->maximumHeight();
}

QString PropertyGrid::shownCaption() const
{
    return shownCaption_;
}

QString PropertyGrid::shownDescription() const
{
    return shownDescription_;
}

void PropertyGrid::showDescriptionOf(QTreeWidgetItem* item)
{
    shownCaption_ = item ? item->text(CaptionColumn) : QString();
    shownDescription_ = item ? item->data(CaptionColumn, DescriptionRole).toString() : QString();
    QString html;
    if (!shownCaption_.isEmpty())
        html = QStringLiteral("<b>%1</b>").arg(shownCaption_.toHtmlEscaped());
    if (!shownDescription_.isEmpty())
        html += QStringLiteral("<br>%1").arg(shownDescription_.toHtmlEscaped());
    descriptionArea_->setText(html);
}

void PropertyGrid::selectItem(int id)
{
    if (QTreeWidgetItem* item = itemFor(id))
        tree_->setCurrentItem(item, CaptionColumn);
}

int PropertyGrid::selectedItem() const
{
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || !item->parent())
        return -1;
    return item->data(ValueColumn, IdRole).toInt();
}

bool PropertyGrid::editItem(int id)
{
    QTreeWidgetItem* item = itemFor(id);
    if (!item || kind(id) == Kind::ReadOnly)
        return false;
    if (item->parent() && !item->parent()->isExpanded())
        item->parent()->setExpanded(true);
    // A visible tree opens the editor as the current cell moves; a hidden one
    // needs the explicit call.
    tree_->setCurrentItem(item, ValueColumn);
    if (!tree_->isEditing() || !delegate_->editor_)
        tree_->edit(tree_->indexOf(item, ValueColumn));
    if (delegate_->editor_)
        delegate_->editor_->setFocus();
    return delegate_->editor_ != nullptr;
}

QWidget* PropertyGrid::activeEditor() const
{
    return delegate_->editor_;
}

void PropertyGrid::commitFromEditor(const QModelIndex& index, const QString& text)
{
    const int id = index.data(IdRole).toInt();
    QTreeWidgetItem* item = itemFor(id);
    if (!item || item->text(ValueColumn) == text)
        return;
    item->setText(ValueColumn, text);
    item->setToolTip(ValueColumn, text);
    QMetaObject::invokeMethod(this, [this, id, text] { emit itemValueChanged(id, text); }, Qt::QueuedConnection);
}
