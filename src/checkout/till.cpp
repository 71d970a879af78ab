#include "checkout/till.h"

#include "data/appstate.h"
#include "data/db.h"
#include "data/mylib.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kNumberKey = QStringLiteral("sale_number");
const QString kCounterKey = QStringLiteral("sale_counter");

// A bounded, non-negative decimal number; anything else is refused.
std::optional<double> readBounded(const QString &text, double max)
{
    double value = 0;
    if (!ParseNumber(text, &value) || !(value >= 0) || value > max)
        return std::nullopt;
    // "-0" is a minus sign all the same.
    if (TrimControl(text).startsWith(QLatin1Char('-')))
        return std::nullopt;
    return Till::AsShown(value);
}

// A counter text: a whole non-negative decimal number, or nothing.
std::optional<qint64> counterOf(const QString &text)
{
    const QString t = TrimControl(text);
    if (t.isEmpty())
        return std::nullopt;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// A catalogue price: present, a number, and within the till's bounds.
std::optional<double> priceOf(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    const int type = value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong) {
        const double number = value.toDouble();
        if (!(number >= 0) || number > Till::MaxMoney)
            return std::nullopt;
        return Till::AsShown(number);
    }
    return Till::ReadPrice(value.toString());
}

// Name, quantity and amount of each line a query returns, in its order.
QList<ReceiptLine> receiptLines(QSqlQuery query)
{
    QList<ReceiptLine> lines;
    while (query.next())
        lines << ReceiptLine{query.value(0).toString(), query.value(1).toDouble(),
                             query.value(2).toDouble()};
    return lines;
}

std::optional<Till::Prices> pricesOf(const QSqlQuery &product)
{
    const std::optional<double> sale = priceOf(product.value(QStringLiteral("销售单价")));
    const std::optional<double> member = priceOf(product.value(QStringLiteral("会员价")));
    const std::optional<double> purchase = priceOf(product.value(QStringLiteral("进货单价")));
    if (!sale || !member || !purchase)
        return std::nullopt;
    return Till::Prices{*purchase, *sale, *member};
}

QSqlQuery findProduct(const QString &code)
{
    return Db::Run(
        QStringLiteral("select * from sp where %1=?").arg(Db::Quote(QStringLiteral("商品编码"))),
        {TrimControl(code)});
}

QString field(const QSqlQuery &query, const char *name)
{
    return TrimControl(query.value(QString::fromUtf8(name)).toString());
}

} // namespace

QString CartTotals::AmountText() const
{
    return MoneyText(amount);
}

QString CartTotals::QuantityText() const
{
    return NumberText(quantity);
}

std::optional<double> Till::ReadQuantity(const QString &text)
{
    return readBounded(text, MaxQuantity);
}

std::optional<double> Till::ReadPrice(const QString &text)
{
    return readBounded(text, MaxMoney);
}

std::optional<double> Till::ReadCash(const QString &text)
{
    return readBounded(text, MaxMoney);
}

double Till::AsShown(double value)
{
    double shown = 0;
    return ParseNumber(NumberText(value), &shown) ? shown : value;
}

