#include "document/utf16_surrogates.h"

namespace {

bool IsHigh(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

UnpairedSurrogate FindUnpairedSurrogate(const std::string& bytes, size_t start) {
    UnpairedSurrogate found;
    if (bytes.size() < start + 2)
        return found;
    const bool little = bytes[start] == '<' && bytes[start + 1] == '\0';
    const bool big = bytes[start] == '\0' && bytes[start + 1] == '<';
    if (!little && !big)
        return found;
    auto unitAt = [&](size_t at) {
        const unsigned first = static_cast<unsigned char>(bytes[at]);
        const unsigned second = static_cast<unsigned char>(bytes[at + 1]);
        return little ? first | second << 8 : first << 8 | second;
    };
    unsigned previous = 0;
    for (size_t at = start; at + 1 < bytes.size(); at += 2) {
        const unsigned unit = unitAt(at);
        const bool pairs = at + 3 < bytes.size() && IsLow(unitAt(at + 2));
        if ((IsHigh(unit) && !pairs) || (IsLow(unit) && !IsHigh(previous))) {
            found.Found = true;
            found.Offset = at;
            return found;
        }
        // Lines as XML counts them: CR LF, CR and LF each end one.
        if (unit == '\n' ? previous != '\r' : unit == '\r')
            ++found.Line;
        previous = unit;
    }
    return found;
}
