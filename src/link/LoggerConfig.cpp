// The setup block: taking it from the logger's answers, building the write
// request, and the setup pane's conversions.
#include "link/LoggerConfig.h"

#include "link/Frames.h"
#include "link/NumberText.h"

#include <QByteArray>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

constexpr int WritePayloadLength = 45;  // 0x01 and the 44 setup bytes

// The leading decimal integer of a text as atoi reads it: no digits give 0.
long long leadingInteger(const QString& text)
{
    long long value = 0;
    return LeadingInteger(text, value) ? value : 0;
}

// The leading decimal number of a text as strtod reads it, always with a '.'
// as the decimal point whatever the locale; no number gives 0. Infinity, NaN
// and numbers too large for a double are not numbers here, so they never
// reach the logger.
double leadingNumber(const QString& text)
{
    double value = 0.0;
    return LeadingNumber(text, value) && std::isfinite(value) ? value : 0.0;
}

int8_t lowByte(long long value)
{
    return int8_t(uint8_t(uint64_t(value) & 0xFF));
}

// An offset as the logger stores it: tenths, truncated toward zero from the
// single-precision value times 10.0 (0.7 is 0.69999999 and gives 6), low 16 bits.
uint16_t offsetTenths(float offset)
{
    const double tenths = double(offset) * 10.0;
    if (!std::isfinite(tenths))
        return 0;
    const double clamped = std::fmax(std::fmin(tenths, 2147483647.0), -2147483648.0);
    return uint16_t(uint32_t(int32_t(clamped)) & 0xFFFF);
}

}  // namespace

void LoggerConfig::TakeIdentifyAnswer(const uint8_t* frame)
{
    std::memcpy(loggerId, frame + 4, sizeof loggerId);
    loggerType = frame[16];
    std::memcpy(loggerName, frame + 17, 24);
    loggerName[24] = 0;
    celsius = frame[41];
    alarmHigh1 = int8_t(frame[42]);
    alarmLow1 = int8_t(frame[43]);
    alarmHigh2 = int8_t(frame[44]);
    alarmLow2 = int8_t(frame[45]);
}

void LoggerConfig::TakeSetupAnswer(const uint8_t* frame)
{
    std::memcpy(loggerId, frame + 4, sizeof loggerId);
    std::memcpy(loggerName, frame + 16, 24);
    loggerType = frame[40];
    std::memcpy(model, frame + 41, sizeof model);
    logInterval = qFromLittleEndian<quint32>(frame + 47);
    logCount = qFromLittleEndian<quint32>(frame + 51);
    const int32_t memorySize = qFromLittleEndian<qint32>(frame + 55);
    // Type 13 keeps 8 bytes a record, every other type 6.
    memoryCapacity = memorySize / (loggerType == 13 ? 8 : 6);
    for (int c = 0; c < 3; ++c)
        channelOffset[c] = float(qFromLittleEndian<qint16>(frame + 59 + 2 * c) / 10.0);
    celsius = frame[65];
    startMode = frame[66];
    startDelay = qFromLittleEndian<qint32>(frame + 67);
    setupRead = true;
}

void LoggerConfig::ForgetSetup()
{
    std::memset(model, 0, sizeof model);
    logInterval = 0;
    logCount = 0;
    memoryCapacity = 0;
    for (float& offset : channelOffset)
        offset = 0.0f;
    startMode = 0;
    startDelay = 0;
    setupRead = false;
}

int LoggerConfig::BuildWriteRequest(uint8_t* tx) const
{
    uint8_t payload[WritePayloadLength] = {};
    payload[0] = 0x01;
    std::memcpy(payload + 1, loggerName, 24);
    qToLittleEndian<quint32>(logInterval, payload + 25);
    for (int c = 0; c < 3; ++c)
        qToLittleEndian<quint16>(offsetTenths(channelOffset[c]), payload + 29 + 2 * c);
    payload[35] = celsius;
    payload[36] = uint8_t(alarmHigh1);
    payload[37] = uint8_t(alarmLow1);
    payload[38] = uint8_t(alarmHigh2);
    payload[39] = uint8_t(alarmLow2);
    payload[40] = startMode;
    qToLittleEndian<qint32>(startDelay, payload + 41);
    return BuildRequest(tx, letter::WriteSetup, loggerId, payload);
}

void LoggerConfig::SetLoggerName(const QString& text)
{
    std::memset(loggerName, 0, sizeof loggerName);
    const QByteArray bytes = text.toLatin1().left(16);
    std::memcpy(loggerName, bytes.constData(), size_t(bytes.size()));
}

bool LoggerConfig::SetLoggerId(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() < IdentityLength)
        return false;  // the identity stays: a write must not send ten zero bytes
    std::memcpy(loggerId, bytes.constData(), IdentityLength);
    return true;
}

void LoggerConfig::SetLogInterval(int value)
{
    logInterval = uint32_t(value);
}

void LoggerConfig::SetChannelOffset(int index, const QString& text)
{
    if (index < 0 || index > 2)
        return;
    channelOffset[index] = float(leadingNumber(text));
}

void LoggerConfig::SetCelsius(const QString& text)
{
    celsius = text == QLatin1String("F") ? 0 : 1;
}

void LoggerConfig::SetAlarmHigh1(const QString& text) { alarmHigh1 = lowByte(leadingInteger(text)); }
void LoggerConfig::SetAlarmLow1(const QString& text) { alarmLow1 = lowByte(leadingInteger(text)); }
void LoggerConfig::SetAlarmHigh2(const QString& text) { alarmHigh2 = lowByte(leadingInteger(text)); }
void LoggerConfig::SetAlarmLow2(const QString& text) { alarmLow2 = lowByte(leadingInteger(text)); }

void LoggerConfig::SetStartMode(const QString& text)
{
    if (text == QLatin1String("Delay"))
        startMode = 1;
    else if (text == QLatin1String("Timer"))
        startMode = 2;
    else
        startMode = 0;
}

void LoggerConfig::SetStartDelay(const QString& text)
{
    const long long value = leadingInteger(text);
    startDelay = int32_t(value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value);
}

QString LoggerConfig::loggerNameText() const
{
    return QString::fromLatin1(loggerName, qsizetype(strnlen(loggerName, 24)));
}

// The identity and the model are shown character by character; a zero byte
// ends what the pane can show, as it did in a C string.
QString LoggerConfig::loggerIdText() const
{
    return QString::fromLatin1(loggerId, qsizetype(strnlen(loggerId, sizeof loggerId)));
}

QString LoggerConfig::modelText() const
{
    return QString::fromLatin1(model, qsizetype(strnlen(model, sizeof model)));
}

QString LoggerConfig::celsiusText() const
{
    return celsius ? QStringLiteral("C") : QStringLiteral("F");
}

QString LoggerConfig::startModeText() const
{
    switch (startMode) {
    case 1: return QStringLiteral("Delay");
    case 2: return QStringLiteral("Timer");
    default: return QStringLiteral("No delay");
    }
}

QString LoggerConfig::offsetText(float offset)
{
    return QString::asprintf("%3.1f", double(offset));
}
