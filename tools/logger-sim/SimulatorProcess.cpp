// Runs tessaview-logger-sim as a child process and learns its device.
#include "SimulatorProcess.h"

#include <QElapsedTimer>

namespace loggersim {

SimulatorProcess::~SimulatorProcess()
{
    Stop();
}

bool SimulatorProcess::Start(const QString& program, const QStringList& arguments, QString* error, int timeoutMs)
{
    Stop();
    device_.clear();
    errors_.clear();
    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QIODevice::ReadWrite);
    if (!process_.waitForStarted(timeoutMs)) {
        if (error)
            *error = QStringLiteral("cannot start %1: %2").arg(program, process_.errorString());
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine()) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0 || process_.state() == QProcess::NotRunning || !process_.waitForReadyRead(left)) {
            if (process_.canReadLine())
                break;
            if (error)
                *error = QStringLiteral("%1 printed no device: %2")
                             .arg(program, QString::fromLocal8Bit(standardError()));
            Stop();
            return false;
        }
    }
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return !device_.isEmpty();
}

bool SimulatorProcess::WaitForExit(int timeoutMs)
{
    return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
}

void SimulatorProcess::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
    errors_ += process_.readAllStandardError();
}

QByteArray SimulatorProcess::standardError()
{
    errors_ += process_.readAllStandardError();
    return errors_;
}

}  // namespace loggersim
