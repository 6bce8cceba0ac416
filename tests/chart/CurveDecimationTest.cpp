// The reduced curve: which points it keeps, and that Qt paints the same pixels
// from them as from every point.
#include "chart/CurveDecimation.h"

#include "support/GuiTestSupport.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPixmap>
#include <QRegion>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr int NaNRow = 57;  // where these tests put a value that is not a number

// The test curves give x directly and use the value as the row.
struct Curve {
    std::vector<int> x;
    std::vector<float> v;
};

std::vector<QPoint> Build(const Curve& curve, bool reduce)
{
    CurvePolyline polyline(reduce);
    return polyline.Build(
        uint32_t(curve.x.size()), curve.v.data(), [&](uint32_t j) { return curve.x[j]; },
        [](float value) { return value == value ? int(value) : NaNRow; });
}

std::string Describe(const std::vector<QPoint>& points)
{
    std::string s;
    for (const QPoint& p : points)
        s += "(" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")";
    return s;
}

struct KeptCase {
    const char* name;
    Curve curve;
    std::vector<QPoint> kept;
};

TEST(CurvePolylineTest, KeepsTheEndsAndTheExtremesOfEachColumn)
{
    const std::vector<int> busy(11, 0);
    const KeptCase cases[] = {
        {"empty", {{}, {}}, {}},
        {"one record", {{5}, {10}}, {{5, 10}}},
        {"one record a column", {{0, 1, 2}, {3, 9, 4}}, {{0, 3}, {1, 9}, {2, 4}}},
        {"flat column", {{7, 7, 7, 8}, {4, 4, 4, 4}}, {{7, 4}, {8, 4}}},
        // Two rows at the start, three at the end, the highest and lowest of
        // the rest in between.
        {"highest before lowest",
         {busy, {50, 52, 40, 70, 45, 61, 30, 55, 58, 60, 51}},
         {{0, 50}, {0, 52}, {0, 70}, {0, 30}, {0, 58}, {0, 60}, {0, 51}}},
        {"lowest before highest",
         {busy, {50, 52, 40, 30, 45, 61, 70, 55, 58, 60, 51}},
         {{0, 50}, {0, 52}, {0, 30}, {0, 70}, {0, 58}, {0, 60}, {0, 51}}},
        {"repeated rows count once",
         {std::vector<int>(14, 3), {50, 50, 52, 52, 40, 70, 70, 45, 30, 58, 58, 60, 51, 51}},
         {{3, 50}, {3, 52}, {3, 70}, {3, 30}, {3, 58}, {3, 60}, {3, 51}}},
        {"extremes at the ends of the middle",
         {{0, 0, 0, 0, 0, 0, 0, 1}, {50, 20, 30, 25, 90, 40, 35, 36}},
         {{0, 50}, {0, 20}, {0, 90}, {0, 40}, {0, 35}, {1, 36}}},
        {"a column of few rows is kept whole", {{4, 4, 4, 4, 4}, {5, 3, 5, 3, 4}}, {{4, 5}, {4, 3}, {4, 5}, {4, 3}, {4, 4}}},
        {"reversals at the end are kept", {{9, 9, 9, 9}, {62, 63, 62, 63}}, {{9, 62}, {9, 63}, {9, 62}, {9, 63}}},
        {"columns skipped",
         {{0, 0, 5, 5, 5, 9}, {1, 3, 6, 0, 6, 4}},
         {{0, 1}, {0, 3}, {5, 6}, {5, 0}, {5, 6}, {9, 4}}},
        // A value that is not a number has a row of its own, here the lowest.
        {"not a number is the lowest",
         {std::vector<int>(10, 0), {50, 52, 40, NaN, 45, 30, 55, 48, 49, 51}},
         {{0, 50}, {0, 52}, {0, NaNRow}, {0, 30}, {0, 48}, {0, 49}, {0, 51}}},
        {"column starts with not a number", {{2, 2, 2, 2}, {NaN, 70, 90, 80}}, {{2, NaNRow}, {2, 70}, {2, 90}, {2, 80}}},
        {"only not a number", {{2, 2, 3}, {NaN, NaN, 1}}, {{2, NaNRow}, {3, 1}}},
    };
    for (const KeptCase& c : cases) {
        std::vector<QPoint> expected;
        for (QPoint p : c.kept)
            expected.push_back(p);
        EXPECT_EQ(Describe(Build(c.curve, true)), Describe(expected)) << c.name;
    }
}

TEST(CurvePolylineTest, EveryRecordKeepsAllButRepeatedPoints)
{
    const Curve curve{{0, 0, 0, 1, 1, 2, 2}, {5, 5, 3, 3, 3, NaN, NaN}};
    EXPECT_EQ(Describe(Build(curve, false)), "(0,5)(0,3)(1,3)(2,57)");
}

