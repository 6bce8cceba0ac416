// A writer of compound files (the sector-and-FAT container of Office 97–2003
// documents) holding a few streams at the top level.
#include "formats/CompoundFile.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

constexpr int EntrySize = 128;
constexpr int EntriesPerSector = CompoundFile::SectorSize / EntrySize;
constexpr int IdsPerSector = CompoundFile::SectorSize / 4;
constexpr int HeaderDifatEntries = 109;
// A DIFAT sector holds 127 FAT sector numbers and the number of the next DIFAT sector.
constexpr int IdsPerDifatSector = IdsPerSector - 1;

uint32_t sectorsFor(qint64 bytes, int unit)
{
    return uint32_t((bytes + unit - 1) / unit);
}

void put16(char* p, uint16_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void put32(char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

QByteArray idSectors(const std::vector<uint32_t>& ids)
{
    QByteArray bytes(qsizetype(ids.size()) * 4, Qt::Uninitialized);
    for (size_t i = 0; i < ids.size(); ++i)
        put32(bytes.data() + i * 4, ids[i]);
    return bytes;
}

// Directory order: shorter names first, names of equal length by their
// upper-case UTF-16 units.
bool nameLess(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t ca = a[i].toUpper().unicode(), cb = b[i].toUpper().unicode();
        if (ca != cb)
            return ca < cb;
    }
    return false;
}

struct Entry {
    QString name;
    uint8_t type = 0;  // 0 unused, 2 stream, 5 root
    uint32_t left = CompoundFile::NoStream;
    uint32_t right = CompoundFile::NoStream;
    uint32_t child = CompoundFile::NoStream;
    uint32_t start = CompoundFile::EndOfChain;
    uint64_t size = 0;
    CompoundFile::ClassId classId{};
};

// A balanced binary tree over sorted[first, end): the middle entry is the
// subtree's root. Every node is black, which a balanced tree allows.
uint32_t linkTree(std::vector<Entry>& entries, const std::vector<uint32_t>& sorted, size_t first, size_t end)
{
    if (first >= end)
        return CompoundFile::NoStream;
    const size_t middle = first + (end - first) / 2;
    Entry& e = entries[sorted[middle]];
    e.left = linkTree(entries, sorted, first, middle);
    e.right = linkTree(entries, sorted, middle + 1, end);
    return sorted[middle];
}

void putEntry(char* p, const Entry& e)
{
    std::memset(p, 0, EntrySize);
    if (e.type != 0) {
        const qsizetype n = std::min<qsizetype>(e.name.size(), CompoundFile::MaxNameLength);
        for (qsizetype i = 0; i < n; ++i)
            put16(p + 2 * i, e.name[i].unicode());
        put16(p + 64, uint16_t((n + 1) * 2));  // bytes of the name with its terminator
        p[66] = char(e.type);
        p[67] = 1;  // black
    }
    put32(p + 68, e.left);
    put32(p + 72, e.right);
    put32(p + 76, e.child);
    if (e.type != 0) {
        std::memcpy(p + 80, e.classId.data(), e.classId.size());
        put32(p + 116, e.start);
        put32(p + 120, uint32_t(e.size));
        put32(p + 124, uint32_t(e.size >> 32));
    }
}

}  // namespace

struct CompoundFile::Layout {
    uint32_t fatSectors = 0;
    uint32_t difatSectors = 0;
    uint32_t dirSectors = 0;
    uint32_t miniFatSectors = 0;
    uint32_t miniStreamSectors = 0;
    uint32_t miniSectors = 0;  // mini sectors in use
    uint32_t firstDifat = EndOfChain;
    uint32_t firstDir = EndOfChain;
    uint32_t firstMiniFat = EndOfChain;
    uint32_t firstMiniStream = EndOfChain;
    uint32_t totalSectors = 0;
    std::vector<bool> inMini;     // per stream
    std::vector<uint32_t> start;  // per stream: first sector, or first mini sector when inMini
};

