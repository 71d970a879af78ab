// The rules of the operators table: the administrator check, adding, resetting, deleting
// and changing passwords, without any window.

#include "data/db.h"
#include "data/dm.h"
#include "data/operators.h"
#include "fixture.h"
#include "userdb.h"

class TestOperators : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    static int rows() { return Db::Scalar(QStringLiteral("select count(*) from userdb")).toInt(); }
    static QString passwordOf(const QString &name)
    {
        return Db::Scalar(QStringLiteral("select passwd from userdb where username=?"), {name})
            .toString();
    }

private slots:
    void init()
    {
        m_fixture.Start();
        UserDb::AddRow(QStringLiteral("clerk"), QStringLiteral("abc"));
        UserDb::AddRow(QStringLiteral("O'Neil"), QStringLiteral("q1"));
    }
    void cleanup() { m_fixture.Stop(); }

    void adminPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("right") << "123" << true;
        QTest::newRow("trimmed") << " 123\t" << true;
        QTest::newRow("wrong") << "1234" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("another user's password") << "abc" << false;
        QTest::newRow("quote") << "' or '1'='1" << false;
    }
    void adminPassword()
    {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        QCOMPARE(Operators::IsAdminPassword(password), accepted);
    }

    void addUser_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // the row the name must have afterwards
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("refresh");
        const QString added =
            QStringLiteral("成功添加新用户！缺省口令是：123,请此用户下次登录时及时修改口令！");
        QTest::newRow("new name") << "  张三 "
                                  << "张三" << true << added << true;
        QTest::newRow("apostrophe") << "D'Arcy"
                                    << "D'Arcy" << true << added << true;
        QTest::newRow("existing name") << "clerk"
                                       << "clerk" << false << "用户名已经存在！" << true;
        QTest::newRow("existing name in other case")
            << "CLERK"
            << "clerk" << false << "用户名已经存在！" << true;
        QTest::newRow("existing apostrophe name")
            << "O'Neil"
            << "O'Neil" << false << "用户名已经存在！" << true;
        QTest::newRow("administrator with blanks")
            << " 超级管理员  "
            << "超级管理员" << false << "超级管理员只能有一个，不能增加" << false;
        QTest::newRow("blank") << "   "
                               << "" << false << "请选择用户名！" << true;
    }
    void addUser()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, done);
        QFETCH(QString, message);
        QFETCH(bool, refresh);
        const int before = rows();
        const Operators::Outcome outcome = Operators::AddUser(typed);
        QCOMPARE(outcome.message, message);
        QCOMPARE(outcome.done, done);
        QCOMPARE(Operators::RefreshesListAfterAdd(typed), refresh);
        QCOMPARE(rows(), before + (done ? 1 : 0));
        if (!stored.isEmpty()) {
            QCOMPARE(UserDb::RowsOf(stored), 1);
            QVERIFY(Operators::UserNames().contains(stored));
        }
        if (done)
            QCOMPARE(passwordOf(stored), Tdmfm::DefaultPassword());
    }

    void resetPassword()
    {
        Operators::Outcome outcome = Operators::ResetPassword(QStringLiteral(" O'Neil "));
        QVERIFY(outcome.done);
        QCOMPARE(outcome.message, QStringLiteral("已经成功将密码初始化为：123"));
        QCOMPARE(passwordOf(QStringLiteral("O'Neil")), QStringLiteral("123"));
        QCOMPARE(passwordOf(QStringLiteral("clerk")), QStringLiteral("abc"));

        outcome = Operators::ResetPassword(QStringLiteral("  "));
        QVERIFY(!outcome.done);
        QCOMPARE(outcome.message, QStringLiteral("请选择用户名！"));
        QCOMPARE(Operators::ResetHint(),
                 QStringLiteral("初始化口令用于忘记密码的用户，将口令更改为:123"));
    }

    void deleteUser_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("user") << "clerk"
                              << "";
        QTest::newRow("apostrophe") << " O'Neil"
                                    << "";
        QTest::newRow("administrator") << "超级管理员 "
                                       << "超级管理员不能删除！";
        QTest::newRow("blank") << " "
                               << "请选择用户";
    }
    void deleteUser()
    {
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        QCOMPARE(Operators::DeleteRefusal(name), refusal);
        const int before = rows();
        const Operators::Outcome outcome = Operators::DeleteUser(name);
        QCOMPARE(outcome.done, refusal.isEmpty());
        QCOMPARE(outcome.message, refusal.isEmpty() ? QStringLiteral("成功删除！") : refusal);
        QCOMPARE(rows(), before - (refusal.isEmpty() ? 1 : 0));
        QCOMPARE(UserDb::RowsOf(Tdmfm::AdminName()), 1);
        if (refusal.isEmpty())
            QCOMPARE(UserDb::RowsOf(name.trimmed()), 0);
    }

    void changePassword_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("oldPassword");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("repetition");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("message");
        using R = Operators::ChangeRefusal;
        QTest::newRow("success") << "clerk"
                                 << "abc"
                                 << "x9"
                                 << "x9" << int(R::None)
                                 << "你已经成功修改了密码！下次运行程序时生效！";
        QTest::newRow("old password in other case, blanks trimmed")
            << "clerk"
            << " ABC "
            << "x9"
            << "x9 " << int(R::None) << "你已经成功修改了密码！下次运行程序时生效！";
        QTest::newRow("apostrophe name")
            << "O'Neil"
            << "q1"
            << "x9"
            << "x9" << int(R::None) << "你已经成功修改了密码！下次运行程序时生效！";
        QTest::newRow("no operator") << ""
                                     << "abc"
                                     << "x9"
                                     << "x9" << int(R::NoOperator) << "请选择操作员！";
        QTest::newRow("no old password") << "clerk"
                                         << " "
                                         << "x9"
                                         << "x9" << int(R::NoOldPassword) << "必须输入旧口令！";
        QTest::newRow("no new password") << "clerk"
                                         << "abc"
                                         << ""
                                         << "" << int(R::NoNewPassword) << "新口令长度不能为空！";
        QTest::newRow("mismatch") << "clerk"
                                  << "abc"
                                  << "x9"
                                  << "x8" << int(R::Mismatch)
                                  << "两次输入的密码不一致！请重新输入！";
        QTest::newRow("wrong old password") << "clerk"
                                            << "abd"
                                            << "x9"
                                            << "x9" << int(R::WrongOld) << "旧口令不正确！";
        QTest::newRow("another user's old password")
            << "clerk"
            << "123"
            << "x9"
            << "x9" << int(R::WrongOld) << "旧口令不正确！";
        QTest::newRow("unknown operator") << "nobody"
                                          << "abc"
                                          << "x9"
                                          << "x9" << int(R::WrongOld) << "旧口令不正确！";
    }
    void changePassword()
    {
        QFETCH(QString, name);
        QFETCH(QString, oldPassword);
        QFETCH(QString, newPassword);
        QFETCH(QString, repetition);
        QFETCH(int, refusal);
        QFETCH(QString, message);
        const QString before = passwordOf(name);
        const Operators::ChangeOutcome outcome =
            Operators::ChangePassword(name, oldPassword, newPassword, repetition);
        QCOMPARE(int(outcome.refusal), refusal);
        QCOMPARE(outcome.message, message);
        if (refusal == int(Operators::ChangeRefusal::None))
            QCOMPARE(passwordOf(name), QStringLiteral("x9"));
        else
            QCOMPARE(passwordOf(name), before);
        QCOMPARE(passwordOf(Tdmfm::AdminName()), QStringLiteral("123"));
    }
};

ZENTRIK_TEST_MAIN(TestOperators)
#include "tst_operators.moc"
