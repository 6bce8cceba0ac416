// Small builders of store contents for tests.
#pragma once

#include "logdata/LogStore.h"

#include <functional>
#include <initializer_list>
#include <string>

namespace fixtures {

// Sets identity and counts and fills n records: record i is stamped
// start + i × stepSeconds, and channel c gets valueOf(c, i).
void FillStore(LogStore& store, uint32_t channels, uint32_t n,
               const std::function<float(int channel, uint32_t index)>& valueOf,
               const char* name = "ROOM", const char* id = "0123456789",
               const char* start = "20110308140530", int stepSeconds = 60);

// One channel with the given values, stamped a minute apart.
void FillValues(LogStore& store, std::initializer_list<float> channel1);

// Writes a 14-character stamp into record i.
void SetStamp(LogStore& store, uint32_t i, const std::string& stamp14);

}  // namespace fixtures
