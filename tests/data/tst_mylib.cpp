// Required-field checks and the statement routines every window uses.

#include "components/inputs.h"
#include "data/dataset.h"
#include "data/db.h"
#include "data/dm.h"
#include "data/mylib.h"
#include "fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <memory>

class TestMylib : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Tdmfm> m_dm;
    QList<Msg::Record> m_messages;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dm = std::make_unique<Tdmfm>(m_dir->filePath(QStringLiteral("data.db")));
        m_messages.clear();
        Msg::SetHandler([this](const Msg::Record &r) {
            m_messages << r;
            return true;
        });
    }

    void cleanup()
    {
        Msg::SetHandler(nullptr);
        m_dm.reset();
        m_dir.reset();
    }

    void requiredFieldChecks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("passes");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks") << "   " << false;
        QTest::newRow("tabs and control characters") << "\t\x01 " << false;
        QTest::newRow("word in blanks") << "  ab  " << true;
        QTest::newRow("full-width blank is text") << "\u3000" << true;
    }

    void requiredFieldChecks()
    {
        QFETCH(QString, text);
        QFETCH(bool, passes);
        QWidget window;
        auto *other = new QLineEdit(&window);
        auto *edit = new QLineEdit(&window);
        auto *combo = new QComboBox(&window);
        combo->setEditable(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        edit->setText(text);
        other->setFocus();
        QCOMPARE(RequireEditText(edit, QStringLiteral("必须输入密码！")), passes);
        QCOMPARE(edit->text(), text); // never trimmed in place
        combo->setEditText(text);
        QCOMPARE(RequireComboText(combo, QStringLiteral("必须选择用户！")), passes);

        if (passes) {
            QVERIFY(m_messages.isEmpty());
            QVERIFY(other->hasFocus());
        } else {
            QCOMPARE(m_messages.size(), 2);
            QCOMPARE(m_messages[0].kind, Msg::Kind::Warning);
            QCOMPARE(m_messages[0].title, QStringLiteral("Warning"));
            QCOMPARE(m_messages[0].text, QStringLiteral("必须输入密码！"));
            QCOMPARE(m_messages[1].text, QStringLiteral("必须选择用户！"));
            QVERIFY(combo->hasFocus());
        }
    }

    void fillComboListsDistinctValuesInOrder()
    {
        QComboBox combo;
        combo.setEditable(true);
        combo.addItem(QStringLiteral("old"));
        FillComboDistinct(*m_dm->ADOQuery1, QStringLiteral("username"), QStringLiteral("userdb"),
                          &combo);
        QCOMPARE(combo.count(), 1);
        QCOMPARE(combo.currentText(), QString()); // selection is the caller's business

        for (const char *name : {"zhang", "li", "zhang", "wang"})
            Db::InsertRow(QStringLiteral("userdb"),
                          {{QStringLiteral("username"), QLatin1String(name)}});
        Db::InsertRow(QStringLiteral("userdb"), {{QStringLiteral("username"), QVariant()}});
        FillComboDistinct(*m_dm->ADOQuery1, QStringLiteral("username"), QStringLiteral("userdb"),
                          &combo);
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i);
        QCOMPARE(items, (QStringList{QStringLiteral("li"), QStringLiteral("wang"),
                                     QStringLiteral("zhang"), QStringLiteral("超级管理员")}));
        QVERIFY(m_dm->ADOQuery1->IsOpen());
    }

    void fillComboOnEmptyTableLeavesNothing()
    {
        Db::Run(QStringLiteral("delete from userdb"));
        QComboBox combo;
        combo.setEditable(true);
        combo.addItem(QStringLiteral("old"));
        combo.setEditText(QStringLiteral("typed"));
        FillComboDistinct(*m_dm->ADOQuery1, QStringLiteral("username"), QStringLiteral("userdb"),
                          &combo);
        QCOMPARE(combo.count(), 0);
        QCOMPARE(combo.currentText(), QString());
    }

    void statementsBindValuesAndLeaveTheQueryAsDocumented()
    {
        Dataset &q = *m_dm->ADOQuery1;
        ReopenQuery(q, QStringLiteral("select username from userdb where username=?"),
                    {QStringLiteral("超级管理员")});
        QVERIFY(q.IsOpen());
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.CurrentRow(), 0);

        // A change that matches nothing passes silently; the query is closed afterwards.
        ExecuteStatement(q, QStringLiteral("update userdb set passwd=? where username=?"),
                         {QStringLiteral("x"), QStringLiteral("' or '1'='1")});
        QVERIFY(!q.IsOpen());
        QCOMPARE(q.RecordCount(), 0);
        QVERIFY(q.Field(QStringLiteral("username")).isNull());
        QCOMPARE(Db::Scalar(QStringLiteral("select passwd from userdb")).toString(),
                 QStringLiteral("123"));
        QVERIFY(m_messages.isEmpty());

        QVERIFY_THROWS_EXCEPTION(DbError, ReopenQuery(q, QStringLiteral("select nonsense from")));
        QVERIFY(!q.IsOpen());
    }
};

ZENTRIK_TEST_MAIN(TestMylib)
#include "tst_mylib.moc"
