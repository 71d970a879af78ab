#pragma once
// The main window: the checkout screen and the shell of the program.

#include <QApplication>
#include <QDate>
#include <QMainWindow>
#include <QWidget>
#include <memory>

class QLabel;
class QMenu;
class QToolButton;
class FloatingPanel;

class QTimer;
class Dataset;
class DataGrid;
struct ReceiptData;
class Till;

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

    // Session number: the id of this login's rz row, 0 while nobody is logged in.
    qint64 SessionId() const { return m_sessionId; }
    // Starts the session of an operator whose login succeeded: the login log row first
    // (an engine error there leaves no session, name or restriction behind), then the
    // operator's name, rights, totals and the focus in the code box.
    void BeginSession(const QString &operatorName);
    // Ends the session: writes its logout time and shows the login for the next cashier;
    // the program goes on.
    void EndSession();

    // Sale date of the line buffer: the date the window was last shown.
    QDate SaleDate() const;
    // The checkout's rules; the named operations below are adapters onto it.
    Till &TillCore() const { return *m_till; }

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

    // --- Cart (checkout/cart.cpp) ---
    // Adds the product whose code is in the code box, or merges into its cart line.
    void AddProductByCode();
    // The product lookup dialog's way in: puts nothing in the code box itself.
    void AddProductFromLookup();
    // The lookup dialog's hand-over: the chosen code becomes the code box's text and is added.
    void AddProductFromLookup(const QString &code);
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
    QString SaleCounter() const;
    // Prints the receipt of a settled sale; a failure is reported, the sale stays stored.
    void PrintSaleReceipt(const ReceiptData &receipt);
    // "重打小票": prints the last settled sale again from the archive, marked as a reprint.
    void ReprintLastReceipt();
    // The sale number that follows `counter` for an operator on a date.
    static QString FormatSaleNumber(const QString &operatorName, const QDate &date, qint64 counter);
    // The operator of the open session, or empty.
    static QString OperatorName();

    // --- A shop's day (checkout/shopday.cpp) ---
    // Puts the cart on hold and empties it for the next customer.
    void HoldCart();
    // Lists the held sales and brings the chosen one back into the empty cart.
    void RecallHeldSale();
    // The return window, with the sale of this number shown when one is given.
    void OpenReturns(const QString &saleNumber = QString());
    // The shift report of a session, by default the one in progress.
    void OpenShiftReport(qint64 session = 0);

signals:
    // The window has closed: the program ends with it.
    void Closed();

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
    // The id of the cart line selected in the grid, 0 when none.
    qint64 selectedLineId() const;
    void restoreSaleCounter();
    void applyRestrictions(bool restricted);
    void buildShopDayCommands();
    // A tool-bar command after settlement that opens `menu`, in the look of the others.
    QToolButton *addToolBarMenu(const QString &name, const QString &text, const QString &icon,
                                QMenu *menu);
    void focusCodeBox();
    void showSaleNumber();
    void writeLogout();
    void markSkin();

    void buildStatusBar();
    void buildMenus();
    void upgradeActionTriggered();
    void websiteActionTriggered();
    void aboutActionTriggered();
    void salesButtonClicked();

    std::unique_ptr<Ui::TMainForm> m_ui;
    std::unique_ptr<Ui::LineEditorForm> m_lineEditorUi;
    std::unique_ptr<Ui::SettlementForm> m_settlementUi;
    QTimer *m_changeTimer = nullptr;

    std::unique_ptr<Till> m_till;
    double m_due = 0; // the amount due shown in the settlement panel
    QMenu *m_settingsMenu = nullptr;
    QMenu *m_supportMenu = nullptr;
    QList<QLabel *> m_statusPanels;
    FloatingPanel *m_lineEditorPanel = nullptr;
    FloatingPanel *m_settlementPanel = nullptr;
    qint64 m_sessionId = 0;
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
