// Decoding the download stream: time-word bit fields, tenths, dew point.
#include "link/DownloadDecoder.h"

#include "logdata/LogStore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

constexpr int PacketHead = 21;   // 20 bytes not examined and the record count
constexpr int PacketTail = 5;    // checksum and tail

// "00" … "99", so a time stamp is written without printf.
struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text()
    {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = char('0' + i / 10);
            text[2 * i + 1] = char('0' + i % 10);
        }
    }
};
constexpr DigitPairs Digits;

inline void putPair(char* out, unsigned value)
{
    std::memcpy(out, Digits.text + 2 * value, 2);
}

inline uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline int le16u(const uint8_t* p)
{
    return int(p[0]) | int(p[1]) << 8;
}

inline int16_t le16(const uint8_t* p)
{
    return int16_t(uint16_t(p[0] | p[1] << 8));
}

// "20%02d%02d%02d%02d%02d%02d" of year − 2000, month, day, hour, minute,
// second; every field is at most 63, so two digits always suffice.
inline void writeStamp(char* out, uint32_t word)
{
    out[0] = '2';
    out[1] = '0';
    putPair(out + 2, (word >> 26) & 0x3F);
    putPair(out + 4, (word >> 22) & 0x0F);
    putPair(out + 6, (word >> 17) & 0x1F);
    putPair(out + 8, (word >> 12) & 0x1F);
    putPair(out + 10, (word >> 6) & 0x3F);
    putPair(out + 12, word & 0x3F);
}

inline float tenths(int16_t raw)
{
    return float(raw / 10.0);
}

// The dew point in its two halves, each depending on one reading only, so
// that a decoding can compute each half once per distinct reading.

// ln(RH / 100) as the logger's formula takes it: (log10(RH) − 2) ÷ 0.4343.
inline double humidityTerm(float humidity)
{
    const float rh = humidity > 0.0f ? humidity : DownloadDecoder::LowestHumidity;
    const float l = float(std::log10(double(rh)));
    return (double(l) - 2.0) / 0.4343;
}

// 17.62 × T ÷ (243.12 + T), with T in Celsius.
inline double temperatureTerm(float temperature, uint8_t celsius)
{
    float t = temperature;
    if (!celsius)
        t = float((double(t) - 32.0) * 5.0 / 9.0);
    return 17.62 * double(t) / (243.12 + double(t));
}

inline float dewPointFrom(double humidityPart, double temperaturePart, float temperature, uint8_t celsius)
{
    const float gamma = float(humidityPart + temperaturePart);
    float td = float(243.12 * double(gamma) / (17.62 - double(gamma)));
    if (!celsius)
        td = float(double(td) * 9.0 / 5.0 + 32.0);
    return std::isfinite(td) ? td : temperature;
}

// Both halves for the raw readings of one decoding, computed on first use.
// Raw readings outside the tables' ranges are computed every time.
class DewPointMemo {
public:
    explicit DewPointMemo(uint8_t celsius) : celsius_(celsius)
    {
        std::fill(std::begin(humidity_), std::end(humidity_), std::nan(""));
        std::fill(std::begin(temperature_), std::end(temperature_), std::nan(""));
    }

    float operator()(int16_t rawTemperature, int16_t rawHumidity, float temperature, float humidity)
    {
        double h;
        if (rawHumidity >= HumidityLow && rawHumidity <= HumidityHigh) {
            double& slot = humidity_[rawHumidity - HumidityLow];
            if (std::isnan(slot))
                slot = humidityTerm(humidity);
            h = slot;
        } else {
            h = humidityTerm(humidity);
        }
        double t;
        if (rawTemperature >= TemperatureLow && rawTemperature <= TemperatureHigh) {
            double& slot = temperature_[rawTemperature - TemperatureLow];
            if (std::isnan(slot))
                slot = temperatureTerm(temperature, celsius_);
            t = slot;
        } else {
            t = temperatureTerm(temperature, celsius_);
        }
        return dewPointFrom(h, t, temperature, celsius_);
    }

private:
    // Tenths: 0 … 100 %RH, −100.0 … 200.0 degrees.
    static constexpr int HumidityLow = 0, HumidityHigh = 1000;
    static constexpr int TemperatureLow = -1000, TemperatureHigh = 2000;
    uint8_t celsius_;
    double humidity_[HumidityHigh - HumidityLow + 1];
    double temperature_[TemperatureHigh - TemperatureLow + 1];
};

}  // namespace

DownloadDecoder::DownloadDecoder(int channelCount, uint8_t celsius)
    : channelCount_(channelCount), celsius_(celsius)
{
}

float DownloadDecoder::DewPoint(float temperature, float humidity, uint8_t celsius)
{
    return dewPointFrom(humidityTerm(humidity), temperatureTerm(temperature, celsius), temperature, celsius);
}

DecodeResult DownloadDecoder::Decode(const uint8_t* stream, int32_t length, LogStore& store) const
{
    DecodeResult result;
    const int recordSize = RecordSize(channelCount_);
    const bool twoChannels = channelCount_ >= 2;
    float* const v1 = store.value[1];
    float* const v2 = store.value[2];
    float* const v3 = store.value[3];
    char* const stamps = store.timestampData();

    std::unique_ptr<DewPointMemo> dewPoint;
    if (twoChannels)
        dewPoint = std::make_unique<DewPointMemo>(celsius_);

    int64_t p = 0;
    uint32_t k = 0;
    bool numbered = true;
    int total = 0;
    // Bytes after the last packet too few for a packet head are no records.
    while (p + PacketHead <= length) {
        const int n = stream[p + 20];
        const int packetTotal = le16u(stream + p + 16);
        const int packetNumber = le16u(stream + p + 18);
        ++result.packets;
        if (result.packets == 1)
            total = packetTotal;
        numbered = numbered && total >= 1 && packetTotal == total && packetNumber == result.packets
                   && packetNumber <= total;
        result.numbered = numbered;
        result.packetTotal = numbered ? total : 0;
        if (n == 0) {
            result.emptyPacket = true;
            break;
        }
        p += PacketHead;
        for (int j = 0; j < n; ++j, ++k, p += recordSize) {
            if (p + recordSize > length) {
                result.cutShort = true;
                result.recordCount = k;
                return result;
            }
            if (k >= LogCapacity) {
                result.storeFull = true;
                result.recordCount = k;
                return result;
            }
            const uint8_t* r = stream + p;
            writeStamp(stamps + size_t(k) * TimestampLength, le32(r));
            const int16_t raw1 = le16(r + 4);
            v1[k] = tenths(raw1);
            if (twoChannels) {
                const int16_t raw2 = le16(r + 6);
                v2[k] = tenths(raw2);
                v3[k] = (*dewPoint)(raw1, raw2, v1[k], v2[k]);
            }
        }
        p += PacketTail;
    }
    result.recordCount = k;
    return result;
}
