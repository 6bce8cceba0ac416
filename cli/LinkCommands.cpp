// tessaview-cli ports, download, setup, clock and erase: the logger commands,
// run by the same LinkSession as the program's window, with the real serial
// transport, time-outs and repeats, and the messages printed.
#include "CliCommon.h"
#include "LinkExit.h"

#include "link/AppData.h"
#include "link/CSerialPort.h"
#include "link/LinkSession.h"
#include "link/PortDirectory.h"
#include "link/QtLinkTimers.h"
#include "link/SetupFields.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include <unistd.h>

namespace {

// Every exchange ends by its own time-outs; this only guards against waiting
// for ever on a link that has stopped making progress for another reason.
constexpr int LongestWaitMs = 60 * 60 * 1000;

const char* const PortOptionUsage =
    "  --port DEVICE      the logger's device (/dev/ttyUSB0), or its number in\n"
    "                     `tessaview-cli ports`; without it, the only device listed there\n";

void PrintStatus(const QString& text)
{
    const QByteArray bytes = TerminalText(ConsoleText(text), true).toUtf8();
    std::fprintf(stderr, "%s\n", bytes.constData());
}

// One device as `ports` and the choice among several show it: its number and
// path, then what the system knows of it, a line for each detail it has.
QStringList PortLines(int number, const PortRecord& port)
{
    QStringList lines{QStringLiteral("%1  %2").arg(number, 2).arg(TerminalText(port.path))};
    for (const auto& [caption, value] : PortDirectory::Details(port))
        if (!value.isEmpty())
            lines << QStringLiteral("      %1 %2").arg(caption + QLatin1Char(':'), -15).arg(TerminalText(value));
    return lines;
}

// Runs the event loop until done() holds.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = LongestWaitMs)
{
    if (done())
        return true;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    tick.start(10);
    loop.exec();
    return done();
}

// The message dialog on a terminal: messages on stdout, the progress window's
// texts on stderr. The download's result is printed from its outcome.
class ConsoleMessages : public IMessageSink {
public:
    void ShowMessage(const QString& text) override { PrintLine(ConsoleText(text)); }
    void RunProgressMessage(const QString& firstText) override { PrintStatus(firstText); }
    void UpdateMessage(const QString& text, bool enableButtons) override
    {
        if (enableButtons) {
            if (progressOnLine_)
                std::fputc('\n', stderr);
            progressOnLine_ = false;
            return;
        }
        // The byte count changes with every chunk: on a terminal it is
        // rewritten in place, elsewhere it would only fill a log.
        if (::isatty(STDERR_FILENO)) {
            std::fprintf(stderr, "\r%s", TerminalText(text).toUtf8().constData());
            progressOnLine_ = true;
        }
    }
    void ShowProgress(const QString& text) override { PrintStatus(text); }
    void HideProgress() override {}

private:
    bool progressOnLine_ = false;
};

class ConsolePanes : public IPaneActions {
public:
    void ShowSetupPane() override {}
    void EnableLoggerButtons(bool) override {}
    void ShowSetupValues() override {}
    void ShowFileList() override {}
    void RedrawChartNow() override {}
};

// The questions on a terminal: every question is answered yes, since the
// command itself was the user's answer. A choice among several devices is
// not made here: the devices are listed and the command stops.
class ConsolePrompts : public ILinkPrompts {
public:
    bool AskOkCancel(const QString&) override { return true; }
    bool AskYesNo(const QString&, const QString&) override { return true; }
    int ChoosePort(const QStringList& devices, int) override
    {
        PrintStatus(QStringLiteral("Several devices were found; name one with --port:"));
        const QList<PortRecord> known = ports ? ports->Records() : QList<PortRecord>();
        for (int i = 0; i < devices.size(); ++i) {
            PortRecord port;
            port.path = devices.at(i);
            for (const PortRecord& k : known)
                if (k.path == port.path)
                    port = k;
            for (const QString& line : PortLines(i + 1, port))
                PrintStatus(line);
        }
        return 0;
    }

