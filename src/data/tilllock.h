#pragma once
// One till per database. The cart is a table of the database file, so two copies of the
// program on one file would mix their carts: the first copy holds a lock on a file beside
// the database while it runs, and a second copy finds it held. The operating system drops
// the lock when the process ends in any way, a kill included, so a lock is never left
// behind to refuse the next start; the lock file itself stays and means nothing alone.

#include <QString>
#include <memory>

class QLockFile;

class TillLock
{
public:
    enum class Result {
        Acquired,      // this process holds the lock now
        HeldByAnother, // another copy of the program runs on this database
        Unavailable    // the lock file cannot be made (a read-only folder): not held
    };

    explicit TillLock(const QString &databasePath);
    ~TillLock();
    TillLock(const TillLock &) = delete;
    TillLock &operator=(const TillLock &) = delete;

    // Takes the lock without waiting.
    Result Acquire();
    bool Held() const;

    // The lock file of a database file: beside it, its name with ".lock" added.
    static QString LockPath(const QString &databasePath);

private:
    QString m_path;
#ifdef Q_OS_WIN
    std::unique_ptr<QLockFile> m_lock;
#else
    int m_fd = -1;
#endif
};
