// tessaview-cli: the command-line companion; dispatches to its subcommands.
#include "CliCommon.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

// Every subcommand, one line each: X(name, function, summary). The function,
// int RunXxx(const QStringList& args), lives in the file of its group.
#define TV_CLI_SUBCOMMANDS(X)                                                                 \
    X("info", RunInfo, "show a log's identity, counts, statistics and chart scales")          \
    X("export", RunExport, "write a log as TXT, CSV, XLS, its chart as BMP, its report as PDF") \
    X("ports", RunPorts, "list the serial devices that may be loggers")                       \
    X("download", RunDownload, "download a logger's records into a new .logu file")           \
    X("setup", RunSetup, "show a logger's setup, or change fields of it with --set")          \
    X("clock", RunClock, "set a logger's clock to this computer's time")                      \
    X("erase", RunErase, "delete every log in a logger (with --yes)")

#define TV_CLI_DECLARE(name, function, summary) int function(const QStringList& args);
TV_CLI_SUBCOMMANDS(TV_CLI_DECLARE)

namespace {

struct CliCommand {
    const char* name;
    int (*run)(const QStringList& args);
    const char* summary;
};

#define TV_CLI_ENTRY(name, function, summary) {name, &function, summary},
const CliCommand Commands[] = {TV_CLI_SUBCOMMANDS(TV_CLI_ENTRY)};

void printUsage(FILE* to)
{
    std::fputs("Usage: tessaview-cli COMMAND [ARGUMENTS]\n"
               "       tessaview-cli COMMAND --help\n"
               "\n"
               "The command-line companion of Tessaview U.\n"
               "\n"
               "Commands:\n",
               to);
    for (const CliCommand& command : Commands)
        std::fprintf(to, "  %-10s %s\n", command.name, command.summary);
    std::fputs("\nExit status: 0 success, 1 a reported failure, 2 wrong usage.\n", to);
}

}  // namespace

int main(int argc, char* argv[])
{
    // export draws charts and reports, which need fonts and so a GUI
    // application object; it runs without a display, on the offscreen platform
    // unless another is asked for.
    const bool drawing = argc > 1 && std::strcmp(argv[1], "export") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        drawing ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    if (args.isEmpty()) {
        std::fputs("tessaview-cli: a command is missing\n\n", stderr);
        printUsage(stderr);
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printUsage(stdout);
        return ExitOk;
    }
    for (const CliCommand& command : Commands)
        if (name == QLatin1String(command.name))
            return command.run(args);

    std::fprintf(stderr, "tessaview-cli: unknown command %s\n\n", name.toUtf8().constData());
    printUsage(stderr);
    return ExitUsage;
}
