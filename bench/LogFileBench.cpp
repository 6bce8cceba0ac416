// Reading a full .logu file (140000 three-channel records) against a plain
// read of the same bytes into memory.
#include "RatioReporter.h"

#include "logdata/LogFile.h"
#include "logdata/LogStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

QTemporaryDir* folder = nullptr;

QString FullLogPath() { return folder->filePath(QStringLiteral("full_20110308_1200.logu")); }

void WriteFullLog()
{
    LogStore store;
    std::memcpy(store.loggerName, "BENCH", 5);
    std::memcpy(store.loggerId, "0123456789", 10);
    store.celsius = 1;
    store.channelCount = 3;
    store.recordCount = LogCapacity;
    for (uint32_t i = 0; i < LogCapacity; ++i) {
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "2011030%07u", i);
        std::memcpy(store.timestamp(i), stamp, TimestampLength);
        for (int c = 1; c <= 3; ++c)
            store.value[c][i] = float(c * 10) + float(i % 1000) * 0.1f;
    }
    QFile file(FullLogPath());
    if (!file.open(QIODevice::WriteOnly) || !WriteLogFile(file, store))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(FullLogPath()));
}

void BM_PlainRead(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(FullLogPath());
    std::vector<char> bytes(size_t(LogHeaderSize) + size_t(LogRecordSize) * LogCapacity);
    for (auto _ : state) {
        FILE* f = std::fopen(path.constData(), "rb");
        const size_t got = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
        if (f)
            std::fclose(f);
        if (got != bytes.size())
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_ReadLogFile(benchmark::State& state)
{
    LogStore store;
    const QString path = FullLogPath();
    // The program reads every file into the store's scratch store and takes it
    // over by swapping arrays; the scratch store is made once, as there.
    store.Scratch();
    for (auto _ : state) {
        if (!ReadLogFile(path, store).ok())
            state.SkipWithError("read failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (LogHeaderSize + int64_t(LogRecordSize) * LogCapacity));
}
BENCHMARK(BM_ReadLogFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    folder = &dir;
    WriteFullLog();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_ReadLogFile", "BM_PlainRead", 3.0);
    benchmark::Shutdown();
    return 0;
}
