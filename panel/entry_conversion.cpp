#include "panel/entry_conversion.h"

#include <new>

#include "document/entry_fields.h"

namespace {

// The array that holds entry, and its index there; null when no array holds it.
ObjectList* ListHolding(GroupDocument& document, const ObjectEntry* entry, size_t& index) {
    for (ObjectList* list : {&document.IObjects, &document.Objects}) {
        for (index = 0; index < list->size(); ++index) {
            if ((*list)[index].get() == entry) {
                return list;
            }
        }
    }
    return nullptr;
}

} // namespace

ObjectEntry* SetEntryFile(GroupDocument& document, ObjectEntry* entry, int fileKind,
                          const std::u16string& name) {
    try {
        size_t index = 0;
        ObjectList* from = ListHolding(document, entry, index);
        if (from == nullptr) {
            return nullptr;
        }
        const bool toObjects = fileKind == KindObject;
        ObjectList& to = toObjects ? document.Objects : document.IObjects;
        OptText newName = name;
        if (from == &to) {
            entry->Name = std::move(newName);
            return entry;
        }
        // Everything that can fail happens before the document is touched.
        auto moved = std::make_unique<ObjectEntry>();
        for (const auto& field : FieldsOf<ObjectEntry>())
            if (field.Kept == KeptOnMove::Always ||
                (field.Kept == KeptOnMove::IntoObjects && toObjects))
                std::visit([&](auto member) { moved.get()->*member = entry->*member; },
                           field.Member);
        moved->Name = std::move(newName);
        to.reserve(to.size() + 1);

        ObjectEntry* result = moved.get();
        to.push_back(std::move(moved));
        FreeObjectEntry((*from)[index]);
        from->erase(from->begin() + std::ptrdiff_t(index));
        from->shrink_to_fit();
        return result;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
