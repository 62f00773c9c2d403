// The "Lageplan" window: the open document seen from above, beside the main window that owns
// it. It shows every change as it happens, selects with a click, moves and turns entries with
// the mouse (each drag one step of the history), zooms and pans, and saves its picture as SVG.
#pragma once

#include <windows.h>

#include "edit/edits.h"

extern const wchar_t* const PlanWindowClassName;

// "Lageplan" in "Ansicht": shows the window, or closes it when it is shown.
void TogglePlanWindow();
// While an export runs, the window takes no input and keeps its scene: the export's engine
// serves one expansion at a time. Let go, it shows the document as it stands.
void HoldPlanWindow(bool held);
// Closes the window, its place kept in Settings; nothing when it is not shown.
void ClosePlanWindow();
// A listener of the document's history: the picture follows every step.
void OnPlanDocumentChanged(const DocumentChange& change);
// The list's selection or the shown entry changed; the picture marks it.
void ShowPlanSelection();
// The document's title changed; the caption follows.
void UpdatePlanCaption();
// An entry being dragged goes back where it was, as with Esc; the main window's commands call
// it first, so that no command sees the drag half done.
void CancelPlanDrag();
// Where the plan's metres (x, z) are shown in the window's client area; false while it is not
// shown.
bool PlanPointOf(double x, double z, POINT& at);
