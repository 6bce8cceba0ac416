// The logger link of the main window and what it asks of the window.
#include "app/LinkController.h"

#include "app/CCommProgressDlg.h"
#include "app/CDSLCom.h"
#include "app/CLoggerView.h"
#include "app/Commands.h"
#include "app/DemoPortDirectory.h"
#include "app/LinkTimerSwitch.h"
#include "app/PaneManager.h"
#include "app/UserDialogs.h"
#include "link/AppData.h"
#include "link/CSerialPort.h"
#include "link/LinkSession.h"
#include "link/PortDirectory.h"
#include "link/QtLinkTimers.h"
#include "link/ThresholdLimits.h"
#include "panes/CPropertiesPane.h"


LinkController::LinkController(AppData& data, const QString& demoDevice, QWidget& window, IUserDialogs& dialogs,
                               PaneManager& panes, CLoggerView& view)
    : data_(data), window_(window), dialogs_(dialogs), panes_(panes), view_(view)
{
    progress_ = new CCommProgressDlg(&window_);
    progress_->hide();

    serial_ = std::make_unique<CSerialPort>();
    if (demoDevice.isEmpty())
        ports_ = std::make_unique<PortDirectory>();
    else
        ports_ = std::make_unique<DemoPortDirectory>(demoDevice);
    windowTimers_ = std::make_unique<QtLinkTimers>();
    windowTimers_->SetScale(QtLinkTimers::ScaleFromEnvironment());  // 1 but in tests
    timers_ = std::make_unique<LinkTimerSwitch>(*windowTimers_);
    link_ = std::make_unique<LinkSession>(data_, *serial_, *timers_, *this, *this, *this, *ports_);
    link_->SetObserver(this);
    serial_->SetReceiver(link_.get());
    windowTimers_->SetCallback([this](int id) { link_->OnLinkTimer(id); });

    // The setup pane's buttons run the session's exchanges; a pane first
    // made while a logger is connected starts with its buttons enabled.
    connect(&panes_, &PaneManager::paneAttached, this, [this](int id, QWidget* w) {
        auto* setup = qobject_cast<CPropertiesPane*>(w);
        if (id != pane::SetupId || !setup)
            return;
        connect(setup, &CPropertiesPane::readSetupRequested, this, [this] { Run(&LinkSession::ReadSetup); });
        connect(setup, &CPropertiesPane::writeSetupRequested, this, [this] { Run(&LinkSession::WriteSetup); });
        connect(setup, &CPropertiesPane::setClockRequested, this, [this] { Run(&LinkSession::SetClock); });
        setup->EnableLoggerButtons(link_->connected());
    });
}

LinkController::~LinkController()
{
    // The transport stops its worker before the link logic it hands chunks to
    // goes away; the timers go before the link as well.
    serial_->SetReceiver(nullptr);
    serial_.reset();
    windowTimers_->SetCallback({});
    timers_->Use(nullptr);
    link_->SetObserver(nullptr);
}

void LinkController::UseLinkTimers(ILinkTimers* timers)
{
    timers_->Use(timers);
}

void LinkController::Run(void (LinkSession::*command)())
{
    if (link_->pausing())
        return;
    ((*link_).*command)();
}

void LinkController::OnLinkStateChanged()
{
    emit stateChanged();
}

// ---------------------------------------------------------------- messages

void LinkController::ShowMessage(const QString& text)
{
    dialogs_.ShowMessage(&window_, text);
}

void LinkController::RunProgressMessage(const QString& firstText)
{
    dialogs_.RunProgressMessage(&window_, firstText);
}

void LinkController::UpdateMessage(const QString& text, bool enableButtons)
{
    dialogs_.UpdateMessage(text, enableButtons);
}

void LinkController::ShowProgress(const QString& text)
{
    progress_->showText(text);
}

void LinkController::HideProgress()
{
    progress_->hide();
}

bool LinkController::AskOkCancel(const QString& text)
{
    return dialogs_.AskOkCancel(&window_, text);
}

bool LinkController::AskYesNo(const QString& text, const QString& caption)
{
    return dialogs_.AskYesNo(&window_, text, caption);
}

int LinkController::ChoosePort(const QStringList& devices, int initialNumber)
{
    return CDSLCom::Choose(&window_, CDSLCom::RecordsFor(devices, ports_->Records()), initialNumber);
}

// ---------------------------------------------------------------- panes

void LinkController::ShowSetupPane()
{
    // A logger has just answered: its thresholds become its alarm limits
    // unless the user chose others for it.
    if (AdoptThresholdsAsLimits(data_.config))
        emit limitsChanged();
    panes_.ShowOnlyPane(pane::Setup);
}

void LinkController::EnableLoggerButtons(bool enabled)
{
    if (CPropertiesPane* setup = panes_.setupPane()) {
        setup->EnableLoggerButtons(enabled);
        // Connect and Disconnect forget the setup read before: the grid shows
        // no value of a logger that was connected earlier.
        if (!data_.config.setupRead)
            setup->ClearSetupValues();
    }
}

void LinkController::ShowSetupValues()
{
    if (CPropertiesPane* setup = panes_.setupPane())
        setup->ShowSetupValues();
}

void LinkController::ShowFileList()
{
    panes_.ShowOnlyPane(pane::FileList);
}

void LinkController::RedrawChartNow()
{
    view_.RedrawChartNow();
}
