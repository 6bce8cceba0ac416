// The record list: columns and headings, cell texts, the snapshot and the
// fills the document's announcements bring, the view's settings.
#include "link/AppData.h"
#include "panes/CDataListPane.h"
#include "panes/RecordTableModel.h"
#include "support/GuiTestSupport.h"
#include "support/StoreFixtures.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>

#include <limits>
#include <memory>

namespace {

QStringList Headings(const QAbstractItemModel& m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

QStringList Row(const QAbstractItemModel& m, int row)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.data(m.index(row, c)).toString();
    return out;
}

class DataListPaneTest : public ::testing::Test {
protected:
    // The data block is large; one per test, on the heap.
    std::unique_ptr<AppData> data = std::make_unique<AppData>();
    LogStore& store = data->store;
};

struct ColumnCase {
    const char* what;
    uint32_t channelCount;
    uint8_t celsius;
    const char* headings;  // joined by blanks
    const char* firstRow;  // joined by '|'
};

class DataListColumnsTest : public DataListPaneTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(DataListColumnsTest, HeadingsAndValuesFollowChannelCountAndUnit)
{
    const ColumnCase& k = GetParam();
    fixtures::FillStore(store, 3, 2, [](int c, uint32_t i) { return float(c * 10 + int(i)) + 0.5f; });
    store.channelCount = k.channelCount;
    store.celsius = k.celsius;
    CDataListPane pane(*data);
    pane.FillRecordList();
    const RecordTableModel& m = *pane.model();
    EXPECT_EQ(Headings(m).join(QLatin1Char(' ')).toStdString(), k.headings) << k.what;
    EXPECT_EQ(Row(m, 0).join(QLatin1Char('|')).toStdString(), k.firstRow) << k.what;
    EXPECT_EQ(m.rowCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataListColumnsTest,
    ::testing::Values(
        ColumnCase{"one channel, Fahrenheit", 1, 0, "SN DATE TIME F", "1|2011-03-08|14:05:30|  10.5"},
        ColumnCase{"two temperatures, Celsius: the second under %RH", 2, 1, "SN DATE TIME C %RH",
                   "1|2011-03-08|14:05:30|  10.5|  20.5"},
        ColumnCase{"three channels", 3, 1, "SN DATE TIME C %RH DP", "1|2011-03-08|14:05:30|  10.5|  20.5|  30.5"},
        ColumnCase{"damaged count 0", 0, 1, "SN DATE TIME", "1|2011-03-08|14:05:30"},
        ColumnCase{"damaged count above 3", 7, 0, "SN DATE TIME F %RH DP", "1|2011-03-08|14:05:30|  10.5|  20.5|  30.5"},
        ColumnCase{"damaged count near overflow", 0xFFFFFFFFu, 1, "SN DATE TIME C %RH DP",
                   "1|2011-03-08|14:05:30|  10.5|  20.5|  30.5"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(RecordTableModelTest, ValuesKeepTheSixCharacterFormat)
{
    const std::pair<float, const char*> cases[] = {
        {25.25f, "  25.2"},  // exact in binary: a tie, which printf rounds to even
        {25.3f, "  25.3"},
        {-12.5f, " -12.5"},
        {-100.0f, "-100.0"},  // fills the six characters exactly
        {1234.5f, "1234.5"},
        {12345.6f, "12345.6"},  // widens; nothing is cut
        {-0.04f, "  -0.0"},
        {std::numeric_limits<float>::max(), "340282346638528859811704183484516925440.0"},  // the widest float
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(RecordTableModel::FormatValue(value).toStdString(), text) << value;
}

TEST_F(DataListPaneTest, FirstRecordShowsNumberDateTimeAndValue)
{
    fixtures::FillValues(store, {25.25f, 1.0f});
    fixtures::SetStamp(store, 0, "20110308140530");
    CDataListPane pane(*data);
    pane.FillRecordList();
    EXPECT_EQ(Row(*pane.model(), 0), (QStringList{"1", "2011-03-08", "14:05:30", "  25.2"}));
    EXPECT_EQ(Row(*pane.model(), 1)[0], QStringLiteral("2"));
}

TEST_F(DataListPaneTest, StampCharactersAreShownAsTheyAre)
{
    fixtures::FillValues(store, {1.0f});
    fixtures::SetStamp(store, 0, "2011-3-8ab:cd5");
    store.timestamp(0)[13] = '\0';  // a zero byte ends the text, as in a C string
    CDataListPane pane(*data);
    pane.FillRecordList();
    EXPECT_EQ(Row(*pane.model(), 0)[1], QStringLiteral("2011--3--8"));
    EXPECT_EQ(Row(*pane.model(), 0)[2], QStringLiteral("ab::c:d"));
}

TEST_F(DataListPaneTest, TableIsASnapshotOfTheFill)
{
    fixtures::FillStore(store, 2, 3, [](int c, uint32_t i) { return float(c * 100 + int(i)); });
    CDataListPane pane(*data);
    pane.FillRecordList();
    const QStringList before = Row(*pane.model(), 2);

    // A zoom narrows the store in place; a new log changes everything.
    store.NarrowRecords(1, 2);
    store.value[1][0] = -5.0f;
    store.value[1][2] = -5.0f;
    fixtures::SetStamp(store, 2, "19990101000000");
    store.celsius = 0;
    store.channelCount = 1;

    EXPECT_EQ(pane.model()->rowCount(), 3);
    EXPECT_EQ(Row(*pane.model(), 2), before);
    EXPECT_EQ(Headings(*pane.model()).join(QLatin1Char(' ')), QStringLiteral("SN DATE TIME C %RH"));

    pane.FillRecordList();
    EXPECT_EQ(pane.model()->rowCount(), 1);
    EXPECT_EQ(Row(*pane.model(), 0), (QStringList{"1", "2011-03-08", "14:06:30", "  -5.0"}));
    EXPECT_EQ(Headings(*pane.model()).join(QLatin1Char(' ')), QStringLiteral("SN DATE TIME F"));
}

TEST_F(DataListPaneTest, FillsOnceForEachChangeTheDocumentAnnounces)
{
    fixtures::FillStore(store, 2, 6, [](int c, uint32_t i) { return float(c * 100 + int(i)); });
    CDataListPane pane(*data);
    pane.FillRecordList();
    QSignalSpy fills(pane.model(), &QAbstractItemModel::modelReset);

    ASSERT_TRUE(data->document.Narrow(2, 5));
    EXPECT_EQ(fills.count(), 1);
    ASSERT_EQ(pane.model()->rowCount(), 3);
    EXPECT_EQ(Row(*pane.model(), 0)[3], QStringLiteral(" 102.0"));

    // A range the document refuses announces nothing and leaves the list.
    EXPECT_FALSE(data->document.Narrow(3, 2));
    EXPECT_EQ(fills.count(), 1);

    data->document.New();
    EXPECT_EQ(fills.count(), 2);
    EXPECT_EQ(pane.model()->rowCount(), 0);
}

TEST_F(DataListPaneTest, EmptyStoreRebuildsColumnsWithoutRows)
{
    fixtures::FillStore(store, 3, 5, [](int, uint32_t) { return 1.0f; });
    CDataListPane pane(*data);
    pane.FillRecordList();
    ASSERT_EQ(pane.model()->rowCount(), 5);

    store.recordCount = 0;  // a new document
    store.channelCount = 1;
    pane.FillRecordList();
    EXPECT_EQ(pane.model()->rowCount(), 0);
    EXPECT_EQ(Headings(*pane.model()).join(QLatin1Char(' ')), QStringLiteral("SN DATE TIME C"));
}

TEST_F(DataListPaneTest, BeforeAnyFillShowsCelsiusColumnsOnly)
{
    store.channelCount = 2;
    store.celsius = 0;
    CDataListPane pane(*data);
    EXPECT_EQ(pane.model()->rowCount(), 0);
    EXPECT_EQ(Headings(*pane.model()).join(QLatin1Char(' ')), QStringLiteral("SN DATE TIME C %RH"));
}

TEST_F(DataListPaneTest, ViewSettings)
{
    fixtures::FillStore(store, 3, 4, [](int, uint32_t) { return 1.0f; });
    CDataListPane pane(*data);
    pane.FillRecordList();
    QTableView* view = pane.list();
    QHeaderView* header = view->horizontalHeader();

    const int widths[] = {40, 80, 60, 50, 50, 50};
    const char* const widest[] = {"140000", "2011-03-08", "14:05:30", "-100.0", "-100.0", "-100.0"};
    for (int c = 0; c < 6; ++c) {
        // The listed widths, widened where the font needs more room.
        EXPECT_EQ(header->sectionSize(c), pane.ColumnWidth(c)) << c;
        EXPECT_GE(header->sectionSize(c), widths[c]) << c;
        EXPECT_GT(header->sectionSize(c), view->fontMetrics().horizontalAdvance(QString::fromLatin1(widest[c]))) << c;
        EXPECT_EQ(header->sectionResizeMode(c), c < 2 ? QHeaderView::Fixed : QHeaderView::Interactive) << c;
        EXPECT_EQ(pane.model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        EXPECT_EQ(pane.model()->data(pane.model()->index(3, c), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    }
    EXPECT_FALSE(header->sectionsClickable());
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_FALSE(view->verticalHeader()->isVisible());
}

TEST_F(DataListPaneTest, FullStoreFillsEveryRow)
{
    fixtures::FillStore(store, 3, LogCapacity, [](int c, uint32_t i) { return float(c) + float(i % 100) / 10.0f; });
    CDataListPane pane(*data);
    pane.resize(400, 600);
    pane.show();
    pane.FillRecordList();
    QCoreApplication::processEvents();
    const int last = int(LogCapacity) - 1;
    ASSERT_EQ(pane.model()->rowCount(), int(LogCapacity));
    EXPECT_EQ(Row(*pane.model(), last)[0], QStringLiteral("140000"));
    EXPECT_EQ(Row(*pane.model(), last)[5], RecordTableModel::FormatValue(store.value[3][last]));
    pane.list()->scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_EQ(pane.list()->rowAt(pane.list()->viewport()->height() - 2), last);
}

}  // namespace
