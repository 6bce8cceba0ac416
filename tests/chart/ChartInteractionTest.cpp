// The chart's mouse rules: record under the pointer, read-out texts, the zoom
// band, the right click back to the whole log and the cursor line's reset.
#include "chart/ChartInteraction.h"

#include "logdata/LogStore.h"
#include "support/StoreFixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The plot of an 800 × 600 view: PW = 665.
const PlotRect Plot{67, 131, 732, 551};
constexpr int PL = 67, PR = 732, T = 131, PB = 551;
constexpr int MidY = 300;

// What an inverting screen would show: drawing an overlay that is already
// there, or removing one that is not, leaves a stray dotted line behind.
class ScreenModel {
public:
    void Apply(const InteractionResult& r)
    {
        if (r.bandRemoved) {
            EXPECT_EQ(band, r.bandRemoved) << "removes a band that is not on the screen";
            band.reset();
        }
        if (r.lineRemoved) {
            EXPECT_EQ(line, r.lineRemoved) << "removes a line that is not on the screen";
            line.reset();
        }
        if (r.bandDrawn) {
            EXPECT_FALSE(band) << "draws a second band over the first";
            band = r.bandDrawn;
        }
        if (r.lineDrawn) {
            EXPECT_FALSE(line) << "draws a second cursor line";
            line = r.lineDrawn;
        }
        if (r.repaintAll) {
            band.reset();
            line.reset();
        }
    }

    std::optional<QRect> band;
    std::optional<QLine> line;
};

class ChartInteractionTest : public ::testing::Test {
protected:
    void Load(uint32_t records, uint32_t channels = 1)
    {
        fixtures::FillStore(*store, channels, records, [](int c, uint32_t i) { return float(c * 10) + float(i); });
    }

    // Every event goes through the screen model, and the interaction's idea of
    // what is shown must match what the screen holds.
    InteractionResult Check(const InteractionResult& r)
    {
        screen.Apply(r);
        EXPECT_EQ(ui.shownBand(), screen.band);
        EXPECT_EQ(ui.shownLine(), screen.line);
        return r;
    }
    InteractionResult Move(int x, int y = MidY) { return Check(ui.PointerMoved(QPoint(x, y), Plot)); }
    InteractionResult LeftDown(int x, int y = MidY) { return Check(ui.LeftPressed(QPoint(x, y), Plot)); }
    InteractionResult LeftUp(int x, int y = MidY) { return Check(ui.LeftReleased(QPoint(x, y), Plot)); }
    InteractionResult RightDown(int x, int y = MidY) { return Check(ui.RightPressed(QPoint(x, y), Plot)); }
    InteractionResult RightUp(int x, int y = MidY) { return Check(ui.RightReleased(QPoint(x, y), Plot)); }

    // A left drag from x0 to x1 through the plot, released at x1.
    InteractionResult Drag(int x0, int x1)
    {
        LeftDown(x0);
        Move(x1, MidY + 40);
        return LeftUp(x1, MidY + 40);
    }

    std::unique_ptr<LogStore> store = std::make_unique<LogStore>();
    ChartInteraction ui{*store};
    ScreenModel screen;
};

// ------------------------------------------------------------ geometry

TEST(ChartInteractionGeometry, InThePlotIncludesAllFourBounds)
{
    EXPECT_TRUE(ChartInteraction::InPlot(QPoint(PL, T), Plot));
    EXPECT_TRUE(ChartInteraction::InPlot(QPoint(PR, PB), Plot));
    EXPECT_FALSE(ChartInteraction::InPlot(QPoint(PL - 1, MidY), Plot));
    EXPECT_FALSE(ChartInteraction::InPlot(QPoint(PR + 1, MidY), Plot));
    EXPECT_FALSE(ChartInteraction::InPlot(QPoint(400, T - 1), Plot));
    EXPECT_FALSE(ChartInteraction::InPlot(QPoint(400, PB + 1), Plot));
    // Before anything is drawn the plot is null, and (0, 0) is not in it.
    EXPECT_FALSE(ChartInteraction::InPlot(QPoint(0, 0), PlotRect()));
}

