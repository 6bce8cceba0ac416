// A logger in software: takes request bytes, answers as a logger would, with
// optional faults. No I/O of its own; the simulator program and tests drive it.
#include "SimulatedLogger.h"

#include "logdata/Units.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace loggersim {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr size_t RequestsKept = 256;

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(v >> shift));
}

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int16_t GetI16(const uint8_t* p)
{
    return int16_t(uint16_t(p[0] | p[1] << 8));
}

void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

int FromBcd(uint8_t b)
{
    return (b >> 4) * 10 + (b & 0x0F);
}

int16_t Tenths(double value)
{
    return int16_t(std::lround(value * 10.0));
}

}  // namespace

SimulatedLogger::SimulatedLogger(SimSettings settings) : settings_(std::move(settings))
{
    const LoggerTypeRow row = LookupLoggerType(settings_.type);
    channelCount_ = row.channelCount;
    kind_[0] = row.setsKind[0] ? row.kind[0] : 0;
    kind_[1] = row.setsKind[1] ? row.kind[1] : 0;
    recordCount_ = std::max(0, settings_.records);
    std::memset(id_, '0', sizeof id_);
    std::memcpy(id_, settings_.id.data(), std::min<size_t>(settings_.id.size(), sizeof id_));
    name_ = settings_.name.substr(0, 24);
    interval_ = settings_.interval;
    celsius_ = settings_.celsius ? 1 : 0;
    settings_.memoryBytes = std::max<int32_t>(settings_.memoryBytes, recordCount_ * recordSize());
    settings_.recordsPerPacket = std::clamp(settings_.recordsPerPacket, 1, 255);
    faultsLeft_ = settings_.faultTimes;
}

size_t SimulatedLogger::RequestLength(uint8_t letter)
{
    switch (letter) {
    case 'Q':
    case 'S':
    case 'W':
    case 'Y':
        return 20;
    case 'U':
        return 65;
    case '[':
        return 28;
    default:
        return 0;
    }
}

uint8_t SimulatedLogger::Checksum(const uint8_t* frame, size_t length)
{
    uint8_t sum = 0;
    for (size_t i = 4; i + 5 < length; ++i)
        sum ^= frame[i];
    return sum;
}

std::vector<uint8_t> SimulatedLogger::BuildFrame(const char id[10], uint8_t letter, const std::vector<uint8_t>& payload)
{
    // Sized once and filled in place (growing it piece by piece trips a
    // false -Warray-bounds in GCC 12).
    std::vector<uint8_t> frame(20 + payload.size());
    std::copy(Head, Head + 4, frame.begin());
    std::copy(id, id + 10, frame.begin() + 4);
    frame[14] = letter;
    std::copy(payload.begin(), payload.end(), frame.begin() + 15);
    std::copy(Tail, Tail + 4, frame.end() - 4);
    frame[frame.size() - 5] = Checksum(frame.data(), frame.size());
    return frame;
}

std::vector<Reaction> SimulatedLogger::Feed(const uint8_t* data, size_t length)
{
    std::vector<Reaction> reactions;
    input_.insert(input_.end(), data, data + length);
    size_t pos = 0;
    while (input_.size() - pos >= 4) {
        if (!std::equal(Head, Head + 4, input_.begin() + long(pos))) {
            ++pos;
            continue;
        }
        if (input_.size() - pos < 15)
            break;
        const size_t n = RequestLength(input_[pos + 14]);
        if (n == 0) {
            ++pos;
            continue;
        }
        if (input_.size() - pos < n)
            break;
        const uint8_t* frame = input_.data() + pos;
        uint8_t expected = Checksum(frame, n);
        // The download request carries the erase request's checksum: the
        // identity and 'Y', not its own letter.
        if (frame[14] == 'W')
            expected ^= uint8_t('W' ^ 'Y');
        const bool tailOk = std::equal(Tail, Tail + 4, frame + n - 4);
        if (!tailOk || frame[n - 5] != expected) {
            ++pos;
            continue;
        }
        std::vector<uint8_t> request(frame, frame + n);
        pos += n;
        reactions.push_back(React(request));
    }
    input_.erase(input_.begin(), input_.begin() + long(pos));
    if (input_.size() > InputLimit)
        input_.erase(input_.begin(), input_.end() - long(InputLimit));
    return reactions;
}

bool SimulatedLogger::FaultApplies(char letter) const
{
    return settings_.fault != Fault::None
           && (settings_.faultOn.empty() || settings_.faultOn.find(letter) != std::string::npos);
}

bool SimulatedLogger::TakeFault(char letter)
{
    if (!FaultApplies(letter) || faultsLeft_ == 0)
        return false;
    if (faultsLeft_ > 0)
        --faultsLeft_;
    return true;
}

