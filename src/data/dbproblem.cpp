#include "data/dbproblem.h"

#include <QDir>

namespace DbProblem {
namespace {

// SQLite's primary result codes.
enum : int {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoError = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADb = 26,
};

QString withDetail(const QString &text, const QString &detail)
{
    const QString trimmed = detail.trimmed();
    return trimmed.isEmpty() ? text : text + QStringLiteral("\n\n详细信息：") + trimmed;
}

} // namespace

Kind Classify(const DbError &error)
{
    if (error.Code() < 0)
        return Kind::Other;
    // Extended codes carry the primary code in their low byte (SQLITE_IOERR_NOMEM ...).
    switch (error.Code() & 0xff) {
    case Busy:
    case Locked:
        return Kind::Busy;
    case ReadOnly:
        return Kind::ReadOnly;
    case Corrupt:
        return Kind::Damaged;
    case NotADb:
        return Kind::NotADatabase;
    case Full:
        return Kind::DiskFull;
    case CantOpen:
        return Kind::CannotOpen;
    default:
        return Kind::Other;
    }
}

QString OpenMessage(Kind kind, const QString &file, const QString &detail)
{
    const QString name = QDir::toNativeSeparators(file);
    QString text;
    switch (kind) {
    case Kind::AlreadyRunning:
        return QStringLiteral("收银程序已在运行。");
    case Kind::NotADatabase:
        text = QStringLiteral("文件“%1”不是本程序的数据库，收银程序无法使用它。\n"
                              "请从备份恢复数据库文件；或把这个文件移到别处，"
                              "程序下次启动时会新建一个空的数据库。");
        break;
    case Kind::Damaged:
        text = QStringLiteral("数据库文件“%1”已损坏或不完整，程序无法使用它。\n"
                              "请从备份恢复数据库文件。");
        break;
    case Kind::NewerVersion:
        text = QStringLiteral("数据库文件“%1”由更新版本的收银程序建立，本程序无法使用它。\n"
                              "请使用新版本的收银程序，或从备份恢复数据库文件。");
        break;
    case Kind::ReadOnly:
        text = QStringLiteral("数据库文件“%1”或它所在的文件夹不能写入，销售数据无法保存。\n"
                              "请把程序放到可以写入的文件夹中再启动，"
                              "或取消文件的只读属性。");
        break;
    case Kind::Busy:
        text = QStringLiteral("数据库文件“%1”正被另一个程序使用。\n"
                              "请关闭另一个程序后重新启动收银程序。");
        break;
    case Kind::DiskFull:
        text = QStringLiteral("磁盘已满，数据库文件“%1”无法写入。\n"
                              "请腾出磁盘空间后重新启动收银程序。");
        break;
    case Kind::CannotOpen:
    case Kind::Other:
        text = QStringLiteral("无法打开数据库文件“%1”。\n"
                              "请检查文件是否存在、能否访问，或从备份恢复数据库文件。");
        break;
    }
    return withDetail(text.arg(name), detail);
}

QString ActionMessage(const DbError &error, const QString &file)
{
    const QString name = QDir::toNativeSeparators(file);
    QString text;
    switch (Classify(error)) {
    case Kind::Busy:
        text = QStringLiteral("数据库文件“%1”正被另一个程序使用，这次操作没有保存。\n"
                              "请关闭另一个程序后重试。");
        break;
    case Kind::DiskFull:
        text = QStringLiteral("磁盘已满，数据库文件“%1”无法写入，这次操作没有保存。\n"
                              "请腾出磁盘空间后重试。");
        break;
    case Kind::ReadOnly:
        text = QStringLiteral("数据库文件“%1”不能写入，这次操作没有保存。\n"
                              "请取消文件的只读属性，或把程序放到可以写入的文件夹中。");
        break;
    case Kind::Damaged:
    case Kind::NotADatabase:
        text = QStringLiteral("数据库文件“%1”已损坏，这次操作没有保存。\n"
                              "请退出程序，从备份恢复数据库文件。");
        break;
    case Kind::CannotOpen:
        text = QStringLiteral("无法访问数据库文件“%1”，这次操作没有保存。\n"
                              "请检查文件能否访问后重试。");
        break;
    case Kind::NewerVersion:
    case Kind::AlreadyRunning:
    case Kind::Other:
        return error.Message();
    }
    return withDetail(text.arg(name), error.Message());
}

} // namespace DbProblem
