// Alarm limits on the chart: a dashed line in the channel's colour at each
// limit within its axis, drawn alike on every surface, and nothing at all
// where no limit is set.
#include "chart/ChartImage.h"
#include "chart/ChartLayout.h"
#include "chart/DrawChart.h"

#include "logdata/LogAnalysis.h"
#include "logdata/LogStore.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <limits>
#include <set>

namespace {

const QColor Red(255, 0, 0), Blue(0, 0, 255), Black(0, 0, 0);

bool Same(QRgb got, const QColor& expected, QImage::Format format)
{
    const int shift = format == QImage::Format_RGB555 ? 3 : 0;
    return (qRed(got) >> shift) == (expected.red() >> shift) && (qGreen(got) >> shift) == (expected.green() >> shift) &&
           (qBlue(got) >> shift) == (expected.blue() >> shift);
}

// Three flat channels at 20, 50 and 5. At 800 × 600 the plot is (67, 131) to
// (732, 551); axis 0 runs from −5 to 25 and axis 1 from 47 to 53, six
// divisions each, so a value v of axis 0 lies on row trunc(551 − (v + 5) × 14)
// and one of axis 1 on row trunc(551 − (v − 47) × 70).
void FillThreeFlat(LogStore& store)
{
    fixtures::FillStore(store, 3, 120, [](int c, uint32_t) { return c == 1 ? 20.0f : c == 2 ? 50.0f : 5.0f; });
    store.ComputeStatistics();
}

// Channel 1 high 22 (row 173) and low −10 (below axis 0: no line), channel 2
// high 51 (row 271), channel 3 low 0 (row 481).
LogLimits SampleLimits()
{
    LogLimits limits;
    limits.channel[0].high = 22.0;
    limits.channel[0].low = -10.0;
    limits.channel[1].high = 51.0;
    limits.channel[2].low = 0.0;
    return limits;
}

QImage Render(const LogStore& store, QImage::Format format, const LogLimits* limits)
{
    return RenderChartImage(store, QSize(800, 600), QGuiApplication::font(), format, limits);
}

// Checks a dashed line on row y from the plot's left edge: dash pixels in
// the colour, then gap pixels in another, between the value axes' ticks.
::testing::AssertionResult DashedRow(const QImage& image, const ChartLayout& l, int y, const QColor& colour)
{
    const LimitDash d = LimitDashFor(l);
    const int tick = l.W12i / 8;
    for (int x = l.PL + tick + 1; x < l.PR - tick; ++x) {
        const bool on = (x - l.PL) % (d.dash + d.gap) < d.dash;
        if (Same(image.pixel(x, y), colour, image.format()) != on)
            return ::testing::AssertionFailure()
                   << "pixel (" << x << ", " << y << ") should " << (on ? "" : "not ") << "have the line's colour";
    }
    return ::testing::AssertionSuccess();
}

class LimitLinesTest : public ::testing::TestWithParam<QImage::Format> {
protected:
    LogStore store;
};

TEST_P(LimitLinesTest, DashedLinesAtTheLimitsRowsInTheChannelColours)
{
    FillThreeFlat(store);
    ASSERT_EQ(store.axisBottom[0], -5);
    ASSERT_EQ(store.axisTop[0], 25);
    ASSERT_EQ(store.axisBottom[1], 47);
    ASSERT_EQ(store.axisTop[1], 53);
    const LogLimits limits = SampleLimits();
    const QImage with = Render(store, GetParam(), &limits);
    const QImage without = Render(store, GetParam(), nullptr);
    const ChartLayout l = ChartLayout::ForStore(QRect(0, 0, 800, 600), store);
    ASSERT_EQ(l.PL, 67);
    ASSERT_EQ(l.PR, 732);
    const LimitDash d = LimitDashFor(l);
    EXPECT_EQ(d.dash, 6);
    EXPECT_EQ(d.gap, 4);

    EXPECT_TRUE(DashedRow(with, l, 173, Red));
    EXPECT_TRUE(DashedRow(with, l, 271, Blue));
    EXPECT_TRUE(DashedRow(with, l, 481, Black));

    // Everything else is the chart without limits: no line for the limit
    // below the axis, and nothing outside those three rows.
    const std::set<int> lineRows = {173, 271, 481};
    int differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                ++differing;
                EXPECT_TRUE(lineRows.count(y)) << "(" << x << ", " << y << ")";
                EXPECT_TRUE(x >= l.PL && x < l.PR) << "(" << x << ", " << y << ")";
                if (differing > 20)
                    return;
            }
}

