// Reader and writer of .logu files and the names of saved downloads.
#include "logdata/LogFile.h"

#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>

namespace {

constexpr int BufferSize = 4096;

class BufferedReader {
public:
    explicit BufferedReader(QIODevice& device) : device_(device) {}

    bool read(void* out, size_t n)
    {
        char* dst = static_cast<char*>(out);
        while (n > 0) {
            if (pos_ == len_ && !fill())
                return false;
            const size_t take = std::min(n, size_t(len_ - pos_));
            std::memcpy(dst, buf_ + pos_, take);
            pos_ += int(take);
            dst += take;
            n -= take;
        }
        return true;
    }

    // The next n bytes: straight from the buffer when it holds them all,
    // otherwise gathered into scratch. nullptr when the device runs dry.
    const char* take(size_t n, char* scratch)
    {
        if (size_t(len_ - pos_) >= n) {
            const char* p = buf_ + pos_;
            pos_ += int(n);
            return p;
        }
        return read(scratch, n) ? scratch : nullptr;
    }

private:
    bool fill()
    {
        const qint64 got = device_.read(buf_, BufferSize);
        if (got <= 0)
            return false;
        pos_ = 0;
        len_ = int(got);
        return true;
    }

    QIODevice& device_;
    char buf_[BufferSize];
    int pos_ = 0;
    int len_ = 0;
};

class BufferedWriter {
public:
    explicit BufferedWriter(QIODevice& device) : device_(device) {}

    void write(const void* in, size_t n)
    {
        const char* src = static_cast<const char*>(in);
        while (n > 0 && ok_) {
            if (len_ == BufferSize)
                flush();
            const size_t take = std::min(n, size_t(BufferSize - len_));
            std::memcpy(buf_ + len_, src, take);
            len_ += int(take);
            src += take;
            n -= take;
        }
    }

    bool flush()
    {
        if (ok_ && len_ > 0)
            ok_ = device_.write(buf_, len_) == len_;
        len_ = 0;
        return ok_;
    }

private:
    QIODevice& device_;
    char buf_[BufferSize];
    int len_ = 0;
    bool ok_ = true;
};

uint32_t le32(const unsigned char* p) { return qFromLittleEndian<quint32>(p); }

float readFloat(const char* p)
{
    const quint32 bits = qFromLittleEndian<quint32>(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void putFloat(char* p, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    qToLittleEndian(bits, p);
}

LogReadResult fail(LogReadError error, QString message) { return {error, std::move(message)}; }

// Characters 0–7 and 8–11 of a 14-digit stamp as "YYYYMMDD_hhmm".
QString stampPart(const LogStore& store, const QDateTime& now)
{
    if (store.recordCount == 0)
        return now.toString(QStringLiteral("yyyyMMdd_HHmm"));
    const char* t = store.timestamp(std::min(store.recordCount, LogCapacity) - 1);
    QString part = QString::fromLatin1(t, 8) + QLatin1Char('_') + QString::fromLatin1(t + 8, 4);
    // The decoder writes digits only; a stamp holding '/', '\\' or a zero byte
    // would otherwise lead the file out of Logfiles or cut its name short.
    for (QChar& ch : part)
        if (!IsValidFileNamePart(QString(ch)))
            ch = QLatin1Char('_');
    return part;
}

}  // namespace

LogReadResult ReadLogFile(QIODevice& stream, LogStore& store, const QString& displayName)
{
    const qint64 size = stream.size() - stream.pos();
    if (size <= 0)
        return fail(LogReadError::Empty, {});
    if (size < LogHeaderSize)
        return fail(LogReadError::ShortHeader,
                    QStringLiteral("The log file %1 is damaged: it holds %2 bytes, fewer than the %3 bytes of a log header.")
                        .arg(displayName).arg(size).arg(LogHeaderSize));

    BufferedReader in(stream);
    unsigned char header[LogHeaderSize];
    if (!in.read(header, sizeof header))
        return fail(LogReadError::ReadFailed,
                    QStringLiteral("The log file %1 could not be read: %2.").arg(displayName, stream.errorString()));

    const uint32_t count = le32(header);
    if (count > LogCapacity)
        return fail(LogReadError::TooManyRecords,
                    QStringLiteral("The log file %1 is damaged: it announces %2 records, more than the %3 a log can hold.")
                        .arg(displayName).arg(count).arg(LogCapacity));
    const qint64 held = (size - LogHeaderSize) / LogRecordSize;
    if (held < qint64(count))
        return fail(LogReadError::ShortRecords,
                    QStringLiteral("The log file %1 is damaged: its header announces %2 records, but it holds only %3.")
                        .arg(displayName).arg(count).arg(held));

    // The file is long enough: from here on fields go straight into the store.
    store.recordCount = count;
    store.channelCount = le32(header + 4);
    std::memcpy(store.loggerName, header + 8, 24);
    store.loggerName[24] = 0;
    store.celsius = header[32];
    std::memcpy(store.loggerId, header + 33, 10);
    for (int c = 0; c < 3; ++c)
        store.channelKind[c] = int8_t(header[43 + c]);
    SetUnitTexts(store);

    char scratch[LogRecordSize];
    for (uint32_t i = 0; i < count; ++i) {
        const char* record = in.take(LogRecordSize, scratch);
        if (!record) {
            // Only a device error gets here (the length was checked); keep what
            // was read rather than announcing records that are not there.
            store.recordCount = i;
            return fail(LogReadError::ReadFailed,
                        QStringLiteral("The log file %1 could not be read: %2.").arg(displayName, stream.errorString()));
        }
        std::memcpy(store.timestamp(i), record, TimestampLength);
        for (int c = 1; c <= 3; ++c)
            store.value[c][i] = readFloat(record + TimestampLength + 4 * (c - 1));
    }
    return {};
}

LogReadResult ReadLogFile(const QString& path, LogStore& store)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly))
        return fail(LogReadError::OpenFailed,
                    QStringLiteral("The log file %1 cannot be opened: %2.").arg(path, file.errorString()));
    return ReadLogFile(file, store, name);
}

