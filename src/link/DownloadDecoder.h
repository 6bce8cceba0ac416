// Decodes the logger's download stream (packets of time-stamped records) into
// the record store.
#pragma once

#include <cstdint>

class LogStore;

struct DecodeResult {
    uint32_t recordCount = 0;  // records written, at indexes 0 … recordCount − 1
    // A packet announced 0 records: the decoding ended there and the log is
    // not to be taken (the records before it stay in the arrays only).
    bool emptyPacket = false;
    // The stream held more records than the store: the rest was not decoded.
    bool storeFull = false;
    // A packet announced more records than the stream still held: the
    // records beyond the received bytes were not decoded.
    bool cutShort = false;
    // Packets whose head was read, the empty packet that ends a stream included.
    int packets = 0;
    // Every packet read carried the same number of packets (packetTotal, at
    // least 1) and its own number counted 1, 2, 3 … in stream order. Only then
    // do the numbers tell whether the stream stopped early.
    bool numbered = false;
    int packetTotal = 0;
};

// Packet: 16 bytes not examined, the number of packets and this packet's
// number (uint16 each, at offsets 16 and 18), n (uint8) at offset 20, n
// records, then 5 bytes of checksum and tail. Record: a 32-bit time word, then channel 1 and,
// for loggers of two or more channels, channel 2, each an int16 of tenths.
class DownloadDecoder {
public:
    // The humidity used for the dew point when a reading is 0 or below, where
    // the logarithm is undefined: the smallest reading above 0 (one tenth of
    // a per cent), so the dew point stays a finite, very low value.
    static constexpr float LowestHumidity = 0.1f;

    // channelCount and celsius are those of the connected logger.
    DownloadDecoder(int channelCount, uint8_t celsius);

    // Decodes length bytes of stream into store from index 0: time stamps and
    // value[1], and for two or more channels value[2] and the dew point in
    // value[3]. Touches nothing else of the store. Never reads past length
    // bytes nor writes past LogCapacity records.
    DecodeResult Decode(const uint8_t* stream, int32_t length, LogStore& store) const;

    static int RecordSize(int channelCount) { return channelCount >= 2 ? 8 : 6; }

    // Magnus form (17.62, 243.12) in single-precision steps; temperature and
    // result in Fahrenheit when celsius is 0. Always finite: a humidity of 0
    // or below counts as LowestHumidity, and any other result that is not a
    // number gives the temperature itself.
    static float DewPoint(float temperature, float humidity, uint8_t celsius);

private:
    int channelCount_;
    uint8_t celsius_;
};
