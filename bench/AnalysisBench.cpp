// AnalyseLog on 140000 three-channel records, limits set on every channel,
// against one plain pass summing the same values.
#include "RatioReporter.h"

#include "logdata/LogAnalysis.h"
#include "logdata/LogStore.h"

#include <QDateTime>

#include <cstring>

namespace {

LogStore& FullStore()
{
    static LogStore store;
    static bool filled = false;
    if (!filled) {
        store.channelCount = 3;
        store.celsius = 1;
        store.channelKind[0] = 0;  // temperature: MKT
        store.channelKind[1] = 1;
        store.channelKind[2] = 8;
        store.recordCount = LogCapacity;
        // A minute apart, with a pause now and then: about 97 days of stamps.
        QDateTime t = QDateTime::fromString(QStringLiteral("20240101000000"), QStringLiteral("yyyyMMddHHmmss"));
        for (uint32_t i = 0; i < LogCapacity; ++i) {
            const QByteArray s = t.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
            std::memcpy(store.timestamp(i), s.constData(), TimestampLength);
            t = t.addSecs(i % 5000 == 4999 ? 3600 : 60);
            for (int c = 1; c <= 3; ++c)
                store.value[c][i] = float(c * 10) + float((i * 7919u) % 1000) * 0.1f - 30.0f;
        }
        filled = true;
    }
    return store;
}

LogLimits Limits()
{
    LogLimits limits;
    limits.channel[0] = {2.0, 8.0};
    limits.channel[1] = {30.0, 60.0};
    limits.channel[2] = {std::nullopt, 40.0};
    return limits;
}

void BM_PlainSum(benchmark::State& state)
{
    const LogStore& store = FullStore();
    for (auto _ : state) {
        float sums[3] = {};
        for (int c = 1; c <= 3; ++c) {
            const float* v = store.value[c];
            float sum = 0;
            for (uint32_t i = 0; i < store.recordCount; ++i)
                sum += v[i];
            sums[c - 1] = sum;
        }
        benchmark::DoNotOptimize(sums);
    }
}
BENCHMARK(BM_PlainSum)->Unit(benchmark::kMicrosecond);

void BM_AnalyseLog(benchmark::State& state)
{
    const LogStore& store = FullStore();
    const LogLimits limits = Limits();
    for (auto _ : state) {
        LogSummary summary = AnalyseLog(store, limits);
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(BM_AnalyseLog)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    FullStore();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_AnalyseLog", "BM_PlainSum", 3.0);
    benchmark::Shutdown();
    return 0;
}
