#include "platform/PictureFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppError.h"
#include "platform/JpegCodec.h"

namespace {

// %2 names the format the file should be in, %3 the format to save it again in.
const QString kDamagedFile = QStringLiteral(
    "Файл «%1» поврежден или не является рисунком%2.\rВыберите другой файл или сохраните рисунок заново%3.");
const QString kFileReadError =
    QStringLiteral("Не удается прочитать файл «%1».\rПроверьте, что файл на месте и доступен для чтения.");
const QString kNotRegular = QStringLiteral("это не обычный файл, а папка, устройство или канал");
const QString kTooLarge = QStringLiteral("файл в %1 байт больше предела для рисунка в %2 байт");
const QString kNoPicture = QStringLiteral("рисунок не читается: он поврежден или записан в другом формате");
const QString kNoMemory = QStringLiteral("для рисунка не хватает памяти");

QString damagedText(const QString& path, PictureFormat format) {
    const QString name = QFileInfo(path).fileName();
    switch (format) {
        case PictureFormat::Jpeg:
            return kDamagedFile.arg(name, QStringLiteral(" JPEG"), QStringLiteral(" в формате JPEG"));
        case PictureFormat::Bmp:
            return kDamagedFile.arg(name, QStringLiteral(" BMP"), QStringLiteral(" в формате BMP"));
        case PictureFormat::Any:
            break;
    }
    return kDamagedFile.arg(name, QString(), QString());
}

// The file is judged by what was opened, not by its name, which may change in between; opening a FIFO
// without O_NONBLOCK would wait for a writer.
QByteArray readBounded(const QString& path, const QString& damaged) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const QString reason = qt_error_string(errno);
        throw AppError(kFileReadError.arg(QFileInfo(path).fileName()), path + QLatin1Char('\n') + reason);
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        throw AppError(damaged, path + QLatin1Char('\n') + kNotRegular);
    }
    if (status.st_size > kMaxPictureFileBytes) {
        throw AppError(damaged, path + QLatin1Char('\n') +
                                    kTooLarge.arg(QLocale().toString(qint64(status.st_size)),
                                                  QLocale().toString(kMaxPictureFileBytes)));
    }
    // A file that grows meanwhile is read only as far as it was measured.
    return file.read(status.st_size);
}

QImage decoded(const QByteArray& bytes, PictureFormat format, const QString& path, const QString& damaged) {
    if (format == PictureFormat::Jpeg || (format == PictureFormat::Any && bytes.startsWith("\xFF\xD8"))) {
        try {
            return decodeJpeg(bytes);
        } catch (const AppError& e) {
            throw AppError(damaged, path + QLatin1Char('\n') + e.details());
        }
    }
    const QImage picture = QImage::fromData(bytes, format == PictureFormat::Bmp ? "BMP" : nullptr);
    if (picture.isNull()) {
        throw AppError(damaged, path + QLatin1Char('\n') + kNoPicture);
    }
    return picture;
}

}  // namespace

QImage readPictureFile(const QString& path, PictureFormat format) {
    const QString damaged = damagedText(path, format);
    try {
        return decoded(readBounded(path, damaged), format, path, damaged);
    } catch (const std::bad_alloc&) {
        throw AppError(damaged, path + QLatin1Char('\n') + kNoMemory);
    }
}

QImage readPictureOrNull(const QString& path) {
    try {
        return readPictureFile(path, PictureFormat::Any);
    } catch (const AppError&) {
        return QImage();
    }
}

std::optional<QByteArray> readPictureBytes(const QString& path) {
    try {
        return readBounded(path, damagedText(path, PictureFormat::Any));
    } catch (const AppError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
