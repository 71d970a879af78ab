#pragma once
// The widgets of the main window, its line editor and settlement panel, and the login
// window, found by object name as a user's tools would find them. Each call finds them
// afresh, so a restarted program is found too.

#include "components/datagrid.h"
#include "fixture.h"
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

struct MainParts
{
    QLineEdit *codeBox = FindWidget<QLineEdit>(MainForm, "codeBox");
    DataGrid *cartGrid = FindWidget<DataGrid>(MainForm, "cartGrid");
    QLabel *saleNumberLabel = FindWidget<QLabel>(MainForm, "saleNumberLabel");
    QLabel *totalLabel = FindWidget<QLabel>(MainForm, "totalLabel");
    QLabel *quantityLabel = FindWidget<QLabel>(MainForm, "quantityLabel");
    QToolButton *settleButton = FindWidget<QToolButton>(MainForm, "settleButton");
    QToolButton *settingsButton = FindWidget<QToolButton>(MainForm, "settingsButton");
    QToolButton *productsButton = FindWidget<QToolButton>(MainForm, "productsButton");
    QToolButton *salesButton = FindWidget<QToolButton>(MainForm, "salesButton");
    QToolButton *slipButton = FindWidget<QToolButton>(MainForm, "slipButton");
    QToolButton *backupButton = FindWidget<QToolButton>(MainForm, "backupButton");
    QToolButton *supportButton = FindWidget<QToolButton>(MainForm, "supportButton");
    QPushButton *lookupButton = FindWidget<QPushButton>(MainForm, "lookupButton");
    QAction *changePasswordAction = FindWidget<QAction>(MainForm, "changePasswordAction");
    QAction *userAdminAction = FindWidget<QAction>(MainForm, "userAdminAction");
    QAction *upgradeAction = FindWidget<QAction>(MainForm, "upgradeAction");
    QAction *websiteAction = FindWidget<QAction>(MainForm, "websiteAction");
    QAction *aboutAction = FindWidget<QAction>(MainForm, "aboutAction");
    QAction *skin0Action = FindWidget<QAction>(MainForm, "skin0Action");
    QAction *skin1Action = FindWidget<QAction>(MainForm, "skin1Action");
    QAction *skin2Action = FindWidget<QAction>(MainForm, "skin2Action");
    QAction *skin3Action = FindWidget<QAction>(MainForm, "skin3Action");
    QAction *skin4Action = FindWidget<QAction>(MainForm, "skin4Action");
    QAction *reprintAction = FindWidget<QAction>(MainForm, "reprintAction");
};

struct LineEditorParts
{
    QLineEdit *salePriceEdit = FindWidget<QLineEdit>(MainForm, "salePriceEdit");
    QLineEdit *memberPriceEdit = FindWidget<QLineEdit>(MainForm, "memberPriceEdit");
    QLineEdit *quantityEdit = FindWidget<QLineEdit>(MainForm, "quantityEdit");
    QLineEdit *amountEdit = FindWidget<QLineEdit>(MainForm, "amountEdit");
    QPushButton *modifyButton = FindWidget<QPushButton>(MainForm, "modifyButton");
    QToolButton *quantityUpButton = FindWidget<QToolButton>(MainForm, "quantityUpButton");
    QToolButton *quantityDownButton = FindWidget<QToolButton>(MainForm, "quantityDownButton");
    QToolButton *lineEditorCloseButton = FindWidget<QToolButton>(MainForm, "lineEditorCloseButton");
};

struct SettlementParts
{
    QLineEdit *cashBox = FindWidget<QLineEdit>(MainForm, "cashBox");
    QLabel *totalValue = FindWidget<QLabel>(MainForm, "totalValue");
    QLabel *receivedValue = FindWidget<QLabel>(MainForm, "receivedValue");
    QLabel *changeLabel = FindWidget<QLabel>(MainForm, "changeLabel");
    QPushButton *confirmButton = FindWidget<QPushButton>(MainForm, "confirmButton");
    QPushButton *cancelButton = FindWidget<QPushButton>(MainForm, "cancelButton");
    QCheckBox *printCheck = FindWidget<QCheckBox>(MainForm, "printCheck");
    QToolButton *settlementCloseButton = FindWidget<QToolButton>(MainForm, "settlementCloseButton");
};

struct LoginParts
{
    QComboBox *userBox = FindWidget<QComboBox>(loginfm, "userBox");
    QLineEdit *passwordBox = FindWidget<QLineEdit>(loginfm, "passwordBox");
    QPushButton *loginButton = FindWidget<QPushButton>(loginfm, "loginButton");
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