TEST(ChartInteractionGeometry, RecordUnderXUsesOneSlotPerRecord)
{
    struct Case {
        uint32_t records;
        int x;
        uint32_t record;
    };
    const Case cases[] = {
        {1, PL, 0},         {1, PR, 0},          // one record fills the plot
        {10, PL, 0},        {10, PL + 66, 0},    // s = 66.5
        {10, PL + 67, 1},   {10, PR - 1, 9},
        {10, PR, 9},        {665, PL + 1, 1},    // s = 1
        {665, PR, 664},                          // PR ends the last slot
        {2000, PL + 1, 3},  {2000, PR, 1999},    // s = 0.3325
        {100, PL - 50, 0},  {100, PR + 50, 99},  // outside: limited to the records
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChartInteraction::RecordUnderX(c.x, Plot, c.records), c.record)
            << c.records << " records, x = " << c.x;
}

TEST(ChartInteractionGeometry, BandCornersAreOrdered)
{
    const QRect expected(QPoint(100, 200), QPoint(300, 400));
    EXPECT_EQ(ChartInteraction::BandRect(QPoint(100, 200), QPoint(300, 400)), expected);
    EXPECT_EQ(ChartInteraction::BandRect(QPoint(300, 400), QPoint(100, 200)), expected);
    EXPECT_EQ(ChartInteraction::BandRect(QPoint(300, 200), QPoint(100, 400)), expected);
}

// ------------------------------------------------------------ read-out

TEST_F(ChartInteractionTest, ReadoutShowsTheRecordUnderThePointer)
{
    Load(10, 2);
    store->unitText[0] = "C";
    store->unitText[1] = "%RH";
    InteractionResult r = Move(PL + 67);  // record 1
    ASSERT_TRUE(r.readout);
    EXPECT_EQ(r.readout->time, QStringLiteral("2011-03-08 14:06:30"));
    EXPECT_EQ(r.readout->value[0], QStringLiteral("  11.0 C"));
    EXPECT_EQ(r.readout->value[1], QStringLiteral("  21.0 %RH"));
    EXPECT_EQ(r.readout->value[2], QStringLiteral(" "));
    EXPECT_EQ(r.pointer, PointerShape::Chart);

    // The right edge reads out the last record.
    r = Move(PR);
    ASSERT_TRUE(r.readout);
    EXPECT_EQ(r.readout->time, QStringLiteral("2011-03-08 14:14:30"));
    EXPECT_EQ(r.readout->value[0], QStringLiteral("  19.0 C"));
}

TEST_F(ChartInteractionTest, ChannelsTheLogHasNotReadASingleBlank)
{
    struct Case {
        uint32_t channels;
        const char* ch2;
        const char* ch3;
    };
    const Case cases[] = {
        {1, " ", " "},
        {2, "  20.0 %RH", " "},
        {3, "  20.0 %RH", "  30.0 Dew Point(C)"},
    };
    for (const Case& c : cases) {
        Load(5, c.channels);
        store->unitText[1] = "%RH";
        store->unitText[2] = "Dew Point(C)";
        const Readout r = ChartInteraction::ReadoutFor(*store, 0);
        EXPECT_EQ(r.value[0].toStdString(), "  10.0 " + store->unitText[0]) << c.channels << " channels";
        EXPECT_EQ(r.value[1].toStdString(), c.ch2) << c.channels << " channels";
        EXPECT_EQ(r.value[2].toStdString(), c.ch3) << c.channels << " channels";
    }
}

TEST_F(ChartInteractionTest, ReadoutKeepsItsFormatForOddValuesAndStamps)
{
    Load(1);
    store->unitText[0] = "F";
    store->value[1][0] = -1234.56f;
    EXPECT_EQ(ChartInteraction::ReadoutFor(*store, 0).value[0], QStringLiteral("-1234.6 F"));
    store->value[1][0] = 3.0e38f;  // a damaged file: wide, but whole
    EXPECT_EQ(ChartInteraction::ReadoutFor(*store, 0).value[0].size(), 39 + 4);
    // A zero byte in a stamp ends the text there, as it always has.
    fixtures::SetStamp(*store, 0, std::string("201103\0" "8140530", 14));
    EXPECT_EQ(ChartInteraction::ReadoutFor(*store, 0).time, QStringLiteral("2011-03-"));
}

