// AnalyseLog on 140000 three-channel records, limits set on every channel,
// against one plain pass summing the same values; once with noisy values
// (the worst case) and once with values that drift as a real log's do.
#include "RatioReporter.h"

#include "logdata/LogAnalysis.h"
#include "logdata/LogStore.h"

#include <QDateTime>

#include <cmath>
#include <cstring>

namespace {

// Two stores of the same stamps: values that jump at random by up to 100
// between records (the worst case for the limit checks: nearly every record
// crosses a limit), and values that drift as a room's do, in tenths.
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

LogStore& SmoothStore()
{
    static LogStore store;
    static bool filled = false;
    if (!filled) {
        const LogStore& noisy = FullStore();
        store.channelCount = 3;
        store.celsius = 1;
        std::memcpy(store.channelKind, noisy.channelKind, sizeof store.channelKind);
        store.recordCount = LogCapacity;
        std::memcpy(store.timestampData(), noisy.timestampData(), size_t(LogCapacity) * TimestampLength);
        for (uint32_t i = 0; i < LogCapacity; ++i) {
            const double day = double(i) / 1440.0;
            const double wobble = double((i * 7919u) % 7) - 3.0;  // ±0.3 of sensor noise
            store.value[1][i] = float(std::round(50.0 + 40.0 * std::sin(day * 6.2832) + wobble) / 10.0);
            store.value[2][i] = float(std::round(450.0 + 100.0 * std::sin(day * 3.1416) + wobble) / 10.0);
            store.value[3][i] = float(std::round(80.0 + 30.0 * std::cos(day * 6.2832) + wobble) / 10.0);
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

void BM_PlainSumSmooth(benchmark::State& state)
{
    const LogStore& store = SmoothStore();
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
BENCHMARK(BM_PlainSumSmooth)->Unit(benchmark::kMicrosecond);

// Limits a cold room's: now and then crossed.
void BM_AnalyseLogSmooth(benchmark::State& state)
{
    const LogStore& store = SmoothStore();
    const LogLimits limits = Limits();
    for (auto _ : state) {
        LogSummary summary = AnalyseLog(store, limits);
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(BM_AnalyseLogSmooth)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    FullStore();
    SmoothStore();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_AnalyseLog", "BM_PlainSum", 3.0);
    reporter.PrintRatio("BM_AnalyseLogSmooth", "BM_PlainSumSmooth", 3.0);
    benchmark::Shutdown();
    return 0;
}
