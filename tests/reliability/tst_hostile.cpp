// Hostile input through the widgets: one table of texts pasted and typed into every text
// field of every window, each followed by Enter. Nothing may crash, no engine or
// exception text may reach the user, a field shows the text or what its filter kept of
// it, and what the checkout and the user administration accept is stored exactly.

#include "fixture.h"

#include "catalogue/Unit1.h"
#include "catalogue/excel.h"
#include "catalogue/ys.h"
#include "checkout/till.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "maintenance/repairdb.h"
#include "operators/changepass.h"
#include "operators/login.h"
#include "operators/usergl.h"
#include "sales/Unit4.h"
#include "shell/MAIN.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

struct Hostile
{
    const char *name;
    QString text;
};

QList<Hostile> hostileTexts()
{
    return {
        {"quotes", QStringLiteral("5'寸\"屏\"")},
        {"injection", QStringLiteral("' or '1'='1")},
        {"percent", QStringLiteral("%")},
        {"underscore", QStringLiteral("_")},
        {"backslash", QStringLiteral("\\")},
        {"10000 characters", QString(10000, QChar(u'码'))},
        {"NUL", QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B")},
        {"emoji", QStringLiteral("🍎🥛")},
        {"right-to-left marks", QStringLiteral("\u202Eabc\u200F")},
        {"pasted line breaks", QStringLiteral("A1\r\nB2\n")},
        {"full-width digits", QStringLiteral("１２３．５")},
        {"outside GBK", QStringLiteral("한𠀀ꙮ")},
    };
}

// True when `shown` is `text` with some characters left out (a filter refuses characters,
// a length limit cuts the end) and full-width forms read as ASCII.
bool keptFrom(const QString &shown, const QString &text)
{
    const auto same = [](QChar kept, QChar given) {
        return kept == given || (given.unicode() >= 0xFF01 && given.unicode() <= 0xFF5E &&
                                 kept.unicode() == given.unicode() - 0xFEE0);
    };
    qsizetype i = 0;
    for (QChar c : shown) {
        while (i < text.size() && !same(c, text.at(i)))
            ++i;
        if (i == text.size())
            return false;
        ++i;
    }
    return true;
}

bool hasChinese(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff)
            return true;
    return false;
}

// Types each character as a key press carrying it (a surrogate pair as one character),
// as an input method or a scanner delivers text.
void typeText(QWidget *field, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, character, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, character, Qt::NoModifier);
        i += length - 1;
    }
}

QAction *action(const char *name)
{
    return FindWidget<QAction>(MainForm, name);
}

