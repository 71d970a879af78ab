#include "components/keyfilter.h"

#include <QLineEdit>

namespace {

// A full-width form (an input method in full-width mode types "１２．５") as the ASCII
// character it stands for; any other character as it is.
QChar halfWidth(QChar c)
{
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
        return QChar(char16_t(c.unicode() - 0xFEE0));
    return c;
}

} // namespace

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
        if (m_allowed.contains(halfWidth(c)))
            kept += halfWidth(c);
    return kept;
}

QValidator::State KeyFilter::validate(QString &input, int &pos) const
{
    // The box hands over its whole new text: removing the foreign characters from it
    // refuses them wherever they came from, and the cursor keeps its place among the
    // characters that stay. Full-width digits and letters are read as their ASCII forms.
    QString kept;
    int newPos = 0;
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = halfWidth(input.at(i));
        if (!m_allowed.contains(c))
            continue;
        kept += c;
        if (i < pos)
            ++newPos;
    }
    if (kept != input) {
        input = kept;
        pos = newPos;
    }
    return Acceptable;
}
