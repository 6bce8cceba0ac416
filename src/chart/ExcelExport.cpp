// Export of the records held in the store as an Excel 97–2003 workbook with
// one sheet, logs.
#include "chart/ExcelExport.h"

#include "chart/XlsWriter.h"
#include "logdata/LogStore.h"
#include "logdata/TxtExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr int DateWidth = 11;  // characters of "YYYY-MM-DD" and a margin
constexpr int TimeWidth = 9;   // characters of "hh:mm:ss" and a margin

QString failure(const char* what, const QString& path, const QString& reason)
{
    return QStringLiteral("Failed: The file %1 %2 (%3).")
        .arg(QDir::toNativeSeparators(path), QLatin1String(what), reason);
}

// A value as the number its "%3.1f" text reads as, or that text where it is no number.
bool addValue(XlsWriter& xls, int row, int column, float value)
{
    char text[64];
    char* end = FormatValue31(text, value);
    if (std::isfinite(value)) {
        double number = 0;
        const auto parsed = std::from_chars(text, end, number);
        if (parsed.ec == std::errc() && parsed.ptr == end)
            return xls.addNumber(row, column, number);
    }
    return xls.addText(row, column, std::string_view(text, size_t(end - text)));
}

}  // namespace

QString ExcelExportPath(const QString& chosenPath)
{
    if (chosenPath.contains(QLatin1Char('.')))
        return chosenPath;
    return chosenPath + QStringLiteral(".xls");
}

uint32_t ExcelFirstExportedRecord(uint32_t recordCount)
{
    return recordCount > ExcelMaxExportedRecords ? recordCount - ExcelMaxExportedRecords : 0;
}

bool WriteExcelExport(QIODevice& device, const LogStore& store)
{
    const int channels = store.channelCount == 1 ? 1 : store.channelCount == 2 ? 2 : 3;
    const uint32_t count = std::min(store.recordCount, LogCapacity);
    const uint32_t first = ExcelFirstExportedRecord(count);

    XlsWriter xls(ExcelSheetName);
    xls.reserve(int(count - first) * (1 + channels), int(count - first) * 2 + 3 + channels);
    xls.setColumnWidth(1, DateWidth);
    xls.setColumnWidth(2, TimeWidth);

    static const char* const names[] = {"SN", "LOGDATE", "LOGTIME", "CH1", "CH2", "CH3"};
    for (int c = 0; c < 3 + channels; ++c)
        xls.addText(0, c, names[c]);

    for (uint32_t i = first; i < count; ++i) {
        const int row = int(i - first) + 1;
        const char* t = store.timestamp(i);
        const char date[10] = {t[0], t[1], t[2], t[3], '-', t[4], t[5], '-', t[6], t[7]};
        const char time[8] = {t[8], t[9], ':', t[10], t[11], ':', t[12], t[13]};
        xls.addNumber(row, 0, double(i) + 1);
        xls.addText(row, 1, std::string_view(date, sizeof date));
        xls.addText(row, 2, std::string_view(time, sizeof time));
        for (int c = 1; c <= channels; ++c)
            addValue(xls, row, 2 + c, store.value[c][i]);
    }
    return xls.write(device);
}

ExcelExportResult ExportExcelFile(const QString& path, const LogStore& store)
{
    // Only a file is replaced: deleting a device or a pipe that happens to
    // bear the chosen name would harm the system, and a folder is never one.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return {false, failure("cannot be created", path,
                               existing.isDir() ? QStringLiteral("it is a folder")
                                                : QStringLiteral("it is not a regular file")), {}};
    // The user has agreed to replace the file; when it cannot be deleted,
    // writing the new one says what is wrong.
    QFile::remove(path);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, failure("cannot be created", path, file.errorString()), {}};
    if (!WriteExcelExport(file, store)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, failure("cannot be written", path, reason), {}};
    }
    if (!file.commit())
        return {false, failure("cannot be written", path, file.errorString()), {}};
    return {true, {}, ExcelTruncationNotice(store.recordCount)};
}

QString ExcelTruncationNotice(uint32_t recordCount)
{
    if (recordCount <= ExcelMaxExportedRecords)
        return {};
    return QStringLiteral("The sheet holds the newest %1 of %2 records.").arg(ExcelMaxExportedRecords).arg(recordCount);
}
