#pragma once
// The small floating panel that shows one sale line before it is deleted: its values
// under their captions, the customer captions with empty boxes, "删 除" and a close button.

#include "components/floatingpanel.h"

#include <QMap>
#include <QVariant>

class QLineEdit;
class QPushButton;
class QToolButton;
class QLabel;

class SaleLinePanel : public FloatingPanel
{
    Q_OBJECT
public:
    explicit SaleLinePanel(QWidget *parent = nullptr);

    // Shows the line: `values` maps data1 fields to their values; `id` is the line's key.
    void ShowLine(const QVariant &id, const QMap<QString, QVariant> &values);
    // Empties every box and hides the panel.
    void Clear();
    QVariant LineId() const { return m_id; }
    // The text of the box under a caption ("销售单价：").
    QString ValueOf(const QString &caption) const;

signals:
    void DeleteClicked();

private:
    QLabel *m_title = nullptr;
    QMap<QString, QLineEdit *> m_boxes; // by caption
    QMap<QString, QString> m_fields;    // caption -> data1 field ("" for none)
    QPushButton *m_deleteButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    QVariant m_id;
};
