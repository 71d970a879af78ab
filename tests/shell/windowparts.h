#pragma once
// The widgets of the main window, its line editor and settlement panel, and the login
// window, found by object name as a user's tools would find them. Each call finds them
// afresh, so a restarted program is found too.

#include "components/datagrid.h"
#include "operators/login.h"
#include "shell/MAIN.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

template <class T> T *ChildNamed(const QObject *root, const char *name)
{
    T *child = root ? root->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!child)
        qFatal("no widget named %s", name);
    return child;
}

struct MainParts
{
    QLineEdit *codeBox = ChildNamed<QLineEdit>(MainForm, "codeBox");
    DataGrid *cartGrid = ChildNamed<DataGrid>(MainForm, "cartGrid");
    QLabel *saleNumberLabel = ChildNamed<QLabel>(MainForm, "saleNumberLabel");
    QLabel *totalLabel = ChildNamed<QLabel>(MainForm, "totalLabel");
    QLabel *quantityLabel = ChildNamed<QLabel>(MainForm, "quantityLabel");
    QToolButton *settleButton = ChildNamed<QToolButton>(MainForm, "settleButton");
    QToolButton *settingsButton = ChildNamed<QToolButton>(MainForm, "settingsButton");
    QToolButton *productsButton = ChildNamed<QToolButton>(MainForm, "productsButton");
    QToolButton *salesButton = ChildNamed<QToolButton>(MainForm, "salesButton");
    QToolButton *slipButton = ChildNamed<QToolButton>(MainForm, "slipButton");
    QToolButton *backupButton = ChildNamed<QToolButton>(MainForm, "backupButton");
    QToolButton *supportButton = ChildNamed<QToolButton>(MainForm, "supportButton");
    QPushButton *lookupButton = ChildNamed<QPushButton>(MainForm, "lookupButton");
    QAction *changePasswordAction = ChildNamed<QAction>(MainForm, "changePasswordAction");
    QAction *userAdminAction = ChildNamed<QAction>(MainForm, "userAdminAction");
    QAction *upgradeAction = ChildNamed<QAction>(MainForm, "upgradeAction");
    QAction *websiteAction = ChildNamed<QAction>(MainForm, "websiteAction");
    QAction *aboutAction = ChildNamed<QAction>(MainForm, "aboutAction");
    QAction *skin0Action = ChildNamed<QAction>(MainForm, "skin0Action");
    QAction *skin1Action = ChildNamed<QAction>(MainForm, "skin1Action");
    QAction *skin2Action = ChildNamed<QAction>(MainForm, "skin2Action");
    QAction *skin3Action = ChildNamed<QAction>(MainForm, "skin3Action");
    QAction *skin4Action = ChildNamed<QAction>(MainForm, "skin4Action");
    QAction *reprintAction = ChildNamed<QAction>(MainForm, "reprintAction");
};

struct LineEditorParts
{
    QLineEdit *salePriceEdit = ChildNamed<QLineEdit>(MainForm, "salePriceEdit");
    QLineEdit *memberPriceEdit = ChildNamed<QLineEdit>(MainForm, "memberPriceEdit");
    QLineEdit *quantityEdit = ChildNamed<QLineEdit>(MainForm, "quantityEdit");
    QLineEdit *amountEdit = ChildNamed<QLineEdit>(MainForm, "amountEdit");
    QPushButton *modifyButton = ChildNamed<QPushButton>(MainForm, "modifyButton");
    QToolButton *quantityUpButton = ChildNamed<QToolButton>(MainForm, "quantityUpButton");
    QToolButton *quantityDownButton = ChildNamed<QToolButton>(MainForm, "quantityDownButton");
    QToolButton *lineEditorCloseButton = ChildNamed<QToolButton>(MainForm, "lineEditorCloseButton");
};

struct SettlementParts
{
    QLineEdit *cashBox = ChildNamed<QLineEdit>(MainForm, "cashBox");
    QLabel *totalValue = ChildNamed<QLabel>(MainForm, "totalValue");
    QLabel *receivedValue = ChildNamed<QLabel>(MainForm, "receivedValue");
    QLabel *changeLabel = ChildNamed<QLabel>(MainForm, "changeLabel");
    QPushButton *confirmButton = ChildNamed<QPushButton>(MainForm, "confirmButton");
    QPushButton *cancelButton = ChildNamed<QPushButton>(MainForm, "cancelButton");
    QCheckBox *printCheck = ChildNamed<QCheckBox>(MainForm, "printCheck");
    QToolButton *settlementCloseButton = ChildNamed<QToolButton>(MainForm, "settlementCloseButton");
};

struct LoginParts
{
    QComboBox *userBox = ChildNamed<QComboBox>(loginfm, "userBox");
    QLineEdit *passwordBox = ChildNamed<QLineEdit>(loginfm, "passwordBox");
    QPushButton *loginButton = ChildNamed<QPushButton>(loginfm, "loginButton");
};

// Found afresh on every use: `Main()->codeBox`.
template <class Parts> const Parts *Found()
{
    static Parts parts;
    parts = Parts();
    return &parts;
}
inline const MainParts *Main()
{
    return Found<MainParts>();
}
inline const LineEditorParts *Editor()
{
    return Found<LineEditorParts>();
}
inline const SettlementParts *Panel()
{
    return Found<SettlementParts>();
}
inline const LoginParts *LoginWindow()
{
    return Found<LoginParts>();
}
