#include "export/level_index.h"

#include <algorithm>

namespace {

void PutInSlot(LevelIndex& index, size_t entry) {
    size_t mask = index.Slots.size() - 1;
    size_t slot = index.Hashes[entry] & mask;
    while (index.Slots[slot] != 0)
        slot = (slot + 1) & mask;
    index.Slots[slot] = uint32_t(entry + 1);
}

// Room for count elements, growing by doubling: reserve alone would grow by one each time.
void ReserveFor(std::vector<size_t>& list, size_t count) {
    if (count > list.capacity())
        list.reserve(std::max<size_t>(16, list.capacity() * 2));
}

} // namespace

void AddLevel(LevelIndex& index, size_t hash, size_t level) {
    // Whatever may fail comes first, so that a failure leaves the index as it was.
    size_t count = index.Hashes.size() + 1;
    ReserveFor(index.Hashes, count);
    ReserveFor(index.Levels, count);
    // At most half full, so that a search soon ends at an empty slot.
    bool grow = count * 2 > index.Slots.size();
    std::vector<uint32_t> larger(grow ? std::max<size_t>(16, index.Slots.size() * 2) : 0, 0);
    index.Hashes.push_back(hash);
    index.Levels.push_back(level);
    if (grow) {
        // Put back in the order they came, the entries make the table that adding them one
        // by one would have made.
        index.Slots.swap(larger);
        for (size_t entry = 0; entry + 1 < count; ++entry)
            PutInSlot(index, entry);
    }
    PutInSlot(index, count - 1);
}

void RemoveLastLevel(LevelIndex& index) {
    size_t entry = index.Hashes.size() - 1;
    size_t mask = index.Slots.size() - 1;
    size_t slot = index.Hashes[entry] & mask;
    while (index.Slots[slot] != entry + 1)
        slot = (slot + 1) & mask;
    index.Slots[slot] = 0;
    index.Hashes.pop_back();
    index.Levels.pop_back();
}
