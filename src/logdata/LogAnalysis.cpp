// Cold-chain analysis of the shown records: extremes with their stamps, the
// mean kinetic temperature, and excursions beyond per-channel alarm limits.
#include "logdata/LogAnalysis.h"

#include "logdata/LogStore.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Activation energy over the gas constant of the mean kinetic temperature.
constexpr double MktActivationKelvin = 10000.0;
constexpr double KelvinAtZeroCelsius = 273.15;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int Digits(const char* t, int n)
{
    int v = 0;
    for (int k = 0; k < n; ++k)
        v = v * 10 + (t[k] - '0');
    return v;
}

int64_t DayOfStamp(const char* t) { return DaysFromCivil(Digits(t, 4), Digits(t + 4, 2), Digits(t + 6, 2)); }

inline int64_t SecondOfDay(const char* t)
{
    return int64_t(t[8] - '0') * 36000 + int64_t(t[9] - '0') * 3600 + int64_t(t[10] - '0') * 600 +
           int64_t(t[11] - '0') * 60 + int64_t(t[12] - '0') * 10 + int64_t(t[13] - '0');
}

bool AllDigits(const char* t)
{
    for (int k = 0; k < TimestampLength; ++k)
        if (t[k] < '0' || t[k] > '9')
            return false;
    return true;
}

// The most common positive gap between consecutive stamps. The gaps of a log
// are nearly all one value; a handful of slots is plenty, and a gap that
// finds every slot taken is simply not counted.
class GapHistogram {
public:
    void Add(int64_t gap)
    {
        if (gap <= 0)  // repeated stamps or a clock set back say nothing of the interval
            return;
        if (gap == gap_[last_]) {
            ++count_[last_];
            return;
        }
        for (int k = 0; k < used_; ++k)
            if (gap_[k] == gap) {
                ++count_[k];
                last_ = k;
                return;
            }
        if (used_ < Slots) {
            gap_[used_] = gap;
            count_[used_] = 1;
            last_ = used_++;
        }
    }
    // Ties go to the shorter gap.
    int64_t MostCommon() const
    {
        int64_t best = 0, bestCount = 0;
        for (int k = 0; k < used_; ++k)
            if (count_[k] > bestCount || (count_[k] == bestCount && gap_[k] < best)) {
                best = gap_[k];
                bestCount = count_[k];
            }
        return best;
    }

private:
    static constexpr int Slots = 16;
    int64_t gap_[Slots] = {};
    int64_t count_[Slots] = {};
    int used_ = 0;
    int last_ = 0;
};

// Stamps → seconds for consecutive records: the date changes seldom, so its
// day number is worked out only when its eight characters change.
int64_t IntervalOf(const LogStore& store, uint32_t n)
{
    if (n < 2)
        return 0;
    GapHistogram gaps;
    char day[8];
    std::memcpy(day, store.timestamp(0), 8);
    int64_t dayStart = DayOfStamp(day) * 86400;
    int64_t previous = dayStart + SecondOfDay(store.timestamp(0));
    for (uint32_t i = 1; i < n; ++i) {
        const char* t = store.timestamp(i);
        if (std::memcmp(t, day, 8) != 0) {
            std::memcpy(day, t, 8);
            dayStart = DayOfStamp(t) * 86400;
        }
        const int64_t now = dayStart + SecondOfDay(t);
        gaps.Add(now - previous);
        previous = now;
    }
    return gaps.MostCommon();
}

