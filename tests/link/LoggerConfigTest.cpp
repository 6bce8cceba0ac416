// The setup block: answers taken in, the write request, the pane's conversions.
#include "link/Frames.h"
#include "link/LoggerConfig.h"
#include "support/FakeLink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using fakelink::Bytes;

std::string idOf(const LoggerConfig& c) { return std::string(c.loggerId, 10); }

TEST(LoggerConfigTest, IdentifyAnswerFillsIdentityNameUnitAndAlarms)
{
    fakelink::IdentifyFields f;
    f.id = "AB12345678";
    f.type = 8;
    f.name = std::string(24, 'N');  // a full name still gets its terminator
    f.celsius = 0;
    f.high1 = -5;
    f.low2 = 120;
    LoggerConfig c;
    std::memset(c.loggerName, 'x', sizeof c.loggerName);
    const Bytes frame = fakelink::IdentifyAnswer(f);
    c.TakeIdentifyAnswer(frame.data());
    EXPECT_EQ(idOf(c), "AB12345678");
    EXPECT_EQ(c.loggerType, 8);
    EXPECT_EQ(c.loggerNameText(), QString(24, 'N'));
    EXPECT_EQ(c.loggerName[24], 0);
    EXPECT_EQ(c.celsius, 0);
    EXPECT_EQ(c.alarmHigh1, -5);
    EXPECT_EQ(c.alarmLow1, -10);
    EXPECT_EQ(c.alarmHigh2, 80);
    EXPECT_EQ(c.alarmLow2, 120);
}

TEST(LoggerConfigTest, SetupAnswerFillsTheBlockButNotAlarmsOrChannels)
{
    LoggerConfig c;
    c.alarmHigh1 = 33;
    c.alarmLow2 = -7;
    c.channelCount = 2;
    c.channelKind[1] = 1;
    fakelink::SetupFields f;
    f.offsetTenths[0] = -10;   // bytes F6 FF
    f.offsetTenths[1] = 7;
    f.offsetTenths[2] = -3;
    f.interval = 300;
    f.count = 1234;
    f.startMode = 2;
    f.startDelay = -90;
    f.celsius = 0;
    const Bytes frame = fakelink::SetupAnswer(f);
    c.TakeSetupAnswer(frame.data());
    EXPECT_EQ(idOf(c), "TV00012345");
    EXPECT_EQ(c.loggerNameText(), "ROOM");
    EXPECT_EQ(c.modelText(), "TH-200");
    EXPECT_EQ(c.logInterval, 300u);
    EXPECT_EQ(c.logCount, 1234u);
    EXPECT_FLOAT_EQ(c.channelOffset[0], -1.0f);
    EXPECT_FLOAT_EQ(c.channelOffset[1], 0.7f);
    EXPECT_FLOAT_EQ(c.channelOffset[2], -0.3f);
    EXPECT_EQ(c.celsius, 0);
    EXPECT_EQ(c.startMode, 2);
    EXPECT_EQ(c.startDelay, -90);
    EXPECT_EQ(c.alarmHigh1, 33);
    EXPECT_EQ(c.alarmLow2, -7);
    EXPECT_EQ(c.channelCount, 2);
    EXPECT_EQ(c.channelKind[1], 1);
}

TEST(LoggerConfigTest, MemoryCapacityDependsOnTheType)
{
    for (auto [type, capacity] : {std::pair{1, 43690}, std::pair{13, 32768}, std::pair{2, 43690}}) {
        fakelink::SetupFields f;
        f.type = uint8_t(type);
        f.memorySize = 262144;
        LoggerConfig c;
        c.TakeSetupAnswer(fakelink::SetupAnswer(f).data());
        EXPECT_EQ(c.memoryCapacity, capacity) << "type " << type;
        EXPECT_EQ(c.loggerType, type);
    }
}

