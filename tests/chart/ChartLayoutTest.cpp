// The chart geometry: worked sizes, the derived positions, and damaged scales.
#include "chart/ChartLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct SizeCase {
    const char* what;
    QRect R;
    int channels;
    int X0, Y0, X1, Y1, Y2, rh, xt, T, B0, W12i, PL, PR, PB;
    double W12;
};

class LayoutSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(LayoutSizeTest, MatchesWorkedNumbers)
{
    const SizeCase& k = GetParam();
    // A scale of 4 divisions; the band and plot edges do not depend on it.
    const ChartLayout l = ChartLayout::Compute(k.R, k.channels, 100, 25, 5, 5);
    ASSERT_TRUE(l.drawable);
    EXPECT_EQ(l.X0, k.X0) << k.what;
    EXPECT_EQ(l.Y0, k.Y0) << k.what;
    EXPECT_EQ(l.X1, k.X1) << k.what;
    EXPECT_EQ(l.Y1, k.Y1) << k.what;
    EXPECT_EQ(l.Y2, k.Y2) << k.what;
    EXPECT_EQ(l.rh, k.rh) << k.what;
    EXPECT_EQ(l.xt, k.xt) << k.what;
    EXPECT_EQ(l.T, k.T) << k.what;
    EXPECT_EQ(l.B0, k.B0) << k.what;
    EXPECT_DOUBLE_EQ(l.W12, k.W12) << k.what;
    EXPECT_EQ(l.W12i, k.W12i) << k.what;
    EXPECT_EQ(l.PL, k.PL) << k.what;
    EXPECT_EQ(l.PR, k.PR) << k.what;
    EXPECT_EQ(l.PB, k.PB) << k.what;
    EXPECT_EQ(l.plotRect(), (PlotRect{k.PL, k.T, k.PR, k.PB})) << k.what;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, LayoutSizeTest,
    ::testing::Values(
        SizeCase{"800x600, one channel", QRect(0, 0, 800, 600), 1,
                 1, 1, 798, 49, 121, 36, 133, 131, 598, 66, 67, 732, 551, 797 / 12.0},
        SizeCase{"800x600, three channels", QRect(0, 0, 800, 600), 3,
                 1, 1, 798, 49, 121, 18, 133, 131, 598, 66, 67, 732, 551, 797 / 12.0},
        SizeCase{"1920x1080, three channels", QRect(0, 0, 1920, 1080), 3,
                 3, 2, 1916, 88, 217, 32, 321, 227, 1077, 159, 162, 1757, 992, 1913 / 12.0},
        SizeCase{"A4 landscape page", QRect(0, 0, 1097, 767), 2,
                 2, 1, 1094, 62, 154, 30, 184, 164, 765, 91, 93, 1003, 704, 91.0},
        SizeCase{"800x600 moved to (100, 50)", QRect(100, 50, 800, 600), 1,
                 101, 51, 898, 99, 171, 36, 233, 181, 648, 66, 167, 832, 601, 797 / 12.0}));

