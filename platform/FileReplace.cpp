#include "platform/FileReplace.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppError.h"

int (*gSyncFile)(int fd) = ::fsync;

namespace {

const QString kFileWriteError =
    QStringLiteral("Не удается записать файл «%1».\rПроверьте, что папка доступна для записи и на диске есть место.");
const QString kDiskFull =
    QStringLiteral("Диск заполнен: не удается записать файл «%1».\rОсвободите место на диске и повторите действие.");
// As QSaveFile gives up on a loop of links.
constexpr int kLinkDepth = 128;
constexpr mode_t kNewFileMode = 0666;

using IniMap = QMap<QString, QVariant>;

// The details name the file as the person knows it, whatever was written meanwhile.
[[noreturn]] void failWrite(const QString& path, const QString& reason, int error = 0) {
    const QString details = path + QLatin1Char('\n') + reason;
    if (error == ENOSPC || error == EDQUOT || error == EFBIG) {
        throw DiskFull(kDiskFull.arg(QFileInfo(path).fileName()), details);
    }
    throw AppError(kFileWriteError.arg(QFileInfo(path).fileName()), details);
}

[[noreturn]] void failWrite(const QString& path, int error) {
    failWrite(path, qt_error_string(error), error);
}

// The file a link leads to, through every link on the way; the path itself when it is no link.
QString linkTarget(const QString& path) {
    QFileInfo file(path);
    for (int depth = 0; file.isSymLink(); ++depth) {
        if (depth == kLinkDepth) {
            return path;
        }
        file.setFile(file.symLinkTarget());
    }
    return file.filePath();
}

std::optional<mode_t> modeOf(const QByteArray& path) {
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 ? std::optional<mode_t>(status.st_mode & 07777) : std::nullopt;
}

// A pending file stays locked while it is written: a file no write holds is a crash's leftover.
void removeUnlessLocked(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        ::unlink(path.constData());
    }
    ::close(fd);
}

void removeLeftovers(const QString& target) {
    const QFileInfo file(target);
    const QRegularExpression pending(
        QStringLiteral("^%1\\.[0-9a-f]{8}~$").arg(QRegularExpression::escape(file.fileName())));
    for (QDirIterator it(file.path(), QDir::Files | QDir::Hidden); it.hasNext();) {
        it.next();
        if (pending.match(it.fileName()).hasMatch()) {
            removeUnlessLocked(QFile::encodeName(it.filePath()));
        }
    }
}

// Writes all of the content, puts it on disk and closes the file; answers the errno of the first step that failed,
// or 0. Errors of a network disk may show only at the sync or the close.
int writeSyncClose(int fd, const QByteArray& content) {
    int error = 0;
    for (qsizetype done = 0; done < content.size() && error == 0;) {
        const ssize_t written = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (written > 0) {
            done += written;
        } else if (written == 0 || errno != EINTR) {
            error = written == 0 ? EIO : errno;
        }
    }
    if (error == 0 && gSyncFile(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error;
}

// Writes the content into the open file and checks the size that reached the disk.
void writeChecked(const QString& path, int fd, const QByteArray& written, const QByteArray& content) {
    const int error = writeSyncClose(fd, content);
    if (error != 0) {
        failWrite(path, error);
    }
    struct stat status {};
    if (::stat(written.constData(), &status) != 0 || status.st_size != content.size()) {
        failWrite(path, QStringLiteral("на диске %1 байт из %2").arg(qint64(status.st_size)).arg(content.size()));
    }
}

// A name of its own beside the file, as earlier writes' leftovers are named.
QByteArray pendingName(const QByteArray& target) {
    return target +
           QStringLiteral(".%1~").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')).toLatin1();
}

// Where the folder takes no new file, over the file itself; a file that cannot be written either fails as refused.
void writeInPlace(const QString& path, const QByteArray& target, const QByteArray& content, int refusal) {
    const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        failWrite(path, refusal);
    }
    writeChecked(path, fd, target, content);
}

// Removed unless it took the file's place.
class PendingName {
  public:
    explicit PendingName(QByteArray name) : m_name(std::move(name)) {}
    ~PendingName() {
        if (!m_name.isEmpty()) {
            ::unlink(m_name.constData());
        }
    }
    PendingName(const PendingName&) = delete;
    PendingName& operator=(const PendingName&) = delete;
    const QByteArray& name() const { return m_name; }
    void release() { m_name.clear(); }

  private:
    QByteArray m_name;
};

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

// The INI text of the values. QSettings writes only files, may answer a file cut short as written, and reads a
// file it wrote from its own memory: the text is drafted in a folder of its own and read back under another name.
QByteArray iniText(const QString& path, const IniMap& values) {
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        failWrite(path, folder.errorString());
    }
    const QString draft = folder.filePath(QStringLiteral("draft.ini"));
    const QString check = folder.filePath(QStringLiteral("check.ini"));
    {
        QSettings ini(draft, QSettings::IniFormat);
        for (auto value = values.cbegin(); value != values.cend(); ++value) {
            ini.setValue(value.key(), value.value());
        }
    }
    if (!QFile::rename(draft, check) || !holdsExactly(QSettings(check, QSettings::IniFormat), values)) {
        failWrite(path, QStringLiteral("настройки не удается записать и прочитать в папке %1").arg(folder.path()));
    }
    QFile text(check);
    if (!text.open(QIODevice::ReadOnly)) {
        failWrite(path, text.errorString());
    }
    return text.readAll();
}

}  // namespace

void replaceFile(const QString& path, const QByteArray& content, ShutFolder shutFolder) {
    const QByteArray target = QFile::encodeName(linkTarget(path));
    removeLeftovers(QFile::decodeName(target));
    const std::optional<mode_t> former = modeOf(target);
    PendingName pending(pendingName(target));
    const int fd =
        ::open(pending.name().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, former.value_or(kNewFileMode));
    if (fd < 0) {
        const int refusal = errno;
        pending.release();
        if (shutFolder == ShutFolder::Fail || (refusal != EACCES && refusal != EPERM)) {
            failWrite(path, refusal);
        }
        writeInPlace(path, target, content, refusal);
        return;
    }
    ::flock(fd, LOCK_EX);
    // The mode asked at the open is narrowed by the umask; a disk that keeps no modes may refuse it.
    if (former) {
        ::fchmod(fd, *former);
    }
    writeChecked(path, fd, pending.name(), content);
    if (std::rename(pending.name().constData(), target.constData()) != 0) {
        failWrite(path, errno);
    }
    pending.release();
}

void failFileWrite(const QString& path, const QString& reason) {
    failWrite(path, reason);
}

void writeIniValues(const QString& path, const QList<QPair<QString, QString>>& values) {
    replaceFile(path, iniText(path, mergedIni(path, values)));
}
