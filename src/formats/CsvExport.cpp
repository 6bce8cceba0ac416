// Export of the records held in the store as a CSV file.
#include "formats/CsvExport.h"

#include "formats/TxtExport.h"
#include "logdata/LogStore.h"

#include <QIODevice>

#include <cmath>
#include <string>

namespace {

// A field as RFC 4180 wants it: quoted, with quotes doubled, when it holds a
// comma, a quote or a line break. Bytes outside ASCII (a damaged stamp or
// name) are taken as Latin-1 and written as UTF-8.
void AppendField(QByteArray& out, const char* bytes, int length)
{
    bool ascii = true, quote = false;
    for (int k = 0; k < length; ++k) {
        const unsigned char b = static_cast<unsigned char>(bytes[k]);
        ascii &= b < 0x80;
        quote |= b == ',' || b == '"' || b == '\r' || b == '\n';
    }
    const QByteArray text = ascii ? QByteArray::fromRawData(bytes, length)
                                  : QString::fromLatin1(bytes, length).toUtf8();
    if (!quote) {
        out += text;
        return;
    }
    out += '"';
    for (char b : text) {
        if (b == '"')
            out += '"';
        out += b;
    }
    out += '"';
}

void AppendStamp(QByteArray& out, const char* t)
{
    char text[19];
    const int layout[14] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
    text[4] = text[7] = '-';
    text[10] = ' ';
    text[13] = text[16] = ':';
    for (int k = 0; k < 14; ++k)
        text[layout[k]] = t[k];
    AppendField(out, text, 19);
}

}  // namespace

QString CsvExportPath(const QString& chosenPath)
{
    return PathWithDefaultExtension(chosenPath, QStringLiteral(".csv"));
}

QByteArray CsvChannelTitle(int channel, const std::string& unitText)
{
    // "Dew Point(C)" reads as "Dew Point C": no brackets inside the brackets.
    std::string unit;
    for (char ch : unitText) {
        if (ch == '(')
            unit += ' ';
        else if (ch != ')')
            unit += ch;
    }
    while (!unit.empty() && unit.back() == ' ')
        unit.pop_back();
    return "CH" + QByteArray::number(channel) + " (" + QByteArray::fromStdString(unit) + ')';
}

bool WriteCsvExport(QIODevice& device, const LogStore& store)
{
    const int channels = store.shownChannels();
    const uint32_t n = store.recordCount > LogCapacity ? LogCapacity : store.recordCount;
    QByteArray chunk;
    chunk.reserve(1 << 17);
    chunk += "SN,Timestamp";
    for (int c = 0; c < channels; ++c) {
        chunk += ',';
        const QByteArray title = CsvChannelTitle(c + 1, store.unitText[c]);
        AppendField(chunk, title.constData(), int(title.size()));
    }
    chunk += "\r\n";
    for (uint32_t i = 0; i < n; ++i) {
        chunk += QByteArray::number(i + 1);
        chunk += ',';
        AppendStamp(chunk, store.timestamp(i));
        for (int c = 1; c <= channels; ++c) {
            chunk += ',';
            const float v = store.value[c][i];
            if (std::isfinite(v)) {
                char text[64];
                char* end = FormatValue31(text, v);
                // A value too large for the exact path is printed by the C
                // library, whose locale may use a decimal comma.
                for (char* p = text; p != end; ++p)
                    if (*p == ',')
                        *p = '.';
                chunk.append(text, end - text);
            }
        }
        chunk += "\r\n";
        if (chunk.size() >= (1 << 16)) {
            if (device.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return chunk.isEmpty() || device.write(chunk) == chunk.size();
}

WriteResult ExportCsvFile(const QString& path, const LogStore& store)
{
    return WriteWholeFile(path, QString::fromLatin1(CsvExportFailedMessage),
                          [&store](QIODevice& device) { return WriteCsvExport(device, store); });
}
