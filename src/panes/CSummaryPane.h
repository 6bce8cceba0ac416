// The Summary pane: the analysis of the shown records (extremes with their
// times, mean kinetic temperature, limits and excursions) of the open log.
#pragma once

#include "logdata/LogAnalysis.h"

#include <QString>
#include <QWidget>

#include <cstdint>

struct AppData;
class QTreeWidget;
class QTreeWidgetItem;

class CSummaryPane : public QWidget {
    Q_OBJECT
public:
    explicit CSummaryPane(AppData& data, QWidget* parent = nullptr);

    // Analyses the store's current records with the open log's limits and
    // shows the result. The frame calls it whenever the store or the limits
    // change while the pane exists, and when it brings the pane to the front.
    void Recompute();

    const LogSummary& summary() const { return summary_; }
    QTreeWidget* tree() const { return tree_; }
    // The width that shows every caption and a whole time stamp.
    int preferredWidth() const;
    // The value shown in the row captioned `item` under the group captioned
    // `group`; empty when there is no such row.
    QString shownValue(const QString& group, const QString& item) const;

    // "YYYY-MM-DD hh:mm:ss" of a 14-digit stamp (bytes that are no printable
    // ASCII as '?'); an empty stamp gives "-".
    static QString StampText(const QByteArray& stamp);
    // "hh:mm:ss", with "N d " before it from a day on.
    static QString DurationText(int64_t seconds);
    // "%.1f" of a value.
    static QString ValueText(double value);
    // "CH1 (C)": the channel's number and unit text.
    static QString ChannelCaption(const AppData& data, int channel);

private:
    QTreeWidgetItem* AddGroup(const QString& caption);
    void AddRow(QTreeWidgetItem* group, const QString& item, const QString& value);

    AppData& data_;
    QTreeWidget* tree_ = nullptr;
    LogSummary summary_;
};
