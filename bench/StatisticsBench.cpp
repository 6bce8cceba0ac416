// ComputeStatistics on 140000 three-channel records against one plain pass
// summing the same values.
#include "RatioReporter.h"

#include "logdata/LogStore.h"

namespace {

LogStore& FullStore()
{
    static LogStore store;
    static bool filled = false;
    if (!filled) {
        store.channelCount = 3;
        store.recordCount = LogCapacity;
        for (uint32_t i = 0; i < LogCapacity; ++i)
            for (int c = 1; c <= 3; ++c)
                store.value[c][i] = float(c * 10) + float((i * 7919u) % 1000) * 0.1f - 30.0f;
        filled = true;
    }
    return store;
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

void BM_ComputeStatistics(benchmark::State& state)
{
    LogStore& store = FullStore();
    for (auto _ : state) {
        store.ComputeStatistics();
        benchmark::DoNotOptimize(store.aveValue);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    FullStore();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_ComputeStatistics", "BM_PlainSum", 3.0);
    benchmark::Shutdown();
    return 0;
}
