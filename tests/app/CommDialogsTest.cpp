// The progress window with its running bar, and the manual port dialog.
#include "app/CCommProgressDlg.h"
#include "app/CDSLCom.h"
#include "link/ProgressStepper.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QHeaderView>

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
    QTreeWidget* list = dialog.portList();
    ASSERT_EQ(list->topLevelItemCount(), 16);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "1: /dev/ttyUSB0");
    EXPECT_EQ(list->topLevelItem(15)->text(0), "16: /dev/ttyUSB15");
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

TEST(CDSLComTest, EachDeviceShowsWhatTheSystemKnowsOfIt)
{
    PortRecord usb;
    usb.path = QStringLiteral("/dev/ttyUSB0");
    usb.byIdName = QStringLiteral("usb-FTDI_FT232R_USB_UART_A10K3Z-if00-port0");
    usb.manufacturer = QStringLiteral("FTDI");
    usb.product = QStringLiteral("FT232R USB UART");
    usb.serialNumber = QStringLiteral("A10K3Z");
    usb.hasUsbIds = true;
    usb.vendorId = 0x0403;
    usb.productId = 0x6001;
    usb.kind = PortKind::Usb;
    PortRecord pty;
    pty.path = QStringLiteral("/dev/pts/4");
    pty.kind = PortKind::Named;

    CDSLCom dialog(QList<PortRecord>{usb, pty}, 1);
    QTreeWidget* list = dialog.portList();
    const QStringList headers = {"Port",    "Kind",          "By-id name", "Manufacturer",
                                 "Product", "Serial number", "VID:PID"};
    ASSERT_EQ(list->columnCount(), int(headers.size()));
    for (int c = 0; c < list->columnCount(); ++c)
        EXPECT_EQ(list->headerItem()->text(c), headers[c]);
    const QStringList first = {"1: /dev/ttyUSB0", "USB serial device", "usb-FTDI_FT232R_USB_UART_A10K3Z-if00-port0",
                               "FTDI",            "FT232R USB UART",   "A10K3Z",
                               "0403:6001"};
    const QStringList second = {"2: /dev/pts/4", "named in TESSAVIEW_PORTS", "", "", "", "", ""};
    for (int c = 0; c < list->columnCount(); ++c) {
        EXPECT_EQ(list->topLevelItem(0)->text(c), first[c]) << c;
        EXPECT_EQ(list->topLevelItem(1)->text(c), second[c]) << c;
    }

    // Every column shows whole: the list needs no sideways scrolling, unless
    // the screen is too narrow (the offscreen one is 800 pixels wide).
    dialog.show();
    ASSERT_TRUE(guitest::WaitUntil([&] { return dialog.isVisible(); }));
    QCoreApplication::processEvents();
    for (int c = 0; c < list->columnCount(); ++c)
        EXPECT_GE(list->header()->sectionSize(c), list->fontMetrics().horizontalAdvance(first[c])) << c;
    const int room = CDSLCom::MaxListWidth(*dialog.screen()) - 2 * list->frameWidth();
    EXPECT_GE(list->viewport()->width(), std::min(list->header()->length(), room));
    dialog.grab().toImage().save(QDir::temp().filePath("tessaview-select-port.png"));
}

TEST(CDSLComTest, RecordsForTakesTheKnownDetailsByPath)
{
    PortRecord known;
    known.path = QStringLiteral("/dev/ttyACM0");
    known.serialNumber = QStringLiteral("77");
    const QList<PortRecord> records = CDSLCom::RecordsFor({"/dev/pts/9", "/dev/ttyACM0"}, {known});
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].path, "/dev/pts/9");
    EXPECT_TRUE(records[0].serialNumber.isEmpty());
    EXPECT_EQ(records[1].path, "/dev/ttyACM0");
    EXPECT_EQ(records[1].serialNumber, "77");
}

int CurrentRow(const CDSLCom& dialog)
{
    return dialog.portList()->indexOfTopLevelItem(dialog.portList()->currentItem());
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
        EXPECT_EQ(CurrentRow(dialog), k.chosen - 1) << k.devices << " devices, start " << k.initial;
    }
}

TEST(CDSLComTest, EverySelectionSetsTheChosenNumberAtOnce)
{
    CDSLCom dialog(Devices(5), 2);
    for (int index : {4, 0, 3}) {
        dialog.portList()->setCurrentItem(dialog.portList()->topLevelItem(index));
        EXPECT_EQ(dialog.chosenNumber(), index + 1);
        EXPECT_EQ(dialog.currentText(), QStringLiteral("%1: /dev/ttyUSB%2").arg(index + 1).arg(index));
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
                dialog->selectNumber(k.select + 1);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            buttons->button(k.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        EXPECT_EQ(CDSLCom::Choose(nullptr, Devices(3), k.initial), k.result) << k.what;
        EXPECT_TRUE(opened) << k.what;
    }
}

TEST(CDSLComTest, KeyboardChoosesWithArrowsAndReturn)
{
    struct Case {
        const char* what;
        std::vector<Qt::Key> keys;
        int result;
    };
    const Case cases[] = {
        {"Return takes the first", {Qt::Key_Return}, 1},
        {"Down, Return", {Qt::Key_Down, Qt::Key_Return}, 2},
        {"End, Enter", {Qt::Key_End, Qt::Key_Enter}, 3},
        {"Down, Escape", {Qt::Key_Down, Qt::Key_Escape}, 0},
    };
    for (const Case& k : cases) {
        WhenOpen<CDSLCom>([&](CDSLCom* dialog) {
            // The keys go to the list: it holds the dialog's focus.
            EXPECT_EQ(dialog->focusWidget(), dialog->portList()) << k.what;
            for (Qt::Key key : k.keys)
                QTest::keyClick(dialog->portList(), key);
        });
        EXPECT_EQ(CDSLCom::Choose(nullptr, Devices(3), 1), k.result) << k.what;
    }
}

TEST(CDSLComTest, NothingToChooseFromGivesZeroWithoutADialog)
{
    EXPECT_EQ(CDSLCom::Choose(nullptr, QStringList(), 1), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    CDSLCom dialog(QStringList(), 1);
    EXPECT_EQ(dialog.chosenNumber(), 0);
    EXPECT_EQ(dialog.portList()->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog.currentText().isEmpty());
}

}  // namespace
