// Shared by the pane tests: the application object, and running code on a
// modal window once it has opened.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace panetest {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "PaneTest";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QApplication* app_ = nullptr;
};

inline const auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Calls action with the active modal window (or popup) of type W once one has
// opened, checking every few milliseconds and giving up after five seconds.
template <class W>
void WhenOpen(std::function<void(W*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, [timer, action, deadline] {
        QWidget* top = QApplication::activePopupWidget();
        if (!top)
            top = QApplication::activeModalWidget();
        if (W* w = qobject_cast<W*>(top); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no " << W::staticMetaObject.className() << " opened";
        }
    });
    timer->start();
}

}  // namespace panetest
