// The backup window driven as a user drives it: the main window hidden while it is open,
// the remembered backup path, the questions before replacing a file, the refusals, and
// the main window back with its cart reloaded after a restore.

#include "data/backup.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "fixture.h"
#include "maintenance/repairdb.h"
#include "operators/usergl.h"
#include "shell/MAIN.h"
#include "shell/settings.h"
#include "shell/skins/skins.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>

namespace {

QStringList list(std::initializer_list<const char *> texts)
{
    QStringList result;
    for (const char *text : texts)
        result << QString::fromUtf8(text);
    return result;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void recordSale(const QString &number)
{
    Db::InsertRow(QStringLiteral("data1"), {{QStringLiteral("h"), number}});
}

QString sales()
{
    return Db::Scalar(QStringLiteral("select group_concat(h) from data1")).toString();
}

QString savedPath()
{
    return Settings::UserValue(QStringLiteral("save")).value_or(QStringLiteral("<none>"));
}

} // namespace

class TestRepairDb : public QObject
{
    Q_OBJECT

    Fixture m_fixture;

    static Trepair *openBackupWindow()
    {
        MainForm->findChild<QToolButton *>(QStringLiteral("backupButton"))->click();
        return MainForm->findChild<Trepair *>();
    }
    static void closeAndWait(Trepair *window)
    {
        QPointer<Trepair> pointer(window);
        window->close();
        QTRY_VERIFY(pointer.isNull());
    }

private slots:
    void init()
    {
        m_fixture.Start();
        m_fixture.AddProduct(QStringLiteral("ABC"), QStringLiteral("矿泉水"), 2, 3.5, 3);
        m_fixture.AddProduct(QStringLiteral("DEF"), QStringLiteral("面包"), 4, 5, 4.5);
        QVERIFY(m_fixture.Login());
    }
    void cleanup() { m_fixture.Stop(); }

    // The restore warning reads on the window's background in every look.
    void restoreWarningReadsInEveryLook()
    {
        for (int skin = -1; skin < Skins::Count(); ++skin) {
            MainForm->ApplySkin(skin);
            Trepair *window = openBackupWindow();
            QVERIFY(window);
            auto *warning = FindWidget<QLabel>(window, "restoreWarning");
            warning->ensurePolished();
            const QColor text = warning->palette().color(QPalette::WindowText);
            const QColor background = window->palette().color(QPalette::Window);
            QVERIFY2(Skins::Contrast(text, background) >= 4.5,
                     qPrintable(Skins::Name(skin) + QLatin1Char(' ') + text.name() +
                                QLatin1Char(' ') + background.name()));
            closeAndWait(window);
        }
        MainForm->ApplySkin(-1);
    }

    void backupAndRestoreRoundTrip()
    {
        ScanCode(QStringLiteral("ABC"));
        recordSale(QStringLiteral("A1"));
        const QString backup = m_fixture.FilePath(QStringLiteral("beifen.db"));

        Trepair *window = openBackupWindow();
        QVERIFY(window && window->isVisible());
        QVERIFY(!MainForm->isVisible());
        QVERIFY(!dmfm->IsConnected());
        FindWidget<QLineEdit>(window, "backupBox")->setText(backup);
        FindWidget<QPushButton>(window, "backupButton")->click();
        QCOMPARE(m_fixture.MessageTexts(), list({"数据库备份成功！"}));
        closeAndWait(window);
        QVERIFY(MainForm->isVisible());
        QVERIFY(dmfm->IsConnected());

        ScanCode(QStringLiteral("DEF"));
        recordSale(QStringLiteral("B2"));
        QCOMPARE(dmfm->ADOQuery15->RecordCount(), 2);

        m_fixture.ClearMessages();
        window = openBackupWindow();
        QVERIFY(!MainForm->isVisible());
        FindWidget<QLineEdit>(window, "restoreBox")->setText(backup);
        FindWidget<QPushButton>(window, "restoreButton")->click();
        QCOMPARE(m_fixture.MessageTexts(), list({"文件已存在，是否覆盖？", "数据库恢复成功！"}));
        QCOMPARE(m_fixture.Messages().first().kind, Msg::Kind::Confirm);
        closeAndWait(window);

        // The main window is back on the restored data, its cart and totals reloaded.
        QVERIFY(MainForm->isVisible());
        QCOMPARE(sales(), QStringLiteral("A1"));
        QCOMPARE(dmfm->ADOQuery15->RecordCount(), 1);
        QCOMPARE(MainForm->findChild<QLabel *>(QStringLiteral("totalLabel"))->text(),
                 QStringLiteral("共:3.50元"));
        QVERIFY(Backup::IsValidBackup(Backup::KeptCopyPath(dmfm->Path())));
        ScanCode(QStringLiteral("DEF"));
        QCOMPARE(dmfm->ADOQuery15->RecordCount(), 2);
    }

