#include "components/messages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace Msg {
namespace {

Handler &handler()
{
    static Handler h;
    return h;
}

FileHandler &fileHandler()
{
    static FileHandler h;
    return h;
}

UrlHandler &urlHandler()
{
    static UrlHandler h;
    return h;
}

QString &appTitle()
{
    static QString title;
    return title;
}

bool show(Kind kind, const QString &title, const QString &text)
{
    if (handler())
        return handler()(Record{kind, title, text});

    QWidget *parent = QApplication::activeWindow();
    switch (kind) {
    case Kind::Info:
        QMessageBox::information(parent, title, text);
        return true;
    case Kind::Warning:
        QMessageBox::warning(parent, title, text);
        return true;
    case Kind::Question:
        return QMessageBox::warning(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Cancel) == QMessageBox::Ok;
    case Kind::Confirm:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    case Kind::Error:
        QMessageBox::critical(parent, title, text);
        return true;
    }
    return false;
}

} // namespace

void Info(const QString &text)
{
    show(Kind::Info, appTitle(), text);
}

void Warning(const QString &text)
{
    show(Kind::Warning, QStringLiteral("Warning"), text);
}

bool Question(const QString &text)
{
    return show(Kind::Question, QStringLiteral("警告！"), text);
}

bool Confirm(const QString &text)
{
    return show(Kind::Confirm, appTitle(), text);
}

void Error(const QString &text)
{
    show(Kind::Error, appTitle(), text);
}

void SetApplicationTitle(const QString &title)
{
    appTitle() = title;
}

QString ApplicationTitle()
{
    return appTitle();
}

void SetHandler(Handler h)
{
    handler() = std::move(h);
}

QString SaveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter)
{
    if (fileHandler())
        return fileHandler()(caption, suggested);
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString OpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                     const QString &filter)
{
    if (fileHandler())
        return fileHandler()(caption, dir);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

void SetFileHandler(FileHandler h)
{
    fileHandler() = std::move(h);
}

void OpenUrl(const QUrl &url)
{
    if (urlHandler())
        urlHandler()(url);
    else
        QDesktopServices::openUrl(url);
}

void SetUrlHandler(UrlHandler h)
{
    urlHandler() = std::move(h);
}

} // namespace Msg
