// The texts written on the chart, from the store's fields.
#include "chart/ChartTexts.h"

#include "logdata/LogStore.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace charttext {

namespace {

// printf into a byte string, ending the text at its first zero byte: a "%c" of
// a zero character ends it there, as it did in the reports' fixed buffers.
QString Format(const char* format, ...)
{
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return QString();
    }
    if (size_t(length) < sizeof small) {
        va_end(again);
        return QString::fromLatin1(small, int(strnlen(small, size_t(length))));
    }
    std::vector<char> large(size_t(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    va_end(again);
    return QString::fromLatin1(large.data(), int(strnlen(large.data(), size_t(length))));
}

const char* Unit(const LogStore& store, int channel)
{
    return store.unitText[channel - 1].c_str();
}

}  // namespace

QString Title(const LogStore& store)
{
    const char* id = store.loggerId;
    return Format("%.24s Analysis Report (%c%c%c%c%c%c%c%c%c%c)", store.loggerName, id[0], id[1], id[2], id[3],
                  id[4], id[5], id[6], id[7], id[8], id[9]);
}

QString Summary(const LogStore& store)
{
    if (store.recordCount == 0)
        return Format("TOTAL LOGS:%d, CHANNELS:%d.", 0, int(store.channelCount));
    const char* b = store.timestamp(0);
    const char* e = store.timestamp(store.recordCount - 1);
    return Format("TOTAL LOGS:%d, CHANNELS:%d, BEGIN:%c%c%c%c-%c%c-%c%c %c%c:%c%c:%c%c, "
                  "END:%c%c%c%c-%c%c-%c%c %c%c:%c%c:%c%c.",
                  int(store.recordCount), int(store.channelCount), b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7],
                  b[8], b[9], b[10], b[11], b[12], b[13], e[0], e[1], e[2], e[3], e[4], e[5], e[6], e[7], e[8], e[9],
                  e[10], e[11], e[12], e[13]);
}

QString ChannelRow(const LogStore& store, int channel)
{
    const int i = channel - 1;
    const double hi = store.maxValue[i], lo = store.minValue[i], ave = store.aveValue[i];
    switch (channel) {
    case 1:
        return Format("CHANNEL %02d,    Temperature(%s),    MAX:%3.1f,    MIN:%3.1f,    AVE:%3.1f", 1,
                      Unit(store, 1), hi, lo, ave);
    case 2:
        return Format("CHANNEL %02d,    Humidity(%s),    MAX:%3.1f,    MIN:%3.1f,    AVE:%3.1f", 2,
                      Unit(store, 2), hi, lo, ave);
    case 3:
        return Format("CHANNEL %02d,    %s,    MAX:%3.1f,    MIN:%3.1f,    AVE:%3.1f", 3, Unit(store, 3), hi, lo,
                      ave);
    default:
        return QString();
    }
}

QString LeftAxisTitle(const LogStore& store)
{
    if (store.shownChannels() == 3)
        return Format("%s,    Temperature (%s)", Unit(store, 3), Unit(store, 1));
    return Format("Temperature (%s)", Unit(store, 1));
}

QString RightAxisTitle(const LogStore& store)
{
    return Format("Humidity (%s)", Unit(store, 2));
}

QString TimeLabel(const char* s)
{
    return Format("%c%c:%c%c", s[8], s[9], s[10], s[11]);
}

QString DateLabel(const char* s)
{
    return Format("%c%c%c%c/%c%c/%c%c", s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]);
}

QString ValueLabel(int64_t value)
{
    return Format("%lld", static_cast<long long>(value));
}

}  // namespace charttext
