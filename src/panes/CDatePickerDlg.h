// The Query pane: "From:" and "To:" date combos and the "Query" button that
// asks the frame to narrow the open log to a range of days.
#pragma once

#include <QDialog>

#include <cstdint>

struct AppData;
class CDatePickerCombo;
class QPushButton;

class CDatePickerDlg : public QDialog {
    Q_OBJECT
public:
    // The pane reads nothing of the data block itself (the frame runs the
    // query on the store); it takes it like the other panes.
    // The calendars open on the first and the last day of the log the store
    // holds.
    explicit CDatePickerDlg(AppData& data, QWidget* parent = nullptr);

    // The dates of the last query attempt as YYYYMMDD, 0 when a text was
    // not usable.
    int32_t fromDate = 0;
    int32_t toDate = 0;

    // The Query button (and Enter): reads both texts; shows the date message
    // when they do not make a range, otherwise emits queryRequested.
    void OnQuery();

    CDatePickerCombo* fromCombo() const { return from_; }
    CDatePickerCombo* toCombo() const { return to_; }
    QPushButton* queryButton() const { return query_; }

    // Escape and the close request leave the pane's dialog open.
    void reject() override;

signals:
    // The frame reloads the open log, then keeps the records of the range.
    void queryRequested(int32_t fromDate, int32_t toDate);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppData& data_;
    CDatePickerCombo* from_ = nullptr;
    CDatePickerCombo* to_ = nullptr;
    QPushButton* query_ = nullptr;
};
