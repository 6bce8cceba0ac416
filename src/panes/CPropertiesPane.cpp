// The setup pane: the logger's setup block in a property grid and three buttons.
#include "panes/CPropertiesPane.h"

#include "link/AppData.h"
#include "panes/PropertyGrid.h"

#include <QIcon>
#include <QMessageBox>
#include <QResizeEvent>
#include <QToolButton>

#include <algorithm>
#include <cstring>

namespace {

using Kind = PropertyGrid::Kind;

Kind KindOf(SetupEditor editor)
{
    switch (editor) {
    case SetupEditor::Text: return Kind::Text;
    case SetupEditor::Integer: return Kind::Integer;
    case SetupEditor::List: return Kind::List;
    case SetupEditor::ReadOnly: break;
    }
    return Kind::ReadOnly;
}

constexpr int ButtonSide = 29;
constexpr int ButtonTop = 5;
constexpr int IconSide = 22;
constexpr int GridLeft = 2;
constexpr int GridTop = 39;
constexpr int MinDescriptionHeight = 10;

// The logger's own tip colours: black on pale green.
const char* const TipStyle =
    "QToolTip { color: black; background-color: rgb(225, 245, 225); border: 1px solid rgb(120, 150, 120); }";

}  // namespace

CPropertiesPane::Layout CPropertiesPane::LayoutFor(int w, int h)
{
    Layout layout;
    // The grid fills the pane below the button row and ends at its bottom
    // edge, so that the description area is seen whole.
    layout.grid = QRect(GridLeft, GridTop, std::max(0, w - GridLeft), std::max(0, h - GridTop));
    layout.descriptionHeight = std::max(MinDescriptionHeight, int(h * 0.2));
    const int unit = w / 9;
    layout.readButton = QRect(unit, ButtonTop, ButtonSide, ButtonSide);
    layout.writeButton = QRect(3 * unit, ButtonTop, ButtonSide, ButtonSide);
    layout.clockButton = QRect(7 * unit, ButtonTop, ButtonSide, ButtonSide);
    return layout;
}

CPropertiesPane::CPropertiesPane(AppData& data, QWidget* parent) : QWidget(parent), data_(data)
{
    grid_ = new PropertyGrid(this);
    grid_->setObjectName(QStringLiteral("setupGrid"));
    readButton_ = MakeButton("readSetupButton", QStringLiteral(":/icons/read-setup.png"),
                             QStringLiteral("Get setup information from logger."));
    writeButton_ = MakeButton("writeSetupButton", QStringLiteral(":/icons/write-setup.png"),
                              QStringLiteral("Synchronize setup information to logger."));
    clockButton_ = MakeButton("setClockButton", QStringLiteral(":/icons/set-clock.png"),
                              QStringLiteral("Synchronize computer time to logger."));
    connect(readButton_, &QToolButton::clicked, this, &CPropertiesPane::readSetupRequested);
    connect(writeButton_, &QToolButton::clicked, this, &CPropertiesPane::writeSetupRequested);
    connect(clockButton_, &QToolButton::clicked, this, &CPropertiesPane::setClockRequested);

    BuildGrid();
    connect(grid_, &PropertyGrid::itemValueChanged, this, &CPropertiesPane::OnItemValueChanged);

    setFocusProxy(grid_);
    ApplyLayout(width(), height());
}

QToolButton* CPropertiesPane::MakeButton(const char* name, const QString& icon, const QString& tip)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    // A missing image leaves a plain button.
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(IconSide, IconSide));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(tip);
    button->setStyleSheet(QString::fromLatin1(TipStyle));
    button->setEnabled(false);
    button->resize(ButtonSide, ButtonSide);
    return button;
}

void CPropertiesPane::BuildGrid()
{
    // The setup block's one table of fields, a category starting where its name changes.
    const char* category = nullptr;
    int index = -1;
    for (const SetupField& field : SetupFields()) {
        if (!category || std::strcmp(category, field.category) != 0) {
            if (index >= 0)
                grid_->setCategoryExpanded(index, true);
            category = field.category;
            index = grid_->addCategory(QString::fromLatin1(category));
        }
        grid_->addItem(field.id, KindOf(field.editor), QString::fromLatin1(field.caption),
                       QString::fromLatin1(field.description), field.entries);
    }
    if (index >= 0)
        grid_->setCategoryExpanded(index, true);
}

void CPropertiesPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyLayout(event->size().width(), event->size().height());
}

void CPropertiesPane::ApplyLayout(int w, int h)
{
    const Layout layout = LayoutFor(w, h);
    grid_->setGeometry(layout.grid);
    grid_->setDescriptionHeight(layout.descriptionHeight);
    readButton_->setGeometry(layout.readButton);
    writeButton_->setGeometry(layout.writeButton);
    clockButton_->setGeometry(layout.clockButton);
}

void CPropertiesPane::EnableLoggerButtons(bool enabled)
{
    readButton_->setEnabled(enabled);
    writeButton_->setEnabled(enabled);
    clockButton_->setEnabled(enabled);
}

void CPropertiesPane::ShowSetupValues()
{
    const LoggerConfig& c = data_.config;
    for (const SetupField& field : SetupFields())
        grid_->setValue(field.id, field.shownText(c));
}

void CPropertiesPane::ClearSetupValues()
{
    for (const SetupField& field : SetupFields())
        grid_->setValue(field.id, QString());
}

void CPropertiesPane::OnItemValueChanged(int id, const QString& text)
{
    const SetupField* field = FindSetupField(id);
    if (!field || !field->apply)
        return;  // read-only items change nothing
    LoggerConfig& c = data_.config;
    const SetupEditResult result = field->apply(c, text);
    if (result.ok)
        return;
    // The field keeps its value, and the item shows it again, so the grid
    // never shows what would not be sent.
    grid_->setValue(id, field->shownText(c));
    ShowRefusal(result.message);
}

void CPropertiesPane::ShowRefusal(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(MessageCaption), text, QMessageBox::Ok, this);
    box.exec();
}
