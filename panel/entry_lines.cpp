#include "panel/entry_lines.h"

#include <charconv>
#include <unordered_map>

#include "document/messages.h"

namespace {

std::u16string OneDecimal(double value) {
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    std::u16string shown(text, end.ptr);
    if (shown == u"-0.0") {
        shown.erase(0, 1);
    }
    return shown;
}

std::u16string WithPosition(const std::u16string& name, const Vec3& position) {
    return name + u" (" + OneDecimal(position.x) + u"; " + OneDecimal(position.y) + u"; " +
           OneDecimal(position.z) + u")";
}

} // namespace

std::vector<std::u16string> EntryLines(const GroupDocument& document) {
    std::vector<std::u16string> lines;
    std::vector<const Vec3*> positions;
    lines.reserve(EntryCount(document));
    positions.reserve(EntryCount(document));
    for (const ObjectList* list : {&document.IObjects, &document.Objects}) {
        for (const auto& entry : *list) {
            lines.push_back(FileNameOf(entry->Name.value_or(u"")));
            positions.push_back(&entry->Position);
        }
    }
    for (const auto& font : document.Fonts) {
        const bool hasText = font->DefaultText && !font->DefaultText->empty();
        lines.push_back(hasText ? *font->DefaultText : FileNameOf(font->Name.value_or(u"")));
        positions.push_back(&font->Position);
    }
    std::unordered_map<std::u16string, size_t> uses;
    for (const std::u16string& line : lines) {
        ++uses[line];
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (uses[lines[i]] > 1) {
            lines[i] = WithPosition(lines[i], *positions[i]);
        }
    }
    return lines;
}
