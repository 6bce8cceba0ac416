// Answers the program's modal windows from a test, the way a user would: the
// message dialog, the standard message boxes and the port choice. Records what
// each one said.
#pragma once

#include "app/CDSLCom.h"
#include "app/CMsgDlg.h"
#include "support/GuiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <vector>

namespace apptest {

// One modal window the answerer closed.
struct SeenWindow {
    enum Kind { Message, Progress, Box, PortChoice };
    Kind kind = Message;
    QString title;
    QString text;       // what it said when it was answered ("\r\n" shows as "\n")
    QStringList texts;  // a progress dialog: every text it showed, in order
};

// Looks at the active modal window every few milliseconds, in whatever event
// loop runs (the dialogs' own loops included). A message dialog is answered
// once its buttons are enabled; while they are disabled (the progress use)
// its texts are collected. A port choice takes the device at portIndex (the
// first, where the tests put the simulator, unless told otherwise).
class ModalAnswerer {
public:
    ModalAnswerer()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }

    // Decides each answer: true for OK or Yes, false for Cancel or No. Unset: OK and Yes.
    std::function<bool(const SeenWindow&)> decide;
    // Runs on every look while a progress dialog waits with disabled buttons.
    std::function<void()> whileProgress;
    // The entry a port choice takes, counted from 0.
    int portIndex = 0;

    const std::vector<SeenWindow>& seen() const { return seen_; }
    // The texts of the messages, progress dialogs and boxes answered, in order.
    QStringList texts() const
    {
        QStringList t;
        for (const SeenWindow& s : seen_)
            if (s.kind != SeenWindow::PortChoice)
                t << s.text;
        return t;
    }
    bool Saw(const QString& text) const { return texts().contains(text); }
    // Waits until a window with this text has been answered.
    bool WaitForText(const QString& text, int timeoutMs = guitest::DefaultDeadlineMs) const
    {
        return guitest::WaitUntil([&] { return Saw(text); }, timeoutMs);
    }
    const SeenWindow* Find(const QString& text) const
    {
        for (const SeenWindow& s : seen_)
            if (s.text == text)
                return &s;
        return nullptr;
    }
    void Clear() { seen_.clear(); }

private:
    bool Decide(const SeenWindow& s) const { return decide ? decide(s) : true; }

    void Tick()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        if (auto* dlg = qobject_cast<CMsgDlg*>(w)) {
            const QString text = dlg->textBox()->toPlainText();
            if (!dlg->okButton()->isEnabled()) {
                if (progress_ != dlg) {
                    progress_ = dlg;
                    progressTexts_.clear();
                }
                if (progressTexts_.isEmpty() || progressTexts_.last() != text)
                    progressTexts_ << text;
                if (whileProgress)
                    whileProgress();
                return;
            }
            SeenWindow s{SeenWindow::Message, dlg->windowTitle(), text, {}};
            if (progress_ == dlg) {
                s.kind = SeenWindow::Progress;
                progressTexts_ << text;
                s.texts = progressTexts_;
                progress_ = nullptr;
            }
            seen_.push_back(s);
            (Decide(s) ? dlg->okButton() : dlg->cancelButton())->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
            SeenWindow s{SeenWindow::Box, box->windowTitle(), box->text(), {}};
            seen_.push_back(s);
            const bool yes = Decide(s);
            QAbstractButton* b = yes ? box->button(QMessageBox::Yes) : box->button(QMessageBox::No);
            if (!b)
                b = yes ? box->button(QMessageBox::Ok) : box->button(QMessageBox::Cancel);
            if (b)
                b->click();
        } else if (auto* choice = qobject_cast<CDSLCom*>(w)) {
            SeenWindow s{SeenWindow::PortChoice, choice->windowTitle(), choice->currentText(), {}};
            seen_.push_back(s);
            choice->selectNumber(portIndex + 1);
            if (Decide(s))
                choice->accept();
            else
                choice->reject();
        }
    }

    QTimer timer_;
    std::vector<SeenWindow> seen_;
    QPointer<CMsgDlg> progress_;
    QStringList progressTexts_;
};

}  // namespace apptest
