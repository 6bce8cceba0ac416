// The Data List pane: a table view over the record snapshot.
#include "panes/CDataListPane.h"

#include "link/AppData.h"
#include "logdata/LogDocument.h"
#include "panes/RecordTableModel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

CDataListPane::CDataListPane(AppData& data, QWidget* parent) : QWidget(parent), data_(data)
{
    model_ = new RecordTableModel(this);
    list_ = new QTableView(this);
    list_->setModel(model_);
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    list_->setCornerButtonEnabled(false);
    list_->setSortingEnabled(false);
    // Tab moves the focus to and from the list, not from cell to cell.
    list_->setTabKeyNavigation(false);
    list_->setFocusPolicy(Qt::StrongFocus);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // The selection stays as visible when the list loses the focus.
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list_->setPalette(palette);

    list_->verticalHeader()->hide();
    // A fixed row height: measuring 140000 rows to fit their contents would
    // take seconds.
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setMinimumSectionSize(1);
    list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* header = list_->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    // The pane passes the keyboard focus on to its list.
    setFocusProxy(list_);

    model_->ShowColumns(data_.store.channelCount);
    ApplyColumnLayout();
    // One fill per announced change: open, reload, narrow, new, download.
    connect(&data_.document, &LogDocument::changed, this, &CDataListPane::FillRecordList);
}

void CDataListPane::FillRecordList()
{
    // One model reset for the whole fill: the rows are painted once, after it.
    model_->Fill(data_.store, &data_.limits.get());
    ApplyColumnLayout();
}

void CDataListPane::LimitsChanged()
{
    model_->SetLimits(&data_.limits.get());
}

int CDataListPane::ColumnWidth(int column) const
{
    // The widths suit a small 8-point font; a larger one widens a column to
    // its widest text, so that the two fixed columns never cut a number.
    static const char* const widest[RecordTableModel::MaxColumns] = {"140000", "0000-00-00", "00:00:00",
                                                                    "-100.0", "-100.0", "-100.0"};
    constexpr int paddingPx = 12;
    const int needed = list_->fontMetrics().horizontalAdvance(QString::fromLatin1(widest[column])) + paddingPx;
    return std::max(RecordTableModel::ColumnWidths[column], needed);
}

int CDataListPane::FullWidth() const
{
    int width = 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c)
        width += list_->horizontalHeader()->sectionSize(c);
    const QMargins margins = contentsMargins();
    return width + margins.left() + margins.right();
}

void CDataListPane::ApplyColumnLayout()
{
    QHeaderView* header = list_->horizontalHeader();
    for (int c = 0; c < model_->columnCount(); ++c) {
        // Number and date keep their widths; the user may widen the others.
        header->setSectionResizeMode(c, c < 2 ? QHeaderView::Fixed : QHeaderView::Interactive);
        header->resizeSection(c, ColumnWidth(c));
    }
}
