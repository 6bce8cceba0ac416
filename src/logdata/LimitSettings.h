// Alarm limits per logger, kept in the per-user settings of the program.
#pragma once

#include "logdata/LogAnalysis.h"

#include <QByteArray>

// The per-user settings the limits live in: the same organisation and
// application names as the program's other per-user settings.
inline constexpr const char* LimitSettingsOrganization = "Local AppWizard-Generated Applications";
inline constexpr const char* LimitSettingsApplication = "VORNA Logger";

// userSet: the user chose these limits (then thresholds from a connected
// logger do not override them). A logger never seen gives no limits and
// userSet false. A stored side that is not a finite number is left unset.
LogLimits LoadLimits(const QByteArray& loggerId, bool* userSet = nullptr);
// Replaces the logger's stored limits; a logger with no side set and userSet
// false leaves no entry behind.
void SaveLimits(const QByteArray& loggerId, const LogLimits& limits, bool userSet);
