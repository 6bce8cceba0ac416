// The dialog that lets the user pick the logger's port when several are found.
#include "app/CDSLCom.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

CDSLCom::CDSLCom(const QStringList& devices, int initialNumber, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("selectPort"));
    setWindowTitle(QStringLiteral("Select a port manually"));

    auto* label = new QLabel(QStringLiteral("Port:"), this);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("portList"));
    list_->setEditable(false);
    list_->setMinimumContentsLength(18);
    list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    const int count = int(std::min<qsizetype>(devices.size(), MaxEntries));
    for (int i = 0; i < count; ++i)
        list_->addItem(QStringLiteral("%1: %2").arg(i + 1).arg(devices[i]));
    label->setBuddy(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(list_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (count > 0) {
        const int start = (initialNumber >= 1 && initialNumber <= count) ? initialNumber : 1;
        list_->setCurrentIndex(start - 1);
        chosen_ = start;
    }
    // The choice follows the list at once, whatever closes the dialog.
    connect(list_, &QComboBox::currentIndexChanged, this, [this](int index) { chosen_ = index + 1; });
}

int CDSLCom::Choose(QWidget* parent, const QStringList& devices, int initialNumber)
{
    if (devices.isEmpty())
        return 0;
    CDSLCom dialog(devices, initialNumber, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenNumber() : 0;
}
