// The compound file container and the BIFF8 workbook writer: the container
// read back by a reader of our own (sector chains, allocation tables,
// directory), the records walked, and the cells read back by xlrd.
#include "formats/CompoundFile.h"
#include "formats/XlsWriter.h"
#include "XlrdSheet.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <string>

namespace {

uint16_t get16(const QByteArray& b, qsizetype at)
{
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

uint32_t get32(const QByteArray& b, qsizetype at)
{
    return uint32_t(get16(b, at)) | uint32_t(get16(b, at + 2)) << 16;
}

QByteArray Pattern(qsizetype size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 131 + seed * 7 + i / 509) & 0xFF);
    return b;
}

// A strict reader of what CompoundFile writes: every rule it checks that does
// not hold goes into problems.
class CfbReader {
public:
    struct Entry {
        QString name;
        int type = 0;
        uint32_t left = 0, right = 0, child = 0, start = 0;
        uint64_t size = 0;
        QByteArray classId;
    };

    explicit CfbReader(const QByteArray& file) : file_(file) { read(); }

    QStringList problems;
    std::vector<Entry> entries;
    uint32_t fatSectors = 0, difatSectors = 0;

    bool hasStream(const QString& name) const { return find(name) != nullptr; }
    bool inMiniStream(const QString& name) const
    {
        const Entry* e = find(name);
        return e && e->size < CompoundFile::MiniStreamCutoff;
    }
    QByteArray stream(const QString& name)
    {
        const Entry* e = find(name);
        if (!e)
            return {};
        if (e->size < CompoundFile::MiniStreamCutoff)
            return miniStream_.mid(qsizetype(e->start) * 64, qsizetype(e->size));
        QByteArray data;
        for (uint32_t s = e->start; s < sectorCount_ && data.size() < qsizetype(e->size); s = fat_[s])
            data += sector(s);
        return data.left(qsizetype(e->size));
    }
    // Names met walking the tree below the root, in order.
    QStringList treeOrder() const
    {
        QStringList names;
        std::set<uint32_t> seen;
        walk(entries.empty() ? CompoundFile::NoStream : entries[0].child, names, seen);
        return names;
    }

private:
    void problem(const QString& p) { problems << p; }

    QByteArray sector(uint32_t s) const { return file_.mid(qsizetype(s + 1) * 512, 512); }

    const Entry* find(const QString& name) const
    {
        for (size_t i = 1; i < entries.size(); ++i)
            if (entries[i].type == 2 && entries[i].name == name)
                return &entries[i];
        return nullptr;
    }

    void walk(uint32_t id, QStringList& names, std::set<uint32_t>& seen) const
    {
        if (id == CompoundFile::NoStream || id >= entries.size() || !seen.insert(id).second)
            return;
        walk(entries[id].left, names, seen);
        names << entries[id].name;
        walk(entries[id].right, names, seen);
    }

    // Follows a chain, checking that it stays inside the table, ends with
    // ENDOFCHAIN and shares no sector with another chain.
    std::vector<uint32_t> chain(uint32_t first, const std::vector<uint32_t>& table, uint32_t count,
                                const QString& what)
    {
        std::vector<uint32_t> out;
        std::set<uint32_t>& used = &table == &fat_ ? usedSectors_ : usedMini_;
        for (uint32_t s = first; s != CompoundFile::EndOfChain;) {
            if (s >= count || s >= table.size()) {
                problem(QStringLiteral("%1: sector %2 outside the file").arg(what).arg(s));
                break;
            }
            if (!used.insert(s).second) {
                problem(QStringLiteral("%1: sector %2 used twice").arg(what).arg(s));
                break;
            }
            out.push_back(s);
            s = table[s];
        }
        return out;
    }