TEST(LoggerConfigTest, WriteRequestLaysOutTheBlock)
{
    LoggerConfig c;
    std::memcpy(c.loggerId, "TV00012345", 10);
    c.SetLoggerName("FREEZER 2");
    c.logInterval = 43201;  // sent unchanged above the pane's range
    c.channelOffset[0] = 0.7f;
    c.channelOffset[1] = -0.15f;
    c.channelOffset[2] = 2.37f;
    c.celsius = 1;
    c.alarmHigh1 = 30;
    c.alarmLow1 = -20;
    c.alarmHigh2 = 90;
    c.alarmLow2 = 10;
    c.startMode = 1;
    c.startDelay = 3600;
    uint8_t tx[FrameAreaSize];
    ASSERT_EQ(c.BuildWriteRequest(tx), 65);
    const Bytes f(tx, tx + 65);
    EXPECT_EQ(std::string(f.begin() + 4, f.begin() + 14), "TV00012345");
    EXPECT_EQ(f[14], 'U');
    EXPECT_EQ(f[15], 0x01);
    EXPECT_EQ(std::string(f.begin() + 16, f.begin() + 25), "FREEZER 2");
    EXPECT_EQ(f[25], 0);
    EXPECT_EQ(Bytes(f.begin() + 40, f.begin() + 44), (Bytes{0xC1, 0xA8, 0x00, 0x00}));
    // Offsets in tenths, truncated from single precision: 0.7 → 6, −0.15 → −1, 2.37 → 23.
    EXPECT_EQ(Bytes(f.begin() + 44, f.begin() + 50), (Bytes{0x06, 0x00, 0xFF, 0xFF, 0x17, 0x00}));
    EXPECT_EQ(Bytes(f.begin() + 50, f.begin() + 56), (Bytes{1, 30, uint8_t(-20), 90, 10, 1}));
    EXPECT_EQ(Bytes(f.begin() + 56, f.begin() + 60), (Bytes{0x10, 0x0E, 0x00, 0x00}));
    EXPECT_EQ(f[60], FrameChecksum(tx, 4, 59));
    EXPECT_EQ(Bytes(f.begin() + 61, f.end()), (Bytes{0x29, 0x7D, 0x7E, 0x04}));
}

TEST(LoggerConfigTest, OffsetsBeyondTheFieldKeepTheirLowSixteenBits)
{
    LoggerConfig c;
    c.channelOffset[0] = 3276.8f;      // 32768 tenths
    c.channelOffset[1] = 1.0e20f;      // far beyond any integer: clamped, never undefined
    uint8_t tx[FrameAreaSize];
    c.BuildWriteRequest(tx);
    EXPECT_EQ(tx[44], 0x00);
    EXPECT_EQ(tx[45], 0x80);
    EXPECT_EQ(tx[46], 0xFF);
    EXPECT_EQ(tx[47], 0xFF);
}

