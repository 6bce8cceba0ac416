// The caption-less window that says what the logger link is doing.
#pragma once

#include "link/ProgressStepper.h"

#include <QFrame>
#include <QTimer>

class QLabel;
class QProgressBar;

// A bordered popup that takes no input: a centred text over a bar that keeps
// running (1, 3, 5, … 19, 1, …, one step a second) for as long as the window
// exists, shown or hidden. Made hidden with the main frame and kept.
class CCommProgressDlg : public QFrame {
    Q_OBJECT
public:
    explicit CCommProgressDlg(QWidget* parent = nullptr);

    // Sets the text and shows the window centred over its parent (or the screen).
    void showText(const QString& text);

    QString text() const;
    int position() const;  // the bar's position
    const QTimer& tickTimer() const { return timer_; }

public slots:
    // One step of the bar; the window's own timer calls it every second.
    void Tick();

private:
    void CentreOnParent();

    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    ProgressStepper stepper_;
    QTimer timer_;
};
