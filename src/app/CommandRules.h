// The enabling rule of every command, as one plain function of the link state,
// the open log and the recent-file list.
#pragma once

#include <QString>

#include <cstdint>

struct CommandState {
    bool connected = false;
    char activeCommand = 0;     // 0 none, 'X' download, 'Z' erase
    uint32_t recordCount = 0;   // of the open log
    bool recentHasFile = false; // the recent-file list holds at least one file
    bool pausing = false;       // the link pauses after a connection ended
};

class CommandRules {
public:
    // Whether command id is enabled in state. Commands without a rule of their
    // own (the framework's, the accelerator-only ones) are always enabled.
    // While the link pauses after a connection ended the logger commands are
    // greyed: a command started then would run on a transport already shut down.
    static bool IsEnabled(int id, const CommandState& state);
    // Connect, Disconnect, Setup, Download and Delete.
    static bool IsLoggerCommand(int id);
    // The text of the connection pane of the status bar; it follows the rule of Connect.
    static QString ConnectionText(const CommandState& state);
};
