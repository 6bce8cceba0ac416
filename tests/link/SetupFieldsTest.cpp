// The one table of setup fields: captions and order, shown texts, and the
// rules that accept or refuse an edit.
#include "link/SetupFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

TEST(SetupFieldsTest, CaptionsKeysAndOrder)
{
    struct Row {
        int id;
        const char* key;
        const char* category;
        const char* caption;
        SetupEditor editor;
    };
    using E = SetupEditor;
    const Row expected[] = {
        {106, "name", "Configuration", "1. Name", E::Text},
        {107, nullptr, "Configuration", "2. Type.", E::ReadOnly},
        {108, nullptr, "Configuration", "3. Model", E::ReadOnly},
        {109, "id", "Configuration", "4. Serial No.", E::Text},
        {114, "interval", "Configuration", "5. LOG Interval(s)", E::Integer},
        {121, nullptr, "Configuration", "6. Log Count", E::ReadOnly},
        {122, nullptr, "Configuration", "7. Memory Capacity", E::ReadOnly},
        {5, "unit", "Configuration", "8. Temperature Unit", E::List},
        {105, "startmode", "Start Mode", "1. Start Mode", E::List},
        {110, "delay", "Start Mode", "2. Delay/Timer", E::Text},
        {101, "high1", "Threshold", "1. Ch1 High", E::Text},
        {103, "low1", "Threshold", "2. Ch1 Low", E::Text},
        {102, "high2", "Threshold", "3. Ch2 High", E::Text},
        {104, "low2", "Threshold", "4. Ch2 Low", E::Text},
        {2, "offset1", "Offset", "1. CH1 Offset", E::Text},
        {3, "offset2", "Offset", "2. CH2 Offset", E::Text},
        {4, "offset3", "Offset", "3. CH3 Offset", E::Text},
    };
    const auto& fields = SetupFields();
    ASSERT_EQ(fields.size(), std::size(expected));
    for (size_t i = 0; i < fields.size(); ++i) {
        const SetupField& f = fields[i];
        const Row& r = expected[i];
        EXPECT_EQ(f.id, r.id) << r.caption;
        EXPECT_STREQ(f.caption, r.caption);
        EXPECT_STREQ(f.category, r.category) << r.caption;
        EXPECT_EQ(f.editor, r.editor) << r.caption;
        EXPECT_EQ(f.key == nullptr, r.key == nullptr) << r.caption;
        if (r.key) {
            EXPECT_STREQ(f.key, r.key);
            EXPECT_EQ(FindSetupFieldByKey(QString::fromLatin1(r.key).toUpper()), &f) << "keys ignore case";
            EXPECT_NE(f.apply, nullptr) << r.caption;
        } else {
            EXPECT_EQ(f.apply, nullptr) << r.caption;
        }
        EXPECT_EQ(FindSetupField(r.id), &f);
    }
    EXPECT_EQ(FindSetupFieldByKey(QStringLiteral("colour")), nullptr);
    EXPECT_EQ(FindSetupField(999), nullptr);
}

TEST(SetupFieldsTest, ShownTexts)
{
    LoggerConfig c;
    std::strcpy(c.loggerName, "COLD ROOM 1");
    std::memcpy(c.loggerId, "0123456789", 10);
    std::memcpy(c.model, "TH2006", 6);
    c.loggerType = 1;
    c.logInterval = 0xFFFFFFFFu;  // shown as "%d" shows it
    c.logCount = 1234;
    c.memoryCapacity = 43690;
    c.celsius = 0;
    c.startMode = 7;
    c.startDelay = -5;
    c.alarmHigh1 = int8_t(200);
    c.alarmLow1 = -128;
    c.channelOffset[0] = 2.37f;
    const std::pair<int, const char*> shown[] = {
        {setupitem::Name, "COLD ROOM 1"},
        {setupitem::Type, "Temperature and Humidity Logger"},
        {setupitem::Model, "TH2006"},
        {setupitem::Serial, "0123456789"},
        {setupitem::Interval, "-1"},
        {setupitem::LogCount, "1234"},
        {setupitem::Capacity, "43690"},
        {setupitem::Unit, "F"},
        {setupitem::StartMode, "7"},  // no name of its own: its number
        {setupitem::Delay, "-5"},
        {setupitem::Ch1High, "-56"},
        {setupitem::Ch1Low, "-128"},
        {setupitem::Offset1, "2.4"},
        {setupitem::Offset2, "0.0"},
    };
    for (const auto& [id, text] : shown)
        EXPECT_EQ(FindSetupField(id)->shownText(c), text) << id;
}