    void backupPathIsRemembered()
    {
        const QString defaultPath = QDir::toNativeSeparators(Backup::DefaultBackupPath());
        Trepair *window = openBackupWindow();
        auto *box = FindWidget<QLineEdit>(window, "backupBox");
        QCOMPARE(box->text(), defaultPath);
        QCOMPARE(savedPath(), QStringLiteral("<none>"));
        QCOMPARE(FindWidget<QLabel>(window, "backupLabel")->buddy(), box);
        QCOMPARE(FindWidget<QLabel>(window, "restoreLabel")->buddy(),
                 FindWidget<QLineEdit>(window, "restoreBox"));
        QCOMPARE(FindWidget<QLineEdit>(window, "restoreBox")->text(), QStringLiteral("beifen.db"));
        // The restore panel lies below the visible area.
        auto *scroll = FindWidget<QScrollArea>(window, "scrollArea");
        QVERIFY(FindWidget<QWidget>(window, "restorePanel")->geometry().top() >=
                scroll->viewport()->height());

        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("x"));
        QCOMPARE(savedPath(), defaultPath + u'x');
        FindWidget<QPushButton>(window, "defaultButton")->click();
        QCOMPARE(box->text(), defaultPath);
        QCOMPARE(savedPath(), defaultPath);
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("/media/usb/b.db"));
        closeAndWait(window);

