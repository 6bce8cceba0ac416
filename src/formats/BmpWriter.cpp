// The chart picture as a 16-bit Windows BMP file.
#include "formats/BmpWriter.h"

#include "logdata/SavePath.h"

#include <QImage>
#include <QIODevice>

#include <cstring>

namespace {

void Put16(char* at, uint32_t v)
{
    at[0] = char(v & 0xFF);
    at[1] = char((v >> 8) & 0xFF);
}

void Put32(char* at, uint32_t v)
{
    Put16(at, v & 0xFFFF);
    Put16(at + 2, v >> 16);
}

}  // namespace

QString BmpExportPath(const QString& chosenPath)
{
    // Case matters, as it always has: "chart.BMP" becomes "chart.BMP.bmp".
    return WithExtensionUnlessEnding(chosenPath, QLatin1StringView(".bmp"));
}

int64_t BmpRowLength(int width)
{
    return width > 0 ? (2 * int64_t(width) + 3) / 4 * 4 : 0;
}

int64_t BmpFileSize(int width, int height)
{
    return BmpHeaderSize + (height > 0 ? BmpRowLength(width) * height : 0);
}

QByteArray EncodeBmp16(const QImage& source)
{
    const QImage image = source.isNull() || source.format() == QImage::Format_RGB555
                             ? source
                             : source.convertToFormat(QImage::Format_RGB555);
    const int w = image.isNull() ? 0 : image.width();
    const int h = image.isNull() ? 0 : image.height();
    const int64_t rowLength = BmpRowLength(w);
    const int64_t size = BmpFileSize(w, h);

    QByteArray file(qsizetype(size), '\0');
    char* d = file.data();
    // File header.
    d[0] = 'B';
    d[1] = 'M';
    Put32(d + 2, uint32_t(size));
    Put32(d + 10, BmpHeaderSize);
    // Information header; the fields not set stay 0 (no compression, no
    // image size, no resolution, no palette).
    Put32(d + 14, 40);
    Put32(d + 18, uint32_t(w));
    Put32(d + 22, uint32_t(h));  // positive: the bottom row comes first
    Put16(d + 26, 1);
    Put16(d + 28, 16);

    for (int y = 0; y < h; ++y) {
        const auto* pixels = reinterpret_cast<const uint16_t*>(image.constScanLine(h - 1 - y));
        char* row = d + BmpHeaderSize + rowLength * y;
        // Written word by word, so the file is little-endian whatever the
        // machine; bit 15 is cleared in case the picture carried anything there.
        for (int x = 0; x < w; ++x)
            Put16(row + 2 * x, pixels[x] & 0x7FFFu);
    }
    return file;
}

bool WriteBmp16(QIODevice& device, const QImage& image)
{
    const QByteArray bytes = EncodeBmp16(image);
    return device.write(bytes) == bytes.size();
}

WriteResult WriteBmpFile(const QString& path, const QImage& image)
{
    return WriteWholeFile(path, QString::fromLatin1(BmpExportFailedMessage),
                          [&image](QIODevice& device) { return WriteBmp16(device, image); });
}
