// The product window and the lookup dialog, driven through their widgets.

#include "catalogue/Unit1.h"
#include "catalogue/ys.h"
#include "components/datagrid.h"
#include "components/floatingpanel.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "fixture.h"
#include "shell/MAIN.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

template <class W = QLineEdit> W *field(QWidget *window, const char *name)
{
    W *widget = window->findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

QPushButton *button(const char *name)
{
    return field<QPushButton>(Form1, name);
}

QStringList codes(const char *list)
{
    return QString::fromLatin1(list).split(u' ');
}

// Codes of the listed rows, in the list's order.
QStringList listed(const Dataset *dataset)
{
    QStringList codes;
    for (int r = 0; r < dataset->RecordCount(); ++r)
        codes << dataset->Value(r, QStringLiteral("商品编码")).toString();
    return codes;
}

QStringList stored()
{
    QStringList codes;
    QSqlQuery query = Db::Run(QStringLiteral("select 商品编码 from sp order by rowid"));
    while (query.next())
        codes << query.value(0).toString();
    return codes;
}

// Keys for Latin text; Chinese text arrives committed by the input method.
void typeText(QLineEdit *edit, const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClicks(edit, QString(ch));
        else
            edit->insert(QString(ch));
    }
}

void clickRow(DataGrid *grid, int row)
{
    QTableView *view = grid->view();
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

// With ZENTRIK_SHOTS set to a folder, the windows are saved there as pictures to look at.
void shot(QWidget *window, const char *name)
{
    const QString folder = qEnvironmentVariable("ZENTRIK_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + QString::fromLatin1(name) +
                            QStringLiteral(".png"));
}

class TestProductWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openingListsAllWithEditingDisabled();
    void enterWalksThePanelAndSavesANewProduct();
    void rowClickLoadsAndModifyWritesTheLoadedRow();
    void deleteAsksAndAlwaysRelists();
    void deleteSelectedAsksWithTheCount();
    void popupRunsTheButtonsEvenWhileDeleteIsDisabled();
    void closingKeepsPanelMemberPriceAndConditions();
    void conditionsNarrowPerKeystroke();
    void lookupHandsTheChosenProductToTheCart();

private:
    DataGrid *grid() const { return field<DataGrid>(Form1, "productGrid"); }
    Fixture m_fixture;
};

void TestProductWindow::init()
{
    m_fixture.Start();
    QVERIFY(m_fixture.Login());
    m_fixture.AddProduct(QStringLiteral("A1"), QStringLiteral("矿泉水"), 1, 2, 1.8);
    m_fixture.AddProduct(QStringLiteral("B2"), QStringLiteral("5'寸 相框"), 5, 9, 8);
    m_fixture.AddProduct(QStringLiteral("C3"), QStringLiteral("赠品袋"), 0, 0, 0);
    Db::Run(QStringLiteral("update sp set 规格型号=null where 商品编码='B2'"));
    Form1->show();
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
}

void TestProductWindow::cleanup()
{
    Form1->hide();
    m_fixture.Stop();
}

void TestProductWindow::openingListsAllWithEditingDisabled()
{
    QCOMPARE(listed(dmfm->ADOQuery12), codes("A1 B2 C3"));
    QCOMPARE(dmfm->ADOQuery12->CurrentRow(), 2);
    QVERIFY(!button("deleteButton")->isEnabled());
    QVERIFY(!button("panelModifyButton")->isEnabled());
    QVERIFY(!Form1->EditPanel()->isVisible());
    QCOMPARE(field<QStatusBar>(Form1, "statusBar")->currentMessage(), QStringLiteral("回车加入"));
    // Every field's caption names it.
    for (QLineEdit *edit : Form1->findChildren<QLineEdit *>()) {
        bool named = false;
        for (QLabel *label : Form1->findChildren<QLabel *>())
            named = named || label->buddy() == edit;
        QVERIFY2(named, qPrintable(edit->objectName()));
    }
}

