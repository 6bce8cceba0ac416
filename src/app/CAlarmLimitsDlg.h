// The "Alarm Limits" dialog: low and high limit of each shown channel of the
// open log's logger, either of them may be left empty.
#pragma once

#include "logdata/LogAnalysis.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QLineEdit;

class CAlarmLimitsDlg : public QDialog {
    Q_OBJECT
public:
    // channels: the shown channels (0 … 3); captions: one per shown channel,
    // such as "CH1 (C)"; limits: the limits to start from.
    CAlarmLimitsDlg(const QString& loggerText, int channels, const QStringList& captions, const LogLimits& limits,
                    QWidget* parent = nullptr);

    // What the entries hold, once OK was accepted. Channels that are not
    // shown keep the limits the dialog started from.
    const LogLimits& limits() const { return limits_; }

    QLineEdit* lowEdit(int channel) const { return edits_[channel - 1][0]; }
    QLineEdit* highEdit(int channel) const { return edits_[channel - 1][1]; }

    // Where a refused entry is reported; a warning box when unset.
    std::function<void(const QString&)> messageSink;

    // The result of reading the entries: the limits, or the message that
    // names the first bad field (and which field it was).
    struct Parsed {
        bool ok = false;
        LogLimits limits;
        QString message;
        int channel = 0;    // 1 … 3 of the bad field
        bool high = false;  // the bad field is the high one
    };
    // Reads "low" and "high" texts of channels 1 … channels over start: an
    // empty (or blank) text is no limit, anything else must be a finite
    // number with '.' as its point, and a channel's low must lie below its high.
    static Parsed Parse(const QString lowTexts[3], const QString highTexts[3], int channels,
                        const LogLimits& start);
    // A limit as the entry shows it: the shortest text that reads back the same.
    static QString LimitText(const std::optional<double>& limit);

public slots:
    void accept() override;

private:
    int channels_ = 0;
    QLineEdit* edits_[3][2] = {};
    LogLimits limits_;
};
