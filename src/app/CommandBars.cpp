// The actions, menus, toolbars and keys of the main window and their enabling.
#include "app/CommandBars.h"

#include "app/Commands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>

namespace {

QIcon IconFor(const char* name)
{
    return name ? QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(name)) : QIcon();
}

// Fills a menu or a toolbar with the commands of its layout, in order.
template <class Bar>
void AddItems(Bar& bar, const cmd::BarLayout& layout, const QHash<int, QAction*>& actions)
{
    for (std::size_t i = 0; i < layout.count; ++i) {
        const int id = layout.items[i];
        if (id == cmd::Separator)
            bar.addSeparator();
        else
            bar.addAction(actions.value(id));
    }
}

}  // namespace

CommandBars::CommandBars(QMainWindow& window, StateSource state)
    : QObject(&window), window_(window), state_(std::move(state))
{
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateShortcuts();
}

void CommandBars::CreateActions()
{
    for (const cmd::CommandInfo& info : cmd::Commands) {
        const QString prompt = QString::fromLatin1(info.prompt);
        const int nl = prompt.indexOf(QLatin1Char('\n'));
        const QString statusText = nl < 0 ? prompt : prompt.left(nl);
        const QString tip = nl < 0 ? prompt : prompt.mid(nl + 1);
        auto* a = new QAction(IconFor(info.icon), QString::fromLatin1(info.menuText), &window_);
        a->setIconText(QString::fromLatin1(info.caption));
        a->setStatusTip(statusText);
        a->setToolTip(tip);
        a->setWhatsThis(statusText);
        a->setData(info.id);
        // The text after "\t" is only shown as a hint; the keys are bound in CreateShortcuts.
        a->setShortcutContext(Qt::WidgetShortcut);
        const int id = info.id;
        connect(a, &QAction::triggered, this, [this, id] { emit commandTriggered(id); });
        actions_.insert(id, a);
    }
}

void CommandBars::CreateMenus()
{
    QMenuBar* bar = window_.menuBar();
    bar->setObjectName(QStringLiteral("Menu Bar"));
    for (const cmd::BarLayout& popup : cmd::MenuLayout) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(popup.title));
        AddItems(*menu, popup, actions_);
        if (popup.items[0] == cmd::Open)
            fileMenu_ = menu;
    }
}

void CommandBars::CreateToolBars()
{
    for (const cmd::BarLayout& layout : cmd::ToolbarLayout) {
        auto* tb = new QToolBar(QString::fromLatin1(layout.title), &window_);
        tb->setObjectName(QString::fromLatin1(layout.title));
        tb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tb->setIconSize(QSize(24, 24));
        tb->setAllowedAreas(Qt::AllToolBarAreas);
        tb->setMovable(true);
        AddItems(*tb, layout, actions_);
        // Added one after another to the top area, they share one row.
        window_.addToolBar(Qt::TopToolBarArea, tb);
        toolBars_ << tb;
    }
}

void CommandBars::CreateShortcuts()
{
    struct Key {
        QKeySequence keys;
        std::function<void()> run;
    };
    const auto run = [this](int id) { return [this, id] { emit commandTriggered(id); }; };
    // The keys of the exports follow the commands' enabling rules, as the
    // menu items that show them do.
    const auto whenEnabled = [this](int id) {
        return [this, id] {
            if (QAction* a = action(id); a && a->isEnabled())
                emit commandTriggered(id);
        };
    };
    const Key keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), run(cmd::New)},
        {QKeySequence(Qt::CTRL | Qt::Key_O), run(cmd::Open)},
        {QKeySequence(Qt::CTRL | Qt::Key_P), run(cmd::Print)},
        {QKeySequence(Qt::CTRL | Qt::Key_E), whenEnabled(cmd::SaveExcel)},
        {QKeySequence(Qt::CTRL | Qt::Key_T), whenEnabled(cmd::SaveTxt)},
        {QKeySequence(Qt::CTRL | Qt::Key_J), whenEnabled(cmd::SaveBmp)},
        // Save has an empty handler: the key is taken and nothing happens.
        {QKeySequence(Qt::CTRL | Qt::Key_S), [] {}},
        {QKeySequence(Qt::Key_F6), [this] { emit focusCycleRequested(true); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), [this] { emit focusCycleRequested(false); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), run(cmd::ContextHelp)},
        {QKeySequence(Qt::Key_F1), run(cmd::Help)},
    };
    for (const Key& k : keys) {
        auto* s = new QShortcut(k.keys, &window_);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, k.run);
    }
    // Undo, cut, copy and paste have no command here; their keys are left to
    // the focused control, so text fields in the panes keep them.
}

void CommandBars::UpdateCommandUI()
{
    ++updateCount_;
    const CommandState s = state_();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it)
        it.value()->setEnabled(CommandRules::IsEnabled(it.key(), s));
    for (QAction* a : std::as_const(recentActions_))
        a->setEnabled(CommandRules::IsEnabled(cmd::RecentFile, s));
    emit connectionTextChanged(CommandRules::ConnectionText(s));
}

void CommandBars::RebuildRecentMenu(const QStringList& files)
{
    if (!fileMenu_)
        return;
    QAction* placeholder = actions_.value(cmd::RecentFile);
    for (QAction* a : std::as_const(recentActions_)) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    // The placeholder "File List" stands where the entries go and shows, disabled, while there are none.
    placeholder->setVisible(files.isEmpty());
    const QList<QAction*> items = fileMenu_->actions();
    const int at = int(items.indexOf(placeholder));
    QAction* before = at + 1 < items.size() ? items.at(at + 1) : nullptr;
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), &window_);
        a->setStatusTip(QStringLiteral("Open this document"));
        a->setToolTip(QDir::toNativeSeparators(path));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { emit recentFileTriggered(path); });
        fileMenu_->insertAction(before, a);
        recentActions_ << a;
    }
    // The entries' enabling reads the list just changed.
    UpdateCommandUI();
}
