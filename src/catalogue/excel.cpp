#include "catalogue/excel.h"
#include "ui_excel.h"

#include "catalogue/import.h"
#include "components/messages.h"
#include "shell/MAIN.h"

#include <QApplication>
#include <QProgressDialog>

Texcell *excell = nullptr;

Texcell::Texcell(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::Texcell>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(414, 161);
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    connect(m_ui->openWorkbookButton, &QPushButton::clicked, this, &Texcell::ChooseWorkbook);
    connect(m_ui->chooseDatabaseButton, &QPushButton::clicked, this, &Texcell::ChooseDatabase);
    connect(m_ui->importButton, &QToolButton::clicked, this, &Texcell::RunImport);
}

Texcell::~Texcell() = default;

QString Texcell::SupportNumber()
{
    return QStringLiteral("800061066");
}

void Texcell::ChooseWorkbook()
{
    const QString path = Msg::OpenFileName(this, QStringLiteral("请选择相应的Excel文件"), QString(),
                                           QStringLiteral("Excel (*.xls *.xlsx)"));
    if (!path.isEmpty())
        m_ui->workbookPathEdit->setText(path);
}

void Texcell::ChooseDatabase()
{
    const QString path = Msg::OpenFileName(this, QStringLiteral("请选择相应的数据库文件"),
                                           QString(), QStringLiteral("数据库 (*.db)"));
    if (!path.isEmpty())
        m_ui->databasePathEdit->setText(path);
}

void Texcell::RunImport()
{
    const QString database = m_ui->databasePathEdit->text().trimmed();
    const QString workbook = m_ui->workbookPathEdit->text().trimmed();
    if (database.isEmpty() || workbook.isEmpty()) {
        Msg::Warning(QStringLiteral("请正确选择相关路径！"));
        return;
    }
    QProgressDialog progress(QStringLiteral("正在导入数据，请稍候......"), QString(), 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ProductImport::Outcome outcome =
        ProductImport::Import(workbook, database, [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    QApplication::restoreOverrideCursor();
    progress.reset();
    switch (outcome.result) {
    case ProductImport::Result::CannotConnect:
        Msg::Warning(QStringLiteral("连接ACCESS失败！请联系技术客服QQ:") + SupportNumber());
        return;
    case ProductImport::Result::Failed:
        Msg::Warning(QStringLiteral("批量EXCEL导入失败！请联系技术客服QQ:") + SupportNumber());
        return;
    case ProductImport::Result::Imported:
        Msg::Warning(QStringLiteral("批量EXCEL导入成功！请退出在主界面中点全部记录查看"));
        if (MainForm)
            MainForm->RefreshCartView();
        return;
    }
}
