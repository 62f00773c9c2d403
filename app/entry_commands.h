// Adding, removing, copying and pasting entries of the open document, and the state of
// their menu items.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A file to add, with the title its messages name it by.
struct AddedFile {
    std::u16string Path;
    std::u16string Title;
};
// Adds the files as entries in the order given, each as "Hinzufügen" adds one, with the same
// messages for those that cannot be added; one step for all.
void AddEntryFiles(const std::vector<AddedFile>& files);

void OnAddEntry();
void OnRemoveEntry();
void OnCopyEntry();
void OnPasteEntry();
// Greys or enables "Rückgängig", "Wiederholen", "Kopieren" and "Einfügen" on the menu that is
// about to open.
void UpdateMenuState(HMENU menu);
