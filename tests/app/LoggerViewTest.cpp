// The chart view: the empty colour, the drawn chart, the title, that a plain
// repaint reuses the drawn chart, and the mouse over the plot.
#include "app/CLoggerView.h"

#include "app/ChartCursor.h"

#include "chart/DrawChart.h"
#include "link/AppData.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class LoggerViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = std::make_unique<AppData>();
        view = std::make_unique<CLoggerView>(*data);
        view->resize(800, 600);
    }

    void LoadFlatLog(uint32_t channels, uint32_t records)
    {
        fixtures::FillStore(data->store, channels, records, [](int, uint32_t) { return 20.0f; });
        data->store.ComputeStatistics();
        data->store.currentLogName = QStringLiteral("ROOM_20110308_1405.logu");
    }

    QImage Grab()
    {
        QCoreApplication::processEvents();
        return view->grab().toImage();
    }

    void TearDown() override
    {
        view.reset();
        data.reset();
    }

    std::unique_ptr<AppData> data;
    std::unique_ptr<CLoggerView> view;
};

TEST_F(LoggerViewTest, EmptyViewShowsOnlyItsColour)
{
    view->show();
    const QImage empty = Grab();
    EXPECT_EQ(empty.pixelColor(0, 0), CLoggerView::EmptyColour());
    EXPECT_EQ(empty.pixelColor(400, 300), CLoggerView::EmptyColour());
    EXPECT_TRUE(view->plotRect().isNull());

    // Records without a scale are not drawn either.
    LoadFlatLog(1, 10);
    data->store.axisStep[0] = 0;
    view->update();
    EXPECT_EQ(Grab().pixelColor(400, 300), CLoggerView::EmptyColour());
    EXPECT_EQ(view->chartDrawCount(), 0);
}

TEST_F(LoggerViewTest, LoadedStoreIsDrawnIntoTheWidget)
{
    view->show();
    LoadFlatLog(1, 100);
    view->RedrawChartNow();
    const QImage image = Grab();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(3, 3), QColor(245, 255, 245));
    EXPECT_EQ(image.pixelColor(150, 180), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(420, 341), QColor(255, 0, 0));  // the flat curve
    EXPECT_EQ(view->plotRect(), (PlotRect{67, 131, 732, 551}));

    // A new, empty document shows the empty colour again.
    data->store.recordCount = 0;
    view->RedrawChartNow();
    EXPECT_EQ(Grab().pixelColor(400, 300), CLoggerView::EmptyColour());
    EXPECT_TRUE(view->plotRect().isNull());
}

TEST_F(LoggerViewTest, RedrawChartNowSetsTheTitleAndDrawsAtOnce)
{
    view->show();
    QCoreApplication::processEvents();
    QSignalSpy titles(view.get(), &CLoggerView::documentTitleChanged);
    LoadFlatLog(2, 50);
    const int before = view->chartDrawCount();
    view->RedrawChartNow();
    EXPECT_EQ(view->chartDrawCount(), before + 1);  // drawn without waiting for the event loop
    ASSERT_EQ(titles.count(), 1);
    EXPECT_EQ(titles.at(0).at(0).toString(), QStringLiteral("ROOM_20110308_1405.logu"));

    // The title follows also when there is nothing to draw.
    data->store.recordCount = 0;
    data->store.currentLogName = QStringLiteral(" ");
    view->RedrawChartNow();
    ASSERT_EQ(titles.count(), 2);
    EXPECT_EQ(titles.at(1).at(0).toString(), QStringLiteral(" "));
}

TEST_F(LoggerViewTest, RepaintReusesTheDrawnChart)
{
    view->show();
    LoadFlatLog(3, 1000);
    view->RedrawChartNow();
    Grab();
    const int drawn = view->chartDrawCount();
    ASSERT_GE(drawn, 1);
    for (int i = 0; i < 3; ++i) {
        view->repaint();
        view->update(QRect(100, 100, 50, 50));
        Grab();
    }
    EXPECT_EQ(view->chartDrawCount(), drawn);

    // A new size, an explicit invalidation, and a change the open log's
    // document announces each draw it once more.
    view->resize(700, 500);
    Grab();
    EXPECT_EQ(view->chartDrawCount(), drawn + 1);
    EXPECT_EQ(view->plotRect(), ChartLayout::ForStore(QRect(0, 0, 700, 500), data->store).plotRect());
    view->InvalidateChart();
    Grab();
    EXPECT_EQ(view->chartDrawCount(), drawn + 2);
    data->document.Narrow(100, 200);
    view->update();
    Grab();
    EXPECT_EQ(view->chartDrawCount(), drawn + 3);
}

