// Unpaired surrogates in UTF-16 text. Older expat builds read a high surrogate together with
// whatever unit follows it; the security updates refuse it. The loader finds it itself, so
// that every build refuses the same files at the same place.
#pragma once

#include <cstddef>
#include <string>

struct UnpairedSurrogate {
    bool Found = false;
    size_t Offset = 0; // of its first byte, counted from the start of bytes
    unsigned long Line = 1;
};

// The first unpaired surrogate of the text from start on, when it is UTF-16 (told by its
// first character '<', little- or big-endian); nothing for any other text.
UnpairedSurrogate FindUnpairedSurrogate(const std::string& bytes, size_t start);
