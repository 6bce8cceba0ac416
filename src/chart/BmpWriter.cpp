// The chart picture as a 16-bit Windows BMP file.
#include "chart/BmpWriter.h"

#include "logdata/SavePath.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QIODevice>
#include <QSaveFile>

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

QString Failure(const char* what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1\r\nThe file %2 %3 (%4).")
        .arg(QLatin1String(BmpExportFailedMessage), QDir::toNativeSeparators(path), QLatin1String(what), reason);
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

BmpExportResult WriteBmpFile(const QString& path, const QImage& image)
{
    const QFileInfo existing(path);
    if (existing.exists()) {
        if (existing.isDir())
            return {false, Failure("cannot be created", path, QStringLiteral("it is a folder"))};
        if (!existing.isFile())
            return {false, Failure("cannot be created", path, QStringLiteral("it is not a regular file"))};
        // Renaming a finished file over it would replace a file the user
        // protected; creating it in place would be refused, so refuse it here.
        if (!existing.isWritable())
            return {false, Failure("cannot be created", path, QStringLiteral("the file may not be written"))};
    }
    QSaveFile file(path);
    // A folder where no new file may be made can still hold a file that may
    // be written: that one is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return {false, Failure("cannot be created", path, file.errorString())};
    if (!WriteBmp16(file, image)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, Failure("cannot be written", path, reason)};
    }
    if (!file.commit())
        return {false, Failure("cannot be written", path, file.errorString())};
    return {true, {}};
}
