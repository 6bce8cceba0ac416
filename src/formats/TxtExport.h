// Export of the records held in the store as a tab-separated text file.
#pragma once

#include "formats/WriteResult.h"

#include <QString>

class LogStore;
class QIODevice;

// Shown when the chosen file cannot be created.
inline constexpr const char* TxtExportFailedMessage = "Failed to export to txt file!";

// The path written for a path chosen in the save dialog: ".txt" is appended
// when the file name holds no '.' (dots in folder names do not count).
QString TxtExportPath(const QString& chosenPath);

// Writes the header line and one line per record, CR LF ended, through a
// large buffer. Returns false when the device refuses a write; what was
// written before stays written.
bool WriteTxtExport(QIODevice& device, const LogStore& store);

// Writes the export at path, replacing an old file only once the new one is
// complete (see WriteWholeFile). A file that cannot be made is told with
// TxtExportFailedMessage alone; a refused name or a failed write adds the
// path and the reason.
WriteResult ExportTxtFile(const QString& path, const LogStore& store);

// Writes value as printf("%3.1f", double(value)) does, byte for byte, and
// returns the end of what was written (at most 48 bytes, no terminator).
char* FormatValue31(char* out, float value);
