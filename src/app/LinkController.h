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
                       public ILinkObserver {
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
    // Runs a command of the session; nothing while the link pauses after a
    // connection ended.
    void Run(void (LinkSession::*command)());

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

    // ILinkObserver: the outcomes were shown as messages already; a change
    // of the session's state is passed on as stateChanged.
    void OnExchangeEnded(const ExchangeOutcome&) override {}
    void OnDownloadEnded(const DownloadOutcome&) override {}
    void OnLinkStateChanged() override;

signals:
    // What the enabling rules read of the link changed: connected, the
    // active command or the pause after a connection.
    void stateChanged();
    // A logger's thresholds became its alarm limits.
    void limitsChanged();

private:
    AppData& data_;
    QWidget& window_;
    IUserDialogs& dialogs_;
    PaneManager& panes_;
    CLoggerView& view_;
    QPointer<CCommProgressDlg> progress_;

    std::unique_ptr<CSerialPort> serial_;
    std::unique_ptr<IPortDirectory> ports_;
    std::unique_ptr<QtLinkTimers> windowTimers_;
    std::unique_ptr<LinkTimerSwitch> timers_;
    std::unique_ptr<LinkSession> link_;
};
