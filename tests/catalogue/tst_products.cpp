#include "catalogue/products.h"
#include "data/db.h"
#include "data/mylib.h"
#include "fixture.h"

#include <QtTest>

namespace {

Products::Input water(const QString &code = QStringLiteral("6920000000017"))
{
    Products::Input input;
    input.code = code;
    input.category = QStringLiteral(" 饮料 ");
    input.name = QStringLiteral("矿泉水");
    input.specification = QStringLiteral("500ml");
    input.supplier = QStringLiteral("农夫山泉");
    input.purchasePrice = QStringLiteral("1.2");
    input.salePrice = QStringLiteral("2");
    input.memberPrice = QStringLiteral("1.8");
    input.unit = QStringLiteral("瓶");
    return input;
}

qint64 rowIdOf(const QString &code)
{
    return Db::Scalar(QStringLiteral("select rowid from sp where 商品编码=?"), {code}).toLongLong();
}

int productCount()
{
    return Db::Scalar(QStringLiteral("select count(*) from sp")).toInt();
}

} // namespace

class TestProducts : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.Start(); }
    void cleanup() { m_fixture.Stop(); }

    void createStoresTrimmedTextsNumbersAndInitials();
    void refusals_data();
    void refusals();
    void modifyChecksTheCodeAgainstOtherProducts_data();
    void modifyChecksTheCodeAgainstOtherProducts();
    void conditionsAreBoundAndExcludeFreeProducts();
    void deleteRemovesOnlyTheGivenRows();

private:
    Fixture m_fixture;
};

void TestProducts::createStoresTrimmedTextsNumbersAndInitials()
{
    Products::Input input = water(QStringLiteral(" 5'寸 "));
    input.name = QStringLiteral("5'寸 相框");
    QVERIFY(Products::Create(input).ok());
    QSqlQuery row =
        Db::Run(QStringLiteral("select 商品编码, 商品类别, 进货单价, 会员价, ghspy, sppy, lbpy, "
                               "typeof(销售单价) from sp"));
    QVERIFY(row.next());
    QCOMPARE(row.value(0).toString(), QStringLiteral("5'寸"));
    QCOMPARE(row.value(1).toString(), QStringLiteral("饮料"));
    QCOMPARE(row.value(2).toDouble(), 1.2);
    QCOMPARE(row.value(3).toDouble(), 1.8);
    QCOMPARE(row.value(4).toString(), QStringLiteral("nfsq"));
    QCOMPARE(row.value(5).toString(), QString::fromLatin1(PinyinInitials(ToGbk(input.name))));
    QCOMPARE(row.value(6).toString(), QStringLiteral("yl"));
    QCOMPARE(row.value(7).toString(), QStringLiteral("real"));
}

void TestProducts::refusals_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("focus");
    QTest::addColumn<QString>("message");
    using K = Products::Refusal::Kind;
    using F = Products::Field;
    QTest::newRow("stored code") << "code"
                                 << "A1" << int(K::DuplicateCode) << int(F::Code)
                                 << "商品编码已经存在，请重新输入！";
    QTest::newRow("stored code, other case and blanks")
        << "code"
        << " a1 " << int(K::DuplicateCode) << int(F::Code) << "商品编码已经存在，请重新输入！";
    QTest::newRow("empty code") << "code"
                                << "  " << int(K::Required) << int(F::Code) << "商品编码必须输入！";
    QTest::newRow("name") << "name"
                          << "" << int(K::Required) << int(F::Name) << "商品名称必须输入！";
    QTest::newRow("purchase") << "purchase"
                              << "" << int(K::Required) << int(F::PurchasePrice)
                              << "进货单价必须输入！";
    QTest::newRow("sale") << "sale"
                          << " " << int(K::Required) << int(F::SalePrice) << "销售单价必须输入！";
    QTest::newRow("member") << "member"
                            << "" << int(K::Required) << int(F::MemberPrice)
                            << "会员价/批发价必须输入！";
    QTest::newRow("two points") << "sale"
                                << "1.2.3" << int(K::NotANumber) << int(F::SalePrice)
                                << "价格必须是数字！";
    QTest::newRow("letters") << "member"
                             << "1a" << int(K::NotANumber) << int(F::MemberPrice)
                             << "价格必须是数字！";
}

