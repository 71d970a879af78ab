#pragma once
// Every message box and every file or printer choice of the program goes through here,
// so that the wording and buttons are the same everywhere and tests can answer them.

#include <QString>
#include <functional>

class QWidget;
class QUrl;

namespace Msg {

enum class Kind {
    Info,     // plain message: application title, OK
    Warning,  // required field: title "Warning", OK
    Question, // "警告！" with OK and Cancel, Cancel preselected
    Confirm,  // confirmation with Yes and No
    Error     // error box: engine and program errors
};

struct Record
{
    Kind kind;
    QString title;
    QString text;
};

// The title of plain messages, confirmations and error boxes. A box shows exactly the
// title it is given: the program sets no application display name, which the platform
// would otherwise append to every window title.
void SetApplicationTitle(const QString &title);
QString ApplicationTitle();

// Plain message with the application title.
void Info(const QString &text);
// Warning box titled "Warning".
void Warning(const QString &text);
// "警告！" question; true when the user chose OK.
bool Question(const QString &text);
// Yes/No confirmation with the application title; true for Yes.
bool Confirm(const QString &text);
// Error box with the application title.
void Error(const QString &text);

// A handler receives every message instead of a modal box. Its return value answers
// questions and confirmations (ignored for the others). Pass nullptr to restore boxes.
using Handler = std::function<bool(const Record &)>;
void SetHandler(Handler handler);

// File choices. Without a handler the platform's dialog asks; an empty result means
// the user cancelled.
QString SaveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                     const QString &filter);
QString OpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                     const QString &filter);
using FileHandler = std::function<QString(const QString &caption, const QString &suggested)>;
void SetFileHandler(FileHandler handler);

// Opens a web address or mailto: link with the desktop's handler; the result is ignored.
void OpenUrl(const QUrl &url);
using UrlHandler = std::function<void(const QUrl &url)>;
void SetUrlHandler(UrlHandler handler);

} // namespace Msg
