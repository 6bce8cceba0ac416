// A writer of one-sheet Excel 97–2003 workbooks (.xls): number and text cells
// in a BIFF8 Workbook stream inside a compound file.
#include "formats/XlsWriter.h"

#include "formats/CompoundFile.h"

#include <algorithm>
#include <cstring>

namespace {

// Record types.
constexpr uint16_t RecBof = 0x0809;
constexpr uint16_t RecEof = 0x000A;
constexpr uint16_t RecCodePage = 0x0042;
constexpr uint16_t RecWindow1 = 0x003D;
constexpr uint16_t RecDate1904 = 0x0022;
constexpr uint16_t RecFont = 0x0031;
constexpr uint16_t RecXf = 0x00E0;
constexpr uint16_t RecStyle = 0x0293;
constexpr uint16_t RecBoundSheet = 0x0085;
constexpr uint16_t RecSst = 0x00FC;
constexpr uint16_t RecContinue = 0x003C;
constexpr uint16_t RecExtSst = 0x00FF;
constexpr uint16_t RecColInfo = 0x007D;
constexpr uint16_t RecDimensions = 0x0200;
constexpr uint16_t RecNumber = 0x0203;
constexpr uint16_t RecLabelSst = 0x00FD;
constexpr uint16_t RecWindow2 = 0x023E;

constexpr uint16_t BofGlobals = 0x0005;
constexpr uint16_t BofWorksheet = 0x0010;
constexpr uint16_t CodePageUtf16 = 1200;  // BIFF8 texts are Unicode
// Fifteen style formats come before the first cell format, as Excel expects.
constexpr uint16_t StyleXfCount = 15;
constexpr uint16_t CellXf = StyleXfCount;
// Strings of the shared string table per lookup bucket of EXTSST: at least 8,
// and no more than 128 buckets.
constexpr uint32_t MinStringsPerBucket = 8;
constexpr uint32_t MaxBuckets = 128;

// Class id of an Excel 97–2003 worksheet document, so the shell and
// embedding hosts know the file's kind.
constexpr CompoundFile::ClassId ExcelSheetClassId = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

void put8(QByteArray& out, uint8_t v)
{
    out.append(char(v));
}

void put16(QByteArray& out, uint16_t v)
{
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.append(b, 2);
}

void put32(QByteArray& out, uint32_t v)
{
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    out.append(b, 4);
}

void patch16(QByteArray& out, qsizetype at, uint16_t v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}

void patch32(QByteArray& out, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A record whose length is filled in when it ends.
class Record {
public:
    Record(QByteArray& out, uint16_t type) : out_(out), start_(out.size())
    {
        put16(out, type);
        put16(out, 0);
    }
    ~Record() { patch16(out_, start_ + 2, uint16_t(out_.size() - start_ - 4)); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

private:
    QByteArray& out_;
    qsizetype start_;
};

void putBof(QByteArray& out, uint16_t kind)
{
    Record r(out, RecBof);
    put16(out, 0x0600);  // BIFF8
    put16(out, kind);
    put16(out, 0x0DBB);  // build
    put16(out, 0x07CC);  // build year
    put32(out, 0);       // file history flags
    put32(out, 0x0006);  // lowest version that can read the file: BIFF8
}

void putEof(QByteArray& out)
{
    Record r(out, RecEof);
}

// A short text with an 8-bit length and the flags byte; single-byte characters.
void putShortText(QByteArray& out, std::string_view text)
{
    put8(out, uint8_t(text.size()));
    put8(out, 0);  // 8-bit characters
    out.append(text.data(), qsizetype(text.size()));
}

void putFont(QByteArray& out)
{
    Record r(out, RecFont);
    put16(out, 200);     // height in twips: 10 pt
    put16(out, 0);       // not italic, not struck out
    put16(out, 0x7FFF);  // the window text colour
    put16(out, 400);     // normal weight
    put16(out, 0);       // no super- or subscript
    put8(out, 0);        // no underline
    put8(out, 0);        // family
    put8(out, 0);        // character set
    put8(out, 0);
    putShortText(out, "Arial");
}

void putXf(QByteArray& out, bool style, uint8_t ignoredAttributes)
{
    Record r(out, RecXf);
    put16(out, 0);                       // font 0
    put16(out, 0);                       // number format "General"
    put16(out, style ? 0xFFF5 : 0x0001);  // locked; a style has no parent, a cell format has style 0
    put8(out, 0x20);                     // general alignment, bottom
    put8(out, 0);                        // no rotation
    put8(out, 0);                        // no indent
    put8(out, ignoredAttributes);
    put32(out, 0);       // no borders
    put32(out, 0);       // no fill pattern
    put16(out, 0x20C0);  // pattern colours: the system's foreground and background
}

}  // namespace

XlsWriter::XlsWriter(std::string_view sheetName)
    : sheetName_(sheetName.substr(0, MaxSheetNameLength)), columnWidths_(MaxColumns, 0)
{
}

void XlsWriter::reserve(int numberCells, int textCells)
{
    cells_.reserve(cells_.size() + qsizetype(numberCells) * 18 + qsizetype(textCells) * 14);
    stringIndex_.reserve(stringIndex_.size() + size_t(std::max(textCells, 0)));
}

bool XlsWriter::setColumnWidth(int column, int characters)
{
    if (column < 0 || column >= MaxColumns || characters < 1 || characters > 255)
        return false;
    columnWidths_[size_t(column)] = uint16_t(characters * 256);
    return true;
}

bool XlsWriter::placeCell(int row, int column)
{
    if (row < 0 || row >= MaxRows || column < 0 || column >= MaxColumns)
        return false;
    if (row < lastRow_ || (row == lastRow_ && column <= lastColumn_))
        return false;
    if (firstRow_ < 0)
        firstRow_ = row;
    lastRow_ = row;
    lastColumn_ = column;
    firstColumn_ = std::min(firstColumn_, column);
    endColumn_ = std::max(endColumn_, column + 1);
    return true;
}

bool XlsWriter::addNumber(int row, int column, double value)
{
    if (!placeCell(row, column))
        return false;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char rec[18];
    const uint16_t head[5] = {RecNumber, 14, uint16_t(row), uint16_t(column), CellXf};
    for (int i = 0; i < 5; ++i) {
        rec[2 * i] = char(head[i] & 0xFF);
        rec[2 * i + 1] = char(head[i] >> 8);
    }
    for (int i = 0; i < 8; ++i)
        rec[10 + i] = char((bits >> (8 * i)) & 0xFF);
    cells_.append(rec, sizeof rec);
    return true;
}

bool XlsWriter::addText(int row, int column, std::string_view text)
{
    if (text.size() > size_t(MaxTextLength) || !placeCell(row, column))
        return false;
    uint32_t index;
    if (const auto found = stringIndex_.find(text); found != stringIndex_.end()) {
        index = found->second;
    } else {
        index = uint32_t(strings_.size());
        strings_.emplace_back(text);
        stringIndex_.emplace(strings_.back(), index);
    }
    ++textCells_;
    char rec[14];
    const uint16_t head[5] = {RecLabelSst, 10, uint16_t(row), uint16_t(column), CellXf};
    for (int i = 0; i < 5; ++i) {
        rec[2 * i] = char(head[i] & 0xFF);
        rec[2 * i + 1] = char(head[i] >> 8);
    }
    for (int i = 0; i < 4; ++i)
        rec[10 + i] = char((index >> (8 * i)) & 0xFF);
    cells_.append(rec, sizeof rec);
    return true;
}

void XlsWriter::writeGlobals(QByteArray& out, uint32_t& sheetOffsetAt) const
{
    putBof(out, BofGlobals);
    {
        Record r(out, RecCodePage);
        put16(out, CodePageUtf16);
    }
    {
        Record r(out, RecWindow1);
        put16(out, 0);       // left, in twips
        put16(out, 0);       // top
        put16(out, 0x4000);  // width
        put16(out, 0x2000);  // height
        put16(out, 0x0038);  // scroll bars and sheet tabs shown
        put16(out, 0);       // active sheet
        put16(out, 0);       // first tab shown
        put16(out, 1);       // sheets selected
        put16(out, 600);     // tab bar width, per mille
    }
    {
        Record r(out, RecDate1904);
        put16(out, 0);  // dates count from 1900
    }
    // Excel expects fonts 0 to 3 (there is no font 4).
    for (int i = 0; i < 4; ++i)
        putFont(out);
    // Style 0 is Normal; styles 1 to 14 take only the font from it.
    putXf(out, true, 0x00);
    for (int i = 1; i < StyleXfCount; ++i)
        putXf(out, true, 0xF4);
    putXf(out, false, 0x00);
    {
        Record r(out, RecStyle);
        put16(out, 0x8000);  // built-in style on format 0
        put8(out, 0);        // Normal
        put8(out, 0xFF);     // no outline level
    }
    {
        Record r(out, RecBoundSheet);
        sheetOffsetAt = uint32_t(out.size());
        put32(out, 0);  // stream offset of the sheet's BOF, filled in later
        put8(out, 0);   // visible
        put8(out, 0);   // worksheet
        putShortText(out, sheetName_);
    }
    writeSharedStrings(out);
    putEof(out);
}

// SST with the unique texts, continued in CONTINUE records where one record's
// room ends, then the EXTSST index of every bucket's first text. A text's
// length and flags never part from its first character; a text parted across
// records repeats the flags byte at the start of the CONTINUE.
void XlsWriter::writeSharedStrings(QByteArray& out) const
{
    const uint32_t unique = uint32_t(strings_.size());
    const uint32_t perBucket = std::max(MinStringsPerBucket, (unique + MaxBuckets - 1) / MaxBuckets);
    struct Bucket {
        uint32_t streamOffset;
        uint16_t recordOffset;
    };
    std::vector<Bucket> buckets;

    qsizetype recordStart = out.size();
    auto beginRecord = [&](uint16_t type) {
        recordStart = out.size();
        put16(out, type);
        put16(out, 0);
    };
    auto endRecord = [&] { patch16(out, recordStart + 2, uint16_t(out.size() - recordStart - 4)); };
    auto room = [&] { return qsizetype(MaxRecordData) - (out.size() - recordStart - 4); };

    beginRecord(RecSst);
    put32(out, textCells_);
    put32(out, unique);
    for (uint32_t k = 0; k < unique; ++k) {
        const std::string& s = strings_[k];
        if (room() < 3 + (s.empty() ? 0 : 1)) {
            endRecord();
            beginRecord(RecContinue);
        }
        if (k % perBucket == 0)
            buckets.push_back({uint32_t(out.size()), uint16_t(out.size() - recordStart)});
        put16(out, uint16_t(s.size()));
        put8(out, 0);  // 8-bit characters, no formatting runs, no phonetic data
        size_t done = 0;
        for (;;) {
            const size_t n = std::min(s.size() - done, size_t(room()));
            out.append(s.data() + done, qsizetype(n));
            done += n;
            if (done == s.size())
                break;
            endRecord();
            beginRecord(RecContinue);
            put8(out, 0);
        }
    }
    endRecord();

    Record r(out, RecExtSst);
    put16(out, uint16_t(perBucket));
    for (const Bucket& b : buckets) {
        put32(out, b.streamOffset);
        put16(out, b.recordOffset);
        put16(out, 0);
    }
}

void XlsWriter::writeSheet(QByteArray& out) const
{
    putBof(out, BofWorksheet);
    for (int c = 0; c < MaxColumns; ++c) {
        if (columnWidths_[size_t(c)] == 0)
            continue;
        Record r(out, RecColInfo);
        put16(out, uint16_t(c));
        put16(out, uint16_t(c));
        put16(out, columnWidths_[size_t(c)]);
        put16(out, CellXf);
        put16(out, 0);  // shown, not collapsed
        put16(out, 0);
    }
    {
        Record r(out, RecDimensions);
        const bool empty = firstRow_ < 0;
        put32(out, empty ? 0 : uint32_t(firstRow_));
        put32(out, empty ? 0 : uint32_t(lastRow_ + 1));
        put16(out, empty ? 0 : uint16_t(firstColumn_));
        put16(out, empty ? 0 : uint16_t(endColumn_));
        put16(out, 0);
    }
    out.append(cells_);
    {
        Record r(out, RecWindow2);
        // Gridlines, headings, zeros, default gridline colour, outline
        // symbols; the sheet is selected and shown.
        put16(out, 0x06B6);
        put16(out, 0);     // top row shown
        put16(out, 0);     // left column shown
        put16(out, 0x40);  // gridline colour: the default
        put16(out, 0);
        put16(out, 0);  // page break preview zoom: default
        put16(out, 0);  // normal view zoom: default
        put32(out, 0);
    }
    putEof(out);
}

QByteArray XlsWriter::workbookStream() const
{
    QByteArray out;
    out.reserve(cells_.size() + qsizetype(strings_.size()) * 16 + 4096);
    uint32_t sheetOffsetAt = 0;
    writeGlobals(out, sheetOffsetAt);
    patch32(out, sheetOffsetAt, uint32_t(out.size()));
    writeSheet(out);
    return out;
}

bool XlsWriter::write(QIODevice& device) const
{
    CompoundFile file;
    file.setRootClassId(ExcelSheetClassId);
    file.addStream(QStringLiteral("Workbook"), workbookStream());
    return file.write(device);
}
