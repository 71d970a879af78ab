// The cart at the till: code entry, merging lines, the line editor, deleting lines, the
// grid's sorting and the totals, driven through the main window's widgets.

#include "../shell/windowparts.h"
#include "checkout/till.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "data/db.h"
#include "data/mylib.h"
#include "fixture.h"
#include "shell/MAIN.h"

#include <QAction>
#include <QHeaderView>
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

// Cart lines in entry order, each "code quantity price amount profit".
QStringList cartLines()
{
    QSqlQuery query =
        Db::Run(QStringLiteral("select c,\"2\",\"4\",\"6\",\"7\" from data order by id"));
    QStringList lines;
    while (query.next()) {
        QStringList fields{query.value(0).toString()};
        for (int i = 1; i < 5; ++i)
            fields << NumberText(query.value(i).toDouble());
        lines << fields.join(QLatin1Char(' '));
    }
    return lines;
}

// "A 1 2 2 1|B 1 3 3 1" -> the list of lines.
QStringList lines(const char *text)
{
    const QString all = QString::fromUtf8(text);
    return all.isEmpty() ? QStringList() : all.split(QLatin1Char('|'));
}

// Codes of the grid's rows in the order they are shown.
QStringList shownCodes()
{
    QAbstractItemModel *model = Main()->cartGrid->view()->model();
    QStringList codes;
    for (int row = 0; row < model->rowCount(); ++row)
        codes << model->index(row, 0).data().toString();
    return codes;
}

void clickLine(int row)
{
    QTableView *view = Main()->cartGrid->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(row, 1)).center());
}

void clickTitle(int column)
{
    QHeaderView *header = Main()->cartGrid->view()->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
               header->height() - 4));
}

QAction *gridAction(const char *name)
{
    return Main()->cartGrid->view()->findChild<QAction *>(QString::fromUtf8(name));
}

// Selects a line with the mouse and opens the line editor on its quantity (Ctrl+X).
void editQuantityOf(int row)
{
    clickLine(row);
    QTest::keyClick(Main()->cartGrid->view(), Qt::Key_X, Qt::ControlModifier);
}

// Types each character as a key press; characters outside ASCII come as text of their own,
// as an input method delivers them.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), {});
    }
}

// Replaces the text of a line editor field by typing, as the selected text is replaced.
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestCart : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    // Presses "修 改" with the keyboard: Enter in the quantity field, then Enter on the button.
    void modifyByKeys()
    {
        QTest::keyClick(Editor()->quantityEdit, Qt::Key_Return);
        QCOMPARE(focused(), Editor()->modifyButton);
        QTest::keyClick(Editor()->modifyButton, Qt::Key_Return);
    }

