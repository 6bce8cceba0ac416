// The About box: the program's icon, name, revision and maker.
#pragma once

#include <QDialog>

class QPushButton;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QPushButton* okButton() const { return ok_; }

private:
    QPushButton* ok_ = nullptr;
};
