#pragma once
// Backup and restore of the database file. Copies go through SQLite itself, so a copy
// is a consistent snapshot that includes what the write-ahead log still holds, and a
// file is only ever replaced by a finished copy in one rename.

#include <QString>

namespace Backup {

// Where a backup goes when the user has chosen nothing: ~/beifen.db (D:\beifen.db on
// Windows).
QString DefaultBackupPath();
// The restore box's first text: beifen.db in the working directory.
QString DefaultRestoreSource();

// The file a backup to `path` writes: `path` itself, or a file named like the database
// inside it when `path` names an existing folder.
QString BackupTarget(const QString &path, const QString &database);
// Where a restore keeps the database it replaces: data.db -> data.db.bak.
QString KeptCopyPath(const QString &database);

struct Result
{
    bool ok = false;
    QString error; // why it failed, for the user; empty on success
};

// Writes a consistent copy of the database file `database` to `target`, replacing an
// existing file only once the copy is complete. The database must exist; it is never
// created.
Result WriteBackup(const QString &database, const QString &target);

// True when `path` opens as an SQLite database of this program: it passes SQLite's
// quick check, holds the six tables and is not of a newer schema than this program.
bool IsValidBackup(const QString &path);

// Replaces the database file with a copy of `source`. The caller has closed its
// connection and checked IsValidBackup. The current file is first kept as
// KeptCopyPath(database); its journal files are removed so they can never be replayed
// onto the restored file. On failure the current file is left in place.
Result Restore(const QString &source, const QString &database);

} // namespace Backup
