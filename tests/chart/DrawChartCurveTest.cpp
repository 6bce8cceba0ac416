// The chart with its curves reduced to a few points per pixel column is the
// very chart drawn through every record, byte for byte.
#include "chart/ChartImage.h"
#include "chart/DrawChart.h"

#include "logdata/LogStore.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

namespace {

// What the values of a test log look like.
enum class Shape {
    Noisy,    // a daily swing with sensor noise, channels apart
    Spiky,    // steady with rare spikes far up or down
    Steps,    // long flat runs, then a jump
    Damaged,  // noisy, with values that are not numbers
};

uint32_t Hash(uint32_t i, int c)
{
    uint32_t h = i * 2654435761u ^ uint32_t(c) * 40503u;
    h ^= h >> 15;
    h *= 2246822519u;
    return h ^ (h >> 13);
}

float ValueOf(Shape shape, int c, uint32_t i)
{
    const double noise = double(Hash(i, c) % 1000) / 1000.0 - 0.5;
    const double base = c == 1 ? 20 : c == 2 ? 55 : 8;
    switch (shape) {
    case Shape::Noisy:
        return float(base + 6 * std::sin(i * 2 * M_PI / 1440.0) + noise);
    case Shape::Spiky:
        if (Hash(i, c + 7) % 500 == 0)
            return float(base + (Hash(i, c) % 2 ? 40 : -30));
        return float(base + 0.1 * noise);
    case Shape::Steps:
        return float(base + double((i / 3000) % 5));
    case Shape::Damaged:
        if (Hash(i, c + 3) % 97 == 0)
            return std::numeric_limits<float>::quiet_NaN();
        return float(base + 3 * noise);
    }
    return 0;
}

std::unique_ptr<LogStore> MakeStore(uint32_t channels, uint32_t records, Shape shape)
{
    auto store = std::make_unique<LogStore>();
    fixtures::FillStore(*store, channels, records, [shape](int c, uint32_t i) { return ValueOf(shape, c, i); });
    store->ComputeStatistics();
    return store;
}

ChartSurface Surface(QSize size, bool page)
{
    ChartSurface surface;
    surface.rect = QRect(QPoint(0, 0), size);
    surface.pageMode = page;
    surface.defaultFont = QGuiApplication::font();
    return surface;
}

// A picture filled black first, as the picture export makes it.
QImage Render(const LogStore& store, QSize size, QImage::Format format, CurvePoints points, bool page = false)
{
    QImage image(size, format);
    image.fill(0);
    QPainter painter(&image);
    DrawChart(painter, store, Surface(size, page), points);
    return image;
}

// The first pixel where two pictures differ, or an empty string.
std::string FirstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return "different sizes or formats";
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.bytesPerLine())) != 0)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

struct ChartCase {
    const char* name;
    uint32_t channels;
    uint32_t records;
    Shape shape;
    QSize size;
    QImage::Format format = QImage::Format_RGB32;
    bool page = false;
    // Records first … end − 1 kept by a date query; end 0 keeps them all.
    int32_t narrowFirst = 0, narrowEnd = 0;
};

// An A4 landscape page at the report's 300 dots per inch.
const QSize Page300 = QPageSize(QPageSize::A4).sizePixels(300).transposed();

