// The dialogs that the main window opens and that live in their own parts of the editor:
// the simulator folder and path adjustment, the export and the about box.
#pragma once

#include <windows.h>

// mode 1 when no simulator folder is known or no document is open, 0 otherwise. Modal.
void ShowPathsDialog(HWND owner, int mode);
// Runs the export of CurrentDocument on FileDialogRecord, prepared with the export filter.
void ShowExportDialog(HWND owner);
void ShowAboutBox(HWND owner);