bool SameBlock(const LoggerConfig& a, const LoggerConfig& b)
{
    return std::memcmp(a.loggerId, b.loggerId, 10) == 0 && std::memcmp(a.loggerName, b.loggerName, 25) == 0
           && a.logInterval == b.logInterval && a.celsius == b.celsius && a.alarmHigh1 == b.alarmHigh1
           && a.alarmLow1 == b.alarmLow1 && a.alarmHigh2 == b.alarmHigh2 && a.alarmLow2 == b.alarmLow2
           && a.startMode == b.startMode && a.startDelay == b.startDelay
           && std::memcmp(a.channelOffset, b.channelOffset, sizeof a.channelOffset) == 0;
}

struct EditCase {
    const char* key;
    const char* text;
    bool ok;
    // For an accepted edit: the field's new value; for a refused one, the
    // message's expected text (the field keeps its value).
    std::function<void(const LoggerConfig&)> check;
    const char* message;
};

void PrintTo(const EditCase& k, std::ostream* out) { *out << k.key << "=" << k.text; }

class SetupFieldEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(SetupFieldEditTest, AcceptsWhatFitsAndRefusesTheRest)
{
    const EditCase& k = GetParam();
    LoggerConfig c;
    std::memcpy(c.loggerId, "0123456789", 10);
    c.alarmHigh1 = 11;
    c.alarmLow1 = 12;
    c.alarmHigh2 = 13;
    c.alarmLow2 = 14;
    c.channelOffset[0] = 0.5f;
    c.channelOffset[2] = -0.5f;
    c.logInterval = 60;
    c.startDelay = 9;
    c.startMode = 1;
    c.celsius = 1;
    const LoggerConfig before = c;

