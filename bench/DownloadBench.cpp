// Decoding a full download buffer of two-channel packets, beside a plain pass
// over the same bytes; prints how many times slower the decoding is.
#include "link/DownloadDecoder.h"
#include "link/LinkSession.h"
#include "logdata/LogStore.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Packets of 255 two-channel records, back to back, until the buffer is
// full; readings wander like a day in a cold room.
const std::vector<uint8_t>& fullStream()
{
    static const std::vector<uint8_t> stream = [] {
        std::vector<uint8_t> s;
        s.reserve(LinkSession::DownloadBufferSize);
        uint32_t record = 0;
        auto put16 = [&](uint16_t v) { s.push_back(uint8_t(v)); s.push_back(uint8_t(v >> 8)); };
        while (s.size() < size_t(LinkSession::DownloadBufferSize)) {
            for (int i = 0; i < 20; ++i)
                s.push_back(uint8_t(i));
            s.push_back(255);
            for (int j = 0; j < 255; ++j, ++record) {
                const uint32_t seconds = record * 60;
                const uint32_t word = (seconds % 60) | (seconds / 60 % 60) << 6 | (seconds / 3600 % 24) << 12
                    | (1 + seconds / 86400 % 28) << 17 | (1 + seconds / 2419200 % 12) << 22 | 11u << 26;
                for (int b = 0; b < 4; ++b)
                    s.push_back(uint8_t(word >> (8 * b)));
                put16(uint16_t(int16_t(40 + 30 * std::sin(record * 0.01) + record % 7)));
                put16(uint16_t(int16_t(550 + 200 * std::cos(record * 0.003) + record % 11)));
            }
            for (int i = 0; i < 5; ++i)
                s.push_back(0);
        }
        s.resize(LinkSession::DownloadBufferSize);
        return s;
    }();
    return stream;
}

void BM_PlainPass(benchmark::State& state)
{
    const std::vector<uint8_t>& stream = fullStream();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (uint8_t b : stream)
            sum += b;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}
BENCHMARK(BM_PlainPass)->Unit(benchmark::kMicrosecond);

void BM_DecodeDownload(benchmark::State& state)
{
    const std::vector<uint8_t>& stream = fullStream();
    static LogStore store;
    const DownloadDecoder decoder(2, 1);
    DecodeResult result;
    for (auto _ : state) {
        result = decoder.Decode(stream.data(), int32_t(stream.size()), store);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["records"] = double(result.recordCount);
}
BENCHMARK(BM_DecodeDownload)->Unit(benchmark::kMicrosecond);

// Keeps each run's CPU time (steadier than wall time on a shared machine) so
// the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto plain = reporter.times.find("BM_PlainPass");
    const auto decode = reporter.times.find("BM_DecodeDownload");
    if (plain != reporter.times.end() && decode != reporter.times.end() && plain->second > 0)
        std::printf("Decoding takes %.2f times as long as a plain pass over the same %d bytes (aim: within 3).\n",
                    decode->second / plain->second, LinkSession::DownloadBufferSize);
    benchmark::Shutdown();
    return 0;
}