    void read()
    {
        if (file_.size() < 3 * 512 || file_.size() % 512 != 0) {
            problem(QStringLiteral("file size %1 is no whole number of sectors").arg(file_.size()));
            return;
        }
        sectorCount_ = uint32_t(file_.size() / 512 - 1);
        static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
        if (file_.left(8) != QByteArray(signature, 8))
            problem(QStringLiteral("signature"));
        if (file_.mid(8, 16) != QByteArray(16, '\0'))
            problem(QStringLiteral("header class id"));
        const struct {
            int at, size;
            uint32_t value;
            const char* what;
        } fields[] = {
            {24, 2, 0x3E, "minor version"}, {26, 2, 3, "major version"},   {28, 2, 0xFFFE, "byte order"},
            {30, 2, 9, "sector shift"},     {32, 2, 6, "mini sector shift"}, {34, 4, 0, "reserved"},
            {38, 2, 0, "reserved"},         {40, 4, 0, "directory sectors"}, {52, 4, 0, "transaction"},
            {56, 4, 4096, "mini stream cutoff"},
        };
        for (const auto& f : fields)
            if ((f.size == 2 ? get16(file_, f.at) : get32(file_, f.at)) != f.value)
                problem(QString::fromLatin1(f.what));

        fatSectors = get32(file_, 44);
        difatSectors = get32(file_, 72);
        std::vector<uint32_t> fatList;
        for (int k = 0; k < 109; ++k) {
            const uint32_t s = get32(file_, 76 + 4 * k);
            if (uint32_t(k) < fatSectors)
                fatList.push_back(s);
            else if (s != CompoundFile::FreeSect)
                problem(QStringLiteral("header DIFAT entry %1 not free").arg(k));
        }
        std::vector<uint32_t> difatList;
        uint32_t d = get32(file_, 68);
        if (difatSectors == 0 && d != CompoundFile::EndOfChain)
            problem(QStringLiteral("first DIFAT sector without DIFAT sectors"));
        for (uint32_t n = 0; n < difatSectors; ++n) {
            if (d >= sectorCount_) {
                problem(QStringLiteral("DIFAT sector %1 outside the file").arg(d));
                break;
            }
            difatList.push_back(d);
            const QByteArray b = sector(d);
            for (int k = 0; k < 127; ++k) {
                const uint32_t s = get32(b, 4 * k);
                if (fatList.size() < fatSectors)
                    fatList.push_back(s);
                else if (s != CompoundFile::FreeSect)
                    problem(QStringLiteral("DIFAT entry beyond the FAT not free"));
            }
            d = get32(b, 508);
        }
        if (d != CompoundFile::EndOfChain)
            problem(QStringLiteral("DIFAT chain does not end"));
        if (fatList.size() != fatSectors)
            problem(QStringLiteral("DIFAT lists %1 of %2 FAT sectors").arg(fatList.size()).arg(fatSectors));

        for (uint32_t s : fatList) {
            if (s >= sectorCount_) {
                problem(QStringLiteral("FAT sector %1 outside the file").arg(s));
                return;
            }
            const QByteArray b = sector(s);
            for (int k = 0; k < 128; ++k)
                fat_.push_back(get32(b, 4 * k));
        }
        if (fat_.size() < sectorCount_) {
            problem(QStringLiteral("the FAT does not cover the file"));
            return;
        }
        for (uint32_t s : fatList) {
            usedSectors_.insert(s);
            if (fat_[s] != CompoundFile::FatSect)
                problem(QStringLiteral("FAT sector %1 not marked FATSECT").arg(s));
        }
        for (uint32_t s : difatList) {
            usedSectors_.insert(s);
            if (fat_[s] != CompoundFile::DifSect)
                problem(QStringLiteral("DIFAT sector %1 not marked DIFSECT").arg(s));
        }

        QByteArray dir;
        for (uint32_t s : chain(get32(file_, 48), fat_, sectorCount_, QStringLiteral("directory")))
            dir += sector(s);
        for (qsizetype at = 0; at + 128 <= dir.size(); at += 128) {
            Entry e;
            const int nameBytes = get16(dir, at + 64);
            for (int k = 0; k + 2 < nameBytes; k += 2)
                e.name += QChar(get16(dir, at + k));
            e.type = uint8_t(dir[at + 66]);
            e.left = get32(dir, at + 68);
            e.right = get32(dir, at + 72);
            e.child = get32(dir, at + 76);
            e.classId = dir.mid(at + 80, 16);
            e.start = get32(dir, at + 116);
            e.size = get32(dir, at + 120) | uint64_t(get32(dir, at + 124)) << 32;
            if (e.type != 0 && (nameBytes < 2 || nameBytes > 64 || get16(dir, at + nameBytes - 2) != 0))
                problem(QStringLiteral("entry name not terminated"));
            if (e.type != 0 && uint8_t(dir[at + 67]) > 1)
                problem(QStringLiteral("entry colour"));
            entries.push_back(e);
        }
        if (entries.empty() || entries[0].type != 5 || entries[0].name != QStringLiteral("Root Entry")) {
            problem(QStringLiteral("no root entry"));
            return;
        }

        const uint32_t miniFatSectors = get32(file_, 64);
        const std::vector<uint32_t> miniFatChain =
            chain(get32(file_, 60), fat_, sectorCount_, QStringLiteral("mini FAT"));
        if (miniFatChain.size() != miniFatSectors)
            problem(QStringLiteral("mini FAT chain has %1 of %2 sectors").arg(miniFatChain.size()).arg(miniFatSectors));
        for (uint32_t s : miniFatChain) {
            const QByteArray b = sector(s);
            for (int k = 0; k < 128; ++k)
                miniFat_.push_back(get32(b, 4 * k));
        }
        for (uint32_t s : chain(entries[0].start, fat_, sectorCount_, QStringLiteral("mini stream")))
            miniStream_ += sector(s);
        if (uint64_t(miniStream_.size()) < entries[0].size)
            problem(QStringLiteral("mini stream shorter than the root says"));
        const uint32_t miniCount = uint32_t(entries[0].size / 64);

        for (size_t i = 1; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            if (e.type == 0) {
                if (e.left != CompoundFile::NoStream || e.right != CompoundFile::NoStream ||
                    e.child != CompoundFile::NoStream)
                    problem(QStringLiteral("unused entry %1 has links").arg(i));
                continue;
            }
            if (e.type != 2)
                problem(QStringLiteral("entry %1 is not a stream").arg(i));
            if (e.size == 0) {
                if (e.start != CompoundFile::EndOfChain)
                    problem(QStringLiteral("empty stream %1 owns a sector").arg(e.name));
                continue;
            }
            const bool mini = e.size < CompoundFile::MiniStreamCutoff;
            const std::vector<uint32_t> c =
                mini ? chain(e.start, miniFat_, miniCount, e.name) : chain(e.start, fat_, sectorCount_, e.name);
            const uint64_t unit = mini ? 64 : 512;
            if (c.size() != (e.size + unit - 1) / unit)
                problem(QStringLiteral("%1: chain of %2 sectors for %3 bytes").arg(e.name).arg(c.size()).arg(e.size));
        }
        // The tree below the root reaches every stream once.
        int streams = 0;
        for (const Entry& e : entries)
            streams += e.type == 2;
        if (treeOrder().size() != streams)
            problem(QStringLiteral("the tree reaches %1 of %2 streams").arg(treeOrder().size()).arg(streams));
        // Every sector and mini sector in no chain is free.
        for (uint32_t s = 0; s < fat_.size(); ++s)
            if (!usedSectors_.count(s) && fat_[s] != CompoundFile::FreeSect)
                problem(QStringLiteral("sector %1 allocated but in no chain").arg(s));
        for (uint32_t s = 0; s < miniFat_.size(); ++s)
            if (!usedMini_.count(s) && miniFat_[s] != CompoundFile::FreeSect)
                problem(QStringLiteral("mini sector %1 allocated but in no chain").arg(s));
    }