    IPortDirectory* ports = nullptr;  // where the details of the devices offered come from
};

// The outcomes the session reports, in order.
class ConsoleOutcomes : public ILinkObserver {
public:
    void OnExchangeEnded(const ExchangeOutcome& outcome) override { exchanges.push_back(outcome); }
    void OnDownloadEnded(const DownloadOutcome& outcome) override { downloads.push_back(outcome); }

    std::vector<ExchangeOutcome> exchanges;
    std::vector<DownloadOutcome> downloads;
};

// One logger session for one command.
class ConsoleLink {
public:
    static constexpr const char* NotConnectedText = "No logger is connected: nothing was sent to it.";

    ConsoleLink()
    {
        transport.SetReceiver(&session);
        timers.SetCallback([this](int id) { session.OnLinkTimer(id); });
        timers.SetScale(QtLinkTimers::ScaleFromEnvironment());  // 1 but in tests
        session.SetObserver(&outcomes);
        prompts.ports = &ports;
    }
    ~ConsoleLink()
    {
        transport.SetReceiver(nullptr);
        timers.SetCallback({});
        session.SetObserver(nullptr);
    }

    // Connects to the device named (a path, or a number of the device list),
    // or to the only device found; false when a message told why not.
    bool Connect(const QString& port)
    {
        if (!port.isEmpty()) {
            bool isNumber = false;
            const int number = port.toInt(&isNumber);
            if (isNumber) {
                const QStringList devices = ports.Devices();
                if (number < 1 || number > devices.size()) {
                    Fail(QStringLiteral("There is no device %1; `tessaview-cli ports` lists %2.")
                             .arg(number)
                             .arg(devices.size()));
                    return false;
                }
                return Run([&] { session.ConnectDevice(devices.at(number - 1)); }).ok();
            }
            return Run([&] { session.ConnectDevice(port); }).ok();
        }
        return Run([&] { session.Connect(); }).ok();
    }

    // Runs a command and waits for the outcome of its exchange; the session
    // has shown its message, if any, by then.
    ExchangeOutcome Run(const std::function<void()>& command)
    {
        const size_t before = outcomes.exchanges.size();
        command();
        RunUntil([&] { return outcomes.exchanges.size() > before; });
        SettleLink();
        if (outcomes.exchanges.size() <= before)
            return {LinkExchange::Idle, LinkFailure::TimedOut, {}};
        const ExchangeOutcome outcome = outcomes.exchanges.at(before);
        // The link ended in between (the cable was pulled, which was shown).
        if (outcome.failure == LinkFailure::NotConnected)
            Fail(NotConnectedText);
        return outcome;
    }

    // A link that has just ended (a pulled cable) pauses before anything may
    // use the port again: the command is over only when the pause is.
    void SettleLink()
    {
        RunUntil([&] { return !session.pausing(); });
    }

    // Downloads and waits for the download's outcome.
    DownloadOutcome Download()
    {
        const size_t before = outcomes.downloads.size();
        session.Download();
        RunUntil([&] { return outcomes.downloads.size() > before; });
        SettleLink();
        if (outcomes.downloads.size() > before) {
            const DownloadOutcome outcome = outcomes.downloads.at(before);
            if (outcome.refused == LinkFailure::NotConnected)
                Fail(NotConnectedText);
            return outcome;
        }
        DownloadOutcome none;
        none.refused = LinkFailure::TimedOut;
        return none;
    }

    AppData app;
    CSerialPort transport;
    QtLinkTimers timers;
    ConsoleMessages messages;
    ConsolePanes panes;
    ConsolePrompts prompts;
    PortDirectory ports;
    ConsoleOutcomes outcomes;
    LinkSession session{app, transport, timers, messages, panes, prompts, ports};
};

// Parses the subcommand's options; the caller returns exitCode when false.
bool ParseLinkOptions(const QStringList& args, std::vector<CliOption> options, const char* usage, ParsedArgs& parsed,
                      int& exitCode)
{
    options.push_back({"--port", true});
    if (!ParseCommandLine(args, options, usage, parsed, exitCode))
        return false;
    if (!parsed.positional.isEmpty()) {
        exitCode = UsageError(QStringLiteral("unexpected argument %1").arg(parsed.positional.first()), usage);
        return false;
    }
    return true;
}

// ---- setup ------------------------------------------------------------------

// The setup as the Setup pane shows it: its captions, order and formats.
void PrintSetup(const LoggerConfig& config)
{
    // Captions, order and formats of the setup pane; values that came from
    // the logger are shown within their line.
    const char* category = nullptr;
    for (const SetupField& field : SetupFields()) {
        if (!category || std::strcmp(category, field.category) != 0) {
            category = field.category;
            PrintLine(QString::fromLatin1(category));
        }
        PrintLine(QStringLiteral("  %1 %2").arg(QLatin1String(field.caption), -22).arg(TerminalText(field.shownText(config))));
    }
}

}  // namespace

