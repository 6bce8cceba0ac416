// The file list pane: the tree, opening, the context-menu rule, rename and delete.
#include "link/AppData.h"
#include "link/LinkInterfaces.h"
#include "panes/CFileListPane.h"
#include "panes/CRenameDlg.h"
#include "support/GuiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

// Records the messages; answers questions as told.
class FakeMessageSink : public IMessageSink, public ILinkPrompts {
public:
    void ShowMessage(const QString& text) override { messages << text; }
    bool AskOkCancel(const QString& text) override
    {
        questions << text;
        return answerOk;
    }
    bool AskYesNo(const QString&, const QString&) override { return false; }
    int ChoosePort(const QStringList&, int) override { return 0; }
    void RunProgressMessage(const QString&) override {}
    void UpdateMessage(const QString&, bool) override {}
    void ShowProgress(const QString&) override {}
    void HideProgress() override {}

    QStringList messages;
    QStringList questions;
    bool answerOk = true;
};

// "Logger Files[+]{LAB[+]{LAB_1.logu}}" style outline of the tree; [+] marks an
// expanded item.
QString Outline(const QTreeWidgetItem* item)
{
    QString s = item->text(0);
    if (item->isExpanded())
        s += QStringLiteral("[+]");
    if (item->childCount() > 0) {
        QStringList children;
        for (int i = 0; i < item->childCount(); ++i)
            children << Outline(item->child(i));
        s += QLatin1Char('{') + children.join(QLatin1Char(' ')) + QLatin1Char('}');
    }
    return s;
}

class FileListPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        data->programFolder = home.path() + QLatin1Char('/');
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Logfiles")));
    }

    void Create(std::initializer_list<const char*> names, const QByteArray& content = "log")
    {
        for (const char* n : names) {
            QFile f(data->logFilePath(QString::fromUtf8(n)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
    }
    bool Exists(const char* name) const { return QFile::exists(data->logFilePath(QString::fromUtf8(name))); }

    std::unique_ptr<CFileListPane> MakePane()
    {
        auto pane = std::make_unique<CFileListPane>(*data);
        pane->setMessageSink(&sink);
        pane->setPrompts(&sink);
        pane->resize(240, 320);
        return pane;
    }

    QString TreeOutline(const CFileListPane& pane) const
    {
        EXPECT_EQ(pane.tree()->topLevelItemCount(), 1);
        return Outline(pane.tree()->topLevelItem(0));
    }

    QTreeWidgetItem* Find(const CFileListPane& pane, const char* text) const
    {
        const auto found = pane.tree()->findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    QTemporaryDir home;
    std::unique_ptr<AppData> data = std::make_unique<AppData>();
    FakeMessageSink sink;
};

TEST_F(FileListPaneTest, TreeGroupsTheFolderByLogger)
{
    Create({"ROOM_20100316_0900.logu", "LAB_20100301_1200.logu", "ROOM_20100315_1430.logu", "_20100315_1430.logu",
            "A_.logu"});
    auto pane = MakePane();
    EXPECT_EQ(TreeOutline(*pane).toStdString(),
              "Logger Files[+]{LAB[+]{LAB_20100301_1200.logu} "
              "ROOM[+]{ROOM_20100315_1430.logu ROOM_20100316_0900.logu} [+]{_20100315_1430.logu}}");
    EXPECT_TRUE(pane->tree()->topLevelItem(0)->font(0).bold());

    // A refresh rebuilds the tree whole.
    Create({"LAB_20100302_1200.logu"});
    pane->RefreshFileList();
    EXPECT_EQ(Outline(Find(*pane, "LAB")).toStdString(), "LAB[+]{LAB_20100301_1200.logu LAB_20100302_1200.logu}");
    EXPECT_EQ(pane->tree()->topLevelItemCount(), 1);
}

TEST_F(FileListPaneTest, EmptyOrMissingFolderShowsTheRootAlone)
{
    auto pane = MakePane();
    EXPECT_EQ(TreeOutline(*pane).toStdString(), "Logger Files");
    ASSERT_TRUE(QDir(data->logFolder()).removeRecursively());
    pane->RefreshFileList();
    EXPECT_EQ(TreeOutline(*pane).toStdString(), "Logger Files");
}

TEST_F(FileListPaneTest, DoubleClickOpensOnlyLogNames)
{
    Create({"ROOM_20100315_1430.logu", "_20100315_1430.logu"});
    auto pane = MakePane();
    pane->show();
    QSignalSpy opened(pane.get(), &CFileListPane::openLogRequested);

    const std::pair<const char*, bool> cases[] = {
        {"Logger Files", false},
        {"ROOM", false},
        {"_20100315_1430.logu", false},
        {"ROOM_20100315_1430.logu", true},
    };
    for (const auto& [text, opens] : cases) {
        opened.clear();
        pane->RefreshFileList();  // a double click on a group folds it
        QTreeWidgetItem* item = Find(*pane, text);
        ASSERT_NE(item, nullptr) << text;
        pane->tree()->scrollToItem(item);
        const QPoint at = pane->tree()->visualItemRect(item).center();
        // A widget's double click arrives after the press and release of a first click.
        QTest::mouseClick(pane->tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(pane->tree()->viewport(), Qt::LeftButton, {}, at);
        ASSERT_EQ(opened.size(), opens ? 1 : 0) << text;
        if (opens) {
            EXPECT_EQ(opened.first().first().toString(), QString::fromUtf8(text));
        }
    }
}

TEST_F(FileListPaneTest, ContextMenuFollowsTheRule)
{
    Create({"ROOM_20100315_1430.logu", "_20100315_1430.logu", "xlogu_1.logu"});
    auto pane = MakePane();
    pane->show();
    const struct {
        const char* text;
        bool offered;
        bool opens;  // Open is enabled
    } cases[] = {
        {"Logger Files", false, false},
        {"ROOM", false, false},
        {"_20100315_1430.logu", true, false},
        {"ROOM_20100315_1430.logu", true, true},
        {"xlogu", true, false},  // a group whose text holds "logu": offered, and acts on a file that is not there
    };
    for (const auto& k : cases) {
        QTreeWidgetItem* item = Find(*pane, k.text);
        ASSERT_NE(item, nullptr) << k.text;
        const QPoint at = pane->tree()->visualItemRect(item).center();
        emit pane->tree()->customContextMenuRequested(at);
        EXPECT_EQ(pane->fileMenu()->isVisible(), k.offered) << k.text;
        if (k.offered) {
            EXPECT_EQ(pane->selectedFileName(), QString::fromUtf8(k.text));
            EXPECT_EQ(pane->openAction()->isEnabled(), k.opens) << k.text;
        }
        pane->fileMenu()->hide();
    }
    QStringList actions;
    for (const QAction* a : pane->fileMenu()->actions())
        actions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(actions, (QStringList{"Open", "-", "Rename", "Delete"}));
    EXPECT_EQ(pane->fileMenu()->title(), QStringLiteral("Operation"));
}

TEST_F(FileListPaneTest, ContextMenuOnEmptySpaceUsesTheSelectedItem)
{
    Create({"ROOM_20100315_1430.logu"});
    auto pane = MakePane();
    pane->show();
    pane->tree()->setCurrentItem(Find(*pane, "ROOM_20100315_1430.logu"));
    emit pane->tree()->customContextMenuRequested(QPoint(5, pane->tree()->viewport()->height() - 3));
    EXPECT_TRUE(pane->fileMenu()->isVisible());
    EXPECT_EQ(pane->selectedFileName(), QStringLiteral("ROOM_20100315_1430.logu"));
    pane->fileMenu()->hide();
}

TEST_F(FileListPaneTest, KeyboardOpensTheSelectedLogAndItsMenu)
{
    Create({"ROOM_20100315_1430.logu", "_20100315_1430.logu"});
    auto pane = MakePane();
    pane->show();
    // The pane hands the keyboard focus to its tree.
    EXPECT_EQ(pane->focusProxy(), pane->tree());
    QSignalSpy opened(pane.get(), &CFileListPane::openLogRequested);
    const struct {
        const char* item;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool opens;
        bool menu;
    } cases[] = {
        {"ROOM_20100315_1430.logu", Qt::Key_Return, Qt::NoModifier, true, false},
        {"ROOM_20100315_1430.logu", Qt::Key_Enter, Qt::KeypadModifier, true, false},
        {"ROOM", Qt::Key_Return, Qt::NoModifier, false, false},
        {"_20100315_1430.logu", Qt::Key_Return, Qt::NoModifier, false, false},
        {"ROOM_20100315_1430.logu", Qt::Key_F10, Qt::ShiftModifier, false, true},
        {"ROOM_20100315_1430.logu", Qt::Key_Menu, Qt::NoModifier, false, true},
        {"_20100315_1430.logu", Qt::Key_Menu, Qt::NoModifier, false, true},
        {"ROOM", Qt::Key_F10, Qt::ShiftModifier, false, false},
        {"ROOM_20100315_1430.logu", Qt::Key_F10, Qt::NoModifier, false, false},
    };
    for (const auto& k : cases) {
        opened.clear();
        pane->tree()->setCurrentItem(Find(*pane, k.item));
        QTest::keyClick(pane->tree(), k.key, k.modifiers);
        ASSERT_EQ(opened.size(), k.opens ? 1 : 0) << k.item << " key " << k.key;
        if (k.opens) {
            EXPECT_EQ(opened.first().first().toString(), QString::fromUtf8(k.item));
        }
        EXPECT_EQ(pane->fileMenu()->isVisible(), k.menu) << k.item << " key " << k.key;
        if (k.menu) {
            EXPECT_EQ(pane->selectedFileName(), QString::fromUtf8(k.item));
        }
        pane->fileMenu()->hide();
    }

    // Open in the menu opens the item the menu was opened on.
    pane->tree()->setCurrentItem(Find(*pane, "ROOM_20100315_1430.logu"));
    pane->ShowMenuForSelected();
    opened.clear();
    pane->openAction()->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().first().toString(), QStringLiteral("ROOM_20100315_1430.logu"));
    pane->fileMenu()->hide();
}

struct RenameCase {
    const char* newName;
    const char* message;  // empty: renamed
};

TEST_F(FileListPaneTest, RenameChecksTheNameAndRefreshesOnlyOnSuccess)
{
    const RenameCase cases[] = {
        {"_x.logu", "Invalid new file name."},
        {"xy.logu", "Invalid new file name."},
        {"*_*.logu", "Invalid new file name."},
        {"../x_y.logu", "Invalid new file name."},
        {"LAB_20100301_1200.logu", "a file named LAB_20100301_1200.logu already exists."},
        {"x_y.logu.txt", ""},
    };
    for (const RenameCase& k : cases) {
        Create({"ROOM_20100315_1430.logu"}, "room");
        Create({"LAB_20100301_1200.logu"}, "lab");
        auto pane = MakePane();
        ASSERT_TRUE(pane->PrepareFileMenu(QStringLiteral("ROOM_20100315_1430.logu")));
        // Added behind the pane's back: shows only after a refresh.
        Create({"NEW_20100401_0000.logu"});
        sink.messages.clear();

        const bool renamed = pane->ApplyRename(QString::fromUtf8(k.newName));
        const bool expectRenamed = *k.message == '\0';
        EXPECT_EQ(renamed, expectRenamed) << k.newName;
        EXPECT_EQ(Exists("ROOM_20100315_1430.logu"), !expectRenamed) << k.newName;
        EXPECT_EQ(Find(*pane, "NEW") != nullptr, expectRenamed) << k.newName;
        if (expectRenamed) {
            EXPECT_TRUE(sink.messages.isEmpty());
            EXPECT_TRUE(Exists(k.newName));
            EXPECT_EQ(Find(*pane, "ROOM"), nullptr) << "no longer matches the pattern";
        } else {
            ASSERT_EQ(sink.messages.size(), 1) << k.newName;
            EXPECT_TRUE(sink.messages.first().endsWith(QString::fromUtf8(k.message))) << sink.messages.first().toStdString();
            QFile lab(data->logFilePath(QStringLiteral("LAB_20100301_1200.logu")));
            ASSERT_TRUE(lab.open(QIODevice::ReadOnly));
            EXPECT_EQ(lab.readAll(), "lab") << "the other log is untouched";
        }
        QFile::remove(data->logFilePath(QString::fromUtf8(k.newName)));
        QFile::remove(data->logFilePath(QStringLiteral("NEW_20100401_0000.logu")));
    }
}

TEST_F(FileListPaneTest, FailedMoveNamesTheOldPathAndKeepsTheList)
{
    Create({"xlogu_1.logu"});
    auto pane = MakePane();
    ASSERT_TRUE(pane->PrepareFileMenu(QStringLiteral("xlogu")));  // the group item: no such file
    EXPECT_FALSE(pane->ApplyRename(QStringLiteral("x_y.logu")));
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages.first().startsWith(QStringLiteral("Cannot rename ") + data->logFilePath(QStringLiteral("xlogu"))
                                                 + QStringLiteral(": ")))
        << sink.messages.first().toStdString();
}

TEST_F(FileListPaneTest, RenameDialogDrivesTheRename)
{
    Create({"ROOM_20100315_1430.logu"});
    auto pane = MakePane();
    ASSERT_TRUE(pane->PrepareFileMenu(QStringLiteral("ROOM_20100315_1430.logu")));

    bool checked = false;
    guitest::WhenOpen<CRenameDlg>([&](CRenameDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Rename a data file"));
        EXPECT_EQ(dlg->nameEdit()->text(), QStringLiteral("*_*.logu"));
        QStringList labels;
        for (const QLabel* l : dlg->findChildren<QLabel*>())
            labels << l->text();
        EXPECT_TRUE(labels.contains(QStringLiteral("Notes: The format of a valid log file name is *_*.logu.")));
        EXPECT_TRUE(labels.contains(QStringLiteral("New Name:")));
        EXPECT_EQ(dlg->renameButton()->text(), QStringLiteral("Rename"));
        EXPECT_EQ(dlg->cancelButton()->text(), QStringLiteral("Cancel"));
        dlg->nameEdit()->setText(QStringLiteral("LAB_20100315_1430.logu"));
        checked = true;
        QTest::keyClick(dlg->nameEdit(), Qt::Key_Return);  // Rename is the default button
    });
    pane->RenameLog();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(Exists("LAB_20100315_1430.logu"));
    EXPECT_NE(Find(*pane, "LAB_20100315_1430.logu"), nullptr);

    // Cancel leaves everything as it is, whatever the box holds.
    ASSERT_TRUE(pane->PrepareFileMenu(QStringLiteral("LAB_20100315_1430.logu")));
    guitest::WhenOpen<CRenameDlg>([](CRenameDlg* dlg) {
        dlg->nameEdit()->setText(QStringLiteral("ROOM_1.logu"));
        dlg->cancelButton()->click();
    });
    pane->RenameLog();
    EXPECT_TRUE(Exists("LAB_20100315_1430.logu"));
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(FileListPaneTest, DeleteAsksFirst)
{
    Create({"ROOM_20100315_1430.logu", "ROOM_20100316_0900.logu"});
    auto pane = MakePane();
    ASSERT_TRUE(pane->PrepareFileMenu(QStringLiteral("ROOM_20100315_1430.logu")));

    sink.answerOk = false;
    pane->DeleteLog();
    EXPECT_EQ(sink.questions, (QStringList{"Are you sure to delete the log file ROOM_20100315_1430.logu?"}));
    EXPECT_TRUE(Exists("ROOM_20100315_1430.logu"));

    sink.answerOk = true;
    pane->DeleteLog();
    EXPECT_FALSE(Exists("ROOM_20100315_1430.logu"));
    EXPECT_EQ(Outline(Find(*pane, "ROOM")).toStdString(), "ROOM[+]{ROOM_20100316_0900.logu}");
    EXPECT_TRUE(sink.messages.isEmpty());

    // A delete that fails is said so; the refreshed list still shows what is there.
    pane->DeleteLog();
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages.first().startsWith(QStringLiteral("Cannot delete ")));
    EXPECT_TRUE(Exists("ROOM_20100316_0900.logu"));
}

}  // namespace
