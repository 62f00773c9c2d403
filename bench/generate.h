// Realistic group files for the benchmarks, in the exact form the program writes: names
// relative to the simulator folder and to the file's folder, umlauts, formulas on about
// one entry in ten, brightness groups, labels.
#pragma once

#include <string>

#include "document/document.h"
#include "document/loader.h"

GroupDocument MakeObjectsDocument(size_t objects, size_t fonts = 0, size_t iobjects = 0,
                                  unsigned seed = 1);

// Writes a tree of group files below folder (the program's path, trailing backslash): a top
// file placing `branches` middle groups, each placing `leaves` leaf groups, each leaf with
// `objectsPerLeaf` objects. Returns the top file's path.
std::u16string WriteGroupTree(const std::u16string& folder, size_t branches, size_t leaves,
                              size_t objectsPerLeaf);

// The first `length` files of WriteGroupTree's tree (`leaves` to a branch), the top file
// and its nested files in the order of the walk, each placing the next as a chain: each level
// holds what that nested file holds and lands where it lands, so that the two differ in their
// depth alone. Returns the first file's path.
std::u16string WriteGroupChain(const std::u16string& folder, size_t length, size_t leaves,
                               size_t objectsPerLeaf);

// Writes below folder (the simulator folder, which also holds the groups) a small object
// file for every name the generated entries use, so that every reference is found.
void WriteObjectFiles(const std::u16string& folder);

// Loads path as the editor opens a file: relative names completed against its own folder.
LoadResult LoadAsEditor(const std::u16string& path, GroupDocument& document);
