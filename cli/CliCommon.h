// Shared helpers of tessaview-cli: exit codes, argument parsing and printing.
//
// Adding a subcommand: write `int RunXxx(const QStringList& args)` in a file of
// its group (cli/XxxCommand.cpp, cli/LinkCommands.cpp, ...) and add one line
// for it to TV_CLI_SUBCOMMANDS in cli/main.cpp. args holds what follows the
// subcommand's name. Start the function with ParseCommandLine, which answers
// --help with the usage text and exit code 0, and refuses unknown or
// malformed options with the usage text and exit code 2:
//
//     int RunXxx(const QStringList& args)
//     {
//         static const char* const usage = "Usage: tessaview-cli xxx FILE [--flag]\n";
//         ParsedArgs parsed;
//         int exitCode = ExitOk;
//         if (!ParseCommandLine(args, {{"--flag", false}}, usage, parsed, exitCode))
//             return exitCode;
//         ...
//         return Fail(message);  // prints to stderr, returns ExitFailure
//     }
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

enum CliExit {
    ExitOk = 0,       // success, and --help
    ExitFailure = 1,  // a failure reported with a message
    ExitUsage = 2,    // wrong usage; the usage text went to stderr
};

// One option a subcommand accepts, spelled with its dashes ("--from").
// takesValue: given as "--from VALUE" or "--from=VALUE".
// repeatable: may be given more than once; every value is kept in order.
struct CliOption {
    const char* name;
    bool takesValue;
    bool repeatable = false;
};

struct ParsedArgs {
    QStringList positional;
    QMap<QString, QString> options;      // name → value ("" for a flag); the last one of a repeatable option
    QMap<QString, QStringList> repeated;  // name → every value of a repeatable option, in order

    bool has(const char* name) const { return options.contains(QLatin1String(name)); }
    QString value(const char* name) const { return options.value(QLatin1String(name)); }
    QStringList values(const char* name) const { return repeated.value(QLatin1String(name)); }
};

// Parses args against the options. Returns true to go on. Returns false with
// exitCode ExitOk after printing usage to stdout for --help or -h, and with
// ExitUsage after printing the reason and usage to stderr for an unknown or
// incomplete option, or one given twice that is not repeatable. "--" ends the
// options.
bool ParseCommandLine(const QStringList& args, const std::vector<CliOption>& options, const char* usage,
                      ParsedArgs& parsed, int& exitCode);

// Output for the user on stdout; a line end is added.
void PrintLine(const QString& text);
// A failure the program reports: the message on stderr, then ExitFailure.
int Fail(const QString& message);
// Wrong usage: "tessaview-cli: <reason>", the usage text on stderr, then ExitUsage.
int UsageError(const QString& reason, const char* usage);

// Bytes as readable text: printable ASCII as it is, every other byte as \xNN,
// so that a damaged name or stamp cannot upset the terminal.
QString PrintableBytes(const char* bytes, int length);
// A JSON string literal of raw bytes, quotes included; bytes outside printable
// ASCII become \u00NN (each byte stands for the Latin-1 character of its value).
QByteArray JsonBytes(const char* bytes, int length);
// A float32 as a JSON number that reads back as the same float ("%.9g");
// null for NaN and infinities, which JSON cannot hold.
QByteArray JsonFloat(float value);
