// Writes sample .logu logs of one, two and three channels into DIR/Logfiles/,
// so the program can be tried and photographed without a logger.
#include "logdata/LogFile.h"
#include "logdata/LogFolder.h"
#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

struct Sample {
    const char* name;
    const char* id;
    int channels;
    int8_t kinds[3];
    int records;
    int intervalSeconds;
    const char* start;  // yyyyMMddHHmmss
    // Value of channel c (1 … 3) at hour h since the start.
    std::function<float(int c, double h)> value;
};

// A small deterministic wobble, so the curves look measured rather than drawn.
double Noise(int i, int c)
{
    const double x = std::sin(i * 12.9898 + c * 78.233) * 43758.5453;
    return x - std::floor(x) - 0.5;
}

float DewPoint(float t, float rh)
{
    const double a = 17.27, b = 237.7;
    const double g = a * t / (b + t) + std::log(std::max(rh, 1.0f) / 100.0);
    return float(b * g / (a - g));
}

const Sample Samples[] = {
    {"FREEZER-2", "FZ20240311", 1, {0, 0, 0}, 432, 600, "20240311080000",
     [](int, double h) {
         // Held at -18 C, with a defrost every eight hours.
         const double phase = std::fmod(h, 8.0);
         const double defrost = phase < 0.5 ? 9.0 * std::sin(phase / 0.5 * M_PI) : 0.0;
         return float(-18.0 + 0.8 * std::sin(h * 1.3) + defrost);
     }},
    {"WAREHOUSE", "WH00000417", 2, {0, 1, 0}, 288, 900, "20240309060000",
     [](int c, double h) {
         const double day = std::sin((h - 9.0) / 24.0 * 2 * M_PI);
         return c == 1 ? float(19.5 + 4.0 * day) : float(55.0 - 12.0 * day + 3.0 * std::sin(h / 5.0));
     }},
    {"LAB-A", "LB20240312", 3, {0, 1, 8}, 288, 300, "20240312000000",
     [](int c, double h) {
         const double t = 21.0 + 1.5 * std::sin((h - 8.0) / 24.0 * 2 * M_PI) + (h > 13.0 && h < 14.0 ? 2.5 : 0.0);
         const double rh = 42.0 + 6.0 * std::cos(h / 24.0 * 2 * M_PI);
         if (c == 1)
             return float(t);
         if (c == 2)
             return float(rh);
         return DewPoint(float(t), float(rh));
     }},
};

bool Write(const Sample& s, LogStore& store, const QString& folder)
{
    std::memset(store.loggerName, 0, sizeof store.loggerName);
    std::strncpy(store.loggerName, s.name, 24);
    std::memcpy(store.loggerId, s.id, 10);
    store.celsius = 1;
    store.channelCount = uint32_t(s.channels);
    for (int c = 0; c < 3; ++c)
        store.channelKind[c] = s.kinds[c];
    SetUnitTexts(store);
    store.recordCount = uint32_t(s.records);
    const QDateTime t0 = QDateTime::fromString(QString::fromLatin1(s.start), QStringLiteral("yyyyMMddHHmmss"));
    for (int i = 0; i < s.records; ++i) {
        const QByteArray stamp = t0.addSecs(qint64(i) * s.intervalSeconds).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
        std::memcpy(store.timestamp(uint32_t(i)), stamp.constData(), TimestampLength);
        const double h = double(i) * s.intervalSeconds / 3600.0;
        for (int c = 1; c <= 3; ++c) {
            const float v = c <= s.channels ? s.value(c, h) + float(Noise(i, c) * 0.3) : 0.0f;
            // Loggers report tenths.
            store.value[c][uint32_t(i)] = std::round(v * 10.0f) / 10.0f;
        }
    }
    const QString path = folder + SavedLogName(store, QDateTime::currentDateTime());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteLogFile(file, store) || !file.commit()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: tessaview-sample-logs DIR   (writes DIR/Logfiles/*.logu)\n");
        return 2;
    }
    const QString folder = LogFolderPath(QDir(args[1]).absolutePath() + QLatin1Char('/'));
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    auto store = std::make_unique<LogStore>();
    for (const Sample& s : Samples)
        if (!Write(s, *store, folder))
            return 1;
    return 0;
}
