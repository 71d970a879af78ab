#include "catalogue/import.h"

#include "catalogue/workbook.h"
#include "data/mylib.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>

namespace ProductImport {

namespace {

const QString kConnection = QStringLiteral("zentrik_import");

bool isPrice(const QString &column)
{
    return column == u"进货单价" || column == u"销售单价" || column == u"会员价";
}

// A cell as the text a user sees: whole numbers as their digits (a bar code held as a
// number is 6920000000017, never 6.92e+12).
QString cellText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        if (std::floor(number) == number && std::fabs(number) < 1e15)
            return QString::number(static_cast<qint64>(number));
        return NumberText(number);
    }
    return value.toString();
}

// Removes the connection when the import ends, whichever way.
class Connection
{
public:
    Connection() : m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection)) {}
    ~Connection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnection);
    }
    QSqlDatabase &db() { return m_db; }

private:
    QSqlDatabase m_db;
};

Outcome fail(Result result, const QString &detail)
{
    Outcome outcome;
    outcome.result = result;
    outcome.detail = detail;
    return outcome;
}

} // namespace

QString SheetName()
{
    return QStringLiteral("kelvra");
}

QStringList ColumnNames()
{
    return {QStringLiteral("商品名称"), QStringLiteral("规格型号"), QStringLiteral("商品类别"),
            QStringLiteral("商品编码"), QStringLiteral("单位"),     QStringLiteral("供货商"),
            QStringLiteral("进货单价"), QStringLiteral("销售单价"), QStringLiteral("会员价")};
}

Outcome Import(const QString &workbookPath, const QString &databasePath,
               const std::function<void(int done, int total)> &progress)
{
    // SQLite would create a missing file: only an existing database of this program is
    // opened.
    if (!QFileInfo(databasePath).isFile())
        return fail(Result::CannotConnect, QStringLiteral("no such file"));
    Connection connection;
    QSqlDatabase &db = connection.db();
    db.setDatabaseName(databasePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return fail(Result::CannotConnect, db.lastError().text());
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select * from sp where 0")))
            return fail(Result::CannotConnect, probe.lastError().text());
    }

    Workbook::Sheet sheet;
    switch (Workbook::ReadSheet(workbookPath, SheetName(), &sheet)) {
    case Workbook::ReadError::None:
        break;
    case Workbook::ReadError::CannotOpen:
        return fail(Result::Failed, QStringLiteral("cannot read the workbook"));
    case Workbook::ReadError::NoSheet:
        return fail(Result::Failed, QStringLiteral("no sheet %1").arg(SheetName()));
    }
    if (sheet.isEmpty())
        return fail(Result::Failed, QStringLiteral("no column names"));

    const QStringList columns = ColumnNames();
    QHash<QString, int> positions;
    for (qsizetype c = 0; c < sheet[0].size(); ++c) {
        const QString name = cellText(sheet[0][c]).trimmed();
        if (columns.contains(name) && !positions.contains(name))
            positions.insert(name, static_cast<int>(c));
    }
    for (const QString &name : columns)
        if (!positions.contains(name))
            return fail(Result::Failed, QStringLiteral("no column %1").arg(name));

    QStringList quoted;
    for (const QString &name : columns)
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    QSqlQuery insert(db);
    if (!insert.prepare(
            QStringLiteral("insert into sp (%1) values (%2)")
                .arg(quoted.join(QLatin1Char(',')),
                     QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')))))
        return fail(Result::Failed, insert.lastError().text());

    const int total = static_cast<int>(sheet.size()) - 1;
    if (!db.transaction())
        return fail(Result::Failed, db.lastError().text());
    Outcome outcome;
    for (qsizetype r = 1; r < sheet.size(); ++r) {
        const QVariantList &cells = sheet[r];
        const bool empty = std::all_of(cells.begin(), cells.end(), [](const QVariant &value) {
            return cellText(value).trimmed().isEmpty();
        });
        if (empty)
            continue; // rows left blank below or between the products
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString &name = columns[c];
            const QVariant cell = cells.value(positions.value(name));
            QVariant value;
            if (isPrice(name)) {
                double number = 0;
                if (cell.typeId() == QMetaType::Double) {
                    value = cell.toDouble();
                } else if (!cellText(cell).trimmed().isEmpty()) {
                    if (!ParseNumber(cellText(cell), &number)) {
                        db.rollback();
                        return fail(
                            Result::Failed,
                            QStringLiteral("row %1: %2 is not a number").arg(r + 1).arg(name));
                    }
                    value = number;
                }
            } else {
                const QString text = cellText(cell);
                if (name == u"商品编码" && text.trimmed().isEmpty()) {
                    db.rollback();
                    return fail(Result::Failed, QStringLiteral("row %1: no code").arg(r + 1));
                }
                value = text.isEmpty() ? QVariant() : QVariant(text);
            }
            insert.bindValue(static_cast<int>(c), value);
        }
        if (!insert.exec()) {
            const QString error = insert.lastError().text();
            db.rollback();
            return fail(Result::Failed, error);
        }
        ++outcome.rows;
        if (progress && (outcome.rows % 500 == 0))
            progress(outcome.rows, total);
    }
    insert.finish();
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return fail(Result::Failed, error);
    }
    if (progress)
        progress(outcome.rows, total);
    outcome.result = Result::Imported;
    return outcome;
}

} // namespace ProductImport
