// The property grid: items and their kinds, in-place editing, commits and the description area.
#include "panes/PropertyGrid.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using guitest::WaitUntil;

using Kind = PropertyGrid::Kind;

enum : int { NameId = 1, TypeId = 2, CountId = 3, UnitId = 4, DelayId = 5 };

// Two categories, one item of every kind.
class PropertyGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.resize(260, 360);
        grid.addCategory("General");
        grid.addItem(NameId, Kind::Text, "1. Name", "Logger Name");
        grid.addItem(TypeId, Kind::ReadOnly, "2. Type.");
        grid.addItem(CountId, Kind::Integer, "3. Count", "2-43200");
        grid.addCategory("Units");
        grid.addItem(UnitId, Kind::List, "1. Unit", QString(), {"F", "C"});
        grid.addItem(DelayId, Kind::Text, "2. Delay");
        grid.show();
    }

    // Waits for the editor to close and delivers what the grid has queued.
    void Settle()
    {
        ASSERT_TRUE(WaitUntil([&] { return grid.activeEditor() == nullptr; }));
        QCoreApplication::sendPostedEvents();
    }

    void TypeAndEnter(int id, const QString& text)
    {
        ASSERT_TRUE(grid.editItem(id));
        QWidget* editor = grid.activeEditor();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        Settle();
    }

    PropertyGrid grid;
    QSignalSpy changes{&grid, &PropertyGrid::itemValueChanged};
};

TEST_F(PropertyGridTest, BuildsCategoriesAndItemsInOrder)
{
    EXPECT_EQ(grid.itemIds(), (QList<int>{NameId, TypeId, CountId, UnitId, DelayId}));
    ASSERT_EQ(grid.categoryCount(), 2);
    EXPECT_EQ(grid.categoryCaption(0), "General");
    EXPECT_EQ(grid.categoryItems(0), (QList<int>{NameId, TypeId, CountId}));
    EXPECT_EQ(grid.categoryItems(1), (QList<int>{UnitId, DelayId}));
    EXPECT_EQ(grid.caption(NameId), "1. Name");
    EXPECT_EQ(grid.description(NameId), "Logger Name");
    EXPECT_EQ(grid.kind(CountId), Kind::Integer);
    EXPECT_EQ(grid.entries(UnitId), (QStringList{"F", "C"}));
    // The integer item starts at 0, every other item empty.
    EXPECT_EQ(grid.value(CountId), "0");
    for (int id : {NameId, TypeId, UnitId, DelayId})
        EXPECT_TRUE(grid.value(id).isEmpty()) << id;
    // An id in use is refused and changes nothing.
    EXPECT_FALSE(grid.addItem(NameId, Kind::Text, "again"));
    EXPECT_EQ(grid.caption(NameId), "1. Name");
    EXPECT_EQ(grid.itemIds().size(), 5);
}

TEST_F(PropertyGridTest, CategoriesStartExpandedAndCollapse)
{
    EXPECT_TRUE(grid.isCategoryExpanded(0));
    EXPECT_TRUE(grid.isCategoryExpanded(1));
    grid.setCategoryExpanded(1, false);
    EXPECT_FALSE(grid.isCategoryExpanded(1));
    EXPECT_TRUE(grid.isCategoryExpanded(0));
    // Editing an item of a collapsed category opens the category again.
    EXPECT_TRUE(grid.editItem(DelayId));
    EXPECT_TRUE(grid.isCategoryExpanded(1));
}

