// The date combo of the query pane: an editable combo whose drop-down opens a
// month calendar instead of a list.
#pragma once

#include <QComboBox>
#include <QDate>
#include <QRect>

#include <functional>
#include <optional>

class CDatePickerCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CDatePickerCombo(QWidget* parent = nullptr);

    // The text of the edit field: empty, eight digits put there by the
    // calendar, "Please pick date.", or whatever the user typed.
    QString dateText() const { return currentText(); }

    // Shows the calendar below the combo and puts the picked day, or
    // "Please pick date." when none was picked, into the edit field.
    void PickDate();

    // The day the calendar opens on while the edit field holds no date (the
    // open log's first or last day); an invalid date leaves it on today.
    void setDefaultDay(std::function<QDate()> day) { defaultDay_ = std::move(day); }

    // The drop-down request: the calendar, never the combo's own list.
    void showPopup() override;
    void hidePopup() override;

    // "%04d%02d%02d" of the picked day, or "Please pick date.".
    static QString PickedText(const std::optional<QDate>& day);
    // The calendar's place: its minimum size plus 4 pixels each way, its right
    // edge at the combo's right edge, its top at the combo's bottom.
    static QRect PopupRect(const QRect& comboOnScreen, const QSize& calendarMinimum);

private:
    std::function<QDate()> defaultDay_;
};