TEST_P(LimitLinesTest, NoLimitsLeaveTheChartPixelIdentical)
{
    FillThreeFlat(store);
    const QImage plain = Render(store, GetParam(), nullptr);
    LogLimits outside;
    outside.channel[0].low = -5.5;   // just below axis 0
    outside.channel[0].high = 25.5;  // just above it
    outside.channel[1].low = 46.0;
    outside.channel[1].high = 54.0;
    outside.channel[2].high = 1e300;
    const LogLimits none;
    for (const LogLimits* limits : std::initializer_list<const LogLimits*>{&none, &outside})
        EXPECT_TRUE(Render(store, GetParam(), limits) == plain);
}

INSTANTIATE_TEST_SUITE_P(Formats, LimitLinesTest, ::testing::Values(QImage::Format_RGB32, QImage::Format_RGB555));

TEST(LimitLineYTest, OnlyWithinTheChannelsAxis)
{
    LogStore store;
    FillThreeFlat(store);
    const ChartLayout l = ChartLayout::ForStore(QRect(0, 0, 800, 600), store);
    const struct {
        int channel;
        double limit;
        int y;
    } cases[] = {
        {1, 25.0, 131},  // the axis top: the plot's top row
        {1, -5.0, 551},  // the axis bottom: its bottom row
        {1, 25.01, -1},
        {1, -5.01, -1},
        {3, 10.0, 341},  // channel 3 follows axis 0 as well
        {2, 50.0, 341},  // channel 2 its own axis
        {2, 20.0, -1},   // within axis 0 but not within axis 1
        {1, std::numeric_limits<double>::quiet_NaN(), -1},
        {1, std::numeric_limits<double>::infinity(), -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LimitLineY(l, store, c.channel, c.limit), c.y) << c.channel << " " << c.limit;
}

// A printed page draws the lines with the same routine, scaled to the page:
// longer dashes, at the page's own rows.
TEST(LimitLinesPageTest, PageShowsTheLinesScaledToThePage)
{
    LogStore store;
    FillThreeFlat(store);
    const QSize page(3300, 2300);
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    const LogLimits limits = SampleLimits();
    {
        QPainter p(&image);
        ChartSurface surface;
        surface.rect = QRect(QPoint(0, 0), page);
        surface.pageMode = true;
        surface.defaultFont = p.font();
        surface.limits = &limits;
        DrawChart(p, store, surface);
    }
    const ChartLayout l = ChartLayout::ForStore(QRect(QPoint(0, 0), page), store);
    const LimitDash d = LimitDashFor(l);
    EXPECT_GT(d.dash, 20);
    const int y1 = LimitLineY(l, store, 1, 22.0);
    const int y2 = LimitLineY(l, store, 2, 51.0);
    const int y3 = LimitLineY(l, store, 3, 0.0);
    // The same proportions of the plot as in the window.
    EXPECT_EQ(y1, TruncPixel(l.PB - 27.0 / 30.0 * l.PH));
    EXPECT_EQ(y2, TruncPixel(l.PB - 4.0 / 6.0 * l.PH));
    EXPECT_EQ(y3, TruncPixel(l.PB - 5.0 / 30.0 * l.PH));
    EXPECT_TRUE(DashedRow(image, l, y1, Red));
    EXPECT_TRUE(DashedRow(image, l, y2, Blue));
    EXPECT_TRUE(DashedRow(image, l, y3, Black));
    EXPECT_EQ(LimitLineY(l, store, 1, -10.0), -1);
}

}  // namespace
