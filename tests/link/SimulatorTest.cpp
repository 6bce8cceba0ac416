// The simulated logger: its answers byte by byte, its download stream, how it
// reads requests, its faults and options, and the program on a real line.
#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "SimulatedLogger.h"
#include "SimulatorProcess.h"

#include "support/TestPaths.h"

#include "support/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace loggersim;
using Bytes = std::vector<uint8_t>;

namespace {

const char ZeroId[10] = {};
const char SimId[11] = "SIM0000001";

Bytes Request(char letter, const char id[10] = ZeroId, const Bytes& parameters = {})
{
    Bytes frame = SimulatedLogger::BuildFrame(id, uint8_t(letter), parameters);
    // The download request carries the checksum of an erase request.
    if (letter == 'W')
        frame[frame.size() - 5] ^= uint8_t('W' ^ 'Y');
    return frame;
}

std::vector<Reaction> Feed(SimulatedLogger& logger, const Bytes& bytes)
{
    return logger.Feed(bytes.data(), bytes.size());
}

// The bytes of a reaction as they go out, pauses left out.
Bytes Joined(const Reaction& reaction)
{
    Bytes all;
    for (const Output& o : reaction.outputs)
        all.insert(all.end(), o.bytes.begin(), o.bytes.end());
    return all;
}

bool ChecksumOk(const Bytes& frame)
{
    return frame.size() >= 20 && SimulatedLogger::Checksum(frame.data(), frame.size()) == frame[frame.size() - 5];
}

uint32_t U32(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

int16_t I16(const Bytes& b, size_t at)
{
    return int16_t(uint16_t(b[at] | b[at + 1] << 8));
}

SimSettings Settings(int records = 0, uint8_t type = 1)
{
    SimSettings s;
    s.records = records;
    s.type = type;
    ParseTimestamp("20110309084444", s.start);
    return s;
}

// A write-setup request as the program builds it.
Bytes WriteRequest(const char id[10], const std::string& name, uint32_t interval, int16_t offset1, uint8_t celsius,
                   uint8_t startMode, int32_t delay)
{
    Bytes p{1};
    for (size_t i = 0; i < 24; ++i)
        p.push_back(i < name.size() ? uint8_t(name[i]) : 0);
    for (int s = 0; s < 32; s += 8)
        p.push_back(uint8_t(interval >> s));
    p.push_back(uint8_t(offset1));
    p.push_back(uint8_t(uint16_t(offset1) >> 8));
    p.insert(p.end(), {0, 0, 0, 0});
    p.push_back(celsius);
    p.insert(p.end(), {25, 5, 70, 30});
    p.push_back(startMode);
    for (int s = 0; s < 32; s += 8)
        p.push_back(uint8_t(uint32_t(delay) >> s));
    return Request('U', id, p);
}

// --- Answers ------------------------------------------------------------

struct AnswerCase {
    char request;
    char answer;
    size_t length;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.request; }

class SimulatorAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(SimulatorAnswerTest, AnswersWithTheNextLetterTheLengthAndAGoodChecksum)
{
    SimulatedLogger logger(Settings());
    const AnswerCase c = GetParam();
    Bytes parameters;
    if (c.request == '[')
        parameters = {1, 0x44, 0x41, 0x11, 0x08, 0x03, 0x20, 0x11};
    const Bytes request = c.request == 'U' ? WriteRequest(SimId, "X", 60, 0, 1, 0, 0)
                                           : Request(c.request, SimId, parameters);
    const auto reactions = Feed(logger, request);
    ASSERT_EQ(reactions.size(), 1u);
    const Bytes answer = Joined(reactions[0]);
    ASSERT_EQ(answer.size(), c.length);
    EXPECT_EQ(answer[14], uint8_t(c.answer));
    EXPECT_EQ(answer[15], 1) << "status";
    EXPECT_TRUE(ChecksumOk(answer));
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 4), (Bytes{0x01, 0x16, 0x7B, 0x28}));
    EXPECT_EQ(Bytes(answer.end() - 4, answer.end()), (Bytes{0x29, 0x7D, 0x7E, 0x04}));
    EXPECT_EQ(std::string(answer.begin() + 4, answer.begin() + 14), "SIM0000001");
}

