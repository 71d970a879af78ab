// Settling the cart: the panel's checks, the archived lines and summary row stored as one
// transaction, the receipt, and the sale number with its counter across restarts.

#include "../shell/windowparts.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "components/printing.h"
#include "data/appstate.h"
#include "data/db.h"
#include "data/mylib.h"
#include "fixture.h"
#include "shell/MAIN.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>

namespace {

QWidget *focused()
{
    return MainForm->focusWidget();
}

int rowsIn(const char *table)
{
    return Db::Scalar(QStringLiteral("select count(*) from ") + QString::fromUtf8(table)).toInt();
}

QString numberFor(qint64 counter)
{
    return TMainForm::FormatSaleNumber(QStringLiteral("超级管理员"), QDate::currentDate(), counter);
}

int shownRows()
{
    return Main()->cartGrid->view()->model()->rowCount();
}

// Enter in the empty code box opens the panel, Enter in the cash box moves to "确 定[Enter]",
// Enter there confirms.
void settleByKeys()
{
    QTest::keyClick(Main()->codeBox, Qt::Key_Return);
    QTest::keyClick(focused(), Qt::Key_Return);
    QTest::keyClick(focused(), Qt::Key_Return);
}

} // namespace

class TestSettlement : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    // Nothing of a sale was stored and the cart is as it was.
    void verifyNothingStored(int cartLines)
    {
        QCOMPARE(rowsIn("data1"), 0);
        QCOMPARE(rowsIn("data3"), 0);
        QCOMPARE(rowsIn("data"), cartLines);
        QCOMPARE(rowsIn("app_state"), 0);
        QCOMPARE(MainForm->SaleNumber(), QStringLiteral("CJG121122000002"));
        QCOMPARE(Settings::ReadSaleCounter().counter, QStringLiteral("1"));
    }

