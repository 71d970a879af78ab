#pragma once
// Creates the program's windows and the data module once, in their fixed order, and
// destroys them again. main() and the test fixture both start the program this way.

// Throws DbError when the database cannot be opened.
void CreateWindows();
void DestroyWindows();

class QApplication;
// The program ends when the main window closes, not when the last visible window does:
// while the backup window is open the main window is hidden, and a message box closing
// there must not end the program.
void EndProgramWithMainWindow(QApplication &app);
