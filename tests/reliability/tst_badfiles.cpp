// Bad database files and other programs on the file: what the program says at start and
// while it runs, that a file it refuses stays byte for byte as it was, and that one data
// folder has one till.
//
// The executable is also its own helper process:
//   tst_badfiles --hold PATH write|exclusive   holds PATH locked until its input closes
//   tst_badfiles --open PATH                   opens PATH as the program does, prints
//                                              "kind=N" and the message

#include "fixture.h"

#include "data/db.h"
#include "data/dbproblem.h"
#include "data/dm.h"
#include "shell/MAIN.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// --- The helper processes ------------------------------------------------------

int holdLocked(const QString &path, const QString &mode)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("h"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        if (!db.open())
            return 2;
        QSqlQuery query(db);
        QStringList statements;
        if (mode == QStringLiteral("exclusive"))
            statements << QStringLiteral("PRAGMA locking_mode=EXCLUSIVE");
        statements << QStringLiteral("BEGIN IMMEDIATE")
                   << QStringLiteral("create table if not exists holder(x)")
                   << QStringLiteral("insert into holder values (1)");
        for (const QString &statement : statements)
            if (!query.exec(statement)) {
                std::fprintf(stderr, "%s\n", query.lastError().text().toUtf8().constData());
                return 3;
            }
        std::printf("held\n");
        std::fflush(stdout);
        char line[16];
        while (std::fgets(line, sizeof line, stdin)) {
        }
        query.exec(QStringLiteral("ROLLBACK"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("h"));
    return 0;
}

int openAsTheProgram(const QString &path)
{
    try {
        Tdmfm dm(path);
        std::printf("kind=opened\n");
    } catch (const DbOpenError &error) {
        std::printf("kind=%d\n%s\n", int(error.Kind()), error.Message().toUtf8().constData());
    }
    return 0;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// A process of this executable in helper mode.
std::unique_ptr<QProcess> helper(const QStringList &arguments, bool unprivileged = false)
{
    auto process = std::make_unique<QProcess>();
    if (unprivileged && runningAsRoot()) {
        // The permission checks that a read-only folder means do not apply to root.
        process->setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(120);
        });
    }
    process->start(QCoreApplication::applicationFilePath(), arguments);
    return process;
}

// Kinds of problem, as the helper prints them.
QString kindText(DbProblem::Kind kind)
{
    return QStringLiteral("kind=%1").arg(int(kind));
}

// The lock holders listed by the kernel: one "FLOCK ... PID ..." line per lock.
bool holdsFlock(qint64 pid)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 4 && fields[1] == "FLOCK" && fields[4].toLongLong() == pid)
            return true;
    }
    return false;
}

bool isStopped(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    // "PID (name) STATE ...": the state follows the name's closing parenthesis.
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.mid(close + 2, 1) == "T";
}

// Builds a real database of the program with enough rows to span many pages.
void makeDatabase(const QString &path, int version = 0)
{
    Tdmfm dm(path);
    Db::Transaction transaction;
    for (int i = 0; i < 400; ++i)
        Db::InsertRow(QStringLiteral("data1"),
                      {{QStringLiteral("a"), QStringLiteral("商品%1").arg(i)},
                       {QStringLiteral("h"), QStringLiteral("S%1").arg(i)},
                       {QStringLiteral("6"), i * 1.5}});
    if (version > 0)
        Db::Run(QStringLiteral("PRAGMA user_version = %1").arg(version));
    transaction.Commit();
}

} // namespace

class TestBadFiles : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    // A folder that an unprivileged helper can enter.
    static std::unique_ptr<QTemporaryDir> openFolder()
    {
        auto dir = std::make_unique<QTemporaryDir>();
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther |
                                               QFile::ReadGroup | QFile::ExeGroup);
        return dir;
    }

private slots:
    void refusedFileIsExplainedAndLeftAsItWas_data();
    void refusedFileIsExplainedAndLeftAsItWas();
    void programEndsCleanlyOnABadFile();
    void secondCopyOnTheFolderIsRefused();
    void failedSettlementKeepsTheSaleForARetry_data();
    void failedSettlementKeepsTheSaleForARetry();
    void engineErrorsAreSortedByCode_data();
    void engineErrorsAreSortedByCode();
};

