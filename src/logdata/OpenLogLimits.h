// The alarm limits of the open log's logger, as the chart, the record list
// and the summary show them.
#pragma once

#include "logdata/LogAnalysis.h"

#include <QByteArray>

class LogStore;

// Reads the limits of the store's logger from the per-user settings once and
// keeps them until the store holds another logger's log or Reload() is
// called (after the limits of a logger were saved).
class OpenLogLimits {
public:
    explicit OpenLogLimits(const LogStore& store) : store_(store) {}
    OpenLogLimits(const OpenLogLimits&) = delete;
    OpenLogLimits& operator=(const OpenLogLimits&) = delete;

    const LogLimits& get() const;
    // The settings changed: the next get() reads them again.
    void Reload() { loaded_ = false; }
    // The logger whose limits these are: the store's 10-character identity.
    QByteArray loggerId() const;

private:
    const LogStore& store_;
    mutable bool loaded_ = false;
    mutable QByteArray loadedFor_;
    mutable LogLimits limits_;
};

// Whether two sets of limits are the same, side by side.
bool SameLimits(const LogLimits& a, const LogLimits& b);
