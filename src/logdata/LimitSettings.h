// Alarm limits per logger, kept in the per-user settings of the program.
#pragma once

#include "logdata/LogAnalysis.h"

#include <QByteArray>

// userSet: the user chose these limits (then thresholds from a connected
// logger do not override them).
LogLimits LoadLimits(const QByteArray& loggerId, bool* userSet = nullptr);
void SaveLimits(const QByteArray& loggerId, const LogLimits& limits, bool userSet);
