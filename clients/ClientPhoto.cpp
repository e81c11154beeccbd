#include "clients/ClientPhoto.h"

#include <QFile>
#include <QFileInfo>

#include "platform/AppError.h"
#include "platform/FileReplace.h"
#include "platform/JpegCodec.h"
#include "platform/PictureFile.h"

namespace {

const QString kNotPutBack = QStringLiteral(
    "Не удается вернуть прежнее содержимое файла фотографии %1: в нем осталась фотография, выбранная без "
    "сохранения.\rПроверьте, что папка фотографий доступна для записи, и выберите фотографию клиента заново.");
constexpr int kPhotoNameDigits = 8;

bool isJpegFile(const QString& suffix) {
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

// Why a file could not be put back, or an empty text.
QString putBack(const QString& path, const std::optional<QByteArray>& former) {
    if (former) {
        try {
            replaceFile(path, *former);
        } catch (const AppError& e) {
            return e.details();
        }
        return QString();
    }
    QFile file(path);
    return file.remove() || !file.exists() ? QString() : path + QLatin1Char('\n') + file.errorString();
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
        return readPictureFile(path, PictureFormat::Jpeg);
    }
    return suffix == QLatin1String("bmp") ? readPictureFile(path, PictureFormat::Bmp) : QImage();
}

// A file that could not be written is not remembered: putting it back would fail the same way. A
// former file that is no picture file that can be read (a FIFO, a huge file) counts as none.
void PhotoUndo::write(const QImage& picture, const QString& path) {
    const std::optional<QByteArray> former = readPictureBytes(path);
    writeJpegFile(picture, path, kPhotoQuality);
    m_former.try_emplace(path, former);
}

void PhotoUndo::restore() {
    QStringList names;
    QStringList reasons;
    for (const auto& [path, former] : m_former) {
        const QString reason = putBack(path, former);
        if (!reason.isEmpty()) {
            names << QStringLiteral("«%1»").arg(QFileInfo(path).fileName());
            reasons << reason;
        }
    }
    m_former.clear();
    if (!names.isEmpty()) {
        throw AppError(kNotPutBack.arg(names.join(QStringLiteral(", "))), reasons.join(QLatin1Char('\n')));
    }
}
