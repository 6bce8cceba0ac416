// Speed of filling the record list with a full log: the model's snapshot
// against a plain copy of the same bytes, and the whole pane against a bare
// table view over a model of as many rows that holds nothing.
#include "RatioReporter.h"

#include "link/AppData.h"
#include "panes/CDataListPane.h"
#include "panes/RecordTableModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

AppData& FullData()
{
    static std::unique_ptr<AppData> data = [] {
        auto d = std::make_unique<AppData>();
        LogStore& s = d->store;
        s.celsius = 1;
        s.channelCount = 3;
        s.recordCount = LogCapacity;
        for (uint32_t i = 0; i < LogCapacity; ++i) {
            std::memcpy(s.timestamp(i), "20110308140530", TimestampLength);
            for (int c = 1; c <= 3; ++c)
                s.value[c][i] = float(c * 10) + float(i % 200) / 10.0f;
        }
        return d;
    }();
    return *data;
}

// What any snapshot has to do at least: copy the stamps and three channels.
void BM_PlainCopy(benchmark::State& state)
{
    const LogStore& s = FullData().store;
    std::vector<char> stamps;
    std::vector<float> values;
    for (auto _ : state) {
        stamps.assign(s.timestampData(), s.timestampData() + size_t(s.recordCount) * TimestampLength);
        values.resize(size_t(3) * s.recordCount);
        for (int c = 0; c < 3; ++c)
            std::copy_n(s.value[c + 1], s.recordCount, values.begin() + ptrdiff_t(c) * s.recordCount);
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);

void BM_RecordModelFill(benchmark::State& state)
{
    RecordTableModel model;
    for (auto _ : state) {
        model.Fill(FullData().store);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_RecordModelFill)->Unit(benchmark::kMillisecond);

// Qt's own share: a reset and a painting of a table of as many rows, whose
// cells hold ready-made texts of the same shapes.
class BareModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return rows; }
    int columnCount(const QModelIndex& = {}) const override { return 6; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        static const QString texts[6] = {QStringLiteral("140000"), QStringLiteral("2011-03-08"),
                                         QStringLiteral("14:05:30"), QStringLiteral("  25.3"),
                                         QStringLiteral("  45.5"), QStringLiteral("  -3.2")};
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return role == Qt::DisplayRole ? QVariant(texts[index.column()]) : QVariant();
    }
    void Reset()
    {
        beginResetModel();
        rows = int(LogCapacity);
        endResetModel();
    }
    int rows = 0;
};

void BM_BareTableReset(benchmark::State& state)
{
    BareModel model;
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
    // All six columns in sight, as in the pane.
    view.horizontalHeader()->setDefaultSectionSize(60);
    view.resize(400, 700);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        model.Reset();
        view.viewport()->repaint();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_BareTableReset)->Unit(benchmark::kMillisecond);

// The pane as the user sees it: the fill and the first painting of the rows.
void BM_DataListPaneFill(benchmark::State& state)
{
    CDataListPane pane(FullData());
    pane.resize(400, 700);
    pane.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        pane.FillRecordList();
        pane.list()->viewport()->repaint();
        benchmark::DoNotOptimize(pane.model()->rowCount());
    }
}
BENCHMARK(BM_DataListPaneFill)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FullData();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_RecordModelFill", "BM_PlainCopy", 1.5);
    reporter.PrintRatio("BM_DataListPaneFill", "BM_BareTableReset", 1.5);
    benchmark::Shutdown();
    return 0;
}
