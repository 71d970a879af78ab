// Backup and restore of the database file through SQLite, without the window: copies
// that include the write-ahead log, the check of a restore source, the kept copy and
// the journal files of a replaced database.

#include "data/backup.h"
#include "data/db.h"
#include "data/dm.h"
#include "fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

void recordSale(const QString &number)
{
    Db::InsertRow(QStringLiteral("data1"),
                  {{QStringLiteral("h"), number}, {QStringLiteral("6"), 7.5}});
}

// The sale numbers stored in a database file, read through a connection of its own.
QStringList salesIn(const QString &path)
{
    QStringList numbers;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(QStringLiteral("select h from data1 order by ID"), db);
            while (query.next())
                numbers << query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return numbers;
}

QStringList list(std::initializer_list<const char *> texts)
{
    QStringList result;
    for (const char *text : texts)
        result << QString::fromUtf8(text);
    return result;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Creates an SQLite file by running `statements` in it.
void makeDatabase(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

private slots:
    void init() { m_fixture.Start(); }
    void cleanup() { m_fixture.Stop(); }

    void backupIncludesWhatTheLogHolds()
    {
        recordSale(QStringLiteral("A1"));
        const QString wal = dmfm->Path() + QStringLiteral("-wal");
        QVERIFY2(QFileInfo(wal).size() > 0, "the sale is still in the write-ahead log");
        const QString target = m_fixture.FilePath(QStringLiteral("copy.db"));
        const Backup::Result result = Backup::WriteBackup(dmfm->Path(), target);
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(result.error.isEmpty());

        // The copy is one self-contained file: moved away alone, it still holds the sale.
        QVERIFY(!QFileInfo::exists(target + QStringLiteral("-wal")));
        const QString alone = m_fixture.FilePath(QStringLiteral("alone.db"));
        QVERIFY(QFile::rename(target, alone));
        QCOMPARE(salesIn(alone), list({"A1"}));
        QVERIFY(Backup::IsValidBackup(alone));
        // The working database goes on as before.
        recordSale(QStringLiteral("A2"));
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1")).toInt(), 2);
    }

    void restoreRoundTrip()
    {
        recordSale(QStringLiteral("A1"));
        dmfm->CloseConnection();
        const QString backup = m_fixture.FilePath(QStringLiteral("beifen.db"));
        QVERIFY(Backup::WriteBackup(dmfm->Path(), backup).ok);
        dmfm->OpenConnection();
        recordSale(QStringLiteral("B2"));
        dmfm->CloseConnection();

        // Stale journal files beside the database must not survive onto the restored file.
        writeFile(dmfm->Path() + QStringLiteral("-shm"), QByteArray(64, 'x'));
        const Backup::Result result = Backup::Restore(backup, dmfm->Path());
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(!QFileInfo::exists(dmfm->Path() + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(dmfm->Path() + QStringLiteral("-shm")));
        QCOMPARE(Backup::KeptCopyPath(dmfm->Path()), dmfm->Path() + QStringLiteral(".bak"));
        QCOMPARE(salesIn(Backup::KeptCopyPath(dmfm->Path())), list({"A1", "B2"}));
        QCOMPARE(QDir(m_fixture.Dir()).entryList({QStringLiteral("*.part")}, QDir::Files),
                 QStringList());

        dmfm->OpenConnection();
        QCOMPARE(Db::Scalar(QStringLiteral("select group_concat(h) from data1")).toString(),
                 QStringLiteral("A1"));
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    }

    void restoreSourceIsChecked_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("valid");
        QTest::newRow("backup of this program") << "backup" << true;
        QTest::newRow("text file") << "text" << false;
        QTest::newRow("empty file") << "empty" << false;
        QTest::newRow("missing file") << "missing" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("other database") << "other" << false;
        QTest::newRow("one table missing") << "partial" << false;
        QTest::newRow("newer schema") << "newer" << false;
        QTest::newRow("damaged backup") << "damaged" << false;
    }
    void restoreSourceIsChecked()
    {
        QFETCH(QString, kind);
        QFETCH(bool, valid);
        const QString path = m_fixture.FilePath(QStringLiteral("source.db"));
        const QString backup = m_fixture.FilePath(QStringLiteral("good.db"));
        QVERIFY(Backup::WriteBackup(dmfm->Path(), backup).ok);
        const QStringList six = {
            QStringLiteral("create table sp (x)"),     QStringLiteral("create table data (x)"),
            QStringLiteral("create table data1 (x)"),  QStringLiteral("create table data3 (x)"),
            QStringLiteral("create table userdb (x)"), QStringLiteral("create table rz (x)"),
            QStringLiteral("PRAGMA user_version = 1")};
        if (kind == QLatin1String("backup")) {
            QVERIFY(QFile::copy(backup, path));
        } else if (kind == QLatin1String("text")) {
            writeFile(path, "商品编码,商品名称\n6901,水\n");
        } else if (kind == QLatin1String("empty")) {
            writeFile(path, QByteArray());
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("other")) {
            makeDatabase(path, {QStringLiteral("create table notes (x)")});
        } else if (kind == QLatin1String("partial")) {
            makeDatabase(path, six.mid(1));
        } else if (kind == QLatin1String("newer")) {
            makeDatabase(path, six + QStringList{QStringLiteral("PRAGMA user_version = %1")
                                                     .arg(Tdmfm::SchemaVersion() + 1)});
        } else if (kind == QLatin1String("damaged")) {
            QFile file(backup);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QByteArray bytes = file.readAll();
            QVERIFY(bytes.size() > 8192);
            // Everything after the first page is overwritten.
            bytes.replace(4096, bytes.size() - 4096, QByteArray(bytes.size() - 4096, '\x5a'));
            writeFile(path, bytes);
        }
        QCOMPARE(Backup::IsValidBackup(path), valid);
    }

    void backupTargets()
    {
        const QString folder = m_fixture.FilePath(QStringLiteral("u盘"));
        QVERIFY(QDir().mkpath(folder));
        const QString inFolder = Backup::BackupTarget(folder, dmfm->Path());
        QCOMPARE(inFolder, QDir(folder).filePath(QStringLiteral("data.db")));
        QCOMPARE(Backup::BackupTarget(m_fixture.FilePath(QStringLiteral("x.db")), dmfm->Path()),
                 m_fixture.FilePath(QStringLiteral("x.db")));
        recordSale(QStringLiteral("A1"));
        QVERIFY(Backup::WriteBackup(dmfm->Path(), inFolder).ok);
        QCOMPARE(salesIn(inFolder), list({"A1"}));

        // Replacing an older backup removes the journal files that belonged to it.
        writeFile(inFolder + QStringLiteral("-wal"), QByteArray(100, 'w'));
        recordSale(QStringLiteral("A2"));
        QVERIFY(Backup::WriteBackup(dmfm->Path(), inFolder).ok);
        QVERIFY(!QFileInfo::exists(inFolder + QStringLiteral("-wal")));
        QCOMPARE(salesIn(inFolder), list({"A1", "A2"}));

        // A folder that does not exist, and the working database itself, are refused.
        const QString missing = m_fixture.FilePath(QStringLiteral("nowhere/beifen.db"));
        Backup::Result result = Backup::WriteBackup(dmfm->Path(), missing);
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
        result = Backup::WriteBackup(dmfm->Path(), dmfm->Path());
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1")).toInt(), 2);
        QVERIFY(QDir::isAbsolutePath(Backup::DefaultBackupPath()));
        QVERIFY(Backup::DefaultBackupPath().endsWith(QStringLiteral("beifen.db")));
    }
};

ZENTRIK_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
