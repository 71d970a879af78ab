#pragma once
// Checks and fills of input fields that every window shares.

#include <QString>

class QLineEdit;
class QComboBox;
class Dataset;

// True when the control holds something other than blanks and control characters.
// Otherwise shows the caller's message in the warning box, focuses the control and
// returns false. The control's text is never changed.
bool RequireEditText(QLineEdit *edit, const QString &message);
bool RequireComboText(QComboBox *combo, const QString &message);

// Refills the combo box (list and text) with the distinct values of one column, read
// through `query`. Null values are skipped. The selection is not set.
void FillComboDistinct(Dataset &query, const QString &field, const QString &table,
                       QComboBox *combo);
