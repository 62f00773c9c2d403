#include "document/document.h"

#include <new>
#include <utility>

int WriteUtf8 = 1;
int UnicodeLost = 0;
bool ResolveAgainstFileFolder = false;

const char16_t* const NewDocumentHeader = u"FileInfo=\"Bearbeitet mit Zellora\"";

void FreeObjectEntry(std::unique_ptr<ObjectEntry>& entry) {
    entry.reset();
}

void FreeFontEntry(std::unique_ptr<FontEntry>& entry) {
    entry.reset();
}

void FreeGroupDocument(GroupDocument* document) {
    if (!document)
        return;
    // swap-with-empty releases the arrays' memory too, not only their entries
    ObjectList().swap(document->Objects);
    ObjectList().swap(document->IObjects);
    FontList().swap(document->Fonts);
    document->HeaderText.reset();
}

bool CopyObjectEntry(const ObjectEntry* source, ObjectEntry* target) {
    if (!source || !target)
        return false;
    *target = *source;
    return true;
}

bool CopyFontEntry(const FontEntry* source, FontEntry* target) {
    if (!source || !target)
        return false;
    *target = *source;
    return true;
}

namespace {

template <typename Entry>
bool CopyList(const std::vector<std::unique_ptr<Entry>>& from,
              std::vector<std::unique_ptr<Entry>>& to) {
    to.reserve(from.size());
    for (const auto& entry : from) {
        if (!entry)
            return false;
        to.push_back(std::make_unique<Entry>(*entry));
    }
    return true;
}

} // namespace

bool CopyGroupDocument(const GroupDocument& source, GroupDocument& target) {
    FreeGroupDocument(&target);
    bool complete = false;
    try {
        target.HeaderText = source.HeaderText;
        complete = CopyList(source.Objects, target.Objects) &&
                   CopyList(source.IObjects, target.IObjects) &&
                   CopyList(source.Fonts, target.Fonts);
    } catch (const std::bad_alloc&) {
        complete = false;
    }
    if (!complete)
        FreeGroupDocument(&target);
    return complete;
}

FontEntry NewLoadedFontEntry() {
    FontEntry font;
    font.NormTopLeft.x = -1.0;
    font.NormBottomRight.x = -1.0;
    font.NormTopRight.x = -1.0;
    font.BlinkIntervall = -1.0;
    return font;
}

size_t EntryCount(const GroupDocument& document) {
    return document.Objects.size() + document.IObjects.size() + document.Fonts.size();
}

ListLine EntryAtLine(const GroupDocument& document, int64_t line) {
    if (line < 0)
        return {};
    size_t rest = size_t(line);
    const std::pair<EntryArray, size_t> arrays[] = {
        {EntryArray::IObjects, document.IObjects.size()},
        {EntryArray::Objects, document.Objects.size()},
        {EntryArray::Fonts, document.Fonts.size()},
    };
    for (const auto& [array, size] : arrays) {
        if (rest < size)
            return {array, rest};
        rest -= size;
    }
    return {};
}
