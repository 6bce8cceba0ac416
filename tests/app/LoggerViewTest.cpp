// The chart view: the empty colour, the drawn chart, the title, and that a
// plain repaint reuses the drawn chart.
#include "app/CLoggerView.h"

#include "chart/DrawChart.h"
#include "link/AppData.h"
#include "support/StoreFixtures.h"

#include <QApplication>
#include <QFontDatabase>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

// One QApplication for the whole program, ended before the program's own
// static objects go (Qt's end-of-program clean-up needs it gone first).
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "loggerviewtest";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

::testing::Environment* const appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

class LoggerViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed (fonts-dejavu-core)";
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

    // A new size, an explicit invalidation, and a store that changed under
    // the view each draw it once more.
    view->resize(700, 500);
    Grab();
    EXPECT_EQ(view->chartDrawCount(), drawn + 1);
    EXPECT_EQ(view->plotRect(), ChartLayout::ForStore(QRect(0, 0, 700, 500), data->store).plotRect());
    view->InvalidateChart();
    Grab();
    EXPECT_EQ(view->chartDrawCount(), drawn + 2);
    data->store.NarrowRecords(100, 200);
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

}  // namespace
