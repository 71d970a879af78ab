#include "data/dm.h"

#include "data/dataset.h"
#include "data/db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

Tdmfm *dmfm = nullptr;

namespace {

// Runs every statement of a script; statements end with a semicolon at a line's end.
void runScript(const QString &script)
{
    QString statement;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed().startsWith(QStringLiteral("--")))
            continue;
        statement += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            Db::Run(statement.trimmed());
            statement.clear();
        }
    }
}

int userVersion()
{
    return Db::Scalar(QStringLiteral("PRAGMA user_version")).toInt();
}

void setUserVersion(int version)
{
    // PRAGMA takes no bound parameters; the version is the program's own integer.
    Db::Run(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

} // namespace

Tdmfm::Tdmfm(const QString &path, QObject *parent)
    : QObject(parent), m_path(QFileInfo(path).absoluteFilePath())
{
    const QString cart = QStringLiteral("select * from data");
    ADOQuery15 = new Dataset(QStringLiteral("ADOQuery15"), QStringLiteral("data"), cart, this);
    ADOTable5 = new Dataset(QStringLiteral("ADOTable5"), QStringLiteral("data"), cart, this);
    ADOQuery6 = new Dataset(QStringLiteral("ADOQuery6"), QString(), QString(), this);
    ADOQuery7 = new Dataset(QStringLiteral("ADOQuery7"), QStringLiteral("data"), cart, this);
    ADOQuery2 = new Dataset(QStringLiteral("ADOQuery2"), QStringLiteral("sp"),
                            QStringLiteral("select * from sp"), this);
    ADOQuery8 = new Dataset(QStringLiteral("ADOQuery8"), QStringLiteral("data"), cart, this);
    ADOTable6 = new Dataset(QStringLiteral("ADOTable6"), QStringLiteral("data3"),
                            QStringLiteral("select * from data3"), this);
    ADOTable2 = new Dataset(QStringLiteral("ADOTable2"), QStringLiteral("data1"),
                            QStringLiteral("select * from data1"), this);
    ADOQuery13 = new Dataset(QStringLiteral("ADOQuery13"), QStringLiteral("data1"),
                             QStringLiteral("select * from data1"), this);
    ADOQuery9 = new Dataset(QStringLiteral("ADOQuery9"), QStringLiteral("data3"),
                            QStringLiteral("select * from data3"), this);
    ADOQuery1 = new Dataset(QStringLiteral("ADOQuery1"), QString(),
                            QStringLiteral("select * from data1"), this);
    ADOQuery5 = new Dataset(
        QStringLiteral("ADOQuery5"), QString(),
        QStringLiteral("select 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 from sp group "
                       "by 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 order by 商品编码"),
        this);
    ADOQuery12 = new Dataset(QStringLiteral("ADOQuery12"), QStringLiteral("sp"), QString(), this);
    ADOQuery4 = new Dataset(QStringLiteral("ADOQuery4"), QString(), QString(), this);
    ADOTable4 = new Dataset(QStringLiteral("ADOTable4"), QStringLiteral("sp"),
                            QStringLiteral("select * from sp"), this);

    OpenConnection();
}

Tdmfm::~Tdmfm()
{
    CloseConnection();
    QSqlDatabase::removeDatabase(Db::ConnectionName());
}

QString Tdmfm::DefaultPath()
{
    return QDir::current().filePath(QStringLiteral("data.db"));
}

QString Tdmfm::AdminName()
{
    return QStringLiteral("超级管理员");
}

QString Tdmfm::DefaultPassword()
{
    return QStringLiteral("123");
}

int Tdmfm::SchemaVersion()
{
    return 1;
}

bool Tdmfm::IsConnected() const
{
    return Db::Connection().isOpen();
}

void Tdmfm::OpenConnection()
{
    if (IsConnected())
        return;
    QSqlDatabase db =
        QSqlDatabase::contains(Db::ConnectionName())
            ? QSqlDatabase::database(Db::ConnectionName(), false)
            : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Db::ConnectionName());
    db.setDatabaseName(m_path);
    if (!db.open())
        throw DbError(db.lastError().text());
    try {
        // A settled sale must survive a power cut; WAL keeps readers and the writer apart.
        Db::Run(QStringLiteral("PRAGMA journal_mode=WAL"));
        Db::Run(QStringLiteral("PRAGMA synchronous=FULL"));
        if (userVersion() == 0 &&
            Db::Scalar(QStringLiteral("select count(*) from sqlite_master where type='table'"))
                    .toInt() == 0)
            createSchema();
        upgradeSchema();
    } catch (const DbError &) {
        // A file the program cannot use is left as it was and not kept open.
        db.close();
        throw;
    }
}

void Tdmfm::CloseConnection()
{
    for (Dataset *dataset : findChildren<Dataset *>())
        dataset->Close();
    QSqlDatabase db = Db::Connection();
    if (db.isOpen())
        db.close();
}

void Tdmfm::createSchema()
{
    QFile file(QStringLiteral(":/data/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("找不到数据库结构资源。"));
    Db::Transaction transaction;
    runScript(QString::fromUtf8(file.readAll()));
    Db::InsertRow(QStringLiteral("userdb"), {{QStringLiteral("username"), AdminName()},
                                             {QStringLiteral("passwd"), DefaultPassword()}});
    setUserVersion(SchemaVersion());
    transaction.Commit();
}

void Tdmfm::upgradeSchema()
{
    const int version = userVersion();
    if (version > SchemaVersion())
        throw DbError(
            QStringLiteral("数据库文件来自更新版本的程序（结构版本 %1），无法打开。").arg(version));
    // Each later version adds one step here, run in its own transaction:
    //   if (version < 2) { Db::Transaction t; ...; setUserVersion(2); t.Commit(); }
    if (version < 1)
        throw DbError(QStringLiteral("数据库文件不是本程序的数据库。"));
}
