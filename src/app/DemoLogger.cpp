// The demo logger: the logger simulator run as a child process.
#include "app/DemoLogger.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

// Where an installed copy keeps the simulator, relative to its own bin folder
// (the build passes the one its install rules use).
#ifndef TV_SIMULATOR_FROM_BINDIR
#define TV_SIMULATOR_FROM_BINDIR "../libexec/tessaview"
#endif

namespace {

bool IsRunnable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString Seconds(int milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 3);
}

}  // namespace

DemoLogger::~DemoLogger()
{
    Stop();
}

QStringList DemoLogger::DemoArguments()
{
    return {QStringLiteral("--type"),     QStringLiteral("1"),
            QStringLiteral("--name"),     QString::fromLatin1(LoggerName),
            QStringLiteral("--id"),       QString::fromLatin1(LoggerId),
            QStringLiteral("--records"),  QString::number(RecordCount),
            QStringLiteral("--interval"), QString::number(IntervalSeconds),
            QStringLiteral("--until-stdin-closes")};
}

QString DemoLogger::FindProgram(const QString& named, const QString& programDir, QString* error)
{
    const QString program = QString::fromLatin1(ProgramName);
    if (!named.isEmpty()) {
        // An explicit name is taken as it is: a wrong one is an error, not a
        // reason to run some other copy.
        const QString path = named.contains(QLatin1Char('/')) ? named : QStandardPaths::findExecutable(named);
        if (!path.isEmpty() && IsRunnable(path))
            return QFileInfo(path).absoluteFilePath();
        if (error)
            *error = QStringLiteral("%1 names \"%2\", which is not a program that can be run.")
                         .arg(QString::fromLatin1(EnvironmentVariable), named);
        return {};
    }
    const QDir dir(programDir);
    const QString candidates[] = {
        dir.filePath(QStringLiteral(TV_SIMULATOR_FROM_BINDIR "/") + program),
        dir.filePath(program),
        dir.filePath(QStringLiteral("../../tools/logger-sim/") + program),
    };
    for (const QString& candidate : candidates) {
        if (IsRunnable(candidate))
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    const QString onPath = QStandardPaths::findExecutable(program);
    if (!onPath.isEmpty())
        return onPath;
    if (error)
        *error = QStringLiteral("The program %1 was found neither in %2, nor beside Tessaview U, nor in its build "
                                "folder, nor on PATH. %3 can name it.")
                     .arg(program, QDir::cleanPath(dir.absoluteFilePath(QStringLiteral(TV_SIMULATOR_FROM_BINDIR))),
                          QString::fromLatin1(EnvironmentVariable));
    return {};
}

bool DemoLogger::Start(QString* error)
{
    const QString program = FindProgram(qEnvironmentVariable(EnvironmentVariable),
                                        QCoreApplication::applicationDirPath(), error);
    if (program.isEmpty())
        return false;
    return Start(program, DemoArguments(), error);
}

bool DemoLogger::Start(const QString& program, const QStringList& arguments, QString* error, int deadlineMs)
{
    Stop();
    device_.clear();
    errors_.clear();
    const QDeadlineTimer deadline(deadlineMs);
    auto fail = [this, error](const QString& why) {
        if (error)
            *error = why;
        Stop();
        return false;
    };

    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QIODevice::ReadWrite);
    if (!process_.waitForStarted(int(deadline.remainingTime())))
        return fail(QStringLiteral("%1 could not be started: %2").arg(program, process_.errorString()));

    while (!process_.canReadLine()) {
        if (process_.state() == QProcess::NotRunning) {
            const QString said = QString::fromLocal8Bit(standardError()).trimmed();
            return fail(QStringLiteral("%1 ended before it named its device%2")
                            .arg(program, said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said));
        }
        if (deadline.hasExpired())
            return fail(QStringLiteral("%1 named no device within %2 s.").arg(program, Seconds(deadlineMs)));
        process_.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
    if (!line.startsWith(QLatin1Char('/')))
        return fail(QStringLiteral("%1 printed \"%2\" where its device was expected.").arg(program, line));
    device_ = line;
    return true;
}

void DemoLogger::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(StopDeadlineMs)) {
        process_.terminate();
        if (!process_.waitForFinished(StopDeadlineMs)) {
            process_.kill();
            process_.waitForFinished(StopDeadlineMs);
        }
    }
    errors_ += process_.readAllStandardError();
}

QByteArray DemoLogger::standardError()
{
    errors_ += process_.readAllStandardError();
    return errors_;
}
