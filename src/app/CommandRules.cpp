// The enabling rules of the commands.
#include "app/CommandRules.h"

#include "app/Commands.h"

bool CommandRules::IsEnabled(int id, const CommandState& s)
{
    const bool hasRecords = s.recordCount > 0;
    if (s.pausing && IsLoggerCommand(id))
        return false;
    switch (id) {
    case cmd::SaveExcel:
    case cmd::SaveTxt:
    case cmd::SaveBmp:
    case cmd::SavePdf:
    case cmd::SaveCsv:
    case cmd::DataList:
    case cmd::Summary:
    case cmd::AlarmLimits:
    case cmd::Query:
    case cmd::OriginalView:
        return hasRecords;
    case cmd::RecentFile:
        return s.recentHasFile;
    case cmd::Connect:
        return !s.connected;
    case cmd::Disconnect:
    case cmd::DeleteAll:
        return s.connected;
    case cmd::Setup:
        return s.connected && s.activeCommand == 0;
    case cmd::Download:
        // A running download may be restarted; an erase awaiting its answer may not be overtaken.
        return s.connected && s.activeCommand != 'Z';
    default:
        return true;
    }
}

bool CommandRules::IsLoggerCommand(int id)
{
    return id == cmd::Connect || id == cmd::Disconnect || id == cmd::Setup || id == cmd::Download
           || id == cmd::DeleteAll;
}

QString CommandRules::ConnectionText(const CommandState& s)
{
    return s.connected ? QStringLiteral("Connected") : QStringLiteral("Disconnect");
}