Till::AddResult Till::AddByCode(const QString &code, double quantity)
{
    QSqlQuery product = findProduct(code);
    if (!product.next())
        return AddResult::NotFound;
    const std::optional<Prices> prices = pricesOf(product);
    if (!prices)
        return AddResult::IncompletePrice;
    const auto [purchase, sale, member] = *prices;
    if (!(quantity >= 0) || quantity > MaxQuantity)
        return AddResult::OutOfBounds;

    const double amount = AsShown(sale * quantity);
    const double profit = AsShown((sale - purchase) * quantity);
    // The line is found by the catalogue's code, so a code typed in another case or with
    // blanks around it merges into the same line.
    const QString cartCode = field(product, "商品编码");
    QSqlQuery line =
        Db::Run(QStringLiteral("select id, \"2\", \"6\", \"7\" from data where c=? order by id"),
                {cartCode});
    if (line.next()) {
        const double newQuantity = AsShown(line.value(1).toDouble() + quantity);
        if (newQuantity > MaxQuantity)
            return AddResult::OutOfBounds;
        Db::Run(QStringLiteral("update data set \"2\"=?, \"6\"=?, \"7\"=? where id=?"),
                {newQuantity, AsShown(line.value(2).toDouble() + amount),
                 AsShown(line.value(3).toDouble() + profit), line.value(0)});
        return AddResult::Merged;
    }
    Db::InsertRow(QStringLiteral("data"), {{QStringLiteral("a"), field(product, "商品名称")},
                                           {QStringLiteral("b"), field(product, "规格型号")},
                                           {QStringLiteral("c"), cartCode},
                                           {QStringLiteral("d"), field(product, "商品类别")},
                                           {QStringLiteral("g"), field(product, "供货商")},
                                           {QStringLiteral("h"), TrimControl(m_saleNumber)},
                                           {QStringLiteral("i"), TrimControl(m_operator)},
                                           {QStringLiteral("z"), field(product, "单位")},
                                           {QStringLiteral("1"), purchase},
                                           {QStringLiteral("2"), AsShown(quantity)},
                                           {QStringLiteral("3"), member},
                                           {QStringLiteral("4"), sale},
                                           {QStringLiteral("5"), 0.0},
                                           {QStringLiteral("6"), amount},
                                           {QStringLiteral("7"), profit},
                                           {QStringLiteral("day1"), DateText(SaleDate())}});
    return AddResult::Added;
}

std::optional<Till::Prices> Till::CatalogPrices(const QString &code) const
{
    QSqlQuery product = findProduct(code);
    return product.next() ? pricesOf(product) : std::nullopt;
}

std::optional<Till::Line> Till::CartLine(qint64 id) const
{
    QSqlQuery query = Db::Run(
        QStringLiteral("select id, c, a, \"1\", \"4\", \"3\", \"2\", \"6\", \"7\" from data "
                       "where id=?"),
        {id});
    if (!query.next())
        return std::nullopt;
    Line line;
    line.id = query.value(0).toLongLong();
    line.code = query.value(1).toString();
    line.name = query.value(2).toString();
    line.purchasePrice = query.value(3).toDouble();
    line.salePrice = query.value(4).toDouble();
    line.memberPrice = query.value(5).toDouble();
    line.quantity = query.value(6).toDouble();
    line.amount = query.value(7).toDouble();
    line.profit = query.value(8).toDouble();
    return line;
}

bool Till::ModifyLine(qint64 id, double salePrice, double quantity)
{
    const std::optional<Line> line = CartLine(id);
    if (!line)
        return false;
    Db::Run(QStringLiteral("update data set \"4\"=?, \"2\"=?, \"6\"=?, \"7\"=? where id=?"),
            {AsShown(salePrice), AsShown(quantity), AsShown(salePrice * quantity),
             AsShown((salePrice - line->purchasePrice) * quantity), id});
    return true;
}

void Till::DeleteLine(qint64 id)
{
    Db::Run(QStringLiteral("delete from data where id=?"), {id});
}

void Till::ClearCart()
{
    Db::Run(QStringLiteral("delete from data"));
}

CartTotals Till::Totals() const
{
    QSqlQuery query =
        Db::Run(QStringLiteral("select count(*), coalesce(sum(\"2\"), 0), coalesce(sum(\"6\"), 0), "
                               "coalesce(sum(\"7\"), 0) from data"));
    CartTotals totals;
    if (query.next()) {
        totals.lines = query.value(0).toInt();
        totals.quantity = query.value(1).toDouble();
        totals.amount = query.value(2).toDouble();
        totals.profit = query.value(3).toDouble();
    }
    return totals;
}

