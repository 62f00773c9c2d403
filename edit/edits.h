// The one door for changes of an open document. Every change of the editor goes through these
// functions: each changes the document, records its inverse as one step of the history and
// tells the listeners what changed. An entry is named by its array and index (ListLine), which
// the steps keep right as they insert and remove, so that undo and redo can name the entry
// they touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"

// What a change touched, so that each view refreshes only what it must.
enum class ChangeScope {
    Fields, // the fields of one entry; the same entries stand on the same lines
    Lines,  // entries were inserted or removed
    All,    // another document, or the history began anew
};
struct DocumentChange {
    ChangeScope Scope = ChangeScope::All;
    ListLine Entry;        // the entry the change ends on; None when it was removed
    bool Modified = false; // whether the document differs from its last saved state
};
using ChangeListener = void (*)(const DocumentChange& change);

// One primitive of a step. Applying it exchanges the entry held here with the document:
// Insert moves Object or Font into the document at Where and becomes a Remove, Remove moves
// the entry out and becomes an Insert, Swap exchanges the values and stays a Swap.
struct EntryEdit {
    enum Kind { Insert, Remove, Swap } Op = Swap;
    ListLine Where;
    std::unique_ptr<ObjectEntry> Object; // for IObjects and Objects
    std::unique_ptr<FontEntry> Font;     // for Fonts
};
struct EditStep {
    std::vector<EntryEdit> Edits; // applied in order; undone in reverse order
    ListLine Entry;               // the entry to select after the step is done
    ListLine EntryBefore;         // the entry to select after it is undone
    size_t Bytes = 0;             // the memory the step holds, roughly
};

struct EditSession {
    GroupDocument* Document = nullptr;
    std::deque<EditStep> Undo; // oldest first
    std::deque<EditStep> Redo; // next to redo last
    // The size of Undo at the last save; -1 once that state cannot be reached again.
    int64_t SavedDepth = 0;
    size_t Bytes = 0;
    size_t MaxSteps = 1000;
    size_t MaxBytes = size_t(64) << 20;
    std::vector<ChangeListener> Listeners;
};

// A new entry for InsertEntries: Object for IObjects or Objects, Font for Fonts.
struct NewEntry {
    EntryArray Array = EntryArray::None;
    std::unique_ptr<ObjectEntry> Object;
    std::unique_ptr<FontEntry> Font;
};

// Each of these is one step; false when it changed nothing (the entry does not exist, the value
// is the same, memory ran out: then the document is as it was).
bool SetObjectEntry(EditSession& session, ListLine entry, const ObjectEntry& value);
bool SetFontEntry(EditSession& session, ListLine entry, const FontEntry& value);
// Appends the entries at the ends of their arrays, in the order given.
bool InsertEntries(EditSession& session, std::vector<NewEntry> entries);
bool RemoveEntry(EditSession& session, ListLine entry);
// Gives an Object or IObject the file name; a file of the other kind (fileKind of
// entry_conversion.h) moves the entry to the end of that array (MovedEntry).
bool SetEntryFile(EditSession& session, ListLine entry, int fileKind, const std::u16string& name);
// Renames every Object's and IObject's file name with rename, one step for all.
bool RenameEntries(EditSession& session, std::u16string& (*rename)(std::u16string& name));

bool CanUndo(const EditSession& session);
bool CanRedo(const EditSession& session);
// Undoes or redoes the last step; answers the entry it touched, None when there was none.
ListLine UndoStep(EditSession& session);
ListLine RedoStep(EditSession& session);

// A new or opened document: the history begins anew, saved (an opened file) or not (a new
// document that was never saved). Tells the listeners (ChangeScope::All).
void BeginHistory(EditSession& session, bool saved);
// The document was saved: this is the state that undo can come back to.
void MarkSaved(EditSession& session);
bool IsModified(const EditSession& session);

// The line of the editor's entry list that shows entry; -1 for None.
int64_t LineOfEntry(const GroupDocument& document, ListLine entry);
