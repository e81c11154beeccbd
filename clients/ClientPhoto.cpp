#include "clients/ClientPhoto.h"

#include <QFile>
#include <QFileInfo>

#include "platform/AppError.h"
#include "platform/JpegCodec.h"

namespace {

const QString kPictureReadError = QStringLiteral(
    "Файл «%1» поврежден или не является рисунком BMP.\rВыберите другой файл или сохраните рисунок заново в "
    "формате BMP.");
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
        throw AppError(kPictureReadError.arg(QFileInfo(path).fileName()), path);
    }
    return bitmap;
}

// A file that could not be written is not remembered: putting it back would fail the same way.
void PhotoUndo::write(const QImage& picture, const QString& path) {
    std::optional<QByteArray> former;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        former = file.readAll();
    }
    writeJpegFile(picture, path, kPhotoQuality);
    m_former.try_emplace(path, former);
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