bool CompoundFile::addStream(const QString& name, QByteArray data)
{
    if (name.isEmpty() || name.size() > MaxNameLength)
        return false;
    for (QChar c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!')
            return false;
    for (const Stream& s : streams_)
        if (!nameLess(s.name, name) && !nameLess(name, s.name))
            return false;
    streams_.push_back({name, std::move(data)});
    return true;
}

CompoundFile::Layout CompoundFile::layout() const
{
    Layout l;
    l.inMini.resize(streams_.size());
    l.start.assign(streams_.size(), EndOfChain);

    uint32_t bigSectors = 0;
    for (size_t i = 0; i < streams_.size(); ++i) {
        const qint64 size = streams_[i].data.size();
        l.inMini[i] = size < MiniStreamCutoff;
        if (l.inMini[i])
            l.miniSectors += sectorsFor(size, MiniSectorSize);
        else
            bigSectors += sectorsFor(size, SectorSize);
    }
    l.miniFatSectors = sectorsFor(qint64(l.miniSectors) * 4, SectorSize);
    l.miniStreamSectors = sectorsFor(qint64(l.miniSectors) * MiniSectorSize, SectorSize);
    l.dirSectors = sectorsFor(qint64(streams_.size() + 1), EntriesPerSector);
    const uint32_t dataSectors = l.dirSectors + l.miniFatSectors + l.miniStreamSectors + bigSectors;

    // The FAT covers every sector, its own and the DIFAT's included: grow both
    // until they cover themselves.
    for (;;) {
        const uint32_t total = dataSectors + l.fatSectors + l.difatSectors;
        const uint32_t fat = sectorsFor(total, IdsPerSector);
        const uint32_t difat = fat > HeaderDifatEntries ? sectorsFor(fat - HeaderDifatEntries, IdsPerDifatSector) : 0;
        if (fat == l.fatSectors && difat == l.difatSectors)
            break;
        l.fatSectors = fat;
        l.difatSectors = difat;
    }

    uint32_t next = l.fatSectors;
    if (l.difatSectors > 0)
        l.firstDifat = next;
    next += l.difatSectors;
    l.firstDir = next;
    next += l.dirSectors;
    if (l.miniFatSectors > 0)
        l.firstMiniFat = next;
    next += l.miniFatSectors;
    if (l.miniStreamSectors > 0)
        l.firstMiniStream = next;
    next += l.miniStreamSectors;

    uint32_t nextMini = 0;
    for (size_t i = 0; i < streams_.size(); ++i) {
        const qint64 size = streams_[i].data.size();
        if (size == 0)
            continue;  // an empty stream owns no sector
        if (l.inMini[i]) {
            l.start[i] = nextMini;
            nextMini += sectorsFor(size, MiniSectorSize);
        } else {
            l.start[i] = next;
            next += sectorsFor(size, SectorSize);
        }
    }
    l.totalSectors = next;
    return l;
}

qint64 CompoundFile::fileSize() const
{
    return qint64(layout().totalSectors + 1) * SectorSize;
}

bool CompoundFile::write(QIODevice& device) const
{
    const Layout l = layout();

    auto chain = [](std::vector<uint32_t>& table, uint32_t first, uint32_t count) {
        for (uint32_t k = 0; k < count; ++k)
            table[first + k] = k + 1 < count ? first + k + 1 : EndOfChain;
    };

    std::vector<uint32_t> fat(size_t(l.fatSectors) * IdsPerSector, FreeSect);
    for (uint32_t s = 0; s < l.fatSectors; ++s)
        fat[s] = FatSect;
    for (uint32_t s = 0; s < l.difatSectors; ++s)
        fat[l.fatSectors + s] = DifSect;
    chain(fat, l.firstDir, l.dirSectors);
    if (l.miniFatSectors > 0)
        chain(fat, l.firstMiniFat, l.miniFatSectors);
    if (l.miniStreamSectors > 0)
        chain(fat, l.firstMiniStream, l.miniStreamSectors);

    std::vector<uint32_t> miniFat(size_t(l.miniFatSectors) * IdsPerSector, FreeSect);
    for (size_t i = 0; i < streams_.size(); ++i) {
        if (l.start[i] == EndOfChain)
            continue;
        if (l.inMini[i])
            chain(miniFat, l.start[i], sectorsFor(streams_[i].data.size(), MiniSectorSize));
        else
            chain(fat, l.start[i], sectorsFor(streams_[i].data.size(), SectorSize));
    }

    // FAT sector numbers beyond the header's 109 go to the DIFAT sectors.
    std::vector<uint32_t> difat(size_t(l.difatSectors) * IdsPerSector, FreeSect);
    for (uint32_t k = HeaderDifatEntries; k < l.fatSectors; ++k) {
        const uint32_t j = k - HeaderDifatEntries;
        difat[size_t(j / IdsPerDifatSector) * IdsPerSector + j % IdsPerDifatSector] = k;
    }
    for (uint32_t d = 0; d < l.difatSectors; ++d)
        difat[size_t(d) * IdsPerSector + IdsPerDifatSector] =
            d + 1 < l.difatSectors ? l.firstDifat + d + 1 : EndOfChain;

    std::vector<Entry> entries(size_t(l.dirSectors) * EntriesPerSector);
    Entry& root = entries[0];
    root.name = QStringLiteral("Root Entry");
    root.type = 5;
    root.classId = rootClassId_;
    root.start = l.firstMiniStream;
    root.size = uint64_t(l.miniSectors) * MiniSectorSize;
    for (size_t i = 0; i < streams_.size(); ++i) {
        Entry& e = entries[i + 1];
        e.name = streams_[i].name;
        e.type = 2;
        e.start = l.start[i];
        e.size = uint64_t(streams_[i].data.size());
    }
    std::vector<uint32_t> sorted(streams_.size());
    std::iota(sorted.begin(), sorted.end(), 1u);
    std::sort(sorted.begin(), sorted.end(),
              [&](uint32_t a, uint32_t b) { return nameLess(entries[a].name, entries[b].name); });
    entries[0].child = linkTree(entries, sorted, 0, sorted.size());

    QByteArray header(SectorSize, '\0');
    char* h = header.data();
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, signature, sizeof signature);
    put16(h + 24, 0x003E);  // minor version
    put16(h + 26, 0x0003);  // major version 3: 512-byte sectors
    put16(h + 28, 0xFFFE);  // little-endian
    put16(h + 30, 9);       // sector shift
    put16(h + 32, 6);       // mini sector shift
    put32(h + 44, l.fatSectors);
    put32(h + 48, l.firstDir);
    put32(h + 56, MiniStreamCutoff);
    put32(h + 60, l.firstMiniFat);
    put32(h + 64, l.miniFatSectors);
    put32(h + 68, l.firstDifat);
    put32(h + 72, l.difatSectors);
    for (int k = 0; k < HeaderDifatEntries; ++k)
        put32(h + 76 + 4 * k, uint32_t(k) < l.fatSectors ? uint32_t(k) : FreeSect);

    QByteArray directory(qsizetype(entries.size()) * EntrySize, Qt::Uninitialized);
    for (size_t i = 0; i < entries.size(); ++i)
        putEntry(directory.data() + i * EntrySize, entries[i]);

    QByteArray miniStream(qsizetype(l.miniStreamSectors) * SectorSize, '\0');
    for (size_t i = 0; i < streams_.size(); ++i)
        if (l.inMini[i] && l.start[i] != EndOfChain)
            std::memcpy(miniStream.data() + size_t(l.start[i]) * MiniSectorSize, streams_[i].data.constData(),
                        size_t(streams_[i].data.size()));

    auto put = [&device](const char* data, qint64 size) { return size == 0 || device.write(data, size) == size; };
    auto putPadded = [&](const QByteArray& bytes) {
        static const char zeros[SectorSize] = {};
        const qint64 pad = (SectorSize - bytes.size() % SectorSize) % SectorSize;
        return put(bytes.constData(), bytes.size()) && put(zeros, pad);
    };

    bool ok = putPadded(header) && putPadded(idSectors(fat)) && putPadded(idSectors(difat)) && putPadded(directory) &&
              putPadded(idSectors(miniFat)) && putPadded(miniStream);
    for (size_t i = 0; ok && i < streams_.size(); ++i)
        if (!l.inMini[i])
            ok = putPadded(streams_[i].data);
    return ok;
}

QByteArray CompoundFile::toByteArray() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    write(buffer);
    return bytes;
}
