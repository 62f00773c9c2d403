// Which names the loader's parser takes as attribute names.
#pragma once

#include <set>
#include <string>

// Whether name, written as an attribute name, is read back by the loader. The parser takes
// fewer characters in UTF-8 files than in the others (not ª, µ and º), so UTF-8 decides for
// every encoding. May throw std::bad_alloc.
bool IsReadableAttributeName(const std::u16string& name);

// name with each character for which cannotStand is true made '_'. A name so changed gets '_'
// added while taken holds it (the other names of its element, and those given before), and
// is added to taken: two names must never become one.
std::u16string DistinctWritableName(std::u16string name, bool (*cannotStand)(char16_t),
                                    std::set<std::u16string>& taken);
