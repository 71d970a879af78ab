#include "data/mylib.h"

#include "components/messages.h"
#include "data/dataset.h"
#include "data/db.h"

#include <QComboBox>
#include <QLineEdit>

QString TrimControl(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

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

void ReopenQuery(Dataset &query, const QString &sql, const QVariantList &params)
{
    query.Open(sql, params);
}

void ExecuteStatement(Dataset &query, const QString &sql, const QVariantList &params)
{
    query.Execute(sql, params);
}

void OpenDistinctQuery(Dataset &query, const QString &field, const QString &table)
{
    // Field and table names are the program's own identifiers, quoted all the same.
    ReopenQuery(query, QStringLiteral("select %1 from %2 group by %1 order by %1")
                           .arg(Db::Quote(field), Db::Quote(table)));
}

void FillComboDistinct(Dataset &query, const QString &field, const QString &table, QComboBox *combo)
{
    combo->clear();
    combo->setEditText(QString());
    OpenDistinctQuery(query, field, table);
    QStringList items;
    for (int row = 0; row < query.RecordCount(); ++row) {
        const QVariant value = query.Value(row, field);
        if (!value.isNull())
            items << value.toString();
    }
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}
