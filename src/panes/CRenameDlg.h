// The dialog that asks for a log file's new name.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class CRenameDlg : public QDialog {
    Q_OBJECT
public:
    explicit CRenameDlg(QWidget* parent = nullptr);

    // The text of the edit box; it starts as "*_*.logu", not the old name.
    QString newName() const;

    QLineEdit* nameEdit() const { return edit_; }
    QPushButton* renameButton() const { return rename_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QLineEdit* edit_ = nullptr;
    QPushButton* rename_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
