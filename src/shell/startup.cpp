#include "shell/startup.h"

#include "catalogue/Unit1.h"
#include "catalogue/excel.h"
#include "catalogue/ys.h"
#include "data/dm.h"
#include "maintenance/About.h"
#include "operators/login.h"
#include "sales/Unit2.h"
#include "sales/Unit4.h"
#include "shell/MAIN.h"

#include <QApplication>

void CreateWindows()
{
    // The main window comes first and must not touch the database when created; the
    // data module opens the connection; the other windows follow.
    MainForm = new TMainForm;
    loginfm = new Tloginfm(MainForm);
    dmfm = new Tdmfm;
    AboutBox = new TAboutBox(MainForm);
    xstj = new Txstj(MainForm);
    Form1 = new TForm1(MainForm);
    excell = new Texcell(MainForm);
    Form2 = new TForm2(MainForm);
    ysfm = new Tysfm(MainForm);
}

void DestroyWindows()
{
    delete ysfm;
    ysfm = nullptr;
    delete Form2;
    Form2 = nullptr;
    delete excell;
    excell = nullptr;
    delete Form1;
    Form1 = nullptr;
    delete xstj;
    xstj = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete loginfm;
    loginfm = nullptr;
    delete MainForm; // also destroys the windows it owns
    MainForm = nullptr;
    delete dmfm;
    dmfm = nullptr;
}

void EndProgramWithMainWindow(QApplication &app)
{
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(MainForm, &TMainForm::Closed, &app, &QCoreApplication::quit);
}
