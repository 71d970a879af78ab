#pragma once
// The till: the checkout's rules over the cart table, without any window. It adds
// products by code, changes and deletes cart lines, sums the cart, checks and stores a
// settlement in one transaction, and keeps the sale number and its counter.
//
// Windows read their fields, call these operations and show what they return.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QTime>
#include <algorithm>
#include <optional>

struct ReceiptLine
{
    QString name;
    double quantity = 0;
    double amount = 0;
};

// Everything a receipt prints, read from the stored sale.
struct ReceiptData
{
    QString saleNumber; // with its trailing blank
    QString cashier;
    QString saleDate; // yyyy-mm-dd
    QTime printTime;
    QList<ReceiptLine> lines; // in entry order
    QString total;            // "0.00"
    QString received;
    double cash = 0;
    double change = 0;
    bool reprint = false; // printed again from the archive
    QString returnOf;     // a return: the number of the sale it gives back
};

struct CartTotals
{
    int lines = 0;
    double quantity = 0; // the engine's sums over the cart
    double amount = 0;
    double profit = 0;
    QString AmountText() const;   // "15.80"
    QString QuantityText() const; // "2.5"
};

class Till
{
public:
    // Bounds a shop never exceeds. A number outside them, negative, or not a decimal
    // number at all is refused.
    static constexpr double MaxQuantity = 99999;
    static constexpr double MaxMoney = 9999999.99;
    static std::optional<double> ReadQuantity(const QString &text);
    static std::optional<double> ReadPrice(const QString &text);
    static std::optional<double> ReadCash(const QString &text);
    // The value of a number's shortest text: what is stored is what is shown, so every
    // stored figure reads back from its text exactly.
    static double AsShown(double value);

    // --- The cart ---
    enum class AddResult {
        Added,
        Merged,
        NotFound,        // the code is not in the catalogue
        IncompletePrice, // a price of the product is empty or not a number
        OutOfBounds      // the quantity, or the merged line, is beyond the bounds
    };
    // Adds `quantity` of the product with this code (trimmed; case does not matter), or
    // grows the cart line that already holds it by quantity, amount and profit.
    AddResult AddByCode(const QString &code, double quantity);

    struct Line
    {
        qint64 id = 0;
        QString code;
        QString name;
        double purchasePrice = 0, salePrice = 0, memberPrice = 0;
        double quantity = 0, amount = 0, profit = 0;
    };
    std::optional<Line> CartLine(qint64 id) const;
    struct Prices
    {
        double purchase = 0, sale = 0, member = 0;
    };
    // The catalogue's prices of a code; nothing when the product is missing or one of
    // its prices is empty or unreadable.
    std::optional<Prices> CatalogPrices(const QString &code) const;
    // Sets a line's sale price and quantity and recomputes its amount and profit from
    // them and its purchase price. False when the line is gone.
    bool ModifyLine(qint64 id, double salePrice, double quantity);
    void DeleteLine(qint64 id);
    void ClearCart();
    CartTotals Totals() const;

    // --- Settlement ---
    enum class Refusal {
        None,
        EmptyCart, // 请先进行商品销售！
        ZeroTotal, // closes silently
        NoCash,    // 请输入现金金额！
        BadCash,   // 请输入正确的数字！
        ShortCash  // 现金金额不足！
    };
    // The checks, in order; the first that fails is returned.
    Refusal CheckSettlement(const QString &cashText) const;
    // The change shown for a cash text: cash - total with two decimals, or empty when
    // the text is not a number the till accepts.
    QString ChangeText(const QString &cashText) const;
    static QString ChangeText(const QString &cashText, double due);
    struct Settlement
    {
        Refusal refusal = Refusal::None;
        ReceiptData receipt; // the stored sale, when refusal is None
    };
    // Checks, then stores the archived lines, the summary row, the next sale number and
    // counter and the emptied cart in one transaction, and moves on to the next number.
    Settlement Settle(const QString &cashText, const QTime &printTime = QTime::currentTime());
    // The steps of Settle, run inside its transaction: the cart lines into the archive
    // under the sale's number, the summary row, and the next number and counter stored.
    void ArchiveSale(const QString &saleNumber, const QString &saleDate);
    void WriteSaleSummary(const QString &saleNumber, const ReceiptData &sale, double profit);
    QPair<QString, qint64> AdvanceSaleNumber(qint64 counter);
    // The receipt of the last settled sale, from the archive; nothing when none is stored.
    std::optional<ReceiptData> LastSaleReceipt(const QTime &printTime = QTime::currentTime()) const;

