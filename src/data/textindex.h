#pragma once
// Substring indexes over the text columns that the catalogue and the sales records filter
// on every keystroke. A filter "contains X" would otherwise read every row of the table
// before a rare X fills the first screen; a trigram index hands over the rows that may
// contain X at once, and the statement's own LIKE keeps exactly those that do.

#include <QList>
#include <QPair>
#include <QString>
#include <QVariantList>

namespace TextIndex {

// Creates the indexes of the product, sale line and sale summary tables, the triggers that
// keep them up to date with every insert, update and delete, and fills them from the rows
// already there. Runs in the caller's transaction.
void Create();

// Whether the index can narrow a "contains `text`" filter: the text needs three characters
// and no LIKE wildcard or escape character. Shorter texts are left to the plain scan, which
// also finds them early because they match many rows.
bool Narrows(const QString &text);

// The from clause of a statement over `table` filtered by "contains" conditions, given as
// (column, typed text) pairs: the rows that may satisfy the condition the index narrows
// best (the longest text it can narrow, in an indexed column), in row order. Without such
// a condition it is the table itself. Either way the statement keeps its own LIKE for every
// condition, qualifies its select list with the table name ("sp.rowid, sp.*") and may use
// the table's columns unqualified elsewhere. The index's pattern is appended to `params`.
QString From(const QString &table, const QList<QPair<QString, QString>> &contains,
             QVariantList *params);

} // namespace TextIndex
