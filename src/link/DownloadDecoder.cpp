// Decoding the download stream: time-word bit fields, tenths, dew point.
#include "link/DownloadDecoder.h"

#include "logdata/LogStore.h"

#include <cmath>
#include <cstring>

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

}  // namespace

DownloadDecoder::DownloadDecoder(int channelCount, uint8_t celsius)
    : channelCount_(channelCount), celsius_(celsius)
{
}

float DownloadDecoder::DewPoint(float temperature, float humidity, uint8_t celsius)
{
    float t = temperature;
    if (!celsius)
        t = float((double(t) - 32.0) * 5.0 / 9.0);
    const float rh = humidity > 0.0f ? humidity : LowestHumidity;
    const float l = float(std::log10(double(rh)));
    const double a = (double(l) - 2.0) / 0.4343;  // ln(RH / 100)
    const float gamma = float(a + 17.62 * double(t) / (243.12 + double(t)));
    float td = float(243.12 * double(gamma) / (17.62 - double(gamma)));
    if (!celsius)
        td = float(double(td) * 9.0 / 5.0 + 32.0);
    return std::isfinite(td) ? td : temperature;
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

    int64_t p = 0;
    uint32_t k = 0;
    // Bytes after the last packet too few for a packet head are no records.
    while (p + PacketHead <= length) {
        const int n = stream[p + 20];
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
            v1[k] = tenths(le16(r + 4));
            if (twoChannels) {
                v2[k] = tenths(le16(r + 6));
                v3[k] = DewPoint(v1[k], v2[k], celsius_);
            }
        }
        p += PacketTail;
    }
    result.recordCount = k;
    return result;
}
