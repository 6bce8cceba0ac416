// The chart as drawn: colours at known pixels in 32-bit and 16-bit pictures.
#include "chart/ChartImage.h"
#include "chart/DrawChart.h"

#include "logdata/LogStore.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QColor Background(245, 255, 245);
const QColor Grid(208, 208, 208);
const QColor Frame(0, 64, 128);
const QColor LegendFill(128, 128, 128);
const QColor Red(255, 0, 0), Blue(0, 0, 255), Black(0, 0, 0), White(255, 255, 255);

// Equal colours, compared after the 16-bit picture's reduction to 5 bits per
// component when the image has that format.
::testing::AssertionResult ColourAt(const QImage& image, int x, int y, const QColor& expected)
{
    const QRgb got = image.pixel(x, y);
    const int shift = image.format() == QImage::Format_RGB555 ? 3 : 0;
    if ((qRed(got) >> shift) == (expected.red() >> shift) && (qGreen(got) >> shift) == (expected.green() >> shift) &&
        (qBlue(got) >> shift) == (expected.blue() >> shift))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << qRed(got) << ", "
                                         << qGreen(got) << ", " << qBlue(got) << "), expected (" << expected.red()
                                         << ", " << expected.green() << ", " << expected.blue() << ")";
}

// Pixels in a rectangle of the image that have the colour.
int CountColour(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (ColourAt(image, x, y, colour))
                ++count;
    return count;
}

// Pixels that are clearly darker than the background: text, ticks, lines.
int CountInk(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                ++count;
    return count;
}

