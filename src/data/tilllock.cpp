#include "data/tilllock.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QLockFile>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

TillLock::TillLock(const QString &databasePath) : m_path(LockPath(databasePath)) {}

QString TillLock::LockPath(const QString &databasePath)
{
    return databasePath + QStringLiteral(".lock");
}

#ifdef Q_OS_WIN

TillLock::~TillLock() = default;

TillLock::Result TillLock::Acquire()
{
    if (Held())
        return Result::Acquired;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Age alone never makes a lock stale: a till runs all day. A lock whose process is
    // gone is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Result::Acquired;
    const bool held = m_lock->error() == QLockFile::LockFailedError;
    m_lock.reset();
    return held ? Result::HeldByAnother : Result::Unavailable;
}

bool TillLock::Held() const
{
    return m_lock && m_lock->isLocked();
}

#else

TillLock::~TillLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

TillLock::Result TillLock::Acquire()
{
    if (Held())
        return Result::Acquired;
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return Result::Unavailable;
    // flock belongs to the open file, not to the process: the kernel drops it when the
    // last descriptor closes, which a killed process's exit does.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldByAnother : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

bool TillLock::Held() const
{
    return m_fd >= 0;
}

#endif