int RunPorts(const QStringList& args)
{
    static const char* const usage =
        "Usage: tessaview-cli ports\n"
        "\n"
        "Lists the serial devices that may be loggers, numbered as --port takes them,\n"
        "each with what the system knows of it (its /dev/serial/by-id name,\n"
        "manufacturer, product, serial number and VID:PID): those in TESSAVIEW_PORTS\n"
        "(colon-separated) first, then USB serial devices. Built-in serial ports\n"
        "(ttyS*) are listed only when there is none of those.\n";
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseCommandLine(args, {}, usage, parsed, exitCode))
        return exitCode;
    if (!parsed.positional.isEmpty())
        return UsageError(QStringLiteral("unexpected argument %1").arg(parsed.positional.first()), usage);
    const QList<PortRecord> ports = PortDirectory().Records();
    if (ports.isEmpty())
        return Fail(ConsoleText(OutcomeText(ExchangeOutcome{LinkExchange::Connect, LinkFailure::NoDevice, {}})));
    for (int i = 0; i < ports.size(); ++i)
        for (const QString& line : PortLines(i + 1, ports.at(i)))
            PrintLine(line);
    return ExitOk;
}

int RunDownload(const QStringList& args)
{
    static const QByteArray usage = QByteArray(
        "Usage: tessaview-cli download [--port DEVICE] [--folder DIR]\n"
        "\n"
        "Connects to the logger, downloads every record it holds and saves them as a\n"
        "new .logu file in DIR/Logfiles/ (DIR is the program folder; default the\n"
        "current folder). Prints the result and the file saved.\n"
        "\n"
        "Options:\n")
        + PortOptionUsage + "  --folder DIR       the program folder that holds Logfiles/\n";
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseLinkOptions(args, {{"--folder", true}}, usage.constData(), parsed, exitCode))
        return exitCode;

    QString folder = parsed.has("--folder") ? parsed.value("--folder") : QDir::currentPath();
    if (folder.isEmpty())
        return UsageError(QStringLiteral("--folder needs a folder"), usage.constData());
    folder = QDir(folder).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');

    ConsoleLink link;
    link.app.programFolder = folder;
    if (!QDir().mkpath(link.app.logFolder()))
        return Fail(QStringLiteral("Cannot make the folder %1.").arg(link.app.logFolder()));
    if (!link.Connect(parsed.value("--port")))
        return ExitFailure;

    const DownloadOutcome outcome = link.Download();
    const QString result = OutcomeText(outcome);
    if (!result.isEmpty())
        PrintLine(ConsoleText(result));
    if (!outcome.savedPath.isEmpty())
        PrintLine(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(outcome.savedPath)));
    else if (outcome.records > 0 || !outcome.taken)
        Fail(QStringLiteral("No log file was saved."));
    return ExitCodeFor(outcome);
}