INSTANTIATE_TEST_SUITE_P(Requests, SimulatorAnswerTest,
                         ::testing::Values(AnswerCase{'Q', 'R', 51}, AnswerCase{'S', 'T', 76},
                                           AnswerCase{'U', 'V', 21}, AnswerCase{'[', '\\', 21},
                                           AnswerCase{'Y', 'Z', 21}));

TEST(SimulatorTest, IdentifyAndSetupAnswersCarryTheLoggerAtTheirOffsets)
{
    SimSettings s = Settings(123, 2);
    s.name = "COLD ROOM 4";
    s.celsius = false;
    s.interval = 300;
    SimulatedLogger logger(s);

    const Bytes r = Joined(Feed(logger, Request('Q'))[0]);
    EXPECT_EQ(r[16], 2) << "type";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[17])), "COLD ROOM 4");
    EXPECT_EQ(r[41], 0) << "Fahrenheit";
    EXPECT_EQ((Bytes{r[42], r[43], r[44], r[45]}), (Bytes{30, 0, 80, 20})) << "alarm thresholds";

    const Bytes t = Joined(Feed(logger, Request('S', SimId))[0]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&t[16])), "COLD ROOM 4");
    EXPECT_EQ(t[40], 2) << "type";
    EXPECT_EQ(std::string(t.begin() + 41, t.begin() + 47), "SIM-01");
    EXPECT_EQ(U32(t, 47), 300u) << "interval";
    EXPECT_EQ(U32(t, 51), 123u) << "log count";
    EXPECT_EQ(U32(t, 55), 262144u) << "memory bytes";
    EXPECT_EQ(t[65], 0) << "Fahrenheit";
}

TEST(SimulatorTest, WriteSetupIsRememberedAndReadBack)
{
    SimulatedLogger logger(Settings());
    const char newId[11] = "ABCDEFGHIJ";
    Feed(logger, WriteRequest(newId, "FREEZER 2", 120, -15, 0, 1, 3600));
    EXPECT_EQ(logger.id(), "ABCDEFGHIJ");
    EXPECT_EQ(logger.alarm(0), 25);

    const Bytes t = Joined(Feed(logger, Request('S', newId))[0]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&t[16])), "FREEZER 2");
    EXPECT_EQ(U32(t, 47), 120u);
    EXPECT_EQ(I16(t, 59), -15);
    EXPECT_EQ(t[65], 0);
    EXPECT_EQ(t[66], 1);
    EXPECT_EQ(int32_t(U32(t, 67)), 3600);

    // An identity of ten zero bytes (a serial number the program refused)
    // does not rename the logger.
    Feed(logger, WriteRequest(ZeroId, "FREEZER 2", 120, 0, 1, 0, 0));
    EXPECT_EQ(logger.id(), "ABCDEFGHIJ");
}

TEST(SimulatorTest, SetClockIsTakenFromItsBcdBytes)
{
    SimulatedLogger logger(Settings());
    Feed(logger, Request('[', SimId, {1, 0x44, 0x41, 0x11, 0x08, 0x03, 0x20, 0x11}));
    ASSERT_TRUE(logger.clockSet());
    const std::tm& c = logger.clock();
    EXPECT_EQ((std::vector<int>{c.tm_year + 1900, c.tm_mon + 1, c.tm_mday, c.tm_hour, c.tm_min, c.tm_sec}),
              (std::vector<int>{2011, 3, 8, 11, 41, 44}));
}

// --- Download -----------------------------------------------------------

struct StreamCase {
    uint8_t type;
    int records;
    size_t recordSize;
};

void PrintTo(const StreamCase& c, std::ostream* out) { *out << "type " << int(c.type) << ", " << c.records; }

class SimulatorStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(SimulatorStreamTest, StreamsPacketsOfAtMost40Records)
{
    const StreamCase c = GetParam();
    SimulatedLogger logger(Settings(c.records, c.type));
    const auto reactions = Feed(logger, Request('W'));
    ASSERT_EQ(reactions.size(), 1u);
    const auto& packets = reactions[0].outputs;
    const size_t expectedPackets = size_t((c.records + 39) / 40);
    ASSERT_EQ(packets.size(), expectedPackets);

    int index = 0;
    for (size_t p = 0; p < packets.size(); ++p) {
        const Bytes& packet = packets[p].bytes;
        const size_t n = packet[20];
        EXPECT_EQ(packet.size(), 21 + n * c.recordSize + 5);
        EXPECT_EQ(I16(packet, 16), int16_t(packets.size())) << "packet count";
        EXPECT_EQ(I16(packet, 18), int16_t(p + 1)) << "packet number";
        EXPECT_EQ(packet[14], 'X');
        EXPECT_EQ(Bytes(packet.end() - 4, packet.end()), (Bytes{0x29, 0x7D, 0x7E, 0x04}));
        for (size_t j = 0; j < n; ++j, ++index) {
            const size_t at = 21 + j * c.recordSize;
            EXPECT_EQ(U32(packet, at), SimulatedLogger::PackTime(logger.RecordTime(index)));
            EXPECT_EQ(I16(packet, at + 4), logger.Reading(1, index));
            if (c.recordSize == 8) {
                EXPECT_EQ(I16(packet, at + 6), logger.Reading(2, index));
            }
        }
        EXPECT_EQ(packets[p].delayMs, p == 0 ? 0 : 10) << "paced, but well under the 2000 ms quiet time";
    }
    EXPECT_EQ(index, c.records);
}

INSTANTIATE_TEST_SUITE_P(Loggers, SimulatorStreamTest,
                         ::testing::Values(StreamCase{1, 500, 8}, StreamCase{2, 500, 6}, StreamCase{1, 40, 8},
                                           StreamCase{2, 1, 6}, StreamCase{1, 0, 8}));

TEST(SimulatorTest, RecordTimesUseTheLoggersBitFields)
{
    SimulatedLogger logger(Settings(3));
    // 2011-03-09 08:44:44 is the word 0x2CD28B2C, sent as 2C 8B D2 2C.
    EXPECT_EQ(SimulatedLogger::PackTime(logger.RecordTime(0)), 0x2CD28B2Cu);
    const std::tm second = logger.RecordTime(1);
    EXPECT_EQ(second.tm_min, 45);
    EXPECT_EQ(second.tm_sec, 44);
}

TEST(SimulatorTest, ReadingsArePlausibleAndFollowTheUnit)
{
    SimSettings s = Settings(1440);
    SimulatedLogger celsius(s);
    s.celsius = false;
    SimulatedLogger fahrenheit(s);
    for (int i = 0; i < 1440; i += 37) {
        EXPECT_GE(celsius.Reading(1, i), 150);
        EXPECT_LE(celsius.Reading(1, i), 280);
        EXPECT_GE(celsius.Reading(2, i), 50) << "humidity";
        EXPECT_LE(celsius.Reading(2, i), 990);
        // Both are rounded to tenths on their own.
        EXPECT_NEAR(fahrenheit.Reading(1, i), celsius.Reading(1, i) * 1.8 + 320, 1.5);
    }
}

TEST(SimulatorTest, EraseEmptiesTheMemory)
{
    SimulatedLogger logger(Settings(100));
    Feed(logger, Request('Y', SimId));
    EXPECT_EQ(logger.recordCount(), 0);
    EXPECT_TRUE(Feed(logger, Request('W'))[0].outputs.empty());
    EXPECT_EQ(U32(Joined(Feed(logger, Request('S', SimId))[0]), 51), 0u);
}

// --- Reading requests ---------------------------------------------------

