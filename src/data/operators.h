#pragma once
// The rules of the operators table userdb: the administrator check, adding, deleting,
// resetting and changing passwords. Names and passwords are trimmed here as the windows
// take them; every value is a bound parameter. Each operation returns the message the
// window shows.

#include <QString>
#include <QStringList>

namespace Operators {

struct Outcome
{
    bool done = false; // true when userdb was changed
    QString message;   // what to tell the user
};

// Every user name in the table's own order, as the user list shows them.
QStringList UserNames();

// True when `password` (trimmed) is the administrator's.
bool IsAdminPassword(const QString &password);

// "初始化口令用于忘记密码的用户，将口令更改为:" and the default password.
QString ResetHint();

// Sets the default password for `name` (trimmed).
Outcome ResetPassword(const QString &name);

// Adds `name` (trimmed) with the default password. The administrator's name, an empty
// name and a name already present (in any Latin letter case, as the login compares
// names) are refused.
Outcome AddUser(const QString &name);
// Whether the user list is refilled after AddUser: not after the administrator's name.
bool RefreshesListAfterAdd(const QString &name);

// Why `name` (trimmed) cannot be deleted ("超级管理员不能删除！", "请选择用户"), or empty.
QString DeleteRefusal(const QString &name);
// The question asked before deleting `name`.
QString DeleteQuestion(const QString &name);
// Deletes every row of `name` (trimmed) unless DeleteRefusal refuses it.
Outcome DeleteUser(const QString &name);

// Sets a new password for the operator `name` (as chosen, untrimmed). The passwords are
// trimmed. Refused: no operator, an empty old or new password, a repetition that differs
// from the new password, an old password that is not the stored one.
enum class ChangeRefusal { None, NoOperator, NoOldPassword, NoNewPassword, Mismatch, WrongOld };
struct ChangeOutcome
{
    ChangeRefusal refusal = ChangeRefusal::None;
    QString message;
};
ChangeOutcome ChangePassword(const QString &name, const QString &oldPassword,
                             const QString &newPassword, const QString &repetition);

} // namespace Operators
