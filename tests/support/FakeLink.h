// In-memory fakes of the link's surroundings (transport, timers, message
// dialog, panes, port list) and builders of the logger's answers, so that
// tests drive the link logic without a port and without waiting.
#pragma once

#include "link/LinkInterfaces.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fakelink {

using Bytes = std::vector<uint8_t>;

// Captures every write; a test feeds received bytes and port failures to the
// receiver it attached.
class FakeTransport : public ILinkTransport {
public:
    PortOpenResult Open(const QString& device) override;
    void StartReader() override { ++startReaderCount; }
    void Send(const uint8_t* frame, int length) override;
    void Shutdown() override { ++shutdownCount; }

    void Attach(ILinkReceiver* r) { receiver = r; }
    // Hands bytes over in chunks of at most 1024, as the real transport does.
    void Receive(const Bytes& bytes);
    void FailPort();

    PortOpenResult openResult{true, false, {}, {}};
    QStringList openedDevices;
    std::vector<Bytes> writes;
    int startReaderCount = 0;
    int shutdownCount = 0;
    ILinkReceiver* receiver = nullptr;
};

// Window timers: records every start and stop; Fire(id) delivers an expiry
// when the timer runs, as the platform would.
class FakeTimers : public ILinkTimers {
public:
    struct Event {
        bool start;
        int id;
        int milliseconds;  // 0 for a stop
    };
    void StartTimer(int id, int milliseconds) override;
    void StopTimer(int id) override;

    bool IsRunning(int id) const { return running.count(id) != 0; }
    int Period(int id) const;
    // Delivers one expiry of a running timer; false when it is not running.
    bool Fire(int id);
    // Fires id until it stops or limit expiries have been delivered; returns the count.
    int FireUntilStopped(int id, int limit = 100);

    std::function<void(int)> onExpiry;
    std::map<int, int> running;  // id → period
    std::vector<Event> events;
};

// The message dialog and progress window, recording what the user would see.
class RecordingMessageSink : public IMessageSink {
public:
    void ShowMessage(const QString& text) override { messages << text; }
    void RunProgressMessage(const QString& firstText) override;
    void UpdateMessage(const QString& text, bool enableButtons) override;
    void ShowProgress(const QString& text) override;
    void HideProgress() override { progressShown = false; }

    QString LastMessage() const { return messages.isEmpty() ? QString() : messages.last(); }

    QStringList messages;        // ShowMessage texts, in order
    bool progressShown = false;
    QString progressText;
    // The progress use of the message dialog.
    bool dialogOpen = false;
    bool dialogButtonsEnabled = true;
    QString dialogText;
    QStringList dialogTexts;     // every text the dialog showed
    std::function<void()> onProgressMessage;  // runs inside RunProgressMessage
};

class FakePaneActions : public IPaneActions {
public:
    void ShowSetupPane() override { ++setupPaneShown; }
    void EnableLoggerButtons(bool enabled) override { loggerButtons.push_back(enabled); }
    void ShowSetupValues() override { ++setupValuesShown; }
    void ShowFileList() override { ++fileListShown; }
    void RedrawChartNow() override { ++chartRedrawn; }

    int setupPaneShown = 0;
    int setupValuesShown = 0;
    int fileListShown = 0;
    int chartRedrawn = 0;
    std::vector<bool> loggerButtons;
};

// The questions and the port choice, recording what was asked and answering
// from scripted values.
class RecordingPrompts : public ILinkPrompts {
public:
    bool AskOkCancel(const QString& text) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    int ChoosePort(const QStringList& devices, int initialNumber) override;

    bool okCancelAnswer = true;
    bool yesNoAnswer = true;
    QStringList questions;       // AskOkCancel and AskYesNo texts
    QStringList questionCaptions;
    int portChoice = -1;  // -1: accept the initial number; 0: cancel
    QStringList offeredPorts;
    int initialPort = 0;
};

// Keeps every outcome the link reports, in order.
class RecordingObserver : public ILinkObserver {
public:
    void OnExchangeEnded(const ExchangeOutcome& outcome) override { exchanges.push_back(outcome); }
    void OnDownloadEnded(const DownloadOutcome& outcome) override { downloads.push_back(outcome); }
    void OnLinkStateChanged() override { ++stateChanges; }

    std::vector<ExchangeOutcome> exchanges;
    std::vector<DownloadOutcome> downloads;
    int stateChanges = 0;
};

class FakePortDirectory : public IPortDirectory {
public:
    QStringList Devices() override { return devices; }
    QStringList devices;
};

// Answers of the logger, with a correct checksum and tail.

// head, identity (10 zero bytes when empty), letter, body (status and data
// from byte 15 on), checksum, tail.
Bytes Frame(char letter, const std::string& identity, const Bytes& body);

struct IdentifyFields {
    std::string id = "TV00012345";
    uint8_t type = 1;
    std::string name = "ROOM";
    uint8_t celsius = 1;
    int8_t high1 = 30, low1 = -10, high2 = 80, low2 = 20;
};
Bytes IdentifyAnswer(const IdentifyFields& fields, uint8_t status = 1);

struct SetupFields {
    std::string id = "TV00012345";
    std::string name = "ROOM";
    uint8_t type = 1;
    std::string model = "TH-200";
    uint32_t interval = 60;
    uint32_t count = 500;
    int32_t memorySize = 262144;
    int16_t offsetTenths[3] = {0, 0, 0};
    uint8_t celsius = 1;
    uint8_t startMode = 0;
    int32_t startDelay = 0;
};
Bytes SetupAnswer(const SetupFields& fields);

// A short answer of the write, set-clock or erase exchange: the status byte only.
Bytes StatusAnswer(char letter, uint8_t status, const std::string& identity = "TV00012345");

// One record of the download stream.
struct StreamRecord {
    uint32_t stamp;
    int16_t ch1;
    int16_t ch2 = 0;
};
// The 32-bit time word of a record.
uint32_t StampWord(int year, int month, int day, int hour, int minute, int second);
// One packet of n records of 6 (one channel) or 8 bytes.
Bytes Packet(const std::vector<StreamRecord>& records, int channels, uint16_t packetNumber = 0,
             uint16_t packetCount = 1);
Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace fakelink
