#include "app/document_changes.h"

#include "app/document_commands.h"
#include "app/shell_state.h"

void NoteModified(bool modified) {
    Modified = modified;
    if (DocumentOpen) {
        UpdateCaption(CurrentTitle);
    }
}

void OnDocumentChanged(const DocumentChange& change) {
    NoteModified(change.Modified);
    switch (change.Scope) {
    case ChangeScope::Fields:
        UpdateEntryLines();
        RefreshPanel();
        break;
    case ChangeScope::Lines: RefillEntryList(); break;
    case ChangeScope::All: break; // the commands that open or begin a document fill the list
    }
}

namespace {

// The step's entry is selected; a step that ends on no entry keeps the line, where there is
// one still.
void SelectAfterStep(ListLine entry) {
    int64_t line = LineOfEntry(CurrentDocument, entry);
    if (entry.Array == EntryArray::None) {
        line = SelectedIndex < int32_t(EntryCount(CurrentDocument)) ? SelectedIndex : -1;
    }
    SelectEntryLine(line);
}

} // namespace

void OnUndo() {
    if (DocumentOpen && CanUndo(DocumentEdits)) {
        SelectAfterStep(UndoStep(DocumentEdits));
    }
}

void OnRedo() {
    if (DocumentOpen && CanRedo(DocumentEdits)) {
        SelectAfterStep(RedoStep(DocumentEdits));
    }
}
