#pragma once

#include <QImage>
#include <QString>

#include <QtGlobal>

#include <optional>

// The largest picture file read. A camera's JPEG stays far below it; a bitmap holds three bytes a pixel, and
// Qt decodes no picture of more than 256 MB anyway.
constexpr qint64 kMaxPictureFileBytes = qint64(256) * 1024 * 1024;

enum class PictureFormat {
    Jpeg,
    Bmp,
    Any,  // as the content says: JPEG, or whatever else Qt reads
};

// Every picture the program reads from disk comes through here. Only a regular file (links followed) of at
// most kMaxPictureFileBytes is read, opened without waiting, so that a FIFO, a device or a huge file never
// holds the program. A file that cannot be opened, or is none of that, or is no picture of the format, or
// whose picture the memory cannot hold throws AppError; its text names the file.
QImage readPictureFile(const QString& path, PictureFormat format);
// Any picture as its content says, or a null one when it cannot be read: a picture left out.
QImage readPictureOrNull(const QString& path);
// A picture file's bytes under the same rule, or none when it cannot be read so.
std::optional<QByteArray> readPictureBytes(const QString& path);
