// Tables of logger types and channel kinds.
#include "logdata/Units.h"

#include "logdata/LogStore.h"

LoggerTypeRow LookupLoggerType(uint8_t type)
{
    constexpr bool Y = true, N = false;
    switch (type) {
    case 1: return {2, {0, 1, 0}, {Y, Y, N}, "Temperature and Humidity Logger"};
    case 2: return {1, {0, 0, 0}, {Y, N, N}, "Temperature Logger"};
    case 3: return {2, {0, 0, 0}, {Y, Y, N}, "Dual-Temperature Logger"};
    case 4: return {1, {2, 0, 0}, {Y, N, N}, "Logger"};
    case 5: return {2, {2, 0, 0}, {Y, Y, N}, "Logger"};
    case 6: return {3, {0, 0, 6}, {Y, Y, Y}, "Logger"};
    case 7: return {2, {0, 6, 0}, {Y, Y, N}, "Logger"};
    case 8: return {3, {0, 1, 7}, {Y, Y, Y}, "Logger"};
    case 9: return {2, {3, 0, 1}, {Y, Y, Y}, "Logger"};
    case 10: return {1, {7, 0, 0}, {Y, N, N}, "Logger"};
    default: return {3, {0, 1, 8}, {Y, Y, Y}, "Logger"};
    }
}

std::string UnitText(int8_t kind, uint8_t celsius)
{
    switch (kind) {
    case 0: return celsius ? "C" : "F";
    case 1: return "%RH";
    case 2: return "PPM";
    case 3: return "mBar";
    case 4: return "Lux";
    case 6: return "I/O";
    case 8: return celsius ? "Dew Point(C)" : "Dew Point(F)";
    default: return "UN";  // 5, 7 and every unknown code
    }
}

void SetUnitTexts(LogStore& store)
{
    for (int c = 0; c < 3; ++c)
        store.unitText[c] = UnitText(store.channelKind[c], store.celsius);
}

const char* TypeName(uint8_t type)
{
    return LookupLoggerType(type).name;
}
