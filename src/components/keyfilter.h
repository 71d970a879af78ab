#pragma once
// A filter for a text box that refuses every character outside a given set, however it
// arrives: typed, pasted with the keyboard or the context menu, or from an input method.
// Keys are never refused, so cursor movement, selection, Delete, Home, End, Ctrl+A,
// copy and paste work as in any text box.

#include <QString>
#include <QValidator>

class QLineEdit;

class KeyFilter : public QValidator
{
    Q_OBJECT
public:
    KeyFilter(const QString &allowed, QObject *parent = nullptr);

    // Installs a filter allowing `allowed` on the box (owned by the box).
    static KeyFilter *Install(QLineEdit *edit, const QString &allowed);
    // The character sets of the program's boxes.
    static QString Digits();        // 0-9
    static QString Number();        // 0-9 and the decimal point
    static QString LettersDigits(); // A-Z, a-z, 0-9

    QString Allowed() const { return m_allowed; }
    // The text with every character outside the set removed; full-width forms of allowed
    // characters ("１", "Ａ", "．") count as those characters.
    QString Filtered(const QString &text) const;

    State validate(QString &input, int &pos) const override;

private:
    QString m_allowed;
};
