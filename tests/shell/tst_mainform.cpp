// Program start, the main window's show and close behaviour, skins, menus and the
// show-or-create routine.

#include "../shell/windowparts.h"
#include "checkout/till.h"
#include "components/floatingpanel.h"
#include "data/db.h"
#include "data/dm.h"
#include "fixture.h"
#include "maintenance/About.h"
#include "shell/MAIN.h"
#include "shell/maker.h"
#include "shell/settings.h"
#include "shell/startup.h"

#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QWindow>

// A window of the kind the settings menu opens on demand.
class OnDemandWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OnDemandWindow(QWidget *owner) : QWidget(owner, Qt::Window)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        show();
    }
};

class TestMainForm : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    static void showMain()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
    }

private slots:
    void init() { m_fixture.Start(); }
    void cleanup() { m_fixture.Stop(); }

    void filteredBoxesKeepEveryEditingKey_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("pasted"); // what "-3 a.b" becomes when pasted
        QTest::newRow("code box") << "codeBox"
                                  << "3ab";
        QTest::newRow("cash box") << "cashBox"
                                  << "3.";
        QTest::newRow("sale price") << "salePriceEdit"
                                    << "3.";
        QTest::newRow("quantity") << "quantityEdit"
                                  << "3.";
        QTest::newRow("password") << "passwordBox"
                                  << "3ab";
    }
    void filteredBoxesKeepEveryEditingKey()
    {
        QFETCH(QString, box);
        QFETCH(QString, pasted);
        QLineEdit *edit = MainForm->findChild<QLineEdit *>(box);
        if (!edit)
            edit = loginfm->findChild<QLineEdit *>(box);
        QVERIFY(edit);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("100"));
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClicks(edit, QStringLiteral("2"));
        QCOMPARE(edit->text(), QStringLiteral("1020"));
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, QStringLiteral("9"));
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("5"));
        QCOMPARE(edit->text(), QStringLiteral("910205"));
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("10205"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("7"));
        QCOMPARE(edit->text(), QStringLiteral("7"));
        // Blanks, signs and other foreign characters are refused wherever they come from.
        QTest::keyClicks(edit, QStringLiteral(" -+,"));
        QCOMPARE(edit->text(), QStringLiteral("7"));

        QGuiApplication::clipboard()->setText(QStringLiteral("-3 a.b"));
        edit->clear();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), pasted);
        edit->clear();
        std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
        QAction *paste = nullptr;
        for (QAction *action : menu->actions())
            if (action->objectName() == QLatin1String("edit-paste") ||
                action->text().startsWith(QLatin1String("&Paste")))
                paste = action;
        QVERIFY(paste);
        paste->trigger();
        QCOMPARE(edit->text(), pasted);
        // The cursor stays where the kept characters put it.
        QTest::keyClicks(edit, QStringLiteral("1"));
        QCOMPARE(edit->text(), pasted + QLatin1Char('1'));
    }

    void everyFieldIsNamedByItsCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("field");
        QTest::newRow("code") << "codeCaption"
                              << "codeBox";
        QTest::newRow("sale price") << "salePriceCaption"
                                    << "salePriceEdit";
        QTest::newRow("member price") << "memberPriceCaption"
                                      << "memberPriceEdit";
        QTest::newRow("quantity") << "quantityCaption"
                                  << "quantityEdit";
        QTest::newRow("amount") << "amountCaption"
                                << "amountEdit";
        QTest::newRow("cash") << "cashCaption"
                              << "cashBox";
        QTest::newRow("user") << "userCaption"
                              << "userBox";
        QTest::newRow("password") << "passwordCaption"
                                  << "passwordBox";
    }
    void everyFieldIsNamedByItsCaption()
    {
        QFETCH(QString, caption);
        QFETCH(QString, field);
        QWidget *root = MainForm->findChild<QLabel *>(caption) ? static_cast<QWidget *>(MainForm)
                                                               : static_cast<QWidget *>(loginfm);
        auto *label = root->findChild<QLabel *>(caption);
        QVERIFY(label);
        QCOMPARE(label->buddy(), root->findChild<QWidget *>(field));
    }

    void messageTitlesAreExactlyTheirOwn()
    {
        // The platform appends the application's display name to every window title when
        // one is set, which would turn "Warning" into "Warning — ZentrikPOS收银软件".
        QVERIFY(QGuiApplication::applicationDisplayName() != Maker::ProductTitle());
        QCOMPARE(Msg::ApplicationTitle(), Maker::ProductTitle());
        Msg::Warning(QStringLiteral("x"));
        Msg::Question(QStringLiteral("y"));
        Msg::Info(QStringLiteral("z"));
        QList<QString> titles;
        for (const Msg::Record &record : m_fixture.Messages())
            titles << record.title;
        QCOMPARE(titles, (QList<QString>{QStringLiteral("Warning"), QStringLiteral("警告！"),
                                         Maker::ProductTitle()}));
    }

    void firstStartCreatesTheDatabaseAndShowsDefaults()
    {
        QVERIFY(QFile::exists(m_fixture.FilePath(QStringLiteral("data.db"))));
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from sqlite_master where type='table' "
                                      "and name in ('sp','data','data1','data3','userdb','rz')"))
                .toInt(),
            6);
        showMain();
        const MainParts *ui = Main();
        QCOMPARE(ui->saleNumberLabel->text(), QStringLiteral("CJG121122000002"));
        QCOMPARE(MainForm->CurrentSkin(), -1);
        QCOMPARE(MainForm->StatusPanel(1)->text(), QStringLiteral("操作员："));
        QCOMPARE(MainForm->StatusPanel(2)->text(),
                 QStringLiteral("今天：") +
                     QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        QCOMPARE(MainForm->StatusPanel(3)->text(), Maker::WebAddress());
        QVERIFY(!MainForm->LineEditorPanel()->isVisible());
        QVERIFY(!MainForm->SettlementPanel()->isVisible());
        QCOMPARE(ui->totalLabel->text(), QStringLiteral("共:0.00元"));
        QCOMPARE(ui->quantityLabel->text(), QStringLiteral("商品数量：0"));
    }

    void mainWindowIsCreatedWithoutTheDatabase()
    {
        // The main window comes before the data module: creating it must not need one.
        DestroyWindows();
        QVERIFY(!QSqlDatabase::contains(Db::ConnectionName()) || !Db::Connection().isOpen());
        QFile::remove(m_fixture.FilePath(QStringLiteral("data.db")));
        {
            TMainForm window;
            QCOMPARE(FindWidget<QLabel>(&window, "saleNumberLabel")->text(),
                     QStringLiteral("CJG121122000002"));
        }
        QVERIFY(!QFile::exists(m_fixture.FilePath(QStringLiteral("data.db"))));
        CreateWindows();
    }

    void closingSavesTheSaleNumberAndCounter()
    {
        showMain();
        MainForm->TillCore().RestoreCounter(QStringLiteral("CJG1393000005 "), QStringLiteral("5"));
        MainForm->close();
        const Settings::SaleCounter saved = Settings::ReadSaleCounter();
        QCOMPARE(saved.number, QStringLiteral("CJG1393000005 "));
        QCOMPARE(saved.counter, QStringLiteral("5"));
        m_fixture.Restart();
        QCOMPARE(Main()->saleNumberLabel->text(), QStringLiteral("CJG1393000005 "));
    }

    void chosenSkinIsInForceAfterRestart()
    {
        showMain();
        const QString designed = qApp->styleSheet();
        QVERIFY(!designed.isEmpty());
        Main()->skin2Action->trigger();
        QCOMPARE(MainForm->CurrentSkin(), 2);
        // The settings menu marks the skin in force, and only that one.
        const QList<QAction *> skins = {Main()->skin0Action, Main()->skin1Action,
                                        Main()->skin2Action, Main()->skin3Action,
                                        Main()->skin4Action};
        for (int i = 0; i < skins.size(); ++i)
            QCOMPARE(skins[i]->isChecked(), i == 2);
        QVERIFY(qApp->styleSheet() != designed);
        QCOMPARE(Settings::UserValue(QStringLiteral("skin")).value(), QStringLiteral("2"));

        m_fixture.Restart();
        QCOMPARE(MainForm->CurrentSkin(), -1); // applied when shown, not when created
        showMain();
        QCOMPARE(MainForm->CurrentSkin(), 2);
    }

    void everySkinIsADifferentSheet()
    {
        QStringList sheets;
        for (int skin = -1; skin < TMainForm::SkinCount(); ++skin) {
            MainForm->ApplySkin(skin);
            QVERIFY2(!qApp->styleSheet().isEmpty(), qPrintable(QString::number(skin)));
            QVERIFY(!sheets.contains(qApp->styleSheet()));
            sheets << qApp->styleSheet();
        }
    }

    void invalidStoredSkinIsIgnored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("out of range") << "5";
        QTest::newRow("negative") << "-1";
        QTest::newRow("not a number") << "1x";
        QTest::newRow("padded") << " 1";
    }

    void invalidStoredSkinIsIgnored()
    {
        QFETCH(QString, stored);
        Settings::SetUserValue(QStringLiteral("skin"), stored);
        showMain();
        QCOMPARE(MainForm->CurrentSkin(), -1);
    }

    // While the backup window hides the main window, a message box closing there is the
    // last visible window closing: the program must go on until the main window closes.
    void programEndsOnlyWithTheMainWindow()
    {
        QVERIFY(m_fixture.Login());
        EndProgramWithMainWindow(*qApp);
        MainForm->hide();
        QDialog box;
        int step = 0;
        QTimer::singleShot(0, [&] { box.show(); });
        QTimer::singleShot(50, [&] {
            box.close();
            step = 1;
        });
        QTimer::singleShot(200, [&] {
            step = 2;
            MainForm->close();
        });
        QTimer::singleShot(10000, [] { qApp->exit(99); });
        const int result = qApp->exec();
        qApp->setQuitOnLastWindowClosed(true);
        QCOMPARE(step, 2);
        QCOMPARE(result, 0);
    }

    void everyCommandOpensItsWindow()
    {
        const MainParts *ui = Main();
        for (QWidget *w :
             {static_cast<QWidget *>(ui->productsButton), static_cast<QWidget *>(ui->lookupButton),
              static_cast<QWidget *>(ui->salesButton), static_cast<QWidget *>(ui->slipButton),
              static_cast<QWidget *>(ui->backupButton)})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(ui->settingsButton->menu());
        QCOMPARE(ui->settingsButton->menu()->actions().size(), 10); // two, five skins, reprint
        QCOMPARE(ui->supportButton->menu()->actions().size(), 3);
    }

    void supportMenuNamesTheMakerAndVersion()
    {
        Main()->websiteAction->trigger();
        QCOMPARE(m_fixture.OpenedUrls(), QList<QUrl>{QUrl(Maker::WebAddress())});

        Main()->upgradeAction->trigger();
        QCOMPARE(m_fixture.Messages().size(), 1);
        QVERIFY(m_fixture.Messages()[0].text.contains(Maker::Version()));
        QVERIFY(m_fixture.Messages()[0].text.contains(Maker::WebAddress()));

        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            wasModal = AboutBox->isVisible() && AboutBox->isModal();
            AboutBox->close();
        });
        Main()->aboutAction->trigger();
        QVERIFY(wasModal);
    }

    void showOrCreateKeepsOneWindow()
    {
        showMain();
        OnDemandWindow *first = ShowOrCreateWindow<OnDemandWindow>();
        QVERIFY(first->isVisible());
        first->showMinimized();
        OnDemandWindow *second = ShowOrCreateWindow<OnDemandWindow>();
        QCOMPARE(second, first);
        QVERIFY(!second->isMinimized());
        QCOMPARE(MainForm->findChildren<OnDemandWindow *>().size(), 1);

        first->close(); // destroyed when closed
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(MainForm->findChildren<OnDemandWindow *>().size(), 0);
        QVERIFY(ShowOrCreateWindow<OnDemandWindow>() != nullptr);
        QCOMPARE(MainForm->findChildren<OnDemandWindow *>().size(), 1);
    }

    void floatingPanelMovesByItsBackground()
    {
        showMain();
        FloatingPanel *panel = MainForm->SettlementPanel();
        panel->move(100, 50);
        panel->show();
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), panel->mapToGlobal(QPointF(40, 30)),
                         Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(panel, &move);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(panel->pos(), QPoint(130, 70));
    }
};

ZENTRIK_TEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
