#include "platform/FileLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::~FileLock() {
    unlock();
}

FileLock::Outcome FileLock::tryLock(const QString& path, Kind kind) {
    unlock();
    const QByteArray native = QFile::encodeName(path);
    m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        return Outcome::Unavailable;
    }
    if (::flock(m_fd, (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
        return Outcome::Locked;
    }
    // Refused the whole file, the holders may still share it: then none of them holds it alone.
    const bool shared = kind == Kind::Exclusive && ::flock(m_fd, LOCK_SH | LOCK_NB) == 0;
    unlock();
    return shared ? Outcome::HeldShared : Outcome::HeldExclusive;
}

void FileLock::unlock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // closing the descriptor releases the lock
        m_fd = -1;
    }
}
