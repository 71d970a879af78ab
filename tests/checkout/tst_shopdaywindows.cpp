// The windows of a shop's day wired to the till: the hold and recall commands of the main
// window, the return window, the shift report and the hand-over to the next cashier.
// With ZENTRIK_SHOT_DIR set, each window is also saved there as a picture to look at.

#include "checkout/heldwindow.h"
#include "checkout/returnwindow.h"
#include "checkout/shiftwindow.h"
#include "checkout/till.h"
#include "components/datagrid.h"
#include "components/gridexporter.h"
#include "components/printing.h"
#include "data/db.h"
#include "data/mylib.h"
#include "fixture.h"
#include "operators/login.h"
#include "shell/MAIN.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

namespace {

int rowsIn(const char *table)
{
    return Db::Scalar(QStringLiteral("select count(*) from ") + QString::fromUtf8(table)).toInt();
}

// Runs a command of the main window as its menu entry or key would.
void command(const char *name)
{
    QAction *action = MainForm->findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY(action);
    action->trigger();
}

void shot(QWidget *window, const char *name)
{
    const QString dir = qEnvironmentVariable("ZENTRIK_SHOT_DIR");
    if (!dir.isEmpty())
        window->grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name) +
                            QStringLiteral(".png"));
}

// Runs `step` on the modal window the next command opens.
void onNextModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, qApp, [step] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        step(QApplication::activeModalWidget());
    });
}

// Every caption of a field names it: the caption label is the field's buddy.
void checkBuddies(QWidget *window, const QList<QPair<const char *, const char *>> &pairs)
{
    for (const auto &[label, field] : pairs)
        QCOMPARE(FindWidget<QLabel>(window, label)->buddy(), FindWidget<QWidget>(window, field));
}

} // namespace

class TestShopDayWindows : public QObject
{
    Q_OBJECT
    Fixture m_fixture;

    QString sell(const QStringList &codes)
    {
        for (const QString &code : codes)
            ScanCode(code);
        return TrimControl(MainForm->TillCore().Settle(QStringLiteral("100")).receipt.saleNumber);
    }

private slots:
    void init()
    {
        m_fixture.Start();
        m_fixture.AddProduct(QStringLiteral("6901"), QStringLiteral("矿泉水"), 1, 2, 1.8);
        m_fixture.AddProduct(QStringLiteral("6902"), QStringLiteral("面包"), 3, 5.5, 5);
        QVERIFY(m_fixture.Login());
    }
    void cleanup() { m_fixture.Stop(); }

    void holdAndRecall()
    {
        // An empty cart is not held.
        command("holdAction");
        QCOMPARE(m_fixture.MessageTexts().last(), QStringLiteral("当前没有商品，不能挂单！"));
        ScanCode(QStringLiteral("6901"));
        ScanCode(QStringLiteral("6902"));
        ScanCode(QStringLiteral("6902"));
        shot(MainForm, "main");
        command("holdAction");
        QCOMPARE(m_fixture.MessageTexts().last(), QStringLiteral("已挂单，单号：1"));
        QCOMPARE(rowsIn("data"), 0);
        QCOMPARE(FindWidget<QLabel>(MainForm, "totalLabel")->text(), QStringLiteral("共:0.00元"));

        // A recall into a cart with lines is refused before any list opens.
        ScanCode(QStringLiteral("6901"));
        command("recallAction");
        QCOMPARE(m_fixture.MessageTexts().last(),
                 QStringLiteral("当前销售还有商品，请先结账或挂单后再取单！"));
        command("holdAction");

        bool listed = false;
        onNextModal([&](QWidget *dialog) {
            auto *table = FindWidget<QTableWidget>(dialog, "heldTable");
            listed = table->rowCount() == 2 && table->item(1, 0)->text() == QStringLiteral("2") &&
                     table->item(0, 4)->text() == QStringLiteral("13.00");
            checkBuddies(dialog, {{"heldCaption", "heldTable"}});
            shot(dialog, "held");
            table->selectRow(0);
            QTest::keyClick(table, Qt::Key_Return);
        });
        command("recallAction");
        QVERIFY(listed);
        QCOMPARE(rowsIn("data"), 2);
        QCOMPARE(FindWidget<QLabel>(MainForm, "totalLabel")->text(), QStringLiteral("共:13.00元"));
        QCOMPARE(rowsIn("held"), 1);
    }

    void commandsAreInTheToolBarMenuWithTheirKeys()
    {
        auto *button = FindWidget<QToolButton>(MainForm, "holdButton");
        QVERIFY(button->isVisible());
        QStringList commands;
        for (QAction *action : button->menu()->actions())
            if (!action->isSeparator())
                commands << action->text() + QLatin1Char(' ') +
                                action->shortcut().toString(QKeySequence::PortableText);
        QCOMPARE(commands,
                 (QStringList{QStringLiteral("挂单 Ctrl+G"), QStringLiteral("取单 Ctrl+Q"),
                              QStringLiteral("退货 Ctrl+T"), QStringLiteral("交班 Ctrl+J")}));
    }

