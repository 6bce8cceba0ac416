// Decoding of the download stream: time words, tenths, record sizes, packet
// boundaries, the dew point and the limits of the store.
#include "link/DownloadDecoder.h"
#include "logdata/LogStore.h"
#include "support/FakeLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using fakelink::Bytes;
using fakelink::Packet;
using fakelink::StreamRecord;

const uint32_t Stamp = fakelink::StampWord(2011, 3, 9, 8, 44, 44);

std::string stampOf(const LogStore& store, uint32_t i)
{
    return std::string(store.timestamp(i), TimestampLength);
}

DecodeResult decode(const Bytes& stream, LogStore& store, int channels = 2, uint8_t celsius = 1)
{
    return DownloadDecoder(channels, celsius).Decode(stream.data(), int32_t(stream.size()), store);
}

TEST(DownloadDecoderTest, TimeWordBitFields)
{
    EXPECT_EQ(Stamp, 0x2CD28B2Cu);
    LogStore store;
    // The bytes 2C 8B D2 2C as the logger sends them.
    Bytes stream = Packet({{0, 250, 600}}, 2);
    const Bytes word{0x2C, 0x8B, 0xD2, 0x2C};
    std::copy(word.begin(), word.end(), stream.begin() + 21);
    ASSERT_EQ(decode(stream, store).recordCount, 1u);
    EXPECT_EQ(stampOf(store, 0), "20110309084444");

    const uint32_t extremes = fakelink::StampWord(2063, 12, 31, 23, 59, 59);
    decode(Packet({{extremes, 0, 0}, {0, 0, 0}}, 2), store);
    EXPECT_EQ(stampOf(store, 0), "20631231235959");
    EXPECT_EQ(stampOf(store, 1), "20000000000000");
}

TEST(DownloadDecoderTest, ValuesAreSignedTenths)
{
    const std::pair<Bytes, float> cases[] = {
        {{0x0B, 0xFF}, -24.5f}, {{0xE8, 0x03}, 100.0f}, {{0x00, 0x00}, 0.0f},
        {{0xFF, 0x7F}, 3276.7f}, {{0x00, 0x80}, -3276.8f}, {{0xFD, 0x00}, 25.3f},
    };
    for (const auto& [bytes, expected] : cases) {
        LogStore store;
        Bytes stream = Packet({{Stamp, 0, 0}}, 2);
        stream[25] = bytes[0];
        stream[26] = bytes[1];
        stream[27] = bytes[0];
        stream[28] = bytes[1];
        decode(stream, store);
        EXPECT_EQ(store.value[1][0], expected) << int(bytes[0]) << " " << int(bytes[1]);
        EXPECT_EQ(store.value[2][0], expected);
    }
}

TEST(DownloadDecoderTest, OneChannelRecordsAreSixBytesAndLeaveTheOtherChannels)
{
    LogStore store;
    store.value[2][0] = store.value[2][1] = 11.0f;
    store.value[3][0] = store.value[3][1] = 22.0f;
    const Bytes stream = Packet({{Stamp, 215}, {fakelink::StampWord(2011, 3, 9, 8, 45, 44), -5}}, 1);
    ASSERT_EQ(stream.size(), 21u + 2 * 6 + 5);
    EXPECT_EQ(decode(stream, store, 1).recordCount, 2u);
    EXPECT_FLOAT_EQ(store.value[1][0], 21.5f);
    EXPECT_FLOAT_EQ(store.value[1][1], -0.5f);
    EXPECT_EQ(stampOf(store, 1), "20110309084544");
    EXPECT_EQ(store.value[2][1], 11.0f);
    EXPECT_EQ(store.value[3][1], 22.0f);
}

TEST(DownloadDecoderTest, PacketsFollowEachOtherAndFillConsecutiveIndexes)
{
    LogStore store;
    std::vector<StreamRecord> first, second;
    for (int i = 0; i < 3; ++i)
        first.push_back({Stamp + uint32_t(i), int16_t(100 + i), 500});
    for (int i = 3; i < 5; ++i)
        second.push_back({Stamp + uint32_t(i), int16_t(100 + i), 500});
    const DecodeResult r = decode(fakelink::Concat({Packet(first, 2, 0, 2), Packet(second, 2, 1, 2)}), store);
    EXPECT_EQ(r.recordCount, 5u);
    EXPECT_FALSE(r.emptyPacket || r.storeFull || r.cutShort);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(store.value[1][i], 10.0f + 0.1f * float(i)) << i;
        EXPECT_EQ(stampOf(store, i).substr(12), "4" + std::to_string(4 + i)) << i;
    }
}

