// The Summary pane: AnalyseLog of the shown records as a two-column tree.
#include "panes/CSummaryPane.h"

#include "formats/PdfReport.h"
#include "link/AppData.h"
#include "logdata/LogStore.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

CSummaryPane::CSummaryPane(AppData& data, QWidget* parent) : QWidget(parent), data_(data)
{
    tree_ = new QTreeWidget(this);
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->setFocusPolicy(Qt::StrongFocus);
    tree_->header()->setStretchLastSection(true);
    tree_->header()->setSectionsMovable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);
    Recompute();
}

QString CSummaryPane::StampText(const QByteArray& stamp)
{
    // The same texts as the report's summary page.
    return stamp.isEmpty() ? QStringLiteral("-") : ReportStampText(stamp);
}

QString CSummaryPane::DurationText(int64_t seconds)
{
    return ReportDurationText(seconds);
}

QString CSummaryPane::ValueText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return QString::fromLatin1(buffer);
}

QString CSummaryPane::ChannelCaption(const AppData& data, int channel)
{
    const std::string& unit = data.store.unitText[channel - 1];
    return QStringLiteral("CH%1 (%2)").arg(channel).arg(QString::fromLatin1(unit.c_str()));
}

QTreeWidgetItem* CSummaryPane::AddGroup(const QString& caption)
{
    auto* group = new QTreeWidgetItem(tree_, {caption});
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setFirstColumnSpanned(true);
    return group;
}

void CSummaryPane::AddRow(QTreeWidgetItem* group, const QString& item, const QString& value)
{
    new QTreeWidgetItem(group, {item, value});
}

void CSummaryPane::Recompute()
{
    const LogStore& store = data_.store;
    summary_ = AnalyseLog(store, data_.limits.get());
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    if (summary_.recordCount == 0) {
        new QTreeWidgetItem(tree_, {QStringLiteral("No records are shown.")});
        tree_->setUpdatesEnabled(true);
        return;
    }

    const QString none = QStringLiteral("not set");
    QTreeWidgetItem* log = AddGroup(QStringLiteral("Log"));
    AddRow(log, QStringLiteral("First record"), StampText(summary_.first));
    AddRow(log, QStringLiteral("Last record"), StampText(summary_.last));
    AddRow(log, QStringLiteral("Duration"), DurationText(summary_.durationSeconds));
    AddRow(log, QStringLiteral("Interval"),
           summary_.intervalSeconds > 0 ? DurationText(summary_.intervalSeconds) : QStringLiteral("-"));
    AddRow(log, QStringLiteral("Records"), QString::number(summary_.recordCount));

    for (int c = 1; c <= 3; ++c) {
        const ChannelSummary& ch = summary_.channel[c - 1];
        if (!ch.present)
            continue;
        QTreeWidgetItem* group = AddGroup(ChannelCaption(data_, c));
        AddRow(group, QStringLiteral("MAX"), ValueText(ch.max));
        AddRow(group, QStringLiteral("MAX at"), StampText(ch.maxTime));
        AddRow(group, QStringLiteral("MIN"), ValueText(ch.min));
        AddRow(group, QStringLiteral("MIN at"), StampText(ch.minTime));
        AddRow(group, QStringLiteral("AVE"), ValueText(ch.ave));
        if (ch.mkt)
            AddRow(group, QStringLiteral("MKT"), ValueText(*ch.mkt));
        AddRow(group, QStringLiteral("High limit"), ch.limitHigh ? ValueText(*ch.limitHigh) : none);
        if (ch.limitHigh) {
            AddRow(group, QStringLiteral("Excursions above"), QString::number(ch.excursionsAbove));
            AddRow(group, QStringLiteral("Time above"), DurationText(ch.secondsAbove));
            AddRow(group, QStringLiteral("First above"), StampText(ch.firstAbove));
        }
        AddRow(group, QStringLiteral("Low limit"), ch.limitLow ? ValueText(*ch.limitLow) : none);
        if (ch.limitLow) {
            AddRow(group, QStringLiteral("Excursions below"), QString::number(ch.excursionsBelow));
            AddRow(group, QStringLiteral("Time below"), DurationText(ch.secondsBelow));
            AddRow(group, QStringLiteral("First below"), StampText(ch.firstBelow));
        }
    }
    tree_->expandAll();
    tree_->resizeColumnToContents(0);
    tree_->setUpdatesEnabled(true);
}

int CSummaryPane::preferredWidth() const
{
    constexpr int paddingPx = 24;
    const int value = tree_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00"));
    const int scrollBar = tree_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return tree_->columnWidth(0) + value + paddingPx + scrollBar + 2 * tree_->frameWidth();
}

QString CSummaryPane::shownValue(const QString& group, const QString& item) const
{
    for (int g = 0; g < tree_->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* top = tree_->topLevelItem(g);
        if (top->text(0) != group)
            continue;
        for (int i = 0; i < top->childCount(); ++i)
            if (top->child(i)->text(0) == item)
                return top->child(i)->text(1);
    }
    return {};
}
