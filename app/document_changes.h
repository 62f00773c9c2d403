// The shell's one reaction to a change of the open document (the Modified flag with the
// caption's mark, the entry list, the panel), and the commands Undo and Redo.
#pragma once

#include "edit/edits.h"

// Listens to DocumentEdits from the creation of the main window on.
void OnDocumentChanged(const DocumentChange& change);
// The one writer of Modified: sets it and shows it in the caption.
void NoteModified(bool modified);
void OnUndo();
void OnRedo();
