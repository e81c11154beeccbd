#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Photographs go through libjpeg itself. A failure throws AppError with a Russian text; the library's
// own message goes to the details.

// Reads every colour space the library knows (colour, greyscale, CMYK and YCCK, baseline or
// progressive) into 24-bit colour. A picture whose data ends early, whose header declares a size no
// photograph has, or that has more than kMaxJpegScans scans counts as damaged.
QImage decodeJpeg(const QByteArray& data);
// Baseline colour JPEG, three components of 8 bits.
QByteArray encodeJpeg(const QImage& image, int quality);
// Writes through replaceFile, so a failure leaves the former file whole.
void writeJpegFile(const QImage& image, const QString& path, int quality);

// The quality photographs are written at.
constexpr int kPhotoQuality = 90;
// Cameras write a progressive photograph in a dozen scans at most. Each scan goes over the whole picture, so a
// small file of thousands of scans would hold the program for minutes; this many take about a second.
constexpr int kMaxJpegScans = 32;