TEST(DownloadDecoderTest, PacketOfNoRecordsEndsTheDecoding)
{
    LogStore store;
    const Bytes stream = fakelink::Concat(
        {Packet({{Stamp, 1, 1}, {Stamp, 2, 2}, {Stamp, 3, 3}}, 2), Packet({}, 2), Packet({{Stamp, 9, 9}}, 2)});
    const DecodeResult r = decode(stream, store);
    EXPECT_TRUE(r.emptyPacket);
    EXPECT_EQ(r.recordCount, 3u);
    EXPECT_FLOAT_EQ(store.value[1][2], 0.3f);
}

TEST(DownloadDecoderTest, PacketRunningPastTheStreamKeepsOnlyWholeRecords)
{
    LogStore store;
    store.value[1][3] = 77.0f;
    Bytes stream = Packet({{Stamp, 1, 1}, {Stamp, 2, 2}, {Stamp, 3, 3}, {Stamp, 4, 4}, {Stamp, 5, 5}}, 2);
    stream.resize(21 + 3 * 8 + 5);  // the stream stops inside the fourth record
    const DecodeResult r = decode(stream, store);
    EXPECT_TRUE(r.cutShort);
    EXPECT_EQ(r.recordCount, 3u);
    EXPECT_EQ(store.value[1][3], 77.0f);
}

TEST(DownloadDecoderTest, ShortTailOrMissingClosingBytesAreNoRecords)
{
    LogStore store;
    Bytes stream = Packet({{Stamp, 1, 1}, {Stamp, 2, 2}}, 2);
    // Closing bytes missing: the records are whole.
    Bytes noTail(stream.begin(), stream.end() - 5);
    EXPECT_EQ(decode(noTail, store).recordCount, 2u);
    // A tail too short for a packet head.
    stream.insert(stream.end(), 20, 0x55);
    const DecodeResult r = decode(stream, store);
    EXPECT_EQ(r.recordCount, 2u);
    EXPECT_FALSE(r.cutShort || r.emptyPacket);
}

