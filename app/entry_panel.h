// The entry panel: the part of the main window where the user edits the entry selected in
// the entry list. It edits the entries of CurrentDocument in place, field by field, as each
// field loses the focus.
#pragma once

#include <windows.h>

// Creates the panel, hidden, as a child of parent; null when it cannot be created.
HWND CreateEntryPanel(HWND parent);

// True for the panel's edit fields and the edit parts of its combo boxes: there Ctrl+C and
// Ctrl+V copy and paste text instead of entries.
bool IsPanelTextField(HWND window);

// What the user typed into the panel's focused field, taken as leaving the field would take
// it, so that a Save or an export from the keyboard writes what the panel shows. False when
// the text was refused (its message shown, the focus kept there).
bool CommitFocusedField(HWND panel);
