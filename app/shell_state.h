// The editor's process-wide state: the one open document, its name, the flags of its life
// cycle and the windows that show it. The dialogs of the editor reach it through here.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "document/document.h"
#include "edit/edits.h"
#include "paths/settings_file.h"

#define UM_REFRESHENTRY (WM_USER + 1)
#define UM_OPENDOCUMENT (WM_USER + 10)

extern GroupDocument CurrentDocument;
// The history of CurrentDocument's changes; every change of it goes through this session.
extern EditSession DocumentEdits;
extern std::u16string CurrentPath;  // "(unbenannt)" for a new document
extern std::u16string CurrentTitle; // shown in the caption and in the messages
extern bool DocumentOpen;
extern bool Modified;
extern int32_t SelectedIndex; // line of the entry list, -1 for none
extern bool OpenAfterExport;
extern bool DocumentUtf8; // the encoding Save writes the open document in
// What settings.cfg holds: read when the main window is made, written when it ends and when
// the recent files change.
extern EditorSettings Settings;

// The copy-and-paste slots of the entry list; the main window releases them when it ends.
extern std::unique_ptr<ObjectEntry> ClipboardEntry;
extern std::unique_ptr<FontEntry> ClipboardFont;
// Which slot the last Copy filled; the numbers are those the editor has always used.
enum class CopiedKind : int32_t { None = 0, Object = 2, IObject = 3, Font = 4 };
extern CopiedKind ClipboardKind;

extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HWND EntryList;
extern HWND AddButton;
extern HWND RemoveButton;
extern HWND EntryPanel; // null while no panel exists
extern HWND PlanWindow; // null while the plan window is not shown
extern HFONT ListFont;  // shared with the fields of the dialogs
extern IMalloc* ShellAllocator;

// Refills the entry list from CurrentDocument (IObjects, Objects, Fonts; the lines of
// EntryLines), selects no line and tells the panel. The list is filled without being painted
// in between, under the wait cursor. False when the list ran out of space; the remaining lines
// are missing.
bool RefillEntryList();
// Shows the lines whose text changed since the list was filled; the selection stays.
void UpdateEntryLines();
// Tells the panel, if there is one, and the plan window to show the selected entry anew.
void RefreshPanel();
// Empties the entry list; no line is selected afterwards.
void ClearEntryList();
// Selects line (-1 for none) as a click on it does, and shows its entry in the panel.
void SelectEntryLine(int64_t line);