void TestProducts::refusals()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(int, focus);
    QFETCH(QString, message);
    QVERIFY(Products::Create(water(QStringLiteral("A1"))).ok());
    Products::Input input = water(QStringLiteral("B2"));
    QString Products::Input::*member = field == u"code"       ? &Products::Input::code
                                       : field == u"name"     ? &Products::Input::name
                                       : field == u"purchase" ? &Products::Input::purchasePrice
                                       : field == u"sale"     ? &Products::Input::salePrice
                                                              : &Products::Input::memberPrice;
    input.*member = text;
    const Products::Refusal refusal = Products::Create(input);
    QCOMPARE(int(refusal.kind), kind);
    QCOMPARE(int(refusal.field), focus);
    QCOMPARE(refusal.message, message);
    QCOMPARE(productCount(), 1);
}

void TestProducts::modifyChecksTheCodeAgainstOtherProducts_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("saved");
    QTest::newRow("same code") << "A1" << true;
    QTest::newRow("new code") << "C3" << true;
    QTest::newRow("other product's code") << "B2" << false;
    // Codes compare without regard to case in the database, exactly against the loaded one.
    QTest::newRow("case of its own code") << "a1" << false;
}

void TestProducts::modifyChecksTheCodeAgainstOtherProducts()
{
    QFETCH(QString, code);
    QFETCH(bool, saved);
    QVERIFY(Products::Create(water(QStringLiteral("A1"))).ok());
    QVERIFY(Products::Create(water(QStringLiteral("B2"))).ok());
    Products::Input input = water(code);
    input.name = QStringLiteral("苹果汁");
    QCOMPARE(Products::Modify(rowIdOf(QStringLiteral("A1")), QStringLiteral("A1"), input).ok(),
             saved);
    const QString stored = saved ? code : QStringLiteral("A1");
    QCOMPARE(Db::Scalar(QStringLiteral("select sppy from sp where rowid=?"), {rowIdOf(stored)})
                 .toString(),
             saved ? QStringLiteral("pgz") : QStringLiteral("kqs"));
    QCOMPARE(productCount(), 2);
}

void TestProducts::conditionsAreBoundAndExcludeFreeProducts()
{
    m_fixture.AddProduct(QStringLiteral("A1"), QStringLiteral("5'寸 相框"), 1, 9, 8);
    m_fixture.AddProduct(QStringLiteral("A2"), QStringLiteral("5'寸 赠品"), 0, 0, 0);
    m_fixture.AddProduct(QStringLiteral("B1"), QStringLiteral("毛巾"), 1, 5, 4);
    auto codes = [](const QString &sql, const QVariantList &params) {
        QStringList list;
        QSqlQuery query = Db::Run(sql, params);
        while (query.next())
            list << query.value(QStringLiteral("商品编码")).toString();
        list.sort();
        return list;
    };
    QVariantList params;
    Products::Conditions conditions;
    QCOMPARE(codes(Products::ConditionSql(conditions, &params), params),
             (QStringList{QStringLiteral("A1"), QStringLiteral("B1")}));
    conditions.name = QStringLiteral("5'");
    QCOMPARE(codes(Products::ConditionSql(conditions, &params), params),
             QStringList{QStringLiteral("A1")});
    conditions.code = QStringLiteral("b");
    QVERIFY(codes(Products::ConditionSql(conditions, &params), params).isEmpty());
    QCOMPARE(codes(Products::LookupListSql(), {}).size(), 3); // free products too, before a search
    conditions = {};
    conditions.name = QStringLiteral("寸");
    QCOMPARE(codes(Products::LookupConditionSql(conditions, &params), params),
             QStringList{QStringLiteral("A1")});
}

void TestProducts::deleteRemovesOnlyTheGivenRows()
{
    for (const char *code : {"A1", "B2", "C3"})
        QVERIFY(Products::Create(water(QString::fromLatin1(code))).ok());
    Products::Delete({rowIdOf(QStringLiteral("A1")), rowIdOf(QStringLiteral("C3"))});
    QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(商品编码) from sp")).toString(),
             QStringLiteral("B2"));
}

ZENTRIK_TEST_MAIN(TestProducts)
#include "tst_products.moc"