TEST(LoggerConfigTest, NameKeepsTheFirstSixteenCharactersAndClearsTheRest)
{
    LoggerConfig c;
    std::memset(c.loggerName, 'x', sizeof c.loggerName);
    c.SetLoggerName("ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(c.loggerNameText(), "ABCDEFGHIJKLMNOP");
    for (int i = 16; i < 25; ++i)
        EXPECT_EQ(c.loggerName[i], 0) << i;
}

TEST(LoggerConfigTest, SerialNumberNeedsTenCharacters)
{
    LoggerConfig c;
    EXPECT_TRUE(c.SetLoggerId("AB12345678XYZ"));
    EXPECT_EQ(idOf(c), "AB12345678");
    EXPECT_EQ(c.loggerIdText(), "AB12345678");
    // A short one is refused and the identity stays, so that a write never
    // sends ten zero bytes.
    EXPECT_FALSE(c.SetLoggerId("123456789"));
    EXPECT_EQ(idOf(c), "AB12345678");
}

TEST(LoggerConfigTest, ForgetSetupClearsWhatOnlyTheReadBringsAndKeepsTheIdentify)
{
    fakelink::IdentifyFields f;
    f.id = "AB12345678";
    LoggerConfig c;
    const Bytes identify = fakelink::IdentifyAnswer(f);
    c.TakeIdentifyAnswer(identify.data());
    ApplyLoggerType(c, c.loggerType);
    EXPECT_FALSE(c.setupRead);
    const Bytes setup = fakelink::SetupAnswer({});
    c.TakeSetupAnswer(setup.data());
    EXPECT_TRUE(c.setupRead);
    c.channelOffset[1] = 1.5f;
    c.logInterval = 600;
    c.startMode = 2;
    c.startDelay = 30;
    std::memcpy(c.model, "TH2006", 6);
    c.logCount = 7;
    c.memoryCapacity = 100;
    const LoggerConfig before = c;

    c.ForgetSetup();
    EXPECT_FALSE(c.setupRead);
    EXPECT_EQ(c.logInterval, 0u);
    EXPECT_EQ(c.logCount, 0u);
    EXPECT_EQ(c.memoryCapacity, 0);
    EXPECT_EQ(c.modelText(), "");
    for (float offset : c.channelOffset)
        EXPECT_EQ(offset, 0.0f);
    EXPECT_EQ(c.startMode, 0);
    EXPECT_EQ(c.startDelay, 0);
    // What the identify answer fills stays.
    EXPECT_EQ(idOf(c), idOf(before));
    EXPECT_EQ(c.loggerNameText(), before.loggerNameText());
    EXPECT_EQ(c.loggerType, before.loggerType);
    EXPECT_EQ(c.celsius, before.celsius);
    EXPECT_EQ(c.alarmHigh1, before.alarmHigh1);
    EXPECT_EQ(c.alarmLow2, before.alarmLow2);
    EXPECT_EQ(c.channelCount, before.channelCount);
}

struct IntegerCase {
    const char* text;
    int8_t alarm;      // kept in 8 bits
    int32_t delay;
};

TEST(LoggerConfigTest, IntegerFieldsReadTheLeadingNumber)
{
    const IntegerCase cases[] = {
        {"25", 25, 25},
        {"300", 44, 300},
        {"200", -56, 200},
        {"-128", -128, -128},
        {"  -12abc", -12, -12},
        {"+7", 7, 7},
        {"abc", 0, 0},
        {"", 0, 0},
        {"- 5", 0, 0},
        {"99999999999999999999", -1, INT32_MAX},
    };
    for (const IntegerCase& k : cases) {
        LoggerConfig c;
        c.SetAlarmHigh1(k.text);
        c.SetAlarmLow1(k.text);
        c.SetAlarmHigh2(k.text);
        c.SetAlarmLow2(k.text);
        c.SetStartDelay(k.text);
        EXPECT_EQ(c.alarmHigh1, k.alarm) << k.text;
        EXPECT_EQ(c.alarmLow1, k.alarm) << k.text;
        EXPECT_EQ(c.alarmHigh2, k.alarm) << k.text;
        EXPECT_EQ(c.alarmLow2, k.alarm) << k.text;
        EXPECT_EQ(c.startDelay, k.delay) << k.text;
    }
}

TEST(LoggerConfigTest, OffsetsReadTheLeadingDecimalNumber)
{
    const std::pair<const char*, float> cases[] = {
        {"0.7", 0.7f}, {"-0.15", -0.15f}, {" 2.37C", 2.37f}, {"-.5", -0.5f}, {"+1e1", 10.0f},
        {"abc", 0.0f}, {"", 0.0f}, {"inf", 0.0f}, {"nan", 0.0f}, {"1,5", 1.0f},
    };
    for (auto [text, expected] : cases) {
        LoggerConfig c;
        c.channelOffset[2] = 9.0f;
        c.SetChannelOffset(2, text);
        EXPECT_FLOAT_EQ(c.channelOffset[2], expected) << text;
    }
    LoggerConfig c;
    c.SetChannelOffset(3, "5");  // no fourth channel: nothing is written
    c.SetChannelOffset(-1, "5");
    EXPECT_FLOAT_EQ(c.channelOffset[0] + c.channelOffset[1] + c.channelOffset[2], 0.0f);
}

TEST(LoggerConfigTest, UnitAndStartModeTexts)
{
    LoggerConfig c;
    const std::pair<const char*, uint8_t> units[] = {{"F", 0}, {"C", 1}, {"f", 1}, {"", 1}};
    for (auto [text, celsius] : units) {
        c.SetCelsius(text);
        EXPECT_EQ(c.celsius, celsius) << text;
        EXPECT_EQ(c.celsiusText(), celsius ? "C" : "F");
    }
    const std::pair<const char*, uint8_t> modes[] = {{"No delay", 0}, {"Delay", 1}, {"Timer", 2}, {"delay", 0}, {"", 0}};
    for (auto [text, mode] : modes) {
        c.startMode = 9;
        c.SetStartMode(text);
        EXPECT_EQ(c.startMode, mode) << text;
    }
    c.startMode = 1;
    EXPECT_EQ(c.startModeText(), "Delay");
    c.startMode = 2;
    EXPECT_EQ(c.startModeText(), "Timer");
    c.startMode = 7;
    EXPECT_EQ(c.startModeText(), "No delay");
}

TEST(LoggerConfigTest, OffsetTextHasOneDecimalPlace)
{
    EXPECT_EQ(LoggerConfig::offsetText(-1.0f), "-1.0");
    EXPECT_EQ(LoggerConfig::offsetText(0.7f), "0.7");
    EXPECT_EQ(LoggerConfig::offsetText(12.34f), "12.3");
}

}  // namespace
