// The Excel export of a full sheet (65535 three-channel records) beside the
// TXT export of the same records into the same kind of file.
#include "RatioReporter.h"

#include "formats/ExcelExport.h"
#include "formats/TxtExport.h"
#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

QTemporaryDir* folder = nullptr;

LogStore& SheetStore()
{
    static LogStore store;
    static bool filled = false;
    if (!filled) {
        store.celsius = 1;
        store.channelCount = 3;
        store.channelKind[0] = 0;
        store.channelKind[1] = 1;
        store.channelKind[2] = 8;
        SetUnitTexts(store);
        store.recordCount = ExcelMaxExportedRecords;
        for (uint32_t i = 0; i < store.recordCount; ++i) {
            char stamp[16];
            std::snprintf(stamp, sizeof stamp, "201103%02u%02u%02u%02u", 1 + i / 86400 % 28, i / 3600 % 24,
                          i / 60 % 60, i % 60);
            std::memcpy(store.timestamp(i), stamp, TimestampLength);
            store.value[1][i] = -20.0f + float(i % 997) * 0.07f;
            store.value[2][i] = 35.0f + float(i % 613) * 0.05f;
            store.value[3][i] = -0.04f * float(i % 50);
        }
        filled = true;
    }
    return store;
}

void BM_ExportTxtFile(benchmark::State& state)
{
    const LogStore& store = SheetStore();
    const QString path = folder->filePath(QStringLiteral("export.txt"));
    for (auto _ : state)
        if (!ExportTxtFile(path, store).ok)
            state.SkipWithError("TXT export failed");
}
BENCHMARK(BM_ExportTxtFile)->Unit(benchmark::kMillisecond);

void BM_ExportExcelFile(benchmark::State& state)
{
    const LogStore& store = SheetStore();
    const QString path = folder->filePath(QStringLiteral("export.xls"));
    for (auto _ : state)
        if (!ExportExcelFile(path, store).ok)
            state.SkipWithError("Excel export failed");
}
BENCHMARK(BM_ExportExcelFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    folder = &dir;
    SheetStore();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The workbook is twice the size of the text file and every date and time
    // text passes through the shared string table's lookup; the aim for the
    // sheet itself is well under a second.
    reporter.PrintRatio("BM_ExportExcelFile", "BM_ExportTxtFile", 8.0);
    benchmark::Shutdown();
    return 0;
}
