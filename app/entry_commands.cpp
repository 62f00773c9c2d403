#include "app/entry_commands.h"

#include <new>

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

int32_t IObjectLines() {
    return int32_t(CurrentDocument.IObjects.size());
}
int32_t ObjectLines() {
    return int32_t(CurrentDocument.Objects.size());
}
int32_t AllLines() {
    return int32_t(EntryCount(CurrentDocument));
}

void SelectLine(int32_t line) {
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(line), 0);
    SelectedIndex = line;
    RefreshPanel();
}

void ShowAddFailure(LoadResult result) {
    switch (result) {
    case LoadXmlError: WarningBox(TextBadXml, AddTitle, MainWindow); break;
    case LoadOpenFailed: SystemErrorBox(LastSystemErrorText()); break;
    case LoadNoMemory: WarningBox(TextNoMemory, AddTitle, MainWindow); break;
    case LoadNotGroupFile: WarningBox(TextNotGroupFile, AddTitle, MainWindow); break;
    case LoadOk:
    case LoadObjectFile: break;
    }
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

template <typename List> void RemoveAt(List& list, size_t index) {
    list[index].reset();
    list.erase(list.begin() + std::ptrdiff_t(index));
    list.shrink_to_fit();
}

} // namespace

void OnAddEntry() {
    if (!DocumentOpen) {
        return;
    }
    Modified = true;
    PrepareFileDialog(EntryPanel, FilterEntryFiles, TextAddTitle);
    if (!RunOpenDialog(EntryPanel, AddPath, AddTitle)) {
        return;
    }
    // Only the kind of the file matters; its contents are not kept.
    GroupDocument added;
    std::u16string path = AddPath;
    const LoadResult result = LoadGroupDocument(path, &added);
    FreeGroupDocument(&added);
    if (result != LoadOk && result != LoadObjectFile) {
        ShowAddFailure(result);
        return;
    }
    auto entry = std::make_unique<ObjectEntry>();
    entry->Name = AddPath;
    entry->ZoomFaktor = 1.0;
    ObjectList& list = result == LoadOk ? CurrentDocument.IObjects : CurrentDocument.Objects;
    list.push_back(std::move(entry));
    RefillEntryList();
}

void OnRemoveEntry() {
    if (!DocumentOpen) {
        return;
    }
    // Without a selected line there is nothing the user chose to remove.
    const ListLine line = EntryAtLine(CurrentDocument, SelectedIndex);
    if (line.Array == EntryArray::None) {
        return;
    }
    Modified = true;
    switch (line.Array) {
    case EntryArray::IObjects: RemoveAt(CurrentDocument.IObjects, line.Index); break;
    case EntryArray::Objects: RemoveAt(CurrentDocument.Objects, line.Index); break;
    case EntryArray::Fonts: RemoveAt(CurrentDocument.Fonts, line.Index); break;
    case EntryArray::None: break;
    }
    if (line.Array != EntryArray::Fonts && CurrentDocument.IObjects.empty() &&
        CurrentDocument.Objects.empty() && EntryPanel != nullptr) {
        ShowWindow(EntryPanel, SW_HIDE);
    }
    RefillEntryList();
    SelectLine(0);
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
    int32_t line = 0;
    if ((ClipboardKind == CopiedKind::Object || ClipboardKind == CopiedKind::IObject) &&
        ClipboardEntry != nullptr) {
        auto entry = CopyOf(ClipboardEntry.get(), CopyObjectEntry);
        if (entry == nullptr) {
            return;
        }
        ObjectList& list = ClipboardKind == CopiedKind::IObject ? CurrentDocument.IObjects
                                                                : CurrentDocument.Objects;
        list.push_back(std::move(entry));
        line = ClipboardKind == CopiedKind::IObject ? IObjectLines() - 1
                                                    : IObjectLines() + ObjectLines() - 1;
    } else if (ClipboardKind == CopiedKind::Font && ClipboardFont != nullptr) {
        auto font = CopyOf(ClipboardFont.get(), CopyFontEntry);
        if (font == nullptr) {
            return;
        }
        CurrentDocument.Fonts.push_back(std::move(font));
        line = AllLines() - 1;
    } else {
        return;
    }
    // Pasted entries are unsaved work like any other change.
    Modified = true;
    RefillEntryList();
    SelectLine(line);
}
