// Finds the open levels of an export by a hash in constant time, without a heap block per
// level: a deep chain keeps its levels' records in a few arrays instead of among the blocks
// of the documents it loads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Levels are added and removed as a stack, the last added first. Insertion never moves an
// entry, so removing the last one only empties its slot and leaves the table as it was
// before that entry came.
struct LevelIndex {
    std::vector<uint32_t> Slots; // an entry's position + 1, 0 where empty; a power of two long
    std::vector<size_t> Hashes;  // of each entry, in the order they were added
    std::vector<size_t> Levels;  // the level each entry stands for
};

// Adds level under hash. Throws std::bad_alloc, and leaves the index as it was, when it
// cannot grow.
void AddLevel(LevelIndex& index, size_t hash, size_t level);

// Removes the entry added last.
void RemoveLastLevel(LevelIndex& index);

// Whether some level under hash satisfies matches(level), which tells equal hashes apart.
template <typename Matches>
bool ContainsLevel(const LevelIndex& index, size_t hash, Matches matches) {
    if (index.Slots.empty())
        return false;
    size_t mask = index.Slots.size() - 1;
    for (size_t slot = hash & mask; index.Slots[slot] != 0; slot = (slot + 1) & mask) {
        size_t entry = index.Slots[slot] - 1;
        if (index.Hashes[entry] == hash && matches(index.Levels[entry]))
            return true;
    }
    return false;
}
