// The dialog that asks for a log file's new name.
#include "panes/CRenameDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CRenameDlg::CRenameDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Rename a data file"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* note = new QLabel(QStringLiteral("Notes: The format of a valid log file name is *_*.logu."), this);
    auto* label = new QLabel(QStringLiteral("New Name:"), this);
    edit_ = new QLineEdit(QStringLiteral("*_*.logu"), this);
    edit_->setMinimumWidth(220);
    label->setBuddy(edit_);

    rename_ = new QPushButton(QStringLiteral("Rename"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    rename_->setDefault(true);
    connect(rename_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(label);
    nameRow->addWidget(edit_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(rename_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addSpacing(6);
    layout->addLayout(nameRow);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    edit_->selectAll();
    edit_->setFocus();
}

QString CRenameDlg::newName() const { return edit_->text(); }
