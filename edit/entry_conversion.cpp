#include "edit/entry_conversion.h"

#include <variant>

#include "document/entry_fields.h"

ObjectEntry MovedEntry(const ObjectEntry& entry, bool intoObjects, const std::u16string& name) {
    ObjectEntry moved;
    for (const auto& field : FieldsOf<ObjectEntry>())
        if (field.Kept == KeptOnMove::Always ||
            (field.Kept == KeptOnMove::IntoObjects && intoObjects))
            std::visit([&](auto member) { moved.*member = entry.*member; }, field.Member);
    moved.Name = name;
    return moved;
}
