// The chart picture as a 16-bit Windows BMP file.
#pragma once

#include "formats/WriteResult.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class QImage;
class QIODevice;

// The 14-byte file header and the 40-byte information header come before the
// pixel rows.
inline constexpr int BmpHeaderSize = 54;

// Shown, with the path and the reason, when the picture cannot be saved.
inline constexpr const char* BmpExportFailedMessage = "Failed to export to bmp file!";

// The path written for a path chosen in the save dialog: ".bmp" is appended
// when the file name does not end with ".bmp" (folder names do not count).
QString BmpExportPath(const QString& chosenPath);

// Bytes of one pixel row: 2 bytes a pixel, filled up to a multiple of 4.
int64_t BmpRowLength(int width);
// 54 + rows × row length; 54 for an empty picture.
int64_t BmpFileSize(int width, int height);

// The whole file: headers, then the rows bottom first, each pixel one
// little-endian word with bit 15 zero, red in bits 14–10, green 9–5 and blue
// 4–0. A picture in another format is reduced to 5 bits a component first.
// An empty picture gives the headers of a 0 × 0 picture.
QByteArray EncodeBmp16(const QImage& image);

// Writes EncodeBmp16(image); false when the device refuses the bytes.
bool WriteBmp16(QIODevice& device, const QImage& image);

// Creates (or replaces) the file at path with the picture. The file is
// replaced only once it is complete, so a failed save leaves no damaged
// picture behind and keeps an earlier file of that name; a folder, a device
// or a file that may not be written is refused (see WriteWholeFile).
WriteResult WriteBmpFile(const QString& path, const QImage& image);
