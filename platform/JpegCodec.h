#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Photographs go through libjpeg itself. A library failure throws AppError "JPEG error #N" with the
// library's message number.

QImage decodeJpeg(const QByteArray& data);
QImage readJpegFile(const QString& path);
// Baseline colour JPEG, three components of 8 bits.
QByteArray encodeJpeg(const QImage& image, int quality);
// Writes through a temporary file in the same folder, so a failure leaves the former file whole.
void writeJpegFile(const QImage& image, const QString& path, int quality);
// Replaces a file's content the same way.
void replaceFile(const QString& path, const QByteArray& content);

// The quality photographs are written at.
constexpr int kPhotoQuality = 90;
