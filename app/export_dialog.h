// The export dialog (resource 139): asks for the output file, takes a snapshot of the open
// document, runs the export on its worker and shows the worker's reports.
#pragma once

#include <windows.h>

#include <string>

#include "document/document.h"
#include "export/flatten.h"

// The last chosen export path; "(unbenannt)" until the first export.
extern std::u16string ExportFileName;
// The snapshot of CurrentDocument while an export runs; empty otherwise.
extern GroupDocument ExportDocument;
extern ExportJob CurrentExportJob;

// Fills ExportDocument with a deep copy of CurrentDocument; false when an entry could not
// be copied (ExportDocument is then empty).
bool SnapshotDocument();

INT_PTR CALLBACK ExportDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
