#include "shell/application.h"

#include "components/messages.h"
#include "data/db.h"
#include "data/dbproblem.h"
#include "data/dm.h"
#include "data/notice.h"
#include "shell/maker.h"

#include <QFont>
#include <QIcon>
#include <QProxyStyle>

namespace {

// Hints appear at once and stay two seconds; passwords show as "*" in every skin (a
// skin's state rules for entry fields make Qt ignore a sheet's own password character).
class HintStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 0;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 2000;
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

ZentrikApplication::ZentrikApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    SetUpApplication(*this);
}

bool ZentrikApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError &error) {
        // A locked file, a full disk, a damaged file: said in the user's words, with the
        // engine's text as the detail. The action's transaction has been rolled back.
        Msg::Error(DbProblem::ActionMessage(error, dmfm ? dmfm->Path() : QString()));
    } catch (const std::exception &error) {
        Msg::Error(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

void SetUpApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("zentrikpos"));
    // Titles are shown as given: no display name for the platform to append to them.
    Msg::SetApplicationTitle(Maker::ProductTitle());
    app.setApplicationVersion(Maker::Version());
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    // The windows are designed in the Windows faces 宋体 and 华文中宋; these installed
    // faces carry the same glyphs.
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    QFont::insertSubstitution(QStringLiteral("华文中宋"), QStringLiteral("WenQuanYi Zen Hei"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    app.setFont(font);
    app.setStyle(new HintStyle);
    // What a routine of the data layer has to tell the user comes up as a plain message.
    Notice::SetHook([](const QString &text) { Msg::Info(text); });
}
