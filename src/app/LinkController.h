// The main window's logger link: the serial transport, the port directory,
// the timers and LinkSession, with what the session asks of the window
// passed on to the dialogs, the panes and the chart view.
#pragma once

#include "link/LinkInterfaces.h"

#include <QObject>
#include <QPointer>

#include <memory>

struct AppData;
class CCommProgressDlg;
class CLoggerView;
class CSerialPort;
class IUserDialogs;
class LinkSession;
class LinkTimerSwitch;
class PaneManager;
class QtLinkTimers;
class QWidget;

class LinkController : public QObject,
                       public IMessageSink,
                       public ILinkPrompts,
                       public IPaneActions,
                       public ILinkObserver,
                       private ILinkReceiver {
    Q_OBJECT
public:
    // window is the parent of the dialogs and of the progress window.
    // demoDevice, when set, is the one device offered (the demo logger).
    LinkController(AppData& data, const QString& demoDevice, QWidget& window, IUserDialogs& dialogs,
                   PaneManager& panes, CLoggerView& view);
    // The transport stops before the session it hands chunks to goes away.
    ~LinkController() override;

    LinkSession& link() const { return *link_; }
    IPortDirectory& portDirectory() const { return *ports_; }
    CCommProgressDlg* progressWindow() const { return progress_; }
    // Hands the link's timers to a replacement (tests drive the time-outs by
    // hand); nullptr goes back to the window timers.
    void UseLinkTimers(ILinkTimers* timers);
    // Inside the pause of a Disconnect.
    bool pausing() const { return pausing_; }

    // Runs a command of the session; nothing while the link pauses.
    void Run(void (LinkSession::*command)());
    // An expiry of a link timer (the window timers or a replacement's).
    void OnLinkTimer(int id);

    // IMessageSink
    void ShowMessage(const QString& text) override;
    void RunProgressMessage(const QString& firstText) override;
    void UpdateMessage(const QString& text, bool enableButtons) override;
    void ShowProgress(const QString& text) override;
    void HideProgress() override;

    // ILinkPrompts
    bool AskOkCancel(const QString& text) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    // The directory knows more of each device than its path: the list shows it.
    int ChoosePort(const QStringList& devices, int initialNumber) override;

    // IPaneActions
    void ShowSetupPane() override;
    void EnableLoggerButtons(bool enabled) override;
    void ShowSetupValues() override;
    void ShowFileList() override;
    void RedrawChartNow() override;
    // Waits while the event loop runs on, so the window keeps painting.
    void Pause(int milliseconds) override;

    // ILinkObserver
    void OnExchangeEnded(const ExchangeOutcome& outcome) override;
    void OnDownloadEnded(const DownloadOutcome& outcome) override;

signals:
    // What the enabling rules read of the link may have changed: connected,
    // the active command, the pause.
    void stateChanged();
    // A logger's thresholds became its alarm limits.
    void limitsChanged();

private:
    // ILinkReceiver: passes chunks and failures on to the session.
    void OnLinkData(const uint8_t* data, int count) override;
    void OnPortFailure() override;
    // Tells stateChanged when the state the rules read differs from seen_.
    void NoteState();

    struct Seen {
        bool connected = false;
        char activeCommand = 0;
        bool pausing = false;
        bool operator==(const Seen&) const = default;
    };
    Seen Current() const;

    AppData& data_;
    QWidget& window_;
    IUserDialogs& dialogs_;
    PaneManager& panes_;
    CLoggerView& view_;
    QPointer<CCommProgressDlg> progress_;
    bool pausing_ = false;
    Seen seen_;

    std::unique_ptr<CSerialPort> serial_;
    std::unique_ptr<IPortDirectory> ports_;
    std::unique_ptr<QtLinkTimers> windowTimers_;
    std::unique_ptr<LinkTimerSwitch> timers_;
    std::unique_ptr<LinkSession> link_;
};
