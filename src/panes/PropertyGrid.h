// A small property sheet: categories of captioned items with in-place editors,
// and a description area below that explains the selected item.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLabel;
class QModelIndex;
class QTreeWidgetItem;

class PropertyGrid : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        ReadOnly,  // shown, never edited
        Text,      // any text, typed in place
        Integer,   // an int shown in decimal, typed in place; starts at 0
        List,      // one of the given entries, picked from a drop-down, no typing
    };

    explicit PropertyGrid(QWidget* parent = nullptr);
    ~PropertyGrid() override;

    // Starts a category, expanded; the items added next belong to it.
    // Returns its index (0 for the first).
    int addCategory(const QString& caption);
    // Adds an item to the last category (one without a caption is made when
    // there is none). Refused (false) for an id already in use.
    bool addItem(int id, Kind kind, const QString& caption,
                 const QString& description = QString(), const QStringList& entries = QStringList());

    int categoryCount() const;
    QString categoryCaption(int category) const;
    QList<int> categoryItems(int category) const;
    void setCategoryExpanded(int category, bool expanded);
    bool isCategoryExpanded(int category) const;

    // All item ids in the order shown.
    QList<int> itemIds() const;
    bool hasItem(int id) const;
    Kind kind(int id) const;  // ReadOnly for an unknown id
    QString caption(int id) const;
    QString description(int id) const;
    QStringList entries(int id) const;

    // The program's own change of a value; itemValueChanged is not emitted.
    // An integer item takes the number the text holds (0 when it holds none);
    // a list item shows the text even when it is not one of its entries.
    void setValue(int id, const QString& text);
    QString value(int id) const;
    int intValue(int id) const;

    void setDescriptionHeight(int pixels);
    int descriptionHeight() const;
    // What the description area shows: the selected item's caption and description.
    QString shownCaption() const;
    QString shownDescription() const;

    void selectItem(int id);
    int selectedItem() const;  // -1 when nothing or a category is selected

    // Opens the in-place editor of an editable item; false for a read-only or
    // unknown item. activeEditor() is the open editor, or null.
    bool editItem(int id);
    QWidget* activeEditor() const;

signals:
    // The user committed a changed value in an editor. Delivered from the event
    // loop once the editor has closed, so that a handler may open a modal box.
    void itemValueChanged(int id, const QString& text);

private:
    class Tree;
    class Delegate;

    QTreeWidgetItem* itemFor(int id) const;
    void showDescriptionOf(QTreeWidgetItem* item);
    // Called by the delegate when an editor hands back its text.
    void commitFromEditor(const QModelIndex& index, const QString& text);

    Tree* tree_ = nullptr;
    Delegate* delegate_ = nullptr;
    QLabel* descriptionArea_ = nullptr;
    QList<QTreeWidgetItem*> categories_;
    QHash<int, QTreeWidgetItem*> items_;
    QList<int> order_;
    QString shownCaption_;
    QString shownDescription_;
};
