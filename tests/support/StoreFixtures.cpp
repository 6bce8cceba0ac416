// Small builders of store contents for tests.
#include "support/StoreFixtures.h"

#include "logdata/Units.h"

#include <QDateTime>

#include <cstring>

namespace fixtures {

void FillStore(LogStore& store, uint32_t channels, uint32_t n,
               const std::function<float(int, uint32_t)>& valueOf,
               const char* name, const char* id, const char* start, int stepSeconds)
{
    std::memset(store.loggerName, 0, sizeof store.loggerName);
    std::strncpy(store.loggerName, name, 24);
    std::memcpy(store.loggerId, id, 10);
    store.celsius = 1;
    store.channelCount = channels;
    store.channelKind[0] = 0;
    store.channelKind[1] = 1;
    store.channelKind[2] = 8;
    store.recordCount = n;
    const QDateTime t0 = QDateTime::fromString(QString::fromLatin1(start), QStringLiteral("yyyyMMddHHmmss"));
    for (uint32_t i = 0; i < n; ++i) {
        const QByteArray s = t0.addSecs(qint64(i) * stepSeconds).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
        std::memcpy(store.timestamp(i), s.constData(), TimestampLength);
        for (int c = 1; c <= 3; ++c)
            store.value[c][i] = valueOf(c, i);
    }
    SetUnitTexts(store);
}

void FillValues(LogStore& store, std::initializer_list<float> channel1)
{
    const float* v = channel1.begin();
    FillStore(store, 1, uint32_t(channel1.size()), [v](int c, uint32_t i) { return c == 1 ? v[i] : 0.0f; });
}

void SetStamp(LogStore& store, uint32_t i, const std::string& stamp14)
{
    std::memcpy(store.timestamp(i), stamp14.data(), TimestampLength);
}

}  // namespace fixtures
