// The exit status of a logger command, decided from how the link says the
// exchange or the download ended, never from the text shown.
#pragma once

#include "link/LinkOutcome.h"

// ExitOk for an exchange that succeeded, ExitFailure otherwise.
int ExitCodeFor(const ExchangeOutcome& outcome);

// ExitOk when every record the logger announced is in a file saved under its
// own name, or the logger held none; ExitFailure for a partial download, a
// log not saved or saved under a stand-in name, and a download that took
// nothing or never started.
int ExitCodeFor(const DownloadOutcome& outcome);
