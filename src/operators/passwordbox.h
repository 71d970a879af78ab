#pragma once
// Password boxes of the operator windows: characters shown as "*", at most ten, letters
// A to Z, a to z and digits only. Other characters are dropped, whether typed or pasted;
// the editing keys keep working.

class QLineEdit;

void SetUpPasswordBox(QLineEdit *box);