    QByteArray file_;
    uint32_t sectorCount_ = 0;
    std::vector<uint32_t> fat_, miniFat_;
    QByteArray miniStream_;
    std::set<uint32_t> usedSectors_, usedMini_;
};

// ---- The container ----

class CompoundFileSizeTest : public ::testing::TestWithParam<qsizetype> {};

TEST_P(CompoundFileSizeTest, StreamsComeBackThroughTheirChains)
{
    const qsizetype size = GetParam();
    CompoundFile file;
    ASSERT_TRUE(file.addStream(QStringLiteral("Workbook"), Pattern(size, 1)));
    // A second, small stream shares the mini stream or sits beside the large one.
    ASSERT_TRUE(file.addStream(QStringLiteral("Other"), Pattern(100, 2)));
    const QByteArray bytes = file.toByteArray();
    EXPECT_EQ(bytes.size(), file.fileSize());

    CfbReader reader(bytes);
    EXPECT_EQ(reader.problems, QStringList());
    EXPECT_EQ(reader.inMiniStream(QStringLiteral("Workbook")), size < 4096);
    EXPECT_EQ(reader.stream(QStringLiteral("Workbook")), Pattern(size, 1));
    EXPECT_EQ(reader.stream(QStringLiteral("Other")), Pattern(100, 2));
    // Past 109 FAT sectors (about 7 MB) the FAT is listed in DIFAT sectors.
    EXPECT_EQ(reader.difatSectors > 0, reader.fatSectors > 109);
    if (size == qsizetype(109 * 128 - 112) * 512) {
        EXPECT_EQ(reader.fatSectors, 109u) << "the header's slots are full";
    }
    if (size == qsizetype(109 * 128 - 110) * 512) {
        EXPECT_EQ(reader.difatSectors, 1u) << "two more sectors need a 110th FAT sector";
    }
}

