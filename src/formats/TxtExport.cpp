// Export of the records held in the store as a tab-separated text file.
#include "formats/TxtExport.h"

#include "logdata/LogStore.h"
#include "logdata/SavePath.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr size_t BufferSize = 64 * 1024;
// Longest record line: serial number, stamp, three values of at most 48 bytes.
constexpr size_t MaxLineLength = 10 + 1 + 10 + 1 + 8 + 3 * (1 + 48) + 2;

char* appendUnsigned(char* out, uint64_t n)
{
    char digits[20];
    int len = 0;
    do {
        digits[len++] = char('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (len > 0)
        *out++ = digits[--len];
    return out;
}

// The value in tenths, rounded as printf rounds: to nearest on the exact binary
// value, ties to even. False when the value is not finite or too large for
// the integer path.
bool roundedTenths(float value, uint64_t& tenths)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t exponentField = (bits >> 23) & 0xFF;
    uint64_t mantissa = bits & 0x7FFFFF;
    if (exponentField == 0xFF)
        return false;  // infinity or NaN
    int exponent;      // |value| = mantissa × 2^exponent
    if (exponentField == 0) {
        exponent = -149;
    } else {
        mantissa |= 0x800000;
        exponent = int(exponentField) - 150;
    }
    // mantissa < 2^24, so below 2^7 the tenths stay under 2^35.
    if (exponent > 6)
        return false;
    const uint64_t scaled = mantissa * 10;  // < 2^28
    if (exponent >= 0) {
        tenths = scaled << exponent;
        return true;
    }
    const int shift = -exponent;
    if (shift >= 40) {
        tenths = 0;  // below a twentieth of a unit, never a tie
        return true;
    }
    uint64_t q = scaled >> shift;
    const uint64_t rest = scaled & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    if (rest > half || (rest == half && (q & 1)))
        ++q;
    tenths = q;
    return true;
}

char* appendStamp(char* out, const char* t)
{
    std::memcpy(out, t, 4);
    out[4] = '-';
    std::memcpy(out + 5, t + 4, 2);
    out[7] = '-';
    std::memcpy(out + 8, t + 6, 2);
    out[10] = '\t';
    std::memcpy(out + 11, t + 8, 2);
    out[13] = ':';
    std::memcpy(out + 14, t + 10, 2);
    out[16] = ':';
    std::memcpy(out + 17, t + 12, 2);
    return out + 19;
}

class BufferedOutput {
public:
    explicit BufferedOutput(QIODevice& device) : device_(device), buf_(new char[BufferSize]) {}

    // Room for one more line; writes the buffer out when it is nearly full.
    char* reserve()
    {
        if (BufferSize - len_ < MaxLineLength)
            flush();
        return buf_.get() + len_;
    }
    void commit(char* end) { len_ = size_t(end - buf_.get()); }

    bool flush()
    {
        if (ok_ && len_ > 0)
            ok_ = device_.write(buf_.get(), qint64(len_)) == qint64(len_);
        len_ = 0;
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    QIODevice& device_;
    std::unique_ptr<char[]> buf_;
    size_t len_ = 0;
    bool ok_ = true;
};

}  // namespace

char* FormatValue31(char* out, float value)
{
    uint64_t tenths;
    if (!roundedTenths(value, tenths)) {
        char text[64];
        const int n = std::snprintf(text, sizeof text, "%3.1f", double(value));
        const int len = n < 0 ? 0 : n < int(sizeof text) ? n : int(sizeof text) - 1;
        std::memcpy(out, text, size_t(len));
        return out + len;
    }
    // printf writes the sign of every negative value, -0.0 included.
    if (std::signbit(value))
        *out++ = '-';
    out = appendUnsigned(out, tenths / 10);
    *out++ = '.';
    *out++ = char('0' + tenths % 10);
    // "0.0" is already three characters wide: the width never pads.
    return out;
}

QString TxtExportPath(const QString& chosenPath)
{
    return WithExtensionIfNone(chosenPath, QLatin1StringView(".txt"));
}

bool WriteTxtExport(QIODevice& device, const LogStore& store)
{
    // One, two or three value columns; any other count is written as three.
    const int columns = store.channelCount == 1 ? 1 : store.channelCount == 2 ? 2 : 3;

    QByteArray header("SN\tDATE\t\tTIME\t\t");
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            header += '\t';
        header += store.unitText[c].c_str();
    }
    header += "\r\n";

    BufferedOutput out(device);
    char* p = out.reserve();
    if (size_t(header.size()) < MaxLineLength) {
        std::memcpy(p, header.constData(), size_t(header.size()));
        out.commit(p + header.size());
    } else if (!out.flush() || device.write(header) != header.size()) {
        return false;
    }

    const uint32_t count = std::min(store.recordCount, LogCapacity);
    const float* v1 = store.value[1];
    const float* v2 = store.value[2];
    const float* v3 = store.value[3];
    for (uint32_t i = 0; i < count && out.ok(); ++i) {
        p = out.reserve();
        p = appendUnsigned(p, uint64_t(i) + 1);
        *p++ = '\t';
        p = appendStamp(p, store.timestamp(i));
        *p++ = '\t';
        p = FormatValue31(p, v1[i]);
        if (columns >= 2) {
            *p++ = '\t';
            p = FormatValue31(p, v2[i]);
        }
        if (columns == 3) {
            *p++ = '\t';
            p = FormatValue31(p, v3[i]);
        }
        *p++ = '\r';
        *p++ = '\n';
        out.commit(p);
    }
    return out.flush();
}

WriteResult ExportTxtFile(const QString& path, const LogStore& store)
{
    return WriteWholeFile(
        path,
        [](WriteStage stage, const QString& failedPath, const QString& reason) {
            const QString headline = QString::fromLatin1(TxtExportFailedMessage);
            if (stage == WriteStage::Create)
                return headline;
            return headline + QStringLiteral("\r\n") + FileFailureSentence(stage, failedPath, reason);
        },
        [&store](QIODevice& device) { return WriteTxtExport(device, store); });
}
