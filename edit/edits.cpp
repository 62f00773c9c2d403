#include "edit/edits.h"

#include <new>
#include <utility>

#include "edit/entry_conversion.h"

namespace {

// IObjects or Objects, const as the document is.
template <typename Document> auto* ObjectArray(Document& document, EntryArray array) {
    return array == EntryArray::Objects ? &document.Objects : &document.IObjects;
}

size_t ArraySize(const GroupDocument& document, EntryArray array) {
    switch (array) {
    case EntryArray::IObjects: return document.IObjects.size();
    case EntryArray::Objects: return document.Objects.size();
    case EntryArray::Fonts: return document.Fonts.size();
    case EntryArray::None: return 0;
    }
    return 0;
}

bool Exists(const GroupDocument& document, ListLine entry) {
    return entry.Array != EntryArray::None && entry.Index < ArraySize(document, entry.Array);
}

template <typename Entry>
void Exchange(std::vector<std::unique_ptr<Entry>>& list, EntryEdit& edit,
              std::unique_ptr<Entry>& held) {
    const auto at = list.begin() + std::ptrdiff_t(edit.Where.Index);
    switch (edit.Op) {
    case EntryEdit::Insert:
        list.insert(at, std::move(held)); // the capacity was reserved: no allocation
        edit.Op = EntryEdit::Remove;
        break;
    case EntryEdit::Remove:
        held = std::move(*at);
        list.erase(at);
        // The memory goes back as before the history existed; a failed shrink keeps it. No
        // step removes from and inserts into one array, so the room reserved stays.
        list.shrink_to_fit();
        edit.Op = EntryEdit::Insert;
        break;
    case EntryEdit::Swap: std::swap(**at, *held); break;
    }
}

void Apply(GroupDocument& document, EntryEdit& edit) {
    if (edit.Where.Array == EntryArray::Fonts) {
        Exchange(document.Fonts, edit, edit.Font);
    } else {
        Exchange(*ObjectArray(document, edit.Where.Array), edit, edit.Object);
    }
}

// Room for every insert of the step, so that applying it cannot fail half-way.
void ReserveFor(GroupDocument& document, const EditStep& step) {
    size_t objects = 0;
    size_t iobjects = 0;
    size_t fonts = 0;
    for (const EntryEdit& edit : step.Edits) {
        if (edit.Op != EntryEdit::Swap) {
            ++(edit.Where.Array == EntryArray::Fonts     ? fonts
               : edit.Where.Array == EntryArray::Objects ? objects
                                                         : iobjects);
        }
    }
    document.Objects.reserve(document.Objects.size() + objects);
    document.IObjects.reserve(document.IObjects.size() + iobjects);
    document.Fonts.reserve(document.Fonts.size() + fonts);
}

size_t TextBytes(const OptText& text) {
    return text ? text->capacity() * sizeof(char16_t) : 0;
}
size_t EntryBytes(const ObjectEntry& entry) {
    return sizeof entry + TextBytes(entry.Name) + TextBytes(entry.ShowOn) +
           TextBytes(entry.HideOn) + TextBytes(entry.DynamicVisibility);
}
size_t EntryBytes(const FontEntry& font) {
    return sizeof font + TextBytes(font.Name) + TextBytes(font.DefaultText) +
           TextBytes(font.GroupProperty) + TextBytes(font.DynamicVisibility);
}

// Measured before the step is applied: a Remove's entry is still in the document.
size_t StepBytes(const GroupDocument& document, const EditStep& step) {
    size_t bytes = sizeof step;
    for (const EntryEdit& edit : step.Edits) {
        bytes += sizeof edit;
        if (edit.Object) {
            bytes += EntryBytes(*edit.Object);
        } else if (edit.Font) {
            bytes += EntryBytes(*edit.Font);
        } else if (edit.Where.Array == EntryArray::Fonts) {
            bytes += EntryBytes(*document.Fonts[edit.Where.Index]);
        } else if (Exists(document, edit.Where)) {
            bytes += EntryBytes(*(*ObjectArray(document, edit.Where.Array))[edit.Where.Index]);
        }
    }
    return bytes;
}

ChangeScope ScopeOf(const EditStep& step) {
    return step.Edits.size() == 1 && step.Edits[0].Op == EntryEdit::Swap ? ChangeScope::Fields
                                                                         : ChangeScope::Lines;
}

void Tell(const EditSession& session, ChangeScope scope, ListLine entry) {
    const DocumentChange change{scope, entry, IsModified(session)};
    for (ChangeListener listener : session.Listeners) {
        listener(change);
    }
}

void ClearRedo(EditSession& session) {
    for (const EditStep& step : session.Redo) {
        session.Bytes -= step.Bytes;
    }
    session.Redo.clear();
}

// The oldest steps go first; the saved state goes with them when it is among them.
void Trim(EditSession& session) {
    while (!session.Undo.empty() &&
           (session.Undo.size() > session.MaxSteps ||
            (session.Bytes > session.MaxBytes && session.Undo.size() > 1))) {
        session.Bytes -= session.Undo.front().Bytes;
        session.Undo.pop_front();
        session.SavedDepth = session.SavedDepth > 0 ? session.SavedDepth - 1 : -1;
    }
}

// Applies step as a new user action and keeps it as the last step to undo.
bool Record(EditSession& session, EditStep step) {
    GroupDocument& document = *session.Document;
    try {
        ReserveFor(document, step);
        step.Bytes = StepBytes(document, step);
        session.Undo.push_back(std::move(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
    EditStep& recorded = session.Undo.back();
    for (EntryEdit& edit : recorded.Edits) {
        Apply(document, edit);
    }
    if (session.SavedDepth >= int64_t(session.Undo.size())) {
        session.SavedDepth = -1; // the saved state lay among the steps to redo
    }
    session.Bytes += recorded.Bytes;
    const ChangeScope scope = ScopeOf(recorded);
    const ListLine entry = recorded.Entry;
    ClearRedo(session);
    Trim(session);
    Tell(session, scope, entry);
    return true;
}

EntryEdit Edit(EntryEdit::Kind op, ListLine where) {
    EntryEdit edit;
    edit.Op = op;
    edit.Where = where;
    return edit;
}

bool IsObjectEntry(const GroupDocument& document, ListLine entry) {
    return Exists(document, entry) && entry.Array != EntryArray::Fonts;
}

// The step that gives entry the value held in slot of its one primitive.
template <typename Entry>
bool RecordSwap(EditSession& session, ListLine entry, const Entry& value,
                std::unique_ptr<Entry> EntryEdit::*slot) {
    try {
        EditStep step;
        step.Edits.push_back(Edit(EntryEdit::Swap, entry));
        step.Edits[0].*slot = std::make_unique<Entry>(value);
        step.Entry = step.EntryBefore = entry;
        return Record(session, std::move(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Moves the last step of from to to, undone or redone.
ListLine MoveStep(EditSession& session, std::deque<EditStep>& from, std::deque<EditStep>& to,
                  bool undo) {
    if (from.empty()) {
        return {};
    }
    GroupDocument& document = *session.Document;
    EditStep& step = from.back();
    try {
        ReserveFor(document, step);
        to.emplace_back();
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (undo) {
        for (auto edit = step.Edits.rbegin(); edit != step.Edits.rend(); ++edit) {
            Apply(document, *edit);
        }
    } else {
        for (EntryEdit& edit : step.Edits) {
            Apply(document, edit);
        }
    }
    to.back() = std::move(step);
    from.pop_back();
    const ListLine entry = undo ? to.back().EntryBefore : to.back().Entry;
    Tell(session, ScopeOf(to.back()), entry);
    return entry;
}

} // namespace

bool SetObjectEntry(EditSession& session, ListLine entry, const ObjectEntry& value) {
    return IsObjectEntry(*session.Document, entry) &&
           RecordSwap(session, entry, value, &EntryEdit::Object);
}

bool SetFontEntry(EditSession& session, ListLine entry, const FontEntry& value) {
    return Exists(*session.Document, entry) && entry.Array == EntryArray::Fonts &&
           RecordSwap(session, entry, value, &EntryEdit::Font);
}

bool InsertEntries(EditSession& session, std::vector<NewEntry> entries) {
    if (entries.empty()) {
        return false;
    }
    try {
        EditStep step;
        GroupDocument& document = *session.Document;
        size_t added[4] = {};
        for (NewEntry& entry : entries) {
            const bool font = entry.Array == EntryArray::Fonts;
            if (entry.Array == EntryArray::None || (font ? !entry.Font : !entry.Object)) {
                return false;
            }
            size_t& count = added[size_t(entry.Array)];
            step.Edits.push_back(
                Edit(EntryEdit::Insert, {entry.Array, ArraySize(document, entry.Array) + count}));
            ++count;
            step.Edits.back().Object = std::move(entry.Object);
            step.Edits.back().Font = std::move(entry.Font);
        }
        step.Entry = step.Edits.back().Where;
        return Record(session, std::move(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool RemoveEntry(EditSession& session, ListLine entry) {
    if (!Exists(*session.Document, entry)) {
        return false;
    }
    try {
        EditStep step;
        step.Edits.push_back(Edit(EntryEdit::Remove, entry));
        step.EntryBefore = entry;
        return Record(session, std::move(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SetEntryFile(EditSession& session, ListLine entry, int fileKind, const std::u16string& name) {
    GroupDocument& document = *session.Document;
    if (!IsObjectEntry(document, entry)) {
        return false;
    }
    try {
        const bool intoObjects = fileKind == KindObject;
        const EntryArray to = intoObjects ? EntryArray::Objects : EntryArray::IObjects;
        const ObjectEntry& current = *(*ObjectArray(document, entry.Array))[entry.Index];
        EditStep step;
        step.EntryBefore = entry;
        if (to == entry.Array) {
            step.Edits.push_back(Edit(EntryEdit::Swap, entry));
            step.Edits[0].Object = std::make_unique<ObjectEntry>(current);
            step.Edits[0].Object->Name = name;
            step.Entry = entry;
        } else {
            step.Edits.push_back(Edit(EntryEdit::Remove, entry));
            step.Entry = {to, ArraySize(document, to)};
            step.Edits.push_back(Edit(EntryEdit::Insert, step.Entry));
            step.Edits[1].Object =
                std::make_unique<ObjectEntry>(MovedEntry(current, intoObjects, name));
        }
        return Record(session, std::move(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool RenameEntries(EditSession& session, std::u16string& (*rename)(std::u16string& name)) {
    GroupDocument& document = *session.Document;
    try {
        EditStep step;
        for (EntryArray array : {EntryArray::IObjects, EntryArray::Objects}) {
            const ObjectList& list = *ObjectArray(document, array);
            for (size_t index = 0; index < list.size(); ++index) {
                if (!list[index]->Name) {
                    continue;
                }
                std::u16string name = *list[index]->Name;
                if (rename(name) == *list[index]->Name) {
                    continue;
                }
                step.Edits.push_back(Edit(EntryEdit::Swap, {array, index}));
                step.Edits.back().Object = std::make_unique<ObjectEntry>(*list[index]);
                step.Edits.back().Object->Name = std::move(name);
            }
        }
        if (step.Edits.empty()) {
            return false;
        }
        return Record(session, std::move(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CanUndo(const EditSession& session) {
    return !session.Undo.empty();
}

bool CanRedo(const EditSession& session) {
    return !session.Redo.empty();
}

ListLine UndoStep(EditSession& session) {
    return MoveStep(session, session.Undo, session.Redo, true);
}

ListLine RedoStep(EditSession& session) {
    return MoveStep(session, session.Redo, session.Undo, false);
}

void BeginHistory(EditSession& session, bool saved) {
    session.Undo.clear();
    session.Redo.clear();
    session.Bytes = 0;
    session.SavedDepth = saved ? 0 : -1;
    Tell(session, ChangeScope::All, {});
}

void MarkSaved(EditSession& session) {
    session.SavedDepth = int64_t(session.Undo.size());
}

bool IsModified(const EditSession& session) {
    return session.SavedDepth != int64_t(session.Undo.size());
}

int64_t LineOfEntry(const GroupDocument& document, ListLine entry) {
    switch (entry.Array) {
    case EntryArray::IObjects: return int64_t(entry.Index);
    case EntryArray::Objects: return int64_t(document.IObjects.size() + entry.Index);
    case EntryArray::Fonts:
        return int64_t(document.IObjects.size() + document.Objects.size() + entry.Index);
    case EntryArray::None: return -1;
    }
    return -1;
}