// A log opened on the command line arrives before the window with its
// statistics pending; the first painting computes them and draws the chart.
TEST_F(LoggerViewTest, PendingStatisticsAreComputedByThePainting)
{
    fixtures::FillStore(data->store, 1, 10, [](int, uint32_t) { return 20.0f; });
    data->store.statsPending = true;
    ASSERT_EQ(data->store.axisStep[0], 0);
    view->show();
    const QImage image = Grab();
    EXPECT_FALSE(data->store.statsPending);
    EXPECT_EQ(data->store.axisStep[0], 1);
    EXPECT_EQ(image.pixelColor(3, 3), QColor(245, 255, 245));
    EXPECT_EQ(view->chartDrawCount(), 1);
}

TEST_F(LoggerViewTest, HiddenViewDrawsWhenShown)
{
    LoadFlatLog(1, 10);
    view->RedrawChartNow();
    EXPECT_EQ(view->chartDrawCount(), 0);  // nothing to see yet
    EXPECT_EQ(view->plotRect(), (PlotRect{67, 131, 732, 551}));
    view->show();
    EXPECT_EQ(Grab().pixelColor(420, 341), QColor(255, 0, 0));
    EXPECT_EQ(view->chartDrawCount(), 1);
}

// ---------------------------------------------------------------- mouse

// The plot of the 800 × 600 view.
constexpr int PL = 67, T = 131, PR = 732, PB = 551;

// A move with no button held. QTest would move the system pointer for that,
// which the offscreen platform need not turn into an event.
void Hover(QWidget* w, QPoint p)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Dark pixels in a column or a row of the image, between two bounds.
int DarkInColumn(const QImage& image, int x, int y0, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        n += qGray(image.pixel(x, y)) < 64;
    return n;
}

int DarkInRow(const QImage& image, int y, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x <= x1; ++x)
        n += qGray(image.pixel(x, y)) < 64;
    return n;
}

class LoggerViewMouseTest : public LoggerViewTest {
protected:
    void SetUp() override
    {
        LoggerViewTest::SetUp();
        view->show();
        // Values that rise with the record number, so the read-out tells records apart.
        fixtures::FillStore(data->store, 2, 100, [](int c, uint32_t i) { return float(c * 20) + float(i) / 10; });
        data->store.ComputeStatistics();
        view->RedrawChartNow();
        Grab();
        ASSERT_EQ(view->plotRect(), (PlotRect{PL, T, PR, PB}));
        // A shown window takes the focus, which holds back the next line; a
        // move through the plot and out again leaves the view at rest.
        Hover(view.get(), QPoint(PL + 1, T + 1));
        Hover(view.get(), QPoint(1, 1));
        ASSERT_FALSE(view->interaction().cursorLineReset());
    }

    bool ChartCursorShown() const { return view->cursor().shape() == Qt::BitmapCursor; }
};

TEST_F(LoggerViewMouseTest, HoverShowsTheLineAndTheReadout)
{
    QSignalSpy readouts(view.get(), &CLoggerView::readoutChanged);
    Hover(view.get(), QPoint(PL + 67, 300));  // s = 6.65: record 10
    EXPECT_TRUE(ChartCursorShown());
    ASSERT_EQ(readouts.count(), 1);
    const QList<QVariant> texts = readouts.takeFirst();
    EXPECT_EQ(texts.at(0).toString(), QStringLiteral("2011-03-08 14:15:30"));
    EXPECT_EQ(texts.at(1).toString(), QStringLiteral("  21.0 ") + QString::fromStdString(data->store.unitText[0]));
    EXPECT_EQ(texts.at(2).toString(), QStringLiteral("  41.0 ") + QString::fromStdString(data->store.unitText[1]));
    EXPECT_EQ(texts.at(3).toString(), QStringLiteral(" "));

    // The dotted line: every second pixel of the column is inverted.
    const QImage image = Grab();
    EXPECT_NEAR(DarkInColumn(image, PL + 67, T + 1, PB - 1), (PB - T) / 2, 12);
    EXPECT_LT(DarkInColumn(image, PL + 90, T + 1, PB - 1), 10);
    EXPECT_EQ(view->chartDrawCount(), 1);  // the chart itself is not drawn again

    Hover(view.get(), QPoint(PL - 20, 300));
    EXPECT_FALSE(ChartCursorShown());
    EXPECT_EQ(readouts.count(), 0);
    EXPECT_LT(DarkInColumn(Grab(), PL + 67, T + 1, PB - 1), 10);
}

