// Cold-chain analysis of the shown records: extremes with their stamps, the
// mean kinetic temperature, and excursions beyond per-channel alarm limits.
#include "logdata/LogAnalysis.h"

#include "logdata/LogStore.h"

#include <bit>
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
    // Counts `count` gaps of one length.
    void Add(int64_t gap, int64_t count)
    {
        if (gap <= 0)  // repeated stamps or a clock set back say nothing of the interval
            return;
        for (int k = 0; k < used_; ++k)
            if (gap_[k] == gap) {
                count_[k] += count;
                return;
            }
        if (used_ < Slots) {
            gap_[used_] = gap;
            count_[used_++] = count;
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
};

// Seconds since the start of its month of the characters ddhhmmss at t + 6:
// the eight digits are read as one word and combined pairwise.
inline int64_t SecondOfMonth(const char* t)
{
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t v;
        std::memcpy(&v, t + 6, 8);
        v -= 0x3030303030303030ull;
        // Each 16-bit lane becomes tens × 10 + ones: day, hour, minute, second.
        v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
        return int64_t(v & 0xFF) * 86400 + int64_t((v >> 16) & 0xFF) * 3600 + int64_t((v >> 32) & 0xFF) * 60 +
               int64_t(v >> 48);
    } else {
        return int64_t(Digits(t + 6, 2)) * 86400 + SecondOfDay(t);
    }
}

// Stamps → seconds for consecutive records: year and month change seldom, so
// the month's first day is worked out only when their six characters change.
// A damaged stamp gives a meaningless gap, never a read outside the stamp.
int64_t IntervalOf(const LogStore& store, uint32_t n)
{
    if (n < 2)
        return 0;
    GapHistogram gaps;
    char month[6];
    std::memcpy(month, store.timestamp(0), 6);
    const auto monthStart = [](const char* t) {
        return (DaysFromCivil(Digits(t, 4), Digits(t + 4, 2), 1) - 1) * 86400;
    };
    int64_t base = monthStart(month);
    int64_t previous = base + SecondOfMonth(store.timestamp(0));
    // Gaps come in long runs of one length: a run is counted in registers
    // and handed to the histogram when it ends.
    int64_t runGap = 0, runLength = 0;
    for (uint32_t i = 1; i < n; ++i) {
        const char* t = store.timestamp(i);
        if (std::memcmp(t, month, 6) != 0) [[unlikely]] {
            std::memcpy(month, t, 6);
            base = monthStart(t);
        }
        const int64_t now = base + SecondOfMonth(t);
        const int64_t gap = now - previous;
        previous = now;
        if (gap == runGap) {
            ++runLength;
        } else {
            gaps.Add(runGap, runLength);
            runGap = gap;
            runLength = 1;
        }
    }
    gaps.Add(runGap, runLength);
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
        for (uint64_t& k : key_)
            k = EmptyKey;
    }
    // The factor of one value; 0 when the value is not above absolute zero
    // (the caller then gives no MKT: it looks at the smallest value). A value
    // that is no number gives no number.
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
    static constexpr uint64_t EmptyKey = uint64_t(1) << 32;  // no float's bits
    uint64_t key_[Slots];
    double factor_[Slots];
    uint32_t used_ = 0;
    bool celsius_;
};

QByteArray Stamp(const LogStore& store, uint32_t i) { return QByteArray(store.timestamp(i), TimestampLength); }

// What one pass over a channel gathers, carried from block to block.
struct ChannelPass {
    uint32_t maxAt = 0, minAt = 0, skipped = 0;
    float maxV = -std::numeric_limits<float>::infinity();
    float minV = std::numeric_limits<float>::infinity();
    double sum = 0, boltzmann = 0;
    uint32_t recordsAbove = 0, recordsBelow = 0;
    int runsAbove = 0, runsBelow = 0;
    int64_t firstAbove = -1, firstBelow = -1;
    bool wasAbove = false, wasBelow = false;
};