// Bytes 16–19 of a packet: the number of packets, then the packet's own number.
TEST(DownloadDecoderTest, PacketNumbersAreReadAndCheckedForCounting)
{
    const std::vector<StreamRecord> one = {{Stamp, 250, 600}};
    struct Case {
        const char* what;
        Bytes stream;
        int packets;
        bool numbered;
        int total;
    };
    const Case cases[] = {
        {"1 and 2 of 3", fakelink::Concat({Packet(one, 2, 1, 3), Packet(one, 2, 2, 3)}), 2, true, 3},
        {"1 of 1", Packet(one, 2, 1, 1), 1, true, 1},
        // The empty packet that ends a stream is a packet of the stream.
        {"1 of 2, then an empty 2 of 2", fakelink::Concat({Packet(one, 2, 1, 2), Packet({}, 2, 2, 2)}), 2, true, 2},
        {"cut inside 2 of 2", [&] {
             Bytes b = fakelink::Concat({Packet(one, 2, 1, 2), Packet(one, 2, 2, 2)});
             b.resize(b.size() - 8);
             return b;
         }(), 2, true, 2},
        {"0 and 1 of 2", fakelink::Concat({Packet(one, 2, 0, 2), Packet(one, 2, 1, 2)}), 2, false, 0},
        {"1 of 2, then 1 of 2", fakelink::Concat({Packet(one, 2, 1, 2), Packet(one, 2, 1, 2)}), 2, false, 0},
        {"1 of 2, then 2 of 3", fakelink::Concat({Packet(one, 2, 1, 2), Packet(one, 2, 2, 3)}), 2, false, 0},
        {"2 of 1", fakelink::Concat({Packet(one, 2, 1, 1), Packet(one, 2, 2, 1)}), 2, false, 0},
        {"of 0", Packet(one, 2, 1, 0), 1, false, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        LogStore store;
        const DecodeResult r = decode(k.stream, store);
        EXPECT_EQ(r.packets, k.packets);
        EXPECT_EQ(r.numbered, k.numbered);
        EXPECT_EQ(r.packetTotal, k.total);
    }
}

TEST(DownloadDecoderTest, StopsAtTheCapacityOfTheStore)
{
    LogStore store;
    std::vector<StreamRecord> full(255, StreamRecord{Stamp, 215});
    Bytes stream;
    const uint32_t packets = LogCapacity / 255 + 1;  // 140025 records
    for (uint32_t i = 0; i < packets; ++i) {
        const Bytes p = Packet(full, 1);
        stream.insert(stream.end(), p.begin(), p.end());
    }
    const DecodeResult r = decode(stream, store, 1);
    EXPECT_TRUE(r.storeFull);
    EXPECT_EQ(r.recordCount, LogCapacity);
    EXPECT_FLOAT_EQ(store.value[1][LogCapacity - 1], 21.5f);

    // Exactly full is not more than the store holds.
    const size_t exact = size_t(LogCapacity / 255) * Packet(full, 1).size();
    const Bytes rest = Packet(std::vector<StreamRecord>(LogCapacity % 255, StreamRecord{Stamp, 1}), 1);
    Bytes exactStream(stream.begin(), stream.begin() + long(exact));
    exactStream.insert(exactStream.end(), rest.begin(), rest.end());
    const DecodeResult e = decode(exactStream, store, 1);
    EXPECT_FALSE(e.storeFull);
    EXPECT_EQ(e.recordCount, LogCapacity);
}

struct DewCase {
    float temperature, humidity;
    uint8_t celsius;
    float expected;
};

TEST(DownloadDecoderTest, DewPoint)
{
    const DewCase cases[] = {
        {25.0f, 60.0f, 1, 16.69f},
        {77.0f, 60.0f, 0, 62.05f},
        {20.0f, 100.0f, 1, 20.0f},
        {-10.0f, 80.0f, 1, -12.80f},
    };
    for (const DewCase& k : cases)
        EXPECT_NEAR(DownloadDecoder::DewPoint(k.temperature, k.humidity, k.celsius), k.expected, 0.01)
            << k.temperature << " " << k.humidity;
}

TEST(DownloadDecoderTest, DewPointIsFiniteForEveryReading)
{
    // A humidity of 0 or below counts as the lowest reading above 0.
    for (uint8_t celsius : {uint8_t(0), uint8_t(1)}) {
        const float lowest = DownloadDecoder::DewPoint(25.0f, DownloadDecoder::LowestHumidity, celsius);
        EXPECT_EQ(DownloadDecoder::DewPoint(25.0f, 0.0f, celsius), lowest);
        EXPECT_EQ(DownloadDecoder::DewPoint(25.0f, -3276.8f, celsius), lowest);
        EXPECT_LT(lowest, 0.0f);
    }
    for (int t = -32768; t <= 32767; t += 7) {
        for (int h : {-1000, -1, 0, 1, 600, 1000, 32767}) {
            const float td = DownloadDecoder::DewPoint(float(t / 10.0), float(h / 10.0), 1);
            ASSERT_TRUE(std::isfinite(td)) << t << " " << h;
        }
    }
    // Temperatures next to the pole of the formula.
    for (int t : {-2431, -2432})
        EXPECT_TRUE(std::isfinite(DownloadDecoder::DewPoint(float(t / 10.0), 50.0f, 1)));
}

TEST(DownloadDecoderTest, DewPointGoesToChannelThreeOfEveryTwoChannelLogger)
{
    LogStore store;
    decode(Packet({{Stamp, 250, 600}, {Stamp, 250, 0}}, 2), store, 2, 1);
    EXPECT_NEAR(store.value[3][0], 16.69f, 0.01);
    EXPECT_TRUE(std::isfinite(store.value[3][1]));
    decode(Packet({{Stamp, 770, 600}}, 3), store, 3, 0);
    EXPECT_NEAR(store.value[3][0], 62.05f, 0.01);
}

TEST(DownloadDecoderTest, DecodedDewPointEqualsTheFormulaForEveryReading)
{
    // Readings inside and outside the ranges a decoding remembers, repeated so
    // that remembered values are used as well as computed.
    const int16_t temperatures[] = {-32768, -2432, -1001, -1000, -1, 0, 1, 250, 770, 1999, 2000, 2001, 32767};
    const int16_t humidities[] = {-32768, -1, 0, 1, 600, 999, 1000, 1001, 32767};
    std::vector<StreamRecord> records;
    for (int repeat = 0; repeat < 2; ++repeat)
        for (int16_t t : temperatures)
            for (int16_t h : humidities)
                records.push_back({Stamp, t, h});
    for (uint8_t celsius : {uint8_t(0), uint8_t(1)}) {
        LogStore store;
        Bytes stream;
        for (size_t at = 0; at < records.size(); at += 200) {
            const std::vector<StreamRecord> part(records.begin() + long(at),
                                                 records.begin() + long(std::min(records.size(), at + 200)));
            const Bytes p = Packet(part, 2);
            stream.insert(stream.end(), p.begin(), p.end());
        }
        ASSERT_EQ(decode(stream, store, 2, celsius).recordCount, records.size());
        for (uint32_t i = 0; i < records.size(); ++i) {
            const float expected = DownloadDecoder::DewPoint(store.value[1][i], store.value[2][i], celsius);
            ASSERT_EQ(store.value[3][i], expected) << records[i].ch1 << " " << records[i].ch2 << " unit " << int(celsius);
        }
    }
}

}  // namespace
