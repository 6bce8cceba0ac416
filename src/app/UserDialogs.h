// The dialogs the main window puts in front of the user: messages, questions,
// file choices and the print dialog, behind one interface so that tests can
// answer them without any window opening.
#pragma once

#include "app/CLoggerDoc.h"

#include <QString>

class QPrinter;
class QWidget;

// Every call is modal and returns once the user has answered. parent is the
// window the dialog belongs to (may be null).
class IUserDialogs {
public:
    using UnsavedAnswer = CLoggerDoc::Host::UnsavedAnswer;

    virtual ~IUserDialogs() = default;

    // The message dialog.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // The progress use of the message dialog: opens with its buttons disabled
    // and returns when the user closes it once an update has enabled them.
    virtual void RunProgressMessage(QWidget* parent, const QString& firstText) = 0;
    // Replaces the text of the open message dialog; enableButtons also
    // enables OK and Cancel. Reaches nothing when none is open.
    virtual void UpdateMessage(const QString& text, bool enableButtons) = 0;
    // The platform's standard warning box, captioned with the application title.
    virtual void ShowWarning(QWidget* parent, const QString& text) = 0;

    // The message dialog as an OK/Cancel question: true only for OK.
    virtual bool AskOkCancel(QWidget* parent, const QString& text) = 0;
    // The standard Yes/No box: true only for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
    // Save, Discard or Cancel (stay) before an unsaved download is closed.
    virtual UnsavedAnswer AskAboutUnsavedLog(QWidget* parent, const QString& text) = 0;

    // A log file to open (save false) or to save into (save true), starting
    // in folder; a save suggests suggestedName. Empty for cancel.
    virtual QString ChooseLogFile(QWidget* parent, bool save, const QString& folder,
                                  const QString& suggestedName) = 0;
    // The file of an export (the filter tells which), starting in folder; the
    // dialog asks before an existing file is replaced. Empty for cancel.
    virtual QString ChooseExportPath(QWidget* parent, const QString& filter, const QString& folder) = 0;
    // The print dialog on printer; false when the user cancelled.
    virtual bool RunPrintDialog(QWidget* parent, QPrinter& printer) = 0;
};

// The real dialogs of the program.
class QtUserDialogs : public IUserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void RunProgressMessage(QWidget* parent, const QString& firstText) override;
    void UpdateMessage(const QString& text, bool enableButtons) override;
    void ShowWarning(QWidget* parent, const QString& text) override;
    bool AskOkCancel(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text, const QString& caption) override;
    UnsavedAnswer AskAboutUnsavedLog(QWidget* parent, const QString& text) override;
    QString ChooseLogFile(QWidget* parent, bool save, const QString& folder, const QString& suggestedName) override;
    QString ChooseExportPath(QWidget* parent, const QString& filter, const QString& folder) override;
    bool RunPrintDialog(QWidget* parent, QPrinter& printer) override;
};