TEST(SimulatorTest, FindsRequestsAmongJunkAndAcrossPieces)
{
    SimulatedLogger logger(Settings());
    Bytes stream{0x00, 0x01, 0x16, 0x55};
    const Bytes identify = Request('Q');
    stream.insert(stream.end(), identify.begin(), identify.begin() + 9);
    EXPECT_TRUE(Feed(logger, stream).empty());
    const Bytes rest(identify.begin() + 9, identify.end());
    const auto reactions = Feed(logger, rest);
    ASSERT_EQ(reactions.size(), 1u);
    EXPECT_EQ(reactions[0].request, 'Q');

    Bytes two = Request('S', SimId);
    const Bytes erase = Request('Y', SimId);
    two.insert(two.end(), erase.begin(), erase.end());
    const auto both = Feed(logger, two);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[1].request, 'Y');
}

TEST(SimulatorTest, IgnoresRequestsWithAWrongChecksum)
{
    SimulatedLogger logger(Settings(5));
    Bytes bad = Request('S', SimId);
    bad[15] ^= 0x01;
    EXPECT_TRUE(Feed(logger, bad).empty());
    // A download request checked by the ordinary rule is not what the
    // program sends, so it is not taken either.
    const Bytes ordinaryDownload = SimulatedLogger::BuildFrame(SimId, 'W', {});
    EXPECT_TRUE(Feed(logger, ordinaryDownload).empty());
    EXPECT_EQ(Feed(logger, Request('W', SimId)).size(), 1u);
}

// --- Faults -------------------------------------------------------------

