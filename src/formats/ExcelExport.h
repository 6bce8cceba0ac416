// Export of the records held in the store as an Excel 97–2003 workbook with
// one sheet, logs.
#pragma once

#include "formats/WriteResult.h"

#include <QString>

#include <cstdint>

class LogStore;
class QIODevice;

// A sheet holds 65536 rows: the header row and at most this many records,
// the newest ones.
inline constexpr uint32_t ExcelMaxExportedRecords = 65535;
inline constexpr const char* ExcelSheetName = "logs";

// The path written for a path chosen in the save dialog: ".xls" is appended
// when the file name holds no '.' (dots in folder names do not count).
QString ExcelExportPath(const QString& chosenPath);

// Index of the first record exported out of recordCount: the older records
// of a log longer than a sheet are left out.
uint32_t ExcelFirstExportedRecord(uint32_t recordCount);

// Writes the workbook: a header row SN, LOGDATE, LOGTIME, CH1 (and CH2, CH3
// as channelCount asks: 1 gives one value column, 2 two, any other three),
// then one row per exported record. SN keeps the record's place in the whole
// store (i + 1) and the values are the numbers that "%3.1f" writes; the date
// is the text YYYY-MM-DD and the time hh:mm:ss. A value that is not a finite
// number is written as its "%3.1f" text. False when the device refuses a write.
bool WriteExcelExport(QIODevice& device, const LogStore& store);

// Said after an export of a log longer than a sheet: "The sheet holds the
// newest 65535 of N records."; empty when every record fits.
QString ExcelTruncationNotice(uint32_t recordCount);

// Writes the workbook at path, replacing an old file only once the new one is
// complete (see WriteWholeFile); a failed export keeps the old file and leaves
// no damaged workbook behind. A failure message is "Failed: " and what failed;
// the notice after a success is ExcelTruncationNotice.
WriteResult ExportExcelFile(const QString& path, const LogStore& store);
