// The program's real dialogs behind IUserDialogs.
#include "app/UserDialogs.h"

#include "app/CLoggerApp.h"
#include "app/CMsgDlg.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

void QtUserDialogs::ShowMessage(QWidget* parent, const QString& text)
{
    CMsgDlg::ShowMessage(parent, text);
}

void QtUserDialogs::RunProgressMessage(QWidget* parent, const QString& firstText)
{
    CMsgDlg::RunProgress(parent, firstText);
}

void QtUserDialogs::UpdateMessage(const QString& text, bool enableButtons)
{
    CMsgDlg::UpdateCurrentMessage(text, enableButtons);
}

void QtUserDialogs::ShowWarning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QString::fromLatin1(CLoggerApp::ApplicationTitle), text);
}

bool QtUserDialogs::AskOkCancel(QWidget* parent, const QString& text)
{
    return CMsgDlg::AskOkCancel(parent, text);
}

bool QtUserDialogs::AskYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

IUserDialogs::UnsavedAnswer QtUserDialogs::AskAboutUnsavedLog(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(CLoggerApp::ApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    // Plain words on the buttons: save it, discard it, or stay.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Save"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Discard"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return UnsavedAnswer::Save;
    case QMessageBox::No: return UnsavedAnswer::Discard;
    default: return UnsavedAnswer::Stay;
    }
}

QString QtUserDialogs::ChooseLogFile(QWidget* parent, bool save, const QString& folder, const QString& suggestedName)
{
    const QString filter = QStringLiteral("Vorna Logger Files (*.logu);;All Files (*)");
    if (!save)
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), folder, filter);
    QFileDialog dialog(parent, QStringLiteral("Save As"), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without extension gets the program's own one.
    dialog.setDefaultSuffix(QStringLiteral("logu"));
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString QtUserDialogs::ChooseExportPath(QWidget* parent, const QString& filter, const QString& folder)
{
    // No suggested name and no default suffix; the dialog asks before an
    // existing file is replaced.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), folder, filter);
}

bool QtUserDialogs::RunPrintDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    // The report is one page: there is no range to choose.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setMinMax(1, 1);
    return dialog.exec() == QDialog::Accepted;
}