// User administration from the menu, unlocked with the administrator's password.
Tuserglfm *openUnlockedAdmin()
{
    action("userAdminAction")->trigger();
    auto *admin = MainForm->findChild<Tuserglfm *>();
    if (!admin)
        return nullptr;
    auto *adminPassword = FindWidget<QLineEdit>(admin, "adminPasswordBox");
    QTest::keyClicks(adminPassword, QStringLiteral("123"));
    QTest::keyClick(adminPassword, Qt::Key_Return);
    QTest::keyClick(FindWidget<QPushButton>(admin, "loginButton"), Qt::Key_Return);
    return admin;
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

    Fixture m_fixture;
    QStringList m_faults;
    QMap<QString, int> m_attempts; // window -> texts entered

    // Pastes (or, when short, types) every text into every editable field below `root`,
    // then presses Enter there and clicks the window's `buttons`, and notes what broke.
    void sweep(QWidget *root, const QString &window, const QStringList &buttons = {},
               const std::function<void()> &prepare = {})
    {
        // Fields on every page of the window's tabs.
        QSet<QLineEdit *> done;
        sweepVisible(root, window, buttons, prepare, done);
        for (QTabWidget *tabs : root->findChildren<QTabWidget *>()) {
            for (int page = 0; page < tabs->count() && root->isVisible(); ++page) {
                tabs->setCurrentIndex(page);
                sweepVisible(root, window, buttons, prepare, done);
            }
        }
    }

    void sweepVisible(QWidget *root, const QString &window, const QStringList &buttons,
                      const std::function<void()> &prepare, QSet<QLineEdit *> &done)
    {
        QSet<QLineEdit *> swept;
        for (const Hostile &row : hostileTexts()) {
            for (const bool typed : {false, true}) {
                if (typed && row.text.size() > 100)
                    continue; // typed: as a scanner or a cashier would; long texts are pasted
                if (prepare)
                    prepare();
                const QList<QLineEdit *> fields = root->findChildren<QLineEdit *>();
                for (QLineEdit *field : fields) {
                    if (!field->isVisible() || !field->isEnabled() || field->isReadOnly() ||
                        done.contains(field))
                        continue;
                    swept.insert(field);
                    const QString where =
                        QStringLiteral("%1 %2 (%3, %4)")
                            .arg(window,
                                 field->objectName().isEmpty() ? field->parent()->objectName()
                                                               : field->objectName(),
                                 QLatin1String(row.name),
                                 typed ? QStringLiteral("typed") : QStringLiteral("pasted"));
                    m_fixture.ClearMessages();
                    ++m_attempts[window];
                    field->setFocus();
                    field->clear();
                    if (typed) {
                        typeText(field, row.text);
                    } else {
                        QApplication::clipboard()->setText(row.text);
                        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
                    }
                    // A date or number box's own editor keeps its own value.
                    const bool ownValue = qobject_cast<QAbstractSpinBox *>(field->parent());
                    if (!ownValue && !keptFrom(field->text(), row.text))
                        m_faults << where + QStringLiteral(": shows ") + field->text().left(40);
                    QPointer<QLineEdit> alive(field);
                    const QString entered = field->text();
                    QTest::keyClick(field, Qt::Key_Return);
                    for (const QString &name : buttons) {
                        auto *button = root->findChild<QPushButton *>(name);
                        if (!alive || !root->isVisible() || !button || !button->isVisible() ||
                            !button->isEnabled())
                            continue;
                        alive->setText(entered);
                        button->click();
                    }
                    for (const Msg::Record &message : m_fixture.Messages())
                        if (message.kind == Msg::Kind::Error && !hasChinese(message.text))
                            m_faults << where + QStringLiteral(": engine text shown: ") +
                                            message.text.left(120);
                    if (alive && alive->isVisible())
                        alive->clear();
                    if (!root->isVisible()) {
                        qInfo("%s closed itself after %s", qPrintable(window), qPrintable(where));
                        return;
                    }
                }
            }
        }
        done.unite(swept);
    }

private slots:
    void init()
    {
        m_fixture.Start();
        m_faults.clear();
        m_fixture.AddProduct(QStringLiteral("A1"), QStringLiteral("牛奶"), 10, 12.5, 12);
    }
    void cleanup() { m_fixture.Stop(); }

    void everyFieldOfEveryWindowSurvivesTheTable()
    {
        // The login window, before anyone is logged in.
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QVERIFY(QTest::qWaitFor([] { return loginfm->isVisible(); }));
        sweep(loginfm, QStringLiteral("login"), {QStringLiteral("loginButton")});
        QVERIFY(loginfm->isVisible());
        QVERIFY(m_fixture.Login());

        // The checkout: the code box, the line editor, the settlement's cash box.
        auto *codeBox = FindWidget<QLineEdit>(MainForm, "codeBox");
        sweep(MainForm, QStringLiteral("main"), {}, [&] {
            MainForm->CancelSettlement();
            if (Db::Scalar(QStringLiteral("select count(*) from data")).toInt() == 0)
                ScanCode(QStringLiteral("A1"));
            codeBox->setFocus();
        });
        sweep(MainForm, QStringLiteral("settlement"), {QStringLiteral("confirmButton")}, [&] {
            if (Db::Scalar(QStringLiteral("select count(*) from data")).toInt() == 0)
                ScanCode(QStringLiteral("A1"));
            MainForm->OpenSettlement();
        });
        sweep(MainForm, QStringLiteral("line editor"), {QStringLiteral("modifyButton")}, [&] {
            MainForm->CancelSettlement();
            if (Db::Scalar(QStringLiteral("select count(*) from data")).toInt() == 0)
                ScanCode(QStringLiteral("A1"));
            MainForm->OpenLineEditor(false);
        });
        MainForm->CloseLineEditor();
        MainForm->CancelSettlement();

        // User administration, unlocked; password change.
        Tuserglfm *admin = openUnlockedAdmin();
        QVERIFY(admin);
        sweep(admin, QStringLiteral("user admin"),
              {QStringLiteral("resetButton"), QStringLiteral("addButton"),
               QStringLiteral("deleteButton")});
        admin->close();
        action("changePasswordAction")->trigger();
        auto *change = MainForm->findChild<Tchangepassfm *>();
        QVERIFY(change);
        sweep(change, QStringLiteral("password change"), {QStringLiteral("changeButton")});
        change->close();

        // Backup and restore: their file boxes.
        FindWidget<QToolButton>(MainForm, "backupButton")->click();
        auto *backup = MainForm->findChild<Trepair *>();
        QVERIFY(backup);
        sweep(backup, QStringLiteral("backup"),
              {QStringLiteral("backupButton"), QStringLiteral("restoreButton")});
        backup->close();
        QVERIFY(dmfm->IsConnected());

        // The catalogue: the product window with its panel, the lookup, the import.
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        auto *panel = FindWidget<QWidget>(Form1, "editPanel");
        sweep(Form1, QStringLiteral("products"),
              {QStringLiteral("queryButton"), QStringLiteral("panelNewButton")}, [&] {
                  if (!panel->isVisible())
                      FindWidget<QPushButton>(Form1, "newButton")->click();
              });
        Form1->hide();
        ysfm->show();
        QVERIFY(QTest::qWaitForWindowExposed(ysfm));
        sweep(ysfm, QStringLiteral("lookup"), {QStringLiteral("queryButton")});
        ysfm->hide();
        excell->show();
        QVERIFY(QTest::qWaitForWindowExposed(excell));
        sweep(excell, QStringLiteral("import"));
        excell->hide();

        // The sales records' filters.
        xstj->show();
        QVERIFY(QTest::qWaitForWindowExposed(xstj));
        sweep(xstj, QStringLiteral("sales records"));
        xstj->hide();

        for (auto it = m_attempts.cbegin(); it != m_attempts.cend(); ++it)
            qInfo("%s: %d texts entered", qPrintable(it.key()), it.value());
        QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join(u'\n')));
        QCOMPARE(Db::Scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
    }

    // The till looks a code up as it stands: quotes, wildcards and escapes match only the
    // product with exactly that code. (The code box itself admits letters and digits.)
    void codesMatchExactly()
    {
        const QStringList codes = {QStringLiteral("' or '1'='1"), QStringLiteral("%"),
                                   QStringLiteral("_"),           QStringLiteral("\\"),
                                   QStringLiteral("5'寸\"屏\""),  QStringLiteral("🍎🥛"),
                                   QStringLiteral("한𠀀ꙮ")};
        for (int i = 0; i < codes.size(); ++i)
            m_fixture.AddProduct(codes[i], QStringLiteral("商品%1").arg(i), 1, 2 + i, 2);
        Till till;
        till.SetOperator(QStringLiteral("超级管理员"));
        for (int i = 0; i < codes.size(); ++i) {
            QCOMPARE(till.AddByCode(codes[i], 1), Till::AddResult::Added);
            QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data")).toInt(), i + 1);
            QCOMPARE(Db::Scalar(QStringLiteral("select c from data order by id desc limit 1"))
                         .toString(),
                     codes[i]);
        }
        QCOMPARE(till.AddByCode(QStringLiteral("%%"), 1), Till::AddResult::NotFound);
        QCOMPARE(till.AddByCode(QStringLiteral("' or 1=1 --"), 1), Till::AddResult::NotFound);
        QCOMPARE(Db::Scalar(QStringLiteral("select count(*) from data")).toInt(),
                 int(codes.size()));
    }

    // An input method in full-width mode types digits, letters and the point as
    // full-width forms: the filtered boxes read them as the ASCII characters.
    void fullWidthFormsAreReadAsAscii()
    {
        m_fixture.AddProduct(QStringLiteral("AB12"), QStringLiteral("面包"), 2, 3.5, 3);
        QVERIFY(m_fixture.Login());
        auto *codeBox = FindWidget<QLineEdit>(MainForm, "codeBox");
        codeBox->setFocus();
        typeText(codeBox, QStringLiteral("ａＢ１２"));
        QCOMPARE(codeBox->text(), QStringLiteral("aB12"));
        QTest::keyClick(codeBox, Qt::Key_Return);
        QCOMPARE(Db::Scalar(QStringLiteral("select c from data")).toString(),
                 QStringLiteral("AB12"));
        MainForm->OpenSettlement();
        auto *cashBox = FindWidget<QLineEdit>(MainForm, "cashBox");
        cashBox->clear();
        QApplication::clipboard()->setText(QStringLiteral("１２．５"));
        QTest::keyClick(cashBox, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(cashBox->text(), QStringLiteral("12.5"));
    }

    // A new operator's name is stored as typed, less the blanks around it.
    void operatorNamesAreStoredAsTyped()
    {
        QVERIFY(m_fixture.Login());
        Tuserglfm *admin = openUnlockedAdmin();
        QVERIFY(admin);
        auto *newName = FindWidget<QLineEdit>(admin, "newNameBox");
        for (const Hostile &row : hostileTexts()) {
            newName->clear();
            QApplication::clipboard()->setText(row.text);
            QTest::keyClick(newName, Qt::Key_V, Qt::ControlModifier);
            const QString shown = newName->text();
            const int before = Db::Scalar(QStringLiteral("select count(*) from userdb")).toInt();
            m_fixture.ClearMessages();
            QTest::keyClick(newName, Qt::Key_Return);
            const int after = Db::Scalar(QStringLiteral("select count(*) from userdb")).toInt();
            QCOMPARE(m_fixture.Messages().size(), 1);
            if (after == before + 1)
                QVERIFY2(Db::Scalar(QStringLiteral("select count(*) from userdb where username=?"),
                                    {TrimControl(shown)})
                                 .toInt() == 1,
                         row.name);
            else
                QVERIFY2(after == before, row.name);
        }
        admin->close();
    }
};

ZENTRIK_TEST_MAIN(TestHostile)
#include "tst_hostile.moc"
