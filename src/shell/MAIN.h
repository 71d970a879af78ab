#pragma once
// The main window: the checkout screen and the shell of the program.

#include <QApplication>
#include <QDate>
#include <QMainWindow>
#include <QWidget>
#include <memory>

#include "shell/settings.h"

class QLabel;
class QMenu;
class FloatingPanel;

class QTimer;
class Dataset;
class DataGrid;
struct ReceiptData;

namespace Ui {
class TMainForm;
class LineEditorForm;
class SettlementForm;
} // namespace Ui

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    Ui::TMainForm *ui() const { return m_ui.get(); }

    // Session number: the id of this login's rz row, 0 while nobody is logged in.
    qint64 SessionId() const { return m_sessionId; }
    void SetSessionId(qint64 id) { m_sessionId = id; }

    // Sale date of the line buffer: the date the window was last shown.
    QDate SaleDate() const { return m_saleDate; }

    // Skins: -1 is the designed look, 0 to 4 the stored skins.
    static int SkinCount() { return 5; }
    void ApplySkin(int skin);
    int CurrentSkin() const { return m_skin; }
    // A skin chosen from the settings menu: applied at once and remembered.
    void ChooseSkin(int skin);

    // Status-bar panels: 0 free, 1 operator, 2 today's date, 3 the maker's address.
    QLabel *StatusPanel(int index) const;

    FloatingPanel *LineEditorPanel() const { return m_lineEditorPanel; }
    FloatingPanel *SettlementPanel() const { return m_settlementPanel; }
    Ui::LineEditorForm *lineEditorUi() const { return m_lineEditorUi.get(); }
    Ui::SettlementForm *settlementUi() const { return m_settlementUi.get(); }

    // --- Cart (checkout/cart.cpp) ---
    // Adds the product whose code is in the code box, or merges into its cart line.
    void AddProductByCode();
    // The product lookup dialog's way in: puts nothing in the code box itself.
    void AddProductFromLookup();
    // Reloads the cart in entry order, moves to its last line, hides the settlement panel.
    void RefreshCartView();
    // Sets the total and quantity labels from the grid's footers.
    void UpdateCartTotals();
    // Deletes every cart line.
    void ClearCart();
    void OpenLineEditor(bool focusPrice);
    void ModifySelectedLine();
    void DeleteSelectedLine();
    void CloseLineEditor();

    // --- Settlement (checkout/settlement.cpp) ---
    void OpenSettlement();
    void FetchTotals();
    void ComputeChange();
    void ConfirmSettlement();
    void CancelSettlement();
    // Writes the sale number and counter to config.ini.
    void SaveSaleCounter();
    QString SaleNumber() const;
    QString SaleCounter() const { return m_saleCounter; }
    // The sale number that follows `counter` for an operator on a date.
    static QString FormatSaleNumber(const QString &operatorName, const QDate &date, qint64 counter);
    // The operator of the session (the login window's user box), or empty.
    static QString OperatorName();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildCheckout();
    // Shows the login window over this one unless a session is open or it is showing.
    void requestLogin();
    void buildCartGrid();
    void buildLineEditor();
    void buildSettlement();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void codeBoxReturnPressed();
    void cartGridRowClicked(int row);
    void cartGridTitleClicked();
    void quantityStep(int delta);
    void liveAmount();
    // Computes amount and profit into the buffer; false (with the message shown) when
    // the sale price or quantity is not a number.
    bool computeLine();
    void restoreSaleCounter();
    // Every value one settlement stores, read before anything is written.
    void collectReceipt(ReceiptData *receipt) const;
    void archiveSale(const QString &saleNumber);
    void writeSaleSummary(const QString &saleNumber);
    // Stores the next sale number and counter (inside the sale's transaction).
    Settings::SaleCounter advanceSaleNumber();

    void buildStatusBar();
    void buildMenus();
    void upgradeActionTriggered();
    void websiteActionTriggered();
    void aboutActionTriggered();

    std::unique_ptr<Ui::TMainForm> m_ui;
    std::unique_ptr<Ui::LineEditorForm> m_lineEditorUi;
    std::unique_ptr<Ui::SettlementForm> m_settlementUi;
    QTimer *m_changeTimer = nullptr;

    // The line buffer's hidden holders; the visible ones are the line editor's fields.
    struct LineBuffer
    {
        QString name, specification, code, category, supplier, unit;
        QString purchasePrice;
        QString profit;
        QString column5 = QStringLiteral("0");
    } m_line;
    QMenu *m_settingsMenu = nullptr;
    QMenu *m_supportMenu = nullptr;
    QList<QLabel *> m_statusPanels;
    FloatingPanel *m_lineEditorPanel = nullptr;
    FloatingPanel *m_settlementPanel = nullptr;
    qint64 m_sessionId = 0;
    QDate m_saleDate;
    QString m_saleCounter; // sale counter as decimal text
    int m_skin = -1;
};

extern TMainForm *MainForm;

// Returns the one window of class W, bringing it to the front, or creates it (owned by
// the main window; such windows show themselves and are destroyed when closed).
template <class W> W *ShowOrCreateWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->metaObject() != &W::staticMetaObject)
            continue;
        if (widget->isMinimized())
            widget->showNormal();
        else
            widget->show();
        widget->raise();
        widget->activateWindow();
        widget->setFocus();
        return static_cast<W *>(widget);
    }
    return new W(MainForm);
}
