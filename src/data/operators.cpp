#include "data/operators.h"

#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"

#include <QSqlQuery>

namespace Operators {
namespace {

QString selectUserMessage()
{
    return QStringLiteral("请选择用户名！");
}

bool userExists(const QString &name)
{
    return Db::Scalar(QStringLiteral("select count(*) from userdb where username=?"), {name})
               .toInt() > 0;
}

} // namespace

QStringList UserNames()
{
    QStringList names;
    QSqlQuery query = Db::Run(QStringLiteral("select username from userdb"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

bool IsAdminPassword(const QString &password)
{
    return Db::Scalar(QStringLiteral("select count(*) from userdb where passwd=? and username=?"),
                      {TrimControl(password), Tdmfm::AdminName()})
               .toInt() == 1;
}

QString ResetHint()
{
    return QStringLiteral("初始化口令用于忘记密码的用户，将口令更改为:") + Tdmfm::DefaultPassword();
}

Outcome ResetPassword(const QString &name)
{
    const QString user = TrimControl(name);
    if (user.isEmpty())
        return {false, selectUserMessage()};
    Db::Run(QStringLiteral("update userdb set passwd=? where username=?"),
            {Tdmfm::DefaultPassword(), user});
    return {true, QStringLiteral("已经成功将密码初始化为：") + Tdmfm::DefaultPassword()};
}

Outcome AddUser(const QString &name)
{
    const QString user = TrimControl(name);
    if (user == Tdmfm::AdminName())
        return {false, QStringLiteral("超级管理员只能有一个，不能增加")};
    if (user.isEmpty())
        return {false, selectUserMessage()};
    // A second row of one name would make that name unable to log in.
    Db::Transaction transaction;
    if (userExists(user))
        return {false, QStringLiteral("用户名已经存在！")};
    Db::InsertRow(QStringLiteral("userdb"), {{QStringLiteral("username"), user},
                                             {QStringLiteral("passwd"), Tdmfm::DefaultPassword()}});
    transaction.Commit();
    return {true, QStringLiteral("成功添加新用户！缺省口令是：") + Tdmfm::DefaultPassword() +
                      QStringLiteral(",请此用户下次登录时及时修改口令！")};
}

bool RefreshesListAfterAdd(const QString &name)
{
    return TrimControl(name) != Tdmfm::AdminName();
}

QString DeleteRefusal(const QString &name)
{
    const QString user = TrimControl(name);
    if (user == Tdmfm::AdminName())
        return QStringLiteral("超级管理员不能删除！");
    if (user.isEmpty())
        return QStringLiteral("请选择用户");
    return QString();
}

QString DeleteQuestion(const QString &name)
{
    return QStringLiteral("你真的要删除用户：") + TrimControl(name) + QStringLiteral("吗?");
}

Outcome DeleteUser(const QString &name)
{
    const QString refusal = DeleteRefusal(name);
    if (!refusal.isEmpty())
        return {false, refusal};
    Db::Run(QStringLiteral("delete from userdb where username=?"), {TrimControl(name)});
    return {true, QStringLiteral("成功删除！")};
}

ChangeOutcome ChangePassword(const QString &name, const QString &oldPassword,
                             const QString &newPassword, const QString &repetition)
{
    const QString oldText = TrimControl(oldPassword);
    const QString newText = TrimControl(newPassword);
    if (TrimControl(name).isEmpty())
        return {ChangeRefusal::NoOperator, QStringLiteral("请选择操作员！")};
    if (oldText.isEmpty())
        return {ChangeRefusal::NoOldPassword, QStringLiteral("必须输入旧口令！")};
    if (newText.isEmpty())
        return {ChangeRefusal::NoNewPassword, QStringLiteral("新口令长度不能为空！")};
    if (newText != TrimControl(repetition))
        return {ChangeRefusal::Mismatch, QStringLiteral("两次输入的密码不一致！请重新输入！")};
    Db::Transaction transaction;
    if (Db::Scalar(QStringLiteral("select count(*) from userdb where username=? and passwd=?"),
                   {name, oldText})
            .toInt() == 0)
        return {ChangeRefusal::WrongOld, QStringLiteral("旧口令不正确！")};
    Db::Run(QStringLiteral("update userdb set passwd=? where username=?"), {newText, name});
    transaction.Commit();
    return {ChangeRefusal::None, QStringLiteral("你已经成功修改了密码！下次运行程序时生效！")};
}

} // namespace Operators