void TestProductWindow::enterWalksThePanelAndSavesANewProduct()
{
    button("newButton")->click();
    QVERIFY(Form1->EditPanel()->isVisible());
    const QList<QPair<const char *, QString>> typed{
        {"codeEdit", QStringLiteral("D4 ")},        {"categoryEdit", QStringLiteral("日化")},
        {"nameEdit", QStringLiteral("洗衣液")},     {"specificationEdit", QStringLiteral("2kg")},
        {"supplierEdit", QStringLiteral("立白")},   {"purchasePriceEdit", QStringLiteral("9.5")},
        {"salePriceEdit", QStringLiteral("1a2.8")}, {"memberPriceEdit", QStringLiteral("12")},
        {"unitEdit", QStringLiteral("桶")}};
    for (const auto &[name, text] : typed) {
        QCOMPARE(Form1->focusWidget(), field(Form1, name));
        typeText(field(Form1, name), text);
        QTest::keyClick(field(Form1, name), Qt::Key_Return);
    }
    QCOMPARE(Form1->focusWidget(), button("panelNewButton"));
    QTest::keyClick(button("panelNewButton"), Qt::Key_Return);
    QVERIFY(m_fixture.Messages().isEmpty());
    QCOMPARE(Db::Scalar(QStringLiteral("select 销售单价 from sp where 商品编码='D4'")).toDouble(),
             12.8);
    QCOMPARE(listed(dmfm->ADOQuery12).last(), QStringLiteral("D4"));
    QVERIFY(field(Form1, "codeEdit")->text().isEmpty());

    // The same code again is refused, and only the code field empties.
    QTest::keyClicks(field(Form1, "codeEdit"), QStringLiteral("d4"));
    typeText(field(Form1, "nameEdit"), QStringLiteral("另一个"));
    button("panelNewButton")->click();
    QCOMPARE(m_fixture.MessageTexts(),
             QStringList{QStringLiteral("商品编码已经存在，请重新输入！")});
    QVERIFY(field(Form1, "codeEdit")->text().isEmpty());
    QCOMPARE(field(Form1, "nameEdit")->text(), QStringLiteral("另一个"));
    QCOMPARE(stored().size(), 4);
}

void TestProductWindow::rowClickLoadsAndModifyWritesTheLoadedRow()
{
    clickRow(grid(), 1);
    QCOMPARE(Form1->LoadedCode(), QStringLiteral("B2"));
    Form1->EditPanel()->show();
    shot(Form1, "products");
    QVERIFY(button("panelModifyButton")->isEnabled());
    QCOMPARE(field(Form1, "nameEdit")->text(), QStringLiteral("5'寸 相框"));
    QCOMPARE(field(Form1, "specificationEdit")->text(), QString()); // a null shows empty
    QCOMPARE(field(Form1, "memberPriceEdit")->text(), QStringLiteral("8"));

    dmfm->ADOQuery12->SetCurrentRow(0); // the cursor moves away by keyboard
    field(Form1, "nameEdit")->setText(QStringLiteral("7寸 相框"));
    field(Form1, "codeEdit")->setText(QStringLiteral("B2-7"));
    button("panelModifyButton")->click();
    QVERIFY(m_fixture.Messages().isEmpty());
    QCOMPARE(stored(), codes("A1 B2-7 C3"));
    QCOMPARE(Db::Scalar(QStringLiteral("select 商品名称 from sp where 商品编码='A1'")).toString(),
             QStringLiteral("矿泉水"));
    QVERIFY(!button("panelModifyButton")->isEnabled());
}

void TestProductWindow::deleteAsksAndAlwaysRelists()
{
    clickRow(grid(), 0);
    m_fixture.AnswerNext(false);
    button("deleteButton")->click();
    QCOMPARE(stored().size(), 3);
    QVERIFY(field(Form1, "codeEdit")->text().isEmpty());
    QCOMPARE(field(Form1, "memberPriceEdit")->text(), QStringLiteral("1.8")); // kept
    QCOMPARE(dmfm->ADOQuery12->CurrentRow(), 2); // listed again, on the last row

    dmfm->ADOQuery12->SetCurrentRow(1);
    m_fixture.ClearMessages();
    button("deleteButton")->click();
    QCOMPARE(m_fixture.MessageTexts(), (QStringList{QStringLiteral("你真的要删除选中资料吗？"),
                                                    QStringLiteral("删除成功！")}));
    QCOMPARE(stored(), codes("A1 C3"));
    QVERIFY(!button("deleteButton")->isEnabled());
}