    void returnWindowStoresAndRefuses()
    {
        const QString number =
            sell({QStringLiteral("6901"), QStringLiteral("6902"), QStringLiteral("6902")});
        TReturnDialog dialog(MainForm->TillCore(), MainForm);
        checkBuddies(&dialog, {{"saleNumberCaption", "saleNumberBox"},
                               {"linesCaption", "linesTable"},
                               {"quantityCaption", "quantityBox"}});
        QList<ReceiptData> returned;
        connect(&dialog, &TReturnDialog::Returned, this,
                [&](const ReceiptData &receipt, bool) { returned << receipt; });
        dialog.show();
        auto *numberBox = FindWidget<QLineEdit>(&dialog, "saleNumberBox");
        auto *quantityBox = FindWidget<QLineEdit>(&dialog, "quantityBox");
        auto *table = FindWidget<QTableWidget>(&dialog, "linesTable");
        auto *confirm = FindWidget<QPushButton>(&dialog, "confirmButton");

        // A number as a scanner types it: Enter finds the sale.
        QTest::keyClicks(numberBox, number);
        QTest::keyClick(numberBox, Qt::Key_Return);
        QCOMPARE(table->rowCount(), 2);
        table->selectRow(1);
        quantityBox->selectAll();
        QTest::keyClicks(quantityBox, QStringLiteral("3"));
        confirm->click();
        QCOMPARE(m_fixture.MessageTexts().last(), QStringLiteral("退货数量超过可退数量！"));
        QVERIFY(returned.isEmpty());

        quantityBox->selectAll();
        QTest::keyClicks(quantityBox, QStringLiteral("1"));
        QCOMPARE(FindWidget<QLabel>(&dialog, "refundLabel")->text(), QStringLiteral("5.50"));
        shot(&dialog, "return");
        confirm->click();
        QCOMPARE(returned.size(), 1);
        QCOMPARE(returned[0].returnOf, number);
        QCOMPARE(m_fixture.MessageTexts().last(), QStringLiteral("退货成功！应退款：5.50元"));
        // The window shows what is left to return.
        QCOMPARE(table->item(1, 5)->text(), QStringLiteral("1"));

        // The return's receipt, printed as the main window prints it.
        const QString pdf = m_fixture.FilePath(QStringLiteral("return.pdf"));
        Printing::SetPdfTarget(pdf);
        MainForm->PrintSaleReceipt(returned[0]);
        Printing::SetPdfTarget(QString());
        QVERIFY(QFileInfo(pdf).size() > 0);
        if (!qEnvironmentVariable("ZENTRIK_SHOT_DIR").isEmpty())
            QFile::copy(pdf,
                        qEnvironmentVariable("ZENTRIK_SHOT_DIR") + QStringLiteral("/return.pdf"));
    }

    void shiftReportAndHandOver()
    {
        sell({QStringLiteral("6902")});
        const qint64 first = MainForm->SessionId();
        TShiftReportDialog dialog(first, MainForm);
        checkBuddies(&dialog,
                     {{"sessionCaption", "sessionBox"}, {"figuresCaption", "figuresTable"}});
        QVERIFY(dialog.ShowSession(first));
        dialog.resize(520, 560);
        dialog.show();
        auto *figures = FindWidget<QTableWidget>(&dialog, "figuresTable");
        QCOMPARE(figures->item(4, 0)->text(), QStringLiteral("销售金额"));
        QCOMPARE(figures->item(4, 1)->text(), QStringLiteral("5.50"));
        QCOMPARE(figures->item(10, 1)->text(), QStringLiteral("5.50"));
        QVERIFY(FindWidget<QPushButton>(&dialog, "endShiftButton")->isVisible());
        shot(&dialog, "shift");
        const QString pdf = m_fixture.FilePath(QStringLiteral("shift.pdf"));
        Printing::SetPdfTarget(pdf);
        dialog.PrintReport();
        Printing::SetPdfTarget(QString());
        QVERIFY(QFileInfo(pdf).size() > 0);
        if (!qEnvironmentVariable("ZENTRIK_SHOT_DIR").isEmpty())
            QFile::copy(pdf,
                        qEnvironmentVariable("ZENTRIK_SHOT_DIR") + QStringLiteral("/shift.pdf"));
        // Exported like the other lists: one row per figure.
        const QString workbook = m_fixture.FilePath(QStringLiteral("shift.xlsx"));
        m_fixture.NextFileName(workbook);
        QVERIFY(dialog.ExportReport());
        QVERIFY(QFileInfo(workbook).size() > 0);
        QCOMPARE(GridRowCount(dialog.findChild<DataGrid *>()), 12);
        dialog.close();

        // The hand-over: the logout time is written and the login comes up, the program
        // goes on, and the next cashier's sales are a session of their own.
        MainForm->EndSession();
        QCOMPARE(MainForm->SessionId(), 0);
        QVERIFY(!Db::Scalar(QStringLiteral("select jtime from rz where id=?"), {first})
                     .toString()
                     .isEmpty());
        QTRY_VERIFY(loginfm->isVisible());
        QVERIFY(FindWidget<QLineEdit>(loginfm, "passwordBox")->text().isEmpty());
        QVERIFY(MainForm->isVisible());
        QVERIFY(m_fixture.Login());
        QVERIFY(MainForm->SessionId() > first);
        sell({QStringLiteral("6901")});
        QCOMPARE(ReadShiftReport(MainForm->SessionId())->sales, 1);
        QCOMPARE(ReadShiftReport(first)->sales, 1);
        // A past session's report is shown again, without the hand-over command.
        TShiftReportDialog again(MainForm->SessionId(), MainForm);
        QVERIFY(again.ShowSession(first));
        again.show();
        QVERIFY(!FindWidget<QPushButton>(&again, "endShiftButton")->isVisible());
    }
};

ZENTRIK_TEST_MAIN(TestShopDayWindows)
#include "tst_shopdaywindows.moc"
