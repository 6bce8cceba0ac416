// The query pane: reading and checking the date texts, the calendar popup, Escape.
#include "link/AppData.h"
#include "panes/CDatePickerCombo.h"
#include "panes/CDatePickerDlg.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString DateMessage = QStringLiteral("请选择正确的起始日期后再进行操作！");

class DatePickerDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dlg = std::make_unique<CDatePickerDlg>(*data);
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }

    // Runs the query with the two texts and returns the message shown, if any.
    QString Query(const QString& from, const QString& to, bool byEnter = false)
    {
        dlg->fromCombo()->setEditText(from);
        dlg->toCombo()->setEditText(to);
        QString shown;
        // The message box is modal; answer it once it is up. When no box
        // comes, the query returns first and the watcher below is stopped.
        auto* watcher = new QTimer;
        watcher->setInterval(5);
        QObject::connect(watcher, &QTimer::timeout, [&shown, watcher] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                EXPECT_EQ(box->windowTitle(), QStringLiteral("VORNA Logger"));
                EXPECT_EQ(box->icon(), QMessageBox::Critical);
                shown = box->text();
                watcher->stop();
                box->accept();
            }
        });
        watcher->start();
        if (byEnter) {
            dlg->toCombo()->setFocus();
            QTest::keyClick(dlg->toCombo(), Qt::Key_Return);
        } else {
            dlg->queryButton()->click();
        }
        delete watcher;
        return shown;
    }

    std::unique_ptr<AppData> data = std::make_unique<AppData>();
    std::unique_ptr<CDatePickerDlg> dlg;
};

struct QueryCase {
    const char* what;
    const char* from;
    const char* to;
    int32_t fromDate, toDate;  // the numbers read
    bool runs;                 // queryRequested, else the date message
};

TEST_F(DatePickerDlgTest, QueryButtonChecksBothTexts)
{
    const QueryCase cases[] = {
        {"a range", "20110308", "20110310", 20110308, 20110310, true},
        {"one day", "20110308", "20110308", 20110308, 20110308, true},
        {"eight nines keep everything to the end", "20110308", "99999999", 20110308, 99999999, true},
        {"8 characters with dashes read as 2011", "2011-3-8", "20110310", 2011, 20110310, false},
        {"the calendar's no-pick text", "Please pick date.", "20110310", 0, 20110310, false},
        {"start after end", "20110310", "20110308", 20110310, 20110308, false},
        {"nothing typed", "", "", 0, 0, false},
        {"10000000 is too small", "10000000", "20110310", 10000000, 20110310, false},
        {"seven digits", "2011030", "20110310", 0, 20110310, false},
    };
    for (const QueryCase& k : cases) {
        QSignalSpy requested(dlg.get(), &CDatePickerDlg::queryRequested);
        const QString message = Query(QString::fromUtf8(k.from), QString::fromUtf8(k.to));
        EXPECT_EQ(dlg->fromDate, k.fromDate) << k.what;
        EXPECT_EQ(dlg->toDate, k.toDate) << k.what;
        if (k.runs) {
            EXPECT_TRUE(message.isEmpty()) << k.what;
            ASSERT_EQ(requested.size(), 1) << k.what;
            EXPECT_EQ(requested.first().at(0).toInt(), k.fromDate);
            EXPECT_EQ(requested.first().at(1).toInt(), k.toDate);
        } else {
            EXPECT_EQ(message, DateMessage) << k.what;
            EXPECT_EQ(requested.size(), 0) << k.what;
        }
        // The texts stay as they were.
        EXPECT_EQ(dlg->fromCombo()->currentText(), QString::fromUtf8(k.from));
    }
}

TEST_F(DatePickerDlgTest, EnterQueriesAndEscapeKeepsThePaneOpen)
{
    QSignalSpy requested(dlg.get(), &CDatePickerDlg::queryRequested);
    EXPECT_TRUE(Query(QStringLiteral("20110308"), QStringLiteral("20110309"), true).isEmpty());
    EXPECT_EQ(requested.size(), 1);
    EXPECT_EQ(dlg->toCombo()->count(), 0) << "Enter adds nothing to the combo's list";

    QTest::keyClick(dlg->fromCombo(), Qt::Key_Escape);
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    dlg->close();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->queryButton()->isDefault());
    EXPECT_EQ(dlg->queryButton()->text(), QStringLiteral("Query"));
}

TEST(DatePickerComboTest, PickedTextAndPopupPlace)
{
    EXPECT_EQ(CDatePickerCombo::PickedText(QDate(2011, 3, 8)), QStringLiteral("20110308"));
    EXPECT_EQ(CDatePickerCombo::PickedText(QDate(987, 12, 31)), QStringLiteral("09871231"));
    EXPECT_EQ(CDatePickerCombo::PickedText(std::nullopt), QStringLiteral("Please pick date."));
    EXPECT_EQ(CDatePickerCombo::PickedText(QDate()), QStringLiteral("Please pick date."));

    // Right edge on the combo's right edge, top on its bottom, 4 pixels larger.
    const QRect r = CDatePickerCombo::PopupRect(QRect(100, 50, 90, 22), QSize(200, 150));
    EXPECT_EQ(r, QRect(190 - 204, 72, 204, 154));
    EXPECT_EQ(r.right(), QRect(100, 50, 90, 22).right());
}

