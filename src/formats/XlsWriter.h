// A writer of one-sheet Excel 97–2003 workbooks (.xls): number and text cells
// in a BIFF8 Workbook stream inside a compound file.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QIODevice;

// Cells are added row by row, left to right, and written straight into the
// sheet's records; texts go once each into the shared string table. Texts are
// single-byte: every byte is the character of that code (0 to 255).
class XlsWriter {
public:
    static constexpr int MaxRows = 65536;
    static constexpr int MaxColumns = 256;
    static constexpr int MaxTextLength = 32767;
    static constexpr int MaxSheetNameLength = 31;
    // Largest data part of one record; longer data goes on in CONTINUE records.
    static constexpr int MaxRecordData = 8224;

    // A sheet name longer than 31 characters is cut to 31.
    explicit XlsWriter(std::string_view sheetName);
    // The text index points into the writer's own texts.
    XlsWriter(const XlsWriter&) = delete;
    XlsWriter& operator=(const XlsWriter&) = delete;

    // Room for this many number and text cells, so that adding them does not
    // grow the buffers step by step.
    void reserve(int numberCells, int textCells);

    // Width of a column in characters of the default font (1 to 255);
    // false for a column or width out of range.
    bool setColumnWidth(int column, int characters);

    // Each cell must lie after the one added before it (a later row, or the
    // same row and a later column) and inside 65536 rows × 256 columns; a
    // cell that does not is refused with false and nothing is written.
    bool addNumber(int row, int column, double value);
    // Also refused: a text longer than 32767 characters.
    bool addText(int row, int column, std::string_view text);

    // The whole Workbook stream: the global records, then the sheet.
    QByteArray workbookStream() const;

    // The .xls file: the Workbook stream inside a compound file. False when
    // the device refuses a write.
    bool write(QIODevice& device) const;

private:
    bool placeCell(int row, int column);
    void writeGlobals(QByteArray& out, uint32_t& sheetOffsetAt) const;
    void writeSharedStrings(QByteArray& out) const;
    void writeSheet(QByteArray& out) const;

    std::string sheetName_;
    std::vector<uint16_t> columnWidths_;  // 1/256 of a character; 0 = default
    QByteArray cells_;                    // the cell records, in order
    int lastRow_ = -1;
    int lastColumn_ = -1;
    int firstRow_ = -1;
    int firstColumn_ = MaxColumns;
    int endColumn_ = 0;  // one past the rightmost column used

    std::deque<std::string> strings_;  // unique texts in table order; a deque keeps them in place
    std::unordered_map<std::string_view, uint32_t> stringIndex_;
    uint32_t textCells_ = 0;
};
