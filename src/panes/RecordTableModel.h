// The record list's table: a snapshot of the store's records, formatted only
// when a cell is shown.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <vector>

class LogStore;

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int MaxColumns = 6;
    static constexpr int ColumnWidths[MaxColumns] = {40, 80, 60, 50, 50, 50};

    explicit RecordTableModel(QObject* parent = nullptr);

    // Columns only, with the Celsius headings, for a log of channelCount
    // channels; no rows.
    void ShowColumns(uint32_t channelCount);
    // Copies the records' stamps and values of the shown channels. The table
    // keeps showing this copy until the next fill, whatever the store does.
    void Fill(const LogStore& store);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // "%6.1f": at least six characters, one decimal, padded on the left.
    static QString FormatValue(float value);
    // min(channelCount + 3, 6), without overflowing for a damaged count.
    static int ColumnsFor(uint32_t channelCount);

private:
    QString CellText(int row, int column) const;

    int rows_ = 0;
    int columns_ = 3;
    bool celsius_ = true;
    std::vector<char> stamps_;   // rows_ × 14 characters
    std::vector<float> values_;  // (columns_ − 3) runs of rows_ values, channel 1 first
};
