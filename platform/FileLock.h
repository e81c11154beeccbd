#pragma once

#include <QString>

// An advisory lock on a file, taken without waiting. Each instance opens the file on its own, so two
// instances in one process exclude each other as two processes do.
class FileLock {
  public:
    enum class Kind { Shared, Exclusive };
    // What came of a try: the lock taken, or why not.
    enum class Outcome { Locked, Unavailable, HeldShared, HeldExclusive };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    Outcome tryLock(const QString& path, Kind kind);
    void unlock();

  private:
    int m_fd = -1;
};