TEST_F(LoggerViewMouseTest, DraggedBandNarrowsTheStore)
{
    QSignalSpy narrowed(view.get(), &CLoggerView::storeNarrowed);
    QSignalSpy reloads(view.get(), &CLoggerView::reloadRequested);
    Hover(view.get(), QPoint(PL + 50, 250));
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(PL + 100, 200));
    QTest::mouseMove(view.get(), QPoint(PL + 300, 400));
    EXPECT_TRUE(view->interaction().dragging());

    // The band's outline and the line from before the press, over the chart.
    QImage image = Grab();
    image.save(QStringLiteral("/tmp/tessaview-zoom-band.png"));
    EXPECT_NEAR(DarkInRow(image, 200, PL + 101, PL + 299), 100, 12);
    EXPECT_NEAR(DarkInColumn(image, PL + 300, 201, 399), 100, 12);
    EXPECT_NEAR(DarkInColumn(image, PL + 50, T + 1, PB - 1), (PB - T) / 2, 12);
    const int drawn = view->chartDrawCount();

    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(PL + 300, 400));
    EXPECT_FALSE(view->interaction().dragging());
    // Slots 15 … 44 of 100: 30 records from 14:20:30 on.
    EXPECT_EQ(data->store.recordCount, 30u);
    EXPECT_EQ(std::string(data->store.timestamp(0), 14), "20110308142030");
    EXPECT_FLOAT_EQ(data->store.maxValue[0], 20.0f + 4.4f);
    EXPECT_EQ(narrowed.count(), 1);
    EXPECT_EQ(reloads.count(), 0);
    image = Grab();
    EXPECT_EQ(view->chartDrawCount(), drawn + 1);
    EXPECT_LT(DarkInRow(image, 200, PL + 101, PL + 299), 10);  // the band is gone
}

TEST_F(LoggerViewMouseTest, ClickDoubleClickAndSingleSlotBandKeepTheRecords)
{
    QSignalSpy narrowed(view.get(), &CLoggerView::storeNarrowed);
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_TRUE(view->interaction().cursorLineReset());

    QTest::mouseDClick(view.get(), Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(view.get(), QPoint(500, 300));
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(500, 300));

    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(PL + 100, 300));
    QTest::mouseMove(view.get(), QPoint(PL + 101, 320));
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(PL + 101, 320));

    EXPECT_EQ(data->store.recordCount, 100u);
    EXPECT_EQ(narrowed.count(), 0);
}

TEST_F(LoggerViewMouseTest, ReleaseOutsideThePlotZoomsToTheBandAsLastDrawn)
{
    QSignalSpy narrowed(view.get(), &CLoggerView::storeNarrowed);
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(PL + 300, 300));
    QTest::mouseMove(view.get(), QPoint(PL + 100, 300));
    QTest::mouseMove(view.get(), QPoint(20, 580));
    EXPECT_FALSE(ChartCursorShown());
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(20, 580));
    EXPECT_EQ(data->store.recordCount, 30u);
    EXPECT_EQ(narrowed.count(), 1);
}

// A drag whose release another window took ends at the next move, unzoomed.
TEST_F(LoggerViewMouseTest, LostReleaseEndsTheDragWithoutZoom)
{
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(PL + 100, 300));
    QTest::mouseMove(view.get(), QPoint(PL + 300, 300));
    Hover(view.get(), QPoint(PL + 320, 300));  // no button held any more
    EXPECT_FALSE(view->interaction().dragging());
    EXPECT_FALSE(view->interaction().shownBand());
    EXPECT_EQ(data->store.recordCount, 100u);
}

TEST_F(LoggerViewMouseTest, RightClickInThePlotAsksForTheWholeLog)
{
    QSignalSpy reloads(view.get(), &CLoggerView::reloadRequested);
    QTest::mouseClick(view.get(), Qt::RightButton, {}, QPoint(PL - 30, 300));
    EXPECT_EQ(reloads.count(), 0);
    Hover(view.get(), QPoint(400, 300));
    QTest::mouseClick(view.get(), Qt::RightButton, {}, QPoint(400, 300));
    EXPECT_EQ(reloads.count(), 1);
    EXPECT_FALSE(view->interaction().shownLine());
}

TEST_F(LoggerViewMouseTest, FocusHidesTheLineUntilTheSecondMove)
{
    Hover(view.get(), QPoint(400, 300));
    ASSERT_TRUE(view->interaction().shownLine());
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(view.get(), &focus);
    EXPECT_TRUE(view->interaction().cursorLineReset());
    EXPECT_LT(DarkInColumn(Grab(), 400, T + 1, PB - 1), 10);
    Hover(view.get(), QPoint(410, 300));
    EXPECT_FALSE(view->interaction().shownLine());
    Hover(view.get(), QPoint(420, 300));
    EXPECT_TRUE(view->interaction().shownLine());
}

TEST(ChartCursorTest, YellowArrowWithABlackOutlineAndItsTipAtTheOrigin)
{
    const QImage image = ChartCursor::Image();
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(3, 10)), QColor(255, 255, 0));
    EXPECT_EQ(qAlpha(image.pixel(31, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0);
    const QCursor cursor = ChartCursor::Cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(0, 0));
}

}  // namespace
