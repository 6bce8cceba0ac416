// What the link logic needs of the world around it. The GUI, the CLI and the
// tests each provide their own implementations.
#pragma once

#include "link/LinkOutcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// Result of opening a serial device.
struct PortOpenResult {
    bool ok = false;
    bool permissionDenied = false;  // the device exists but this user may not open it
    QString deviceGroup;            // the group that owns the device, for the hint
    QString errorText;              // the system's reason, for diagnostics; with ok, the
                                    // line setting that the device refused (the port
                                    // then runs with the settings it had)
};

// Moves bytes to and from the logger. Received chunks come back on the
// user-interface thread through ILinkReceiver.
class ILinkTransport {
public:
    virtual ~ILinkTransport() = default;
    virtual PortOpenResult Open(const QString& device) = 0;
    virtual void StartReader() = 0;
    virtual void Send(const uint8_t* frame, int length) = 0;
    virtual void Shutdown() = 0;
};

// Where the transport hands received chunks and port failures, always on the
// user-interface thread, one at a time.
class ILinkReceiver {
public:
    virtual ~ILinkReceiver() = default;
    virtual void OnLinkData(const uint8_t* data, int count) = 0;  // 1 … 1024 bytes
    virtual void OnPortFailure() = 0;
};

// Window-timer semantics: starting a running timer restarts it with the new
// period; expiries come back as LinkSession::OnLinkTimer(id).
class ILinkTimers {
public:
    virtual ~ILinkTimers() = default;
    virtual void StartTimer(int id, int milliseconds) = 0;
    virtual void StopTimer(int id) = 0;
};

// The message dialog and the progress window.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Modal message; returns when the user has closed it.
    virtual void ShowMessage(const QString& text) = 0;
    // The progress use of the message dialog: opens with its buttons disabled.
    // A GUI runs it modally and returns when the user closes it; others return at once.
    virtual void RunProgressMessage(const QString& firstText) = 0;
    // Text update of the open message dialog; enableButtons also enables OK and
    // Cancel. Reaches nothing when no message dialog is open.
    virtual void UpdateMessage(const QString& text, bool enableButtons) = 0;
    // The caption-less progress window.
    virtual void ShowProgress(const QString& text) = 0;
    virtual void HideProgress() = 0;
};

// The questions put to the user; each returns when the user has answered.
class ILinkPrompts {
public:
    virtual ~ILinkPrompts() = default;
    // Modal OK/Cancel question; true only for OK.
    virtual bool AskOkCancel(const QString& text) = 0;
    // Standard Yes/No message box; true only for Yes.
    virtual bool AskYesNo(const QString& text, const QString& caption) = 0;
    // The user's choice among several devices (at most 16 are offered), given
    // by path; an implementation may look up what the port directory knows of
    // each. Returns the 1-based number chosen, or 0 when cancelled.
    virtual int ChoosePort(const QStringList& devices, int initialNumber) = 0;
};

// What the link asks of the panes and the chart.
class IPaneActions {
public:
    virtual ~IPaneActions() = default;
    virtual void ShowSetupPane() = 0;                 // only the Setup pane, with the focus
    virtual void EnableLoggerButtons(bool enabled) = 0;
    virtual void ShowSetupValues() = 0;               // refill the setup pane from LoggerConfig
    virtual void ShowFileList() = 0;                  // only the File List pane, refreshed
    virtual void RedrawChartNow() = 0;                // draw the store at once, set the title
};

// Why a device is offered: named by the user, a USB serial device, or a
// built-in serial port (offered only when there is none of the others).
enum class PortKind : uint8_t { Unknown, Named, Usb, BuiltIn };

// What the system knows of one serial device; only the path is always set.
struct PortRecord {
    QString path;          // as it is opened: /dev/ttyUSB0, or as TESSAVIEW_PORTS names it
    QString byIdName;      // its name in /dev/serial/by-id, when it has one
    QString manufacturer;
    QString product;
    QString serialNumber;
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
    PortKind kind = PortKind::Unknown;

    // "0403:6001" (four lower-case hex digits each), empty without USB ids.
    QString VidPid() const
    {
        if (!hasUsbIds)
            return {};
        return QStringLiteral("%1:%2").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0'));
    }
};

// The serial devices that may be loggers, numbered from 1 in list order.
class IPortDirectory {
public:
    virtual ~IPortDirectory() = default;
    virtual QStringList Devices() = 0;
    // The same devices with what the system knows of each, in the same order.
    virtual QList<PortRecord> Records()
    {
        QList<PortRecord> records;
        for (const QString& device : Devices())
            records.append(PortRecord{device, {}, {}, {}, {}, false, 0, 0, PortKind::Unknown});
        return records;
    }
};

// Hears how every exchange and every download ended, as values, after the
// user has been shown its text. Knows nothing of widgets.
class ILinkObserver {
public:
    virtual ~ILinkObserver() = default;
    virtual void OnExchangeEnded(const ExchangeOutcome& outcome) = 0;
    virtual void OnDownloadEnded(const DownloadOutcome& outcome) = 0;
    // connected(), activeCommand() or pausing() of the session has changed;
    // called once per change, before any message that change brings.
    virtual void OnLinkStateChanged() {}
};