TEST(DrawChartCurveTest, ReducedCurvesDrawTheSameChartAsEveryRecord)
{
    const ChartCase cases[] = {
        {"one record", 1, 1, Shape::Noisy, {800, 600}},
        {"two records", 1, 2, Shape::Noisy, {800, 600}},
        {"three records, three channels", 3, 3, Shape::Spiky, {800, 600}},
        {"fewer records than columns", 2, 300, Shape::Noisy, {800, 600}},
        {"about one record a column", 1, 666, Shape::Spiky, {800, 600}},
        {"many records, one channel", 1, 50000, Shape::Noisy, {1280, 720}},
        {"many records, two channels", 2, 50000, Shape::Noisy, {1280, 720}},
        {"full log, three channels", 3, LogCapacity, Shape::Noisy, {1920, 1080}},
        {"full log, 16-bit picture", 3, LogCapacity, Shape::Noisy, {1920, 1080}, QImage::Format_RGB555},
        {"spikes", 2, 40000, Shape::Spiky, {1024, 768}},
        {"flat runs and jumps", 3, 60000, Shape::Steps, {1280, 960}},
        {"damaged values", 3, 20000, Shape::Damaged, {900, 700}},
        {"small window", 2, 10000, Shape::Noisy, {320, 200}},
        {"narrowed by a date query", 3, LogCapacity, Shape::Spiky, {1920, 1080}, QImage::Format_RGB32, false, 30000, 52000},
        {"printed page at 300 dpi", 3, LogCapacity, Shape::Noisy, Page300, QImage::Format_RGB32, true},
        {"printed page, narrowed", 2, LogCapacity, Shape::Spiky, Page300, QImage::Format_RGB32, true, 100, 9000},
    };
    for (const ChartCase& c : cases) {
        const auto store = MakeStore(c.channels, c.records, c.shape);
        if (c.narrowEnd > 0) {
            store->NarrowRecords(c.narrowFirst, c.narrowEnd);
            ASSERT_EQ(store->recordCount, uint32_t(c.narrowEnd - c.narrowFirst)) << c.name;
        }
        ASSERT_TRUE(CanDrawChart(*store)) << c.name;
        const QImage reduced = Render(*store, c.size, c.format, CurvePoints::PerPixelColumn, c.page);
        const QImage every = Render(*store, c.size, c.format, CurvePoints::EveryRecord, c.page);
        EXPECT_EQ(FirstDifference(reduced, every), "") << c.name;
    }
}

// The picture export draws the reduced chart; it is the chart of every record.
TEST(DrawChartCurveTest, PictureExportIsTheChartOfEveryRecord)
{
    const auto store = MakeStore(3, LogCapacity, Shape::Spiky);
    const QSize size(1097, 767);
    const QImage exported = RenderChartImage(*store, size, QGuiApplication::font(), QImage::Format_RGB555);
    EXPECT_EQ(FirstDifference(exported, Render(*store, size, QImage::Format_RGB555, CurvePoints::EveryRecord)), "");
}

// Random logs, sizes and shapes: any difference anywhere fails.
TEST(DrawChartCurveTest, RandomLogsDrawTheSameChart)
{
    std::mt19937 random(3344);
    auto below = [&](uint32_t n) { return random() % n; };
    for (int round = 0; round < 30; ++round) {
        const uint32_t channels = 1 + below(3);
        const uint32_t records = round % 3 == 0 ? 2 + below(2000) : 2 + below(30000);
        const Shape shape = Shape(below(4));
        // A few sizes, so that the fonts of each are made once.
        const QSize sizes[] = {{333, 222}, {640, 480}, {801, 599}, {1024, 768}, {1366, 705}};
        const QSize size = sizes[below(5)];
        const QImage::Format format = round % 2 ? QImage::Format_RGB555 : QImage::Format_RGB32;
        const auto store = MakeStore(channels, records, shape);
        if (!CanDrawChart(*store))
            continue;
        const bool page = round % 5 == 0;
        const std::string difference =
            FirstDifference(Render(*store, size, format, CurvePoints::PerPixelColumn, page),
                            Render(*store, size, format, CurvePoints::EveryRecord, page));
        EXPECT_EQ(difference, "") << "round " << round << ": " << channels << " channels, " << records
                                  << " records, shape " << int(shape) << ", " << size.width() << " x "
                                  << size.height();
    }
}

// On a high-density screen the painter scales, the line is no longer one
// device pixel, and the reduced points would paint differently: every record
// is drawn there.
TEST(DrawChartCurveTest, ScaledPainterDrawsEveryRecord)
{
    const auto store = MakeStore(2, 30000, Shape::Noisy);
    auto render = [&](CurvePoints points) {
        QPixmap pixmap(1600, 1200);
        pixmap.setDevicePixelRatio(2);
        pixmap.fill(Qt::black);
        QPainter painter(&pixmap);
        DrawChart(painter, *store, Surface(QSize(800, 600), false), points);
        painter.end();
        return pixmap.toImage();
    };
    EXPECT_EQ(FirstDifference(render(CurvePoints::PerPixelColumn), render(CurvePoints::EveryRecord)), "");
}

}  // namespace
