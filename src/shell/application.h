#pragma once
// The application object: the program's title and fonts, and the event boundary where an
// error raised by a user action is shown and ends that action.

#include <QApplication>

class ZentrikApplication : public QApplication
{
    Q_OBJECT
public:
    ZentrikApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Title, font substitutions and hint timing shared by the program and its tests.
void SetUpApplication(QApplication &app);