class DatePickerComboPopupTest : public DatePickerDlgTest {
protected:
    // Opens the calendar of a combo (the start combo unless told) and runs
    // action on its popup.
    void OnCalendar(std::function<void(QDialog*, QCalendarWidget*)> action, CDatePickerCombo* combo = nullptr)
    {
        if (!combo)
            combo = dlg->fromCombo();
        bool ran = false;
        guitest::WhenOpen<QDialog>([&](QDialog* popup) {
            auto* calendar = popup->findChild<QCalendarWidget*>();
            ASSERT_NE(calendar, nullptr);
            EXPECT_FALSE(combo->view()->isVisible()) << "the combo's own list never shows";
            const QRect place(combo->mapToGlobal(QPoint(0, 0)), combo->size());
            EXPECT_EQ(popup->geometry().right(), place.right());
            EXPECT_EQ(popup->geometry().top(), place.bottom() + 1);
            ran = true;
            action(popup, calendar);
        });
        combo->showPopup();
        EXPECT_TRUE(ran);
    }
};

TEST_F(DatePickerComboPopupTest, PickedDayGivesEightDigits)
{
    OnCalendar([](QDialog*, QCalendarWidget* calendar) {
        calendar->setSelectedDate(QDate(2011, 3, 8));
        emit calendar->clicked(QDate(2011, 3, 8));
    });
    EXPECT_EQ(dlg->fromCombo()->currentText(), QStringLiteral("20110308"));
    EXPECT_EQ(dlg->fromCombo()->lineEdit()->selectedText(), QStringLiteral("20110308"));

    // Opening again starts at that day; Enter on the selected day picks it.
    OnCalendar([](QDialog*, QCalendarWidget* calendar) {
        EXPECT_EQ(calendar->selectedDate(), QDate(2011, 3, 8));
        QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Right);
        QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Return);
    });
    EXPECT_EQ(dlg->fromCombo()->currentText(), QStringLiteral("20110309"));
}

TEST_F(DatePickerComboPopupTest, CalendarsOpenOnTheOpenLogsFirstAndLastDay)
{
    // Three days of records, 2011-03-08 14:05:30 onwards, twelve hours apart.
    fixtures::FillStore(data->store, 1, 5, [](int, uint32_t i) { return float(i); }, "ROOM", "0123456789",
                        "20110308140530", 12 * 3600);
    const struct {
        const char* text;  // in the combo before the calendar opens
        bool start;        // the start combo, else the end combo
        QDate opensOn;
    } cases[] = {
        {"", true, QDate(2011, 3, 8)},
        {"", false, QDate(2011, 3, 10)},
        {"Please pick date.", false, QDate(2011, 3, 10)},
        {"20120101", true, QDate(2012, 1, 1)},  // a day in the box wins
    };
    for (const auto& k : cases) {
        CDatePickerCombo* combo = k.start ? dlg->fromCombo() : dlg->toCombo();
        combo->setEditText(QString::fromLatin1(k.text));
        OnCalendar(
            [&](QDialog* popup, QCalendarWidget* calendar) {
                EXPECT_EQ(calendar->selectedDate(), k.opensOn) << k.text;
                EXPECT_EQ(calendar->yearShown(), k.opensOn.year()) << k.text;
                EXPECT_EQ(calendar->monthShown(), k.opensOn.month()) << k.text;
                popup->close();
            },
            combo);
    }

    // Without a log the calendar opens on today.
    data->store.recordCount = 0;
    dlg->fromCombo()->setEditText(QString());
    OnCalendar([](QDialog* popup, QCalendarWidget* calendar) {
        EXPECT_EQ(calendar->selectedDate(), QDate::currentDate());
        popup->close();
    });
}

TEST_F(DatePickerDlgTest, FocusGoesIntoFrom)
{
    dlg->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(dlg->focusWidget(), dlg->fromCombo());
}

TEST_F(DatePickerComboPopupTest, ClosedWithoutPickAsksForADate)
{
    dlg->fromCombo()->setEditText(QStringLiteral("20110308"));
    OnCalendar([](QDialog* popup, QCalendarWidget*) { popup->close(); });
    EXPECT_EQ(dlg->fromCombo()->currentText(), QStringLiteral("Please pick date."));

    OnCalendar([](QDialog*, QCalendarWidget* calendar) {
        QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Escape);
    });
    EXPECT_EQ(dlg->fromCombo()->currentText(), QStringLiteral("Please pick date."));
}

}  // namespace