Reaction SimulatedLogger::React(const std::vector<uint8_t>& request)
{
    const char letter = char(request[14]);
    Reaction reaction;
    reaction.request = letter;

    requests_.push_back(request);
    if (requests_.size() > RequestsKept)
        requests_.erase(requests_.begin());
    repeats_ = request == lastRequest_ ? repeats_ + 1 : 1;
    lastRequest_ = request;

    // answer-after holds back a repeat without using up a strike: it is over
    // once the request came often enough.
    if (settings_.fault == Fault::AnswerAfter) {
        if (FaultApplies(letter) && faultsLeft_ != 0 && repeats_ <= settings_.faultCount)
            return reaction;
        if (FaultApplies(letter) && faultsLeft_ > 0 && repeats_ == settings_.faultCount + 1)
            --faultsLeft_;
        faultNow_ = false;
    } else {
        faultNow_ = TakeFault(letter);
        if (faultNow_ && settings_.fault == Fault::NeverAnswer)
            return reaction;
        // The line goes before the request is carried out.
        if (faultNow_ && settings_.fault == Fault::Hangup) {
            reaction.hangUp = true;
            reaction.hangUpDelayMs = settings_.hangupDelayMs;
            return reaction;
        }
    }

    const uint8_t* r = request.data();
    std::vector<uint8_t> payload{1};
    switch (letter) {
    case 'Q':
        payload.push_back(settings_.type);
        PutText(payload, name_, 24);
        payload.push_back(celsius_);
        for (int8_t a : alarm_)
            payload.push_back(uint8_t(a));
        reaction.outputs = Answer('R', payload);
        if (faultNow_ && settings_.fault == Fault::HangupAfterIdentify) {
            reaction.hangUp = true;
            reaction.hangUpDelayMs = settings_.hangupDelayMs;
        }
        break;
    case 'S':
        PutText(payload, name_, 24);
        payload.push_back(settings_.type);
        PutText(payload, settings_.model, 6);
        PutU32(payload, interval_);
        PutU32(payload, uint32_t(recordCount_));
        PutU32(payload, uint32_t(settings_.memoryBytes));
        for (int16_t o : offset_)
            PutU16(payload, uint16_t(o));
        payload.push_back(celsius_);
        payload.push_back(startMode_);
        PutU32(payload, uint32_t(startDelay_));
        reaction.outputs = Answer('T', payload);
        break;
    case 'U': {
        // A printable identity renames the logger; ten zero bytes (a serial
        // number the program refused) leave it as it was.
        if (std::all_of(r + 4, r + 14, [](uint8_t c) { return c >= 0x20 && c < 0x7F; }))
            std::memcpy(id_, r + 4, 10);
        name_.assign(reinterpret_cast<const char*>(r + 16), strnlen(reinterpret_cast<const char*>(r + 16), 24));
        interval_ = GetU32(r + 40);
        for (int c = 0; c < 3; ++c)
            offset_[c] = GetI16(r + 44 + 2 * c);
        celsius_ = r[50];
        for (int a = 0; a < 4; ++a)
            alarm_[a] = int8_t(r[51 + a]);
        startMode_ = r[55];
        startDelay_ = int32_t(GetU32(r + 56));
        reaction.outputs = Answer('V', payload);
        break;
    }
    case '[':
        clockSet_ = true;
        clock_ = {};
        clock_.tm_sec = FromBcd(r[16]);
        clock_.tm_min = FromBcd(r[17]);
        clock_.tm_hour = FromBcd(r[18]);
        clock_.tm_mday = FromBcd(r[19]);
        clock_.tm_mon = FromBcd(r[20]) - 1;
        clock_.tm_year = FromBcd(r[21]) * 100 + FromBcd(r[22]) - 1900;
        reaction.outputs = Answer('\\', payload);
        break;
    case 'W':
        reaction.outputs = DownloadStream();
        break;
    case 'Y':
        recordCount_ = 0;
        reaction.outputs = Answer('Z', payload);
        break;
    default:
        break;
    }
    if (faultNow_ && (settings_.fault == Fault::HangupAfterBytes || settings_.fault == Fault::StallAfterBytes)) {
        Cut(reaction.outputs, size_t(std::max(0, settings_.faultBytes)));
        if (settings_.fault == Fault::HangupAfterBytes) {
            reaction.hangUp = true;
            reaction.hangUpDelayMs = settings_.cutHangupDelayMs;
        }
    }
    return reaction;
}

