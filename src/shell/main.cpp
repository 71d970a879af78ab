#include "shell/MAIN.h"
#include "components/messages.h"
#include "data/db.h"
#include "shell/application.h"
#include "shell/startup.h"

int main(int argc, char **argv)
{
    ZentrikApplication app(argc, argv);
    try {
        CreateWindows();
    } catch (const DbError &error) {
        Msg::Error(error.Message());
        DestroyWindows();
        return 1;
    }
    MainForm->show();
    const int result = app.exec();
    DestroyWindows();
    return result;
}
