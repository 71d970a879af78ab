#include "shell/MAIN.h"
#include "components/messages.h"
#include "data/dbproblem.h"
#include "shell/application.h"
#include "shell/startup.h"

#include <cstdio>

namespace {

// With ZENTRIK_UNATTENDED set (a supervising script, the tests that start the program as
// a process), every message is written to standard error instead of a box, and questions
// get their cautious answer (Cancel, No).
void answerMessagesOnStandardError()
{
    if (qEnvironmentVariableIsEmpty("ZENTRIK_UNATTENDED"))
        return;
    Msg::SetHandler([](const Msg::Record &record) {
        std::fprintf(stderr, "%s\n", record.text.toUtf8().constData());
        std::fflush(stderr);
        return false;
    });
}

} // namespace

int main(int argc, char **argv)
{
    ZentrikApplication app(argc, argv);
    answerMessagesOnStandardError();
    try {
        CreateWindows();
    } catch (const DbOpenError &error) {
        if (error.Kind() == DbProblem::Kind::AlreadyRunning)
            Msg::Info(error.Message());
        else
            Msg::Error(error.Message());
        DestroyWindows();
        return 1;
    } catch (const DbError &error) {
        Msg::Error(error.Message());
        DestroyWindows();
        return 1;
    }
    EndProgramWithMainWindow(app);
    MainForm->show();
    const int result = app.exec();
    DestroyWindows();
    return result;
}
