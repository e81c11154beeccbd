#include "platform/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QSettings>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "platform/AppError.h"

namespace {

const QString kFileWriteError =
    QStringLiteral("Не удается записать файл «%1».\rПроверьте, что папка доступна для записи и на диске есть место.");

using IniMap = QMap<QString, QVariant>;

// Why the file's data could not be put on disk for good, or an empty text. Errors of a network disk may show
// only here. Files written by others are opened again for it.
QString syncProblem(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return qt_error_string(errno);
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return synced ? QString() : qt_error_string(error);
}

// Why a file could not take the other's place, or an empty text; the place is taken at once or not at all.
QString renameProblem(const QString& from, const QString& to) {
    const bool renamed = std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    return renamed ? QString() : qt_error_string(errno);
}

// The file's keys with the values set over them.
IniMap mergedIni(const QString& path, const QList<QPair<QString, QString>>& values) {
    IniMap merged;
    const QSettings former(path, QSettings::IniFormat);
    for (const QString& key : former.allKeys()) {
        merged.insert(key, former.value(key));
    }
    for (const auto& [key, value] : values) {
        merged.insert(key, value);
    }
    return merged;
}

bool holdsExactly(const QSettings& ini, const IniMap& values) {
    if (ini.status() != QSettings::NoError || ini.allKeys().size() != values.size()) {
        return false;
    }
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        if (ini.value(value.key()) != value.value()) {
            return false;
        }
    }
    return true;
}

}  // namespace

PendingFile::PendingFile(const QString& path)
    : m_target(path),
      m_written(
          QStringLiteral("%1.%2~").arg(path).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))) {
    QFile file(m_written);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        fail(file.errorString());
    }
}

PendingFile::~PendingFile() {
    if (!m_written.isEmpty()) {
        QFile::remove(m_written);
    }
}

void PendingFile::commit() {
    const QString unsynced = syncProblem(m_written);
    if (!unsynced.isEmpty()) {
        fail(unsynced);
    }
    // The new file keeps the permissions of the one it replaces; failing that, it has the usual ones.
    if (QFileInfo::exists(m_target)) {
        QFile::setPermissions(m_written, QFile::permissions(m_target));
    }
    const QString unrenamed = renameProblem(m_written, m_target);
    if (!unrenamed.isEmpty()) {
        fail(unrenamed);
    }
    m_written.clear();
}

void PendingFile::fail(const QString& reason) const {
    throw AppError(kFileWriteError.arg(QFileInfo(m_target).fileName()), m_target + QLatin1Char('\n') + reason);
}

void replaceFile(const QString& path, const QByteArray& content) {
    PendingFile pending(path);
    QFile file(pending.path());
    // Unbuffered, every write is answered by the system; a buffered one would fail only at a flush that close()
    // does not report.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(content) != content.size()) {
        pending.fail(file.errorString());
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        pending.fail(file.errorString());
    }
    const qint64 onDisk = QFileInfo(pending.path()).size();
    if (onDisk != content.size()) {
        pending.fail(QStringLiteral("на диске %1 байт из %2").arg(onDisk).arg(content.size()));
    }
    pending.commit();
}

// QSettings may answer a file cut short as written, and reads a file it wrote from its own memory: what reached
// the disk is read back under another name before it takes the file's place.
void writeIniValues(const QString& path, const QList<QPair<QString, QString>>& values) {
    const IniMap merged = mergedIni(path, values);
    const PendingFile draft(path);
    {
        QSettings ini(draft.path(), QSettings::IniFormat);
        for (auto value = merged.cbegin(); value != merged.cend(); ++value) {
            ini.setValue(value.key(), value.value());
        }
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            draft.fail(QStringLiteral("не удается записать файл %1").arg(draft.path()));
        }
    }
    PendingFile pending(path);
    const QString unrenamed = renameProblem(draft.path(), pending.path());
    if (!unrenamed.isEmpty()) {
        pending.fail(unrenamed);
    }
    if (!holdsExactly(QSettings(pending.path(), QSettings::IniFormat), merged)) {
        pending.fail(
            QStringLiteral("настройки, прочитанные из файла %1, не совпадают с записанными").arg(pending.path()));
    }
    pending.commit();
}