void SimulatedLogger::Cut(std::vector<Output>& outputs, size_t bytes)
{
    size_t kept = 0;
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (kept + outputs[i].bytes.size() >= bytes) {
            outputs[i].bytes.resize(bytes - kept);
            outputs.resize(outputs[i].bytes.empty() ? i : i + 1);
            return;
        }
        kept += outputs[i].bytes.size();
    }
}

std::vector<Output> SimulatedLogger::Answer(uint8_t letter, std::vector<uint8_t> payload) const
{
    const Fault fault = faultNow_ ? settings_.fault : Fault::None;
    if (fault == Fault::Status0)
        payload[0] = 0;
    if (fault == Fault::WrongLength && !payload.empty())
        payload.pop_back();
    std::vector<uint8_t> frame = BuildFrame(id_, letter, payload);
    if (fault == Fault::BadChecksum)
        frame[frame.size() - 5] ^= 0xFF;
    if (fault == Fault::Split) {
        const size_t half = frame.size() / 2;
        return {Output{0, std::vector<uint8_t>(frame.begin(), frame.begin() + long(half))},
                Output{settings_.splitPauseMs, std::vector<uint8_t>(frame.begin() + long(half), frame.end())}};
    }
    return {Output{0, frame}};
}

std::vector<Output> SimulatedLogger::DownloadStream() const
{
    std::vector<Output> outputs;
    const int perPacket = settings_.recordsPerPacket;
    const int packets = (recordCount_ + perPacket - 1) / perPacket;
    const bool split = faultNow_ && settings_.fault == Fault::Split;
    // Packets count 1, 2, 3 … of the total; a misnumbering logger counts from 0.
    const int firstNumber = faultNow_ && settings_.fault == Fault::MisnumberedPackets ? 0 : 1;
    for (int p = 0; p < packets; ++p) {
        const int first = p * perPacket;
        const int n = std::min(perPacket, recordCount_ - first);
        std::vector<uint8_t> payload{1};
        PutU16(payload, uint16_t(packets));
        PutU16(payload, uint16_t(p + firstNumber));
        payload.push_back(uint8_t(n));
        for (int i = first; i < first + n; ++i) {
            PutU32(payload, PackTime(RecordTime(i)));
            PutU16(payload, uint16_t(Reading(1, i)));
            if (channelCount_ >= 2)
                PutU16(payload, uint16_t(Reading(2, i)));
        }
        const int delay = p == 0 ? 0 : (split && p == packets / 2 ? settings_.splitPauseMs : settings_.packetGapMs);
        outputs.push_back(Output{delay, BuildFrame(id_, 'X', payload)});
    }
    return outputs;
}

std::tm SimulatedLogger::RecordTime(int index) const
{
    std::tm start = settings_.start;
    start.tm_isdst = 0;
    // The logger's clock has no time zone: count in UTC so that no daylight
    // saving change moves a record.
    const time_t t = timegm(&start) + time_t(index) * time_t(interval_);
    std::tm out {};
    gmtime_r(&t, &out);
    return out;
}

uint32_t SimulatedLogger::PackTime(const std::tm& time)
{
    const uint32_t year = uint32_t(std::clamp(time.tm_year + 1900 - 2000, 0, 63));
    return uint32_t(time.tm_sec & 0x3F) | uint32_t(time.tm_min & 0x3F) << 6 | uint32_t(time.tm_hour & 0x1F) << 12
           | uint32_t(time.tm_mday & 0x1F) << 17 | uint32_t((time.tm_mon + 1) & 0x0F) << 22 | year << 26;
}

int16_t SimulatedLogger::Reading(int channel, int index) const
{
    const std::tm t = RecordTime(index);
    const double day = (t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec) / 86400.0;
    const double daily = std::sin(2 * Pi * (day - 0.375));  // warmest in the afternoon
    const double ripple = std::sin(2 * Pi * index / 17.0);
    const int8_t kind = kind_[channel == 2 ? 1 : 0];
    double value = 0;
    switch (kind) {
    case 0: {
        double c = 21.5 + 3.5 * daily + 0.4 * ripple - (channel == 2 ? 2.0 : 0.0);
        value = celsius_ ? c : c * 9.0 / 5.0 + 32.0;
        break;
    }
    case 1:
        value = std::clamp(55.0 - 9.0 * daily + 1.5 * std::cos(2 * Pi * index / 23.0), 5.0, 99.0);
        break;
    case 2:
        value = 600.0 + 150.0 * daily;
        break;
    case 3:
        value = 1013.0 + 4.0 * daily;
        break;
    case 6:
        value = (index / 10) % 2;
        break;
    default:
        value = 50.0 + 10.0 * daily;
        break;
    }
    return Tenths(value);
}

}  // namespace loggersim
