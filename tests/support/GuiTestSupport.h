// The shared set-up of the tests that need a Qt GUI: the one application
// object of the test program, waiting on a condition with a deadline, and
// running code on a modal window once it has opened.
#pragma once

// Header-only: the chart tests link no widgets and get a QGuiApplication; the
// pane and application tests link Qt Widgets (which defines QT_WIDGETS_LIB)
// and get a QApplication and the modal-window helpers.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QWidget>
#endif
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace guitest {

#ifdef QT_WIDGETS_LIB
using TestApplication = QApplication;
#else
using TestApplication = QGuiApplication;
#endif

// How long a wait for a condition or a window lasts before it counts as failed.
inline constexpr int DefaultDeadlineMs = 10000;

// Makes the application object before the first test and ends it after the
// last. It is not a static: a QApplication destroyed among the end-of-program
// statics outlives parts of Qt it still needs and crashes. Runs offscreen
// unless QT_QPA_PLATFORM says otherwise. Without any installed font every
// glyph comes out as an empty box and ink or layout checks can still pass, so
// the set-up fails when no font is available.
class GuiTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "guitest";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<TestApplication>(argc, argv);
        ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed (fonts-dejavu-core)";
        // Fontconfig lists its generic names (Sans Serif, Serif, Monospace)
        // even with no font file at all, so also ask for a real glyph.
        ASSERT_TRUE(QFontMetrics(QGuiApplication::font()).inFont(QLatin1Char('A')))
            << "the default font has no glyphs: no fonts installed (fonts-dejavu-core)";
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<TestApplication> app_;
};

inline ::testing::Environment* const guiEnvironment = ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);

// Runs the event loop until done() holds; false when the deadline passed first.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = DefaultDeadlineMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;  // so that a wait for more events ends in time to look again
    wake.start(10);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

#ifdef QT_WIDGETS_LIB
// Calls action with the active popup (or, while none is open, the active
// modal window) once it is a visible W other than notThis. Looks every few
// milliseconds, in whatever event loop runs (the window's own included), and
// reports a failure when none has opened by the deadline.
template <class W>
void WhenOpen(std::function<void(W*)> action, const QWidget* notThis = nullptr, int timeoutMs = DefaultDeadlineMs)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, [timer, action, deadline, notThis] {
        QWidget* top = QApplication::activePopupWidget();
        if (!top)
            top = QApplication::activeModalWidget();
        if (W* w = qobject_cast<W*>(top); w && w != notThis && w->isVisible()) {
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
#endif

}  // namespace guitest