// Rows of the area that hold ink: the height of the text drawn there.
int InkHeight(const QImage& image, const QRect& area)
{
    int first = -1, last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

// Flat logs put each curve on a known row. At 800 × 600 the plot is
// (67, 131) to (732, 551): channel 1 at 20.0 on 18 … 22 lies on row 341.
// Three channels at 20, 50 and 5: axis 0 runs from −5 to 25 (rows 201 and
// 411), axis 1 from 47 to 53 (row 341), six divisions each.
void FillFlat(LogStore& store, uint32_t channels, uint32_t records)
{
    fixtures::FillStore(store, channels, records, [](int c, uint32_t) { return c == 1 ? 20.0f : c == 2 ? 50.0f : 5.0f; });
    store.ComputeStatistics();
}

QImage Render(const LogStore& store, QImage::Format format, QSize size = QSize(800, 600))
{
    return RenderChartImage(store, size, QGuiApplication::font(), format);
}

class DrawChartFormatTest : public ::testing::TestWithParam<QImage::Format> {
protected:
    LogStore store;
};

TEST_P(DrawChartFormatTest, OneChannelColoursAtKnownPixels)
{
    FillFlat(store, 1, 200);
    ASSERT_EQ(store.axisTop[0], 22);
    ASSERT_EQ(store.axisBottom[0], 18);
    const QImage image = Render(store, GetParam());
    ASSERT_EQ(image.format(), GetParam());

    EXPECT_TRUE(ColourAt(image, 0, 0, Black));        // the surface's outline
    EXPECT_TRUE(ColourAt(image, 799, 599, Black));
    EXPECT_TRUE(ColourAt(image, 3, 3, Background));
    EXPECT_TRUE(ColourAt(image, 150, 180, White));    // plot fill
    EXPECT_TRUE(ColourAt(image, 134, 180, Grid));     // first vertical grid line
    EXPECT_TRUE(ColourAt(image, 150, 236, Grid));     // second horizontal grid line
    EXPECT_TRUE(ColourAt(image, 66, 300, Frame));     // frame's left line at PL − 1
    EXPECT_TRUE(ColourAt(image, 731, 300, Frame));    // its right line ends at PR
    EXPECT_TRUE(ColourAt(image, 300, 550, Frame));    // bottom line
    EXPECT_TRUE(ColourAt(image, 420, 341, Red));      // the flat curve
    EXPECT_TRUE(ColourAt(image, 420, 340, White));
    EXPECT_TRUE(ColourAt(image, 420, 342, White));
    EXPECT_TRUE(ColourAt(image, 73, 101, LegendFill));  // legend square of row 1
    EXPECT_TRUE(ColourAt(image, 69, 101, Red));         // its outline
    EXPECT_TRUE(ColourAt(image, 73 - 18, 103, Red));    // legend line, 2q to the left
    EXPECT_FALSE(ColourAt(image, 73 - 19, 103, Red));

    // Something is written in the title band and in each label area.
    EXPECT_GT(CountInk(image, QRect(200, 5, 400, 40)), 50);
    EXPECT_GT(CountInk(image, QRect(0, 120, 64, 440)), 20);   // left value labels
    EXPECT_GT(CountInk(image, QRect(22, 200, 20, 200)), 20);  // left axis title
    EXPECT_GT(CountInk(image, QRect(40, 560, 720, 38)), 50);  // times and dates
}

TEST_P(DrawChartFormatTest, ThreeChannelsDrawTheThirdCurveBlackOnAxisZero)
{
    FillFlat(store, 3, 200);
    ASSERT_EQ(store.axisTop[0], 25);
    ASSERT_EQ(store.axisBottom[0], -5);
    ASSERT_EQ(store.axisTop[1], 53);
    ASSERT_EQ(store.axisBottom[1], 47);
    const QImage image = Render(store, GetParam());
    EXPECT_TRUE(ColourAt(image, 420, 201, Red));
    EXPECT_TRUE(ColourAt(image, 420, 341, Blue));
    EXPECT_TRUE(ColourAt(image, 420, 411, Black));
    EXPECT_TRUE(ColourAt(image, 420, 410, White));
    // Three legend squares in rows 1 to 3 (18 pixels each), lines 4q long.
    EXPECT_TRUE(ColourAt(image, 69, 73, Red));
    EXPECT_TRUE(ColourAt(image, 69, 91, Blue));
    EXPECT_TRUE(ColourAt(image, 69, 109, Black));
    EXPECT_TRUE(ColourAt(image, 73 - 16, 112, Black));
}

INSTANTIATE_TEST_SUITE_P(Formats, DrawChartFormatTest,
                         ::testing::Values(QImage::Format_RGB32, QImage::Format_RGB555),
                         [](const auto& info) { return info.param == QImage::Format_RGB32 ? "RGB32" : "RGB555"; });

// The strip right of the plot holds ticks, labels and a title only when a
// second axis is drawn.
TEST(DrawChartTest, RightAxisOnlyWithMoreThanOneChannel)
{
    // Right of the tenth grid line (PR + 1) and above the time labels.
    const QRect rightStrip(734, 125, 63, 425);
    for (uint32_t channels : {1u, 2u, 3u}) {
        LogStore store;
        FillFlat(store, channels, 50);
        const QImage image = Render(store, QImage::Format_RGB32);
        if (channels == 1)
            EXPECT_EQ(CountColour(image, rightStrip, Background), rightStrip.width() * rightStrip.height());
        else
            EXPECT_GT(CountInk(image, rightStrip), 50) << channels << " channels";
    }
}

TEST(DrawChartTest, OneRecordDrawsTheLegendButNoCurve)
{
    LogStore store;
    fixtures::FillValues(store, {25.3f});
    store.ComputeStatistics();
    const QImage image = Render(store, QImage::Format_RGB32);
    EXPECT_EQ(CountColour(image, QRect(68, 132, 663, 418), Red), 0);
    EXPECT_TRUE(ColourAt(image, 73, 101, LegendFill));
    EXPECT_TRUE(ColourAt(image, 73, 103, Red));
    EXPECT_TRUE(ColourAt(image, 150, 180, White));
}

TEST(DrawChartTest, ReturnsThePlotRectangleAndKeepsThePainterState)
{
    LogStore store;
    FillFlat(store, 2, 10);
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    const QPen pen(Qt::green, 3);
    painter.setPen(pen);
    painter.setBrush(Qt::yellow);
    const QFont font = QGuiApplication::font();
    painter.setFont(font);
    ChartSurface surface;
    surface.rect = image.rect();
    surface.defaultFont = font;
    EXPECT_EQ(DrawChart(painter, store, surface), (PlotRect{67, 131, 732, 551}));
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush().color(), QColor(Qt::yellow));
    EXPECT_EQ(painter.font(), font);
}

TEST(DrawChartTest, NothingToDrawLeavesTheSurfaceAlone)
{
    LogStore store;
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::cyan);
    QPainter painter(&image);
    ChartSurface surface;
    surface.rect = image.rect();
    EXPECT_TRUE(DrawChart(painter, store, surface).isNull());
    painter.end();
    EXPECT_EQ(image.pixel(100, 50), QColor(Qt::cyan).rgb());

    // A 16-bit picture of an empty store stays black, as a new bitmap is.
    const QImage empty = Render(store, QImage::Format_RGB555, QSize(40, 30));
    EXPECT_EQ(empty.format(), QImage::Format_RGB555);
    EXPECT_TRUE(ColourAt(empty, 20, 15, Black));
}

