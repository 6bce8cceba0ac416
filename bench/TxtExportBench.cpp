// The TXT export of 140000 three-channel records against a loop writing the
// same lines with fprintf into the same kind of file.
#include "RatioReporter.h"

#include "formats/TxtExport.h"
#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

QTemporaryDir* folder = nullptr;

LogStore& FullStore()
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
        store.recordCount = LogCapacity;
        for (uint32_t i = 0; i < LogCapacity; ++i) {
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

void BM_FprintfLoop(benchmark::State& state)
{
    const LogStore& store = FullStore();
    const QByteArray path = QFile::encodeName(folder->filePath(QStringLiteral("fprintf.txt")));
    for (auto _ : state) {
        FILE* f = std::fopen(path.constData(), "wb");
        if (!f) {
            state.SkipWithError("cannot create the file");
            break;
        }
        std::fprintf(f, "SN\tDATE\t\tTIME\t\t%s\t%s\t%s\r\n", store.unitText[0].c_str(), store.unitText[1].c_str(),
                     store.unitText[2].c_str());
        for (uint32_t i = 0; i < store.recordCount; ++i) {
            const char* t = store.timestamp(i);
            std::fprintf(f, "%d\t%c%c%c%c-%c%c-%c%c\t%c%c:%c%c:%c%c\t%3.1f\t%3.1f\t%3.1f\r\n", int(i + 1), t[0], t[1],
                         t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9], t[10], t[11], t[12], t[13],
                         double(store.value[1][i]), double(store.value[2][i]), double(store.value[3][i]));
        }
        std::fclose(f);
    }
}
BENCHMARK(BM_FprintfLoop)->Unit(benchmark::kMillisecond);

void BM_ExportTxtFile(benchmark::State& state)
{
    const LogStore& store = FullStore();
    const QString path = folder->filePath(QStringLiteral("export.txt"));
    for (auto _ : state)
        if (!ExportTxtFile(path, store).ok)
            state.SkipWithError("export failed");
}
BENCHMARK(BM_ExportTxtFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    folder = &dir;
    FullStore();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_ExportTxtFile", "BM_FprintfLoop", 1.5);

    // Both files must hold the same bytes, or the comparison means nothing.
    QFile a(dir.filePath(QStringLiteral("fprintf.txt"))), b(dir.filePath(QStringLiteral("export.txt")));
    if (a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly))
        std::printf("outputs %s\n", a.readAll() == b.readAll() ? "identical" : "DIFFER");
    benchmark::Shutdown();
    return 0;
}