TEST_F(PropertyGridTest, ProgramSetValuesEmitNothing)
{
    struct Case {
        int id;
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {NameId, "ROOM", "ROOM"},   {TypeId, "Temperature Logger", "Temperature Logger"},
        {CountId, "42", "42"},      {CountId, " -7 ", "-7"},
        {CountId, "abc", "0"},      {UnitId, "C", "C"},
        {UnitId, "K", "K"},  // a list item shows a text that is none of its entries
    };
    for (const Case& c : cases) {
        grid.setValue(c.id, c.text);
        EXPECT_EQ(grid.value(c.id), c.shown) << c.id << " " << c.text.toStdString();
        EXPECT_EQ(grid.intValue(CountId), grid.value(CountId).toInt());
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(changes.count(), 0);
    grid.setValue(99, "nowhere");  // unknown ids are ignored
    EXPECT_TRUE(grid.value(99).isEmpty());
}

TEST_F(PropertyGridTest, ReadOnlyAndUnknownItemsOpenNoEditor)
{
    EXPECT_FALSE(grid.editItem(TypeId));
    EXPECT_FALSE(grid.editItem(99));
    EXPECT_EQ(grid.activeEditor(), nullptr);
}

TEST_F(PropertyGridTest, TextCommitEmitsOnceWithTheTypedText)
{
    TypeAndEnter(NameId, "Cold room 3");
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toInt(), NameId);
    EXPECT_EQ(changes[0][1].toString(), "Cold room 3");
    EXPECT_EQ(grid.value(NameId), "Cold room 3");

    // Committing the text the item already shows is no change.
    TypeAndEnter(NameId, "Cold room 3");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(PropertyGridTest, EscapeDiscardsTheTyping)
{
    grid.setValue(NameId, "ROOM");
    ASSERT_TRUE(grid.editItem(NameId));
    QTest::keyClicks(grid.activeEditor(), "HALL");
    QTest::keyClick(grid.activeEditor(), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(grid.value(NameId), "ROOM");
}

TEST_F(PropertyGridTest, LeavingAnEditorCommitsIt)
{
    ASSERT_TRUE(grid.editItem(DelayId));
    QTest::keyClicks(grid.activeEditor(), "120");
    grid.selectItem(NameId);
    Settle();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toInt(), DelayId);
    EXPECT_EQ(grid.value(DelayId), "120");
}

TEST_F(PropertyGridTest, IntegerEditorTakesOnlyAnInteger)
{
    ASSERT_TRUE(grid.editItem(CountId));
    EXPECT_NE(qobject_cast<QSpinBox*>(grid.activeEditor()), nullptr);
    QTest::keyClicks(grid.activeEditor(), "6x0a0");
    QTest::keyClick(grid.activeEditor(), Qt::Key_Return);
    Settle();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][1].toString(), "600");
    EXPECT_EQ(grid.intValue(CountId), 600);

    TypeAndEnter(CountId, "-25");
    EXPECT_EQ(grid.intValue(CountId), -25);
}

TEST_F(PropertyGridTest, ListEditorOffersOnlyItsEntries)
{
    ASSERT_TRUE(grid.editItem(UnitId));
    auto* combo = qobject_cast<QComboBox*>(grid.activeEditor());
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "F");
    EXPECT_EQ(combo->itemText(1), "C");
    // The item is still empty: nothing is chosen, and leaving commits nothing.
    EXPECT_EQ(combo->currentIndex(), -1);
    grid.selectItem(NameId);
    Settle();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(grid.value(UnitId).isEmpty());

    // A pick commits at once.
    ASSERT_TRUE(grid.editItem(UnitId));
    combo = qobject_cast<QComboBox*>(grid.activeEditor());
    QTest::keyClick(combo, Qt::Key_Down);
    Settle();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][1].toString(), "F");

    ASSERT_TRUE(grid.editItem(UnitId));
    combo = qobject_cast<QComboBox*>(grid.activeEditor());
    EXPECT_EQ(combo->currentText(), "F");
    QTest::keyClick(combo, Qt::Key_Down);
    Settle();
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[1][1].toString(), "C");
    EXPECT_EQ(grid.value(UnitId), "C");
}

TEST_F(PropertyGridTest, DescriptionAreaShowsTheSelectedItem)
{
    grid.selectItem(NameId);
    EXPECT_EQ(grid.selectedItem(), NameId);
    EXPECT_EQ(grid.shownCaption(), "1. Name");
    EXPECT_EQ(grid.shownDescription(), "Logger Name");
    auto* area = grid.findChild<QLabel*>("descriptionArea");
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(area->text().contains("Logger Name"));

    grid.selectItem(TypeId);
    EXPECT_EQ(grid.shownCaption(), "2. Type.");
    EXPECT_TRUE(grid.shownDescription().isEmpty());

    grid.setDescriptionHeight(37);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.descriptionHeight(), 37);
    EXPECT_EQ(area->height(), 37);
    EXPECT_EQ(area->geometry().bottom(), grid.height() - 1);
}

}  // namespace