// Caches exp(−ΔH/(R·T)) by the float value it came from: a log holds few
// distinct values (one decimal of a sensor's range), so exp runs about once
// for each. An open-addressed table; once it is well filled, further values
// are worked out each time.
class BoltzmannCache {
public:
    explicit BoltzmannCache(bool celsius) : celsius_(celsius)
    {
        for (uint32_t& k : key_)
            k = EmptyKey;
    }
    // The factor of one finite value; 0 when the value is not above absolute
    // zero (the caller then gives no MKT: it looks at the smallest value).
    double Factor(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        uint32_t slot = (bits * 2654435761u) >> (32 - SlotBits);
        while (key_[slot] != bits) {
            if (key_[slot] == EmptyKey) {
                const double f = Compute(v);
                if (used_ < MaxUsed) {
                    ++used_;
                    key_[slot] = bits;
                    factor_[slot] = f;
                }
                return f;
            }
            slot = (slot + 1) & (Slots - 1);
        }
        return factor_[slot];
    }
    double ToKelvin(double v) const
    {
        return celsius_ ? v + KelvinAtZeroCelsius : (v - 32.0) * 5.0 / 9.0 + KelvinAtZeroCelsius;
    }
    double FromKelvin(double k) const
    {
        return celsius_ ? k - KelvinAtZeroCelsius : (k - KelvinAtZeroCelsius) * 9.0 / 5.0 + 32.0;
    }

private:
    double Compute(float v) const
    {
        const double kelvin = ToKelvin(v);
        return kelvin > 0 ? std::exp(-MktActivationKelvin / kelvin) : 0.0;
    }
    static constexpr int SlotBits = 12;
    static constexpr uint32_t Slots = 1u << SlotBits;
    static constexpr uint32_t MaxUsed = Slots / 2;
    static constexpr uint32_t EmptyKey = 0xFFFFFFFFu;  // a NaN pattern: never looked up
    uint32_t key_[Slots];
    double factor_[Slots];
    uint32_t used_ = 0;
    bool celsius_;
};

QByteArray Stamp(const LogStore& store, uint32_t i) { return QByteArray(store.timestamp(i), TimestampLength); }

// What one pass over a channel gathers.
struct ChannelPass {
    uint32_t maxAt = 0, minAt = 0, skipped = 0;
    float maxV = -std::numeric_limits<float>::infinity();
    float minV = std::numeric_limits<float>::infinity();
    double sum = 0, boltzmann = 0;
    uint32_t recordsAbove = 0, recordsBelow = 0;
    int runsAbove = 0, runsBelow = 0;
    int64_t firstAbove = -1, firstBelow = -1;
};

// The loop, made once for each combination of MKT and limits so that a
// channel pays only for what it asks. An unset side is an infinite limit.
template <bool Mkt, bool Limits>
void PassOver(const float* v, uint32_t n, float low, float high, BoltzmannCache* cache, ChannelPass& p)
{
    // Kept in locals so that the loop works in registers.
    uint32_t maxAt = 0, minAt = 0, skipped = 0, recordsAbove = 0, recordsBelow = 0;
    float maxV = p.maxV, minV = p.minV;
    double sum = 0, boltzmann = 0;
    bool wasAbove = false, wasBelow = false;
    int runsAbove = 0, runsBelow = 0;
    int64_t firstAbove = -1, firstBelow = -1;
    for (uint32_t i = 0; i < n; ++i) {
        const float x = v[i];
        // A damaged file may hold values that are no number; they take no
        // part in the extremes, the average or the MKT, and end a run.
        if (!std::isfinite(x)) [[unlikely]] {
            ++skipped;
            wasAbove = wasBelow = false;
            continue;
        }
        sum += x;
        if (x > maxV) {
            maxV = x;
            maxAt = i;
        }
        if (x < minV) {
            minV = x;
            minAt = i;
        }
        if constexpr (Mkt) {
            boltzmann += cache->Factor(x);
        }
        if constexpr (Limits) {
            // Branch-free: a noisy channel near its limit crosses it at random.
            const bool above = x > high;
            const bool below = x < low;
            recordsAbove += above;
            recordsBelow += below;
            runsAbove += above & !wasAbove;
            runsBelow += below & !wasBelow;
            if (firstAbove < 0 && above)
                firstAbove = i;
            if (firstBelow < 0 && below)
                firstBelow = i;
            wasAbove = above;
            wasBelow = below;
        }
    }
    p.maxAt = maxAt;
    p.minAt = minAt;
    p.skipped = skipped;
    p.maxV = maxV;
    p.minV = minV;
    p.sum = sum;
    p.boltzmann = boltzmann;
    p.recordsAbove = recordsAbove;
    p.recordsBelow = recordsBelow;
    p.runsAbove = runsAbove;
    p.runsBelow = runsBelow;
    p.firstAbove = firstAbove;
    p.firstBelow = firstBelow;
}