// The positions derived from the 800 × 600 layout with 4 value divisions.
TEST(ChartLayoutTest, DerivedPositionsOf800x600)
{
    const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 800, 600), 1, 100, 25, 5, 5);
    EXPECT_EQ(l.N, 4);
    EXPECT_EQ(l.PW, 665);
    EXPECT_EQ(l.PH, 420);

    EXPECT_EQ(l.gridX(1), 134);
    EXPECT_EQ(l.gridX(5), 400);
    EXPECT_EQ(l.gridX(10), l.PR + 1);  // one pixel right of the plot
    EXPECT_EQ(l.gridY(0), 131);
    EXPECT_EQ(l.gridY(1), 236);
    EXPECT_EQ(l.gridY(3), 446);

    EXPECT_EQ(l.valueTickY(0), 131);
    EXPECT_EQ(l.valueTickY(1), 152);
    EXPECT_EQ(l.valueTickY(20), 551);
    EXPECT_EQ(l.tickLength(0), 8);
    EXPECT_EQ(l.tickLength(3), 4);

    EXPECT_EQ(l.timeTickX(0), 732);
    EXPECT_EQ(l.timeTickX(5), 666);
    EXPECT_EQ(l.timeTickX(45), 135);
    EXPECT_EQ(l.timeTickX(50), 66);  // PL − 1, not where the twelfths would put it

    EXPECT_EQ(l.titleBox(), QRect(1, 1, 797, 48));
    EXPECT_EQ(l.rowBox(0), QRect(133, 49, 665, 36));
    EXPECT_EQ(l.rowBox(1), QRect(133, 85, 665, 36));
    EXPECT_EQ(l.leftLabelBox(131), QRect(0, 131 - 93, 63, 186));
    EXPECT_EQ(l.rightLabelBox(131), QRect(737, 131 - 93, 63, 186));
    EXPECT_EQ(l.timeLabelBox(732), QRect(666, 556, 132, 26));
    EXPECT_EQ(l.dateLabelBox(732), QRect(666, 582, 132, 18));
    EXPECT_EQ(l.leftTitleBox(), QRect(22, 131, 44, 420));
    EXPECT_EQ(l.rightTitleBox(), QRect(755, 131, 45, 420));

    EXPECT_EQ(l.legendX(), 73);
    EXPECT_EQ(l.legendY(1), 103);
    EXPECT_EQ(l.legendHalfLine(), 18);  // 2q for one channel
    const ChartLayout three = ChartLayout::Compute(QRect(0, 0, 800, 600), 3, 100, 25, 5, 5);
    EXPECT_EQ(three.legendY(3), 112);
    EXPECT_EQ(three.legendHalfLine(), 16);  // 4q for more

    EXPECT_EQ(l.titleFontHeight(false, 14), 21);
    EXPECT_EQ(l.bodyFontHeight(false, 21), 14);
}

// Nine divisions on a surface 450 high leave trunc(34.8 / 3) − 5 = 6 pixels
// for the times: the box grows to a line of text and the dates move below it.
// Where there is room the boxes keep their place.
TEST(ChartLayoutTest, TimeBoxesHoldALineOfText)
{
    const ChartLayout cramped = ChartLayout::Compute(QRect(0, 0, 800, 450), 1, 100, 28, 19, 1);
    ASSERT_EQ(cramped.N, 9);
    const int x = cramped.PR;
    EXPECT_EQ(cramped.timeLabelBox(x).height(), 6);
    EXPECT_EQ(cramped.timeLabelBox(x, 14).top(), cramped.PB + 5);
    EXPECT_EQ(cramped.timeLabelBox(x, 14).height(), 14);
    EXPECT_EQ(cramped.dateLabelBox(x, 14).top(), cramped.PB + 19);

    const ChartLayout roomy = ChartLayout::Compute(QRect(0, 0, 800, 600), 1, 100, 25, 5, 5);
    EXPECT_EQ(roomy.timeLabelBox(732, 14), roomy.timeLabelBox(732));
    EXPECT_EQ(roomy.dateLabelBox(732, 14), roomy.dateLabelBox(732));
}

TEST(ChartLayoutTest, PageFontsFollowTheTitleBand)
{
    const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 1097, 767), 2, 100, 25, 5, 5);
    EXPECT_EQ(l.titleFontHeight(true, 14), 24);  // trunc(61 / 2.5)
    EXPECT_EQ(l.bodyFontHeight(true, 24), 12);   // 61 ÷ 5
}

TEST(ChartLayoutTest, CurvePositionsFollowRecordsAndScale)
{
    const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 800, 600), 1, 666, 22, 18, 1);
    EXPECT_DOUBLE_EQ(l.ppr, 1.0);
    EXPECT_EQ(l.recordX(0), l.PL);
    EXPECT_EQ(l.recordX(1), l.PL + 1);
    EXPECT_EQ(l.recordX(665), l.PR);
    EXPECT_EQ(l.valueY(20.0, 22, 18), 341);
    EXPECT_EQ(l.valueY(22.0, 22, 18), l.T);
    EXPECT_EQ(l.valueY(18.0, 22, 18), l.PB);
    EXPECT_EQ(l.recordAtTick(l.PR), 665u);
    EXPECT_EQ(l.recordAtTick(l.PL - 1), 0u);
    EXPECT_EQ(l.recordAtTick(l.PL + 100), 100u);
}

