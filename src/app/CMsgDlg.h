// The message dialog: outcomes, OK/Cancel questions, and the progress use
// whose text is replaced from outside until the operation enables the buttons.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class CMsgDlg : public QDialog {
    Q_OBJECT
public:
    // Modal results: OK 1, Cancel 2; the close box and Escape count as Cancel.
    enum Result { Ok = 1, Cancel = 2 };

    explicit CMsgDlg(QWidget* parent = nullptr);
    ~CMsgDlg() override;

    // What the text box shows when the dialog opens.
    QString messageText;
    // false: OK and Cancel are disabled when the dialog opens, and the dialog
    // cannot be closed (Escape and the close box do nothing) until a text
    // update enables them, so a running operation always has a window for
    // its later texts and its final result.
    bool buttonsEnabled = true;

    // Shows text modally and returns when the user closes the dialog.
    static void ShowMessage(QWidget* parent, const QString& text);
    // true only when the user presses OK.
    static bool AskOkCancel(QWidget* parent, const QString& text);
    // The progress use: modal, both buttons disabled until
    // UpdateCurrentMessage(…, true). Events keep being delivered meanwhile,
    // so the operation runs on; returns Ok or Cancel.
    static int RunProgress(QWidget* parent, const QString& firstText);

    // The text update: puts text into sharedMessageText, shows it in
    // currentMessageWindow and, for enableButtons, enables OK and Cancel; the
    // dialog is repainted at once. Returns false when no message dialog is
    // open (the update then reaches nothing).
    static bool UpdateCurrentMessage(const QString& text, bool enableButtons);

    // The text that the last update carried.
    static QString sharedMessageText;
    // The message dialog that opened last and is still open. When it closes,
    // an earlier one that is still open (a progress dialog under a nested
    // message) becomes current again, so its final update is not lost.
    static QPointer<CMsgDlg> currentMessageWindow;

    QPlainTextEdit* textBox() const { return textBox_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyUpdate(bool enableButtons);
    void SetText(const QString& text);
    void SetButtonsEnabled(bool enabled);
    void Forget();

    QPlainTextEdit* textBox_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool initialised_ = false;

    // Message dialogs open at the moment, oldest first.
    static QList<QPointer<CMsgDlg>> openDialogs_;
};
