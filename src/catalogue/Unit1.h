#pragma once
// The product window: lists, filters, creates, modifies and deletes the catalogue's
// products, and exports, prints and labels the listed ones.

#include <QDialog>
#include <memory>

#include "catalogue/products.h"

class FloatingPanel;
class QLineEdit;
class QMenu;

namespace Ui {
class TForm1;
class ProductPanelForm;
} // namespace Ui

class TForm1 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Named operations of the window's buttons and menu items.
    void ListAll();
    void RunConditionQuery();
    void ClearConditions();
    void NewProduct();     // shows the edit panel with empty fields
    void SaveNewProduct(); // the panel's "新 建"
    void SaveModified();   // the panel's "修 改"
    void DeleteCurrent();  // "删 除"
    void DeleteSelected(); // "多行删除"
    void ExportList();
    void PrintList();
    void PrintLabels();
    void OpenImport();

    FloatingPanel *EditPanel() const { return m_panel; }
    QString LoadedCode() const { return m_loadedCode; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildGrid();
    void buildPanel();
    void buildMenu();
    void gridRowClicked(int row);
    void setEditEnabled(bool enabled);
    Products::Input panelInput() const;
    void clearPanel(bool keepMemberPrice);
    void showRefusal(const Products::Refusal &refusal);
    QLineEdit *fieldEdit(Products::Field field) const;
    // The dataset's current row's identity, or -1.
    qint64 rowIdOf(int row) const;

    std::unique_ptr<Ui::TForm1> m_ui;
    std::unique_ptr<Ui::ProductPanelForm> m_panelUi;
    FloatingPanel *m_panel = nullptr;
    QMenu *m_menu = nullptr;
    QString m_loadedCode;
    qint64 m_loadedRowId = -1;
};

extern TForm1 *Form1;
