// Reader and writer of .logu files and the names of saved downloads.
#include "logdata/LogFile.h"

#include "logdata/LogFolder.h"
#include "logdata/LogStore.h"
#include "logdata/Units.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>
#include <memory>
#include <optional>

namespace {

// Files are read in large chunks and decoded record by record from the chunk:
// one system call per chunk, and no copy besides the one into the store.
constexpr size_t ReadChunkSize = 64 * 1024;
constexpr int BufferSize = 4096;  // of the writer

class ChunkReader {
public:
    explicit ChunkReader(QIODevice& device) : device_(device), buf_(new char[ReadChunkSize]) {}

    // Makes at least n (<= ReadChunkSize) bytes available; false when the
    // device ends or fails first.
    bool ensure(size_t n)
    {
        if (len_ - pos_ >= n)
            return true;
        std::memmove(buf_.get(), buf_.get() + pos_, len_ - pos_);
        len_ -= pos_;
        pos_ = 0;
        while (len_ < n) {
            const qint64 got = device_.read(buf_.get() + len_, qint64(ReadChunkSize - len_));
            if (got <= 0)
                return false;
            len_ += size_t(got);
        }
        return true;
    }
    const char* data() const { return buf_.get() + pos_; }
    size_t available() const { return len_ - pos_; }
    void consume(size_t n) { pos_ += n; }

private:
    QIODevice& device_;
    std::unique_ptr<char[]> buf_;
    size_t pos_ = 0;
    size_t len_ = 0;
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

namespace {

// Reads the file straight into `store`, field by field; a failure part-way
// leaves it holding part of the file.
LogReadResult readInto(QIODevice& stream, LogStore& store, const QString& displayName)
{
    const qint64 size = stream.size() - stream.pos();
    if (size <= 0)
        return fail(LogReadError::Empty, {});
    if (size < LogHeaderSize)
        return fail(LogReadError::ShortHeader,
                    QStringLiteral("The log file %1 is damaged: it holds %2 bytes, fewer than the %3 bytes of a log header.")
                        .arg(displayName).arg(size).arg(LogHeaderSize));

    ChunkReader in(stream);
    if (!in.ensure(LogHeaderSize))
        return fail(LogReadError::ReadFailed,
                    QStringLiteral("The log file %1 could not be read: %2.").arg(displayName, stream.errorString()));
    unsigned char header[LogHeaderSize];
    std::memcpy(header, in.data(), LogHeaderSize);
    in.consume(LogHeaderSize);

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

    // Local copies of the array pointers: the stores through them could
    // otherwise alias the store's own fields and force a reload per record.
    char* const stamps = store.timestampData();
    float* const v1 = store.value[1];
    float* const v2 = store.value[2];
    float* const v3 = store.value[3];
    uint32_t i = 0;
    while (i < count) {
        if (!in.ensure(LogRecordSize)) {
            // Only a device error gets here (the length was checked).
            store.recordCount = i;
            return fail(LogReadError::ReadFailed,
                        QStringLiteral("The log file %1 could not be read: %2.").arg(displayName, stream.errorString()));
        }
        const uint32_t whole = uint32_t(std::min<size_t>(count - i, in.available() / LogRecordSize));
        const char* record = in.data();
        for (const uint32_t stop = i + whole; i < stop; ++i, record += LogRecordSize) {
            std::memcpy(stamps + size_t(i) * TimestampLength, record, TimestampLength);
            v1[i] = readFloat(record + TimestampLength);
            v2[i] = readFloat(record + TimestampLength + 4);
            v3[i] = readFloat(record + TimestampLength + 8);
        }
        in.consume(size_t(whole) * LogRecordSize);
    }
    return {};
}

}  // namespace

LogReadResult ReadLogFile(QIODevice& stream, LogStore& store, const QString& displayName)
{
    // Read into the scratch store; only a whole, sound file is taken over.
    LogStore& scratch = store.Scratch();
    const LogReadResult read = readInto(stream, scratch, displayName);
    if (read.ok())
        store.TakeOver(scratch);
    return read;
}

LogReadResult ReadLogFile(const QString& path, LogStore& store)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    // Our own buffer does the buffering; QFile's would only add a copy.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
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

// The logger identity held by an existing log file, or nothing when the file
// is not a sound log: too short for its header, more records than a log
// holds, or shorter than the records it announces.
std::optional<QByteArray> soundLogIdentity(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = file.read(LogHeaderSize);
    if (header.size() < LogHeaderSize)
        return std::nullopt;
    const uint32_t count = le32(reinterpret_cast<const unsigned char*>(header.constData()));
    if (count > LogCapacity || file.size() < LogHeaderSize + qint64(count) * LogRecordSize)
        return std::nullopt;
    return header.mid(33, 10);
}

// Two loggers may carry the same name and end their logs in the same minute.
// A download replaces only a sound log of its own logger; otherwise it takes
// the first name "<base>_2.logu", "<base>_3.logu", … that is free or holds its
// own logger's log. The suffix keeps the name's group (the text before the
// first "_") unchanged.
QString ownOrFreeName(const QString& folder, const QString& name, const LogStore& store)
{
    static constexpr int MostSuffixes = 10000;
    const QByteArray ownId(store.loggerId, sizeof store.loggerId);
    const QString base = name.chopped(int(std::strlen(".logu")));
    for (int n = 1; n <= MostSuffixes; ++n) {
        const QString candidate = n == 1 ? name : QStringLiteral("%1_%2.logu").arg(base).arg(n);
        const QFileInfo info(folder + candidate);
        if (!info.exists() && !info.isSymLink())
            return candidate;
        // A log without records never replaces one (it can only be an empty
        // download, named after the computer's clock).
        if (store.recordCount > 0 && info.isFile() && soundLogIdentity(info.filePath()) == ownId)
            return candidate;
    }
    return {};  // every name taken: the save fails rather than replace another log
}

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
    const QString folder = LogFolderPath(programFolder);
    const QString ownName = SavedLogName(store, now);
    const QString ownPath = folder + ownName;

