// The login window and the operator session it opens: the name and password check, the
// keyboard rules of the window, the login log rows and the administrator's commands.

#include "../shell/windowparts.h"
#include "data/db.h"
#include "data/dm.h"
#include "fixture.h"
#include "operators/login.h"
#include "shell/MAIN.h"
#include "shell/skins/skins.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

class TestLogin : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    static void addUser(const QString &name, const QString &password)
    {
        Db::InsertRow(QStringLiteral("userdb"),
                      {{QStringLiteral("username"), name}, {QStringLiteral("passwd"), password}});
    }

    static int rzRows() { return Db::Scalar(QStringLiteral("select count(*) from rz")).toInt(); }

    static void showLogin()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QVERIFY(QTest::qWaitFor([] { return loginfm->isVisible(); }));
    }

    // True when the focus of w's window is in w (an editable combo box focuses its edit).
    static bool focused(QWidget *w)
    {
        QWidget *current = w->window()->focusWidget();
        return current && (current == w || w->isAncestorOf(current));
    }

    static QWidget *widgetNamed(const QString &name)
    {
        if (name == QLatin1String("codeBox"))
            return Main()->codeBox;
        return loginfm->findChild<QWidget *>(name);
    }

private slots:
    void init() { m_fixture.Start(); }
    void cleanup() { m_fixture.Stop(); }

    void loginButtonChecksNameAndPassword_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty when the session opens
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("operatorName"); // shown in the status bar after login
        const QString admin = Tdmfm::AdminName();
        const QString wrong = QStringLiteral("密码不正确！请重新输入！");
        const QString noName = QStringLiteral("必须选择用户！");
        const QString noPassword = QStringLiteral("必须输入密码！");
        QTest::newRow("right password") << admin << "123"
                                        << ""
                                        << "codeBox" << admin;
        QTest::newRow("pasted password is trimmed") << admin << " \t123  "
                                                    << ""
                                                    << "codeBox" << admin;
        // A typed name that matches an entry of the list takes the entry's spelling.
        QTest::newRow("letters match in any case") << "CLERK"
                                                   << "ABC"
                                                   << ""
                                                   << "codeBox"
                                                   << "clerk";
        QTest::newRow("wrong password") << admin << "1234" << wrong << "passwordBox"
                                        << "";
        QTest::newRow("unknown name") << "nobody"
                                      << "123" << wrong << "passwordBox"
                                      << "";
        QTest::newRow("name with a trailing blank")
            << admin + u' ' << "123" << wrong << "passwordBox"
            << "";
        QTest::newRow("same name and password stored twice") << "twin"
                                                             << "777" << wrong << "passwordBox"
                                                             << "";
        QTest::newRow("quotes in the name") << "' or '1'='1"
                                            << "123" << wrong << "passwordBox"
                                            << "";
        QTest::newRow("quote ending the name")
            << QStringLiteral("' or username='") + admin << "x" << wrong << "passwordBox"
            << "";
        QTest::newRow("quote in a pasted password")
            << admin << "x'or'1'='1" << wrong << "passwordBox"
            << "";
        QTest::newRow("no name") << ""
                                 << "123" << noName << "userBox"
                                 << "";
        QTest::newRow("blank name") << "  "
                                    << "123" << noName << "userBox"
                                    << "";
        QTest::newRow("no password") << admin << "" << noPassword << "passwordBox"
                                     << "";
        QTest::newRow("blank password") << admin << "   " << noPassword << "passwordBox"
                                        << "";
    }

    void loginButtonChecksNameAndPassword()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, operatorName);
        addUser(QStringLiteral("clerk"), QStringLiteral("abc"));
        addUser(QStringLiteral("twin"), QStringLiteral("777"));
        addUser(QStringLiteral("twin"), QStringLiteral("777"));
        showLogin();
        const LoginParts *ui = LoginWindow();
        ui->userBox->setEditText(name);
        ui->passwordBox->setText(password); // as pasted: blanks and quotes get in
        ui->loginButton->click();
        QVERIFY2(focused(widgetNamed(focus)), qPrintable(focus));

        if (message.isEmpty()) {
            QVERIFY(m_fixture.Messages().isEmpty());
            QVERIFY(!loginfm->isVisible());
            QVERIFY(MainForm->isVisible());
            QCOMPARE(MainForm->StatusPanel(1)->text(), QStringLiteral("操作员：") + operatorName);
            QCOMPARE(rzRows(), 1);
            QCOMPARE(Db::Scalar(QStringLiteral("select username from rz where id=?"),
                                {MainForm->SessionId()})
                         .toString(),
                     operatorName);
            return;
        }

        QCOMPARE(m_fixture.MessageTexts(), QStringList{message});
        QCOMPARE(m_fixture.Messages()[0].kind, message == QStringLiteral("密码不正确！请重新输入！")
                                                   ? Msg::Kind::Info
                                                   : Msg::Kind::Warning);
        if (message == QStringLiteral("密码不正确！请重新输入！"))
            QVERIFY(ui->passwordBox->text().isEmpty());
        QVERIFY(loginfm->isVisible());
        QCOMPARE(MainForm->SessionId(), 0);
        QCOMPARE(rzRows(), 0);

        // The operator may try again as often as needed.
        ui->userBox->setEditText(Tdmfm::AdminName());
        ui->passwordBox->setText(QStringLiteral("123"));
        ui->loginButton->click();
        QVERIFY(!loginfm->isVisible());
        QVERIFY(MainForm->SessionId() != 0);
        QCOMPARE(rzRows(), 1);
    }

    // The list of names opens with rows tall enough for its font, in every look.
    void nameListRowsFitTheirText()
    {
        addUser(QStringLiteral("张三"), QStringLiteral("1"));
        showLogin();
        QComboBox *box = LoginWindow()->userBox;
        for (int skin = -1; skin < Skins::Count(); ++skin) {
            MainForm->ApplySkin(skin);
            box->showPopup();
            QAbstractItemView *list = box->view();
            QVERIFY(QTest::qWaitForWindowExposed(list->window()));
            for (int row = 0; row < box->count(); ++row) {
                const QRect rect = list->visualRect(list->model()->index(row, 0));
                QVERIFY2(rect.height() >= list->fontMetrics().height() + 4,
                         qPrintable(Skins::Name(skin) + QStringLiteral(": ") +
                                    QString::number(rect.height())));
            }
            box->hidePopup();
        }
        MainForm->ApplySkin(-1);
    }

    void keyboardLeadsFromNameToLogin()
    {
        addUser(QStringLiteral("alice"), QStringLiteral("a1"));
        addUser(QStringLiteral("alice"), QStringLiteral("a2"));
        showLogin();
        const LoginParts *ui = LoginWindow();
        QStringList names;
        for (int i = 0; i < ui->userBox->count(); ++i)
            names << ui->userBox->itemText(i);
        QCOMPARE(names, (QStringList{QStringLiteral("alice"), Tdmfm::AdminName()}));
        QCOMPARE(ui->userBox->currentIndex(), 0);
        QVERIFY(focused(ui->userBox));

        QTest::keyClick(ui->userBox->lineEdit(), Qt::Key_Return);
        QVERIFY(focused(ui->passwordBox));

        // Picking another entry of the list also moves on to the password.
        ui->userBox->setFocus();
        QTest::keyClick(ui->userBox, Qt::Key_Down);
        QCOMPARE(ui->userBox->currentText(), Tdmfm::AdminName());
        QVERIFY(focused(ui->passwordBox));

        QTest::keyClicks(ui->passwordBox, QStringLiteral("123"));
        QTest::keyClick(ui->passwordBox, Qt::Key_Return);
        QVERIFY(focused(ui->loginButton));
        QVERIFY(loginfm->isVisible());
        QCOMPARE(MainForm->SessionId(), 0);
        QVERIFY(m_fixture.Messages().isEmpty());

        QTest::keyClick(ui->loginButton, Qt::Key_Return);
        QVERIFY(!loginfm->isVisible());
        QCOMPARE(MainForm->StatusPanel(1)->text(), QStringLiteral("操作员：超级管理员"));
    }

    void passwordBoxTakesOnlyLettersAndDigits()
    {
        showLogin();
        QLineEdit *box = LoginWindow()->passwordBox;
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("a1 !B-2_z."));
        // Characters outside ASCII, as a keyboard layout or an input method delivers them.
        for (const QString &text : {QStringLiteral("\u00e9"), QStringLiteral("中")}) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QCoreApplication::sendEvent(box, &key);
        }
        QCOMPARE(box->text(), QStringLiteral("a1B2z"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("a1B2"));
        QTest::keyClicks(box, QStringLiteral("0123456789"));
        QCOMPARE(box->text(), QStringLiteral("a1B2012345"));
        QCOMPARE(box->displayText(), QString(10, u'*'));

        // Tab still leaves the box, so the window can be worked from the keyboard alone.
        QTest::keyClick(box, Qt::Key_Tab);
        QVERIFY(!focused(box));
        QCOMPARE(box->text(), QStringLiteral("a1B2012345"));
    }

    void closingWithoutLoginEndsTheProgram()
    {
        showLogin();
        LoginWindow()->passwordBox->setText(QStringLiteral("999"));
        LoginWindow()->loginButton->click(); // a failed try first
        loginfm->close();                    // the title bar's close button
        QVERIFY(!loginfm->isVisible());
        QVERIFY(!MainForm->isVisible());
        QCOMPARE(MainForm->SessionId(), 0);
        QCOMPARE(rzRows(), 0);
        QTest::qWait(50);
        QVERIFY(!loginfm->isVisible());
    }

    void escapeDoesNotLeaveTheLogin()
    {
        showLogin();
        for (QWidget *w : {static_cast<QWidget *>(LoginWindow()->userBox),
                           static_cast<QWidget *>(LoginWindow()->passwordBox)}) {
            w->setFocus();
            QTest::keyClick(w->focusProxy() ? w->focusProxy() : w, Qt::Key_Escape);
            QVERIFY(loginfm->isVisible());
            QVERIFY(MainForm->isVisible());
        }
        QCOMPARE(MainForm->SessionId(), 0);
    }

    void failedSessionStartLeavesNoSessionBehind()
    {
        addUser(QStringLiteral("张三"), QStringLiteral("abc"));
        // The log refuses the row, as a database locked by another program would.
        Db::Run(QStringLiteral("create trigger locked before insert on rz begin "
                               "select raise(abort, 'database is locked'); end"));
        showLogin();
        LoginWindow()->userBox->setEditText(QStringLiteral("张三"));
        LoginWindow()->passwordBox->setText(QStringLiteral("abc"));
        QTest::keyClick(LoginWindow()->loginButton, Qt::Key_Return);
        QCOMPARE(m_fixture.MessageTexts().size(), 1);
        QVERIFY(m_fixture.MessageTexts()[0].startsWith(QStringLiteral("database is locked")));
        QCOMPARE(MainForm->SessionId(), 0);
        QCOMPARE(TMainForm::OperatorName(), QString());
        QCOMPARE(MainForm->StatusPanel(1)->text(), QStringLiteral("操作员："));
        QVERIFY(!Main()->productsButton->isHidden());
        QCOMPARE(rzRows(), 0);

        // The login comes back; picking the administrator and closing the window starts
        // nothing: only a successful check of this try counts.
        QVERIFY(QTest::qWaitFor([] { return loginfm->isVisible(); }));
        LoginWindow()->userBox->setEditText(Tdmfm::AdminName());
        LoginWindow()->passwordBox->clear();
        loginfm->close();
        QVERIFY(!MainForm->isVisible());
        QCOMPARE(MainForm->SessionId(), 0);
        QCOMPARE(TMainForm::OperatorName(), QString());
        QCOMPARE(rzRows(), 0);
    }

    void sessionIsTheRowThisLoginInserted()
    {
        Db::Run(QStringLiteral("insert into rz (id, username, btime) values (5000, 'old', "
                               "'2013-09-03 08:00:00')"));
        // Another till logging in at the same moment adds a row right after ours.
        Db::Run(
            QStringLiteral("create trigger other_till after insert on rz "
                           "when new.username <> 'till2' begin "
                           "insert into rz (username, btime) values ('till2', new.btime); end"));
        QVERIFY(m_fixture.Login());
        const qint64 session = MainForm->SessionId();
        QCOMPARE(
            Db::Scalar(QStringLiteral("select id from rz where username=?"), {Tdmfm::AdminName()})
                .toLongLong(),
            session);
        QVERIFY(session > 5000);
        QCOMPARE(rzRows(), 3);
        const QString btime =
            Db::Scalar(QStringLiteral("select btime from rz where id=?"), {session}).toString();
        QVERIFY2(btime.startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd "))) &&
                     btime.size() == 19,
                 qPrintable(btime));
        QVERIFY(Db::Scalar(QStringLiteral("select jtime from rz where id=?"), {session}).isNull());

        MainForm->close();
        QVERIFY(!Db::Scalar(QStringLiteral("select jtime from rz where id=?"), {session})
                     .toString()
                     .isEmpty());
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from rz where jtime is not null")).toInt(),
            1);
    }

    void loginIsAskedForOncePerRun()
    {
        QVERIFY(m_fixture.Login());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        MainForm->hide(); // as while the backup window is open
        MainForm->show();
        QTest::qWait(50);
        QVERIFY(!loginfm->isVisible());
        QCOMPARE(rzRows(), 1);
    }

    void onlyTheAdministratorKeepsAdministrativeCommands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("administrator");
        QTest::newRow("administrator") << Tdmfm::AdminName() << true;
        QTest::newRow("cashier") << "收银员" << false;
        QTest::newRow("administrator's name with a blank") << Tdmfm::AdminName() + u' ' << false;
    }

    void onlyTheAdministratorKeepsAdministrativeCommands()
    {
        QFETCH(QString, name);
        QFETCH(bool, administrator);
        if (!administrator)
            addUser(name, QStringLiteral("456"));
        QVERIFY(
            m_fixture.Login(name, administrator ? QStringLiteral("123") : QStringLiteral("456")));
        const MainParts *ui = Main();
        QCOMPARE(ui->productsButton->isHidden(), !administrator);
        QCOMPARE(ui->changePasswordAction->isVisible(), administrator);
        QCOMPARE(ui->userAdminAction->isVisible(), administrator);
    }

    void desktopShortcut_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("written") << false;
        QTest::newRow("desktop folder unusable") << true;
    }

    void desktopShortcut()
    {
        QFETCH(bool, blocked);
        QTemporaryDir home;
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restore = qScopeGuard([&] { qputenv("HOME", savedHome); });
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QVERIFY(desktop.startsWith(home.path() + u'/'));
        if (blocked) {
            // A plain file where the folder should be: nothing can be written under it.
            QFile file(desktop);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QVERIFY(m_fixture.Login());
        QVERIFY(m_fixture.Messages().isEmpty());
        QFile entry(Tloginfm::ShortcutPath());
        QCOMPARE(QFileInfo(entry).path(), desktop);
        QCOMPARE(entry.exists(), !blocked);
        if (blocked)
            return;
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(text.contains(QStringLiteral("\nName=ZentrikPOS收银软件\n")));
        QVERIFY(text.contains(QStringLiteral("\nExec=\"") +
                              QCoreApplication::applicationFilePath() + QStringLiteral("\"\n")));
        QVERIFY(text.contains(QStringLiteral("\nPath=") + QCoreApplication::applicationDirPath() +
                              u'\n'));
        QVERIFY(entry.permissions() & QFileDevice::ExeOwner);
    }
};

ZENTRIK_TEST_MAIN(TestLogin)
#include "tst_login.moc"