INSTANTIATE_TEST_SUITE_P(StreamSizes, CompoundFileSizeTest,
                         ::testing::Values(0, 1, 64, 65, 4095, 4096, 4097, 70000,
                                           // the FAT fills the header's 109 slots exactly, then needs a DIFAT
                                           qsizetype(109 * 128 - 112) * 512, qsizetype(109 * 128 - 110) * 512,
                                           qsizetype(20) * 1024 * 1024));

TEST(CompoundFileTest, DirectoryTreeHoldsEveryNameInOrder)
{
    // Shorter names sort first; names of equal length compare in upper case.
    const QStringList added = {QStringLiteral("Workbook"), QStringLiteral("b"), QStringLiteral("A"),
                               QStringLiteral("\x05SummaryInformation"), QStringLiteral("Ctls"),
                               QStringLiteral("abc"), QStringLiteral("ABD"), QStringLiteral("zz")};
    CompoundFile file;
    for (int i = 0; i < added.size(); ++i)
        ASSERT_TRUE(file.addStream(added[i], Pattern(10 * (i + 1), i)));
    CfbReader reader(file.toByteArray());
    EXPECT_EQ(reader.problems, QStringList());
    EXPECT_EQ(reader.treeOrder(), (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("zz"),
                                               QStringLiteral("abc"), QStringLiteral("ABD"), QStringLiteral("Ctls"),
                                               QStringLiteral("Workbook"), QStringLiteral("\x05SummaryInformation")}));
    for (int i = 0; i < added.size(); ++i)
        EXPECT_EQ(reader.stream(added[i]), Pattern(10 * (i + 1), i)) << added[i].toStdString();
}

TEST(CompoundFileTest, BadOrRepeatedNamesAreRefused)
{
    CompoundFile file;
    ASSERT_TRUE(file.addStream(QStringLiteral("Workbook"), {}));
    for (const QString& name : {QString(), QString(32, u'x'), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                                QStringLiteral("a:b"), QStringLiteral("a!b"), QStringLiteral("WORKBOOK")})
        EXPECT_FALSE(file.addStream(name, {})) << name.toStdString();
    EXPECT_TRUE(file.addStream(QString(31, u'x'), {}));
    EXPECT_EQ(CfbReader(file.toByteArray()).problems, QStringList());
}

TEST(CompoundFileTest, WriteFailureIsReported)
{
    class RefusingDevice : public QIODevice {
    public:
        RefusingDevice() { open(QIODevice::WriteOnly); }

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64) override { return -1; }
    };
    CompoundFile file;
    file.addStream(QStringLiteral("Workbook"), Pattern(5000, 1));
    RefusingDevice device;
    EXPECT_FALSE(file.write(device));
}

// ---- The workbook records ----

struct Rec {
    uint16_t type;
    qsizetype offset;  // of the record header in the stream
    QByteArray data;
};

std::vector<Rec> Records(const QByteArray& stream)
{
    std::vector<Rec> out;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const uint16_t len = get16(stream, at + 2);
        out.push_back({get16(stream, at), at, stream.mid(at + 4, len)});
        at += 4 + len;
    }
    return out;
}

// The strings of SST and its CONTINUE records, read the documented way.
std::vector<std::string> SharedStrings(const std::vector<Rec>& recs, size_t sst, uint32_t& total)
{
    std::vector<std::string> strings;
    size_t r = sst;
    qsizetype at = 8;
    total = get32(recs[r].data, 0);
    const uint32_t unique = get32(recs[r].data, 4);
    for (uint32_t k = 0; k < unique; ++k) {
        if (at >= recs[r].data.size()) {
            ++r;
            at = 0;
        }
        const uint16_t cch = get16(recs[r].data, at);
        EXPECT_EQ(recs[r].data[at + 2], 0) << "8-bit characters, no runs";
        at += 3;
        std::string s;
        while (s.size() < cch) {
            if (at >= recs[r].data.size()) {
                ++r;
                EXPECT_EQ(recs[r].type, 0x003C);
                EXPECT_EQ(recs[r].data[0], 0) << "a parted text repeats its flags";
                at = 1;
            }
            const qsizetype n = std::min<qsizetype>(cch - qsizetype(s.size()), recs[r].data.size() - at);
            s.append(recs[r].data.constData() + at, size_t(n));
            at += n;
        }
        strings.push_back(s);
    }
    return strings;
}

