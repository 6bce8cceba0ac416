// The record list's table model: snapshot at fill time, text made on demand.
#include "panes/RecordTableModel.h"

#include "logdata/LogAnalysis.h"
#include "logdata/LogStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char* const CelsiusHeadings[RecordTableModel::MaxColumns] = {"SN", "DATE", "TIME", "C", "%RH", "DP"};
const char* const FahrenheitHeadings[RecordTableModel::MaxColumns] = {"SN", "DATE", "TIME", "F", "%RH", "DP"};

// Text of a formatted C buffer; like the printf "%c" texts it stands for, it
// ends at the first zero byte.
QString FromBuffer(const char* buffer) { return QString::fromLatin1(buffer); }

}  // namespace

RecordTableModel::RecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int RecordTableModel::ColumnsFor(uint32_t channelCount)
{
    return int(std::min<uint32_t>(channelCount, MaxColumns - 3)) + 3;
}

void RecordTableModel::ShowColumns(uint32_t channelCount)
{
    beginResetModel();
    rows_ = 0;
    columns_ = ColumnsFor(channelCount);
    celsius_ = true;
    stamps_.clear();
    values_.clear();
    for (int c = 0; c < MaxColumns - 3; ++c) {
        low_[c].reset();
        high_[c].reset();
    }
    endResetModel();
}

QColor RecordTableModel::AboveColour() { return QColor(255, 0, 0); }

QColor RecordTableModel::BelowColour() { return QColor(0, 0, 255); }

void RecordTableModel::Fill(const LogStore& store, const LogLimits* limits)
{
    beginResetModel();
    const uint32_t rows = std::min(store.recordCount, LogCapacity);
    rows_ = int(rows);
    columns_ = ColumnsFor(store.channelCount);
    celsius_ = store.celsius != 0;
    stamps_.assign(store.timestampData(), store.timestampData() + size_t(rows) * TimestampLength);
    const int valueColumns = columns_ - 3;
    values_.resize(size_t(valueColumns) * rows);
    for (int c = 0; c < valueColumns; ++c)
        std::copy_n(store.value[c + 1], rows, values_.begin() + ptrdiff_t(c) * rows);
    TakeLimits(limits);
    endResetModel();
}

void RecordTableModel::TakeLimits(const LogLimits* limits)
{
    for (int c = 0; c < MaxColumns - 3; ++c) {
        low_[c] = limits && c < columns_ - 3 ? limits->channel[c].low : std::nullopt;
        high_[c] = limits && c < columns_ - 3 ? limits->channel[c].high : std::nullopt;
    }
}

void RecordTableModel::SetLimits(const LogLimits* limits)
{
    TakeLimits(limits);
    if (rows_ > 0 && columns_ > 3)
        emit dataChanged(index(0, 3), index(rows_ - 1, columns_ - 1), {Qt::ForegroundRole});
}

int RecordTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int RecordTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant RecordTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == Qt::DisplayRole)
        return CellText(index.row(), index.column());
    if (role == Qt::ForegroundRole && index.column() >= 3) {
        const int c = index.column() - 3;
        const double v = values_[size_t(c) * size_t(rows_) + size_t(index.row())];
        if (high_[c] && v > *high_[c])
            return AboveColour();
        if (low_[c] && v < *low_[c])
            return BelowColour();
    }
    return {};
}

QString RecordTableModel::CellText(int row, int column) const
{
    const char* t = stamps_.data() + size_t(row) * TimestampLength;
    char buffer[64];
    switch (column) {
    case 0:
        std::snprintf(buffer, sizeof buffer, "%d", row + 1);
        return FromBuffer(buffer);
    case 1:
        std::snprintf(buffer, sizeof buffer, "%c%c%c%c-%c%c-%c%c", t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]);
        return FromBuffer(buffer);
    case 2:
        std::snprintf(buffer, sizeof buffer, "%c%c:%c%c:%c%c", t[8], t[9], t[10], t[11], t[12], t[13]);
        return FromBuffer(buffer);
    default:
        return FormatValue(values_[size_t(column - 3) * size_t(rows_) + size_t(row)]);
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == Qt::DisplayRole)
        return QString::fromLatin1((celsius_ ? CelsiusHeadings : FahrenheitHeadings)[section]);
    return {};
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString RecordTableModel::FormatValue(float value)
{
    // Room for the widest float32 in "%6.1f" (39 digits, point, decimal, sign).
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%6.1f", double(value));
    return FromBuffer(buffer);
}
