// The logger type table, the kind table and the unit texts of a log.
#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int Same = -99;  // the row leaves this channel's kind unchanged

TEST(UnitsTest, TypeTableRows)
{
    const struct {
        int type;
        int channels;
        int kinds[3];
        const char* name;
    } rows[] = {
        {1, 2, {0, 1, Same}, "Temperature and Humidity Logger"},
        {2, 1, {0, Same, Same}, "Temperature Logger"},
        {3, 2, {0, 0, Same}, "Dual-Temperature Logger"},
        {4, 1, {2, Same, Same}, "Logger"},
        {5, 2, {2, 0, Same}, "Logger"},
        {6, 3, {0, 0, 6}, "Logger"},
        {7, 2, {0, 6, Same}, "Logger"},
        {8, 3, {0, 1, 7}, "Logger"},
        {9, 2, {3, 0, 1}, "Logger"},  // two channels, yet the row sets the third kind too
        {10, 1, {7, Same, Same}, "Logger"},
        {0, 3, {0, 1, 8}, "Logger"},
        {11, 3, {0, 1, 8}, "Logger"},
        {200, 3, {0, 1, 8}, "Logger"},
        {255, 3, {0, 1, 8}, "Logger"},
    };
    for (const auto& k : rows) {
        const LoggerTypeRow row = LookupLoggerType(uint8_t(k.type));
        EXPECT_EQ(row.channelCount, k.channels) << "type " << k.type;
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(row.setsKind[c], k.kinds[c] != Same) << "type " << k.type << " channel " << c + 1;
            if (k.kinds[c] != Same) {
                EXPECT_EQ(row.kind[c], k.kinds[c]) << "type " << k.type << " channel " << c + 1;
            }
        }
        EXPECT_STREQ(TypeName(uint8_t(k.type)), k.name) << "type " << k.type;
    }
}

TEST(UnitsTest, KindTable)
{
    const struct {
        int kind;
        uint8_t celsius;
        const char* text;
    } cases[] = {
        {0, 1, "C"},   {0, 0, "F"},   {0, 0x80, "C"},  {1, 0, "%RH"}, {2, 1, "PPM"},
        {3, 1, "mBar"}, {4, 1, "Lux"}, {5, 1, "UN"},   {6, 0, "I/O"}, {7, 1, "UN"},
        {8, 1, "Dew Point(C)"},        {8, 0, "Dew Point(F)"},         {9, 1, "UN"},
        {-1, 1, "UN"}, {-128, 0, "UN"}, {127, 1, "UN"},
    };
    for (const auto& k : cases)
        EXPECT_EQ(UnitText(int8_t(k.kind), k.celsius), k.text) << "kind " << k.kind << " celsius " << int(k.celsius);
}

TEST(UnitsTest, SetUnitTextsSetsAllThreeWhateverTheChannelCount)
{
    LogStore store;
    store.channelCount = 1;
    store.celsius = 0;
    store.channelKind[0] = 0;
    store.channelKind[1] = 8;
    store.channelKind[2] = -5;
    SetUnitTexts(store);
    EXPECT_EQ(store.unitText[0], "F");
    EXPECT_EQ(store.unitText[1], "Dew Point(F)");
    EXPECT_EQ(store.unitText[2], "UN");
}

}  // namespace
