// Runs tessaview-logger-sim as a child process and learns its device.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace loggersim {

// For tests and demo runs: starts the simulator, waits for the device path it
// prints first, and stops it with SIGTERM (SIGKILL when that is not enough).
class SimulatorProcess {
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // False with a reason when the program does not start or prints no
    // device within timeoutMs.
    bool Start(const QString& program, const QStringList& arguments, QString* error, int timeoutMs = 5000);
    // /dev/pts/N of the running simulator.
    const QString& device() const { return device_; }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    // Closes the simulator's standard input, which ends a simulator started
    // with --until-stdin-closes.
    void CloseInput() { process_.closeWriteChannel(); }
    // Waits for the simulator to end by itself; false when it still runs.
    bool WaitForExit(int timeoutMs);
    void Stop();
    // What it wrote on standard error so far.
    QByteArray standardError();

private:
    QProcess process_;
    QString device_;
    QByteArray errors_;
};

}  // namespace loggersim