    const SetupField* field = FindSetupFieldByKey(QString::fromLatin1(k.key));
    ASSERT_NE(field, nullptr);
    const SetupEditResult r = field->apply(c, QString::fromLatin1(k.text));
    EXPECT_EQ(r.ok, k.ok) << r.message.toStdString();
    if (k.ok) {
        EXPECT_TRUE(r.message.isEmpty());
        k.check(c);
    } else {
        EXPECT_EQ(r.message.toStdString(), k.message);
        EXPECT_TRUE(SameBlock(c, before)) << "a refused edit changes nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SetupFieldEditTest,
    ::testing::Values(
        EditCase{"high1", "127", true, [](const LoggerConfig& c) { EXPECT_EQ(c.alarmHigh1, 127); }, nullptr},
        EditCase{"low1", "-128", true, [](const LoggerConfig& c) { EXPECT_EQ(c.alarmLow1, -128); }, nullptr},
        EditCase{"high2", "  -12abc", true, [](const LoggerConfig& c) { EXPECT_EQ(c.alarmHigh2, -12); }, nullptr},
        EditCase{"high1", "300", false, nullptr, "Ch1 High must be a whole number from -128 to 127; \"300\" was not taken."},
        EditCase{"high1", "128", false, nullptr, "Ch1 High must be a whole number from -128 to 127; \"128\" was not taken."},
        EditCase{"low2", "-129", false, nullptr, "Ch2 Low must be a whole number from -128 to 127; \"-129\" was not taken."},
        EditCase{"low1", "low", false, nullptr, "Ch1 Low must be a whole number from -128 to 127; \"low\" was not taken."},
        EditCase{"high2", "99999999999999999999", false, nullptr,
                 "Ch2 High must be a whole number from -128 to 127; \"99999999999999999999\" was not taken."},
        EditCase{"offset1", "-1.25", true, [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[0], -1.25f); },
                 nullptr},
        EditCase{"offset2", " 2.37C", true, [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[1], 2.37f); },
                 nullptr},
        EditCase{"offset3", "3276.7", true, [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[2], 3276.7f); },
                 nullptr},
        EditCase{"offset3", "-3276.8", true,
                 [](const LoggerConfig& c) { EXPECT_FLOAT_EQ(c.channelOffset[2], -3276.8f); }, nullptr},
        EditCase{"offset1", "3276.8", false, nullptr,
                 "CH1 Offset must be a number from -3276.8 to 3276.7; \"3276.8\" was not taken."},
        EditCase{"offset1", "-3277", false, nullptr,
                 "CH1 Offset must be a number from -3276.8 to 3276.7; \"-3277\" was not taken."},
        EditCase{"offset1", "1e39", false, nullptr,
                 "CH1 Offset must be a number from -3276.8 to 3276.7; \"1e39\" was not taken."},
        EditCase{"offset3", "1e999", false, nullptr,
                 "CH3 Offset must be a number from -3276.8 to 3276.7; \"1e999\" was not taken."},
        EditCase{"offset2", "inf", false, nullptr,
                 "CH2 Offset must be a number from -3276.8 to 3276.7; \"inf\" was not taken."},
        EditCase{"offset2", "nan", false, nullptr,
                 "CH2 Offset must be a number from -3276.8 to 3276.7; \"nan\" was not taken."},
        EditCase{"interval", "600", true, [](const LoggerConfig& c) { EXPECT_EQ(c.logInterval, 600u); }, nullptr},
        EditCase{"interval", "1", true, [](const LoggerConfig& c) { EXPECT_EQ(c.logInterval, 1u); }, nullptr},
        EditCase{"interval", "2147483647", true,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.logInterval, 2147483647u); }, nullptr},
        EditCase{"interval", "-5", false, nullptr,
                 "LOG Interval(s) must be a whole number from 0 to 2147483647; \"-5\" was not taken."},
        EditCase{"interval", "2147483648", false, nullptr,
                 "LOG Interval(s) must be a whole number from 0 to 2147483647; \"2147483648\" was not taken."},
        EditCase{"delay", "  3600s", true, [](const LoggerConfig& c) { EXPECT_EQ(c.startDelay, 3600); }, nullptr},
        EditCase{"delay", "-2147483648", true, [](const LoggerConfig& c) { EXPECT_EQ(c.startDelay, INT32_MIN); },
                 nullptr},
        EditCase{"delay", "2147483648", false, nullptr,
                 "Delay/Timer must be a whole number from -2147483648 to 2147483647; \"2147483648\" was not taken."},
        EditCase{"delay", "soon", false, nullptr,
                 "Delay/Timer must be a whole number from -2147483648 to 2147483647; \"soon\" was not taken."},
        EditCase{"unit", "F", true, [](const LoggerConfig& c) { EXPECT_EQ(c.celsius, 0); }, nullptr},
        EditCase{"unit", "f", true, [](const LoggerConfig& c) { EXPECT_EQ(c.celsius, 0); }, nullptr},
        EditCase{"unit", "K", false, nullptr, "Temperature Unit must be F or C; \"K\" was not taken."},
        EditCase{"startmode", "timer", true, [](const LoggerConfig& c) { EXPECT_EQ(c.startMode, 2); }, nullptr},
        EditCase{"startmode", "No delay", true, [](const LoggerConfig& c) { EXPECT_EQ(c.startMode, 0); }, nullptr},
        EditCase{"startmode", "3", false, nullptr,
                 "Start Mode must be No delay, Delay or Timer; \"3\" was not taken."},
        EditCase{"name", "ABCDEFGHIJKLMNOPQRST", true,
                 [](const LoggerConfig& c) { EXPECT_EQ(c.loggerNameText(), "ABCDEFGHIJKLMNOP"); }, nullptr},
        EditCase{"id", "SN1234567890", true,
                 [](const LoggerConfig& c) { EXPECT_EQ(std::string(c.loggerId, 10), "SN12345678"); }, nullptr},
        EditCase{"id", "123456789", false, nullptr,
                 "Failed to synchronize configuration to the logger: The SN must includes 10 characters."}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return "case" + std::to_string(info.index); });

}  // namespace
