// Shared helpers of the core tests that need an event loop: the one
// QCoreApplication of the test program and a wait on a condition.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace coretest {

// Makes the program's QCoreApplication on first use; later calls reuse it.
inline QCoreApplication& EnsureCoreApplication()
{
    static int argc = 1;
    static char name[] = "tessaview-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

// Runs the event loop until done() holds or timeoutMs has passed; a 5 ms
// ticker keeps the loop waking so that the deadline is noticed.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace coretest
