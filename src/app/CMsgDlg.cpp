// The message dialog: plain messages, OK/Cancel questions and the progress use.
#include "app/CMsgDlg.h"

#include <QCloseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>

QString CMsgDlg::sharedMessageText;
QPointer<CMsgDlg> CMsgDlg::currentMessageWindow;
QList<QPointer<CMsgDlg>> CMsgDlg::openDialogs_;

namespace {

// Layout of the dialog in dialog units (a quarter of the font's average
// character width across, an eighth of its height down), so it keeps its
// proportions with any font.
constexpr int DialogWidthDu = 221, DialogHeightDu = 75;
constexpr int TextXDu = 3, TextYDu = 7, TextWidthDu = 215, TextHeightDu = 37;
constexpr int OkXDu = 35, CancelXDu = 134, ButtonYDu = 55, ButtonWidthDu = 52, ButtonHeightDu = 16;
constexpr int ButtonImagePx = 24;

struct DialogUnits {
    explicit DialogUnits(const QFont& font)
    {
        const QFontMetrics fm(font);
        const int alphabet = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX = (alphabet / 26 + 1) / 2;
        baseY = fm.height();
    }
    int x(int du) const { return du * baseX / 4; }
    int y(int du) const { return du * baseY / 8; }
    QRect rect(int xDu, int yDu, int wDu, int hDu) const { return QRect(x(xDu), y(yDu), x(wDu), y(hDu)); }
    int baseX = 6, baseY = 13;
};

// An icon from the program's resources; a missing file gives no image.
QIcon ResourceIcon(const QString& path) { return QFile::exists(path) ? QIcon(path) : QIcon(); }

}  // namespace

CMsgDlg::CMsgDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tessaview U Messages"));
    // Caption with a close box, no help button, not sizable.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    textBox_ = new QPlainTextEdit(this);
    textBox_->setReadOnly(true);
    textBox_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textBox_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    textBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textBox_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    ok_->setIcon(ResourceIcon(QStringLiteral(":/icons/ok.png")));
    cancel_->setIcon(ResourceIcon(QStringLiteral(":/icons/cancel.png")));
    for (QPushButton* b : {ok_, cancel_})
        b->setIconSize(QSize(ButtonImagePx, ButtonImagePx));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] { done(Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { done(Cancel); });

    const DialogUnits du(font());
    textBox_->setGeometry(du.rect(TextXDu, TextYDu, TextWidthDu, TextHeightDu));
    // The buttons keep room for their 24-pixel images whatever the font.
    const int buttonHeight = std::max(du.y(ButtonHeightDu), ButtonImagePx + 8);
    ok_->setGeometry(du.x(OkXDu), du.y(ButtonYDu), du.x(ButtonWidthDu), buttonHeight);
    cancel_->setGeometry(du.x(CancelXDu), du.y(ButtonYDu), du.x(ButtonWidthDu), buttonHeight);
    setFixedSize(du.x(DialogWidthDu), std::max(du.y(DialogHeightDu), du.y(ButtonYDu) + buttonHeight + du.y(4)));
}

CMsgDlg::~CMsgDlg() { Forget(); }

void CMsgDlg::ShowMessage(QWidget* parent, const QString& text)
{
    CMsgDlg dlg(parent);
    dlg.messageText = text;
    dlg.exec();
}

bool CMsgDlg::AskOkCancel(QWidget* parent, const QString& text)
{
    CMsgDlg dlg(parent);
    dlg.messageText = text;
    return dlg.exec() == Ok;
}

int CMsgDlg::RunProgress(QWidget* parent, const QString& firstText)
{
    CMsgDlg dlg(parent);
    dlg.messageText = firstText;
    dlg.buttonsEnabled = false;
    return dlg.exec() == Ok ? Ok : Cancel;
}

bool CMsgDlg::UpdateCurrentMessage(const QString& text, bool enableButtons)
{
    sharedMessageText = text;
    CMsgDlg* dlg = currentMessageWindow.data();
    if (!dlg || !dlg->isVisible())
        return false;
    dlg->ApplyUpdate(enableButtons);
    return true;
}

void CMsgDlg::ApplyUpdate(bool enableButtons)
{
    SetText(sharedMessageText);
    if (enableButtons) {
        buttonsEnabled = true;
        SetButtonsEnabled(true);
    }
    // The sender may keep the user-interface thread busy after the update, so
    // paint now rather than when the event loop next runs.
    repaint();
}

void CMsgDlg::SetText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    textBox_->setPlainText(shown);
}

void CMsgDlg::SetButtonsEnabled(bool enabled)
{
    ok_->setEnabled(enabled);
    cancel_->setEnabled(enabled);
    if (enabled && !ok_->hasFocus() && !cancel_->hasFocus())
        ok_->setFocus();
}

void CMsgDlg::reject()
{
    // Escape and the close box act as Cancel, but only while Cancel could be
    // pressed: a progress dialog stays until its operation is done.
    if (buttonsEnabled)
        done(Cancel);
}

void CMsgDlg::closeEvent(QCloseEvent* event)
{
    if (!buttonsEnabled) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CMsgDlg::showEvent(QShowEvent* event)
{
    if (!initialised_) {
        initialised_ = true;
        SetText(messageText);
        SetButtonsEnabled(buttonsEnabled);
        openDialogs_.append(this);
        currentMessageWindow = this;
    }
    QDialog::showEvent(event);
}

void CMsgDlg::hideEvent(QHideEvent* event)
{
    // Hidden means closed: a modal run has ended.
    if (!isVisible()) {
        Forget();
        initialised_ = false;
    }
    QDialog::hideEvent(event);
}

void CMsgDlg::Forget()
{
    openDialogs_.removeIf([this](const QPointer<CMsgDlg>& p) { return p.isNull() || p.data() == this; });
    if (currentMessageWindow.data() == this || currentMessageWindow.isNull())
        currentMessageWindow = openDialogs_.isEmpty() ? nullptr : openDialogs_.last().data();
}
