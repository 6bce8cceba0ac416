// The analysis report as a PDF file (A4 landscape): the chart page exactly as
// printed, then a summary page to file with the log.
#pragma once

#include "formats/WriteResult.h"
#include "logdata/LogAnalysis.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class LogStore;
class QIODevice;

inline constexpr const char* PdfExportFailedMessage = "Failed to save to pdf file!";

// ".pdf" is appended when the chosen file name holds no '.'.
QString PdfExportPath(const QString& chosenPath);

// The SHA-256 of the file's bytes in lower-case hex; empty with the reason in
// problem when the file cannot be read.
QByteArray FileSha256(const QString& path, QString* problem = nullptr);

// "YYYY-MM-DD hh:mm:ss" of a 14-digit stamp; bytes that are no printable
// ASCII show as '?'. Empty for an empty stamp.
QString ReportStampText(const QByteArray& stamp);
// A span of seconds as "hh:mm:ss", or "N d hh:mm:ss" from one day on.
QString ReportDurationText(int64_t seconds);

// Writes both pages to the device (page 1 through the same routine as the
// printed report, at its resolution). The summary names the logger, the
// log's file, its first and last record, its record count and interval, the
// per-channel statistics, the limits and excursions, the SHA-256 of the
// .logu file on disk (or that the log is not saved), madeAt, and lines for
// "Reviewed by" and "Date". The PDF's title is the log's file name. False
// when the PDF cannot be completed.
bool WritePdfReport(QIODevice& device, LogStore& store, const LogLimits& limits, const QDateTime& madeAt);

// Writes the report to path, replacing the old file only once it is complete.
WriteResult ExportPdfReport(const QString& path, LogStore& store, const LogLimits& limits,
                            const QDateTime& madeAt = QDateTime::currentDateTime());
