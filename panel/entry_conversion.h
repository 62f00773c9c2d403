// Giving an entry of the open document another file. A group-object file belongs in the
// IObjects array and an object file in Objects, so the entry may have to change arrays.
#pragma once

#include <string>

#include "document/document.h"

// The two kinds of ObjectEntry by the array they sit in.
constexpr int KindObject = 2;  // Objects
constexpr int KindIObject = 3; // IObjects

// Sets the Name of entry (an entry of Objects or IObjects of document) to name. When the file
// is of the other kind, the entry moves to the end of that array as a new record that keeps
// position, rotation, zoom factor, blink interval and the two visibility conditions, and, only
// on the way into Objects, the dynamic visibility; the rest starts at zero. Answers the entry
// as it now is, or null when entry is not in the document or memory ran out; then the
// document is as it was.
ObjectEntry* SetEntryFile(GroupDocument& document, ObjectEntry* entry, int fileKind,
                          const std::u16string& name);