namespace {

// The amount due: the total as its two-decimal text shows it.
double dueOf(const CartTotals &totals)
{
    double due = 0;
    ParseNumber(totals.AmountText(), &due);
    return due;
}

double changeOf(double cash, double due)
{
    double change = 0;
    ParseNumber(MoneyText(cash - due), &change);
    return change;
}

} // namespace

Till::Refusal Till::CheckSettlement(const QString &cashText) const
{
    const CartTotals totals = Totals();
    if (totals.lines == 0)
        return Refusal::EmptyCart;
    if (totals.AmountText() == QStringLiteral("0.00"))
        return Refusal::ZeroTotal;
    if (TrimControl(cashText).isEmpty())
        return Refusal::NoCash;
    const std::optional<double> cash = ReadCash(cashText);
    if (!cash)
        return Refusal::BadCash;
    // The displayed two-decimal change decides: a shortfall under half a fen passes.
    if (changeOf(*cash, dueOf(totals)) < 0)
        return Refusal::ShortCash;
    return Refusal::None;
}

QString Till::ChangeText(const QString &cashText) const
{
    return ChangeText(cashText, dueOf(Totals()));
}

QString Till::ChangeText(const QString &cashText, double due)
{
    const std::optional<double> cash = ReadCash(cashText);
    return cash ? MoneyText(*cash - due) : QString();
}

Till::Settlement Till::Settle(const QString &cashText, const QTime &printTime)
{
    Settlement result;
    result.refusal = CheckSettlement(cashText);
    if (result.refusal != Refusal::None)
        return result;

    const CartTotals totals = Totals();
    const double due = dueOf(totals);
    const double cash = *ReadCash(cashText);
    const double change = changeOf(cash, due);

    const auto [number, counter] = numberToStore();

    ReceiptData &receipt = result.receipt;
    receipt.saleNumber = number;
    receipt.cashier = m_operator;
    receipt.saleDate = DateText(SaleDate());
    receipt.printTime = printTime;
    receipt.total = MoneyText(due);
    receipt.received = receipt.total;
    receipt.cash = cash;
    receipt.change = change;

    QPair<QString, qint64> next;
    {
        // The archive rows, the summary, the next number and the emptied cart are stored
        // together or not at all.
        Db::Transaction transaction;
        receipt.lines =
            receiptLines(Db::Run(QStringLiteral("select a, \"2\", \"6\" from data order by id")));
        ArchiveSale(number, receipt.saleDate);
        WriteSaleSummary(number, receipt, AsShown(totals.profit));
        next = AdvanceSaleNumber(counter);
        ClearCart();
        transaction.Commit();
    }
    moveToNumber(next);
    return result;
}

