#pragma once
// The maker's name and addresses, shown in the status bar, the about window, the
// support menu and on receipts. One place, so every window shows the same.

#include <QString>

namespace Maker {

inline QString Name()
{
    return QStringLiteral("泽恩特软件工作室");
}
inline QString WebAddress()
{
    return QStringLiteral("http://www.zentrikpos.cn");
}
inline QString Email()
{
    return QStringLiteral("support@zentrikpos.cn");
}
inline QString ProductTitle()
{
    return QStringLiteral("ZentrikPOS收银软件");
}
inline QString Version()
{
    return QStringLiteral(ZENTRIK_VERSION);
}

} // namespace Maker
