// The commands that carry the document through its life: New, Open, Save, Save as and the
// others of the "Datei", "Bearbeiten" and "Hilfe" menus that the main window handles itself.
#pragma once

#include <windows.h>

#include <string>

#include "document/loader.h"

void OnNew();
void OnOpen();
// Gives up the open document for path, without asking; title as for OnOpenDocument.
void OpenInPlaceOfDocument(const std::u16string& path, const std::u16string* title);
// A file dropped onto the window: opened as Öffnen opens it, after the save prompt.
void OnOpenDroppedFile(const std::u16string& path);
// Opens path (a leading and a trailing double quote are dropped); title is its display
// title, or null to take the file's own.
void OnOpenDocument(const wchar_t* path, const wchar_t* title);
// 1 when the document was written, 0 when not (failure, or the save dialog was cancelled).
int OnSave();
int OnSaveAs();
void OnExport();
void OnAdjustPaths();
void OnToggleOpenAfterExport();
void OnHelp();
void OnInfo();
void OnExit();

// Asks whether to save the changes of the document called title: IDYES (and saved), IDNO,
// or IDCANCEL (also when the save did not happen).
int SavePrompt(const std::u16string& title);
void UpdateCaption(const std::u16string& title);
// The message of a failed open of the document called CurrentTitle; none for LoadOk.
void ShowLoadFailure(LoadResult result);
