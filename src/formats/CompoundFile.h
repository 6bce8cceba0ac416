// A writer of compound files (the sector-and-FAT container of Office 97–2003
// documents) holding a few streams at the top level.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QIODevice;

// Version 3 layout: 512-byte sectors, 64-byte mini sectors, streams under
// 4096 bytes kept in the mini stream. Sector order in the file: FAT, DIFAT,
// directory, mini FAT, mini stream, then each large stream in the order added.
class CompoundFile {
public:
    static constexpr int SectorSize = 512;
    static constexpr int MiniSectorSize = 64;
    static constexpr int MiniStreamCutoff = 4096;
    static constexpr int MaxNameLength = 31;  // UTF-16 units, without the terminator

    // Special sector numbers of the allocation tables.
    static constexpr uint32_t DifSect = 0xFFFFFFFC;
    static constexpr uint32_t FatSect = 0xFFFFFFFD;
    static constexpr uint32_t EndOfChain = 0xFFFFFFFE;
    static constexpr uint32_t FreeSect = 0xFFFFFFFF;
    static constexpr uint32_t NoStream = 0xFFFFFFFF;

    using ClassId = std::array<uint8_t, 16>;

    // The class id stored in the root entry (all zero unless set).
    void setRootClassId(const ClassId& id) { rootClassId_ = id; }

    // Adds a stream below the root. False, and nothing added, for an empty or
    // too long name, a name holding / \ : or !, or a name already used
    // (names compare without regard to case).
    bool addStream(const QString& name, QByteArray data);

    // Bytes of the whole file; always a whole number of sectors.
    qint64 fileSize() const;

    // Writes the file. False when the device refuses a write.
    bool write(QIODevice& device) const;
    QByteArray toByteArray() const;

private:
    struct Stream {
        QString name;
        QByteArray data;
    };
    struct Layout;
    Layout layout() const;

    std::vector<Stream> streams_;
    ClassId rootClassId_{};
};