int RunSetup(const QStringList& args)
{
    static const QByteArray usage = QByteArray(
        "Usage: tessaview-cli setup [--port DEVICE] [--set FIELD=VALUE ...]\n"
        "\n"
        "Reads the logger's setup and prints it as the Setup pane shows it. With\n"
        "--set (repeatable), changes those fields, writes the setup to the logger\n"
        "and prints what the logger then holds.\n"
        "\n"
        "Fields: name, id (10 characters), interval (seconds, 2-43200), offset1,\n"
        "offset2, offset3 (-3276.8 to 3276.7), unit (C or F), high1, low1, high2, low2\n"
        "(-128 to 127), startmode (\"No delay\", \"Delay\", \"Timer\"), delay.\n"
        "\n"
        "Options:\n")
        + PortOptionUsage + "  --set FIELD=VALUE  a field to change\n";

    // --set may come several times, which the common parser refuses: take
    // those out first.
    QStringList rest;
    QList<QPair<const SetupField*, QString>> changes;
    for (int k = 0; k < args.size(); ++k) {
        QString assignment;
        if (args[k] == QLatin1String("--set")) {
            if (k + 1 >= args.size())
                return UsageError(QStringLiteral("--set needs FIELD=VALUE"), usage.constData());
            assignment = args[++k];
        } else if (args[k].startsWith(QLatin1String("--set="))) {
            assignment = args[k].mid(6);
        } else {
            rest << args[k];
            continue;
        }
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return UsageError(QStringLiteral("--set needs FIELD=VALUE, not %1").arg(assignment), usage.constData());
        const SetupField* field = FindSetupFieldByKey(assignment.left(eq).trimmed());
        if (!field)
            return UsageError(QStringLiteral("unknown setup field %1").arg(assignment.left(eq)), usage.constData());
        changes.append({field, assignment.mid(eq + 1)});
    }
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseLinkOptions(rest, {}, usage.constData(), parsed, exitCode))
        return exitCode;
    // Every value is checked before anything is sent, by the Setup pane's rules.
    {
        LoggerConfig scratch;
        for (const auto& change : changes) {
            const SetupEditResult checked = change.first->apply(scratch, change.second);
            if (!checked.ok)
                return UsageError(QStringLiteral("%1: %2").arg(QLatin1String(change.first->key), checked.message),
                                  usage.constData());
        }
    }

    ConsoleLink link;
    if (!link.Connect(parsed.value("--port")))
        return ExitFailure;
    if (const ExchangeOutcome read = link.Run([&] { link.session.ReadSetup(); }); !read.ok())
        return ExitCodeFor(read);
    if (changes.isEmpty()) {
        PrintSetup(link.app.config);
        return ExitOk;
    }
    for (const auto& change : changes) {
        if (change.first->id == setupitem::Name && change.second.size() > 16)
            PrintStatus(QStringLiteral("The name keeps its first 16 characters."));
        change.first->apply(link.app.config, change.second);
    }
    if (const ExchangeOutcome written = link.Run([&] { link.session.WriteSetup(); }); !written.ok())
        return ExitCodeFor(written);
    if (const ExchangeOutcome reread = link.Run([&] { link.session.ReadSetup(); }); !reread.ok())
        return ExitCodeFor(reread);
    PrintSetup(link.app.config);
    return ExitOk;
}

int RunClock(const QStringList& args)
{
    static const QByteArray usage = QByteArray(
        "Usage: tessaview-cli clock [--port DEVICE]\n"
        "\n"
        "Sets the logger's clock to this computer's local time.\n"
        "\n"
        "Options:\n")
        + PortOptionUsage;
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseLinkOptions(args, {}, usage.constData(), parsed, exitCode))
        return exitCode;
    ConsoleLink link;
    if (!link.Connect(parsed.value("--port")))
        return ExitFailure;
    return ExitCodeFor(link.Run([&] { link.session.SetClock(); }));
}

int RunErase(const QStringList& args)
{
    static const QByteArray usage = QByteArray(
        "Usage: tessaview-cli erase [--port DEVICE] --yes\n"
        "\n"
        "Deletes every log the logger holds. Download them first: this cannot be\n"
        "undone. --yes confirms it.\n"
        "\n"
        "Options:\n")
        + PortOptionUsage + "  --yes              confirm that all logs are to be deleted\n";
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseLinkOptions(args, {{"--yes", false}}, usage.constData(), parsed, exitCode))
        return exitCode;
    if (!parsed.has("--yes"))
        return UsageError(QStringLiteral("erase deletes all the logs in the logger; confirm it with --yes"),
                          usage.constData());
    ConsoleLink link;
    if (!link.Connect(parsed.value("--port")))
        return ExitFailure;
    return ExitCodeFor(link.Run([&] { link.session.EraseAll(); }));
}