// Records [b, e) one by one: excursions beyond the limits (an unset side is
// an infinite limit). A value that is no number ends a run.
void ExcursionsOf(const float* v, uint32_t b, uint32_t e, float low, float high, ChannelPass& p)
{
    bool wasAbove = p.wasAbove, wasBelow = p.wasBelow;
    for (uint32_t i = b; i < e; ++i) {
        const float x = v[i];
        // Branch-free: a noisy channel near its limit crosses it at random.
        const bool above = x > high && x - x == 0;  // x − x is 0 for finite x only
        const bool below = x < low && x - x == 0;
        p.recordsAbove += above;
        p.recordsBelow += below;
        p.runsAbove += above & !wasAbove;
        p.runsBelow += below & !wasBelow;
        if (p.firstAbove < 0 && above)
            p.firstAbove = i;
        if (p.firstBelow < 0 && below)
            p.firstBelow = i;
        wasAbove = above;
        wasBelow = below;
    }
    p.wasAbove = wasAbove;
    p.wasBelow = wasBelow;
}

// Records [b, e) one by one for the extremes, the sum and the MKT, leaving out
// values that are no number (a damaged file may hold them).
template <bool Mkt>
void ExtremesOneByOne(const float* v, uint32_t b, uint32_t e, BoltzmannCache* cache, ChannelPass& p)
{
    for (uint32_t i = b; i < e; ++i) {
        const float x = v[i];
        if (!std::isfinite(x)) {
            ++p.skipped;
            continue;
        }
        p.sum += x;
        if (x > p.maxV) {
            p.maxV = x;
            p.maxAt = i;
        }
        if (x < p.minV) {
            p.minV = x;
            p.minAt = i;
        }
        if constexpr (Mkt)
            p.boltzmann += cache->Factor(x);
    }
}

// The channel in blocks: a light loop finds each block's sum, extremes and
// MKT terms; the block is looked at record by record only where that cannot
// settle it: a new extreme (for its first occurrence), a value beyond a limit,
// or a value that is no number.
template <bool Mkt>
void PassOver(const float* v, uint32_t n, float low, float high, bool withLimits, BoltzmannCache* cache,
              ChannelPass& p)
{
    constexpr uint32_t Block = 256;
    for (uint32_t b = 0; b < n; b += Block) {
        const uint32_t e = n - b < Block ? n : b + Block;
        float bmax = p.maxV, bmin = p.minV;
        // Two partial sums each, so the additions do not wait on each other.
        double s0 = 0, s1 = 0, k0 = 0, k1 = 0;
        uint32_t i = b;
        for (; i + 1 < e; i += 2) {
            const float x0 = v[i], x1 = v[i + 1];
            s0 += x0;
            s1 += x1;
            bmax = x0 > bmax ? x0 : bmax;
            bmax = x1 > bmax ? x1 : bmax;
            bmin = x0 < bmin ? x0 : bmin;
            bmin = x1 < bmin ? x1 : bmin;
            if constexpr (Mkt) {
                k0 += cache->Factor(x0);
                k1 += cache->Factor(x1);
            }
        }
        if (i < e) {
            const float x = v[i];
            s0 += x;
            bmax = x > bmax ? x : bmax;
            bmin = x < bmin ? x : bmin;
            if constexpr (Mkt)
                k0 += cache->Factor(x);
        }
        const double blockSum = s0 + s1;
        // A sum of finite floats stays finite in double: a block whose sum is
        // not holds a value that is no number, and is taken record by record.
        if (!std::isfinite(blockSum)) [[unlikely]] {
            ExtremesOneByOne<Mkt>(v, b, e, cache, p);
        } else {
            p.sum += blockSum;
            if constexpr (Mkt)
                p.boltzmann += k0 + k1;
            if (bmax > p.maxV) {
                uint32_t at = b;
                while (v[at] != bmax)
                    ++at;
                p.maxV = bmax;
                p.maxAt = at;
            }
            if (bmin < p.minV) {
                uint32_t at = b;
                while (v[at] != bmin)
                    ++at;
                p.minV = bmin;
                p.minAt = at;
            }
        }
        if (withLimits) {
            // bmax and bmin count only finite values when the block took the
            // fast path; the slow path's NaN leaves them as they were, so ask
            // the records whenever in doubt.
            if (!std::isfinite(blockSum) || bmax > high || bmin < low)
                ExcursionsOf(v, b, e, low, high, p);
            else
                p.wasAbove = p.wasBelow = false;
        }
    }
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
    if (cache)
        PassOver<true>(v, n, low, high, withLimits, &*cache, p);
    else
        PassOver<false>(v, n, low, high, withLimits, nullptr, p);

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
