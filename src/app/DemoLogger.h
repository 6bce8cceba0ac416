// The demo logger: the logger simulator run as a child process, so that the
// program can be tried without a logger.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Starts tessaview-logger-sim, learns the pseudo-terminal it offers from the
// first line it prints, and stops it again. The simulator is started with
// --until-stdin-closes, so it ends with this program even when this program
// cannot stop it (a crash closes the pipe as well).
class DemoLogger {
public:
    static constexpr const char* ProgramName = "tessaview-logger-sim";
    // Names the simulator explicitly: a path, or a name looked up on PATH.
    static constexpr const char* EnvironmentVariable = "TESSAVIEW_SIMULATOR";
    // The logger's name, in the setup pane and in the names of its saved logs.
    static constexpr const char* LoggerName = "DEMO";
    static constexpr const char* LoggerId = "DEMO000001";
    static constexpr int RecordCount = 300;
    static constexpr int IntervalSeconds = 600;
    // How long the simulator may take to name its device.
    static constexpr int StartDeadlineMs = 5000;
    // How long it may take to end once its input is closed, and once terminated.
    static constexpr int StopDeadlineMs = 2000;

    DemoLogger() = default;
    ~DemoLogger();
    DemoLogger(const DemoLogger&) = delete;
    DemoLogger& operator=(const DemoLogger&) = delete;

    // A two-channel temperature and humidity logger named DEMO holding
    // RecordCount records that end now.
    static QStringList DemoArguments();

    // The simulator program: the one named by the environment variable when
    // it is set (and nothing else then), else an installed one (the program in
    // <prefix>/bin, the simulator in <prefix>/libexec/tessaview), else the one
    // beside the program, else the one in the build tree's tools folder (the
    // program lies in <build>/src/app, the simulator in
    // <build>/tools/logger-sim), else one on PATH. Empty with the reason in
    // error when there is none.
    static QString FindProgram(const QString& named, const QString& programDir, QString* error);

    // Finds the simulator and starts it with DemoArguments().
    bool Start(QString* error);
    // Starts program with arguments and waits until it has printed its device
    // on the first line of its output, at most deadlineMs. False with the
    // reason in error; a program that did not make it is stopped again.
    bool Start(const QString& program, const QStringList& arguments, QString* error,
               int deadlineMs = StartDeadlineMs);
    // Closes the simulator's input and waits for it to end; terminates it,
    // and kills it as a last resort, when it does not.
    void Stop();

    // The pseudo-terminal of the running simulator, e.g. /dev/pts/5.
    const QString& device() const { return device_; }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    qint64 processId() const { return process_.processId(); }
    // What the simulator wrote on its standard error so far.
    QByteArray standardError();

private:
    QProcess process_;
    QString device_;
    QByteArray errors_;
};