// ------------------------------------------------------------ cursor line

TEST_F(ChartInteractionTest, CursorLineFollowsThePointerAndGoesOutsideThePlot)
{
    Load(100);
    InteractionResult r = Move(200, 250);
    EXPECT_EQ(r.lineDrawn, QLine(200, T, 200, PB));
    EXPECT_EQ(ui.cursorLineX(), 200);
    EXPECT_EQ(ui.cursorLineY(), 250);
    r = Move(210);
    EXPECT_EQ(r.lineRemoved, QLine(200, T, 200, PB));
    EXPECT_EQ(r.lineDrawn, QLine(210, T, 210, PB));

    r = Move(PR + 5);
    EXPECT_EQ(r.pointer, PointerShape::Arrow);
    EXPECT_FALSE(r.readout);
    EXPECT_EQ(r.lineRemoved, QLine(210, T, 210, PB));
    EXPECT_EQ(ui.cursorLineX(), 0);
    EXPECT_EQ(ui.cursorLineY(), 0);

    // Leaving the view is leaving the plot.
    Move(300);
    Check(ui.PointerLeft(Plot));
    EXPECT_FALSE(ui.shownLine());
}

TEST_F(ChartInteractionTest, NoRecordsNoLineAndTheStandardArrow)
{
    const InteractionResult r = Move(300);
    EXPECT_EQ(r.pointer, PointerShape::Arrow);
    EXPECT_FALSE(r.lineDrawn);
    EXPECT_FALSE(r.readout);
}

// After a click, a zoom or the focus coming back the whole view is repainted:
// the next move shows no line (and removes none from the fresh picture), the
// one after shows it again.
TEST_F(ChartInteractionTest, RepaintResetsTheCursorLineForOneMove)
{
    Load(100);
    enum class Cause { Click, Zoom, Focus };
    for (Cause cause : {Cause::Click, Cause::Zoom, Cause::Focus}) {
        Move(300);
        ASSERT_TRUE(ui.shownLine());
        InteractionResult r;
        if (cause == Cause::Click) {
            LeftDown(300);
            r = LeftUp(300);
        } else if (cause == Cause::Zoom) {
            r = Drag(300, 500);
        } else {
            r = Check(ui.FocusGained());
        }
        EXPECT_TRUE(r.repaintAll);
        EXPECT_TRUE(ui.cursorLineReset());
        EXPECT_FALSE(ui.shownLine());

        r = Move(320);
        EXPECT_FALSE(r.lineDrawn);
        EXPECT_FALSE(r.lineRemoved);
        EXPECT_TRUE(r.readout);  // the read-out goes on
        EXPECT_FALSE(ui.cursorLineReset());
        EXPECT_EQ(ui.cursorLineX(), 0);

        r = Move(330);
        EXPECT_EQ(r.lineDrawn, QLine(330, T, 330, PB));
        Load(100);
    }
}

// ------------------------------------------------------------ zoom band

TEST_F(ChartInteractionTest, ClickWithoutDragRepaintsAndKeepsTheRecords)
{
    Load(100);
    LeftDown(300);
    EXPECT_TRUE(ui.dragging());
    const InteractionResult r = LeftUp(300);
    EXPECT_FALSE(ui.dragging());
    EXPECT_TRUE(r.repaintAll);
    EXPECT_FALSE(r.zoom);
    EXPECT_EQ(r.pointer, PointerShape::Chart);
}

