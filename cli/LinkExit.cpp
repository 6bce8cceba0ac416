// Exit status of the logger commands from the link's outcomes.
#include "LinkExit.h"

#include "CliCommon.h"

int ExitCodeFor(const ExchangeOutcome& outcome)
{
    return outcome.ok() ? ExitOk : ExitFailure;
}

int ExitCodeFor(const DownloadOutcome& outcome)
{
    if (!outcome.complete())
        return ExitFailure;
    if (outcome.records == 0)
        return ExitOk;
    return outcome.save == DownloadOutcome::Save::Saved ? ExitOk : ExitFailure;
}
