// screen.h - the condition dialog, its message boxes and the file-save prompt drawn as ANSI text.
//
// Texts in, escape sequences out, no terminal I/O: the front end decides when to write them. A
// drawing paints only its own area, so a box drawn after the dialog lies over it. Rows and columns
// count from 0.
#pragma once

#include <string>

#include "conditionview.h"
#include "lineedit.h"

// A Shift-JIS text in the terminal's encoding.
std::string Shown(const std::string& sjis);
// The sequence that moves the cursor to row and column.
std::string At(int row, int column);

// The dialog on a screen of screenRows by screenColumns; cursorRow and cursorColumn get the place
// of the path box's caret, cursorRow -1 when the box has not the focus.
std::string DrawDialog(int screenRows, int screenColumns, const std::string& company,
                       const std::string& period, ClLineEdit& path, int focus, int& cursorRow,
                       int& cursorColumn);
// A message box of type (MB_TYPE_), focused the button with the focus (0 Yes, 1 No); hides the caret.
std::string DrawMessageBox(int screenRows, int screenColumns, const std::string& text,
                           const std::string& caption, unsigned type, int focused, int& cursorRow);
// The file-save prompt with its path field edit and a note under it (empty: none).
std::string DrawSavePrompt(int screenRows, int screenColumns, const StSAVEREQUEST& request, ClLineEdit& edit,
                           const std::string& note, int& cursorRow, int& cursorColumn);
