#include "base/fill_text.h"

std::u16string FillText(const std::u16string& format, std::initializer_list<std::u16string> args) {
    std::u16string text;
    auto next = args.begin();
    size_t from = 0;
    for (;;) {
        size_t at = format.find(u"%s", from);
        if (at == std::u16string::npos || next == args.end()) {
            text.append(format, from, std::u16string::npos);
            return text;
        }
        text.append(format, from, at - from);
        text += *next++;
        from = at + 2;
    }
}