private slots:
    void init()
    {
        m_fixture.Start();
        m_fixture.AddProduct(QStringLiteral("A1"), QStringLiteral("牛奶"), 10, 12.5, 12);
        m_fixture.AddProduct(QStringLiteral("B2"), QStringLiteral("面包"), 2, 3.3, 3);
        QVERIFY(m_fixture.Login());
        m_fixture.ClearMessages();
    }
    void cleanup()
    {
        Printing::SetPdfTarget(QString());
        m_fixture.Stop();
    }

    void settlesWithTheEnterKey()
    {
        ScanCode(QStringLiteral("A1"));
        ScanCode(QStringLiteral("B2"));
        // A line left from an earlier sale number is archived under this sale's number.
        Db::Run(QStringLiteral("update data set h='CJG121121000001' where c='B2'"));

        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        QCOMPARE(Panel()->totalValue->text(), QStringLiteral("15.80"));
        QCOMPARE(Panel()->receivedValue->text(), QStringLiteral("15.80"));
        QCOMPARE(Panel()->changeLabel->text(), QStringLiteral("0.00"));
        QCOMPARE(focused(), Panel()->cashBox);
        QCOMPARE(Panel()->cashBox->selectedText(), QStringLiteral("15.80"));
        QTest::keyClick(Panel()->cashBox, Qt::Key_Return);
        QCOMPARE(focused(), Panel()->confirmButton);
        QTest::keyClick(Panel()->confirmButton, Qt::Key_Return);
        QVERIFY(m_fixture.Messages().isEmpty());

        QSqlQuery summary = Db::Run(
            QStringLiteral("select \"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",a,b,day1 from data3"));
        QVERIFY(summary.next());
        const QList<double> figures = {15.8, 15.8, 15.8, 0, 3.8, 0, 0};
        for (int i = 0; i < figures.size(); ++i)
            QVERIFY2(qAbs(summary.value(i).toDouble() - figures[i]) < 1e-9,
                     qPrintable(summary.value(i).toString()));
        QCOMPARE(summary.value(7).toString(), QStringLiteral("CJG121122000002"));
        QCOMPARE(summary.value(8).toString(), QStringLiteral("超级管理员"));
        QCOMPARE(summary.value(9).toString(), DateText(QDate::currentDate()));
        QVERIFY(!summary.next());

        QSqlQuery lines =
            Db::Run(QStringLiteral("select c,h,i,\"2\",\"6\",day1 from data1 order by ID"));
        QStringList archived;
        while (lines.next())
            archived << QStringList{lines.value(0).toString(),
                                    lines.value(1).toString(),
                                    lines.value(2).toString(),
                                    NumberText(lines.value(3).toDouble()),
                                    NumberText(lines.value(4).toDouble()),
                                    lines.value(5).toString()}
                            .join(QLatin1Char(' '));
        const QString tail =
            QStringLiteral(" CJG121122000002 超级管理员 1 %1 ") + DateText(QDate::currentDate());
        QCOMPARE(archived, (QStringList{QStringLiteral("A1") + tail.arg(QStringLiteral("12.5")),
                                        QStringLiteral("B2") + tail.arg(QStringLiteral("3.3"))}));

        // Ready for the next sale.
        QCOMPARE(rowsIn("data"), 0);
        QCOMPARE(shownRows(), 0);
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(focused(), Main()->codeBox);
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:0.00元"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：0"));
        QCOMPARE(Panel()->cashBox->text(), QString());
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(2));
        const Settings::SaleCounter saved = Settings::ReadSaleCounter();
        QCOMPARE(saved.number, numberFor(2));
        QCOMPARE(saved.counter, QStringLiteral("2"));
    }

    void refusedConfirmationStoresNothing_data()
    {
        QTest::addColumn<QString>("cash");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("short") << "10"
                               << "-5.80"
                               << "现金金额不足！";
        QTest::newRow("ten cents short") << "15.7"
                                         << "-0.10"
                                         << "现金金额不足！";
        QTest::newRow("empty") << ""
                               << "0.00"
                               << "请输入现金金额！";
        // A text that is not a number shows no change at all.
        QTest::newRow("lone point") << "."
                                    << ""
                                    << "请输入正确的数字！";
        QTest::newRow("two points") << "50.5.5"
                                    << ""
                                    << "请输入正确的数字！";
    }

    void refusedConfirmationStoresNothing()
    {
        QFETCH(QString, cash);
        QFETCH(QString, change);
        QFETCH(QString, message);
        ScanCode(QStringLiteral("A1"));
        ScanCode(QStringLiteral("B2"));
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QTest::keyClick(Panel()->cashBox, Qt::Key_Backspace); // clears the selected total
        QTest::keyClicks(Panel()->cashBox, cash);
        QCOMPARE(Panel()->cashBox->text(), cash);
        QCOMPARE(Panel()->changeLabel->text(), change);
        QTest::keyClick(Panel()->cashBox, Qt::Key_Return);
        QTest::keyClick(focused(), Qt::Key_Return);

        QCOMPARE(m_fixture.MessageTexts(), QStringList{message});
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        QCOMPARE(focused(), Panel()->cashBox);
        verifyNothingStored(2);

        // Cancel closes the panel and keeps what was typed.
        QTest::mouseClick(Panel()->cancelButton, Qt::LeftButton);
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(Panel()->cashBox->text(), cash);
        QVERIFY(!Editor()->modifyButton->isEnabled());
    }

    void emptyCartCannotBeSettled()
    {
        Main()->settleButton->click();
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        QCOMPARE(Panel()->totalValue->text(), QStringLiteral("0.00"));
        QTest::mouseClick(Panel()->confirmButton, Qt::LeftButton);
        QCOMPARE(m_fixture.MessageTexts(), QStringList{QStringLiteral("请先进行商品销售！")});
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(focused(), Main()->codeBox);
        verifyNothingStored(0);
    }

    void zeroTotalClosesThePanelSilently()
    {
        m_fixture.AddProduct(QStringLiteral("FREE"), QStringLiteral("赠品"), 0, 0, 0);
        ScanCode(QStringLiteral("FREE"));
        settleByKeys();
        QVERIFY(m_fixture.Messages().isEmpty());
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(focused(), Main()->codeBox);
        verifyNothingStored(1);
    }

    void consecutiveSalesAdvanceTheNumber()
    {
        ScanCode(QStringLiteral("A1"));
        settleByKeys();
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(2));

        ScanCode(QStringLiteral("B2"));
        ScanCode(QStringLiteral("A1"));
        const QString second = numberFor(2).trimmed();
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from data where h=?"), {second}).toInt(), 2);
        // This customer pays 20 and gets 4.20 back.
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QTest::keyClicks(Panel()->cashBox, QStringLiteral("20"));
        QCOMPARE(Panel()->changeLabel->text(), QStringLiteral("4.20"));
        QTest::keyClick(Panel()->cashBox, Qt::Key_Return);
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(3));
        QCOMPARE(
            Db::Scalar(QStringLiteral("select \"3\"||' '||\"4\" from data3 where a=?"), {second})
                .toString(),
            QStringLiteral("20.0 4.2"));
        QCOMPARE(Settings::ReadSaleCounter().counter, QStringLiteral("3"));
        QCOMPARE(AppState::Value(QStringLiteral("sale_counter")).value_or(QString()),
                 QStringLiteral("3"));

        QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(a,'|') from "
                                           "(select a from data3 order by ID)"))
                     .toString(),
                 QStringLiteral("CJG121122000002|") + second);
        QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(c,'|') from "
                                           "(select c from data1 where h=? order by ID)"),
                            {second})
                     .toString(),
                 QStringLiteral("B2|A1"));
        QCOMPARE(rowsIn("data1"), 3);
    }

    void formatSaleNumber_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<qint64>("counter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-digit month and day")
            << "超级管理员" << QDate(2013, 9, 3) << qint64(2) << "CJG1393000002 ";
        QTest::newRow("two-digit month and day")
            << "超级管理员" << QDate(2012, 11, 22) << qint64(2) << "CJG121122000002 ";
        QTest::newRow("two-character name")
            << "张三" << QDate(2013, 9, 3) << qint64(15) << "ZS1393000015 ";
        QTest::newRow("year with a leading zero, counter over six digits")
            << "超级管理员" << QDate(2005, 12, 31) << qint64(1234567) << "CJG0512311234567 ";
    }

    void formatSaleNumber()
    {
        QFETCH(QString, name);
        QFETCH(QDate, date);
        QFETCH(qint64, counter);
        QFETCH(QString, expected);
        QCOMPARE(TMainForm::FormatSaleNumber(name, date, counter), expected);
    }

    void receiptIsPrintedAfterTheSaleIsStored_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("printed") << "receipt.pdf" << QStringList();
        QTest::newRow("printer fails")
            << "missing/receipt.pdf" << QStringList{QStringLiteral("小票打印失败，销售已保存。")};
    }

    void receiptIsPrintedAfterTheSaleIsStored()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, messages);
        const QString pdf = m_fixture.FilePath(target);
        Printing::SetPdfTarget(pdf);
        ScanCode(QStringLiteral("A1"));
        ScanCode(QStringLiteral("B2"));
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        Panel()->printCheck->setChecked(true);
        QTest::keyClick(Panel()->cashBox, Qt::Key_Return);
        QTest::keyClick(focused(), Qt::Key_Return);

        QCOMPARE(m_fixture.MessageTexts(), messages);
        QCOMPARE(QFileInfo(pdf).size() > 0, messages.isEmpty());
        QCOMPARE(rowsIn("data1"), 2);
        QCOMPARE(rowsIn("data3"), 1);
        QCOMPARE(rowsIn("data"), 0);
        QCOMPARE(shownRows(), 0);
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(2));
        QCOMPARE(Settings::ReadSaleCounter().counter, QStringLiteral("2"));
        QCOMPARE(focused(), Main()->codeBox);
    }

    void panelKeysAndClicks()
    {
        ScanCode(QStringLiteral("A1"));
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        QTest::keyClick(Panel()->cashBox, Qt::Key_Escape);
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QVERIFY(!Editor()->modifyButton->isEnabled());

        // After ticking the receipt box with the mouse, Enter still leads to the sale.
        Printing::SetPdfTarget(m_fixture.FilePath(QStringLiteral("receipt.pdf")));
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QTest::mouseClick(Panel()->printCheck, Qt::LeftButton, {},
                          QPoint(8, Panel()->printCheck->height() / 2));
        QVERIFY(Panel()->printCheck->isChecked());
        QTRY_COMPARE(focused(), static_cast<QWidget *>(Panel()->cashBox));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(rowsIn("data3"), 1);
        QVERIFY(QFileInfo::exists(m_fixture.FilePath(QStringLiteral("receipt.pdf"))));
    }

    void reprintRepeatsTheLastSaleAndStoresNothing()
    {
        const QString pdf = m_fixture.FilePath(QStringLiteral("again.pdf"));
        Printing::SetPdfTarget(pdf);
        QCOMPARE(Main()->reprintAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        Main()->reprintAction->trigger();
        QCOMPARE(m_fixture.MessageTexts().size(), 1); // nothing settled yet
        QVERIFY(!QFileInfo::exists(pdf));
        m_fixture.ClearMessages();

        ScanCode(QStringLiteral("A1"));
        settleByKeys();
        ScanCode(QStringLiteral("B2")); // the open cart is not reprinted
        const QString number = MainForm->SaleNumber();
        Main()->reprintAction->trigger();
        QVERIFY(m_fixture.Messages().isEmpty());
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(rowsIn("data"), 1);
        QCOMPARE(rowsIn("data1"), 1);
        QCOMPARE(rowsIn("data3"), 1);
        QCOMPARE(MainForm->SaleNumber(), number);
    }

    void engineFailureLeavesEverythingAsBefore_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("archive") << "before insert on data1";
        QTest::newRow("summary") << "before insert on data3";
        QTest::newRow("sale number") << "before insert on app_state";
        QTest::newRow("emptying the cart") << "before delete on data";
    }

    void engineFailureLeavesEverythingAsBefore()
    {
        QFETCH(QString, trigger);
        ScanCode(QStringLiteral("A1"));
        ScanCode(QStringLiteral("B2"));
        Db::Run(QStringLiteral("create trigger fail ") + trigger +
                QStringLiteral(" begin select raise(abort,'boom'); end"));
        settleByKeys();

        QCOMPARE(m_fixture.Messages().size(), 1);
        QCOMPARE(m_fixture.Messages()[0].kind, Msg::Kind::Error);
        QVERIFY2(m_fixture.Messages()[0].text.contains(QStringLiteral("boom")),
                 qPrintable(m_fixture.Messages()[0].text));
        verifyNothingStored(2);
        QCOMPARE(shownRows(), 2);
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:15.80元"));

        // Once the fault is gone the same sale is settled once, under the same number.
        Db::Run(QStringLiteral("drop trigger fail"));
        m_fixture.ClearMessages();
        settleByKeys();
        QVERIFY(m_fixture.Messages().isEmpty());
        QCOMPARE(rowsIn("data1"), 2);
        QCOMPARE(rowsIn("data3"), 1);
        QCOMPARE(Db::Scalar(QStringLiteral("select a from data3")).toString(),
                 QStringLiteral("CJG121122000002"));
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(2));
    }

    void furthestSaleNumberWinsAtStart_data()
    {
        QTest::addColumn<QString>("fileNumber");
        QTest::addColumn<QString>("fileCounter");
        QTest::addColumn<QString>("expectedNumber");
        QTest::addColumn<QString>("nextCounter");
        QTest::newRow("database ahead of config.ini") << "CJG121122000002 "
                                                      << "1" << numberFor(2) << "3";
        QTest::newRow("config.ini ahead of the database") << "CJG1393000009 "
                                                          << "9"
                                                          << "CJG1393000009 "
                                                          << "10";
    }

    void furthestSaleNumberWinsAtStart()
    {
        QFETCH(QString, fileNumber);
        QFETCH(QString, fileCounter);
        QFETCH(QString, expectedNumber);
        QFETCH(QString, nextCounter);
        ScanCode(QStringLiteral("A1"));
        settleByKeys();
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(2));

        // As if the program had ended between the stored sale and config.ini.
        QVERIFY(Settings::WriteSaleCounter({fileNumber, fileCounter}));
        m_fixture.Restart();
        QVERIFY(m_fixture.Login());
        QCOMPARE(Main()->saleNumberLabel->text(), expectedNumber);

        ScanCode(QStringLiteral("B2"));
        settleByKeys();
        QCOMPARE(Db::Scalar(QStringLiteral("select a from data3 order by ID desc")).toString(),
                 expectedNumber.trimmed());
        QCOMPARE(Settings::ReadSaleCounter().counter, nextCounter);
        QCOMPARE(Main()->saleNumberLabel->text(), numberFor(nextCounter.toLongLong()));
    }
};

ZENTRIK_TEST_MAIN(TestSettlement)
#include "tst_settlement.moc"
