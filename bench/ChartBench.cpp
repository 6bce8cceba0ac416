// Speed of the chart: a full 140000-record three-channel chart at 1920 × 1080
// against one polyline of the same points, and opening a log of that size.
// The chart draws only the few points per pixel column that paint its curves,
// which must bring it within 0.3 × the bare polyline.
#include "chart/ChartImage.h"
#include "chart/ChartLayout.h"
#include "chart/DrawChart.h"
#include "logdata/LogFile.h"
#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t Records = LogCapacity;
const QSize ChartSize(1920, 1080);

// A full log: a daily temperature swing with sensor noise, humidity moving
// against it, and the dew point on channel 3.
LogStore& FullStore()
{
    static std::unique_ptr<LogStore> store = [] {
        auto s = std::make_unique<LogStore>();
        std::strcpy(s->loggerName, "BENCH");
        std::memcpy(s->loggerId, "0123456789", 10);
        s->celsius = 1;
        s->channelCount = 3;
        s->channelKind[0] = 0;
        s->channelKind[1] = 1;
        s->channelKind[2] = 8;
        s->recordCount = Records;
        uint32_t noise = 12345;
        for (uint32_t i = 0; i < Records; ++i) {
            noise = noise * 1103515245u + 12345u;
            const double jitter = double((noise >> 16) % 100) / 100.0 - 0.5;
            const double day = std::sin(i * 2 * M_PI / 1440.0);
            s->value[1][i] = float(20 + 6 * day + jitter);
            s->value[2][i] = float(55 - 15 * day + 2 * jitter);
            s->value[3][i] = float(10 + 3 * day + jitter);
            const uint32_t minutes = i;
            char stamp[15];
            std::snprintf(stamp, sizeof stamp, "2011%02u%02u%02u%02u00", 1 + (minutes / 1440 / 28) % 12,
                          1 + (minutes / 1440) % 28, (minutes / 60) % 24, minutes % 60);
            std::memcpy(s->timestamp(i), stamp, TimestampLength);
        }
        SetUnitTexts(*s);
        s->ComputeStatistics();
        return s;
    }();
    return *store;
}

// The curve points DrawChart puts through, one array per channel.
const std::vector<std::vector<QPoint>>& CurvePoints()
{
    static const std::vector<std::vector<QPoint>> curves = [] {
        const LogStore& s = FullStore();
        const ChartLayout l = ChartLayout::ForStore(QRect(QPoint(0, 0), ChartSize), s);
        std::vector<std::vector<QPoint>> all(3);
        for (int c = 1; c <= 3; ++c) {
            const int a = c == 2 ? 1 : 0;
            auto& points = all[size_t(c - 1)];
            points.reserve(Records);
            for (uint32_t j = 0; j < Records; ++j)
                points.emplace_back(l.recordX(j), l.valueY(s.value[c][j], s.axisTop[a], s.axisBottom[a]));
        }
        return all;
    }();
    return curves;
}

ChartSurface Surface()
{
    ChartSurface surface;
    surface.rect = QRect(QPoint(0, 0), ChartSize);
    surface.defaultFont = QGuiApplication::font();
    return surface;
}

void BM_PolylineBaseline(benchmark::State& state)
{
    QImage image(ChartSize, QImage::Format(state.range(0)));
    const auto& curves = CurvePoints();
    const QColor colours[3] = {Qt::red, Qt::blue, Qt::black};
    for (auto _ : state) {
        QPainter p(&image);
        for (int c = 0; c < 3; ++c) {
            QPen pen(colours[c], 1);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            p.drawPolyline(curves[size_t(c)].data(), int(curves[size_t(c)].size()));
        }
    }
}

void BM_DrawChart(benchmark::State& state)
{
    QImage image(ChartSize, QImage::Format(state.range(0)));
    const LogStore& store = FullStore();
    const ChartSurface surface = Surface();
    for (auto _ : state) {
        QPainter p(&image);
        benchmark::DoNotOptimize(DrawChart(p, store, surface));
    }
}

// The same chart with lines through every record, as it was drawn before the
// curves were reduced: what the reduction saves.
void BM_DrawChartEveryRecord(benchmark::State& state)
{
    QImage image(ChartSize, QImage::Format(state.range(0)));
    const LogStore& store = FullStore();
    const ChartSurface surface = Surface();
    for (auto _ : state) {
        QPainter p(&image);
        benchmark::DoNotOptimize(DrawChart(p, store, surface, CurvePoints::EveryRecord));
    }
}

