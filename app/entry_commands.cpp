#include "app/entry_commands.h"

#include <new>
#include <vector>

#include "app/shell_state.h"
#include "app/texts.h"
#include "document/loader.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"

namespace {

// The open dialog of Add proposes the file added last.
std::u16string AddPath;
std::u16string AddTitle;

void ShowAddFailure(LoadResult result, const std::u16string& title) {
    switch (result) {
    case LoadXmlError: WarningBox(TextBadXml, title, MainWindow); break;
    case LoadOpenFailed: SystemErrorBox(LastSystemErrorText()); break;
    case LoadNoMemory: WarningBox(TextNoMemory, title, MainWindow); break;
    case LoadNotGroupFile: WarningBox(TextNotGroupFile, title, MainWindow); break;
    case LoadOk:
    case LoadObjectFile: break;
    }
}

// The entry that adding the file makes: an IObject for a group file, an Object for an object
// file. False, with the message shown, for a file that is neither.
bool EntryForFile(const AddedFile& file, NewEntry& entry) {
    // Only the kind of the file matters; its contents are not kept.
    GroupDocument added;
    std::u16string path = file.Path;
    const LoadResult result = LoadGroupDocument(path, &added);
    FreeGroupDocument(&added);
    if (result != LoadOk && result != LoadObjectFile) {
        ShowAddFailure(result, file.Title);
        return false;
    }
    entry.Array = result == LoadOk ? EntryArray::IObjects : EntryArray::Objects;
    entry.Object = std::make_unique<ObjectEntry>();
    entry.Object->Name = file.Path;
    entry.Object->ZoomFaktor = 1.0;
    return true;
}

// A complete copy of source, or null when it cannot be made: a copy cut short by a lack of
// memory must not stand in a slot or the document.
template <typename Entry>
std::unique_ptr<Entry> CopyOf(const Entry* source, bool (*copy)(const Entry*, Entry*)) {
    try {
        auto entry = std::make_unique<Entry>();
        if (copy(source, entry.get())) {
            return entry;
        }
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

} // namespace

void AddEntryFiles(const std::vector<AddedFile>& files) {
    std::vector<NewEntry> entries;
    for (const AddedFile& file : files) {
        NewEntry entry;
        if (EntryForFile(file, entry)) {
            entries.push_back(std::move(entry));
        }
    }
    InsertEntries(DocumentEdits, std::move(entries));
}

void OnAddEntry() {
    if (!DocumentOpen) {
        return;
    }
    PrepareFileDialog(EntryPanel, FilterEntryFiles, TextAddTitle);
    if (RunOpenDialog(EntryPanel, AddPath, AddTitle)) {
        AddEntryFiles({{AddPath, AddTitle}});
    }
}

void OnRemoveEntry() {
    if (!DocumentOpen) {
        return;
    }
    // Without a selected line there is nothing the user chose to remove.
    const ListLine line = EntryAtLine(CurrentDocument, SelectedIndex);
    if (!RemoveEntry(DocumentEdits, line)) {
        return;
    }
    if (line.Array != EntryArray::Fonts && CurrentDocument.IObjects.empty() &&
        CurrentDocument.Objects.empty() && EntryPanel != nullptr) {
        ShowWindow(EntryPanel, SW_HIDE);
    }
    SelectEntryLine(0);
}

void OnCopyEntry() {
    const ListLine line = EntryAtLine(CurrentDocument, SelectedIndex);
    if (line.Array == EntryArray::None) {
        return;
    }
    if (line.Array != EntryArray::Fonts) {
        const bool inIObjects = line.Array == EntryArray::IObjects;
        const ObjectList& list = inIObjects ? CurrentDocument.IObjects : CurrentDocument.Objects;
        const ObjectEntry* source = list[line.Index].get();
        if (ClipboardEntry != nullptr) {
            FreeObjectEntry(ClipboardEntry);
        }
        ClipboardKind = inIObjects ? CopiedKind::IObject : CopiedKind::Object;
        ClipboardEntry = CopyOf(source, CopyObjectEntry);
        return;
    }
    const FontEntry* source = CurrentDocument.Fonts[line.Index].get();
    if (ClipboardFont != nullptr) {
        FreeFontEntry(ClipboardFont);
    }
    ClipboardKind = CopiedKind::Font;
    ClipboardFont = CopyOf(source, CopyFontEntry);
}

void OnPasteEntry() {
    if (!DocumentOpen) {
        return;
    }
    std::vector<NewEntry> pasted(1);
    if ((ClipboardKind == CopiedKind::Object || ClipboardKind == CopiedKind::IObject) &&
        ClipboardEntry != nullptr) {
        pasted[0].Array =
            ClipboardKind == CopiedKind::IObject ? EntryArray::IObjects : EntryArray::Objects;
        pasted[0].Object = CopyOf(ClipboardEntry.get(), CopyObjectEntry);
        if (pasted[0].Object == nullptr) {
            return;
        }
    } else if (ClipboardKind == CopiedKind::Font && ClipboardFont != nullptr) {
        pasted[0].Array = EntryArray::Fonts;
        pasted[0].Font = CopyOf(ClipboardFont.get(), CopyFontEntry);
        if (pasted[0].Font == nullptr) {
            return;
        }
    } else {
        return;
    }
    if (InsertEntries(DocumentEdits, std::move(pasted))) {
        SelectEntryLine(LineOfEntry(CurrentDocument, DocumentEdits.Undo.back().Entry));
    }
}