TEST(XlsWriterTest, RecordsOfAWorkbookWithManyTexts)
{
    // Enough distinct texts to fill several records, and one long text that
    // has to be parted across them.
    XlsWriter xls("logs");
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i)
        texts.push_back("text" + std::to_string(i * 7919));
    texts.insert(texts.begin() + 1500, std::string(20000, 'L'));
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(xls.addText(int(i), 0, texts[i]));
    ASSERT_TRUE(xls.addText(int(texts.size()), 1, texts[0]));  // repeated: one entry, two cells
    ASSERT_TRUE(xls.addNumber(int(texts.size()), 3, 2.5));

    const QByteArray stream = xls.workbookStream();
    const std::vector<Rec> recs = Records(stream);
    ASSERT_GE(recs.size(), 4u);
    qsizetype end = 0;
    for (const Rec& r : recs) {
        EXPECT_LE(r.data.size(), XlsWriter::MaxRecordData) << "record " << r.type;
        end = r.offset + 4 + r.data.size();
    }
    EXPECT_EQ(end, stream.size());

    EXPECT_EQ(recs.front().type, 0x0809);
    EXPECT_EQ(get16(recs.front().data, 2), 0x0005) << "workbook globals first";
    size_t sst = 0, extsst = 0, boundsheet = 0, sheetBof = 0, dims = 0;
    for (size_t i = 0; i < recs.size(); ++i) {
        if (recs[i].type == 0x00FC)
            sst = i;
        if (recs[i].type == 0x00FF)
            extsst = i;
        if (recs[i].type == 0x0085)
            boundsheet = i;
        if (recs[i].type == 0x0200)
            dims = i;
        if (recs[i].type == 0x0809 && i > 0)
            sheetBof = i;
    }
    ASSERT_TRUE(sst && extsst && boundsheet && sheetBof && dims);
    EXPECT_EQ(recs[sheetBof - 1].type, 0x000A) << "globals end with EOF before the sheet";
    EXPECT_EQ(qsizetype(get32(recs[boundsheet].data, 0)), recs[sheetBof].offset) << "sheet offset";
    EXPECT_EQ(recs[boundsheet].data.mid(6), QByteArray("\x04\x00logs", 6));
    EXPECT_EQ(recs.back().type, 0x000A);
    EXPECT_EQ(recs[recs.size() - 2].type, 0x023E) << "WINDOW2 before the sheet's EOF";

    uint32_t total = 0;
    const std::vector<std::string> strings = SharedStrings(recs, sst, total);
    EXPECT_EQ(strings, texts);
    EXPECT_EQ(total, texts.size() + 1);
    EXPECT_GT(extsst - sst, 2u) << "the table is continued";

    // Each bucket's entry points at the start of its first text: the stream
    // offset, and the offset inside the record that holds it.
    const QByteArray& ext = recs[extsst].data;
    const uint16_t perBucket = get16(ext, 0);
    EXPECT_GE(perBucket, 8);
    const qsizetype buckets = (ext.size() - 2) / 8;
    EXPECT_EQ(buckets, qsizetype((texts.size() + perBucket - 1) / perBucket));
    EXPECT_LE(buckets, 128);
    for (qsizetype b = 0; b < buckets; ++b) {
        const uint32_t at = get32(ext, 2 + 8 * b);
        const uint16_t inRecord = get16(ext, 6 + 8 * b);
        const std::string& s = texts[size_t(b * perBucket)];
        EXPECT_EQ(get16(stream, at), s.size()) << "bucket " << b;
        const qsizetype shown = std::min<qsizetype>(8, qsizetype(s.size()));
        EXPECT_EQ(stream.mid(at + 3, shown), QByteArray(s.data(), shown));
        bool inside = false;
        for (size_t i = sst; i < extsst; ++i)
            if (recs[i].offset + inRecord == qsizetype(at))
                inside = true;
        EXPECT_TRUE(inside) << "bucket " << b << " record offset";
    }

    // DIMENSIONS: rows 0 … last, columns 0 … 3.
    EXPECT_EQ(get32(recs[dims].data, 0), 0u);
    EXPECT_EQ(get32(recs[dims].data, 4), uint32_t(texts.size() + 1));
    EXPECT_EQ(get16(recs[dims].data, 8), 0);
    EXPECT_EQ(get16(recs[dims].data, 10), 4);
}

