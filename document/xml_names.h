// Which names the loader's parser takes as attribute names.
#pragma once

#include <string>

// Whether name, written as an attribute name, is read back by the loader. The parser takes
// fewer characters in UTF-8 files than in the others (not ª, µ and º), so UTF-8 decides for
// every encoding. May throw std::bad_alloc.
bool IsReadableAttributeName(const std::u16string& name);
