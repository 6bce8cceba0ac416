// The "Alarm Limits" dialog and the reading of its entries.
#include "app/CAlarmLimitsDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString FieldName(int channel, bool high)
{
    return QStringLiteral("CH%1 %2").arg(channel).arg(high ? QStringLiteral("High") : QStringLiteral("Low"));
}

}  // namespace

QString CAlarmLimitsDlg::LimitText(const std::optional<double>& limit)
{
    return limit ? QString::number(*limit, 'g', 15) : QString();
}

CAlarmLimitsDlg::Parsed CAlarmLimitsDlg::Parse(const QString lowTexts[3], const QString highTexts[3], int channels,
                                               const LogLimits& start)
{
    Parsed result;
    result.limits = start;
    channels = std::clamp(channels, 0, 3);
    for (int c = 1; c <= channels; ++c) {
        std::optional<double> sides[2];
        const QString* texts[2] = {&lowTexts[c - 1], &highTexts[c - 1]};
        for (int side = 0; side < 2; ++side) {
            const QString text = texts[side]->trimmed();
            if (text.isEmpty())
                continue;
            bool ok = false;
            // The C locale: '.' is the point whatever the desktop's language,
            // and "2,5" is refused rather than read as 25.
            QLocale locale = QLocale::c();
            locale.setNumberOptions(QLocale::RejectGroupSeparator);
            const double v = locale.toDouble(text, &ok);
            if (!ok || !std::isfinite(v)) {
                result.message = QStringLiteral("%1: \"%2\" is not a number.").arg(FieldName(c, side == 1), text);
                result.channel = c;
                result.high = side == 1;
                return result;
            }
            sides[side] = v;
        }
        if (sides[0] && sides[1] && !(*sides[0] < *sides[1])) {
            result.message = QStringLiteral("CH%1: the low limit must be below the high limit.").arg(c);
            result.channel = c;
            result.high = false;
            return result;
        }
        result.limits.channel[c - 1].low = sides[0];
        result.limits.channel[c - 1].high = sides[1];
    }
    result.ok = true;
    return result;
}

CAlarmLimitsDlg::CAlarmLimitsDlg(const QString& loggerText, int channels, const QStringList& captions,
                                 const LogLimits& limits, QWidget* parent)
    : QDialog(parent), channels_(std::clamp(channels, 0, 3)), limits_(limits)
{
    setWindowTitle(QStringLiteral("Alarm Limits"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Alarm limits of %1, in the units of its log.\n"
                                            "Leave a field empty for no limit.")
                                 .arg(loggerText),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Low"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("High"), this), 0, 2, Qt::AlignHCenter);
    for (int c = 1; c <= channels_; ++c) {
        grid->addWidget(new QLabel(captions.value(c - 1, QStringLiteral("CH%1").arg(c)), this), c, 0);
        for (int side = 0; side < 2; ++side) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(FieldName(c, side == 1));
            const ChannelLimits& l = limits.channel[c - 1];
            edit->setText(LimitText(side == 0 ? l.low : l.high));
            edit->setClearButtonEnabled(true);
            grid->addWidget(edit, c, 1 + side);
            edits_[c - 1][side] = edit;
        }
    }
    layout->addLayout(grid);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAlarmLimitsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAlarmLimitsDlg::reject);
    layout->addWidget(buttons);
}

void CAlarmLimitsDlg::accept()
{
    QString low[3], high[3];
    for (int c = 0; c < channels_; ++c) {
        low[c] = edits_[c][0]->text();
        high[c] = edits_[c][1]->text();
    }
    const Parsed parsed = Parse(low, high, channels_, limits_);
    if (!parsed.ok) {
        if (messageSink)
            messageSink(parsed.message);
        else
            QMessageBox::warning(this, windowTitle(), parsed.message);
        // The dialog stays open on the field to correct.
        QLineEdit* bad = edits_[parsed.channel - 1][parsed.high ? 1 : 0];
        bad->setFocus(Qt::OtherFocusReason);
        bad->selectAll();
        return;
    }
    limits_ = parsed.limits;
    QDialog::accept();
}