TEST(XlsWriterTest, CellsOutOfOrderOrOutOfRangeAreRefused)
{
    XlsWriter xls("logs");
    ASSERT_TRUE(xls.addNumber(3, 5, 1.0));
    const struct {
        int row, column;
        const char* why;
    } refused[] = {
        {3, 5, "the same cell"}, {3, 4, "a column to the left"}, {2, 9, "an earlier row"},
        {-1, 0, "a negative row"}, {65536, 0, "row 65537"}, {4, 256, "column 257"}, {4, -1, "a negative column"},
    };
    for (const auto& k : refused) {
        EXPECT_FALSE(xls.addNumber(k.row, k.column, 1.0)) << k.why;
        EXPECT_FALSE(xls.addText(k.row, k.column, "x")) << k.why;
    }
    EXPECT_FALSE(xls.addText(4, 0, std::string(XlsWriter::MaxTextLength + 1, 'x'))) << "a text too long";
    EXPECT_TRUE(xls.addText(4, 0, std::string(XlsWriter::MaxTextLength, 'x')));
    EXPECT_TRUE(xls.addNumber(65535, 255, 2.0)) << "the last cell of a sheet";
    EXPECT_FALSE(xls.setColumnWidth(256, 10));
    EXPECT_FALSE(xls.setColumnWidth(0, 0));
}

// ---- Read back by xlrd ----

class XlsWriterReadBack : public ::testing::Test {
protected:
    QString save(const XlsWriter& xls)
    {
        const QString path = dir_.filePath(QStringLiteral("book.xls"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_TRUE(xls.write(f));
        f.close();
        QFile back(path);
        back.open(QIODevice::ReadOnly);
        EXPECT_EQ(CfbReader(back.readAll()).problems, QStringList());
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(XlsWriterReadBack, NumbersAndTextsKeepTheirTypesAndValues)
{
    const double numbers[] = {0.0,  -0.0, 1.0,  -25.3, 123.5, 65536.0, 1e300, -1e-300,
                              std::numeric_limits<double>::denorm_min()};
    const std::string texts[] = {
        "",
        "2011-03-08",
        std::string("\x00\x01\x7F", 3),
        "\x80\xA0\xE9\xFF",  // single bytes above ASCII stand for themselves
        "it's \"quoted\"; DROP",
        std::string(300, 'w'),
    };
    XlsWriter xls("logs");
    int row = 0;
    for (double v : numbers)
        ASSERT_TRUE(xls.addNumber(row++, 0, v));
    for (const std::string& t : texts)
        ASSERT_TRUE(xls.addText(row++, 1, t));
    ASSERT_TRUE(xls.addNumber(row, 2, 7.0));  // leaves a gap of empty cells

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(save(xls), "logs", sheet);
    EXPECT_EQ(sheet.sheetNames, QStringList{QStringLiteral("logs")});
    ASSERT_EQ(sheet.rows, row + 1);
    ASSERT_EQ(sheet.columns, 3);
    row = 0;
    for (double v : numbers) {
        const xlrdtest::Cell& c = sheet.at(row++, 0);
        ASSERT_EQ(c.type, xlrdtest::Cell::Number);
        EXPECT_EQ(std::memcmp(&c.number, &v, sizeof v), 0) << v << " came back as " << c.number;
    }
    for (const std::string& t : texts) {
        const xlrdtest::Cell& c = sheet.at(row++, 1);
        ASSERT_EQ(c.type, xlrdtest::Cell::Text);
        EXPECT_EQ(c.text, QByteArray(t.data(), qsizetype(t.size())));
    }
    EXPECT_EQ(sheet.at(row, 0).type, xlrdtest::Cell::Empty);
    EXPECT_EQ(sheet.at(row, 2).number, 7.0);
}

TEST_F(XlsWriterReadBack, TextsSpreadOverContinuedRecords)
{
    XlsWriter xls("logs");
    std::vector<std::string> texts;
    for (int i = 0; i < 5000; ++i)
        texts.push_back(i == 2500 ? std::string(20000, 'L') : "t" + std::to_string(i));
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(xls.addText(int(i), 0, texts[i]));

    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(save(xls), "logs", sheet);
    ASSERT_EQ(sheet.rows, int(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_EQ(sheet.at(int(i), 0).text.toStdString(), texts[i]) << "row " << i;
}

TEST_F(XlsWriterReadBack, EmptyWorkbookOpens)
{
    XlsWriter xls("logs");
    xlrdtest::Sheet sheet;
    READ_WITH_XLRD(save(xls), "logs", sheet);
    EXPECT_EQ(sheet.rows, 0);
    EXPECT_EQ(sheet.columns, 0);
}

}  // namespace
