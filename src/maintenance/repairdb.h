#pragma once
// Backup and restore of the database. While this window is open the database connection
// is closed and the main window hidden; closing it reconnects and brings the main window
// back with its cart reloaded.

#include <QDialog>
#include <memory>

namespace Ui {
class Trepair;
}

class Trepair : public QDialog
{
    Q_OBJECT
public:
    // Closes the connection and shows itself, non-modal and centred on the screen;
    // destroyed when closed.
    explicit Trepair(QWidget *parent = nullptr);
    ~Trepair() override;

protected:
    // Escape closes the window like its close button: it is destroyed, not hidden.
    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void defaultButtonClicked();
    void backupButtonClicked();
    void openButtonClicked();
    void restoreButtonClicked();
    // Refuses while input or query windows are open: they hold data of the closed
    // connection, and would show the old database after a restore.
    bool otherWindowsClosed();

    std::unique_ptr<Ui::Trepair> m_ui;
};
