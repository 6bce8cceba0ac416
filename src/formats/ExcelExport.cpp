// Export of the records held in the store as an Excel 97–2003 workbook with
// one sheet, logs.
#include "formats/ExcelExport.h"

#include "formats/TxtExport.h"
#include "formats/XlsWriter.h"
#include "logdata/LogStore.h"
#include "logdata/SavePath.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr int DateWidth = 11;  // characters of "YYYY-MM-DD" and a margin
constexpr int TimeWidth = 9;   // characters of "hh:mm:ss" and a margin

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
    return WithExtensionIfNone(chosenPath, QLatin1StringView(".xls"));
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

WriteResult ExportExcelFile(const QString& path, const LogStore& store)
{
    WriteResult result = WriteWholeFile(
        path,
        [](WriteStage stage, const QString& failedPath, const QString& reason) {
            return QStringLiteral("Failed: ") + FileFailureSentence(stage, failedPath, reason);
        },
        [&store](QIODevice& device) { return WriteExcelExport(device, store); });
    if (result.ok)
        result.notice = ExcelTruncationNotice(store.recordCount);
    return result;
}

QString ExcelTruncationNotice(uint32_t recordCount)
{
    if (recordCount <= ExcelMaxExportedRecords)
        return {};
    return QStringLiteral("The sheet holds the newest %1 of %2 records.").arg(ExcelMaxExportedRecords).arg(recordCount);
}