TEST_F(ChartInteractionTest, BandSelectsTheSameRangeInEitherDirection)
{
    Load(100);  // s = 6.65
    struct Case {
        int x0, x1;
        ZoomRange range;
    };
    const Case cases[] = {
        {PL + 100, PL + 300, {15, 45}},
        {PL, PL + 7, {0, 1}},
        {PL + 10, PR, {1, 100}},
        {PL + 100, PL + 101, {15, 15}},  // one slot: nothing to keep
    };
    for (const Case& c : cases) {
        const InteractionResult right = Drag(c.x0, c.x1);
        const InteractionResult left = Drag(c.x1, c.x0);
        ASSERT_TRUE(right.zoom && left.zoom) << c.x0 << " … " << c.x1;
        EXPECT_EQ(*right.zoom, c.range) << c.x0 << " … " << c.x1;
        EXPECT_EQ(*left.zoom, c.range) << c.x1 << " … " << c.x0;
        EXPECT_TRUE(right.repaintAll && left.repaintAll);
    }
}

TEST_F(ChartInteractionTest, BandHeightDoesNotMatter)
{
    Load(100);
    LeftDown(PL + 100, T);
    Move(PL + 300, T);  // a band of no height still has width
    const InteractionResult r = LeftUp(PL + 300, T);
    ASSERT_TRUE(r.zoom);
    EXPECT_EQ(*r.zoom, (ZoomRange{15, 45}));
}

// A band from PL to PR ends at trunc(PW / s): the record count, or one less
// where s rounds up, and then the last record is dropped.
TEST_F(ChartInteractionTest, FullWidthBandKeepsAllOrAllButTheLast)
{
    uint32_t roundsDown = 0, roundsExactly = 0;
    for (uint32_t n = 2; n < 2000 && (roundsDown == 0 || roundsExactly == 0); ++n) {
        const double s = Plot.width() / double(n);
        (int(Plot.width() / s) == int(n) ? roundsExactly : roundsDown) = n;
    }
    ASSERT_NE(roundsDown, 0u);
    ASSERT_NE(roundsExactly, 0u);

    for (uint32_t n : {roundsExactly, roundsDown}) {
        Load(n);
        const std::string lastKept(store->timestamp(n - 2), TimestampLength);
        const InteractionResult r = Drag(PL, PR);
        ASSERT_TRUE(r.zoom);
        EXPECT_EQ(r.zoom->first, 0);
        EXPECT_EQ(r.zoom->end, int32_t(n == roundsDown ? n - 1 : n)) << n << " records";
        store->NarrowRecords(r.zoom->first, r.zoom->end);
        if (n == roundsDown) {
            EXPECT_EQ(store->recordCount, n - 1);
            EXPECT_EQ(std::string(store->timestamp(n - 2), TimestampLength), lastKept);
        } else {
            EXPECT_EQ(store->recordCount, n);
        }
    }
}

TEST_F(ChartInteractionTest, BandNeedsTwoRecordsButOneStillReadsOut)
{
    Load(1);
    EXPECT_EQ(LeftDown(300).pointer, PointerShape::Keep);
    EXPECT_FALSE(ui.dragging());
    InteractionResult r = Move(400);
    EXPECT_FALSE(r.bandDrawn);
    ASSERT_TRUE(r.readout);
    EXPECT_EQ(r.readout->time, QStringLiteral("2011-03-08 14:05:30"));
    r = LeftUp(400);
    EXPECT_FALSE(r.zoom);
    EXPECT_FALSE(r.repaintAll);

    Load(2);
    LeftDown(300);
    EXPECT_TRUE(ui.dragging());
    // Nor does a press outside the plot start one.
    LeftUp(300);
    LeftDown(PL - 1);
    EXPECT_FALSE(ui.dragging());
}