void TestBadFiles::refusedFileIsExplainedAndLeftAsItWas_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("advice");
    using K = DbProblem::Kind;
    QTest::newRow("text file") << "text" << int(K::NotADatabase) << "从备份恢复";
    QTest::newRow("truncated database") << "truncated" << int(K::Damaged) << "从备份恢复";
    QTest::newRow("empty-page damage") << "zeroed" << int(K::Damaged) << "从备份恢复";
    QTest::newRow("newer version") << "newer" << int(K::NewerVersion) << "新版本";
    QTest::newRow("read-only folder")
        << "readonly-folder" << int(K::ReadOnly) << "可以写入的文件夹";
    QTest::newRow("read-only file") << "readonly-file" << int(K::ReadOnly) << "只读属性";
    QTest::newRow("read-only folder, no file yet")
        << "readonly-empty" << int(K::ReadOnly) << "可以写入的文件夹";
    QTest::newRow("locked by another program") << "locked" << int(K::Busy) << "关闭另一个程序";
}

void TestBadFiles::refusedFileIsExplainedAndLeftAsItWas()
{
    QFETCH(QString, setup);
    QFETCH(int, kind);
    QFETCH(QString, advice);
    const auto dir = openFolder();
    const QString folder = dir->filePath(QStringLiteral("shop"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/data.db");

    if (setup == QStringLiteral("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("商品编码,商品名称\r\n6901,牛奶\r\n").toUtf8().repeated(50));
    } else if (setup == QStringLiteral("truncated") || setup == QStringLiteral("zeroed")) {
        makeDatabase(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 size = file.size();
        if (setup == QStringLiteral("truncated")) {
            QVERIFY(file.resize(size / 2));
        } else {
            // The schema page wiped after the header: the catalogue of tables is lost.
            file.seek(100);
            file.write(QByteArray(4096 - 100, '\0'));
        }
    } else if (setup == QStringLiteral("newer")) {
        makeDatabase(path, 99);
    } else if (setup.startsWith(QStringLiteral("readonly"))) {
        if (setup != QStringLiteral("readonly-empty"))
            makeDatabase(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (setup != QStringLiteral("readonly-file"))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        else
            QFile::setPermissions(folder, QFile::permissions(folder) | QFile::WriteOther);
    } else if (setup == QStringLiteral("locked")) {
        makeDatabase(path);
    }
    const QByteArray before = fileBytes(path);

    std::unique_ptr<QProcess> holder;
    if (setup == QStringLiteral("locked")) {
        holder = helper({QStringLiteral("--hold"), path, QStringLiteral("exclusive")});
        QVERIFY(holder->waitForReadyRead(10000));
        QCOMPARE(holder->readLine().trimmed(), QByteArray("held"));
    }

    const auto opener =
        helper({QStringLiteral("--open"), path}, setup.startsWith(QStringLiteral("readonly")));
    QVERIFY(opener->waitForFinished(20000));
    const QString output = QString::fromUtf8(opener->readAllStandardOutput());
    QVERIFY2(opener->exitCode() == 0, opener->readAllStandardError().constData());
    const QString message = output.section(QLatin1Char('\n'), 1);
    QVERIFY2(output.startsWith(kindText(DbProblem::Kind(kind)) + QLatin1Char('\n')),
             qPrintable(output));
    // What is wrong with which file and what to do, with the engine's text after it.
    QVERIFY2(message.contains(QStringLiteral("“") + path + QStringLiteral("”")),
             qPrintable(message));
    QVERIFY2(message.contains(advice), qPrintable(message));
    if (setup == QStringLiteral("text") || setup == QStringLiteral("locked"))
        QVERIFY2(message.contains(QStringLiteral("详细信息：")), qPrintable(message));

    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10000));
    }
    QCOMPARE(fileBytes(path), before);
    if (setup == QStringLiteral("readonly-empty"))
        QVERIFY(!QFileInfo::exists(path));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestBadFiles::programEndsCleanlyOnABadFile()
{
    const auto dir = openFolder();
    const QString path = dir->filePath(QStringLiteral("data.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a database, a shopping list\n");
    file.close();

    QProcess program;
    program.setWorkingDirectory(dir->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZENTRIK_UNATTENDED"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ZENTRIK_PROGRAM), {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString said = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("文件“") + path + QStringLiteral("”不是本程序的数据库")),
             qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("file is not a database")), qPrintable(said));
    QCOMPARE(fileBytes(path), QByteArray("not a database, a shopping list\n"));
}

void TestBadFiles::secondCopyOnTheFolderIsRefused()
{
    // Each copy runs from a folder of its own, so config.ini beside it is its own.
    const auto dir = openFolder();
    const QString data = dir->filePath(QStringLiteral("shop"));
    QVERIFY(QDir().mkdir(data));
    const QString program = dir->filePath(QStringLiteral("zentrikpos"));
    QVERIFY(QFile::copy(QStringLiteral(ZENTRIK_PROGRAM), program));
    const QString path = data + QStringLiteral("/data.db");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZENTRIK_UNATTENDED"), QStringLiteral("1"));
    const auto start = [&] {
        auto copy = std::make_unique<QProcess>();
        copy->setWorkingDirectory(data);
        copy->setProcessEnvironment(env);
        copy->start(program, {});
        return copy;
    };
    const auto waitForLock = [](QProcess &copy) {
        return QTest::qWaitFor([&] { return holdsFlock(copy.processId()); }, 20000);
    };

    auto first = start();
    QVERIFY(waitForLock(*first));
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo(path).size() > 0; }, 20000));
    // The first copy is held still, its lock kept, so that any change to the file while
    // the second one runs would be the second one's.
    ::kill(pid_t(first->processId()), SIGSTOP);
    QVERIFY(QTest::qWaitFor([&] { return isStopped(first->processId()); }, 10000));
    const QByteArray before = fileBytes(path);
    const QByteArray walBefore = fileBytes(path + QStringLiteral("-wal"));

    auto second = start();
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 1);
    const QString said = QString::fromUtf8(second->readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("收银程序已在运行。")), qPrintable(said));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(fileBytes(path + QStringLiteral("-wal")), walBefore);
    QCOMPARE(first->state(), QProcess::Running);
    ::kill(pid_t(first->processId()), SIGCONT);

    // A killed copy leaves nothing behind that refuses the next one.
    ::kill(pid_t(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(10000));
    auto third = start();
    QVERIFY2(waitForLock(*third), third->readAllStandardError().constData());
    QCOMPARE(third->state(), QProcess::Running);
    QVERIFY(!QString::fromUtf8(third->readAllStandardError())
                 .contains(QStringLiteral("收银程序已在运行。")));
    ::kill(pid_t(third->processId()), SIGKILL);
    QVERIFY(third->waitForFinished(10000));
}

