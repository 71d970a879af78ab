#include "shell/startup.h"

#include "data/dm.h"
#include "maintenance/About.h"
#include "operators/login.h"
#include "shell/MAIN.h"

void CreateWindows()
{
    // The main window comes first and must not touch the database when created; the
    // data module opens the connection; the other windows follow.
    MainForm = new TMainForm;
    loginfm = new Tloginfm(MainForm);
    dmfm = new Tdmfm;
    AboutBox = new TAboutBox(MainForm);
}

void DestroyWindows()
{
    delete AboutBox;
    AboutBox = nullptr;
    delete loginfm;
    loginfm = nullptr;
    delete MainForm; // also destroys the windows it owns
    MainForm = nullptr;
    delete dmfm;
    dmfm = nullptr;
}
