// tessaview-cli ports, download, setup, clock and erase: the logger commands,
// run by the same LinkSession as the program's window, with the real serial
// transport, time-outs and repeats, and the messages printed.
#include "CliCommon.h"

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

const char* const NoDeviceText =
    "Did not find any devices connected to a USB port. \r\nPlease check all the connections and cables, and try "
    "again. \r\nIf a logger is connected, you may have to restart Tessaview software or your computer for the device "
    "to be recognized.";
const QString WriteDoneText = QStringLiteral("Successfully to set new configuration to the logger.");
const QString ClockDoneText = QStringLiteral("Successfully set the logger time.");
const QString EraseDoneText = QStringLiteral("Successfully to delete all the logs from the logger.");
const QString DownloadDoneText = QStringLiteral("Successfully downloaded all the logs from the logger.");
const QString NoLogsText = QStringLiteral("No logs were found in the logger.");

// Every exchange ends by its own time-outs; this only guards against waiting
// for ever on a link that has stopped making progress for another reason.
constexpr int LongestWaitMs = 60 * 60 * 1000;

const char* const PortOptionUsage =
    "  --port DEVICE      the logger's device (/dev/ttyUSB0), or its number in\n"
    "                     `tessaview-cli ports`; without it, the only device found\n";

// The messages as the terminal shows them: the program's texts break lines
// with \r\n.
QString ConsoleText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

void PrintStatus(const QString& text)
{
    std::fprintf(stderr, "%s\n", ConsoleText(text).toUtf8().constData());
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
// texts on stderr; every question is answered yes, since the command itself
// was the user's answer.
class ConsoleMessages : public IMessageSink {
public:
    void ShowMessage(const QString& text) override
    {
        PrintLine(ConsoleText(text));
        messages << text;
    }
    bool AskOkCancel(const QString&) override { return true; }
    bool AskYesNo(const QString&, const QString&) override { return true; }
    void RunProgressMessage(const QString& firstText) override
    {
        PrintStatus(firstText);
        dialogText = firstText;
        dialogDone = false;
    }
    void UpdateMessage(const QString& text, bool enableButtons) override
    {
        dialogText = text;
        if (enableButtons) {
            if (progressOnLine_)
                std::fputc('\n', stderr);
            progressOnLine_ = false;
            dialogDone = true;
            finalTexts << text;
            return;
        }
        // The byte count changes with every chunk: on a terminal it is
        // rewritten in place, elsewhere it would only fill a log.
        if (::isatty(STDERR_FILENO)) {
            std::fprintf(stderr, "\r%s", text.toUtf8().constData());
            progressOnLine_ = true;
        }
    }
    void ShowProgress(const QString& text) override { PrintStatus(text); }
    void HideProgress() override {}

    QStringList messages;
    QString dialogText;
    QStringList finalTexts;  // texts shown with the buttons enabled
    bool dialogDone = false;

private:
    bool progressOnLine_ = false;
};

class ConsolePanes : public IPaneActions {
public:
    void ShowSetupPane() override {}
    void EnableLoggerButtons(bool) override {}
    void ShowSetupValues() override { ++setupValuesShown; }
    void ShowFileList() override {}
    void RedrawChartNow() override {}
    int ChoosePort(const QStringList& devices, int) override
    {
        PrintStatus(QStringLiteral("Several devices were found; name one with --port:"));
        for (int i = 0; i < devices.size(); ++i)
            PrintStatus(QStringLiteral("%1  %2").arg(i + 1, 2).arg(devices.at(i)));
        return 0;
    }
    void Pause(int milliseconds) override
    {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }

    int setupValuesShown = 0;
};

// Passes the transport's chunks and failures on to the session, counting the
// failures: the session takes a failure during a download for the end of the
// stream, and a command line run must not report that as a clean download.
class FailureWatch : public ILinkReceiver {
public:
    explicit FailureWatch(ILinkReceiver& next) : next_(next) {}
    void OnLinkData(const uint8_t* data, int count) override { next_.OnLinkData(data, count); }
    void OnPortFailure() override
    {
        ++failures;
        next_.OnPortFailure();
    }
    int failures = 0;

private:
    ILinkReceiver& next_;
};

// One logger session for one command.
class ConsoleLink {
public:
    ConsoleLink()
    {
        transport.SetReceiver(&watch);
        timers.SetCallback([this](int id) { session.OnLinkTimer(id); });
    }
    ~ConsoleLink()
    {
        transport.SetReceiver(nullptr);
        timers.SetCallback({});
    }

    // Connects to the device named (a path, or a number of the device list),
    // or to the only device found; false when a message told why not.
    bool Connect(const QString& port)
    {
        const qsizetype before = messages.messages.size();
        if (port.isEmpty()) {
            session.Connect();
        } else {
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
                session.ConnectDevice(devices.at(number - 1));
            } else {
                session.ConnectDevice(port);
            }
        }
        RunUntil([&] { return session.connected() || messages.messages.size() > before || !session.busy(); });
        return session.connected();
    }

    // Runs a command that ends with a message and returns that message.
    QString MessageOf(const std::function<void()>& command)
    {
        const qsizetype before = messages.messages.size();
        command();
        RunUntil([&] { return messages.messages.size() > before; });
        return messages.messages.size() > before ? messages.messages.at(before) : QString();
    }

    // Reads the setup block; false when a message told why not.
    bool ReadSetup()
    {
        const int shown = panes.setupValuesShown;
        const qsizetype before = messages.messages.size();
        session.ReadSetup();
        RunUntil([&] { return panes.setupValuesShown > shown || messages.messages.size() > before; });
        return panes.setupValuesShown > shown;
    }

    AppData app;
    CSerialPort transport;
    QtLinkTimers timers;
    ConsoleMessages messages;
    ConsolePanes panes;
    PortDirectory ports;
    LinkSession session{app, transport, timers, messages, panes, ports};
    FailureWatch watch{session};
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
    const char* category = nullptr;
    for (const SetupField& field : SetupFields()) {
        if (!category || std::strcmp(category, field.category) != 0) {
            category = field.category;
            PrintLine(QString::fromLatin1(category));
        }
        PrintLine(QStringLiteral("  %1 %2").arg(QLatin1String(field.caption), -22).arg(field.shownText(config)));
    }
}

}  // namespace