void Till::ArchiveSale(const QString &saleNumber, const QString &saleDate)
{
    // Every line is archived under the number and the date its summary row gets, also when
    // the sale was rung up before midnight and settled after.
    Db::Run(QStringLiteral("insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\","
                           "\"6\",\"7\",\"8\",day1) select a,b,c,d,?,i,z,\"1\",\"2\","
                           "\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",? from data order by id"),
            {TrimControl(saleNumber), saleDate});
}

void Till::WriteSaleSummary(const QString &saleNumber, const ReceiptData &sale, double profit)
{
    double due = 0;
    ParseNumber(sale.total, &due);
    Db::InsertRow(QStringLiteral("data3"),
                  {{QStringLiteral("1"), due},
                   {QStringLiteral("2"), due},
                   {QStringLiteral("3"), sale.cash},
                   {QStringLiteral("4"), sale.change},
                   {QStringLiteral("5"), profit},
                   {QStringLiteral("6"), 0.0},
                   {QStringLiteral("7"), 0.0},
                   {QStringLiteral("day1"), sale.saleDate},
                   {QStringLiteral("a"), TrimControl(saleNumber)},
                   {QStringLiteral("b"), TrimControl(m_operator)},
                   {QStringLiteral("z"),
                    sale.returnOf.isEmpty() ? QVariant() : QVariant(ReturnNote(sale.returnOf))},
                   {QStringLiteral("rz_id"), m_session ? QVariant(m_session) : QVariant()}});
}

QPair<QString, qint64> Till::numberToStore() const
{
    // A sale number the archive already holds is never used again.
    if (numberStored(TrimControl(m_saleNumber)))
        return nextFreeNumber(m_counter);
    return {m_saleNumber, m_counter};
}

void Till::moveToNumber(const QPair<QString, qint64> &next)
{
    m_saleNumber = next.first;
    m_counter = next.second;
}

QPair<QString, qint64> Till::AdvanceSaleNumber(qint64 counter)
{
    const QPair<QString, qint64> next = nextFreeNumber(counter);
    AppState::SetValue(kCounterKey, QString::number(next.second));
    AppState::SetValue(kNumberKey, next.first);
    return next;
}

std::optional<ReceiptData> Till::LastSaleReceipt(const QTime &printTime) const
{
    QSqlQuery sale = Db::Run(QStringLiteral("select a, b, \"1\", \"2\", \"3\", \"4\", day1, z "
                                            "from data3 order by ID desc limit 1"));
    if (!sale.next())
        return std::nullopt;
    ReceiptData receipt;
    const QString number = sale.value(0).toString();
    receipt.saleNumber = number + QLatin1Char(' ');
    receipt.cashier = sale.value(1).toString();
    receipt.total = MoneyText(sale.value(2).toDouble());
    receipt.received = MoneyText(sale.value(3).toDouble());
    receipt.cash = sale.value(4).toDouble();
    receipt.change = sale.value(5).toDouble();
    receipt.saleDate = sale.value(6).toString();
    receipt.printTime = printTime;
    receipt.reprint = true;
    receipt.returnOf = ReturnOf(sale.value(7).toString());
    receipt.lines = receiptLines(Db::Run(
        QStringLiteral("select a, \"2\", \"6\" from data1 where h=? order by ID"), {number}));
    return receipt;
}

QString Till::FormatSaleNumber(const QString &operatorName, const QDate &date, qint64 counter)
{
    QByteArray prefix = PinyinInitials(ToGbk(TrimControl(operatorName))).left(3);
    for (char &c : prefix)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return QString::fromLatin1(prefix) +
           QString::number(date.year() % 100).rightJustified(2, QLatin1Char('0')) +
           QString::number(date.month()) + QString::number(date.day()) +
           QString::number(counter).rightJustified(6, QLatin1Char('0')) + QLatin1Char(' ');
}

QString Till::DefaultNumber()
{
    return QStringLiteral("CJG121122000002");
}

qint64 Till::DefaultCounter()
{
    return 1;
}

void Till::RestoreCounter(const QString &iniNumber, const QString &iniCounter)
{
    const std::optional<qint64> fromIni = counterOf(iniCounter);
    m_counter = fromIni.value_or(DefaultCounter());
    m_saleNumber = TrimControl(iniNumber).isEmpty() || !fromIni ? DefaultNumber() : iniNumber;
    // config.ini is written after every sale, but a crash can come between the stored
    // sale and the file, and the file can be damaged: the database's counter, stored with
    // each sale, wins unless the file is further ahead.
    const std::optional<QString> number = AppState::Value(kNumberKey);
    const std::optional<qint64> counter =
        counterOf(AppState::Value(kCounterKey).value_or(QString()));
    if (number && counter && (!fromIni || *counter > *fromIni)) {
        m_saleNumber = *number;
        m_counter = *counter;
    }
}

QDate Till::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

bool Till::numberStored(const QString &number) const
{
    return Db::Scalar(QStringLiteral("select count(*) from data3 where a=?"), {number}).toInt() > 0;
}

QPair<QString, qint64> Till::nextFreeNumber(qint64 counter) const
{
    for (qint64 next = counter + 1;; ++next) {
        const QString number = FormatSaleNumber(m_operator, today(), next);
        if (!numberStored(TrimControl(number)))
            return {number, next};
    }
}