void BM_RenderChartImage(benchmark::State& state)
{
    const LogStore& store = FullStore();
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderChartImage(store, ChartSize, QGuiApplication::font(), QImage::Format(state.range(0))));
}

// Opening a log and showing it: read the file, compute the statistics, draw
// the window's chart.
void BM_OpenLogAndShowChart(benchmark::State& state)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BENCH_20110101_0000.logu"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || !WriteLogFile(f, FullStore())) {
            state.SkipWithError("cannot write the sample log");
            return;
        }
    }
    static auto store = std::make_unique<LogStore>();
    QImage image(ChartSize, QImage::Format_RGB32);
    const ChartSurface surface = Surface();
    for (auto _ : state) {
        const LogReadResult r = ReadLogFile(path, *store);
        if (!r.ok()) {
            state.SkipWithError("cannot read the sample log");
            return;
        }
        SetUnitTexts(*store);
        store->ComputeStatistics();
        QPainter p(&image);
        benchmark::DoNotOptimize(DrawChart(p, *store, surface));
    }
}

const int64_t Rgb32 = QImage::Format_RGB32;
const int64_t Rgb555 = QImage::Format_RGB555;

BENCHMARK(BM_PolylineBaseline)->Arg(Rgb32)->Arg(Rgb555)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawChart)->Arg(Rgb32)->Arg(Rgb555)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawChartEveryRecord)->Arg(Rgb32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderChartImage)->Arg(Rgb555)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLogAndShowChart)->Unit(benchmark::kMillisecond);

// Shows the usual table and keeps each result's real and CPU time for the
// ratios; the CPU time is the steadier one on a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
                cpuMilliseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> milliseconds;
    std::map<std::string, double> cpuMilliseconds;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto& t = reporter.milliseconds;
    auto ratio = [&](const std::string& what, const std::string& measured, const std::string& baseline) {
        const auto m = t.find(measured), b = t.find(baseline);
        if (m != t.end() && b != t.end() && b->second > 0)
            std::printf("%-44s %8.2f ms  %6.2f x the baseline (%s, %.2f ms)\n", what.c_str(), m->second,
                        m->second / b->second, baseline.c_str(), b->second);
    };
    const std::string base32 = "BM_PolylineBaseline/" + std::to_string(Rgb32);
    const std::string base555 = "BM_PolylineBaseline/" + std::to_string(Rgb555);
    std::printf("\n");
    ratio("DrawChart, 140000 x 3, RGB32", "BM_DrawChart/" + std::to_string(Rgb32), base32);
    ratio("DrawChart, 140000 x 3, RGB555", "BM_DrawChart/" + std::to_string(Rgb555), base555);
    ratio("DrawChart through every record, RGB32", "BM_DrawChartEveryRecord/" + std::to_string(Rgb32), base32);
    ratio("RenderChartImage, RGB555", "BM_RenderChartImage/" + std::to_string(Rgb555), base555);
    ratio("Open a 140000-record log and show its chart", "BM_OpenLogAndShowChart", base32);
    // The chart's aim: at most 0.3 × one bare polyline of all its points.
    constexpr double ChartAim = 0.3;
    for (const int64_t format : {Rgb32, Rgb555}) {
        const std::string measured = "BM_DrawChart/" + std::to_string(format);
        const std::string baseline = "BM_PolylineBaseline/" + std::to_string(format);
        const auto& c = reporter.cpuMilliseconds;
        const auto m = t.find(measured), b = t.find(baseline), mc = c.find(measured), bc = c.find(baseline);
        if (m == t.end() || b == t.end() || mc == c.end() || bc == c.end() || b->second <= 0 || bc->second <= 0)
            continue;
        const double real = m->second / b->second, cpu = mc->second / bc->second;
        std::printf("%s / %s: real %.2fx, cpu %.2fx (aim: at most %.1fx): %s\n", measured.c_str(), baseline.c_str(),
                    real, cpu, ChartAim, real <= ChartAim || cpu <= ChartAim ? "met" : "NOT met");
    }
    const auto open = t.find("BM_OpenLogAndShowChart");
    if (open != t.end())
        std::printf("Open and show: %.1f ms (target under 100 ms): %s\n", open->second,
                    open->second < 100 ? "met" : "NOT met");
    benchmark::Shutdown();
    return 0;
}
