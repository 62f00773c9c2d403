// The lines of the editor's entry list: IObjects, then Objects, then labels (Fonts).
#pragma once

#include <string>
#include <vector>

#include "document/document.h"

// One line per entry, in the list's order. An Object or IObject shows its file name without
// the folder, a label its text (its file name when it has no text). Where two or more lines
// would show the same name, each of them adds the entry's position with one decimal:
// "Bahnsteig.fzlobj (12.0; 0.0; 24.0)".
std::vector<std::u16string> EntryLines(const GroupDocument& document);
