// The date combo of the query pane and its calendar popup.
#include "panes/CDatePickerCombo.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr int PopupMarginPx = 4;

// A modal popup holding a month calendar; accepted when a day is picked,
// rejected when it is closed otherwise (a click outside, Escape).
class CalendarPopup : public QDialog {
public:
    explicit CalendarPopup(QWidget* owner) : QDialog(owner, Qt::Popup)
    {
        calendar = new QCalendarWidget(this);
        calendar->setGridVisible(false);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendar->setSelectedDate(QDate::currentDate());
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(PopupMarginPx / 2, PopupMarginPx / 2, PopupMarginPx / 2, PopupMarginPx / 2);
        layout->addWidget(calendar);
        // A click on a day, or Enter on the selected one, picks it.
        connect(calendar, &QCalendarWidget::clicked, this, &CalendarPopup::Pick);
        connect(calendar, &QCalendarWidget::activated, this, &CalendarPopup::Pick);
    }

    void Pick(QDate day)
    {
        picked = day;
        accept();
    }

    QCalendarWidget* calendar = nullptr;
    std::optional<QDate> picked;
};

}  // namespace

CDatePickerCombo::CDatePickerCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // Enter in the edit field belongs to the dialog's default button, not to
    // the combo's list.
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
}

void CDatePickerCombo::showPopup() { PickDate(); }

void CDatePickerCombo::hidePopup() {}

void CDatePickerCombo::PickDate()
{
    CalendarPopup popup(this);
    popup.setObjectName(QStringLiteral("calendarPopup"));
    // Open at the day already in the box, when it holds one, else at the
    // default day.
    QDate shown = QDate::fromString(dateText(), QStringLiteral("yyyyMMdd"));
    if (!shown.isValid() && defaultDay_)
        shown = defaultDay_();
    if (shown.isValid())
        popup.calendar->setSelectedDate(shown);
    const QRect comboOnScreen(mapToGlobal(QPoint(0, 0)), size());
    popup.setGeometry(PopupRect(comboOnScreen, popup.calendar->minimumSizeHint()));
    const bool accepted = popup.exec() == QDialog::Accepted;
    const QString text = PickedText(accepted ? popup.picked : std::nullopt);
    setEditText(text);
    // Select the whole text with the cursor at its start, so a narrow combo
    // shows the beginning of "Please pick date.".
    lineEdit()->setSelection(int(text.size()), -int(text.size()));
}

QString CDatePickerCombo::PickedText(const std::optional<QDate>& day)
{
    if (!day || !day->isValid())
        return QStringLiteral("Please pick date.");
    return QString::asprintf("%04d%02d%02d", day->year(), day->month(), day->day());
}

QRect CDatePickerCombo::PopupRect(const QRect& comboOnScreen, const QSize& calendarMinimum)
{
    const QSize size = calendarMinimum + QSize(PopupMarginPx, PopupMarginPx);
    return QRect(QPoint(comboOnScreen.right() + 1 - size.width(), comboOnScreen.bottom() + 1), size);
}