void TestBadFiles::failedSettlementKeepsTheSaleForARetry_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("said");
    QTest::newRow("file locked by another program") << "locked"
                                                    << "正被另一个程序使用";
    QTest::newRow("disk full") << "full"
                               << "磁盘已满";
}

void TestBadFiles::failedSettlementKeepsTheSaleForARetry()
{
    QFETCH(QString, cause);
    QFETCH(QString, said);
    m_fixture.Start();
    // Long names make the archived sale need pages the full file cannot have.
    const QString longName = QString(3000, QLatin1Char('x'));
    m_fixture.AddProduct(QStringLiteral("A1"), QStringLiteral("牛奶") + longName, 10, 12.5, 12);
    m_fixture.AddProduct(QStringLiteral("B2"), QStringLiteral("面包") + longName, 2, 3.3, 3);
    QVERIFY(m_fixture.Login());
    ScanCode(QStringLiteral("A1"));
    ScanCode(QStringLiteral("A1"));
    ScanCode(QStringLiteral("B2"));
    auto *codeBox = FindWidget<QLineEdit>(MainForm, "codeBox");
    auto *cashBox = FindWidget<QLineEdit>(MainForm, "cashBox");
    auto *confirm = FindWidget<QPushButton>(MainForm, "confirmButton");
    auto *panel = FindWidget<QWidget>(MainForm, "settlementPanel");
    QTest::keyClick(codeBox, Qt::Key_Return);
    QVERIFY(panel->isVisible());
    cashBox->selectAll();
    QTest::keyClicks(cashBox, QStringLiteral("30"));
    const QString number = MainForm->SaleNumber();
    const QVariant storedNumber =
        Db::Scalar(QStringLiteral("select value from app_state where key='sale_number'"));
    m_fixture.ClearMessages();

    std::unique_ptr<QProcess> holder;
    if (cause == QStringLiteral("locked")) {
        // A write waits only briefly for another program's lock.
        QVERIFY(Db::Scalar(QStringLiteral("PRAGMA busy_timeout")).toInt() <= 500);
        holder = helper({QStringLiteral("--hold"), Tdmfm::DefaultPath(), QStringLiteral("write")});
        QVERIFY(holder->waitForReadyRead(10000));
        QCOMPARE(holder->readLine().trimmed(), QByteArray("held"));
    } else {
        // The file may not grow: as when the disk is full.
        const qint64 pages = Db::Scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
        Db::Run(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    }

    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(confirm, Qt::LeftButton);
    qInfo("failure reported after %lld ms", timer.elapsed());
    QCOMPARE(m_fixture.Messages().size(), 1);
    const QString text = m_fixture.Messages()[0].text;
    QVERIFY2(text.contains(said) && text.contains(QStringLiteral("这次操作没有保存")) &&
                 text.contains(QStringLiteral("“") + Tdmfm::DefaultPath() + QStringLiteral("”")),
             qPrintable(text));
    // The cart, the panel and the cash stay for the retry; nothing was stored.
    QVERIFY(panel->isVisible());
    QCOMPARE(cashBox->text(), QStringLiteral("30"));
    QCOMPARE(MainForm->SaleNumber(), number);
    QCOMPARE(Db::Scalar(QStringLiteral("select value from app_state where key='sale_number'")),
             storedNumber);
    QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data")).toInt(), 2);
    QCOMPARE(Db::Scalar(QStringLiteral("select sum(\"2\") from data")).toDouble(), 3.0);
    QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1")).toInt(), 0);
    QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data3")).toInt(), 0);

    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10000));
    } else {
        Db::Run(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    }
    m_fixture.ClearMessages();
    QTest::mouseClick(confirm, Qt::LeftButton);
    QVERIFY2(m_fixture.Messages().isEmpty(), qPrintable(m_fixture.MessageTexts().join(u'\n')));
    QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data")).toInt(), 0);
    QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data1")).toInt(), 2);
    QCOMPARE(Db::Scalar(QStringLiteral("select a from data3")).toString(), number);
    QVERIFY(MainForm->SaleNumber() != number);
    m_fixture.Stop();
}

