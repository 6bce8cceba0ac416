// Edits an item of a property grid the way a user does, for the pane and main window tests.
#pragma once

#include "panes/PropertyGrid.h"
#include "support/GuiTestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

namespace guitest {

// The user's commit of an item: typed into its editor and confirmed with
// Enter, or picked from its drop-down list with the mouse. Returns once the
// editor has closed and what the grid queued has been delivered.
inline void CommitGridItem(PropertyGrid& grid, int id, const QString& text)
{
    ASSERT_TRUE(grid.editItem(id)) << id;
    QWidget* editor = grid.activeEditor();
    ASSERT_NE(editor, nullptr);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int target = combo->findText(text);
        ASSERT_GE(target, 0) << text.toStdString();
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(WaitUntil([&] { return list->isVisible(); }));
        const QPoint at = list->visualRect(list->model()->index(target, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    ASSERT_TRUE(WaitUntil([&] { return grid.activeEditor() == nullptr; }));
    QCoreApplication::sendPostedEvents();
}

}  // namespace guitest
