// Alarm limits per logger, kept in the per-user settings of the program.
#include "logdata/LimitSettings.h"

#include <QLocale>
#include <QSettings>

#include <cmath>

namespace {

QSettings ProgramSettings()
{
    return QSettings(QString::fromLatin1(LimitSettingsOrganization), QString::fromLatin1(LimitSettingsApplication));
}

// A logger id is ten bytes from a file or a logger; a damaged one may hold
// '/' or bytes that a settings key cannot carry, so they are escaped.
QString GroupOf(const QByteArray& loggerId)
{
    return QStringLiteral("Alarm Limits/") + QString::fromLatin1(loggerId.toPercentEncoding());
}

QString SideKey(int c, bool high)
{
    return QStringLiteral("CH%1%2").arg(c + 1).arg(high ? QStringLiteral("High") : QStringLiteral("Low"));
}

std::optional<double> ReadSide(const QSettings& s, const QString& key)
{
    const QVariant v = s.value(key);
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = v.toString().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

}  // namespace

LogLimits LoadLimits(const QByteArray& loggerId, bool* userSet)
{
    QSettings s = ProgramSettings();
    s.beginGroup(GroupOf(loggerId));
    LogLimits limits;
    for (int c = 0; c < 3; ++c) {
        limits.channel[c].low = ReadSide(s, SideKey(c, false));
        limits.channel[c].high = ReadSide(s, SideKey(c, true));
    }
    if (userSet)
        *userSet = s.value(QStringLiteral("UserSet"), false).toBool();
    return limits;
}

void SaveLimits(const QByteArray& loggerId, const LogLimits& limits, bool userSet)
{
    QSettings s = ProgramSettings();
    s.remove(GroupOf(loggerId));
    if (!limits.any() && !userSet)
        return;
    s.beginGroup(GroupOf(loggerId));
    for (int c = 0; c < 3; ++c) {
        const ChannelLimits& ch = limits.channel[c];
        // The shortest text that reads back as the same double.
        if (ch.low)
            s.setValue(SideKey(c, false), QString::number(*ch.low, 'g', QLocale::FloatingPointShortest));
        if (ch.high)
            s.setValue(SideKey(c, true), QString::number(*ch.high, 'g', QLocale::FloatingPointShortest));
    }
    s.setValue(QStringLiteral("UserSet"), userSet);
}
