#pragma once
// The workbook import window: a workbook path and a database path, and the import that
// appends the workbook's products to that database.

#include <QDialog>
#include <memory>

namespace Ui {
class Texcell;
}

class Texcell : public QDialog
{
    Q_OBJECT
public:
    explicit Texcell(QWidget *parent = nullptr);
    ~Texcell() override;

    void ChooseWorkbook();
    void ChooseDatabase();
    // Checks the two paths, imports and tells the outcome.
    void RunImport();

    // The maker's support chat number shown in the failure messages.
    static QString SupportNumber();

private:
    std::unique_ptr<Ui::Texcell> m_ui;
};

extern Texcell *excell;
