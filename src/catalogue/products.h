#pragma once
// The catalogue's rules, without widgets: creating, modifying and deleting products with
// their checks, and the statements that list and filter them.

#include <QList>
#include <QString>
#include <QVariantList>

namespace Products {

// The nine fields of the edit panel as typed.
struct Input
{
    QString code, category, name, specification, supplier;
    QString purchasePrice, salePrice, memberPrice;
    QString unit;
};

enum class Field {
    Code,
    Category,
    Name,
    Specification,
    Supplier,
    PurchasePrice,
    SalePrice,
    MemberPrice,
    Unit
};

// Why a save was refused: the message to show and the field to focus. `ok` when saved.
struct Refusal
{
    enum class Kind { None, DuplicateCode, Required, NotANumber } kind = Kind::None;
    Field field = Field::Code;
    QString message;
    bool ok() const { return kind == Kind::None; }
};

// Refuses a code that another product already has ("商品编码已经存在，请重新输入！"),
// then an empty required field, then a price that is not a number. A new product
// (`loadedCode` null) may have no stored code; a modified one may keep its own code,
// compared exactly with the code it was loaded with.
Refusal Check(const Input &input, const QString &loadedCode = QString());

// Checks and appends a product; the texts are stored trimmed, the prices as numbers and
// the pinyin initials of supplier, name and category beside them.
Refusal Create(const Input &input);
// Checks and writes the product with row identity `rowId` that was loaded with the code
// `loadedCode`.
Refusal Modify(qint64 rowId, const QString &loadedCode, const Input &input);
// Deletes products by row identity, all of them or none.
void Delete(const QList<qint64> &rowIds);

// Pinyin initials of a text, as stored in ghspy, sppy and lbpy.
QString Initials(const QString &text);

// Statements for the product window's list; every condition text is bound in `params`.
QString ListAllSql();
struct Conditions
{
    QString code, category, name, specification, supplier;
};
QString ConditionSql(const Conditions &conditions, QVariantList *params);

// Statements for the lookup dialog.
QString LookupListSql();
QString LookupConditionSql(const Conditions &conditions, QVariantList *params);

} // namespace Products
