// Giving an entry another file. A group-object file belongs in the IObjects array and an
// object file in Objects, so the entry may have to change arrays.
#pragma once

#include <string>

#include "document/document.h"

// The two kinds of ObjectEntry by the array they sit in.
constexpr int KindObject = 2;  // Objects
constexpr int KindIObject = 3; // IObjects

// The entry as it is after moving into the other array with the file name: a new record that
// keeps position, rotation, zoom factor, blink interval and the two visibility conditions, and,
// only on the way into Objects, the dynamic visibility; the rest starts at zero.
ObjectEntry MovedEntry(const ObjectEntry& entry, bool intoObjects, const std::u16string& name);