TEST_F(ChartInteractionTest, BandFollowsThePointerWithoutReadout)
{
    Load(100);
    Move(300);
    LeftDown(300, 200);
    EXPECT_EQ(ui.dragAnchor(), QPoint(300, 200));
    InteractionResult r = Move(400, 350);
    EXPECT_EQ(r.bandDrawn, QRect(QPoint(300, 200), QPoint(400, 350)));
    EXPECT_FALSE(r.bandRemoved);
    EXPECT_FALSE(r.readout);
    r = Move(250, 150);
    EXPECT_EQ(r.bandRemoved, QRect(QPoint(300, 200), QPoint(400, 350)));
    EXPECT_EQ(r.bandDrawn, QRect(QPoint(250, 150), QPoint(300, 200)));
    EXPECT_EQ(ui.dragCurrent(), QPoint(250, 150));
    // The line from before the press stays until the band is released.
    EXPECT_EQ(ui.shownLine(), QLine(300, T, 300, PB));
}

TEST_F(ChartInteractionTest, LeavingThePlotKeepsTheBandAndReleaseOutsideStillZooms)
{
    Load(100);
    LeftDown(PL + 100);
    Move(PL + 300);
    const std::optional<QRect> band = ui.shownBand();
    InteractionResult r = Move(PR + 40, PB + 30);
    EXPECT_EQ(r.pointer, PointerShape::Arrow);
    EXPECT_FALSE(r.bandRemoved);
    EXPECT_EQ(ui.shownBand(), band);
    EXPECT_TRUE(ui.dragging());
    r = LeftUp(PR + 40, PB + 30);
    EXPECT_EQ(r.pointer, PointerShape::Arrow);
    EXPECT_EQ(r.bandRemoved, band);
    ASSERT_TRUE(r.zoom);
    EXPECT_EQ(*r.zoom, (ZoomRange{15, 45}));
}

TEST_F(ChartInteractionTest, StoreEmptiedDuringADragNarrowsNothing)
{
    Load(100);
    LeftDown(PL + 100);
    Move(PL + 300);
    store->recordCount = 0;
    const InteractionResult r = LeftUp(PL + 300);
    ASSERT_TRUE(r.zoom);
    EXPECT_FALSE(r.zoom->narrows());
}

TEST_F(ChartInteractionTest, LostReleaseDropsTheBandWithoutZoom)
{
    Load(100);
    LeftDown(PL + 100);
    Move(PL + 300);
    const InteractionResult r = Check(ui.DragLost());
    EXPECT_TRUE(r.bandRemoved);
    EXPECT_FALSE(r.zoom);
    EXPECT_FALSE(ui.dragging());
    EXPECT_FALSE(LeftUp(PL + 300).zoom);
}

// The chart drawn anew under a band or line wipes them; the next move brings
// them back instead of taking away what is no longer there.
TEST_F(ChartInteractionTest, RedrawnChartWipesTheOverlay)
{
    Load(100);
    Move(300);
    ui.ChartRedrawn();
    screen = ScreenModel();
    EXPECT_EQ(Move(310).lineDrawn, QLine(310, T, 310, PB));
    LeftDown(310);
    Move(400);
    ui.ChartRedrawn();
    screen = ScreenModel();
    const InteractionResult r = Move(420);
    EXPECT_FALSE(r.bandRemoved);
    EXPECT_EQ(r.bandDrawn, QRect(QPoint(310, MidY), QPoint(420, MidY)));
}

// ------------------------------------------------------------ right click

TEST_F(ChartInteractionTest, RightReleaseInThePlotAsksForTheWholeLog)
{
    Load(100);
    Move(300);
    EXPECT_EQ(RightDown(300).pointer, PointerShape::Chart);
    InteractionResult r = RightUp(300);
    EXPECT_TRUE(r.reload);
    EXPECT_EQ(r.pointer, PointerShape::Chart);
    EXPECT_EQ(ui.cursorLineX(), 0);
    EXPECT_FALSE(ui.shownLine());

    // Outside the plot it only forgets the line.
    r = RightUp(PL - 10);
    EXPECT_FALSE(r.reload);
    EXPECT_EQ(r.pointer, PointerShape::Keep);

    // One record is enough to read the file again, though a press shows nothing.
    Load(1);
    EXPECT_EQ(RightDown(300).pointer, PointerShape::Keep);
    EXPECT_TRUE(RightUp(300).reload);
    Load(0);
    EXPECT_FALSE(RightUp(300).reload);
}

}  // namespace