void TestBadFiles::engineErrorsAreSortedByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("advice");
    using K = DbProblem::Kind;
    QTest::newRow("busy") << 5 << int(K::Busy) << "请关闭另一个程序后重试";
    QTest::newRow("busy, extended code") << (5 | (2 << 8)) << int(K::Busy) << "请关闭另一个程序";
    QTest::newRow("disk full") << 13 << int(K::DiskFull) << "腾出磁盘空间";
    QTest::newRow("read-only") << 8 << int(K::ReadOnly) << "只读属性";
    QTest::newRow("damaged") << 11 << int(K::Damaged) << "从备份恢复";
    QTest::newRow("constraint keeps the engine's text") << 19 << int(K::Other) << "";
    QTest::newRow("no engine code") << -1 << int(K::Other) << "";
}

void TestBadFiles::engineErrorsAreSortedByCode()
{
    QFETCH(int, code);
    QFETCH(int, kind);
    QFETCH(QString, advice);
    const DbError error(QStringLiteral("engine text"), code);
    QCOMPARE(int(DbProblem::Classify(error)), kind);
    const QString said = DbProblem::ActionMessage(error, QStringLiteral("/shop/data.db"));
    if (advice.isEmpty()) {
        QCOMPARE(said, QStringLiteral("engine text"));
    } else {
        QVERIFY2(said.contains(advice) && said.contains(QStringLiteral("“/shop/data.db”")) &&
                     said.endsWith(QStringLiteral("详细信息：engine text")),
                 qPrintable(said));
    }
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--hold") == 0) {
        QCoreApplication app(argc, argv);
        return holdLocked(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--open") == 0) {
        QCoreApplication app(argc, argv);
        return openAsTheProgram(QString::fromLocal8Bit(argv[2]));
    }
    ZentrikApplication app(argc, argv);
    TestBadFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badfiles.moc"
