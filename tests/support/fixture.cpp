#include "fixture.h"

#include "shell/settings.h"
#include "shell/startup.h"

#include <QDir>
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
