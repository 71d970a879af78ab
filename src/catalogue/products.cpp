#include "catalogue/products.h"

#include "data/db.h"
#include "data/mylib.h"
#include "data/textindex.h"

namespace Products {

namespace {

const QString kCodeExists = QStringLiteral("商品编码已经存在，请重新输入！");

struct Required
{
    Field field;
    QString Input::*text;
    const char16_t *message;
};

const Required kRequired[] = {
    {Field::Code, &Input::code, u"商品编码必须输入！"},
    {Field::Name, &Input::name, u"商品名称必须输入！"},
    {Field::PurchasePrice, &Input::purchasePrice, u"进货单价必须输入！"},
    {Field::SalePrice, &Input::salePrice, u"销售单价必须输入！"},
    {Field::MemberPrice, &Input::memberPrice, u"会员价/批发价必须输入！"},
};

Refusal refuse(Refusal::Kind kind, Field field, const QString &message)
{
    Refusal refusal;
    refusal.kind = kind;
    refusal.field = field;
    refusal.message = message;
    return refusal;
}

bool codeStored(const QString &code)
{
    return Db::Scalar(QStringLiteral("select 1 from sp where 商品编码=? limit 1"), {code})
        .isValid();
}

// The stored values, in the order the columns are written.
Db::Row rowOf(const Input &input)
{
    double purchase = 0, sale = 0, member = 0;
    ParseNumber(input.purchasePrice, &purchase);
    ParseNumber(input.salePrice, &sale);
    ParseNumber(input.memberPrice, &member);
    const QString category = input.category.trimmed();
    const QString name = input.name.trimmed();
    const QString supplier = input.supplier.trimmed();
    return {{QStringLiteral("商品编码"), input.code.trimmed()},
            {QStringLiteral("商品类别"), category},
            {QStringLiteral("商品名称"), name},
            {QStringLiteral("规格型号"), input.specification.trimmed()},
            {QStringLiteral("会员价"), member},
            {QStringLiteral("进货单价"), purchase},
            {QStringLiteral("销售单价"), sale},
            {QStringLiteral("单位"), input.unit.trimmed()},
            {QStringLiteral("供货商"), supplier},
            {QStringLiteral("ghspy"), Initials(supplier)},
            {QStringLiteral("sppy"), Initials(name)},
            {QStringLiteral("lbpy"), Initials(category)}};
}

void appendLike(QString *sql, QVariantList *params, const char16_t *column, const QString &text)
{
    if (text.isEmpty())
        return;
    *sql += QStringLiteral(" and %1 like ?").arg(Db::Quote(QString::fromUtf16(column)));
    *params << QStringLiteral("%") + text + QStringLiteral("%");
}

} // namespace

QString Initials(const QString &text)
{
    return QString::fromLatin1(PinyinInitials(ToGbk(text)));
}

Refusal Check(const Input &input, const QString &loadedCode)
{
    // Codes are stored trimmed, so the trimmed code is the one that could collide.
    const QString code = input.code.trimmed();
    if (!code.isEmpty() && codeStored(code) && (loadedCode.isNull() || code != loadedCode))
        return refuse(Refusal::Kind::DuplicateCode, Field::Code, kCodeExists);
    for (const Required &required : kRequired)
        if (TrimControl(input.*(required.text)).isEmpty())
            return refuse(Refusal::Kind::Required, required.field,
                          QString::fromUtf16(required.message));
    const QPair<Field, const QString *> prices[] = {{Field::PurchasePrice, &input.purchasePrice},
                                                    {Field::SalePrice, &input.salePrice},
                                                    {Field::MemberPrice, &input.memberPrice}};
    for (const auto &[field, text] : prices) {
        double value = 0;
        if (!ParseNumber(*text, &value))
            return refuse(Refusal::Kind::NotANumber, field, QStringLiteral("价格必须是数字！"));
    }
    return {};
}

Refusal Create(const Input &input)
{
    const Refusal refusal = Check(input);
    if (refusal.ok())
        Db::InsertRow(QStringLiteral("sp"), rowOf(input));
    return refusal;
}

Refusal Modify(qint64 rowId, const QString &loadedCode, const Input &input)
{
    const Refusal refusal = Check(input, loadedCode.isNull() ? QStringLiteral("") : loadedCode);
    if (!refusal.ok())
        return refusal;
    QStringList sets;
    QVariantList params;
    for (const auto &[field, value] : rowOf(input)) {
        sets << Db::Quote(field) + QStringLiteral("=?");
        params << value;
    }
    params << rowId;
    Db::Run(QStringLiteral("update sp set %1 where %2=?")
                .arg(sets.join(QLatin1Char(',')), Db::RowIdColumn()),
            params);
    return refusal;
}

void Delete(const QList<qint64> &rowIds)
{
    Db::Transaction transaction;
    for (qint64 id : rowIds)
        Db::Run(QStringLiteral("delete from sp where %1=?").arg(Db::RowIdColumn()), {id});
    transaction.Commit();
}

QString ListAllSql()
{
    return QStringLiteral("select %1, * from sp").arg(Db::RowIdColumn());
}

namespace {

// "select <columns> from sp where <condition>" and a LIKE for every filled condition text,
// the rows read through the substring index when a text lets it narrow them.
QString filteredSql(const QString &columns, const QString &condition,
                    const QList<QPair<const char16_t *, QString>> &contains, QVariantList *params)
{
    params->clear();
    QList<QPair<QString, QString>> filled;
    for (const auto &[column, text] : contains)
        if (!text.isEmpty())
            filled << qMakePair(QString::fromUtf16(column), text);
    QString sql =
        QStringLiteral("select %1 from %2 where %3")
            .arg(columns, TextIndex::From(QStringLiteral("sp"), filled, params), condition);
    for (const auto &[column, text] : contains)
        appendLike(&sql, params, column, text);
    return sql;
}

} // namespace

QString ConditionSql(const Conditions &conditions, QVariantList *params)
{
    return filteredSql(QStringLiteral("sp.%1, sp.*").arg(Db::RowIdColumn()),
                       QStringLiteral("销售单价<>0"),
                       {{u"商品编码", conditions.code},
                        {u"商品类别", conditions.category},
                        {u"商品名称", conditions.name},
                        {u"规格型号", conditions.specification},
                        {u"供货商", conditions.supplier}},
                       params);
}

QString LookupListSql()
{
    return QStringLiteral("select 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 from sp "
                          "group by 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 "
                          "order by 商品编码");
}

QString LookupConditionSql(const Conditions &conditions, QVariantList *params)
{
    return filteredSql(QStringLiteral("sp.*"), QStringLiteral("销售单价>0"),
                       {{u"商品名称", conditions.name},
                        {u"商品编码", conditions.code},
                        {u"规格型号", conditions.specification},
                        {u"商品类别", conditions.category}},
                       params);
}

} // namespace Products
