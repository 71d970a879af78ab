#pragma once
// The looks of the program: one style sheet template whose @role@ places are filled
// from a palette per look. Look -1 is the designed look, 0 to Count() - 1 the stored
// skins of the settings menu.

#include <QColor>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace Skins {

int Count();
QString Name(int skin);
QStringList Roles();
QHash<QString, QColor> Palette(int skin);
QString Template();
// The template with every role replaced by its colour.
QString Fill(const QString &sheetTemplate, const QHash<QString, QColor> &palette);
QString Sheet(int skin);

// Text role and the background role it is drawn on; every pair must read at 4.5:1.
QList<QPair<QString, QString>> TextPairs();
// Focus frames and the backgrounds they surround; every pair must stand out at 3:1.
QList<QPair<QString, QString>> FramePairs();
// The colour of the arrow pictures (icons/up.svg, down.svg) drawn on the arrow role.
QColor ArrowColour();
// WCAG contrast ratio of two colours, 1 to 21.
double Contrast(const QColor &a, const QColor &b);

} // namespace Skins
