// Cold-chain analysis of the shown records: extremes with their stamps, the
// mean kinetic temperature, and excursions beyond per-channel alarm limits.
#include "logdata/LogAnalysis.h"

#include "logdata/LogStore.h"

#include <cmath>
#include <cstring>

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

int64_t SecondOfDay(const char* t)
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
// distinct values (one decimal of a sensor's range), so exp runs once for each.
class BoltzmannCache {
public:
    explicit BoltzmannCache(bool celsius) : celsius_(celsius)
    {
        for (uint32_t& k : key_)
            k = EmptyKey;
    }
    // The factor of one value; false when the value is not above absolute zero.
    bool Factor(float v, double& factor)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        const uint32_t slot = (bits * 2654435761u) >> (32 - SlotBits);
        if (key_[slot] != bits) {
            const double kelvin = ToKelvin(v);
            key_[slot] = bits;
            factor_[slot] = kelvin > 0 ? std::exp(-MktActivationKelvin / kelvin) : -1.0;
        }
        factor = factor_[slot];
        return factor >= 0;
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
    static constexpr int SlotBits = 10;
    static constexpr uint32_t EmptyKey = 0xFFFFFFFFu;  // a NaN pattern: never looked up
    uint32_t key_[1 << SlotBits];
    double factor_[1 << SlotBits];
    bool celsius_;
};

QByteArray Stamp(const LogStore& store, uint32_t i) { return QByteArray(store.timestamp(i), TimestampLength); }

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
    const bool hasHigh = limits.high.has_value();
    const bool hasLow = limits.low.has_value();
    const float high = hasHigh ? float(*limits.high) : 0.0f;
    const float low = hasLow ? float(*limits.low) : 0.0f;
    const bool temperature = store.channelKind[c] == 0;

    BoltzmannCache* cache = nullptr;
    std::optional<BoltzmannCache> cacheStorage;
    if (temperature) {
        cacheStorage.emplace(store.celsius != 0);
        cache = &*cacheStorage;
    }

    uint32_t maxAt = 0, minAt = 0, finite = 0;
    float maxV = 0, minV = 0;
    bool seen = false, mktSound = true, wasAbove = false, wasBelow = false;
    double sum = 0, boltzmann = 0;
    uint32_t recordsAbove = 0, recordsBelow = 0;
    int64_t firstAbove = -1, firstBelow = -1;
    for (uint32_t i = 0; i < n; ++i) {
        const float x = v[i];
        // A damaged file may hold values that are no number; they take no
        // part in the extremes, the average or the MKT.
        if (!std::isfinite(x)) {
            wasAbove = wasBelow = false;
            continue;
        }
        ++finite;
        sum += x;
        if (!seen) {
            seen = true;
            maxV = minV = x;
            maxAt = minAt = i;
        } else if (x > maxV) {
            maxV = x;
            maxAt = i;
        } else if (x < minV) {
            minV = x;
            minAt = i;
        }
        if (cache) {
            double f;
            if (cache->Factor(x, f))
                boltzmann += f;
            else
                mktSound = false;
        }
        const bool above = hasHigh && x > high;
        const bool below = hasLow && x < low;
        if (above) {
            ++recordsAbove;
            if (!wasAbove) {
                ++out.excursionsAbove;
                if (firstAbove < 0)
                    firstAbove = i;
            }
        }
        if (below) {
            ++recordsBelow;
            if (!wasBelow) {
                ++out.excursionsBelow;
                if (firstBelow < 0)
                    firstBelow = i;
            }
        }
        wasAbove = above;
        wasBelow = below;
    }
    if (!seen)
        return;
    out.max = maxV;
    out.min = minV;
    out.ave = sum / finite;
    out.maxTime = Stamp(store, maxAt);
    out.minTime = Stamp(store, minAt);
    if (cache && mktSound && boltzmann > 0) {
        const double kelvin = MktActivationKelvin / -std::log(boltzmann / finite);
        out.mkt = cache->FromKelvin(kelvin);
    }
    // Records beyond are turned into time once the interval is known.
    out.secondsAbove = recordsAbove;
    out.secondsBelow = recordsBelow;
    if (firstAbove >= 0)
        out.firstAbove = Stamp(store, uint32_t(firstAbove));
    if (firstBelow >= 0)
        out.firstBelow = Stamp(store, uint32_t(firstBelow));
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
