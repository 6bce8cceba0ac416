// The record list's table: a snapshot of the store's records, formatted only
// when a cell is shown.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class LogStore;
struct LogLimits;

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
    // With limits, a value above its channel's high limit shows in red and
    // one below the low limit in blue; the limits are copied as well.
    void Fill(const LogStore& store, const LogLimits* limits = nullptr);

    // New limits for the rows shown: only the colours change.
    void SetLimits(const LogLimits* limits);

    static QColor AboveColour();
    static QColor BelowColour();

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
    void TakeLimits(const LogLimits* limits);

    int rows_ = 0;
    int columns_ = 3;
    bool celsius_ = true;
    std::vector<char> stamps_;   // rows_ × 14 characters
    std::vector<float> values_;  // (columns_ − 3) runs of rows_ values, channel 1 first
    std::optional<double> low_[MaxColumns - 3], high_[MaxColumns - 3];
};