void AnalyseChannel(const LogStore& store, int c, uint32_t n, const ChannelLimits& limits, ChannelSummary& out)
{
    out.present = true;
    out.limitLow = limits.low;
    out.limitHigh = limits.high;
    if (n == 0)
        return;
    const float* v = store.value[c + 1];
    // Limits compare at the values' own precision: a record of 2.1 is not
    // below a limit of 2.1 although the float 2.1f is a hair under 2.1.
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float high = limits.high ? float(*limits.high) : inf;
    const float low = limits.low ? float(*limits.low) : -inf;
    const bool withLimits = limits.low || limits.high;

    std::optional<BoltzmannCache> cache;
    if (store.channelKind[c] == 0)  // temperature
        cache.emplace(store.celsius != 0);

    ChannelPass p;
    BoltzmannCache* k = cache ? &*cache : nullptr;
    if (k && withLimits)
        PassOver<true, true>(v, n, low, high, k, p);
    else if (k)
        PassOver<true, false>(v, n, low, high, k, p);
    else if (withLimits)
        PassOver<false, true>(v, n, low, high, k, p);
    else
        PassOver<false, false>(v, n, low, high, k, p);

    out.excursionsAbove = p.runsAbove;
    out.excursionsBelow = p.runsBelow;
    // Records beyond are turned into time once the interval is known.
    out.secondsAbove = p.recordsAbove;
    out.secondsBelow = p.recordsBelow;
    if (p.firstAbove >= 0)
        out.firstAbove = Stamp(store, uint32_t(p.firstAbove));
    if (p.firstBelow >= 0)
        out.firstBelow = Stamp(store, uint32_t(p.firstBelow));
    const uint32_t finite = n - p.skipped;
    if (finite == 0)
        return;
    out.max = p.maxV;
    out.min = p.minV;
    out.ave = p.sum / finite;
    out.maxTime = Stamp(store, p.maxAt);
    out.minTime = Stamp(store, p.minAt);
    if (cache && cache->ToKelvin(p.minV) > 0 && p.boltzmann > 0) {
        const double kelvin = MktActivationKelvin / -std::log(p.boltzmann / finite);
        out.mkt = cache->FromKelvin(kelvin);
    }
}

}  // namespace

bool LogLimits::any() const
{
    for (const ChannelLimits& c : channel)
        if (c.low || c.high)
            return true;
    return false;
}

LogSummary AnalyseLog(const LogStore& store, const LogLimits& limits)
{
    LogSummary s;
    // A damaged count never makes the analysis read beyond the arrays.
    const uint32_t n = store.recordCount > LogCapacity ? LogCapacity : store.recordCount;
    s.recordCount = n;
    if (n > 0) {
        s.first = Stamp(store, 0);
        s.last = Stamp(store, n - 1);
        if (AllDigits(store.timestamp(0)) && AllDigits(store.timestamp(n - 1))) {
            const char* a = store.timestamp(0);
            const char* b = store.timestamp(n - 1);
            s.durationSeconds = (DayOfStamp(b) - DayOfStamp(a)) * 86400 + SecondOfDay(b) - SecondOfDay(a);
        }
        s.intervalSeconds = IntervalOf(store, n);
    }
    for (int c = 0; c < store.shownChannels(); ++c) {
        ChannelSummary& ch = s.channel[c];
        AnalyseChannel(store, c, n, limits.channel[c], ch);
        ch.secondsAbove *= s.intervalSeconds;
        ch.secondsBelow *= s.intervalSeconds;
    }
    return s;
}
