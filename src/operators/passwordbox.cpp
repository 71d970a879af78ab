#include "operators/passwordbox.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace {

constexpr int kMaxLength = 10;

class PasswordValidator : public QValidator
{
public:
    using QValidator::QValidator;

    // Drops every character that is not an ASCII letter or digit. A text past the
    // longest allowed loses the characters just before the cursor, the ones that came
    // in last: a key typed into a full box is refused, a paste is cut to the room left.
    State validate(QString &input, int &pos) const override
    {
        QString kept;
        int cursor = 0;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c.unicode() >= 0x80 || !c.isLetterOrNumber())
                continue;
            kept += c;
            if (i < pos)
                ++cursor;
        }
        const int excess = int(kept.size()) - kMaxLength;
        if (excess > 0) {
            const int before = std::min(excess, cursor);
            kept.remove(cursor - before, before);
            cursor -= before;
            kept.chop(excess - before);
        }
        input = kept;
        pos = cursor;
        return Acceptable;
    }
};

} // namespace

void SetUpPasswordBox(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setValidator(new PasswordValidator(box));
}
