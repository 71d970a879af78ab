#include "shell/skins/skins.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <iterator>

namespace Skins {
namespace {

struct Look
{
    const char *name;
    // Colours of the roles, in the order of roleNames.
    const char *colours[55];
};

// The roles every look gives a colour: backgrounds, the texts on them, frames.
const char *const roleNames[] = {
    "window",        "windowText",   "dialog",       "header",         "header2",
    "banner",        "banner2",      "bannerText",   "caption",        "accent",
    "field",         "fieldText",    "fieldBorder",  "focus",          "selection",
    "selectionText", "readOnly",     "readOnlyText", "disabledText",   "button",
    "button2",       "buttonText",   "buttonBorder", "buttonHover",    "table",
    "tableAlt",      "tableText",    "grid",         "tableSelection", "tableSelectionText",
    "heading",       "heading2",     "headingText",  "totals",         "totals2",
    "totalText",     "quantityText", "toolText",     "toolHover",      "status",
    "statusText",    "menu",         "menuText",     "menuSelection",  "menuSelectionText",
    "panel",         "panelBorder",  "panelText",    "cashText",       "changeText",
    "arrow",         "tip",          "tipText",      "buttonFocus",    "warningText",
};

// The designed look first, then the five stored skins in menu order.
const Look looks[] = {
    {"设计外观",
     {"#F0F0F0", "#1A1A1A", "#F0F0F0", "#F0F0F0", "#E4E8EE", "#1A4E9C", "#2F6FC8", "#FFFFFF",
      "#24324A", "#1F5FBF", "#FFFFFF", "#1A1A1A", "#8A96A8", "#2F7BE8", "#2F6FD0", "#FFFFFF",
      "#E9ECF1", "#2E3A4C", "#8A8A8A", "#FDFDFD", "#E4E8EE", "#1A1A1A", "#8A96A8", "#DCEBFC",
      "#FFFFFF", "#F4F7FB", "#1A1A1A", "#C8C8C8", "#2F6FD0", "#FFFFFF", "#E8EEF6", "#D5DFEC",
      "#1A1A1A", "#A6CAF0", "#A6CAF0", "#0E3470", "#1E3F66", "#1A1A1A", "#DCEBFC", "#F0F0F0",
      "#1A1A1A", "#FFFFFF", "#1A1A1A", "#DCEBFC", "#0E3470", "#F7F9FC", "#7F98BA", "#1A1A1A",
      "#0E3470", "#C0001A", "#F4F6F9", "#FFFFE1", "#1A1A1A", "#2F7BE8", "#C0001A"}},
    {"黑色经典",
     {"#262626", "#E6E6E6", "#2B2B2B", "#333333", "#242424", "#0E0E0E", "#3A3A3A", "#F5F5F5",
      "#D0D0D0", "#F0B040", "#1A1A1A", "#F2F2F2", "#6A6A6A", "#E0A030", "#E0A030", "#111111",
      "#2E2E2E", "#C8C8C8", "#7A7A7A", "#4C4C4C", "#353535", "#F0F0F0", "#6E6E6E", "#585858",
      "#1C1C1C", "#242424", "#E6E6E6", "#363636", "#E0A030", "#111111", "#474747", "#333333",
      "#F2F2F2", "#141414", "#050505", "#FFB020", "#D8D8D8", "#E6E6E6", "#3C3C3C", "#1A1A1A",
      "#BDBDBD", "#2C2C2C", "#E6E6E6", "#E0A030", "#111111", "#303030", "#8A8A8A", "#EDEDED",
      "#FFB020", "#FF6B6B", "#D8D8D8", "#FFC286", "#1A1A1A", "#E0A030", "#FF6B6B"}},
    {"蓝色幻想",
     {"#E4EEFC", "#0F2A52", "#E8F0FC", "#1E56B5", "#163F8A", "#0A2F78", "#1E6FD9", "#FFFFFF",
      "#FFFFFF", "#FFE28A", "#FFFFFF", "#0F2A52", "#6F98D2", "#1E6FD9", "#1E6FD9", "#FFFFFF",
      "#E3ECF8", "#0F2A52", "#6A7D99", "#2566C8", "#1B55B0", "#FFFFFF", "#1B55B0", "#2F6ED0",
      "#FFFFFF", "#EEF4FD", "#0F2A52", "#D3E0F3", "#2A6FD6", "#FFFFFF", "#2F70D0", "#2763C4",
      "#FFFFFF", "#2467D0", "#123A80", "#FFFFFF", "#E4EEFF", "#0F2A52", "#C9DCF6", "#2763C4",
      "#FFFFFF", "#FFFFFF", "#0F2A52", "#2A6FD6", "#FFFFFF", "#F3F8FF", "#2A6FD6", "#0F2A52",
      "#0A2F78", "#C0001A", "#F3F8FF", "#FFC286", "#1A1A1A", "#FFE28A", "#C0001A"}},
    {"梦幻天空",
     {"#F3FAFF", "#1D3B5A", "#F5FAFF", "#E6F5FF", "#FFFFFF", "#8ED1F7", "#D9F0FF", "#0E3A60",
      "#1D3B5A", "#146EA6", "#FFFFFF", "#1D3B5A", "#6FB5E0", "#1E88C8", "#1A7CB8", "#FFFFFF",
      "#EAF4FA", "#1D3B5A", "#7A93A8", "#FFFFFF", "#DAF0FD", "#1D3B5A", "#6FB5E0", "#C4E7FB",
      "#FFFFFF", "#F2F9FF", "#1D3B5A", "#DCEEFA", "#1A7CB8", "#FFFFFF", "#E4F4FE", "#C9E8FB",
      "#0E4A7A", "#BFE6FC", "#8CCFF4", "#0B3E6A", "#134C78", "#1D3B5A", "#D4EDFC", "#E6F4FE",
      "#2A5478", "#FFFFFF", "#1D3B5A", "#D4EDFC", "#0E4A7A", "#FFFFFF", "#8CC8EC", "#1D3B5A",
      "#0B3E6A", "#C8102E", "#F2F9FF", "#FFC286", "#1A1A1A", "#1E88C8", "#C8102E"}},
    {"黑色遐想",
     {"#1B1826", "#E6E1F5", "#1A1724", "#231E33", "#17141F", "#2A1650", "#4C1D95", "#FFFFFF",
      "#CFC7EA", "#5EEAD4", "#0E0C14", "#F3F0FF", "#5B5280", "#2DD4BF", "#7C4DEF", "#FFFFFF",
      "#221E31", "#CFC7EA", "#6E6787", "#433572", "#2C2350", "#F3F0FF", "#5B4A8C", "#52418A",
      "#12101A", "#1A1724", "#E6E1F5", "#2A2540", "#2DD4BF", "#0B0A10", "#3B2A66", "#281C4A",
      "#EDE7FF", "#2E1065", "#134E4A", "#5EEAD4", "#D8CCFF", "#E6E1F5", "#2E2842", "#0C0B11",
      "#A99FCB", "#1C1926", "#E6E1F5", "#7C4DEF", "#FFFFFF", "#1C1926", "#8B5CF6", "#EDE7FF",
      "#5EEAD4", "#FF7A8C", "#D8D2EE", "#FFC286", "#1A1A1A", "#2DD4BF", "#FF7A8C"}},
    {"梦想成真",
     {"#FFF8F1", "#4A2430", "#FFF7F0", "#FBE3D6", "#FFF5EC", "#9E4F5F", "#8A5A1E", "#FFFFFF",
      "#5A2A36", "#8E4320", "#FFFDFB", "#4A2430", "#C99A8A", "#8E3A4A", "#A34A5A", "#FFFFFF",
      "#F6EBE4", "#4A2430", "#A58C90", "#FBE2B4", "#E9B872", "#4A2430", "#C99A4E", "#FDEBC8",
      "#FFFDFB", "#FDF1EA", "#4A2430", "#F1DDD3", "#A34A5A", "#FFFFFF", "#B05D6E", "#9E4F5F",
      "#FFFFFF", "#F7CDCB", "#F5DFA6", "#6B1F33", "#6B2F3C", "#4A2430", "#F8DDD2", "#F6DCD1",
      "#5A2A36", "#FFFAF6", "#4A2430", "#F3C9CF", "#3D1A24", "#FFF8F2", "#D4A055", "#4A2430",
      "#6B1F33", "#B0001A", "#FFF3E6", "#FFC286", "#1A1A1A", "#8E3A4A", "#B0001A"}},
};

const Look &look(int skin)
{
    const int index = skin + 1;
    return looks[index >= 0 && index < int(std::size(looks)) ? index : 0];
}

} // namespace

int Count()
{
    return int(std::size(looks)) - 1;
}

QString Name(int skin)
{
    return QString::fromUtf8(look(skin).name);
}

QStringList Roles()
{
    QStringList roles;
    for (const char *role : roleNames)
        roles << QString::fromLatin1(role);
    return roles;
}

QHash<QString, QColor> Palette(int skin)
{
    QHash<QString, QColor> palette;
    const Look &l = look(skin);
    for (size_t i = 0; i < std::size(roleNames); ++i)
        palette.insert(QString::fromLatin1(roleNames[i]),
                       QColor(QString::fromLatin1(l.colours[i])));
    return palette;
}

QString Template()
{
    QFile file(QStringLiteral(":/skins/template.qss"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString Fill(const QString &sheetTemplate, const QHash<QString, QColor> &palette)
{
    static const QRegularExpression role(QStringLiteral("@([A-Za-z0-9]+)@"));
    QString sheet;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &m : role.globalMatch(sheetTemplate)) {
        sheet += sheetTemplate.mid(last, m.capturedStart() - last);
        const auto colour = palette.constFind(m.captured(1));
        // An unknown role is left in place, so the sheet fails to parse and a test sees it.
        sheet +=
            colour != palette.constEnd() ? colour->name(QColor::HexRgb).toUpper() : m.captured(0);
        last = m.capturedEnd();
    }
    return sheet + sheetTemplate.mid(last);
}

QString Sheet(int skin)
{
    return Fill(Template(), Palette(skin));
}

QList<QPair<QString, QString>> TextPairs()
{
    // Every text role with each background it is drawn on.
    const char *const pairs[][2] = {
        {"windowText", "window"},
        {"windowText", "dialog"},
        {"bannerText", "banner"},
        {"bannerText", "banner2"},
        {"caption", "header"},
        {"caption", "header2"},
        {"accent", "header"},
        {"accent", "header2"},
        {"fieldText", "field"},
        {"selectionText", "selection"},
        {"readOnlyText", "readOnly"},
        {"buttonText", "button"},
        {"buttonText", "button2"},
        {"buttonText", "buttonHover"},
        {"tableText", "table"},
        {"tableText", "tableAlt"},
        {"tableSelectionText", "tableSelection"},
        {"headingText", "heading"},
        {"headingText", "heading2"},
        {"totalText", "totals"},
        {"totalText", "totals2"},
        {"quantityText", "totals"},
        {"quantityText", "totals2"},
        {"toolText", "window"},
        {"toolText", "toolHover"},
        {"statusText", "status"},
        {"menuText", "menu"},
        {"menuSelectionText", "menuSelection"},
        {"panelText", "panel"},
        {"cashText", "field"},
        {"changeText", "panel"},
        {"warningText", "dialog"},
        {"tipText", "tip"},
    };
    QList<QPair<QString, QString>> result;
    for (const auto &pair : pairs)
        result.append({QString::fromLatin1(pair[0]), QString::fromLatin1(pair[1])});
    return result;
}

QList<QPair<QString, QString>> FramePairs()
{
    return {{QStringLiteral("focus"), QStringLiteral("field")},
            {QStringLiteral("buttonFocus"), QStringLiteral("button")},
            {QStringLiteral("buttonFocus"), QStringLiteral("button2")},
            {QStringLiteral("focus"), QStringLiteral("panel")}};
}

QColor ArrowColour()
{
    return QColor(0x3C, 0x46, 0x56);
}

double Contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace Skins
