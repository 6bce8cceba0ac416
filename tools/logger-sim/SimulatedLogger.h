// A logger in software: takes request bytes, answers as a logger would, with
// optional faults. No I/O of its own; the simulator program and tests drive it.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace loggersim {

enum class Fault {
    None,
    NeverAnswer,          // reads requests, answers none
    AnswerAfter,          // answers only once the same request came faultCount + 1 times in a row
    BadChecksum,          // answers with a wrong checksum byte
    WrongLength,          // answers one byte short (checksum right for the short frame)
    Status0,              // answers with status 0
    Split,                // answers in two halves with a pause between
    HangupAfterIdentify,  // closes the line a moment after the identify answer
    Hangup,               // takes a request without carrying it out, then closes the line
    HangupAfterBytes,     // sends the first faultBytes of the answer, then closes the line
    StallAfterBytes,      // sends the first faultBytes of the answer, then nothing more
    MisnumberedPackets,   // numbers the download packets 0, 1, 2 … instead of 1, 2, 3 …
};

struct SimSettings {
    uint8_t type = 1;                 // logger type code (1: temperature and humidity)
    std::string name = "SIM LOGGER";  // up to 24 characters
    std::string id = "SIM0000001";    // 10 characters
    std::string model = "SIM-01";     // 6 characters
    bool celsius = true;
    int records = 0;                  // records held in memory
    uint32_t interval = 60;           // seconds between records
    std::tm start = {};               // time of record 0 (fields as written on the logger)
    int32_t memoryBytes = 262144;
    Fault fault = Fault::None;
    int faultCount = 0;               // K of answer-after=K
    int faultBytes = 0;               // N of hangup-after-bytes=N and stall-after-bytes=N
    std::string faultOn;              // request letters the fault applies to; empty: all
    int faultTimes = -1;              // requests the fault spoils before the logger behaves; -1: all
    int splitPauseMs = 400;
    int hangupDelayMs = 500;
    int cutHangupDelayMs = 20;        // from the last byte of a cut answer to the hang-up
    int packetGapMs = 10;             // pause between two download packets
    int recordsPerPacket = 40;
};

// A piece of the answer: wait delayMs, then write bytes.
struct Output {
    int delayMs = 0;
    std::vector<uint8_t> bytes;
};

// What one request makes the logger do.
struct Reaction {
    char request = 0;            // the request's letter
    std::vector<Output> outputs;
    bool hangUp = false;         // close the line hangUpDelayMs after the last output,
    int hangUpDelayMs = 0;       // once the program has read what was sent
};

class SimulatedLogger {
public:
    static constexpr uint8_t Head[4] = {0x01, 0x16, 0x7B, 0x28};
    static constexpr uint8_t Tail[4] = {0x29, 0x7D, 0x7E, 0x04};
    static constexpr size_t InputLimit = 4096;

    explicit SimulatedLogger(SimSettings settings);

    // Takes received bytes; returns a reaction for every whole request among
    // them. Bytes that cannot start a valid request are skipped.
    std::vector<Reaction> Feed(const uint8_t* data, size_t length);

    // The length of a request by its letter; 0 for a letter no logger knows.
    static size_t RequestLength(uint8_t letter);
    // Exclusive-or of bytes 4 … n − 6 of a frame of n bytes.
    static uint8_t Checksum(const uint8_t* frame, size_t length);
    // head, identity, letter, payload (status first for answers), checksum, tail.
    static std::vector<uint8_t> BuildFrame(const char id[10], uint8_t letter, const std::vector<uint8_t>& payload);

    // The reading of channel (1 or 2) in record index, in tenths of the unit,
    // as stored in the logger's memory.
    int16_t Reading(int channel, int index) const;
    // Time of record index, as written on the logger.
    std::tm RecordTime(int index) const;
    // The 32-bit word a record carries for a time.
    static uint32_t PackTime(const std::tm& time);

    int recordCount() const { return recordCount_; }
    int channelCount() const { return channelCount_; }
    int recordSize() const { return channelCount_ == 1 ? 6 : 8; }
    const SimSettings& settings() const { return settings_; }
    // The fields a write-setup request changes.
    const std::string& name() const { return name_; }
    std::string id() const { return std::string(id_, 10); }
    uint32_t interval() const { return interval_; }
    int16_t offsetTenths(int channel) const { return offset_[channel]; }
    bool celsius() const { return celsius_ != 0; }
    int8_t alarm(int index) const { return alarm_[index]; }  // high1, low1, high2, low2
    uint8_t startMode() const { return startMode_; }
    int32_t startDelay() const { return startDelay_; }
    // The clock the last set-clock request carried; empty before any.
    bool clockSet() const { return clockSet_; }
    const std::tm& clock() const { return clock_; }
    // Every whole request taken so far, in order.
    const std::vector<std::vector<uint8_t>>& requests() const { return requests_; }

private:
    Reaction React(const std::vector<uint8_t>& request);
    bool FaultApplies(char letter) const;
    // Whether the fault is still to strike at this request (counts it).
    bool TakeFault(char letter);
    // An answer frame, with the fault worked in when it strikes at this request.
    std::vector<Output> Answer(uint8_t letter, std::vector<uint8_t> payload) const;
    std::vector<Output> DownloadStream() const;
    // Keeps the first bytes of the outputs, pauses and all.
    static void Cut(std::vector<Output>& outputs, size_t bytes);

    SimSettings settings_;
    int channelCount_ = 2;
    int8_t kind_[2] = {0, 1};
    int recordCount_ = 0;

    char id_[10] = {};
    std::string name_;
    uint32_t interval_ = 60;
    int16_t offset_[3] = {};
    uint8_t celsius_ = 1;
    int8_t alarm_[4] = {30, 0, 80, 20};
    uint8_t startMode_ = 0;
    int32_t startDelay_ = 0;
    bool clockSet_ = false;
    std::tm clock_ = {};

    bool faultNow_ = false;  // the fault strikes at the request being answered
    int faultsLeft_ = -1;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> lastRequest_;
    int repeats_ = 0;
    std::vector<std::vector<uint8_t>> requests_;
};

}  // namespace loggersim
