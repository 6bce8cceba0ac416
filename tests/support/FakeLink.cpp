// In-memory fakes of the link's surroundings and builders of logger answers.
#include "support/FakeLink.h"

#include <algorithm>
#include <cstring>

namespace fakelink {

namespace {

constexpr uint8_t Head[4] = {0x01, 0x16, 0x7B, 0x28};
constexpr uint8_t Tail[4] = {0x29, 0x7D, 0x7E, 0x04};

void putLe(Bytes& out, uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void putText(Bytes& out, const std::string& text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

}  // namespace

PortOpenResult FakeTransport::Open(const QString& device)
{
    openedDevices << device;
    return openResult;
}

void FakeTransport::Send(const uint8_t* frame, int length)
{
    writes.emplace_back(frame, frame + length);
}

void FakeTransport::Receive(const Bytes& bytes)
{
    if (!receiver)
        return;
    for (size_t at = 0; at < bytes.size(); at += 1024) {
        const size_t n = std::min<size_t>(1024, bytes.size() - at);
        receiver->OnLinkData(bytes.data() + at, int(n));
    }
}

void FakeTransport::FailPort()
{
    if (receiver)
        receiver->OnPortFailure();
}

void FakeTimers::StartTimer(int id, int milliseconds)
{
    running[id] = milliseconds;
    events.push_back({true, id, milliseconds});
}

void FakeTimers::StopTimer(int id)
{
    running.erase(id);
    events.push_back({false, id, 0});
}

int FakeTimers::Period(int id) const
{
    const auto it = running.find(id);
    return it == running.end() ? 0 : it->second;
}

bool FakeTimers::Fire(int id)
{
    if (!IsRunning(id))
        return false;
    if (onExpiry)
        onExpiry(id);
    return true;
}

int FakeTimers::FireUntilStopped(int id, int limit)
{
    int fired = 0;
    while (fired < limit && Fire(id))
        ++fired;
    return fired;
}

bool RecordingPrompts::AskOkCancel(const QString& text)
{
    questions << text;
    questionCaptions << QString();
    return okCancelAnswer;
}

bool RecordingPrompts::AskYesNo(const QString& text, const QString& caption)
{
    questions << text;
    questionCaptions << caption;
    return yesNoAnswer;
}

void RecordingMessageSink::RunProgressMessage(const QString& firstText)
{
    dialogOpen = true;
    dialogButtonsEnabled = false;
    dialogText = firstText;
    dialogTexts << firstText;
    if (onProgressMessage)
        onProgressMessage();
}

void RecordingMessageSink::UpdateMessage(const QString& text, bool enableButtons)
{
    if (!dialogOpen)
        return;
    dialogText = text;
    dialogTexts << text;
    if (enableButtons)
        dialogButtonsEnabled = true;
}

void RecordingMessageSink::ShowProgress(const QString& text)
{
    progressShown = true;
    progressText = text;
}

int RecordingPrompts::ChoosePort(const QStringList& devices, int initialNumber)
{
    offeredPorts = devices;
    initialPort = initialNumber;
    return portChoice < 0 ? initialNumber : portChoice;
}

Bytes Frame(char letter, const std::string& identity, const Bytes& body)
{
    Bytes out(Head, Head + 4);
    putText(out, identity, 10);
    out.push_back(uint8_t(letter));
    out.insert(out.end(), body.begin(), body.end());
    uint8_t sum = 0;
    for (size_t i = 4; i < out.size(); ++i)
        sum ^= out[i];
    out.push_back(sum);
    out.insert(out.end(), Tail, Tail + 4);
    return out;
}

Bytes IdentifyAnswer(const IdentifyFields& f, uint8_t status)
{
    Bytes body{status, f.type};
    putText(body, f.name, 24);
    body.push_back(f.celsius);
    for (int8_t alarm : {f.high1, f.low1, f.high2, f.low2})
        body.push_back(uint8_t(alarm));
    return Frame('R', f.id, body);
}

Bytes SetupAnswer(const SetupFields& f)
{
    Bytes body{1};
    putText(body, f.name, 24);
    body.push_back(f.type);
    putText(body, f.model, 6);
    putLe(body, f.interval, 4);
    putLe(body, f.count, 4);
    putLe(body, uint32_t(f.memorySize), 4);
    for (int16_t offset : f.offsetTenths)
        putLe(body, uint16_t(offset), 2);
    body.push_back(f.celsius);
    body.push_back(f.startMode);
    putLe(body, uint32_t(f.startDelay), 4);
    return Frame('T', f.id, body);
}

Bytes StatusAnswer(char letter, uint8_t status, const std::string& identity)
{
    return Frame(letter, identity, {status});
}

uint32_t StampWord(int year, int month, int day, int hour, int minute, int second)
{
    return uint32_t(second) | uint32_t(minute) << 6 | uint32_t(hour) << 12 | uint32_t(day) << 17
        | uint32_t(month) << 22 | uint32_t(year - 2000) << 26;
}

// n is written as the low byte of the record count; every record given is
// written, so a test can also build a packet that lies about its size.
Bytes Packet(const std::vector<StreamRecord>& records, int channels, uint16_t packetNumber, uint16_t packetCount)
{
    Bytes out(Head, Head + 4);
    putText(out, "TV00012345", 10);
    out.push_back('X');
    out.push_back(1);
    putLe(out, packetCount, 2);
    putLe(out, packetNumber, 2);
    out.push_back(uint8_t(records.size()));
    for (const StreamRecord& r : records) {
        putLe(out, r.stamp, 4);
        putLe(out, uint16_t(r.ch1), 2);
        if (channels >= 2)
            putLe(out, uint16_t(r.ch2), 2);
    }
    out.push_back(0);  // checksum, not examined
    out.insert(out.end(), Tail, Tail + 4);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace fakelink
