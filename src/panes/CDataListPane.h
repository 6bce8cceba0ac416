// The Data List pane: the records of the open log as a table, rebuilt from
// the store by FillRecordList() once per change the open log's document
// announces. A change made to the store behind the document's back is not
// seen until the next fill.
#pragma once

#include <QWidget>

struct AppData;
class QTableView;
class RecordTableModel;

class CDataListPane : public QWidget {
    Q_OBJECT
public:
    explicit CDataListPane(AppData& data, QWidget* parent = nullptr);

    // Rebuilds the whole table from the store: columns by channel count and
    // temperature unit, one row per record. Runs on every announcement of
    // the document; the frame also runs it when it first makes the pane.
    void FillRecordList();
    // The open log's limits changed: the rows keep their values, their colours follow.
    void LimitsChanged();

    QTableView* list() const { return list_; }
    // The width of a column: its listed width, or more when the font needs it.
    int ColumnWidth(int column) const;
    // The pane width that shows every column of the table whole, beside the
    // vertical scroll bar.
    int FullWidth() const;
    RecordTableModel* model() const { return model_; }

private:
    void ApplyColumnLayout();

    AppData& data_;
    QTableView* list_ = nullptr;
    RecordTableModel* model_ = nullptr;
};
