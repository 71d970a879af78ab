#include "fixture.h"

#include "data/db.h"
#include "operators/login.h"
#include "shell/MAIN.h"
#include "shell/settings.h"
#include "shell/startup.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QUrl>

void Fixture::Start()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    Settings::SetConfigDirectory(m_dir->path());
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brenwick"),
              QStringLiteral("voz"))
        .clear();
    m_messages.clear();
    m_answers.clear();
    m_fileNames.clear();
    m_urls.clear();
    Msg::SetHandler([this](const Msg::Record &record) {
        m_messages << record;
        return m_answers.isEmpty() ? true : m_answers.takeFirst();
    });
    Msg::SetFileHandler([this](const QString &, const QString &) {
        return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
    });
    Msg::SetUrlHandler([this](const QUrl &url) { m_urls << url; });
    CreateWindows();
}

void Fixture::Stop()
{
    DestroyWindows();
    Msg::SetHandler(nullptr);
    Msg::SetFileHandler(nullptr);
    Msg::SetUrlHandler(nullptr);
    qApp->setStyleSheet(QString());
    Settings::SetConfigDirectory(QString());
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void Fixture::Restart()
{
    DestroyWindows();
    CreateWindows();
}

QString Fixture::Dir() const
{
    return m_dir->path();
}

QString Fixture::FilePath(const QString &name) const
{
    return QDir(m_dir->path()).filePath(name);
}

QStringList Fixture::MessageTexts() const
{
    QStringList texts;
    for (const Msg::Record &record : m_messages)
        texts << record.text;
    return texts;
}

bool Fixture::Login(const QString &name, const QString &password)
{
    MainForm->show();
    if (!QTest::qWaitForWindowExposed(MainForm))
        return false;
    if (!QTest::qWaitFor([] { return loginfm->isVisible(); }))
        return false;
    auto *userBox = FindWidget<QComboBox>(loginfm, "userBox");
    auto *passwordBox = FindWidget<QLineEdit>(loginfm, "passwordBox");
    userBox->setEditText(name);
    passwordBox->setFocus();
    QTest::keyClicks(passwordBox, password);
    QTest::keyClick(passwordBox, Qt::Key_Return);
    QTest::keyClick(FindWidget<QWidget>(loginfm, "loginButton"), Qt::Key_Return);
    return MainForm->SessionId() != 0;
}

void Fixture::AddProduct(const QString &code, const QString &name, double purchase, double sale,
                         double member, const QString &unit)
{
    Db::InsertRow(QStringLiteral("sp"), {{QStringLiteral("商品编码"), code},
                                         {QStringLiteral("商品名称"), name},
                                         {QStringLiteral("商品类别"), QStringLiteral("饮料")},
                                         {QStringLiteral("规格型号"), QStringLiteral("500ml")},
                                         {QStringLiteral("进货单价"), purchase},
                                         {QStringLiteral("销售单价"), sale},
                                         {QStringLiteral("会员价"), member},
                                         {QStringLiteral("单位"), unit},
                                         {QStringLiteral("供货商"), QStringLiteral("农夫山泉")}});
}

void ScanCode(const QString &code)
{
    auto *codeBox = FindWidget<QLineEdit>(MainForm, "codeBox");
    QTest::keyClicks(codeBox, code);
    QTest::keyClick(codeBox, Qt::Key_Return);
}
