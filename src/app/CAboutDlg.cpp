// The About box.
#include "app/CAboutDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About Tessaview U"));
    setSizeGripEnabled(true);  // resizable, like the rest of our dialogs

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/tessaview.png")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* group = new QGroupBox(this);
    auto* lines = new QVBoxLayout(group);
    const char* texts[] = {
        "Tessaview U for USB data logger.",
        "Rev:1.30",
        "Made by the Tessaview U developers.",
        "https://tessaview.example.org",
    };
    for (const char* t : texts) {
        auto* l = new QLabel(QString::fromLatin1(t), group);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lines->addWidget(l);
    }
    lines->addStretch(1);  // the lines stay together when the box grows

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(group, 1);

    ok_ = new QPushButton(QIcon(QStringLiteral(":/icons/ok.png")), QStringLiteral("OK"), this);
    ok_->setIconSize(QSize(24, 24));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addStretch(1);

    setMinimumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}