// Page mode sizes the text from the page; on screen it keeps the surface's
// font whatever the size of the window.
TEST(DrawChartTest, PageTextGrowsWithThePageScreenTextDoesNot)
{
    LogStore store;
    FillFlat(store, 1, 10);
    auto titleInk = [&](QSize size, bool page) {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        ChartSurface surface;
        surface.rect = image.rect();
        surface.pageMode = page;
        surface.defaultFont = QGuiApplication::font();
        DrawChart(painter, store, surface);
        painter.end();
        const ChartLayout l = ChartLayout::ForStore(image.rect(), store);
        return InkHeight(image, l.titleBox().adjusted(2, 2, -2, -2));
    };
    const int smallPage = titleInk(QSize(1097, 767), true);
    const int largePage = titleInk(QSize(2194, 1534), true);
    EXPECT_GT(smallPage, 10);
    EXPECT_NEAR(double(largePage) / smallPage, 2.0, 0.25);
    EXPECT_EQ(titleInk(QSize(800, 600), false), titleInk(QSize(1600, 1200), false));
}

// In a small window the axis titles stay whole and clear of the labels: the
// left title of three channels is longer than the room above mid-height, and
// three-digit labels on the right reach into the right title's box.
TEST(DrawChartTest, AxisTitlesStayWholeAndClearOfLabels)
{
    LogStore store;
    fixtures::FillStore(store, 3, 100, [](int c, uint32_t i) {
        return c == 1 ? 21.0f + float(i % 7) : c == 2 ? -7.0f + float(i) : -15.0f;
    });
    store.ComputeStatistics();
    ASSERT_GE(store.axisTop[1], 100);
    // The left title's ink (left of where any value label reaches) spans as
    // many rows in a short plot as in a tall one, where it has room.
    auto leftTitleRows = [&](QSize size, int* topRow = nullptr) {
        const QImage image = Render(store, QImage::Format_RGB32, size);
        const QRect left = ChartLayout::ForStore(QRect(QPoint(0, 0), size), store).leftTitleBox();
        int top = -1, bottom = -1;
        for (int y = left.top(); y <= left.bottom(); ++y)
            if (CountInk(image, QRect(2, y, left.left() + 6, 1)) > 0) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
        if (topRow)
            *topRow = top;
        return top < 0 ? 0 : bottom - top + 1;
    };
    const QSize size(640, 320);
    const ChartLayout l = ChartLayout::ForStore(QRect(QPoint(0, 0), size), store);
    int top = 0;
    const int shortRows = leftTitleRows(size, &top);
    EXPECT_GE(top, l.T);
    EXPECT_GT(shortRows, l.PH / 2);  // longer than the room above mid-height
    EXPECT_NEAR(shortRows, leftTitleRows(QSize(640, 1000)), 2);

    // Columns right of the plot holding ink: the labels and the title form
    // two groups with blank columns between them.
    const QImage image = Render(store, QImage::Format_RGB32, size);
    int groups = 0;
    bool inGroup = false;
    for (int x = l.PR + 3; x < size.width() - 1; ++x) {
        const bool ink = CountInk(image, QRect(x, l.T + 5, 1, l.PH - 10)) > 0;
        if (ink && !inGroup)
            ++groups;
        inGroup = ink;
    }
    EXPECT_EQ(groups, 2);
}

// Damaged contents: a channel count beyond 3, values that are not numbers or
// are enormous. The drawing stays within the arrays and the surface.
TEST(DrawChartTest, DamagedStoreDrawsWithoutFault)
{
    LogStore store;
    fixtures::FillStore(store, 3, 100, [](int c, uint32_t i) {
        if (i == 10)
            return std::numeric_limits<float>::quiet_NaN();
        if (i == 20)
            return c == 1 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::infinity();
        return float(i);
    });
    store.ComputeStatistics();
    store.channelCount = 200;
    const QImage image = Render(store, QImage::Format_RGB32);
    EXPECT_TRUE(ColourAt(image, 3, 3, Background));
}

}  // namespace
