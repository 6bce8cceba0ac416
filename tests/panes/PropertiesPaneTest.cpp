// The setup pane: its items, the refill from the setup block, the user's edits, buttons and layout.
#include "panes/CPropertiesPane.h"

#include "link/AppData.h"
#include "panes/PropertyGrid.h"
#include "support/GridEditing.h"
#include "support/GuiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <cstring>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

using guitest::WaitUntil;
using guitest::WhenOpen;

using Kind = PropertyGrid::Kind;
using P = CPropertiesPane;

class PropertiesPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pane = std::make_unique<CPropertiesPane>(data);
        pane->resize(240, 620);
        pane->show();
    }

    PropertyGrid& grid() { return *pane->grid(); }
    LoggerConfig& config() { return data.config; }

    void Commit(int id, const QString& text) { guitest::CommitGridItem(grid(), id, text); }

    AppData data;
    std::unique_ptr<CPropertiesPane> pane;
};

TEST_F(PropertiesPaneTest, BuildsTheItemTableInOrder)
{
    struct Row {
        int id;
        const char* caption;
        const char* description;
        Kind kind;
        QStringList entries;
    };
    const std::vector<std::pair<const char*, std::vector<Row>>> expected = {
        {"Configuration",
         {{P::NameItem, "1. Name", "Logger Name", Kind::Text, {}},
          {P::TypeItem, "2. Type.", "", Kind::ReadOnly, {}},
          {P::ModelItem, "3. Model", "", Kind::ReadOnly, {}},
          {P::SerialItem, "4. Serial No.", "", Kind::Text, {}},
          {P::IntervalItem, "5. LOG Interval(s)", "2-43200", Kind::Integer, {}},
          {P::LogCountItem, "6. Log Count", "", Kind::ReadOnly, {}},
          {P::CapacityItem, "7. Memory Capacity", "", Kind::ReadOnly, {}},
          {P::UnitItem, "8. Temperature Unit", "", Kind::List, {"F", "C"}}}},
        {"Start Mode",
         {{P::StartModeItem, "1. Start Mode", "", Kind::List, {"No delay", "Delay", "Timer"}},
          {P::DelayItem, "2. Delay/Timer", "", Kind::Text, {}}}},
        {"Threshold",
         {{101, "1. Ch1 High", "", Kind::Text, {}},
          {103, "2. Ch1 Low", "", Kind::Text, {}},
          {102, "3. Ch2 High", "", Kind::Text, {}},
          {104, "4. Ch2 Low", "", Kind::Text, {}}}},
        {"Offset",
         {{2, "1. CH1 Offset", "", Kind::Text, {}},
          {3, "2. CH2 Offset", "", Kind::Text, {}},
          {4, "3. CH3 Offset", "", Kind::Text, {}}}},
    };
    ASSERT_EQ(grid().categoryCount(), int(expected.size()));
    QList<int> allIds;
    for (int c = 0; c < grid().categoryCount(); ++c) {
        const auto& [caption, rows] = expected[size_t(c)];
        EXPECT_EQ(grid().categoryCaption(c), caption);
        EXPECT_TRUE(grid().isCategoryExpanded(c)) << caption;
        const QList<int> ids = grid().categoryItems(c);
        ASSERT_EQ(ids.size(), qsizetype(rows.size())) << caption;
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            EXPECT_EQ(ids[qsizetype(i)], row.id) << row.caption;
            EXPECT_EQ(grid().caption(row.id), row.caption);
            EXPECT_EQ(grid().description(row.id), row.description) << row.caption;
            EXPECT_EQ(grid().kind(row.id), row.kind) << row.caption;
            EXPECT_EQ(grid().entries(row.id), row.entries) << row.caption;
            // Empty at first; the number item shows its starting 0.
            EXPECT_EQ(grid().value(row.id), row.id == P::IntervalItem ? "0" : "") << row.caption;
            allIds.append(row.id);
        }
    }
    EXPECT_EQ(grid().itemIds(), allIds);
}

