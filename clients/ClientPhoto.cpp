#include "clients/ClientPhoto.h"

#include <QFile>
#include <QFileInfo>

#include "platform/AppError.h"
#include "platform/JpegCodec.h"

namespace {

const QString kPictureReadError = QStringLiteral("Не удалось прочитать изображение из файла %1");
constexpr int kPhotoNameDigits = 8;

bool isJpegFile(const QString& suffix) {
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

}  // namespace

QString photoFileName(int clientId) {
    return QStringLiteral("%1.jpg").arg(clientId, kPhotoNameDigits, 10, QLatin1Char('0'));
}

bool isPictureFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return isJpegFile(suffix) || suffix == QLatin1String("bmp");
}

QImage readPicture(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (isJpegFile(suffix)) {
        return readJpegFile(path);
    }
    if (suffix != QLatin1String("bmp")) {
        return QImage();
    }
    QImage bitmap(path, "BMP");
    if (bitmap.isNull()) {
        throw AppError(kPictureReadError.arg(path));
    }
    return bitmap;
}

void PhotoUndo::write(const QImage& picture, const QString& path) {
    if (m_former.find(path) == m_former.end()) {
        QFile file(path);
        m_former[path] = file.open(QIODevice::ReadOnly) ? std::optional<QByteArray>(file.readAll()) : std::nullopt;
    }
    writeJpegFile(picture, path, kPhotoQuality);
}

void PhotoUndo::restore() {
    for (const auto& [path, content] : m_former) {
        if (content) {
            replaceFile(path, *content);
        } else {
            QFile::remove(path);
        }
    }
    m_former.clear();
}
