// The progress window with its running bar, and the manual port dialog.
#include "app/CCommProgressDlg.h"
#include "app/CDSLCom.h"
#include "link/ProgressStepper.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>

#include <vector>

#include <gtest/gtest.h>

namespace {

using guitest::WhenOpen;

QStringList Devices(int n)
{
    QStringList devices;
    for (int i = 0; i < n; ++i)
        devices << QStringLiteral("/dev/ttyUSB%1").arg(i);
    return devices;
}

TEST(ProgressStepperTest, RunsOddPositionsAndStartsOver)
{
    // What the bar shows at start and after each of twelve one-second ticks.
    const std::vector<int> expected = {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 1, 3, 5};
    ProgressStepper stepper;
    std::vector<int> seen = {stepper.position()};
    for (int tick = 0; tick < 12; ++tick)
        seen.push_back(stepper.Tick());
    EXPECT_EQ(seen, expected);
}

TEST(ProgressStepperTest, NextPositionStaysInTheBarsRange)
{
    const std::pair<int, int> cases[] = {{0, 2}, {1, 3}, {18, 20}, {19, 1}, {20, 2}};
    for (const auto& [from, to] : cases)
        EXPECT_EQ(ProgressStepper::NextPosition(from), to) << from;
    for (int pos = ProgressStepper::Minimum; pos <= ProgressStepper::Maximum; ++pos) {
        const int next = ProgressStepper::NextPosition(pos);
        EXPECT_GE(next, ProgressStepper::Minimum) << pos;
        EXPECT_LE(next, ProgressStepper::Maximum) << pos;
    }
}

TEST(CCommProgressDlgTest, StartsHiddenWithItsBarRunning)
{
    CCommProgressDlg dlg;
    EXPECT_FALSE(dlg.isVisible());
    auto* bar = dlg.findChild<QProgressBar*>("progressBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(dlg.position(), 1);
    // Its own one-second timer runs while the window is hidden.
    EXPECT_TRUE(dlg.tickTimer().isActive());
    EXPECT_EQ(dlg.tickTimer().interval(), 1000);
    EXPECT_FALSE(dlg.tickTimer().isSingleShot());
}

TEST(CCommProgressDlgTest, TicksStepTheBarShownOrHidden)
{
    CCommProgressDlg dlg;
    dlg.Tick();
    EXPECT_EQ(dlg.position(), 3);
    dlg.showText("Begin to set the logger time...");
    for (int i = 0; i < 8; ++i)
        dlg.Tick();
    EXPECT_EQ(dlg.position(), 19);
    dlg.hide();
    dlg.Tick();
    EXPECT_EQ(dlg.position(), 1);
    EXPECT_TRUE(dlg.tickTimer().isActive());
}

TEST(CCommProgressDlgTest, ShowTextShowsCentredAndHideHides)
{
    QMainWindow frame;
    frame.setGeometry(100, 80, 640, 480);
    frame.show();
    CCommProgressDlg dlg(&frame);
    const QString text = "Connecting to the logger, and the USB port is 3. Please wait...";
    dlg.showText(text);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.text(), text);
    auto* label = dlg.findChild<QLabel*>("progressText");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    const QPoint offset = dlg.frameGeometry().center() - frame.frameGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 1);
    EXPECT_LE(std::abs(offset.y()), 1);

    // No caption, no input, no focus.
    const Qt::WindowFlags flags = dlg.windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTransparentForInput);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_NE(QApplication::focusWidget() ? QApplication::focusWidget()->window() : nullptr, &dlg);

    const QImage image = dlg.grab().toImage();
    image.save(QDir::temp().filePath("tessaview-progress.png"));

    dlg.hide();
    EXPECT_FALSE(dlg.isVisible());
    dlg.showText("Begin to read configuration from the logger. Please wait...");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.text(), "Begin to read configuration from the logger. Please wait...");
}

TEST(CDSLComTest, ListsTheFirstSixteenDevicesByNumber)
{
    CDSLCom dialog(Devices(20), 1);
    EXPECT_EQ(dialog.windowTitle(), "Select a port manually");
    auto* label = dialog.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Port:");
    QComboBox* list = dialog.portList();
    EXPECT_FALSE(list->isEditable());
    ASSERT_EQ(list->count(), 16);
    EXPECT_EQ(list->itemText(0), "1: /dev/ttyUSB0");
    EXPECT_EQ(list->itemText(15), "16: /dev/ttyUSB15");
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    dialog.show();
    QCoreApplication::processEvents();
    dialog.grab().toImage().save(QDir::temp().filePath("tessaview-select-port.png"));
}

TEST(CDSLComTest, StartsOnTheGivenNumberOrTheFirst)
{
    struct Case {
        int devices, initial, chosen;
    };
    const Case cases[] = {
        {3, 2, 2}, {3, 3, 3}, {3, 1, 1}, {3, 0, 1}, {3, 4, 1}, {3, -1, 1},
        {20, 16, 16}, {20, 17, 1},  // only the first sixteen are offered
        {1, 1, 1},
    };
    for (const Case& k : cases) {
        CDSLCom dialog(Devices(k.devices), k.initial);
        EXPECT_EQ(dialog.chosenNumber(), k.chosen) << k.devices << " devices, start " << k.initial;
        EXPECT_EQ(dialog.portList()->currentIndex(), k.chosen - 1) << k.devices << " devices, start " << k.initial;
    }
}

TEST(CDSLComTest, EverySelectionSetsTheChosenNumberAtOnce)
{
    CDSLCom dialog(Devices(5), 2);
    for (int index : {4, 0, 3}) {
        dialog.portList()->setCurrentIndex(index);
        EXPECT_EQ(dialog.chosenNumber(), index + 1);
    }
}

TEST(CDSLComTest, ChooseReturnsTheChoiceOrZero)
{
    struct Case {
        const char* what;
        int initial;
        int select;  // -1: leave the selection alone
        bool ok;
        int result;
    };
    const Case cases[] = {
        {"OK without a change", 2, -1, true, 2},
        {"OK after a change", 2, 0, true, 1},
        {"start outside the list", 9, -1, true, 1},
        {"Cancel after a change", 1, 2, false, 0},
    };
    for (const Case& k : cases) {
        bool opened = false;
        WhenOpen<CDSLCom>([&](CDSLCom* dialog) {
            opened = true;
            if (k.select >= 0)
                dialog->portList()->setCurrentIndex(k.select);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            buttons->button(k.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        EXPECT_EQ(CDSLCom::Choose(nullptr, Devices(3), k.initial), k.result) << k.what;
        EXPECT_TRUE(opened) << k.what;
    }
}

TEST(CDSLComTest, NothingToChooseFromGivesZeroWithoutADialog)
{
    EXPECT_EQ(CDSLCom::Choose(nullptr, {}, 1), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    CDSLCom dialog({}, 1);
    EXPECT_EQ(dialog.chosenNumber(), 0);
    EXPECT_EQ(dialog.portList()->count(), 0);
}

}  // namespace
