// The texts written on the chart, from the store's fields.
#pragma once

#include <QString>

#include <cstdint>

class LogStore;

// Every text is made with the same printf formats the reports have always used.
// A text made from raw characters ends at the first zero byte, as a
// zero-terminated string would.
namespace charttext {

// "<name> Analysis Report (<10-character identity>)".
QString Title(const LogStore& store);
// Header row 0: record count, channel count, first and last time stamp.
QString Summary(const LogStore& store);
// Header row of channel 1, 2 or 3 with its unit, MAX, MIN and AVE.
QString ChannelRow(const LogStore& store, int channel);
// Left axis title, naming channel 3 first when three channels are drawn.
QString LeftAxisTitle(const LogStore& store);
QString RightAxisTitle(const LogStore& store);
// "hh:mm" and "YYYY/MM/DD" from a 14-character time stamp.
QString TimeLabel(const char* stamp);
QString DateLabel(const char* stamp);
// A value-axis label.
QString ValueLabel(int64_t value);

}  // namespace charttext