        window = openBackupWindow();
        QCOMPARE(FindWidget<QLineEdit>(window, "backupBox")->text(),
                 QStringLiteral("/media/usb/b.db"));
        closeAndWait(window);
    }

    void backupAsksBeforeReplacing_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void backupAsksBeforeReplacing()
    {
        QFETCH(bool, answer);
        const QString target = m_fixture.FilePath(QStringLiteral("old.db"));
        writeFile(target, "an older file");
        Trepair *window = openBackupWindow();
        FindWidget<QLineEdit>(window, "backupBox")->setText(target);
        m_fixture.AnswerNext(answer);
        FindWidget<QPushButton>(window, "backupButton")->click();
        QCOMPARE(m_fixture.Messages().first().kind, Msg::Kind::Confirm);
        QCOMPARE(m_fixture.MessageTexts(),
                 answer ? list({"文件已存在，是否覆盖？", "数据库备份成功！"})
                        : list({"文件已存在，是否覆盖？", "数据库备份失败！"}));
        QCOMPARE(Backup::IsValidBackup(target), answer);
        if (!answer)
            QCOMPARE(contents(target), QByteArray("an older file"));

        // A folder receives data.db, asking only when that file exists.
        m_fixture.ClearMessages();
        const QString folder = m_fixture.FilePath(QStringLiteral("u"));
        QVERIFY(QDir().mkpath(folder));
        FindWidget<QLineEdit>(window, "backupBox")->setText(folder);
        FindWidget<QPushButton>(window, "backupButton")->click();
        QCOMPARE(m_fixture.MessageTexts(), list({"数据库备份成功！"}));
        QVERIFY(Backup::IsValidBackup(QDir(folder).filePath(QStringLiteral("data.db"))));

        // A destination that cannot be written reports the failure with its reason.
        m_fixture.ClearMessages();
        FindWidget<QLineEdit>(window, "backupBox")
            ->setText(m_fixture.FilePath(QStringLiteral("no/b.db")));
        FindWidget<QPushButton>(window, "backupButton")->click();
        QCOMPARE(m_fixture.MessageTexts().size(), 1);
        QVERIFY(m_fixture.MessageTexts().first().startsWith(QStringLiteral("数据库备份失败！\n")));
    }

    void restoreRefusesAndChangesNothing()
    {
        Trepair *window = openBackupWindow();
        const QByteArray before = contents(dmfm->Path());
        auto *box = FindWidget<QLineEdit>(window, "restoreBox");
        auto *restore = FindWidget<QPushButton>(window, "restoreButton");

        restore->click();                                       // beifen.db is not there
        FindWidget<QPushButton>(window, "openButton")->click(); // cancelled: the box is emptied
        QVERIFY(box->text().isEmpty());
        restore->click();
        const QString text = m_fixture.FilePath(QStringLiteral("sales.csv"));
        writeFile(text, "h,6\nA1,7.5\n");
        m_fixture.NextFileName(text);
        FindWidget<QPushButton>(window, "openButton")->click();
        QCOMPARE(box->text(), QDir::toNativeSeparators(text));
        restore->click();
        QCOMPARE(m_fixture.MessageTexts(), list({"备份数据库没找到!", "备份数据库没找到!",
                                                 "所选文件不是有效的数据库备份！"}));

        // Answered No, a valid backup replaces nothing either.
        m_fixture.ClearMessages();
        const QString backup = m_fixture.FilePath(QStringLiteral("b.db"));
        QVERIFY(Backup::WriteBackup(dmfm->Path(), backup).ok);
        box->setText(backup);
        m_fixture.AnswerNext(false);
        restore->click();
        QCOMPARE(m_fixture.MessageTexts(), list({"文件已存在，是否覆盖？", "数据库恢复失败！"}));
        QCOMPARE(contents(dmfm->Path()), before);
        QVERIFY(!QFileInfo::exists(Backup::KeptCopyPath(dmfm->Path())));
        closeAndWait(window);
    }

    void otherWindowsMustBeClosed()
    {
        MainForm->findChild<QAction *>(QStringLiteral("userAdminAction"))->trigger();
        QPointer<Tuserglfm> admin = MainForm->findChild<Tuserglfm *>();
        Trepair *window = openBackupWindow();
        FindWidget<QLineEdit>(window, "backupBox")
            ->setText(m_fixture.FilePath(QStringLiteral("b.db")));
        FindWidget<QPushButton>(window, "backupButton")->click();
        FindWidget<QPushButton>(window, "restoreButton")->click();
        QCOMPARE(m_fixture.MessageTexts(),
                 list({"请将所有录入、查询窗口关闭！", "请将所有录入、查询窗口关闭！"}));
        QVERIFY(!QFileInfo::exists(m_fixture.FilePath(QStringLiteral("b.db"))));

        admin->close();
        QTRY_VERIFY(admin.isNull());
        m_fixture.ClearMessages();
        FindWidget<QPushButton>(window, "backupButton")->click();
        QCOMPARE(m_fixture.MessageTexts(), list({"数据库备份成功！"}));
        closeAndWait(window);
    }

    void unusableDatabaseKeepsTheWindowOpen()
    {
        const QString backup = m_fixture.FilePath(QStringLiteral("b.db"));
        recordSale(QStringLiteral("A1"));
        Trepair *window = openBackupWindow();
        FindWidget<QLineEdit>(window, "backupBox")->setText(backup);
        FindWidget<QPushButton>(window, "backupButton")->click();
        writeFile(dmfm->Path(), QByteArray(8192, 'z')); // damaged behind the program's back

        m_fixture.ClearMessages();
        window->close();
        QCOMPARE(m_fixture.Messages().size(), 1);
        QCOMPARE(m_fixture.Messages().first().kind, Msg::Kind::Error);
        QVERIFY(window->isVisible());
        QVERIFY(!MainForm->isVisible());

        // The way out: restore a backup, then close.
        FindWidget<QLineEdit>(window, "restoreBox")->setText(backup);
        FindWidget<QPushButton>(window, "restoreButton")->click();
        QCOMPARE(m_fixture.MessageTexts().last(), QStringLiteral("数据库恢复成功！"));
        QCOMPARE(contents(Backup::KeptCopyPath(dmfm->Path())), QByteArray(8192, 'z'));
        closeAndWait(window);
        QVERIFY(MainForm->isVisible());
        QCOMPARE(sales(), QStringLiteral("A1"));
    }
};

ZENTRIK_TEST_MAIN(TestRepairDb)
#include "tst_repairdb.moc"
