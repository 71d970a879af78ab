#pragma once
// Starts the program as main() does, in a fresh temporary working folder with a fresh
// database and settings, and answers every message box instead of a user.

#include "components/messages.h"
#include "shell/application.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class Fixture
{
public:
    // Creates the folder, points config.ini and the database into it, clears the per-user
    // settings and creates every window. Call from init().
    void Start();
    // Destroys the windows and the folder. Call from cleanup().
    void Stop();
    // Destroys and re-creates the windows in the same folder: a restart of the program.
    void Restart();

    // Logs in through the login window as a user would: shows the main window, picks or
    // types the name, types the password, presses Enter twice. True when a session opened.
    bool Login(const QString &name = QStringLiteral("超级管理员"),
               const QString &password = QStringLiteral("123"));
    // Adds a product to the catalogue.
    void AddProduct(const QString &code, const QString &name, double purchase, double sale,
                    double member, const QString &unit = QStringLiteral("个"));

    QString Dir() const;
    QString FilePath(const QString &name) const;

    // Messages shown since Start() (or the last ClearMessages()).
    QList<Msg::Record> Messages() const { return m_messages; }
    QStringList MessageTexts() const;
    void ClearMessages() { m_messages.clear(); }
    // Answers for the next questions, in order; a question without a queued answer is
    // answered OK / Yes.
    void AnswerNext(bool answer) { m_answers << answer; }
    // Names handed to the next file dialogs, in order.
    void NextFileName(const QString &path) { m_fileNames << path; }
    QList<QUrl> OpenedUrls() const { return m_urls; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    QList<Msg::Record> m_messages;
    QList<bool> m_answers;
    QStringList m_fileNames;
    QList<QUrl> m_urls;
};

// The widget named `name` below `root`, found as a user's tool would find it: by its object
// name. A missing widget ends the test run with the name, so a renamed control is obvious.
template <class T> T *FindWidget(const QObject *root, const char *name)
{
    T *widget = root ? root->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!widget)
        qFatal("no widget named %s", name);
    return widget;
}

// Types a code into the main window's code box and presses Enter, as a scanner does.
void ScanCode(const QString &code);

// A test main that runs the class under the program's own application object, so an
// engine error raised by a driven widget reaches the same event boundary as in use.
#define ZENTRIK_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        ZentrikApplication app(argc, argv);                                                        \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
