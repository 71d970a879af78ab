#pragma once
// Shared routines every window uses: running statements on the data module's datasets,
// distinct column values, pinyin initials, and the number and date texts of the program.
// The checks of input fields built on them live in components/inputs.h.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Dataset;

// --- Required values -------------------------------------------------------------
// The trimming of required fields: every leading and trailing character <= U+0020.
QString TrimControl(const QString &text);

// --- Statements ------------------------------------------------------------------
// Closes the dataset, replaces its statement and opens it on its first row.
// Every user value goes in `params`, bound to the `?` placeholders in order.
void ReopenQuery(Dataset &query, const QString &sql, const QVariantList &params = {});
// Closes the dataset, replaces its statement and executes it; the dataset stays closed.
void ExecuteStatement(Dataset &query, const QString &sql, const QVariantList &params = {});
// Reopens the dataset on the distinct values of one column, ascending.
void OpenDistinctQuery(Dataset &query, const QString &field, const QString &table);
// The distinct values of one column as texts, ascending, read through `query` (left open
// on them). Null values are skipped.
QStringList DistinctValues(Dataset &query, const QString &field, const QString &table);

// --- Pinyin initials -------------------------------------------------------------
// One ASCII letter per character of a GBK text: the Latin initial of its reading.
QByteArray PinyinInitials(const QByteArray &gbk);
// The initial of a GB2312 level-1 character, or 0 outside B0A1..D7F9.
char Level1Initial(const QByteArray &twoBytes);
// GBK bytes of a text (what PinyinInitials and the receipt's byte widths work on).
QByteArray ToGbk(const QString &text);
QString FromGbk(const QByteArray &gbk);

// --- Number and date texts -------------------------------------------------------
// Shortest general text of a number with at most 15 significant digits (0.1*3 -> "0.3").
QString NumberText(double value);
// Money text "0.00": exactly two decimals, halves rounded away from zero.
QString MoneyText(double value);
// Reads a decimal number typed by a user (digits, at most one point, optional sign,
// blanks around it). Returns false for anything else, including an empty text.
bool ParseNumber(const QString &text, double *value);
// Date and date-time texts of the program: 2013-09-03, 2013-09-03 18:02:11.
QString DateText(const QDate &date);
QString DateTimeText(const QDateTime &dateTime);