TEST_F(PropertiesPaneTest, ShowSetupValuesFormatsEveryField)
{
    LoggerConfig& c = config();
    std::memcpy(c.loggerId, "0123456789", 10);
    std::strcpy(c.loggerName, "COLD ROOM 1");
    c.loggerType = 1;
    std::memcpy(c.model, "TH2006", 6);
    c.logInterval = 300;
    c.logCount = 1234;
    c.memoryCapacity = 43690;
    c.channelOffset[0] = -1.0f;
    c.channelOffset[1] = 2.37f;
    c.channelOffset[2] = 0.0f;
    c.celsius = 1;
    c.alarmHigh1 = 30;
    c.alarmLow1 = -5;
    c.alarmHigh2 = int8_t(200);
    c.alarmLow2 = -128;
    c.startMode = 1;
    c.startDelay = 3600;

    QSignalSpy changes(&grid(), &PropertyGrid::itemValueChanged);
    pane->ShowSetupValues();
    const std::pair<int, const char*> shown[] = {
        {P::NameItem, "COLD ROOM 1"},
        {P::TypeItem, "Temperature and Humidity Logger"},
        {P::ModelItem, "TH2006"},
        {P::SerialItem, "0123456789"},
        {P::IntervalItem, "300"},
        {P::LogCountItem, "1234"},
        {P::CapacityItem, "43690"},
        {P::UnitItem, "C"},
        {P::Offset1Item, "-1.0"},
        {P::Offset2Item, "2.4"},
        {P::Offset3Item, "0.0"},
        {P::Ch1HighItem, "30"},
        {P::Ch1LowItem, "-5"},
        {P::Ch2HighItem, "-56"},
        {P::Ch2LowItem, "-128"},
        {P::StartModeItem, "Delay"},
        {P::DelayItem, "3600"},
    };
    for (const auto& [id, text] : shown)
        EXPECT_EQ(grid().value(id), text) << grid().caption(id).toStdString();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(changes.count(), 0) << "a refill is not an edit";
}

TEST_F(PropertiesPaneTest, ShowSetupValuesNamesTypesUnitsAndStartModes)
{
    struct Case {
        uint8_t type, celsius, startMode;
        const char *typeName, *unit, *mode;
    };
    const Case cases[] = {
        {2, 0, 0, "Temperature Logger", "F", "No delay"},
        {3, 5, 2, "Dual-Temperature Logger", "C", "Timer"},
        {9, 1, 1, "Logger", "C", "Delay"},
        // A start mode without a name shows its number, not a neighbour's text.
        {1, 0, 3, "Temperature and Humidity Logger", "F", "3"},
        {1, 0, 255, "Temperature and Humidity Logger", "F", "255"},
    };
    for (const Case& k : cases) {
        config().loggerType = k.type;
        config().celsius = k.celsius;
        config().startMode = k.startMode;
        config().alarmLow2 = 7;
        pane->ShowSetupValues();
        EXPECT_EQ(grid().value(P::TypeItem), k.typeName) << int(k.type);
        EXPECT_EQ(grid().value(P::UnitItem), k.unit) << int(k.celsius);
        EXPECT_EQ(grid().value(P::StartModeItem), k.mode) << int(k.startMode);
    }
}