private slots:
    void init()
    {
        m_fixture.Start();
        m_fixture.AddProduct(QStringLiteral("ABC"), QStringLiteral("矿泉水"), 2, 3.5, 3);
        m_fixture.AddProduct(QStringLiteral("DEF"), QStringLiteral("面包"), 4, 5, 4.5);
        m_fixture.AddProduct(QStringLiteral("G1"), QStringLiteral("牛奶"), 8, 12.5, 12);
        QVERIFY(m_fixture.Login());
        // Shortcuts of the grid work in the active window only.
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        m_fixture.ClearMessages();
    }
    void cleanup() { m_fixture.Stop(); }

    void scanningTwiceMergesIntoOneLine()
    {
        ScanCode(QStringLiteral("ABC"));
        QCOMPARE(Main()->codeBox->text(), QString());
        QCOMPARE(focused(), Main()->codeBox);
        ScanCode(QStringLiteral("ABC"));
        QCOMPARE(cartLines(), lines("ABC 2 3.5 7 3"));
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:7.00元"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：2"));

        // The new line carries the product, the sale number, the operator and the date.
        QSqlQuery row = Db::Run(
            QStringLiteral("select a,b,d,g,z,h,i,\"1\",\"3\",\"5\",day1 from data where c='ABC'"));
        QVERIFY(row.next());
        const QStringList expected = {
            QStringLiteral("矿泉水"),     QStringLiteral("500ml"),       QStringLiteral("饮料"),
            QStringLiteral("农夫山泉"),   QStringLiteral("个"),          MainForm->SaleNumber(),
            QStringLiteral("超级管理员"), QStringLiteral("2"),           QStringLiteral("3"),
            QStringLiteral("0"),          DateText(QDate::currentDate())};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(row.value(i).toString(), expected[i]);
        QVERIFY(!MainForm->SaleNumber().isEmpty());
        QVERIFY(m_fixture.Messages().isEmpty());
    }

    void codesMatchWithoutRegardToCase_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("upper then lower") << "ABC"
                                          << "abc";
        QTest::newRow("lower then upper") << "abc"
                                          << "ABC";
        QTest::newRow("mixed") << "aBc"
                               << "AbC";
    }

    void codesMatchWithoutRegardToCase()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        ScanCode(first);
        ScanCode(second);
        // One line, spelt as in the catalogue.
        QCOMPARE(cartLines(), lines("ABC 2 3.5 7 3"));
    }

    void unknownCodeIsDroppedSilently()
    {
        ScanCode(QStringLiteral("ABC"));
        ScanCode(QStringLiteral("XYZ9"));
        QCOMPARE(Main()->codeBox->text(), QString());
        QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5"));
        QVERIFY(m_fixture.Messages().isEmpty());
    }

    void fieldsDiscardForeignKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("code: blank and punctuation") << "code"
                                                     << "a b-c.1_2,3"
                                                     << "abc123";
        QTest::newRow("code: non-Latin letters") << "code"
                                                 << "ab中Ä1"
                                                 << "ab1";
        QTest::newRow("price: letters and signs") << "price"
                                                  << "1a.5- +"
                                                  << "1.5";
        QTest::newRow("quantity: blank") << "quantity"
                                         << "2 .5x"
                                         << "2.5";
    }

    void fieldsDiscardForeignKeys()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QLineEdit *edit = field == QStringLiteral("code")    ? Main()->codeBox
                          : field == QStringLiteral("price") ? Editor()->salePriceEdit
                                                             : Editor()->quantityEdit;
        edit->clear();
        type(edit, typed);
        QCOMPARE(edit->text(), kept);
    }

    void enterInEmptyCodeBox()
    {
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(focused(), Main()->codeBox);
        QVERIFY(m_fixture.Messages().isEmpty());

        ScanCode(QStringLiteral("G1"));
        ScanCode(QStringLiteral("DEF"));
        QTest::keyClick(Main()->codeBox, Qt::Key_Return);
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        QLineEdit *cash = Panel()->cashBox;
        QCOMPARE(focused(), cash);
        QCOMPARE(cash->text(), QStringLiteral("17.50"));
        QCOMPARE(cash->selectedText(), QStringLiteral("17.50"));
        QCOMPARE(cartLines().size(), 2);
    }

    void changedQuantityStaysInForceUntilTheEditorIsClosed()
    {
        ScanCode(QStringLiteral("ABC"));
        editQuantityOf(0);
        QVERIFY(MainForm->LineEditorPanel()->isVisible());
        QVERIFY(Editor()->modifyButton->isEnabled());
        QCOMPARE(focused(), Editor()->quantityEdit);
        QCOMPARE(Editor()->quantityEdit->selectedText(), QStringLiteral("1"));
        QTest::keyClicks(Editor()->quantityEdit, QStringLiteral("2"));
        modifyByKeys();
        QCOMPARE(m_fixture.Messages().size(), 2);
        QCOMPARE(m_fixture.Messages()[0].kind, Msg::Kind::Question);
        QCOMPARE(m_fixture.Messages()[0].text, QStringLiteral("你确实要修改选中资料吗？"));
        QCOMPARE(m_fixture.Messages()[1].text, QStringLiteral("修改数据成功！"));
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        QCOMPARE(focused(), Main()->codeBox);
        QCOMPARE(cartLines(), lines("ABC 2 3.5 7 3"));

        ScanCode(QStringLiteral("DEF"));
        QCOMPARE(cartLines(), lines("ABC 2 3.5 7 3|DEF 2 5 10 2"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：4"));

        // The close icon puts the quantity back to one.
        editQuantityOf(1);
        QTest::mouseClick(Editor()->lineEditorCloseButton, Qt::LeftButton);
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        QVERIFY(!Editor()->modifyButton->isEnabled());
        QCOMPARE(Editor()->quantityEdit->text(), QStringLiteral("1"));
        ScanCode(QStringLiteral("G1"));
        QCOMPARE(cartLines().last(), QStringLiteral("G1 1 12.5 12.5 4.5"));
    }

    // Escape leaves the editor with the quantity in force for the next scans; a text that
    // is no quantity would refuse every scan while nobody can see why.
    void escapeDropsAQuantityThatIsNoNumber()
    {
        ScanCode(QStringLiteral("ABC"));
        editQuantityOf(0);
        retype(Editor()->quantityEdit, QStringLiteral("."));
        QTest::keyClick(Editor()->quantityEdit, Qt::Key_Escape);
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        ScanCode(QStringLiteral("DEF"));
        QCOMPARE(m_fixture.MessageTexts(), QStringList());
        QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5|DEF 1 5 5 1"));

        // A quantity that is a number stays in force after Escape.
        editQuantityOf(1);
        retype(Editor()->quantityEdit, QStringLiteral("3"));
        QTest::keyClick(Editor()->quantityEdit, Qt::Key_Escape);
        ScanCode(QStringLiteral("G1"));
        QCOMPARE(cartLines().last(), QStringLiteral("G1 3 12.5 37.5 13.5"));
    }

    void changedPriceIsKeptWhenTheCodeIsScannedAgain()
    {
        ScanCode(QStringLiteral("ABC"));
        clickLine(0);
        gridAction("modifyPriceAction")->trigger();
        QCOMPARE(focused(), Editor()->salePriceEdit);
        QTest::keyClicks(Editor()->salePriceEdit, QStringLiteral("5"));
        QTest::keyClick(Editor()->salePriceEdit, Qt::Key_Return);
        QCOMPARE(focused(), Editor()->quantityEdit);
        modifyByKeys();
        QCOMPARE(cartLines(), lines("ABC 1 5 5 3"));

        ScanCode(QStringLiteral("ABC"));
        // The line keeps its own price; the catalogue price is added to its amount.
        QCOMPARE(cartLines(), lines("ABC 2 5 8.5 4.5"));
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:8.50元"));
    }

    void cancelledModificationChangesNothing()
    {
        ScanCode(QStringLiteral("ABC"));
        // A double-click opens the editor on the quantity, as "修改数量" does.
        QTableView *view = Main()->cartGrid->view();
        clickLine(0); // a double-click arrives as a click followed by the double-click event
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(view->model()->index(0, 1)).center());
        QVERIFY(MainForm->LineEditorPanel()->isVisible());
        QCOMPARE(focused(), Editor()->quantityEdit);
        QTest::keyClicks(Editor()->quantityEdit, QStringLiteral("7"));
        m_fixture.AnswerNext(false);
        QTest::mouseClick(Editor()->modifyButton, Qt::LeftButton);
        QCOMPARE(m_fixture.MessageTexts(), QStringList{QStringLiteral("你确实要修改选中资料吗？")});
        QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5"));
        QVERIFY(MainForm->LineEditorPanel()->isVisible());
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：1"));

        // Escape in the quantity field leaves the editor without storing anything.
        QTest::keyClick(Editor()->quantityEdit, Qt::Key_Escape);
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        QCOMPARE(focused(), Main()->codeBox);
        QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5"));
    }

    void fractionalQuantity()
    {
        ScanCode(QStringLiteral("ABC"));
        ScanCode(QStringLiteral("DEF"));
        editQuantityOf(0);
        QTest::keyClicks(Editor()->quantityEdit, QStringLiteral("2.5"));
        QCOMPARE(Editor()->amountEdit->text(), QStringLiteral("8.75"));
        modifyByKeys();
        QCOMPARE(cartLines(), lines("ABC 2.5 3.5 8.75 3.75|DEF 1 5 5 1"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：3.5"));
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:13.75元"));
    }

    void liveAmount_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("amount");
        QTest::newRow("shortest text") << "0.1"
                                       << "3"
                                       << "0.3";
        QTest::newRow("half") << "2.5"
                              << "3"
                              << "7.5";
        QTest::newRow("fractional quantity") << "12.5"
                                             << "2.5"
                                             << "31.25";
        QTest::newRow("zero quantity") << "3.5"
                                       << "0"
                                       << "0";
    }

    void liveAmount()
    {
        QFETCH(QString, price);
        QFETCH(QString, quantity);
        QFETCH(QString, amount);
        ScanCode(QStringLiteral("ABC"));
        editQuantityOf(0);
        retype(Editor()->salePriceEdit, price);
        retype(Editor()->quantityEdit, quantity);
        QCOMPARE(Editor()->amountEdit->text(), amount);
        // Only shown: the cart changes when "修 改" is pressed.
        QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5"));
    }

    void quantityArrowsStepWithinLimits_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("steps"); // positive: up arrow, negative: down arrow
        QTest::addColumn<QString>("expected");
        QTest::newRow("up to the top") << "99" << 3 << "100";
        QTest::newRow("down to zero") << "1" << -3 << "0";
        QTest::newRow("whole units from a fraction") << "1.5" << 1 << "2.5";
        QTest::newRow("above the top comes down") << "250" << -1 << "100";
        QTest::newRow("not a number counts as zero") << "." << 2 << "2";
    }

    void quantityArrowsStepWithinLimits()
    {
        QFETCH(QString, start);
        QFETCH(int, steps);
        QFETCH(QString, expected);
        ScanCode(QStringLiteral("ABC"));
        editQuantityOf(0);
        retype(Editor()->quantityEdit, start);
        QToolButton *arrow = steps > 0 ? Editor()->quantityUpButton : Editor()->quantityDownButton;
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(Editor()->quantityEdit->text(), expected);
        QCOMPARE(Editor()->amountEdit->text(), NumberText(3.5 * expected.toDouble()));
    }

    void deleteOneLineAsks()
    {
        ScanCode(QStringLiteral("ABC"));
        ScanCode(QStringLiteral("DEF"));
        Main()->settleButton->click();
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        clickLine(0);
        QVERIFY(!MainForm->SettlementPanel()->isVisible());

        m_fixture.AnswerNext(false);
        QTest::keyClick(Main()->cartGrid->view(), Qt::Key_Delete);
        QCOMPARE(m_fixture.Messages().size(), 1);
        QCOMPARE(m_fixture.Messages()[0].kind, Msg::Kind::Question);
        QCOMPARE(m_fixture.Messages()[0].text, QStringLiteral("你真的要删除选中资料吗？"));
        QCOMPARE(cartLines().size(), 2);

        m_fixture.ClearMessages();
        QTest::keyClick(Main()->cartGrid->view(), Qt::Key_Delete);
        QCOMPARE(m_fixture.MessageTexts(), (QStringList{QStringLiteral("你真的要删除选中资料吗？"),
                                                        QStringLiteral("删除数据成功！")}));
        QCOMPARE(cartLines(), lines("DEF 1 5 5 1"));
        QCOMPARE(shownCodes(), QStringList{QStringLiteral("DEF")});
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:5.00元"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：1"));
        QCOMPARE(focused(), Main()->codeBox);
    }

    void deleteAllEmptiesTheCartAtOnce()
    {
        ScanCode(QStringLiteral("ABC"));
        ScanCode(QStringLiteral("DEF"));
        gridAction("deleteAllAction")->trigger();
        QVERIFY(m_fixture.Messages().isEmpty());
        QVERIFY(cartLines().isEmpty());
        QVERIFY(shownCodes().isEmpty());
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:0.00元"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：0"));
        QCOMPARE(focused(), Main()->codeBox);

        // Editing or deleting in the empty cart does nothing.
        gridAction("modifyQuantityAction")->trigger();
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        gridAction("deleteLineAction")->trigger();
        QVERIFY(m_fixture.Messages().isEmpty());
    }

    void incompleteProductIsRefused_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("no sale price") << "销售单价" << QVariant();
        QTest::newRow("no member price") << "会员价" << QVariant();
        QTest::newRow("no purchase price") << "进货单价" << QVariant();
        QTest::newRow("empty member price") << "会员价" << QVariant(QStringLiteral(""));
        QTest::newRow("blank sale price") << "销售单价" << QVariant(QStringLiteral(" "));
        QTest::newRow("purchase price not a number")
            << "进货单价" << QVariant(QStringLiteral("abc"));
    }

    void incompleteProductIsRefused()
    {
        QFETCH(QString, price);
        QFETCH(QVariant, value);
        Db::Row row = {{QStringLiteral("商品编码"), QStringLiteral("BAD")},
                       {QStringLiteral("商品名称"), QStringLiteral("散装糖")},
                       {QStringLiteral("进货单价"), 1.0},
                       {QStringLiteral("销售单价"), 2.0},
                       {QStringLiteral("会员价"), 1.8}};
        for (auto &[field, stored] : row)
            if (field == price)
                stored = value;
        Db::InsertRow(QStringLiteral("sp"), row);

        ScanCode(QStringLiteral("DEF"));
        const QStringList buffer = {Editor()->salePriceEdit->text(),
                                    Editor()->memberPriceEdit->text(),
                                    Editor()->quantityEdit->text(), Editor()->amountEdit->text()};
        ScanCode(QStringLiteral("BAD"));
        QCOMPARE(m_fixture.MessageTexts(),
                 QStringList{QStringLiteral("商品资料不完整，请先在商品管理中补全价格！")});
        QCOMPARE(cartLines(), lines("DEF 1 5 5 1"));
        QCOMPARE(Main()->codeBox->text(), QString());
        QCOMPARE((QStringList{Editor()->salePriceEdit->text(), Editor()->memberPriceEdit->text(),
                              Editor()->quantityEdit->text(), Editor()->amountEdit->text()}),
                 buffer);
        // The next good product still gets its own figures.
        ScanCode(QStringLiteral("ABC"));
        QCOMPARE(cartLines(), lines("DEF 1 5 5 1|ABC 1 3.5 3.5 1.5"));
    }

    void textsThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("price: lone point") << "price"
                                           << ".";
        QTest::newRow("price: two points") << "price"
                                           << "..";
        QTest::newRow("quantity: lone point") << "quantity"
                                              << ".";
        QTest::newRow("quantity: two points") << "quantity"
                                              << "..";
        // Numbers beyond what a till holds are refused like texts that are no number.
        QTest::newRow("quantity above 99999") << "quantity"
                                              << "100000";
        QTest::newRow("huge quantity") << "quantity"
                                       << "1000000000000000000000";
        QTest::newRow("price above 9999999.99") << "price"
                                                << "10000000";
    }

    void textsThatAreNotNumbers()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        ScanCode(QStringLiteral("ABC"));
        editQuantityOf(0);
        QLineEdit *edit =
            field == QStringLiteral("price") ? Editor()->salePriceEdit : Editor()->quantityEdit;
        retype(edit, text);
        QCOMPARE(edit->text(), text);
        // Nothing is computed from the refused text (a number within the bounds typed on
        // the way there shows its amount).
        if (text.contains(QLatin1Char('.')))
            QCOMPARE(Editor()->amountEdit->text(), QStringLiteral("3.5"));
        QCOMPARE(MainForm->TillCore().Totals().AmountText(), QStringLiteral("3.50"));
        QTest::mouseClick(Editor()->modifyButton, Qt::LeftButton);
        QCOMPARE(m_fixture.MessageTexts(), QStringList{QStringLiteral("请输入正确的数字！")});
        QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5"));
        QVERIFY(MainForm->LineEditorPanel()->isVisible());

        if (edit == Editor()->quantityEdit) {
            // A scan with that quantity adds nothing either.
            m_fixture.ClearMessages();
            ScanCode(QStringLiteral("DEF"));
            ScanCode(QStringLiteral("ABC"));
            QCOMPARE(m_fixture.MessageTexts(), (QStringList{QStringLiteral("请输入正确的数字！"),
                                                            QStringLiteral("请输入正确的数字！")}));
            QCOMPARE(cartLines(), lines("ABC 1 3.5 3.5 1.5"));
        }
    }

    void lookupVariant()
    {
        // With an empty code box it goes to settlement even when the cart is empty.
        MainForm->AddProductFromLookup();
        QVERIFY(MainForm->SettlementPanel()->isVisible());
        QCOMPARE(focused(), Panel()->cashBox);

        ScanCode(QStringLiteral("ABC"));
        // A chosen code may come with blanks around it or in another case.
        Main()->codeBox->setText(QStringLiteral(" abc "));
        MainForm->AddProductFromLookup();
        QCOMPARE(cartLines(), lines("ABC 2 3.5 7 3"));
        QCOMPARE(Main()->codeBox->text(), QString());
        QCOMPARE(focused(), Main()->codeBox);
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:7.00元"));
    }

    void titleClickSortsAndHidesPanels()
    {
        ScanCode(QStringLiteral("ABC"));
        ScanCode(QStringLiteral("G1"));
        ScanCode(QStringLiteral("DEF"));
        editQuantityOf(0);
        Main()->settleButton->click();
        QVERIFY(MainForm->LineEditorPanel()->isVisible());
        QVERIFY(MainForm->SettlementPanel()->isVisible());

        const int priceColumn = 3; // "销售价"
        QCOMPARE(Main()->cartGrid->columns()[priceColumn].title, QStringLiteral("销售价"));
        clickTitle(priceColumn);
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(shownCodes(),
                 (QStringList{QStringLiteral("G1"), QStringLiteral("DEF"), QStringLiteral("ABC")}));
        clickTitle(priceColumn);
        QCOMPARE(shownCodes(),
                 (QStringList{QStringLiteral("ABC"), QStringLiteral("DEF"), QStringLiteral("G1")}));
        QCOMPARE(cartLines().size(), 3); // sorted in memory only

        // The next code entry shows the cart in entry order again.
        ScanCode(QStringLiteral("DEF"));
        QCOMPARE(shownCodes(),
                 (QStringList{QStringLiteral("ABC"), QStringLiteral("G1"), QStringLiteral("DEF")}));
    }

    void cartSurvivesARestart()
    {
        ScanCode(QStringLiteral("ABC"));
        ScanCode(QStringLiteral("G1"));
        m_fixture.Restart();
        QVERIFY(m_fixture.Login());
        QCOMPARE(shownCodes(), (QStringList{QStringLiteral("ABC"), QStringLiteral("G1")}));
        QCOMPARE(Main()->totalLabel->text(), QStringLiteral("共:16.00元"));
        QCOMPARE(Main()->quantityLabel->text(), QStringLiteral("商品数量：2"));
        ScanCode(QStringLiteral("abc"));
        QCOMPARE(cartLines(), lines("ABC 2 3.5 7 3|G1 1 12.5 12.5 4.5"));
    }
};

ZENTRIK_TEST_MAIN(TestCart)
#include "tst_cart.moc"
