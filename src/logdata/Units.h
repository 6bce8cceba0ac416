// Logger types, channel kinds and the unit texts that follow from them.
#pragma once

#include <cstdint>
#include <string>

class LogStore;

// One row of the logger type table. setsKind[c] is false where the row leaves
// the kind of channel c + 1 unchanged.
struct LoggerTypeRow {
    int channelCount;
    int8_t kind[3];
    bool setsKind[3];
    const char* name;
};

LoggerTypeRow LookupLoggerType(uint8_t type);

// Unit text of a channel kind; kinds 0 and 8 follow the temperature unit.
std::string UnitText(int8_t kind, uint8_t celsius);

// Sets all three unit texts of the store from its kinds and temperature unit.
void SetUnitTexts(LogStore& store);

// Name of a logger type as the setup pane shows it.
const char* TypeName(uint8_t type);
