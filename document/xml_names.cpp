#include "document/xml_names.h"

#include <new>

#include <expat.h>

#include "base/text.h"

bool IsReadableAttributeName(const std::u16string& name) {
    const std::string element = "<a " + Utf16ToUtf8(name) + "=\"\"/>";
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
        throw std::bad_alloc();
    bool read =
        XML_Parse(parser, element.data(), static_cast<int>(element.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return read;
}

std::u16string DistinctWritableName(std::u16string name, bool (*cannotStand)(char16_t),
                                    std::set<std::u16string>& taken) {
    bool changed = false;
    for (char16_t& c : name) {
        if (cannotStand(c)) {
            c = u'_';
            changed = true;
        }
    }
    if (changed) {
        while (taken.count(name))
            name += u'_';
        taken.insert(name);
    }
    return name;
}