TEST(ChartLayoutTest, OneRecordHasNoSpacingAndEveryTickShowsIt)
{
    const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 800, 600), 1, 1, 27, 23, 1);
    ASSERT_TRUE(l.drawable);
    EXPECT_TRUE(std::isinf(l.ppr));
    for (int m = 0; m <= ChartLayout::TimeTicks; ++m)
        EXPECT_EQ(l.recordAtTick(l.timeTickX(m)), 0u) << "tick " << m;
}

// The right-hand time label is the record trunc(PW / ppr): rounding may make
// it the one before the last, and it never lies past the last.
TEST(ChartLayoutTest, TimeTickRecordStaysWithinTheRecords)
{
    for (uint32_t n : {2u, 3u, 7u, 1000u, 139999u, 140000u}) {
        const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 800, 600), 1, n, 22, 18, 1);
        const uint32_t k = l.recordAtTick(l.PR);
        EXPECT_TRUE(k == n - 1 || k == n - 2) << n << " records gave " << k;
    }
}

// Scales that no statistics run gives: nothing to draw, and no division by
// zero or overflow on the way.
TEST(ChartLayoutTest, UnusableScalesAreNotDrawable)
{
    const struct {
        const char* what;
        uint32_t records;
        int32_t top, bottom, step;
    } cases[] = {
        {"no records", 0, 22, 18, 1},
        {"no step", 10, 22, 18, 0},
        {"negative step", 10, 22, 18, -5},
        {"top below bottom", 10, 18, 22, 1},
        {"top equals bottom", 10, 20, 20, 1},
        {"range overflowing int32", 10, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 1},
    };
    for (const auto& c : cases) {
        const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 800, 600), 1, c.records, c.top, c.bottom, c.step);
        EXPECT_FALSE(l.drawable) << c.what;
        EXPECT_GE(l.N, 1) << c.what;
    }
}

TEST(ChartLayoutTest, DamagedValuesGiveBoundedPixels)
{
    const ChartLayout l = ChartLayout::Compute(QRect(0, 0, 800, 600), 2, 10, 22, 18, 1);
    EXPECT_EQ(l.valueY(std::nan(""), 22, 18), l.PB);
    EXPECT_EQ(l.valueY(20.0, 20, 20), l.PB);  // an axis without height
    const int high = l.valueY(std::numeric_limits<float>::max(), 22, 18);
    const int low = l.valueY(-std::numeric_limits<double>::infinity(), 22, 18);
    EXPECT_LT(high, l.T);
    EXPECT_GT(low, l.PB);
    EXPECT_GE(high, -1000000);
    EXPECT_LE(low, 1000000);
}

TEST(ChartLayoutTest, ChannelCountIsClampedForRows)
{
    // A damaged count never makes the header rows vanish or divide by zero.
    EXPECT_EQ(ChartLayout::Compute(QRect(0, 0, 800, 600), 7, 10, 22, 18, 1).channels, 3);
    EXPECT_EQ(ChartLayout::Compute(QRect(0, 0, 800, 600), -1, 10, 22, 18, 1).rh, 72);
}

TEST(ChartLayoutTest, TruncPixelRoundsTowardZero)
{
    EXPECT_EQ(TruncPixel(2.9), 2);
    EXPECT_EQ(TruncPixel(-2.9), -2);
    EXPECT_EQ(TruncPixel(std::nan("")), 0);
    EXPECT_EQ(TruncPixel(1e300), 1000000);
    EXPECT_EQ(TruncPixel(-1e300), -1000000);
}

}  // namespace
