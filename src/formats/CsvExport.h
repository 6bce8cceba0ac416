// Export of the records held in the store as a CSV file (RFC 4180, UTF-8,
// CR LF) that spreadsheets and data tools read as numbers and dates.
#pragma once

#include "formats/WriteResult.h"

#include <QByteArray>
#include <QString>

#include <string>

class LogStore;
class QIODevice;

inline constexpr const char* CsvExportFailedMessage = "Failed to export to csv file!";

// ".csv" is appended when the chosen file name holds no '.'.
QString CsvExportPath(const QString& chosenPath);

// The column title of a shown channel: "CH1 (C)", "CH2 (%RH)",
// "CH3 (Dew Point C)".
QByteArray CsvChannelTitle(int channel, const std::string& unitText);

// A header row SN,Timestamp and one column per shown channel, then one row
// per record: its number, its stamp as YYYY-MM-DD hh:mm:ss and each value
// with one decimal and a '.' point (an empty field for a value that is no
// number). False when the device refuses a write.
bool WriteCsvExport(QIODevice& device, const LogStore& store);

// Writes the export to path, replacing the old file only once it is complete.
WriteResult ExportCsvFile(const QString& path, const LogStore& store);
