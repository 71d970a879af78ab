#pragma once
// Creates the program's windows and the data module once, in their fixed order, and
// destroys them again. main() and the test fixture both start the program this way.

// Throws DbError when the database cannot be opened.
void CreateWindows();
void DestroyWindows();
