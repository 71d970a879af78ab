#include "components/keyfilter.h"

#include <QLineEdit>

KeyFilter::KeyFilter(const QString &allowed, QObject *parent)
    : QValidator(parent), m_allowed(allowed)
{
}

KeyFilter *KeyFilter::Install(QLineEdit *edit, const QString &allowed)
{
    auto *filter = new KeyFilter(allowed, edit);
    edit->setValidator(filter);
    return filter;
}

QString KeyFilter::Digits()
{
    return QStringLiteral("0123456789");
}

QString KeyFilter::Number()
{
    return Digits() + QLatin1Char('.');
}

QString KeyFilter::LettersDigits()
{
    return QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") + Digits();
}

QString KeyFilter::Filtered(const QString &text) const
{
    QString kept;
    for (const QChar c : text)
        if (m_allowed.contains(c))
            kept += c;
    return kept;
}

QValidator::State KeyFilter::validate(QString &input, int &pos) const
{
    // The box hands over its whole new text: removing the foreign characters from it
    // refuses them wherever they came from, and the cursor keeps its place among the
    // characters that stay.
    QString kept;
    int newPos = 0;
    for (int i = 0; i < input.size(); ++i) {
        if (!m_allowed.contains(input.at(i)))
            continue;
        kept += input.at(i);
        if (i < pos)
            ++newPos;
    }
    if (kept.size() != input.size()) {
        input = kept;
        pos = newPos;
    }
    return Acceptable;
}
