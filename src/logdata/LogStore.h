// The records of the open log, their identity, statistics and chart scale.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

inline constexpr uint32_t LogCapacity = 140000;
inline constexpr int TimestampLength = 14;

// One store per process: the log that is open. The record arrays are reserved
// once for the full capacity when the store is made; nothing is allocated per
// record afterwards. Arrays of channels beyond channelCount keep whatever was
// last written there.
class LogStore {
public:
    LogStore();
    LogStore(const LogStore&) = delete;
    LogStore& operator=(const LogStore&) = delete;

    char loggerName[25] = {};  // zero-terminated; byte 24 always stays 0
    char loggerId[10] = {};    // 10 ASCII characters, not terminated
    uint8_t celsius = 0;       // nonzero: Celsius, 0: Fahrenheit
    uint32_t recordCount = 0;  // 0 … LogCapacity
    uint32_t channelCount = 0; // 1 … 3 for a sound log; a damaged file may hold anything
    int8_t channelKind[3] = {};

    // 14 ASCII digits YYYYMMDDhhmmss of record i, not terminated.
    char* timestamp(uint32_t i) { return timestamps_.get() + size_t(i) * TimestampLength; }
    const char* timestamp(uint32_t i) const { return timestamps_.get() + size_t(i) * TimestampLength; }

    // value[c][i] for channel c = 1, 2, 3; value[0] is unused.
    float* value[4] = {};

    float maxValue[3] = {};
    float minValue[3] = {};
    float aveValue[3] = {};
    std::string unitText[3];

    // Vertical scale: entry 0 for axis 0 (channels 1 and 3), entry 1 for axis 1
    // (channel 2); entry 2 is never used.
    int32_t axisTop[3] = {};
    int32_t axisBottom[3] = {};
    int32_t axisStep[3] = {};

    QString currentLogPath;  // full path of the open log file
    QString currentLogName;  // its file name; also the document title
    bool statsPending = false;

    // The channels that readers show: channelCount limited to 0 … 3, so that a
    // damaged count never makes anything read outside the arrays.
    int shownChannels() const { return channelCount > 3 ? 3 : int(channelCount); }

    // Requires recordCount >= 1.
    void ComputeStatistics();
    void EnsureStatistics();
    // Keeps records first … end − 1 when first < end (0 <= first, end <= recordCount).
    void NarrowRecords(int32_t first, int32_t end);

    // The bytes of the time stamps, LogCapacity × 14, for bulk readers and writers.
    char* timestampData() { return timestamps_.get(); }
    const char* timestampData() const { return timestamps_.get(); }

    // A second store of the same capacity, made on first use and then kept,
    // that a file is read into before this store takes it over, so that a read
    // that fails part-way leaves the open log as it was.
    LogStore& Scratch();
    // Takes the log that `from` holds: identity, counts, kinds, unit texts and
    // the records, by swapping the record arrays (no copy); `from` is left
    // with this store's old arrays. Statistics, scale, the open log's path and
    // name and statsPending are this store's own and stay.
    void TakeOver(LogStore& from);

    // A downloaded log that could not be saved is kept whole while it is the
    // open log (currentLogPath is then empty): reading the open log again
    // restores it from here rather than from any file.
    bool unsaved() const { return unsaved_; }
    // Keeps a copy of the log the store holds now (identity, records, name).
    void KeepUnsaved();
    // Puts the kept log back into the store; false when none is kept.
    bool RestoreUnsaved();
    // The kept log, for saving it; nullptr when none is kept.
    const LogStore* unsavedLog() const { return unsaved_ ? unsavedCopy_.get() : nullptr; }
    // The open log is saved, or another log took its place.
    void ForgetUnsaved() { unsaved_ = false; }

private:
    void PointValueArrays();
    // Copies the identity, the counts (the record count capped at the
    // capacity), the channel kinds and the unit texts.
    void CopyIdentityFrom(const LogStore& from);
    // Copies identity, counts, kinds, unit texts, records and currentLogName.
    void CopyLogFrom(const LogStore& from);

    std::unique_ptr<char[]> timestamps_;
    std::unique_ptr<float[]> values_;
    std::unique_ptr<LogStore> scratch_;
    std::unique_ptr<LogStore> unsavedCopy_;  // made on first use and kept
    bool unsaved_ = false;
};

// Grid step for a scale range.
int32_t StepForRange(uint32_t range);