bool WriteLogFile(QIODevice& stream, const LogStore& store)
{
    BufferedWriter out(stream);
    // The header announces exactly the records written, so the file reads back.
    const uint32_t count = std::min(store.recordCount, LogCapacity);
    char header[LogHeaderSize];
    qToLittleEndian<quint32>(count, header);
    qToLittleEndian<quint32>(store.channelCount, header + 4);
    std::memcpy(header + 8, store.loggerName, 24);
    header[32] = char(store.celsius);
    std::memcpy(header + 33, store.loggerId, 10);
    for (int c = 0; c < 3; ++c)
        header[43 + c] = char(store.channelKind[c]);
    out.write(header, sizeof header);

    char field[4];
    for (uint32_t i = 0; i < count; ++i) {
        out.write(store.timestamp(i), TimestampLength);
        for (int c = 1; c <= 3; ++c) {
            putFloat(field, store.value[c][i]);
            out.write(field, 4);
        }
    }
    return out.flush();
}

bool IsValidFileNamePart(const QString& name)
{
    for (const QChar ch : name) {
        const char16_t u = ch.unicode();
        if (u < 0x20 || u == 0x7F)
            return false;
        switch (u) {
        case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
            return false;
        default:
            break;
        }
    }
    return true;
}

QString SavedLogName(const LogStore& store, const QDateTime& now)
{
    const QString name = QString::fromLatin1(store.loggerName, int(strnlen(store.loggerName, 24)));
    return name + QLatin1Char('_') + stampPart(store, now) + QStringLiteral(".logu");
}

QString TemporaryLogName(const LogStore& store, const QDateTime& now)
{
    return QStringLiteral("default_") + stampPart(store, now) + QStringLiteral(".logu");
}

namespace {

bool writeWhole(const QString& path, const LogStore& store)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!WriteLogFile(file, store)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

SaveLogResult SaveDownloadedLog(LogStore& store, const QString& programFolder, const QDateTime& now)
{
    const QString folder = programFolder + QStringLiteral("Logfiles/");
    const QString ownName = SavedLogName(store, now);
    const QString ownPath = folder + ownName;
    store.currentLogName = ownName;

    SaveLogResult result;
    QString path = ownPath;
    const QString loggerName = QString::fromLatin1(store.loggerName, int(strnlen(store.loggerName, 24)));
    if (!IsValidFileNamePart(loggerName)) {
        const QString tempName = TemporaryLogName(store, now);
        path = folder + tempName;
        store.currentLogName = tempName;
        result.kind = SaveLogResult::SavedUnderTemporaryName;
        result.message = QStringLiteral("The file name is invalid: %1. Please change the logger name in the setup panel. "
                                        "All the logs have been saved in the temporary file: %2.")
                             .arg(ownPath, path);
    } else {
        result.kind = SaveLogResult::Saved;
    }

    result.path = path;
    if (!writeWhole(path, store)) {
        result.kind = SaveLogResult::Failed;
        result.message = QStringLiteral("All the logs have been downloaded. But the data cannot be saved into %1.").arg(path);
        return result;
    }
    store.currentLogPath = path;
    return result;
}