    SaveLogResult result;
    QString name = ownName;
    const QString loggerName = QString::fromLatin1(store.loggerName, int(strnlen(store.loggerName, 24)));
    if (!IsValidFileNamePart(loggerName)) {
        name = TemporaryLogName(store, now);
        result.kind = SaveLogResult::SavedUnderTemporaryName;
    } else {
        result.kind = SaveLogResult::Saved;
    }
    const QString freeName = ownOrFreeName(folder, name, store);
    if (!freeName.isEmpty())
        name = freeName;
    const QString path = folder + name;
    store.currentLogName = name;
    if (result.kind == SaveLogResult::SavedUnderTemporaryName)
        result.message = QStringLiteral("The file name is invalid: %1. Please change the logger name in the setup panel. "
                                        "All the logs have been saved in the temporary file: %2.")
                             .arg(ownPath, path);

    result.path = path;
    if (freeName.isEmpty() || !writeWhole(path, store)) {
        result.kind = SaveLogResult::Failed;
        result.message = QStringLiteral("All the logs have been downloaded. But the data cannot be saved into %1.").arg(path);
        // The download stays the open log, unsaved: no file is named as the
        // open log (the one opened before must not come back in its place),
        // and the whole log is kept to show again and to save with Save As.
        store.currentLogPath.clear();
        store.KeepUnsaved();
        return result;
    }
    store.currentLogPath = path;
    store.ForgetUnsaved();
    return result;
}

QString OpenLogTitle(const LogStore& store)
{
    if (store.unsaved())
        return store.currentLogName + QStringLiteral(" (not saved)");
    // A log whose file is gone is still shown, marked as no longer on disk.
    if (!store.currentLogName.trimmed().isEmpty() && !store.currentLogPath.isEmpty() &&
        !QFileInfo::exists(store.currentLogPath))
        return store.currentLogName + QStringLiteral(" (deleted)");
    return store.currentLogName;
}