// A curve drawn as DrawChart draws it: 1-pixel flat-capped aliased polyline.
QImage Paint(const std::vector<QPoint>& points, QSize size, QImage::Format format, int setUp)
{
    QImage image(size, format);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (setUp & 1)
        p.translate(3, -2);
    if (setUp & 2)
        p.setClipRect(QRect(10, 12, size.width() - 25, size.height() - 30));
    if (setUp & 4)
        p.setClipRegion(QRegion(0, 0, 40, 200) + QRegion(60, 30, 200, 40));
    QPen pen(Qt::red, 1);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    if (!points.empty())
        p.drawPolyline(points.data(), int(points.size()));
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

// Random curves of every kind the chart meets: many records to a column or
// fewer records than columns, steady, noisy, spiking, running off the
// picture, with values that are not numbers; drawn in 32 and 16 bits, moved
// and clipped. The reduced curve always paints the very same pixels.
TEST(CurvePolylineTest, ReducedCurvePaintsTheSamePixelsAsEveryPoint)
{
    std::mt19937 random(20111);
    const QSize size(160, 120);
    int reducedSomewhere = 0;
    for (int round = 0; round < 3000; ++round) {
        auto below = [&](int n) { return int(random() % uint32_t(n)); };
        Curve curve;
        const int count = 1 + below(round % 4 == 0 ? 2000 : 300);
        const int density = 1 + below(60);  // about this many records to a column
        int x = round % 11 == 0 ? below(400) - 200 : below(20) - 10;
        double y = below(140) - 10;
        for (int j = 0; j < count; ++j) {
            if (below(density) == 0)
                x += 1 + (below(8) == 0 ? below(40) : 0);
            switch (below(round % 5 + 1)) {
            case 0: y += below(3) - 1; break;                          // steady
            case 1: y += below(21) - 10; break;                        // noisy
            case 2: y = below(8) == 0 ? below(120) : y; break;         // spikes
            case 3: y = below(30) == 0 ? (below(2) ? -5000 : 9000) : y; break;  // off the picture
            default: y = below(120); break;                            // jumping
            }
            float v = float(y);
            if (round % 7 == 0 && below(50) == 0)
                v = NaN;
            curve.x.push_back(x);
            curve.v.push_back(v);
        }
        const std::vector<QPoint> full = Build(curve, false);
        const std::vector<QPoint> reduced = Build(curve, true);
        if (reduced.size() < full.size())
            ++reducedSomewhere;
        const QImage::Format format = round % 2 ? QImage::Format_RGB555 : QImage::Format_RGB32;
        const int setUp = round % 8;
        const std::string difference =
            FirstDifference(Paint(full, size, format, setUp), Paint(reduced, size, format, setUp));
        ASSERT_EQ(difference, "") << "round " << round << ": " << Describe(full);
    }
    EXPECT_GT(reducedSomewhere, 2000);
}

TEST(CurvePolylineTest, ReductionOnlyWhereThePixelsStayTheSame)
{
    QImage image(64, 48, QImage::Format_RGB32);
    {
        QPainter p(&image);
        EXPECT_TRUE(ColumnReductionIsExact(p)) << "plain picture";
        p.translate(5, 7);
        EXPECT_TRUE(ColumnReductionIsExact(p)) << "moved";
        p.setRenderHint(QPainter::Antialiasing, true);
        EXPECT_FALSE(ColumnReductionIsExact(p)) << "antialiased";
        p.setRenderHint(QPainter::Antialiasing, false);
        p.scale(2, 2);
        EXPECT_FALSE(ColumnReductionIsExact(p)) << "scaled";
        p.resetTransform();
        p.rotate(30);
        EXPECT_FALSE(ColumnReductionIsExact(p)) << "turned";
    }
    {
        QImage r555(64, 48, QImage::Format_RGB555);
        QPainter p(&r555);
        EXPECT_TRUE(ColumnReductionIsExact(p)) << "16-bit picture";
    }
    {
        QPixmap dense(128, 96);
        dense.setDevicePixelRatio(2);
        QPainter p(&dense);
        EXPECT_FALSE(ColumnReductionIsExact(p)) << "high-density pixmap";
    }
    {
        QPicture picture;
        QPainter p(&picture);
        EXPECT_FALSE(ColumnReductionIsExact(p)) << "recorded picture";
    }
    {
        QTemporaryDir dir;
        QPdfWriter pdf(dir.filePath(QStringLiteral("page.pdf")));
        QPainter p(&pdf);
        EXPECT_FALSE(ColumnReductionIsExact(p)) << "PDF page";
    }
}

}  // namespace