TEST_F(PropertiesPaneTest, FullNameAndSerialAreShownWhole)
{
    std::memcpy(config().loggerName, "ABCDEFGHIJKLMNOPQRSTUVWX", 24);  // 24 characters, then the zero
    std::memcpy(config().loggerId, "AB12CD34EF", 10);
    pane->ShowSetupValues();
    EXPECT_EQ(grid().value(P::NameItem), "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_EQ(grid().value(P::SerialItem), "AB12CD34EF");
}

struct EditCase {
    const char* what;
    int id;
    const char* typed;
    std::function<void(LoggerConfig&)> before;  // may be empty
    std::function<void(const LoggerConfig&)> check;
    const char* shownAfterRefill;  // nullptr: the item is not refilled from what was stored
};

class PaneEditTest : public PropertiesPaneTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(PaneEditTest, CommitGoesIntoTheSetupBlock)
{
    const EditCase& k = GetParam();
    if (k.before)
        k.before(config());
    Commit(k.id, k.typed);
    k.check(config());
    EXPECT_EQ(grid().value(k.id), k.typed) << "the grid keeps what the user typed";
    if (k.shownAfterRefill) {
        pane->ShowSetupValues();
        EXPECT_EQ(grid().value(k.id), k.shownAfterRefill);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, PaneEditTest,
    ::testing::Values(
        EditCase{"name keeps 16 of 20", P::NameItem, "ABCDEFGHIJKLMNOPQRST", nullptr,
                 [](const LoggerConfig& c) {
                     EXPECT_STREQ(c.loggerName, "ABCDEFGHIJKLMNOP");
                     for (int i = 16; i < 25; ++i)
                         EXPECT_EQ(c.loggerName[i], 0) << i;
                 },
                 "ABCDEFGHIJKLMNOP"},
        EditCase{"serial of 12 keeps 10", P::SerialItem, "SN1234567890", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(std::memcmp(c.loggerId, "SN12345678", 10), 0); },
                 "SN12345678"},
        EditCase{"interval", P::IntervalItem, "600", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.logInterval, 600u); }, "600"},
        EditCase{"interval below 2 is kept", P::IntervalItem, "1", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.logInterval, 1u); }, "1"},
        EditCase{"unit F", P::UnitItem, "F", [](LoggerConfig& c) { c.celsius = 1; },
                 [](const LoggerConfig& c) { EXPECT_EQ(c.celsius, 0); }, "F"},
        EditCase{"unit C", P::UnitItem, "C", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.celsius, 1); }, "C"},
        EditCase{"start Timer", P::StartModeItem, "Timer", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.startMode, 2); }, "Timer"},
        EditCase{"start Delay", P::StartModeItem, "Delay", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.startMode, 1); }, "Delay"},
        EditCase{"start No delay", P::StartModeItem, "No delay", [](LoggerConfig& c) { c.startMode = 2; },
                 [](const LoggerConfig& c) { EXPECT_EQ(c.startMode, 0); }, "No delay"},
        EditCase{"delay", P::DelayItem, "  3600s", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.startDelay, 3600); }, "3600"},
        EditCase{"ch1 low", P::Ch1LowItem, "-20", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.alarmLow1, -20); }, "-20"},
        EditCase{"ch2 high", P::Ch2HighItem, "85", nullptr,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.alarmHigh2, 85); }, "85"},
        EditCase{"offset 1", P::Offset1Item, "-1.25", nullptr,
                 [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[0], -1.25f); }, nullptr},
        EditCase{"offset 2", P::Offset2Item, "0.7", nullptr,
                 [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[1], 0.7f); }, "0.7"},
        EditCase{"offset 3", P::Offset3Item, "2.37", nullptr,
                 [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[2], 2.37f); }, "2.4"}),
    [](const ::testing::TestParamInfo<EditCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(PropertiesPaneTest, EditsTouchOnlyTheirOwnField)
{
    std::memcpy(config().loggerId, "0123456789", 10);
    config().alarmHigh1 = 11;
    config().alarmLow1 = 12;
    config().alarmHigh2 = 13;
    config().alarmLow2 = 14;
    Commit(P::Ch2HighItem, "50");
    EXPECT_EQ(config().alarmHigh1, 11);
    EXPECT_EQ(config().alarmLow1, 12);
    EXPECT_EQ(config().alarmHigh2, 50);
    EXPECT_EQ(config().alarmLow2, 14);
    Commit(P::Offset2Item, "1.5");
    EXPECT_FLOAT_EQ(config().channelOffset[0], 0.0f);
    EXPECT_FLOAT_EQ(config().channelOffset[1], 1.5f);
    EXPECT_FLOAT_EQ(config().channelOffset[2], 0.0f);
    EXPECT_EQ(std::memcmp(config().loggerId, "0123456789", 10), 0);
}

// Edits that do not fit: the message names the field and its range, the
// setup block keeps its value and the item shows that value again.
struct RefusedCase {
    const char* what;
    int id;
    const char* typed;
    const char* shownAfter;
    const char* message;
};

class PaneRefusalTest : public PropertiesPaneTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(PaneRefusalTest, RefusesWithTheRangeAndKeepsTheValue)
{
    const RefusedCase& k = GetParam();
    LoggerConfig& c = config();
    std::memcpy(c.loggerId, "0123456789", 10);
    c.alarmHigh1 = 30;
    c.alarmLow1 = -5;
    c.alarmLow2 = 12;
    c.channelOffset[0] = -1.0f;
    c.startDelay = 9;
    c.logInterval = 300;
    pane->ShowSetupValues();
    const LoggerConfig before = c;

    QString shown;
    WhenOpen<QMessageBox>([&](QMessageBox* box) {
        shown = box->text();
        EXPECT_EQ(box->windowTitle(), "VORNA Logger");
        box->button(QMessageBox::Ok)->click();
    });
    Commit(k.id, k.typed);
    ASSERT_TRUE(WaitUntil([&] { return !shown.isEmpty(); })) << k.what;
    EXPECT_EQ(shown.toStdString(), k.message);
    EXPECT_EQ(grid().value(k.id), k.shownAfter) << k.what;
    EXPECT_EQ(std::memcmp(c.loggerId, before.loggerId, 10), 0);
    EXPECT_EQ(c.alarmHigh1, before.alarmHigh1);
    EXPECT_EQ(c.alarmLow2, before.alarmLow2);
    EXPECT_EQ(c.channelOffset[0], before.channelOffset[0]);
    EXPECT_EQ(c.startDelay, before.startDelay);
    EXPECT_EQ(c.logInterval, before.logInterval);
}

INSTANTIATE_TEST_SUITE_P(
    OutOfRange, PaneRefusalTest,
    ::testing::Values(
        RefusedCase{"threshold 300", P::Ch1HighItem, "300", "30",
                    "Ch1 High must be a whole number from -128 to 127; \"300\" was not taken."},
        RefusedCase{"threshold 200", P::Ch1HighItem, "200", "30",
                    "Ch1 High must be a whole number from -128 to 127; \"200\" was not taken."},
        RefusedCase{"threshold without digits", P::Ch2LowItem, "low", "12",
                    "Ch2 Low must be a whole number from -128 to 127; \"low\" was not taken."},
        RefusedCase{"offset beyond the int16 of tenths", P::Offset1Item, "5000", "-1.0",
                    "CH1 Offset must be a number from -3276.8 to 3276.7; \"5000\" was not taken."},
        RefusedCase{"offset not finite", P::Offset1Item, "1e39", "-1.0",
                    "CH1 Offset must be a number from -3276.8 to 3276.7; \"1e39\" was not taken."},
        RefusedCase{"delay without digits", P::DelayItem, "soon", "9",
                    "Delay/Timer must be a whole number from -2147483648 to 2147483647; \"soon\" was not taken."},
        RefusedCase{"negative interval", P::IntervalItem, "-5", "300",
                    "LOG Interval(s) must be a whole number from 0 to 2147483647; \"-5\" was not taken."},
        RefusedCase{"short serial number", P::SerialItem, "123456789", "0123456789",
                    "Failed to synchronize configuration to the logger: The SN must includes 10 characters."}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(PropertiesPaneTest, ClearSetupValuesEmptiesEveryItem)
{
    std::strcpy(config().loggerName, "COLD ROOM 1");
    config().logInterval = 300;
    config().channelOffset[0] = 1.5f;
    pane->ShowSetupValues();
    pane->ClearSetupValues();
    for (int id : grid().itemIds())
        EXPECT_EQ(grid().value(id), id == P::IntervalItem ? "0" : "") << grid().caption(id).toStdString();
}

TEST_F(PropertiesPaneTest, ReadOnlyItemsCannotBeEdited)
{
    for (int id : {P::TypeItem, P::ModelItem, P::LogCountItem, P::CapacityItem})
        EXPECT_FALSE(grid().editItem(id)) << id;
}

TEST_F(PropertiesPaneTest, ShortSerialNumberShowsTheMessageAndKeepsTheIdentity)
{
    std::memcpy(config().loggerId, "0123456789", 10);
    bool seen = false;
    WhenOpen<QMessageBox>([&](QMessageBox* box) {
        seen = true;
        EXPECT_EQ(box->windowTitle(), "VORNA Logger");
        EXPECT_EQ(box->text(),
                  "Failed to synchronize configuration to the logger: The SN must includes 10 characters.");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        box->button(QMessageBox::Ok)->click();
    });
    Commit(P::SerialItem, "123456789");
    ASSERT_TRUE(WaitUntil([&] { return seen; }));
    // The identity stays, and the item shows it again: a write never sends
    // ten zero bytes.
    EXPECT_EQ(std::memcmp(config().loggerId, "0123456789", 10), 0);
    EXPECT_EQ(grid().value(P::SerialItem), "0123456789");

    // A full serial number afterwards is taken again, without a message.
    Commit(P::SerialItem, "9876543210");
    EXPECT_EQ(std::memcmp(config().loggerId, "9876543210", 10), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PropertiesPaneTest, ButtonsStartDisabledAndEnableTogether)
{
    QToolButton* buttons[] = {pane->readButton(), pane->writeButton(), pane->clockButton()};
    for (QToolButton* b : buttons)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    pane->EnableLoggerButtons(true);
    for (QToolButton* b : buttons)
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    pane->EnableLoggerButtons(false);
    for (QToolButton* b : buttons)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    // Edits still go into the setup block with the buttons disabled.
    Commit(P::IntervalItem, "60");
    EXPECT_EQ(config().logInterval, 60u);
}

TEST_F(PropertiesPaneTest, EachButtonHasItsTipAndSignal)
{
    QSignalSpy read(pane.get(), &CPropertiesPane::readSetupRequested);
    QSignalSpy write(pane.get(), &CPropertiesPane::writeSetupRequested);
    QSignalSpy clock(pane.get(), &CPropertiesPane::setClockRequested);
    struct Case {
        QToolButton* button;
        const char* tip;
        int read, write, clock;
    };
    const Case cases[] = {
        {pane->readButton(), "Get setup information from logger.", 1, 0, 0},
        {pane->writeButton(), "Synchronize setup information to logger.", 1, 1, 0},
        {pane->clockButton(), "Synchronize computer time to logger.", 1, 1, 1},
    };
    // Disabled buttons emit nothing.
    for (const Case& k : cases)
        QTest::mouseClick(k.button, Qt::LeftButton);
    EXPECT_EQ(read.count() + write.count() + clock.count(), 0);

    pane->EnableLoggerButtons(true);
    for (const Case& k : cases) {
        EXPECT_EQ(k.button->toolTip(), k.tip);
        QTest::mouseClick(k.button, Qt::LeftButton);
        EXPECT_EQ(read.count(), k.read) << k.tip;
        EXPECT_EQ(write.count(), k.write) << k.tip;
        EXPECT_EQ(clock.count(), k.clock) << k.tip;
    }
}

TEST_F(PropertiesPaneTest, TipsAreBlackOnPaleGreen)
{
    pane->EnableLoggerButtons(true);
    QToolButton* button = pane->writeButton();
    QToolTip::showText(button->mapToGlobal(button->rect().center()), button->toolTip(), button);
    QWidget* tip = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                tip = w;
        return tip != nullptr;
    }));
    const QImage image = tip->grab().toImage();
    image.save(QDir::temp().filePath("tessaview-setup-tip.png"));
    EXPECT_EQ(QColor(image.pixel(3, image.height() / 2)), QColor(225, 245, 225));
    EXPECT_EQ(tip->palette().color(QPalette::WindowText), QColor(Qt::black));
    QToolTip::hideText();
}

TEST(PropertiesPaneLayout, FollowsThePaneSize)
{
    struct Case {
        int w, h;
        int readX, writeX, clockX, description;
    };
    const Case cases[] = {
        {90, 300, 10, 30, 70, 60},
        {90, 40, 10, 30, 70, 10},
        {200, 600, 22, 66, 154, 120},
        {8, 49, 0, 0, 0, 10},   // narrower than 9: every button at 0
        {250, 51, 27, 81, 189, 10},
        {250, 54, 27, 81, 189, 10},
        {250, 55, 27, 81, 189, 11},
    };
    for (const Case& k : cases) {
        const CPropertiesPane::Layout layout = CPropertiesPane::LayoutFor(k.w, k.h);
        EXPECT_EQ(layout.readButton, QRect(k.readX, 5, 29, 29)) << k.w;
        EXPECT_EQ(layout.writeButton, QRect(k.writeX, 5, 29, 29)) << k.w;
        EXPECT_EQ(layout.clockButton, QRect(k.clockX, 5, 29, 29)) << k.w;
        EXPECT_EQ(layout.descriptionHeight, k.description) << k.h;
        // The grid sits below the buttons and ends at the pane's edges.
        EXPECT_EQ(layout.grid, QRect(2, 39, k.w - 2, std::max(0, k.h - 39))) << k.w << "x" << k.h;
    }
}

TEST_F(PropertiesPaneTest, ResizingMovesTheChildren)
{
    pane->resize(90, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->readButton()->geometry(), QRect(10, 5, 29, 29));
    EXPECT_EQ(pane->writeButton()->geometry(), QRect(30, 5, 29, 29));
    EXPECT_EQ(pane->clockButton()->geometry(), QRect(70, 5, 29, 29));
    EXPECT_EQ(grid().geometry(), QRect(2, 39, 88, 261));
    EXPECT_EQ(grid().descriptionHeight(), 60);

    pane->resize(90, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid().descriptionHeight(), 10);
}

TEST_F(PropertiesPaneTest, FocusPassesToTheGrid)
{
    EXPECT_EQ(pane->focusProxy(), pane->grid());
    pane->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pane.get()));
    pane->setFocus();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(pane->grid()->isAncestorOf(focus));
}

TEST_F(PropertiesPaneTest, RendersTheFilledGrid)
{
    std::strcpy(config().loggerName, "COLD ROOM 1");
    std::memcpy(config().loggerId, "0123456789", 10);
    std::memcpy(config().model, "TH2006", 6);
    config().loggerType = 1;
    config().logInterval = 300;
    config().celsius = 1;
    pane->resize(240, 560);
    pane->EnableLoggerButtons(true);
    grid().selectItem(P::IntervalItem);
    pane->ShowSetupValues();
    QCoreApplication::processEvents();
    const QImage image = pane->grab().toImage();
    image.save(QDir::temp().filePath("tessaview-setup-pane.png"));
    // Text was drawn: the grid area holds dark pixels.
    int dark = 0;
    for (int y = 45; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 96;
    EXPECT_GT(dark, 500);
}

}  // namespace
