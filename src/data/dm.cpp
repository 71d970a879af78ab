#include "data/dm.h"

#include "data/dataset.h"
#include "data/db.h"
#include "data/dbproblem.h"
#include "data/textindex.h"
#include "data/tilllock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>
#include <QTimer>

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

// Indexes for every lookup and filter: the code at the till and in the catalogue, the
// cart's code, the sale number, date and code of the sale lines, the sale number and
// date of the summaries. Files of version 1 may lack some of them; their date index of
// the sale lines is rebuilt to also hold the summed columns.
const char *const lookupIndexes[] = {
    "CREATE INDEX IF NOT EXISTS sp_code ON sp (\"商品编码\")",
    "CREATE INDEX IF NOT EXISTS data_code ON data (\"c\")",
    "CREATE INDEX IF NOT EXISTS data1_sale ON data1 (\"h\")",
    "DROP INDEX IF EXISTS data1_day",
    "CREATE INDEX data1_day ON data1 (\"day1\", \"2\", \"6\", \"7\")",
    "CREATE INDEX IF NOT EXISTS data1_code ON data1 (\"c\")",
    "CREATE INDEX IF NOT EXISTS data3_sale ON data3 (\"a\")",
    "CREATE INDEX IF NOT EXISTS data3_day ON data3 (\"day1\")",
};

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("找不到数据库结构资源。"));
    return QString::fromUtf8(file.readAll());
}

// Held sales, the session of each sale summary (data3.rz_id, the id of the login's rz
// row) and the index from returned lines to sold lines. Runs again harmlessly.
void addShopDayTables()
{
    runScript(readResource(QStringLiteral(":/data/upgrade3.sql")));
    if (!Db::HasColumn(QStringLiteral("data3"), QStringLiteral("rz_id")))
        Db::Run(QStringLiteral("ALTER TABLE data3 ADD COLUMN \"rz_id\" INTEGER"));
    Db::Run(QStringLiteral("CREATE INDEX IF NOT EXISTS data3_session ON data3 (\"rz_id\")"));
}

// How often the write-ahead log is copied into the file, aside from the program's thread.
const int checkpointIntervalMs = 2000;

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
    // The lists filtered per keystroke show their first rows before the count is in.
    for (Dataset *grid : {ADOQuery12, ADOQuery5, ADOQuery13, ADOQuery9})
        grid->SetCountAside(true);

    m_checkpointTimer = new QTimer(this);
    m_checkpointTimer->setInterval(checkpointIntervalMs);
    connect(m_checkpointTimer, &QTimer::timeout, this, &Tdmfm::checkpointAside);
    // The lock comes before the file is touched, so a refused copy leaves it untouched.
    m_lock = std::make_unique<TillLock>(m_path);
    if (m_lock->Acquire() == TillLock::Result::HeldByAnother)
        throw DbOpenError(DbProblem::Kind::AlreadyRunning, m_path, QString());
    OpenConnection();
}

void Tdmfm::checkpointAside()
{
    if (m_checkpointer && m_checkpointer->isRunning())
        return;
    delete m_checkpointer;
    const QString path = m_path;
    m_checkpointer = QThread::create([path] {
        try {
            Db::CheckpointAside(path);
        } catch (const DbError &) {
            // A busy or failed checkpoint is tried again at the next interval; the log
            // keeps every committed sale meanwhile.
        }
    });
    m_checkpointer->start();
}

void Tdmfm::stopCheckpoints()
{
    m_checkpointTimer->stop();
    if (m_checkpointer) {
        m_checkpointer->wait();
        delete m_checkpointer;
        m_checkpointer = nullptr;
    }
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
    return 4;
}

bool Tdmfm::IsConnected() const
{
    return Db::Connection().isOpen();
}

int Tdmfm::BusyTimeoutMs()
{
    return 250;
}

void Tdmfm::OpenConnection()
{
    if (IsConnected())
        return;
    using DbProblem::Kind;
    // A file the program cannot write is refused before the engine touches it: every
    // action of the program writes.
    const QFileInfo file(m_path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        throw DbOpenError(Kind::ReadOnly, m_path, QString());

    QSqlDatabase db =
        QSqlDatabase::contains(Db::ConnectionName())
            ? QSqlDatabase::database(Db::ConnectionName(), false)
            : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Db::ConnectionName());
    db.setDatabaseName(m_path);
    // Another program holding the file locked shows at once, not after the driver's 5 s.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs()));
    if (!db.open()) {
        const DbError error = Db::ErrorFrom(db.lastError());
        throw DbOpenError(DbProblem::Classify(error), m_path, error.Message(), error.Code());
    }
    try {
        // Only reads until the file is known to be a database of this program, so that a
        // file it refuses stays exactly as it was.
        const int version = Db::UserVersion();
        const bool empty =
            Db::Scalar(QStringLiteral("select count(*) from sqlite_master")).toInt() == 0;
        if (version > SchemaVersion())
            throw DbOpenError(Kind::NewerVersion, m_path,
                              QStringLiteral("PRAGMA user_version = %1（本程序为 %2）")
                                  .arg(version)
                                  .arg(SchemaVersion()));
        if (version == 0 && !empty)
            throw DbOpenError(Kind::NotADatabase, m_path,
                              QStringLiteral("PRAGMA user_version = 0"));
        Db::ConfigureConnection(db);
        if (empty)
            createSchema();
        upgradeSchema();
    } catch (const DbOpenError &) {
        db.close();
        throw;
    } catch (const DbError &error) {
        // A file the program cannot use is left as it was and not kept open.
        db.close();
        Kind kind = DbProblem::Classify(error);
        if (kind == Kind::Other)
            kind = Kind::CannotOpen;
        throw DbOpenError(kind, m_path, error.Message(), error.Code());
    }
    m_checkpointTimer->start();
}

void Tdmfm::CloseConnection()
{
    stopCheckpoints();
    for (Dataset *dataset : findChildren<Dataset *>())
        dataset->Close();
    QSqlDatabase db = Db::Connection();
    if (db.isOpen())
        db.close();
}

void Tdmfm::createSchema()
{
    const QString script = readResource(QStringLiteral(":/data/schema.sql"));
    Db::Transaction transaction;
    runScript(script);
    addShopDayTables();
    TextIndex::Create();
    Db::InsertRow(QStringLiteral("userdb"), {{QStringLiteral("username"), AdminName()},
                                             {QStringLiteral("passwd"), DefaultPassword()}});
    Db::SetUserVersion(SchemaVersion());
    transaction.Commit();
}

void Tdmfm::upgradeSchema()
{
    const int version = Db::UserVersion();
    if (version > SchemaVersion())
        throw DbError(
            QStringLiteral("数据库文件来自更新版本的程序（结构版本 %1），无法打开。").arg(version));
    // Each later version adds one step here, run in its own transaction.
    if (version < 1)
        throw DbError(QStringLiteral("数据库文件不是本程序的数据库。"));
    if (version < 2) {
        Db::Transaction transaction;
        for (const char *statement : lookupIndexes)
            Db::Run(QString::fromUtf8(statement));
        Db::SetUserVersion(2);
        transaction.Commit();
    }
    if (version < 3) {
        Db::Transaction transaction;
        addShopDayTables();
        Db::SetUserVersion(3);
        transaction.Commit();
    }
    if (version < 4) {
        // Reads every product and sale line once to fill the substring indexes.
        Db::Transaction transaction;
        TextIndex::Create();
        Db::SetUserVersion(4);
        transaction.Commit();
    }
}
