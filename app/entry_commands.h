// Adding, removing, copying and pasting entries of the open document, and the state of
// their menu items.
#pragma once

#include <windows.h>

void OnAddEntry();
void OnRemoveEntry();
void OnCopyEntry();
void OnPasteEntry();
// Greys or enables "Kopieren" and "Einfügen" on the menu that is about to open.
void UpdateMenuState(HMENU menu);
