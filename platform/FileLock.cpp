#include "platform/FileLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::~FileLock() {
    unlock();
}

bool FileLock::tryLock(const QString& path, Kind kind) {
    unlock();
    const QByteArray native = QFile::encodeName(path);
    m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        return false;
    }
    const int operation = (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(m_fd, operation) != 0) {
        unlock();
        return false;
    }
    return true;
}

void FileLock::unlock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // closing the descriptor releases the lock
        m_fd = -1;
    }
}