struct FaultCase {
    const char* name;
    Fault fault;
    void (*check)(const Reaction&);
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class SimulatorFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatorFaultTest, SpoilsTheReadSetupAnswer)
{
    SimSettings s = Settings();
    s.fault = GetParam().fault;
    SimulatedLogger logger(s);
    const auto reactions = Feed(logger, Request('S', SimId));
    ASSERT_EQ(reactions.size(), 1u);
    GetParam().check(reactions[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimulatorFaultTest,
    ::testing::Values(
        FaultCase{"NeverAnswer", Fault::NeverAnswer, [](const Reaction& r) { EXPECT_TRUE(r.outputs.empty()); }},
        FaultCase{"BadChecksum", Fault::BadChecksum,
                  [](const Reaction& r) {
                      const Bytes a = Joined(r);
                      EXPECT_EQ(a.size(), 76u);
                      EXPECT_FALSE(ChecksumOk(a));
                  }},
        FaultCase{"WrongLength", Fault::WrongLength,
                  [](const Reaction& r) {
                      const Bytes a = Joined(r);
                      EXPECT_EQ(a.size(), 75u);
                      EXPECT_TRUE(ChecksumOk(a)) << "a short frame the program must not ignore";
                  }},
        FaultCase{"Status0", Fault::Status0,
                  [](const Reaction& r) {
                      const Bytes a = Joined(r);
                      EXPECT_EQ(a[15], 0);
                      EXPECT_TRUE(ChecksumOk(a));
                  }},
        FaultCase{"Split", Fault::Split,
                  [](const Reaction& r) {
                      ASSERT_EQ(r.outputs.size(), 2u);
                      EXPECT_EQ(r.outputs[1].delayMs, 400);
                      const Bytes a = Joined(r);
                      EXPECT_EQ(a.size(), 76u);
                      EXPECT_TRUE(ChecksumOk(a));
                  }}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(SimulatorTest, AnswerAfterWaitsForTheSameRequestKPlusOneTimes)
{
    SimSettings s = Settings();
    s.fault = Fault::AnswerAfter;
    s.faultCount = 2;
    SimulatedLogger logger(s);
    const Bytes identify = Request('Q');
    EXPECT_TRUE(Feed(logger, identify)[0].outputs.empty());
    EXPECT_TRUE(Feed(logger, identify)[0].outputs.empty());
    // A different request starts the count again.
    EXPECT_TRUE(Feed(logger, Request('S', SimId))[0].outputs.empty());
    EXPECT_TRUE(Feed(logger, identify)[0].outputs.empty());
    EXPECT_TRUE(Feed(logger, identify)[0].outputs.empty());
    EXPECT_FALSE(Feed(logger, identify)[0].outputs.empty());
    EXPECT_FALSE(Feed(logger, identify)[0].outputs.empty());
}

TEST(SimulatorTest, FaultOnAndFaultTimesLimitTheFault)
{
    SimSettings s = Settings();
    s.fault = Fault::Status0;
    s.faultOn = "U";
    s.faultTimes = 1;
    SimulatedLogger logger(s);
    EXPECT_EQ(Joined(Feed(logger, Request('Q'))[0])[15], 1) << "identify is not in fault-on";
    const Bytes write = WriteRequest(SimId, "A", 60, 0, 1, 0, 0);
    EXPECT_EQ(Joined(Feed(logger, write)[0])[15], 0) << "the first write is spoilt";
    EXPECT_EQ(Joined(Feed(logger, write)[0])[15], 1) << "the repeat is answered well";
}

TEST(SimulatorTest, HangupAfterIdentifyAnswersFirst)
{
    SimSettings s = Settings();
    s.fault = Fault::HangupAfterIdentify;
    SimulatedLogger logger(s);
    const auto reactions = Feed(logger, Request('Q'));
    EXPECT_EQ(Joined(reactions[0]).size(), 51u);
    EXPECT_TRUE(reactions[0].hangUp);
    EXPECT_GT(reactions[0].hangUpDelayMs, 0);
}

// A download of 500 records in 13 packets: 12 of 40 records (346 bytes) and
// one of 20 (186 bytes), 4338 bytes in all.
Bytes FullStream()
{
    SimulatedLogger logger(Settings(500));
    return Joined(Feed(logger, Request('W'))[0]);
}

struct CutCase {
    const char* name;
    Fault fault;
    int bytes;
    bool hangUp;
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

class SimulatorCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(SimulatorCutTest, CutsTheDownloadStreamAtExactlyNBytes)
{
    const CutCase c = GetParam();
    const Bytes full = FullStream();
    ASSERT_EQ(full.size(), 4338u);
    SimSettings s = Settings(500);
    s.fault = c.fault;
    s.faultBytes = c.bytes;
    s.faultOn = "W";
    SimulatedLogger logger(s);

    EXPECT_FALSE(Feed(logger, Request('Q'))[0].hangUp) << "identify is not in fault-on";
    const auto reactions = Feed(logger, Request('W'));
    ASSERT_EQ(reactions.size(), 1u);
    const Reaction& r = reactions[0];
    const size_t kept = std::min(full.size(), size_t(c.bytes));
    EXPECT_EQ(Joined(r), Bytes(full.begin(), full.begin() + long(kept)));
    for (const Output& o : r.outputs)
        EXPECT_FALSE(o.bytes.empty()) << "no empty piece is left at the cut";
    // The packets before the cut keep their pacing.
    for (size_t p = 1; p < r.outputs.size(); ++p)
        EXPECT_EQ(r.outputs[p].delayMs, 10);
    EXPECT_EQ(r.hangUp, c.hangUp);
    if (c.hangUp) {
        EXPECT_GE(r.hangUpDelayMs, 0);
        EXPECT_LT(r.hangUpDelayMs, 200) << "the line goes before the program's 200 ms chunk silence";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, SimulatorCutTest,
    ::testing::Values(CutCase{"HangupBeforeAnyByte", Fault::HangupAfterBytes, 0, true},
                      CutCase{"HangupInsideThePacketHead", Fault::HangupAfterBytes, 19, true},
                      CutCase{"HangupOnAPacketBoundary", Fault::HangupAfterBytes, 2 * 346, true},
                      CutCase{"HangupInsideALaterPacket", Fault::HangupAfterBytes, 3000, true},
                      CutCase{"HangupOneByteShortOfTheEnd", Fault::HangupAfterBytes, 4337, true},
                      CutCase{"HangupAfterTheWholeStream", Fault::HangupAfterBytes, 100000, true},
                      CutCase{"StallInsideTheFirstPacket", Fault::StallAfterBytes, 100, false},
                      CutCase{"StallInsideALaterPacket", Fault::StallAfterBytes, 3000, false},
                      CutCase{"StallBeforeAnyByte", Fault::StallAfterBytes, 0, false}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(SimulatorTest, HangupAfterBytesCutsOtherAnswersToo)
{
    SimSettings s = Settings();
    s.fault = Fault::HangupAfterBytes;
    s.faultBytes = 30;
    s.faultOn = "S";
    SimulatedLogger logger(s);
    const Reaction r = Feed(logger, Request('S', SimId))[0];
    EXPECT_EQ(Joined(r).size(), 30u);
    EXPECT_TRUE(r.hangUp);
}

// A hang-up on a given request: no answer, the request is not carried out,
// and the line closes while the program waits; other requests are answered.
struct HangupCase {
    char request;
    bool (*untouched)(const SimulatedLogger&);
};

void PrintTo(const HangupCase& c, std::ostream* out) { *out << c.request; }

class SimulatorHangupTest : public ::testing::TestWithParam<HangupCase> {};

TEST_P(SimulatorHangupTest, HangsUpOnTheGivenRequestWithoutAnswering)
{
    const HangupCase c = GetParam();
    SimSettings s = Settings(100);
    s.fault = Fault::Hangup;
    s.faultOn = std::string(1, c.request);
    SimulatedLogger logger(s);
    for (char other : {'Q', 'S'}) {
        if (other == c.request)
            continue;
        const Reaction answered = Feed(logger, Request(other, SimId))[0];
        EXPECT_FALSE(answered.outputs.empty()) << other;
        EXPECT_FALSE(answered.hangUp) << other;
    }
    Bytes request = Request(c.request, SimId, c.request == '[' ? Bytes{1, 0x44, 0x41, 0x11, 0x08, 0x03, 0x20, 0x11} : Bytes{});
    if (c.request == 'U')
        request = WriteRequest(SimId, "RENAMED", 10, 5, 0, 1, 60);
    const auto reactions = Feed(logger, request);
    ASSERT_EQ(reactions.size(), 1u);
    EXPECT_EQ(reactions[0].request, c.request);
    EXPECT_TRUE(reactions[0].outputs.empty());
    EXPECT_TRUE(reactions[0].hangUp);
    EXPECT_GT(reactions[0].hangUpDelayMs, 0) << "the program is left waiting for a moment";
    EXPECT_LT(reactions[0].hangUpDelayMs, 2000) << "within the first repeat period";
    EXPECT_TRUE(c.untouched(logger));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SimulatorHangupTest,
    ::testing::Values(HangupCase{'Q', [](const SimulatedLogger&) { return true; }},
                      HangupCase{'S', [](const SimulatedLogger&) { return true; }},
                      HangupCase{'U', [](const SimulatedLogger& l) { return l.name() == "SIM LOGGER" && l.interval() == 60; }},
                      HangupCase{'[', [](const SimulatedLogger& l) { return !l.clockSet(); }},
                      HangupCase{'W', [](const SimulatedLogger&) { return true; }},
                      HangupCase{'Y', [](const SimulatedLogger& l) { return l.recordCount() == 100; }}),
    [](const ::testing::TestParamInfo<HangupCase>& info) {
        return std::string(1, info.param.request == '[' ? 'T' : info.param.request);
    });

TEST(SimulatorTest, PacketsAreNumberedFromOneOrMisnumberedFromZero)
{
    for (const Fault fault : {Fault::None, Fault::MisnumberedPackets}) {
        SimSettings s = Settings(100);
        s.fault = fault;
        SimulatedLogger logger(s);
        const auto reactions = Feed(logger, Request('W'));
        const auto& packets = reactions[0].outputs;
        ASSERT_EQ(packets.size(), 3u);
        const int first = fault == Fault::None ? 1 : 0;
        for (size_t p = 0; p < packets.size(); ++p) {
            EXPECT_EQ(I16(packets[p].bytes, 16), 3) << "the same total in every packet";
            EXPECT_EQ(I16(packets[p].bytes, 18), int16_t(first + int(p)));
        }
    }
}

// --- Options ------------------------------------------------------------

TEST(SimulatorOptionsTest, TakesEveryOption)
{
    const SimOptions o = ParseOptions({"--type", "2", "--name", "DOCK 3", "--id", "AB12345678", "--fahrenheit",
                                       "--records", "500", "--interval", "30", "--start", "2011-03-09T08:44:44",
                                       "--fault", "answer-after=3", "--fault-on", "SU", "--fault-times", "2",
                                       "--packet-gap", "0", "--split-pause", "900", "--until-stdin-closes",
                                       "--verbose"},
                                      0);
    ASSERT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.settings.type, 2);
    EXPECT_EQ(o.settings.name, "DOCK 3");
    EXPECT_EQ(o.settings.id, "AB12345678");
    EXPECT_FALSE(o.settings.celsius);
    EXPECT_EQ(o.settings.records, 500);
    EXPECT_EQ(o.settings.interval, 30u);
    EXPECT_EQ(o.settings.start.tm_hour, 8);
    EXPECT_EQ(o.settings.fault, Fault::AnswerAfter);
    EXPECT_EQ(o.settings.faultCount, 3);
    EXPECT_EQ(o.settings.faultOn, "SU");
    EXPECT_EQ(o.settings.faultTimes, 2);
    EXPECT_EQ(o.settings.packetGapMs, 0);
    EXPECT_EQ(o.settings.splitPauseMs, 900);
    EXPECT_TRUE(o.untilStdinCloses);
    EXPECT_TRUE(o.verbose);
}

TEST(SimulatorOptionsTest, RefusesWhatItCannotUse)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--type"},           {"--type", "256"},        {"--id", "SHORT"},
        {"--records", "-1"},  {"--interval", "0"},      {"--start", "20110309"},
        {"--start", "1999-01-01T00:00:00"},             {"--fault", "melt"},
        {"--fault", "answer-after=x"},                  {"--name", std::string(25, 'N')},
        {"--bogus"},          {"--split-pause", "1501"}, {"--split-pause", "-1"},
    };
    for (const auto& args : bad)
        EXPECT_FALSE(ParseOptions(args, 0).error.empty()) << args[0] << (args.size() > 1 ? " " + args[1] : "");
}

TEST(SimulatorOptionsTest, TakesTheLineFaults)
{
    struct Case {
        const char* text;
        Fault fault;
        int bytes;
    };
    for (const Case& c : {Case{"hangup", Fault::Hangup, 0}, Case{"hangup-after-bytes=0", Fault::HangupAfterBytes, 0},
                          Case{"hangup-after-bytes=4000", Fault::HangupAfterBytes, 4000},
                          Case{"stall-after-bytes=1", Fault::StallAfterBytes, 1},
                          Case{"misnumbered-packets", Fault::MisnumberedPackets, 0}}) {
        const SimOptions o = ParseOptions({"--fault", c.text, "--fault-on", "W"}, 0);
        ASSERT_TRUE(o.error.empty()) << c.text << ": " << o.error;
        EXPECT_EQ(o.settings.fault, c.fault) << c.text;
        EXPECT_EQ(o.settings.faultBytes, c.bytes) << c.text;
    }
    for (const char* bad : {"hangup-after-bytes=", "hangup-after-bytes=-1", "stall-after-bytes=x",
                            "stall-after-bytes=99999999999", "hangup-after", "stall"})
        EXPECT_FALSE(ParseOptions({"--fault", bad}, 0).error.empty()) << bad;
}

TEST(SimulatorOptionsTest, HelpNamesEveryOptionAndFault)
{
    const std::string help = HelpText();
    for (const char* word : {"--type", "--name", "--id", "--celsius", "--fahrenheit", "--records", "--interval",
                             "--start", "--fault-on", "--fault-times", "never-answer", "answer-after=K",
                             "bad-checksum", "wrong-length", "status0", "split", "hangup-after-identify", "hangup",
                             "hangup-after-bytes=N", "stall-after-bytes=N", "misnumbered-packets",
                             "--split-pause", "--until-stdin-closes", "TESSAVIEW_PORTS"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

// --- The program --------------------------------------------------------

class SimulatorProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        coretest::EnsureCoreApplication();
    }

    void SetUp() override
    {
        PseudoTerminal probe;
        std::string why;
        if (!probe.Open(&why))
            GTEST_SKIP() << "no pseudo-terminal here: " << why;
    }

    void TearDown() override
    {
        if (fd >= 0)
            ::close(fd);
    }

    void Start(const QStringList& args)
    {
        QString error;
        ASSERT_TRUE(sim.Start(QString::fromLocal8Bit(testpaths::simulator()), args, &error)) << error.toStdString();
        // O_NOCTTY: a hang-up must not send this process SIGHUP.
        fd = ::open(sim.device().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        struct termios raw {};
        ASSERT_EQ(::tcgetattr(fd, &raw), 0);
        cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
    }

    // Reads until length bytes came or the line is quiet for quietMs.
    Bytes Read(size_t length, int quietMs = 1000)
    {
        Bytes got;
        while (got.size() < length) {
            struct pollfd p {fd, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN))
                break;
            uint8_t buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    void Write(const Bytes& bytes) { ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    SimulatorProcess sim;
    int fd = -1;
};

TEST_F(SimulatorProgramTest, PrintsItsDeviceAnswersAndStopsOnSigterm)
{
    Start({"--records", "45"});
    EXPECT_TRUE(sim.device().startsWith(QLatin1String("/dev/")));
    Write(Request('Q'));
    EXPECT_EQ(Read(51).size(), 51u);
    Write(Request('W'));
    EXPECT_EQ(Read(2 * 21 + 45 * 8 + 2 * 5).size(), size_t(2 * 21 + 45 * 8 + 2 * 5));
    sim.Stop();
    EXPECT_FALSE(sim.running());
}

TEST_F(SimulatorProgramTest, HangsUpAfterIdentifyAndEnds)
{
    Start({"--fault", "hangup-after-identify"});
    Write(Request('Q'));
    EXPECT_EQ(Read(51).size(), 51u);
    EXPECT_TRUE(sim.WaitForExit(5000));
    struct pollfd p {fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
}

// What the program sees on the line: exactly N bytes of the stream, then the
// hang-up (or, for a stall, silence while the logger still answers).
TEST_F(SimulatorProgramTest, HangsUpAfterExactlyNStreamBytes)
{
    Start({"--records", "500", "--start", "20110309084444", "--fault", "hangup-after-bytes=3000", "--fault-on", "W"});
    Write(Request('Q'));
    EXPECT_EQ(Read(51).size(), 51u);
    Write(Request('W'));
    const Bytes got = Read(100000, 3000);
    const Bytes full = FullStream();
    EXPECT_EQ(got, Bytes(full.begin(), full.begin() + 3000));
    struct pollfd p {fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 3000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    EXPECT_TRUE(sim.WaitForExit(5000));
}

TEST_F(SimulatorProgramTest, StallsAfterNStreamBytesAndStaysOnTheLine)
{
    Start({"--records", "500", "--start", "20110309084444", "--fault", "stall-after-bytes=1000", "--fault-on", "W"});
    Write(Request('W'));
    const Bytes got = Read(100000, 1000);
    const Bytes full = FullStream();
    EXPECT_EQ(got, Bytes(full.begin(), full.begin() + 1000));
    EXPECT_TRUE(sim.running());
    Write(Request('S', SimId));
    EXPECT_EQ(Read(76).size(), 76u) << "the logger still answers";
}

TEST_F(SimulatorProgramTest, HangsUpOnTheGivenRequest)
{
    Start({"--fault", "hangup", "--fault-on", "S"});
    Write(Request('Q'));
    EXPECT_EQ(Read(51).size(), 51u);
    Write(Request('S', SimId));
    struct pollfd p {fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 3000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    EXPECT_TRUE(Read(1, 100).empty()) << "no answer before the hang-up";
    EXPECT_TRUE(sim.WaitForExit(5000));
}

TEST_F(SimulatorProgramTest, EndsWhenItsInputClosesIfAsked)
{
    Start({"--until-stdin-closes"});
    Write(Request('Q'));
    EXPECT_EQ(Read(51).size(), 51u) << "still running while its input is open";
    sim.CloseInput();
    EXPECT_TRUE(sim.WaitForExit(5000));
}

}  // namespace