    // --- Held sales ---
    struct HeldSale
    {
        qint64 id = 0;
        int number = 0; // the short number the cashier calls it by
        QString operatorName;
        QString time; // yyyy-mm-dd hh:mm:ss
        int lines = 0;
        double quantity = 0;
        double amount = 0;
    };
    // Moves the cart's lines into a held sale under the smallest free short number and
    // empties the cart, in one transaction. Nothing when the cart is empty.
    std::optional<HeldSale> Hold(const QDateTime &now);
    QList<HeldSale> HeldSales() const; // by short number
    enum class RecallResult { Recalled, CartNotEmpty, NotFound };
    struct Recall
    {
        RecallResult result = RecallResult::NotFound;
        int repriced = 0; // lines whose prices changed to the catalogue's
        int unpriced = 0; // lines kept at the held prices: product gone or price unreadable
    };
    // Moves a held sale's lines back into the empty cart, as lines of the sale in
    // progress, and deletes the held sale, in one transaction. With `currentPrices` each
    // line takes the catalogue's current prices and its amount and profit follow.
    Recall RecallHeld(qint64 heldId, bool currentPrices);
    // False when no such held sale is stored.
    bool DeleteHeld(qint64 heldId);

    // --- Returns ---
    struct SoldLine
    {
        qint64 id = 0; // data1.ID
        QString code, name, unit;
        double price = 0, quantity = 0, amount = 0;
        double returned = 0; // already given back by earlier returns
        double Returnable() const;
    };
    struct SoldSale
    {
        QString number; // trimmed
        QString operatorName;
        QString date;
        QString returnOf; // set when this sale is itself a return
        QList<SoldLine> lines;
    };
    // The settled sale with this number (trimmed, Latin case ignored), with what each
    // line has had returned so far.
    std::optional<SoldSale> FindSale(const QString &number) const;
    enum class ReturnRefusal {
        None,
        NotFound,      // no such sale
        IsReturn,      // a return cannot be given back
        NothingChosen, // no line with a quantity above zero
        UnknownLine,   // a line that is not of this sale
        TooMany        // more than the line's returnable quantity
    };
    struct ReturnLine
    {
        qint64 lineId = 0;
        double quantity = 0;
    };
    struct Return
    {
        ReturnRefusal refusal = ReturnRefusal::None;
        qint64 lineId = 0;   // the refused line, for TooMany and UnknownLine
        ReceiptData receipt; // the stored return, when refusal is None
    };
    // Stores a return of the chosen quantities as a sale of its own under the next sale
    // number: negative quantities, amounts and profit, no cash, the refund as change,
    // the note naming the original, which is left untouched. One transaction; nothing
    // is written when any line is refused. The cart is not touched.
    Return SettleReturn(const QString &number, const QList<ReturnLine> &lines,
                        const QTime &printTime = QTime::currentTime());
    // The note of a return's summary: the prefix and the original sale's number.
    static QString ReturnNote(const QString &originalNumber);
    static QString ReturnOf(const QString &note); // empty when not a return's note

    // --- Sale number and counter ---
    // Operator initials (up to three, upper case), yy, month, day, six-digit counter, blank.
    static QString FormatSaleNumber(const QString &operatorName, const QDate &date, qint64 counter);
    static QString DefaultNumber();
    static qint64 DefaultCounter();
    // Starts from config.ini's texts. An unreadable counter, or one behind the one the
    // database keeps, gives way to the database's number and counter.
    void RestoreCounter(const QString &iniNumber, const QString &iniCounter);
    QString SaleNumber() const { return m_saleNumber; } // with its trailing blank
    qint64 Counter() const { return m_counter; }
    QString CounterText() const { return QString::number(m_counter); }

    // The session whose lines and sales are stored.
    void SetOperator(const QString &name) { m_operator = name; }
    // The login session (rz id) each stored sale belongs to; 0 for none.
    void SetSession(qint64 id) { m_session = id; }
    qint64 Session() const { return m_session; }
    QString Operator() const { return m_operator; }
    // The day the main window was last shown. A sale is stored and printed under it, or
    // under today once the calendar has passed it: a till left running past midnight
    // dates a sale by the day it is settled, its lines and its summary alike.
    void SetSaleDate(const QDate &date) { m_saleDate = date; }
    QDate SaleDate() const { return std::max(m_saleDate, today()); }
    // The clock's date used when a new sale number is made (tests set it).
    void SetToday(const QDate &date) { m_today = date; }

private:
    QDate today() const;
    bool numberStored(const QString &number) const;
    // The next number after `counter` that the archive does not hold yet.
    QPair<QString, qint64> nextFreeNumber(qint64 counter) const;
    // The number the sale being stored gets: the current one unless the archive holds it.
    QPair<QString, qint64> numberToStore() const;
    void moveToNumber(const QPair<QString, qint64> &next);
    // Inserts a summary row of a sale; numbers already as stored.
    void storeSummary(const QString &number, double due, double cash, double change, double profit,
                      const QString &note) const;

    QString m_saleNumber = DefaultNumber();
    qint64 m_counter = DefaultCounter();
    QString m_operator;
    qint64 m_session = 0;
    QDate m_saleDate = QDate::currentDate();
    QDate m_today;
};
