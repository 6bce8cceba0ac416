// The caption-less window that says what the logger link is doing.
#include "app/CCommProgressDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int WindowWidth = 440;
constexpr int WindowHeight = 100;
}  // namespace

CCommProgressDlg::CCommProgressDlg(QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                         | Qt::WindowTransparentForInput)
{
    setObjectName(QStringLiteral("commProgress"));
    // The window only informs: it never takes the focus or a click from the
    // main window behind it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // A thin dark border, since the window has no caption or frame of its own.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setFixedSize(WindowWidth, WindowHeight);

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("progressText"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setWordWrap(true);
    label_->setTextInteractionFlags(Qt::NoTextInteraction);

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(ProgressStepper::Minimum, ProgressStepper::Maximum);
    bar_->setValue(stepper_.position());
    bar_->setTextVisible(false);
    bar_->setFixedHeight(16);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 12);
    layout->setSpacing(8);
    layout->addWidget(label_, 1);
    layout->addWidget(bar_);

    timer_.setInterval(ProgressStepper::TickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &CCommProgressDlg::Tick);
    timer_.start();
    hide();
}

void CCommProgressDlg::showText(const QString& text)
{
    label_->setText(text);
    CentreOnParent();
    show();
    raise();
}

QString CCommProgressDlg::text() const
{
    return label_->text();
}

int CCommProgressDlg::position() const
{
    return bar_->value();
}

void CCommProgressDlg::Tick()
{
    bar_->setValue(stepper_.Tick());
}

void CCommProgressDlg::CentreOnParent()
{
    QRect area;
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr; owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}
