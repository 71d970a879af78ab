#pragma once
// What went wrong with the database file, in the user's words: an engine error is sorted
// by its result code into the few cases a cashier can act on, and each case gets a message
// naming the file and what to do, with the engine's own text as the detail.

#include "data/db.h"

#include <QString>

namespace DbProblem {

enum class Kind {
    Other,         // any other engine error: its own text is shown
    NotADatabase,  // the file is no database of this program
    Damaged,       // the file is a database, but damaged or incomplete
    NewerVersion,  // written by a newer version of the program
    ReadOnly,      // the file or its folder cannot be written
    Busy,          // another program holds the file locked
    DiskFull,      // the disk (or the database's size limit) is full
    CannotOpen,    // the file cannot be opened at all
    AlreadyRunning // another copy of the program works on the file
};

// The case of an engine error, by its result code.
Kind Classify(const DbError &error);

// The message for a file that cannot be used at start: what is wrong with `file` and what
// to do, then `detail` (the engine's text) when there is one.
QString OpenMessage(Kind kind, const QString &file, const QString &detail);

// The message for an engine error raised by a user action while the program runs: the
// action's changes were not stored. Other errors keep the engine's text as it is.
QString ActionMessage(const DbError &error, const QString &file);

} // namespace DbProblem

// The database file cannot be used at start; Message() is the whole user text.
class DbOpenError : public DbError
{
public:
    DbOpenError(DbProblem::Kind kind, const QString &file, const QString &detail, int code = -1)
        : DbError(DbProblem::OpenMessage(kind, file, detail), code), m_kind(kind)
    {
    }
    DbProblem::Kind Kind() const { return m_kind; }

private:
    DbProblem::Kind m_kind;
};