void TestProductWindow::deleteSelectedAsksWithTheCount()
{
    QTableView *view = grid()->view();
    view->selectionModel()->select(view->model()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->select(view->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_fixture.AnswerNext(false);
    Form1->DeleteSelected();
    QCOMPARE(m_fixture.MessageTexts(),
             QStringList{QStringLiteral("你真的要删除选中的 2 条资料吗？")});
    QCOMPARE(stored().size(), 3);
    Form1->DeleteSelected();
    QCOMPARE(stored(), codes("B2"));
    QCOMPARE(listed(dmfm->ADOQuery12), codes("B2"));
}

void TestProductWindow::popupRunsTheButtonsEvenWhileDeleteIsDisabled()
{
    QMenu *menu = Form1->findChild<QMenu *>();
    QVERIFY(menu);
    QStringList entries;
    QAction *deleteEntry = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        entries << action->text();
        QVERIFY(action->isEnabled());
        if (action->text() == QStringLiteral("删  除"))
            deleteEntry = action;
    }
    QCOMPARE(entries, (QStringList{QStringLiteral("新  建"), QStringLiteral("删  除"),
                                   QStringLiteral("多行删除"), QStringLiteral("全部记录"),
                                   QStringLiteral("导出EXCEL"), QStringLiteral("打  印")}));

    // No row clicked since opening: the button is off, the entry deletes the current row.
    QVERIFY(!button("deleteButton")->isEnabled());
    deleteEntry->trigger();
    QCOMPARE(m_fixture.MessageTexts(), (QStringList{QStringLiteral("你真的要删除选中资料吗？"),
                                                    QStringLiteral("删除成功！")}));
    QCOMPARE(stored(), codes("A1 B2"));
}

void TestProductWindow::closingKeepsPanelMemberPriceAndConditions()
{
    clickRow(grid(), 1);
    Form1->EditPanel()->show();
    field(Form1, "conditionCodeEdit")->setText(QStringLiteral("B"));
    Form1->hide();
    QVERIFY(!dmfm->ADOQuery12->IsOpen());
    QVERIFY(field(Form1, "codeEdit")->text().isEmpty());
    QVERIFY(field(Form1, "nameEdit")->text().isEmpty());
    QCOMPARE(field(Form1, "memberPriceEdit")->text(), QStringLiteral("8"));

    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QVERIFY(Form1->EditPanel()->isVisible());
    QCOMPARE(Form1->LoadedCode(), QStringLiteral("B2"));
    QCOMPARE(field(Form1, "conditionCodeEdit")->text(), QStringLiteral("B"));
    QCOMPARE(listed(dmfm->ADOQuery12), codes("A1 B2 C3")); // opening lists all anyway
    QVERIFY(!button("deleteButton")->isEnabled());
    QVERIFY(!button("panelModifyButton")->isEnabled());
    Form1->EditPanel()->hide();
    field(Form1, "conditionCodeEdit")->clear();
    field(Form1, "memberPriceEdit")->clear();
}

void TestProductWindow::conditionsNarrowPerKeystroke()
{
    QLineEdit *name = field(Form1, "conditionNameEdit");
    QTest::keyClicks(name, QStringLiteral("5"));
    QCOMPARE(listed(dmfm->ADOQuery12), codes("B2"));
    QTest::keyClicks(name, QStringLiteral("'"));
    QCOMPARE(listed(dmfm->ADOQuery12), codes("B2"));
    QTest::keyClicks(field(Form1, "conditionCodeEdit"), QStringLiteral("a"));
    QVERIFY(listed(dmfm->ADOQuery12).isEmpty());
    button("clearConditionsButton")->click();
    QCOMPARE(listed(dmfm->ADOQuery12), codes("A1 B2")); // never the free C3
    button("listAllButton")->click();
    QCOMPARE(listed(dmfm->ADOQuery12).size(), 3);
}

void TestProductWindow::lookupHandsTheChosenProductToTheCart()
{
    Form1->hide();
    QLineEdit *code = MainForm->findChild<QLineEdit *>(QStringLiteral("codeBox"));
    QVERIFY(code);
    QLineEdit *condition = field(ysfm, "conditionNameEdit");
    condition->setText(QStringLiteral("相框"));

    // Cancel hands nothing over; the conditions survive and are not applied at opening.
    int listedAtOpening = 0;
    QTimer::singleShot(0, ysfm, [&listedAtOpening] {
        listedAtOpening = dmfm->ADOQuery5->RecordCount();
        QTest::keyClick(field(ysfm, "conditionCodeEdit"), Qt::Key_Escape);
        if (ysfm->isVisible())
            ysfm->done(-1); // closes the dialog should Esc not have
    });
    QCOMPARE(ysfm->Open(), int(QDialog::Rejected));
    QCOMPARE(listedAtOpening, 3);
    QVERIFY(code->text().isEmpty());
    QVERIFY(!dmfm->ADOQuery5->IsOpen());

    QStringList narrowed;
    QTimer::singleShot(0, ysfm, [condition, &narrowed] {
        QTest::keyClicks(condition, QStringLiteral(" "));
        QTest::keyClick(condition, Qt::Key_Backspace);
        narrowed = listed(dmfm->ADOQuery5);
        shot(ysfm, "lookup");
        DataGrid *grid = field<DataGrid>(ysfm, "lookupGrid");
        const QRect rect = grid->view()->visualRect(grid->view()->model()->index(0, 0));
        QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, rect.center());
        if (ysfm->isVisible())
            ysfm->done(-1);
    });
    QCOMPARE(ysfm->Open(), int(QDialog::Accepted));
    QCOMPARE(narrowed, codes("B2"));
    QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(c) from data")).toString(),
             QStringLiteral("B2"));
    condition->clear();
}

ZENTRIK_TEST_MAIN(TestProductWindow)
#include "tst_productwindow.moc"
