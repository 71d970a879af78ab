// The user administration and password change windows driven as a user drives them, and
// their commands in the main window's settings menu.

#include "data/db.h"
#include "data/dm.h"
#include "fixture.h"
#include "operators/changepass.h"
#include "operators/usergl.h"
#include "shell/MAIN.h"
#include "userdb.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

class TestOperatorWindows : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    static QAction *action(const char *name)
    {
        return MainForm->findChild<QAction *>(QLatin1String(name));
    }
    static QStringList texts(std::initializer_list<const char *> list)
    {
        QStringList result;
        for (const char *text : list)
            result << QString::fromUtf8(text);
        return result;
    }
    // Every text box and pick list carries its caption label as its buddy.
    static void verifyCaptions(QWidget *window)
    {
        QList<QWidget *> fields;
        for (QLineEdit *edit : window->findChildren<QLineEdit *>())
            if (!qobject_cast<QComboBox *>(edit->parentWidget()))
                fields << edit;
        for (QComboBox *combo : window->findChildren<QComboBox *>())
            fields << combo;
        QVERIFY(!fields.isEmpty());
        for (QWidget *field : fields) {
            bool captioned = false;
            for (const QLabel *label : window->findChildren<QLabel *>())
                captioned = captioned || label->buddy() == field;
            QVERIFY2(captioned, qPrintable(field->objectName()));
        }
    }
    static bool focused(QWidget *w) { return w->window()->focusWidget() == w; }
    // The listed names, sorted: the list shows them in the engine's order.
    static QStringList listed(QListWidget *list)
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        names.sort();
        return names;
    }

    // Opens user administration from the menu and unlocks it with the administrator's
    // password typed and confirmed with Enter twice.
    Tuserglfm *openUnlockedAdmin()
    {
        action("userAdminAction")->trigger();
        auto *window = MainForm->findChild<Tuserglfm *>();
        if (!window)
            return nullptr;
        auto *box = FindWidget<QLineEdit>(window, "adminPasswordBox");
        QTest::keyClicks(box, QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(FindWidget<QPushButton>(window, "loginButton"), Qt::Key_Return);
        m_fixture.ClearMessages();
        return window;
    }

    static void choose(Tuserglfm *window, const QString &name)
    {
        auto *list = FindWidget<QListWidget>(window, "userList");
        const QList<QListWidgetItem *> items = list->findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        list->setCurrentItem(items.first());
    }

private slots:
    void init()
    {
        m_fixture.Start();
        UserDb::AddRow(QStringLiteral("clerk"), QStringLiteral("abc"));
    }
    void cleanup() { m_fixture.Stop(); }

    void settingsMenuCommands()
    {
        QVERIFY(m_fixture.Login());
        for (const char *name : {"userAdminAction", "changePasswordAction"}) {
            QVERIFY(action(name)->isVisible());
            QVERIFY(action(name)->isEnabled());
        }
        action("userAdminAction")->trigger();
        action("userAdminAction")->trigger();
        QCOMPARE(MainForm->findChildren<Tuserglfm *>().size(), 1);
        QPointer<Tuserglfm> admin = MainForm->findChild<Tuserglfm *>();
        QVERIFY(admin->isVisible());
        QVERIFY(!admin->isModal());
        action("changePasswordAction")->trigger();
        QPointer<Tchangepassfm> change = MainForm->findChild<Tchangepassfm *>();
        QVERIFY(change && change->isVisible());
        verifyCaptions(admin);
        verifyCaptions(change);
        QVERIFY(MainForm->isVisible());

        FindWidget<QPushButton>(admin, "exitButton")->click();
        QTest::keyClick(change, Qt::Key_Escape); // closes and destroys as well
        QTRY_VERIFY(admin.isNull() && change.isNull());

        // Opened again, user administration starts locked.
        action("userAdminAction")->trigger();
        auto *again = MainForm->findChild<Tuserglfm *>();
        QVERIFY(!again->Unlocked());
        QVERIFY(!FindWidget<QListWidget>(again, "userList")->isEnabled());

        m_fixture.Restart();
        QVERIFY(m_fixture.Login(QStringLiteral("clerk"), QStringLiteral("abc")));
        QVERIFY(!action("userAdminAction")->isVisible());
        QVERIFY(!action("changePasswordAction")->isVisible());
    }

    void administratorCheckAndReset()
    {
        QVERIFY(m_fixture.Login());
        action("userAdminAction")->trigger();
        auto *window = MainForm->findChild<Tuserglfm *>();
        auto *box = FindWidget<QLineEdit>(window, "adminPasswordBox");
        auto *list = FindWidget<QListWidget>(window, "userList");
        auto *pages = FindWidget<QTabWidget>(window, "pages");
        QVERIFY(focused(box));
        QCOMPARE(listed(list), (QStringList{QStringLiteral("clerk"), Tdmfm::AdminName()}));

        for (const QString &wrong : {QString(), QStringLiteral("abc")}) {
            box->setText(wrong);
            FindWidget<QPushButton>(window, "loginButton")->click();
        }
        QCOMPARE(m_fixture.MessageTexts(), texts({"密码不对！", "密码不对！"}));
        QVERIFY(!list->isEnabled() && !pages->isEnabled());

        m_fixture.ClearMessages();
        box->clear();
        QTest::keyClicks(box, QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(focused(FindWidget<QPushButton>(window, "loginButton")));
        QTest::keyClick(FindWidget<QPushButton>(window, "loginButton"), Qt::Key_Return);
        QCOMPARE(m_fixture.MessageTexts(), texts({"超级管理员登录成功！"}));
        QVERIFY(list->isEnabled() && pages->isEnabled());
        QVERIFY(box->text().isEmpty());

        m_fixture.ClearMessages();
        FindWidget<QPushButton>(window, "resetButton")->click(); // nobody chosen yet
        choose(window, QStringLiteral("clerk"));
        QCOMPARE(FindWidget<QLineEdit>(window, "resetNameBox")->text(), QStringLiteral("clerk"));
        QCOMPARE(FindWidget<QLineEdit>(window, "deleteNameBox")->text(), QStringLiteral("clerk"));
        FindWidget<QPushButton>(window, "resetButton")->click();
        FindWidget<QPushButton>(window, "hintButton")->click();
        QCOMPARE(m_fixture.MessageTexts(),
                 texts({"请选择用户名！", "已经成功将密码初始化为：123",
                        "初始化口令用于忘记密码的用户，将口令更改为:123"}));

        // The reset password opens the next session.
        m_fixture.Restart();
        QVERIFY(m_fixture.Login(QStringLiteral("clerk"), QStringLiteral("123")));
    }

    void addUser()
    {
        QVERIFY(m_fixture.Login());
        Tuserglfm *window = openUnlockedAdmin();
        QVERIFY(window);
        auto *name = FindWidget<QLineEdit>(window, "newNameBox");
        auto *list = FindWidget<QListWidget>(window, "userList");

        QTest::keyClicks(name, QStringLiteral(" O'Neil "));
        QTest::keyClick(name, Qt::Key_Return);              // Enter in the box adds, once
        QCOMPARE(name->text(), QStringLiteral(" O'Neil ")); // the box keeps the name
        FindWidget<QPushButton>(window, "addButton")->click();
        // A row added behind the window's back shows only when the list is refilled,
        // which the refused administrator's name does not do.
        UserDb::AddRow(QStringLiteral("later"), QStringLiteral("1"));
        name->setText(QStringLiteral("  超级管理员 "));
        FindWidget<QPushButton>(window, "addButton")->click();
        QCOMPARE(m_fixture.MessageTexts(),
                 texts({"成功添加新用户！缺省口令是：123,请此用户下次登录时及时修改口令！",
                        "用户名已经存在！", "超级管理员只能有一个，不能增加"}));
        QCOMPARE(listed(list), (QStringList{QStringLiteral("O'Neil"), QStringLiteral("clerk"),
                                            Tdmfm::AdminName()}));
        QCOMPARE(UserDb::RowsOf(QStringLiteral("O'Neil")), 1);
        QCOMPARE(UserDb::RowsOf(Tdmfm::AdminName()), 1);

        // The new user logs in with the default password.
        m_fixture.Restart();
        QVERIFY(m_fixture.Login(QStringLiteral("O'Neil"), QStringLiteral("123")));
    }

    void deleteUser_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteUser()
    {
        QFETCH(bool, answer);
        QVERIFY(m_fixture.Login());
        Tuserglfm *window = openUnlockedAdmin();
        auto *list = FindWidget<QListWidget>(window, "userList");
        auto *chosen = FindWidget<QLineEdit>(window, "deleteNameBox");
        FindWidget<QPushButton>(window, "deleteButton")->click();
        choose(window, Tdmfm::AdminName());
        FindWidget<QPushButton>(window, "deleteButton")->click();
        QCOMPARE(m_fixture.MessageTexts(), texts({"请选择用户", "超级管理员不能删除！"}));

        m_fixture.ClearMessages();
        UserDb::AddRow(QStringLiteral("later"), QStringLiteral("1")); // shows after the question
        choose(window, QStringLiteral("clerk"));
        m_fixture.AnswerNext(answer);
        FindWidget<QPushButton>(window, "deleteButton")->click();
        QCOMPARE(m_fixture.Messages().first().kind, Msg::Kind::Confirm);
        QStringList expected = texts({"你真的要删除用户：clerk吗?"});
        if (answer)
            expected << QStringLiteral("成功删除！");
        QCOMPARE(m_fixture.MessageTexts(), expected);
        QCOMPARE(UserDb::RowsOf(QStringLiteral("clerk")), answer ? 0 : 1);
        QCOMPARE(listed(list).contains(QStringLiteral("clerk")), !answer);
        QVERIFY(listed(list).contains(QStringLiteral("later")));
        QCOMPARE(chosen->text(), answer ? QString() : QStringLiteral("clerk"));
    }

    void passwordBoxesFilterCharacters()
    {
        QVERIFY(m_fixture.Login());
        action("changePasswordAction")->trigger();
        auto *box = FindWidget<QLineEdit>(MainForm->findChild<Tchangepassfm *>(), "newPasswordBox");
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QTest::keyClicks(box, QStringLiteral("a b-c"));
        QKeyEvent hanzi(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("的"));
        QApplication::sendEvent(box, &hanzi);
        QTest::keyClicks(box, QStringLiteral("1"));
        QCOMPARE(box->text(), QStringLiteral("abc1"));
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("bc1"));
        box->insert(QStringLiteral(" 'x'y z0123456789")); // a paste: filtered, cut to the room left
        QCOMPARE(box->text(), QStringLiteral("xyz0123bc1"));
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, QStringLiteral("q")); // a full box refuses the key
        QCOMPARE(box->text(), QStringLiteral("xyz0123bc1"));
    }

    void changePassword()
    {
        UserDb::AddRow(QStringLiteral("clerk"), QStringLiteral("abc")); // a duplicate: listed once
        QVERIFY(m_fixture.Login());
        action("changePasswordAction")->trigger();
        QPointer<Tchangepassfm> window = MainForm->findChild<Tchangepassfm *>();
        auto *who = FindWidget<QComboBox>(window, "operatorBox");
        auto *oldBox = FindWidget<QLineEdit>(window, "oldPasswordBox");
        auto *newBox = FindWidget<QLineEdit>(window, "newPasswordBox");
        auto *repeat = FindWidget<QLineEdit>(window, "repeatPasswordBox");
        auto *change = FindWidget<QPushButton>(window, "changeButton");
        auto *closeWhenDone = FindWidget<QCheckBox>(window, "closeWhenDoneBox");
        QCOMPARE(who->count(), 2);
        QCOMPARE(who->itemText(0), QStringLiteral("clerk"));
        QCOMPARE(who->currentIndex(), -1);
        QVERIFY(closeWhenDone->isChecked());
        QVERIFY(focused(who));

        // Nothing chosen: refused before anything else.
        change->click();
        QCOMPARE(m_fixture.Messages().first().kind, Msg::Kind::Warning);
        QCOMPARE(m_fixture.MessageTexts(), texts({"请选择操作员！"}));

        m_fixture.ClearMessages();
        who->setCurrentIndex(0);
        emit who->activated(0);
        QVERIFY(focused(oldBox));
        QTest::keyClicks(oldBox, QStringLiteral("abc"));
        QTest::keyClick(oldBox, Qt::Key_Return);
        QVERIFY(focused(newBox));
        QTest::keyClicks(newBox, QStringLiteral("n3w"));
        QTest::keyClick(newBox, Qt::Key_Return);
        QVERIFY(focused(repeat));
        QTest::keyClicks(repeat, QStringLiteral("n3x"));
        QTest::keyClick(repeat, Qt::Key_Return);
        QVERIFY(focused(change));
        QTest::keyClick(change, Qt::Key_Return);
        QCOMPARE(m_fixture.MessageTexts(), texts({"两次输入的密码不一致！请重新输入！"}));
        QVERIFY(repeat->text().isEmpty());
        QVERIFY(focused(repeat));

        m_fixture.ClearMessages();
        oldBox->setText(QStringLiteral("abd"));
        repeat->setText(QStringLiteral("n3w"));
        change->click();
        QCOMPARE(m_fixture.MessageTexts(), texts({"旧口令不正确！"}));
        QVERIFY(focused(oldBox));
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from userdb where passwd='abc'")).toInt(),
            2);

        m_fixture.ClearMessages();
        closeWhenDone->setChecked(false);
        oldBox->setText(QStringLiteral("ABC")); // compared like the login compares
        change->click();
        QCOMPARE(m_fixture.MessageTexts(), texts({"你已经成功修改了密码！下次运行程序时生效！"}));
        QVERIFY(window && window->isVisible());
        QVERIFY(oldBox->text().isEmpty() && newBox->text().isEmpty() && repeat->text().isEmpty());
        QCOMPARE(
            Db::Scalar(QStringLiteral("select count(*) from userdb where passwd='n3w'")).toInt(),
            2);

        closeWhenDone->setChecked(true);
        oldBox->setText(QStringLiteral("n3w"));
        newBox->setText(QStringLiteral("Final1"));
        repeat->setText(QStringLiteral("Final1"));
        change->click();
        QTRY_VERIFY(window.isNull());

        // Two rows of one name cannot log in; with one left, the new password works.
        Db::Run(QStringLiteral("delete from userdb where rowid = (select max(rowid) from userdb)"));
        m_fixture.Restart();
        QVERIFY(m_fixture.Login(QStringLiteral("clerk"), QStringLiteral("Final1")));
    }
};

ZENTRIK_TEST_MAIN(TestOperatorWindows)
#include "tst_operatorwindows.moc"