int RunPorts(const QStringList& args)
{
    static const char* const usage =
        "Usage: tessaview-cli ports\n"
        "\n"
        "Lists the serial devices that may be loggers, numbered as --port takes them:\n"
        "those in TESSAVIEW_PORTS (colon-separated) first, then USB serial devices,\n"
        "then the other serial ports.\n";
    ParsedArgs parsed;
    int exitCode = ExitOk;
    if (!ParseCommandLine(args, {}, usage, parsed, exitCode))
        return exitCode;
    if (!parsed.positional.isEmpty())
        return UsageError(QStringLiteral("unexpected argument %1").arg(parsed.positional.first()), usage);
    const QStringList devices = PortDirectory().Devices();
    if (devices.isEmpty())
        return Fail(ConsoleText(QString::fromLatin1(NoDeviceText)));
    for (int i = 0; i < devices.size(); ++i)
        PrintLine(QStringLiteral("%1  %2").arg(i + 1, 2).arg(devices.at(i)));
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

    const int failuresBefore = link.watch.failures;
    link.session.Download();
    RunUntil([&] { return link.session.activeCommand() != LinkSession::Downloading; });
    const bool lineFailed = link.watch.failures > failuresBefore;

    for (const QString& text : link.messages.finalTexts)
        PrintLine(ConsoleText(text));
    // A packet announcing no records ends the download without a file.
    if (link.app.store.currentLogPath.isEmpty() || !link.messages.dialogDone
        || link.messages.finalTexts.size() < 2)
        return Fail(QStringLiteral("No log file was saved."));
    PrintLine(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(link.app.store.currentLogPath)));
    if (lineFailed)
        return Fail(QStringLiteral("The connection to the logger failed during the download: "
                                   "the log saved may lack records. Check the cable and download again."));
    const QString result = link.messages.finalTexts.last().section(QLatin1String("\r\n"), 0, 0);
    const bool whole = (result == DownloadDoneText || result == NoLogsText)
                       && !link.messages.finalTexts.last().contains(QLatin1String("\r\n"));
    return whole ? ExitOk : ExitFailure;
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
    if (!link.Connect(parsed.value("--port")) || !link.ReadSetup())
        return ExitFailure;
    if (changes.isEmpty()) {
        PrintSetup(link.app.config);
        return ExitOk;
    }
    for (const auto& change : changes) {
        if (change.first->id == setupitem::Name && change.second.size() > 16)
            PrintStatus(QStringLiteral("The name keeps its first 16 characters."));
        change.first->apply(link.app.config, change.second);
    }
    const QString result = link.MessageOf([&] { link.session.WriteSetup(); });
    if (result != WriteDoneText)
        return ExitFailure;
    if (!link.ReadSetup())
        return ExitFailure;
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
    return link.MessageOf([&] { link.session.SetClock(); }) == ClockDoneText ? ExitOk : ExitFailure;
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
    return link.MessageOf([&] { link.session.EraseAll(); }) == EraseDoneText ? ExitOk : ExitFailure;
}
