// The setup block's fields: captions, shown texts, the rules an edit must
// meet, and where it goes.
#include "link/SetupFields.h"

#include "link/NumberText.h"

#include "logdata/Units.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>

namespace {

// The caption without its number: "1. Ch1 High" → "Ch1 High".
QString fieldName(const char* caption)
{
    const QString c = QString::fromLatin1(caption);
    const qsizetype dot = c.indexOf(QLatin1String(". "));
    return dot >= 0 && dot <= 2 ? c.mid(dot + 2) : c;
}

SetupEditResult refused(const char* caption, const QString& rule, const QString& text)
{
    return {false, QStringLiteral("%1 must be %2; \"%3\" was not taken.").arg(fieldName(caption), rule, text)};
}

SetupEditResult wholeNumber(const char* caption, const QString& text, long long low, long long high,
                            long long& value)
{
    if (!LeadingInteger(text, value) || value < low || value > high)
        return refused(caption, QStringLiteral("a whole number from %1 to %2").arg(low).arg(high), text);
    return {};
}

// The logger keeps a threshold in a signed byte.
template <int8_t LoggerConfig::*Field>
SetupEditResult applyThreshold(const char* caption, LoggerConfig& config, const QString& text)
{
    long long value = 0;
    const SetupEditResult r = wholeNumber(caption, text, INT8_MIN, INT8_MAX, value);
    if (r.ok)
        config.*Field = int8_t(value);
    return r;
}

// The logger keeps an offset as tenths in an int16, truncated toward zero
// from the single-precision value times 10 (so 0.7 goes out as 6).
constexpr double LowestOffset = -3276.8;
constexpr double HighestOffset = 3276.7;

SetupEditResult applyOffset(const char* caption, int index, LoggerConfig& config, const QString& text)
{
    double value = 0.0;
    bool fits = LeadingNumber(text, value);
    const float offset = float(value);
    if (fits) {
        const double tenths = std::trunc(double(offset) * 10.0);
        fits = std::isfinite(offset) && tenths >= INT16_MIN && tenths <= INT16_MAX;
    }
    if (!fits)
        return refused(caption, QStringLiteral("a number from %1 to %2").arg(LowestOffset).arg(HighestOffset), text);
    config.channelOffset[index] = offset;
    return {};
}

// A pick from a list, ignoring case; returns the entry's index or -1.
int entryIndex(const QStringList& entries, const QString& text)
{
    const QString t = text.trimmed();
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).compare(t, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString listRule(const QStringList& entries)
{
    QStringList first = entries;
    const QString last = first.isEmpty() ? QString() : first.takeLast();
    return first.isEmpty() ? last : first.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

const QStringList UnitEntries = {QStringLiteral("F"), QStringLiteral("C")};
const QStringList StartModeEntries = {QStringLiteral("No delay"), QStringLiteral("Delay"), QStringLiteral("Timer")};

QString number(long long v) { return QString::number(v); }

}  // namespace

const std::vector<SetupField>& SetupFields()
{
    using E = SetupEditor;
    // The thresholds run 101, 103, 102, 104 so that their captions count 1 to 4.
    static const std::vector<SetupField> fields = {
        {setupitem::Name, "name", "Configuration", "1. Name", "Logger Name", E::Text, {},
         [](const LoggerConfig& c) { return c.loggerNameText(); },
         [](LoggerConfig& c, const QString& t) {
             c.SetLoggerName(t);  // keeps the first 16 characters
             return SetupEditResult{};
         }},
        {setupitem::Type, nullptr, "Configuration", "2. Type.", "", E::ReadOnly, {},
         [](const LoggerConfig& c) { return QString::fromLatin1(TypeName(c.loggerType)); }, nullptr},
        {setupitem::Model, nullptr, "Configuration", "3. Model", "", E::ReadOnly, {},
         [](const LoggerConfig& c) { return c.modelText(); }, nullptr},
        {setupitem::Serial, "id", "Configuration", "4. Serial No.", "", E::Text, {},
         [](const LoggerConfig& c) { return c.loggerIdText(); },
         [](LoggerConfig& c, const QString& t) {
             // A short serial number leaves the identity as it was.
             if (!c.SetLoggerId(t))
                 return SetupEditResult{false, QString::fromLatin1(SerialNumberMessage)};
             return SetupEditResult{};
         }},
        // Shown as "%d" shows it, so that an interval read from the logger
        // goes back unchanged through the integer item. Below 2 is held here
        // and refused by the write.
        {setupitem::Interval, "interval", "Configuration", "5. LOG Interval(s)", "2-43200", E::Integer, {},
         [](const LoggerConfig& c) { return number(int32_t(c.logInterval)); },
         [](LoggerConfig& c, const QString& t) {
             long long v = 0;
             const SetupEditResult r = wholeNumber("5. LOG Interval(s)", t, 0, INT32_MAX, v);
             if (r.ok)
                 c.SetLogInterval(int(v));
             return r;
         }},
        {setupitem::LogCount, nullptr, "Configuration", "6. Log Count", "", E::ReadOnly, {},
         [](const LoggerConfig& c) { return number(int32_t(c.logCount)); }, nullptr},
        {setupitem::Capacity, nullptr, "Configuration", "7. Memory Capacity", "", E::ReadOnly, {},
         [](const LoggerConfig& c) { return number(c.memoryCapacity); }, nullptr},
        {setupitem::Unit, "unit", "Configuration", "8. Temperature Unit", "", E::List, UnitEntries,
         [](const LoggerConfig& c) { return c.celsiusText(); },
         [](LoggerConfig& c, const QString& t) {
             const int i = entryIndex(UnitEntries, t);
             if (i < 0)
                 return refused("8. Temperature Unit", listRule(UnitEntries), t);
             c.SetCelsius(UnitEntries.at(i));
             return SetupEditResult{};
         }},
        // A start mode without a name is shown as its number, so the user sees
        // what the logger holds.
        {setupitem::StartMode, "startmode", "Start Mode", "1. Start Mode", "", E::List, StartModeEntries,
         [](const LoggerConfig& c) { return c.startMode <= 2 ? c.startModeText() : number(c.startMode); },
         [](LoggerConfig& c, const QString& t) {
             const int i = entryIndex(StartModeEntries, t);
             if (i < 0)
                 return refused("1. Start Mode", listRule(StartModeEntries), t);
             c.SetStartMode(StartModeEntries.at(i));
             return SetupEditResult{};
         }},
        {setupitem::Delay, "delay", "Start Mode", "2. Delay/Timer", "", E::Text, {},
         [](const LoggerConfig& c) { return number(c.startDelay); },
         [](LoggerConfig& c, const QString& t) {
             long long v = 0;
             const SetupEditResult r = wholeNumber("2. Delay/Timer", t, INT32_MIN, INT32_MAX, v);
             if (r.ok)
                 c.startDelay = int32_t(v);
             return r;
         }},
        {setupitem::Ch1High, "high1", "Threshold", "1. Ch1 High", "", E::Text, {},
         [](const LoggerConfig& c) { return number(c.alarmHigh1); },
         [](LoggerConfig& c, const QString& t) { return applyThreshold<&LoggerConfig::alarmHigh1>("1. Ch1 High", c, t); }},
        {setupitem::Ch1Low, "low1", "Threshold", "2. Ch1 Low", "", E::Text, {},
         [](const LoggerConfig& c) { return number(c.alarmLow1); },
         [](LoggerConfig& c, const QString& t) { return applyThreshold<&LoggerConfig::alarmLow1>("2. Ch1 Low", c, t); }},
        {setupitem::Ch2High, "high2", "Threshold", "3. Ch2 High", "", E::Text, {},
         [](const LoggerConfig& c) { return number(c.alarmHigh2); },
         [](LoggerConfig& c, const QString& t) { return applyThreshold<&LoggerConfig::alarmHigh2>("3. Ch2 High", c, t); }},
        {setupitem::Ch2Low, "low2", "Threshold", "4. Ch2 Low", "", E::Text, {},
         [](const LoggerConfig& c) { return number(c.alarmLow2); },
         [](LoggerConfig& c, const QString& t) { return applyThreshold<&LoggerConfig::alarmLow2>("4. Ch2 Low", c, t); }},
        {setupitem::Offset1, "offset1", "Offset", "1. CH1 Offset", "", E::Text, {},
         [](const LoggerConfig& c) { return LoggerConfig::offsetText(c.channelOffset[0]); },
         [](LoggerConfig& c, const QString& t) { return applyOffset("1. CH1 Offset", 0, c, t); }},
        {setupitem::Offset2, "offset2", "Offset", "2. CH2 Offset", "", E::Text, {},
         [](const LoggerConfig& c) { return LoggerConfig::offsetText(c.channelOffset[1]); },
         [](LoggerConfig& c, const QString& t) { return applyOffset("2. CH2 Offset", 1, c, t); }},
        {setupitem::Offset3, "offset3", "Offset", "3. CH3 Offset", "", E::Text, {},
         [](const LoggerConfig& c) { return LoggerConfig::offsetText(c.channelOffset[2]); },
         [](LoggerConfig& c, const QString& t) { return applyOffset("3. CH3 Offset", 2, c, t); }},
    };
    return fields;
}

const SetupField* FindSetupField(int id)
{
    for (const SetupField& f : SetupFields())
        if (f.id == id)
            return &f;
    return nullptr;
}

const SetupField* FindSetupFieldByKey(const QString& key)
{
    for (const SetupField& f : SetupFields())
        if (f.key && key.compare(QLatin1String(f.key), Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}
