// Export of the records held in the store as an Excel 97–2003 workbook with
// one sheet, logs.
#pragma once

#include <QString>

#include <cstdint>

class LogStore;
class QIODevice;

// A sheet holds 65536 rows: the header row and at most this many records,
// the newest ones.
inline constexpr uint32_t ExcelMaxExportedRecords = 65535;
inline constexpr const char* ExcelSheetName = "logs";

// The path written for a path chosen in the save dialog: ".xls" is appended
// when the path holds no '.' at all, folder names included.
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

struct ExcelExportResult {
    bool ok = false;
    QString message;  // for the user when !ok: "Failed: " and the reason
    QString notice;   // for the user after a success: ExcelTruncationNotice when records were left out
};

// Said after an export of a log longer than a sheet: "The sheet holds the
// newest 65535 of N records."; empty when every record fits.
QString ExcelTruncationNotice(uint32_t recordCount);

// Deletes any file at path (a failure to delete is ignored), then writes the
// workbook there; a folder, device or pipe of that name is refused. The file
// appears only once it is complete, so a failed export leaves no damaged
// workbook behind.
ExcelExportResult ExportExcelFile(const QString& path, const LogStore& store);
