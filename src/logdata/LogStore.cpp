// Statistics, chart scale and narrowing of the record store.
#include "logdata/LogStore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

LogStore::LogStore()
    : timestamps_(new char[size_t(LogCapacity) * TimestampLength]()),
      values_(new float[size_t(LogCapacity) * 3]())
{
    PointValueArrays();
}

void LogStore::PointValueArrays()
{
    for (int c = 1; c <= 3; ++c)
        value[c] = values_.get() + size_t(c - 1) * LogCapacity;
}

LogStore& LogStore::Scratch()
{
    if (!scratch_)
        scratch_ = std::make_unique<LogStore>();
    return *scratch_;
}

void LogStore::CopyIdentityFrom(const LogStore& from)
{
    std::memcpy(loggerName, from.loggerName, sizeof loggerName);
    loggerName[24] = 0;
    std::memcpy(loggerId, from.loggerId, sizeof loggerId);
    celsius = from.celsius;
    recordCount = std::min(from.recordCount, LogCapacity);
    channelCount = from.channelCount;
    std::memcpy(channelKind, from.channelKind, sizeof channelKind);
    for (int c = 0; c < 3; ++c)
        unitText[c] = from.unitText[c];
}

void LogStore::TakeOver(LogStore& from)
{
    if (&from == this)
        return;
    CopyIdentityFrom(from);
    timestamps_.swap(from.timestamps_);
    values_.swap(from.values_);
    PointValueArrays();
    from.PointValueArrays();
}

void LogStore::CopyLogFrom(const LogStore& from)
{
    CopyIdentityFrom(from);
    std::memcpy(timestamps_.get(), from.timestamps_.get(), size_t(recordCount) * TimestampLength);
    for (int c = 1; c <= 3; ++c)
        std::memcpy(value[c], from.value[c], size_t(recordCount) * sizeof(float));
    currentLogName = from.currentLogName;
}

void LogStore::KeepUnsaved()
{
    if (!unsavedCopy_)
        unsavedCopy_ = std::make_unique<LogStore>();
    unsavedCopy_->CopyLogFrom(*this);
    unsaved_ = true;
}

bool LogStore::RestoreUnsaved()
{
    if (!unsaved_)
        return false;
    CopyLogFrom(*unsavedCopy_);
    currentLogPath.clear();
    return true;
}

int32_t StepForRange(uint32_t range)
{
    // 100000 and more takes 10000, smaller than the row below it; kept as the
    // logger software has always scaled.
    static const struct { uint32_t atLeast; int32_t step; } rows[] = {
        {100000, 10000}, {50000, 20000}, {20000, 10000}, {10000, 5000}, {5000, 2000},
        {2000, 1000},    {1000, 500},    {500, 200},     {200, 100},    {100, 50},
        {50, 20},        {20, 10},       {10, 5},
    };
    for (const auto& row : rows)
        if (range >= row.atLeast)
            return row.step;
    return 1;
}

namespace {

// Scale ends are derived from values clamped to this magnitude, so that a
// damaged file (huge values, NaN) can neither overflow int32 nor make the
// widening loops run for ever. Real readings are far inside it.
constexpr float ScaleLimit = 1.0e8f;

int32_t truncScale(float x)
{
    if (std::isnan(x))
        return 0;
    if (x > ScaleLimit)
        x = ScaleLimit;
    if (x < -ScaleLimit)
        x = -ScaleLimit;
    return int32_t(x);  // toward zero
}

void roundAxis(int32_t& top, int32_t& bottom, int32_t& stepOut)
{
    const uint32_t range = uint32_t(top) - uint32_t(bottom);
    const int32_t step = StepForRange(range);
    stepOut = step;
    // C++ division truncates toward zero with the remainder taking the
    // dividend's sign, which the rounding below relies on.
    if (top % step != 0)
        top = (top / step + 1) * step;
    if (bottom % step != 0)
        bottom = (bottom / step - 1) * step;
    while ((top - bottom) / step < 3) {
        top += step;
        bottom -= step;
    }
}

}  // namespace

void LogStore::ComputeStatistics()
{
    const uint32_t n = recordCount;
    for (int c = 1; c <= 3; ++c) {
        const float* v = value[c];
        float lo = v[0], hi = v[0], sum = v[0];
        for (uint32_t i = 1; i < n; ++i) {
            const float x = v[i];
            if (lo > x)
                lo = x;
            if (hi < x)
                hi = x;
            sum = float(sum + x);  // rounded to float32 after every addition
        }
        maxValue[c - 1] = hi;
        minValue[c - 1] = lo;
        aveValue[c - 1] = float(sum / float(n));
    }

    // A damaged count above 3 is drawn as three channels: channel 3 counts in axis 0.
    const bool three = channelCount >= 3;
    axisTop[0] = truncScale(maxValue[0] + 1);
    if (three && float(axisTop[0]) < maxValue[2])
        axisTop[0] = truncScale(maxValue[2] + 1);
    axisTop[1] = truncScale(maxValue[1] + 1);
    axisBottom[0] = truncScale(minValue[0] - 1);
    if (three && float(axisBottom[0]) > minValue[2] - 1)
        axisBottom[0] = truncScale(minValue[2] - 1);
    axisBottom[1] = truncScale(minValue[1] - 1);

    for (uint32_t a = 0; a < 2 && a < channelCount; ++a)
        roundAxis(axisTop[a], axisBottom[a], axisStep[a]);

    if (channelCount > 1) {
        int32_t d0 = (axisTop[0] - axisBottom[0]) / axisStep[0];
        int32_t d1 = (axisTop[1] - axisBottom[1]) / axisStep[1];
        while (d1 < d0) {
            axisTop[1] += axisStep[1];
            if (d1 + 1 < d0) {
                axisBottom[1] -= axisStep[1];
                d1 += 2;
            } else {
                d1 += 1;
            }
        }
        while (d0 < d1) {
            axisTop[0] += axisStep[0];
            if (d0 + 1 < d1) {
                axisBottom[0] -= axisStep[0];
                d0 += 2;
            } else {
                d0 += 1;
            }
        }
    }
}

void LogStore::EnsureStatistics()
{
    if (!statsPending)
        return;
    statsPending = false;
    if (recordCount >= 1)
        ComputeStatistics();
}

void LogStore::NarrowRecords(int32_t first, int32_t end)
{
    if (first >= end)
        return;
    // The caller guarantees the bounds; a wrong caller must still not move
    // bytes outside the arrays.
    if (first < 0 || uint32_t(end) > recordCount)
        return;
    const uint32_t count = uint32_t(end - first);
    if (first > 0) {
        std::memmove(timestamp(0), timestamp(uint32_t(first)), size_t(count) * TimestampLength);
        for (int c = 1; c <= 3; ++c)
            std::memmove(value[c], value[c] + first, size_t(count) * sizeof(float));
    }
    recordCount = count;
    if (recordCount >= 1)
        ComputeStatistics();
}
