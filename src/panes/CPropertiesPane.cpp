// The setup pane: the logger's setup block in a property grid and three buttons.
#include "panes/CPropertiesPane.h"

#include "link/AppData.h"
#include "logdata/Units.h"
#include "panes/PropertyGrid.h"

#include <QIcon>
#include <QMessageBox>
#include <QResizeEvent>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

using Kind = PropertyGrid::Kind;

struct ItemRow {
    int id;
    Kind kind;
    const char* caption;
    const char* description;
    QStringList entries;
};

struct CategoryRow {
    const char* caption;
    std::vector<ItemRow> items;
};

// The grid as the user sees it, top to bottom. The thresholds run 101, 103,
// 102, 104 so that their captions count 1 to 4.
const std::vector<CategoryRow>& GridRows()
{
    static const std::vector<CategoryRow> rows = {
        {"Configuration",
         {
             {CPropertiesPane::NameItem, Kind::Text, "1. Name", "Logger Name", {}},
             {CPropertiesPane::TypeItem, Kind::ReadOnly, "2. Type.", "", {}},
             {CPropertiesPane::ModelItem, Kind::ReadOnly, "3. Model", "", {}},
             {CPropertiesPane::SerialItem, Kind::Text, "4. Serial No.", "", {}},
             {CPropertiesPane::IntervalItem, Kind::Integer, "5. LOG Interval(s)", "2-43200", {}},
             {CPropertiesPane::LogCountItem, Kind::ReadOnly, "6. Log Count", "", {}},
             {CPropertiesPane::CapacityItem, Kind::ReadOnly, "7. Memory Capacity", "", {}},
             {CPropertiesPane::UnitItem, Kind::List, "8. Temperature Unit", "", {"F", "C"}},
         }},
        {"Start Mode",
         {
             {CPropertiesPane::StartModeItem, Kind::List, "1. Start Mode", "", {"No delay", "Delay", "Timer"}},
             {CPropertiesPane::DelayItem, Kind::Text, "2. Delay/Timer", "", {}},
         }},
        {"Threshold",
         {
             {CPropertiesPane::Ch1HighItem, Kind::Text, "1. Ch1 High", "", {}},
             {CPropertiesPane::Ch1LowItem, Kind::Text, "2. Ch1 Low", "", {}},
             {CPropertiesPane::Ch2HighItem, Kind::Text, "3. Ch2 High", "", {}},
             {CPropertiesPane::Ch2LowItem, Kind::Text, "4. Ch2 Low", "", {}},
         }},
        {"Offset",
         {
             {CPropertiesPane::Offset1Item, Kind::Text, "1. CH1 Offset", "", {}},
             {CPropertiesPane::Offset2Item, Kind::Text, "2. CH2 Offset", "", {}},
             {CPropertiesPane::Offset3Item, Kind::Text, "3. CH3 Offset", "", {}},
         }},
    };
    return rows;
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
    for (const CategoryRow& category : GridRows()) {
        const int index = grid_->addCategory(QString::fromLatin1(category.caption));
        for (const ItemRow& row : category.items)
            grid_->addItem(row.id, row.kind, QString::fromLatin1(row.caption), QString::fromLatin1(row.description),
                           row.entries);
        grid_->setCategoryExpanded(index, true);
    }
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
    grid_->setValue(NameItem, c.loggerNameText());
    grid_->setValue(TypeItem, QString::fromLatin1(TypeName(c.loggerType)));
    grid_->setValue(ModelItem, c.modelText());
    grid_->setValue(SerialItem, c.loggerIdText());
    // The counters are shown as "%d" shows them, so an interval read from the
    // logger goes back unchanged through the integer item.
    grid_->setValue(IntervalItem, QString::number(int32_t(c.logInterval)));
    grid_->setValue(LogCountItem, QString::number(int32_t(c.logCount)));
    grid_->setValue(CapacityItem, QString::number(c.memoryCapacity));
    grid_->setValue(UnitItem, c.celsiusText());
    grid_->setValue(Offset1Item, LoggerConfig::offsetText(c.channelOffset[0]));
    grid_->setValue(Offset2Item, LoggerConfig::offsetText(c.channelOffset[1]));
    grid_->setValue(Offset3Item, LoggerConfig::offsetText(c.channelOffset[2]));
    grid_->setValue(Ch1HighItem, QString::number(c.alarmHigh1));
    grid_->setValue(Ch1LowItem, QString::number(c.alarmLow1));
    grid_->setValue(Ch2HighItem, QString::number(c.alarmHigh2));
    grid_->setValue(Ch2LowItem, QString::number(c.alarmLow2));
    // A start mode the pane has no name for is shown as its number, so the
    // user sees what the logger holds.
    grid_->setValue(StartModeItem, c.startMode <= 2 ? c.startModeText() : QString::number(c.startMode));
    grid_->setValue(DelayItem, QString::number(c.startDelay));
}

void CPropertiesPane::OnItemValueChanged(int id, const QString& text)
{
    LoggerConfig& c = data_.config;
    switch (id) {
    case NameItem:
        c.SetLoggerName(text);
        break;
    case SerialItem:
        if (!c.SetLoggerId(text))
            ShowSerialNumberMessage();
        break;
    case IntervalItem:
        c.SetLogInterval(grid_->intValue(IntervalItem));
        break;
    case UnitItem:
        c.SetCelsius(text);
        break;
    case StartModeItem:
        c.SetStartMode(text);
        break;
    case DelayItem:
        c.SetStartDelay(text);
        break;
    case Ch1HighItem:
        c.SetAlarmHigh1(text);
        break;
    case Ch1LowItem:
        c.SetAlarmLow1(text);
        break;
    case Ch2HighItem:
        c.SetAlarmHigh2(text);
        break;
    case Ch2LowItem:
        c.SetAlarmLow2(text);
        break;
    case Offset1Item:
        c.SetChannelOffset(0, text);
        break;
    case Offset2Item:
        c.SetChannelOffset(1, text);
        break;
    case Offset3Item:
        c.SetChannelOffset(2, text);
        break;
    default:
        break;  // read-only items change nothing
    }
}

void CPropertiesPane::ShowSerialNumberMessage()
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(MessageCaption), QString::fromLatin1(SerialNumberMessage),
                    QMessageBox::Ok, this);
    box.exec();
}
