#include "components/inputs.h"

#include "components/messages.h"
#include "data/mylib.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

bool requireText(QWidget *control, const QString &text, const QString &message)
{
    if (!TrimControl(text).isEmpty())
        return true;
    Msg::Warning(message);
    control->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace

bool RequireEditText(QLineEdit *edit, const QString &message)
{
    return requireText(edit, edit->text(), message);
}

bool RequireComboText(QComboBox *combo, const QString &message)
{
    return requireText(combo, combo->currentText(), message);
}

void FillComboDistinct(Dataset &query, const QString &field, const QString &table, QComboBox *combo)
{
    combo->clear();
    combo->setEditText(QString());
    combo->addItems(DistinctValues(query, field, table));
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}
